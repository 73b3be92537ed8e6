#include "capture/gps/nmea_decoder.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "capture/gps/capture_sink.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/panel_text.h"

namespace {

constexpr size_t MAX_FIELD_BYTES = 63;      // longer fields are not NMEA: reject the line
constexpr size_t MAX_LATITUDE_CHARS = 28;   // the coordinate work buffer's limits
constexpr size_t MAX_LONGITUDE_CHARS = 29;
constexpr int JAPAN_UTC_OFFSET_HOURS = 9;   // the panel shows Japan time

// ---- numeric fields -------------------------------------------------------

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool allDigits(std::string_view text) {
    for (char c : text) {
        if (!isDigit(c)) return false;
    }
    return true;
}

// Digits with at most one '.', at least one digit, no exponent, no "inf"/"nan".
bool isPlainDecimal(std::string_view text) {
    bool digit = false, point = false;
    for (char c : text) {
        if (isDigit(c)) {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

bool parseUnsignedDecimal(std::string_view text, double& value) {
    if (!isPlainDecimal(text)) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                     std::chars_format::fixed);
    return ec == std::errc() && end == text.data() + text.size();
}

// Optional sign, then a plain decimal ("-12.3", "000115.4").
bool parseSignedDecimal(std::string_view text, double& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!parseUnsignedDecimal(text, value)) return false;
    if (negative) value = -value;
    return true;
}

bool parseCount(std::string_view text, int32_t& value) {
    if (text.empty() || !allDigits(text)) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// "ddmm.mmmm" with `degreeDigits` degree digits; minutes below 60.
bool parseCoordinate(std::string_view text, size_t degreeDigits, size_t maxChars,
                     double maxDegrees, double& degrees) {
    if (text.size() > maxChars || text.size() <= degreeDigits) return false;
    int32_t whole = 0;
    double minutes = 0.0;
    if (!parseCount(text.substr(0, degreeDigits), whole) ||
        !parseUnsignedDecimal(text.substr(degreeDigits), minutes) || minutes >= 60.0) {
        return false;
    }
    const double value = whole + minutes * (1.0 / 60.0);
    if (value > maxDegrees) return false;
    degrees = value;
    return true;
}

// ---- time -----------------------------------------------------------------

// Receiver time "hhmmss[.ss]" (UTC) as Japan time, in the stored Shift-JIS
// form and the panel's UTF-8 form. The date is not adjusted.
struct TimeTexts {
    char sjis[32];
    char utf8[32];
};

void composeTime(char* out, const char (&hour)[2], std::string_view text,
                 const char* hourMark, const char* minuteMark, const char* secondMark) {
    char* p = out;
    *p++ = hour[0];
    *p++ = hour[1];
    p = std::strcpy(p, hourMark) + std::strlen(hourMark);
    *p++ = text[2];
    *p++ = text[3];
    p = std::strcpy(p, minuteMark) + std::strlen(minuteMark);
    *p++ = text[4];
    *p++ = text[5];
    std::strcpy(p, secondMark);
}

bool convertTime(std::string_view text, TimeTexts& times) {
    if (text.size() < 6 || !allDigits(text.substr(0, 6))) return false;
    int hour = (text[0] - '0') * 10 + (text[1] - '0');
    if (hour > 23) return false;
    hour += JAPAN_UTC_OFFSET_HOURS;
    if (hour >= 24) hour -= 24;
    const char hourDigits[2] = {char('0' + hour / 10), char('0' + hour % 10)};
    // 時 分 秒 in Shift-JIS, as the time text is stored, and in UTF-8 for the panel.
    composeTime(times.sjis, hourDigits, text, "\x8E\x9E", "\x95\xAA", "\x95\x62");
    composeTime(times.utf8, hourDigits, text, "時", "分", "秒");
    return true;
}

// ---- one sentence ---------------------------------------------------------

// A sentence decodes into this copy of the live values; only a sentence that
// is accepted whole is committed, so line noise never moves the car.
struct Scratch {
    double latitude, longitude, altitude;  // degrees, degrees, metres
    int32_t quality, satellites;
    TimeTexts time;  // valid when timeSet
    std::string_view satellitesText;
    bool timeSet = false, qualitySet = false, satellitesSet = false;
    bool latitudeTaken = false, longitudeTaken = false, altitudeTaken = false;
    bool showLatitude = false, showLongitude = false, showAltitude = false;
    bool rmcValid = false;
    bool complete = false;
};

bool takeLatitude(std::string_view text, Scratch& s) {
    GeoPoint point;
    if (!parseLatitude(text, point)) return false;
    s.latitude = point.latitude;
    s.latitudeTaken = true;
    return true;
}

bool takeLongitude(std::string_view text, Scratch& s) {
    GeoPoint point;
    if (!parseLongitude(text, point)) return false;
    s.longitude = point.longitude;
    s.longitudeTaken = true;
    return true;
}

// The hemisphere signs the coordinate of this sentence; without one (empty
// coordinate field) it must not flip the value kept from an earlier fix.
bool applyHemisphere(std::string_view text, char positive, char negative, bool taken,
                     double& value, bool& show) {
    if (text.size() != 1 || (text[0] != positive && text[0] != negative)) return false;
    if (text[0] == negative && taken) value = -value;
    show = true;
    return true;
}

// $GPGGA,123519.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
//   1 time  2 lat  3 N/S  4 lon  5 E/W  6 quality  7 satellites  8 HDOP
//   9 altitude  10 "M"  11 geoid separation  12 "M"  13 age  14 station
// Fields 1-5 wait for a non-zero quality from the previous GGA (field 6 of
// this one is not read yet); fields 7, 9, 11 need this sentence's quality.
bool ggaField(int index, std::string_view text, Scratch& s) {
    if (index >= 1 && index <= 5 && (s.quality == 0 || text.empty())) return true;
    switch (index) {
        case 1: return s.timeSet = convertTime(text, s.time);
        case 2: return takeLatitude(text, s);
        case 3: return applyHemisphere(text, 'N', 'S', s.latitudeTaken, s.latitude, s.showLatitude);
        case 4: return takeLongitude(text, s);
        case 5:
            return applyHemisphere(text, 'E', 'W', s.longitudeTaken, s.longitude, s.showLongitude);
        case 6:
            s.qualitySet = true;
            if (text.empty()) {
                s.quality = 0;
                return true;
            }
            return parseCount(text, s.quality);
        default: break;
    }
    if (s.quality == 0) return true;
    switch (index) {
        case 7:
            if (text.empty()) return true;
            s.satellitesText = text;
            return s.satellitesSet = parseCount(text, s.satellites);
        case 9:
            if (text.empty()) return true;
            return s.altitudeTaken = parseSignedDecimal(text, s.altitude);
        case 11: {
            if (!text.empty()) {
                double separation = 0.0;
                if (!parseSignedDecimal(text, separation)) return false;
                // The stored altitude is the altitude plus the magnitude of the
                // separation, whatever its sign. Added only to an altitude of this
                // sentence: otherwise every GGA without one would raise it again.
                if (s.altitudeTaken) s.altitude += std::fabs(separation);
            }
            s.showAltitude = true;
            s.complete = true;
            return true;
        }
        default: return true;
    }
}

// $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
//   1 time  2 status A/V  3 lat  4 N/S  5 lon  6 E/W  7.. speed, course,
//   date, variation: not used. Positions only with status "A".
bool rmcField(int index, std::string_view text, Scratch& s) {
    if (text.empty()) return true;
    switch (index) {
        case 1: return s.timeSet = convertTime(text, s.time);
        case 2: s.rmcValid = text == "A"; return true;
        default: break;
    }
    if (!s.rmcValid) return true;
    switch (index) {
        case 3: return takeLatitude(text, s);
        case 4: return applyHemisphere(text, 'N', 'S', s.latitudeTaken, s.latitude, s.showLatitude);
        case 5: return takeLongitude(text, s);
        case 6:
            s.complete = true;
            return applyHemisphere(text, 'E', 'W', s.longitudeTaken, s.longitude, s.showLongitude);
        default: return true;
    }
}

using FieldHandler = bool (*)(int index, std::string_view text, Scratch& s);

struct SentenceKind {
    std::string_view formatter;  // the name after the two-letter talker
    FieldHandler field;
    FixVariant variant;
};

// Any two-letter talker is accepted: GP (GPS), GN (multi-system), GL, GA, GB,
// BD, GQ, and IN (integrated instruments such as Humminbird fish finders).
constexpr SentenceKind SENTENCE_KINDS[] = {
    {"GGA", ggaField, FixVariant::Gga},
    {"RMC", rmcField, FixVariant::Rmc},
};

const SentenceKind* findKind(std::string_view name) {
    if (name.size() != 6 || name[0] != '$') return nullptr;
    for (int i = 1; i <= 2; ++i) {
        if (name[i] < 'A' || name[i] > 'Z') return nullptr;
    }
    for (const SentenceKind& kind : SENTENCE_KINDS) {
        if (name.substr(3) == kind.formatter) return &kind;
    }
    return nullptr;
}

const char* receptionModeText(int32_t quality) {
    switch (quality) {
        case 0: return "none";
        case 1: return "GPS SPS";
        case 2: return "DGPS";
        case 3: return "GPS PPS";
        default: return nullptr;
    }
}

// Applies an accepted sentence to the live fix and the panel, field order.
SentenceResult commit(std::string_view name, const SentenceKind& kind, const Scratch& s) {
    showText(PANEL_STATUS, name.substr(1));
    GeoPoint& position = gpsFix.position;
    if (s.timeSet) {
        std::memcpy(gpsFix.timeText, s.time.sjis, sizeof gpsFix.timeText);
        showText(PANEL_TIME, s.time.utf8);
    }
    position.latitude = s.latitude;
    position.longitude = s.longitude;
    position.altitude = s.altitude;
    // A GGA without a fix may still carry a position (0,0 or a stale one):
    // shown, but never completed as a fix by the GGA that follows it.
    if (kind.variant == FixVariant::Gga && s.quality == 0 && (s.latitudeTaken || s.longitudeTaken)) {
        notePositionWithoutFix();
    } else if (s.latitudeTaken && s.longitudeTaken) {
        notePositionReceived();
    }
    if (s.showLatitude) showDegrees(PANEL_LATITUDE, position.latitude);
    if (s.showLongitude) showDegrees(PANEL_LONGITUDE, position.longitude);
    if (s.qualitySet) {
        gpsFix.quality = s.quality;
        if (const char* mode = receptionModeText(s.quality)) showText(PANEL_MODE, mode);
    }
    if (s.satellitesSet) {
        gpsFix.satellites = s.satellites;
        showText(PANEL_SATELLITES, s.satellitesText);
    }
    if (s.showAltitude) showAltitude(PANEL_ALTITUDE, position.altitude);
    if (s.complete && completeFix(kind.variant)) return SentenceResult::Fix;
    return SentenceResult::Decoded;
}

int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// true when the sentence carries no "*" or its two hex digits match.
bool checksumMatches(std::string_view sentence, size_t star) {
    if (star == std::string_view::npos) return true;
    if (star + 2 >= sentence.size()) return false;
    const int high = hexValue(sentence[star + 1]);
    const int low = hexValue(sentence[star + 2]);
    return high >= 0 && low >= 0 && ((high << 4) | low) == nmeaChecksum(sentence);
}

// The sentence of a line: from its last "$" up to, not including, the CR.
// Empty when there is no "$" or no CR after it. `starAfterCr` tells whether a
// "*" follows that CR: a stray CR then cut the sentence, and the checksum
// belongs to bytes that were cut off.
std::string_view sentenceOf(std::string_view line, bool& starAfterCr) {
    const size_t dollar = line.rfind('$');
    if (dollar == std::string_view::npos) return {};
    line.remove_prefix(dollar);
    const size_t cr = line.find('\r');
    if (cr == std::string_view::npos) return {};
    starAfterCr = line.find('*', cr) != std::string_view::npos;
    return line.substr(0, cr);
}

}  // namespace

uint8_t nmeaChecksum(std::string_view line) {
    uint8_t sum = 0;
    for (size_t i = 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '*') return i == 1 ? 0 : sum;
        if (c == '\r') return 0;
        sum ^= static_cast<uint8_t>(c);
    }
    return sum;
}

bool parseLatitude(std::string_view text, GeoPoint& point) {
    if (text.empty()) return true;
    return parseCoordinate(text, 2, MAX_LATITUDE_CHARS, 90.0, point.latitude);
}

bool parseLongitude(std::string_view text, GeoPoint& point) {
    if (text.empty()) return true;
    return parseCoordinate(text, 3, MAX_LONGITUDE_CHARS, 180.0, point.longitude);
}

std::string_view nmeaSentenceName(int length, const char* line) {
    if (length <= 0 || line == nullptr) return {};
    std::string_view text(line, static_cast<size_t>(length));
    const size_t dollar = text.rfind('$');
    if (dollar == std::string_view::npos) return {};
    text.remove_prefix(dollar + 1);
    const size_t end = text.find_first_of(",*\r\n");
    return text.substr(0, end == std::string_view::npos ? text.size() : end);
}

SentenceResult decodeSentence(int length, const char* line) {
    if (length <= 0 || line == nullptr) return SentenceResult::Rejected;
    bool starAfterCr = false;
    const std::string_view sentence = sentenceOf(std::string_view(line, size_t(length)), starAfterCr);
    if (sentence.empty()) return SentenceResult::Rejected;

    // The checksum marker is searched from the end: a "*" inside a field is data.
    const size_t star = sentence.rfind('*');
    if (star == 0) return SentenceResult::Rejected;
    if (starAfterCr || !checksumMatches(sentence, star)) {
        showText(PANEL_STATUS, "sum err");
        return SentenceResult::ChecksumError;
    }
    const std::string_view fields = sentence.substr(0, star);

    const size_t firstComma = fields.find(',');
    const std::string_view name = fields.substr(0, firstComma);
    const SentenceKind* kind = findKind(name);
    if (kind == nullptr) return SentenceResult::Unknown;

    Scratch scratch;
    scratch.latitude = gpsFix.position.latitude;
    scratch.longitude = gpsFix.position.longitude;
    scratch.altitude = gpsFix.position.altitude;
    scratch.quality = gpsFix.quality;
    scratch.satellites = gpsFix.satellites;
    size_t start = firstComma;
    for (int index = 1; start != std::string_view::npos; ++index) {
        ++start;  // past the comma
        const size_t comma = fields.find(',', start);
        const size_t end = comma == std::string_view::npos ? fields.size() : comma;
        const std::string_view text = fields.substr(start, end - start);
        if (text.size() > MAX_FIELD_BYTES || !kind->field(index, text, scratch)) {
            return SentenceResult::Rejected;
        }
        start = comma;
    }
    return commit(name, *kind, scratch);
}
