// gpdtool's lap comparison commands:
//
//   gpdtool compare LOG LAP REFLAP   CSV distance_m,time_s,ref_time_s,delta_s, one row per sample of
//                                    LAP; on a loop course the last row is the next lap mark, where
//                                    the lap's time stops, so its delta is the lap time difference
//   gpdtool sectors LOG [--sectors N | --corners]
//                                    sector times of every complete lap (* = the best lap), the best
//                                    of each sector and the theoretical best ("ideal") with the lap
//                                    that gave each sector
#pragma once

#include <string_view>

// Whether `command` is one of the commands below.
bool isCompareCommand(std::string_view command);

// Runs "compare" or "sectors" with the whole command line; returns the exit
// status (0, 1 for a failure with a message on stderr, 2 for bad usage).
int runCompareCommand(int argc, char** argv);
