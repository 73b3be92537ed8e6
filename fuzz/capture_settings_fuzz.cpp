// The capture program's settings file beside the program (in the scratch folder).
#include <cstddef>
#include <cstdint>

#include "capture/gps/gps_state.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/timing_state.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return -1;
    fuzz::writeInput("velmora.pref", data, size);
    resetGpsState();
    resetTimingState();
    captureSettings = CaptureSettings{};
    loadSettings();
    return 0;
}
