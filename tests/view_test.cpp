// Scrolling and repainting: what the editor asks its window to move and to
// paint again after scrolls, caret and selection moves and edits, checked
// call by call and against a model of the pixels on screen.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "DocumentEditor.h"
#include "EditorCommandUtil.h"
#include "RecordingCanvas.h"
#include "editor/EditorPainter.h"
#include "editor/EditorParser.h"

using namespace editor;

namespace {

constexpr int kWidth = 800, kHeight = 600;

std::array<int, 4> Box(const TRect& r) { return {r.left, r.top, r.right, r.bottom}; }
bool Contains(const TRect& o, const TRect& i) {
    return o.left <= i.left && o.top <= i.top && o.right >= i.right && o.bottom >= i.bottom;
}

// Records the window calls in order: I(nvalidate), S(croll), U(pdate now), B(ars).
class Recorder : public TEditorWindow {
public:
    struct Call { char kind; TRect r; int dx = 0, dy = 0; };
    std::vector<Call> calls;

    void InvalidateRect(const TRect& r) override { calls.push_back({'I', r}); }
    void ScrollRect(const TRect& area, int dx, int dy) override { calls.push_back({'S', area, dx, dy}); }
    void UpdateNow() override { calls.push_back({'U', {}}); }
    void ScrollBarsChanged() override { calls.push_back({'B', {}}); }

    std::string Kinds() const {
        std::string out;
        for (const Call& c : calls) out += c.kind;
        return out;
    }
    std::vector<Call> Of(char kind) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.kind == kind) out.push_back(c);
        return out;
    }
    bool Covers(const TRect& r) const {
        for (const Call& c : calls)
            if (c.kind == 'I' && Contains(c.r, r)) return true;
        return false;
    }
};

std::string Numbered(int rows) {
    std::string text;
    for (int i = 0; i < rows; ++i) text += "row " + std::to_string(i) + "\r\n";
    return text;
}

void Type(TEditor& ed, unsigned char c, TKeyState keys = {}) { ed.CharMessage(c, keys, std::nullopt, nullptr); }

struct View {
    TEditor ed;
    Recorder win;
    int topChanges = 0, colChanges = 0;

    explicit View(std::string_view text, int height = kHeight) {
        ConfigureLikeDocument(ed);
        ed.Lines().SetTextStr(text);
        ed.RecomputeMetrics(16, 8, kWidth, height);
        ed.SetFocused(true);
        // The first paint brings the colouring of the rows shown up to date.
        RecordingCanvas canvas;
        TEditorPainter(ed).Paint(canvas, {0, 0, kWidth, height}, true);
        ed.SetWindow(&win);
        ed.OnTopRowChange = [this](TEditor&) { ++topChanges; };
        ed.OnTopColChange = [this](TEditor&) { ++colChanges; };
    }
    const TPaintMetrics& M() const { return ed.Metrics(); }
    void Start() {
        win.calls.clear();
        topChanges = colChanges = 0;
    }
    // A row's cells across the text area, or across the left bar.
    TRect Band(int row) const { return {M().leftMargin, ed.RowTop(row), kWidth, ed.RowTop(row) + M().fontHeight}; }
    TRect BarBand(int row) const {
        return {M().imagebarWidth, ed.RowTop(row), M().imagebarWidth + M().leftbarWidth, ed.RowTop(row) + M().fontHeight};
    }
    bool WholeWindow() const { return win.Covers({0, 0, kWidth, kHeight}); }
    // The cell at (row, col) repainted by a caret-sized rectangle of that row.
    bool CaretRepainted(int row, int col) const {
        const int x = M().leftMargin + (col - ed.LeftColumn()) * M().cellWidth, y = ed.RowTop(row);
        for (const Recorder::Call& c : win.Of('I'))
            if (Contains(c.r, {x, y, x + M().cellWidth, y + M().fontHeight}) && c.r.top == y &&
                c.r.bottom == y + M().fontHeight && c.r.right <= x + 2 * M().cellWidth + 1)
                return true;
        return false;
    }
    bool UnderlineRepainted(int row) const {
        const int y = ed.RowTop(row) + M().fontHeight;
        return win.Covers({M().leftMargin, y, kWidth, y + 1});
    }
};

}  // namespace

TEST(ViewScroll, TopRowMovesThePixelsBelowTheTopArea) {
    struct Case { int from, to, top, shift; } cases[] = {
        {0, 5, 5, -5}, {10, 7, 7, 3}, {100, 99, 99, 1},
        // More than a screen: moved by every row with a pixel on screen
        // (596 pixels of rows of 17: 35 rows and one pixel line of a 36th).
        {0, 500, 100, -36},
        {50, -3, 0, 36},
    };
    for (const Case& c : cases) {
        View v(Numbered(100));
        ASSERT_EQ(v.ed.VisibleRows(), 34);
        v.ed.SetTopRow(c.from);
        v.Start();
        v.ed.SetTopRow(c.to);
        EXPECT_EQ(v.ed.TopRow(), c.top) << c.from << "->" << c.to;
        ASSERT_EQ(v.win.Kinds(), "SUB") << c.from << "->" << c.to;
        const Recorder::Call& s = v.win.calls[0];
        EXPECT_EQ(Box(s.r), Box({0, v.M().topMargin, kWidth, kHeight}));  // the top area stays
        EXPECT_EQ(s.dx, 0);
        EXPECT_EQ(s.dy, c.shift * v.M().rowHeight) << c.from << "->" << c.to;
        EXPECT_EQ(v.topChanges, 1);
        v.Start();
        v.ed.SetTopRow(c.to);
        EXPECT_TRUE(v.win.calls.empty());
        EXPECT_EQ(v.topChanges, 0);
    }
}

TEST(ViewScroll, LeftColumnMovesTheTextAreaAndRedrawsTheRuler) {
    for (bool ruler : {false, true}) {
        View v("abc");
        TEditorRuler r = v.ed.Properties().ruler;
        r.visible = ruler;
        v.ed.SetRuler(r);
        const int max = 1000 - v.ed.VisibleColumns() / 2;
        EXPECT_EQ(v.ed.MaxLeftColumn(), max);
        struct Case { int from, to, col; } cases[] = {{0, 10, 10}, {10, 4, 4}, {0, 5000, max}, {20, -1, 0}};
        for (const Case& c : cases) {
            v.ed.SetLeftColumn(c.from);
            v.Start();
            v.ed.SetLeftColumn(c.to);
            EXPECT_EQ(v.ed.LeftColumn(), c.col);
            auto s = v.win.Of('S');
            ASSERT_EQ(s.size(), 1u);
            EXPECT_EQ(Box(s[0].r), Box({v.M().leftMargin, 0, kWidth, kHeight}));
            EXPECT_EQ(s[0].dx, (c.from - c.col) * v.M().cellWidth);
            EXPECT_EQ(s[0].dy, 0);
            // The ruler's caret mark belongs to the caret's column, not to the pixels.
            EXPECT_EQ(v.win.Covers({v.M().leftMargin, 0, kWidth, v.M().rulerHeight}), ruler);
            EXPECT_EQ(v.win.Of('I').size(), ruler ? 1u : 0u);
            EXPECT_EQ(v.win.Of('B').size(), 1u);
            EXPECT_EQ(v.colChanges, 1);
            v.Start();
            v.ed.SetLeftColumn(c.to);
            EXPECT_TRUE(v.win.calls.empty());
        }
    }
}

TEST(ViewScroll, ScrollBarsClampAndLockScrollCarriesTheCaret) {
    for (bool lock : {false, true}) {
        View v(Numbered(100));
        TEditorCaret caret = v.ed.Caret();
        caret.lockScroll = lock;
        v.ed.SetCaret(caret);
        v.ed.SetRowCol(10, 0);
        v.ed.ScrollBarTopRow(4);
        EXPECT_EQ(v.ed.TopRow(), 4);
        EXPECT_EQ(v.ed.Row(), lock ? 14 : 10);
        v.ed.ScrollBarTopRow(0);
        EXPECT_EQ(v.ed.Row(), 10);
        v.ed.ScrollBarTopRow(-7);  // nothing to move: the caret stays too
        EXPECT_EQ(v.ed.Row(), 10);
        v.ed.ScrollBarTopRow(500);
        EXPECT_EQ(v.ed.TopRow(), v.ed.MaxTopRow());
        EXPECT_EQ(v.ed.Row(), lock ? 100 : 10);
    }
    View v("abc");
    const int half = v.ed.VisibleColumns() / 2;
    for (auto [to, col] : {std::pair{2000, 1000 - half}, {-3, 0}, {1000 + half - 1, 1000 - half}, {17, 17}}) {
        v.ed.ScrollBarLeftColumn(to);
        EXPECT_EQ(v.ed.LeftColumn(), col) << to;
    }
}

TEST(ViewRepaint, EditsRepaintTheChangedRowsAndScrollTheRest) {
    const int s = 10;
    // The store rebuilds the line after the edited ones too (the new text
    // might join it), so a change spans one row more than the edit.
    {
        View v(Numbered(60));
        v.ed.SetRowCol(s, 3);
        v.Start();
        Type(v.ed, 'x');
        EXPECT_EQ(v.ed.RowText(s), "rowx 10");
        EXPECT_TRUE(v.win.Of('S').empty());
        EXPECT_TRUE(v.win.Covers({0, v.ed.RowTop(s), kWidth, v.ed.RowTop(s + 1)}));
        for (const Recorder::Call& c : v.win.Of('I'))
            EXPECT_TRUE(c.r.top >= v.ed.RowTop(s) && c.r.bottom <= v.ed.RowTop(s + 2)) << c.r.top << " " << c.r.bottom;
    }
    struct Case {
        const char* name;
        int row, col;
        void (*edit)(TEditor&);
        int lastChanged, dy;
    } cases[] = {
        {"enter", s, 3, [](TEditor& ed) { Type(ed, '\r'); }, s + 2, 1},
        {"enter key", s, 3, [](TEditor& ed) { ed.Enter(false); }, s + 2, 1},
        {"backspace", s + 1, 0, [](TEditor& ed) { ed.Backspace(); }, s + 1, -1},
        {"delete", s, 6, [](TEditor& ed) { ed.KeyDown(vkDelete, {}, false); }, s + 1, -1},
    };
    for (TShowNumberMode mode : {nmRow, nmLine}) {
        for (const Case& c : cases) {
            View v(Numbered(60));
            TEditorLeftbar bar = v.ed.Properties().leftbar;
            bar.showNumberMode = mode;
            v.ed.SetLeftbar(bar);
            v.ed.SetRowCol(c.row, c.col);
            v.Start();
            c.edit(v.ed);
            EXPECT_EQ(v.ed.RowCount(), 60 + c.dy) << c.name;
            auto scrolls = v.win.Of('S');
            ASSERT_EQ(scrolls.size(), 1u) << c.name << " " << v.win.Kinds();
            EXPECT_EQ(Box(scrolls[0].r), Box({v.M().leftMargin, v.ed.RowTop(c.lastChanged + 1), kWidth, kHeight})) << c.name;
            EXPECT_EQ(scrolls[0].dy, c.dy * v.M().rowHeight) << c.name;
            for (int r = s; r <= c.lastChanged; ++r)
                EXPECT_TRUE(v.win.Covers({0, v.ed.RowTop(r), kWidth, v.ed.RowTop(r + 1)})) << c.name << " row " << r;
            for (int r = c.lastChanged + 1; r < v.ed.VisibleRows(); ++r) {
                EXPECT_FALSE(v.win.Covers(v.Band(r))) << c.name << " row " << r;
                // Counted by line the numbers below may change; by row they stay put.
                EXPECT_EQ(v.win.Covers(v.BarBand(r)), mode == nmLine) << c.name << " mode " << mode << " row " << r;
            }
        }
    }
    // A change above the caret moves its drawn image with the pixels: erased there.
    {
        View v(Numbered(60));
        v.ed.SetRowCol(20, 2);
        v.Start();
        v.ed.Store().ReplaceRows(5, 0, "new\r\n");
        EXPECT_TRUE(v.CaretRepainted(21, 2));
    }
    // More rows than the screen holds: everything is repainted, nothing moved first.
    for (bool selText : {false, true}) {
        View v(Numbered(60));
        v.ed.SetRowCol(s, 2);
        v.Start();
        std::string breaks;
        for (int i = 0; i < 200; ++i) breaks += "\r\n";
        if (selText) v.ed.SetSelText(breaks);
        else v.ed.InsertText(breaks);
        EXPECT_EQ(v.ed.RowCount(), 260);
        const std::string kinds = v.win.Kinds();
        size_t whole = 0;
        while (whole < v.win.calls.size() && !Contains(v.win.calls[whole].r, {0, 0, kWidth, kHeight})) ++whole;
        ASSERT_LT(whole, kinds.size()) << kinds;
        EXPECT_EQ(kinds.substr(0, whole).find('S'), std::string::npos) << kinds;
        for (const Recorder::Call& c : v.win.Of('S')) EXPECT_EQ(c.r.left, 0) << "only the caret's own scroll";
    }
    // A comment opened at the top recolours the rows below: those only.
    {
        View v("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\n");
        Type(v.ed, '/');
        v.Start();
        Type(v.ed, '*');
        EXPECT_NE(LoadRowState(v.ed.Store(), 7).bracketIndex, -1);  // inside the comment now
        EXPECT_TRUE(v.win.Of('S').empty());
        for (int r = 0; r < 8; ++r) EXPECT_TRUE(v.win.Covers(v.Band(r))) << r;
        for (int r = 10; r < v.ed.VisibleRows(); ++r) EXPECT_FALSE(v.win.Covers(v.Band(r))) << r;
    }
}

TEST(ViewRepaint, CaretMovesRepaintTheOldAndTheNewPlace) {
    for (bool underline : {true, false}) {
        for (bool ruler : {false, true}) {
            View v(Numbered(40));
            TEditorMarks marks = v.ed.Properties().marks;
            marks.underline.visible = underline;
            v.ed.SetMarks(marks);
            TEditorRuler r = v.ed.Properties().ruler;
            r.visible = ruler;
            v.ed.SetRuler(r);
            v.ed.SetLeftColumn(2);
            v.ed.SetRowCol(3, 5);
            v.Start();
            v.ed.SetRowCol(8, 4);
            EXPECT_TRUE(v.CaretRepainted(3, 5)) << underline << ruler;
            EXPECT_TRUE(v.CaretRepainted(8, 4)) << underline << ruler;
            EXPECT_EQ(v.UnderlineRepainted(3), underline);
            EXPECT_EQ(v.UnderlineRepainted(8), underline);
            for (int col : {5, 4}) {
                const int x = v.M().leftMargin + (col - 2) * v.M().cellWidth;
                EXPECT_EQ(v.win.Covers({x, 0, x + v.M().cellWidth, v.M().rulerHeight}), ruler) << col;
            }
            EXPECT_TRUE(v.win.Of('S').empty());
            for (const Recorder::Call& c : v.win.Of('I'))  // caret cells, underlines, ruler cells only
                EXPECT_LE(c.r.Height(), v.M().fontHeight) << c.r.left << "," << c.r.top << "," << c.r.bottom;
        }
    }
}

TEST(ViewRepaint, SelectionRepaintsTheRowsBetweenItsOldAndNewExtent) {
    View v(Numbered(40));
    auto repainted = [&](int first, int last, const char* what) {
        EXPECT_FALSE(v.WholeWindow()) << what;
        for (int r = 0; r < v.ed.VisibleRows(); ++r)
            EXPECT_EQ(v.win.Covers(v.Band(r)), r >= first && r <= last) << what << " row " << r;
    };
    Select(v.ed, 5, 2, 7, 3);
    v.Start();
    v.ed.SetRowCol(9, 1);
    v.ed.Extend();
    for (int r = 7; r <= 9; ++r) EXPECT_TRUE(v.win.Covers(v.Band(r))) << r;
    for (int r : {0, 4, 10, 20}) EXPECT_FALSE(v.win.Covers(v.Band(r))) << r;
    v.Start();
    v.ed.KeyDown(vkDown, {.shift = true}, false);
    EXPECT_EQ(v.ed.SelectionColumns().bottomRow, 10);
    for (int r : {9, 10}) EXPECT_TRUE(v.win.Covers(v.Band(r))) << r;
    for (int r : {0, 4, 11, 30}) EXPECT_FALSE(v.win.Covers(v.Band(r))) << r;
    // Shrinking: the rows it leaves are repainted too, at either end.
    v.Start();
    v.ed.SetRowCol(6, 0);
    v.ed.Extend();
    for (int r = 6; r <= 10; ++r) EXPECT_TRUE(v.win.Covers(v.Band(r))) << r;
    v.Start();
    v.ed.ClearSelection();
    repainted(5, 6, "clear");
    v.Start();
    v.ed.ClearSelection();
    EXPECT_TRUE(v.win.calls.empty());
    Select(v.ed, 12, 1, 5, 1);  // anchored below
    v.Start();
    v.ed.SetRowCol(8, 1);
    v.ed.Extend();
    for (int r = 5; r <= 8; ++r) EXPECT_TRUE(v.win.Covers(v.Band(r))) << r;
}

TEST(ViewRepaint, CaretAndUnderlineHidingNests) {
    struct Counter {
        void (TEditor::*begin)();
        void (TEditor::*end)();
        bool (TEditor::*visible)() const;
        bool caret;
    } counters[] = {{&TEditor::BeginNoCaret, &TEditor::EndNoCaret, &TEditor::CaretVisible, true},
                    {&TEditor::BeginNoUnderline, &TEditor::EndNoUnderline, &TEditor::UnderlineVisible, false}};
    // +1 begins, -1 ends; then whether it shows and whether the call repainted it.
    struct Step { int call; bool visible, repaint; } steps[] = {
        {+1, false, true}, {+1, false, false}, {-1, false, false}, {-1, true, true},
        {-1, true, false},  // unbalanced: the count stays at zero
        {+1, false, true}, {-1, true, true},
    };
    for (const Counter& c : counters) {
        View v(Numbered(10));
        v.ed.SetRowCol(2, 1);
        for (const Step& s : steps) {
            v.Start();
            (v.ed.*(s.call > 0 ? c.begin : c.end))();
            EXPECT_EQ((v.ed.*c.visible)(), s.visible) << c.caret << " " << &s - steps;
            EXPECT_EQ(!v.win.calls.empty(), s.repaint) << c.caret << " " << &s - steps;
            if (s.repaint) {
                EXPECT_TRUE(c.caret ? v.CaretRepainted(2, 1) : v.UnderlineRepainted(2));
            }
        }
    }
    View v(Numbered(10));
    Select(v.ed, 2, 1, 3, 2);
    EXPECT_FALSE(v.ed.UnderlineVisible());
    v.ed.ClearSelection();
    EXPECT_TRUE(v.ed.UnderlineVisible());
    TEditorMarks marks = v.ed.Properties().marks;
    marks.underline.visible = false;
    v.ed.SetMarks(marks);
    EXPECT_FALSE(v.ed.UnderlineVisible());
}

TEST(ViewRepaint, PaintRowAndPaintRowsStayOnScreen) {
    View v(Numbered(100));
    v.ed.SetTopRow(10);
    const int last = 10 + v.ed.VisibleRows() + 1;  // both partly shown rows below count
    for (auto [row, shown] : {std::pair{9, false}, {10, true}, {30, true}, {last, true}, {last + 1, false}}) {
        v.Start();
        v.ed.PaintRow(row);
        ASSERT_EQ(v.win.calls.size(), shown ? 1u : 0u) << row;
        if (shown) {
            EXPECT_EQ(Box(v.win.calls[0].r), Box({v.M().leftMargin, v.ed.RowTop(row), kWidth, v.ed.RowTop(row + 1)}));
        }
    }
    struct Case { int first, last, top, bottom; } cases[] = {
        {12, 15, 12, 15}, {15, 12, 12, 15}, {0, 200, 10, last}, {5, 11, 10, 11}, {0, 9, -1, -1}, {last + 1, 90, -1, -1},
    };
    for (const Case& c : cases) {
        v.Start();
        v.ed.PaintRows(c.first, c.last);
        EXPECT_EQ(v.win.Kinds(), c.top < 0 ? "U" : "IU") << c.first << ".." << c.last;
        if (c.top >= 0) {
            EXPECT_EQ(Box(v.win.calls[0].r), Box({0, v.ed.RowTop(c.top), kWidth, v.ed.RowTop(c.bottom + 1)}));
        }
    }
}

namespace {

// The pixel lines of the text area and of the left bar: what each shows and
// whether a repaint of it is pending. Scrolls move them as the window does
// (pending repaints move along and also stay where they were); UpdateNow
// paints what is pending from the editor's state at that moment.
class Screen : public Recorder {
public:
    Screen(TEditor& ed, int height) : ed_(ed), height_(height) {
        for (Strip& s : strips_) s = {std::vector<std::string>(height), std::vector<bool>(height, true)};
        Paint();
    }
    void InvalidateRect(const TRect& r) override {
        Recorder::InvalidateRect(r);
        for (int k = 0; k < 2; ++k)
            if (r.left <= Left(k) && r.right >= Right(k))
                for (int y = std::max(0, r.top); y < std::min(height_, r.bottom); ++y) strips_[k].pending[y] = true;
    }
    void ScrollRect(const TRect& area, int dx, int dy) override {
        Recorder::ScrollRect(area, dx, dy);
        const int top = std::max(0, area.top), bottom = std::min(height_, area.bottom);
        if (bottom <= top) return;
        if (std::abs(dy) >= bottom - top) return InvalidateRect(area);
        for (int k = 0; k < 2; ++k) {
            Strip& s = strips_[k];
            if (area.right <= Left(k) || area.left >= Right(k)) continue;
            const Strip old = s;
            for (int y = top; y < bottom; ++y) {
                const int from = y - dy;
                const bool inside = from >= top && from < bottom;
                const bool torn = dx != 0 || area.left > Left(k) || area.right < Right(k);
                s.shown[y] = torn ? "<torn>" : inside ? old.shown[from] : "<uncovered>";
                s.pending[y] = old.pending[y] || (!torn && (!inside || old.pending[from]));
            }
        }
    }
    void UpdateNow() override {
        Recorder::UpdateNow();
        Paint();
    }
    void Paint() {
        for (Strip& s : strips_)
            for (int y = 0; y < height_; ++y)
                if (s.pending[y]) s.shown[y] = Expected(&s == &strips_[1], y), s.pending[y] = false;
    }
    // The first pixel line, not pending, that shows something else than the editor's state.
    std::string Stale() const {
        for (int y = 0; y < height_; ++y)
            for (int k = 0; k < 2; ++k)
                if (!strips_[k].pending[y] && strips_[k].shown[y] != Expected(k, y))
                    return (k ? "left bar" : "text") + std::string(" y=") + std::to_string(y) + " shows [" +
                           strips_[k].shown[y] + "] instead of [" + Expected(k, y) + "]";
        return {};
    }

private:
    struct Strip {
        std::vector<std::string> shown;
        std::vector<bool> pending;
    };
    TEditor& ed_;
    int height_;
    Strip strips_[2];  // the text area, the left bar

    int Left(int k) const { return k == 0 ? ed_.Metrics().leftMargin : ed_.Metrics().imagebarWidth; }
    int Right(int k) const { return k == 0 ? kWidth : ed_.Metrics().imagebarWidth + ed_.Metrics().leftbarWidth; }

    // What pixel line y of strip k must show: on a row's cells its text,
    // attribute, colouring state and selection; on the line below them the
    // selection and the underline; in the left bar the number.
    std::string Expected(int k, int y) const {
        const TPaintMetrics& m = ed_.Metrics();
        if (y < m.topMargin) return {};
        const int row = ed_.TopRow() + (y - m.topMargin) / m.rowHeight, rows = ed_.RowCount();
        const bool endRow = row == rows && (rows == 0 || ed_.RowAttribute(rows - 1) != raEndOfText);
        std::string out = std::to_string((y - m.topMargin) % m.rowHeight) + ":";
        if (k == 1) return out + (row < rows || endRow ? std::to_string(row + 1) : "");
        const TEditor::TColumnRange& c = ed_.SelectionColumns();
        std::string sel;
        if (row < rows && ed_.Marked() && row >= c.topRow && row <= c.bottomRow) {
            const bool both = ed_.SelectionMode() == smBox || c.topRow == c.bottomRow;
            sel = "sel" + (both || row == c.topRow ? std::to_string(c.leftCol) : "") + "-" +
                  (both || row == c.bottomRow ? std::to_string(c.rightCol) : "");
        }
        if ((y - m.topMargin) % m.rowHeight >= m.fontHeight)
            return out + sel + (ed_.UnderlineVisible() && ed_.Row() == row ? "_" : "");
        if (row >= rows) return out + (endRow ? "[EOF]" : "");
        ed_.Store().EnsureState(row);
        const TRowState st = LoadRowState(ed_.Store(), row);
        return out + std::string(ed_.RowText(row)) + "|" + std::to_string(ed_.RowAttribute(row)) + "|" +
               std::to_string(st.bracketIndex) + "," + std::to_string(st.elementIndex) + "," +
               std::to_string(st.remain) + "," + std::to_string(st.prevToken) + "," + st.data + "|" + sel;
    }
};

// Plain rows, comments, strings and blank rows.
std::string MixedText(int rows) {
    const char* kinds[] = {"int a = 1;", "/* open", "still */ x", "s = \"q\";", "", "// note", "  indented", "y"};
    std::string text;
    for (int i = 0; i < rows; ++i) text += std::string(kinds[(i * 5 + i / 3) % 8]) + "\r\n";
    return text;
}

}  // namespace

TEST(ViewModel, NoRowIsLeftStaleOnScreen) {
    // 590 pixels leave one partly shown row at the bottom, 600 two.
    for (const auto& [mode, kModelHeight] : {std::pair{nmRow, 590}, std::pair{nmLine, 590}, std::pair{nmRow, 600}}) {
        View v(MixedText(90), kModelHeight);
        TEditor& ed = v.ed;
        ed.SetCaret(DocumentCaret());
        TEditorLeftbar bar = ed.Properties().leftbar;
        bar.showNumberMode = mode;
        ed.SetLeftbar(bar);
        Screen screen(ed, kModelHeight);
        ed.SetWindow(&screen);

        std::mt19937 rng(1234 + mode + kModelHeight);
        auto pick = [&](int n) { return n > 0 ? static_cast<int>(rng() % static_cast<unsigned>(n)) : 0; };
        auto type = [&] { Type(ed, ed.EndColumn(ed.Row()) < 60 ? "ab/*\" ;x"[pick(8)] : 8); };  // no sideways scroll
        auto arrow = [&] {
            const int key = vkLeft + pick(4);
            const TKeyState keys{.shift = pick(3) == 0, .ctrl = pick(5) == 0};
            ed.KeyDown(key, keys, pick(4) == 0);
        };
        const std::pair<const char*, std::function<void()>> ops[] = {
            {"type", type}, {"type", type}, {"arrow", arrow}, {"arrow", arrow},
            {"enter", [&] { Type(ed, '\r'); }},
            {"backspace", [&] { Type(ed, 8); }},
            {"delete", [&] { ed.KeyDown(vkDelete, {}, false); }},
            {"top", [&] { ed.SetTopRow(pick(ed.RowCount() + 10) - 5); }},
            {"scroll bar", [&] { ed.ScrollBarTopRow(pick(ed.RowCount() + 3)); }},
            {"page", [&] {
                 const int key = pick(2) ? vkNext : vkPrior;
                 const bool shift = pick(3) == 0;
                 ed.KeyDown(key, {.shift = shift}, pick(2));
             }},
            {"caret", [&] {
                 const int row = pick(ed.RowCount() + 1);
                 ed.SetRowCol(row, pick(20));
             }},
            {"select", [&] {
                 const int r1 = pick(ed.RowCount()), c1 = pick(10), r2 = pick(ed.RowCount());
                 Select(ed, r1, c1, r2, pick(10));
             }},
            {"insert lines", [&] {  // sometimes more than a screen
                 std::string s = "p";
                 for (int i = pick(3) == 0 ? 40 : pick(4); i > 0; --i) s += "\r\nq*/";
                 ed.SetSelText(s);
             }},
            {"undo", [&] { ed.Undo(); }},
            {"redo", [&] { ed.Redo(); }},
        };
        for (int step = 0; step < 700; ++step) {
            const auto& [op, run] = ops[pick(static_cast<int>(std::size(ops)))];
            run();
            ASSERT_EQ(ed.LeftColumn(), 0) << op;
            ASSERT_EQ(screen.Stale(), "") << "mode " << mode << " step " << step << " after " << op << " (top "
                                          << ed.TopRow() << ", caret " << ed.Row() << "," << ed.Col() << ")";
            screen.Paint();
        }
    }
}

// At 600 pixels the text area is 596 high: screen rows 0..34 and one pixel
// line of row 35, one more than VisibleRows() + 1. A jump of more than a
// screen must still leave no old line, and row repaints must reach the
// bottom line (a cleared selection there).
TEST(ViewModel, NoOldPixelLineSurvivesWithTwoPartlyShownRows) {
    View v(MixedText(90));
    Screen screen(v.ed, kHeight);
    v.ed.SetWindow(&screen);
    v.ed.SetTopRow(50);
    EXPECT_EQ(screen.Stale(), "");
    screen.Paint();
    Select(v.ed, 50, 0, 89, 0);
    v.ed.SetTopRow(50);
    screen.Paint();
    v.ed.ClearSelection();
    EXPECT_EQ(screen.Stale(), "");
}
