// Windows paths and wine: conversion both ways through a prefix's drive
// links, paths in files brought from Windows, and how a Windows program's
// process is formed.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "TestFiles.h"
#include "app/Settings.h"
#include "platform/IniFile.h"
#include "compiler/Msg.h"
#include "platform/Wine.h"
#include "project/ProjectModel.h"

namespace {

platform::WineDrives Drives() {
    platform::WineDrives d = platform::WineDrives::Default();  // Z: is /
    d.Map('c', "/home/u/.wine/dosdevices/../drive_c");
    d.Map('D', "/srv/data/");
    d.Map('e', "/srv/data/lib");  // inside D:'s folder: the longer folder wins
    return d;
}

}  // namespace

TEST(WinePath, ConversionBothWays) {
    const platform::WineDrives d = Drives();
    struct Row {
        const char* local;
        const char* windows;
    };
    // Each row converts both ways.
    for (const Row& r : std::initializer_list<Row>{
             {"/home/u/src/a.R", "Z:\\home\\u\\src\\a.R"},
             {"/home/u/src/", "Z:\\home\\u\\src\\"},
             {"/", "Z:\\"},
             {"/home/u/.wine/drive_c/vk/VKC.EXE", "C:\\vk\\VKC.EXE"},
             {"/srv/data/work/x.R", "D:\\work\\x.R"},
             {"/srv/data/lib/util.R", "E:\\util.R"},
         }) {
        EXPECT_EQ(d.ToWindows(r.local).value_or("-"), r.windows) << r.local;
        EXPECT_EQ(d.ToLocal(r.windows).value_or("-"), r.local) << r.windows;
    }
    // Letter case of the drive and "/" between names are taken as Windows does.
    EXPECT_EQ(d.ToLocal("d:/work/x.R").value_or("-"), "/srv/data/work/x.R");
    EXPECT_EQ(d.ToLocal("z:\\a\\..\\b").value_or("-"), "/b");
    // No drive, an unmapped one, UNC and relative names are no local paths.
    for (const char* none : {"F:\\x.R", "\\\\server\\share\\a.R", "a.R", "sub\\a.R", "\\a.R", "D:a.R"})
        EXPECT_FALSE(d.ToLocal(none)) << none;
    EXPECT_FALSE(d.ToWindows("a.R"));
    platform::WineDrives noZ;
    noZ.Map('c', "/c");
    EXPECT_FALSE(noZ.ToWindows("/home/u/a.R"));
}

TEST(WinePath, PrefixLinksAndLetterCase) {
    TempDir t;
    namespace fs = std::filesystem;
    fs::create_directories(t.File("pfx/dosdevices"));
    fs::create_directories(t.File("pfx/drive_c"));
    fs::create_directories(t.File("Work/Src"));
    fs::create_directory_symlink("../drive_c", t.File("pfx/dosdevices/c:"));
    fs::create_directory_symlink("/", t.File("pfx/dosdevices/z:"));
    fs::create_directory_symlink(t.File("Work"), t.File("pfx/dosdevices/d:"));
    fs::create_symlink("/dev/null", t.File("pfx/dosdevices/d::"));  // a device, no drive
    t.Write("Work/Src/Main.R", "");
    const platform::WineDrives d = platform::WineDrives::Read(t.File("pfx"));
    EXPECT_EQ(d.Folder('c'), t.File("pfx/drive_c/"));
    EXPECT_EQ(d.Folder('Z'), "/");
    EXPECT_EQ(d.ToWindows(t.File("Work/Src/Main.R")).value_or("-"), "D:\\Src\\Main.R");
    // A message from Windows in other letters finds the file as it is spelt.
    EXPECT_EQ(compiler::LocalFileText("D:\\SRC\\main.r", d), t.File("Work/Src/Main.R"));
    EXPECT_EQ(compiler::LocalFileText(" sub\\a.R ", d), "sub/a.R");
    EXPECT_EQ(compiler::LocalFileText("a.R", d), "a.R");
    EXPECT_EQ(compiler::LocalFileText("\\\\server\\s\\a.R", d), "\\\\server\\s\\a.R");
    EXPECT_EQ(platform::MatchPathCase(t.File("work/src/MAIN.r")), t.File("Work/Src/Main.R"));
    EXPECT_EQ(platform::MatchPathCase(t.File("work/none.r")), t.File("work/none.r"));
    EXPECT_TRUE(platform::WinePrefixNeedsSetup(t.File("pfx")));
}

TEST(WinePath, PathsOfFilesFromWindows) {
    TempDir t;
    namespace fs = std::filesystem;
    fs::create_directories(t.File("work/src"));
    fs::create_directories(t.File("work/lib"));
    const std::string base = t.File("work/");
    platform::WineDrives d = platform::WineDrives::Default();
    // Rule 2: the base folder's name found in the path; rule 3: below the drive.
    EXPECT_EQ(platform::ResolveWindowsPath("D:\\work\\src\\", base, d).value_or("-"), t.File("work/src/"));
    EXPECT_EQ(platform::ResolveWindowsPath("D:\\Work\\SRC\\", base, d).value_or("-"), t.File("work/src/"));
    EXPECT_EQ(platform::ResolveWindowsPath("D:\\work\\sample.RX", base, d).value_or("-"), t.File("work/sample.RX"));
    EXPECT_EQ(platform::ResolveWindowsPath("E:\\lib\\util.R", base, d).value_or("-"), t.File("work/lib/util.R"));
    EXPECT_EQ(platform::ResolveWindowsPath("sub\\a.R", base, d).value_or("-"), t.File("work/sub/a.R"));
    EXPECT_FALSE(platform::ResolveWindowsPath("\\\\server\\share\\a.R", base, d));
    // Rule 1: a mapped drive that holds the file comes first.
    t.Write("work/lib/util.R", "");
    d.Map('e', t.File("work"));
    EXPECT_EQ(platform::ResolveWindowsPath("E:\\lib\\util.R", t.File("elsewhere/"), d).value_or("-"),
              t.File("work/lib/util.R"));
    EXPECT_EQ(platform::HomeShortened("/home/u/work/src/", [](const char*) { return std::string("/home/u"); }),
              "~/work/src/");
}

TEST(WinePath, NewEntriesTakeTheFormTheProjectUses) {
    TempDir t;
    std::filesystem::create_directories(t.File("work/src"));
    project::ProjectModel m;
    m.projectFile = t.File("work/sample.PRJ");
    m.sourceFolder = "D:\\work\\src\\";
    EXPECT_EQ(m.SourceDir(), t.File("work/src/"));
    EXPECT_EQ(m.StoredForm(t.File("work/src/b.R")), "b.R");
    EXPECT_EQ(m.StoredForm(t.File("work/lib/c.R")), "D:\\work\\lib\\c.R");
    EXPECT_EQ(m.StoredPath("/opt/x/d.txt"), "Z:\\opt\\x\\d.txt");
    ASSERT_EQ(m.TakeWindowsPathsResolved().size(), 1u);  // told once, however often used
    m.sourceFolder = t.File("work/src/");
    EXPECT_EQ(m.StoredForm(t.File("work/lib/c.R")), t.File("work/lib/c.R"));
}

TEST(WineProcess, AWindowsProgramRunsThroughWineInWindowsForm) {
    TempDir t;
    const std::string exe = t.Write("VKC.EXE", std::string("MZ\x90\0", 4) + std::string(200, '\0'));
    const std::string elf = t.Write("vkc", "\x7F" "ELF");
    EXPECT_TRUE(platform::IsWindowsProgram(exe));
    EXPECT_FALSE(platform::IsWindowsProgram(elf));
    EXPECT_FALSE(platform::IsWindowsProgram32(exe));  // no PE header at all

    std::map<std::string, std::string> vars = {{"HOME", "/home/u"}, {"DISPLAY", ":1"}, {"LANG", "C"}, {"SECRET", "x"},
                                                 {"PATH", "/usr/bin:/bin"}};
    platform::EnvLookup env = [&](const char* n) { return vars.count(n) ? vars[n] : std::string(); };
    platform::ProcessSpec spec;
    spec.program = exe;
    spec.args = {"-o", "/home/u/out.RX", "a.R", "sub/b.R"};
    spec.env = {"PATH=/opt/vk"};
    spec.workDir = "/home/u/src/";
    platform::ProcessSpec w = platform::ThroughWine(spec, "/usr/bin/wine", platform::WineDrives::Default(), env, true);
    EXPECT_EQ(w.program, "/usr/bin/wine");
    EXPECT_EQ(w.args, (std::vector<std::string>{exe, "-o", "Z:\\home\\u\\out.RX", "a.R", "sub/b.R"}));
    EXPECT_EQ(w.workDir, "/home/u/src/");
    EXPECT_EQ(w.env, (std::vector<std::string>{"WINEPATH=Z:\\opt\\vk\\", "PATH=/usr/bin:/bin", "=Z:=Z:\\home\\u\\src\\",
                                               "HOME=/home/u", "DISPLAY=:1", "WINEDEBUG=-all"}));

    // Without wine, or a 32-bit program without 32-bit wine: what to install.
    EXPECT_EQ(platform::WineMissingMessage(exe, ""),
              "VKC.EXE は Windows のプログラムです。wine をインストールしてください (apt-get install wine)");
    std::string pe = std::string("MZ") + std::string(0x3A, '\0') + std::string("\x40\0\0\0", 4) +
                     std::string("PE\0\0\x4C\x01", 6) + std::string(64, '\0');
    const std::string exe32 = t.Write("OLD.EXE", pe);
    EXPECT_TRUE(platform::IsWindowsProgram32(exe32));
    const std::string wine64only = t.Write("wine", "#!/bin/sh\nwine32=" + t.File("none") + "\nwine64=x\n");
    EXPECT_NE(platform::WineMissingMessage(exe32, wine64only).find("wine32 をインストールしてください"), std::string::npos);
    EXPECT_EQ(platform::WineMissingMessage(exe, wine64only), "");
}

TEST(WinePath, SettingsFromWindowsAreUsedHereAndWrittenBackAsStored) {
    TempDir t;
    std::filesystem::create_directories(t.File("VK"));
    const std::string text = "[VKC]\r\nPATH=C:\\VK\\\r\nHELP=C:\\VK\\VKDK.HLP\r\n[FILES]\r\nRECENT01=D:\\src\\a.R\r\n";
    platform::IniFile in;
    in.LoadFromBytes(text);
    app::TSettings s;
    s.Read(in, t.path() + "/");
    EXPECT_EQ(s.compilerFolder, t.File("VK/"));
    EXPECT_EQ(s.helpFile, t.File("VK/VKDK.HLP"));
    ASSERT_EQ(s.recentFiles.size(), 1u);
    EXPECT_EQ(s.recentFiles[0], t.File("src/a.R"));
    platform::IniFile out;
    out.LoadFromBytes(text);
    s.Write(out);
    EXPECT_EQ(out.ReadString("VKC", "PATH", ""), "C:\\VK\\");
    EXPECT_EQ(out.ReadString("VKC", "HELP", ""), "C:\\VK\\VKDK.HLP");
    EXPECT_EQ(out.ReadString("FILES", "RECENT01", ""), "D:\\src\\a.R");
    s.helpFile = "/elsewhere/b.HLP";  // a value changed here is written as it is now
    s.Write(out);
    EXPECT_EQ(out.ReadString("VKC", "HELP", ""), "/elsewhere/b.HLP");
}
