// Recorded tracks in the neutral CSV form: "time_s,lat,lon,alt_m", one header line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/gps-sim/local_frame.h"

namespace gpssim {

struct TrackSample {
    double timeS = 0.0;  // seconds since the recording's first row
    LatLon position;
    double altitudeM = 0.0;
};

struct TrackReadResult {
    std::vector<TrackSample> samples;  // strictly increasing times
    std::string error;                 // empty on success; names the line at fault
};

// A header line (anything not starting with a number) is skipped, blank lines
// and CR line ends are accepted; rows repeating the previous time are dropped.
TrackReadResult parseTrackCsv(std::string_view text);
TrackReadResult readTrackCsv(const std::string& path);

// Index of the sample that closes the recorded lap: where the car, having been
// more than 100 m away, comes back closest to where it started, if that is within
// 25 m. Otherwise the last sample (the recording is played whole).
std::size_t lapEndIndex(const std::vector<TrackSample>& samples);

}  // namespace gpssim
