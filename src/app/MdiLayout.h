// Where the MDI child windows go inside the main window's client area:
// new windows, cascade and tile. Every place lies wholly inside the area and
// is at least the usable minimum, as far as the area itself allows.
#pragma once

#include <vector>

#include "app/Settings.h"

namespace app {

struct TMdiMetrics {
    int step = 24;                   // cascade offset: one caption's height
    int minWidth = 320, minHeight = 160;  // a child still usable (status bar, a few rows)
};

// `r` moved, then shrunk only where it must be, to lie inside `area`
// (area-relative coordinates: the area's own left and top are 0).
TWindowRect FitInside(TWindowRect r, const TWindowRect& area, const TMdiMetrics& m);

// The place of the `index`th new window (0 = first) in `area`: two thirds of
// the area, each next one a step lower and further right, starting over at
// the top-left when the next would leave the area.
TWindowRect NewChildPlace(int index, const TWindowRect& area, const TMdiMetrics& m);

// Cascade of `count` windows: each a step below and right of the one before,
// all the same size (the area less the offsets, but not below the minimum;
// when the offsets would push windows past the area, they start over).
std::vector<TWindowRect> CascadePlaces(int count, const TWindowRect& area, const TMdiMetrics& m);

// Tile of `count` windows: horizontal stacks them one above the other,
// vertical puts them side by side; when that would make them smaller than
// the minimum they go into a grid of as few rows (horizontal) or columns
// (vertical) as keeps them usable. The windows cover the area exactly.
std::vector<TWindowRect> TilePlaces(int count, bool horizontal, const TWindowRect& area, const TMdiMetrics& m);

}  // namespace app
