// TMainForm: the Help menu's define and execkey references.
#include "app/MainForm.h"

namespace app {

void TMainForm::DefineRefExecute() {
    if (!defineView_.FormShow(programFolder_, settings_.targetHost)) return;
    if (view_) view_->RunDefineView(defineView_);
    // The window may have let another child become active meanwhile.
    TMDIChild* doc = ActiveDocument();
    if (!defineView_.Result().empty() && doc) reference::InsertDefineName(doc->Editor1(), defineView_.Result());
}

void TMainForm::ExecKeyRefExecute() {
    if (settings_.targetHost == 1) {
        ShowMessage(std::string(reference::TExecKeyForm::kTessalMessage));
        return;
    }
    if (!execKey_.FormShow(settings_.keyDefFile)) return;
    execKey_.commentChecked = settings_.execKeyComment;
    if (view_) view_->RunExecKey(execKey_);
    settings_.execKeyComment = execKey_.commentChecked;
    TMDIChild* doc = ActiveDocument();
    if (!execKey_.Result().empty() && doc) reference::InsertLineAtCaret(doc->Editor1(), execKey_.Result());
}

}  // namespace app
