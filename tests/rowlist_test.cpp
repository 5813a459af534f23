// Row lists: capacity growth, index errors, notifications, packed fields and
// the text offset index.
#include <gtest/gtest.h>

#include <cstring>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "editor/RowStringList.h"

using namespace editor;

namespace {

// Reaches the bulk row changes and the loading calls.
class BulkList : public TEditorStringList {
public:
    using TRowStringList::AddRowForLoad;
    using TRowStringList::AdoptBlock;
    using TRowStringList::DeleteRowsRaw;
    using TRowStringList::InsertRowsRaw;
    using TRowStringList::RebuildOffsets;
    using TRowStringList::ReserveRowsForLoad;
};

struct ModelRow {
    std::string text;
    TRowAttribute attribute = raLineBreak;
};

void ExpectIndexMatches(const BulkList& list, const std::vector<ModelRow>& model, int step) {
    ASSERT_EQ(list.Count(), static_cast<int>(model.size())) << "step " << step;
    int64_t offset = 0;
    int line = 0;
    for (int r = 0; r < list.Count(); ++r) {
        const ModelRow& m = model[static_cast<size_t>(r)];
        ASSERT_EQ(list.Text(r), m.text) << "row " << r << " step " << step;
        ASSERT_EQ(list.RowOffset(r), offset) << "row " << r << " step " << step;
        ASSERT_EQ(list.LinesBefore(r), line) << "row " << r << " step " << step;
        if (r == 0 || model[static_cast<size_t>(r) - 1].attribute != raWrapped)
            ASSERT_EQ(list.RowOfLine(line), r) << "line " << line << " step " << step;
        const int64_t end = offset + static_cast<int64_t>(m.text.size()) + BreakLength(m.attribute);
        if (end > offset) {
            ASSERT_EQ(list.RowOfOffset(offset), r) << "offset " << offset << " step " << step;
            ASSERT_EQ(list.RowOfOffset(end - 1), r) << "offset " << end - 1 << " step " << step;
        }
        offset = end;
        if (m.attribute != raWrapped) ++line;
    }
    ASSERT_EQ(list.RowOffset(list.Count()), offset);
    // Spans of a few rows are summed, longer ones come from the index; either way round.
    for (int r = 0; r < list.Count(); r += 7)
        for (int to : {r + 1, r + 3, r + 33, r + 300, list.Count() + 5}) {
            const int64_t bytes = list.RowOffset(to) - list.RowOffset(r);
            ASSERT_EQ(list.SpanBytes(r, to), bytes) << r << ".." << to << " step " << step;
            ASSERT_EQ(list.SpanBytes(to, r), -bytes) << to << ".." << r << " step " << step;
        }
    ASSERT_EQ(list.RowOfOffset(offset), list.Count());
    ASSERT_EQ(list.LineCount(), line);
    ASSERT_EQ(list.RowOfLine(line), list.Count());
}

}  // namespace

// Thousands of rows, so that the offset index splits and merges its chunks:
// bulk inserts and deletes anywhere, texts, attributes and exchanges, each
// step checked against a plain list.
TEST(RowStringList, OffsetIndexFollowsBulkChangesLikeAPlainList) {
    std::mt19937 rng(20261209);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    BulkList list;
    std::vector<ModelRow> model;
    auto text = [&] { return std::string(static_cast<size_t>(pick(6)), static_cast<char>('a' + pick(26))); };
    // Queries about the rows around a change first, so that it meets the
    // index's kept sums of that chunk.
    auto warm = [&](int at) {
        for (int k = 0; k < 2; ++k) list.RowOffset(std::max(0, at - k));
        list.LinesBefore(at);
    };
    for (int step = 0; step < 400; ++step) {
        const int n = list.Count();
        const int op = n == 0 ? 0 : pick(7);
        if (op == 0 || op == 1) {  // a block of new rows, sometimes big enough to split several chunks
            const int at = pick(n + 1), count = op == 0 ? 1 + pick(400) : 1 + pick(3);
            if (pick(2)) warm(at);
            list.InsertRowsRaw(at, count);
            model.insert(model.begin() + at, static_cast<size_t>(count), ModelRow{});
            for (int k = 0; k < count; k += 1 + pick(4)) {
                const std::string t = text();
                list.Put(at + k, t);
                model[static_cast<size_t>(at + k)].text = t;
            }
        } else if (op == 2 || (op == 3 && n > 1500)) {  // rows across chunk ends go
            const int at = pick(n), count = 1 + pick(std::min(n - at, op == 2 ? 200 : n));
            if (pick(2)) warm(at);
            list.DeleteRowsRaw(at, count);
            model.erase(model.begin() + at, model.begin() + at + count);
        } else if (op == 3 || op == 4) {
            const int i = pick(n);
            if (pick(2)) warm(i);
            const std::string t = text();
            list.Put(i, t);
            model[static_cast<size_t>(i)].text = t;
        } else if (op == 5) {
            const int i = pick(n);
            const TRowAttribute a = static_cast<TRowAttribute>(pick(3));
            list.SetRowAttribute(i, a);
            model[static_cast<size_t>(i)].attribute = a;
        } else {
            const int i = pick(n), j = pick(n);
            list.Exchange(i, j);
            std::swap(model[static_cast<size_t>(i)], model[static_cast<size_t>(j)]);
        }
        if (step % 100 == 99) {  // no wrapped row left: rows are lines again
            for (int r = 0; r < list.Count(); ++r)
                if (model[static_cast<size_t>(r)].attribute == raWrapped) {
                    list.SetRowAttribute(r, raLineBreak);
                    model[static_cast<size_t>(r)].attribute = raLineBreak;
                }
        }
        ExpectIndexMatches(list, model, step);
        if (HasFatalFailure()) return;
    }
}

// Row records hold 30-bit offsets into the loaded block; rows further in
// (a file over 1 GiB) keep their texts through a side entry.
TEST(RowStringList, RowsPastOneGigabyteOfTheLoadedBlockKeepTheirTexts) {
    const size_t size = (size_t{1} << 30) + (size_t{1} << 20);
    std::unique_ptr<char[]> block(new (std::nothrow) char[size]);  // its pages are never touched but these
    if (!block) GTEST_SKIP() << "no address space for the block";
    char* base = block.get();
    const std::vector<size_t> at{0, (size_t{1} << 30) - 16, (size_t{1} << 30) - 1, (size_t{1} << 30) + 16, size - 5};
    BulkList list;
    list.AdoptBlock(std::move(block), size);
    list.ReserveRowsForLoad(at.size());
    for (size_t k = 0; k < at.size(); ++k) {
        std::memcpy(base + at[k], "ABCDE", 5);
        base[at[k]] = static_cast<char>('0' + k);
        list.AddRowForLoad(base + at[k], 5);
    }
    list.RebuildOffsets();
    for (size_t k = 0; k < at.size(); ++k) {
        EXPECT_EQ(list.Text(static_cast<int>(k)), std::string(1, static_cast<char>('0' + k)) + "BCDE");
        EXPECT_EQ(list.RowOffset(static_cast<int>(k)), static_cast<int64_t>(7 * k));
    }
    list.SetData(4, "side");
    list.SetData(4, "");
    list.Put(0, "edited");
    EXPECT_EQ(list.Text(4), "4BCDE");
    EXPECT_EQ(list.Text(0), "edited");
}

TEST(RowStringList, CapacityGrowsByTheListRule) {
    TEditorStringList list;
    std::vector<int> seen;
    for (int i = 0; i < 120; ++i) {
        list.Add("x");
        if (seen.empty() || seen.back() != list.Capacity()) seen.push_back(list.Capacity());
    }
    // 4 while small, 16 above 8, a quarter above 64.
    EXPECT_EQ(seen, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
    list.Clear();
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.Count(), 0);
}

TEST(RowStringList, BadIndexRaisesListErrorAndChangesNothing) {
    TEditorStringList list;
    list.Add("a");
    list.Add("b");
    try {
        list.Get(2);
        FAIL() << "no error";
    } catch (const platform::EListError& e) {
        EXPECT_STREQ(e.what(), "リストのインデックスが範囲を超えています (2)");
        EXPECT_EQ(e.index(), 2);
    }
    EXPECT_THROW(list.Put(-1, "x"), platform::EListError);
    EXPECT_THROW(list.Insert(3, "x"), platform::EListError);
    EXPECT_THROW(list.Delete(2), platform::EListError);
    EXPECT_THROW(list.Exchange(0, 5), platform::EListError);
    EXPECT_THROW(list.SetStateA(9, 1), platform::EListError);
    EXPECT_THROW(list.SetCapacity(1), platform::EListError);
    list.Insert(2, "c");  // Count itself is a valid place to insert
    EXPECT_EQ(list.JoinedText(), "a\r\nb\r\nc\r\n");
}

TEST(RowStringList, NotifiesAroundEachChangeAndOncePerBracket) {
    TEditorStringList list;
    std::string log;
    list.OnChanging = [&] { log += "<"; };
    list.OnChange = [&] { log += ">"; };
    list.Add("a");
    list.Insert(0, "b");
    list.Put(1, "c");
    list.Exchange(0, 1);
    list.Delete(0);
    EXPECT_EQ(log, "<><><><><>");
    log.clear();
    list.BeginUpdate();
    list.Add("x");
    list.BeginUpdate();
    list.Add("y");
    list.EndUpdate();
    EXPECT_EQ(log, "<");
    list.EndUpdate();
    EXPECT_EQ(log, "<>");
    log.clear();
    list.Clear();
    list.Clear();  // already empty: nothing to tell
    EXPECT_EQ(log, "<>");
    EXPECT_THROW(list.Exchange(0, 0), platform::EListError);
}

TEST(RowAttributeStringList, EachFieldReplacesOnlyItsBits) {
    TEditorStringList list;
    list.Add("row");
    list.SetStateA(0, 0xFFFFFFFFu);
    list.SetStateB(0, 0xFFFFFFFFu);
    list.SetRowAttribute(0, raEndOfText);
    list.SetBracketIndex(0, -2);
    list.SetElementIndex(0, 0x12);
    list.SetRemain(0, 0x34);
    list.SetExtra(0, 0x56);
    list.SetPrevAttribute(0, raWrapped);
    EXPECT_EQ(list.GetStateA(0), 0x56341206u);
    list.SetStartToken(0, 0xAB);
    list.SetPrevToken(0, 0xCD);
    list.SetMarks(0, 0x8001);
    EXPECT_EQ(list.GetStateB(0), 0x8001CDABu);
    EXPECT_EQ(list.GetMarks(0), 0x8001);
    EXPECT_EQ(list.GetRowAttribute(0), raEndOfText);
    EXPECT_EQ(list.GetPrevAttribute(0), raWrapped);

    for (int b = -2; b <= 13; ++b) {
        list.SetBracketIndex(0, b);
        EXPECT_EQ(list.GetBracketIndex(0), b);
    }
    // A new row is all zero: a line break row whose bracket index reads "not computed".
    list.Add("new");
    EXPECT_EQ(list.GetRowAttribute(1), raLineBreak);
    EXPECT_EQ(list.GetBracketIndex(1), -2);
    EXPECT_EQ(list.GetMarks(1), 0);
}

TEST(RowStringList, SideFieldsTravelWithTheirRows) {
    TEditorStringList list;
    for (const char* s : {"a", "b", "c"}) list.Add(s);
    list.SetData(1, "carried");
    list.SetInsertPosition(1, 7);
    list.Insert(0, "z");
    EXPECT_EQ(list.GetData(2), "carried");
    EXPECT_EQ(list.GetInsertPosition(2), 7);
    list.Exchange(2, 0);
    EXPECT_EQ(list.GetData(0), "carried");
    EXPECT_EQ(list.Get(0), "b");
    EXPECT_EQ(list.GetData(2), "");
    list.Delete(0);
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.GetData(i), "");
        EXPECT_EQ(list.GetInsertPosition(i), 0);
    }
    // Freed side entries are reused without leaking values into other rows.
    list.SetData(0, "again");
    EXPECT_EQ(list.GetData(0), "again");
    EXPECT_EQ(list.GetData(1), "");
}

TEST(RowStringList, OffsetsFollowTextsAndAttributes) {
    TEditorStringList list;
    for (const char* s : {"ab", "", "cde", "f"}) list.Add(s);
    // All raLineBreak: each row adds 2.
    EXPECT_EQ(list.RowOffset(1), 4);
    EXPECT_EQ(list.RowOffset(4), 14);
    list.SetRowAttribute(2, raWrapped);
    list.SetRowAttribute(3, raEndOfText);
    EXPECT_EQ(list.RowOffset(3), 9);
    EXPECT_EQ(list.RowOffset(4), 11);
    // An offset on a line break belongs to the row before it; a wrap joint to the next row.
    EXPECT_EQ(list.RowOfOffset(2), 0);
    EXPECT_EQ(list.RowOfOffset(3), 0);
    EXPECT_EQ(list.RowOfOffset(4), 1);
    EXPECT_EQ(list.RowOfOffset(9), 3);
    EXPECT_EQ(list.RowOfOffset(11), 4);
    list.Put(0, "");
    EXPECT_EQ(list.RowOffset(4), 9);
    list.Exchange(0, 2);
    EXPECT_EQ(list.RowOffset(1), 3);
    EXPECT_EQ(list.RowOffset(4), 9);
}

#include "editor/Editor.h"

TEST(WrapOption, LimitsWrapByteAndNotifiesOnlyOnRealChanges) {
    TEditorWrapOption option;
    int changes = 0;
    option.OnChange = [&](TNotifyPersistent&) { ++changes; };
    option.SetWrapByte(10);
    EXPECT_EQ(option.WrapByte(), 20);
    option.SetWrapByte(300);
    EXPECT_EQ(option.WrapByte(), 250);
    option.SetWrapByte(250);
    option.SetLeading(false);  // unchanged: no notice
    EXPECT_EQ(changes, 2);
    option.BeginUpdate();
    option.SetLeading(true);
    option.SetWordBreak(true);
    option.EndUpdate();
    EXPECT_EQ(changes, 3);
    // Default strings are Shift-JIS: "（" is 0x81 0x69.
    EXPECT_EQ(option.LeadStr().substr(0, 2), "\x81\x69");
}

TEST(WrapOption, AssigningCopiesIntoTheStoresOwnOption) {
    TEditor ed;
    ed.Lines().SetTextStr("a\r\nb\r\n");
    ed.SetRowCol(1, 1);
    TEditorWrapOption option;
    option.SetWrapByte(40);
    ed.SetWrapOption(option);  // word wrap off: rows untouched, caret kept
    EXPECT_EQ(ed.WrapOption().WrapByte(), 40);
    EXPECT_EQ(ed.Col(), 1);
    ed.SetWordWrap(true);
    EXPECT_EQ(ed.Col(), 0);  // switching wrap puts the caret at column 0
    EXPECT_EQ(ed.Lines().GetTextStr(), "a\r\nb\r\n");
}
