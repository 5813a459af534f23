#include "platform/Strings.h"

namespace platform {

namespace {
std::string IndexMessage(long long index) {
    return "リストのインデックスが範囲を超えています (" + std::to_string(index) + ")";
}
}  // namespace

EListError::EListError(long long index) : std::out_of_range(IndexMessage(index)), index_(index) {}

int TStrings::Add(std::string_view s) {
    int n = Count();
    Insert(n, s);
    return n;
}

std::string TStrings::GetTextStr() const {
    std::string out;
    int n = Count();
    size_t total = 0;
    for (int i = 0; i < n; ++i) total += Get(i).size() + 2;
    out.reserve(total);
    for (int i = 0; i < n; ++i) {
        out += Get(i);
        out += "\r\n";
    }
    return out;
}

void TStrings::SetTextStr(std::string_view text) {
    BeginUpdate();
    Clear();
    size_t i = 0;
    while (i < text.size()) {
        size_t j = i;
        while (j < text.size() && text[j] != '\r' && text[j] != '\n' && text[j] != '\0') ++j;
        Add(text.substr(i, j - i));
        if (j >= text.size() || text[j] == '\0') break;
        if (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
        i = j + 1;
    }
    EndUpdate();
}

void TStrings::Assign(const TStrings& source) {
    if (&source == this) return;
    BeginUpdate();
    Clear();
    for (int i = 0; i < source.Count(); ++i) Add(source.Get(i));
    EndUpdate();
}

}  // namespace platform
