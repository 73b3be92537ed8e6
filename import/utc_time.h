// UTC calendar times as seconds since 1970-01-01, and back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "YYYY-MM-DDThh:mm:ss[.fff](Z|+hh:mm|-hh:mm)"; false for anything else.
bool readIsoTime(std::string_view text, double& unixSeconds);
// "YYYY-MM-DDThh:mm:ss.sssZ", milliseconds rounded.
std::string isoTimeText(int64_t unixMilliseconds);
// The UTC date of a time as unix seconds at 00:00.
int64_t utcMidnight(int64_t unixSeconds);
