// The last session and the places kept with the recent files: the stored
// forms read back (and what garbage leaves of them), a restart that reopens
// the session, and a file opened again where the user left it.
#include <gtest/gtest.h>

#include <filesystem>

#include "MainFormFixture.h"
#include "app/Session.h"
#include "platform/IniFile.h"

using app::TFilePlace;
using app::TSession;
using app::TSessionDocument;

namespace {

// `dir` is the program folder; sources and projects lie in `src`.
class SessionTest : public MainFormFixture {
protected:
    TempDir src, state;
    std::string sessionFile = state.File("session.ini");

    void Exit() {
        if (form) form->FormDestroy();
        form.reset();
    }
    void Restart(std::vector<std::string> args = {}) {
        Exit();
        form = std::make_unique<app::TMainForm>(ui, dir.path(), std::move(args));
        form->SetSessionFile(sessionFile);
        form->FormCreate();
        form->FormActivate();
    }
    // A source of `lines` numbered lines.
    std::string Source(const std::string& name, int lines = 60) {
        std::string text;
        for (int i = 0; i < lines; ++i) text += "line " + std::to_string(i) + "\r\n";
        return src.Write(name, text);
    }
    TFilePlace Place(size_t i) const { return Doc(i)->Place(); }
    void Go(size_t i, TFilePlace p) {
        Doc(i)->Editor1().SetVisibleRows(10);
        Doc(i)->GoToPlace(p);
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (auto& c : form->Children()) out.push_back(c->Caption());
        return out;
    }
};

}  // namespace

TEST(Session, PlacesParseOnlyWhenWhole) {
    using P = std::optional<std::pair<std::string, TFilePlace>>;
    const std::pair<const char*, P> rows[] = {
        {"12,3,4,/a/b.r", P{{"/a/b.r", {12, 3, 4}}}},
        {"0,0,0,/x, y=z/表ソ.R", P{{"/x, y=z/表ソ.R", {0, 0, 0}}}},  // the path is the rest, commas and all
        {"2147483647,0,0,/a", P{{"/a", {2147483647, 0, 0}}}},
        {"2147483648,0,0,/a", std::nullopt},
        {"-1,0,0,/a", std::nullopt},
        {"1,2,/a", std::nullopt},
        {"1,2,3,a.r", std::nullopt},  // relative: no file of its own
        {"1,,3,/a", std::nullopt},
        {"1 ,2,3,/a", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, parsed] : rows) {
        EXPECT_EQ(app::ParsePlace(text), parsed) << text;
        if (parsed) {
            EXPECT_EQ(app::FormatPlace(parsed->first, parsed->second), text);
        }
    }
}

TEST(Session, WrittenAndReadBackAndGarbageLosesOnlyWhatItSpoils) {
    TempDir dir;
    const std::string file = dir.File("session.ini");
    const TSession whole{"/p/日本.PRJ", 1,
                         {{"/a/表.r", {5, 2, 1}}, {"/b/ c=d, e.h ", {0, 0, 0}}, {"/c/x.r", {99, 80, 70}}}, 2};
    app::WriteSession(file, whole);
    EXPECT_EQ(app::ReadSession(file), whole);
    EXPECT_EQ(app::ReadSession(dir.File("none.ini")), TSession{});

    struct Row {
        std::string text;
        TSession read;
    } rows[] = {
        // A spoilt entry goes; the numbers after it follow the ones kept.
        {"[SESSION]\nProject=/p.PRJ\nProjectAt=2\nActive=2\nFiles=3\nFile1=1,1,1,/a\nFile2=x,1,1,/b\nFile3=3,3,3,/c\n",
         {"/p.PRJ", 1, {{"/a", {1, 1, 1}}, {"/c", {3, 3, 3}}}, 1}},
        {"[SESSION]\nProject=rel.PRJ\nProjectAt=0\nActive=-2\nFiles=1\nFile1=1,1,1,/a\n", {"", 0, {{"/a", {1, 1, 1}}}, -1}},
        {"[SESSION]\nActive=1\nFiles=2\nFile1=1,1,1,/a\nFile2=\n", {"", 0, {{"/a", {1, 1, 1}}}, -1}},
        {"[SESSION]\nFiles=2000000000\nFile1=0,0,0,/a\nActive=7\n", {"", 0, {{"/a", {}}}, -1}},
        {std::string("\x00\xff[SESSION\nFiles=x\n\x1a", 16), {}},
    };
    for (const Row& r : rows) {
        dir.Write("garbage.ini", r.text);
        EXPECT_EQ(app::ReadSession(dir.File("garbage.ini")), r.read) << r.text;
    }
}

TEST_F(SessionTest, ARestartWithTheSettingReopensProjectDocumentsPlacesAndActiveWindow) {
    const std::string a = Source("a.r"), b = Source("b.r"), c = Source("c.r"), gone = Source("gone.h");
    const std::string prj = src.Write("p.PRJ", "[PROJECT]\r\nName=p\r\n[R]\r\nDIR=" + src.path() + "/\r\nRCNT=1\r\nr01=c.r\r\n");
    dir.Write("VKBUILD.INI", "[OPT]\r\nRestoreSession=1\r\n");
    Restart({b});
    ASSERT_TRUE(form->OpenProjectFile(prj));
    form->OpenDocumentWindow(a);
    form->OpenDocumentWindow(gone);
    form->FileNew1Execute();  // nothing to reopen
    ASSERT_EQ(Captions(), (std::vector<std::string>{b, c, "p", a, gone, "NONAME1"}));
    Go(0, {40, 3, 35});
    Go(1, {7, 1, 0});
    Go(3, {20, 5, 12});
    form->OpenDocumentWindow(b);  // the active one
    std::filesystem::remove(gone);  // before the exit: not kept
    Restart();
    EXPECT_EQ(Captions(), (std::vector<std::string>{b, c, "p", a}));
    EXPECT_EQ(Place(0), (TFilePlace{40, 3, 35}));
    EXPECT_EQ(Place(1), (TFilePlace{7, 1, 0}));
    EXPECT_EQ(Place(3), (TFilePlace{20, 5, 12}));
    EXPECT_EQ(form->ActiveChild(), Doc(0));
    EXPECT_EQ(form->Project().projectFile, prj);
    EXPECT_TRUE(ui.messages.empty());

    // Files gone since are listed in one message; the rest opens.
    Exit();
    std::filesystem::remove(a);
    std::filesystem::remove(prj);
    Restart();
    EXPECT_EQ(Captions(), (std::vector<std::string>{b, c}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "前回終了時に開いていた次のファイルは見つからないため開きませんでした:\n" + prj + "\n" + a);

    // Files on the command line win; with the setting off the session is
    // not kept at all.
    Restart({c});
    EXPECT_EQ(Captions(), (std::vector<std::string>{c}));
    form->Settings().restoreSession = false;
    Exit();
    EXPECT_FALSE(std::filesystem::exists(sessionFile));
    dir.Write("VKBUILD.INI", "[OPT]\r\nRestoreSession=1\r\n");
    Restart();
    EXPECT_TRUE(form->Children().empty());
}

TEST_F(SessionTest, AFileOpenedAgainComesBackWhereItWasWhileInTheRecentList) {
    const std::string a = Source("a.r"), b = Source("b.r");
    Restart({a});
    Go(0, {30, 4, 25});
    ASSERT_TRUE(form->CloseChild(*Doc(0)));
    form->RecentFileClick(0);
    EXPECT_EQ(Place(0), (TFilePlace{30, 4, 25}));
    // Across a restart, through the settings file; the RECENT keys stay
    // plain paths, and a place follows its path when a copy that does not
    // know of places reorders them.
    form->OpenDocumentWindow(b);
    Go(1, {10, 0, 5});
    Exit();
    platform::IniFile ini;
    ini.LoadFromFile(dir.File("VKBUILD.INI"));
    EXPECT_EQ(ini.ReadText("FILES", "RECENT01", ""), b);
    EXPECT_EQ(ini.ReadText("FILES", "RECENT02", ""), a);
    ini.WriteText("FILES", "RECENT01", a);
    ini.WriteText("FILES", "RECENT02", b);
    ini.SaveToFile(dir.File("VKBUILD.INI"));
    form.reset();  // no exit: the file stays as edited
    Restart({b, a});
    EXPECT_EQ(Place(0), (TFilePlace{10, 0, 5}));
    EXPECT_EQ(Place(1), (TFilePlace{30, 4, 25}));
    // A file pushed out of the list forgets its place; a shorter file
    // takes what is still inside it.
    for (int i = 0; i < 5; ++i) form->OpenDocumentWindow(Source("n" + std::to_string(i) + ".r"));
    ASSERT_TRUE(form->CloseChild(*Doc(1)));
    form->OpenDocumentWindow(a);
    EXPECT_EQ(Place(form->Children().size() - 1), TFilePlace{});
    Go(0, {59, 2, 55});
    ASSERT_TRUE(form->CloseChild(*Doc(0)));
    Source("b.r", 8);
    form->OpenDocumentWindow(b);
    const TFilePlace p = Place(form->Children().size() - 1);
    EXPECT_LE(p.row, 8);
    EXPECT_LE(p.topRow, 8);
}
