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
// bytes), crlf=1 (messages end in "\r\n", which a Windows build's text-mode
// output turns into CR CR LF).
#include <unistd.h>

#include <algorithm>
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
const char* g_eol = "\n";
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
    std::printf("%s(%d) : %s: %s%s", file.c_str(), line, error ? "error" : "warning", text.c_str(), g_eol);
    (error ? g_errors : g_warnings)++;
}

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    // A final end-of-file byte (line breaks after it aside) is no text.
    size_t end = out.find_last_not_of("\r\n");
    if (end != std::string::npos && out[end] == '\x1A') out.resize(end);
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

// The lines of a source: CR LF, LF and CR each end one line, as the editor
// counts them, so that a message's line is the line the editor jumps to.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

enum class Quoted { Closed, Continued, Open };

// Moves i past the rest of a quoted literal on line s. A double-byte
// character is one unit, so a trail byte 0x5C (as in 表 or ソ) is no
// backslash; a backslash escapes the next byte, or, last on the line, the
// line break.
Quoted SkipQuoted(const std::string& s, size_t& i, char quote) {
    for (; i < s.size(); ++i) {
        if (platform::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
            ++i;
        } else if (s[i] == '\\') {
            if (i + 1 == s.size()) return Quoted::Continued;
            ++i;
        } else if (s[i] == quote) {
            ++i;
            return Quoted::Closed;
        }
    }
    return Quoted::Open;
}

// Where the word that heads a statement starts, past a leading "}" and
// "else" ("} while (...)", "else if (...)").
size_t HeadWordAt(const std::string& code) {
    size_t i = code.find_first_not_of(" \t");
    if (i == std::string::npos) return code.size();
    if (code[i] == '}') i = std::min(code.size(), code.find_first_not_of(" \t", i + 1));
    if (FirstWord(code.substr(i)) == "else") {
        size_t j = code.find_first_not_of(" \t", i + 4);
        if (j != std::string::npos && j > i + 4) i = j;
    }
    return i;
}

bool IsControlWord(const std::string& w) {
    return w == "if" || w == "while" || w == "for" || w == "foreach" || w == "switch";
}

// Checks one source; `shown` is the name messages use for it.
void CheckSource(const std::string& path, const std::string& shown, int depth) {
    std::string text;
    if (!ReadFile(path, text)) {
        Report(shown, 1, true, "cannot open source file '" + shown + "'",
               "ソースファイル '" + shown + "' を開けません");
        return;
    }
    const std::vector<std::string> lines = SplitLines(text);
    std::vector<Open> stack;
    // The code of each line with comments and string contents blanked out.
    std::vector<std::string> code(lines.size());
    bool inBlock = false;
    int blockStart = 0;
    char quote = 0;  // a literal continued on the next line by a final backslash
    int quoteStart = 0;
    auto unterminated = [&] {
        Report(shown, quoteStart, true, quote == '"' ? "unterminated string literal" : "unterminated character literal",
               quote == '"' ? "文字列が閉じていません" : "文字定数が閉じていません");
        quote = 0;
    };
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& s = lines[n];
        std::string& out = code[n];
        const int line = static_cast<int>(n) + 1;
        size_t i = 0;
        // The code keeps a literal's quotes, and a final backslash where it goes on.
        auto quoted = [&] {
            switch (SkipQuoted(s, i, quote)) {
                case Quoted::Closed:
                    out.append(quoteStart == line ? 2 : 1, quote);
                    quote = 0;
                    break;
                case Quoted::Continued:
                    if (quoteStart == line) out += quote;
                    out += '\\';
                    i = s.size();
                    break;
                case Quoted::Open:
                    unterminated();
                    i = s.size();
                    break;
            }
        };
        if (quote) quoted();
        while (i < s.size()) {
            char c = s[i];
            if (inBlock) {
                size_t close = s.find("*/", i);
                inBlock = close == std::string::npos;
                i = inBlock ? s.size() : close + 2;
                continue;
            }
            if (platform::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < s.size()) {  // never split
                out += "  ";
                i += 2;
                continue;
            }
            if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') break;
            if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
                inBlock = true;
                blockStart = line;
                i += 2;
                continue;
            }
            if (c == '"' || c == '\'') {
                quote = c;
                quoteStart = line;
                ++i;
                quoted();
                continue;
            }
            out += c;
            ++i;
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
    }
    if (quote) unterminated();  // continued past the end of the file
    if (inBlock) Report(shown, blockStart, true, "unterminated comment", "コメントが閉じていません");
    for (const Open& o : stack)
        Report(shown, o.line, true, std::string("'") + o.bracket + "' is never closed",
               std::string("'") + o.bracket + "' が閉じていません");

    // A statement goes on while its parentheses are open or its line ends
    // with a backslash. Braces end any parentheses left open, so that one
    // missing ")" does not hide the rest of the file.
    const size_t count = code.size();
    std::vector<int> openAtEnd(count);
    std::vector<size_t> head(count);
    {
        int open = 0;
        size_t current = 0;
        bool goesOn = false;
        for (size_t n = 0; n < count; ++n) {
            std::string t = Trim(code[n]);
            if (t.empty()) {
                openAtEnd[n] = open;
                head[n] = current;
                continue;
            }
            if (!goesOn && open == 0) current = n;
            head[n] = current;
            goesOn = t.back() == '\\';
            openAtEnd[n] = open;
            if (Trim(code[current])[0] == '#') continue;  // a directive, not a statement
            for (char c : t) {
                if (c == '(' || c == '[') ++open;
                else if ((c == ')' || c == ']') && open > 0) --open;
                else if (c == '{' || c == '}') open = 0;
            }
            openAtEnd[n] = open;
        }
    }

    // The condition of a control statement, followed across lines to its
    // closing parenthesis: an assignment in it is reported on the line of
    // its "=", and the line it closes on needs no ";".
    std::vector<int> assignments(count);
    std::vector<bool> closesControl(count);
    for (size_t n = 0; n < count; ++n) {
        if (head[n] != n) continue;
        size_t at = HeadWordAt(code[n]);
        std::string word = FirstWord(code[n].substr(at));
        if (!IsControlWord(word)) continue;
        size_t k = code[n].find_first_not_of(" \t", at + word.size());
        if (k == std::string::npos || code[n][k] != '(') continue;
        std::string cond;
        std::vector<size_t> condLine;
        int open = 0;
        bool closed = false;
        for (size_t m = n; m < count && !closed; ++m, k = 0) {
            const std::string& c = code[m];
            for (; k < c.size(); ++k) {
                if (c[k] == '{' || c[k] == '}') {
                    m = count;  // left open: already reported
                    break;
                }
                if (c[k] == '(' || c[k] == '[') {
                    if (open++ == 0) continue;
                } else if ((c[k] == ')' || c[k] == ']') && --open == 0) {
                    closed = true;
                    closesControl[m] = c.find_first_not_of(" \t", k + 1) == std::string::npos;
                    break;
                }
                cond += c[k];
                condLine.push_back(m);
            }
            if (closed || m >= count) break;
            cond += ' ';
            condLine.push_back(m);
        }
        if (!closed || (word != "if" && word != "while")) continue;
        for (size_t j = 0; j < cond.size(); ++j) {
            if (cond[j] != '=') continue;
            char before = j > 0 ? cond[j - 1] : ' ';
            char after = j + 1 < cond.size() ? cond[j + 1] : ' ';
            if (after == '=' || before == '=' || before == '!' || before == '<' || before == '>') {
                if (after == '=') ++j;
                continue;
            }
            ++assignments[condLine[j]];
            break;
        }
    }

    // Line checks on the code without comments and string contents.
    for (size_t n = 0; n < count; ++n) {
        std::string t = Trim(code[n]);
        if (t.empty()) continue;
        int lineNo = static_cast<int>(n) + 1;
        for (int a = 0; a < assignments[n]; ++a)
            Report(shown, lineNo, false, "assignment used as a condition", "条件式の中で代入しています");
        if (Trim(code[head[n]])[0] == '#') {
            if (head[n] == n && t.rfind("#include", 0) == 0 && depth < 8) {
                // The name comes from the original line (blanked in the code).
                const std::string& original = lines[n];
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
        // A statement line must end with ";". Lines inside open parentheses,
        // lines that open or close a block, continue an expression or head a
        // control statement do not.
        if (openAtEnd[n] > 0 || closesControl[n]) continue;
        std::string word = FirstWord(t);
        char last = t.back();
        if (last == ';' || last == '{' || last == '}' || last == ',' || last == ':' || last == '(' || last == '\\' ||
            last == '&' || last == '|' || last == '+' || last == '-' || last == '*' || last == '/' || last == '=' ||
            last == '?' || last == '<' || last == '>' || last == '!' || last == '[')
            continue;
        if (word == "else" || word == "do" || word == "case" || word == "default") continue;
        if (t[0] == '{' || t[0] == '}') continue;
        // The next code line tells whether this one goes on.
        std::string next;
        for (size_t m = n + 1; m < count && next.empty(); ++m) next = Trim(code[m]);
        if (!next.empty() && std::string("{.+-*/&|?:),=<>[").find(next[0]) != std::string::npos) continue;
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
    if (Config("CRLF") == "1") g_eol = "\r\n";
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
        std::printf("%s%s", platform::Utf8ToSjis("エラー " + std::to_string(g_errors) + " 個、警告 " +
                                                 std::to_string(g_warnings) + " 個").c_str(), g_eol);
    } else {
        std::printf("%d error(s), %d warning(s)%s", g_errors, g_warnings, g_eol);
    }
    return g_errors == 0 ? 0 : 1;
}
