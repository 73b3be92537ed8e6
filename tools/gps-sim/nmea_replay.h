// Replaying a recorded receiver capture line by line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gpssim {

// The capture's lines, each ending in CR LF: a trailing CR is dropped before CR LF
// is added, every other byte (NULs, binary noise) is kept. A last line without a
// line feed is sent too; an empty file gives no lines.
std::vector<std::string> splitCaptureLines(std::string_view content);

// UTC seconds of day of the first GGA or RMC sentence in the line (any talker:
// "$GPGGA", "$INRMC", ...), from its time field hhmmss[.sss]; nullopt when the
// line has none or the time is malformed.
std::optional<double> sentenceUtcSeconds(std::string_view line);

// Simulated send time of each line, seconds from the first line, following the
// capture's own clock: a timed line waits for the time elapsed since the previous
// timed line, the lines between go out right after their predecessor. Steps are
// taken modulo a day into -12..+12 hours, so midnight passing costs nothing; steps
// back (some receivers repeat or reorder epochs) do not wait, and no step waits
// longer than `maxStepS` (cold-starting receivers print wild clocks).
std::vector<double> pacedSendTimesS(const std::vector<std::string>& lines, double maxStepS);

}  // namespace gpssim
