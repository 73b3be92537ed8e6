// Pass detection at the course points and the lap result.
//
// After every line or packet the GPS reader runs checkPointPasses: a point is
// passed when the car comes strictly within the pass radius of it, at a fix or
// anywhere on the straight segment driven since the previous fix. Whether the
// pass counts depends on the course type; a counted pass is logged with the
// millisecond tick, marks the next recorded sample, may pulse the beacon and
// plays a cue. Every approach (counted or not) holds the point for 10 s.
//
// With interpolatePassTime (pass_time_option.h) a pass is stamped with the
// moment of closest approach on the driven segment (geodesy.h), between the
// arrival ticks of its two fixes; while that moment still lies ahead of the
// latest fix, the approach waits for the next fix. The hold, the lap mark
// and the cue follow the check as without it.
//
// While measuring, the records below belong to the reader thread; the window
// thread resets them only while no reader runs (start, stop, New, the idle
// point commands). The course type and points, and the pass radius, flash and
// lap sync options, are read from their published copies at every check, so
// a change on the window thread counts from the next check on.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "common/records.h"

constexpr uint32_t PASS_HOLD_MS = 10000;  // a point is ignored this long after an approach
constexpr int CUE_POINT1 = 4;             // voice cue of a counted pass at point 1
constexpr int CUE_POINT2 = 5;             // voice cue of a counted pass at point 2
constexpr uint32_t MAX_INTERPOLATED_SPAN_MS = 2000;  // longer segments are not interpolated

extern PassLog passLog;                 // counted passes of the current or last measurement
extern int32_t insidePoint[2];          // 1 from a counted pass until the car leaves the radius
extern uint32_t passHoldUntil[2];       // ms tick until which point i is ignored; 0 = no hold
extern int32_t legArmed;                // the run's start point was passed
extern int32_t returnLeg;               // open return: the return leg is under way
extern std::atomic<int32_t> lapMarkPending;      // set per counted pass, taken by the recorder
extern std::atomic<int32_t> beaconPulsePending;  // set per counted pass with MoTeC lap sync

void checkPointPasses();

// Zeroes insidePoint, passHoldUntil, legArmed and returnLeg (stop, New, point commands).
void resetLapTimingState();
// Zeroes the pass log (measurement start).
void clearPassLog();

// The lap count and last lap time as the panel shows them.
struct LapDisplay {
    bool hasLap = false;      // false: "0" and "-- : -- : -- : --"
    int32_t laps = 0;         // completed laps or legs
    uint32_t lapMs = 0;       // interval between the last two passes, ms (modulo 2^32)
    std::string countText;    // "%d"
    std::string timeText;     // "HH : MM : SS : TT", TT in thirtieths of a second
};
// Loop: passes - 1 laps from two passes on; open: one run with exactly two
// passes; open return: passes / 2 legs when even and not zero.
LapDisplay lapDisplayFor(const PassLog& log, int32_t courseType);

// Writes the lap count and lap time of the global pass log to the panel.
void showLapDisplay();
