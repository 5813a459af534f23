// The main window's file drop: dropped sources open as command-line ones do.
#include "app/MainForm.h"
#include "platform/Path.h"

namespace app {

void TMainForm::HookFileDrop(TDropWindow* window) {
    fileDrop1_.reset();
    if (!window) return;
    fileDrop1_ = std::make_unique<TFileDrop>(window);
    fileDrop1_->OnFileDrop = [this](TFileDrop& sender, int count, int x, int y,
                                    const std::vector<std::string>& paths) {
        FileDrop1FileDrop(sender, count, x, y, paths);
    };
    fileDrop1_->OnException = [this](const std::exception& e) {
        ui_.MessageBox(e.what(), kAppTitle, platform::MsgKind::Error, platform::MsgButtons::Ok);
    };
    fileDrop1_->Loaded();
}

void TMainForm::FileDrop1FileDrop(TFileDrop&, int, int, int, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        std::string ext = platform::UpperCase(platform::ExtractFileExt(path));
        if ((ext == ".R" || ext == ".H") && platform::FileExists(path)) OpenDocumentWindow(path);
    }
}

}  // namespace app
