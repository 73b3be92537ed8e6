// The screen flash at a course point: shown by the lap check, hidden by the
// reader's poll once 500 ms have passed. Both run on the reader thread, which
// alone owns the two values below; the sink only shows or hides the window.
#pragma once

#include <cstdint>

constexpr uint32_t FLASH_DURATION_MS = 500;  // hidden at the first poll strictly later than this

extern int32_t flashVisible;     // 1 while the flash is shown
extern uint32_t flashStartTick;  // ms tick of the latest showFlash

// Shows the flash (again) and restarts its 500 ms from now.
void showFlash();
// Hides the flash when the tick is strictly later than flashStartTick + 500
// (modulo 2^32). Does nothing while no flash is shown.
void pollFlash();
// Hides the flash whatever its time, for the end of a measurement. Call only
// while no reader runs (the reader alone owns the values above otherwise).
void hideFlash();
