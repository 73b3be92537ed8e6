#include <gtest/gtest.h>

#include <cstring>

#include "common/records.h"

// The sizes and member offsets are pinned at compile time; what the image
// holds beyond them (zeroed padding, text placement) and the drive-log
// layout arithmetic are checked here.
TEST(RecordImages, CourseImageAndDriveLogOffsets) {
    Course c;
    c.pointCount = 2;
    c.points[1].latitude = 35.5;
    std::strcpy(c.name, "abc");
    c.courseDatum = 1;
    unsigned char image[sizeof(Course)];
    std::memcpy(image, &c, sizeof image);
    const unsigned char head[] = {2, 0, 0, 0, 0, 0, 0, 0};  // count, then zero padding
    EXPECT_EQ(std::memcmp(image, head, sizeof head), 0);
    double latitude = 0.0;
    std::memcpy(&latitude, image + 56, 8);
    EXPECT_EQ(latitude, 35.5);
    EXPECT_STREQ(reinterpret_cast<const char*>(image + 104), "abc");
    EXPECT_EQ(image[364], 1);
    // Sample count, 40-byte samples, 404-byte pass log, 368-byte course, zero trailer.
    EXPECT_EQ(driveLogPassLogOffset(3), 124);
    EXPECT_EQ(driveLogCourseOffset(3), 528);
    EXPECT_EQ(driveLogSize(3), 900);
}
