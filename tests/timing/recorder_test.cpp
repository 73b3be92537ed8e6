#include "capture/timing/recorder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>

#include "capture/timing/drive_log_writer.h"
#include "timing_test_support.h"

namespace {

TEST(SampleCapacity, FollowsPeriodAndLengthWithinSaneBounds) {
    EXPECT_EQ(computeMaxSamples(1000, 7200), 7200);
    EXPECT_EQ(computeMaxSamples(300, 7200), 24000);
    // Every positive period keeps its capacity, short ones included.
    EXPECT_EQ(computeMaxSamples(5, 7200), 1'440'000);
    EXPECT_EQ(computeMaxSamples(1, 3600), 3'600'000);
    EXPECT_EQ(computeMaxSamples(INT_MAX, 7200), 1);
    // A period of 0 or less falls back to the default one.
    EXPECT_EQ(computeMaxSamples(0, 7200), 7200);
    EXPECT_EQ(computeMaxSamples(-5, 7200), 7200);
    EXPECT_EQ(computeMaxSamples(1000, -7200), 1);
    EXPECT_EQ(computeMaxSamples(10, INT_MAX), MAX_SAMPLE_CAPACITY);
}

TEST_F(TimingTest, SampleBufferSaysWhenTheSettingsCannotBeFollowed) {
    struct Case {
        int32_t periodMs, seconds, capacity;
        const char* says;  // part of the message, or "" for none
    } cases[] = {
        {1000, 7200, 7200, ""},
        {5, 7200, 1'440'000, ""},
        {0, 7200, 7200, "must be more than 0 ms: 1000 ms is used instead"},
        {-20, 60, 60, "1000 ms is used instead"},
        {1, INT_MAX, MAX_SAMPLE_CAPACITY, "only 10000000 samples (about 10000 s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.periodMs << " ms x " << c.seconds << " s");
        captureSettings.samplingPeriodMs = c.periodMs;
        captureSettings.maxRecordingSeconds = c.seconds;
        const SampleBufferResult result = allocateSampleBufferWithMessage();
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(maxSamples, c.capacity);
        ASSERT_NE(samples, nullptr);
        samples[maxSamples - 1] = LogSample{};  // the whole buffer is there
        if (*c.says == 0) {
            EXPECT_EQ(result.message, "");
        } else {
            EXPECT_NE(result.message.find(c.says), std::string::npos) << result.message;
        }
        freeSampleBuffer();
    }
}

class RecorderTest : public TimingTest {
protected:
    void SetUp() override {
        TimingTest::SetUp();
        ASSERT_EQ(allocateSampleBuffer(), 0);
        sampleCount = 0;
        GeoPoint here;
        here.latitude = 35.5;
        here.altitude = 12.0;
        publishPosition(here);
        gpsFix.fixReceived = 1;
        logFileCounter = 0;
        setDriveLogDirectory("");  // beside the program: the test folder
    }
    void TearDown() override {
        freeSampleBuffer();
        TimingTest::TearDown();
    }
    void stepAt(uint32_t tickMs) {
        fakeTickMs = tickMs;
        recorderStep(schedule);
    }
    std::string logPath(int counter) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "_%03d.gpd", counter);
        return directory / ("log/" + driveLogDateText(local) + suffix);
    }
    RecorderSchedule schedule;
};

TEST_F(RecorderTest, WaitsForTheFirstFixAndKeepsAPendingMarkForTheSecondSample) {
    gpsFix.fixReceived = 0;
    lapMarkPending = 1;
    stepAt(1000);
    EXPECT_EQ(sampleCount.load(), 0) << "no fix yet";
    gpsFix.fixReceived = 1;
    stepAt(1000);
    EXPECT_EQ(samples[0].altitude, 12.0);
    EXPECT_EQ(samples[0].lapMark, 0);
    stepAt(1001);  // the pending mark forces an early sample
    ASSERT_EQ(sampleCount.load(), 2);
    EXPECT_EQ(samples[1].lapMark, 1);
}

TEST_F(RecorderTest, PassBetweenSamplesTakesAnEarlySampleInPlaceOfTheNext) {
    for (uint32_t t : {1000u, 1999u, 2000u}) stepAt(t);
    ASSERT_EQ(sampleCount.load(), 2);
    lapMarkPending = 1;
    stepAt(2300);
    EXPECT_EQ(samples[2].tick, 2300u);
    EXPECT_EQ(samples[2].lapMark, 1);
    stepAt(3000);
    stepAt(3999);
    EXPECT_EQ(sampleCount.load(), 3) << "the early sample took the 3000 slot";
    stepAt(4000);
    ASSERT_EQ(sampleCount.load(), 4);
    EXPECT_EQ(samples[3].lapMark, 0);
}

TEST_F(RecorderTest, SecondPassWhileMarkedWaitsForTheScheduledSample) {
    stepAt(1000);
    lapMarkPending = 1;
    stepAt(1300);
    lapMarkPending = 1;
    stepAt(1500);
    EXPECT_EQ(sampleCount.load(), 2);
    stepAt(3000);
    ASSERT_EQ(sampleCount.load(), 3);
    EXPECT_EQ(samples[2].lapMark, 1);
    EXPECT_EQ(lapMarkPending.load(), 0);
}

TEST_F(RecorderTest, ScheduleCarriesOnAcrossTheTickWrapping) {
    stepAt(0xFFFFFC00u);
    stepAt(0xFFFFFFE0u);
    EXPECT_EQ(sampleCount.load(), 1) << "due 24 ms later";
    stepAt(0x00000010u);
    stepAt(0x00000100u);
    EXPECT_EQ(sampleCount.load(), 2);
}

TEST_F(RecorderTest, FullBufferDropsTheRestSilently) {
    captureSettings.maxRecordingSeconds = 3;
    ASSERT_EQ(allocateSampleBuffer(), 0);
    for (uint32_t t = 1000; t <= 10000; t += 1000) stepAt(t);
    lapMarkPending = 1;
    stepAt(10500);
    EXPECT_EQ(sampleCount.load(), 3);
    EXPECT_EQ(samples[2].tick, 3000u);
}

TEST_F(RecorderTest, DriveLogHoldsSamplesPassLogCourseAndTrailer) {
    for (uint32_t t = 1000; t <= 5000; t += 1000) stepAt(t);
    passLog.passCount = 2;
    passLog.passTicks[1] = 8500;
    Course course;
    course.pointCount = 1;
    std::strcpy(course.name, "test");
    replaceCourse(course);
    const DriveLogResult result = writeDriveLog();
    ASSERT_EQ(result.status, DRIVE_LOG_WRITTEN) << result.error;
    EXPECT_EQ(result.path, logPath(0));
    const std::string image = readFile(result.path);
    ASSERT_EQ(image.size(), 4u + 5 * 40 + 404 + 368 + 4);
    EXPECT_EQ(image.substr(0, 4), std::string("\x05\0\0\0", 4));
    EXPECT_EQ(std::memcmp(image.data() + 4, samples, 5 * 40), 0);
    EXPECT_EQ(std::memcmp(image.data() + 204, &passLog, 404), 0);
    EXPECT_EQ(std::memcmp(image.data() + 608, &course, 368), 0);
    EXPECT_EQ(image.substr(image.size() - 4), std::string(4, '\0'));
    EXPECT_EQ(image.substr(4 + 40 * 2 + 36, 4), std::string(4, '\0')) << "reserved word";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory / "log"), {}), 1)
        << "no temporary file is left";
}

TEST_F(RecorderTest, DriveLogNeedsAPassAndASampleAndReportsAFailedWrite) {
    stepAt(1000);
    EXPECT_EQ(writeDriveLog().status, DRIVE_LOG_NOTHING);
    EXPECT_FALSE(std::filesystem::exists(logPath(0)));
    passLog.passCount = 1;
    setDriveLogDirectory("/dev/null/log");
    const DriveLogResult failed = writeDriveLog();
    EXPECT_EQ(failed.status, DRIVE_LOG_FAILED);
    EXPECT_FALSE(failed.error.empty());
    setDriveLogDirectory("");
    sampleCount = 0;
    EXPECT_EQ(writeDriveLog().status, DRIVE_LOG_NOTHING);
}

TEST_F(RecorderTest, DriveLogNameSkipsExistingFilesAndTheCounterEndsPastIt) {
    std::filesystem::create_directories(directory / "log");
    std::ofstream(logPath(0)) << "earlier run";
    std::ofstream(logPath(1)) << "earlier run";
    platform::setTickSourceForTests(nullptr);  // the recorder thread runs on the real clock
    passLog.passCount = 1;
    ASSERT_EQ(startRecording(), 0);
    ASSERT_TRUE(eventually([] { return sampleCount.load() >= 1; }));
    const DriveLogResult result = stopRecording();
    ASSERT_EQ(result.status, DRIVE_LOG_WRITTEN) << result.error;
    EXPECT_EQ(result.path, logPath(2));
    EXPECT_EQ(logFileCounter, 3);
    EXPECT_EQ(readFile(logPath(0)), "earlier run");
    EXPECT_EQ(static_cast<long>(readFile(logPath(2)).size()), driveLogSize(sampleCount.load()));
}

}  // namespace
