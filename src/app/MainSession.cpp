// The last session and the places of the recent files: what is kept at
// exit, and what a start or an open brings back.
#include <algorithm>
#include <filesystem>

#include "app/MainForm.h"
#include "platform/Path.h"

namespace app {

void TMainForm::RememberPlace(const TMDIChild& doc) {
    // A window that never read or wrote its file (one that could not be
    // read, a new name never saved) has no place in it worth keeping.
    if (!doc.DiskStamp()) return;
    const std::vector<std::string>& list = settings_.recentFiles;
    if (std::find(list.begin(), list.end(), doc.Caption()) != list.end())
        settings_.recentPlaces[doc.Caption()] = doc.Place();
}

TSession TMainForm::CurrentSession() const {
    TSession s;
    for (auto& child : children_) {
        if (child->Kind() == ChildKind::Project && project_.IsOpen()) {
            s.project = project_.projectFile;
            s.projectAt = static_cast<int>(s.documents.size());
            if (active_ == child.get()) s.active = TSession::kProjectActive;
            continue;
        }
        auto* doc = dynamic_cast<TMDIChild*>(child.get());
        // A window that never got its file (a new name the user did not
        // save) has nothing to reopen.
        if (!doc || IsUntitled(doc->Caption()) || !platform::FileExists(doc->Caption())) continue;
        if (active_ == doc) s.active = static_cast<int>(s.documents.size());
        s.documents.push_back({doc->Caption(), doc->Place()});
    }
    return s;
}

void TMainForm::RestoreSession(const TSession& session) {
    std::string missing;
    TMdiChildForm* activate = nullptr;
    auto openProject = [&] {
        if (session.project.empty()) return;
        if (!platform::FileExists(session.project)) missing += "\n" + session.project;
        else if (OpenProjectFile(session.project) && session.active == TSession::kProjectActive) activate = ProjectWindow();
    };
    for (size_t i = 0; i < session.documents.size(); ++i) {
        if (static_cast<int>(i) == session.projectAt) openProject();
        const TSessionDocument& d = session.documents[i];
        // Only files: a path that became a folder is refused as on any open.
        if (!platform::PathExists(d.path)) {
            missing += "\n" + d.path;
            continue;
        }
        TMDIChild* doc = OpenDocumentWindow(d.path);
        if (!doc) continue;
        doc->GoToPlace(d.place);
        if (static_cast<int>(i) == session.active) activate = doc;
    }
    if (session.projectAt >= static_cast<int>(session.documents.size())) openProject();
    if (activate) {
        active_ = activate;
        if (view_) view_->ActivateChild(*activate);
    }
    if (!missing.empty())
        ui_.MessageBox("前回終了時に開いていた次のファイルは見つからないため開きませんでした:" + missing, "情報",
                       platform::MsgKind::Information, platform::MsgButtons::Ok);
    NotifyState();
}

void TMainForm::RestoreLastSession() {
    if (!settings_.restoreSession || sessionFile_.empty()) return;
    try {
        RestoreSession(ReadSession(sessionFile_));
    } catch (const std::exception& e) {
        ui_.MessageBox("前回終了時のファイルの一覧を読み込めません。\n" + std::string(e.what()), "警告",
                       platform::MsgKind::Warning, platform::MsgButtons::Ok);
    }
}

void TMainForm::StoreSession(const TSession& session) {
    if (sessionFile_.empty()) return;
    if (!settings_.restoreSession) {
        std::error_code ignored;
        std::filesystem::remove(sessionFile_, ignored);
        return;
    }
    try {
        WriteSession(sessionFile_, session);
    } catch (const std::exception& e) {
        // An older list left behind would come back as if it were this one.
        std::error_code ignored;
        std::filesystem::remove(sessionFile_, ignored);
        ui_.MessageBox("終了時のファイルの一覧を保存できません。次回の起動時には開きません。\n" + std::string(e.what()), "警告",
                       platform::MsgKind::Warning, platform::MsgButtons::Ok);
    }
}

}  // namespace app
