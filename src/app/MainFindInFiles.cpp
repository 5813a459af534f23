// Find in files from the Search menu: the dialog's scope turned into files,
// the search run in slices between which the window handles its events,
// and the hits listed and marked like a build's messages.
#include <filesystem>
#include <set>

#include "app/MainForm.h"
#include "platform/Path.h"
#include "platform/ShiftJis.h"
#include "platform/Strings.h"

namespace app {

namespace {

constexpr auto kSlice = std::chrono::milliseconds(30);

}  // namespace

void TMainForm::FindInFilesExecute() {
    if (building_ || findingInFiles_ || !view_) return;
    TFindInFilesForm& f = findInFiles_;
    f.projectOpen = project_.IsOpen();
    // The project when one is open, else the folder; the user's choice
    // stays until a project is opened or closed.
    if (f.projectOpenBefore != f.projectOpen) f.scope = f.projectOpen ? TFindScope::fsProject : TFindScope::fsFolder;
    f.projectOpenBefore = f.projectOpen;
    if (TMDIChild* doc = ActiveDocument(); doc && !IsUntitled(doc->Caption()))
        f.folder = platform::ExtractFilePath(doc->Caption());
    else if (f.folder.empty())
        f.folder = f.projectOpen ? project_.SourceDir()
                                 : platform::IncludeTrailingPathDelimiter(std::filesystem::current_path().string());
    // A selection within one line is what the user wants found.
    if (TMDIChild* doc = ActiveDocument()) {
        std::string sel = doc->Editor1().SelectedText();
        if (!sel.empty() && sel.find_first_of("\r\n") == std::string::npos && sel.size() <= 256)
            f.text = platform::DecodeSjis(sel).text;
    }
    f.OnStart = [this] { FindInFilesStart(); };
    f.OnStop = [this] { FindInFilesStop(); };
    view_->RunFindInFiles(f);
    f.OnStart = f.OnStop = nullptr;
}

std::optional<std::vector<TFileToSearch>> TMainForm::FindInFilesTargets() {
    const TFindInFilesForm& f = findInFiles_;
    std::vector<std::string> paths;
    size_t unreadable = 0;
    switch (f.scope) {
        case TFindScope::fsProject: {
            if (!project_.IsOpen()) break;
            std::set<std::string> seen;
            auto add = [&](const std::string& p) {
                if (seen.insert(p).second) paths.push_back(p);
            };
            for (const std::string& entry : project_.List(project::EntryList::Sources))
                if (!entry.empty()) add(project_.ResolveSourcePath(entry));
            // The headers the sources include lie beside them.
            for (const std::string& h : ListFolderFiles(project_.SourceDir(), "*.H", false)) add(h);
            break;
        }
        case TFindScope::fsOpenDocuments:
            for (TMDIChild* doc : DocumentWindows(nullptr)) paths.push_back(doc->Caption());
            break;
        case TFindScope::fsFolder: {
            std::string folder = f.folder;
            if (folder.empty() || !platform::DirectoryExists(folder)) {
                ShowMessage((folder.empty() ? std::string("(空)") : folder) + "\nフォルダが見つかりません");
                return std::nullopt;
            }
            paths = ListFolderFiles(folder, f.patterns, f.subfolders, &unreadable);
            break;
        }
    }
    if (paths.empty()) {
        ShowMessage("検索するファイルがありません");
        return std::nullopt;
    }
    std::vector<TFileToSearch> files;
    files.reserve(paths.size());
    for (std::string& p : paths) {
        TFileToSearch file{std::move(p), std::nullopt};
        // An open document is searched as it is now, saved or not.
        if (TMDIChild* doc = DocumentShowing(file.path)) {
            file.path = doc->Caption();
            file.text = doc->Editor1().GetText();
        } else if (IsUntitled(file.path)) {
            continue;
        }
        files.push_back(std::move(file));
    }
    return files;
}

compiler::TMsgForm* TMainForm::HitsWindow() const {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        if (auto* msg = dynamic_cast<compiler::TMsgForm*>(it->get()); msg && msg->Hits()) return msg;
    return nullptr;
}

void TMainForm::FindInFilesStart() {
    if (findingInFiles_ || building_) return;
    TFindInFilesForm& f = findInFiles_;
    f.running = f.started = false;
    if (f.text.empty()) {
        ShowMessage("検索する文字列を入力してください");
        return;
    }
    std::optional<std::string> pattern = DocumentText(f.text);
    if (!pattern) return;
    std::optional<std::vector<TFileToSearch>> files = FindInFilesTargets();
    if (!files) return;

    if (compiler::TMsgForm* old = HitsWindow()) CloseChild(*old);
    auto form = std::make_unique<compiler::TMsgForm>(ui_, [this](const compiler::JumpTarget& target) {
        jump_ = target;
        timer1_.SetEnabled(true);
    });
    compiler::TMsgForm* msg = form.get();
    msg->SetHits(true);
    msg->SetCaption(std::string(TFindInFilesForm::kCaption) + " - " + f.text);
    children_.push_back(std::move(form));
    active_ = msg;
    if (view_) view_->ChildAdded(*msg);

    TFindInFiles search(*pattern, f.options, std::move(*files));
    findingInFiles_ = true;
    stopFindInFiles_ = false;
    f.running = f.started = true;
    auto alive = [&] {
        for (auto& c : children_)
            if (c.get() == msg) return true;
        return false;
    };
    bool open = true;
    while (!search.Done() && !stopFindInFiles_) {
        compiler::MessageLines lines;
        search.Step(lines, SIZE_MAX, kSlice);
        if (!lines.empty()) msg->AddLines(lines);
        findStatus_ = f.progress = search.Progress();
        if (f.OnProgress) f.OnProgress();
        NotifyState();
        // The user may work meanwhile, and may close the listing: that ends the search.
        ui_.ProcessEvents();
        if (!(open = alive())) break;
    }
    findingInFiles_ = false;
    f.running = false;
    findStatus_.clear();
    f.progress.clear();
    if (open) {
        compiler::MessageLines last;
        for (const std::string& line : search.SummaryLines()) last.push_back(line);
        msg->AddLines(last);
        PlaceHitMarks(*msg, nullptr);
    }
    NotifyState();
    if (closeAfterBuild_) {
        closeAfterBuild_ = false;
        if (view_) view_->CloseMainWindow();
    }
}

}  // namespace app
