// A course file, loaded into a reset course.
#include <cstddef>
#include <cstdint>

#include "capture/timing/course.h"
#include "capture/timing/lap_timing.h"
#include "capture/timing/timing_state.h"
#include "capture/gps/geodesy.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return -1;
    resetCourse();
    resetLapTimingState();
    resetTimingState();
    resetGeodesyState();
    loadCourse(fuzz::writeInput("input.gps", data, size).c_str());
    return 0;
}
