#include "import/recording.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "import/csv_header.h"

namespace {

constexpr size_t DETECTION_BYTES = 64 * 1024;
constexpr double SECONDS_PER_DAY = 86400.0;

// A "$" with a two-letter talker and GGA or RMC: "$GPGGA,", "$GNRMC,".
bool hasNmeaSentence(std::string_view head) {
    for (size_t at = head.find('$'); at != std::string_view::npos && at + 7 <= head.size();
         at = head.find('$', at + 1)) {
        const std::string_view name = head.substr(at + 3, 4);
        if (name == "GGA," || name == "RMC,") return true;
    }
    return false;
}

bool readWholeFile(const std::string& path, std::string& content, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = std::move(buffer).str();
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

}  // namespace

std::optional<RecordingFormat> detectRecordingFormat(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const std::string_view head = text.substr(0, DETECTION_BYTES);
    if (head.find("<gpx") != std::string_view::npos) return RecordingFormat::Gpx;
    if (head.find("[column names]") != std::string_view::npos && head.find("[data]") != std::string_view::npos) {
        return RecordingFormat::Vbo;
    }
    if (hasNmeaSentence(head)) return RecordingFormat::Nmea;
    if (hasCsvLogHeader(head)) return RecordingFormat::Csv;
    return std::nullopt;
}

const char* recordingFormatName(RecordingFormat format) {
    switch (format) {
        case RecordingFormat::Nmea: return "NMEA 0183";
        case RecordingFormat::Vbo: return "VBO";
        case RecordingFormat::Csv: return "CSV";
        case RecordingFormat::Gpx: return "GPX";
    }
    return "?";
}

RecordingResult readRecording(const std::string& path) {
    RecordingResult result;
    std::string content;
    if (!readWholeFile(path, content, result.error)) return result;
    const std::optional<RecordingFormat> format = detectRecordingFormat(content);
    if (!format) {
        result.error = path + ": not a recording this program reads (NMEA 0183, VBO, CSV or GPX)";
        return result;
    }
    switch (*format) {
        case RecordingFormat::Nmea: result = readNmeaLog(content); break;
        case RecordingFormat::Vbo: result = readVboFile(content); break;
        case RecordingFormat::Csv: result = readCsvLog(content); break;
        case RecordingFormat::Gpx: result = readGpxTrack(content); break;
    }
    if (!result.ok) result.error = path + " (" + recordingFormatName(*format) + "): " + result.error;
    return result;
}

uint32_t recordingTickMs(const Recording& recording, double timeS) {
    if (recording.fixes.empty()) return 0;
    const double first = recording.fixes.front().timeS;
    const double baseS = recording.clock == RecordingClock::Relative ? 0.0 : std::fmod(first, SECONDS_PER_DAY);
    const long long ms = std::llround(baseS * 1000.0) + std::llround((timeS - first) * 1000.0);
    return static_cast<uint32_t>(ms);
}
