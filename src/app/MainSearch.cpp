// The main window's Search menu: the find and replace dialogs, find next and
// upwards with the find dialog's text, jump to line, matching bracket.
#include "app/MainForm.h"
#include "platform/ShiftJis.h"

namespace app {

std::optional<std::string> TMainForm::DocumentText(const std::string& utf8) {
    platform::EncodeResult r = platform::EncodeSjis(utf8);
    if (r.ok()) return std::move(r.bytes);
    ui_.MessageBox("Shift-JISで表せない文字があるため実行できません: " + r.unconvertible, kAppTitle,
                   platform::MsgKind::Warning, platform::MsgButtons::Ok);
    return std::nullopt;
}

void TMainForm::SearchFindExecute() {
    if (!ActiveDocument()) return;
    findDialog_.down = true;
    findDialog_.Execute();
}

void TMainForm::FindDialog1Find() {
    TMDIChild* doc = ActiveDocument();
    if (!doc) return;
    std::optional<std::string> text = DocumentText(findDialog_.findText);
    if (!text) return;
    if (findDialog_.down) doc->FindForward(*text);
    else doc->FindBackward(*text);
    findDialog_.CloseDialog();
}

void TMainForm::FindNext1Click() {
    TMDIChild* doc = ActiveDocument();
    if (!doc || findDialog_.findText.empty()) return;
    if (std::optional<std::string> text = DocumentText(findDialog_.findText)) doc->FindForward(*text);
}

void TMainForm::FindBeforClick() {
    TMDIChild* doc = ActiveDocument();
    if (!doc || findDialog_.findText.empty()) return;
    if (std::optional<std::string> text = DocumentText(findDialog_.findText)) doc->FindBackward(*text);
}

void TMainForm::SearchReplaceExecute() {
    if (!ActiveDocument()) return;
    replaceDialog_.Execute();
}

void TMainForm::ReplaceDialog1Find() {
    TMDIChild* doc = ActiveDocument();
    if (!doc) return;
    std::optional<std::string> text = DocumentText(replaceDialog_.findText);
    if (!text) return;
    doc->FindForward(*text);
    replaceDialog_.CloseDialog();
}

void TMainForm::ReplaceDialog1Replace(bool all) {
    TMDIChild* doc = ActiveDocument();
    if (!doc) return;
    std::optional<std::string> find = DocumentText(replaceDialog_.findText);
    if (!find) return;
    std::optional<std::string> replacement = DocumentText(replaceDialog_.replaceText);
    if (!replacement) return;
    doc->ReplaceText(*find, *replacement, all);
    replaceDialog_.CloseDialog();
}

void TMainForm::J1Click() {
    TMDIChild* doc = ActiveDocument();
    if (!doc || !view_) return;
    TNumJmp dialog;
    dialog.number = std::to_string(doc->Editor1().Row() + 1);
    if (!view_->RunNumJump(dialog)) return;
    // The dialog may have let another window become active meanwhile.
    doc = ActiveDocument();
    if (!doc) return;
    std::optional<int> line = dialog.Value();
    if (!line) {
        ui_.MessageBox(dialog.ConversionError(), kAppTitle, platform::MsgKind::Error, platform::MsgButtons::Ok);
        return;
    }
    // The caret leaves a selection behind: typing goes to the line jumped to.
    doc->Editor1().ClearSelection();
    doc->Editor1().SetRow(*line <= 0 ? 0 : *line - 1);  // the editor clamps the rest
}

void TMainForm::K1Click() {
    if (TMDIChild* doc = ActiveDocument()) doc->FindMatchingBracket();
}

}  // namespace app
