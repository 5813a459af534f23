// Sorting shared by the reference lists: a heading click sorts descending
// when its flag is false, ascending when true, then inverts the flag; the
// selected row follows the sort.
#pragma once

#include <algorithm>
#include <numeric>
#include <string_view>
#include <vector>

#include "platform/ShiftJis.h"

namespace reference {

// Compares Shift-JIS texts ignoring ASCII case; the second byte of a
// double-byte character is never folded.
inline int CompareTextSjis(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    bool trail = false;
    for (size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (!trail) {
            if (x >= 'a' && x <= 'z') x -= 32;
            if (y >= 'a' && y <= 'z') y -= 32;
        }
        if (x != y) return x < y ? -1 : 1;
        trail = !trail && platform::IsLeadByte(x);
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// `less` orders ascending; equal rows keep their order either way.
template <class T, class Less>
void SortByFlag(std::vector<T>& rows, bool& flag, Less less, int* selected) {
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    bool ascending = flag;
    std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) {
        return ascending ? less(rows[x], rows[y]) : less(rows[y], rows[x]);
    });
    std::vector<T> sorted;
    sorted.reserve(rows.size());
    int newSelected = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        if (selected && static_cast<int>(order[i]) == *selected) newSelected = static_cast<int>(i);
        sorted.push_back(std::move(rows[order[i]]));
    }
    rows = std::move(sorted);
    if (selected) *selected = newSelected;
    flag = !flag;
}

}  // namespace reference
