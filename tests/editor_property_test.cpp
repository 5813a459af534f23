// Random editing commands, checked after every step against a plain string
// model of the text where the effect is simple (typing, Enter, Backspace,
// Delete, replacing and deleting selections, with the caret offset they
// leave) and otherwise (box paste and box edits, overwrite typing, indenting
// Enter) against the invariants of rows, caret and change notification.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "EditorCommandUtil.h"
#include "platform/ShiftJis.h"

using namespace editor;

namespace {

std::string CrLf(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r' && s[i] != '\n') out += s[i];
        else out += "\r\n", i += s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n';
    }
    return out;
}

class CommandRun {
public:
    // With `document`, the document window's caret options (no free caret, InTab).
    CommandRun(uint32_t seed, bool document) : rng_(seed) {
        Load(ed_, "int main()\r\n{\r\n\treturn 0; // \x82\xa0\x88\x9f\r\n}\r\n");
        TEditorCaret c = document ? DocumentCaret() : TEditorCaret();
        c.autoIndent = c.backSpaceUnIndent = false;
        ed_.SetCaret(c);
        model_ = ed_.GetText();
        CountChanges(ed_, &changes_);
    }

    void Step(int step) {
        const int kind = model_.size() > 400 ? -1 : Below(10);
        SCOPED_TRACE(testing::Message() << "step " << step << " command " << kind << " on " << testing::PrintToString(model_));
        const int before = changes_;
        const int expected = Command(kind);
        Check();
        ASSERT_EQ(changes_ - before, expected) << "changes";
    }

private:
    int Below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(std::max(n, 1))); }
    std::string Piece(bool breaks) {
        static const char* pieces[] = {"a", "xy", "\x82\xa0", "\x88\x9f", " ", "\t", "\x81\x40", "\r\n", "\n", "p\rq"};
        std::string s;
        for (int n = 1 + Below(3); n > 0; --n) s += pieces[Below(breaks ? 10 : 7)];
        return s;
    }
    int MaxRow() const {
        const int n = ed_.RowCount();
        return n > 0 && ed_.RowAttribute(n - 1) == raEndOfText ? n - 1 : n;
    }
    // Byte starts of row r's characters, its end included.
    std::vector<int> Starts(int r) const {
        std::string_view t = ed_.RowText(r);
        std::vector<int> s;
        for (size_t i = 0; i < t.size(); i += platform::IsLeadByte(static_cast<unsigned char>(t[i])) && i + 1 < t.size() ? 2 : 1)
            s.push_back(static_cast<int>(i));
        s.push_back(static_cast<int>(t.size()));
        return s;
    }
    // The caret on a random character start; its offset, byte and the character's length.
    int64_t PlaceCaret(int* byte, int* length) {
        ed_.SetSel(-1, 0);
        const int row = Below(MaxRow() + 1);
        const std::vector<int> s = Starts(row);
        const size_t i = static_cast<size_t>(Below(static_cast<int>(s.size())));
        *byte = s[i];
        *length = i + 1 < s.size() ? s[i + 1] - s[i] : 0;
        ed_.SetRowCol(row, ed_.TextWidth(ed_.RowText(row).substr(0, static_cast<size_t>(*byte))));
        const int64_t offset = ed_.Store().RowOffset(row) + *byte;
        EXPECT_EQ(ed_.SelStart(), offset) << "caret placed";
        return offset;
    }
    // A random range between character starts, selected by offsets.
    std::pair<int64_t, int64_t> SelectRange() {
        std::vector<int64_t> places;
        for (int r = 0; r <= MaxRow(); ++r)
            for (int b : Starts(r)) places.push_back(ed_.Store().RowOffset(r) + b);
        int64_t a = places[static_cast<size_t>(Below(static_cast<int>(places.size())))];
        int64_t b = places[static_cast<size_t>(Below(static_cast<int>(places.size())))];
        if (a > b) std::swap(a, b);
        ed_.SetSel(a, b);
        EXPECT_EQ(ed_.SelLength(), b - a);
        EXPECT_EQ(ed_.SelectedText(), model_.substr(static_cast<size_t>(a), static_cast<size_t>(b - a)));
        return {a, b - a};
    }
    void BoxFromCaret() {
        ed_.SetSelectionMode(smBox);
        ed_.StartSelection();
        ed_.SetRowCol(Below(MaxRow() + 1), Below(12));
        ed_.Extend();
    }
    void Expect(size_t at, size_t erase, const std::string& put, int64_t caret) {
        model_.replace(at, erase, put);
        EXPECT_EQ(ed_.SelStart(), caret) << "caret";
    }

    // Runs one command; the number of changes it must make.
    int Command(int kind) {
        int byte = 0, length = 0;
        if (kind < 0) {  // keeps rows short of the column limit
            ed_.SelectAll();
            ed_.DeleteSelection();
            model_.clear();
            return 1;
        }
        if (kind >= 7) {  // no model: box paste, box edits, overwrite, indenting Enter
            int expected = 1;
            PlaceCaret(&byte, &length);
            if (kind == 7) {
                if (Below(3) == 0) SelectRange();
                else if (Below(2) == 0) BoxFromCaret();
                ed_.BoxPaste(Piece(false) + "\r\n" + Piece(false));
            } else if (kind == 8) {
                BoxFromCaret();
                if (Below(2) == 0) {
                    // A box wholly on the empty place after the last line break holds no row.
                    expected = ed_.SelectionColumns().topRow < ed_.RowCount() ? 1 : 0;
                    ed_.DeleteSelection();
                } else {
                    ed_.InsertText("#");
                }
            } else if (Below(2) == 0) {
                ed_.SetOverwrite(true);
                ed_.InsertText(Piece(false));
                ed_.SetOverwrite(false);
            } else {
                TEditorCaret c = ed_.Caret();
                c.autoIndent = c.prevSpaceIndent = true;
                ed_.SetCaret(c);
                ed_.Enter(Below(2) == 0);
                c.autoIndent = c.prevSpaceIndent = false;
                ed_.SetCaret(c);
            }
            ed_.SetSelectionMode(smNormal);
            model_ = ed_.GetText();
            return expected;
        }
        if (kind == 5 || kind == 6) {  // a selection replaced (line breaks included) or deleted
            auto [at, count] = SelectRange();
            const std::string put = kind == 5 ? CrLf(Piece(true)) : "";
            if (kind == 5) ed_.SetSelText(put);
            else ed_.DeleteSelection();
            Expect(static_cast<size_t>(at), static_cast<size_t>(count), put, at + static_cast<int64_t>(put.size()));
            return kind == 5 || count > 0 ? 1 : 0;
        }
        if (kind == 1) {  // typing past the end of a row: blanks fill the gap
            const int row = Below(MaxRow() + 1);
            const int extra = ed_.Caret().freeCaret ? 1 + Below(3) : 0;
            ed_.SetSel(-1, 0);
            ed_.SetRowCol(row, ed_.EndColumn(row) + extra);
            const std::string s = Piece(false);
            const int64_t at = ed_.Store().RowOffset(row) + static_cast<int64_t>(ed_.RowText(row).size());
            ed_.InsertText(s);
            const std::string put = std::string(static_cast<size_t>(extra), ' ') + s;
            Expect(static_cast<size_t>(at), 0, put, at + static_cast<int64_t>(put.size()));
            return 1;
        }
        const int64_t at = PlaceCaret(&byte, &length);
        const int row = ed_.Row();
        if (kind == 0 || kind == 2) {  // typing at a character, or Enter without indentation
            const std::string s = kind == 0 ? Piece(false) : "\r\n";
            if (kind == 0) ed_.InsertText(s);
            else ed_.Enter(false);
            Expect(static_cast<size_t>(at), 0, s, at + static_cast<int64_t>(s.size()));
            return 1;
        }
        if (kind == 3) {  // Backspace: the character before, or the line break before the row
            int removed = byte > 0 ? 0 : row > 0 ? 2 : 0;
            if (byte > 0) {
                const std::vector<int> s = Starts(row);
                removed = byte - *(std::lower_bound(s.begin(), s.end(), byte) - 1);
            }
            ed_.Backspace();
            Expect(static_cast<size_t>(at - removed), static_cast<size_t>(removed), "", at - removed);
            return removed > 0 ? 1 : 0;
        }
        // Delete: the character at the caret, or the row's line break.
        const int removed = length > 0 ? length : row < ed_.RowCount() && ed_.RowAttribute(row) == raLineBreak ? 2 : 0;
        ed_.DeleteKey();
        Expect(static_cast<size_t>(at), static_cast<size_t>(removed), "", at);
        return removed > 0 ? 1 : 0;
    }

    void Check() {
        ASSERT_EQ(ed_.GetText(), model_);
        std::string joined;
        for (int r = 0, n = ed_.RowCount(); r < n; ++r) {
            std::string_view text = ed_.RowText(r);
            ASSERT_EQ(text.find_first_of(std::string_view("\r\n\0", 3)), std::string_view::npos) << "row " << r;
            const TRowAttribute a = ed_.RowAttribute(r);
            ASSERT_TRUE(a == raLineBreak || (a == raEndOfText && r == n - 1)) << "row " << r << " attribute " << int(a);
            joined += std::string(text) + (a == raLineBreak ? "\r\n" : "");
        }
        ASSERT_EQ(joined, model_);
        ASSERT_EQ(ed_.TextLength(), static_cast<int64_t>(model_.size()));
        ASSERT_TRUE(ed_.Row() >= 0 && ed_.Row() <= MaxRow()) << "caret row " << ed_.Row();
        ASSERT_TRUE(ed_.Col() >= 0 && ed_.Col() <= 1001) << "caret column " << ed_.Col();
        const std::string map = ed_.ColumnMap(ed_.Row());
        const char kind = static_cast<size_t>(ed_.Col()) < map.size() ? map[static_cast<size_t>(ed_.Col())] : '0';
        ASSERT_TRUE(kind != '5' && (kind != '3' || ed_.Caret().inTab)) << "caret column " << ed_.Col() << " of " << map;
    }

    std::mt19937 rng_;
    TEditor ed_;
    std::string model_;
    int changes_ = 0;
};

}  // namespace

TEST(EditorProperty, RandomCommandsKeepTextCaretAndChangesConsistent) {
    for (uint32_t seed : {14u, 47u, 20240517u}) {
        for (bool document : {false, true}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << (document ? ", document window caret" : ""));
            CommandRun run(seed, document);
            for (int step = 0; step < 2000 && !testing::Test::HasFailure(); ++step) run.Step(step);
        }
    }
}
