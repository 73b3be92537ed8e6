// One NMEA line: the pure parse, then its commit to a freshly reset live fix.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "capture/gps/fix_completion.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/line_buffer.h"
#include "capture/gps/nmea_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader never hands over more than one buffer's worth.
    if (size > NMEA_BUFFER_BYTES) return -1;
    resetGpsState();
    resetLiveFix();
    resetGeodesyState();
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const ParsedSentence parsed = nmea::parse(line);
    nmea::apply(parsed);
    return 0;
}
