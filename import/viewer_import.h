// Recordings of other loggers opened in the viewer: read, timed by the pass
// rules in memory (no file is written) and put into the drive model exactly
// as the drive log `gpdtool import` would write.
#pragma once

#include <optional>
#include <string>

#include "common/records.h"

// True for a file the viewer should import rather than load: any name but
// ".gpd" whose content is an NMEA log, VBO file, lap-timer CSV or GPX track.
bool isRecordingPath(const std::string& path);

// Replaces the drive model by the recording at `path`, timed against its own
// start/finish, else `lastCourse`. True when a drive with a lap is shown; on
// false the model is left empty and `reason` holds a Japanese sentence.
bool loadRecordingAsDrive(const std::string& path, const std::optional<Course>& lastCourse, std::string& reason);

// " ［VBOを取り込み］" and the like while the drive in the model came from a
// recording; "" for a drive log.
std::string importedTitleSuffix();
// The recording behind the drive in the model ("" for a drive log) and the
// UTC date its times belong to (unix seconds), for exports.
const std::string& importedRecordingPath();
int64_t importedRecordingDateUnixS();

// The course the viewer used last (a drive log's or a recording's), kept
// beside the program in its own course file "quindle-last.gps".
std::optional<Course> readLastCourse();
void rememberLastCourse(const Course& course);
