// The colouring scanner: token families, reserved words, token colours, the
// per-row state across rows and word wrap, and how far scans and rescans go.
#include <gtest/gtest.h>

#include <optional>

#include <string>
#include <vector>

#include "DocumentEditor.h"
#include "editor/Editor.h"
#include "editor/EditorParser.h"

using namespace editor;

namespace {

const char* KindName(TTokenKind k) {
    switch (k) {
        case tokSymbol: return "Sym";
        case tokInteger: return "Int";
        case tokFloat: return "Float";
        case tokBracket: return "Bracket";
        case tokComment: return "Comment";
        case tokReserve: return "Reserve";
        case tokTab: return "Tab";
        case tokAnk: return "Ank";
        case tokDbcsSymbol: return "DSym";
        case tokDbcsDigit: return "DDigit";
        case tokDbcsAlpha: return "DAlpha";
        case tokHiragana: return "Hira";
        case tokKatakana: return "Kata";
        case tokKanji: return "Kanji";
        case tokKanaSymbol: return "KSym";
        case tokKana: return "Kana";
        case tokHex: return "Hex";
        case tokString: return "Str";
        default: return "?";
    }
}

// The row's tokens as "Kind(text) Kind(text)".
std::string Tokens(const TEditorFountain* f, std::string_view text, const TRowState& state = {}) {
    TTokenParser plain;
    std::optional<TEditorParser> coloured;
    if (f) coloured.emplace(f);
    TFountainParser& p = f ? static_cast<TFountainParser&>(*coloured) : plain;
    p.Init(text, state);
    std::string out;
    for (TTokenKind k; (k = p.NextToken()) != tokEnd;) {
        if (!out.empty()) out += ' ';
        out += std::string(KindName(k)) + "(" + std::string(p.TokenText()) + ")";
    }
    return out;
}

TEditorFountain& DocumentFountain() {
    static TEditorFountain f;
    static bool done = (ConfigureDocumentFountain(f), true);
    (void)done;
    return f;
}

// A document editor whose rows are given one by one; `wrapped` rows continue
// on the next row, as word wrap would leave them.
void SetRows(TEditor& ed, const std::vector<std::string>& rows, const std::vector<int>& wrapped = {}) {
    ed.SetVisibleRows(30);
    // Word wrap goes on first: the rows are laid out by hand, not re-split.
    ed.SetWordWrap(true);
    for (const std::string& r : rows) ed.Store().Add(r);
    for (int w : wrapped) ed.Store().SetRowAttribute(w, raWrapped);
    ed.Store().FullScan();
}

}  // namespace

TEST(Scanner, TokenFamiliesByTheCharacterTableAndTheFountainRules) {
    struct Case {
        const char* text;
        const char* tokens;
    } cases[] = {
        {"abc_1 _x Z9", "Ank(abc_1) Ank(_x) Ank(Z9)"},
        {"12 3.5 1.e5 1e+5 7e 2E-3", "Int(12) Float(3.5) Float(1.e5) Float(1e+5) Float(7e) Float(2E-3)"},
        // A following "." makes a float even when the "." itself is not taken.
        {"1.x", "Float(1) Sym(.) Ank(x)"},
        {"1..2", "Float(1) Sym(.) Sym(.) Int(2)"},
        // The hexadecimal prefix is the whole string "0x;0X".
        {"0x1F", "Int(0) Ank(x1F)"},
        {"0x;0X1f 0X;0xAg", "Hex(0x;0X1f) Hex(0X;0xA) Ank(g)"},
        {"\"a\"\"b\" c", "Str(\"a\"\"b\") Ank(c)"},
        {"\"x\"y \"open", "Str(\"x\") Ank(y) Str(\"open)"},
        {"'a' #1", "Sym(') Ank(a) Sym(') Sym(#) Int(1)"},
        {"a // b /* c", "Ank(a) Comment(// b /* c)"},
        {"/* a // b */ c", "Bracket(/* a // b */) Ank(c)"},
        {"/* open", "Bracket(/* open)"},
        {"x\ty", "Ank(x) Tab(\t) Ank(y)"},
        {"\x82\xa0\x81\x5b\x82\xa2" "a", "Hira(\x82\xa0\x81\x5b\x82\xa2) Ank(a)"},
        {"\x83\x4a\x81\x5b\x83\x4c\x82\xa0", "Kata(\x83\x4a\x81\x5b\x83\x4c) Hira(\x82\xa0)"},
        {"\x8a\xbf\x8e\x9a\xe0\x40" "1", "Kanji(\x8a\xbf\x8e\x9a\xe0\x40) Int(1)"},
        {"\x82\x50\x81\x44\x82\x51\x82\x60\x82\x81", "DDigit(\x82\x50\x81\x44\x82\x51) DAlpha(\x82\x60\x82\x81)"},
        {"\xb1\xb2\xa1\xdf", "Kana(\xb1\xb2) KSym(\xa1) Kana(\xdf)"},
        {"\x81\x40\x84\x9f\x82\xf2\x83\x97", "DSym(\x81\x40) DSym(\x84\x9f) DSym(\x82\xf2) DSym(\x83\x97)"},
        {"\x80\xa0\xfd", "Sym(\x80) Sym(\xa0) Sym(\xfd)"},
    };
    for (const Case& c : cases) EXPECT_EQ(Tokens(&DocumentFountain(), c.text), c.tokens) << c.text;

    // The plain scanner knows only the character table: no brackets, comments or strings.
    EXPECT_EQ(Tokens(nullptr, "/* \"a\" //"), "Sym(/) Sym(*) Sym(\") Ank(a) Sym(\") Sym(/) Sym(/)");
}

TEST(Scanner, ReservedWordsAreWholeTokensAndOperatorsAreSingleBytes) {
    TEditorParser p(&DocumentFountain());
    p.Init("return !x || y++ != main; Return", {});
    std::string reserved, plain;
    for (TTokenKind k; (k = p.NextToken()) != tokEnd;)
        (p.IsReserveWord() ? reserved : plain) += std::string(p.TokenText()) + " ";
    // "!" and "=" are entries of their own; "||" and "++" can never match.
    EXPECT_EQ(reserved, "return ! ! = main ; ");
    EXPECT_EQ(plain, "x | | y + + Return ");
}

TEST(Scanner, TokenColorPicksTheRecordOfTheKindOrReserve) {
    const TEditorFountain& f = DocumentFountain();
    const TEditorColors& c = f.Colors();
    struct Case {
        const char* text;
        const TFountainColor* record;
    } cases[] = {
        {"while", &f.Reserve()}, {";", &f.Reserve()},          {"// x", &c.comment},
        {"\"s\"", &c.str},       {"+", &c.symbol},             {"12", &c.integer},
        {"1.5", &c.integer},     {"abc", &c.ank},              {"\x82\xa0", &c.dbcs},
        {"\t", nullptr},         {"/* x */", &f.Brackets()[0].itemColor},
    };
    for (const Case& k : cases) {
        TEditorParser p(&f);
        p.Init(k.text, {});
        ASSERT_NE(p.NextToken(), tokEnd) << k.text;
        EXPECT_EQ(p.TokenColor(), k.record) << k.text;
    }
    EXPECT_EQ(f.Reserve().color, clBlue);
}

TEST(Scanner, FifteenthBracketIsRefused) {
    TEditorFountain f;
    for (int i = 0; i < 14; ++i) f.AddBracket({"<" + std::to_string(i), ">", {}});
    try {
        f.AddBracket({"[", "]", {}});
        FAIL() << "no error";
    } catch (const EFountainBracketError& e) {
        EXPECT_STREQ(e.what(), "TFountainBracketCollection\r\nYou can not add item over 14");
    }
    EXPECT_EQ(f.Brackets().size(), 14u);
    EXPECT_THROW(f.SetBrackets(std::vector<TFountainBracketItem>(15)), EFountainBracketError);
    EXPECT_EQ(f.Brackets().size(), 14u);
}

TEST(Scanner, EachScannerNeedsItsFountainButTheTokenScanner) {
    try {
        TEditorParser p(nullptr);
        FAIL() << "no error";
    } catch (const EFountainParserError& e) {
        EXPECT_STREQ(e.what(), "TFountainParser.Create need instance of TFountain");
    }
    EXPECT_THROW(TFountainParser(nullptr), EFountainParserError);
    // A plain fountain's scanner knows its brackets and reserved words, not
    // the editor's commenter or colours.
    TFountain f;
    f.SetBrackets({{"/*", "*/", {clWhite, clRed, 0}}});
    f.SetReserve({clNone, clBlue, 0});
    f.SetReserveWordList({"int"});
    TFountainParser p(&f);
    p.Init("int /* a */ // x", {});
    std::vector<std::pair<std::string, TColor>> seen;
    while (p.NextToken() != tokEnd) seen.push_back({std::string(p.TokenText()), p.TokenColor() ? p.TokenColor()->color : -1});
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, TColor>>{
                        {"int", clBlue}, {"/* a */", clRed}, {"/", -1}, {"/", -1}, {"x", -1}}));
}

TEST(Scanner, BracketColoursChangeTogetherWithOneNotice) {
    TEditorFountain f;
    f.SetBrackets({{"/*", "*/", {}}, {"{", "}", {}}});
    int notices = 0;
    f.Subscribe([&] { ++notices; });
    f.SetBracketsColor(clRed);
    f.SetBracketsBkColor(clWhite);
    f.SetBracketsStyle(fsBold);
    EXPECT_EQ(notices, 3);
    for (const TFountainBracketItem& b : f.Brackets()) {
        EXPECT_EQ(b.itemColor.color, clRed);
        EXPECT_EQ(b.itemColor.bkColor, clWhite);
        EXPECT_EQ(b.itemColor.style, fsBold);
    }
    f.SetBracketsStyle(fsBold);  // unchanged: no notice
    EXPECT_EQ(notices, 3);
}

TEST(ScanRow, BlockCommentRunsIntoTheNextLineThroughBlankRows) {
    TEditor ed;
    ConfigureLikeDocument(ed);
    ed.SetVisibleRows(30);
    ed.Lines().SetTextStr("x /* a\r\n\r\n   \r\nb */ c\r\n// d /* e\r\nf\r\n");
    const TEditorScreenStrings& s = ed.Store();
    // Open from row 1 on; blank rows pass the state through.
    EXPECT_EQ(LoadRowState(s, 0).bracketIndex, -1);
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(LoadRowState(s, r).bracketIndex, 0) << r;
    EXPECT_EQ(Tokens(&ed.View().Fountain(), s.Text(3), LoadRowState(s, 3)), "Bracket(b */) Ank(c)");
    {
        TEditorParser p(&ed.View().Fountain());
        p.Init(s.Text(3), LoadRowState(s, 3));
        p.NextToken();
        ASSERT_NE(p.TokenColor(), nullptr);
        EXPECT_EQ(p.TokenColor()->color, clRed);
    }
    EXPECT_EQ(LoadRowState(s, 4).bracketIndex, -1);
    // A left bracket after the commenter opens nothing.
    EXPECT_EQ(LoadRowState(s, 5).bracketIndex, -1);
    EXPECT_EQ(Tokens(&ed.View().Fountain(), s.Text(5), LoadRowState(s, 5)), "Ank(f)");
}

TEST(ScanRow, TokensCutByTheWrapContinueOnTheNextRow) {
    struct Case {
        std::vector<std::string> rows;
        std::vector<int> wrapped;
        int row;  // the row checked
        int startToken, remain, bracket;
        const char* tokens;
        TColor firstColor;
    } cases[] = {
        // A right bracket split between its bytes: one byte of bracket, then closed.
        {{"x /* a *", "/ b", "c"}, {0}, 1, tokBracket, 1, 0, "Bracket(/) Ank(b)", clRed},
        {{"x /* a *", "/ b", "c"}, {0}, 2, 0, 0, -1, "Ank(c)", clBlack},
        {{"x /* a", "bc */ d"}, {0}, 1, 0, 0, 0, "Bracket(bc */) Ank(d)", clRed},
        // A reserved word keeps its colour; a plain identifier is never reserved.
        {{"x = ret", "urn y"}, {0}, 1, tokReserve, 3, -1, "Reserve(urn) Ank(y)", clBlue},
        {{"in", "t"}, {0}, 1, tokReserve, 1, -1, "Reserve(t)", clBlue},
        {{"ab", "cd"}, {0}, 1, tokAnk, 2, -1, "Ank(cd)", clBlack},
        {{"12", "34 5"}, {0}, 1, tokInteger, 2, -1, "Int(34) Int(5)", clBlack},
        {{"a \"b c", "d\" e"}, {0}, 1, tokString, 2, -1, "Str(d\") Ank(e)", clBlack},
        // The carried bytes count from the row's start, blanks included.
        {{"s = \"a", " b\";"}, {0}, 1, tokString, 3, -1, "Str(b\") Sym(;)", clBlack},
        // Reaching the end of a next row that is wrapped too: no byte count.
        {{"ab", "cd", "ef x"}, {0, 1}, 1, tokAnk, 0, -1, "Ank(cd)", clBlack},
        {{"ab", "cd", "ef x"}, {0, 1}, 2, tokAnk, 2, -1, "Ank(ef) Ank(x)", clBlack},
        // A comment goes on to the end of the line, over every wrapped row.
        {{"a // b", "c d", "e f", "g"}, {0, 1}, 1, tokComment, 0, -1, "Comment(c d)", clRed},
        {{"a // b", "c d", "e f", "g"}, {0, 1}, 2, tokComment, 0, -1, "Comment(e f)", clRed},
        {{"a // b", "c d", "e f", "g"}, {0, 1}, 3, 0, 0, -1, "Ank(g)", clBlack},
        // Without the wrap nothing continues: an open string ends with its line.
        {{"a \"b c", "d\" e"}, {}, 1, 0, 0, -1, "Ank(d) Str(\" e)", clBlack},
        // Also when the wrapped tail of the line is all blanks.
        {{"\"" + std::string(19, 'a'), "   ", "int x;"}, {0}, 2, 0, 0, -1, "Ank(int) Ank(x) Sym(;)", clBlue},
    };
    for (const Case& c : cases) {
        TEditor ed;
        ConfigureLikeDocument(ed);
        SetRows(ed, c.rows, c.wrapped);
        const TEditorScreenStrings& s = ed.Store();
        const TRowState st = LoadRowState(s, c.row);
        const std::string what = c.rows[0] + "|" + c.rows[1] + " row " + std::to_string(c.row);
        EXPECT_EQ(st.startToken, c.startToken) << what;
        EXPECT_EQ(st.remain, c.remain) << what;
        EXPECT_EQ(st.bracketIndex, c.bracket) << what;
        EXPECT_EQ(Tokens(&ed.View().Fountain(), s.Text(c.row), st), c.tokens) << what;
        TEditorParser p(&ed.View().Fountain());
        p.Init(s.Text(c.row), st);
        p.NextToken();
        ASSERT_NE(p.TokenColor(), nullptr) << what;
        EXPECT_EQ(p.TokenColor()->color, c.firstColor) << what;
    }
}

namespace {

std::string NumberedLines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

}  // namespace

TEST(FullScan, CoversTwoScreensUnlessBracketsAreScannedInFull) {
    for (bool full : {false, true}) {
        TEditor ed;
        ConfigureLikeDocument(ed);
        ed.SetVisibleRows(30);
        ed.SetSpeed({2, full, 2, 2});
        TEditorScreenStrings& s = ed.Store();
        s.ResetScannedRows();
        ed.Lines().SetTextStr(NumberedLines(1000));
        // No row follows the last one, so nothing needs the state after it.
        EXPECT_EQ(s.ScannedRows(), full ? 999 : 61) << full;
        EXPECT_TRUE(s.StateComputed(60));
        EXPECT_EQ(s.StateComputed(61), full);
        // A row past the scanned ones is brought up to date when it is needed.
        s.EnsureState(700);
        EXPECT_TRUE(s.StateComputed(700));
        EXPECT_EQ(LoadRowState(s, 700).bracketIndex, -1);
    }
}

TEST(Rescan, OpeningACommentChangesAtMostTwoScreens) {
    TEditor ed;
    ConfigureLikeDocument(ed);
    ed.SetVisibleRows(30);
    TEditorScreenStrings& s = ed.Store();
    ed.Lines().SetTextStr(NumberedLines(1000));
    std::vector<int> changed;
    ed.OnChange = [&](TEditor& e) { changed.push_back(e.Store().LastChange().rescannedRows); };
    s.ResetScannedRows();
    s.ReplaceRows(0, 1, "/*line 0\r\n");
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0], 61);
    EXPECT_LE(s.ScannedRows(), 62);
    EXPECT_EQ(LoadRowState(s, 60).bracketIndex, 0);
    EXPECT_FALSE(s.StateComputed(61));
    s.EnsureState(900);
    EXPECT_EQ(LoadRowState(s, 900).bracketIndex, 0);

    // The states agree at once now: nothing changes.
    EXPECT_EQ(s.Rescan(0, true), 0);
    // Closing the comment again far down changes only until the states agree.
    s.ReplaceRows(950, 1, "*/\r\n");
    EXPECT_EQ(LoadRowState(s, 951).bracketIndex, -1);
}

TEST(Rescan, StopsAsSoonAsTheStatesAgree) {
    TEditor ed;
    ConfigureLikeDocument(ed);
    ed.SetVisibleRows(30);
    TEditorScreenStrings& s = ed.Store();
    ed.Lines().SetTextStr(NumberedLines(200));
    std::vector<int> changed;
    ed.OnChange = [&](TEditor& e) { changed.push_back(e.Store().LastChange().rescannedRows); };
    s.ResetScannedRows();
    s.ReplaceRows(10, 1, "line X\r\n");  // rebuilds its line and the next
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0], 2);
    EXPECT_LE(s.ScannedRows(), 3);
    EXPECT_TRUE(s.StateComputed(60));
}

TEST(Fountain, AnOutsideFountainRulesUntilItIsDestroyed) {
    TEditor ed;
    ConfigureLikeDocument(ed);
    ed.SetVisibleRows(30);
    ed.Lines().SetTextStr("a /* b\r\nc\r\n");
    EXPECT_EQ(LoadRowState(ed.Store(), 1).bracketIndex, 0);
    {
        TEditorFountain outside;
        outside.SetBrackets({{"{", "}", {}}});
        ed.SetFountain(&outside);
        EXPECT_EQ(&ed.ActiveFountain(), &outside);
        EXPECT_EQ(LoadRowState(ed.Store(), 1).bracketIndex, -1);  // rescanned by its rules
    }
    // Its end leaves no dangling fountain: the View's rules again.
    EXPECT_EQ(&ed.ActiveFountain(), &ed.View().Fountain());
    EXPECT_EQ(LoadRowState(ed.Store(), 1).bracketIndex, 0);
}

TEST(Fountain, AnItalicRecordSwitchesTheEditorToItalicPainting) {
    TEditor ed;
    ConfigureLikeDocument(ed);
    ed.RecomputeMetrics(16, 8, 800, 600);
    EXPECT_FALSE(ed.Metrics().italic);
    TEditorColors c = ed.View().Colors();
    c.reserve.style = fsItalic;
    ed.View().SetColors(c);
    EXPECT_TRUE(ed.Metrics().italic);
    EXPECT_EQ(ed.View().Fountain().Reserve().style, fsItalic);
}
