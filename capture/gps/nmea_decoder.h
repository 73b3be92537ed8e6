// NMEA 0183 decoding into the live fix: GGA and RMC from any two-letter
// talker ("$GPGGA", "$GNRMC", "$INGGA", ...); everything else is ignored.
#pragma once

#include <cstdint>
#include <string_view>

#include "capture/gps/fix_completion.h"
#include "common/records.h"

// What became of one line; the reader ignores it, gps-check counts it.
enum class SentenceResult {
    Fix,            // a GGA or RMC that completed a fix
    Decoded,        // a GGA or RMC that took effect without completing a fix
    Unknown,        // a well-formed line of a kind not decoded here
    ChecksumError,  // "sum err" shown, nothing else changed
    Rejected,       // malformed (no "$", no CR, over-long or non-numeric field...): no effect
};

// One line read into typed fields, with no effect on anything: the first of
// the decoder's two steps. Views point into the line and live as long as it.
enum class SentenceType : uint8_t { Gga, Rmc };
enum class FieldState : uint8_t {
    Empty,    // no text: the previous value stays
    Valid,    // text read as the field's type
    Invalid,  // text that does not read as the field's type
};
template <typename T>
struct NmeaField {
    FieldState state = FieldState::Empty;
    T value{};
};
// Receiver time of day, UTC: hour 0..23, then the four digits of minutes and seconds.
struct UtcTime {
    int hour = 0;
    char minuteSecond[4] = {};
};
struct ParsedSentence {
    // Decoded: a GGA or RMC read whole, to be applied. Anything else is the
    // final result of the line (Unknown, ChecksumError, Rejected).
    SentenceResult outcome = SentenceResult::Rejected;
    SentenceType type = SentenceType::Gga;
    std::string_view name;                      // "GPGGA", without "$"
    NmeaField<UtcTime> time;                    // GGA and RMC field 1
    bool rmcActive = false;                     // RMC field 2 is "A"
    NmeaField<double> latitude, longitude;      // unsigned degrees
    NmeaField<bool> south, west;                // hemisphere fields: true for "S" / "W"
    NmeaField<int32_t> quality;                 // GGA field 6
    NmeaField<int32_t> satellites;              // GGA field 7
    std::string_view satellitesText;            // GGA field 7 as sent
    NmeaField<double> altitudeM, separationM;   // GGA fields 9 and 11
};

namespace nmea {
// Reads one line (bytes up to and including its LF; the length is the view's,
// NUL bytes are data). Pure: no global state is read or written.
ParsedSentence parse(std::string_view line);
// Commits a parsed line to the live fix: the gating on the previous GGA
// quality, the panel texts, the fix completion. A sentence whose used field
// is Invalid is Rejected and changes nothing.
SentenceResult apply(const ParsedSentence& sentence);
}  // namespace nmea

// Exclusive-or of the bytes after the first one up to the first "*"; 0 when
// a CR comes before any "*" or the second byte is "*".
uint8_t nmeaChecksum(std::string_view line);

// Decodes one line (nmea::apply of nmea::parse): the bytes up to and including its line feed. Bytes
// before the last "$" (line noise, a broken sentence, binary packets) are
// skipped. A sentence is applied whole or not at all.
SentenceResult decodeSentence(int length, const char* line);

// The name of the sentence a line carries ("GPGGA", without "$"); empty when
// the line has no "$".
std::string_view nmeaSentenceName(int length, const char* line);

// "ddmm.mmmm" / "dddmm.mmmm" to unsigned degrees in point.latitude /
// point.longitude (the hemisphere field signs them). An empty text changes
// nothing. false, with the point unchanged, for a text that is not such a
// number, is over-long (28 / 29 characters) or out of range.
bool parseLatitude(std::string_view text, GeoPoint& point);
bool parseLongitude(std::string_view text, GeoPoint& point);
