// An editor set up like a document window: the colouring rules, colours,
// marks, margins and left bar its form declares.
#pragma once

#include <string>
#include <vector>

#include "editor/Editor.h"

constexpr editor::TColor kPurple = 0x800080;
constexpr editor::TColor kNavy = 0x800000;

inline std::vector<std::string> DocumentReservedWords() {
    return {"", "--", "!", "!=", "%", "%=", "&", "&&", "&=", "*=", "/=", ";", "^", "^=", "_myversion", "_osbuild",
            "_osversion", "_platform", "||", "|=", "++", "+=", "<", "<<", "<<=", "<=", "=", "-=", "=!", "=~", "==",
            ">", "->", ">=", ">>", ">>=", "\\\\", "\\n", "\\r", "\\t", "0x", "auto", "BOOL", "break", "BYTE",
            "CALLBACK", "case", "char", "class", "clock_t", "cond", "continue", "default", "define", "do", "DOS_EOF",
            "DWORD", "else", "endif", "EOF", "EXIT_SUCCESS", "extern", "FALSE", "FILE", "FILENAME_MAX", "final", "for",
            "foreach", "goto", "HANDLE", "HINSTANCE", "HIWORD", "HTTP", "HWND", "if", "ifdef", "ifndef", "include",
            "INET", "init", "int", "intern", "LEGDATA", "LONG", "LOWORD", "LPARAM", "LPCSTR", "LPCTSTR", "LPSTR",
            "LPVOID", "LRESULT", "main", "new", "NODATA", "NULL", "PCHAR", "PCSTR", "PCTSTR", "PHANDLE", "PLONG",
            "private", "protected", "PSTR", "ptrdiff_t", "public", "PVOID", "re_group", "REGEX", "return", "setup",
            "size_t", "sizeof", "static", "str", "string", "struct", "switch", "TCHAR", "terminated", "time_t", "TRUE",
            "typedef", "undef", "union", "UNIT", "va_list", "void", "wait", "while", "WPARAM"};
}

inline void ConfigureDocumentFountain(editor::TEditorFountain& f) {
    using namespace editor;
    const TFountainColor text{clWhite, clBlack, 0};
    f.BeginUpdate();
    TEditorColors c;
    c.ank = c.dbcs = c.integer = c.str = c.url = text;
    c.mail = {static_cast<TColor>(0x80000005), clWindowText, 0};
    c.comment = {clWhite, clRed, 0};
    c.hit = {};
    c.reserve = {clWhite, clBlue, 0};
    c.select = {kNavy, clWhite, 0};
    c.symbol = {clWhite, kPurple, 0};
    f.SetColors(c);
    f.SetBrackets({{"/*", "*/", {clWhite, clRed, 0}}});
    f.SetCommenter("//");
    f.SetControlCode(false);
    f.SetHexPrefix("0x;0X");
    f.SetMail(false);
    f.SetQuotation("\"");
    f.SetUrl(false);
    f.SetReserveWordList(DocumentReservedWords());
    f.EndUpdate();
}

inline void ConfigureLikeDocument(editor::TEditor& ed) {
    using namespace editor;
    ConfigureDocumentFountain(ed.View().Fountain());
    ed.Properties().color = clWhite;
    ed.Properties().font.color = clBlack;
    ed.SetImagebar({8, 2, 0, 2, false});
    TEditorMarks marks;
    for (TEditorMark* m : {&marks.eofMark, &marks.retMark, &marks.wrapMark, &marks.underline}) *m = {clGray, true};
    marks.hideMark = {clGray, false};
    ed.SetMarks(marks);
    ed.SetMargin({0, 4, 0, 4});
    TEditorLeftbar bar;
    bar.bkColor = clBtnFace;
    bar.color = clWindowText;
    bar.column = 4;
    bar.leftMargin = 0;
    bar.rightMargin = 1;
    bar.visible = true;
    ed.SetLeftbar(bar);
    TEditorRuler ruler;
    ruler.bkColor = clBtnFace;
    ruler.color = ruler.markColor = clWindowText;
    ed.SetRuler(ruler);
}
