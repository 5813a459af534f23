#include "build/Msg.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "platform/Path.h"
#include "platform/ShiftJis.h"

namespace build {

std::optional<JumpTarget> ParseJumpTarget(const std::string& line, std::string* badNumber) {
    size_t p1 = line.find('(');
    if (p1 == std::string::npos) return std::nullopt;
    size_t p2 = line.find(')');
    if (p2 == std::string::npos || p2 <= p1) return std::nullopt;
    size_t p3 = line.find(": ");
    if (p3 == std::string::npos || p3 <= p2) return std::nullopt;
    size_t p4 = line.find("warning");
    if (p4 == std::string::npos) p4 = line.find("error");
    if (p4 == std::string::npos || p4 <= p3) return std::nullopt;

    std::string number = line.substr(p1 + 1, p2 - p1 - 1);
    // A decimal integer, optional sign, nothing else.
    const char* s = number.c_str();
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(s, &end, 10);
    bool ok = !number.empty() && end && *end == '\0' && errno == 0 && number.find_first_of(" \t") == std::string::npos &&
              value >= INT32_MIN && value <= INT32_MAX;
    if (!ok) {
        if (badNumber) *badNumber = number;
        return std::nullopt;
    }
    return JumpTarget{line.substr(0, p1), value};
}

std::vector<std::string> CompilerOutputLines(const std::string& output) {
    std::string text = platform::SjisToUtf8(output);
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = text.find_first_of("\r\n", i);
        if (j == std::string::npos) j = text.size();
        std::string line = text.substr(i, j - i);
        std::replace(line.begin(), line.end(), '\t', ' ');
        std::replace(line.begin(), line.end(), '\0', ' ');
        lines.push_back(std::move(line));
        if (j < text.size() && text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
        i = j + 1;
    }
    return lines;
}

namespace {

// The last n characters of a UTF-8 string.
std::string LastChars(const std::string& s, size_t n) {
    size_t count = 0;
    size_t i = s.size();
    while (i > 0 && count < n) {
        --i;
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) ++count;
    }
    return s.substr(i);
}

}  // namespace

bool CaptionMatches(const std::string& caption, const std::string& fileText) {
    std::string name = LastChars(platform::ExtractFileName(caption), 6);
    if (name.empty()) return false;
    return platform::UpperCase(fileText).find(platform::UpperCase(name)) != std::string::npos;
}

TMsgForm::TMsgForm(platform::Ui& ui, std::function<void(const JumpTarget&)> onJump)
    : TMdiChildForm(app::ChildKind::Message), ui_(ui), onJump_(std::move(onJump)) {
    SetCaption("Message");
}

void TMsgForm::AddLines(std::vector<std::string> lines) {
    if (items_.empty()) items_ = std::move(lines);
    else items_.insert(items_.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    Changed();
}

void TMsgForm::ListBox1DblClick() {
    // One item can be selected: it counts only when it holds "(".
    if (selected_ < 0 || selected_ >= static_cast<int>(items_.size())) return;
    const std::string& item = items_[static_cast<size_t>(selected_)];
    if (item.find('(') == std::string::npos) return;
    std::string bad;
    std::optional<JumpTarget> target = ParseJumpTarget(item, &bad);
    if (!target) {
        if (!bad.empty())
            ui_.MessageBox("'" + bad + "' は整数ではありません", "エラー", platform::MsgKind::Error,
                           platform::MsgButtons::Ok);
        return;
    }
    if (onJump_) onJump_(*target);
}

void TMsgForm::ListBox1KeyDown(int key) {
    if (key == 13) ListBox1DblClick();
}

void TMsgForm::ListBox1KeyPress(char c) {
    if (c != 'c' && c != 'C') return;
    std::string all;
    for (const std::string& item : items_) {
        all += item;
        all += "\r\n";
    }
    ui_.SetClipboardText(all, false);
}

}  // namespace build
