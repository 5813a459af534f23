// Living on a Linux desktop: where the settings file goes, the first start's
// window place, toolbar texts, walking the compiler's errors, opening the
// file a message names, and cycling the child windows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "FakeUi.h"
#include "MainFormFixture.h"
#include "TestFiles.h"
#include "app/Actions.h"
#include "app/MainForm.h"
#include "app/Settings.h"
#include "compiler/Msg.h"

namespace {

TEST(SettingsFile, BesideTheProgramUnlessItsFolderIsReadOnlyAndHoldsNone) {
    TempDir program, empty;
    program.Write("vkbuild.ini", "");  // found in any letter case
    const std::string& e = empty.path();
    // (program folder, writable?, XDG_CONFIG_HOME, HOME, the file chosen)
    const std::tuple<std::string, bool, const char*, const char*, std::string> cases[] = {
        {e, true, "/cfg", "/home/u", e + "/VKBUILD.INI"},
        {program.path(), false, "/cfg", "/home/u", program.File("vkbuild.ini")},
        {e, false, "/cfg", "/home/u", "/cfg/VeskCBuilder/VKBUILD.INI"},
        {e, false, nullptr, "/home/u", "/home/u/.config/VeskCBuilder/VKBUILD.INI"},
        {e, false, "relative", "/home/u", "/home/u/.config/VeskCBuilder/VKBUILD.INI"},
        {e, false, "", nullptr, e + "/VKBUILD.INI"},  // nowhere else to go
    };
    for (auto& [folder, writable, xdg, home, expected] : cases)
        EXPECT_EQ(app::SettingsFileFor(folder, writable, xdg, home), expected) << folder << writable << (xdg ? xdg : "-");
}

// A program folder the user cannot write (a missing one serves, also for
// root): the file is made in the configuration folder at exit, read from
// there next time, and holds the window place from then on.
TEST(SettingsFile, ReadOnlyInstallKeepsSettingsInTheConfigurationFolder) {
    TempDir dir;
    std::string config = dir.File("config"), saved = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    FakeUi ui;
    for (int run = 0; run < 2; ++run) {
        app::TMainForm form(ui, dir.File("usr/lib/vkbuilder"), {});
        form.FormCreate();
        EXPECT_EQ(form.SettingsPath(), config + "/VeskCBuilder/VKBUILD.INI");
        EXPECT_EQ(form.WindowPlaceStored(), run == 1);
        form.FormDestroy();
    }
    saved.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
}

TEST(Desktop, FirstStartPlaceAndToolbarTexts) {
    EXPECT_EQ(app::FirstStartPlace({1920, 30, 900, 600}), (app::TWindowRect{2070, 130, 600, 400}));  // second screen
    for (auto [caption, text] : {std::pair{"コピー(&C)...", "コピー"}, {"&ExecKey参照", "ExecKey参照"}, {"A && B(&X)", "A & B"}})
        EXPECT_EQ(app::ButtonText(caption), text) << caption;
}

TEST(MessageWindow, NextAndPreviousErrorVisitJumpTargetsRoundTheEnds) {
    FakeUi ui;
    std::vector<compiler::JumpTarget> jumps;
    compiler::TMsgForm msg(ui, [&](const compiler::JumpTarget& t) { jumps.push_back(t); });
    compiler::MessageLines lines;
    for (const char* l : {"VKC 1.0", "a.r(3) : error: x", "note (see below)", "b.r(x) : error: not a number",
                          "b.r(7) : warning: y", "2 error(s)"})
        lines.push_back(l);
    msg.AddLines(lines);
    msg.SetFolder("/w/");
    int shown = -2;
    msg.OnSelected = [&](int row) { shown = row; };
    // (forward?, selection after, beeps so far)
    const std::tuple<bool, int, int> steps[] = {
        {true, 1, 0}, {true, 4, 0}, {true, 1, 1}, {false, 4, 2}, {false, 1, 2}, {false, 4, 3},
    };
    for (auto [forward, row, beeps] : steps) {
        EXPECT_TRUE(msg.SelectNextTarget(forward));
        EXPECT_EQ(msg.Selected(), row);
        EXPECT_EQ(shown, row);
        EXPECT_EQ(ui.beeps, beeps);
    }
    ASSERT_EQ(jumps.size(), 6u);
    EXPECT_EQ(compiler::JumpTargetPath(jumps.back()), "/w/b.r");
    EXPECT_EQ(jumps.back().line, 7);
    EXPECT_TRUE(ui.messages.empty());  // the bad number is passed over, not reported
    EXPECT_EQ(compiler::JumpTargetPath({" /abs/c.h ", 1, "/w/"}), "/abs/c.h");
}

class MessageJump : public MainFormFixture {};

TEST_F(MessageJump, AFileNoWindowShowsOpensFromTheBuildFolderAndF8WalksTheList) {
    std::filesystem::create_directory(dir.File("src"));
    std::string util = dir.Write("src/util.h", "a\r\nb\r\nc\r\nd\r\n");
    std::string main = dir.Write("src/main.r", "x\r\n");
    Start({main});
    EXPECT_FALSE(form->Enabled(app::ActionId::NextError));
    compiler::TMsgForm* msg = form->ShowCompilerOutput(
        "util.h(3) : warning: w\r\nmissing.h(1) : error: gone\r\nmain.r(1) : error: e\r\n");
    msg->SetFolder(dir.File("src/"));
    ASSERT_TRUE(form->Enabled(app::ActionId::NextError));

    form->Execute(app::ActionId::NextError);
    ui.FireTimers();
    ASSERT_EQ(form->ActiveDocument() ? form->ActiveDocument()->Caption() : "", util);
    EXPECT_EQ(form->ActiveDocument()->Editor1().Row(), 2);
    // The file opened for the jump shows the listing's marks too.
    EXPECT_EQ(form->ActiveDocument()->Editor1().RowMarks(2), 1u << editor::kWarningRowMark);

    form->Execute(app::ActionId::NextError);  // a file that is not there is told, nothing opens
    ui.FireTimers();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(dir.File("src/missing.h")), std::string::npos);
    EXPECT_EQ(form->Children().size(), 3u);

    // Ctrl+Tab order: main.r, Message, util.h, round to main.r; backwards too.
    std::vector<std::string> seen;
    for (bool forward : {true, true, false, false}) {
        form->CycleChildren(forward);
        seen.push_back(form->ActiveChild()->Caption());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{main, "Message", main, util}));
}

}  // namespace
