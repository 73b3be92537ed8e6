// The whole capture chain in one process, on a hand-driven clock: receiver
// bytes on a pseudo-terminal -> reader thread -> decoder -> fix completion ->
// pass check -> recorder thread -> drive log. Each simulated second costs a
// few real milliseconds, so a broken hand-off shows in about a second instead
// of a real-time run.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "capture/gps/gps_reader.h"
#include "capture/gps/receiver_watch.h"
#include "capture/timing/command_states.h"
#include "capture/timing/course.h"
#include "capture/timing/course_panel.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/measurement.h"
#include "capture/timing/pass_replay.h"
#include "capture/timing/pass_time_option.h"
#include "common/duration.h"
#include "tests/support/pty.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_list_text.h"
#include "timing_test_support.h"

namespace {

constexpr double POINT_LAT = 35.0;
constexpr double POINT_LON = 139.0;
constexpr int FIXES_PER_LAP = 15;  // one second each: longer than the 10 s hold

// Number of the last filler line the reader decoded: bytes a reopened port
// purged or a part line left queued cannot put the count out of step.
std::atomic<int> fillerSeen{0};
void countLine(const char* line, int length, SentenceResult) {
    const std::string text(line, static_cast<size_t>(length));
    const size_t at = text.find("filler ");
    if (at != std::string::npos) fillerSeen = std::atoi(text.c_str() + at + 7);
}

// "ddmm.mmmm" / "dddmm.mmmm" of a positive angle.
std::string nmeaAngle(double degrees, int degreeDigits) {
    const int whole = static_cast<int>(degrees);
    char text[32];
    std::snprintf(text, sizeof text, "%0*d%07.4f", degreeDigits, whole, (degrees - whole) * 60.0);
    return text;
}

std::string withChecksum(const std::string& body) {
    unsigned sum = 0;
    for (char ch : body) sum ^= static_cast<unsigned char>(ch);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

class CaptureChainTest : public TimingTest {
protected:
    void SetUp() override {
        TimingTest::SetUp();
        ASSERT_TRUE(pty->ok());
        setPortName(gpsPort, pty->path());
        ASSERT_EQ(allocateSampleBuffer(), 0);
        setDriveLogDirectory(directory / "log");
        Course loop;
        loop.pointCount = 1;
        loop.points[0].latitude = POINT_LAT;
        loop.points[0].longitude = POINT_LON;
        toGeocentric(loop.points[0], 0);
        std::strcpy(loop.name, "chain");
        replaceCourse(loop);
        fillerSeen = 0;
        setLineObserver(countLine);
    }
    void TearDown() override {
        if (readerRunning.load() != 0 || recording.load() != 0) stopMeasuring();
        setLineObserver(nullptr);
        TimingTest::TearDown();
    }

    // One second of the drive: a fix at `latitude`, `longitude`, then filler
    // lines the decoder ignores, so that the reader's whole-buffer reads take
    // the fix at once. Waits until the reader has handled the fix and the
    // recorder has taken its sample, then moves the clock on.
    void second(double latitude, double longitude) {
        const int firstFiller = fillersWritten + 1;
        pty->write(fixBytes(latitude, longitude));
        // The line after the fix is decoded only once the fix's pass check ran.
        ASSERT_TRUE(eventually([&] { return fillerSeen.load() >= firstFiller; })) << "reader stalled";
        if (gpsFix.fixReceived.load() != 0) {
            ++samplesExpected;
            ASSERT_TRUE(eventually([&] { return sampleCount.load() >= samplesExpected; }))
                << "recorder stalled at " << sampleCount.load();
        }
        fakeTickMs += 1000;
    }
    // A lap: away from the point (1.1 km north, drifting east), then at it.
    void lap() {
        for (int i = 0; i < FIXES_PER_LAP - 1; ++i) second(POINT_LAT + 0.01, POINT_LON + 0.0001 * i);
        second(POINT_LAT, POINT_LON);
    }

    std::string fixBytes(double latitude, double longitude) {
        std::string bytes = withChecksum("GPGGA,030000.00," + nmeaAngle(latitude, 2) + ",N," +
                                         nmeaAngle(longitude, 3) + ",E,1,08,0.9,50.0,M,,M,,");
        for (int i = 0; i < FILLER_LINES; ++i)
            bytes += withChecksum("GPTXT,01,01,02,filler " + std::to_string(++fillersWritten));
        return bytes;
    }

    static constexpr int FILLER_LINES = 8;
    std::unique_ptr<Pty> pty = std::make_unique<Pty>();
    int fillersWritten = 0;
    int samplesExpected = 0;
};

// The window's sink may implement nothing at all: the reader still runs the
// lap check and the recorder still writes the drive log.
TEST_F(CaptureChainTest, SinkThatImplementsNothingStillTimesLapsAndWritesTheDriveLog) {
    CaptureSink nothing;
    setCaptureSink(&nothing);
    fakeTickMs = 100000;
    ASSERT_EQ(startMeasuring(), START_OK);
    second(POINT_LAT + 0.01, POINT_LON);  // the first GGA after a start only sets the quality
    for (int i = 0; i < 3; ++i) lap();
    const StopResult stop = stopMeasuring();
    setCaptureSink(&sink);

    ASSERT_EQ(passLog.passCount, 3);
    EXPECT_EQ(tickDifference(passLog.passTicks[1], passLog.passTicks[0]), FIXES_PER_LAP * 1000u);
    EXPECT_EQ(tickDifference(passLog.passTicks[2], passLog.passTicks[1]), FIXES_PER_LAP * 1000u);
    ASSERT_EQ(stop.driveLog.status, DRIVE_LOG_WRITTEN) << stop.driveLog.error;
    for (const auto& entry : std::filesystem::directory_iterator(directory.path() / "log"))
        EXPECT_NE(entry.path().extension(), ".journal") << "an orderly stop removes the journal";
    const std::string image = readFile(stop.driveLog.path);
    const int32_t n = sampleCount.load();
    ASSERT_EQ(static_cast<long>(image.size()), 780L + 40L * n);
    int marks = 0;
    for (int32_t i = 0; i < n; ++i) {
        LogSample s;
        std::memcpy(&s, image.data() + 4 + 40 * i, sizeof s);
        if (s.lapMark == 0) continue;
        ++marks;
        EXPECT_NEAR(s.latitude, POINT_LAT, 1e-9) << "a lap mark sits on the fix that passed";
        EXPECT_EQ(s.tick, passLog.passTicks[marks - 1]);
    }
    EXPECT_EQ(marks, 3);
    EXPECT_GE(n, samplesExpected) << "one sample per second with a fix";

    // The viewer's lap list agrees with the lap timer: each lap from its mark
    // to the next, to the millisecond here (the marks sit on the passing fixes).
    ASSERT_EQ(loadDriveLog(stop.driveLog.path), LOAD_OK);
    ASSERT_EQ(driveModel.lapCount, 2);
    for (int lap = 0; lap < 2; ++lap) {
        EXPECT_EQ(driveModel.laps[static_cast<size_t>(lap)].lapTimeMs,
                  static_cast<int32_t>(tickDifference(passLog.passTicks[lap + 1], passLog.passTicks[lap])));
        EXPECT_EQ(lapListRow(driveModel.laps[static_cast<size_t>(lap)], lap)[1], "00:00:15:00");
    }
    resetDriveModel();
}

// Re-timing the recorded drive log with the same course gives the passes the
// live run counted, to the millisecond and in the same samples; interpolated,
// a pass between two fixes is stamped half-way, once the next fix arrived.
TEST_F(CaptureChainTest, RetimingTheDriveLogGivesTheLivePasses) {
    for (const bool interpolate : {false, true}) {
        SCOPED_TRACE(interpolate ? "interpolated" : "at the check");
        interpolatePassTime = interpolate ? 1 : 0;
        fakeTickMs = 100000;
        samplesExpected = 0;
        resetGeodesyState();  // a fresh program: no segment from the last run's final fix
        ASSERT_EQ(startMeasuring(), START_OK);
        second(POINT_LAT + 0.01, POINT_LON);
        for (int lap = 0; lap < 3; ++lap) {
            for (int i = 0; i < FIXES_PER_LAP - 4; ++i) second(POINT_LAT + 0.01, POINT_LON + 0.0001 * i);
            for (double northM : {30.0, 10.0, -10.0, -30.0}) second(POINT_LAT + northM / 111000.0, POINT_LON);
        }
        const StopResult stop = stopMeasuring();
        ASSERT_EQ(stop.driveLog.status, DRIVE_LOG_WRITTEN) << stop.driveLog.error;
        const PassLog live = passLog;
        ASSERT_EQ(live.passCount, 3);
        const uint32_t lapMs = tickDifference(live.passTicks[1], live.passTicks[0]);
        EXPECT_EQ(lapMs, FIXES_PER_LAP * 1000u);
        const uint32_t fixBeforeMs = interpolate ? 500 : 0;  // 10 m before the point or half-way past it
        EXPECT_EQ(tickDifference(live.passTicks[0], 0), 100000u + (FIXES_PER_LAP - 2) * 1000u + fixBeforeMs)
            << "first pass tick";

        DriveLogContent log;
        std::string error;
        ASSERT_TRUE(readDriveLogContent(stop.driveLog.path, log, error)) << error;
        ReplayOptions options;
        options.interpolate = interpolate;
        const ReplayResult again = replayPasses(fixesFromSamples(log.samples), log.course, options);
        ASSERT_EQ(again.passLog.passCount, live.passCount);
        // The log keeps positions at the ticks they were sampled, not at the
        // ticks they arrived: interpolated times agree within a sampling period.
        const int32_t toleranceMs = interpolate ? 1000 : 1;
        for (int k = 0; k < live.passCount; ++k) {
            EXPECT_LE(std::abs(static_cast<int32_t>(again.passLog.passTicks[k] - live.passTicks[k])), toleranceMs) << k;
        }
        if (!interpolate) {
            for (size_t i = 0; i < log.samples.size(); ++i) {
                EXPECT_EQ(again.samples[i].lapMark, log.samples[i].lapMark) << "sample " << i;
            }
        }
    }
}

// Window-thread commands arrive while the reader runs: they are taken safely
// and count from the next fix on (a ThreadSanitizer build checks the "safely").
TEST_F(CaptureChainTest, CourseChangesWhileMeasuringTakeEffectFromTheNextFix) {
    ASSERT_EQ(startMeasuring(), START_OK);
    second(POINT_LAT + 0.01, POINT_LON);
    lap();
    ASSERT_EQ(passLog.passCount, 1);
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "0");

    std::atomic<bool> done{false};
    const std::string path = directory / "same.gps";
    ASSERT_EQ(saveCourse(path.c_str()).status, FileWriteStatus::WRITTEN);
    std::thread window([&] {
        while (!done.load()) {
            ASSERT_EQ(loadCourse(path.c_str()), 0);  // the same course again, while measuring
            const CommandStates states = commandStates(currentCommandInputs());
            EXPECT_TRUE(states.of(COMMAND_STOP).enabled);
            EXPECT_EQ(pointDistancePanelTexts(publishedPointDistances().distanceM).size(), 2u);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    lap();
    done = true;
    window.join();
    EXPECT_EQ(passLog.passCount, 2);
    EXPECT_EQ(sink.text(PANEL_LAP_COUNT), "1");
    EXPECT_LT(publishedPointDistances().distanceM[0], 0.01) << "the lap ended at the point";

    // Open return from the next fix: the pass at point 1 starts a leg.
    ASSERT_TRUE(changeCourseType(COURSE_OPEN_RETURN));
    // Add point: the next fix (away from point 1) becomes point 2.
    ASSERT_TRUE(requestPointRegistration());
    second(POINT_LAT + 0.01, POINT_LON + 0.002);
    ASSERT_EQ(currentCourse().pointCount, 2);
    EXPECT_FALSE(commandStates(currentCommandInputs()).of(COMMAND_ADD_POINT).enabled) << "course full";
    ASSERT_FALSE(sink.shownCourses().empty());
    EXPECT_EQ(sink.shownCourses().back().pointCount, 2);
    lap();  // point 1: starts the outbound leg
    EXPECT_EQ(passLog.passCount, 3);
    EXPECT_EQ(sink.cues().back(), CUE_POINT1);
}

// A receiver unplugged mid-run and plugged in again under the same path (a
// symlink re-pointed to a new pseudo-terminal): the loss is shown, the
// recorder leaves a gap instead of frozen samples, the segment across the gap
// counts no pass, and the laps after the return are timed.
TEST_F(CaptureChainTest, LostReceiverIsReopenedByItsPathAndLapsGoOn) {
    const std::filesystem::path link = directory / "gps-receiver";
    std::filesystem::create_symlink(pty->path(), link);
    setPortName(gpsPort, link.string());
    ASSERT_EQ(startMeasuring(), START_OK);
    second(POINT_LAT + 0.01, POINT_LON);
    lap();
    lap();
    ASSERT_EQ(passLog.passCount, 2);
    for (int i = 0; i < 11; ++i) second(POINT_LAT - 0.01, POINT_LON);  // south of the point, past the hold
    const uint32_t lastFixMs = fakeTickMs - 1000;

    pty.reset();  // unplugged
    // The sample due one period after the last fix may still repeat it; once
    // the fix is older than FIX_STALE_MS the recorder takes no more.
    fakeTickMs = lastFixMs + FIX_STALE_MS;
    ASSERT_TRUE(eventually([&] { return sampleCount.load() >= samplesExpected + 2; }));
    fakeTickMs += 500;
    ASSERT_TRUE(eventually([] { return fixLost.load() == 1; }));
    ASSERT_TRUE(eventually([&] { return sink.text(PANEL_STATUS) == RECEIVER_LOST_TEXT; }));
    fakeTickMs += 5000;
    const int32_t samplesBeforeReturn = sampleCount.load();

    // Plugged in again, north of the point: the straight line from the last
    // fix crosses the point, but over a gap no pass is counted there.
    pty = std::make_unique<Pty>();
    ASSERT_TRUE(pty->ok());
    const std::filesystem::path fresh = directory / "gps-receiver.new";
    std::filesystem::create_symlink(pty->path(), fresh);
    std::filesystem::rename(fresh, link);
    for (int attempt = 0; fixLost.load() != 0; ++attempt) {
        ASSERT_LT(attempt, 20) << "the port was not reopened";
        fakeTickMs += REOPEN_INTERVAL_MS;  // the next attempt is due
        pty->write(fixBytes(POINT_LAT + 0.01, POINT_LON));
        eventually([] { return fixLost.load() == 0; }, 300);
    }
    const uint32_t returnMs = fakeTickMs;
    EXPECT_NE(sink.text(PANEL_STATUS), RECEIVER_LOST_TEXT) << "replaced when lines come back";
    ASSERT_TRUE(eventually([&] { return sampleCount.load() > samplesBeforeReturn; }));
    samplesExpected = sampleCount.load();
    fakeTickMs += 1000;
    EXPECT_EQ(passLog.passCount, 2) << "no pass on the segment across the gap";
    lap();
    lap();
    const StopResult stop = stopMeasuring();

    ASSERT_EQ(passLog.passCount, 4);
    EXPECT_EQ(tickDifference(passLog.passTicks[3], passLog.passTicks[2]), FIXES_PER_LAP * 1000u);
    for (int32_t i = 1; i < sampleCount.load(); ++i) {
        const uint32_t tick = samples[i].tick;
        EXPECT_FALSE(tick > lastFixMs + FIX_STALE_MS && tick < returnMs) << "frozen sample at " << tick;
    }
    EXPECT_NEAR(samples[samplesBeforeReturn].latitude, POINT_LAT + 0.01, 1e-6)
        << "the first sample after the gap is the fix that came back";
    ASSERT_EQ(stop.driveLog.status, DRIVE_LOG_WRITTEN) << stop.driveLog.error;
}

}  // namespace
