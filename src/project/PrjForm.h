// TPrjForm: the project settings dialog without the toolkit. It edits what
// defines a build (name, executable, source folder, sources, objects) for
// New project and Modify project. Made once and reused, so its fields keep
// their text between uses unless a command sets them. Both lists stay
// sorted ignoring ASCII case; an entry is a bare name (in the folder field's
// folder) or a full path.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/FileDrop.h"
#include "platform/Ui.h"
#include "project/ProjectModel.h"

namespace project {

// Whether `a` sorts before `b` in the dialog's lists.
bool ListLess(std::string_view a, std::string_view b);

class TPrjForm {
public:
    static constexpr std::string_view kCaption = "プロジェクト";
    struct Control {
        std::string_view label, hint;
    };
    static constexpr Control kPrjName = {"プロジェクト名(&P)", "ﾌﾟﾛｼﾞｪｸﾄ名(式別名)"};
    static constexpr Control kRXName = {"．R&X ファイル", "作成される実行ﾌｧｲﾙ名(ﾌﾙﾊﾟｽで指定)"};
    static constexpr Control kFolderName = {"ソースファイルフォルダ(&F)", "ﾌﾟﾛｼﾞｪｸﾄのｿｰｽﾌｧｲﾙを置くﾌｫﾙﾀﾞ"};
    static constexpr Control kListR = {
        "ソースファイル(.&R)", "ﾌﾟﾛｼﾞｪｸﾄを構成するｿｰｽﾌｧｲﾙ(ｿｰｽﾌｧｲﾙﾌｫﾙﾀﾞ以外も可)D&Dでもﾌｧｲﾙを指定できます"};
    static constexpr Control kListRO = {"リンクするオブジェクトファイル(*.R&O)",
                                        "ﾌﾟﾛｼﾞｪｸﾄにﾘﾝｸするｺﾝﾊﾟｲﾙ済みｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙ"};
    static constexpr Control kButton1 = {"追加", "ｿｰｽﾌｧｲﾙを追加"};
    static constexpr Control kButton2 = {"追加", "ｺﾝﾊﾟｲﾙ済みｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙを追加"};
    static constexpr Control kButton3 = {"削除", "ﾘｽﾄからｿｰｽﾌｧｲﾙを削除"};
    static constexpr Control kButton4 = {"削除", "ｺﾝﾊﾟｲﾙ済みｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙﾘｽﾄから削除"};
    static constexpr Control kButton5 = {"選択", ""};
    static constexpr Control kButton6 = {"参照", ""};
    static constexpr std::string_view kOkHint = "ﾌﾟﾛｼﾞｪｸﾄを作成／更新";
    static constexpr std::string_view kInputError = "入力エラー";

    TPrjForm(const ProjectModel& model, platform::Ui& ui, std::string programFolder);
    ~TPrjForm();

    // The three fields, UTF-8.
    std::string prjName, rxName, folderName;
    const std::vector<std::string>& Sources() const { return sources_; }
    const std::vector<std::string>& Objects() const { return objects_; }
    // Fills the lists (sorted); the fields are set directly.
    void SetLists(const std::vector<std::string>& sources, const std::vector<std::string>& objects);
    // New project's start: name, executable and lists empty, the folder kept.
    void ClearForNew();

    // Whether OK insists on a name, an executable and a source (New
    // project does; Modify project takes the dialog as it stands).
    bool requireInput = false;
    // Which field OK found missing, for the view to put the keyboard there.
    enum class Field { None, Name, Executable, Sources };
    Field Missing() const;
    // OK: "入力エラー" and false while something required is missing; else
    // a typed folder gets its final "/" (bare names are joined to it
    // without one) and true.
    bool OkClick();

    // Add (Button1 sources, Button2 objects): the file-open dialog on the
    // list's filter; each chosen file goes in by AddByRule.
    void Button1Click();
    void Button2Click();
    // The file dialog's default extension for the filter picked (1-based).
    static std::string OpenDialog1TypeChange(int filterIndex);
    // Delete (Button3 sources, Button4 objects): the entries at `rows`.
    void Button3Click(const std::vector<int>& rows);
    void Button4Click(const std::vector<int>& rows);
    // The folder chooser; its folder replaces the folder field.
    void Button5Click();
    // The executable's file dialog; its full path replaces the field.
    void Button6Click();

    // A path as the Add buttons enter it: the bare name when its folder is
    // the folder field's (ignoring case), else the path; false when the
    // list already holds that entry (ignoring case).
    bool AddByRule(bool sources, const std::string& path);
    // Files dropped on the lists: ".R" files on the sources by AddByRule;
    // ".RO" files on the objects with their full path, unless the list
    // holds the path or its bare name already. Others are skipped.
    void ListBoxRDrop(const std::vector<std::string>& paths);
    void ListBoxRODrop(const std::vector<std::string>& paths);
    // Drops arrive through these windows (nullptr for none).
    void HookFileDrops(forms::TDropWindow* sources, forms::TDropWindow* objects);
    // Told after a drop changed the lists (the view shows them again).
    std::function<void()> OnListsChanged;

private:
    std::vector<std::string>& ListOf(bool sources) { return sources ? sources_ : objects_; }
    bool Holds(const std::vector<std::string>& list, const std::string& entry) const;
    void Insert(std::vector<std::string>& list, const std::string& entry);
    void AddFromDialog(bool sources);
    static void Remove(std::vector<std::string>& list, std::vector<int> rows);
    // The folder field as a folder: with its final "/".
    std::string Folder() const;
    std::string StartFolder() const;

    const ProjectModel& model_;
    platform::Ui& ui_;
    std::string programFolder_;
    std::vector<std::string> sources_, objects_;
    std::unique_ptr<forms::TFileDrop> fileDropR_, fileDropRO_;
};

}  // namespace project
