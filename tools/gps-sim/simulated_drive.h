// The drive chosen on the command line, laid out in a local frame.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/gps-sim/fix_report.h"
#include "tools/gps-sim/motion.h"
#include "tools/gps-sim/pass_truth.h"
#include "tools/gps-sim/sim_options.h"

namespace gpssim {

struct SimulatedDrive {
    LocalFrame frame{LatLon{}};
    Motion motion;
};

struct DriveResult {
    std::optional<SimulatedDrive> drive;
    std::string error;
};

// Loop, out-and-back and track modes; reads the track file.
DriveResult buildDrive(const SimOptions& options);

// What the receiver reports at `simS` seconds after the first fix.
FixReport fixAt(const SimulatedDrive& drive, const SimOptions& options, double simS);

// Number of fixes: one every 1/rate seconds from 0 to the end of the drive.
long fixCount(const SimulatedDrive& drive, double rateHz);

std::vector<Pass> passesOfPoint(const SimulatedDrive& drive, LatLon point, double radiusM);

// Header lines of the truth file describing the run.
std::vector<std::string> truthHeader(const SimOptions& options, const SimulatedDrive& drive);

}  // namespace gpssim
