// Export of one lap as a comma-separated file for spreadsheets.
#pragma once

#include <string>

#include "common/atomic_file.h"
#include "common/records.h"

constexpr int CSV_WRITTEN = 0;
constexpr int CSV_WRITE_FAILED = 1;  // the file could not be created or written
constexpr int CSV_NO_LAP = -1;       // no drive, or the lap was not cut: nothing written

// The Shift-JIS text of lap `lap` of the loaded drive: header and one row per
// sample, each line ending in CR LF. Empty when the lap cannot be shown.
std::string lapCsvText(int lap);

// Writes the current lap (driveModel.currentLap) to `path`, replacing it whole.
// On a failure the outcome says which file and why.
WriteOutcome writeLapCsv(const std::string& path);

// The same for any lap of the loaded drive.
WriteOutcome writeLapCsvFor(int lap, const std::string& path);

// The name the save dialog proposes: "<course name>-<lap + 1>.csv", the
// course name in UTF-8 with path separators replaced so it stays one name.
std::string proposedCsvName(const Course& course, int lap);
