// NMEA 0183 logs: every line goes through the capture program's own sentence
// parser; GGA and RMC of one receiver epoch make one fix.
#include <cmath>
#include <string>

#include "capture/gps/nmea_decoder.h"
#include "import/recording.h"
#include "import/text_lines.h"

namespace {

using import_text::LineReader;

// Field 1 (UTC time) of the sentence a line carries: the text between the
// first and second commas after its last "$".
std::string_view timeField(std::string_view line) {
    const size_t dollar = line.rfind('$');
    if (dollar == std::string_view::npos) return {};
    const size_t first = line.find(',', dollar);
    if (first == std::string_view::npos) return {};
    const size_t second = line.find(',', first + 1);
    if (second == std::string_view::npos) return {};
    return line.substr(first + 1, second - first - 1);
}

template <typename T>
bool valid(const NmeaField<T>& field) {
    return field.state == FieldState::Valid;
}

// A position the sentence reports as a fix; false for everything else.
bool positionOf(const ParsedSentence& p, RecordedFix& fix, bool& hasAltitude) {
    if (p.outcome != SentenceResult::Decoded) return false;
    if (!valid(p.time) || !valid(p.latitude) || !valid(p.longitude)) return false;
    if (p.type == SentenceType::Gga) {
        if (!valid(p.quality) || p.quality.value == 0) return false;
    } else if (!p.rmcActive) {
        return false;
    }
    fix.latitude = valid(p.south) && p.south.value ? -p.latitude.value : p.latitude.value;
    fix.longitude = valid(p.west) && p.west.value ? -p.longitude.value : p.longitude.value;
    hasAltitude = p.type == SentenceType::Gga && valid(p.altitudeM);
    // The stored altitude is the one the live fix keeps: the antenna altitude
    // plus the magnitude of the geoid separation.
    if (hasAltitude) fix.altitudeM = p.altitudeM.value + (valid(p.separationM) ? std::abs(p.separationM.value) : 0.0);
    return true;
}

// Gathers the sentences of one epoch (same receiver time) into one fix.
class EpochCollector {
public:
    explicit EpochCollector(std::vector<RecordedFix>& fixes) : fixes_(fixes) {}
    void add(RecordedFix fix, bool hasAltitude) {
        if (open_ && fix.timeS == current_.timeS) {
            if (hasAltitude || !currentHasAltitude_) {
                current_ = fix;
                currentHasAltitude_ = hasAltitude;
            }
            return;
        }
        if (open_ && fix.timeS < current_.timeS) return;  // out of order: not a new epoch
        flush();
        if (!hasAltitude) fix.altitudeM = lastAltitudeM_;  // RMC carries no altitude
        current_ = fix;
        currentHasAltitude_ = hasAltitude;
        open_ = true;
    }
    void flush() {
        if (!open_) return;
        fixes_.push_back(current_);
        lastAltitudeM_ = current_.altitudeM;
        open_ = false;
    }

private:
    std::vector<RecordedFix>& fixes_;
    RecordedFix current_;
    bool currentHasAltitude_ = false;
    bool open_ = false;
    double lastAltitudeM_ = 0.0;
};

}  // namespace

RecordingResult readNmeaLog(std::string_view text) {
    RecordingResult result;
    Recording& recording = result.recording;
    recording.format = RecordingFormat::Nmea;
    recording.clock = RecordingClock::SecondsOfDay;
    recording.fixes.reserve(text.size() / 120);
    EpochCollector epochs(recording.fixes);
    import_text::MidnightRollover rollover;
    LineReader lines(text);
    std::string sentence;  // the line as the receiver sends it, ending in CR LF
    std::string_view line;
    while (lines.next(line)) {
        if (line.find('$') == std::string_view::npos) continue;
        sentence.assign(line);
        sentence += "\r\n";
        RecordedFix fix;
        bool hasAltitude = false;
        if (!positionOf(nmea::parse(sentence), fix, hasAltitude)) continue;
        double secondsOfDay = 0.0;
        if (!import_text::readTimeOfDay(timeField(line), secondsOfDay)) continue;
        fix.timeS = rollover.apply(secondsOfDay);
        epochs.add(fix, hasAltitude);
    }
    epochs.flush();
    if (recording.fixes.size() < MIN_RECORDING_FIXES) {
        result.error = "fewer than two fixes in " + std::to_string(lines.number()) +
                       " lines (no GGA with a fix or RMC with status A)";
        recording.fixes.clear();
        return result;
    }
    result.ok = true;
    return result;
}
