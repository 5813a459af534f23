// Recovery journals: what a document window holds that is not saved, as a
// file that survives a crash or a kill. A journal is a header (the document
// and the identity of the file its text was loaded from), an optional
// snapshot of the whole text, then the edits made since, in order. Every
// record carries its own length and checksum, so a journal cut at any byte,
// or damaged in its tail, is read up to its last whole record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileIO.h"

namespace platform {

uint32_t Crc32(std::string_view bytes, uint32_t crc = 0);

struct JournalHeader {
    std::string document;  // the file's path (UTF-8), or the untitled caption
    bool untitled = false;
    // The file the text was loaded from (or last saved to) and a checksum
    // of its bytes as loaded; no stamp for untitled documents.
    std::optional<FileStamp> stamp;
    uint32_t loadedChecksum = 0;
    bool operator==(const JournalHeader&) const = default;
};

// One change of the text: `removed` bytes at `offset` replaced by `inserted`.
struct JournalEdit {
    uint64_t offset = 0;
    uint64_t removed = 0;
    std::string inserted;
    bool operator==(const JournalEdit&) const = default;
};

// The encoded records, to be appended in this order.
std::string EncodeJournalHeader(const JournalHeader& header);
std::string EncodeJournalSnapshot(std::string_view text);
std::string EncodeJournalEdit(const JournalEdit& edit);

struct JournalContents {
    JournalHeader header;
    std::optional<std::string> snapshot;  // the text the edits start from
    std::vector<JournalEdit> edits;
    size_t validBytes = 0;  // the whole records read
    bool damaged = false;   // bytes after them that are no whole record
};

// Reads a journal; nullopt when even its header is not whole.
std::optional<JournalContents> ReadJournal(std::string_view bytes);

// Applies the edits to `text` in order; stops before the first edit that
// does not fit the text and returns how many were applied.
size_t ApplyJournalEdits(std::string& text, const std::vector<JournalEdit>& edits);

}  // namespace platform
