// A stand-in for the VeskC compiler VKC.EXE: it takes the same command
// lines, checks VeskC sources for genuine mistakes (unbalanced brackets,
// unterminated strings and comments, statements without ";", missing include
// files, assignments used as conditions) and reports them as
// "file(line) : error: text" / "file(line) : warning: text". Without errors
// it writes a small object (.RO) or executable (.RX) file.
//
//   VKC -c FILE.R            compile only, writes FILE.RO
//   VKC FILE.R               compile and link, writes FILE.RX
//   VKC -o OUT.RX IN...      link sources (.R) and objects (.RO) into OUT.RX
//
// VKC.CFG in the compiler's own folder may hold "key=value" lines, mainly to
// exercise the program that runs it: sjis=1 (messages in Japanese, Shift-JIS),
// sleep=MS (wait before finishing), flood=BYTES (print that much more
// output), longline=BYTES (print one line that long), nul=1 (a line with NUL
// bytes).
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Path.h"
#include "platform/ShiftJis.h"

namespace {

std::map<std::string, std::string> g_config;
bool g_japanese = false;
int g_errors = 0;
int g_warnings = 0;

std::string Config(const std::string& key, const std::string& def = "") {
    auto it = g_config.find(key);
    return it == g_config.end() ? def : it->second;
}

void LoadConfig() {
    auto path = platform::FindFileInFolder(platform::ProgramFolder(), "VKC.CFG");
    if (!path) return;
    std::ifstream in(*path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = platform::UpperCase(line.substr(0, eq));
        g_config[key] = line.substr(eq + 1);
    }
}

// A message in the form the IDE jumps from; Japanese text goes out in Shift-JIS.
void Report(const std::string& file, int line, bool error, const std::string& english, const std::string& japanese) {
    std::string text = g_japanese ? platform::Utf8ToSjis(japanese) : english;
    std::printf("%s(%d) : %s: %s\n", file.c_str(), line, error ? "error" : "warning", text.c_str());
    (error ? g_errors : g_warnings)++;
}

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

struct Open {
    char bracket;
    int line;
};

bool IsIdent(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string FirstWord(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && IsIdent(s[i])) ++i;
    return s.substr(0, i);
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

// Checks one source; `shown` is the name messages use for it.
void CheckSource(const std::string& path, const std::string& shown, int depth) {
    std::string text;
    if (!ReadFile(path, text)) {
        Report(shown, 1, true, "cannot open source file '" + shown + "'",
               "ソースファイル '" + shown + "' を開けません");
        return;
    }
    std::vector<Open> stack;
    // The code of each line with comments and string contents blanked out.
    std::vector<std::string> code(1);
    int line = 1;
    bool inBlock = false;
    int blockStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '\r') continue;
        if (c == '\n') {
            ++line;
            code.emplace_back();
            continue;
        }
        if (inBlock) {
            if (c == '*' && i + 1 < text.size() && text[i + 1] == '/') {
                inBlock = false;
                ++i;
            }
            continue;
        }
        if (platform::IsLeadByte(u) && i + 1 < text.size()) {  // a double-byte character, never split
            ++i;
            code.back() += "  ";
            continue;
        }
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i + 1 < text.size() && text[i + 1] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            inBlock = true;
            blockStart = line;
            ++i;
            continue;
        }
        if (c == '"' || c == '\'') {
            size_t j = i + 1;
            bool closed = false;
            for (; j < text.size() && text[j] != '\n' && text[j] != '\r'; ++j) {
                unsigned char v = static_cast<unsigned char>(text[j]);
                if (platform::IsLeadByte(v) && j + 1 < text.size()) {
                    ++j;
                    continue;
                }
                if (text[j] == '\\') {
                    ++j;
                    continue;
                }
                if (text[j] == c) {
                    closed = true;
                    break;
                }
            }
            if (!closed) {
                Report(shown, line, true, c == '"' ? "unterminated string literal" : "unterminated character literal",
                       c == '"' ? "文字列が閉じていません" : "文字定数が閉じていません");
                i = j - 1;
                continue;
            }
            code.back() += c;
            code.back() += c;
            i = j;
            continue;
        }
        code.back() += c;
        if (c == '(' || c == '{' || c == '[') {
            stack.push_back({c, line});
        } else if (c == ')' || c == '}' || c == ']') {
            char want = c == ')' ? '(' : c == '}' ? '{' : '[';
            if (stack.empty() || stack.back().bracket != want) {
                Report(shown, line, true, std::string("unmatched '") + c + "'",
                       std::string("対応する括弧がありません: '") + c + "'");
            } else {
                stack.pop_back();
            }
        }
    }
    if (inBlock) Report(shown, blockStart, true, "unterminated comment", "コメントが閉じていません");
    for (const Open& o : stack)
        Report(shown, o.line, true, std::string("'") + o.bracket + "' is never closed",
               std::string("'") + o.bracket + "' が閉じていません");

    std::vector<std::string> originals;
    {
        std::istringstream lines(text);
        std::string l;
        while (std::getline(lines, l)) originals.push_back(l);
        originals.resize(code.size());
    }

    // Line checks on the code without comments and string contents.
    for (size_t n = 0; n < code.size(); ++n) {
        std::string t = Trim(code[n]);
        if (t.empty()) continue;
        int lineNo = static_cast<int>(n) + 1;
        if (t[0] == '#') {
            if (t.rfind("#include", 0) == 0 && depth < 8) {
                // The name comes from the original line (blanked in the code).
                const std::string& original = originals[n];
                size_t a = original.find('"'), b = original.rfind('"');
                if (a != std::string::npos && b > a) {
                    std::string name = original.substr(a + 1, b - a - 1);
                    std::string incPath = platform::JoinPath(platform::ExtractFilePath(path), name);
                    if (!platform::FileExists(incPath)) {
                        Report(shown, lineNo, true, "cannot open include file '" + name + "'",
                               "インクルードファイル '" + name + "' を開けません");
                    } else {
                        CheckSource(incPath, name, depth + 1);
                    }
                }
            }
            continue;
        }
        // Assignment used as a condition: if (a = b)
        std::string word = FirstWord(t);
        if (word == "if" || word == "while") {
            size_t open = t.find('('), close = t.rfind(')');
            if (open != std::string::npos && close != std::string::npos && close > open) {
                std::string cond = t.substr(open + 1, close - open - 1);
                for (size_t k = 0; k < cond.size(); ++k) {
                    if (cond[k] != '=') continue;
                    char before = k > 0 ? cond[k - 1] : ' ';
                    char after = k + 1 < cond.size() ? cond[k + 1] : ' ';
                    if (after == '=' || before == '=' || before == '!' || before == '<' || before == '>') {
                        if (after == '=') ++k;
                        continue;
                    }
                    Report(shown, lineNo, false, "assignment used as a condition", "条件式の中で代入しています");
                    break;
                }
            }
        }
        // A statement line must end with ";". Lines that open or close a
        // block, continue an expression or head a control statement do not.
        char last = t.back();
        if (last == ';' || last == '{' || last == '}' || last == ',' || last == ':' || last == '(' || last == '\\' ||
            last == '&' || last == '|' || last == '+' || last == '-' || last == '*' || last == '/' || last == '=' ||
            last == '?' || last == '<' || last == '>' || last == '!' || last == '[')
            continue;
        if (word == "else" || word == "do" || word == "case" || word == "default") continue;
        if (t[0] == '{' || t[0] == '}') continue;
        // The next code line tells whether this one goes on.
        std::string next;
        for (size_t m = n + 1; m < code.size() && next.empty(); ++m) next = Trim(code[m]);
        if (!next.empty() && std::string("{.+-*/&|?:),=<>[").find(next[0]) != std::string::npos) continue;
        if (last == ')' && (word == "if" || word == "while" || word == "for" || word == "foreach" || word == "switch"))
            continue;
        Report(shown, lineNo, true, "';' expected at end of statement", "文の終わりに ';' がありません");
    }
}

void WriteOutput(const std::string& path, const std::string& kind, const std::vector<std::string>& inputs) {
    std::ofstream out(path, std::ios::binary);
    out << "VKC " << kind << "\r\n";
    for (const std::string& in : inputs) out << in << "\r\n";
    if (!out) {
        std::printf("%s(0) : error: cannot write output file\n", path.c_str());
        ++g_errors;
    }
}

std::string WithExtension(const std::string& path, const std::string& ext) {
    return platform::ChangeFileExt(platform::ExtractFileName(path), ext);
}

void ExtraOutput() {
    long long flood = std::atoll(Config("FLOOD", "0").c_str());
    for (long long written = 0, n = 1; written < flood; ++n)
        written += std::printf("flood.r(%lld) : warning: flood line %lld of the stand-in compiler's test output\n", n, n);
    long long longLine = std::atoll(Config("LONGLINE", "0").c_str());
    if (longLine > 0) {
        std::string s(static_cast<size_t>(longLine), 'x');
        std::printf("long(1) : warning: %s\n", s.c_str());
    }
    if (Config("NUL") == "1") {
        std::fwrite("nul(1) : warning: a\0b\0c\n", 1, 25, stdout);
    }
    long sleepMs = std::atol(Config("SLEEP", "0").c_str());
    if (sleepMs > 0) {
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
    }
}

}  // namespace

int main(int argc, char** argv) {
    LoadConfig();
    g_japanese = Config("SJIS") == "1";
    std::vector<std::string> args(argv + 1, argv + argc);
    std::printf("VKC (stand-in) VeskC compiler\n");
    if (args.empty()) {
        std::printf("usage: VKC [-c] FILE.R | VKC -o OUT.RX FILE...\n");
        return 2;
    }

    if (args[0] == "-o") {
        if (args.size() < 3) {
            std::printf("usage: VKC -o OUT.RX FILE...\n");
            return 2;
        }
        std::vector<std::string> inputs(args.begin() + 2, args.end());
        for (const std::string& in : inputs) {
            std::string ext = platform::UpperCase(platform::ExtractFileExt(in));
            if (ext == ".RO") {
                if (!platform::FileExists(in))
                    Report(in, 0, true, "cannot open object file '" + in + "'", "オブジェクトファイル '" + in + "' を開けません");
            } else {
                CheckSource(in, in, 0);
            }
        }
        if (g_errors == 0) WriteOutput(args[1], "EXECUTABLE", inputs);
    } else {
        bool compileOnly = args[0] == "-c";
        if (compileOnly && args.size() < 2) {
            std::printf("usage: VKC -c FILE.R\n");
            return 2;
        }
        std::string source = compileOnly ? args[1] : args[0];
        CheckSource(source, source, 0);
        if (g_errors == 0)
            WriteOutput(WithExtension(source, compileOnly ? ".RO" : ".RX"), compileOnly ? "OBJECT" : "EXECUTABLE", {source});
    }
    ExtraOutput();
    if (g_japanese) {
        std::printf("%s\n", platform::Utf8ToSjis("エラー " + std::to_string(g_errors) + " 個、警告 " +
                                                 std::to_string(g_warnings) + " 個").c_str());
    } else {
        std::printf("%d error(s), %d warning(s)\n", g_errors, g_warnings);
    }
    return g_errors == 0 ? 0 : 1;
}
