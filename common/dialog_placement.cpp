#include "common/dialog_placement.h"

PlacementPoint centreOnOwner(const PlacementRect& dialog, const PlacementRect* owner, const PlacementRect& screen) {
    const PlacementRect& reference = owner ? *owner : screen;
    // Halve the two sizes separately, as integers: centring a 301-pixel dialog
    // over a 600-pixel owner puts it at 300 - 150 = 150, not at 149.5 rounded.
    return {reference.left + reference.width / 2 - dialog.width / 2,
            reference.top + reference.height / 2 - dialog.height / 2};
}

PlacementPoint keepInside(const PlacementPoint& at, const PlacementRect& dialog, const PlacementRect& area) {
    const auto clamp = [](int value, int low, int size, int areaSize) {
        const int high = low + areaSize - size;
        return value > high ? (high > low ? high : low) : (value < low ? low : value);
    };
    return {clamp(at.x, area.left, dialog.width, area.width), clamp(at.y, area.top, dialog.height, area.height)};
}
