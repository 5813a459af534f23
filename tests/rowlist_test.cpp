// Row lists: capacity growth, index errors, notifications, packed fields and
// the text offset index.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/RowStringList.h"

using namespace editor;

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
