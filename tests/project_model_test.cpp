// ProjectModel and its .PRJ file: counts, entry keys, the order and manner
// of writing, and resolving source entries.
#include <gtest/gtest.h>

#include <string>

#include "platform/IniFile.h"
#include "project/ProjectModel.h"

using project::EntryList;
using project::ProjectModel;

namespace {

platform::IniFile Ini(const std::string& bytes) {
    platform::IniFile ini;
    ini.LoadFromBytes(bytes);
    return ini;
}

std::string Entries(const char* prefix, int n) {
    std::string s;
    for (int i = 1; i <= n; ++i) s += prefix + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=e" + std::to_string(i) + "\r\n";
    return s;
}

}  // namespace

TEST(ProjectFile, CountsAreReadWithinZeroTo99AndOddOnesAreReported) {
    struct Case { const char* count; size_t read; bool reported; } cases[] = {  // count nullptr: no RCNT key
        {nullptr, 0, false}, {"", 0, false},       {"0", 0, false},          {"3", 3, false},
        {"99", 99, false},   {"100", 99, true},    {"150", 99, true},        {"999999999", 99, true},
        {"99999999999999999999", 99, true},        {"-5", 0, true},          {"abc", 0, true},
        {"$10", 16, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count ? c.count : "(none)");
        std::string file = "[R]\r\n" + (c.count ? "RCNT=" + std::string(c.count) + "\r\n" : "") + Entries("r", 150);
        ProjectModel m;
        std::vector<std::string> problems = m.Read(Ini(file));
        const auto& sources = m.List(EntryList::Sources);
        ASSERT_EQ(sources.size(), c.read);
        if (c.read) {
            EXPECT_EQ(sources.back(), "e" + std::to_string(c.read));
        }
        EXPECT_EQ(!problems.empty(), c.reported);
    }
    // Every list has its own count; entries beyond the keys read as empty.
    ProjectModel m;
    m.Read(Ini("[RO]\r\nROCNT=2\r\nro01=x.RO\r\n[DOC]\r\nDOCCNT=1\r\nDOC01=d.txt\r\n[REF]\r\nREFCNT=1\r\nREF01=http://x/\r\n"));
    EXPECT_EQ(m.List(EntryList::Objects), (std::vector<std::string>{"x.RO", ""}));
    EXPECT_EQ(m.List(EntryList::Documents), std::vector<std::string>{"d.txt"});
    EXPECT_EQ(m.List(EntryList::References), std::vector<std::string>{"http://x/"});
    EXPECT_TRUE(m.name.empty());
    EXPECT_TRUE(m.sourceFolder.empty());
}

TEST(ProjectFile, FirstWriteHoldsTheSectionsInStepOrder) {
    ProjectModel m;
    m.name = "サンプル";
    m.executable = "/w/sample.RX";
    m.sourceFolder = "/w/src/";
    m.Add(EntryList::Sources, "main.R");
    m.Add(EntryList::Sources, "/lib/util.R");
    for (int i = 0; i < 10; ++i) m.Add(EntryList::Documents, "d" + std::to_string(i));
    platform::IniFile ini;
    EXPECT_TRUE(m.Write(ini).empty());
    EXPECT_EQ(ini.ToBytes(),
              "[PROJECT]\r\nName=\x83\x54\x83\x93\x83\x76\x83\x8B\r\nRX=/w/sample.RX\r\n\r\n"
              "[R]\r\nDIR=/w/src/\r\nRCNT=2\r\nr01=main.R\r\nr02=/lib/util.R\r\n\r\n"
              "[RI]\r\nINSTALL=\r\n\r\n[RO]\r\nROCNT=0\r\n\r\n"
              "[DOC]\r\nDOCCNT=10\r\n"
              "DOC01=d0\r\nDOC02=d1\r\nDOC03=d2\r\nDOC04=d3\r\nDOC05=d4\r\nDOC06=d5\r\nDOC07=d6\r\nDOC08=d7\r\n"
              "DOC09=d8\r\nDOC10=d9\r\n\r\n[REF]\r\nREFCNT=0\r\n");
    // What Shift-JIS cannot hold is named.
    m.name = "\xF0\x9F\x98\x80";
    EXPECT_EQ(m.Write(ini), std::vector<std::string>{"PROJECT/Name"});
}

TEST(ProjectFile, RewritingReplacesInPlaceAndNeverDeletes) {
    // A hand-edited file: comments, unknown keys and sections, Windows paths.
    std::string original =
        "; mine\r\n[PROJECT]\r\nName=p\r\nExtra=1\r\nRX=D:\\work\\p.RX\r\n[R]\r\nDIR=D:\\work\\src\\\r\nRCNT=5\r\n" +
        Entries("r", 5) + "[OTHER]\r\nk=v\r\n";
    platform::IniFile ini = Ini(original);
    ProjectModel m;
    EXPECT_TRUE(m.Read(ini).empty());  // Windows paths are told when they would be opened
    EXPECT_EQ(m.executable, "D:\\work\\p.RX");
    EXPECT_EQ(m.ResolveSourcePath(m.List(EntryList::Sources)[0]), "D:\\work\\src\\e1");

    m.RemoveAll(EntryList::Sources, "e5");
    m.RemoveFirst(EntryList::Sources, "e2");
    m.Write(ini);
    std::string bytes = ini.ToBytes();
    EXPECT_NE(bytes.find("; mine\r\n[PROJECT]\r\nName=p\r\nExtra=1\r\nRX=D:\\work\\p.RX\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("RCNT=3\r\nr01=e1\r\nr02=e3\r\nr03=e4\r\nr04=e4\r\nr05=e5\r\n[OTHER]\r\nk=v\r\n"),
              std::string::npos);
    ProjectModel back;
    back.Read(Ini(bytes));
    EXPECT_EQ(back.List(EntryList::Sources), (std::vector<std::string>{"e1", "e3", "e4"}));
    EXPECT_EQ(back.sourceFolder, m.sourceFolder);

    // Writing has no cap: r100 is written, reading stops at 99.
    for (int i = 0; i < 100; ++i) m.Add(EntryList::Objects, "o" + std::to_string(i) + ".RO");
    m.Write(ini);
    EXPECT_NE(ini.ToBytes().find("ro100=o99.RO\r\n"), std::string::npos);
    back.Read(Ini(ini.ToBytes()));
    EXPECT_EQ(back.List(EntryList::Objects).size(), 99u);
}

// Bytes that are no character (0x80, 0xA0, 0xFD) and characters with two
// codes (NEC and IBM rows: 0x8790 and 0x81E0 are both U+2252) go back as read.
TEST(ProjectFile, EntriesKeepTheirBytesWhateverTheyDecodeTo) {
    const std::string odd[] = {"a\x80.R", "\x87\x90.R", "\x81\xE0.R", "b\xA0.R", "c\xFD.R"};
    std::string file = "[PROJECT]\r\nName=n\xFD\r\n[R]\r\nRCNT=5\r\n";
    for (int i = 0; i < 5; ++i) file += "r0" + std::to_string(i + 1) + "=" + odd[i] + "\r\n";
    file += "[DOC]\r\nDOCCNT=1\r\nDOC01=\x80\r\n";
    platform::IniFile ini = Ini(file);
    ProjectModel m;
    m.Read(ini);
    // Entries that move keep their bytes too.
    m.RemoveFirst(EntryList::Sources, m.List(EntryList::Sources)[3]);
    m.Add(EntryList::Sources, m.List(EntryList::Sources)[0]);
    EXPECT_TRUE(m.Write(ini).empty());
    const std::string bytes = ini.ToBytes();
    EXPECT_NE(bytes.find("Name=n\xFD\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("RCNT=5\r\nr01=a\x80.R\r\nr02=\x87\x90.R\r\nr03=\x81\xE0.R\r\nr04=c\xFD.R\r\nr05=a\x80.R\r\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("[DOC]\r\nDOCCNT=1\r\nDOC01=\x80\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find('?'), std::string::npos);
}

TEST(ProjectFile, GarbageReadsWhatItCan) {
    const char raw[] = "\xff\xfe\x00[R\x00]\r\n==\r\n[R]\r\nRCNT=2\r\nr01\r\nr02=\x82\r\n[PROJECT\r\nName=n\r\n\x1a";
    std::string garbage(raw, sizeof raw - 1);
    ProjectModel m;
    m.Read(Ini(garbage));
    EXPECT_EQ(m.name, "n");
    ASSERT_EQ(m.List(EntryList::Sources).size(), 2u);
    EXPECT_EQ(m.List(EntryList::Sources)[0], "");  // a key without a value
}

TEST(ProjectModelRules, ResolveStoreAndMatchEntries) {
    // Relative paths in a project file lie beside it, whatever the current folder.
    struct Case { const char* projectFile; const char* dir; const char* entry; const char* resolved; } cases[] = {
        {"", "/w/src/", "main.R", "/w/src/main.R"},          {"", "/w/src/", "/x/a.R", "/x/a.R"},
        {"", "/w/src", "main.R", "/w/srcmain.R"},            {"", "/w/src/", "", "/w/src/"},
        {"", "/w/src/", "sub/a.R", "sub/a.R"},               {"", "", "a.R", "a.R"},
        {"/p/x.PRJ", "demo/", "hello.r", "/p/demo/hello.r"}, {"/p/x.PRJ", "demo/", "sub/a.R", "/p/sub/a.R"},
        {"/p/x.PRJ", "/w/", "a.R", "/w/a.R"},                {"/p/x.PRJ", "D:\\src\\", "a.R", "/p/src/a.R"},
        {"/p/x.PRJ", "", "a.R", "/p/a.R"},
        // A Windows entry with a drive or a leading backslash is absolute; with
        // no folder name in common it lies below the project file's folder as
        // below its drive, and without a project file it stays as stored.
        {"", "D:\\work\\src\\", "E:\\lib\\util.R", "E:\\lib\\util.R"},
        {"/p/x.PRJ", "D:\\work\\src\\", "D:\\x\\a.R", "/p/x/a.R"},
        {"/p/x.PRJ", "/w/", "\\x\\a.R", "/p/x/a.R"},
        {"/p/x.PRJ", "/w/", "\\\\srv\\s\\a.R", "\\\\srv\\s\\a.R"},
    };
    for (const Case& c : cases) {
        ProjectModel m;
        m.projectFile = c.projectFile;
        m.sourceFolder = c.dir;
        EXPECT_EQ(m.ResolveSourcePath(c.entry), c.resolved) << c.projectFile << " " << c.dir << " + " << c.entry;
    }
    ProjectModel beside;
    beside.projectFile = "/p/x.PRJ";
    beside.sourceFolder = "demo/";
    EXPECT_EQ(beside.StoredForm("/p/demo/hello.r"), "hello.r");
    EXPECT_FALSE(beside.Contains(EntryList::Sources, "/p/demo/hello.r", false));
    beside.Add(EntryList::Sources, "hello.r");
    EXPECT_TRUE(beside.Contains(EntryList::Sources, "/p/demo/hello.r", false));

    ProjectModel m;
    m.sourceFolder = "/w/Src/";
    EXPECT_EQ(m.StoredForm("/w/src/a.R"), "a.R");
    EXPECT_EQ(m.StoredForm("/w/x/a.R"), "/w/x/a.R");
    int changes = 0;
    size_t id = m.Subscribe([&] { ++changes; });
    m.Add(EntryList::Sources, "a.R");
    EXPECT_TRUE(m.Contains(EntryList::Sources, "/W/SRC/A.r", true));
    EXPECT_FALSE(m.Contains(EntryList::Sources, "/W/SRC/A.r", false));
    EXPECT_FALSE(m.Contains(EntryList::Objects, "a.R", true));
    EXPECT_FALSE(m.RemoveFirst(EntryList::Sources, "A.R"));  // byte for byte
    m.Unsubscribe(id);
    m.Clear();
    EXPECT_EQ(changes, 1);
}
