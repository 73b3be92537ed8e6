// The timing tests' fixture: every process-wide record back to its start-up
// value, a hand-driven millisecond clock, a recording sink and a folder that
// stands in for the program's own.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>

#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/course.h"
#include "capture/timing/lap_timing.h"
#include "capture/timing/timing_state.h"
#include "platform/exe_directory.h"
#include "platform/tick.h"
#include "tests/support/eventually.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_dir.h"

// The clock the cores read while a test runs; tests move it by hand.
inline std::atomic<uint32_t> fakeTickMs{0};
inline uint32_t readFakeTick() { return fakeTickMs.load(); }

class TimingTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetGpsState();
        resetTimingState();
        fakeTickMs = 1000;
        platform::setTickSourceForTests(readFakeTick);
        platform::setExeDirectoryForTests(directory.path().string());
    }
    void TearDown() override {
        resetTimingState();
        resetGpsState();
        platform::setTickSourceForTests(nullptr);
        platform::setExeDirectoryForTests("");
    }

    RecordingSink sink;
    TempDir directory;
};
