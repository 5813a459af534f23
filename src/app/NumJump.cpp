#include "app/NumJump.h"

#include <charconv>

#include "editor/Editor.h"

namespace app {

void TNumJmp::PlaceOver(const TWindowRect& main) {
    // Integer division truncates towards zero, as the rule asks.
    left = main.left + (main.width - width) / 2;
    top = main.top + (main.height - height) / 2;
}

bool TNumJmp::SaNumEdit1KeyDown(int key) { return key == editor::vkReturn; }

std::optional<int> TNumJmp::Value() const {
    // Blanks around the number and a sign are accepted, as a conversion of
    // typed text would.
    size_t a = number.find_first_not_of(" \t");
    size_t b = number.find_last_not_of(" \t");
    if (a == std::string::npos) return std::nullopt;
    std::string_view s(number.data() + a, b - a + 1);
    if (s.front() == '+') s.remove_prefix(1);
    if (s.empty() || s.front() == '+') return std::nullopt;
    int value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::string TNumJmp::ConversionError() const { return "'" + number + "' は有効な整数値ではありません"; }

}  // namespace app
