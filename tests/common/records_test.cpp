#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "common/record_io.h"
#include "common/records.h"

namespace {

std::FILE* tempWith(const void* bytes, size_t n) {
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes, 1, n, f);
    std::rewind(f);
    return f;
}

TEST(RecordImages, CourseImageHasFieldsAtFileOffsets) {
    Course c;
    c.pointCount = 2;
    c.points[1].latitude = 35.5;
    std::strcpy(c.name, "abc");
    c.courseType = COURSE_OPEN_RETURN;
    c.courseDatum = 1;
    unsigned char image[sizeof(Course)];
    std::memcpy(image, &c, sizeof image);
    int32_t i32;
    double d;
    std::memcpy(&i32, image + 0, 4);
    EXPECT_EQ(i32, 2);
    std::memcpy(&d, image + 56, 8);
    EXPECT_EQ(d, 35.5);
    EXPECT_EQ(std::memcmp(image + 104, "abc", 4), 0);
    std::memcpy(&i32, image + 360, 4);
    EXPECT_EQ(i32, 2);
    std::memcpy(&i32, image + 364, 4);
    EXPECT_EQ(i32, 1);
    for (int k = 4; k < 8; ++k) EXPECT_EQ(image[k], 0) << "padding byte " << k;
}

TEST(RecordImages, DriveLogOffsetsFollowSampleCount) {
    EXPECT_EQ(driveLogPassLogOffset(3), 124);
    EXPECT_EQ(driveLogCourseOffset(3), 528);
    EXPECT_EQ(driveLogSize(3), 900);
}

TEST(RecordIo, ShortReadKeepsTrailingFields) {
    SerialPort port;
    port.baudRate = 38400;
    port.stopBits = STOP_BITS_TWO;
    const int32_t newHandle = 77;
    std::FILE* f = tempWith(&newHandle, 4);
    EXPECT_EQ(readRecord(f, port), 4u);
    EXPECT_EQ(port.handle, 77);
    EXPECT_EQ(port.baudRate, 38400);
    EXPECT_EQ(port.stopBits, STOP_BITS_TWO);
    std::fclose(f);
}

TEST(RecordIo, WholeRecordRoundTrip) {
    PassLog log;
    log.passCount = 3;
    log.passTicks[0] = 1;
    log.passTicks[99] = 0xFFFFFFFFu;
    std::FILE* f = std::tmpfile();
    ASSERT_TRUE(writeRecord(f, log));
    EXPECT_EQ(std::ftell(f), 404);
    std::rewind(f);
    PassLog back;
    EXPECT_EQ(readRecord(f, back), 404u);
    EXPECT_EQ(std::memcmp(&back, &log, sizeof log), 0);
    std::fclose(f);
}

}  // namespace
