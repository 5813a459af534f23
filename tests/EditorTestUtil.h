// Helpers shared by the editor tests.
#pragma once

#include <string>

#include "editor/Editor.h"

// The rows of an editor's store as "[text]A" pieces, A being the attribute:
// L line break, W wrapped, E end of text.
inline std::string Rows(const editor::TEditor& ed) {
    std::string out;
    const editor::TEditorScreenStrings& s = ed.Store();
    for (int r = 0; r < s.Count(); ++r) {
        out += "[" + std::string(s.Text(r)) + "]";
        out += "LWEN"[s.GetRowAttribute(r)];
    }
    return out;
}
