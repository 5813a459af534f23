// Files of open documents that other programs changed, moved or deleted.
#include <algorithm>

#include "app/MainForm.h"

namespace app {

void TMainForm::CheckFilesOnDisk(TMDIChild* only) {
    // While the question is open (or a build writes files) nothing is asked
    // again: the answer covers what changes meanwhile.
    if (checkingDisk_ || building_ || exiting_) return;
    checkingDisk_ = true;
    std::vector<TMDIChild*> ask;
    std::string gone;
    for (TMDIChild* doc : DocumentWindows(nullptr)) {
        if (only && doc != only) continue;
        switch (doc->PendingDiskChange()) {
            case TMDIChild::DiskChange::None: break;
            case TMDIChild::DiskChange::Gone:
                doc->MarkFileGone();
                doc->DiskChangeTold();
                gone += doc->Caption() + "\n";
                break;
            case TMDIChild::DiskChange::Modified:
                if (doc->DocumentChanged()) ask.push_back(doc);
                else doc->ReloadFromDisk();
                break;
        }
    }
    if (!gone.empty())
        ui_.MessageBox(gone + "は他のプログラムによって削除または移動されました。編集中の内容はそのまま残します。", "警告",
                       platform::MsgKind::Warning, platform::MsgButtons::Ok);
    if (!ask.empty()) {
        std::string names;
        for (TMDIChild* doc : ask) names += doc->Caption() + "\n";
        const bool reload = ui_.MessageBox(names + "は他のプログラムによって変更されました。再読み込みしますか? (いいえ: 編集中の内容を残します)",
                                           "確認", platform::MsgKind::Confirmation,
                                           platform::MsgButtons::YesNo) == platform::MsgAnswer::Yes;
        const std::vector<TMDIChild*> open = DocumentWindows(nullptr);
        for (TMDIChild* doc : ask) {
            if (std::find(open.begin(), open.end(), doc) == open.end()) continue;
            if (reload) doc->ReloadFromDisk();
            else doc->DiskChangeTold();  // the next save asks before it overwrites
        }
    }
    checkingDisk_ = false;
    NotifyState();
}

std::vector<std::string> TMainForm::WatchedFiles() const {
    std::vector<std::string> files;
    for (TMDIChild* doc : DocumentWindows(nullptr))
        if (doc->DiskStamp()) files.push_back(doc->Caption());
    return files;
}

}  // namespace app
