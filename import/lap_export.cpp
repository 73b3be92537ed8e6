#include "import/lap_export.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "common/sjis.h"
#include "import/utc_time.h"
#include "viewer/analysis/drive_model.h"

namespace {

constexpr uint32_t MS_PER_DAY = 86400000;
constexpr double LEAD_M = 100.0;     // the lead-in and run-out reach this far from the line
constexpr int LEAD_MAX_SAMPLES = 500;
constexpr double EARTH_RADIUS_M = 6371000.0;
constexpr double DEG_TO_RAD = 0.017453292519943295;

double metresBetween(const LogSample& a, const LogSample& b) {
    const double north = (b.latitude - a.latitude) * DEG_TO_RAD * EARTH_RADIUS_M;
    const double east =
        (b.longitude - a.longitude) * DEG_TO_RAD * EARTH_RADIUS_M * std::cos(a.latitude * DEG_TO_RAD);
    return std::hypot(north, east);
}

// The last sample, stepping by `step` from `from`, still within LEAD_M of it.
int leadEnd(int from, int step) {
    const LogSample& line = driveModel.samples[static_cast<size_t>(from)];
    int at = from;
    for (int n = 0; n < LEAD_MAX_SAMPLES; ++n) {
        const int next = at + step;
        if (next < 0 || next >= driveModel.sampleCount) break;
        at = next;
        if (metresBetween(line, driveModel.samples[static_cast<size_t>(at)]) > LEAD_M) break;
    }
    return at;
}

}  // namespace

std::vector<ExportPoint> lapExportPoints(int lap, int64_t dateUnixS, bool leadIn) {
    std::vector<ExportPoint> points;
    if (!isLapCut(lap)) return points;
    const LapRecord& record = driveModel.laps[static_cast<size_t>(lap)];
    const uint32_t startTick = driveModel.samples[static_cast<size_t>(record.startSample)].tick;
    const int64_t startMs = utcMidnight(dateUnixS) * 1000 + startTick % MS_PER_DAY;
    // A loop lap runs to the next lap's mark: its track closes there, as its time does.
    const bool closedLoop =
        driveModel.course.courseType == COURSE_LOOP && record.endSample + 1 < driveModel.sampleCount;
    const int closing = closedLoop ? record.endSample + 1 : record.endSample;
    const int last = leadIn ? leadEnd(closing, 1) : closing;
    const int first = leadIn ? std::max(1, leadEnd(record.startSample, -1)) : record.startSample;
    for (int i = first; i <= last; ++i) {
        const LogSample& s = driveModel.samples[static_cast<size_t>(i)];
        ExportPoint p;
        p.unixMs = startMs + static_cast<int32_t>(s.tick - startTick);
        p.latitude = s.latitude;
        p.longitude = s.longitude;
        p.altitudeM = s.altitude;
        p.speedKmh = driveModel.points[static_cast<size_t>(std::clamp(i, record.startSample, record.endSample))].speed;
        points.push_back(p);
    }
    return points;
}

std::string lapExportName(int lap) {
    std::string name = sjisToUtf8(fixedText(driveModel.course.name));
    if (!name.empty()) name += ' ';
    const LapRecord& record = driveModel.laps[static_cast<size_t>(lap)];
    const auto ms = static_cast<int>(record.lapTimeMs);
    char time[48];
    std::snprintf(time, sizeof time, "lap %d %d:%02d.%02d", lap + 1, ms / 60000, ms / 1000 % 60, ms % 1000 / 10);
    return name + time;
}

WriteOutcome exportLap(int lap, const std::string& path, int64_t dateUnixS) {
    ExportFormat format = ExportFormat::Gpx;
    if (!exportFormatOf(path, format)) return {2, path + ": the name must end in .gpx or .kml"};
    if (!isLapCut(lap)) return {3, "lap " + std::to_string(lap + 1) + " is not a complete lap"};
    return writeTrackFile(path, format, lapExportName(lap),
                          lapExportPoints(lap, dateUnixS, format == ExportFormat::Gpx));
}

int64_t fileDateUnixS(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return static_cast<int64_t>(std::time(nullptr));
    return static_cast<int64_t>(info.st_mtime);
}
