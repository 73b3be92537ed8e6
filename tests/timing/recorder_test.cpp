#include <gtest/gtest.h>

#include <climits>

#include "capture/timing/recorder.h"
#include "timing_test_support.h"

namespace {

TEST(SampleCapacity, FollowsPeriodAndLengthWithinSaneBounds) {
    EXPECT_EQ(computeMaxSamples(1000, 7200), 7200);
    EXPECT_EQ(computeMaxSamples(300, 7200), 24000);
    // Periods the settings dialog could never have produced are clamped.
    EXPECT_EQ(computeMaxSamples(0, 7200), 720000);
    EXPECT_EQ(computeMaxSamples(-5, 7200), 720000);
    EXPECT_EQ(computeMaxSamples(INT_MAX, 7200), 120);
    EXPECT_EQ(computeMaxSamples(1000, 0), 1);
    EXPECT_EQ(computeMaxSamples(1000, -7200), 1);
    EXPECT_EQ(computeMaxSamples(10, INT_MAX), MAX_SAMPLE_CAPACITY);
    EXPECT_EQ(effectiveSamplingPeriodMs(0), MIN_SAMPLING_PERIOD_MS);
    EXPECT_EQ(effectiveSamplingPeriodMs(250), 250);
    EXPECT_EQ(effectiveSamplingPeriodMs(INT_MAX), MAX_SAMPLING_PERIOD_MS);
}

class RecorderTest : public TimingTest {
protected:
    void SetUp() override {
        TimingTest::SetUp();
        captureSettings.samplingPeriodMs = 1000;
        captureSettings.maxRecordingSeconds = 7200;
        ASSERT_EQ(allocateSampleBuffer(), 0);
        sampleCount = 0;
        GeoPoint here;
        here.latitude = 35.5;
        here.longitude = 139.25;
        here.altitude = 12.0;
        publishPosition(here);
    }
    void TearDown() override {
        freeSampleBuffer();
        TimingTest::TearDown();
    }
    void stepAt(uint32_t tickMs) {
        fakeTickMs = tickMs;
        recorderStep(schedule);
    }
    RecorderSchedule schedule;
};

TEST_F(RecorderTest, WaitsForTheFirstFixAndKeepsAPendingMarkForTheSecondSample) {
    lapMarkPending = 1;
    stepAt(1000);
    EXPECT_EQ(sampleCount.load(), 0) << "no fix yet";
    gpsFix.fixReceived = 1;
    stepAt(1000);
    ASSERT_EQ(sampleCount.load(), 1);
    EXPECT_EQ(samples[0].tick, 1000u);
    EXPECT_EQ(samples[0].latitude, 35.5);
    EXPECT_EQ(samples[0].altitude, 12.0);
    EXPECT_EQ(samples[0].lapMark, 0);
    EXPECT_EQ(lapMarkPending.load(), 1);
    stepAt(1001);  // the pending mark forces an early sample
    ASSERT_EQ(sampleCount.load(), 2);
    EXPECT_EQ(samples[1].lapMark, 1);
    EXPECT_EQ(lapMarkPending.load(), 0);
}

TEST_F(RecorderTest, PassBetweenSamplesTakesAnEarlySampleInPlaceOfTheNext) {
    gpsFix.fixReceived = 1;
    stepAt(1000);
    stepAt(1999);
    EXPECT_EQ(sampleCount.load(), 1);
    stepAt(2000);
    ASSERT_EQ(sampleCount.load(), 2);
    lapMarkPending = 1;
    stepAt(2300);
    ASSERT_EQ(sampleCount.load(), 3);
    EXPECT_EQ(samples[2].tick, 2300u);
    EXPECT_EQ(samples[2].lapMark, 1);
    stepAt(3000);
    EXPECT_EQ(sampleCount.load(), 3) << "the early sample took the 3000 slot";
    stepAt(3999);
    EXPECT_EQ(sampleCount.load(), 3);
    stepAt(4000);
    ASSERT_EQ(sampleCount.load(), 4);
    EXPECT_EQ(samples[3].lapMark, 0);
}

TEST_F(RecorderTest, SecondPassWhileMarkedWaitsForTheScheduledSample) {
    gpsFix.fixReceived = 1;
    stepAt(1000);
    lapMarkPending = 1;
    stepAt(1300);
    ASSERT_EQ(sampleCount.load(), 2);
    lapMarkPending = 1;
    stepAt(1500);
    EXPECT_EQ(sampleCount.load(), 2);
    stepAt(3000);
    ASSERT_EQ(sampleCount.load(), 3);
    EXPECT_EQ(samples[2].tick, 3000u);
    EXPECT_EQ(samples[2].lapMark, 1);
    EXPECT_EQ(lapMarkPending.load(), 0);
}

TEST_F(RecorderTest, ScheduleCarriesOnAcrossTheTickWrapping) {
    gpsFix.fixReceived = 1;
    stepAt(0xFFFFFC00u);
    stepAt(0xFFFFFFE0u);
    EXPECT_EQ(sampleCount.load(), 1) << "due 24 ms later";
    stepAt(0x00000010u);
    EXPECT_EQ(sampleCount.load(), 2);
    stepAt(0x00000100u);
    EXPECT_EQ(sampleCount.load(), 2);
}

TEST_F(RecorderTest, FullBufferDropsTheRestSilently) {
    captureSettings.maxRecordingSeconds = 3;
    ASSERT_EQ(allocateSampleBuffer(), 0);
    ASSERT_EQ(maxSamples, 3);
    gpsFix.fixReceived = 1;
    for (uint32_t t = 1000; t <= 10000; t += 1000) stepAt(t);
    EXPECT_EQ(sampleCount.load(), 3);
    EXPECT_EQ(samples[2].tick, 3000u);
    lapMarkPending = 1;
    stepAt(10500);
    EXPECT_EQ(sampleCount.load(), 3);
}


TEST_F(RecorderTest, RecorderNeverRunsWithoutABuffer) {
    freeSampleBuffer();
    EXPECT_EQ(startRecording(), 1);
    EXPECT_EQ(recording.load(), 0);
    const DriveLogResult result = stopRecording();
    EXPECT_EQ(result.status, DRIVE_LOG_NOTHING);
}

TEST_F(RecorderTest, ThreadSamplesTheLiveFixUntilStopped) {
    platform::setTickSourceForTests(nullptr);  // the thread runs on the real clock
    captureSettings.samplingPeriodMs = 20;
    gpsFix.fixReceived = 1;
    ASSERT_EQ(startRecording(), 0);
    EXPECT_EQ(recording.load(), 1);
    for (int waited = 0; sampleCount.load() < 3 && waited < 10000; waited += 5) platform::sleepMs(5);
    const DriveLogResult result = stopRecording();  // no pass: nothing is written
    EXPECT_EQ(result.status, DRIVE_LOG_NOTHING);
    EXPECT_EQ(recording.load(), 0);
    const int32_t taken = sampleCount.load();
    ASSERT_GE(taken, 3);
    platform::sleepMs(50);
    EXPECT_EQ(sampleCount.load(), taken) << "the thread has ended";
    for (int32_t i = 1; i < taken; ++i) EXPECT_GE(samples[i].tick - samples[i - 1].tick, 0u);
    EXPECT_EQ(logFileCounter, 1) << "the counter advances whenever samples were held";
    logFileCounter = 0;
}

}  // namespace
