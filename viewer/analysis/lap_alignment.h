// Two laps of one drive side by side: where along its lap each sample lies and
// when, and how far ahead or behind it is of a reference lap at the same place.
//
// A lap's distance runs along the accepted steps of the motion analysis from
// its first sample; laps differ in length by the line driven, so a lap and its
// reference are compared at the same fraction of their own lengths, which puts
// both ends at the same point.
#pragma once

#include <vector>

#include "viewer/analysis/drive_model.h"

struct LapTrace {
    int lap = -1;                     // index into the lap table; -1 = no lap
    int firstSample = -1;             // sample of point 0; point k is sample firstSample + k
    std::vector<double> distanceKm;   // from the lap's first sample, strictly increasing
    std::vector<double> timeMs;       // elapsed since the lap's first sample
    // A loop lap runs to the next lap mark: its last point is that closing
    // sample (one past endSample), so the trace ends at the lap time and the
    // lap distance of the lap list.
    bool empty() const { return timeMs.empty(); }
    int pointCount() const { return static_cast<int>(timeMs.size()); }
    double lengthKm() const { return distanceKm.empty() ? 0.0 : distanceKm.back(); }
    double lapTimeMs() const { return timeMs.empty() ? 0.0 : timeMs.back(); }
};

// The trace of lap `lap` of `drive`; empty when the lap was not cut.
LapTrace traceLap(const DriveModel& drive, int lap);

// Elapsed ms of `trace` at `distanceKm` by linear interpolation, clamped to
// the lap's ends (0 before the start, the lap time at and beyond the end).
double timeAtDistance(const LapTrace& trace, double distanceKm);
// The same at a fraction 0..1 of the lap's length.
double timeAtFraction(const LapTrace& trace, double fraction);
// The fraction 0..1 of the lap's length covered at `timeMs` (the inverse of
// timeAtFraction, for placing the reference car at the same elapsed time).
double fractionAtTime(const LapTrace& trace, double timeMs);

// Per point of `lap`: its elapsed time minus the reference's time at the same
// fraction of the reference's length, in seconds. Positive = behind (time
// lost), negative = ahead. The last value is the difference of the lap times.
// Empty when either trace is.
std::vector<double> deltaSeconds(const LapTrace& lap, const LapTrace& reference);

// A valid lap is one that was cut and has a time and a distance.
bool isValidLap(const DriveModel& drive, int lap);
// The valid lap with the shortest time (the first of equal ones), or -1.
int bestValidLap(const DriveModel& drive);
