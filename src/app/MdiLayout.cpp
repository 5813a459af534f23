#include "app/MdiLayout.h"

#include <algorithm>

namespace app {

namespace {

int FitSpan(int& pos, int size, int limit, int minimum) {
    size = std::max(size, std::min(minimum, limit));
    size = std::min(size, limit);
    pos = std::clamp(pos, 0, std::max(0, limit - size));
    return size;
}

}  // namespace

TWindowRect FitInside(TWindowRect r, const TWindowRect& area, const TMdiMetrics& m) {
    r.width = FitSpan(r.left, r.width, area.width, m.minWidth);
    r.height = FitSpan(r.top, r.height, area.height, m.minHeight);
    return r;
}

TWindowRect NewChildPlace(int index, const TWindowRect& area, const TMdiMetrics& m) {
    TWindowRect r{0, 0, std::max(area.width * 2 / 3, m.minWidth), std::max(area.height * 2 / 3, m.minHeight)};
    r = FitInside(r, area, m);
    int roomX = (area.width - r.width) / std::max(1, m.step);
    int roomY = (area.height - r.height) / std::max(1, m.step);
    int places = std::max(1, std::min(roomX, roomY) + 1);
    int k = std::max(0, index) % places;
    r.left = k * m.step;
    r.top = k * m.step;
    return r;
}

std::vector<TWindowRect> CascadePlaces(int count, const TWindowRect& area, const TMdiMetrics& m) {
    std::vector<TWindowRect> places;
    if (count <= 0) return places;
    // As many offsets as leave each window at least the minimum.
    int fitX = (area.width - std::min(m.minWidth, area.width)) / std::max(1, m.step);
    int fitY = (area.height - std::min(m.minHeight, area.height)) / std::max(1, m.step);
    int levels = std::clamp(std::min(fitX, fitY) + 1, 1, count);
    int w = area.width - (levels - 1) * m.step;
    int h = area.height - (levels - 1) * m.step;
    for (int i = 0; i < count; ++i) {
        int k = i % levels;
        places.push_back(FitInside({k * m.step, k * m.step, w, h}, area, m));
    }
    return places;
}

std::vector<TWindowRect> TilePlaces(int count, bool horizontal, const TWindowRect& area, const TMdiMetrics& m) {
    std::vector<TWindowRect> places;
    if (count <= 0) return places;
    // Lines along the tiling direction: as many as fit at the minimum, the
    // windows spread over them in order.
    int along = horizontal ? area.height : area.width;
    int minAlong = horizontal ? m.minHeight : m.minWidth;
    int perLine = std::clamp(along / std::max(1, minAlong), 1, count);
    int lines = (count + perLine - 1) / perLine;
    int across = horizontal ? area.width : area.height;
    for (int line = 0; line < lines; ++line) {
        int first = line * perLine;
        int n = std::min(perLine, count - first);
        int a0 = across * line / lines, a1 = across * (line + 1) / lines;
        for (int j = 0; j < n; ++j) {
            int b0 = along * j / n, b1 = along * (j + 1) / n;
            places.push_back(horizontal ? TWindowRect{a0, b0, a1 - a0, b1 - b0} : TWindowRect{b0, a0, b1 - b0, a1 - a0});
        }
    }
    return places;
}

}  // namespace app
