// A Canvas that records every call, for checking what the painter drew and
// in which colours, cell by cell.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/Canvas.h"

class RecordingCanvas : public editor::Canvas {
public:
    struct Fill {
        editor::TRect r;
        editor::TColor color;
    };
    struct Run {
        int x, y;
        std::string text;
        int cellWidth;
        editor::TColor color;
        uint8_t style;
        std::optional<editor::TRect> clip;  // what of it shows, when drawn clipped
        int Right() const { return x + static_cast<int>(text.size()) * cellWidth; }
        bool Shows(int px, int py) const {
            return !clip || (px >= clip->left && px < clip->right && py >= clip->top && py < clip->bottom);
        }
    };
    struct Segment {
        int x1, y1, x2, y2;
        editor::TColor color;
    };

    std::vector<Fill> fills;
    std::vector<Run> runs;
    std::vector<Segment> lines;

    void FillRect(const editor::TRect& r, editor::TColor color) override { fills.push_back({r, color}); }
    void TextRun(int x, int y, std::string_view bytes, int cellWidth, editor::TColor color, uint8_t style) override {
        runs.push_back({x, y, std::string(bytes), cellWidth, color, style, std::nullopt});
    }
    void ClipTextRun(int x, int y, std::string_view bytes, int cellWidth, editor::TColor color, uint8_t style,
                     const editor::TRect& clip) override {
        runs.push_back({x, y, std::string(bytes), cellWidth, color, style, clip});
    }
    void Line(int x1, int y1, int x2, int y2, editor::TColor color) override { lines.push_back({x1, y1, x2, y2, color}); }

    // The run drawn last over the cell whose top-left pixel is (x, y).
    const Run* RunAt(int x, int y) const {
        for (auto it = runs.rbegin(); it != runs.rend(); ++it)
            if (it->y == y && x >= it->x && x < it->Right() && it->Shows(x, y)) return &*it;
        return nullptr;
    }
    // The colour the text of that cell was drawn in last.
    std::optional<editor::TColor> TextColorAt(int x, int y) const {
        const Run* r = RunAt(x, y);
        return r ? std::optional<editor::TColor>(r->color) : std::nullopt;
    }
    // The byte shown in that cell, 0 when none.
    char CharAt(int x, int y) const {
        const Run* r = RunAt(x, y);
        return r ? r->text[static_cast<size_t>((x - r->x) / r->cellWidth)] : '\0';
    }
    // The colour the pixel (x, y) was last filled with.
    std::optional<editor::TColor> FillAt(int x, int y) const {
        for (auto it = fills.rbegin(); it != fills.rend(); ++it)
            if (x >= it->r.left && x < it->r.right && y >= it->r.top && y < it->r.bottom) return it->color;
        return std::nullopt;
    }
    // Runs whose text contains `text`.
    std::vector<const Run*> RunsContaining(std::string_view text) const {
        std::vector<const Run*> out;
        for (const Run& r : runs)
            if (r.text.find(text) != std::string::npos) out.push_back(&r);
        return out;
    }
    // Runs that start exactly at (x, y).
    std::vector<const Run*> RunsStartingAt(int x, int y) const {
        std::vector<const Run*> out;
        for (const Run& r : runs)
            if (r.x == x && r.y == y) out.push_back(&r);
        return out;
    }
    bool HasLine(int x1, int y1, int x2, int y2) const {
        for (const Segment& s : lines)
            if (s.x1 == x1 && s.y1 == y1 && s.x2 == x2 && s.y2 == y2) return true;
        return false;
    }
    // Whether every one-pixel fill of `other` was also made here in `color`.
    bool HasPixelsOf(const RecordingCanvas& other, editor::TColor color) const {
        for (const Fill& f : other.fills) {
            bool found = false;
            for (const Fill& g : fills)
                if (g.r.left == f.r.left && g.r.top == f.r.top && g.r.Width() == 1 && g.r.Height() == 1 &&
                    g.color == color)
                    found = true;
            if (!found) return false;
        }
        return !other.fills.empty();
    }
};
