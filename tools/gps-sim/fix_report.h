// What one simulated fix reports, whatever the output protocol.
#pragma once

#include "tools/gps-sim/local_frame.h"
#include "tools/gps-sim/utc_time.h"

namespace gpssim {

struct FixReport {
    UtcTime utc;
    LatLon position;
    double altitudeM = 0.0;          // above mean sea level
    double geoidSeparationM = 36.7;  // geoid above the ellipsoid
    double speedMps = 0.0;
    double courseDeg = 0.0;          // clockwise from true north, 0..360
    int quality = 1;                 // GGA fix quality, 0 = no fix
    int satellites = 8;
    double hdop = 0.9;
};

}  // namespace gpssim
