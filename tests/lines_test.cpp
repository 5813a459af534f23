// The line view and file input/output of the row store.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <string>

#include "TestFiles.h"
#include "EditorTestUtil.h"
#include "editor/Editor.h"
#include "platform/FileIO.h"

using namespace editor;

namespace {

std::string LoadRows(const std::string& bytes) {
    TempDir dir;
    TEditor ed;
    ed.Lines().LoadFromFile(dir.Write("f.r", bytes));
    return Rows(ed);
}

}  // namespace

TEST(LoadFromFile, LineBreaksAndEndOfTextRows) {
    struct Case { std::string bytes, rows; } cases[] = {
        {"a\r\nb", "[a]L[b]E"},
        {"a\nb\rc\r\n", "[a]L[b]L[c]L"},
        {"", ""},
        {"\r\n", "[]L"},
        {"\n\n", "[]L[]L"},
        {"\r\r\n", "[]L[]L"},
        {"x", "[x]E"},
        // A final 0x1A (line breaks after it aside) ends the text; any other is text.
        {"ab\r\n\x1A", "[ab]L"},
        {"ab\x1A\r\n\n", "[ab]E"},
        {"\x1A", ""},
        {"ab\x1A" "cd\r\nef", "[ab\x1A" "cd]L[ef]E"},
        {"ab\r\n\x1A" "cd", "[ab]L[\x1A" "cd]E"},
        {"ab\x1A\x1A", "[ab\x1A]E"},
        {"\t\xE0\x40 \x95\x5C\r\n", "[\t\xE0\x40 \x95\x5C]L"},  // bytes kept as they are
    };
    for (const auto& c : cases) EXPECT_EQ(LoadRows(c.bytes), c.rows) << c.bytes;
}

TEST(LoadFromFile, CrAndLfSplitAcrossTheOldBlockSizeAreOneBreak) {
    for (size_t crAt : {8191u, 8192u, 16383u}) {
        std::string bytes(crAt, 'x');
        bytes += "\r\nnext";
        TempDir dir;
        TEditor ed;
        ed.Lines().LoadFromFile(dir.Write("f.r", bytes));
        ASSERT_EQ(ed.RowCount(), 2) << crAt;
        EXPECT_EQ(ed.RowText(0).size(), crAt);
        EXPECT_EQ(ed.RowText(1), "next");
    }
}

TEST(LoadFromFile, NulBytesBecomeBlanksAndAreReported) {
    TempDir dir;
    TEditor ed;
    std::string bytes("ab\0cd\r\n\0\r\nlast", 14);
    TLoadReport report = ed.Lines().LoadFromFile(dir.Write("f.r", bytes));
    EXPECT_EQ(report.nulBytes, 2u);
    EXPECT_EQ(Rows(ed), "[ab cd]L[ ]L[last]E");
}

TEST(LoadFromFile, NeitherEditsNorClearsTheModifiedFlag) {
    TempDir dir;
    TEditor ed;
    int changes = 0;
    ed.OnChange = [&](TEditor&) { ++changes; };
    ed.Lines().Add("typed");
    ASSERT_TRUE(ed.Modified());
    changes = 0;
    ed.Lines().LoadFromFile(dir.Write("f.r", "a\r\nb\r\n"));
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(ed.Modified());
    ed.SetModified(false);
    ed.Lines().SetTextStr("x");
    EXPECT_FALSE(ed.Modified());
    EXPECT_EQ(changes, 0);
}

TEST(LoadFromFile, UnreadableFileLeavesTheStoreEmpty) {
    TempDir dir;
    TEditor ed;
    ed.Lines().SetTextStr("old text\r\n");
    EXPECT_THROW(ed.Lines().LoadFromFile(dir.File("missing.r")), platform::FileError);
    EXPECT_EQ(ed.RowCount(), 0);
    EXPECT_THROW(ed.Lines().LoadFromFile(dir.path()), platform::FileError);  // a folder
    EXPECT_EQ(ed.RowCount(), 0);
}

TEST(SaveToFile, RoundTripGivesTheSameBytesWithCrLf) {
    TempDir dir;
    struct Case { std::string in, out; } cases[] = {
        {"a\r\nb", "a\r\nb"},
        {"a\nb\rc\r\n", "a\r\nb\r\nc\r\n"},
        {"", ""},
        {"\r\n", "\r\n"},
        {"\x82\xa0\t\x95\x5C\\\r\n\x83\x5C", "\x82\xa0\t\x95\x5C\\\r\n\x83\x5C"},
        {"line1\r\nline2\x1Ahidden\r\nmore\r\n", "line1\r\nline2\x1Ahidden\r\nmore\r\n"},
    };
    for (const auto& c : cases) {
        TEditor ed;
        ed.Lines().LoadFromFile(dir.Write("in.r", c.in));
        ed.Lines().SaveToFile(dir.File("out.r"));
        EXPECT_EQ(TempDir::Read(dir.File("out.r")), c.out);
        EXPECT_EQ(ed.Lines().GetTextStr(), c.out);
    }
}

TEST(SaveToFile, AWriteFailingHalfWayLeavesTheOldFile) {
    // A file size limit makes the write fail part way through, even for root.
    TempDir dir;
    std::string target = dir.Write("big.r", "original\r\n");
    TEditor ed;
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "line of text that fills the file\r\n";
    ed.Lines().SetTextStr(text);
    struct rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(ed.Lines().SaveToFile(target), platform::FileError);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(TempDir::Read(target), "original\r\n");
    // No temporary file is left behind.
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) { (void)e; ++entries; }
    EXPECT_EQ(entries, 1);
}

TEST(SaveToFile, MissingFolderIsReportedAndNothingIsCreated) {
    TempDir dir;
    TEditor ed;
    ed.Lines().SetTextStr("x");
    try {
        ed.Lines().SaveToFile(dir.File("no/such/folder/a.r"));
        FAIL() << "no error";
    } catch (const platform::FileError& e) {
        EXPECT_NE(std::string(e.what()).find("a.r"), std::string::npos);
    }
}

TEST(SaveToFile, KeepsThePermissionsOfTheReplacedFile) {
    TempDir dir;
    std::string target = dir.Write("script.r", "old");
    ::chmod(target.c_str(), 0640);
    TEditor ed;
    ed.Lines().SetTextStr("new");
    ed.Lines().SaveToFile(target);
    struct stat st{};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(TempDir::Read(target), "new");
}

TEST(Lines, AddKeepsTheLastLineUnterminatedOrNot) {
    TEditor ed;
    ed.Lines().SetTextStr("a");
    EXPECT_EQ(ed.Lines().Add("x"), 1);
    EXPECT_EQ(ed.Lines().GetTextStr(), "a\r\nx");
    ed.Lines().SetTextStr("a\r\n");
    ed.Lines().Add("x");
    EXPECT_EQ(ed.Lines().GetTextStr(), "a\r\nx\r\n");
    EXPECT_EQ(ed.Row(), 2);  // after the replacement text
    TEditor empty;
    EXPECT_EQ(empty.Lines().Add("first"), 0);
    EXPECT_EQ(empty.Lines().GetTextStr(), "first\r\n");
}

TEST(Lines, PutInsertDeleteByLineAndPlaceTheCaret) {
    TEditor ed;
    ed.Lines().SetTextStr("one\r\ntwo\r\nthree");
    ed.Lines().Put(1, "TWO");
    EXPECT_EQ(ed.Lines().GetTextStr(), "one\r\nTWO\r\nthree");
    EXPECT_EQ(ed.Row(), 2);  // offset past the line's CR LF: start of the next row
    EXPECT_EQ(ed.Col(), 0);
    ed.Lines().Put(2, "3");
    EXPECT_EQ(ed.Lines().GetTextStr(), "one\r\nTWO\r\n3");
    EXPECT_EQ(ed.Row(), 2);
    EXPECT_EQ(ed.Col(), 1);
    ed.Lines().Insert(0, "zero");
    EXPECT_EQ(ed.Lines().GetTextStr(), "zero\r\none\r\nTWO\r\n3");
    EXPECT_EQ(ed.Row(), 1);
    ed.Lines().Insert(4, "end");  // at Count: appends
    EXPECT_EQ(ed.Lines().GetTextStr(), "zero\r\none\r\nTWO\r\n3\r\nend");
    ed.Lines().Delete(1);
    EXPECT_EQ(ed.Lines().GetTextStr(), "zero\r\nTWO\r\n3\r\nend");
    EXPECT_EQ(ed.Row(), 1);
    EXPECT_EQ(ed.Col(), 0);
    ed.Lines().Delete(3);
    EXPECT_EQ(ed.Lines().GetTextStr(), "zero\r\nTWO\r\n3\r\n");
    EXPECT_EQ(ed.Lines().Count(), 3);
    EXPECT_THROW(ed.Lines().Get(3), platform::EListError);
    EXPECT_THROW(ed.Lines().Insert(4, "x"), platform::EListError);
    EXPECT_THROW(ed.Lines().Delete(-1), platform::EListError);
}

TEST(Lines, EveryEditIsOneChangeNotice) {
    TEditor ed;
    int changes = 0;
    ed.OnChange = [&](TEditor&) { ++changes; };
    ed.Lines().Add("a");
    ed.Lines().Insert(0, "b");
    ed.Lines().Put(1, "c");
    ed.Lines().Delete(0);
    EXPECT_EQ(changes, 4);
}

TEST(Lines, AssignTakesTheTextAndPutsTheCaretAfterIt) {
    TEditor source, target;
    source.Lines().SetTextStr("p\r\nq\r\n");
    target.Lines().Assign(source.Lines());
    EXPECT_EQ(target.Lines().GetTextStr(), "p\r\nq\r\n");
    EXPECT_EQ(target.Row(), 2);
    EXPECT_EQ(target.Col(), 0);
}

TEST(Lines, SetTextBlanksNulBytes) {
    TEditor ed;
    std::string text("a\0b\r\nc", 6);
    TLoadReport report = ed.Lines().SetText(text);
    EXPECT_EQ(report.nulBytes, 1u);
    EXPECT_EQ(ed.Lines().GetTextStr(), "a b\r\nc");
}
