// What the capture program's dialogs do with their texts, without any widget:
// the lists and initial texts they show and how OK turns the typed texts back
// into the settings, the ports and the course. The dialogs only display what
// these return and store what these decide.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/timing/capture_settings.h"
#include "common/records.h"

// Texts are read from the boxes with at most this many characters, as the
// original dialogs did (the port name is the exception: see portNameFromText).
constexpr int DIALOG_FIELD_CHARS = 15;

// Decimal integer the way the dialogs read one: optional blanks and sign,
// then digits up to the first other character; no digits gives 0. A value
// outside int32 gives nullopt instead of an undefined result.
std::optional<int32_t> parseDialogInteger(std::string_view text);
// Decimal number read the same way (the leading number of the text, 0 for
// none); nullopt for an infinite or not-a-number result.
std::optional<double> parseDialogNumber(std::string_view text);
// The first DIALOG_FIELD_CHARS characters of a UTF-8 text.
std::string dialogFieldText(std::string_view utf8);

// ---- GPS port dialog ----------------------------------------------------

// "COM1" ... "COM20".
std::vector<std::string> comPortNames();
// "110" ... "256000", "7"/"8", "1"/"1.5"/"2", "NONE"/"EVEN"/"ODD", "WGS-84"/"TOKYO".
const std::vector<std::string>& baudRateList();
const std::vector<std::string>& byteSizeList();
const std::vector<std::string>& stopBitsList();
const std::vector<std::string>& parityList();
const std::vector<std::string>& datumList();

// The six texts of the dialog and its check box.
struct GpsPortFields {
    std::string port;      // UTF-8
    std::string baudRate;
    std::string byteSize;
    std::string stopBits;
    std::string parity;
    std::string datum;
    bool binaryReceiver = false;
};

// Initial texts: the stored values; a stop-bit, parity or datum code outside
// the list shows an empty text.
GpsPortFields gpsPortFieldsFrom(const SerialPort& port, int32_t datum, int32_t binaryReceiver);

// OK: the port name as typed, speed and byte size as integers (a text that is
// not a number gives 0), stop bits, parity and datum only on an exact list
// match (anything else keeps the old value), the binary box, and 9600 baud
// whenever the binary box is checked. The port handle is not touched.
void applyGpsPortFields(const GpsPortFields& fields, SerialPort& port, int32_t& datum,
                        int32_t& binaryReceiver);

// A port name as stored: the whole typed text (device paths such as
// /dev/serial/by-id/... are far longer than 15 characters), cut to what the
// 256-byte field holds.
std::string portNameFromText(std::string_view utf8);
void storePortName(SerialPort& port, std::string_view name);

// ---- GPS settings dialog -------------------------------------------------

struct GpsSettingsFields {
    std::string pointOffset;        // "%.1f"
    std::string samplingPeriodMs;   // "%d"
    std::string maxRecordingSeconds;  // "%d"
};
GpsSettingsFields gpsSettingsFieldsFrom(const CaptureSettings& settings);

// Which box a refusal is about, by control id.
enum GpsSettingsControl : int {
    GPS_SETTINGS_POINT_OFFSET = 1018,
    GPS_SETTINGS_SAMPLING = 1019,
    GPS_SETTINGS_MAX_RECORDING = 1020,
};

struct SettingsCheck {
    bool accepted = false;
    int controlId = 0;        // the box to correct when refused
    std::string messageUtf8;  // names the allowed range when refused
};

// The longest recording the given period allows, in seconds, and the
// shortest: a recording must give the sample buffer 1 to MAX_SAMPLE_CAPACITY
// samples (truncation of 1000 / period x seconds, as start-up computes it).
int32_t minRecordingSeconds(int32_t samplingPeriodMs);
int32_t maxRecordingSecondsFor(int32_t samplingPeriodMs);

// OK: parses the three texts and stores them only when all three are in
// range: a pass radius above 0 m, a sampling period of 1 ms or more, and a
// recording time that gives a usable
// buffer. A refusal stores nothing and says which box and why.
SettingsCheck applyGpsSettingsFields(const GpsSettingsFields& fields, CaptureSettings& settings);

// ---- Beacon port dialog ---------------------------------------------------

// OK: the typed name becomes the beacon port's name; nothing else changes.
void applyBeaconPortText(std::string_view utf8, SerialPort& beacon);

// ---- Course-name dialog ----------------------------------------------------

constexpr const char* DEFAULT_COURSE_NAME = "トラック1";

// Whether measurement start must ask: only a course without a name.
bool courseNeedsName(const Course& course);
// The radio button checked at first: the preset type, none outside 0..2.
std::optional<int32_t> presetCourseType(const CaptureSettings& settings);
// The preset name as UTF-8.
std::string presetCourseName(const CaptureSettings& settings);

// At most 255 bytes of Shift-JIS, never ending in half a double-byte character.
std::string courseNameToSjis(std::string_view utf8);

// OK: the typed name (empty becomes "トラック1") goes into the course and the
// preset; the checked type (none keeps the course's type) too.
void applyCourseName(std::string_view typedUtf8, std::optional<int32_t> checkedType, Course& course,
                     CaptureSettings& settings);

// ---- Course file dialogs ---------------------------------------------------

constexpr const char* COURSE_FILE_FILTER = "GPS File (*.gps)";
constexpr const char* COURSE_FILE_SUFFIX = "gps";
constexpr const char* COURSE_FILE_PROPOSED_NAME = "untitled.gps";

// The first file dialog of a run opens in the current folder; later ones
// where the last one left off.
struct FileDialogMemory {
    bool firstDialog = true;
    std::string lastFolder;
};

struct CourseFileDialogSetup {
    std::string okCaption;      // "開く" or "保存"
    std::string initialFolder;  // "./" for the first dialog, else the remembered folder ("" = none)
    std::string proposedName;   // "" for opening, "untitled.gps" for saving
    bool mustExist = true;      // opening only
};

// Consumes the first-dialog flag.
CourseFileDialogSetup courseFileDialogSetup(bool forSaving, FileDialogMemory& memory);
// Remembers the folder of a chosen file for the next dialog.
void rememberChosenFile(FileDialogMemory& memory, const std::string& path);
