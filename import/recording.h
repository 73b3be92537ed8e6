// Recordings of other loggers and apps, read into one neutral list of fixes.
//
// Readers exist for NMEA 0183 logs, VBO text files, lap-timer CSV exports and
// GPX 1.1 tracks; readRecording chooses by content. Nothing here knows the
// drive log: turning fixes into one is the job of drive_log_import.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class RecordingFormat { Nmea, Vbo, Csv, Gpx };

// One position of a recording.
struct RecordedFix {
    double timeS = 0.0;      // seconds; see Recording::clock
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, east positive
    double altitudeM = 0.0;  // metres; 0 when the recording has none
};

// What a recording's time column counts.
enum class RecordingClock {
    SecondsOfDay,  // UTC time of day, growing past 86 400 across midnight
    UnixSeconds,   // seconds since 1970-01-01 UTC
    Relative,      // seconds from an unknown start
};

struct LatLon {
    double latitude = 0.0;
    double longitude = 0.0;
};

struct Recording {
    RecordingFormat format = RecordingFormat::Nmea;
    RecordingClock clock = RecordingClock::Relative;
    std::vector<RecordedFix> fixes;      // strictly increasing times
    std::optional<LatLon> startFinish;   // the file's own start/finish point, when it names one
    std::string name;                    // session or track name (UTF-8), when the file names one
};

struct RecordingResult {
    bool ok = false;
    std::string error;  // "line 12: ..." or a whole-file reason; empty when ok
    Recording recording;
};

// Fewer fixes than this are no recording to time.
constexpr size_t MIN_RECORDING_FIXES = 2;

// The readers take the whole file content. Each refuses damaged input with the
// number of the line at fault and returns no fixes then.
RecordingResult readNmeaLog(std::string_view text);
RecordingResult readVboFile(std::string_view text);
RecordingResult readCsvLog(std::string_view text);
RecordingResult readGpxTrack(std::string_view text);

// The format the content looks like, or nothing when it is none of them.
std::optional<RecordingFormat> detectRecordingFormat(std::string_view text);
const char* recordingFormatName(RecordingFormat format);

// Reads a file of any of the formats. Errors name the file.
RecordingResult readRecording(const std::string& path);

// Milliseconds a fix's time gives as a drive log tick: the UTC time of day of
// the first fix plus the time since it (from 0 when the time of day is unknown).
uint32_t recordingTickMs(const Recording& recording, double timeS);
