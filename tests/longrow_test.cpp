// Rows far longer than the 1000 columns a caret can reach: edits inside a
// row change it in place, selections set by offsets reach past the caret's
// columns, and keys near the start of a long row act as on a short one.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "EditorCommandUtil.h"
#include "platform/ShiftJis.h"

using namespace editor;

namespace {

// Bytes of a long row: letters, blanks, TABs and double-byte characters.
std::string LongText(size_t n, uint32_t seed) {
    static const char* const pieces[] = {"ab", " ", "\t", "\x88\x9f", "x;", "\x82\xa0"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) s += pieces[rng() % 6];
    return s;
}

bool IsCharStart(const std::string& s, int at) {
    int i = 0;
    while (i < at) i += platform::IsLeadByte(static_cast<unsigned char>(s[static_cast<size_t>(i)])) ? 2 : 1;
    return i == at;
}

}  // namespace

TEST(LongRow, ReplaceBytesEditsInPlaceAtEitherEndAndKeepsOffsets) {
    TEditor ed;
    std::string row = LongText(100'000, 1);
    Load(ed, "first\r\n" + row + "\r\nlast");
    TEditorScreenStrings& s = ed.Store();
    s.SetMarks(1, 0x0004);
    std::mt19937 rng(7);
    for (int step = 0; step < 1200; ++step) {
        // Mostly near the ends, where a long row is edited without moving
        // its bulk, sometimes anywhere.
        const size_t n = row.size();
        size_t at = rng() % 3 == 0 ? rng() % (n + 1) : rng() % 2 ? rng() % 1200 : n - rng() % std::min<size_t>(n, 1200);
        size_t count = std::min<size_t>(rng() % 40, n - at);
        std::string put(rng() % (step < 600 ? 60 : 10), 'q');  // grows past the room, then shrinks
        s.ReplaceBytes(1, static_cast<int>(at), static_cast<int>(at + count), put);
        row.replace(at, count, put);
        ASSERT_TRUE(s.Text(1) == row) << "step " << step;
    }
    EXPECT_EQ(ed.GetText(), "first\r\n" + row + "\r\nlast");
    EXPECT_EQ(s.RowOffset(2), static_cast<int64_t>(7 + row.size() + 2));
    EXPECT_EQ(s.GetMarks(1), 0x0004);
    EXPECT_EQ(s.LastChange().valid, false);  // published, then cleared at the end of the change
    // The row's text travels with it when rows above come and go.
    s.ReplaceRows(0, 1, "a\r\nb\r\n");
    EXPECT_EQ(s.Text(2), row);
    s.ReplaceRows(0, 2, "");
    EXPECT_EQ(s.Text(0), row);
    EXPECT_EQ(ed.GetText(), row + "\r\nlast");
}

TEST(LongRow, ReplaceBytesPublishesOneChangeAndRescansTheRowsBelow) {
    TEditor ed;
    Load(ed, std::string(20'000, 'a') + "\r\nint x;\r\n");
    TEditorViewInfo& v = ed.View();
    v.SetBrackets({{"/*", "*/", {clWhite, clRed, 0}}});
    int changes = 0;
    CountChanges(ed, &changes);
    ed.Store().ReplaceBytes(0, 10, 10, "/*");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(ed.Store().GetBracketIndex(1), 0);  // the comment now runs on into the next row
    ed.Store().ReplaceBytes(0, 10, 12, "");
    EXPECT_EQ(ed.Store().GetBracketIndex(1), -1);
    EXPECT_EQ(changes, 2);
}

TEST(LongRow, KeysNearTheStartActAsOnAShortRow) {
    TEditor ed;
    std::string row = LongText(300'000, 2);
    Load(ed, row);
    TEditorCaret c = DocumentCaret();
    ed.SetCaret(c);
    auto byteAt = [&](int col) { return ed.ByteIndex(0, col); };
    for (int col : {0, 1, 7, 500, 900}) {
        ed.SetRowCol(0, col);
        const size_t at = static_cast<size_t>(byteAt(ed.Col()));
        ed.InsertText("zz");
        row.insert(at, "zz");
        ASSERT_TRUE(ed.RowText(0) == row) << col;
        ed.DeleteKey();
        const size_t len = (static_cast<unsigned char>(row[at + 2]) & 0x80) && row[at + 2] != '\t' ? 2 : 1;
        row.erase(at + 2, len);
        ASSERT_TRUE(ed.RowText(0) == row) << col;
        ed.Backspace();
        row.erase(at + 1, 1);
        ASSERT_TRUE(ed.RowText(0) == row) << col;
    }
    // Overwriting half of a double-byte character leaves a blank for the other half.
    ed.Store().ReplaceBytes(0, 0, 0, "\x88\x9fxy");
    row.insert(0, "\x88\x9fxy");
    ed.SetOverwrite(true);
    ed.SetRowCol(0, 0);
    ed.InsertText("A");
    row.replace(0, 2, "A ");
    EXPECT_TRUE(ed.RowText(0) == row);
    EXPECT_TRUE(CaretAt(ed, 0, 1));
    ed.SetOverwrite(false);
    // The caret's end and word moves stop at the column limit.
    ed.SetRowCol(0, 0);
    ed.KeyDown(vkEnd, {}, false);
    EXPECT_GE(ed.Col(), 1000);
    EXPECT_LE(ed.Col(), 1001);
    ed.SetRowCol(0, 990);
    for (int i = 0; i < 20; ++i) ed.KeyDown(vkRight, {false, true, false}, false);
    EXPECT_LE(ed.Col(), 1001);
    EXPECT_EQ(ed.EndColumn(0), kBeyondCaret);
}

TEST(LongRow, SelectAllAndSetSelReachPastTheCaretsColumns) {
    TEditor ed;
    FakeClipboard clip;
    ed.SetClipboard(&clip);
    const std::string row = LongText(1500, 3);
    Load(ed, row);
    ed.SelectAll();
    EXPECT_EQ(ed.SelLength(), 1500);
    EXPECT_EQ(ed.SelectedText(), row);
    int64_t start = -1, end = -1;
    ed.GetSel(&start, &end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 1500);
    ed.Copy();
    EXPECT_EQ(clip.text, row);
    ed.DeleteSelection();
    EXPECT_EQ(ed.GetText(), "");

    Load(ed, row + "\r\nnext");
    // A range wholly beyond the caret's columns, character starts at both ends.
    int a = 1200, b = 1400;
    while (a > 0 && !IsCharStart(row, a)) --a;
    while (b > 0 && !IsCharStart(row, b)) --b;
    ed.SetSel(a, b);
    EXPECT_EQ(ed.SelectedText(), row.substr(static_cast<size_t>(a), static_cast<size_t>(b - a)));
    ed.GetSel(&start, &end);
    EXPECT_EQ(start, a);
    EXPECT_EQ(end, b);
    ed.CutToClipboard();
    EXPECT_EQ(clip.text, row.substr(static_cast<size_t>(a), static_cast<size_t>(b - a)));
    EXPECT_EQ(ed.GetText(), row.substr(0, static_cast<size_t>(a)) + row.substr(static_cast<size_t>(b)) + "\r\nnext");
    // Across the line break from past the limit.
    Load(ed, row + "\r\nnext");
    ed.SetSel(a, 1500 + 2 + 2);
    EXPECT_EQ(ed.SelectedText(), row.substr(static_cast<size_t>(a)) + "\r\nne");
    // The caret stands for an offset past its columns until it moves.
    ed.SetSelStart(a);
    ed.GetSel(&start, &end);
    EXPECT_EQ(start, a);
    EXPECT_EQ(end, a);
    ed.KeyDown(vkLeft, {}, false);
    EXPECT_LT(ed.SelStart(), 1001);
}
