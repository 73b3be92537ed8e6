// A recording turned into a drive log: its fixes through the capture
// program's pass rules (pass_replay.h), with the course given, or the
// recording's own start/finish.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "capture/timing/pass_replay.h"
#include "import/recording.h"

struct ImportOptions {
    std::optional<Course> course;        // a course file's course (points, type, name)
    std::vector<LatLon> points;          // course points given as coordinates (1 or 2)
    std::optional<int32_t> courseType;   // type for `points`; loop for one point, open for two
    double radiusM = 15.0;               // pass radius, metres
    bool interpolate = false;            // passes at the closest approach between fixes
    std::string nameUtf8;                // course name; else the course's, the recording's, `fallbackName`
    std::string fallbackName;            // usually the file's stem
};

struct ImportedDrive {
    bool ok = false;
    std::string error;
    DriveLogContent image;   // samples at the recording's fix times, pass log, course
    ReplayResult replay;
    std::string courseFrom;  // "course file", "--point", "the recording's start/finish", ...
};

// The course the options describe for this recording; nullopt with `error`
// when there is none (no course, no point and no start/finish in the file).
std::optional<Course> importCourse(const Recording& recording, const ImportOptions& options, std::string& error,
                                   std::string& courseFrom);

// Times the recording's laps. Fails (no image) when no course can be formed.
// A recording with no counted pass is a success with an empty pass log: the
// caller decides whether such a log is worth writing.
ImportedDrive importDrive(const Recording& recording, const ImportOptions& options);
