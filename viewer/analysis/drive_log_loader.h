// Reading a drive log (.gpd) into the drive model.
#pragma once

#include <string>

// Status of loadDriveLog.
constexpr int LOAD_OK = 0;
constexpr int LOAD_CANNOT_OPEN = 1;   // missing, not openable for update, or damaged
constexpr int LOAD_OUT_OF_MEMORY = 2;
constexpr int LOAD_TOO_FEW_PASSES = -1;

// Why the last load failed, finer than its status, for messages.
enum class LoadProblem {
    None,
    CannotOpen,       // missing or unreadable
    BadSampleCount,   // the sample count is zero or negative
    Truncated,        // the file holds fewer samples than its count promises
    WrongSize,        // the size is not that of a log of its sample count (780 + 40 per sample)
    OutOfMemory,
    TooFewPasses,     // fewer than two counted passes
};

// Discards the current drive, reads the log at `path` and analyses it.
// Returns LOAD_OK, LOAD_CANNOT_OPEN, LOAD_OUT_OF_MEMORY or LOAD_TOO_FEW_PASSES;
// on any failure no drive is loaded.
int loadDriveLog(const std::string& path);

// Loads the current drive's file again (after a weight change, so every power
// figure follows). LOAD_CANNOT_OPEN when no drive is loaded.
int reloadDriveLog();

LoadProblem lastLoadProblem();
// Back to "no problem" (part of resetAnalysisState).
void clearLoadProblem();

// One line in English saying why the last load failed ("" after success).
std::string loadProblemText(LoadProblem problem);

// What a successful load could not use: samples left out for a position that
// is not a finite number, laps beyond the table. English lines, "" when none.
std::string loadNotesText();
