#include "platform/Journal.h"

#include <array>
#include <cstring>

namespace platform {

namespace {

constexpr char kMagic[8] = {'V', 'K', 'B', 'J', 'N', 'L', '1', '\n'};
enum : char { kHeader = 'H', kSnapshot = 'S', kEdit = 'E' };

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

template <class T>
void PutUnsigned(std::string& out, T v) {
    for (size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutU64(std::string& out, uint64_t v) { PutUnsigned(out, v); }
void PutU32(std::string& out, uint32_t v) { PutUnsigned(out, v); }

void PutBytes(std::string& out, std::string_view bytes) {
    PutU64(out, bytes.size());
    out.append(bytes);
}

// A record: payload length (type byte included), checksum of the payload,
// then the payload.
std::string Record(char type, const std::string& body) {
    std::string payload(1, type);
    payload += body;
    std::string out;
    out.reserve(payload.size() + 8);
    PutU32(out, static_cast<uint32_t>(payload.size()));
    PutU32(out, Crc32(payload));
    out += payload;
    return out;
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    template <class T>
    bool Unsigned(T& v) {
        if (bytes_.size() - pos_ < sizeof(T)) return false;
        v = 0;
        for (size_t i = 0; i < sizeof(T); ++i) v |= T{static_cast<unsigned char>(bytes_[pos_ + i])} << (8 * i);
        pos_ += sizeof(T);
        return true;
    }
    bool U64(uint64_t& v) { return Unsigned(v); }
    bool U32(uint32_t& v) { return Unsigned(v); }
    bool Bytes(std::string& out) {
        uint64_t n = 0;
        if (!U64(n) || n > bytes_.size() - pos_) return false;
        out.assign(bytes_.substr(pos_, n));
        pos_ += n;
        return true;
    }
    bool AtEnd() const { return pos_ == bytes_.size(); }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

bool ParseHeader(std::string_view body, JournalHeader& h) {
    Reader r(body);
    uint64_t flags = 0, device = 0, inode = 0, size = 0, sec = 0, nsec = 0;
    uint32_t checksum = 0;
    if (!r.Bytes(h.document) || !r.U64(flags) || !r.U64(device) || !r.U64(inode) || !r.U64(size) || !r.U64(sec) ||
        !r.U64(nsec) || !r.U32(checksum) || !r.AtEnd())
        return false;
    h.untitled = flags & 1;
    if (flags & 2) {
        FileStamp s;
        s.device = static_cast<dev_t>(device);
        s.inode = static_cast<ino_t>(inode);
        s.size = static_cast<int64_t>(size);
        s.mtimeSec = static_cast<int64_t>(sec);
        s.mtimeNsec = static_cast<int64_t>(nsec);
        h.stamp = s;
    }
    h.loadedChecksum = checksum;
    return true;
}

bool ParseEdit(std::string_view body, JournalEdit& e) {
    Reader r(body);
    return r.U64(e.offset) && r.U64(e.removed) && r.Bytes(e.inserted) && r.AtEnd();
}

}  // namespace

uint32_t Crc32(std::string_view bytes, uint32_t crc) {
    static const std::array<uint32_t, 256> table = MakeCrcTable();
    crc = ~crc;
    for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string EncodeJournalHeader(const JournalHeader& h) {
    std::string body;
    PutBytes(body, h.document);
    PutU64(body, (h.untitled ? 1u : 0u) | (h.stamp ? 2u : 0u));
    FileStamp s = h.stamp.value_or(FileStamp{});
    PutU64(body, static_cast<uint64_t>(s.device));
    PutU64(body, static_cast<uint64_t>(s.inode));
    PutU64(body, static_cast<uint64_t>(s.size));
    PutU64(body, static_cast<uint64_t>(s.mtimeSec));
    PutU64(body, static_cast<uint64_t>(s.mtimeNsec));
    PutU32(body, h.loadedChecksum);
    return std::string(kMagic, sizeof kMagic) + Record(kHeader, body);
}

std::string EncodeJournalSnapshot(std::string_view text) {
    std::string body;
    PutBytes(body, text);
    return Record(kSnapshot, body);
}

std::string EncodeJournalEdit(const JournalEdit& e) {
    std::string body;
    body.reserve(24 + e.inserted.size());
    PutU64(body, e.offset);
    PutU64(body, e.removed);
    PutBytes(body, e.inserted);
    return Record(kEdit, body);
}

std::optional<JournalContents> ReadJournal(std::string_view bytes) {
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
    size_t pos = sizeof kMagic;
    JournalContents out;
    bool haveHeader = false;
    while (pos < bytes.size()) {
        Reader r(bytes.substr(pos));
        uint32_t length = 0, crc = 0;
        if (!r.U32(length) || !r.U32(crc) || length == 0 || length > bytes.size() - pos - 8) break;
        std::string_view payload = bytes.substr(pos + 8, length);
        if (Crc32(payload) != crc) break;
        std::string_view body = payload.substr(1);
        bool ok = false;
        if (!haveHeader) {
            ok = payload[0] == kHeader && ParseHeader(body, out.header);
            haveHeader = ok;
        } else if (payload[0] == kSnapshot) {
            // Only right after the header: a later one would hide edits.
            std::string text;
            ok = !out.snapshot && out.edits.empty() && Reader(body).Bytes(text);
            if (ok) out.snapshot = std::move(text);
        } else if (payload[0] == kEdit) {
            JournalEdit e;
            ok = ParseEdit(body, e);
            if (ok) out.edits.push_back(std::move(e));
        }
        if (!ok) break;
        pos += 8 + length;
        out.validBytes = pos;
    }
    if (!haveHeader) return std::nullopt;
    out.damaged = out.validBytes < bytes.size();
    return out;
}

size_t ApplyJournalEdits(std::string& text, const std::vector<JournalEdit>& edits) {
    // Edits go onto a list of pieces of the original text and of the
    // inserted strings, so that many edits of a long text cost no copy of
    // the text each; the result is put together once.
    struct Piece {
        const char* data;
        size_t size;
    };
    std::vector<Piece> pieces;
    if (!text.empty()) pieces.push_back({text.data(), text.size()});
    size_t total = text.size();
    size_t applied = 0;
    // Where the previous edit ended, for the usual case of edits close together.
    size_t hintIndex = 0, hintStart = 0;
    auto locate = [&](size_t offset, size_t& index, size_t& start) {
        index = 0;
        start = 0;
        if (hintIndex <= pieces.size() && hintStart <= offset) {
            index = hintIndex;
            start = hintStart;
        }
        while (index < pieces.size() && start + pieces[index].size <= offset) start += pieces[index++].size;
    };
    // Splits so that a piece boundary falls at `offset`; returns the index
    // of the first piece at or after it.
    auto splitAt = [&](size_t offset) {
        size_t index = 0, start = 0;
        locate(offset, index, start);
        if (index < pieces.size() && start < offset) {
            Piece& p = pieces[index];
            size_t head = offset - start;
            Piece tail{p.data + head, p.size - head};
            p.size = head;
            pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(index) + 1, tail);
            ++index;
            start = offset;
        }
        hintIndex = index;
        hintStart = start;
        return index;
    };
    for (const JournalEdit& e : edits) {
        if (e.offset > total || e.removed > total - e.offset) break;
        const size_t offset = static_cast<size_t>(e.offset), removed = static_cast<size_t>(e.removed);
        size_t first = splitAt(offset);
        if (removed > 0) {
            size_t last = splitAt(offset + removed);
            pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(first),
                         pieces.begin() + static_cast<std::ptrdiff_t>(last));
        }
        if (!e.inserted.empty())
            pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(first), Piece{e.inserted.data(), e.inserted.size()});
        hintIndex = first;
        hintStart = offset;
        total = total - removed + e.inserted.size();
        ++applied;
    }
    std::string result;
    result.reserve(total);
    for (const Piece& p : pieces) result.append(p.data, p.size);
    text = std::move(result);
    return applied;
}

}  // namespace platform
