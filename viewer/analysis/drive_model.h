// The viewer's one drive: the samples of a drive log, the lap table cut from
// it and everything derived per sample and per lap.
//
// Only loading and analysis write the model; the views, the lap list and the
// CSV export read it. Local coordinates are kilometres: x north, y up, z east.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/records.h"
#include "viewer/analysis/analysis_constants.h"

// Derived per-sample record, filled by the analysis.
struct TrackPoint {
    double x = 0.0;             // km, north; after analysis relative to the lap's box centre
    double y = 0.0;             // km, up; after analysis relative to the lap's box centre
    double z = 0.0;             // km, east; after analysis relative to the lap's box centre
    double acceleration = 0.0;  // km/h gained over the accepted step ending here; 0 when rejected
    double speed = 0.0;         // km/h; 0 at the lap's first sample, the last accepted speed when rejected
    double stepDistance = 0.0;  // km from the previously accepted sample; 0 at the lap start
    double power = 0.0;         // PS; the last accepted power when the step is rejected
};
static_assert(sizeof(TrackPoint) == 56);

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// One lap of the lap table.
struct LapRecord {
    int32_t lapTimeMs = 0;     // ms, between the passes of its marks in the pass log when they pair
                               // up with the marks, else between the ticks of its end and start samples
    int32_t startSample = -1;  // first sample of the lap; -1 = not set
    int32_t endSample = -1;    // last sample of the lap (inclusive); -1 = not set
    Vec3 boxMin;               // km, smallest x, y, z of the lap (after centring)
    Vec3 boxMax;               // km, largest x, y, z of the lap (after centring)
    Vec3 boxCentre;            // km, the offset subtracted from the lap's points
    double radius = 0.0;       // km, larger length of boxMin and boxMax as vectors
    double viewDistance = 0.0; // km, radius / tan(VIEW_ANGLE)
    double distanceKm = 0.0;   // km, sum of accepted step distances
    double avgSpeed = 0.0;     // km/h; 0 without accepted steps
    double maxSpeed = 0.0;     // km/h
    double minSpeed = 0.0;     // km/h
    int32_t speedStepCount = 0;  // accepted steps
    int32_t maxSpeedSample = -1; // sample of maxSpeed; the lap start without accepted steps
    double minPower = 0.0;       // PS
    double maxPower = 0.0;       // PS
    double avgPower = 0.0;       // PS; 0 without accepted steps
    double cornerAvgSpeed = 0.0; // km/h over the corner apexes; 0 without apexes
    double cornerMaxSpeed = 0.0; // km/h
    double cornerMinSpeed = 0.0; // km/h
    double meanY = 0.0;          // km, mean of the lap's centred vertical coordinate
};
static_assert(sizeof(LapRecord) == 200);

// Lowest and highest vertical coordinate of a lap before centring, km.
struct AltitudeRange {
    double lowest = 0.0;
    double highest = 0.0;
};

// Per-sample corner marks.
constexpr int32_t CORNER_NONE = 0;
constexpr int32_t CORNER_TURNING = 1;
constexpr int32_t CORNER_APEX = 2;

struct DriveModel {
    int32_t loaded = 0;       // 1 while a drive is available to the views
    int32_t sampleCount = 0;  // N
    int32_t lapCount = 0;     // laps in the table, at most MAX_LAPS
    int32_t currentLap = 0;   // displayed lap, 0 .. lapCount-1
    std::vector<LogSample> samples;     // as read from the log
    std::vector<TrackPoint> points;     // one per sample
    PassLog passLog;                    // passCount; its ticks time the laps when they pair with the marks
    std::array<LapRecord, MAX_LAPS> laps;
    Course course;                      // name (Shift-JIS) and course type are used
    std::vector<int32_t> cornerMarks;   // CORNER_* per sample
    std::vector<double> turnAngles;     // degrees per sample, positive = turning right
    std::array<AltitudeRange, MAX_LAPS> lapAltitudeRange;
    double originLatitude = 0.0;        // degrees, origin of the local frame
    double originLongitude = 0.0;       // degrees
    std::string logPath;                // file of the loaded drive, for reloading after a weight change
};

extern DriveModel driveModel;

// Back to the empty model of program start, releasing every array.
void resetDriveModel();

// True when lap `lap` is in the table and was cut (start and end set). A lap
// slot that is not cut holds nothing to show.
bool isLapCut(int lap);

// True when a drive is loaded and its current lap was cut: the condition for
// anything to be drawn, listed or exported for the current lap.
bool hasCurrentLap();
