// The measurement start and stop sequences and the course commands' effect
// on the timing state, without any user interface: each returns what
// happened and the window (or the headless recorder) reports it.
//
// All of these run on the window thread. A change to the course while the
// reader runs (type, added point, a loaded course) takes effect from the next
// fix; the sink is shown the course points after every change of them. The
// window refreshes its command states (commandStates(currentCommandInputs()))
// after each of these calls.
#pragma once

#include <string>

#include "capture/timing/recorder.h"

enum StartResult : int {
    START_OK = 0,
    START_GPS_PORT_FAILED = 1,     // "GPS接続ポートが使用できませんでした。"
    START_BEACON_PORT_FAILED = 2,  // "MoTec接続ポートが使用できませんでした。"
    START_RECORDER_FAILED = 3,     // no sample buffer or no recorder thread
    START_UNWRITTEN_RUN = 4,       // the last run's drive log is still unwritten
};

struct StartOutcome {
    StartResult result = START_OK;
    std::string error;  // why a start failed, for a log or a terminal ("" on success)
    int portErrno = 0;  // errno of the failed port open, for portFailureReason
    // A started measurement whose log folder cannot be written, told before
    // the run (folder and reason); "" when the folder is usable.
    std::string logFolderProblem;
};

// The reason a port could not be opened, in the user's words (Japanese), for
// the line under the fixed port message: busy, no such device, permission
// (with the dialout hint), settings refused; otherwise the system's text.
std::string portFailureReason(int portErrno);

// Clears the pass log, publishes the settings to the workers, installs the
// reader hooks, opens the GPS port with its reader, the beacon port with
// MoTeC lap sync, starts the recorder, then plays cue 0. On a failure
// everything already started is undone and the program stays idle. While
// measuring it does nothing (START_OK).
StartOutcome startMeasuringWithReason();
StartResult startMeasuring();  // the same, for callers that show the fixed message only

struct StopResult {
    DriveLogResult driveLog;     // written path, failure, or nothing to write
    bool courseCleared = false;  // the course was incomplete for its type
};

// Stops the reader, the beacon and the recorder (which writes the drive log
// when anything was recorded and a pass counted), hides the flash, clears an
// incomplete course, resets the lap-timing state and plays cue 1.
StopResult stopMeasuring();

// A run whose drive log could not be written is held in memory (samples,
// pass log and the course it was measured on) until it is written or the
// user drops it; no start is allowed meanwhile.
bool unwrittenRunHeld();
// Writes the held run to the current log folder; it is released once written.
// DRIVE_LOG_NOTHING when none is held.
DriveLogResult writeHeldRun();
void dropHeldRun();
// Writes the held run where a file can still be made when the log folder
// cannot take it and nobody can choose another: the user's home folder, else
// the temporary folder ($TMPDIR or /tmp). The drive log folder is left
// pointing at the folder that took it.
DriveLogResult writeHeldRunToFallback();
// Why the last stop wrote no drive log: "no sample was recorded" or "no pass
// was counted".
std::string noDriveLogReason();

// New: stops everything as above (writing the log when there is one), sets
// the distances to unknown, resets the lap-timing state, clears the course
// and courseModified. The pass log stays until the next start.
StopResult newCourse();

// The point commands. Add asks the next fix for a point and is refused
// (false) while idle or when the course is full for its type; delete and swap
// are for idle only and reset the lap-timing state when they change the
// course. Each that acts sets courseModified.
bool requestPointRegistration();
bool deleteLastPointCommand();
bool swapPointsCommand();

// Course type command while measuring: refused (false) while idle, and a
// loop while two points are registered (the window beeps).
bool changeCourseType(int32_t courseType);
