// Recovery journals of document windows: what a window held when the
// program went without its normal exit comes back at the next start, byte
// for byte; saving, giving up and a normal exit leave nothing behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "MainFormFixture.h"
#include "app/Recovery.h"
#include "platform/JournalWriter.h"

using platform::MsgAnswer;

namespace {

class Recovery : public MainFormFixture {
protected:
    TempDir state;
    std::string Folder() const { return state.path() + "/"; }
    void StartWithJournals(std::vector<std::string> args = {}) {
        form = std::make_unique<app::TMainForm>(ui, dir.path(), std::move(args));
        form->SetRecoveryFolder(Folder());
        form->FormCreate();
        form->FormActivate();
    }
    size_t Journals() const {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(state.path()))
            n += e.path().extension() == ".vkj";
        return n;
    }
    // Types at the caret as the keyboard does (in-place row edits).
    static void Type(editor::TEditor& ed, const std::string& text) {
        for (unsigned char c : text) ed.CharMessage(c, {}, std::nullopt, nullptr);
    }
    void FlushAll() {
        for (auto& c : form->Children())
            if (auto* d = dynamic_cast<app::TMDIChild*>(c.get())) d->Journal().Flush();
    }
    // The program goes without its exit: journals flushed, nothing closed.
    void Crash() {
        FlushAll();
        form.reset();
    }
};

}  // namespace

TEST_F(Recovery, TextsTypedBeforeACrashComeBackByteForByte) {
    std::string a = dir.Write("a.r", "int f()\r\n{\r\n}\r\n");
    StartWithJournals({a});
    editor::TEditor& ed = Doc(0)->Editor1();
    ed.SetRowCol(1, 1);
    Type(ed, "\r return 1;\x95\x5C");
    ed.Undo();
    ed.Redo();
    ed.SetWordWrap(true);  // rows change, the text does not
    Type(ed, "x");
    form->FileNew1Execute();
    Type(Doc(1)->Editor1(), "untitled\rtext");
    const std::string named = Doc(0)->Editor1().Lines().GetTextStr();
    const std::string untitled = Doc(1)->Editor1().Lines().GetTextStr();
    FlushAll();
    EXPECT_EQ(Journals(), 2u);
    Crash();
    EXPECT_EQ(Journals(), 2u);

    ui.answers = {MsgAnswer::Yes};
    StartWithJournals();
    ASSERT_EQ(form->Children().size(), 2u);
    auto* recoveredNamed = Doc(0)->Caption() == a ? Doc(0) : Doc(1);
    auto* recoveredUntitled = recoveredNamed == Doc(0) ? Doc(1) : Doc(0);
    EXPECT_EQ(recoveredNamed->Editor1().Lines().GetTextStr(), named);
    EXPECT_EQ(recoveredUntitled->Editor1().Lines().GetTextStr(), untitled);
    EXPECT_TRUE(recoveredNamed->DocumentChanged());
    EXPECT_EQ(platform::ReadWholeFile(a), "int f()\r\n{\r\n}\r\n");  // the user decides what is saved
    // The recovered texts are journalled again at once.
    EXPECT_EQ(Journals(), 2u);

    // Saving, and closing a window the user gives up, leave nothing.
    form->ChildActivated(recoveredNamed);
    ASSERT_TRUE(recoveredNamed->SaveDocument());
    EXPECT_EQ(platform::ReadWholeFile(a), named);
    EXPECT_EQ(Journals(), 1u);
    ui.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(form->CloseChild(*recoveredUntitled));
    EXPECT_EQ(Journals(), 0u);
}

TEST_F(Recovery, AFileChangedSinceGoesToAnUntitledWindowAndNoKeepsTheJournalsAside) {
    std::string a = dir.Write("a.r", "old\r\n");
    StartWithJournals({a});
    Type(Doc(0)->Editor1(), "typed ");
    const std::string typed = Doc(0)->Editor1().Lines().GetTextStr();
    Crash();
    dir.Write("a.r", "another program wrote this\r\n");

    ui.answers = {MsgAnswer::No};
    StartWithJournals();
    EXPECT_TRUE(form->Children().empty());
    EXPECT_EQ(Journals(), 0u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder() + "kept"), {}), 1);
    form.reset();

    // Kept journals are not offered again; a new crash's are, and a text
    // whose file changed opens untitled with the file named.
    std::filesystem::rename(*std::filesystem::directory_iterator(Folder() + "kept"), Folder() + "back.vkj");
    ui.messages.clear();
    ui.answers = {MsgAnswer::Yes};
    StartWithJournals();
    ASSERT_EQ(form->Children().size(), 1u);
    EXPECT_EQ(Doc(0)->Caption().rfind("NONAME", 0), 0u);
    EXPECT_EQ(Doc(0)->Editor1().Lines().GetTextStr(), typed);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.messages.back().find(a), std::string::npos);
    // A normal exit after the user gave the window up removes its journal.
    ui.answers = {MsgAnswer::Yes};
    ASSERT_TRUE(form->FormCloseQuery());
    form->FormDestroy();
    EXPECT_EQ(Journals(), 0u);
}

TEST_F(Recovery, AJournalARunningCopyHoldsIsNotOffered) {
    platform::JournalHeader h{"/x/a.r", false, std::nullopt, 0};
    auto writer = std::make_unique<platform::JournalWriter>(Folder() + "live.vkj", h, "base");
    writer->Append({4, 0, " more"});
    writer->Flush();
    EXPECT_TRUE(app::FindRecoverable(Folder()).empty());
    writer.reset();
    auto found = app::FindRecoverable(Folder());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].text, "base more");
    EXPECT_EQ(found[0].header.document, "/x/a.r");
}

TEST_F(Recovery, AJournalThatCannotBeWrittenIsToldOnceWithItsReason) {
    std::string a = dir.Write("a.r", "x\r\n");
    form = std::make_unique<app::TMainForm>(ui, dir.path(), std::vector<std::string>{a});
    form->SetRecoveryFolder(Folder() + "gone/");
    form->FormCreate();
    form->FormActivate();
    editor::TEditor& ed = Doc(0)->Editor1();
    Type(ed, "a");
    Doc(0)->Journal().Flush();
    ui.messages.clear();
    for (int i = 0; i < 3; ++i) {
        Type(ed, "b");
        Doc(0)->Journal().Flush();
        ui.FireTimers();
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(Folder() + "gone/"), std::string::npos) << ui.messages[0];
    EXPECT_NE(ui.messages[0].find("見つかりません"), std::string::npos) << ui.messages[0];
}
