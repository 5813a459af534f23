// Help commands and the keyword hint list of the main window.
#include "app/MainForm.h"
#include "platform/Path.h"
#include "platform/ShiftJis.h"
#include "platform/Wine.h"

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

bool TMainForm::WinHelp(const std::string& file) {
    if (platform::UpperCase(platform::ExtractFileExt(file)) != ".HLP") return false;
    const platform::EnvLookup env = platform::ProcessEnvironment();
    const std::string wine = platform::FindWine(settings_.wineCommand, env);
    if (wine.empty()) {
        ui_.MessageBox(platform::ExtractFileName(file) +
                           " は Windows のヘルプファイルです。wine をインストールしてください (apt-get install wine)",
                       "エラー", platform::MsgKind::Error, platform::MsgButtons::Ok);
        return true;
    }
    // Viewers the user has closed are let go.
    std::erase_if(winHelp_, [](const auto& v) {
        if (!v->LeaderExited()) return false;
        v->Reap();
        return true;
    });
    // wine's winhlp32 takes no keyword on its command line (only a topic id
    // with -i), so a keyword opens the file at its contents.
    const platform::WineDrives drives = platform::WineDrives::Read(platform::WinePrefix(env));
    platform::ProcessSpec spec;
    spec.program = "winhlp32.exe";
    spec.args = {file};
    spec.outputToNull = true;
    spec = platform::ThroughWine(spec, wine, drives, env, false);
    auto viewer = std::make_unique<platform::ChildProcess>();
    std::string error;
    if (!viewer->Start(spec, &error)) {
        ui_.MessageBox(file + " を開けません: " + error, "エラー", platform::MsgKind::Error, platform::MsgButtons::Ok);
        return true;
    }
    winHelp_.push_back(std::move(viewer));
    return true;
}

void TMainForm::KeywordHelp(std::string_view word) {
    if (word.empty() || !platform::FileExists(settings_.helpFile)) return;
    if (WinHelp(settings_.helpFile)) return;
    ui_.HelpKeyword(settings_.helpFile, platform::DecodeSjis(word).text);
}

void TMainForm::ProgramHelpKeyword(std::string_view word) {
    if (platform::FileExists(helpFile_) && WinHelp(helpFile_)) return;
    ui_.HelpKeyword(helpFile_, platform::DecodeSjis(word).text);
}

void TMainForm::ContentsExecute() {
    if (platform::FileExists(helpFile_) && WinHelp(helpFile_)) return;
    ui_.HelpContents(helpFile_);
}

void TMainForm::VKDKH1Execute() {
    if (settings_.helpFile.empty()) {
        ShowMessage("VKDK ヘルプが設定されていません");
    } else if (platform::FileExists(settings_.helpFile)) {
        if (WinHelp(settings_.helpFile)) return;
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
