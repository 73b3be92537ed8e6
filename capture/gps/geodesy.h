// Positions to earth-centred coordinates and distances to the course points.
#pragma once

#include <cstdint>

#include "common/ellipsoid.h"
#include "common/records.h"

// Tokyo datum to WGS-84, metres.
constexpr double TOKYO_SHIFT_X = -146.43;
constexpr double TOKYO_SHIFT_Y = 507.89;
constexpr double TOKYO_SHIFT_Z = 681.46;

extern GeoPoint previousFix;         // fix of the previous updatePointDistances call
extern int32_t noPreviousFix;        // 1 until the first updatePointDistances call
extern double pointDistance[2];      // metres from course point i to the latest fix; -1 unknown
// Per-point segment distances (the function segmentDistance below computes one).
extern double pointSegmentDistance[2];  // metres from point i to the last driven segment; -1 none

// Fills ecefX/Y/Z from latitude and longitude under the current `datum`.
void toGeocentric(GeoPoint& point);
// The same under a given datum code (0 WGS-84, 1 Tokyo), leaving the setting
// alone: a course loaded while measuring must not switch the reader's datum.
void toGeocentric(GeoPoint& point, int32_t datumCode);
double chordDistance(const GeoPoint& a, const GeoPoint& b);
double segmentDistance(const GeoPoint& fix, const GeoPoint& previous, const GeoPoint& point);
// Where the foot of `point` lies on the line from `previous` to `fix`: 0 at
// `previous`, 1 at `fix`, below 0 behind and above 1 ahead of the car.
// -1 distance when either end has no position or both coincide.
struct SegmentFoot {
    double fraction = 0.0;    // along the direction of travel, unclamped
    double distanceM = -1.0;  // point to the foot, metres; -1 no segment
};
SegmentFoot segmentFoot(const GeoPoint& fix, const GeoPoint& previous, const GeoPoint& point);

// The last stretch the car drove: between the two latest fixes at different
// positions, with the ticks at which those positions arrived, and where each
// course point's foot lies on it. A fix repeating the position (an RMC and a
// GGA of the same instant, a car at rest) keeps the stretch and its ticks, so
// the arrival tick of a position is that of its first fix. Reader thread.
struct DrivenSegment {
    bool valid = false;          // two different positions seen
    uint32_t startTickMs = 0;    // arrival of the earlier position
    uint32_t endTickMs = 0;      // arrival of the latest position
    double footFraction[2] = {0.0, 0.0};  // per course point, as SegmentFoot::fraction
};
extern DrivenSegment drivenSegment;
// Distances from every published course point (publishedCoursePoints) to
// gpsFix.position, shown on the panel, and the driven segment brought up to
// date with the tick of this call; then the fix becomes previousFix.
void updatePointDistances();

// The distances of the latest fix, readable from any thread: the window shows
// them after a load or New while the reader may be updating pointDistance.
struct PointDistances {
    double distanceM[2] = {-1.0, -1.0};  // point 1, point 2; -1 unknown
};
PointDistances publishedPointDistances();
// Both distances (fix and segment) back to unknown, published too. Call while
// no reader runs (New).
void forgetPointDistances();

// Previous fix and distances back to unknown (part of resetGpsState).
void resetGeodesyState();
