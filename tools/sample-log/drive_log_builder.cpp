#include "tools/sample-log/drive_log_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "capture/gps/geodesy.h"
#include "common/sjis.h"

namespace samplelog {
namespace {

struct Position {
    double latitude, longitude, altitude;
};

// Position at `timeS` into the lap (0 <= timeS <= the lap end's time).
Position positionAt(const std::vector<gpssim::TrackSample>& track, size_t lapEnd, double timeS) {
    const auto begin = track.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(lapEnd) + 1;
    auto after = std::upper_bound(begin, end, timeS,
                                  [](double t, const gpssim::TrackSample& s) { return t < s.timeS; });
    if (after == begin) after = begin + 1;
    if (after == end) after = end - 1;
    const gpssim::TrackSample& a = *(after - 1);
    const gpssim::TrackSample& b = *after;
    const double f = std::clamp((timeS - a.timeS) / (b.timeS - a.timeS), 0.0, 1.0);
    return {a.position.latitudeDeg + f * (b.position.latitudeDeg - a.position.latitudeDeg),
            a.position.longitudeDeg + f * (b.position.longitudeDeg - a.position.longitudeDeg),
            a.altitudeM + f * (b.altitudeM - a.altitudeM)};
}

}  // namespace

BuiltDriveLog buildDriveLog(const std::vector<gpssim::TrackSample>& track, const DriveLogPlan& plan) {
    BuiltDriveLog log;
    if (track.size() < 2) {
        log.error = "the track needs at least two rows";
        return log;
    }
    if (plan.laps < 1 || plan.laps + 1 > PASS_LOG_CAPACITY) {
        log.error = "laps must be 1 to " + std::to_string(PASS_LOG_CAPACITY - 1);
        return log;
    }
    if (plan.periodMs < 1 || plan.leadMs < 0 || plan.tailMs < 0) {
        log.error = "the sampling period must be at least 1 ms";
        return log;
    }
    const size_t lapEnd = gpssim::lapEndIndex(track);
    const double lapS = track[lapEnd].timeS;
    log.lapMs = static_cast<int32_t>(std::lround(lapS * 1000.0));
    if (log.lapMs < 1000) {
        log.error = "the recorded lap is shorter than a second";
        return log;
    }
    const int64_t total = int64_t{plan.leadMs} + int64_t{plan.laps} * log.lapMs + plan.tailMs;
    const int64_t count = total / plan.periodMs + 1;
    if (count > 2'000'000) {
        log.error = "too many samples";
        return log;
    }
    // Passes: the car crosses the course point at the start of every lap.
    log.passLog.passCount = plan.laps + 1;
    for (int k = 0; k <= plan.laps; ++k) {
        log.passLog.passTicks[k] = plan.firstTick + static_cast<uint32_t>(plan.leadMs + int64_t{k} * log.lapMs);
    }
    log.samples.reserve(static_cast<size_t>(count));
    int nextPass = 0;
    for (int64_t i = 0; i < count; ++i) {
        const int64_t elapsed = i * plan.periodMs;  // since the first sample
        LogSample sample;
        sample.tick = plan.firstTick + static_cast<uint32_t>(elapsed);
        // Time into the lap: the lead is the end of a lap before the first pass.
        int64_t intoLap = (elapsed - plan.leadMs) % log.lapMs;
        if (intoLap < 0) intoLap += log.lapMs;
        const Position p = positionAt(track, lapEnd, static_cast<double>(intoLap) / 1000.0);
        sample.latitude = p.latitude;
        sample.longitude = p.longitude;
        sample.altitude = p.altitude;
        // A mark on the first sample taken after a pass.
        while (nextPass < log.passLog.passCount && log.passLog.passTicks[nextPass] < sample.tick && i > 0) {
            sample.lapMark = 1;
            ++nextPass;
        }
        log.samples.push_back(sample);
    }
    GeoPoint& point = log.course.points[0];
    point.latitude = track[0].position.latitudeDeg;
    point.longitude = track[0].position.longitudeDeg;
    point.altitude = track[0].altitudeM;
    toGeocentric(point, 0);
    log.course.pointCount = 1;
    log.course.courseType = COURSE_LOOP;
    const std::string name = utf8ToSjis(plan.courseNameUtf8);
    if (name.size() >= COURSE_NAME_BYTES) {
        log.error = "the course name is longer than " + std::to_string(COURSE_NAME_BYTES - 1) + " bytes";
        return log;
    }
    std::memcpy(log.course.name, name.data(), name.size());
    return log;
}

std::string driveLogBytes(const BuiltDriveLog& log) {
    std::string bytes;
    const int32_t count = static_cast<int32_t>(log.samples.size());
    auto append = [&bytes](const void* data, size_t size) {
        bytes.append(static_cast<const char*>(data), size);
    };
    append(&count, sizeof count);
    append(log.samples.data(), log.samples.size() * sizeof(LogSample));
    append(&log.passLog, sizeof log.passLog);
    append(&log.course, sizeof log.course);
    const char trailer[4] = {0, 0, 0, 0};
    append(trailer, sizeof trailer);
    return bytes;
}

}  // namespace samplelog
