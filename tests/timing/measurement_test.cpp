#include "capture/timing/measurement.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "capture/gps/gps_reader.h"
#include "capture/gps/serial_port.h"
#include "capture/timing/flash_cue.h"
#include "capture/timing/beacon.h"
#include "capture/timing/command_states.h"
#include "capture/timing/drive_log_writer.h"
#include "tests/support/pty.h"
#include "timing_test_support.h"

namespace {

class MeasurementTest : public TimingTest {
protected:
    void SetUp() override {
        TimingTest::SetUp();
        platform::setTickSourceForTests(nullptr);
        ASSERT_TRUE(gpsPty.ok() && beaconPty.ok());
        setPortName(gpsPort, gpsPty.path());
        setPortName(beaconPort, beaconPty.path());
        ASSERT_EQ(allocateSampleBuffer(), 0);
        setDriveLogDirectory(directory / "log");
        Course loop;
        loop.pointCount = 1;
        replaceCourse(loop);
    }
    void TearDown() override {
        if (readerRunning.load() != 0 || recording.load() != 0) stopMeasuring();
        freeSampleBuffer();
        setDriveLogDirectory("");
        logFileCounter = 0;
        TimingTest::TearDown();
    }
    Pty gpsPty, beaconPty;
};

TEST_F(MeasurementTest, StartAndStopRunTheWorkersAndStopClearsAnIncompleteCourse) {
    lapMarkPending = 1;  // left over from an earlier run
    passLog.passCount = 5;
    ASSERT_EQ(startMeasuring(), START_OK);
    EXPECT_EQ(recording.load(), 1);
    EXPECT_EQ(passLog.passCount, 0) << "each measurement starts a new pass log";
    EXPECT_EQ(lapMarkPending.load(), 0);
    EXPECT_EQ(motecRunning.load(), 0) << "without lap sync the beacon is not touched";
    EXPECT_TRUE(commandStates(currentCommandInputs()).of(COMMAND_STOP).enabled) << "Stop must become usable";
    passLog.passCount = 3;  // passes of this run
    EXPECT_EQ(startMeasuring(), START_OK);
    EXPECT_EQ(passLog.passCount + recording.load(), 4) << "a second start leaves the run alone";
    legArmed = 1;
    const StopResult stop = stopMeasuring();
    EXPECT_EQ(stop.driveLog.status, DRIVE_LOG_NOTHING) << "no fix, no sample, no file";
    EXPECT_FALSE(stop.courseCleared);
    EXPECT_EQ(recording.load() + gpsPort.handle + legArmed, 0);
    EXPECT_EQ(sink.cues(), (std::vector<int>{0, 1}));

    setCourseType(COURSE_OPEN);  // one point is not enough for an open course
    ASSERT_EQ(startMeasuring(), START_OK);
    passHoldUntil[0] = 1234;
    EXPECT_TRUE(stopMeasuring().courseCleared);
    EXPECT_EQ(currentCourse().pointCount, 0);
    ASSERT_FALSE(sink.shownCourses().empty());
    EXPECT_EQ(sink.shownCourses().back().pointCount, 0) << "the panel shows the cleared points";
    EXPECT_EQ(passHoldUntil[0], 0u);
}

TEST_F(MeasurementTest, FlashNeverOutlivesTheMeasurementOrItsTime) {
    // A pass just before Stop or New: the reader that would hide it is gone.
    for (StopResult (*end)() : {stopMeasuring, newCourse}) {
        flashVisible = 1;
        flashStartTick = platform::GetTickCount();
        ASSERT_EQ(startMeasuring(), START_OK);
        const int hides = sink.flashHides.load();
        end();
        EXPECT_GT(sink.flashHides.load(), hides);
        EXPECT_EQ(flashVisible, 0);
    }
    // No line comes after the pass (a receiver lost): the reader's wait for
    // data still ends the flash after its time.
    flashVisible = 1;
    flashStartTick = platform::GetTickCount();
    ASSERT_EQ(startMeasuring(), START_OK);
    const int hides = sink.flashHides.load();
    EXPECT_TRUE(eventually([&] { return sink.flashHides.load() > hides; }, 3000));
    stopMeasuring();
}

TEST_F(MeasurementTest, FailedStartUndoesWhatItOpenedAndSaysWhy) {
    // The reason under the port message comes from the open itself.
    setPortName(gpsPort, "/dev/no-such-gps-port");
    StartOutcome failed = startMeasuringWithReason();
    EXPECT_EQ(failed.result, START_GPS_PORT_FAILED);
    EXPECT_NE(portFailureReason(failed.portErrno).find("見つかりません"), std::string::npos);
    setPortName(gpsPort, gpsPty.path());
    gpsPort.baudRate = 0;
    failed = startMeasuringWithReason();
    EXPECT_NE(portFailureReason(failed.portErrno).find("通信設定"), std::string::npos) << failed.error;
    gpsPort.baudRate = 38400;
    SerialPort other = gpsPort;
    ASSERT_EQ(openSerialPort(other), 0);
    failed = startMeasuringWithReason();
    EXPECT_NE(portFailureReason(failed.portErrno).find("使用中"), std::string::npos) << failed.error;
    closeSerialPort(other);
    if (::geteuid() != 0) {  // root opens anything
        ::chmod(gpsPty.path().c_str(), 0);
        failed = startMeasuringWithReason();
        EXPECT_NE(portFailureReason(failed.portErrno).find("dialout"), std::string::npos) << failed.error;
        ::chmod(gpsPty.path().c_str(), 0600);
    }
    setPortName(gpsPort, "/dev/no-such-gps-port");
    EXPECT_EQ(startMeasuring(), START_GPS_PORT_FAILED);
    EXPECT_EQ(readerRunning.load(), 0);
    setPortName(gpsPort, gpsPty.path());
    captureSettings.motecLapSync = 1;
    setPortName(beaconPort, "/dev/no-such-beacon-port");
    EXPECT_EQ(startMeasuring(), START_BEACON_PORT_FAILED);
    EXPECT_EQ(readerRunning.load() + gpsPort.handle, 0);
    setPortName(beaconPort, beaconPty.path());
    freeSampleBuffer();
    EXPECT_EQ(startMeasuring(), START_RECORDER_FAILED);
    EXPECT_EQ(readerRunning.load() + gpsPort.handle + beaconPort.handle + motecRunning.load(), 0);
    EXPECT_TRUE(sink.cues().empty());
    // Both devices are free for the next attempt.
    ASSERT_EQ(allocateSampleBuffer(), 0);
    ASSERT_EQ(startMeasuring(), START_OK);
    EXPECT_EQ(motecRunning.load(), 1);
    stopMeasuring();
    EXPECT_EQ(motecRunning.load() + beaconPort.handle, 0);
}

TEST_F(MeasurementTest, CommandsRespectTheCourseAndResetTheTimingState) {
    EXPECT_FALSE(requestPointRegistration()) << "only while measuring";
    ASSERT_EQ(startMeasuring(), START_OK);
    EXPECT_FALSE(requestPointRegistration()) << "a loop takes one point";
    EXPECT_TRUE(changeCourseType(COURSE_OPEN));
    EXPECT_TRUE(requestPointRegistration());
    registerPoint(GeoPoint{35.0, 139.0, 0, 0, 0, 0}, 0);
    EXPECT_FALSE(changeCourseType(COURSE_LOOP)) << "two points cannot be a loop";
    EXPECT_FALSE(swapPointsCommand()) << "no editing while measuring";
    stopMeasuring();
    passHoldUntil[1] = 99;
    EXPECT_TRUE(swapPointsCommand());
    EXPECT_EQ(passHoldUntil[1], 0u) << "a hold must not stay on the swapped point";
}

class BeaconTest : public TimingTest {
protected:
    void SetUp() override {
        TimingTest::SetUp();
        platform::setTickSourceForTests(nullptr);  // bursts are timed on the real clock
        ASSERT_TRUE(pty.ok());
        setPortName(beaconPort, pty.path());
        beaconPulseCount = 0;
        drain = std::thread([this] {
            unsigned char buffer[4096];
            while (!stop) {
                pollfd p{pty.master(), POLLIN, 0};
                if (::poll(&p, 1, 10) <= 0) continue;
                const ssize_t got = ::read(pty.master(), buffer, sizeof buffer);
                for (ssize_t i = 0; i < got; ++i) nonZero += buffer[i] != 0;
                if (got > 0) bytes += got;
            }
        });
        ASSERT_EQ(openBeaconPort(), 0);
    }
    void TearDown() override {
        closeBeaconPort();
        stop = true;
        if (drain.joinable()) drain.join();
        TimingTest::TearDown();
    }
    Pty pty;
    std::thread drain;  // empties the master side and counts what the beacon sent
    std::atomic<bool> stop{false};
    std::atomic<long> bytes{0}, nonZero{0};
};

TEST_F(BeaconTest, PassBecomesAZeroBurstLastingTwoSecondsAndCloseEndsABurst) {
    EXPECT_EQ(motecRunning.load(), 1);
    platform::sleepMs(50);
    EXPECT_EQ(bytes.load(), 0) << "nothing is sent without a pass";
    const uint32_t startMs = platform::GetTickCount();
    beaconPulsePending = 1;
    ASSERT_TRUE(eventually([] { return beaconPulsePending.load() == 0; }, 20000)) << "no burst end";
    EXPECT_GE(platform::GetTickCount() - startMs, BEACON_BURST_MS - 10);
    EXPECT_EQ(beaconPulseCount.load(), 1);
    EXPECT_TRUE(eventually([&] {
        const long sent = bytes.load();
        return sent >= BEACON_BURST_BYTES && sent % BEACON_BURST_BYTES == 0;
    })) << "only whole bursts are written: " << bytes.load();
    EXPECT_EQ(nonZero.load(), 0);

    beaconPulsePending = 1;
    platform::sleepMs(100);
    closeBeaconPort();  // in the middle of the burst
    EXPECT_EQ(motecRunning.load(), 0);
    EXPECT_EQ(beaconPort.handle, 0);
    ASSERT_EQ(openBeaconPort(), 0) << "the port can be opened again";
}

// A burst is one synchronous write: 2400 zero bytes that take 2.5 s on a 9600
// baud line, even on a device that takes them at once; a pass during the
// burst is absorbed by it.
TEST_F(BeaconTest, EachBurstSendsOneWriteForItsLineTimeAndAbsorbsPassesMeanwhile) {
    using Clock = std::chrono::steady_clock;
    const auto seconds = [](Clock::time_point from) {
        return std::chrono::duration<double>(Clock::now() - from).count();
    };
    auto started = Clock::now();
    beaconPulsePending = 1;
    ASSERT_TRUE(eventually([] { return beaconPulsePending.load() == 0; }, 20000)) << "no burst end";
    const double burstS = seconds(started);
    EXPECT_GE(burstS, 2.3);
    EXPECT_LT(burstS, 5.0);
    platform::sleepMs(300);
    EXPECT_EQ(bytes.load(), BEACON_BURST_BYTES) << "one pass is one write";
    EXPECT_EQ(beaconPulseCount.load(), 1);

    started = Clock::now();
    beaconPulsePending = 1;
    platform::sleepMs(1000);
    beaconPulsePending = 1;  // a second pass 1 s later
    ASSERT_TRUE(eventually([] { return beaconPulsePending.load() == 0; }, 20000)) << "no burst end";
    EXPECT_LT(seconds(started), 5.0);
    platform::sleepMs(300);
    EXPECT_EQ(bytes.load(), 2 * BEACON_BURST_BYTES) << "two passes 1 s apart are one burst";
    EXPECT_EQ(beaconPulseCount.load(), 2);
    EXPECT_EQ(nonZero.load(), 0);
}

}  // namespace
