// TProjectViewForm: the project window's rules without the toolkit. The tree
// mirrors the open ProjectModel (six fixed category roots, the entries of
// each below them in model order); every command edits the model, and the
// view rebuilds from it when the form says it changed. TRefDocForm is the
// one-line entry dialog of the Add commands.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/FileDrop.h"
#include "forms/MdiChildForm.h"
#include "platform/Ui.h"
#include "project/ProjectModel.h"

namespace project {

enum class ProjectCategory { Sources, Objects, InstallInfo, Documents, References, Executable };
constexpr int kCategoryCount = 6;

// The root's label; its image index equals the category's index.
const char* CategoryLabel(ProjectCategory category);

// A node of the tree: a category root (child < 0) or its child-th entry.
struct ProjectNode {
    ProjectCategory category = ProjectCategory::Sources;
    int child = -1;
    bool IsRoot() const { return child < 0; }
    bool operator==(const ProjectNode&) const = default;
};

// The entry dialog: the command sets caption, prompt, filter and folder;
// the user types into `text` or picks a file with "ﾌｧｲﾙ参照".
class TRefDocForm {
public:
    TRefDocForm(platform::Ui& ui, std::string programFolder) : ui_(ui), programFolder_(std::move(programFolder)) {}
    std::string caption, prompt, filter, defaultExt, sourceFolder;
    std::string text;
    // "ﾌｧｲﾙ参照": the chosen full path replaces the text.
    void Button1Click();

private:
    platform::Ui& ui_;
    std::string programFolder_;
};

// The popup menu's items, in the order shown.
struct ProjectMenuItem {
    const char* name;  // N1, VeskC1, ... (empty for a separator)
    const char* caption;
    const char* hint;
    int level;  // 0 top, 1 in the Add submenu
};
const std::vector<ProjectMenuItem>& ProjectMenuItems();
extern const char* const kProjectTreeHint;

class TProjectViewForm : public forms::TMdiChildForm {
public:
    TProjectViewForm(ProjectModel& model, platform::Ui& ui, std::string programFolder);
    ~TProjectViewForm() override;

    // What the tree shows.
    int ChildCount(ProjectCategory category) const;
    std::string Text(const ProjectNode& node) const;
    bool Valid(const ProjectNode& node) const;

    // The node the view has selected; commands of the popup and the keys act on it.
    std::optional<ProjectNode> Selected() const { return selected_; }
    void Select(std::optional<ProjectNode> node);

    // Popup commands.
    void AddSource();
    void AddObject();
    void ChooseInstallInfo();
    void AddDocument();
    void AddReference();
    bool DeleteEnabled() const;
    void Delete1Click();
    std::string PropertiesText() const;
    void Property2Click();
    void N4Click();

    // Double click on `node`: false when the view's own expand/collapse applies.
    bool DblClick(const ProjectNode& node);
    enum class Key { Insert, Enter, Delete };
    enum class KeyResult { NotHandled, Handled, ExpandAll, CollapseAll };
    KeyResult KeyDown(Key key, bool shift);

    // Files dropped on the tree arrive through `window`; NodeAt tells which
    // node lies under a point of it (nullopt: none).
    void HookFileDrop(forms::TDropWindow* window);
    void FileDrop1FileDrop(int x, int y, const std::vector<std::string>& paths);
    std::function<std::optional<ProjectNode>(int x, int y)> NodeAt;

    // Supplied by the view: runs the entry dialog modally, true on OK.
    std::function<bool(TRefDocForm&)> RunEntryDialog;
    // Supplied by the main window.
    std::function<void(const std::string& path, int category)> OnOpenRequest;
    std::function<void()> OnInstallWizard;
    std::function<void()> OnCustomize;

private:
    std::optional<std::string> AskEntry(const char* caption, const char* prompt, const char* filter,
                                        const char* defaultExt = "");
    void AddEntry(EntryList list, bool sourceRule);
    void RunAdd(ProjectCategory category);
    void Open(const ProjectNode& node);
    void RemoveEntry(const ProjectNode& node, bool every);

    ProjectModel& model_;
    platform::Ui& ui_;
    std::string programFolder_;
    size_t subscription_ = 0;
    std::optional<ProjectNode> selected_;
    std::unique_ptr<forms::TFileDrop> fileDrop1_;
};

}  // namespace project
