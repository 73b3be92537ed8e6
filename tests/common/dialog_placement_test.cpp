#include "common/dialog_placement.h"

#include <gtest/gtest.h>

TEST(DialogPlacement, CentresOverANormalOwnerWithIntegerHalves) {
    // 301 / 2 = 150 and 211 / 2 = 105: each half truncates on its own.
    const PlacementRect owner{100, 50, 600, 401};
    const PlacementPoint at = centreOnOwner({0, 0, 301, 211}, &owner, {0, 0, 1280, 1024});
    EXPECT_EQ(at.x, 100 + 300 - 150);
    EXPECT_EQ(at.y, 50 + 200 - 105);
}

TEST(DialogPlacement, UsesTheScreenWithoutAnOwner) {
    const PlacementPoint at = centreOnOwner({0, 0, 200, 100}, nullptr, {0, 0, 1279, 1023});
    EXPECT_EQ(at.x, 639 - 100);
    EXPECT_EQ(at.y, 511 - 50);
}

TEST(DialogPlacement, ADialogLargerThanItsOwnerStartsLeftOfIt) {
    const PlacementRect owner{10, 10, 100, 100};
    const PlacementPoint at = centreOnOwner({0, 0, 300, 300}, &owner, {0, 0, 1280, 1024});
    EXPECT_EQ(at.x, 10 + 50 - 150);
    EXPECT_EQ(at.y, 10 + 50 - 150);
}
