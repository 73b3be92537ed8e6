// The capture program's persisted options and the settings file beside it.
//
// "velmora.pref" is three raw little-endian blocks, 864 bytes in all: the
// CaptureSettings record (312 bytes), then the GPS port and the beacon port
// (SerialPort, 276 bytes each). No header or version, so the layout below is
// pinned by static_asserts and must never change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/atomic_file.h"
#include "common/records.h"

struct CaptureSettings {
    int32_t motecLapSync = 0;          // flag: pulse the MoTeC beacon at counted passes
    int32_t motecOnPointRegister = 1;  // flag: stored and shown only
    double pointOffset = 15.0;         // metres: pass radius around a course point
    int32_t samplingPeriodMs = 1000;   // ms between recorded samples
    int32_t maxRecordingSeconds = 7200;  // s: sizes the sample buffer at start-up
    int32_t datum = 0;                 // 0 WGS-84, 1 Tokyo
    int32_t soundGuidance = 1;         // flag: voice cues
    int32_t lastCourseType = 0;        // CourseType preset in the course-name dialog
    int32_t autoStart = 0;             // flag: measure as soon as a command-line course loads
    char lastCourseName[256] = {};     // Shift-JIS, NUL-terminated
    int32_t flashOnPass = 0;           // flag: flash the screen at a course point
    uint32_t flashColour = 0x000000FF; // colour reference: red in the low byte, then green, blue
    int32_t binaryReceiver = 0;        // flag: the receiver speaks the binary protocol
    uint8_t padding[4] = {};           // zero; rounds the record to 8 bytes
};
static_assert(sizeof(CaptureSettings) == 312);
static_assert(offsetof(CaptureSettings, pointOffset) == 8);
static_assert(offsetof(CaptureSettings, samplingPeriodMs) == 16);
static_assert(offsetof(CaptureSettings, maxRecordingSeconds) == 20);
static_assert(offsetof(CaptureSettings, datum) == 24);
static_assert(offsetof(CaptureSettings, soundGuidance) == 28);
static_assert(offsetof(CaptureSettings, lastCourseType) == 32);
static_assert(offsetof(CaptureSettings, autoStart) == 36);
static_assert(offsetof(CaptureSettings, lastCourseName) == 40);
static_assert(offsetof(CaptureSettings, flashOnPass) == 296);
static_assert(offsetof(CaptureSettings, flashColour) == 300);
static_assert(offsetof(CaptureSettings, binaryReceiver) == 304);

constexpr long SETTINGS_FILE_BYTES = 864;
static_assert(sizeof(CaptureSettings) + 2 * sizeof(SerialPort) == SETTINGS_FILE_BYTES);

extern CaptureSettings captureSettings;  // window thread

// The options worker threads read while measuring, copied out of
// captureSettings (and interpolatePassTime) so that a toggle or a settings dialog on the window thread
// never races the lap check: the pass radius, the flash and the lap sync.
struct PassOptions {
    double pointOffsetM = 15.0;
    bool flashOnPass = false;
    bool motecLapSync = false;
    bool interpolatePassTime = false;  // pass_time_option.h
};
// Publishes the options above, and hands the datum and receiver kind to the
// GPS state. Window thread: after every change of captureSettings (toggles,
// dialogs); the defaults, loadSettings and startMeasuring do it themselves.
void publishSettings();
// The latest published options. Any thread, lock-free.
PassOptions passOptions();

// Built-in defaults: the options above, last course name "トラック1", the GPS
// port "COM1" 38400 8-N-1 and the beacon port "COM2" 9600 8-N-1, pass times
// not interpolated. The datum
// and receiver kind also reach the GPS state (datum, binaryReceiver).
void applyDefaultSettings();

// exeDirectory() + "velmora.pref".
std::string settingsPath();

// Reads the file over the values in memory: a short file changes only the
// leading fields. Port handles are cleared afterwards, the names always end
// in a terminator within their fields, and the datum and
// receiver kind are handed to the GPS state. 0 read, 1 not openable (a
// missing or read-only file; the values stay).
int loadSettings();

// Writes all three blocks to a temporary file beside the target and renames
// it into place, so a failed write never leaves a truncated settings file.
// The GPS state's datum and receiver kind are taken back first. 0 written,
// FAILED with "cannot write PATH: reason" (the old file stays).
FileWriteResult saveSettings();
