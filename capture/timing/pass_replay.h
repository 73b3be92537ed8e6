// Recorded fixes through the capture program's own pass rules, and the drive
// log that results.
//
// replayPasses feeds each fix, at its own tick, through the same fix
// completion, geodesy (distance to each point and to the segment driven since
// the previous fix) and lap check (checkPointPasses) that time laps live: the
// millisecond tick source is replaced by the fixes' ticks for the duration of
// the call. Passes, holds, course types, the 100-entry pass log and the
// interpolated pass time therefore come out exactly as the capture program
// would have produced them for a receiver delivering these fixes at these
// ticks.
//
// Typical use (re-timing a drive log, importing another logger's recording):
//
//     std::vector<ReplayFix> fixes = ...;            // oldest first
//     Course course = ...;                           // type, points (name kept)
//     ReplayOptions options;                         // radius 15 m, not interpolated
//     options.interpolate = true;
//     ReplayResult result = replayPasses(fixes, course, options);
//     DriveLogContent log = buildDriveLog(result, course);
//     FileWriteResult w = writeDriveLogContent("out.gpd", log);
//
// Threads: the replay borrows the capture program's process-wide timing state
// (course, settings, geodesy, lap check, pass log, sink, tick source). Call it
// on one thread only, never while a measurement runs (no GPS reader, no
// recorder); every record it touches is put back as it was before it returns.
// Qt-free; link the `timing` library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/records.h"

// One position as a receiver delivered it.
struct ReplayFix {
    uint32_t tickMs = 0;     // arrival tick, milliseconds, modulo 2^32 (wraps are fine)
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, east positive
    double altitude = 0.0;   // metres; carried into the samples, never used for timing
};

struct ReplayOptions {
    double radiusM = 15.0;     // pass radius around each course point, metres
    bool interpolate = false;  // stamp passes with the moment of closest approach
    int32_t datum = -1;        // datum of the fixes: 0 WGS-84, 1 Tokyo; -1 the course's courseDatum
};

struct ReplayPass {
    int point = 0;           // 0 point 1, 1 point 2
    uint32_t tickMs = 0;     // the pass time as the pass log holds it
    size_t fixIndex = 0;     // the fix whose check counted it; its sample carries the lap mark
};

struct ReplayResult {
    std::vector<ReplayPass> passes;  // every counted pass, oldest first (also beyond the log's 100)
    PassLog passLog;                 // the pass log the capture program would write: the first 100
    std::vector<LogSample> samples;  // one per fix: its tick, position, and lap mark 1 at the fix
                                     // whose check counted a pass (reserved words 0)
};

// Runs the pass rules over `fixes` (oldest first; a fix with latitude or
// longitude exactly 0 is taken as "no position" and skipped for timing, but
// still becomes a sample). The course's points are placed under its
// courseDatum; its pointCount is held to 0..2 and its type used as it stands
// (an unknown type counts no pass, as live). Fixes whose geocentric position
// repeats the previous one (a receiver sending two sentences per instant, a
// car at rest) behave as they do live.
ReplayResult replayPasses(const std::vector<ReplayFix>& fixes, const Course& course,
                          const ReplayOptions& options);

// The three blocks of a drive log file.
struct DriveLogContent {
    std::vector<LogSample> samples;  // at least one for a file readers accept
    PassLog passLog;
    Course course;                   // written byte for byte, name included
};

// samples and pass log of `result` with `course` (datum and name as given).
DriveLogContent buildDriveLog(const ReplayResult& result, const Course& course);

// Writes the image in the capture program's drive log layout (count, samples,
// pass log, course, four zero bytes: 780 + 40 N bytes) through a temporary
// file, replacing `path` only once complete. FAILED with the reason when the
// image has no sample or the file cannot be written.
FileWriteResult writeDriveLogContent(const std::string& path, const DriveLogContent& image);

// Reads any drive log, whatever its pass count (readers for analysis refuse
// logs with fewer than two passes). False with `error` set ("cannot open",
// "damaged: ...") when the file is missing, its sample count is not positive
// or it is shorter than the count promises; a short pass log or course block
// reads as zeros, as everywhere.
bool readDriveLogContent(const std::string& path, DriveLogContent& image, std::string& error);

// The fixes of a drive log: each sample's tick and position, in order.
std::vector<ReplayFix> fixesFromSamples(const std::vector<LogSample>& samples);
