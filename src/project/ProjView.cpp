#include "project/ProjView.h"

#include <algorithm>

#include "platform/Path.h"

namespace project {

namespace {

constexpr const char* kLabels[kCategoryCount] = {
    "VeskCｿｰｽﾌｧｲﾙ(*.R、*.H)", "ｺﾝﾊﾟｲﾙ済みｵﾌﾞｼﾞｪｸﾄ(*.RO)", "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙ(*.RI)", "ﾄﾞｷｭﾒﾝﾄ", "資料",
    "実行ﾌｧｲﾙ(*.RX)"};

constexpr const char* kTextFilter = "ﾃｷｽﾄﾌｧｲﾙ|*.txt|HTML|*.htm;*.html|全てのﾌｧｲﾙ|*.*||";

std::optional<EntryList> ListOf(ProjectCategory c) {
    switch (c) {
        case ProjectCategory::Sources: return EntryList::Sources;
        case ProjectCategory::Objects: return EntryList::Objects;
        case ProjectCategory::Documents: return EntryList::Documents;
        case ProjectCategory::References: return EntryList::References;
        default: return std::nullopt;
    }
}

std::string UpperExt(const std::string& path) { return platform::UpperCase(platform::ExtractFileExt(path)); }

}  // namespace

const char* CategoryLabel(ProjectCategory category) { return kLabels[static_cast<int>(category)]; }

const char* const kProjectTreeHint = "ﾌﾟﾛｼﾞｪｸﾄｳｨﾝﾄﾞｳ|ﾄﾞﾗｯｸﾞ&ﾄﾞﾛｯﾌﾟで追加や右ｸﾘｯｸで追加削除ができます";

const std::vector<ProjectMenuItem>& ProjectMenuItems() {
    static const std::vector<ProjectMenuItem> items = {
        {"N1", "追加", "プロジェクトにアイテムの追加", 0},
        {"VeskC1", "VeskCｿｰｽ", "VeskCソースをプロジェクトに追加", 1},
        {"Object1", "ｵﾌﾞｼﾞｪｸﾄ", "コンパイル済みオブジェクト(*.RO)をプロジェクトに追加", 1},
        {"Install", "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙ", "インストール情報ファイル(*.RI)をプロジェクトに追加", 1},
        {"", "", "", 1},
        {"N2", "ﾄﾞｷｭﾒﾝﾄ", "ドキュメント類をプロジェクトに追加", 1},
        {"N3", "資料", "資料としてファイルまたはURL文字列をプロジェクトに追加", 1},
        {"Delete1", "削除", "アイテムをプロジェクトから削除", 0},
        {"", "", "", 0},
        {"Property2", "ﾌﾟﾛﾊﾟﾃｨ", "ﾌﾟﾛｼﾞｪｸﾄのﾌﾟﾛﾊﾟﾃｨの表示", 0},
        {"N4", "ｶｽﾀﾏｲｽﾞ", "ﾌﾟﾛｼﾞｪｸﾄｳｨﾝﾄﾞｳの表示の設定", 0},
    };
    return items;
}

void TRefDocForm::Button1Click() {
    platform::FileDialogOptions o;
    o.filter = filter;
    o.defaultExt = defaultExt;
    o.initialDir = sourceFolder.empty() ? programFolder_ : sourceFolder;
    platform::FileDialogResult r = ui_.OpenDialog(o);
    if (r.accepted && !r.files.empty()) text = r.files.front();
}

TProjectViewForm::TProjectViewForm(ProjectModel& model, platform::Ui& ui, std::string programFolder)
    : TMdiChildForm(forms::ChildKind::Project), model_(model), ui_(ui), programFolder_(std::move(programFolder)) {
    SetCaption(model_.name);
    subscription_ = model_.Subscribe([this] {
        // A selection whose entry went moves to the entry now last in its
        // category, or to the root when none is left.
        if (selected_ && !Valid(*selected_))
            selected_ = ProjectNode{selected_->category, std::min(selected_->child, ChildCount(selected_->category)) - 1};
        if (model_.IsOpen() && Caption() != model_.name)
            SetCaption(model_.name);
        else
            Changed();
    });
}

TProjectViewForm::~TProjectViewForm() {
    fileDrop1_.reset();
    model_.Unsubscribe(subscription_);
}

int TProjectViewForm::ChildCount(ProjectCategory category) const {
    if (auto list = ListOf(category)) return static_cast<int>(model_.List(*list).size());
    if (category == ProjectCategory::InstallInfo) return model_.installInfo.empty() ? 0 : 1;
    return 1;  // the executable, shown even when empty
}

bool TProjectViewForm::Valid(const ProjectNode& node) const {
    return node.IsRoot() || node.child < ChildCount(node.category);
}

std::string TProjectViewForm::Text(const ProjectNode& node) const {
    if (node.IsRoot()) return CategoryLabel(node.category);
    if (!Valid(node)) return {};
    if (auto list = ListOf(node.category)) return model_.List(*list)[node.child];
    return node.category == ProjectCategory::InstallInfo ? model_.installInfo : model_.executable;
}

void TProjectViewForm::Select(std::optional<ProjectNode> node) {
    selected_ = node && Valid(*node) ? node : std::nullopt;
}

std::optional<std::string> TProjectViewForm::AskEntry(const char* caption, const char* prompt, const char* filter,
                                                      const char* defaultExt) {
    TRefDocForm dialog(ui_, programFolder_);
    dialog.caption = caption;
    dialog.prompt = prompt;
    dialog.filter = filter;
    dialog.defaultExt = defaultExt;
    dialog.sourceFolder = model_.SourceDir();
    if (!RunEntryDialog || !RunEntryDialog(dialog)) return std::nullopt;
    return dialog.text;
}

void TProjectViewForm::AddEntry(EntryList list, bool sourceRule) {
    static constexpr const char* kCaption[] = {"VeskCｿｰｽの追加", "ｺﾝﾊﾟｲﾙ済みｵﾌﾞｼﾞｪｸﾄの追加", "ﾄﾞｷｭﾒﾝﾄの追加", "資料の追加"};
    static constexpr const char* kPrompt[] = {"追加するVeskCﾌｧｲﾙ名", "追加するｺﾝﾊﾟｲﾙ済みｵﾌﾞｼﾞｪｸﾄのﾌｧｲﾙ名",
                                              "ﾄﾞｷｭﾒﾝﾄとして追加するﾌｧｲﾙ名", "資料として追加するURL文字列またはﾌｧｲﾙ名"};
    static constexpr const char* kFilter[] = {"VeskCｿｰｽ|*.r;*.h;*.c;*.cpp|全てのﾌｧｲﾙ|*.*||",
                                              "VeskCｵﾌﾞｼﾞｪｸﾄ|*.ro|全てのﾌｧｲﾙ|*.*||", kTextFilter, kTextFilter};
    const int i = static_cast<int>(list);
    std::optional<std::string> t = AskEntry(kCaption[i], kPrompt[i], kFilter[i]);
    if (!t || t->empty()) return;
    // Documents always compare ignoring case; the others only when the text
    // names a file (a file system that ignores case may hold it).
    const bool ignoreCase = list == EntryList::Documents || platform::FileExists(*t);
    if (model_.Contains(list, *t, ignoreCase)) return;
    std::string entry = sourceRule ? model_.StoredForm(*t) : model_.StoredPath(*t);
    // The bare form may already be listed (an object stored by its name).
    if (entry != *t && model_.Contains(list, entry, ignoreCase)) return;
    model_.Add(list, entry);
}

void TProjectViewForm::AddSource() { AddEntry(EntryList::Sources, true); }
void TProjectViewForm::AddObject() { AddEntry(EntryList::Objects, true); }
void TProjectViewForm::AddDocument() { AddEntry(EntryList::Documents, false); }
void TProjectViewForm::AddReference() { AddEntry(EntryList::References, false); }

void TProjectViewForm::ChooseInstallInfo() {
    std::optional<std::string> t = AskEntry("ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙの選択", "追加するｲﾝｽﾄｰﾙ情報ﾌｧｲﾙのﾌｧｲﾙ名",
                                            "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙ|*.ri|全てのﾌｧｲﾙ|*.*||", "ri");
    if (t) model_.SetInstallInfo(model_.StoredPath(*t));
}

bool TProjectViewForm::DeleteEnabled() const {
    return selected_ && !selected_->IsRoot() && selected_->category != ProjectCategory::Executable;
}

void TProjectViewForm::RemoveEntry(const ProjectNode& node, bool every) {
    if (node.IsRoot() || !Valid(node) || node.category == ProjectCategory::Executable) return;
    if (node.category == ProjectCategory::InstallInfo) {
        model_.SetInstallInfo("");
        return;
    }
    EntryList list = *ListOf(node.category);
    const std::string text = Text(node);
    if (every)
        model_.RemoveAll(list, text);
    else
        model_.RemoveFirst(list, text);
}

void TProjectViewForm::Delete1Click() {
    if (DeleteEnabled()) RemoveEntry(*selected_, false);
}

std::string TProjectViewForm::PropertiesText() const {
    std::vector<std::string> lines = {model_.name + " のプロパティ",
                                      "",
                                      "実行ファイル  : " + model_.executable,
                                      "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙ: " + model_.installInfo,
                                      "ソースフォルダ: " + model_.sourceFolder,
                                      ""};
    static constexpr const char* kHeadings[] = {"VeskCソース", "ｺﾝﾊﾟｲﾙ済ｵﾌﾞｼﾞｪｸﾄ", "ﾄﾞｷｭﾒﾝﾄ", "資料"};
    for (EntryList list : kEntryLists) {
        if (list != EntryList::Sources) lines.push_back("");
        lines.push_back(kHeadings[static_cast<int>(list)]);
        for (const std::string& e : model_.List(list)) lines.push_back("  " + e);
    }
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
    return text;
}

void TProjectViewForm::Property2Click() {
    ui_.MessageBox(PropertiesText(), model_.name, platform::MsgKind::Information, platform::MsgButtons::Ok);
}

void TProjectViewForm::N4Click() {
    if (OnCustomize) OnCustomize();
}

void TProjectViewForm::RunAdd(ProjectCategory category) {
    switch (category) {
        case ProjectCategory::Sources: AddSource(); break;
        case ProjectCategory::Objects: AddObject(); break;
        case ProjectCategory::InstallInfo: ChooseInstallInfo(); break;
        case ProjectCategory::Documents: AddDocument(); break;
        case ProjectCategory::References: AddReference(); break;
        case ProjectCategory::Executable: break;
    }
}

void TProjectViewForm::Open(const ProjectNode& node) {
    if (!OnOpenRequest) return;
    const std::string text = Text(node);
    switch (node.category) {
        case ProjectCategory::Sources: OnOpenRequest(model_.ResolveSourcePath(text), 0); break;
        case ProjectCategory::InstallInfo:
        case ProjectCategory::Documents: OnOpenRequest(model_.Resolve(text), static_cast<int>(node.category)); break;
        case ProjectCategory::References:  // also "nifty:" and URLs: only a relative file path is resolved
            OnOpenRequest(text.find(':') == std::string::npos ? model_.Resolve(text) : text,
                          static_cast<int>(node.category));
            break;
        default: break;
    }
}

bool TProjectViewForm::DblClick(const ProjectNode& node) {
    if (!Valid(node)) return false;
    if (!node.IsRoot()) {
        Open(node);
        return true;
    }
    if (ChildCount(node.category) > 0) return false;
    if (node.category == ProjectCategory::InstallInfo && OnInstallWizard)
        OnInstallWizard();
    else
        RunAdd(node.category);
    return true;
}

TProjectViewForm::KeyResult TProjectViewForm::KeyDown(Key key, bool shift) {
    if (!selected_) return KeyResult::NotHandled;
    const ProjectNode node = *selected_;
    switch (key) {
        case Key::Insert:
            if (!node.IsRoot()) return KeyResult::NotHandled;
            RunAdd(node.category);
            return KeyResult::Handled;
        case Key::Enter:
            if (node.IsRoot()) return shift ? KeyResult::CollapseAll : KeyResult::ExpandAll;
            if (node.category != ProjectCategory::Executable) Open(node);
            return KeyResult::Handled;
        case Key::Delete:
            if (node.IsRoot() || node.category == ProjectCategory::Executable) return KeyResult::NotHandled;
            RemoveEntry(node, true);
            return KeyResult::Handled;
    }
    return KeyResult::NotHandled;
}

void TProjectViewForm::HookFileDrop(forms::TDropWindow* window) {
    fileDrop1_.reset();
    if (!window) return;
    fileDrop1_ = std::make_unique<forms::TFileDrop>(window);
    fileDrop1_->OnFileDrop = [this](forms::TFileDrop&, int, int x, int y, const std::vector<std::string>& paths) {
        FileDrop1FileDrop(x, y, paths);
    };
    fileDrop1_->OnException = [this](const std::exception& e) {
        ui_.MessageBox(e.what(), "VeskC Builder", platform::MsgKind::Error, platform::MsgButtons::Ok);
    };
    fileDrop1_->Loaded();
}

void TProjectViewForm::FileDrop1FileDrop(int x, int y, const std::vector<std::string>& paths) {
    std::optional<ProjectNode> target = NodeAt ? NodeAt(x, y) : std::nullopt;
    if (!target || paths.empty()) return;
    switch (const ProjectCategory c = target->category) {
        case ProjectCategory::Sources:
            for (const std::string& p : paths) {
                const std::string ext = UpperExt(p);
                if (ext != ".R" && ext != ".H" && ext != ".C" && ext != ".CPP") continue;
                if (model_.Contains(EntryList::Sources, p, true)) continue;
                model_.Add(EntryList::Sources, model_.StoredForm(p));
            }
            break;
        case ProjectCategory::Objects:
        case ProjectCategory::Documents:
        case ProjectCategory::References: {
            const EntryList list = *ListOf(c);
            for (const std::string& p : paths) {
                if (c == ProjectCategory::Objects && UpperExt(p) != ".RO") continue;
                if (!model_.Contains(list, p, true)) model_.Add(list, model_.StoredPath(p));
            }
            break;
        }
        case ProjectCategory::InstallInfo:
            if (model_.installInfo.empty() && UpperExt(paths.front()) == ".RI") model_.SetInstallInfo(model_.StoredPath(paths.front()));
            break;
        case ProjectCategory::Executable: break;
    }
}

}  // namespace project
