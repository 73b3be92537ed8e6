#include "capture/gps/fix_completion.h"

#include <atomic>
#include <cstring>

#include "capture/gps/capture_sink.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"

namespace {
// Written and read by the reader thread only; atomic so a test thread may reset it.
std::atomic<bool> positionReceived{false};
}  // namespace

void notePositionReceived() { positionReceived.store(true, std::memory_order_relaxed); }

void notePositionWithoutFix() { positionReceived.store(false, std::memory_order_relaxed); }

void resetLiveFix() {
    std::memset(gpsFix.timeText, 0, sizeof gpsFix.timeText);
    gpsFix.satellites = 0;
    gpsFix.quality = 0;
    gpsFix.position = GeoPoint{};
    publishPosition(gpsFix.position);
    positionReceived.store(false, std::memory_order_relaxed);
}

void registerPointFromFix() {
    const GeoPoint& fix = gpsFix.position;
    if (fix.latitude == 0.0 || fix.longitude == 0.0) return;
    // The course has room for two points; a third request must not write past them.
    if (course.pointCount < 0 || course.pointCount >= COURSE_MAX_POINTS) return;
    course.points[course.pointCount] = fix;
    ++course.pointCount;
    captureSink().showCoursePoints();
}

bool completeFix(FixVariant variant) {
    if (!positionReceived.load(std::memory_order_relaxed)) return false;
    toGeocentric(gpsFix.position);
    updatePointDistances();
    // Published before the gate opens, so the recorder's first sample is this fix.
    publishPosition(gpsFix.position);
    if (variant != FixVariant::Rmc) gpsFix.fixReceived.store(1);
    if (registerPointRequest.load() != 0) {
        registerPointFromFix();
        registerPointRequest.store(0);
        captureSink().refreshCommandStates();
    }
    return true;
}
