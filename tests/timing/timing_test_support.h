// Shared pieces of the timing tests: a sink that records what the cores
// tell the user interface, a hand-driven millisecond clock, and a fixture
// that puts every process-wide record back to its start-up value.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <unistd.h>

#include "capture/gps/capture_sink.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/lap_timing.h"
#include "platform/exe_directory.h"
#include "platform/tick.h"

class RecordingSink : public CaptureSink {
public:
    void setPanelText(int id, std::string_view text) override {
        std::lock_guard<std::mutex> guard(lock);
        panel[id] = std::string(text);
    }
    void playCue(int cue) override {
        std::lock_guard<std::mutex> guard(lock);
        cues.push_back(cue);
    }
    void showFlash() override { flashes.fetch_add(1); }
    void showCoursePoints() override { coursePointRedraws.fetch_add(1); }

    std::vector<int> cueList() {
        std::lock_guard<std::mutex> guard(lock);
        return cues;
    }
    std::string text(int id) {
        std::lock_guard<std::mutex> guard(lock);
        return panel[id];
    }

    std::atomic<int> flashes{0};
    std::atomic<int> coursePointRedraws{0};

private:
    std::mutex lock;
    std::map<int, std::string> panel;
    std::vector<int> cues;
};

// The clock the cores read while a test runs; tests move it by hand.
inline std::atomic<uint32_t> fakeTickMs{0};
inline uint32_t readFakeTick() { return fakeTickMs.load(); }

class TimingTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetGpsStateForTests();
        resetGeodesyStateForTests();
        applyDefaultSettings();
        resetLapTimingState();
        clearPassLog();
        lapMarkPending = 0;
        beaconPulsePending = 0;
        fakeTickMs = 1000;
        platform::setTickSourceForTests(readFakeTick);
        setCaptureSink(&sink);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        directory = std::filesystem::temp_directory_path() /
                    (std::string("timing_test_") + std::to_string(::getpid()) + "_" +
                     info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        platform::setExeDirectoryForTests(directory.string());
    }
    void TearDown() override {
        setCaptureSink(nullptr);
        platform::setTickSourceForTests(nullptr);
        platform::setExeDirectoryForTests("");
        std::filesystem::remove_all(directory);
    }

    // Puts the car `distanceM` from point i (and `segmentM` from the last segment).
    static void placeCar(int i, double distanceM, double segmentM = -1.0) {
        pointDistance[i] = distanceM;
        pointSegmentDistance[i] = segmentM;
    }

    RecordingSink sink;
    std::filesystem::path directory;
};
