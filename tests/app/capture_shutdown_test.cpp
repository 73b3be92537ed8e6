// A run is never lost at its end: a drive log that cannot be written is
// reported with its name and reason, and at exit the samples stay until the
// log is written elsewhere or the user gives it up. The settings reach their
// file at exit, and a recorder capacity the settings could not have is told.
#include <fstream>

#include <QAction>

#include "capture/timing/command_states.h"
#include "capture/timing/pass_time_option.h"
#include "tests/app/capture_window_fixture.h"

namespace {

class CaptureRunEnd : public CaptureWindowTest {
protected:
    void SetUp() override {
        CaptureWindowTest::SetUp();
        replaceCourse(makeCourse(COURSE_LOOP, 1));
        startThroughMenu();
        driveThroughPointOne();
        // The log folder cannot be made: a plain file stands where its parent
        // would be (a missing folder alone is created at the write).
        std::ofstream(dir / "blocked") << "not a folder";
        setDriveLogDirectory(dir / "blocked/log");
    }
    std::vector<std::filesystem::path> logsIn(const std::string& folder) const {
        std::vector<std::filesystem::path> logs;
        if (!std::filesystem::exists(folder)) return logs;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (e.path().extension() == ".gpd") logs.push_back(e.path());
        return logs;
    }
};

TEST_F(CaptureRunEnd, StopNamesTheLogThatCouldNotBeWrittenAndWhy) {
    window->handleCommand(COMMAND_STOP);
    ASSERT_EQ(errors.size(), 1u);
    const std::string text = errors[0].text.toStdString();
    EXPECT_EQ(errors[0].caption, "エラー");
    EXPECT_NE(text.find(dir / "blocked/log/"), std::string::npos) << text;
    EXPECT_NE(text.find("Not a directory"), std::string::npos) << "the reason: " << text;
}

TEST_F(CaptureRunEnd, ExitRetriesThenWritesTheLogToAnotherFolderAndSavesTheSettings) {
    const std::string other = dir / "other";
    std::filesystem::create_directories(other);
    otherLogFolder = other;
    retryAnswers = {0, 1};  // retry (fails again), then another folder
    window->action(COMMAND_SOUND_GUIDANCE)->trigger();
    window->action(COMMAND_FLASH_ON_PASS)->trigger();
    window->action(COMMAND_INTERPOLATE_PASS_TIME)->trigger();
    const int32_t sound = captureSettings.soundGuidance, flash = captureSettings.flashOnPass;

    window->shutdown();
    ASSERT_EQ(asked.size(), 2u) << "asked once per failed write";
    for (const Asked& a : asked) {
        EXPECT_EQ(a.caption, "askLogRetry");
        EXPECT_NE(a.text.toStdString().find(dir / "blocked/log/"), std::string::npos) << a.text.toStdString();
    }
    const auto logs = logsIn(other);
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_GE(std::filesystem::file_size(logs[0]), 780u + 40u * 3u) << "the samples of the run";
    EXPECT_EQ(maxSamples, 0) << "the buffer is freed after the log is out";

    // The toggled options are in the settings file.
    applyDefaultSettings();
    ASSERT_EQ(loadSettings(), 0);
    EXPECT_EQ(captureSettings.soundGuidance, sound);
    EXPECT_EQ(captureSettings.flashOnPass, flash);
    EXPECT_EQ(std::string(gpsPort.portName), pty.path());
    ASSERT_EQ(loadPassTimeOption(), 0);
    EXPECT_EQ(interpolatePassTime, 1) << "in a file of its own";
    EXPECT_EQ(std::filesystem::file_size(dir / "velmora.pref"), 864u);

    window->shutdown();  // a second end (quit after the session ended) does nothing
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(CaptureRunEnd, ExitGivesUpOnlyWhenTheUserSaysSo) {
    otherLogFolder = "";   // the folder chooser is cancelled: asked again
    retryAnswers = {1, 2};
    window->shutdown();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_TRUE(logsIn(dir / "log").empty());
    EXPECT_TRUE(std::filesystem::exists(dir / "velmora.pref")) << "the settings are written anyway";
}

using CaptureStartUp = CaptureWindowTest;

TEST_F(CaptureStartUp, ReducedRecorderCapacityIsToldOnceTheWindowIsUp) {
    // 1 ms for 20 000 s asks for 20 million samples, twice what the buffer takes.
    captureSettings.samplingPeriodMs = 1;
    captureSettings.maxRecordingSeconds = 20000;
    ASSERT_EQ(saveSettings().status, FileWriteStatus::WRITTEN);
    applyDefaultSettings();
    ASSERT_EQ(loadSettings(), 0);

    ASSERT_EQ(window->allocateSampleBufferAndTell(), 0);
    EXPECT_TRUE(warnings.empty()) << "not before the event loop shows the window";
    QCoreApplication::processEvents();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].text.toStdString().find(std::to_string(MAX_SAMPLE_CAPACITY)), std::string::npos)
        << warnings[0].text.toStdString();
    EXPECT_EQ(maxSamples, MAX_SAMPLE_CAPACITY);

    // Settings that fit say nothing.
    applyDefaultSettings();
    ASSERT_EQ(window->allocateSampleBufferAndTell(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(maxSamples, 7200);
}

}  // namespace
