// A received byte stream: split into lines as the reader does, each decoded.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "capture/gps/fix_completion.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/line_buffer.h"
#include "capture/gps/nmea_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    resetGpsState();
    resetLiveFix();
    resetGeodesyState();
    const std::string_view stream(reinterpret_cast<const char*>(data), size);
    splitNmeaStream(stream, [](const char* line, int length) { decodeSentence(length, line); });
    return 0;
}
