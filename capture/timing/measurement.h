// The measurement start and stop sequences and the course commands' effect
// on the timing state, without any user interface: each returns what
// happened and the window (or the headless recorder) reports it.
#pragma once

#include "capture/timing/recorder.h"

enum StartResult : int {
    START_OK = 0,
    START_GPS_PORT_FAILED = 1,     // "GPS接続ポートが使用できませんでした。"
    START_BEACON_PORT_FAILED = 2,  // "MoTec接続ポートが使用できませんでした。"
    START_RECORDER_FAILED = 3,     // no sample buffer or no recorder thread
};

// Clears the pass log, opens the GPS port with its reader, the beacon port
// with MoTeC lap sync, starts the recorder, then plays cue 0. On a failure
// everything already started is undone and the program stays idle. While
// measuring it does nothing (START_OK).
StartResult startMeasuring();

struct StopResult {
    DriveLogResult driveLog;     // written path, failure, or nothing to write
    bool courseCleared = false;  // the course was incomplete for its type
};

// Stops the reader, the beacon and the recorder (which writes the drive log
// when anything was recorded and a pass counted), clears an incomplete
// course, resets the lap-timing state and plays cue 1.
StopResult stopMeasuring();

// New: stops everything as above (writing the log when there is one), sets
// the distances to unknown, resets the lap-timing state and clears the
// course. The pass log stays until the next start.
StopResult newCourse();

// The point commands. Add asks the next fix for a point and is refused
// (false) when the course is full for its type; delete and swap are for
// idle only and reset the lap-timing state when they change the course.
bool requestPointRegistration();
bool deleteLastPointCommand();
bool swapPointsCommand();

// Course type command while measuring: refused (false) while idle, and a
// loop while two points are registered.
bool changeCourseType(int32_t courseType);
