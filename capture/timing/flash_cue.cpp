#include "capture/timing/flash_cue.h"

#include "capture/gps/capture_sink.h"
#include "platform/tick.h"

int32_t flashVisible = 0;
uint32_t flashStartTick = 0;

void showFlash() {
    captureSink().setFlashVisible(true);
    flashStartTick = platform::GetTickCount();
    flashVisible = 1;
}

void pollFlash() {
    if (flashVisible != 1) return;
    // Elapsed time modulo 2^32, so a flash shown just before the tick wraps
    // still lasts its half second. Strictly later: exactly 500 ms is still on.
    const uint32_t elapsedMs = platform::GetTickCount() - flashStartTick;
    if (elapsedMs <= FLASH_DURATION_MS) return;
    captureSink().setFlashVisible(false);
    flashVisible = 0;
}

void hideFlash() {
    // Always told, not only when shown: a hide costs nothing and a window
    // left up by any path must not cover the controls.
    captureSink().setFlashVisible(false);
    flashVisible = 0;
}
