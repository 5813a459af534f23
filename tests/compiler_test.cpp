// Build commands: command lines, environments and working folders; running
// the stand-in compiler; the message grammar and the jump's window match.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>

#include "FakeUi.h"
#include "TestFiles.h"
#include "compiler/Compiler.h"
#include "compiler/Msg.h"

using namespace compiler;

TEST(CompilerCommands, FormedAsTheCompilerExpectsThem) {
    // With or without a trailing slash the prefix is the same.
    EXPECT_EQ(CompilerPrefix("/t/VK"), "/t/VK/");
    EXPECT_EQ(CompilerPrefix("/t/VK/"), "/t/VK/");

    CompilerCommand c = CompileOnlyCommand("/t/VK", "/d/src/a.R");
    EXPECT_EQ(c.commandLine, "/t/VK/VKC.exe -c a.R");
    EXPECT_EQ(c.spec.args, (std::vector<std::string>{"-c", "a.R"}));
    EXPECT_EQ(c.spec.workDir, "/d/src/");
    EXPECT_EQ(c.spec.env, std::vector<std::string>{"PATH=/t/VK"});

    CompilerCommand l = CompileLinkCommand("/t/VK", "/d/my src/a b.R");
    EXPECT_EQ(l.commandLine, "/t/VK/VKC a b.R");
    EXPECT_EQ(l.spec.args, std::vector<std::string>{"a b.R"});  // one argument: blanks need no quotes
    EXPECT_EQ(l.spec.workDir, "/d/my src/");

    CompilerCommand q = QuickMakeCommand("/t/VK", "/d/p/out.RX", "/d/p/", {"/d/p/a.R", "/d/p/b.R", "/e/q/c.R"});
    EXPECT_EQ(q.commandLine, "/t/VK/VKC -o out.RX a.R b.R /e/q/c.R");
    EXPECT_EQ(q.spec.workDir, "/d/p/");
    EXPECT_EQ(q.spec.args, (std::vector<std::string>{"-o", "out.RX", "a.R", "b.R", "/e/q/c.R"}));
    // The output folder is compared in upper case, but used as it is.
    CompilerCommand q2 = QuickMakeCommand("/t/VK", "/d/P/out.RX", "/d/p/", {"/d/p/a.R"});
    EXPECT_EQ(q2.commandLine, "/t/VK/VKC -o /d/P/out.RX a.R");
    EXPECT_EQ(q2.spec.workDir, "/d/P/");

    CompilerCommand p = ProjectMakeCommand("/t/VK", "/d/p/x.RX", "/d/p/", {"a.R", "defs.H", "/e/lib/l.R", "/d/p/m.R"},
                                           {"o.RO"});
    EXPECT_EQ(p.commandLine, "/t/VK/VKC -o x.RX a.R /e/lib/l.R m.R o.RO ");
    EXPECT_EQ(p.spec.workDir, "/d/p/");
    EXPECT_EQ(p.spec.args, (std::vector<std::string>{"-o", "x.RX", "a.R", "/e/lib/l.R", "m.R", "o.RO"}));
}

TEST(CompilerCommands, FindsTheCompilerInAnyLetterCase) {
    TempDir dir;
    EXPECT_EQ(FindCompiler(""), "");
    EXPECT_EQ(FindCompiler(dir.path()), "");
    dir.Write("vkc.exe", "");
    EXPECT_EQ(FindCompiler(dir.path()), dir.File("vkc.exe"));
}

TEST(MessageGrammar, JumpTargets) {
    struct Case { const char* line; bool target; const char* file; long number; } cases[] = {
        {"sample.R(12) : error: undefined symbol", true, "sample.R", 12},
        {"abc.R(7) : warning: x", true, "abc.R", 7},
        {" d/a b.R(3) : warning: both error and warning", true, " d/a b.R", 3},
        {"a.R(1): error: no blank before the colon", true, "a.R", 1},
        {"x.R: error(5) : text", false, "", 0},                        // first ": " before "("
        {"a.R(2) : error text", true, "a.R", 2},
        {"a.R(2) : note: nothing", false, "", 0},
        {"error at a.R(2) : fatal", false, "", 0},                     // kind word before ": "
        {"no parentheses : error", false, "", 0},
        {"a.R)1( : error", false, "", 0},
    };
    for (const Case& c : cases) {
        auto t = ParseJumpTarget(c.line);
        EXPECT_EQ(t.has_value(), c.target) << c.line;
        if (t && c.target) {
            EXPECT_EQ(t->file, c.file);
            EXPECT_EQ(t->line, c.number);
        }
    }
    std::optional<std::string> bad;
    EXPECT_FALSE(ParseJumpTarget("a.R(x1) : error: y", &bad));
    EXPECT_EQ(bad, "x1");
}

TEST(MessageGrammar, CaptionMatchUsesTheLastSixCharactersIgnoringCase) {
    EXPECT_TRUE(CaptionMatches("/src/LONGNAME.R", "othername.r"));
    EXPECT_TRUE(CaptionMatches("/src/abc.R", "abc.R"));
    EXPECT_TRUE(CaptionMatches("/src/abc.R", "sub/ABC.r"));
    EXPECT_FALSE(CaptionMatches("/src/abc.R", "abd.R"));
    EXPECT_TRUE(CaptionMatches("/src/表示サンプル.r", "x/サンプル.R"));  // characters, not bytes
}

TEST(CompilerOutput, LinesSplitTabsAndNulsBecomeBlanks) {
    const char raw[] = "one\r\ntwo\rthree\nfour\tcol\n\x95\x5c\x8e\xa6\0end";
    std::string out(raw, sizeof raw - 1);
    MessageLines lines = CompilerOutputLines(out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], "three");
    EXPECT_EQ(lines[3], "four col");
    EXPECT_EQ(lines[4], "表示 end");
    EXPECT_TRUE(CompilerOutputLines("").empty());
    EXPECT_EQ(CompilerOutputLines("a\r\n\r\n").size(), 2u);
    // "\r\n" written in text mode on Windows: one line end, not two.
    EXPECT_EQ(CompilerOutputLines("a\r\r\nb\r\r\n\r\r").size(), 4u);  // a, b, "", ""
}

TEST(MessageGrammar, EmptyParenthesesAreABadNumberNotANonTarget) {
    std::optional<std::string> bad, none;
    EXPECT_FALSE(ParseJumpTarget("a.R() : error", &bad));
    EXPECT_EQ(bad, std::optional<std::string>(""));
    EXPECT_FALSE(ParseJumpTarget("a.R() : note", &none));  // no target at all: nothing to report
    EXPECT_EQ(none, std::nullopt);
}

TEST(MessageGrammar, JumpWindowPrefersTheExactNameThenThePathThenSixCharacters) {
    std::vector<std::string> windows = {"/src/LONGNAME.R", "/src/OTHERNAME.R", "/src/sub/a.r", "/x/b/a.r",
                                        "/src/合計テスト.r"};
    struct Case { const char* text; int window; } cases[] = {
        {"OTHERNAME.R", 1},     // not LONGNAME.R, first by the six characters
        {"othername.r", 1},     // ignoring case
        {"b/a.r", 3},           // the path's end, at a folder boundary
        {"/src/sub/A.R", 2},    // a full path
        {"sub/ONGNAME.R", 0},   // neither: the six characters NAME.R, first window
        {"合計テスト.r", 4},
        {"c.r", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FindJumpWindow(windows, c.text), c.window) << c.text;
}

// A Shift-JIS "表示" after a UTF-8 file name is the name as the file system
// has it; "ｺﾝﾊﾟｲﾙ" in Shift-JIS is no valid UTF-8; nor is a cut UTF-8 character.
TEST(CompilerOutput, EachLineIsUtf8WhenItIsValidUtf8ElseShiftJis) {
    MessageLines lines = CompilerOutputLines(
        "合計テスト.r(9) : error: x\r\n\x95\x5c\x8e\xa6\n\xba\xdd\xca\xdf\xb2\xd9\nplain\n\xe5\x90\n"
        "合計.r(1) : error: \x95\x5c\x8e\xa6");
    using V = std::vector<std::string>;
    EXPECT_EQ(V(lines.begin(), lines.end()),
              (V{"合計テスト.r(9) : error: x", "表示", "ｺﾝﾊﾟｲﾙ", "plain", std::string(lines[4]), "合計.r(1) : error: 表示"}));
    EXPECT_NE(lines[4], "\xe5\x90");  // decoded, visibly
}

TEST(CompilerOutput, MessageLinesFindEveryLineByIndexAndInOrder) {
    // Runs of short lines, empty ones and lines long enough to force marks
    // by size as well as by count.
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) lines.push_back(i % 97 == 0 ? std::string(70000 + i, 'L') : i % 5 ? std::to_string(i) : "");
    MessageLines store;
    for (const std::string& l : lines) store.push_back(l);
    ASSERT_EQ(store.size(), lines.size());
    for (size_t i = 0; i < lines.size(); i += 7) EXPECT_EQ(store[i], lines[i]) << i;
    EXPECT_TRUE(std::equal(store.begin(), store.end(), lines.begin(), lines.end()));
    EXPECT_EQ(store.back(), lines.back());
}

TEST(CompilerOutput, ListedTextStopsAtFourKilobytesOfWholeCharacters) {
    EXPECT_EQ(ListedText("short"), "short");
    std::string exact(kListedBytes, 'a');
    EXPECT_EQ(ListedText(exact), exact);
    std::string longLine = std::string(kListedBytes - 1, 'a') + "表" + std::string(1 << 20, 'b');
    EXPECT_EQ(ListedText(longLine), std::string(kListedBytes - 1, 'a') + "…");  // "表" would end past the limit
}

namespace {

// A compiler folder of its own, with the stand-in and a configuration.
struct StandIn {
    TempDir dir;
    explicit StandIn(const std::string& config = "") {
        std::filesystem::copy_file(VKC_STANDIN, dir.File("VKC.EXE"));
        dir.Write("VKC.CFG", config);
    }
};

}  // namespace

TEST(RunCompiler, ReportsTheMistakesOfASource) {
    StandIn vkc;
    TempDir src;
    std::string file = src.Write("bad.r", "int main()\r\n{\r\n\tint a = 1\r\n\tstring s = \"open;\r\n}\r\n");
    FakeUi ui;
    CompilerRun run = RunCompiler(CompileLinkCommand(vkc.dir.path(), file), ui);
    ASSERT_EQ(run.end, CompilerRun::End::Finished);
    const std::string* out = &run.output;
    EXPECT_NE(out->find("bad.r(3) : error: ';' expected"), std::string::npos) << *out;
    EXPECT_NE(out->find("bad.r(4) : error: unterminated string"), std::string::npos) << *out;
    EXPECT_FALSE(std::filesystem::exists(src.File("bad.RX")));

    std::string good = src.Write("good.r", "int main()\r\n{\r\n\treturn 0;\r\n}\r\n");
    run = RunCompiler(CompileOnlyCommand(vkc.dir.path(), good), ui);
    ASSERT_EQ(run.end, CompilerRun::End::Finished);
    EXPECT_NE(out->find("0 error(s)"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(src.File("good.RO")));  // written in the source's folder
}

TEST(RunCompiler, FloodArrivesWholeWhileTheUiStaysLive) {
    StandIn vkc("flood=20000000\r\nsjis=1\r\n");
    TempDir src;
    std::string file = src.Write("f.r", "int x;\r\n");
    FakeUi ui;
    CompilerRun run = RunCompiler(CompileLinkCommand(vkc.dir.path(), file), ui);
    ASSERT_EQ(run.end, CompilerRun::End::Finished);
    EXPECT_GE(run.output.size(), 20000000u);
    EXPECT_GT(ui.processEventsCalls, 0);
    MessageLines lines = CompilerOutputLines(run.output);
    EXPECT_EQ(lines.back(), "エラー 0 個、警告 0 個");  // the very last line came through, decoded
}

TEST(RunCompiler, SlowCompilerCanBeAborted) {
    StandIn vkc("sleep=10000\r\n");
    TempDir src;
    std::string file = src.Write("s.r", "int x;\r\n");
    FakeUi ui;
    bool abort = false;
    auto start = std::chrono::steady_clock::now();
    // Pending events are processed while waiting; one of them aborts.
    struct AbortingUi : FakeUi {
        bool* flag;
        void ProcessEvents() override {
            if (++processEventsCalls == 20) *flag = true;
        }
    } aborting;
    aborting.flag = &abort;
    CompilerRun run = RunCompiler(CompileLinkCommand(vkc.dir.path(), file), aborting, &abort);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(run.end, CompilerRun::End::Stopped);
    EXPECT_LT(seconds, 5.0);
    EXPECT_NE(run.output.find("stand-in"), std::string::npos);  // what it wrote before the end is kept
}

TEST(RunCompiler, MissingProgramStartsNothing) {
    TempDir empty;
    FakeUi ui;
    CompilerCommand c = CompileLinkCommand(empty.path(), empty.File("a.r"));
    EXPECT_EQ(RunCompiler(c, ui).end, CompilerRun::End::NotStarted);
}

namespace {

// A compiler folder whose VKC.EXE is the given file.
struct ScriptCompiler {
    TempDir dir;
    explicit ScriptCompiler(const std::string& body, std::filesystem::perms mode = std::filesystem::perms::owner_all) {
        dir.Write("VKC.EXE", body);
        std::filesystem::permissions(dir.File("VKC.EXE"), mode);
    }
};

// Records the longest wait between two turns of the user interface, and
// stops the build at a given turn.
struct TimingUi : FakeUi {
    bool* stop = nullptr;
    int stopAt = -1;
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
    double longestGapMs = 0;
    void ProcessEvents() override {
        auto now = std::chrono::steady_clock::now();
        longestGapMs = std::max(longestGapMs, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        if (++processEventsCalls == stopAt && stop) *stop = true;
    }
};

// Whether a process is gone (or only a zombie waiting for its parent) within
// a moment: a killed process closes its files before it is done dying.
bool Gone(const std::string& pid) {
    for (int i = 0; i < 50; ++i) {
        std::string stat = TempDir::Read("/proc/" + pid + "/stat");
        size_t close = stat.rfind(')');
        if (stat.empty() || (close != std::string::npos && stat.compare(close + 2, 1, "Z") == 0)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace

TEST(RunCompiler, ItsWholeGroupEndsWithItAndTheUiIsNeverStarved) {
    // Background children note their ids in "pids" in the working folder.
    // stopAt: the turn of the user interface that stops the build (-1: none);
    // output: what the output starts with.
    struct Case { const char *name, *script; int stopAt; CompilerRun::End end; const char* output;
                  double minSeconds, maxSeconds; } cases[] = {
        {"leftover writer", "/usr/bin/yes x & echo $! >> pids\nexit 0\n", -1, CompilerRun::End::Finished, "", 0, 5},
        {"leftover sleeper", "echo done\n/bin/sleep 30 & echo $! >> pids\nexit 0\n", -1, CompilerRun::End::Finished,
         "done\n", 0, 5},
        {"endless output", "exec /usr/bin/yes x\n", -1, CompilerRun::End::CutOff, "x\nx\n", 0, 10},
        {"stopped", "/bin/sleep 30 & echo $! >> pids\necho started\n/bin/sleep 30\n", 20, CompilerRun::End::Stopped,
         "started\n", 0, 5},
        {"stopped, deaf to TERM", "trap '' TERM\n/bin/sleep 30 & echo $! >> pids\necho started\n/bin/sleep 30\n", 20,
         CompilerRun::End::Stopped, "started\n", kStopGraceMs / 1000.0, kStopGraceMs / 1000.0 + 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptCompiler vkc(std::string("#!/bin/sh\n") + c.script);
        TempDir src;
        bool stop = false;
        TimingUi ui;
        ui.stop = &stop, ui.stopAt = c.stopAt;
        auto start = std::chrono::steady_clock::now();
        CompilerRun run = RunCompiler(CompileLinkCommand(vkc.dir.path(), src.File("a.r")), ui, &stop);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(run.end, c.end);
        EXPECT_EQ(run.output.compare(0, std::strlen(c.output), c.output), 0) << run.output.substr(0, 40);
        EXPECT_GE(seconds, c.minSeconds);
        EXPECT_LT(seconds, c.maxSeconds);
        // Serviced every 50 ms by design; the wide margin keeps a loaded
        // machine from failing it while a frozen interface still does.
        EXPECT_LT(ui.longestGapMs, 500);
        if (c.end == CompilerRun::End::CutOff) {
            EXPECT_EQ(run.output.size(), kOutputLimit);
        }
        std::istringstream pids(TempDir::Read(src.File("pids")));
        int children = 0;
        for (std::string pid; std::getline(pids, pid); ++children) EXPECT_TRUE(Gone(pid)) << "survivor " << pid;
        EXPECT_EQ(children == 0, c.end == CompilerRun::End::CutOff);
    }
}

TEST(RunCompiler, WhyItCouldNotStartIsTheSystemsReason) {
    using P = std::filesystem::perms;
    struct Case { const char* body; P mode; const char* reason; } cases[] = {
        {"#!/bin/sh\necho hi\n", P::owner_read | P::owner_write, "Permission denied"},
        {"MZ\x90 a Windows program", P::owner_all, "Exec format error"},
    };
    FakeUi ui;
    for (const Case& c : cases) {
        ScriptCompiler vkc(c.body, c.mode);
        CompilerCommand command = CompileLinkCommand(vkc.dir.path(), vkc.dir.File("a.r"));
        CompilerRun run = RunCompiler(command, ui);
        EXPECT_EQ(run.end, CompilerRun::End::NotStarted);
        EXPECT_EQ(run.error, c.reason);
        EXPECT_EQ(CompilerRunNotice(command, run), command.commandLine + " を起動できません: " + c.reason);
    }
}

// Every message names the line the editor shows: line breaks of any style,
// literals continued by a final backslash, Shift-JIS trail bytes 0x5C and
// conditions spanning lines.
TEST(RunCompiler, MessagesNameTheLinesTheEditorShows) {
    const std::string semi = " : error: ';' expected at end of statement";
    const std::string assign = " : warning: assignment used as a condition";
    struct Case { const char* source; std::vector<std::string> messages; } cases[] = {
        // Line breaks: CR LF, LF and CR are each one.
        {"int f()\r{\r\tint a = 1\r}\r", {"t.r(3)" + semi}},
        {"a();\rb();\nc();\r\nd()\n", {"t.r(4)" + semi}},
        {"/* a\r b */\r// c\rint a = 1\r", {"t.r(4)" + semi}},
        {"int a;\r/* open\r\r", {"t.r(2) : error: unterminated comment"}},
        // A backslash ending a line inside a literal: the literal goes on, the line is counted.
        {"s = \"a\\\nb\";\nint a = 1\n", {"t.r(3)" + semi}},
        {"s = \"a\\\r\nb\";\r\nint a = 1\r\n", {"t.r(3)" + semi}},
        {"s = \"a\\\rb\\\rc\";\rint a = 1\r", {"t.r(4)" + semi}},
        {"int a;\ns = \"a\\\nb;\nint c = 1;\n", {"t.r(2) : error: unterminated string literal"}},
        // Double-byte characters: a trail byte 0x5C (表, ソ) is no backslash; a
        // lead byte at the end of a line does not take the line break.
        {"/* \x95\x5c\n*/ c = '\x83\x5c';\ns = \"\x95\x5c\";\n// \x95\x5c\nint a = 1\n", {"t.r(5)" + semi}},
        {"s = \"x\x81\nint a = 1\n", {"t.r(1) : error: unterminated string literal", "t.r(2)" + semi}},
        // Conditions spanning lines: no ';' before the parentheses close, and
        // an assignment reported where its '=' is.
        {"if (a == 1 &&\n    b = 2)\n\tx();\n", {"t.r(2)" + assign}},
        {"if (a) {\n} else if (b &&\n\tc\n\t= d)\n\tx();\n", {"t.r(4)" + assign}},
        {"while (a &&\n\tb\n\t)\n\tx();\nfor (i = 0;\n     i < n;\n     i++)\n\tx();\n", {}},
        {"if (f(a)) g(b = 1);\nif (a) x = 1\n", {"t.r(2)" + semi}},
        // The end-of-file byte: a final one is no text, any other is.
        {"int a;\r\n\x1A\r\n", {}},
        {"int a;\r\n\x1A;x\r\n", {"t.r(2)" + semi}},
    };
    StandIn vkc;
    FakeUi ui;
    for (const Case& c : cases) {
        TempDir src;
        CompilerRun run = RunCompiler(CompileOnlyCommand(vkc.dir.path(), src.Write("t.r", c.source)), ui);
        ASSERT_EQ(run.end, CompilerRun::End::Finished);
        std::vector<std::string> messages;
        for (std::string_view line : CompilerOutputLines(run.output))
            if (line.rfind("t.r(", 0) == 0) messages.emplace_back(line);
        EXPECT_EQ(messages, c.messages) << c.source;
    }
}
