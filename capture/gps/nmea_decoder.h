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

// Exclusive-or of the bytes after the first one up to the first "*"; 0 when
// a CR comes before any "*" or the second byte is "*".
uint8_t nmeaChecksum(std::string_view line);

// Decodes one line: the bytes up to and including its line feed. Bytes
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
