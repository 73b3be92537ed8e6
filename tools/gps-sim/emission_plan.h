// What gps-sim sends and when: byte chunks with their wall-clock offsets.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/gps-sim/simulated_drive.h"

namespace gpssim {

struct Emission {
    double wallS = 0.0;  // seconds after the first byte
    std::string bytes;
};

class EmissionSource {
public:
    virtual ~EmissionSource() = default;
    // The next chunk in time order; nullopt at the end of the input.
    virtual std::optional<Emission> next() = 0;
};

// One chunk per fix: "$GPGGA" then "$GPRMC", or the binary packet(s).
std::unique_ptr<EmissionSource> makeFixSource(SimulatedDrive drive, const SimOptions& options);
// One chunk per capture line, at a fixed interval or paced by the capture's times.
std::unique_ptr<EmissionSource> makeReplaySource(std::vector<std::string> lines, const SimOptions& options);

// The bytes of one fix in the chosen protocol; `index` picks the packet kind
// when binary packets alternate (even: 0x75, odd: 0x36).
std::string encodeFix(const FixReport& fix, const SimOptions& options, long index);

}  // namespace gpssim
