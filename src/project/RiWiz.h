// TRiWizForm: the install information wizard without the toolkit. It holds
// the three pages' fields, runs their file buttons, numbers added steps and
// writes the .RI file (Shift-JIS, CR LF), attaching it to the open project
// when asked. A new form is made for every use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Ui.h"
#include "project/ProjectModel.h"

namespace project {

// A multi-line field's lines: a final line break ends the last line rather
// than starting an empty one, and an empty text has no lines.
std::vector<std::string> MemoLines(std::string_view text);
std::string JoinMemoLines(const std::vector<std::string>& lines);
// A single-line field's text: each line break (CR LF, CR or LF) becomes a
// blank, so that a value never starts a line of its own in the file.
std::string OneLine(std::string_view text);

// The number of the last step heading ("[STEP" n "]", any letter case) among
// `lines`; 0 when there is none. A heading whose middle is no number is not
// a heading: numbering goes on from the last one that has a number.
int LastStepNumber(const std::vector<std::string>& lines);

class TRiWizForm {
public:
    static constexpr std::string_view kCaption = "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙ作成ｳｨｻﾞｰﾄﾞ";
    struct Page {
        std::string_view caption, hint;
    };
    static constexpr Page kPages[3] = {
        {"INSTALL", "[Install]ｾｸｼｮﾝの指定"},
        {"COPY", "[Install]ｾｸｼｮﾝで、ｲﾝｽﾄｰﾙ時にｺﾋﾟｰされるﾌｧｲﾙの指定"},
        {"Step", "[STEPn]ｾｸｼｮﾝの編集"},
    };
    // Labels of Edit1..Edit5 and of the output field Edit6.
    static constexpr std::string_view kEditLabels[6] = {"&Version", "&Title", "File&Name", "&ARG", "&LogFileName",
                                                        "*.RI ﾌｧｲﾙの出力先(&O)"};
    static constexpr std::string_view kDefaultLabel = "&Default";
    static constexpr std::string_view kDefaultActions[4] = {"EXECUTE", "SETUP", "OPEN", "EDIT"};
    static constexpr std::string_view kLoginCaption = "ﾌﾟﾗｸﾞｲﾝ実行時にLOG&IN...";
    static constexpr std::string_view kLoginItems[2] = {"要", "不要"};
    static constexpr std::string_view kAccessCaption = "A&CCESS制限";
    static constexpr std::string_view kAccessItems[2] = {"禁止", "ｱｸｾｽ"};
    static constexpr std::string_view kCopyLabel = "&Copy=";
    static constexpr std::string_view kBrowse = "ﾌｧｲﾙ参照(&R)";
    static constexpr std::string_view kChooseOutput = "出力先の選択";
    static constexpr std::string_view kAddCopy = "ファイルの追加";
    static constexpr std::string_view kAddCopyHint = "ファイルを選択して追加";
    static constexpr std::string_view kAddStep = "STEP追加(&A)";
    static constexpr std::string_view kAddStepHint = "ステップを追加";
    static constexpr std::string_view kStepHint = "ウィザードで表示するステップを編集。改行は\\r";
    static constexpr std::string_view kGuide[6] = {
        "CAPTION         ウィザードで表示される説明文",
        "INPUT           ユーザからの入力。以下のオプションを指定可能。",
        "                TITLE   キャビネットに登録されるタイトルを入力",
        "                ARG     プラグインの引数を入力",
        "                EXECID  実行IDを選択",
        "                FINAL  終了",
    };
    static constexpr std::string_view kAddToProject = "現ﾌﾟﾛｼﾞｪｸﾄに追加";

    // Opens in its initial state: every field empty, login not required,
    // access forbidden, EXECUTE, not added to the project.
    TRiWizForm(ProjectModel& model, platform::Ui& ui, std::string programFolder);

    // The fields, UTF-8; the two lists are multi-line texts.
    std::string version, title, fileName, arg, logFileName;  // Edit1..Edit5
    std::string output;                                       // Edit6
    int defaultAction = 0;                                    // ComboBox1
    int noLogin = 1;                                          // RadioGroup1
    int access = 0;                                           // RadioGroup2
    std::string copyText;                                     // Memo2
    std::string stepText;                                     // Memo1
    bool addToProject = false;
    bool AddToProjectEnabled() const { return model_.IsOpen(); }
    // Where the file dialogs start: the project's source folder, else the
    // program's folder.
    std::string StartFolder() const;

    // "ﾌｧｲﾙ参照(&R)": the chosen file's bare name becomes the file name.
    void BrowseClick();
    // "出力先の選択": the chosen full path becomes the output path.
    void OutputClick();
    // "ファイルの追加": the chosen file's bare name goes at the end of the copy list.
    void AddCopyClick();
    // "STEP追加(&A)": an empty line and the next step's three lines.
    void AddStepClick();

    // The file's lines, UTF-8, in the order written.
    std::vector<std::string> FileLines() const;
    // What OK does. An empty output path, text Shift-JIS cannot hold or a
    // file that cannot be written are told to the user and keep the wizard
    // open (false), so nothing typed is lost; otherwise the file is written,
    // the user told, and the project given it when asked (true).
    bool OkClick();
    // The full path written by the last successful OK.
    const std::string& Written() const { return written_; }
    // What the view should focus after OK refused: the output field when
    // the path was the trouble.
    bool OutputNeedsFix() const { return outputNeedsFix_; }

private:
    platform::FileDialogResult BrowseForFile();

    ProjectModel& model_;
    platform::Ui& ui_;
    std::string programFolder_;
    std::string written_;
    bool outputNeedsFix_ = false;
};

}  // namespace project
