#include "project/PrjForm.h"

#include <algorithm>

#include "forms/BrowseFolder.h"
#include "platform/Path.h"

namespace project {

namespace {

constexpr const char* kAddFilter =
    "ソースファイル(*.R)|*.R|オブジェクトファイル(*.RO)|*.RO|全てのファイル(*.*)|*.*";

std::string UpperExt(const std::string& path) { return platform::UpperCase(platform::ExtractFileExt(path)); }

}  // namespace

bool ListLess(std::string_view a, std::string_view b) { return platform::UpperCase(a) < platform::UpperCase(b); }

TPrjForm::TPrjForm(const ProjectModel& model, platform::Ui& ui, std::string programFolder)
    : model_(model), ui_(ui), programFolder_(std::move(programFolder)) {}

TPrjForm::~TPrjForm() = default;

void TPrjForm::SetLists(const std::vector<std::string>& sources, const std::vector<std::string>& objects) {
    sources_ = sources;
    objects_ = objects;
    std::stable_sort(sources_.begin(), sources_.end(), ListLess);
    std::stable_sort(objects_.begin(), objects_.end(), ListLess);
}

void TPrjForm::ClearForNew() {
    prjName.clear();
    rxName.clear();
    sources_.clear();
    objects_.clear();
}

TPrjForm::Field TPrjForm::Missing() const {
    if (!requireInput) return Field::None;
    if (prjName.empty()) return Field::Name;
    if (rxName.empty()) return Field::Executable;
    if (sources_.empty()) return Field::Sources;
    return Field::None;
}

bool TPrjForm::OkClick() {
    if (Missing() != Field::None) {
        ui_.MessageBox(std::string(kInputError), std::string(kCaption), platform::MsgKind::Error,
                       platform::MsgButtons::Ok);
        return false;
    }
    folderName = Folder();
    return true;
}

std::string TPrjForm::Folder() const {
    if (folderName.empty() || folderName.back() == '/' || folderName.back() == '\\') return folderName;
    return folderName + "/";
}

std::string TPrjForm::StartFolder() const {
    if (!folderName.empty()) return Folder();
    std::string folder = model_.SourceDir();
    return folder.empty() ? programFolder_ : folder;
}

bool TPrjForm::Holds(const std::vector<std::string>& list, const std::string& entry) const {
    return std::any_of(list.begin(), list.end(), [&](const std::string& e) { return platform::SameText(e, entry); });
}

void TPrjForm::Insert(std::vector<std::string>& list, const std::string& entry) {
    list.insert(std::upper_bound(list.begin(), list.end(), entry, ListLess), entry);
}

bool TPrjForm::AddByRule(bool sources, const std::string& path) {
    const std::string folder = Folder();
    const std::string entry =
        !folder.empty() && platform::SameText(platform::ExtractFilePath(path), folder) ? platform::ExtractFileName(path)
                                                                                       : path;
    std::vector<std::string>& list = ListOf(sources);
    if (Holds(list, entry)) return false;
    Insert(list, entry);
    return true;
}

std::string TPrjForm::OpenDialog1TypeChange(int filterIndex) {
    switch (filterIndex) {
        case 1: return "R";
        case 2: return "RO";
        default: return "";
    }
}

void TPrjForm::AddFromDialog(bool sources) {
    platform::FileDialogOptions o;
    o.filter = kAddFilter;
    o.filterIndex = sources ? 1 : 2;
    o.defaultExt = OpenDialog1TypeChange(o.filterIndex);
    o.onTypeChange = &TPrjForm::OpenDialog1TypeChange;
    o.initialDir = StartFolder();
    o.multiSelect = true;
    platform::FileDialogResult r = ui_.OpenDialog(o);
    if (!r.accepted) return;
    for (const std::string& path : r.files) AddByRule(sources, path);
}

void TPrjForm::Button1Click() { AddFromDialog(true); }
void TPrjForm::Button2Click() { AddFromDialog(false); }

void TPrjForm::Remove(std::vector<std::string>& list, std::vector<int> rows) {
    // From the last so that the earlier rows keep their places.
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (*it >= 0 && *it < static_cast<int>(list.size())) list.erase(list.begin() + *it);
}

void TPrjForm::Button3Click(const std::vector<int>& rows) { Remove(sources_, rows); }
void TPrjForm::Button4Click(const std::vector<int>& rows) { Remove(objects_, rows); }

void TPrjForm::Button5Click() {
    std::string folder = forms::BrowseForFolder(ui_);
    if (!folder.empty()) folderName = folder;
}

void TPrjForm::Button6Click() {
    platform::FileDialogOptions o;
    o.title = "作成する実行ファイルの指定";
    o.filter = "*.RX|*.RX";
    o.defaultExt = "RX";
    // The open project's source folder; a new project has none yet.
    o.initialDir = model_.IsOpen() && !model_.sourceFolder.empty() ? model_.SourceDir() : StartFolder();
    // The executable is made by the build: it need not exist yet.
    o.mustExist = false;
    platform::FileDialogResult r = ui_.OpenDialog(o);
    if (r.accepted && !r.files.empty()) rxName = r.files.front();
}

void TPrjForm::ListBoxRDrop(const std::vector<std::string>& paths) {
    for (const std::string& p : paths)
        if (UpperExt(p) == ".R") AddByRule(true, p);
}

void TPrjForm::ListBoxRODrop(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) {
        if (UpperExt(p) != ".RO") continue;
        // The full path goes in, so a second drop of the same file is told
        // by the path as well as by a bare entry of its name.
        if (Holds(objects_, platform::ExtractFileName(p)) || Holds(objects_, p)) continue;
        Insert(objects_, p);
    }
}

void TPrjForm::HookFileDrops(forms::TDropWindow* sources, forms::TDropWindow* objects) {
    fileDropR_.reset();
    fileDropRO_.reset();
    auto hook = [this](forms::TDropWindow* window, bool forSources) {
        auto drop = std::make_unique<forms::TFileDrop>(window);
        drop->OnFileDrop = [this, forSources](forms::TFileDrop&, int, int, int, const std::vector<std::string>& paths) {
            if (forSources) ListBoxRDrop(paths);
            else ListBoxRODrop(paths);
            if (OnListsChanged) OnListsChanged();
        };
        drop->OnException = [this](const std::exception& e) {
            ui_.MessageBox(e.what(), "VeskC Builder", platform::MsgKind::Error, platform::MsgButtons::Ok);
        };
        drop->Loaded();
        return drop;
    };
    if (sources) fileDropR_ = hook(sources, true);
    if (objects) fileDropRO_ = hook(objects, false);
}

}  // namespace project
