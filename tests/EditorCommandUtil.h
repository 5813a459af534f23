// Helpers for the caret, selection, mouse and editing tests.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "EditorTestUtil.h"
#include "editor/Editor.h"

// An editor over `text` with a window large enough that nothing scrolls.
inline void Load(editor::TEditor& ed, std::string_view text) {
    ed.Lines().SetTextStr(text);
    ed.SetVisibleRows(50);
    ed.SetVisibleColumns(200);
    ed.SetMetrics({8, 16, 4, 4});
    ed.SetClientSize(800, 800);
}

// The caret options of the document window.
inline editor::TEditorCaret DocumentCaret() {
    editor::TEditorCaret c;
    c.freeCaret = false;
    c.inTab = true;
    c.nextLine = true;
    c.prevSpaceIndent = true;
    c.softTab = true;
    c.tabSpaceCount = 2;
    return c;
}

// Anchors at (r1, c1) and extends to (r2, c2) as Shift+arrows would.
inline void Select(editor::TEditor& ed, int r1, int c1, int r2, int c2) {
    ed.SetRowCol(r1, c1);
    ed.StartSelection();
    ed.SetRowCol(r2, c2);
    ed.Extend();
}

// Counts OnChange calls into *counter.
inline void CountChanges(editor::TEditor& ed, int* counter) {
    *counter = 0;
    ed.OnChange = [counter](editor::TEditor&) { ++*counter; };
}

class FakeClipboard : public editor::TEditorClipboard {
public:
    std::optional<std::string> text;
    bool box = false;
    std::optional<std::string> GetText(bool* isBox) override {
        if (isBox) *isBox = box;
        return text;
    }
    void SetText(std::string_view sjis, bool isBox) override {
        text = std::string(sjis);
        box = isBox;
    }
    bool HasText() override { return text && !text->empty(); }
};

inline testing::AssertionResult CaretAt(const editor::TEditor& ed, int row, int col) {
    if (ed.Row() == row && ed.Col() == col) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "caret at " << ed.Row() << "," << ed.Col();
}
