// The capture window in a test: offscreen, every process-wide record at its
// start-up value, the GPS port on a pseudo-terminal, the program folder and
// the log folder in a fresh temporary folder, and prompts that record what
// they were asked and answer from a script instead of blocking.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "capture/app/capture_window.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/course.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/lap_timing.h"
#include "capture/timing/measurement.h"
#include "capture/timing/recorder.h"
#include "capture/timing/timing_state.h"
#include "common/sjis.h"
#include "platform/exe_directory.h"
#include "platform/tick.h"
#include "tests/support/eventually.h"
#include "tests/support/pty.h"
#include "tests/support/temp_dir.h"

// Font and desktop libraries keep caches for the life of the process.
// Each test program includes this header once.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libQt6Gui\nleak:libdbus\n";
}

inline QApplication& testApp() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "capture_window_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: teardown at exit would run after Qt's own statics
    // (the pointing devices) are gone.
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

constexpr double POINT_LAT = 35.0;
constexpr double POINT_LON = 139.0;

// A course of `type` with `points` registered points (near 35 N 139 E) and a name.
inline Course makeCourse(int32_t type, int points, const char* utf8Name = "天馬") {
    Course c;
    c.courseType = type;
    c.pointCount = points;
    for (int i = 0; i < points; ++i) {
        c.points[i].latitude = POINT_LAT + 0.01 * i;
        c.points[i].longitude = POINT_LON;
        toGeocentric(c.points[i], 0);
    }
    const std::string name = utf8ToSjis(utf8Name);
    std::snprintf(c.name, sizeof c.name, "%s", name.c_str());
    return c;
}

// One NMEA sentence with its checksum and CR LF.
inline std::string nmeaSentence(const std::string& body) {
    unsigned sum = 0;
    for (char ch : body) sum ^= static_cast<unsigned char>(ch);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

class CaptureWindowTest : public ::testing::Test {
protected:
    struct Asked {
        QString text, caption;
    };

    void SetUp() override {
        testApp();
        resetGpsState();
        resetTimingState();
        platform::setTickSourceForTests(nullptr);
        platform::setExeDirectoryForTests(dir.path().string() + "/");
        ASSERT_TRUE(pty.ok());
        setPortName(gpsPort, pty.path());
        captureSettings.samplingPeriodMs = 50;
        ASSERT_EQ(allocateSampleBuffer(), 0);
        setDriveLogDirectory(dir / "log");
        std::filesystem::create_directories(dir.path() / "log");
        window = std::make_unique<CaptureWindow>();
        scriptPrompts(window->prompts());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        if (readerRunning.load() != 0 || recording.load() != 0) stopMeasuring();
        window.reset();
        resetTimingState();
        resetGpsState();
        platform::setExeDirectoryForTests("");
    }

    void scriptPrompts(CaptureWindow::Prompts& p) {
        p.askSave = [this](const QString& text) {
            asked.push_back({text, "askSave"});
            return saveAnswer;
        };
        p.error = [this](const QString& text, const QString& caption) { errors.push_back({text, caption}); };
        p.warning = [this](const QString& text, const QString& caption) { warnings.push_back({text, caption}); };
        p.chooseFile = [this](std::string& path, bool forSaving, const std::string& title) {
            chooserTitles.push_back(title + (forSaving ? " (save)" : " (open)"));
            if (chosenFiles.empty()) return 1;
            path = chosenFiles.front();
            chosenFiles.pop_front();
            return path.empty() ? 1 : 0;
        };
        p.askLogRetry = [this](const QString& text) {
            asked.push_back({text, "askLogRetry"});
            if (retryAnswers.empty()) return 2;
            const int answer = retryAnswers.front();
            retryAnswers.pop_front();
            return answer;
        };
        p.chooseLogFolder = [this] { return otherLogFolder; };
        p.askCourseName = [this] { return courseNameAnswer; };
    }

    // Starts measuring through the menu command; the port is the pty.
    void startThroughMenu() {
        window->handleCommand(COMMAND_START);
        ASSERT_EQ(readerRunning.load(), 1) << (errors.empty() ? "" : errors.back().text.toStdString());
    }
    // Sends fixes at course point 1 until the recorder holds a few samples.
    // The pass is counted when the first fix is checked, long before the
    // recorder's third sample (50 ms apart), so the run then has a drive log to
    // write. (The pass log itself belongs to the reader until it stops.)
    void driveThroughPointOne() {
        const std::string fix = nmeaSentence("GPGGA,030000.00,3500.0000,N,13900.0000,E,1,08,0.9,50.0,M,,M,,");
        ASSERT_TRUE(eventually([&] {
            pty.write(fix);
            return sampleCount.load() >= 3;
        })) << "the recorder took " << sampleCount.load() << " samples";
    }
    void flushPanel() { QCoreApplication::processEvents(); }

    TempDir dir;
    Pty pty;
    std::unique_ptr<CaptureWindow> window;
    // Scripted answers.
    int saveAnswer = 0x00004000;  // QMessageBox::Yes
    std::deque<std::string> chosenFiles;  // "" or none left: the chooser is cancelled
    std::deque<int> retryAnswers;         // none left: give up
    std::string otherLogFolder;
    int courseNameAnswer = 0;
    // What was asked.
    std::vector<Asked> asked, errors, warnings;
    std::vector<std::string> chooserTitles;
};
