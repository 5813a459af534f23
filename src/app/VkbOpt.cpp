#include "app/VkbOpt.h"

#include "platform/Path.h"
#include "reference/KeywordList.h"

namespace app {

namespace {

std::string ChooseFile(platform::Ui& ui, platform::FileDialogOptions o) {
    platform::FileDialogResult r = ui.OpenDialog(o);
    return r.accepted && !r.files.empty() ? r.files.front() : std::string();
}

}  // namespace

void TVKBOptForm::FormShow(const TSettings& s) {
    Edit2 = s.compilerFolder;
    StaticText2 = s.helpFile;
    StaticText3 = s.keyDefFile;
    RadioGroup1 = s.targetHost == 1 ? 1 : 0;
    Edit3 = s.plomarPath;
    RestoreSession = s.restoreSession;
    EditWine = s.wineCommand;
    plomarInitialDir = platform::ExtractFilePath(s.plomarPath);
}

void TVKBOptForm::Button1Click() {
    if (!Edit1.empty()) Edit2 = Edit1;
}

void TVKBOptForm::Button4Click() {
    platform::FileDialogOptions o;
    o.filter = std::string(reference::kHelpFileFilter);
    o.initialDir = platform::ExtractFilePath(StaticText2);
    if (std::string f = ChooseFile(ui_, o); !f.empty()) StaticText2 = f;
}

void TVKBOptForm::Button5Click() {
    platform::FileDialogOptions o;
    o.filter = "(*.TXT)|*.TXT";
    o.defaultExt = "TXT";
    o.initialDir = platform::ExtractFilePath(StaticText3);
    if (std::string f = ChooseFile(ui_, o); !f.empty()) StaticText3 = f;
}

void TVKBOptForm::Button6Click() {
    platform::FileDialogOptions o;
    o.filter = "(*.*)|*.EXE";
    o.fileName = "Designer.EXE";
    o.initialDir = plomarInitialDir;
    if (std::string f = ChooseFile(ui_, o); !f.empty()) {
        Edit3 = f;
        plomarInitialDir = platform::ExtractFilePath(f);
    }
}

void TVKBOptForm::OKClick(TSettings& s) {
    if (platform::DirectoryExists(Edit2)) {
        s.compilerFolder = Edit2;
    } else {
        ui_.MessageBox(Edit2 + kRefusedFolder, kCaption, platform::MsgKind::Warning, platform::MsgButtons::Ok);
    }
    s.helpFile = StaticText2;
    s.keyDefFile = StaticText3;
    s.targetHost = RadioGroup1;
    s.restoreSession = RestoreSession;
    // Blanks around a pasted command name nothing.
    const size_t b = EditWine.find_first_not_of(" \t");
    s.wineCommand = b == std::string::npos ? std::string() : EditWine.substr(b, EditWine.find_last_not_of(" \t") - b + 1);
}

}  // namespace app
