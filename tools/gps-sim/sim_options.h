// The gps-sim command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/gps-sim/local_frame.h"
#include "tools/gps-sim/utc_time.h"

namespace gpssim {

enum class SimMode { Replay, Loop, OutAndBack, Track };
enum class BinaryKind { Alternate, Only75, Only36 };

struct Circle {
    LatLon centre;
    double radiusM = 0.0;
};

struct SimOptions {
    SimMode mode = SimMode::Loop;
    std::string inputPath;  // replay: the capture; track: the CSV

    // The simulated drive.
    std::vector<LatLon> waypoints;
    std::optional<Circle> circle;
    double speedKmh = 60.0;
    std::vector<double> speedProfileKmh;  // one per waypoint, or empty
    int laps = 1;
    double leadInS = 1.0;
    double altitudeM = 50.0;

    // The fixes.
    double rateHz = 10.0;
    double speedup = 1.0;  // wall time runs this many times faster
    UtcTime startUtc{2025, 6, 15, 12, 0, 0, 0};
    double geoidSeparationM = 36.7;
    int quality = 1;
    bool binary = false;
    BinaryKind binaryKind = BinaryKind::Alternate;

    // Replay.
    int lineIntervalMs = 10;
    bool paced = false;
    double maxGapS = 60.0;

    // Ground truth.
    std::optional<LatLon> point;
    std::string truthPath;
    double passRadiusM = 15.0;

    // The port.
    std::string linkPath;
    bool hold = false;
    int settleMs = 200;        // pause between the reader's open and the first byte
    double openTimeoutS = 0.0;  // 0: wait for a reader for ever

    bool help = false;
};

struct ParsedOptions {
    SimOptions options;
    std::string error;  // empty when the command line is usable
};

// `args` excludes the program name.
ParsedOptions parseSimOptions(const std::vector<std::string>& args);
std::string usageText();

}  // namespace gpssim
