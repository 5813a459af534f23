#include "editor/RowStringList.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace editor {

TRowStringList::TRowStringList() = default;

TRowStringList::~TRowStringList() {
    for (size_t i = 0; i < rows_.size(); ++i) FreeRow(rows_[i]);
}

void TRowStringList::CheckIndex(int i) const {
    if (i < 0 || i >= Count()) throw platform::EListError(i);
}

uint32_t TRowStringList::NewExt() {
    if (!freeExt_.empty()) {
        const uint32_t index = freeExt_.back();
        freeExt_.pop_back();
        ext_[index] = Ext{};
        return index;
    }
    if (ext_.size() > kRefMask) throw std::length_error("too many rows outside the loaded text");
    ext_.emplace_back();
    return static_cast<uint32_t>(ext_.size() - 1);
}

void TRowStringList::EnsureExt(Row& r) {
    if (r.ref & kExt) return;
    const char* text = r.length ? TextOf(r) : nullptr;
    const uint32_t e = NewExt();
    ext_[e].text = text;
    r.ref = kExt | e;
}

void TRowStringList::SetRowTextSlow(Row& r, const char* text, size_t length, bool owned) {
    if (!owned && (r.ref & kExt) && SideIndexOf(r) == 0 && MarksOf(r) == 0) {
        // The side entry held only the text: the record holds it again when it can.
        uint32_t ref = 0;
        if (length == 0 || BaseRef(text, length, ref)) {
            ReleaseExt(r);
            r.ref = ref;
            r.length = static_cast<uint32_t>(length);
            return;
        }
    }
    if (!(r.ref & kExt)) r.ref = kExt | NewExt();  // the one step that may fail: nothing changed yet
    Ext& e = ext_[r.ref & kRefMask];
    e.text = length ? text : nullptr;
    e.owned = owned && text;
    r.length = static_cast<uint32_t>(length);
}

void TRowStringList::SetMarksRaw(Row& r, TRowMarks marks) {
    if (MarksOf(r) == marks) return;
    if (marks) {
        EnsureExt(r);
        ext_[r.ref & kRefMask].marks = marks;
        return;
    }
    Ext& e = ext_[r.ref & kRefMask];
    e.marks = 0;
    if (!e.owned) SetRowText(r, e.text, r.length, false);  // back into the record when it can
}

void TRowStringList::FreeOwnedText(Row& r) {
    Ext& e = ext_[r.ref & kRefMask];
    Side* s = e.side ? &sides_[e.side - 1] : nullptr;
    std::free(s && s->buffer ? s->buffer : const_cast<char*>(e.text));
    if (s) {
        s->buffer = nullptr;
        s->capacity = 0;
    }
    e.text = nullptr;
    e.owned = false;
}

void TRowStringList::FreeRow(Row& r) {
    FreeText(r);
    const uint32_t side = SideIndexOf(r);
    if (side != 0) {
        sides_[side - 1] = Side{};
        freeSides_.push_back(side);
    }
    ReleaseExt(r);
    r.length = 0;
}

std::string TRowStringList::Get(int i) const { return std::string(Text(i)); }

std::string_view TRowStringList::Text(int i) const {
    CheckIndex(i);
    const Row& r = rows_[i];
    if (r.length == 0) return std::string_view();
    return std::string_view(TextOf(r), r.length);
}

void TRowStringList::SetTextRaw(int i, std::string_view s) {
    if (s.size() > 0xFFFFFFFFu) throw std::length_error("a row of more than 4 GiB");
    Row& r = rows_[i];
    int64_t oldLength = r.length;
    char* copy = nullptr;
    if (!s.empty()) {
        copy = static_cast<char*>(std::malloc(s.size()));
        if (!copy) throw std::bad_alloc();
        std::memcpy(copy, s.data(), s.size());
    }
    if (copy) {
        try {
            EnsureExt(r);  // so that nothing below can fail
        } catch (...) {
            std::free(copy);
            throw;
        }
    }
    FreeText(r);
    SetRowText(r, copy, s.size(), copy != nullptr);
    Adjust(static_cast<size_t>(i), static_cast<int64_t>(s.size()) - oldLength, 0);
    DropSideIfEmpty(i);
    RowTextChanged(i, 1);
}

void TRowStringList::ReplaceBytesRaw(int i, size_t from, size_t count, std::string_view s) {
    // Shorter rows are copied whole: that costs no more than the change.
    constexpr size_t kInPlace = 16 * 1024;
    Row& r = rows_[i];
    const size_t length = r.length;
    from = std::min(from, length);
    count = std::min(count, length - from);
    const size_t newLength = length - count + s.size();
    if (newLength > 0xFFFFFFFFu) throw std::length_error("a row of more than 4 GiB");
    const size_t tail = length - from - count;
    const char* old = length ? TextOf(r) : nullptr;
    if (newLength < kInPlace) {
        std::string text;
        text.reserve(newLength);
        text.append(old ? old : "", from);
        text.append(s);
        text.append(old ? old + from + count : "", tail);
        SetTextRaw(i, text);
        return;
    }
    Side* side = OwnsText(r) ? SideOf(i) : nullptr;
    char* text = const_cast<char*>(old);
    bool fits = side && side->buffer;
    if (fits) {
        const size_t before = static_cast<size_t>(text - side->buffer);
        const size_t after = side->capacity - before - length;
        if (s.size() > count) {
            const size_t grow = s.size() - count;
            if (from <= tail && before >= grow) {
                std::memmove(text - grow, text, from);  // the head moves left
                text -= grow;
            } else if (after >= grow) {
                std::memmove(text + from + s.size(), text + from + count, tail);
            } else if (before >= grow) {
                std::memmove(text - grow, text, from);
                text -= grow;
            } else {
                fits = false;
            }
        } else if (s.size() < count) {
            const size_t shrink = count - s.size();
            if (from <= tail) {
                std::memmove(text + shrink, text, from);  // the head moves right
                text += shrink;
            } else {
                std::memmove(text + from + s.size(), text + from + count, tail);
            }
        }
    }
    if (fits) {
        if (!s.empty()) std::memcpy(text + from, s.data(), s.size());
    } else {
        // A new buffer with room on both sides for the edits to come.
        const size_t room = std::clamp<size_t>(newLength / 16, 4096, size_t{1} << 20);
        char* buffer = static_cast<char*>(std::malloc(newLength + 2 * room));
        if (!buffer) throw std::bad_alloc();
        text = buffer + room;
        if (from) std::memcpy(text, old, from);
        if (!s.empty()) std::memcpy(text + from, s.data(), s.size());
        if (tail) std::memcpy(text + from + s.size(), old + from + count, tail);
        Side* made;
        try {
            made = &MakeSide(i);
        } catch (...) {
            std::free(buffer);
            throw;
        }
        FreeText(rows_[i]);
        made->buffer = buffer;
        made->capacity = newLength + 2 * room;
    }
    Row& row = rows_[i];
    Ext& e = ext_[row.ref & kRefMask];  // a side entry exists: the text is owned
    e.text = text;
    e.owned = true;
    row.length = static_cast<uint32_t>(newLength);
    Adjust(static_cast<size_t>(i), static_cast<int64_t>(newLength) - static_cast<int64_t>(length), 0);
    RowTextChanged(i, 1);
}

void TRowStringList::AdoptBlock(std::unique_ptr<char[]> block, size_t size) {
    const char* data = block.get();
    blocks_.push_back(Block{std::move(block), size});
    if (rows_.empty() && !bases_[0] && !bases_[1]) BaseBlock(data);
}

void TRowStringList::BaseBlock(const char* block) {
    for (int slot = 0; slot < 2; ++slot) {
        if (bases_[slot] == block) return;
        if (bases_[slot]) continue;
        auto it = std::find_if(blocks_.begin(), blocks_.end(), [block](const Block& b) { return b.data.get() == block; });
        if (it == blocks_.end()) return;
        bases_[slot] = block;
        baseSizes_[slot] = it->size;
        return;
    }
}

void TRowStringList::DropBlocksBut(const char* block) {
    for (int slot = 0; slot < 2; ++slot)
        if (bases_[slot] && bases_[slot] != block) {
            bases_[slot] = nullptr;
            baseSizes_[slot] = 0;
        }
    std::erase_if(blocks_, [block](const Block& b) { return b.data.get() != block; });
}

void TRowStringList::ReserveRowsForLoad(size_t count) { rows_.SetCapacity(count); }

void TRowStringList::AddRowForLoad(const char* text, size_t length) {
    if (length > 0xFFFFFFFFu) throw std::length_error("a row of more than 4 GiB");
    Row r{};
    SetRowText(r, text, length, false);
    rows_.PushBack(r);
}

void TRowStringList::RebuildOffsets() {
    index_.reset();
    ++version_;
    if (rows_.size() > 2 * kChunkRows) BuildIndex();  // a small list waits for its first query
}

void TRowStringList::BuildIndex() const {
    auto index = std::make_unique<ChunkIndex>();
    const size_t n = rows_.size();
    const size_t chunks = (n + kChunkRows - 1) / kChunkRows;
    index->rows.Assign(chunks, [n](size_t c) { return static_cast<int64_t>(std::min(kChunkRows, n - c * kChunkRows)); });
    index->bytes.Assign(chunks, [this, n](size_t c) { return SumBytes(c * kChunkRows, std::min(n, (c + 1) * kChunkRows)); });
    index->lines.Assign(chunks, [this, n](size_t c) { return SumLines(c * kChunkRows, std::min(n, (c + 1) * kChunkRows)); });
    index_ = std::move(index);
    lastChunks_[0] = lastChunks_[1] = 0;
    ++version_;
}

// --- chunk index ------------------------------------------------------------

size_t TRowStringList::ChunkOf(size_t row) const {
    const size_t parts = index_->rows.Parts();
    const int64_t at = static_cast<int64_t>(row);
    const int64_t total = index_->rows.Total();
    if (at >= total) return parts - 1;
    auto holds = [&](size_t c) { return at >= index_->rows.Start(c) && at < index_->rows.Start(c + 1); };
    // Neighbouring rows are asked for in turn: the last chunks asked about
    // and the next one; then where the row would be with even chunks, and a
    // search out from there (chunks are even after a load).
    for (size_t& hint : lastChunks_) {
        const size_t c = hint;
        if (c < parts && holds(c)) {
            if (&hint != &lastChunks_[0]) std::swap(lastChunks_[0], lastChunks_[1]);
            return c;
        }
    }
    if (lastChunks_[0] + 1 < parts && holds(lastChunks_[0] + 1)) return ++lastChunks_[0];
    size_t lo = 0, hi = parts;  // the chunk is in [lo, hi)
    size_t guess = static_cast<size_t>(static_cast<double>(at) / static_cast<double>(total) * static_cast<double>(parts));
    guess = std::min(guess, parts - 1);
    for (size_t step = 1;; step *= 2) {
        if (at < index_->rows.Start(guess)) {
            hi = guess;
            if (guess <= lo + step) break;
            guess -= step;
        } else if (at >= index_->rows.Start(guess + 1)) {
            lo = guess + 1;
            if (guess + step >= hi) break;
            guess += step;
        } else {
            lo = guess;
            hi = guess + 1;
            break;
        }
    }
    while (hi - lo > 1) {
        const size_t mid = lo + (hi - lo) / 2;
        if (index_->rows.Start(mid) > at) hi = mid;
        else lo = mid;
    }
    lastChunks_[1] = lastChunks_[0];
    return lastChunks_[0] = lo;
}

const TRowStringList::ChunkSums* TRowStringList::SumsOf(size_t chunk) const {
    if (ChunkSums* hit = CachedSums(chunk)) {
        latestSums_ = static_cast<int>(hit - sums_.get());
        return hit;
    }
    if (askedChunk_ != chunk || askedVersion_ != version_) {
        askedChunk_ = chunk;
        askedVersion_ = version_;
        return nullptr;
    }
    if (!sums_) sums_ = std::make_unique<ChunkSums[]>(2);
    latestSums_ ^= 1;  // the older of the two goes
    ChunkSums& s = sums_[latestSums_];
    s.chunk = chunk;
    s.version = version_;
    const size_t first = static_cast<size_t>(index_->rows.Start(chunk));
    s.rows = static_cast<size_t>(index_->rows.Length(chunk));
    int64_t bytes = 0;
    int32_t lines = 0;
    for (size_t k = 0; k < s.rows; ++k) {
        s.bytes[k] = bytes;
        s.lines[k] = lines;
        const Row& r = rows_[first + k];
        bytes += Contribution(r);
        lines += static_cast<int32_t>(EndsLine(r.stateA));
    }
    s.bytes[s.rows] = bytes;
    s.lines[s.rows] = lines;
    return &s;
}

template <typename Of>
int64_t TRowStringList::SumOver(size_t from, size_t to, Of of) const {
    int64_t sum = 0;
    while (from < to) {
        size_t n;
        const Row* r = rows_.Run(from, &n);
        n = std::min(n, to - from);
        for (size_t k = 0; k < n; ++k) sum += of(r[k]);
        from += n;
    }
    return sum;
}

int64_t TRowStringList::SumBytes(size_t from, size_t to) const {
    return SumOver(from, to, [](const Row& r) { return Contribution(r); });
}

int64_t TRowStringList::SumLines(size_t from, size_t to) const {
    return SumOver(from, to, [](const Row& r) { return EndsLine(r.stateA); });
}

void TRowStringList::Adjust(size_t row, int64_t bytes, int64_t lines) {
    if ((bytes == 0 && lines == 0) || !index_ || index_->rows.Parts() == 0) return;  // none yet: made when asked
    const size_t c = ChunkOf(row);
    index_->bytes.ChangeLength(c, bytes);
    index_->lines.ChangeLength(c, lines);
    if (ChunkSums* cached = CachedSums(c)) {
        ChunkSums& s = *cached;
        const size_t from = row - static_cast<size_t>(index_->rows.Start(c)) + 1;
        for (size_t k = from; k <= s.rows; ++k) s.bytes[k] += bytes;
        if (lines != 0)
            for (size_t k = from; k <= s.rows; ++k) s.lines[k] += static_cast<int32_t>(lines);
    }
}

void TRowStringList::IndexInserted(size_t chunk, size_t at, size_t count) {
    // The new rows are empty raLineBreak rows.
    const int64_t bytes = BreakLength(raLineBreak);
    if (ChunkSums* s = CachedSums(chunk)) {
        if (s->rows + count > 2 * kChunkRows) {
            ++version_;  // it is split below
        } else {
            const size_t k = at - static_cast<size_t>(index_->rows.Start(chunk));
            for (size_t j = s->rows + 1; j-- > k;) {
                s->bytes[j + count] = s->bytes[j] + bytes * static_cast<int64_t>(count);
                s->lines[j + count] = s->lines[j] + static_cast<int32_t>(count);
            }
            for (size_t i = 1; i <= count; ++i) {
                s->bytes[k + i] = s->bytes[k] + bytes * static_cast<int64_t>(i);
                s->lines[k + i] = s->lines[k] + static_cast<int32_t>(i);
            }
            s->rows += count;
        }
    }
    index_->rows.ChangeLength(chunk, static_cast<int64_t>(count));
    index_->bytes.ChangeLength(chunk, static_cast<int64_t>(count) * bytes);
    index_->lines.ChangeLength(chunk, static_cast<int64_t>(count));
    if (static_cast<size_t>(index_->rows.Length(chunk)) > 2 * kChunkRows) SplitChunk(chunk);
}

void TRowStringList::SplitChunk(size_t chunk) {
    ++version_;
    const size_t first = static_cast<size_t>(index_->rows.Start(chunk));
    const size_t end = first + static_cast<size_t>(index_->rows.Length(chunk));
    index_->rows.RemoveParts(chunk, 1);
    index_->bytes.RemoveParts(chunk, 1);
    index_->lines.RemoveParts(chunk, 1);
    size_t c = chunk;
    for (size_t r = first; r < end; ++c) {
        const size_t e = std::min(end, r + kChunkRows);
        index_->rows.InsertPart(c, static_cast<int64_t>(e - r));
        index_->bytes.InsertPart(c, SumBytes(r, e));
        index_->lines.InsertPart(c, SumLines(r, e));
        r = e;
    }
}

void TRowStringList::MergeInto(size_t chunk) {
    ++version_;
    for (Partitioning* p : {&index_->rows, &index_->bytes, &index_->lines}) {
        const int64_t moved = p->Length(chunk + 1);
        p->ChangeLength(chunk, moved);
        p->RemoveParts(chunk + 1, 1);
    }
}

void TRowStringList::MergeAround(size_t row) {
    if (index_->rows.Parts() < 2) return;
    size_t c = ChunkOf(std::min<size_t>(row, static_cast<size_t>(index_->rows.Total()) - 1));
    auto fits = [this](size_t a) {
        return static_cast<size_t>(index_->rows.Length(a) + index_->rows.Length(a + 1)) <= kChunkRows;
    };
    if (c > 0 && fits(c - 1)) MergeInto(--c);
    if (c + 1 < index_->rows.Parts() && fits(c)) MergeInto(c);
}

void TRowStringList::IndexErasing(size_t at, size_t count) {
    size_t pos = at;  // the next row to go, still in rows_
    while (count > 0) {
        const size_t c = ChunkOf(at);
        const size_t first = static_cast<size_t>(index_->rows.Start(c));
        const size_t n = static_cast<size_t>(index_->rows.Length(c));
        const size_t take = std::min(count, first + n - at);
        if (take == n) {
            ++version_;  // the chunks after it move down
            index_->rows.RemoveParts(c, 1);
            index_->bytes.RemoveParts(c, 1);
            index_->lines.RemoveParts(c, 1);
        } else {
            const int64_t bytes = SumBytes(pos, pos + take), lines = SumLines(pos, pos + take);
            if (ChunkSums* s = CachedSums(c)) {
                // The rows' entries go; those after them move down.
                const size_t k = at - first;
                for (size_t j = k + take; j <= s->rows; ++j) {
                    s->bytes[j - take] = s->bytes[j] - bytes;
                    s->lines[j - take] = s->lines[j] - static_cast<int32_t>(lines);
                }
                s->rows -= take;
            }
            index_->rows.ChangeLength(c, -static_cast<int64_t>(take));
            index_->bytes.ChangeLength(c, -bytes);
            index_->lines.ChangeLength(c, -lines);
        }
        pos += take;
        count -= take;
    }
    if (index_->rows.Total() > 0) MergeAround(at);
}

// ---------------------------------------------------------------------------

void TRowStringList::Put(int i, std::string_view s) {
    CheckIndex(i);
    Changing();
    SetTextRaw(i, s);
    Changed();
}

void TRowStringList::EnsureRoom(size_t needed) {
    size_t cap = rows_.capacity();
    if (needed <= cap) return;
    // Growth of a full array: a quarter above 64, 16 above 8, else 4.
    while (cap < needed) {
        if (cap > 64) cap += cap / 4;
        else if (cap > 8) cap += 16;
        else cap += 4;
    }
    rows_.SetCapacity(cap);
}

void TRowStringList::InsertRowsRaw(int at, int count) {
    if (count <= 0) return;
    EnsureRoom(rows_.size() + static_cast<size_t>(count));
    const bool indexed = index_ && index_->rows.Parts() > 0;
    const size_t chunk = indexed ? ChunkOf(static_cast<size_t>(at)) : 0;
    rows_.InsertZeroed(static_cast<size_t>(at), static_cast<size_t>(count));
    if (indexed) IndexInserted(chunk, static_cast<size_t>(at), static_cast<size_t>(count));
    else index_.reset();
    RowsInserted(at, count);
}

void TRowStringList::DeleteRowsRaw(int at, int count) {
    if (count <= 0) return;
    if (index_) IndexErasing(static_cast<size_t>(at), static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) FreeRow(rows_[at + k]);
    rows_.Erase(static_cast<size_t>(at), static_cast<size_t>(count));
    RowsDeleted(at, count);
}

void TRowStringList::Insert(int i, std::string_view s) {
    if (i < 0 || i > Count()) throw platform::EListError(i);
    Changing();
    InsertRowsRaw(i, 1);
    SetTextRaw(i, s);
    Changed();
}

int TRowStringList::Add(std::string_view s) {
    int n = Count();
    Insert(n, s);
    return n;
}

void TRowStringList::Delete(int i) {
    CheckIndex(i);
    Changing();
    DeleteRowsRaw(i, 1);
    Changed();
}

void TRowStringList::Exchange(int i, int j) {
    CheckIndex(i);
    CheckIndex(j);
    if (i == j) return;
    Changing();
    Row a = rows_[i];
    Row b = rows_[j];
    const int64_t ca = Contribution(a), cb = Contribution(b);
    const int64_t la = EndsLine(a.stateA), lb = EndsLine(b.stateA);
    rows_[i] = b;
    rows_[j] = a;
    Adjust(static_cast<size_t>(i), cb - ca, lb - la);
    Adjust(static_cast<size_t>(j), ca - cb, la - lb);
    RowTextChanged(i, 1);
    RowTextChanged(j, 1);
    Changed();
}

void TRowStringList::ClearRaw() {
    RowTextChanged(0, Count());
    for (size_t i = 0; i < rows_.size(); ++i) FreeRow(rows_[i]);
    rows_.Clear();
    index_.reset();
    lastChunks_[0] = lastChunks_[1] = 0;
    ++version_;
    sides_.clear();
    sides_.shrink_to_fit();
    freeSides_.clear();
    freeSides_.shrink_to_fit();
    ext_.clear();
    freeExt_.clear();
    if (ext_.capacity() > 256) {  // a small one is kept for the rows to come
        ext_.shrink_to_fit();
        freeExt_.shrink_to_fit();
    }
    blocks_.clear();
    bases_[0] = bases_[1] = nullptr;
    baseSizes_[0] = baseSizes_[1] = 0;
}

void TRowStringList::Clear() {
    if (Count() == 0) {
        ClearRaw();  // releases any reserved capacity; nothing to notify
        return;
    }
    Changing();
    ClearRaw();
    Changed();
}

void TRowStringList::SetCapacity(int capacity) {
    if (capacity < Count()) throw platform::EListError(capacity);
    rows_.SetCapacity(static_cast<size_t>(capacity));
    // Rows added one at a time are heap copies, each with a side entry.
    if (rows_.empty() && ext_.empty() && capacity <= 1024) ext_.reserve(static_cast<size_t>(capacity));
}

TRowStringList::Side* TRowStringList::SideOf(int i) {
    const uint32_t side = SideIndexOf(rows_[i]);
    return side ? &sides_[side - 1] : nullptr;
}

const TRowStringList::Side* TRowStringList::SideOf(int i) const {
    const uint32_t side = SideIndexOf(rows_[i]);
    return side ? &sides_[side - 1] : nullptr;
}

TRowStringList::Side& TRowStringList::MakeSide(int i) {
    if (Side* s = SideOf(i)) return *s;
    uint32_t index;
    if (!freeSides_.empty()) {
        index = freeSides_.back();
        freeSides_.pop_back();
    } else {
        if (sides_.size() >= kRefMask) throw std::length_error("too many rows with side data");
        sides_.emplace_back();
        index = static_cast<uint32_t>(sides_.size());
    }
    Row& r = rows_[i];
    try {
        EnsureExt(r);
    } catch (...) {
        freeSides_.push_back(index);
        throw;
    }
    ext_[r.ref & kRefMask].side = index;
    return sides_[index - 1];
}

void TRowStringList::DropEmptySide(int i) {
    Side* s = SideOf(i);
    if (!s || !s->data.empty() || s->insertPosition != 0 || s->buffer) return;
    Row& r = rows_[i];
    Ext& e = ext_[r.ref & kRefMask];
    freeSides_.push_back(e.side);
    e.side = 0;
    if (!e.owned) SetRowText(r, e.text, r.length, false);  // back into the record when it can
}

std::string TRowStringList::GetData(int i) const {
    CheckIndex(i);
    const Side* s = SideOf(i);
    return s ? s->data : std::string();
}

void TRowStringList::SetData(int i, std::string_view data) {
    CheckIndex(i);
    if (data.empty() && !SideOf(i)) return;
    MakeSide(i).data.assign(data);
    DropSideIfEmpty(i);
}

int32_t TRowStringList::GetInsertPosition(int i) const {
    CheckIndex(i);
    const Side* s = SideOf(i);
    return s ? s->insertPosition : 0;
}

void TRowStringList::SetInsertPosition(int i, int32_t position) {
    CheckIndex(i);
    if (position == 0 && !SideOf(i)) return;
    MakeSide(i).insertPosition = position;
    DropSideIfEmpty(i);
}

uint32_t TRowStringList::GetStateA(int i) const {
    CheckIndex(i);
    return rows_[i].stateA;
}

void TRowStringList::SetStateARaw(int i, uint32_t value) {
    Row& r = rows_[i];
    const int64_t before = BreakLength(static_cast<TRowAttribute>(r.stateA & 3u));
    const int64_t after = BreakLength(static_cast<TRowAttribute>(value & 3u));
    const int64_t endedBefore = EndsLine(r.stateA);
    r.stateA = value;
    Adjust(static_cast<size_t>(i), after - before, EndsLine(value) - endedBefore);
}

void TRowStringList::SetStateA(int i, uint32_t value) {
    CheckIndex(i);
    SetStateARaw(i, value);
}

uint32_t TRowStringList::GetStateB(int i) const {
    CheckIndex(i);
    const Row& r = rows_[i];
    return r.tokens | static_cast<uint32_t>(MarksOf(r)) << 16;
}

void TRowStringList::SetStateB(int i, uint32_t value) {
    CheckIndex(i);
    Row& r = rows_[i];
    SetMarksRaw(r, static_cast<TRowMarks>(value >> 16));
    r.tokens = static_cast<uint16_t>(value);
}

void TRowStringList::TakeRow(int dst, TRowStringList& src, int srcIndex) {
    const Side* fromSide = src.SideOf(srcIndex);
    std::string data = fromSide ? fromSide->data : std::string();
    int32_t insertPosition = fromSide ? fromSide->insertPosition : 0;

    if (src.OwnsText(src.rows_[srcIndex])) {
        EnsureExt(rows_[dst]);  // before the source lets go of its text
        // The text's buffer, when it has one, goes along with it.
        char* buffer = nullptr;
        size_t capacity = 0;
        if (Side* s = src.SideOf(srcIndex)) {
            std::swap(buffer, s->buffer);
            std::swap(capacity, s->capacity);
        }
        Row& from = src.rows_[srcIndex];
        Ext& fromExt = src.ext_[from.ref & kRefMask];
        const char* text = fromExt.text;
        const uint32_t length = from.length;
        // The source no longer owns the text it hands over.
        fromExt.text = nullptr;
        fromExt.owned = false;
        from.length = 0;
        src.Adjust(static_cast<size_t>(srcIndex), -static_cast<int64_t>(length), 0);
        Row& to = rows_[dst];
        const int64_t oldLength = to.length;
        FreeText(to);
        SetRowText(to, text, length, true);
        if (buffer) {
            Side& made = MakeSide(dst);
            made.buffer = buffer;
            made.capacity = capacity;
        }
        Adjust(static_cast<size_t>(dst), static_cast<int64_t>(length) - oldLength, 0);
        RowTextChanged(dst, 1);
    } else {
        SetTextRaw(dst, src.Text(srcIndex));
    }
    const Row& from = src.rows_[srcIndex];
    SetStateARaw(dst, from.stateA);
    SetMarksRaw(rows_[dst], src.MarksOf(from));
    rows_[dst].tokens = from.tokens;
    if (!data.empty() || SideOf(dst)) {
        MakeSide(dst).data = std::move(data);
        DropSideIfEmpty(dst);
    }
    if (insertPosition != 0 || SideOf(dst)) {
        MakeSide(dst).insertPosition = insertPosition;
        DropSideIfEmpty(dst);
    }
}

void TRowStringList::BeginUpdate() {
    if (updateCount_ == 0) Changing();
    ++updateCount_;
}

void TRowStringList::EndUpdate() {
    if (updateCount_ <= 0) return;
    --updateCount_;
    if (updateCount_ == 0) Changed();
}

void TRowStringList::Changed() {
    if (updateCount_ == 0 && OnChange) OnChange();
}

void TRowStringList::Changing() {
    if (updateCount_ == 0 && OnChanging) OnChanging();
}

size_t TRowStringList::HintedPart(const Partitioning& p, int64_t x) const {
    // The chunks asked about last and the one after, else a search.
    auto holds = [&](size_t k) { return k < p.Parts() && x >= p.Start(k) && x < p.Start(k + 1); };
    if (holds(lastChunks_[0])) return lastChunks_[0];
    if (holds(lastChunks_[1])) {
        std::swap(lastChunks_[0], lastChunks_[1]);
        return lastChunks_[0];
    }
    lastChunks_[1] = lastChunks_[0];
    if (holds(lastChunks_[0] + 1)) return ++lastChunks_[0];
    return lastChunks_[0] = p.PartOfOffset(x);
}

int64_t TRowStringList::RowOffset(int row) const {
    if (row <= 0 || rows_.empty()) return 0;
    Index();
    const size_t r = static_cast<size_t>(row);
    if (r >= rows_.size()) return index_->bytes.Total();
    size_t kept;
    if (const ChunkSums* s = KeptSumsHolding(r, kept)) return index_->bytes.Start(s->chunk) + s->bytes[r - kept];
    const size_t c = ChunkOf(r);
    if (const ChunkSums* s = SumsOf(c)) return index_->bytes.Start(c) + s->bytes[r - static_cast<size_t>(index_->rows.Start(c))];
    // From the nearer end of the chunk.
    const size_t first = static_cast<size_t>(index_->rows.Start(c));
    const size_t end = first + static_cast<size_t>(index_->rows.Length(c));
    if (r - first <= end - r) return index_->bytes.Start(c) + SumBytes(first, r);
    return index_->bytes.Start(c + 1) - SumBytes(r, end);
}

int64_t TRowStringList::SpanBytes(int from, int to) const {
    from = std::clamp(from, 0, Count());
    to = std::clamp(to, 0, Count());
    if (to < from) return -SpanBytes(to, from);
    if (to - from <= static_cast<int>(kChunkRows)) return SumBytes(static_cast<size_t>(from), static_cast<size_t>(to));
    return RowOffset(to) - RowOffset(from);
}

int TRowStringList::RowOfOffset(int64_t offset) const {
    if (rows_.empty()) return 0;
    Index();
    if (offset < 0) offset = 0;
    if (offset >= index_->bytes.Total()) return Count();
    const size_t c = HintedPart(index_->bytes, offset);
    const int64_t within = offset - index_->bytes.Start(c);
    if (const ChunkSums* s = SumsOf(c)) {
        // The first row whose end lies beyond the offset.
        const int64_t* end = std::upper_bound(s->bytes + 1, s->bytes + s->rows + 1, within);
        return static_cast<int>(index_->rows.Start(c) + (end - (s->bytes + 1)));
    }
    int64_t end = 0;
    for (size_t r = static_cast<size_t>(index_->rows.Start(c));; ++r) {
        end += Contribution(rows_[r]);
        if (end > within) return static_cast<int>(r);
    }
}

int TRowStringList::LinesBefore(int row) const {
    if (row <= 0 || rows_.empty()) return 0;
    Index();
    const size_t r = static_cast<size_t>(row);
    if (r >= rows_.size()) return LineCount();
    if (EveryRowEndsALine()) return row;
    size_t kept;
    if (const ChunkSums* s = KeptSumsHolding(r, kept)) return static_cast<int>(index_->lines.Start(s->chunk) + s->lines[r - kept]);
    const size_t c = ChunkOf(r);
    if (const ChunkSums* s = SumsOf(c))
        return static_cast<int>(index_->lines.Start(c) + s->lines[r - static_cast<size_t>(index_->rows.Start(c))]);
    return static_cast<int>(index_->lines.Start(c) + SumLines(static_cast<size_t>(index_->rows.Start(c)), r));
}

int TRowStringList::RowOfLine(int line) const {
    if (line <= 0) return 0;
    if (line >= LineCount()) return Count();  // the index is made by now
    if (EveryRowEndsALine()) return line;
    // The row that ends line - 1, then the next one.
    const size_t c = HintedPart(index_->lines, line - 1);
    int64_t left = line - 1 - index_->lines.Start(c);
    if (const ChunkSums* s = SumsOf(c)) {
        const int32_t* end = std::upper_bound(s->lines + 1, s->lines + s->rows + 1, static_cast<int32_t>(left));
        return static_cast<int>(index_->rows.Start(c) + (end - (s->lines + 1))) + 1;
    }
    for (size_t r = static_cast<size_t>(index_->rows.Start(c));; ++r)
        if (EndsLine(rows_[r].stateA) && left-- == 0) return static_cast<int>(r) + 1;
}

// ---------------------------------------------------------------------------

TRowAttribute TRowAttributeStringList::GetRowAttribute(int i) const {
    return static_cast<TRowAttribute>(GetStateA(i) & 3u);
}

void TRowAttributeStringList::SetRowAttribute(int i, TRowAttribute a) { SetFieldA(i, 0, 3u, a); }

TRowAttribute TRowAttributeStringList::GetPrevAttribute(int i) const {
    return static_cast<TRowAttribute>(FieldA(i, 2, 3u));
}

void TRowAttributeStringList::SetPrevAttribute(int i, TRowAttribute a) { SetFieldA(i, 2, 3u, a); }

int TRowAttributeStringList::GetBracketIndex(int i) const { return static_cast<int>(FieldA(i, 4, 0xFu)) - 2; }

void TRowAttributeStringList::SetBracketIndex(int i, int index) {
    SetFieldA(i, 4, 0xFu, static_cast<uint32_t>(index + 2));
}

int TRowAttributeStringList::GetElementIndex(int i) const { return static_cast<int>(FieldA(i, 8, 0xFFu)); }
void TRowAttributeStringList::SetElementIndex(int i, int v) { SetFieldA(i, 8, 0xFFu, static_cast<uint32_t>(v)); }
int TRowAttributeStringList::GetRemain(int i) const { return static_cast<int>(FieldA(i, 16, 0xFFu)); }
void TRowAttributeStringList::SetRemain(int i, int v) { SetFieldA(i, 16, 0xFFu, static_cast<uint32_t>(v)); }
int TRowAttributeStringList::GetExtra(int i) const { return static_cast<int>(FieldA(i, 24, 0xFFu)); }
void TRowAttributeStringList::SetExtra(int i, int v) { SetFieldA(i, 24, 0xFFu, static_cast<uint32_t>(v)); }
int TRowAttributeStringList::GetStartToken(int i) const { return static_cast<int>(FieldB(i, 0, 0xFFu)); }
void TRowAttributeStringList::SetStartToken(int i, int v) { SetFieldB(i, 0, 0xFFu, static_cast<uint32_t>(v)); }
int TRowAttributeStringList::GetPrevToken(int i) const { return static_cast<int>(FieldB(i, 8, 0xFFu)); }
void TRowAttributeStringList::SetPrevToken(int i, int v) { SetFieldB(i, 8, 0xFFu, static_cast<uint32_t>(v)); }
TRowMarks TRowAttributeStringList::GetMarks(int i) const { return static_cast<TRowMarks>(FieldB(i, 16, 0xFFFFu)); }
void TRowAttributeStringList::SetMarks(int i, TRowMarks m) { SetFieldB(i, 16, 0xFFFFu, m); }

void TRowAttributeStringList::SetFieldA(int i, int shift, uint32_t mask, uint32_t v) {
    uint32_t a = GetStateA(i);
    SetStateA(i, (a & ~(mask << shift)) | ((v & mask) << shift));
}

void TRowAttributeStringList::SetFieldB(int i, int shift, uint32_t mask, uint32_t v) {
    uint32_t b = GetStateB(i);
    SetStateB(i, (b & ~(mask << shift)) | ((v & mask) << shift));
}

std::string TEditorStringList::JoinedText() const {
    int n = Count();
    std::string out;
    out.reserve(static_cast<size_t>(RowOffset(n)));
    for (int i = 0; i < n; ++i) {
        out += Text(i);
        if (AttributeOf(i) == raLineBreak) out += "\r\n";
    }
    return out;
}

}  // namespace editor
