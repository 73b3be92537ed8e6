// Builds the simulated drives: polyline loops, out-and-back runs, circles and
// recorded tracks, each preceded by a lead-in standing at the start.
#pragma once

#include <vector>

#include "tools/gps-sim/motion.h"
#include "tools/gps-sim/track_csv.h"

namespace gpssim {

struct DriveShape {
    double leadInS = 1.0;     // standing still at the start before driving
    double altitudeM = 50.0;  // synthetic drives only; tracks use their own
    int laps = 1;             // laps, round trips or track repetitions
};

// speedsMps: one value (constant speed) or one per waypoint, the speed changing
// linearly in time between consecutive waypoints. All speeds must be positive.
// The loop closes from the last waypoint back to the first.
Motion buildLoop(const std::vector<PlanePoint>& waypoints, const std::vector<double>& speedsMps,
                 const DriveShape& shape);
// To the last waypoint and back along the same points, `laps` times.
Motion buildOutAndBack(const std::vector<PlanePoint>& waypoints, const std::vector<double>& speedsMps,
                       const DriveShape& shape);
// Around `centre`, starting at its north point and driving clockwise.
Motion buildCircle(PlanePoint centre, double radiusM, double speedMps, const DriveShape& shape);
// The samples up to and including `lapEnd`, repeated `laps` times at their own
// pace; each repetition starts again at the first sample.
Motion buildTrackLaps(const std::vector<TrackSample>& samples, std::size_t lapEnd,
                      const LocalFrame& frame, const DriveShape& shape);

}  // namespace gpssim
