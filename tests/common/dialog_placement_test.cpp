#include "common/dialog_placement.h"

#include <gtest/gtest.h>

TEST(DialogPlacement, CentresOverTheOwnerOrTheScreenWithIntegerHalves) {
    struct Case {
        PlacementRect dialog;
        bool hasOwner;
        PlacementRect owner;
        int x, y;
    };
    const PlacementRect screen{0, 0, 1279, 1023};
    const Case cases[] = {
        // 301 / 2 = 150 and 211 / 2 = 105: each half truncates on its own.
        {{0, 0, 301, 211}, true, {100, 50, 600, 401}, 100 + 300 - 150, 50 + 200 - 105},
        {{0, 0, 200, 100}, false, {}, 639 - 100, 511 - 50},
        {{0, 0, 300, 300}, true, {10, 10, 100, 100}, 10 + 50 - 150, 10 + 50 - 150},
    };
    for (const Case& c : cases) {
        const PlacementPoint at = centreOnOwner(c.dialog, c.hasOwner ? &c.owner : nullptr, screen);
        EXPECT_EQ(at.x, c.x);
        EXPECT_EQ(at.y, c.y);
    }
}

TEST(DialogPlacement, ADialogCentredOffTheScreenIsMovedJustInside) {
    struct Case {
        PlacementPoint at;
        PlacementRect dialog;
        int x, y;
    };
    const PlacementRect area{0, 0, 1280, 1000};  // a panel takes the bottom 24 pixels
    const Case cases[] = {
        {{-19, 100}, {0, 0, 679, 300}, 0, 100},       // the lap list over a 640 px window at x = 0
        {{-53, -46}, {0, 0, 746, 572}, 0, 0},         // a file dialog over the capture window at (0, 0)
        {{1100, 900}, {0, 0, 400, 300}, 880, 700},    // an owner at the right and bottom edges
        {{200, 100}, {0, 0, 400, 300}, 200, 100},     // inside already: untouched
        {{-300, -300}, {0, 0, 1500, 1100}, 0, 0},     // larger than the screen: the title bar wins
    };
    for (const Case& c : cases) {
        const PlacementPoint at = keepInside(c.at, c.dialog, area);
        EXPECT_EQ(at.x, c.x);
        EXPECT_EQ(at.y, c.y);
    }
}
