// gpdtool retime: a recorded drive timed again against another course.
#pragma once

#include <optional>
#include <string>
#include <vector>

// `positional` is {"retime", LOG, COURSE, OUT}. Reads LOG (whatever its pass
// count), loads COURSE, runs the capture program's pass rules over the
// samples with the radius (default 15 m) and interpolation asked for, writes
// OUT (never over LOG) and prints the passes and laps. Exit status 0, 1 on a
// failure, 2 on a usage error.
int runRetime(const std::vector<std::string>& positional, const std::optional<std::string>& radiusText,
              bool interpolate);
