// The Options menu through a scripted view: environment options (OK and
// Cancel rules, the Plomar path, the keyword list), Plomar, the compiler's
// configuration file, the colour grid, and the customization dialogs
// applied to open windows and kept in the settings file.
#include <gtest/gtest.h>

#include <fnmatch.h>

#include <filesystem>
#include <functional>

#include "MainFormFixture.h"
#include "app/Cust.h"
#include "platform/IniFile.h"
#include "reference/KeywordList.h"

using app::ActionId;
using app::TCustForm;
using app::TVKBOptForm;
using platform::MsgAnswer;

namespace {

// Plays the user's part in each dialog; no script means Cancel.
struct DialogView : NullMainView {
    std::function<bool(TVKBOptForm&)> options;
    std::function<bool(TCustForm&)> cust;
    std::function<bool(app::TPrjCustForm&)> prjCust;
    int optionsShown = 0, lookChanges = 0;
    bool RunOptions(TVKBOptForm& f) override { return ++optionsShown, options && options(f); }
    bool RunCustomize(TCustForm& f) override { return cust && cust(f); }
    bool RunProjectCustomize(app::TPrjCustForm& f) override { return prjCust && prjCust(f); }
    std::vector<app::TFontFace> InstalledFonts() const override {
        return {{"IPAGothic", true, true}, {"@IPAGothic", true, true}, {"IPAPGothic", false, true},
                {"DejaVu Sans Mono", true, false}, {"IPAGothic", true, true}};
    }
    void ProjectLookChanged() override { ++lookChanges; }
};

class OptionsTest : public MainFormFixture {
protected:
    DialogView view;
    void StartWithView(const std::string& ini = {}) {
        if (!ini.empty()) dir.Write("VKBUILD.INI", ini);
        Start();
        form->SetView(&view);
    }
    app::TSettings& S() { return form->Settings(); }
    // The settings file as the next start reads it.
    app::TSettings Reread() {
        form->FormDestroy();
        platform::IniFile ini;
        ini.LoadFromFile(dir.File("VKBUILD.INI"));
        app::TSettings s;
        s.Read(ini, dir.path());
        return s;
    }
};

}  // namespace

TEST_F(OptionsTest, EnvironmentOptionsOkAndCancel) {
    const std::string tools = dir.path() + "/tools";
    std::filesystem::create_directory(tools);
    dir.Write("VKLIBHLP.TXT", "");
    dir.Write("TWLIBHLP.TXT", "");
    const std::string folder = dir.path();
    struct Case { const char* name; int target; std::function<bool(TVKBOptForm&)> user; int wantTarget;
                  std::string wantFolder, wantPlomar, wantMessage; bool wantReload; bool wantRestore = false; } cases[] = {
        {"Tessal then Cancel keeps Korvane", 0,
         [](TVKBOptForm& f) { f.RadioGroup1 = 1, f.Edit3 = "/p/new", f.RestoreSession = true; return false; }, 0, folder,
         "/p/old", "", false},
        {"Cancel under Tessal still takes the Plomar path", 1,
         [](TVKBOptForm& f) { f.Edit3 = "/p/new", f.Edit2 = "/"; return false; }, 1, folder, "/p/new", "", false},
        {"Cancel leaves a hand-edited target and its Plomar item as they were", 2,
         [](TVKBOptForm&) { return false; }, 2, folder, "/p/old", "", false},
        {"a tree choice without 設定 changes nothing", 0,
         [&](TVKBOptForm& f) { f.TreeChange(tools); return true; }, 0, folder, "/p/old", "", false},
        {"設定 takes the tree's folder", 0,
         [&](TVKBOptForm& f) { f.TreeChange(tools), f.Button1Click(); return true; }, 0, tools, "/p/old", "", false},
        {"a missing folder is refused, the rest taken", 0,
         [](TVKBOptForm& f) {
             f.Edit2 = "/no/such", f.StaticText2 = "/h.HLP", f.StaticText3 = "/k.TXT", f.RadioGroup1 = 1;
             f.Edit3 = "/p/new", f.RestoreSession = true, f.EditWine = " /opt/wine/bin/wine ";
             return true;
         },
         1, folder, "/p/new", "/no/suchが見つからない為VKC.EXEへのパスは変更されません", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartWithView("[VKC]\r\nPATH=" + folder + "\r\n[TARGET]\r\nVKTW=" + std::to_string(c.target) +
                      "\r\n[OPT]\r\nPlomar=/p/old\r\n");
        const std::string listBefore = form->KeywordListFile();
        ui.messages.clear();
        view.options = c.user;
        form->Execute(ActionId::EnvOptions);
        EXPECT_EQ(S().targetHost, c.wantTarget);
        EXPECT_EQ(S().compilerFolder, c.wantFolder);
        EXPECT_EQ(S().plomarPath, c.wantPlomar);
        EXPECT_EQ(S().restoreSession, c.wantRestore);
        EXPECT_EQ(form->Enabled(ActionId::Plomar1), c.wantTarget != 0);
        EXPECT_EQ(ui.messages, c.wantMessage.empty() ? std::vector<std::string>{} : std::vector{c.wantMessage});
        EXPECT_EQ(form->KeywordListFile() != listBefore, c.wantReload);
        if (c.wantReload) {
            EXPECT_EQ(S().helpFile, "/h.HLP");
            EXPECT_EQ(S().keyDefFile, "/k.TXT");
            EXPECT_EQ(S().wineCommand, "/opt/wine/bin/wine");  // blanks around it dropped
            EXPECT_EQ(Reread().wineCommand, "/opt/wine/bin/wine");
            EXPECT_EQ(std::filesystem::path(form->KeywordListFile()).filename(), "TWLIBHLP.TXT");
        }
        form.reset();
    }
}

// The help file chooser offers the .HLP files first, then every file the
// built-in viewer shows, in any letter case.
TEST_F(OptionsTest, HelpFileChooserOffersWhatTheViewerShows) {
    StartWithView();
    TVKBOptForm f(ui);
    f.Button4Click();
    ASSERT_EQ(ui.openRequests.size(), 1u);
    const std::string filter = ui.openRequests[0].filter;
    EXPECT_EQ(filter.rfind("ヘルプファイル(*.HLP)|*.HLP|", 0), 0u) << filter;
    std::vector<std::string> patterns;
    for (size_t i = 0, bar = 0, n = 0; bar != std::string::npos; i = bar + 1, ++n) {
        bar = filter.find('|', i);
        if (n % 2 == 0) continue;
        std::string part = filter.substr(i, bar == std::string::npos ? std::string::npos : bar - i);
        for (size_t j = 0, semi = 0; semi != std::string::npos; j = semi + 1) {
            semi = part.find(';', j);
            patterns.push_back(part.substr(j, semi == std::string::npos ? std::string::npos : semi - j));
        }
    }
    // (file, shown by the built-in viewer?): every one of them is offered.
    const std::pair<const char*, bool> files[] = {{"kit.HLP", false}, {"kit.txt", true}, {"kit.TXT", true},
                                                  {"kit.htm", true},  {"kit.Html", true}, {"kit.md", true}};
    for (auto [name, viewer] : files) {
        bool offered = false;
        for (const std::string& p : patterns) offered |= ::fnmatch(p.c_str(), name, FNM_CASEFOLD) == 0;
        EXPECT_TRUE(offered) << name << " in " << filter;
        EXPECT_EQ(reference::HelpViewerShows(name), viewer) << name;
    }
    EXPECT_FALSE(reference::HelpViewerShows("kit.pdf"));
}

TEST_F(OptionsTest, CompilerCheckYesOpensOptionsAndChecksAgain) {
    const std::string tools = dir.path() + "/tools";
    std::filesystem::create_directory(tools);
    StartWithView();
    dir.Write("tools/vkc.exe", "");
    ui.answers = {MsgAnswer::Yes};
    view.options = [&](TVKBOptForm& f) { f.Edit2 = tools; return true; };
    form->Execute(ActionId::Compile);
    EXPECT_EQ(view.optionsShown, 1);
    EXPECT_EQ(ui.messages.size(), 1u);  // the check passed the second time
    EXPECT_EQ(S().compilerFolder, tools);
}

TEST_F(OptionsTest, PlomarStartsOnlyAnExistingProgramAndSaysWhenItCannot) {
    const std::string plomar = dir.Write("Designer.EXE", "");
    StartWithView("[TARGET]\r\nVKTW=1\r\n[OPT]\r\nPlomar=" + plomar + "\r\n");
    form->Execute(ActionId::Plomar1);
    EXPECT_EQ(ui.started, std::vector{plomar});
    ui.startSucceeds = false;
    form->Execute(ActionId::Plomar1);
    S().plomarPath = dir.File("none.EXE");
    form->Execute(ActionId::Plomar1);
    EXPECT_EQ(ui.started.size(), 2u);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{plomar + " を起動できません", dir.File("none.EXE") + "が見つかりません"}));
}

TEST_F(OptionsTest, ConfigurationFileOpensAsADocumentOutsideRecentFilesAndBuilds) {
    StartWithView();
    form->Execute(ActionId::CfgEdit);
    S().compilerFolder = dir.path();
    form->Execute(ActionId::CfgEdit);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"VKC.EXEのパスが設定されていません", "VKC.CFGが見つかりません"}));
    EXPECT_TRUE(form->Children().empty());

    const std::string cfg = dir.Write("vkc.cfg", "sjis=1\r\n");  // found ignoring case
    dir.Write("VKC.EXE", "");
    form->Execute(ActionId::CfgEdit);
    form->Execute(ActionId::CfgEdit);  // the open window comes forward
    ASSERT_EQ(form->Children().size(), 1u);
    EXPECT_EQ(Doc()->Caption(), cfg);
    Doc()->Editor1().Lines().Add("x=1");
    form->Execute(ActionId::FileSave1);
    EXPECT_EQ(TempDir::Read(cfg), "sjis=1\r\nx=1\r\n");
    EXPECT_TRUE(form->RecentFiles().empty());
    ui.messages.clear();
    form->Execute(ActionId::Compile);
    form->Execute(ActionId::Link);
    EXPECT_EQ(form->Children().size(), 1u);  // no message window
    EXPECT_TRUE(ui.messages.empty());
}

TEST(ColorGridTest, LookupAndOutOfTableColoursAreKept) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(app::GridIndexOf(app::kGridColors[static_cast<size_t>(i)]), i);
    EXPECT_EQ(app::GridIndexOf(0x123456), -1);
    EXPECT_EQ(app::GridIndexOf(app::kClWindow), -1);

    app::TColorChoice c(app::kClWindowText, 0x123456);
    EXPECT_EQ(c.ForegroundIndex(), -1);
    c.SetForegroundIndex(16);  // no such cell
    c.SetBackgroundIndex(-1);
    EXPECT_EQ(c.Foreground(), app::kClWindowText);
    EXPECT_EQ(c.Background(), 0x123456);
    c.SetBackgroundIndex(14);
    EXPECT_EQ(c.Background(), 0xFFFF00);  // aqua
}

TEST_F(OptionsTest, EditorDialogFillsByItsListsAndTakesEverythingOnOk) {
    struct Case { std::string ini; int wantTab, wantSize, wantWrap; std::string wantFont;
                  std::vector<std::string> wantList; } cases[] = {
        // Tab size 3 shows 4; size 40 shows 13; the stored face is listed though not installed.
        {"[EDIT]\r\nTABSIZE=3\r\nFONTSIZE=40\r\nWordWrapByte=120\r\n", 4, 13, 120, "ＭＳ ゴシック",
         {"IPAGothic", "ＭＳ ゴシック"}},
        {"[EDIT]\r\nTABSIZE=8\r\nFONTSIZE=20\r\nWordWrapByte=999\r\nFONTNAME=IPAGothic\r\n", 8, 20, 250, "IPAGothic",
         {"IPAGothic"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        StartWithView(c.ini);
        view.cust = [&](TCustForm& f) {
            EXPECT_EQ(f.font.Names(), c.wantList);
            EXPECT_EQ(f.font.Name(), c.wantFont);
            EXPECT_FALSE(f.WrapWidthEnabled());
            return true;  // OK without touching anything
        };
        form->Execute(ActionId::EditorCustomize);
        EXPECT_EQ(S().tabSize, c.wantTab);
        EXPECT_EQ(S().fontSize, c.wantSize);
        EXPECT_EQ(S().wordWrapByte, c.wantWrap);  // taken while word wrap is off
        EXPECT_FALSE(S().wordWrap);
        EXPECT_EQ(S().fontName, c.wantFont);
        form.reset();
    }
}

TEST_F(OptionsTest, EditorDialogAppliesToEveryOpenWindowAndIsKept) {
    StartWithView();
    form->Execute(ActionId::FileNew1);
    form->Execute(ActionId::FileNew1);
    for (int i = 0; i < 30; ++i) Doc(0)->Editor1().Lines().Add(std::string(200, 'a'));
    const app::TSettings before = S();
    view.cust = [](TCustForm& f) {
        f.tabIndex = 3;  // 8
        f.sizeIndex = 2;  // 10
        f.font.index = 0;  // IPAGothic
        f.colors[TCustForm::pgText].SetForegroundIndex(4);
        f.colors[TCustForm::pgText].SetBackgroundIndex(11);
        f.colors[TCustForm::pgComment].SetForegroundIndex(2);
        f.wordWrap = true;
        f.wrapWidth = 40;
        f.lineNumbers = f.ruler = true;
        f.wheelByLine = false;
        return false;  // Cancel first
    };
    form->Execute(ActionId::EditorCustomize);
    EXPECT_EQ(S().tabSize, before.tabSize);
    EXPECT_EQ(Doc(1)->Editor1().TabWidth(), before.tabSize);

    auto script = view.cust;
    view.cust = [&](TCustForm& f) { return !script(f); };
    form->Execute(ActionId::EditorCustomize);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const editor::TEditor& ed = Doc(i)->Editor1();
        const editor::TEditorColors& colors = ed.View().Colors();
        EXPECT_EQ(ed.TabWidth(), 8);
        EXPECT_EQ(ed.Properties().font.name, "IPAGothic");
        EXPECT_EQ(ed.Properties().font.size, 10);
        EXPECT_EQ(colors.ank.color, 0x800000);
        EXPECT_EQ(colors.mail.bkColor, 0x00FFFF);
        EXPECT_EQ(ed.Properties().color, 0x00FFFF);
        EXPECT_EQ(ed.View().Brackets().front().itemColor.color, 0x008000);
        EXPECT_TRUE(ed.WordWrap());
        EXPECT_EQ(ed.Store().WrapOption().WrapByte(), 40);
        EXPECT_TRUE(Doc(i)->PopupChecked(app::PopupItem::LineNumbers));
        EXPECT_TRUE(Doc(i)->PopupChecked(app::PopupItem::Ruler));
    }
    EXPECT_GE(Doc(0)->Editor1().RowCount(), 30 * 5);  // rows wrapped at 40
    app::TSettings kept = Reread();
    EXPECT_EQ(kept.tabSize, 8);
    EXPECT_EQ(kept.fontName, "IPAGothic");
    EXPECT_EQ(kept.edtColor, 0x800000);
    EXPECT_EQ(kept.cmnColor, 0x008000);
    EXPECT_EQ(kept.wordWrapByte, 40);
    EXPECT_TRUE(kept.wordWrap && kept.ruler && kept.lineNumbers);
    EXPECT_FALSE(kept.wheelByLine);
}

TEST_F(OptionsTest, ProjectWindowDialogKeepsSystemColoursUntilACellIsPicked) {
    StartWithView();
    view.prjCust = [](app::TPrjCustForm& f) {
        EXPECT_EQ(f.font.Names(), (std::vector<std::string>{"DejaVu Sans Mono", "IPAGothic", "IPAPGothic", "ＭＳ ゴシック"}));
        EXPECT_EQ(f.font.Name(), "ＭＳ ゴシック");
        EXPECT_EQ(app::TPrjCustForm::FontSizes()[static_cast<size_t>(f.sizeIndex)], 9);
        return true;
    };
    form->Execute(ActionId::ProjectWindowCustomize);
    EXPECT_EQ(S().projectFontColor, app::kClWindowText);  // not black on black
    EXPECT_EQ(S().projectFontBkColor, app::kClWindow);
    EXPECT_EQ(view.lookChanges, 1);

    view.prjCust = [](app::TPrjCustForm& f) {
        f.colors.SetBackgroundIndex(0);
        f.colors.SetForegroundIndex(15);
        f.sizeIndex = 13;  // 22
        f.font.index = 1;
        return true;
    };
    form->Execute(ActionId::ProjectWindowCustomize);
    view.prjCust = [](app::TPrjCustForm& f) { return f.colors.SetForegroundIndex(0), false; };
    form->Execute(ActionId::ProjectWindowCustomize);
    EXPECT_EQ(view.lookChanges, 2);
    app::TSettings kept = Reread();
    EXPECT_EQ(kept.projectFontColor, 0xFFFFFF);
    EXPECT_EQ(kept.projectFontBkColor, 0);
    EXPECT_EQ(kept.projectFontSize, 22);
    EXPECT_EQ(kept.projectFontName, "IPAGothic");
}
