// TMainForm: the Options menu — environment options, Plomar, the compiler's
// configuration file and the two customization dialogs.
#include "app/MainForm.h"
#include "platform/Path.h"
#include "platform/Wine.h"

namespace app {

void TMainForm::E1Click() {
    vkbOpt_.FormShow(settings_);
    const int remembered = settings_.targetHost;
    if (view_ && view_->RunOptions(vkbOpt_)) vkbOpt_.OKClick(settings_);
    // The Plomar path is taken by either button while the target is Tessal.
    // Enabled by the same test as at start, so that a hand-edited target the
    // dialog cannot show (2 and up) keeps the item Cancel found.
    plomarEnabled_ = settings_.targetHost != 0;
    if (plomarEnabled_) settings_.plomarPath = vkbOpt_.Edit3;
    if (settings_.targetHost != remembered) LoadKeywordList();
    NotifyState();
}

void TMainForm::Plomar1Click() {
    const std::string& path = settings_.plomarPath;
    if (!platform::FileExists(path)) {
        ShowMessage(path + "が見つかりません");
        return;
    }
    if (platform::IsWindowsProgram(path)) {
        const std::string wine = platform::FindWine(settings_.wineCommand, platform::ProcessEnvironment());
        if (std::string missing = platform::WineMissingMessage(path, wine); !missing.empty()) {
            ui_.MessageBox(missing, kAppTitle, platform::MsgKind::Error, platform::MsgButtons::Ok);
            return;
        }
        if (!ui_.StartProgram(wine, {path}))
            ui_.MessageBox(path + " を起動できません", kAppTitle, platform::MsgKind::Error, platform::MsgButtons::Ok);
        return;
    }
    if (!ui_.StartProgram(path, {}))
        ui_.MessageBox(path + " を起動できません", kAppTitle, platform::MsgKind::Error, platform::MsgButtons::Ok);
}

void TMainForm::C2Click() {
    if (settings_.compilerFolder.empty()) {
        ShowMessage("VKC.EXEのパスが設定されていません");
        return;
    }
    if (std::optional<std::string> cfg = platform::FindFileInFolder(settings_.compilerFolder, "VKC.CFG"))
        OpenDocumentWindow(*cfg);
    else
        ShowMessage("VKC.CFGが見つかりません");
}

void TMainForm::S1Click() {
    cust_.FormShow(settings_, view_ ? view_->InstalledFonts() : std::vector<TFontFace>{});
    if (!view_ || !view_->RunCustomize(cust_)) return;
    cust_.OKClick(settings_);
    for (auto& child : children_)
        if (auto* doc = dynamic_cast<TMDIChild*>(child.get())) doc->ApplySettings(settings_);
    NotifyState();
}

void TMainForm::P2Click() {
    TPrjCustForm form;
    form.FormShow(settings_, view_ ? view_->InstalledFonts() : std::vector<TFontFace>{});
    if (!view_ || !view_->RunProjectCustomize(form)) return;
    form.OKClick(settings_);
    view_->ProjectLookChanged();
}

}  // namespace app
