#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileIO.h"

using namespace std::string_literals;
using platform::IniFile;

namespace {

IniFile Load(std::string_view bytes) {
    IniFile ini;
    ini.LoadFromBytes(bytes);
    return ini;
}

TEST(IniFile, ReadingRules) {
    struct Case {
        const char *file, *section, *key, *expected;
    } cases[] = {
        {"[S]\r\nk=v\r\n", "S", "k", "v"},
        {"[sEcT]\nKeY=v", "SECT", "key", "v"},
        {"[ S ]\n \t k \t = \t v v \t\n", "S", "k", "v v"},
        {"[S]\nk=\"  q  \"", "S", "k", "  q  "},
        {"[S]\nk='x'", "S", "k", "x"},
        {"[S]\nk=\"x'", "S", "k", "\"x'"},   // quotes must match
        {"[S]\nk=\"", "S", "k", "\""},
        {"[S]\nk=\"\"", "S", "k", ""},
        {"[S]\nk=", "S", "k", ""},
        {"[S]\nk\n", "S", "k", "DEF"},       // key without value
        {"[S]\n \t;k=v", "S", "k", "DEF"},
        {"k=v\n[S]\n", "S", "k", "DEF"},     // before any section
        {"[S]\na=1\n[T]\n[s]\na=2\nb=3\n", "S", "a", "1"},
        {"[S]\na=1\n[T]\n[s]\na=2\nb=3\n", "S", "b", "DEF"},  // second [s] is ignored
        {"[S]\na=1\nA=2", "S", "a", "1"},
        {"[S] ; note\nk=v", "S", "k", "v"},
        {"[ S x \nk=v", "S x", "k", "v"},    // no "]"
        {"[\x81\x5D]\nk=v", "\x81\x5D", "k", "v"},  // "]" as a second byte
        {"[S]\n\x95\x5C\x8E\xA6=\x95\x5C", "S", "\x95\x5C\x8E\xA6", "\x95\x5C"},
        {"[S]\n\x83\x61=1\n\x83\x41=2", "S", "\x83\x41", "2"},  // ヂ and ア differ
        {"[S]\nk=C:\\dir\\\nj=1", "S", "k", "C:\\dir\\"},
        {"[S]\nk=a=b ; c", "S", "k", "a=b ; c"},
        {"[S]\rj=w\r\nk=v\n", "S", "k", "v"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Load(c.file).ReadString(c.section, c.key, "DEF"), c.expected) << c.file;
    }
}

TEST(IniFile, ReadingIntegersAndBooleans) {
    struct Case {
        const char* value;
        int expected;
    } cases[] = {
        {"42", 42},   {"-42", -42},         {"+5", 5},          {" 12 ", 12},
        {"\"12\"", 12}, {"$1F", 31},        {"0x1f", 31},       {"-$10", -16},
        {"0X7FFFFFFF", INT_MAX},            {"-2147483648", INT_MIN},
        {"2147483648", 7}, {"-2147483649", 7}, {"$80000000", 7}, {"99999999999999999999", 7},
        {"12abc", 7}, {"1 2", 7}, {"", 7},  {"$", 7},           {"0x", 7}, {"-", 7}, {"1.5", 7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Load("[S]\nk="s + c.value).ReadInteger("S", "k", 7), c.expected) << c.value;
    }
    IniFile ini = Load("[S]\nnovalue\ntwo=2\nzero=0\nneg=-1\nword=yes\n");
    EXPECT_EQ(ini.ReadInteger("S", "novalue", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "missing", 7), 7);
    EXPECT_TRUE(ini.ReadBool("S", "two", false));
    EXPECT_TRUE(ini.ReadBool("S", "neg", false));
    EXPECT_FALSE(ini.ReadBool("S", "zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "word", true));
    EXPECT_FALSE(ini.ReadBool("S", "word", false));
}

TEST(IniFile, ListsSectionsAndKeys) {
    IniFile ini = Load("pre=1\n[One]\nb=1\n;c=2\nflag\nB=3\n\na=4\n[Two]\n[one]\nz=9\n[]\n=e\n");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"One", "Two", ""}));
    EXPECT_EQ(ini.ReadSection("ONE"), (std::vector<std::string>{"b", "flag", "a"}));
    EXPECT_TRUE(ini.ReadSection("Two").empty());
    EXPECT_TRUE(ini.ReadSection("none").empty());
    EXPECT_TRUE(ini.SectionExists("two"));
    EXPECT_FALSE(ini.SectionExists("pre"));
    EXPECT_TRUE(ini.ValueExists("one", "FLAG"));
    EXPECT_FALSE(ini.ValueExists("one", "c"));
    EXPECT_FALSE(ini.ValueExists("one", "z"));
    EXPECT_EQ(ini.ReadString("", "", "DEF"), "e");
}

TEST(IniFile, WritesExactBytes) {
    struct Case {
        const char *before, *section, *key, *value, *after;
    } cases[] = {
        {"[S]\r\n  KeY = old \r\nz=1\r\n", "s", "key", "new", "[S]\r\nKeY=new\r\nz=1\r\n"},
        {"[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n", "A", "n", "x", "[A]\r\na=1\r\nn=x\r\n\r\n[B]\r\nb=2\r\n"},
        {"[A]\r\n[B]\r\n", "A", "k", "v", "[A]\r\nk=v\r\n[B]\r\n"},
        {"[A]\r\na=1\r\n;end\r\n \r\n", "A", "k", "v", "[A]\r\na=1\r\n;end\r\nk=v\r\n \r\n"},
        {"[A]\r\na=1\r\n", "N", "k", "v", "[A]\r\na=1\r\n\r\n[N]\r\nk=v\r\n"},
        {"[A]\r\na=1\r\n\r\n", "N", "k", "v", "[A]\r\na=1\r\n\r\n[N]\r\nk=v\r\n"},
        {"", "N", "k", "v", "[N]\r\nk=v\r\n"},
        {";c", "N", "k", "v", ";c\r\n\r\n[N]\r\nk=v\r\n"},
        // Lines not written keep their own ends; a written line ends with CR LF,
        // and so does a last line that something now follows.
        {"[S]\nflag\n", "S", "FLAG", "1", "[S]\nflag=1\r\n"},
        {"[S]\nk=v\n", "S", "K", "v", "[S]\nk=v\n"},
        {"[S]\na=1\nA=2\n[s]\ra=3", "S", "a", "9", "[S]\na=9\r\nA=2\n[s]\ra=3"},
        {"[A]\r\na=1", "A", "k", "v", "[A]\r\na=1\r\nk=v\r\n"},
        {"[A]\ra=1", "N", "k", "v", "[A]\ra=1\r\n\r\n[N]\r\nk=v\r\n"},
        {"[S]\r\n", "S", "k", "a\r\nb\rc", "[S]\r\nk=a  b c\r\n"},
        {"[S]\r\n", "S", "k", " x", "[S]\r\nk=\" x\"\r\n"},
        {"[S]\r\n", "S", "k", "'q'", "[S]\r\nk=\"'q'\"\r\n"},
        {"[S]\r\n", "S", "\x95\x5C", "C:\\\x95\x5C\\", "[S]\r\n\x95\x5C=C:\\\x95\x5C\\\r\n"},
    };
    for (const Case& c : cases) {
        IniFile ini = Load(c.before);
        EXPECT_FALSE(ini.Modified());
        ini.WriteString(c.section, c.key, c.value);
        EXPECT_TRUE(ini.Modified());
        EXPECT_EQ(ini.ToBytes(), c.after) << c.before;
    }
    IniFile ini;
    ini.WriteInteger("S", "n", -12);
    ini.WriteBool("S", "t", true);
    ini.WriteBool("S", "f", false);
    EXPECT_EQ(ini.ToBytes(), "[S]\r\nn=-12\r\nt=1\r\nf=0\r\n");
}

TEST(IniFile, WrittenValuesReadBackUnchanged) {
    const std::string values[] = {"", " ", "  a  ", "\"", "\"\"", "'x'", "\"a\" ", "a=b", ";x",
                                  "[x]", "\x95\x5C\x8E\xA6\\", "\t", "0x10", "a\0b"s};
    IniFile ini = Load("[S]\nk=old\n");
    for (const std::string& v : values) {
        ini.WriteString("S", "k", v);
        ini.WriteString("S", "new", v);
        IniFile reread = Load(ini.ToBytes());
        EXPECT_EQ(reread.ReadString("S", "k", "DEF"), v) << v;
        EXPECT_EQ(reread.ReadString("S", "new", "DEF"), v) << v;
    }
}

TEST(IniFile, TextValuesAreConvertedAndReported) {
    IniFile ini;
    auto report = ini.WriteText("S", "Folder", "/home/表示/ü");
    EXPECT_EQ(report.badCount, 1u);
    EXPECT_EQ(report.unconvertible, "ü");
    EXPECT_EQ(ini.ReadString("S", "folder", ""), "/home/\x95\x5C\x8E\xA6/?");
    EXPECT_EQ(ini.ReadText("S", "folder", ""), "/home/表示/?");
    EXPECT_EQ(ini.ReadText("S", "missing", "既定"), "既定");
}

TEST(IniFile, RejectsNamesThatCannotBeReadBack) {
    IniFile ini;
    const std::pair<const char*, const char*> bad[] = {
        {"a]b", "k"}, {"a\nb", "k"}, {" S", "k"}, {"S", "k=1"}, {"S", "[k"}, {"S", ";k"}, {"S", "k "}, {"S", "k\r"},
    };
    for (auto [section, key] : bad) EXPECT_THROW(ini.WriteString(section, key, "v"), std::invalid_argument) << key;
    EXPECT_EQ(ini.ToBytes(), "");
    EXPECT_NO_THROW(ini.WriteString("\x81\x5D", "\x95\x5C", "v"));  // "]" and "\" only as second bytes
}

TEST(IniFile, UntouchedLinesRoundTrip) {
    const std::string file =
        "; top\r\n  odd line\n[ Sec ] trailing\r\n\tk = \"v\" \r\n\r\nnovalue\r[\x81\x5D\nx=\x95\x5C\r\n\r\n";
    IniFile ini = Load(file);
    EXPECT_EQ(ini.ToBytes(), file);
    ini.WriteString("\x81\x5D", "x", "1");
    EXPECT_EQ(ini.ToBytes(), file.substr(0, file.size() - 6) + "1\r\n\r\n");
    EXPECT_FALSE(ini.Blank());
    EXPECT_TRUE(Load(" \r\n\t\n\r").Blank());
}

TEST(IniFile, GarbageLoadsWithoutLoss) {
    std::string garbage;
    unsigned seed = 12345;
    for (int i = 0; i < 1 << 20; ++i) {
        seed = seed * 1103515245 + 12345;
        char c = static_cast<char>(seed >> 16);
        garbage += c == '\r' ? '\n' : c;
    }
    garbage += "\n[G]\n" + std::string(1 << 20, 'x') + "=\0\0v"s;
    IniFile ini = Load(garbage);
    EXPECT_EQ(ini.ReadString("G", std::string(1 << 20, 'X'), "DEF"), "\0\0v"s);
    EXPECT_TRUE(ini.ToBytes() == garbage);  // every byte survives, line ends too
}

class IniFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/vkb-ini-XXXXXX";
        ASSERT_NE(::mkdtemp(templ), nullptr);
        dir_ = templ;
    }
    void TearDown() override {
        ::chmod(dir_.c_str(), 0700);
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    std::string dir_;
};

TEST_F(IniFileOnDisk, LoadsSavesAndReportsFailures) {
    IniFile ini;
    ini.LoadFromBytes("[Old]\r\nk=v\r\n");
    ini.LoadFromFile(dir_ + "/missing.ini");  // like Windows: defaults, no error
    EXPECT_EQ(ini.ToBytes(), "");
    EXPECT_THROW(ini.LoadFromFile(dir_), platform::FileError);
    EXPECT_THROW(ini.SaveToFile(dir_ + "/no/such/folder.ini"), platform::FileError);

    const std::string path = dir_ + "/VKBUILD.INI";
    ini.WriteString("VKC", "PATH", "/opt/vkc");
    ini.SaveToFile(path);
    IniFile again;
    again.LoadFromFile(path);
    EXPECT_EQ(again.ReadString("vkc", "path", ""), "/opt/vkc");
    EXPECT_FALSE(again.Modified());
}

TEST_F(IniFileOnDisk, FailedSaveLeavesTheOldFile) {
    const std::string path = dir_ + "/p.PRJ";
    platform::WriteFileSafely(path, "[PROJECT]\r\nname=old\r\n");
    ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
    IniFile ini;
    ini.WriteString("PROJECT", "name", "new");
    // Permission bits do not stop root, so the attempt runs as an unprivileged user.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(2);
            try {
                ini.SaveToFile(path);
            } catch (const platform::FileError&) {
                std::_Exit(0);
            }
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(platform::ReadWholeFile(path), "[PROJECT]\r\nname=old\r\n");
}

}  // namespace
