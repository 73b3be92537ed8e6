#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "capture/timing/drive_log_writer.h"
#include "timing_test_support.h"

namespace {

class DriveLogTest : public TimingTest {
protected:
    void SetUp() override {
        TimingTest::SetUp();
        captureSettings.maxRecordingSeconds = 100;
        ASSERT_EQ(allocateSampleBuffer(), 0);
        logFileCounter = 0;
        setDriveLogDirectory("");
    }
    void TearDown() override {
        freeSampleBuffer();
        sampleCount = 0;
        logFileCounter = 0;
        setDriveLogDirectory("");
        TimingTest::TearDown();
    }
    void fill(int32_t n) {
        for (int32_t i = 0; i < n; ++i) {
            samples[i] = LogSample{};
            samples[i].tick = 5000u + 1000u * static_cast<uint32_t>(i);
            samples[i].latitude = 35.0 + i * 1e-5;
            samples[i].longitude = 139.0 - i * 1e-5;
            samples[i].altitude = 100.0 + i;
            samples[i].lapMark = i == 2 ? 1 : 0;
        }
        sampleCount = n;
    }
    static std::string readBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static std::string today() {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return driveLogDateText(local);
    }
    std::string logPath(int counter) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "_%03d.gpd", counter);
        return (directory / "log").string() + "/" + today() + suffix;
    }
};

TEST(DriveLogName, DateIsTwentyYYMMDD) {
    std::tm date{};
    date.tm_year = 104;  // 2004
    date.tm_mon = 9;     // October
    date.tm_mday = 1;
    EXPECT_EQ(driveLogDateText(date), "20041001");
    date.tm_year = 125;
    date.tm_mon = 0;
    date.tm_mday = 31;
    EXPECT_EQ(driveLogDateText(date), "20250131");
}

TEST_F(DriveLogTest, FileHoldsSamplesPassLogCourseAndTrailer) {
    fill(5);
    passLog.passCount = 2;
    passLog.passTicks[0] = 7000;
    passLog.passTicks[1] = 8500;
    course.pointCount = 1;
    course.points[0].latitude = 35.1;
    std::strcpy(course.name, "test");
    const DriveLogResult result = writeDriveLog();
    ASSERT_EQ(result.status, DRIVE_LOG_WRITTEN) << result.error;
    EXPECT_EQ(result.path, logPath(0));
    const std::string image = readBytes(result.path);
    ASSERT_EQ(static_cast<long>(image.size()), driveLogSize(5));
    int32_t n = 0;
    std::memcpy(&n, image.data(), 4);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(std::memcmp(image.data() + 4, samples, 5 * 40), 0);
    EXPECT_EQ(std::memcmp(image.data() + driveLogPassLogOffset(5), &passLog, 404), 0);
    EXPECT_EQ(std::memcmp(image.data() + driveLogCourseOffset(5), &course, 368), 0);
    EXPECT_EQ(image.substr(image.size() - 4), std::string(4, '\0'));
    // Reserved words are zero.
    int32_t reserved = -1;
    std::memcpy(&reserved, image.data() + 4 + 40 * 2 + 36, 4);
    EXPECT_EQ(reserved, 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory / "log"), {}), 1)
        << "no temporary file is left";
}

TEST_F(DriveLogTest, NoPassMeansNoFile) {
    fill(3);
    EXPECT_EQ(writeDriveLog().status, DRIVE_LOG_NOTHING);
    EXPECT_FALSE(std::filesystem::exists(logPath(0)));
    passLog.passCount = 1;
    sampleCount = 0;
    EXPECT_EQ(writeDriveLog().status, DRIVE_LOG_NOTHING);
}

TEST_F(DriveLogTest, ExistingNamesAreSkippedAndTheCounterEndsPastTheWrittenOne) {
    std::filesystem::create_directories(directory / "log");
    std::ofstream(logPath(0)) << "earlier run";
    std::ofstream(logPath(1)) << "earlier run";
    platform::setTickSourceForTests(nullptr);
    gpsFix.fixReceived = 1;
    passLog.passCount = 1;
    passLog.passTicks[0] = 1;
    ASSERT_EQ(startRecording(), 0);
    for (int waited = 0; sampleCount.load() < 1 && waited < 10000; waited += 5) platform::sleepMs(5);
    const DriveLogResult result = stopRecording();
    ASSERT_EQ(result.status, DRIVE_LOG_WRITTEN) << result.error;
    EXPECT_EQ(result.path, logPath(2));
    EXPECT_EQ(logFileCounter, 3);
    EXPECT_EQ(readBytes(logPath(0)), "earlier run");
    EXPECT_EQ(static_cast<long>(readBytes(logPath(2)).size()), driveLogSize(sampleCount.load()));
}

TEST_F(DriveLogTest, UnwritableFolderIsReportedAsFailure) {
    fill(2);
    passLog.passCount = 1;
    setDriveLogDirectory("/dev/null/log");
    const DriveLogResult result = writeDriveLog();
    EXPECT_EQ(result.status, DRIVE_LOG_FAILED);
    EXPECT_FALSE(result.error.empty());
}


}  // namespace
