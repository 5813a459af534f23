// Templates: the file format, appending to the file, inserting and adding
// through the main form.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "FakeUi.h"
#include "MainFormFixture.h"
#include "TestFiles.h"
#include "app/MainForm.h"
#include "app/Templates.h"

using app::TTemplate;

namespace {

TEST(TemplateFormat, HeadersBodiesAndSkippedLines) {
    const struct { const char* what; std::string bytes; std::vector<TTemplate> want; } cases[] = {
        {"header and body", "[for]\r\nfor (;;) {\r\n}\r\n", {{"[for]", {"for (;;) {", "}"}}}},
        {"lines before the first header ignored", "junk\r\n[a]\r\nx\r\n", {{"[a]", {"x"}}}},
        {"empty lines skipped also inside bodies", "[a]\r\n\r\nx\r\n\r\ny\r\n\r\n", {{"[a]", {"x", "y"}}}},
        {"trailing words after ] dropped", "[abc] trailing words\r\nz\r\n", {{"[abc]", {"z"}}}},
        {"[] is a body line", "[a]\r\n[]x\r\n", {{"[a]", {"[]x"}}}},
        {"[] before any header ignored", "[]\r\n[b]\r\n", {{"[b]", {}}}},
        {"no ] is a body line", "[a]\r\n[open\r\n", {{"[a]", {"[open"}}}},
        {"first ] decides the title", "[a]b]\r\n", {{"[a]", {}}}},
        {"header without body", "[a]\r\n[b]\r\ny", {{"[a]", {}}, {"[b]", {"y"}}}},
        {"same titles both kept", "[a]\r\n1\r\n[a]\r\n2\r\n", {{"[a]", {"1"}}, {"[a]", {"2"}}}},
        {"LF and CR line ends", "[a]\nx\ry", {{"[a]", {"x", "y"}}}},
        // 0x5D as the second byte of a double-byte character is no bracket.
        {"Shift-JIS trail byte ] is not the end", "[\x83\x5D]\r\n", {{"[\x83\x5D]", {}}}},
        {"empty file", "", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(app::ParseTemplates(c.bytes), c.want) << c.what;
}

TEST(TemplateFormat, AppendingStartsOnAFreshLine) {
    const struct { const char* what; std::string existing; TTemplate tpl; std::string want; } cases[] = {
        {"ends with CR LF", "[a]\r\nx\r\n", {"[b]", {"1", "2"}}, "[a]\r\nx\r\n[b]\r\n1\r\n2\r\n"},
        {"no final line break", "[a]\r\nx", {"[b]", {"1"}}, "[a]\r\nx\r\n[b]\r\n1\r\n"},
        {"empty file", "", {"[b]", {"1"}}, "[b]\r\n1\r\n"},
        {"empty body lines written", "", {"[b]", {"1", "", "2"}}, "[b]\r\n1\r\n\r\n2\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(app::AppendTemplateBytes(c.existing, c.tpl), c.want) << c.what;
    // Empty lines and an empty title do not survive a restart.
    std::string file = app::AppendTemplateBytes("[a]\r\nx\r\n", {"[]", {"1", "", "2"}});
    EXPECT_EQ(app::ParseTemplates(file), (std::vector<TTemplate>{{"[a]", {"x", "[]", "1", "2"}}}));
}

TEST(TemplateFormat, ClipboardLinesSplitAtAnyLineEnd) {
    EXPECT_EQ(app::SplitTextLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(app::SplitTextLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(app::SplitTextLines("").empty());
}

using TemplateFormTest = MainFormFixture;

// The commands show only when the file exists, its name found ignoring case.
TEST_F(TemplateFormTest, FileFoundIgnoringCaseOrTheCommandsHidden) {
    for (bool exists : {false, true}) {
        if (exists) dir.Write("template.txt", "[a]\r\nx\r\n");
        Start();
        EXPECT_EQ(form->TemplatesAvailable(), exists);
        EXPECT_EQ(form->Visible(app::ActionId::TemplateAdd), exists);
        EXPECT_EQ(form->Templates(), (exists ? std::vector<TTemplate>{{"[a]", {"x"}}} : std::vector<TTemplate>{}));
    }
}

TEST_F(TemplateFormTest, InsertPutsTheFirstMatchBeforeTheCaretLine) {
    dir.Write("Template.TXT", "[a]\r\n1\r\n2\r\n[a]\r\n3\r\n");
    Start({dir.Write("doc.r", "one\r\ntwo\r\n")});
    Doc()->Editor1().SetRowCol(1, 0);
    form->TemplateClick("[a]");
    EXPECT_EQ(Doc()->Editor1().Lines().GetTextStr(), "one\r\n1\r\n2\r\ntwo\r\n");
    Doc()->Editor1().SetRowCol(0, 0);
    form->TemplateClick("[A]");  // titles are case-sensitive
    form->TemplateClick("[a]");
    EXPECT_EQ(Doc()->Editor1().Lines().GetTextStr(), "1\r\n2\r\none\r\n1\r\n2\r\ntwo\r\n");
}

TEST_F(TemplateFormTest, AddCopiesTheSelectionAndAppendsToTheFile) {
    std::string tpl = dir.Write("Template.TXT", "[a]\r\nx");
    Start({dir.Write("doc.r", "one\r\ntwo\r\n")});
    Doc()->Editor1().SelectAll();
    ui.inputAnswers = {std::string("b")};
    form->Execute(app::ActionId::TemplateAdd);
    EXPECT_EQ(ui.inputRequests.size(), 1u);
    EXPECT_EQ(TempDir::Read(tpl), "[a]\r\nx\r\n[b]\r\none\r\ntwo\r\n");
    EXPECT_EQ(form->Templates().back(), (TTemplate{"[b]", {"one", "two"}}));
}

// An empty clipboard asks nothing, a cancel adds nothing, a failed write is
// reported and leaves the file as it was.
TEST_F(TemplateFormTest, NothingAddedOrTheFileKept) {
    std::string tpl = dir.Write("Template.TXT", "[a]\r\n");
    Start();
    form->Execute(app::ActionId::TemplateAdd);
    EXPECT_TRUE(ui.inputRequests.empty());
    ui.clipboard = "text";
    form->Execute(app::ActionId::TemplateAdd);
    EXPECT_EQ(ui.inputRequests.size(), 1u);
    EXPECT_EQ(TempDir::Read(tpl), "[a]\r\n");
    EXPECT_EQ(form->Templates().size(), 1u);
    EXPECT_TRUE(ui.messages.empty());

    ::chmod(tpl.c_str(), 0444);  // read-only: refused for every user, root too
    ui.inputAnswers = {std::string("b")};
    form->Execute(app::ActionId::TemplateAdd);
    EXPECT_EQ(TempDir::Read(tpl), "[a]\r\n");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages.back().find("定型文をファイルに追加できません"), std::string::npos);

    // Text Shift-JIS cannot hold: the message names the adding, not a paste;
    // no title is asked for.
    ui.messages.clear(), ui.inputRequests.clear();
    const size_t count = form->Templates().size();
    ui.clipboard = "x \xF0\x9F\x98\x80";
    form->Execute(app::ActionId::TemplateAdd);
    EXPECT_TRUE(ui.inputRequests.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("定型文に追加できません"), std::string::npos) << ui.messages[0];
    EXPECT_EQ(ui.messages[0].find("貼り付け"), std::string::npos) << ui.messages[0];
    EXPECT_EQ(form->Templates().size(), count);
}

// An installed copy whose folder the user may not write: the shipped file is
// read until the first add, which writes a copy with the new template into
// the configuration folder; from then on that copy is read and appended to.
// Permission bits do not stop root, so the run is an unprivileged user's.
TEST(TemplateInstall, ReadOnlyProgramFolderKeepsTemplatesInTheConfigurationFolder) {
    TempDir dir;
    const std::string program = dir.File("lib"), config = dir.File("config");
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(config);
    const std::string shipped = program + "/Template.TXT";
    std::ofstream(shipped, std::ios::binary) << "[a]\r\nx\r\n";
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(program.c_str(), 0555);
    ::chmod(config.c_str(), 0777);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(2);
            ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
            const std::string copy = config + "/VeskCBuilder/Template.TXT";
            FakeUi ui;
            for (int run = 0; run < 2; ++run) {
                app::TMainForm form(ui, program, {});
                form.FormCreate();
                if (!form.TemplatesAvailable() || form.Templates().size() != static_cast<size_t>(1 + run)) std::_Exit(3);
                ui.clipboard = run == 0 ? "one" : "two";
                ui.inputAnswers = {std::string(run == 0 ? "b" : "c")};
                form.Execute(app::ActionId::TemplateAdd);
                form.FormDestroy();
            }
            if (!ui.messages.empty()) {
                std::fprintf(stderr, "%s\n", ui.messages.front().c_str());
                std::_Exit(4);
            }
            if (TempDir::Read(shipped) != "[a]\r\nx\r\n") std::_Exit(5);
            if (TempDir::Read(copy) != "[a]\r\nx\r\n[b]\r\none\r\n[c]\r\ntwo\r\n") std::_Exit(6);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
