// Help commands and the keyword hint list of the main window.
#include "app/MainForm.h"
#include "platform/Path.h"
#include "platform/ShiftJis.h"

namespace app {

void TMainForm::LoadKeywordList() {
    keywordListFile_ = reference::KeywordListPath(programFolder_, settings_.targetHost);
    reference::KeywordLoadReport r = keywords_.Load(keywordListFile_);
    // A missing list only means no hints; a broken one is worth a word.
    if (!r.error.empty()) {
        ui_.MessageBox(r.error, "警告", platform::MsgKind::Warning, platform::MsgButtons::Ok);
    } else if (r.badLines > 0) {
        // "line 2 and N more": the first bad line is not among the others.
        std::string where = std::to_string(r.firstBadLine) + " 行目";
        if (r.badLines > 1) where += "ほか " + std::to_string(r.badLines - 1) + " 行";
        ui_.MessageBox(keywordListFile_ + " の " + where + "に Shift-JIS で読めない文字があります。\n"
                           "その部分は「\xEF\xBF\xBD」で表示します。",
                       "警告", platform::MsgKind::Warning, platform::MsgButtons::Ok);
    }
}

void TMainForm::SetTargetHost(int host) {
    if (host == settings_.targetHost) return;
    settings_.targetHost = host;
    plomarEnabled_ = host != 0;
    LoadKeywordList();
    NotifyState();
}

void TMainForm::KeywordHelp(std::string_view word) {
    if (word.empty() || !platform::FileExists(settings_.helpFile)) return;
    ui_.HelpKeyword(settings_.helpFile, platform::DecodeSjis(word).text);
}

void TMainForm::ProgramHelpKeyword(std::string_view word) {
    ui_.HelpKeyword(helpFile_, platform::DecodeSjis(word).text);
}

void TMainForm::ContentsExecute() { ui_.HelpContents(helpFile_); }

void TMainForm::VKDKH1Execute() {
    if (settings_.helpFile.empty()) {
        ShowMessage("VKDK ヘルプが設定されていません");
    } else if (platform::FileExists(settings_.helpFile)) {
        // No desktop handler for a text or HTML help: the built-in viewer shows it.
        if (ui_.OpenWithDesktop(settings_.helpFile)) return;
        if (reference::HelpViewerShows(settings_.helpFile))
            ui_.HelpContents(settings_.helpFile);
        else
            ui_.MessageBox(settings_.helpFile + " を開くプログラムがありません。", "エラー", platform::MsgKind::Error,
                           platform::MsgButtons::Ok);
    } else {
        ShowMessage("VKDK ヘルプファイルが見つかりません");
    }
}

void TMainForm::VKDKQSDKincludeI1Execute() {
    std::string remembered = openInitialDir_;
    std::string include = reference::IncludeFolder(settings_.compilerFolder);
    if (!include.empty()) openInitialDir_ = include;
    FileOpen1Execute();
    openInitialDir_ = remembered;
}

}  // namespace app
