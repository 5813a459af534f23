// Row lists: the string list of row records and its attribute accessors.
// A row record is kept compact (14 bytes) because a large file has millions
// of them: its text is an offset into the block read from the file; a text
// elsewhere (a heap copy, another block) and the rarely used fields go
// through an entry of a side table. Text offsets are kept per chunk of
// consecutive rows, not per row.
#pragma once

#include <cstdint>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/Partitioning.h"
#include "editor/SplitVector.h"
#include "platform/Strings.h"

namespace editor {

enum TRowAttribute : uint8_t {
    raLineBreak = 0,  // a CR LF follows the row
    raWrapped = 1,    // the line goes on in the next row
    raEndOfText = 2,  // last row, no line break after it
    raNone = 3,       // no row (undo records, gathering nothing)
};

// Bit n set = mark n on the row.
using TRowMarks = uint16_t;

// What a row with this attribute adds to the text offset besides its bytes.
constexpr int64_t BreakLength(TRowAttribute a) {
    return a == raLineBreak ? 2 : a == raEndOfText ? 1 : 0;
}

class TRowStringList : public platform::TStrings {
public:
    using Notify = std::function<void()>;

    TRowStringList();
    ~TRowStringList() override;
    TRowStringList(const TRowStringList&) = delete;
    TRowStringList& operator=(const TRowStringList&) = delete;

    int Count() const override { return static_cast<int>(rows_.size()); }
    std::string Get(int i) const override;
    // The row's bytes; valid until the list changes.
    std::string_view Text(int i) const;
    void Put(int i, std::string_view s) override;
    void Insert(int i, std::string_view s) override;
    int Add(std::string_view s) override;
    void Delete(int i) override;
    void Exchange(int i, int j);
    void Clear() override;

    int Capacity() const { return static_cast<int>(rows_.capacity()); }
    void SetCapacity(int capacity);

    std::string GetData(int i) const;
    void SetData(int i, std::string_view data);
    int32_t GetInsertPosition(int i) const;
    void SetInsertPosition(int i, int32_t position);
    uint32_t GetStateA(int i) const;
    void SetStateA(int i, uint32_t value);
    uint32_t GetStateB(int i) const;
    void SetStateB(int i, uint32_t value);

    void BeginUpdate() override;
    void EndUpdate() override;
    int UpdateCount() const { return updateCount_; }

    Notify OnChange;    // after a change
    Notify OnChanging;  // before a change

    // Text offsets (each row's bytes plus its line break, see BreakLength).
    // RowOffset(Count()) is the sum over all rows.
    int64_t RowOffset(int row) const;
    // The row whose bytes or line break hold `offset`: the first row whose
    // end lies beyond it; Count() when the offset is at or past the end.
    int RowOfOffset(int64_t offset) const;
    // RowOffset(to) - RowOffset(from); a few rows are summed directly (edits
    // ask about the rows of one line).
    int64_t SpanBytes(int from, int to) const;

    // Lines: a row that is not raWrapped ends one. LinesBefore(r) counts the
    // lines that end before row r; RowOfLine(i) is the first row of line i
    // (Count() when i is LineCount() or beyond).
    int LinesBefore(int row) const;
    int LineCount() const { return rows_.empty() ? 0 : static_cast<int>(Index().lines.Total()); }
    int RowOfLine(int line) const;
    // Without word wrap rows are lines.
    bool EveryRowEndsALine() const { return static_cast<size_t>(Index().lines.Total()) == rows_.size(); }

protected:
    virtual void Changed();
    virtual void Changing();
    // Rows came or went at `at` (every change of the row count passes here).
    virtual void RowsInserted(int /*at*/, int /*count*/) {}
    virtual void RowsDeleted(int /*at*/, int /*count*/) {}
    // The text of rows at..at+count-1 was replaced (every change of a row's
    // text passes here, ReplaceBytesRaw's included).
    virtual void RowTextChanged(int /*at*/, int /*count*/) {}

    void CheckIndex(int i) const;
    TRowAttribute AttributeOf(int i) const { return static_cast<TRowAttribute>(rows_[i].stateA & 3u); }

    // Changes without notification; indexes are trusted.
    void InsertRowsRaw(int at, int count);  // zeroed rows (raLineBreak, empty)
    void DeleteRowsRaw(int at, int count);
    void SetTextRaw(int i, std::string_view s);
    // Replaces bytes [from, from + count) of row i with `s` in place. A long
    // row gets a buffer with room on both sides, and the shorter of the two
    // parts around the change moves, so an edit near either end of a long
    // row costs what it changes, not the row's length.
    void ReplaceBytesRaw(int i, size_t from, size_t count, std::string_view s);
    void SetStateARaw(int i, uint32_t value);
    // Row `dst` takes over every field of `src`'s row `srcIndex`; the source
    // row's text is moved when it owns it, copied otherwise.
    void TakeRow(int dst, TRowStringList& src, int srcIndex);
    void ClearRaw();

    // Loading: rows whose text lies inside a block the list keeps alive.
    // The first block adopted into an empty list is the one row records
    // point into (see BaseBlock).
    void AdoptBlock(std::unique_ptr<char[]> block, size_t size);
    // Rows may point into two blocks without side entries: the block loaded
    // and one that a bulk change moves the rows into. BaseBlock gives an
    // adopted block a free one of the two places; DropBlocksBut lets go of
    // every other block once no row points into them.
    void BaseBlock(const char* block);
    void DropBlocksBut(const char* block);
    void ReserveRowsForLoad(size_t count);  // the list must be empty
    void AddRowForLoad(const char* text, size_t length);  // offsets wait for RebuildOffsets
    void RebuildOffsets();

private:
    friend class TEditorScreenStrings;

    // Packed: at two-byte alignment a record is 14 bytes, not 16.
#pragma pack(push, 2)
    struct Row {
        // kExt set: index into ext_; otherwise bit 30 picks one of the two
        // base blocks and the rest is the text's offset in it.
        uint32_t ref;
        uint32_t length;
        uint32_t stateA;
        uint16_t tokens;  // the low half of state B; its marks live in the side entry
    };
#pragma pack(pop)
    static_assert(sizeof(Row) == 14, "row records stay compact");
    static constexpr uint32_t kExt = 0x80000000u;
    static constexpr uint32_t kRefMask = 0x7FFFFFFFu;
    static constexpr uint32_t kOffsetMask = 0x3FFFFFFFu;

    // A row whose text is in neither base block, or that has marks or
    // side data.
    struct Ext {
        const char* text = nullptr;
        uint32_t side = 0;  // 0 = none, else sides_[side - 1]
        TRowMarks marks = 0;
        bool owned = false;  // text is a heap copy owned by the row
    };

    struct Side {
        std::string data;
        int32_t insertPosition = 0;
        // An owned text edited in place lies inside this buffer, with room
        // before and after it; null when the text is its own allocation.
        char* buffer = nullptr;
        size_t capacity = 0;
    };

    static int64_t EndsLine(uint32_t stateA) { return (stateA & 3u) != raWrapped ? 1 : 0; }
    static int64_t Contribution(const Row& r) {
        static constexpr uint8_t kBreak[4] = {2, 0, 1, 0};  // BreakLength of each attribute
        return static_cast<int64_t>(r.length) + kBreak[r.stateA & 3u];
    }

    const char* TextOf(const Row& r) const {
        return r.ref & kExt ? ext_[r.ref & kRefMask].text : bases_[(r.ref >> 30) & 1] + (r.ref & kOffsetMask);
    }
    bool OwnsText(const Row& r) const { return (r.ref & kExt) && ext_[r.ref & kRefMask].owned; }
    uint32_t SideIndexOf(const Row& r) const { return r.ref & kExt ? ext_[r.ref & kRefMask].side : 0; }
    TRowMarks MarksOf(const Row& r) const { return r.ref & kExt ? ext_[r.ref & kRefMask].marks : 0; }
    void SetMarksRaw(Row& r, TRowMarks marks);
    // The record's reference for a text inside a base block, if it is one.
    // Offsets past 1 GiB into a block go through a side entry.
    bool BaseRef(const char* text, size_t length, uint32_t& ref) const {
        const uintptr_t p = reinterpret_cast<uintptr_t>(text);
        for (uint32_t slot = 0; slot < 2; ++slot) {
            const uintptr_t offset = p - reinterpret_cast<uintptr_t>(bases_[slot]);  // huge when below it
            if (offset <= kOffsetMask && offset + length <= baseSizes_[slot]) {
                ref = slot << 30 | static_cast<uint32_t>(offset);
                return true;
            }
        }
        return false;
    }
    // Points the row at `text`; an owned text must have been freed before.
    // Loading, wrapping and replace-all point millions of plain records into
    // a base block: that case is decided here.
    void SetRowText(Row& r, const char* text, size_t length, bool owned) {
        if (!owned && !(r.ref & kExt) && (length == 0 || BaseRef(text, length, r.ref))) {
            if (length == 0) r.ref = 0;
            r.length = static_cast<uint32_t>(length);
            return;
        }
        SetRowTextSlow(r, text, length, owned);
    }
    void SetRowTextSlow(Row& r, const char* text, size_t length, bool owned);
    uint32_t NewExt();
    // Gives a row in a base block a side entry (keeping its text), so that
    // pointing it elsewhere cannot fail.
    void EnsureExt(Row& r);
    void ReleaseExt(Row& r) {
        if (r.ref & kExt) {
            ext_[r.ref & kRefMask] = Ext{};
            freeExt_.push_back(r.ref & kRefMask);
        }
        r.ref = 0;
    }

    void FreeRow(Row& r);
    // Frees an owned text (and forgets its buffer); the row keeps its fields.
    void FreeText(Row& r) {
        if (OwnsText(r)) FreeOwnedText(r);
    }
    void FreeOwnedText(Row& r);
    void EnsureRoom(size_t needed);
    Side* SideOf(int i);
    const Side* SideOf(int i) const;
    Side& MakeSide(int i);
    // A record without a side entry has no side data: most rows, checked inline.
    void DropSideIfEmpty(int i) {
        if (rows_[i].ref & kExt) DropEmptySide(i);
    }
    void DropEmptySide(int i);

    // The chunk index: rows, text bytes and ended lines of each chunk of
    // consecutive rows. Chunks hold about kChunkRows rows: one grown past
    // twice that is split, neighbours that fit in one are merged.
    static constexpr size_t kChunkRows = 32;
    size_t ChunkOf(size_t row) const;  // the last chunk for row >= Count()
    size_t HintedPart(const Partitioning& p, int64_t x) const;  // the chunk whose part of p holds x
    void Adjust(size_t row, int64_t bytes, int64_t lines);
    void IndexInserted(size_t chunk, size_t at, size_t count);
    void IndexErasing(size_t at, size_t count);  // before the rows go
    void SplitChunk(size_t chunk);
    void MergeAround(size_t row);
    void MergeInto(size_t chunk);  // chunk + 1 joins chunk
    template <typename Of>
    int64_t SumOver(size_t from, size_t to, Of of) const;
    int64_t SumBytes(size_t from, size_t to) const;
    int64_t SumLines(size_t from, size_t to) const;
    // Offsets and lines within the chunks last asked about: queries come in
    // bursts about the same rows (the caret's, the top row's). Kept up to date by changes of its rows'
    // lengths and rows; a change of the chunks drops them.
    struct ChunkSums {
        size_t chunk = SIZE_MAX;
        uint64_t version = 0;
        size_t rows = 0;
        int64_t bytes[2 * kChunkRows + 1];
        int32_t lines[2 * kChunkRows + 1];
    };
    // The sums of a chunk asked about a second time since the index last
    // changed; null the first time (one query is cheaper without them).
    const ChunkSums* SumsOf(size_t chunk) const;
    // The kept sums of the chunk holding `row`, and the chunk's first row.
    const ChunkSums* KeptSumsHolding(size_t row, size_t& first) const {
        if (!sums_) return nullptr;
        for (int k = 0; k < 2; ++k) {
            const int at = latestSums_ ^ k;
            const ChunkSums& s = sums_[at];
            if (s.version != version_) continue;
            first = static_cast<size_t>(index_->rows.Start(s.chunk));
            if (row - first < s.rows) {  // wraps when row < first
                latestSums_ = at;
                return &s;
            }
        }
        return nullptr;
    }
    ChunkSums* CachedSums(size_t chunk) const {
        if (!sums_) return nullptr;
        for (int k = 0; k < 2; ++k)
            if (sums_[k].chunk == chunk && sums_[k].version == version_) return &sums_[k];
        return nullptr;
    }

    void AddRowsForLoad(const Row* rows, size_t count) { rows_.Append(rows, count); }

    // Made at the first query and kept from then on: scratch lists of a few
    // rows, built and dropped for every edit, never need one.
    struct ChunkIndex {
        Partitioning rows;
        Partitioning bytes;
        Partitioning lines;
    };
    const ChunkIndex& Index() const {
        if (!index_) BuildIndex();
        return *index_;
    }
    void BuildIndex() const;

    SplitVector<Row> rows_;
    mutable std::unique_ptr<ChunkIndex> index_;
    mutable size_t lastChunks_[2] = {0, 0};  // the last chunks asked about, the latest first
    mutable uint64_t version_ = 1;
    mutable std::unique_ptr<ChunkSums[]> sums_;  // the two chunks asked about last
    mutable int latestSums_ = 0;
    mutable size_t askedChunk_ = SIZE_MAX;
    mutable uint64_t askedVersion_ = 0;
    const char* bases_[2] = {nullptr, nullptr};
    size_t baseSizes_[2] = {0, 0};
    std::vector<Ext> ext_;
    std::vector<uint32_t> freeExt_;
    std::vector<Side> sides_;
    std::vector<uint32_t> freeSides_;
    struct Block {
        std::unique_ptr<char[]> data;
        size_t size = 0;
    };
    std::vector<Block> blocks_;
    int updateCount_ = 0;
};

// Accessors of the packed state words.
//   A: bits 0-1 row attribute, 2-3 previous row's attribute, 4-7 bracket
//      index + 2, 8-15 element index, 16-23 remain, 24-31 extra.
//   B: bits 0-7 start token, 8-15 previous token, 16-31 mark set.
class TRowAttributeStringList : public TRowStringList {
public:
    TRowAttribute GetRowAttribute(int i) const;
    void SetRowAttribute(int i, TRowAttribute a);
    TRowAttribute GetPrevAttribute(int i) const;
    void SetPrevAttribute(int i, TRowAttribute a);
    int GetBracketIndex(int i) const;  // -2 not computed, -1 none, 0..13
    void SetBracketIndex(int i, int index);
    int GetElementIndex(int i) const;
    void SetElementIndex(int i, int value);
    int GetRemain(int i) const;
    void SetRemain(int i, int value);
    int GetExtra(int i) const;
    void SetExtra(int i, int value);
    int GetStartToken(int i) const;
    void SetStartToken(int i, int value);
    int GetPrevToken(int i) const;
    void SetPrevToken(int i, int value);
    TRowMarks GetMarks(int i) const;
    void SetMarks(int i, TRowMarks marks);

private:
    uint32_t FieldA(int i, int shift, uint32_t mask) const { return (GetStateA(i) >> shift) & mask; }
    void SetFieldA(int i, int shift, uint32_t mask, uint32_t v);
    uint32_t FieldB(int i, int shift, uint32_t mask) const { return (GetStateB(i) >> shift) & mask; }
    void SetFieldB(int i, int shift, uint32_t mask, uint32_t v);
};

// Scratch lists: rows built by splitting text or removing a selection.
class TEditorStringList : public TRowAttributeStringList {
public:
    // Joins the rows as text: CR LF after each raLineBreak row.
    std::string JoinedText() const;
};

}  // namespace editor
