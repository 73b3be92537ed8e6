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

// "hhmmss[.ss]": six digits, hour below 24; the fraction is not used.
bool parseTime(std::string_view text, UtcTime& time) {
    if (text.size() < 6 || !allDigits(text.substr(0, 6))) return false;
    time.hour = (text[0] - '0') * 10 + (text[1] - '0');
    if (time.hour > 23) return false;
    std::memcpy(time.minuteSecond, text.data() + 2, 4);
    return true;
}

// Receiver time (UTC) as Japan time, in the stored Shift-JIS form and the
// panel's UTF-8 form. The date is not adjusted.
struct TimeTexts {
    char sjis[32];
    char utf8[32];
};

void composeTime(char* out, const char (&hour)[2], const UtcTime& time, const char* hourMark,
                 const char* minuteMark, const char* secondMark) {
    char* p = out;
    *p++ = hour[0];
    *p++ = hour[1];
    p = std::strcpy(p, hourMark) + std::strlen(hourMark);
    *p++ = time.minuteSecond[0];
    *p++ = time.minuteSecond[1];
    p = std::strcpy(p, minuteMark) + std::strlen(minuteMark);
    *p++ = time.minuteSecond[2];
    *p++ = time.minuteSecond[3];
    std::strcpy(p, secondMark);
}

TimeTexts japanTime(const UtcTime& time) {
    int hour = time.hour + JAPAN_UTC_OFFSET_HOURS;
    if (hour >= 24) hour -= 24;
    const char hourDigits[2] = {char('0' + hour / 10), char('0' + hour % 10)};
    TimeTexts texts;
    // 時 分 秒 in Shift-JIS, as the time text is stored, and in UTF-8 for the panel.
    composeTime(texts.sjis, hourDigits, time, "\x8E\x9E", "\x95\xAA", "\x95\x62");
    composeTime(texts.utf8, hourDigits, time, "時", "分", "秒");
    return texts;
}

// ---- parsing: typed fields, no effect -------------------------------------

template <typename T, typename Read>
void readField(std::string_view text, NmeaField<T>& field, Read read) {
    if (text.empty()) return;
    field.state = read(text, field.value) ? FieldState::Valid : FieldState::Invalid;
}

void readHemisphere(std::string_view text, char positive, char negative, NmeaField<bool>& field) {
    readField(text, field, [&](std::string_view t, bool& isNegative) {
        if (t.size() != 1 || (t[0] != positive && t[0] != negative)) return false;
        isNegative = t[0] == negative;
        return true;
    });
}

bool readLatitude(std::string_view text, double& degrees) {
    return parseCoordinate(text, 2, MAX_LATITUDE_CHARS, 90.0, degrees);
}
bool readLongitude(std::string_view text, double& degrees) {
    return parseCoordinate(text, 3, MAX_LONGITUDE_CHARS, 180.0, degrees);
}

// $GPGGA,030719.000,3747.0873,S,17518.8938,E,1,08,1.1,59.9,M,23.7,M,,0000*7D
//   1 time hhmmss.sss   2 latitude ddmm.mmmm   3 N/S   4 longitude dddmm.mmmm
//   5 E/W   6 fix quality   7 satellites in use   8 HDOP (unused)
//   9 antenna altitude, m   10 "M"   11 geoid separation, m   12 "M"
//   13 age of differential data, 14 station id (unused)
void parseGgaField(int index, std::string_view text, ParsedSentence& p) {
    switch (index) {
        case 1: readField(text, p.time, parseTime); break;
        case 2: readField(text, p.latitude, readLatitude); break;
        case 3: readHemisphere(text, 'N', 'S', p.south); break;
        case 4: readField(text, p.longitude, readLongitude); break;
        case 5: readHemisphere(text, 'E', 'W', p.west); break;
        case 6: readField(text, p.quality, parseCount); break;
        case 7:
            readField(text, p.satellites, parseCount);
            p.satellitesText = text;
            break;
        case 9: readField(text, p.altitudeM, parseSignedDecimal); break;
        case 11: readField(text, p.separationM, parseSignedDecimal); break;
        default: break;
    }
}

// $GPRMC,030719.000,A,3747.0873,S,17518.8938,E,0.69,181.39,311214,,,A*7D
//   1 time hhmmss.sss   2 status A (valid) / V   3 latitude   4 N/S
//   5 longitude   6 E/W   7 speed, knots   8 course   9 date ddmmyy
//   10 magnetic variation   11 E/W   12 mode: 7 onwards unused
void parseRmcField(int index, std::string_view text, ParsedSentence& p) {
    switch (index) {
        case 1: readField(text, p.time, parseTime); break;
        case 2: p.rmcActive = text == "A"; break;
        case 3: readField(text, p.latitude, readLatitude); break;
        case 4: readHemisphere(text, 'N', 'S', p.south); break;
        case 5: readField(text, p.longitude, readLongitude); break;
        case 6: readHemisphere(text, 'E', 'W', p.west); break;
        default: break;
    }
}

using FieldParser = void (*)(int index, std::string_view text, ParsedSentence& p);

struct SentenceKind {
    std::string_view formatter;  // the name after the two-letter talker
    int minFields;               // fields after the name a sentence must have
    FieldParser parseField;
    SentenceType type;
};

// Any two-letter talker is accepted: GP (GPS), GN (multi-system), GL, GA, GB,
// BD, GQ, and IN (integrated instruments such as Humminbird fish finders).
// A sentence cut short before the fields it is used for (GGA: up to the
// geoid separation, RMC: up to E/W) is line noise, not a partial fix.
constexpr SentenceKind SENTENCE_KINDS[] = {
    {"GGA", 11, parseGgaField, SentenceType::Gga},
    {"RMC", 6, parseRmcField, SentenceType::Rmc},
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

// ---- applying: gating, panel texts, fix completion ------------------------

// A sentence is gathered into this copy of the live values and committed only
// when it is accepted whole, so line noise never moves the car.
struct Scratch {
    double latitude, longitude, altitude;  // degrees, degrees, metres
    int32_t quality, satellites;
    TimeTexts time;  // valid when timeSet
    std::string_view satellitesText;
    bool timeSet = false, qualitySet = false, satellitesSet = false;
    bool latitudeTaken = false, longitudeTaken = false, altitudeTaken = false;
    bool showLatitude = false, showLongitude = false, showAltitude = false;
    bool complete = false;
};

// Takes a field that is used: false (reject the sentence) when it is Invalid.
template <typename T, typename Take>
bool take(const NmeaField<T>& field, Take onValue) {
    if (field.state == FieldState::Invalid) return false;
    if (field.state == FieldState::Valid) onValue(field.value);
    return true;
}

// Time, latitude and longitude with their hemispheres. The hemisphere signs
// the coordinate of this sentence only; without one (empty coordinate field)
// it must not flip the value kept from an earlier fix.
bool takePosition(const ParsedSentence& p, Scratch& s) {
    return take(p.time, [&](const UtcTime& t) { s.time = japanTime(t), s.timeSet = true; }) &&
           take(p.latitude, [&](double v) { s.latitude = v, s.latitudeTaken = true; }) &&
           take(p.south, [&](bool negative) {
               if (negative && s.latitudeTaken) s.latitude = -s.latitude;
               s.showLatitude = true;
           }) &&
           take(p.longitude, [&](double v) { s.longitude = v, s.longitudeTaken = true; }) &&
           take(p.west, [&](bool negative) {
               if (negative && s.longitudeTaken) s.longitude = -s.longitude;
               s.showLongitude = true;
           });
}

// Fields 1-5 wait for a non-zero quality from the previous GGA (field 6 of
// this one comes later on the line); fields 7, 9, 11 need this sentence's.
bool gatherGga(const ParsedSentence& p, Scratch& s) {
    if (s.quality != 0 && !takePosition(p, s)) return false;
    s.qualitySet = true;
    s.quality = 0;  // an empty quality field reads as no fix
    if (!take(p.quality, [&](int32_t q) { s.quality = q; })) return false;
    if (s.quality == 0) return true;
    const bool taken =
        take(p.satellites, [&](int32_t n) {
            s.satellites = n, s.satellitesSet = true, s.satellitesText = p.satellitesText;
        }) &&
        take(p.altitudeM, [&](double m) { s.altitude = m, s.altitudeTaken = true; }) &&
        // The stored altitude is the altitude plus the magnitude of the
        // separation, whatever its sign. Added only to an altitude of this
        // sentence: otherwise every GGA without one would raise it again.
        take(p.separationM, [&](double m) {
            if (s.altitudeTaken) s.altitude += std::fabs(m);
        });
    if (!taken) return false;
    s.showAltitude = true;
    s.complete = true;
    return true;
}

// Positions only with status "A"; the time is shown either way.
bool gatherRmc(const ParsedSentence& p, Scratch& s) {
    if (!p.rmcActive) {
        return take(p.time, [&](const UtcTime& t) { s.time = japanTime(t), s.timeSet = true; });
    }
    if (!takePosition(p, s)) return false;
    s.complete = p.west.state == FieldState::Valid;
    return true;
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
SentenceResult commit(std::string_view name, FixVariant variant, const Scratch& s) {
    showText(PANEL_STATUS, name);
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
    if (variant == FixVariant::Gga && s.quality == 0 && (s.latitudeTaken || s.longitudeTaken)) {
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
    if (s.complete && completeFix(variant)) return SentenceResult::Fix;
    return SentenceResult::Decoded;
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
    return readLatitude(text, point.latitude);
}

bool parseLongitude(std::string_view text, GeoPoint& point) {
    if (text.empty()) return true;
    return readLongitude(text, point.longitude);
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

namespace nmea {

ParsedSentence parse(std::string_view line) {
    ParsedSentence parsed;
    bool starAfterCr = false;
    const std::string_view sentence = sentenceOf(line, starAfterCr);
    if (sentence.empty()) return parsed;

    // The checksum marker is searched from the end: a "*" inside a field is data.
    const size_t star = sentence.rfind('*');
    if (star == 0) return parsed;
    if (starAfterCr || !checksumMatches(sentence, star)) {
        parsed.outcome = SentenceResult::ChecksumError;
        return parsed;
    }
    const std::string_view fields = sentence.substr(0, star);

    const size_t firstComma = fields.find(',');
    const std::string_view name = fields.substr(0, firstComma);
    const SentenceKind* kind = findKind(name);
    if (kind == nullptr) {
        parsed.outcome = SentenceResult::Unknown;
        return parsed;
    }
    parsed.type = kind->type;
    parsed.name = name.substr(1);
    int count = 0;
    for (size_t start = firstComma; start != std::string_view::npos;) {
        ++start;  // past the comma
        const size_t comma = fields.find(',', start);
        const size_t end = comma == std::string_view::npos ? fields.size() : comma;
        const std::string_view text = fields.substr(start, end - start);
        if (text.size() > MAX_FIELD_BYTES) return parsed;
        kind->parseField(++count, text, parsed);
        start = comma;
    }
    if (count < kind->minFields) return parsed;
    parsed.outcome = SentenceResult::Decoded;
    return parsed;
}

SentenceResult apply(const ParsedSentence& p) {
    if (p.outcome == SentenceResult::ChecksumError) showText(PANEL_STATUS, "sum err");
    if (p.outcome != SentenceResult::Decoded) return p.outcome;
    Scratch s;
    s.latitude = gpsFix.position.latitude;
    s.longitude = gpsFix.position.longitude;
    s.altitude = gpsFix.position.altitude;
    s.quality = gpsFix.quality;
    s.satellites = gpsFix.satellites;
    const bool gga = p.type == SentenceType::Gga;
    if (!(gga ? gatherGga(p, s) : gatherRmc(p, s))) return SentenceResult::Rejected;
    return commit(p.name, gga ? FixVariant::Gga : FixVariant::Rmc, s);
}

}  // namespace nmea

SentenceResult decodeSentence(int length, const char* line) {
    if (length <= 0 || line == nullptr) return SentenceResult::Rejected;
    return nmea::apply(nmea::parse(std::string_view(line, static_cast<size_t>(length))));
}
