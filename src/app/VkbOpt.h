// TVKBOptForm: the environment options dialog's state and handlers. The
// main window fills it from the settings, its view shows it modally and
// keeps the fields below up to date as the user edits them, and OKClick
// takes the values back. Created once and reused: the folder tree's choice
// (Edit1) outlives a use of the dialog.
#pragma once

#include <string>

#include "app/Settings.h"
#include "platform/Ui.h"

namespace app {

class TVKBOptForm {
public:
    static constexpr const char* kCaption = "オプション設定";
    static constexpr const char* kRefusedFolder = "が見つからない為VKC.EXEへのパスは変更されません";
    static constexpr const char* kRestoreSession = "終了時のファイルを次回の起動時に開く(&R)";

    explicit TVKBOptForm(platform::Ui& ui) : ui_(ui) {}

    // What the fields show (UTF-8).
    std::string Edit1;        // the folder chosen in the tree (read-only)
    std::string Edit2;        // the compiler folder
    std::string StaticText2;  // the help file
    std::string StaticText3;  // the key definition file
    int RadioGroup1 = 0;      // 0 Korvane, 1 Tessal
    std::string Edit3;        // the Plomar program
    bool RestoreSession = false;  // "終了時のファイルを次回の起動時に開く"
    std::string EditWine;     // the wine command; empty: "wine" on PATH
    // Where the Plomar file dialog starts.
    std::string plomarInitialDir;

    // Fills every field but the tree's choice from the settings.
    void FormShow(const TSettings& settings);

    // A folder chosen in the tree goes into Edit1 only; "設定" takes it.
    void TreeChange(const std::string& folder) { Edit1 = folder; }
    void Button1Click();
    // The file buttons: help file, key definition file, Plomar program.
    void Button4Click();
    void Button5Click();
    void Button6Click();
    // Label4, Edit3 and Button6 are usable only for Tessal.
    bool PlomarEnabled() const { return RadioGroup1 == 1; }

    // OK: a compiler folder that does not exist is refused with a message;
    // the other values are taken all the same.
    void OKClick(TSettings& settings);

private:
    platform::Ui& ui_;
};

}  // namespace app
