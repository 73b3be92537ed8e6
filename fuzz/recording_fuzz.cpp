// Other loggers' recordings: the format detection and every reader on the
// same bytes, whatever their content.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "import/recording.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256 * 1024) return -1;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    detectRecordingFormat(text);
    for (auto read : {readNmeaLog, readVboFile, readCsvLog, readGpxTrack}) {
        const RecordingResult r = read(text);
        if (r.ok && r.recording.fixes.size() < MIN_RECORDING_FIXES) __builtin_trap();
        if (!r.ok && (!r.recording.fixes.empty() || r.error.empty())) __builtin_trap();
        for (size_t i = 1; r.ok && i < r.recording.fixes.size(); ++i) {
            if (!(r.recording.fixes[i].timeS > r.recording.fixes[i - 1].timeS)) __builtin_trap();
        }
    }
    return 0;
}
