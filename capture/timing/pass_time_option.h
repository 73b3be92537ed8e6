// Whether a counted pass is stamped with the moment of closest approach
// instead of the tick of the check that found it.
//
// Off, a pass carries the tick at which the check after the fix that brought
// the car within the radius ran: late by up to one fix interval, and shifted
// by how far to the side of the point the car passed. On, the pass time is
// the moment the car crossed the line through the point square to its
// direction of travel, placed between the arrival ticks of the two fixes
// around it (see checkPointPasses). The value goes into the same pass-log
// field either way, so every drive log stays readable by every reader.
//
// The option lives in a file of its own beside the program,
// "velmora-timing.pref", one "name value" line per option, so the settings
// file keeps its fixed layout.
#pragma once

#include <cstdint>
#include <string>

#include "common/atomic_file.h"

extern int32_t interpolatePassTime;  // flag, window thread; publishSettings hands it to the lap check

// exeDirectory() + "velmora-timing.pref".
std::string passTimeOptionPath();
// Reads the file over the value in memory: a missing file, an unknown line or
// a value other than 0 or 1 changes nothing. 0 read, 1 not readable.
int loadPassTimeOption();
// Writes the file through a temporary one ("interpolate-pass-time 0|1").
FileWriteResult savePassTimeOption();
