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
    bool operator==(const TFountainColor&) const = default;
};

// The eleven colour records.
struct TEditorColors {
    TFountainColor ank, comment, dbcs, hit, integer, mail, reserve, select, str, symbol, url;
    bool operator==(const TEditorColors&) const = default;
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
    std::string name = "FixedSys";  // UTF-8
    int size = 10;                        // points
    TColor color = clBlack;
    bool shiftJisCharset = true;
};

// Option objects of the painting, with the class defaults; the editor's
// setters limit the values (TEditor::SetMargin and the like).
constexpr TColor clSilver = 0xC0C0C0;

struct TEditorImagebar {
    int digitWidth = 8, leftMargin = 2, markWidth = 0, rightMargin = 2;
    bool visible = true;
};

struct TEditorMark {
    TColor color = clGray;  // clNone: the font colour
    bool visible = false;
};

struct TEditorMarks {
    TEditorMark eofMark, retMark, wrapMark, hideMark, underline;
};

struct TEditorMargin {
    int character = 0, left = 19, line = 0, top = 2;  // each 0..100
};

struct TEditorLeftbar {
    TColor bkColor = clSilver, color = clBlack;
    int column = 4;  // 1..8 digits at least
    bool edge = true;
    int leftMargin = 8, rightMargin = 4;
    bool showNumber = true;
    TShowNumberMode showNumberMode = nmRow;
    bool visible = false, zeroBase = false, zeroLead = false;
};

struct TEditorRuler {
    TColor bkColor = clSilver, color = clBlack;
    bool edge = true;
    int gaugeRange = 10;  // 8 or 10
    TColor markColor = clBlack;
    bool visible = false;
};

struct TEditorSpeed {
    int caretVerticalAc = 2;  // 1..4
    bool initBracketsFull = false;
    int pageVerticalRange = 2, pageVerticalRangeAc = 2;  // 1..4
};

struct TEditorProperties {
    TEditorCaret caret;
    TEditorFont font;
    TColor color = clWhite;  // the editor's background
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
};

}  // namespace editor
