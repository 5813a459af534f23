#include "platform/Path.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

TEST(Path, SplitsFolderNameAndExtension) {
    struct Case {
        const char *path, *folder, *name, *ext;
    } cases[] = {
        {"/home/u/a.R", "/home/u/", "a.R", ".R"},
        {"/x.y/z", "/x.y/", "z", ""},  // a dot in a folder name is no extension
        {"src.d/lib.tar.gz", "src.d/", "lib.tar.gz", ".gz"},
        {"dir/", "dir/", "", ""},
        {"/", "/", "", ""},
        {"", "", "", ""},
        {"noslash.h", "", "noslash.h", ".h"},
        {"a/.hidden", "a/", ".hidden", ".hidden"},
        {"a/b.", "a/", "b.", "."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
        EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
    }
    EXPECT_EQ(ChangeFileExt("a/b.R", ".RO"), "a/b.RO");
    EXPECT_EQ(ChangeFileExt("a.b/c", ".R"), "a.b/c.R");
    EXPECT_EQ(ChangeFileExt("x.tar.gz", ""), "x.tar");
}

TEST(Path, CaseRulesAreAsciiOnly) {
    EXPECT_EQ(UpperCase("vkc.exe/ä"), "VKC.EXE/ä");
    EXPECT_TRUE(SameText("Define.Txt", "DEFINE.TXT"));
    EXPECT_FALSE(SameText("ä", "Ä"));
    EXPECT_FALSE(SameText("a.R", "a.RO"));
}

TEST(Path, DelimitersAndJoining) {
    struct Case {
        const char *in, *included, *excluded;
    } cases[] = {
        {"/a/b", "/a/b/", "/a/b"}, {"/a/b/", "/a/b/", "/a/b"}, {"/a//", "/a//", "/a"},
        {"/", "/", "/"},           {"//", "//", "/"},          {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IncludeTrailingPathDelimiter(c.in), c.included) << c.in;
        EXPECT_EQ(ExcludeTrailingPathDelimiter(c.in), c.excluded) << c.in;
    }
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(JoinPath("/", "b"), "/b");
    EXPECT_EQ(JoinPath("", "b"), "b");
}

TEST(Path, WindowsPathsAreRecognisedAndNeverNameAFile) {
    const std::tuple<const char*, bool, bool> cases[] = {  // path, Windows, Windows absolute
        {"D:\\x\\a.R", true, true}, {"e:", true, true},       {"\\lib\\u.R", true, true},
        {"sub\\a.R", true, false},   {"/w/src/a.R", false, false}, {"a.R", false, false},
        {"http://x/", false, false},  {"", false, false},          {"/w/表.R", false, false},
    };
    for (auto [path, windows, absolute] : cases) {
        EXPECT_EQ(IsWindowsPath(path), windows) << path;
        EXPECT_EQ(IsWindowsAbsolutePath(path), absolute) << path;
    }
}

class PathFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/vkb-path-XXXXXX";
        ASSERT_NE(::mkdtemp(templ), nullptr);
        root_ = std::string(templ) + "/tools.v2";  // dotted folder name
        ASSERT_EQ(::mkdir(root_.c_str(), 0755), 0);
        for (const char* name : {"VKC.cfg", "Vkc.Cfg", "Define.Txt", "DEFINE.TXT", "plain"}) Touch(name);
        ASSERT_EQ(::mkdir((root_ + "/KeyDef.txt").c_str(), 0755), 0);  // a folder, not a file
        ASSERT_EQ(::symlink("plain", (root_ + "/Linked.H").c_str()), 0);
        base_ = templ;
    }
    void TearDown() override { std::system(("rm -rf '" + base_ + "'").c_str()); }
    void Touch(const std::string& name) { std::ofstream(root_ + "/" + name) << "x"; }

    std::string base_, root_;
};

TEST_F(PathFolder, FindsFixedFilesIgnoringCase) {
    struct Case {
        const char* name;
        const char* found;  // nullptr: none
    } cases[] = {
        {"Define.Txt", "Define.Txt"},  // exact spelling wins over another match
        {"define.txt", "DEFINE.TXT"},  // otherwise the first in byte order
        {"VKC.CFG", "VKC.cfg"},
        {"linked.h", "Linked.H"},      // a link to a file is a file
        {"KEYDEF.TXT", nullptr},       // a folder is not
        {"missing", nullptr},
        {"tools.v2/plain", nullptr},
        {"", nullptr},
    };
    for (const std::string& folder : {root_, root_ + "/"}) {
        for (const Case& c : cases) {
            auto found = FindFileInFolder(folder, c.name);
            if (c.found) {
                ASSERT_TRUE(found.has_value()) << c.name;
                EXPECT_EQ(*found, root_ + "/" + c.found);
            } else {
                EXPECT_FALSE(found.has_value()) << c.name;
            }
        }
    }
    EXPECT_EQ(ResolveFixedFile(root_, "vkc.cfg"), root_ + "/VKC.cfg");
    EXPECT_EQ(ResolveFixedFile(root_, "VKBUILD.INI"), root_ + "/VKBUILD.INI");
    EXPECT_FALSE(FindFileInFolder(root_ + "/nope", "plain").has_value());
}

// What the desktop's opener would start rather than show.
TEST_F(PathFolder, ProgramsOfEveryKindAreToldFromDocuments) {
    ASSERT_EQ(::chmod((root_ + "/plain").c_str(), 0755), 0);
    Touch("notes.txt");
    const std::pair<std::string, bool> cases[] = {
        {root_ + "/plain", true},  // executable whatever its name
        {root_ + "/Linked.H", true},
        {"file://" + root_ + "/plain", true},
        {"file://localhost" + root_ + "/pl%61in", true},
        {"file://other/doc.txt", true},
        {root_ + "/notes.txt", false},
        {"file://" + root_ + "/notes.txt", false},
        {root_ + "/KeyDef.txt", false},  // a folder opens in the file manager
        {"/x/setup.exe", true}, {"/x/run.Bat", true}, {"/x/a.com", true}, {"/x/a.PIF", true},
        {"/x/app.desktop", true},
        {"ssh://host/", true}, {"javascript:x", true}, {"smb://host/share", true},
        {"http://example.com/a.exe.html", false}, {"HTTPS://example.com/", false}, {"mailto:a@b", false},
        {"/x/missing.txt", false},
    };
    for (const auto& [target, program] : cases) EXPECT_EQ(StartsProgram(target), program) << target;
}

TEST_F(PathFolder, ExistenceChecks) {
    const std::tuple<std::string, bool, bool> cases[] = {  // path, file, folder
        {root_ + "/plain", true, false}, {root_ + "/Linked.H", true, false}, {root_ + "/KeyDef.txt", false, true},
        {root_ + "/", false, true},      {root_ + "/none", false, false},    {"", false, false},
    };
    for (const auto& [path, file, folder] : cases) {
        EXPECT_EQ(FileExists(path), file) << path;
        EXPECT_EQ(DirectoryExists(path), folder) << path;
    }
}

TEST_F(PathFolder, AbsolutePathsDropDotsAndFollowLinksBeforeDotDot) {
    // A link into a deeper folder: its ".." is that folder's parent, not root_.
    ASSERT_EQ(::mkdir((root_ + "/KeyDef.txt/sub").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("KeyDef.txt/sub", (root_ + "/inner").c_str()), 0);
    char real[PATH_MAX];
    ASSERT_NE(::realpath(root_.c_str(), real), nullptr);
    const std::string r = real;
    const std::tuple<std::string, std::string, std::string> cases[] = {  // path, folder, absolute
        {"a.r", "/w", "/w/a.r"},
        {"./x//y/./表ソ.R", "/w/", "/w/x/y/表ソ.R"},
        {"/abs/./a.r", "/w", "/abs/a.r"},
        {"", "/w", "/w"},
        {".", "/", "/"},
        {"inner/../plain", root_, r + "/KeyDef.txt/plain"},
        {"..", root_ + "/KeyDef.txt", r},
        {"none/../a.r", root_, root_ + "/none/../a.r"},  // nothing to follow: kept as written
    };
    for (const auto& [path, folder, absolute] : cases) EXPECT_EQ(AbsolutePath(path, folder), absolute) << path;
}

TEST(Path, ProgramFolderHoldsTheRunningProgram) {
    std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(FileExists(folder + program_invocation_short_name));
}

}  // namespace
