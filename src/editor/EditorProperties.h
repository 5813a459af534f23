// The editor's option values that the document window configures. They are
// plain values here; the caret, colouring, painting and marks code reads
// them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace editor {

// Colour values as the settings file stores them: 0x00BBGGRR for RGB,
// top bit set for system colours.
using TColor = int32_t;
constexpr TColor clNone = 0x1FFFFFFF;  // the place's default colour
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clGray = 0x808080;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBtnFace = static_cast<TColor>(0x8000000F);
constexpr TColor clWindowText = static_cast<TColor>(0x80000008);

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TFountainColor {
    TColor bkColor = clNone;
    TColor color = clNone;
    uint8_t style = 0;  // TFontStyle bits
};

// The eleven colour records.
struct TEditorColors {
    TFountainColor ank, comment, dbcs, hit, integer, mail, reserve, select, str, symbol, url;
};

enum TEditorCaretStyle { csDefault, csBrief };
enum TSelDragMode { dmAutomatic, dmManual };
enum THitStyle { hsSelect, hsDraw, hsCaret };
enum TShowNumberMode { nmRow, nmLine };
enum TScrollBars { ssNone, ssHorizontal, ssVertical, ssBoth };

// The caret options (the editor's Caret), with the class defaults.
struct TEditorCaret {
    bool autoCursor = true, autoIndent = true, backSpaceUnIndent = true;
    bool freeCaret = true, freeRow = false, inTab = false, keepCaret = false, lockScroll = false;
    bool nextLine = false, prevSpaceIndent = false, rowSelect = true, selMove = true, softTab = false;
    bool tabIndent = false;
    TSelDragMode selDragMode = dmAutomatic;
    TEditorCaretStyle style = csDefault;
    int tabSpaceCount = 8;

    // 2..8, then lowered to an even number.
    static int ClampTabSpaceCount(int t) {
        t = t < 2 ? 2 : t > 8 ? 8 : t;
        return t & ~1;
    }
};

struct TEditorFont {
    std::string name = "ＭＳ ゴシック";  // UTF-8
    int size = 10;                        // points
    TColor color = clBlack;
    bool shiftJisCharset = true;
};

struct TEditorImagebar {
    bool visible = false;
    int digitWidth = 8, leftMargin = 2, markWidth = 0, rightMargin = 2;
};

struct TEditorMarks {
    bool eofMark = true, retMark = true, wrapMark = true, underline = true, hideMark = false;
    TColor color = clGray;
};

struct TEditorMargin {
    int character = 0, left = 4, line = 0, top = 4;
};

struct TEditorLeftbar {
    TColor bkColor = clBtnFace, color = clWindowText;
    int column = 4;
    bool edge = true;
    int leftMargin = 0, rightMargin = 1;
    bool showNumber = true;
    TShowNumberMode showNumberMode = nmRow;
    bool visible = false, zeroBase = false, zeroLead = false;
};

struct TEditorRuler {
    TColor bkColor = clBtnFace, color = clWindowText, markColor = clWindowText;
    bool edge = true;
    int gaugeRange = 10;
    bool visible = false;
};

struct TEditorSpeed {
    int caretVerticalAc = 2;
    bool initBracketsFull = false;
    int pageVerticalRange = 2, pageVerticalRangeAc = 2;
};

struct TEditorBracket {
    std::string leftBracket, rightBracket;  // Shift-JIS
    TFountainColor itemColor;
};

struct TEditorView {
    std::vector<TEditorBracket> brackets;
    TEditorColors colors;
    std::string commenter;  // Shift-JIS
    bool controlCode = false;
    std::string hexPrefix;
    bool mail = false;
    std::string quotation;
    bool url = false;
};

struct TEditorProperties {
    TEditorCaret caret;
    TEditorFont font;
    THitStyle hitStyle = hsSelect;
    bool readOnly = false;
    TScrollBars scrollBars = ssBoth;
    bool wantReturns = true, wantTabs = true;
    TEditorImagebar imagebar;
    TEditorMarks marks;
    TEditorMargin margin;
    TEditorLeftbar leftbar;
    TEditorRuler ruler;
    TEditorSpeed speed;
    TEditorView view;
    std::vector<std::string> reserveWordList;  // Shift-JIS, sorted by the colouring code
};

}  // namespace editor
