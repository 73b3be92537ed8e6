#include "capture/app/dialog_rules.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "capture/timing/recorder.h"
#include "common/sjis.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view skipBlanks(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    return text.substr(i);
}

// Index of an exact list match, or nullopt.
std::optional<int32_t> exactIndex(const std::vector<std::string>& list, std::string_view text) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] == text) return static_cast<int32_t>(i);
    }
    return std::nullopt;
}

// Parity codes follow the stored values, not the list order (NONE, EVEN, ODD).
constexpr int32_t PARITY_OF_LIST_ENTRY[] = {PARITY_NONE, PARITY_EVEN, PARITY_ODD};

std::string formatInt(int32_t value) { return std::to_string(value); }

}  // namespace

std::optional<int32_t> parseDialogInteger(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        // Past int32 in either direction: refuse rather than wrap.
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<double> parseDialogNumber(std::string_view text) {
    // The leading number of the text, always with a '.' decimal point: the
    // C library's strtod would follow the user's locale (Qt selects it at
    // start-up) and read "15.5" as 15 under a locale with decimal commas.
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.size() >= 3) {
        std::string head(text.substr(0, 3));
        for (char& c : head) c = static_cast<char>(c | 0x20);
        if (head == "nan" || head == "inf") return std::nullopt;
    }
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

std::string dialogFieldText(std::string_view utf8) {
    size_t chars = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        // A continuation byte never starts a character.
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (chars == DIALOG_FIELD_CHARS) break;
            ++chars;
        }
        ++i;
    }
    return std::string(utf8.substr(0, i));
}

// ---- GPS port dialog ----------------------------------------------------

std::vector<std::string> comPortNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= 20; ++i) names.push_back("COM" + std::to_string(i));
    return names;
}

const std::vector<std::string>& baudRateList() {
    static const std::vector<std::string> list = {"110",   "300",   "600",   "1200",  "2400",
                                                  "4800",  "9600",  "14400", "19200", "38400",
                                                  "56000", "128000", "256000"};
    return list;
}
const std::vector<std::string>& byteSizeList() {
    static const std::vector<std::string> list = {"7", "8"};
    return list;
}
const std::vector<std::string>& stopBitsList() {
    static const std::vector<std::string> list = {"1", "1.5", "2"};
    return list;
}
const std::vector<std::string>& parityList() {
    static const std::vector<std::string> list = {"NONE", "EVEN", "ODD"};
    return list;
}
const std::vector<std::string>& datumList() {
    static const std::vector<std::string> list = {"WGS-84", "TOKYO"};
    return list;
}

GpsPortFields gpsPortFieldsFrom(const SerialPort& port, int32_t datum, int32_t binaryReceiver) {
    GpsPortFields fields;
    fields.port = std::string(fixedText(port.portName));
    fields.baudRate = formatInt(port.baudRate);
    fields.byteSize = formatInt(port.byteSize);
    if (port.stopBits >= 0 && port.stopBits <= 2) fields.stopBits = stopBitsList()[port.stopBits];
    for (int i = 0; i < 3; ++i) {
        if (PARITY_OF_LIST_ENTRY[i] == port.parity) fields.parity = parityList()[i];
    }
    if (datum == 0 || datum == 1) fields.datum = datumList()[datum];
    fields.binaryReceiver = binaryReceiver != 0;
    return fields;
}

void applyGpsPortFields(const GpsPortFields& fields, SerialPort& port, int32_t& datum,
                        int32_t& binaryReceiver) {
    storePortName(port, portNameFromText(fields.port));
    // A text without a number reads as 0, as the dialog always did; a
    // value past int32 gives 0 as well instead of wrapping.
    port.baudRate = parseDialogInteger(dialogFieldText(fields.baudRate)).value_or(0);
    port.byteSize = parseDialogInteger(dialogFieldText(fields.byteSize)).value_or(0);
    if (auto i = exactIndex(stopBitsList(), dialogFieldText(fields.stopBits))) port.stopBits = *i;
    if (auto i = exactIndex(parityList(), dialogFieldText(fields.parity)))
        port.parity = PARITY_OF_LIST_ENTRY[*i];
    if (auto i = exactIndex(datumList(), dialogFieldText(fields.datum))) datum = *i;
    binaryReceiver = fields.binaryReceiver ? 1 : 0;
    // The binary receiver only talks at 9600 baud.
    if (fields.binaryReceiver) port.baudRate = 9600;
}

std::string portNameFromText(std::string_view utf8) {
    std::string name(utf8.substr(0, std::min<size_t>(utf8.size(), SERIAL_PORT_NAME_BYTES - 1)));
    // Never keep half a UTF-8 character at the cut.
    while (name.size() < utf8.size() && !name.empty() &&
           (static_cast<unsigned char>(utf8[name.size()]) & 0xC0) == 0x80) {
        name.pop_back();
    }
    return name;
}

void storePortName(SerialPort& port, std::string_view name) {
    std::memset(port.portName, 0, sizeof port.portName);
    const std::string cut = portNameFromText(name);
    std::memcpy(port.portName, cut.data(), cut.size());
}

// ---- GPS settings dialog -------------------------------------------------

GpsSettingsFields gpsSettingsFieldsFrom(const CaptureSettings& settings) {
    // "%.1f" without the locale's decimal comma.
    char offset[400];
    const auto written = std::to_chars(offset, offset + sizeof offset, settings.pointOffset,
                                       std::chars_format::fixed, 1);
    const std::string offsetText = written.ec == std::errc{} ? std::string(offset, written.ptr) : "0.0";
    return {offsetText, formatInt(settings.samplingPeriodMs), formatInt(settings.maxRecordingSeconds)};
}

namespace {

// The buffer size start-up will compute, before any clamping.
double rawCapacity(int32_t periodMs, int32_t seconds) { return (1000.0 / periodMs) * seconds; }

}  // namespace

int32_t minRecordingSeconds(int32_t samplingPeriodMs) {
    // Start from the exact quotient and step over the rounding of the double
    // division, so the bound is the one start-up's formula really accepts.
    int64_t s = std::max<int64_t>(1, samplingPeriodMs / 1000);
    while (s > 1 && rawCapacity(samplingPeriodMs, static_cast<int32_t>(s - 1)) >= MIN_SAMPLE_CAPACITY) --s;
    while (rawCapacity(samplingPeriodMs, static_cast<int32_t>(s)) < MIN_SAMPLE_CAPACITY) ++s;
    return static_cast<int32_t>(s);
}

int32_t maxRecordingSecondsFor(int32_t samplingPeriodMs) {
    int64_t s = int64_t{MAX_SAMPLE_CAPACITY} * samplingPeriodMs / 1000;
    s = std::min<int64_t>(s, std::numeric_limits<int32_t>::max());
    while (rawCapacity(samplingPeriodMs, static_cast<int32_t>(s)) >= MAX_SAMPLE_CAPACITY + 1.0) --s;
    while (s < std::numeric_limits<int32_t>::max() &&
           rawCapacity(samplingPeriodMs, static_cast<int32_t>(s + 1)) < MAX_SAMPLE_CAPACITY + 1.0)
        ++s;
    return static_cast<int32_t>(s);
}

SettingsCheck applyGpsSettingsFields(const GpsSettingsFields& fields, CaptureSettings& settings) {
    const std::optional<double> offset = parseDialogNumber(dialogFieldText(fields.pointOffset));
    if (!offset || !(*offset > 0.0)) {
        return {false, GPS_SETTINGS_POINT_OFFSET,
                "ポイントオフセット(m)には0より大きい数値を入力してください。"};
    }
    const std::optional<int32_t> period = parseDialogInteger(dialogFieldText(fields.samplingPeriodMs));
    // The recorder samples at any positive period; 0 ms or less cannot be sampled.
    if (!period || *period < 1) {
        return {false, GPS_SETTINGS_SAMPLING, "サンプリング時間(ms)には1以上の整数を入力してください。"};
    }
    const std::optional<int32_t> seconds =
        parseDialogInteger(dialogFieldText(fields.maxRecordingSeconds));
    const int32_t low = minRecordingSeconds(*period);
    const int32_t high = maxRecordingSecondsFor(*period);
    if (!seconds || *seconds < low || *seconds > high) {
        return {false, GPS_SETTINGS_MAX_RECORDING,
                "最大計測時間(秒）には、サンプリング時間" + std::to_string(*period) + "msで" +
                    std::to_string(low) + "～" + std::to_string(high) + "の整数を入力してください。"};
    }
    settings.pointOffset = *offset;
    settings.samplingPeriodMs = *period;
    settings.maxRecordingSeconds = *seconds;
    return {true, 0, {}};
}

// ---- Beacon port dialog ---------------------------------------------------

void applyBeaconPortText(std::string_view utf8, SerialPort& beacon) {
    storePortName(beacon, portNameFromText(utf8));
}

// ---- Course-name dialog ----------------------------------------------------

bool courseNeedsName(const Course& course) { return course.name[0] == '\0'; }

std::optional<int32_t> presetCourseType(const CaptureSettings& settings) {
    if (settings.lastCourseType >= COURSE_LOOP && settings.lastCourseType <= COURSE_OPEN_RETURN)
        return settings.lastCourseType;
    return std::nullopt;
}

std::string presetCourseName(const CaptureSettings& settings) {
    return sjisToUtf8(fixedText(settings.lastCourseName));
}

std::string courseNameToSjis(std::string_view utf8) {
    const std::string sjis = utf8ToSjis(utf8);
    size_t end = 0;
    while (end < sjis.size()) {
        const auto lead = static_cast<unsigned char>(sjis[end]);
        const size_t width = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
        if (end + width > COURSE_NAME_BYTES - 1) break;
        end += width;
    }
    return sjis.substr(0, end);
}

void applyCourseName(std::string_view typedUtf8, std::optional<int32_t> checkedType, Course& course,
                     CaptureSettings& settings) {
    std::string name = courseNameToSjis(typedUtf8);
    if (name.empty()) name = utf8ToSjis(DEFAULT_COURSE_NAME);
    std::memset(course.name, 0, sizeof course.name);
    std::memcpy(course.name, name.data(), name.size());
    std::memset(settings.lastCourseName, 0, sizeof settings.lastCourseName);
    std::memcpy(settings.lastCourseName, name.data(), name.size());
    if (checkedType) course.courseType = *checkedType;
    settings.lastCourseType = course.courseType;
}

// ---- Course file dialogs ---------------------------------------------------

CourseFileDialogSetup courseFileDialogSetup(bool forSaving, FileDialogMemory& memory) {
    CourseFileDialogSetup setup;
    setup.okCaption = forSaving ? "保存" : "開く";
    setup.proposedName = forSaving ? COURSE_FILE_PROPOSED_NAME : "";
    setup.mustExist = !forSaving;
    setup.initialFolder = memory.firstDialog ? "./" : memory.lastFolder;
    memory.firstDialog = false;
    return setup;
}

void rememberChosenFile(FileDialogMemory& memory, const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos) memory.lastFolder = path.substr(0, slash + 1);
}
