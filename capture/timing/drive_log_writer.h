// The drive log file (.gpd): samples, pass log and course of one measurement.
//
// Layout, little-endian, no header: int32 N; N LogSamples (40 bytes each);
// the PassLog (404 bytes) at 4 + 40N; the Course (368 bytes) at 408 + 40N;
// four zero bytes, for a total of 780 + 40N. Files are named after the local
// date, 20YYMMDD_NNN.gpd, in the log folder beside the program.
#pragma once

#include <ctime>
#include <string>

#include "capture/timing/recorder.h"

// Folder the logs go to, with a trailing '/'. Default recordsDirectory() + "log/" (beside the program but in an installed copy).
std::string driveLogDirectory();
// "" restores the default; a missing trailing '/' is added.
void setDriveLogDirectory(const std::string& directory);

// "20YYMMDD" for a local date (the century is always 20).
std::string driveLogDateText(const std::tm& localDate);

// Writes samples[0..sampleCount), passLog and course when at least one pass
// was counted. The first free name from logFileCounter on is taken (the
// counter is advanced past existing files); the file appears under that name
// only once complete. DRIVE_LOG_NOTHING when there is no pass or sample.
DriveLogResult writeDriveLog();
// The same with the course block given: a run kept after a failed write
// carries the course it was measured on, even once New or Stop cleared it.
DriveLogResult writeDriveLog(const Course& image);

// Creates the log folder when missing and checks that files can be made in
// it: "" when usable, otherwise the folder and the reason.
std::string driveLogFolderProblem();

// The same file from any content (a recovered journal): named after
// `dateText` ("20YYMMDD") with the first free number from `counter` on.
struct DriveLogParts {
    const LogSample* samples = nullptr;
    int32_t sampleCount = 0;
    PassLog passes;
    Course course;
};
DriveLogResult writeDriveLogContent(const DriveLogParts& content, const std::string& dateText,
                                    int32_t& counter);
// "20YYMMDD" of the local date now.
std::string todayDateText();
