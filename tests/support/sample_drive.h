// Drive logs for the viewer's tests: laps of the recorded Tianma track as
// sample-log writes them (a loop course on the recording's start).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "tools/sample-log/drive_log_builder.h"

inline const std::vector<gpssim::TrackSample>& tianmaTrack() {
    static const gpssim::TrackReadResult read =
        gpssim::readTrackCsv(std::string(SAMPLES_DIR) + "/tracks/tianma-lap.csv");
    EXPECT_TRUE(read.error.empty()) << read.error;
    return read.samples;
}

inline samplelog::BuiltDriveLog tianmaLog(int laps, const std::string& courseName = "天馬サーキット") {
    samplelog::DriveLogPlan plan;
    plan.laps = laps;
    plan.courseNameUtf8 = courseName;
    return samplelog::buildDriveLog(tianmaTrack(), plan);
}

// Writes the log's file image to `path`; returns the path.
inline std::string writeSampleLog(const std::string& path, const samplelog::BuiltDriveLog& log) {
    EXPECT_TRUE(log.error.empty()) << log.error;
    EXPECT_EQ(writeFileAtomically(path, samplelog::driveLogBytes(log)).status, FileWriteStatus::WRITTEN) << path;
    return path;
}
