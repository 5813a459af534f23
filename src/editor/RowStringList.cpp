#include "editor/RowStringList.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace editor {

TRowStringList::TRowStringList() { sides_.emplace_back(); }  // index 0 means "no side entry"

TRowStringList::~TRowStringList() {
    for (size_t i = 0; i < rows_.size(); ++i) FreeRow(rows_[i]);
}

void TRowStringList::CheckIndex(int i) const {
    if (i < 0 || i >= Count()) throw platform::EListError(i);
}

void TRowStringList::FreeText(Row& r) {
    if (!(r.aux & kOwned)) return;
    const uint32_t side = r.aux & kSideMask;
    Side* s = side ? &sides_[side] : nullptr;
    std::free(s && s->buffer ? s->buffer : const_cast<char*>(r.text));
    if (s) {
        s->buffer = nullptr;
        s->capacity = 0;
    }
    r.aux &= ~kOwned;
}

void TRowStringList::FreeRow(Row& r) {
    FreeText(r);
    uint32_t side = r.aux & kSideMask;
    if (side != 0) {
        sides_[side] = Side{};
        freeSides_.push_back(side);
    }
    r.text = nullptr;
    r.length = 0;
    r.aux = 0;
}

std::string TRowStringList::Get(int i) const { return std::string(Text(i)); }

std::string_view TRowStringList::Text(int i) const {
    CheckIndex(i);
    const Row& r = rows_[i];
    return std::string_view(r.text ? r.text : "", r.length);
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
    FreeText(r);
    r.text = copy;
    r.length = static_cast<uint32_t>(s.size());
    if (copy) r.aux |= kOwned;
    offsets_.ChangeLength(i, static_cast<int64_t>(s.size()) - oldLength);
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
    if (newLength < kInPlace) {
        std::string text;
        text.reserve(newLength);
        text.append(r.text ? r.text : "", from);
        text.append(s);
        text.append(r.text ? r.text + from + count : "", tail);
        SetTextRaw(i, text);
        return;
    }
    Side* side = (r.aux & kOwned) ? SideOf(i) : nullptr;
    char* text = const_cast<char*>(r.text);
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
        if (from) std::memcpy(text, r.text, from);
        if (!s.empty()) std::memcpy(text + from, s.data(), s.size());
        if (tail) std::memcpy(text + from + s.size(), r.text + from + count, tail);
        FreeText(r);
        r.aux |= kOwned;
        Side& made = MakeSide(i);
        made.buffer = buffer;
        made.capacity = newLength + 2 * room;
    }
    Row& row = rows_[i];
    row.text = text;
    row.length = static_cast<uint32_t>(newLength);
    offsets_.ChangeLength(i, static_cast<int64_t>(newLength) - static_cast<int64_t>(length));
    RowTextChanged(i, 1);
}

void TRowStringList::SetTextInBlock(int i, const char* text, size_t length) {
    if (length > 0xFFFFFFFFu) throw std::length_error("a row of more than 4 GiB");
    Row& r = rows_[i];
    FreeText(r);
    r.text = text;
    r.length = static_cast<uint32_t>(length);
    DropSideIfEmpty(i);
    RowTextChanged(i, 1);
}

void TRowStringList::AdoptBlock(std::unique_ptr<char[]> block, size_t size) {
    blocks_.push_back(Block{std::move(block), size});
}

void TRowStringList::CreateRowsForLoad(int count) {
    rows_.SetCapacity(static_cast<size_t>(count));
    rows_.InsertZeroed(0, static_cast<size_t>(count));
}

void TRowStringList::RebuildOffsets() {
    offsets_.Assign(rows_.size(), [this](size_t i) { return Contribution(rows_[i]); });
    linesKept_ = false;
    lines_.Clear();
    for (size_t i = 0; i < rows_.size(); ++i)
        if (!EndsLine(rows_[i].stateA)) {
            KeepLines();
            break;
        }
}

void TRowStringList::KeepLines() {
    if (linesKept_) return;
    lines_.Assign(rows_.size(), [this](size_t i) { return EndsLine(rows_[i].stateA); });
    linesKept_ = true;
}

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
    offsets_.Reserve(cap);
    if (linesKept_) lines_.Reserve(cap);
}

void TRowStringList::InsertRowsRaw(int at, int count) {
    if (count <= 0) return;
    EnsureRoom(rows_.size() + static_cast<size_t>(count));
    rows_.InsertZeroed(static_cast<size_t>(at), static_cast<size_t>(count));
    offsets_.InsertUniformParts(static_cast<size_t>(at), static_cast<size_t>(count), BreakLength(raLineBreak));
    if (linesKept_) lines_.InsertUniformParts(static_cast<size_t>(at), static_cast<size_t>(count), 1);
    RowsInserted(at, count);
}

void TRowStringList::DeleteRowsRaw(int at, int count) {
    if (count <= 0) return;
    for (int k = 0; k < count; ++k) FreeRow(rows_[at + k]);
    rows_.Erase(static_cast<size_t>(at), static_cast<size_t>(count));
    offsets_.RemoveParts(static_cast<size_t>(at), static_cast<size_t>(count));
    if (linesKept_) lines_.RemoveParts(static_cast<size_t>(at), static_cast<size_t>(count));
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
    int64_t ca = Contribution(a), cb = Contribution(b);
    rows_[i] = b;
    rows_[j] = a;
    offsets_.ChangeLength(i, cb - ca);
    offsets_.ChangeLength(j, ca - cb);
    const int64_t la = EndsLine(a.stateA), lb = EndsLine(b.stateA);
    if (linesKept_) {
        lines_.ChangeLength(i, lb - la);
        lines_.ChangeLength(j, la - lb);
    }
    RowTextChanged(i, 1);
    RowTextChanged(j, 1);
    Changed();
}

void TRowStringList::ClearRaw() {
    RowTextChanged(0, Count());
    for (size_t i = 0; i < rows_.size(); ++i) FreeRow(rows_[i]);
    rows_.Clear();
    offsets_.Clear();
    lines_.Clear();
    linesKept_ = false;
    sides_.resize(1);
    sides_.shrink_to_fit();
    freeSides_.clear();
    freeSides_.shrink_to_fit();
    blocks_.clear();
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
    offsets_.Reserve(static_cast<size_t>(capacity));
    if (linesKept_) lines_.Reserve(static_cast<size_t>(capacity));
}

TRowStringList::Side* TRowStringList::SideOf(int i) {
    uint32_t side = rows_[i].aux & kSideMask;
    return side ? &sides_[side] : nullptr;
}

const TRowStringList::Side* TRowStringList::SideOf(int i) const {
    uint32_t side = rows_[i].aux & kSideMask;
    return side ? &sides_[side] : nullptr;
}

TRowStringList::Side& TRowStringList::MakeSide(int i) {
    if (Side* s = SideOf(i)) return *s;
    uint32_t index;
    if (!freeSides_.empty()) {
        index = freeSides_.back();
        freeSides_.pop_back();
    } else {
        if (sides_.size() > kSideMask) throw std::length_error("too many rows with side data");
        index = static_cast<uint32_t>(sides_.size());
        sides_.emplace_back();
    }
    rows_[i].aux = (rows_[i].aux & kOwned) | index;
    return sides_[index];
}

void TRowStringList::DropSideIfEmpty(int i) {
    Side* s = SideOf(i);
    if (!s || !s->data.empty() || s->insertPosition != 0 || s->buffer) return;
    freeSides_.push_back(rows_[i].aux & kSideMask);
    rows_[i].aux &= kOwned;
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
    int64_t before = BreakLength(static_cast<TRowAttribute>(r.stateA & 3u));
    int64_t after = BreakLength(static_cast<TRowAttribute>(value & 3u));
    const int64_t endedBefore = EndsLine(r.stateA);
    r.stateA = value;
    offsets_.ChangeLength(i, after - before);
    if (linesKept_) lines_.ChangeLength(i, EndsLine(value) - endedBefore);
    else if (!EndsLine(value)) KeepLines();  // counts the new value already
}

void TRowStringList::SetStateA(int i, uint32_t value) {
    CheckIndex(i);
    SetStateARaw(i, value);
}

uint32_t TRowStringList::GetStateB(int i) const {
    CheckIndex(i);
    return rows_[i].stateB;
}

void TRowStringList::SetStateB(int i, uint32_t value) {
    CheckIndex(i);
    rows_[i].stateB = value;
}

void TRowStringList::TakeRow(int dst, TRowStringList& src, int srcIndex) {
    Row& from = src.rows_[srcIndex];
    const Side* fromSide = src.SideOf(srcIndex);
    std::string data = fromSide ? fromSide->data : std::string();
    int32_t insertPosition = fromSide ? fromSide->insertPosition : 0;

    if (from.aux & kOwned) {
        // The text's buffer, when it has one, goes along with it.
        char* buffer = nullptr;
        size_t capacity = 0;
        if (Side* s = src.SideOf(srcIndex)) {
            std::swap(buffer, s->buffer);
            std::swap(capacity, s->capacity);
        }
        Row& to = rows_[dst];
        int64_t oldLength = to.length;
        FreeText(to);
        to.text = from.text;
        to.length = from.length;
        to.aux |= kOwned;
        if (buffer) {
            Side& made = MakeSide(dst);
            made.buffer = buffer;
            made.capacity = capacity;
        }
        offsets_.ChangeLength(dst, static_cast<int64_t>(to.length) - oldLength);
        // The source no longer owns the text it handed over.
        src.offsets_.ChangeLength(srcIndex, -static_cast<int64_t>(from.length));
        from.text = nullptr;
        from.length = 0;
        from.aux &= ~kOwned;
        RowTextChanged(dst, 1);
    } else {
        SetTextRaw(dst, std::string_view(from.text ? from.text : "", from.length));
    }
    SetStateARaw(dst, from.stateA);
    rows_[dst].stateB = from.stateB;
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

int64_t TRowStringList::RowOffset(int row) const {
    if (row < 0) return 0;
    size_t r = static_cast<size_t>(row);
    if (r > rows_.size()) r = rows_.size();
    return offsets_.Start(r);
}

int TRowStringList::RowOfOffset(int64_t offset) const {
    return static_cast<int>(offsets_.PartOfOffset(offset));
}

int TRowStringList::LinesBefore(int row) const {
    if (row <= 0) return 0;
    if (!linesKept_) return std::min(row, Count());
    return static_cast<int>(lines_.Start(std::min(static_cast<size_t>(row), rows_.size())));
}

int TRowStringList::RowOfLine(int line) const {
    if (line <= 0) return 0;
    if (line >= LineCount()) return Count();
    if (!linesKept_) return line;
    // The row that ends line - 1, then the next one.
    return static_cast<int>(lines_.PartOfOffset(line - 1)) + 1;
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
