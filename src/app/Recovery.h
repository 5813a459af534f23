// Recovery of unsaved work: each document window with changes keeps a
// journal of them in the user's state folder; a start after a crash or a
// kill finds the journals no running copy holds and offers their texts.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Journal.h"
#include "platform/JournalWriter.h"

namespace editor {
class TEditorScreenStrings;
}

namespace app {

// $XDG_STATE_HOME/VeskCBuilder/recovery/ (default ~/.local/state/...),
// made private to the user; "" when there is no such place.
std::string RecoveryFolder();

// A document's journal: it starts with the first change after the text was
// loaded or saved, follows every change of the text, and goes when the
// text is saved or given up. A crash leaves it.
class TDocumentJournal {
public:
    // `describe` names the document when its journal starts.
    TDocumentJournal(editor::TEditorScreenStrings& store, std::string folder,
                     std::function<platform::JournalHeader()> describe);
    ~TDocumentJournal();
    TDocumentJournal(const TDocumentJournal&) = delete;
    TDocumentJournal& operator=(const TDocumentJournal&) = delete;

    // The text is saved, or the user gave it up: the journal goes.
    void Discard();
    // Starts a journal from the text as it is (a recovered text, unsaved).
    void StartNow();
    // Waits until what was queued is on disk (tests, shut-down).
    void Flush();
    bool Active() const { return writer_ != nullptr; }
    // A failure of the journal's file the user has not been told of yet,
    // once per failure; "" otherwise. While the journal fails it starts
    // over from the text now and then, so that it catches up once the disk
    // has room again.
    std::string NewFailure();
    std::string Path() const { return writer_ ? writer_->Path() : std::string(); }

private:
    void Edit(int64_t offset, int64_t removed, std::string_view inserted);
    void Start(std::string base);

    editor::TEditorScreenStrings& store_;
    std::string folder_;
    std::function<platform::JournalHeader()> describe_;
    std::unique_ptr<platform::JournalWriter> writer_;
    int64_t length_ = 0;  // the text's length as the journal has it
    uint64_t edits_ = 0;
    bool told_ = false;
    std::chrono::steady_clock::time_point lastRetry_{};
};

// A journal a crash left, read and replayed.
struct TRecoverable {
    std::string file;  // the journal
    platform::JournalHeader header;
    std::string text;  // what the window held at the journal's last whole record
};
// The journals in `folder` that no running copy holds.
std::vector<TRecoverable> FindRecoverable(const std::string& folder);
// Journals not taken go to a subfolder where they stay for 7 days; older
// ones there are removed. Returns the subfolder.
std::string KeepAside(const std::string& folder, const std::vector<TRecoverable>& journals);
void RemoveOldKept(const std::string& folder);

}  // namespace app
