// A drive log as the capture program would have written it for a car that
// drove a recorded track lap after lap on a loop course whose point is where
// the recording starts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/records.h"
#include "tools/gps-sim/track_csv.h"

namespace samplelog {

struct DriveLogPlan {
    int laps = 3;
    int32_t periodMs = 100;      // sampling period
    int32_t leadMs = 3050;       // recorded before the first pass
    int32_t tailMs = 3050;       // recorded after the last pass
    uint32_t firstTick = 1000000;
    std::string courseNameUtf8 = "天馬サーキット";
};

struct BuiltDriveLog {
    std::vector<LogSample> samples;
    PassLog passLog;
    Course course;
    int32_t lapMs = 0;  // the recorded lap, rounded to the millisecond
    std::string error;  // empty on success
};

// The laps are the recording up to its lap end (see lapEndIndex), repeated;
// positions between recorded rows are interpolated linearly.
BuiltDriveLog buildDriveLog(const std::vector<gpssim::TrackSample>& track, const DriveLogPlan& plan);

// The file image: count, samples, pass log, course, four zero bytes.
std::string driveLogBytes(const BuiltDriveLog& log);

}  // namespace samplelog
