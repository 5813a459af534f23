// Random edit sequences on the row store, checked after every step against a
// plain string model of the text and against the text offset rule.
// VKB_PROPERTY_STEPS raises the step count for longer runs by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "EditorTestUtil.h"
#include "editor/Editor.h"
#include "editor/EditorParser.h"

using namespace editor;

namespace {

// CR, LF and CR LF all become CR LF.
std::string Normalise(const std::string& t) {
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\r') {
            out += "\r\n";
            if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
        } else if (t[i] == '\n') {
            out += "\r\n";
        } else {
            out += t[i];
        }
    }
    return out;
}

// Start offsets of the model's lines (a final line break opens no line).
std::vector<size_t> LineStarts(const std::string& text) {
    std::vector<size_t> starts;
    size_t i = 0;
    while (i < text.size()) {
        starts.push_back(i);
        size_t br = text.find("\r\n", i);
        if (br == std::string::npos) break;
        i = br + 2;
    }
    return starts;
}

size_t LineEnd(const std::string& text, size_t start) {  // past the CR LF, or the end
    size_t br = text.find("\r\n", start);
    return br == std::string::npos ? text.size() : br + 2;
}

class Generator {
public:
    explicit Generator(uint32_t seed) : rng_(seed) {}
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
    std::string Text() {
        static const char* pieces[] = {"a", "bc", "\t", "\x95\x5C", "\x82\xa0", " ", "\r\n", "\n", "\r", "xyz"};
        std::string t;
        int n = Below(5);
        for (int i = 0; i < n; ++i) t += pieces[Below(10)];
        return t;
    }

private:
    std::mt19937 rng_;
};

void CheckStore(const TEditor& ed, const std::string& model, int step) {
    const TEditorScreenStrings& s = ed.Store();
    ASSERT_EQ(s.GetText(), model) << "step " << step;
    ASSERT_EQ(s.TextLength(), static_cast<int64_t>(model.size()));
    int64_t offset = 0;
    for (int r = 0; r < s.Count(); ++r) {
        ASSERT_EQ(s.RowOffset(r), offset) << "row " << r << " step " << step;
        TRowAttribute a = s.GetRowAttribute(r);
        ASSERT_NE(a, raWrapped);
        ASSERT_TRUE(a != raEndOfText || r == s.Count() - 1) << "end-of-text row in the middle, step " << step;
        std::string_view text = s.Text(r);
        ASSERT_EQ(text.find_first_of(std::string_view("\r\n\0", 3)), std::string_view::npos);
        offset += static_cast<int64_t>(text.size()) + BreakLength(a);
    }
    ASSERT_EQ(s.RowOffset(s.Count()), offset);
    // The row holding an offset, against a walk over the rows.
    for (int64_t probe : {int64_t{0}, offset / 3, offset / 2, offset - 1, offset}) {
        int expected = 0;
        int64_t start = 0;
        while (expected < s.Count()) {
            int64_t c = static_cast<int64_t>(s.Text(expected).size()) + BreakLength(s.GetRowAttribute(expected));
            if (probe < start + c) break;
            start += c;
            ++expected;
        }
        ASSERT_EQ(s.RowOfOffset(probe), expected) << "offset " << probe << " step " << step;
    }
}

int Steps() {
    const char* env = std::getenv("VKB_PROPERTY_STEPS");
    return env ? std::atoi(env) : 3000;
}

// The text the edits should leave, and the texts before each change that
// can still be undone and after each undone one, newest last. Every edit
// goes to the store and to the model alike.
struct Model {
    std::string text;
    std::string baseline;  // the text when the histories were last emptied
    int changes = 0;       // since then
    std::vector<std::string> undoable, redoable;

    void Changed(std::string next) {
        undoable.push_back(std::move(text));
        if (undoable.size() > 64) undoable.erase(undoable.begin());
        redoable.clear();
        text = std::move(next);
        ++changes;
    }
    void Emptied() {
        undoable.clear();
        redoable.clear();
        baseline = text;
        changes = 0;
    }
    // One step back or forth gives the text of that step.
    void Step(TEditorScreenStrings& s, bool back) {
        std::vector<std::string>& from = back ? undoable : redoable;
        std::vector<std::string>& to = back ? redoable : undoable;
        if (back) s.Undo();
        else s.Redo();
        if (from.empty()) return;
        to.push_back(std::move(text));
        text = std::move(from.back());
        from.pop_back();
    }
    void ReplaceRows(TEditorScreenStrings& s, int a, int n, const std::string& t) {
        const size_t from = static_cast<size_t>(std::min<int64_t>(s.RowOffset(a), s.TextLength()));
        const size_t to = static_cast<size_t>(std::min<int64_t>(s.RowOffset(a + n), s.TextLength()));
        s.ReplaceRows(a, n, t);
        Changed(text.substr(0, from) + Normalise(t) + text.substr(to));
    }
    // Bytes of one row replaced; `t` holds no line break.
    void ReplaceBytes(TEditorScreenStrings& s, int row, int start, int end, const std::string& t) {
        const size_t at = static_cast<size_t>(s.RowOffset(row));
        const size_t length = s.Text(row).size();
        const size_t b = std::min(static_cast<size_t>(start), length), e = std::clamp(static_cast<size_t>(end), b, length);
        s.ReplaceBytes(row, start, end, t);
        if (b == e && t.empty()) return;
        Changed(text.substr(0, at + b) + t + text.substr(at + e));
    }
    // Line edits; `t` holds no line break.
    void Put(TEditor& ed, int i, const std::string& t) {
        const size_t start = LineStarts(text)[static_cast<size_t>(i)], end = LineEnd(text, start);
        const bool broken = end >= 2 && text.compare(end - 2, 2, "\r\n") == 0;
        ed.Lines().Put(i, t);
        Changed(text.substr(0, start) + t + (broken ? "\r\n" : "") + text.substr(end));
    }
    void Insert(TEditor& ed, int i, const std::string& t) {
        const std::vector<size_t> starts = LineStarts(text);
        ed.Lines().Insert(i, t);
        std::string next = text;
        if (static_cast<size_t>(i) < starts.size()) next.insert(starts[static_cast<size_t>(i)], t + "\r\n");
        else if (next.empty() || (next.size() >= 2 && next.compare(next.size() - 2, 2, "\r\n") == 0)) next += t + "\r\n";
        else next += "\r\n" + t;
        Changed(std::move(next));
    }
    void Delete(TEditor& ed, int i) {
        const size_t start = LineStarts(text)[static_cast<size_t>(i)];
        ed.Lines().Delete(i);
        Changed(text.substr(0, start) + text.substr(LineEnd(text, start)));
    }
    // A replace-all of every occurrence, left to right, plus a place
    // where `find` is not, which must stay as it is: one undo step.
    void ReplaceAll(TEditorScreenStrings& s, Generator& gen, const std::string& find, const std::string& with,
                    size_t maxGrowth = 200) {
        std::vector<int64_t> at;
        std::string next;
        size_t done = 0;
        for (size_t p = text.find(find); p != std::string::npos; p = text.find(find, p + find.size())) {
            at.push_back(static_cast<int64_t>(p));
            next += text.substr(done, p - done) + with;
            done = p + find.size();
        }
        next += text.substr(done);
        if (next.size() > text.size() + maxGrowth) return;  // texts that grow without bound cost, not test
        const size_t stray = static_cast<size_t>(gen.Below(static_cast<int>(text.size()) + 1));
        auto after = std::lower_bound(at.begin(), at.end(), static_cast<int64_t>(stray));
        const bool apart = (after == at.end() || stray + find.size() <= static_cast<size_t>(*after)) &&
                           (after == at.begin() || static_cast<size_t>(after[-1]) + find.size() <= stray);
        if (apart && text.compare(stray, find.size(), find) != 0) at.insert(after, static_cast<int64_t>(stray));
        const int undos = s.UndoObject().UndoCount();
        const size_t made = s.ReplaceOccurrences(at, find, with);
        ASSERT_EQ(made, at.size() - (apart && text.compare(stray, find.size(), find) != 0 ? 1 : 0));
        if (made == 0) return;
        ASSERT_EQ(s.UndoObject().UndoCount(), std::min(undos + 1, s.UndoObject().ListMax()));
        Changed(std::move(next));
    }
};

}  // namespace

TEST(RowStoreProperty, RandomEditsMatchAStringModel) {
    int maxRows = 0;
    for (uint32_t seed : {1u, 2u, 3u}) {
        Generator gen(seed);
        TEditor ed;
        Model m;
        for (int step = 0; step < Steps(); ++step) {
            TEditorScreenStrings& s = ed.Store();
            int rows = s.Count();
            int op = gen.Below(9);
            if (gen.Below(6) == 0) {
                m.Step(s, gen.Below(2) == 0);
            } else if (op <= 3) {
                // ReplaceRows over a random row range (n = 0 inserts).
                int a = gen.Below(rows + 1);
                int n = gen.Below(std::min(3, rows - a) + 1);
                std::string t = gen.Text();
                if (gen.Below(4) == 0) t += "\r\n";
                if (n == 0 && t.empty()) continue;
                m.ReplaceRows(s, a, n, t);
            } else {
                std::vector<size_t> starts = LineStarts(m.text);
                int lines = static_cast<int>(starts.size());
                ASSERT_EQ(ed.Lines().Count(), lines) << "step " << step;
                std::string t = gen.Text();
                // A line's own text holds no line break in these edits.
                for (char& c : t)
                    if (c == '\r' || c == '\n') c = '_';
                if (op == 4 && lines > 0) {
                    m.Put(ed, gen.Below(lines), t);
                } else if (op == 5) {
                    m.Insert(ed, gen.Below(lines + 1), t);
                } else if (op == 6 && lines > 0) {
                    m.Delete(ed, gen.Below(lines));
                } else if (op == 7 && lines > 0) {
                    int i = gen.Below(lines);
                    size_t end = LineEnd(m.text, starts[i]);
                    std::string line = m.text.substr(starts[i], end - starts[i]);
                    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) line.resize(line.size() - 2);
                    ASSERT_EQ(ed.Lines().Get(i), line) << "step " << step;
                } else if (gen.Below(40) == 0) {
                    std::string t2 = gen.Text() + gen.Text();
                    ed.Lines().SetTextStr(t2);
                    m.text = Normalise(t2);
                    m.Emptied();
                }
            }
            CheckStore(ed, m.text, step);
            if (HasFatalFailure()) return;
            maxRows = std::max(maxRows, ed.RowCount());
        }
    }
    EXPECT_GT(maxRows, 20);  // the sequences build texts worth checking
}

namespace {

// The states a scan from the top gives every row.
std::vector<TRowState> ReferenceStates(const TEditor& ed) {
    const TEditorScreenStrings& s = ed.Store();
    std::vector<TRowState> out;
    TEditorParser parser(&ed.ActiveFountain());
    TRowState state;
    for (int r = 0; r < s.Count(); ++r) {
        state.prevAttribute = r > 0 ? s.GetRowAttribute(r - 1) : raLineBreak;
        out.push_back(state);
        parser.ScanRow(r, s, state);
    }
    return out;
}

// Every state the store calls computed equals a scan from the top; with
// `all`, every row must be computed.
void ExpectStatesFromTheTop(const TEditor& ed, bool all, const std::string& where) {
    const std::vector<TRowState> reference = ReferenceStates(ed);
    const TEditorScreenStrings& s = ed.Store();
    for (int r = 0; r < s.Count(); ++r) {
        if (!s.StateComputed(r)) {
            ASSERT_FALSE(all) << "row " << r << " not computed, " << where;
            continue;
        }
        ASSERT_TRUE(LoadRowState(s, r) == reference[static_cast<size_t>(r)]) << "row " << r << ", " << where;
    }
}

// Comments, line comments and strings; with `all`, numbers, mail addresses and URLs too.
void SetRules(TEditorViewInfo& v, bool all) {
    v.SetBrackets({{"/*", "*/", {clWhite, clRed, 0}}});
    v.SetCommenter("//");
    v.SetQuotation("\"");
    if (!all) return;
    v.SetHexPrefix("0x");
    v.SetMail(true);
    v.SetUrl(true);
}

std::string Where(uint32_t seed, int step) { return "seed " + std::to_string(seed) + " step " + std::to_string(step); }

std::string CommentText(Generator& gen) {
    static const char* pieces[] = {"/*", "*/", "a", "\"", " ", "//", "\r\n", "x\r\n", "\x95\x5C", "\r\n\r\n"};
    std::string t;
    for (int n = gen.Below(6); n > 0; --n) t += pieces[gen.Below(10)];
    return t;
}

}  // namespace

// Edits of rows and inside rows, states brought up to date when rows are
// needed and in background slices: every state the store calls computed
// equals a scan from the top, at every step, and the slices finish.
TEST(RowStoreProperty, ColouringStatesEqualAScanFromTheTopAtEveryStep) {
    for (uint32_t seed : {4u, 5u, 6u}) {
        Generator gen(seed);
        TEditor ed;
        ed.SetVisibleRows(2);  // edits rescan only a few rows themselves
        SetRules(ed.View(), false);
        std::string text;
        for (int i = 0; i < 60; ++i) text += CommentText(gen) + "\r\n";
        ed.Lines().SetTextStr(text);
        TEditorScreenStrings& s = ed.Store();
        int slices = 0;
        for (int step = 0; step < Steps() / 3; ++step) {
            const int rows = s.Count();
            const int op = gen.Below(6);
            if (op == 0) {
                const int a = gen.Below(rows + 1);
                const int n = gen.Below(std::min(3, rows - a) + 1);
                const std::string t = CommentText(gen);
                if (n > 0 || !t.empty()) s.ReplaceRows(a, n, t);
            } else if (op == 1 && rows > 0) {
                const int r = gen.Below(rows);
                std::string t = CommentText(gen);
                t.erase(std::remove_if(t.begin(), t.end(), [](char c) { return c == '\r' || c == '\n'; }), t.end());
                const int length = static_cast<int>(s.Text(r).size());
                const int from = gen.Below(length + 1);
                s.ReplaceBytes(r, from, from + gen.Below(length - from + 1), t);
            } else if (op == 2 && rows > 0) {
                s.EnsureState(gen.Below(rows));
            } else if (op == 3) {
                if (gen.Below(2) == 0) s.Undo();
                else s.Redo();
            } else {
                if (s.StatesPending()) ++slices;
                s.ScanSome(std::chrono::nanoseconds(0));  // a slice of a few rows
            }
            ASSERT_NO_FATAL_FAILURE(ExpectStatesFromTheTop(ed, false, Where(seed, step)));
        }
        // Slices end, with every row computed.
        int more = 0;
        while (s.ScanSome(std::chrono::nanoseconds(0))) ASSERT_LT(++more, 100000);
        EXPECT_FALSE(s.StatesPending());
        ASSERT_NO_FATAL_FAILURE(ExpectStatesFromTheTop(ed, true, Where(seed, -1)));
        EXPECT_GT(slices, 50);  // slices found work often
    }
}

namespace {

// Pieces of long rows: comments that open and close, strings (whose pairing
// an edit can flip up to the row's end), mail addresses (which look far
// ahead and can swallow a "/*"), URLs, numbers and double-byte characters,
// one with the trail byte 0x5C. "//" ends a row's scan, so only edits bring it.
std::string LongRowPiece(Generator& gen, bool edit) {
    static const char* pieces[] = {"/*", "*/", "\"", "\x95\x5C", "\x88\x9f", "a@bcdefghijklmnop", ".c", "/",
                                   "http:", "1.", "0x1F", "\t", "*", "//"};
    return pieces[gen.Below(edit ? 14 : 13)];
}

std::string LongRow(Generator& gen, size_t bytes) {
    std::string row;
    while (row.size() < bytes) row += gen.Below(3) == 0 ? LongRowPiece(gen, false) : std::string("ab; x ");
    return row;
}

}  // namespace

// Rows longer than the kept-scan threshold, edited in place near their start,
// in the middle and at the end, by pieces that open and close comments and
// strings far from the row's end: every computed state equals a scan from
// the top at every step, with the kept scans resuming and meeting old points.
TEST(RowStoreProperty, LongRowKeptScansEqualAScanFromTheTopAtEveryStep) {
    for (uint32_t seed : {7u, 8u, 9u}) {
        Generator gen(seed);
        TEditor ed;
        ed.SetVisibleRows(2);
        TEditorViewInfo& v = ed.View();
        SetRules(v, true);
        TEditorScreenStrings& s = ed.Store();
        s.SetLongRowScan(1024, 8);
        // Long rows that end in "/*", so that their end state hangs on all of them.
        std::string text;
        for (int i = 0; i < 6; ++i) text += (i % 2 ? std::string("ab */ x\r\n") : LongRow(gen, 3000) + "/*\r\n");
        ed.Lines().SetTextStr(text);
        for (int step = 0; step < Steps() / 2; ++step) {
            const int rows = s.Count();
            const int op = gen.Below(13);
            if (op < 8) {
                // An edit inside a row, mostly a long one near its start.
                int r = gen.Below(rows);
                if (gen.Below(4) != 0)
                    while (r > 0 && s.Text(r).size() < 1024) --r;
                const int length = static_cast<int>(s.Text(r).size());
                const int from = gen.Below(4) == 0 ? gen.Below(length + 1) : std::min(length, gen.Below(300));
                const int to = std::min(length, from + gen.Below(4));
                std::string t;
                for (int n = gen.Below(3); n > 0; --n) t += LongRowPiece(gen, true);
                s.ReplaceBytes(r, from, to, t);
            } else if (op == 8) {
                // Rows replaced, inserted or deleted around the long ones.
                const int a = gen.Below(rows + 1);
                const int n = gen.Below(std::min(2, rows - a) + 1);
                std::string t = gen.Below(3) == 0 ? LongRow(gen, 1500) + "/*\r\n" : LongRowPiece(gen, true) + "\r\n";
                s.ReplaceRows(a, n, t);
            } else if (op == 9) {
                s.EnsureState(gen.Below(rows));
            } else if (op == 10) {
                // In-place edits are undone in place: the kept scans follow.
                if (gen.Below(2) == 0) s.Undo();
                else s.Redo();
            } else if (op == 12) {
                // Other rules: every row tokenises differently.
                v.SetQuotation(v.Quotation() == "\"" ? "*" : "\"");
            } else {
                s.ScanSome(std::chrono::nanoseconds(0));
            }
            ASSERT_NO_FATAL_FAILURE(ExpectStatesFromTheTop(ed, false, Where(seed, step)));
        }
        while (s.ScanSome(std::chrono::nanoseconds(0))) {
        }
        ASSERT_NO_FATAL_FAILURE(ExpectStatesFromTheTop(ed, true, Where(seed, -1)));
    }
}

// The kept scan of a long row against scans from scratch, after batches of
// one to three edits: the end state is the one a plain scan gives, and every
// point kept is a token start of the new text with the bracket open there,
// its horizon no nearer than a fresh scan's (which keeps every token start).
TEST(RowStoreProperty, KeptScanPointsAreTokenStartsOfTheEditedRow) {
    Generator gen(10);
    TEditor ed;
    SetRules(ed.View(), true);
    TEditorParser parser(&ed.ActiveFountain());
    TEditorStringList rows;
    int endStateChanges = 0;
    for (int round = 0; round < Steps() / 30; ++round) {
        // Ending in "/*" makes the end state hang on everything before it.
        std::string row = LongRow(gen, 2000) + "/*";
        const int bracket = gen.Below(4) == 0 ? 0 : -1;
        // Dense points, so that edits land next to them.
        const size_t spacing = 1 + static_cast<size_t>(gen.Below(8));
        TRowScan scan;
        int last = parser.ScanLongRow(row, bracket, scan, spacing);
        for (int step = 0; step < 30; ++step) {
            for (int n = 1 + gen.Below(3); n > 0; --n) {
                const size_t length = row.size();
                const size_t from = gen.Below(3) == 0 ? gen.Below(static_cast<int>(length) + 1)
                                                      : std::min<size_t>(length, gen.Below(200));
                const size_t to = std::min(length, from + gen.Below(5));
                std::string t;
                for (int k = gen.Below(3); k > 0; --k) t += LongRowPiece(gen, gen.Below(8) == 0);
                row.replace(from, to - from, t);
                scan.Edit(from, to - from, t.size());
            }
            const int got = parser.ScanLongRow(row, bracket, scan, spacing);
            rows.Clear();
            rows.Add(row);
            TRowState state;
            state.bracketIndex = bracket;
            parser.ScanRow(0, rows, state);
            ASSERT_EQ(got, state.bracketIndex) << "round " << round << " step " << step;
            endStateChanges += got != last;
            last = got;
            TRowScan every;
            parser.ScanLongRow(row, bracket, every, 1);
            auto it = every.points.begin();
            for (const TScanPoint& p : scan.points) {
                if (p.offset == 0) {
                    // The row's start, which a fresh scan does not list.
                    ASSERT_EQ(p.open, bracket) << "round " << round << " step " << step;
                    continue;
                }
                while (it != every.points.end() && it->offset < p.offset) ++it;
                ASSERT_TRUE(it != every.points.end() && it->offset == p.offset && it->open == p.open)
                    << "no token starts at " << p.offset << ", round " << round << " step " << step;
                ASSERT_GE(p.horizon, it->horizon) << "at " << p.offset << ", round " << round << " step " << step;
            }
        }
    }
    EXPECT_GT(endStateChanges, Steps() / 30);  // the edits reach the end state often
}

namespace {

// Each line's marks: the union over its rows.
std::vector<TRowMarks> LineMarks(const TEditorScreenStrings& s) {
    std::vector<TRowMarks> lines;
    bool open = false;
    for (int r = 0; r < s.Count(); ++r) {
        if (!open) lines.push_back(0);
        lines.back() |= s.GetMarks(r);
        open = s.GetRowAttribute(r) == raWrapped;
    }
    return lines;
}

}  // namespace

TEST(RowStoreProperty, EditsUndoRedoAndWrapSwitchesAgreeWithTheModel) {
    for (uint32_t seed : {11u, 12u, 13u}) {
        Generator gen(seed);
        TEditor ed;
        TEditorScreenStrings& s = ed.Store();
        Model m;
        // What the published text changes make of the text (as a recovery
        // journal replays them) is the text itself at every step.
        std::string replica = s.GetText();
        bool inRange = true;
        s.OnTextEdit = [&](int64_t offset, int64_t removed, std::string_view inserted) {
            inRange = inRange && offset >= 0 && removed >= 0 && offset + removed <= static_cast<int64_t>(replica.size());
            if (inRange) replica.replace(static_cast<size_t>(offset), static_cast<size_t>(removed), inserted);
        };
        s.OnTextReset = [&] { replica = s.GetText(); };
        for (int step = 0; step < Steps() / 2; ++step) {
            SCOPED_TRACE(Where(seed, step));
            const int rows = s.Count();
            const int op = gen.Below(13);
            if (op == 12) {
                static const char* finds[] = {"a", "bc", "xyz", "\x82\xa0", "\r\n", "c\r\n", "\t", "v"};
                m.ReplaceAll(s, gen, finds[gen.Below(8)], Normalise(gen.Text()));
            } else if (op == 0) {
                // Wrap switched, or re-split at another width: lines and
                // their marks stay; nothing is left to undo.
                std::vector<TRowMarks> marks = LineMarks(s);
                TEditorWrapOption option;
                option.SetWrapByte(20 + gen.Below(30));
                option.SetWordBreak(gen.Below(2) == 0);
                option.SetFollowRetMark(gen.Below(2) == 0);
                // Assigning options signals a change even when every value is
                // the same, so the rows are re-split whenever wrap is on.
                bool relaid = ed.WordWrap();
                const int kind = gen.Below(3);
                if (kind == 0) {
                    ed.SetWrapOption(option);  // takes effect only while wrap is on
                } else if (kind == 1) {
                    // TABs are cut by their width: a new one re-splits wrapped rows.
                    const int tab = 2 * (1 + gen.Below(4));
                    relaid = ed.WordWrap() && tab != ed.TabWidth();
                    ed.SetTabWidth(tab);
                } else {
                    ed.SetWordWrap(!ed.WordWrap());
                    relaid = true;
                }
                EXPECT_EQ(LineMarks(s), marks);
                if (relaid) {
                    EXPECT_FALSE(s.UndoObject().CanUndo());
                    m.Emptied();
                }
            } else if (op == 1 && rows > 0) {
                int r = gen.Below(rows);
                s.SetMarks(r, static_cast<TRowMarks>(s.GetMarks(r) | (1u << gen.Below(10))));
            } else if (op == 2) {
                m.Step(s, gen.Below(2) == 0);
            } else if (op == 3 && gen.Below(4) == 0 && m.changes <= 64) {
                // Back to where the histories were emptied, and forward again.
                while (s.UndoObject().CanUndo()) s.Undo();
                ASSERT_EQ(s.GetText(), m.baseline);
                // The whole history, oldest first; redo runs to its end.
                std::vector<std::string> chain = m.undoable;
                chain.push_back(m.text);
                chain.insert(chain.end(), m.redoable.rbegin(), m.redoable.rend());
                while (s.UndoObject().CanRedo()) s.Redo();
                m.text = chain.back();
                ASSERT_EQ(s.GetText(), m.text);
                chain.pop_back();
                m.undoable = std::move(chain);
                m.redoable.clear();
            } else if (op == 4 && rows > 0) {
                // Typing and deleting inside a row, in place.
                const int r = gen.Below(rows);
                const int length = static_cast<int>(s.Text(r).size());
                const int start = gen.Below(length + 1);
                std::string t = gen.Text();
                for (char& c : t)
                    if (c == '\r' || c == '\n') c = '_';
                m.ReplaceBytes(s, r, start, start + gen.Below(length - start + 1), t);
            } else if (op <= 7) {
                // Rows replaced at any place, inside wrapped lines too.
                int a = gen.Below(rows + 1);
                int n = gen.Below(std::min(3, rows - a) + 1);
                std::string t = gen.Text();
                if (gen.Below(3) == 0) t += std::string(static_cast<size_t>(gen.Below(90)), 'w');
                if (n == 0 && t.empty()) continue;
                m.ReplaceRows(s, a, n, t);
            } else {
                const int lines = static_cast<int>(LineStarts(m.text).size());
                ASSERT_EQ(ed.Lines().Count(), lines);
                std::string t = gen.Text() + std::string(static_cast<size_t>(gen.Below(70)), 'v');
                for (char& c : t)
                    if (c == '\r' || c == '\n') c = '_';
                if (lines > 0 && op == 8) m.Put(ed, gen.Below(lines), t);
                else if (lines > 0 && op == 9) m.Delete(ed, gen.Below(lines));
                else if (lines > 0) m.Insert(ed, gen.Below(lines), t);
            }
            ASSERT_EQ(s.GetText(), m.text);
            ASSERT_TRUE(inRange);
            ASSERT_EQ(replica, m.text);
            ASSERT_EQ(s.UndoObject().CanUndo(), !m.undoable.empty());
            ASSERT_EQ(s.UndoObject().CanRedo(), !m.redoable.empty());
            // Line counts by row, against a walk (the counts are kept only
            // while some row is wrapped).
            int line = 0;
            for (int r = 0; r < s.Count(); ++r) {
                ASSERT_EQ(s.LinesBefore(r), line) << "row " << r;
                if (r == 0 || s.GetRowAttribute(r - 1) != raWrapped) {
                    ASSERT_EQ(s.RowOfLine(line), r) << "row " << r;
                }
                if (s.GetRowAttribute(r) != raWrapped) ++line;
            }
            ASSERT_EQ(s.LineCount(), line);
            ASSERT_EQ(s.RowOfLine(line), s.Count());
            if (!ed.WordWrap()) {
                for (int r = 0; r < s.Count(); ++r) ASSERT_NE(s.GetRowAttribute(r), raWrapped);
            } else {
                const int w = s.WrapOption().WrapByte();
                for (int r = 0; r < s.Count(); ++r) ASSERT_LE(ed.TextWidth(s.Text(r)), w + 3) << "row " << r;
                // The rows are those a fresh wrap of the text gives.
                TEditor fresh;
                fresh.SetTabWidth(ed.TabWidth());
                fresh.SetWrapOption(s.WrapOption());
                fresh.SetWordWrap(true);
                fresh.Lines().SetTextStr(m.text);
                ASSERT_EQ(Rows(ed), Rows(fresh));
            }
        }
    }
}

// Where two texts first differ, with a little of each from there.
std::string FirstDifference(const std::string& a, const std::string& b) {
    const size_t at = static_cast<size_t>(std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin()).first - a.begin());
    if (at == a.size() && at == b.size()) return "";
    return "at " + std::to_string(at) + " of " + std::to_string(a.size()) + "/" + std::to_string(b.size()) + ": \"" +
           a.substr(at, 24) + "\" vs \"" + b.substr(at, 24) + "\"";
}

// A replace-all of many places rebuilds the rows into blocks of their own and
// gives back the pages of the old block that no row uses any longer: the
// text stays whole through undo and redo, with rows out of order (whose
// pages must stay) and over the blocks an earlier replace-all made.
TEST(RowStoreProperty, ManyPlaceReplaceAllsKeepTheTextThroughUndoAndRedo) {
    for (uint32_t seed : {21u, 22u}) {
        SCOPED_TRACE(Where(seed, 0));
        Generator gen(seed);
        std::string text;
        for (int i = 0; i < 40000; ++i) {
            text += std::string(static_cast<size_t>(gen.Below(3)), '\t') + "ab";
            for (int k = gen.Below(12); k > 0; --k) text += gen.Below(3) ? "xyz\x82\xa0" : "ab c";
            if (i + 1 < 40000 || seed == 21) text += "\r\n";
        }
        TEditor ed;
        TEditorScreenStrings& s = ed.Store();
        s.SetText(text);
        if (seed == 22) s.Exchange(10, 30000);  // rows no longer in block order
        Model m;
        m.text = s.GetText();
        const std::string start = m.text;
        // Marks stay on their rows while the rows move to a new block.
        const std::vector<std::pair<int, TRowMarks>> marks{{0, 1}, {5, 0x8001}, {12345, 4}, {39999, 2}};
        for (const auto& [row, mark] : marks) s.SetMarks(row, mark);
        const std::pair<const char*, const char*> runs[] = {{"ab", "ABAB"}, {"\x82\xa0", ""}, {"ABAB", "ab"}, {"z", "\r\n"}};
        for (const auto& [find, with] : runs) {
            m.ReplaceAll(s, gen, find, with, SIZE_MAX);
            ASSERT_EQ(FirstDifference(s.GetText(), m.text), "") << find;
            if (*with == '\r') continue;
            size_t k = 0;
            for (int r = 0; r < s.Count(); ++r) {
                const TRowMarks expected = k < marks.size() && marks[k].first == r ? marks[k++].second : 0;
                ASSERT_EQ(s.GetMarks(r), expected) << "row " << r << " after " << find;
            }
        }
        while (s.UndoObject().CanUndo()) m.Step(s, true);
        ASSERT_EQ(FirstDifference(s.GetText(), start), "");
        while (s.UndoObject().CanRedo()) m.Step(s, false);
        ASSERT_EQ(FirstDifference(s.GetText(), m.text), "");
        CheckStore(ed, m.text, 0);
    }
}
