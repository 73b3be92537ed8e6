// Ground truth for lap-timing tests: when the simulated car passes a point.
#pragma once

#include <string>
#include <vector>

#include "tools/gps-sim/motion.h"

namespace gpssim {

struct Pass {
    double simS = 0.0;       // simulated seconds since the first fix
    double distanceM = 0.0;  // closest approach to the point
};

// One pass per visit of the disc of `radiusM` around `point` (the car inside,
// strictly closer than the radius, without a break): the moment of the visit's
// closest approach on the continuous path, the earliest one when the car stands
// still at its closest. A visit that spans a lap boundary or the turn of an
// out-and-back run is one pass, as a lap timer counting entries would see it.
std::vector<Pass> findPasses(const Motion& motion, PlanePoint point, double radiusM);

// The truth file text: '#' header lines (the caller's first), then
// "pass INDEX SIM_S WALL_S" per pass, INDEX from 1, WALL_S = SIM_S / speedup
// (seconds since the first byte was emitted).
std::string formatTruth(const std::vector<Pass>& passes, double speedup,
                        const std::vector<std::string>& headerLines);


}  // namespace gpssim
