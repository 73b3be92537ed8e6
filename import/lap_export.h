// The viewer's current drive as map-tool tracks: one cut lap at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/track_export.h"

// Points of lap `lap` (from 0) of the loaded drive, from its first sample to
// the mark that closes it; with `leadIn` also the approach and run-out up to
// 100 m from the line, so that the pass rules run over the track again find
// the lap's passes at the same fixes and times. Sample ticks count
// milliseconds; the lap's first sample is placed at its tick's time of day
// on the UTC date of `dateUnixS` (logs made by import carry the recording's
// UTC time of day in their ticks, so those times come back unchanged).
std::vector<ExportPoint> lapExportPoints(int lap, int64_t dateUnixS, bool leadIn = false);

// "COURSE lap N 1:16.33": the course name, the lap number and its time.
std::string lapExportName(int lap);

// Writes lap `lap` of the loaded drive to `path` (.gpx with the lead-in
// samples, or .kml). Status 0
// written, 1 failed, 2 the name asks for neither format, 3 the lap is not cut.
WriteOutcome exportLap(int lap, const std::string& path, int64_t dateUnixS);

// Modification time of a file as unix seconds (now when unknown).
int64_t fileDateUnixS(const std::string& path);
