// A drive model from a recorded track (CSV: time_s,lat,lon,alt_m with one
// header line), for pictures and measurements of the views without a log.
#pragma once

#include <string>

#include "common/records.h"

// Every `everyNth` row becomes a sample (ticks from the row times); the
// second and the last sample carry lap marks, so the track is one lap of a
// loop course (or one run of an open course). Analyses the drive. Returns an
// empty string on success, else why it failed.
std::string loadTrackDrive(const std::string& csvPath, int everyNth, int32_t courseType = COURSE_LOOP);
