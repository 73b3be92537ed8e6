#include "capture/timing/lap_timing.h"

#include <cmath>

#include "capture/gps/capture_sink.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/course.h"
#include "capture/timing/flash_cue.h"
#include "common/duration.h"
#include "platform/tick.h"

PassLog passLog;
int32_t insidePoint[2] = {0, 0};
uint32_t passHoldUntil[2] = {0, 0};
int32_t legArmed = 0;
int32_t returnLeg = 0;
std::atomic<int32_t> lapMarkPending{0};
std::atomic<int32_t> beaconPulsePending{0};

namespace {

int32_t passDeferred[2] = {0, 0};      // interpolating: the closest approach still lay ahead
uint32_t deferredStampMs[2] = {0, 0};  // arrival tick of the closest fix while deferred

struct PassDecision {
    bool counted = false;
    int cue = 0;
};

bool isNear(int i, double radiusM) {
    const double d = pointDistance[i];
    const double s = pointSegmentDistance[i];
    // Strict on purpose: a distance equal to the radius is outside it.
    return d >= 0.0 && (d < radiusM || (s >= 0.0 && s < radiusM));
}

// The hold compares ticks modulo 2^32, so a hold set shortly before the
// millisecond counter wraps still lasts its full 10 s afterwards.
bool isHeld(int i, uint32_t now) {
    return passHoldUntil[i] != 0 && static_cast<int32_t>(passHoldUntil[i] - now) >= 0;
}

uint32_t holdEnd(uint32_t now) {
    const uint32_t end = now + PASS_HOLD_MS;
    return end == 0 ? 1 : end;  // 0 means "no hold"; one millisecond more is harmless
}

PassDecision decideOpen(int point) {
    if (point == 0) {
        legArmed = 1;
        return {true, CUE_POINT1};
    }
    if (legArmed == 0) return {};
    legArmed = 0;
    return {true, CUE_POINT2};
}

PassDecision decideOpenReturn(int point) {
    if (returnLeg == 0) {
        if (point == 0) {
            legArmed = 1;
            return {true, CUE_POINT1};
        }
        if (legArmed == 0) return {};
        legArmed = 0;
        returnLeg = 1;
        return {true, CUE_POINT2};
    }
    if (point == 1) {
        legArmed = 1;
        return {true, CUE_POINT2};
    }
    if (legArmed == 0) return {};
    legArmed = 0;
    returnLeg = 0;
    return {true, CUE_POINT1};
}

PassDecision decide(int point, int32_t courseType) {
    if (point < 0 || point > 1) return {};
    switch (courseType) {
        case COURSE_LOOP: return {true, CUE_POINT1};
        case COURSE_OPEN: return decideOpen(point);
        case COURSE_OPEN_RETURN: return decideOpenReturn(point);
        default: return {};
    }
}

void showLapDisplayFor(int32_t courseType) {
    const LapDisplay display = lapDisplayFor(passLog, courseType);
    captureSink().setPanelText(PANEL_LAP_COUNT, display.countText);
    captureSink().setPanelText(PANEL_LAP_TIME, display.timeText);
}

void countPass(int point, int cue, uint32_t now, const PassOptions& options, int32_t courseType) {
    lapMarkPending.store(1);
    if (options.motecLapSync) beaconPulsePending.store(1);
    if (passLog.passCount >= 0 && passLog.passCount < PASS_LOG_CAPACITY) {
        passLog.passTicks[passLog.passCount] = now;
        passLog.passCount += 1;
        showLapDisplayFor(courseType);
    }
    captureSink().passCounted(point, now);
    insidePoint[point] = 1;
    captureSink().playCue(cue);
}

// The moment of closest approach to point i on the driven segment, mapped
// onto the ticks at which its two fixes arrived (a latency that is the same
// for every fix cancels in lap times). False while the closest approach still
// lies ahead of the latest fix: the pass is stamped at a later check, once a
// fix shows the car moving away. A segment longer than
// MAX_INTERPOLATED_SPAN_MS (a gap in the fixes, a stop) is no straight drive
// at constant speed: the check's own tick stands.
bool interpolatedStamp(int i, uint32_t& stampMs) {
    const DrivenSegment& segment = drivenSegment;
    const uint32_t spanMs = segment.endTickMs - segment.startTickMs;
    if (!segment.valid || spanMs > MAX_INTERPOLATED_SPAN_MS) return true;
    const double fraction = segment.footFraction[i];
    if (fraction > 1.0) {
        passDeferred[i] = 1;
        deferredStampMs[i] = segment.endTickMs;
        return false;
    }
    const double along = fraction < 0.0 ? 0.0 : fraction;
    stampMs = segment.startTickMs + static_cast<uint32_t>(std::lround(along * spanMs));
    return true;
}

void approach(int i, uint32_t stampMs, uint32_t now, const PassOptions& options, int32_t courseType) {
    passDeferred[i] = 0;
    if (options.flashOnPass) showFlash();
    const PassDecision decision = decide(i, courseType);
    if (decision.counted) countPass(i, decision.cue, stampMs, options, courseType);
    passHoldUntil[i] = holdEnd(now);
}

void checkPoint(int i, const PassOptions& options, int32_t courseType) {
    if (!isNear(i, options.pointOffsetM)) {
        // Left the radius before a fix showed the car moving away (it turned
        // back): the pass still counts, at the closest fix.
        if (passDeferred[i] != 0) approach(i, deferredStampMs[i], platform::GetTickCount(), options, courseType);
        insidePoint[i] = 0;
        return;
    }
    if (insidePoint[i] == 1) return;
    const uint32_t now = platform::GetTickCount();
    if (isHeld(i, now)) return;
    uint32_t stampMs = now;
    if (options.interpolatePassTime && !interpolatedStamp(i, stampMs)) return;
    approach(i, stampMs, now, options, courseType);
}

}  // namespace

void checkPointPasses() {
    // Read once per check: a type changed or a point registered on another
    // thread applies from the next check on, never halfway through one.
    const CourseTiming course = courseTiming();
    const PassOptions options = passOptions();
    const int count = course.pointCount < 0 ? 0 : (course.pointCount > 2 ? 2 : course.pointCount);
    for (int i = 0; i < count; ++i) checkPoint(i, options, course.courseType);
}

void resetLapTimingState() {
    insidePoint[0] = insidePoint[1] = 0;
    passHoldUntil[0] = passHoldUntil[1] = 0;
    legArmed = 0;
    returnLeg = 0;
    passDeferred[0] = passDeferred[1] = 0;
}

void clearPassLog() {
    passLog = PassLog{};
}

LapDisplay lapDisplayFor(const PassLog& log, int32_t courseType) {
    const int32_t n = log.passCount < 0 ? 0 : (log.passCount > 100 ? 100 : log.passCount);
    LapDisplay display;
    switch (courseType) {
        case COURSE_LOOP:
            display.hasLap = n >= 2;
            display.laps = n - 1;
            break;
        case COURSE_OPEN:
            display.hasLap = n == 2;
            display.laps = 1;
            break;
        case COURSE_OPEN_RETURN:
            display.hasLap = n != 0 && n % 2 == 0;
            display.laps = n / 2;
            break;
        default: break;
    }
    if (!display.hasLap) {
        display.laps = 0;
        static const std::string noCount = "0";
        static const std::string noTime = "-- : -- : -- : --";
        display.countText = noCount;
        display.timeText = noTime;
        return display;
    }
    display.lapMs = tickDifference(log.passTicks[n - 1], log.passTicks[n - 2]);
    display.countText = std::to_string(display.laps);
    display.timeText = formatDuration(display.lapMs, " : ");
    return display;
}

void showLapDisplay() { showLapDisplayFor(courseTiming().courseType); }
