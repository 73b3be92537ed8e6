// Sector times: every lap split at the same places, the best time of each
// sector over the valid laps, and the theoretical best lap made of them.
//
// A split is a fraction of a lap's length (as the lap comparison measures
// it), so the same split falls on the same stretch of road in every lap
// whatever line each one drove.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_alignment.h"

constexpr int DEFAULT_SECTOR_COUNT = 3;
constexpr int MIN_SECTOR_COUNT = 2;
constexpr int MAX_SECTOR_COUNT = 10;
// Split at the corners, a lap has at most this many sectors: a twisty lap's
// apexes are thinned evenly to fit.
constexpr int MAX_CORNER_SECTORS = 16;

// The inner splits of `sectorCount` sectors of equal length (clamped to
// MIN..MAX_SECTOR_COUNT): 1/N, 2/N, ... (N-1)/N.
std::vector<double> equalSectorSplits(int sectorCount);

// Splits at the corner apexes of `lap` (its own trace), as fractions of its
// length. Apexes closer than 2 % of the lap to a lap end or to the previous
// split are left out. Equal thirds when the lap has no usable apex.
std::vector<double> cornerSectorSplits(const DriveModel& drive, const LapTrace& lap);

// Sector times of a lap in ms, one more than there are splits. Each split's
// time is rounded to the millisecond, so the sectors add up exactly to the
// lap time. Empty for an empty trace.
std::vector<int32_t> sectorTimesMs(const LapTrace& lap, const std::vector<double>& splits);

struct SectorRow {
    int lap = -1;                 // index into the lap table
    int32_t lapTimeMs = 0;
    std::vector<int32_t> sectorMs;
};

struct SectorTable {
    std::vector<double> splits;
    std::vector<SectorRow> rows;     // every valid lap, in lap order
    std::vector<int32_t> bestMs;     // per sector, the best over the rows
    std::vector<int> bestLap;        // per sector, the lap that gave it (the first of equal ones)
    int bestLapIndex = -1;           // the valid lap with the best time, -1 without one
    int32_t bestLapMs = 0;
    // The sum of the best sectors; never above the best lap time, since the
    // best lap's own sectors are candidates for every best.
    int32_t theoreticalBestMs = 0;
    int sectorCount() const { return static_cast<int>(splits.size()) + 1; }
};

SectorTable buildSectorTable(const DriveModel& drive, const std::vector<double>& splits);

// "mm:ss.mmm", minutes without a limit, e.g. 01:16.300.
std::string formatLapTimeMs(int32_t ms);
