// Find in files: the folder walk, reading and matching files as documents,
// the listing's lines as jump targets, stopping, and the command end to end.
#include <gtest/gtest.h>

#include <filesystem>

#include "MainFormFixture.h"
#include "app/FindInFiles.h"

namespace {

using app::TFileToSearch;
using app::TFindInFiles;

std::vector<std::string> Lines(const compiler::MessageLines& lines) {
    return std::vector<std::string>(lines.begin(), lines.end());
}

TEST(FindInFilesWalk, PatternsSubfoldersAndLinks) {
    struct {
        const char* name;
        const char* patterns;
        bool match;
    } rows[] = {
        {"a.R", "*.R;*.H", true},  {"a.r", "*.R;*.H", true},   {"b.h", "*.r, *.h", true},
        {"c.RO", "*.R;*.H", false}, {"x.txt", "", true},        {"abc.R", "a?c.*", true},
        {"ac.R", "a?c.*", false},   {"Makefile", "*.R *", true}, {"a.R.bak", "*.R", false},
    };
    for (const auto& r : rows) EXPECT_EQ(app::MatchesFilePatterns(r.name, r.patterns), r.match) << r.name << " " << r.patterns;

    TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir.File("sub/deeper"));
    fs::create_directories(dir.File("b"));
    for (const char* f : {"a.R", "b.h", "c.txt", "sub/d.R", "sub/deeper/e.H", "b/f.r"}) dir.Write(f, "x");
    fs::create_directory_symlink(dir.path(), dir.File("sub/loop"));  // walking it would never end
    const std::string d = dir.path() + "/";
    EXPECT_EQ(app::ListFolderFiles(dir.path(), "*.R;*.H", true),
              (std::vector<std::string>{d + "a.R", d + "b.h", d + "b/f.r", d + "sub/d.R", d + "sub/deeper/e.H"}));
    EXPECT_EQ(app::ListFolderFiles(dir.path(), "*.R;*.H", false), (std::vector<std::string>{d + "a.R", d + "b.h"}));
    size_t unreadable = 0;
    EXPECT_TRUE(app::ListFolderFiles(d + "missing", "*", true, &unreadable).empty());
    EXPECT_EQ(unreadable, 1u);
}

TEST(FindInFilesSearch, ReadsLikeDocumentsSkipsAndCounts) {
    TempDir dir;
    // Line breaks of every kind; 表 ends in 0x5C, so "\\" must not match inside it.
    const std::string mixed = dir.Write("mixed.R", "show_x\r\nno\n\x95\\\\show\rshow_y\r\nend\x1A\r\n");
    const std::string binary = dir.Write("bin.R", std::string("show\0", 5) + "x");
    const std::string large = dir.Write("large.R", std::string(200, 'a') + "show");
    const std::string late = dir.Write("late.R", std::string(100, 'b') + '\0' + "show");  // NUL past the probe
    const std::string open = dir.Write("open.R", "show on disk\r\n");
    // At the limit and one byte past it, then a short file read into the same memory.
    const std::string full = dir.Write("full.R", std::string(146, 'c') + "show");
    const std::string over = dir.Write("over.R", std::string(147, 'c') + "show");
    const std::string small = dir.Write("small.R", "show");
    TFindInFiles search("show", editor::soMatchCase,
                        {{mixed, {}}, {binary, {}}, {large, {}}, {dir.File("gone.R"), {}}, {late, {}},
                         {open, std::string("edited\r\nshow unsaved")}, {full, {}}, {over, {}}, {small, {}}},
                        app::TFindLimits{150, 64});
    compiler::MessageLines out;
    search.Step(out);
    ASSERT_TRUE(search.Done());
    EXPECT_EQ(Lines(out), (std::vector<std::string>{
                              mixed + "(1) : show_x",
                              mixed + "(3) : 表\\show",
                              mixed + "(4) : show_y",
                              late + "(1) : " + std::string(100, 'b') + " show",
                              open + "(2) : show unsaved",
                              full + "(1) : " + std::string(146, 'c') + "show",
                              small + "(1) : show",
                          }));
    EXPECT_EQ(search.FilesWithHits(), 5u);
    EXPECT_EQ(search.Hits(), 7u);
    EXPECT_EQ(search.SkippedBinary(), 1u);
    EXPECT_EQ(search.SkippedLarge(), 2u);
    EXPECT_EQ(search.SkippedUnreadable(), 1u);
    EXPECT_EQ(search.SummaryLines().back(), "5 個のファイルで 7 件見つかりました");

    // The trail byte of 表 is never the start of a match.
    TFindInFiles yen("\\", editor::soMatchCase, {{"t", std::string("\x95\\")}});
    yen.Step(out);
    EXPECT_EQ(yen.Hits(), 0u);
}

TEST(FindInFilesSearch, EngineOptionsAndLongLines) {
    struct {
        const char* pattern;
        editor::TSearchOptions options;
        const char* text;
        std::vector<long> lines;
    } rows[] = {
        {"SHOW", 0, "Show\nshow\nshOw_\nx", {1, 2, 3}},
        {"SHOW", editor::soMatchCase, "Show\nSHOW", {2}},
        {"AB", 0, "\x83\x41" "B\nxab", {2}},  // ア ends in "A": not where a match starts
        {"\\", editor::soMatchCase, "\x95\\\n\x95\\a\\\nb\\", {2, 3}},  // 表 ends in 0x5C
        {"show", editor::soWholeWord, "show_x\nshowx\n(show)", {1, 3}},
        {"\x82\x60", editor::soIgnoreWidth, "a\nA\n\x82\x81", {1, 2, 3}},  // Ａ
        {"ab", editor::soIgnoreBlank, "a b\na\nb", {1}},
        {"ab", editor::soIgnoreLineBreak, "xa\r\nb\nab\nb", {1, 3}},
    };
    for (const auto& r : rows) {
        std::vector<long> got;
        editor::TSearchPattern p(r.pattern, static_cast<editor::TSearchOptions>(r.options | editor::soDown));
        app::ForEachHitLine(r.text, p, app::MatchNeedle(r.pattern, r.options), [&](long line, std::string_view) {
            got.push_back(line);
        });
        EXPECT_EQ(got, r.lines) << r.pattern << " " << r.options;
    }
    // A listed line stops at 4,096 bytes, on a whole character (表 = 95 5C).
    std::string longLine = "showx";
    std::string expected = "long(1) : showx";
    for (int i = 0; i < 3000; ++i) {
        longLine += "\x95\\";
        if (i < 2045) expected += "表";
    }
    TFindInFiles search("show", 0, {{"long", longLine}});
    compiler::MessageLines out;
    search.Step(out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], expected);
}

// The byte search stands in for the engine: over texts of line breaks of
// every kind, lead and trail bytes (表 = 95 5C, ア = 83 41) and letters, it
// finds the lines (and texts) the engine finds reading each line.
TEST(FindInFilesSearch, ByteSearchFindsWhatTheEngineFinds) {
    const char alphabet[] = {'a', 'A', 'b', '\\', ' ', '\t', '\r', '\n', '\x95', '\x83', '\x41', '\x82'};
    uint32_t seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    struct Pattern {
        const char* bytes;
        editor::TSearchOptions options;
    } patterns[] = {{"ab", editor::soMatchCase}, {"ab", 0}, {"\\", editor::soMatchCase}, {"Ab", editor::soWholeWord},
                    {"\x95\\a", editor::soMatchCase}, {"A", editor::soMatchCase},
                    {"\x95\\", 0}, {"\\", 0}, {"\x83\x41", 0}, {"aB", 0}, {"\x83\x41" "b", 0}};
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const size_t size = round % 40 == 0 ? 9000 : next() % 300;  // some past the counters' 4 KB rounds
        for (size_t i = 0; i < size; ++i) text += alphabet[next() % sizeof alphabet];
        for (const Pattern& p : patterns) {
            editor::TSearchPattern pattern(p.bytes, static_cast<editor::TSearchOptions>(p.options | editor::soDown));
            std::vector<std::pair<long, std::string_view>> bytes, engine;
            app::ForEachHitLine(text, pattern, app::MatchNeedle(p.bytes, p.options),
                                [&](long line, std::string_view t) { bytes.emplace_back(line, t); });
            app::ForEachHitLine(text, pattern, app::TNeedle{}, [&](long line, std::string_view t) { engine.emplace_back(line, t); });
            ASSERT_EQ(bytes, engine) << "round " << round << " pattern " << p.bytes;
        }
    }
}

// Every character in a hit line reads as the document decoder reads it:
// each lead byte with every byte after it, the single high bytes, and a
// lead byte ending the line.
TEST(FindInFilesSearch, HitLinesDecodeAsDocuments) {
    std::string text;
    std::vector<std::string> expected;
    auto add = [&](std::string line) {
        text += line + "\r\n";
        expected.push_back(compiler::HitLine("t", static_cast<long>(expected.size() + 1), platform::DecodeSjis(line).text));
    };
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        // Long enough that the end of the line is read sixteen bytes at a time.
        for (unsigned trail = 0x20; trail <= 0xFF; ++trail) add(std::string{'x', char(lead), char(trail)} + std::string(15, 'y'));
        add(std::string{'x', char(lead)});
    }
    TFindInFiles search("x", editor::soMatchCase, {{"t", text}});
    compiler::MessageLines out;
    search.Step(out);
    ASSERT_EQ(out.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(out[i], expected[i]) << "line " << i + 1;
    // TABs and NULs, within and past the first eight bytes, are blanks in the list.
    TFindInFiles tabs("x", editor::soMatchCase, {{"t", std::string("\tx\0a\t\t\t\t\t\t\t\t\x95\\b\0", 16)}});
    compiler::MessageLines blanked;
    tabs.Step(blanked);
    ASSERT_EQ(blanked.size(), 1u);
    EXPECT_EQ(blanked[0], "t(1) :  x a        \xe8\xa1\xa8" "b ");
}

TEST(FindInFilesSearch, StopHalfWayKeepsHits) {
    std::vector<TFileToSearch> files;
    for (int i = 0; i < 4; ++i) files.push_back({"f" + std::to_string(i), std::string("hit\nhit")});
    TFindInFiles search("hit", 0, files);
    compiler::MessageLines out;
    search.Step(out, 2);
    EXPECT_FALSE(search.Done());
    EXPECT_EQ(out.size(), 4u);
    const std::vector<std::string> summary = search.SummaryLines();
    ASSERT_EQ(summary.size(), 2u);
    EXPECT_EQ(summary[0], "中止しました (2/4 個のファイルを検索)");
    EXPECT_EQ(summary[1], "2 個のファイルで 4 件見つかりました");
}

TEST(FindInFilesLines, HitLinesReadBack) {
    struct {
        std::string path;
        long line;
        std::string text;
    } rows[] = {
        {"/a/b.R", 12, "x = 1; // error: warning"},
        {"/dir (1)/a.R", 3, "f(2) : g"},  // parentheses in the path and in the text
        {"NONAME1", 1, ""},
    };
    for (const auto& r : rows) {
        std::optional<compiler::JumpTarget> t = compiler::ParseHitLine(compiler::HitLine(r.path, r.line, r.text));
        ASSERT_TRUE(t) << r.path;
        EXPECT_EQ(t->file, r.path);
        EXPECT_EQ(t->line, r.line);
    }
    for (const char* notHit : {"1 個のファイルで 2 件見つかりました", "a(x) : b", "a() : b", "a(1): b"})
        EXPECT_FALSE(compiler::ParseHitLine(notHit)) << notHit;
}

// The command from the Search menu: a view that presses Enter in the dialog.
struct FindView : NullMainView {
    int runs = 0;
    void RunFindInFiles(app::TFindInFilesForm& f) override {
        ++runs;
        if (f.OnStart) f.OnStart();
    }
};

class FindInFilesCommand : public MainFormFixture {};

TEST_F(FindInFilesCommand, ListsHitsThatJumpAndMark) {
    const std::string a = dir.Write("a.R", "int show_a;\r\nx\r\nshow_b();\r\n");
    const std::string h = dir.Write("b.H", "show_h\r\n");
    dir.Write("c.txt", "show\r\n");
    Start();
    FindView view;
    form->SetView(&view);
    ASSERT_TRUE(form->OpenDocumentWindow(a));
    Doc()->Editor1().SetRow(1);
    Doc()->Editor1().SetSelText("show_c ");  // unsaved: searched as it is now

    auto& f = form->FindInFilesForm();
    f.text = "show_";
    form->Execute(app::ActionId::SearchInFiles);
    EXPECT_EQ(f.folder, dir.path() + "/");  // the active document's folder
    EXPECT_EQ(f.scope, app::TFindScope::fsFolder);
    compiler::TMsgForm* hits = form->HitsWindow();
    ASSERT_TRUE(hits);
    const std::vector<std::string> lines(hits->Items().begin(), hits->Items().end());
    EXPECT_EQ(lines, (std::vector<std::string>{a + "(1) : int show_a;", a + "(2) : show_c x", a + "(3) : show_b();",
                                               h + "(1) : show_h", "2 個のファイルで 4 件見つかりました"}));
    // Each hit line jumps to its line, opening a file no window shows.
    for (int i = 0; i < 4; ++i) {
        hits->SetSelected(i);
        hits->ListBox1KeyDown(13);
        ui.FireTimers();
        app::TMDIChild* doc = form->ActiveDocument();
        ASSERT_TRUE(doc) << i;
        std::optional<compiler::JumpTarget> t = hits->TargetAt(static_cast<size_t>(i));
        EXPECT_EQ(doc->Caption(), t->file);
        EXPECT_EQ(doc->Editor1().Row(), t->line - 1);
    }
    // The hits carry a mark of their own, not a build's.
    editor::TEditor& ed = Doc(0)->Editor1();
    EXPECT_EQ(ed.RowMarks(0), 1u << editor::kHitRowMark);
    EXPECT_EQ(ed.RowMarks(1), 1u << editor::kHitRowMark);
    // F8 steps through the hits; a build does not close their listing.
    hits->SetSelected(0);
    form->NextErrorExecute(true);
    EXPECT_EQ(hits->Selected(), 1);
    form->CloseChild(*hits);
    EXPECT_EQ(ed.RowMarks(0), 0u);

    // Nothing to search: told, no listing.
    f.scope = app::TFindScope::fsFolder;
    f.patterns = "*.none";
    form->FindInFilesStart();
    EXPECT_FALSE(f.started);
    EXPECT_FALSE(form->HitsWindow());
    EXPECT_EQ(ui.messages.back(), "検索するファイルがありません");
}

TEST_F(FindInFilesCommand, ProjectScopeWhenAProjectIsOpen) {
    const std::string a = dir.Write("a.R", "hit a\r\n");
    const std::string h = dir.Write("b.H", "hit h\r\n");
    dir.Write("c.R", "hit c, not in the project\r\n");
    const std::string prj =
        dir.Write("p.PRJ", "[PROJECT]\r\nName=p\r\nRX=a.RX\r\n[R]\r\nDIR=\r\nRCNT=1\r\nr01=a.R\r\n");
    Start();
    FindView view;
    form->SetView(&view);
    auto& f = form->FindInFilesForm();
    f.text = "hit";
    form->Execute(app::ActionId::SearchInFiles);  // no project: the folder
    EXPECT_EQ(f.scope, app::TFindScope::fsFolder);
    ASSERT_TRUE(form->OpenProjectFile(prj));
    form->Execute(app::ActionId::SearchInFiles);
    EXPECT_EQ(f.scope, app::TFindScope::fsProject);
    compiler::TMsgForm* hits = form->HitsWindow();
    ASSERT_TRUE(hits);
    const std::vector<std::string> lines(hits->Items().begin(), hits->Items().end());
    EXPECT_EQ(lines, (std::vector<std::string>{a + "(1) : hit a", h + "(1) : hit h", "2 個のファイルで 2 件見つかりました"}));
}

}  // namespace
