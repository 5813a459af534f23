// The editor's clipboard on the desktop's: Unicode there, Shift-JIS in the
// editor. Text that Shift-JIS cannot hold is not pasted; the user is told.
#pragma once

#include "editor/Editor.h"
#include "platform/Ui.h"

namespace app {

class TUiClipboard : public editor::TEditorClipboard {
public:
    explicit TUiClipboard(platform::Ui& ui) : ui_(ui) {}
    std::optional<std::string> GetText(bool* box) override;
    void SetText(std::string_view sjis, bool box) override;
    bool HasText() override { return !ui_.ClipboardText().empty(); }

private:
    platform::Ui& ui_;
};

}  // namespace app
