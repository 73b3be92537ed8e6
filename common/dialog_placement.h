// Where a dialog goes when it opens: centred over its owner's normal
// rectangle, or over the primary screen when the owner is maximised or absent.
// Qt-free so that both programs and their tests share one rule.
#pragma once

struct PlacementRect {
    int left = 0;    // pixels
    int top = 0;     // pixels
    int width = 0;   // pixels
    int height = 0;  // pixels
};

// Top-left corner the dialog moves to; its size never changes. `owner` is the
// owner's normal (restored) rectangle, or nullptr when there is no owner or the
// owner is maximised, in which case `screen` (origin 0, 0) is the reference.
// Each half is an integer division, so odd sizes round toward the top-left.
struct PlacementPoint {
    int x = 0;
    int y = 0;
};
PlacementPoint centreOnOwner(const PlacementRect& dialog, const PlacementRect* owner, const PlacementRect& screen);

// `at` moved by the least amount that puts the whole dialog inside `area` (the
// screen's available rectangle), so that a dialog centred over an owner at the
// screen's edge keeps its title bar and first column in reach. A dialog larger
// than the area keeps its top-left corner inside it.
PlacementPoint keepInside(const PlacementPoint& at, const PlacementRect& dialog, const PlacementRect& area);
