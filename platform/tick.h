// The millisecond tick and short sleeps.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, from a monotonic clock, truncated to
// 32 bits: it wraps after about 49.7 days, so differences are taken modulo 2^32.
uint32_t GetTickCount();

// Tests may replace the clock; nullptr restores the real one.
using TickSource = uint32_t (*)();
void setTickSourceForTests(TickSource source);
// The replaced clock, nullptr for the real one (to put it back after borrowing it).
TickSource installedTickSource();

// Sleeps for about `ms` milliseconds.
void sleepMs(uint32_t ms);

}  // namespace platform
