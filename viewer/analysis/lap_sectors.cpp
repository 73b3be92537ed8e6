#include "viewer/analysis/lap_sectors.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double MIN_SPLIT_GAP = 0.02;  // of a lap's length

}  // namespace

std::vector<double> equalSectorSplits(int sectorCount) {
    const int n = std::clamp(sectorCount, MIN_SECTOR_COUNT, MAX_SECTOR_COUNT);
    std::vector<double> splits;
    for (int k = 1; k < n; ++k) splits.push_back(double(k) / n);
    return splits;
}

std::vector<double> cornerSectorSplits(const DriveModel& drive, const LapTrace& lap) {
    std::vector<double> apexes;
    const double length = lap.lengthKm();
    for (int k = 0; k < lap.pointCount() && length > 0.0; ++k) {
        const size_t sample = size_t(lap.firstSample + k);
        if (sample >= drive.cornerMarks.size() || drive.cornerMarks[sample] != CORNER_APEX) continue;
        const double f = lap.distanceKm[size_t(k)] / length;
        const double previous = apexes.empty() ? 0.0 : apexes.back();
        if (f - previous >= MIN_SPLIT_GAP && 1.0 - f >= MIN_SPLIT_GAP) apexes.push_back(f);
    }
    if (apexes.empty()) return equalSectorSplits(DEFAULT_SECTOR_COUNT);
    const size_t wanted = MAX_CORNER_SECTORS - 1;
    if (apexes.size() <= wanted) return apexes;
    std::vector<double> thinned;
    for (size_t k = 0; k < wanted; ++k) thinned.push_back(apexes[(2 * k + 1) * apexes.size() / (2 * wanted)]);
    return thinned;
}

std::vector<int32_t> sectorTimesMs(const LapTrace& lap, const std::vector<double>& splits) {
    std::vector<int32_t> times;
    if (lap.empty()) return times;
    const auto lapMs = static_cast<int64_t>(std::llround(lap.lapTimeMs()));
    int64_t previous = 0;
    for (double split : splits) {
        const int64_t at = std::clamp<int64_t>(std::llround(timeAtFraction(lap, split)), previous, lapMs);
        times.push_back(static_cast<int32_t>(at - previous));
        previous = at;
    }
    times.push_back(static_cast<int32_t>(lapMs - previous));
    return times;
}

SectorTable buildSectorTable(const DriveModel& drive, const std::vector<double>& splits) {
    SectorTable table;
    table.splits = splits;
    const size_t sectors = splits.size() + 1;
    for (int lap = 0; lap < drive.lapCount; ++lap) {
        if (!isValidLap(drive, lap)) continue;
        SectorRow row{lap, drive.laps[size_t(lap)].lapTimeMs, sectorTimesMs(traceLap(drive, lap), splits)};
        if (row.sectorMs.size() != sectors) continue;
        if (table.bestMs.empty()) {
            table.bestMs = row.sectorMs;
            table.bestLap.assign(sectors, lap);
        }
        for (size_t s = 0; s < sectors; ++s) {
            if (row.sectorMs[s] < table.bestMs[s]) {
                table.bestMs[s] = row.sectorMs[s];
                table.bestLap[s] = lap;
            }
        }
        if (table.bestLapIndex < 0 || row.lapTimeMs < table.bestLapMs) {
            table.bestLapIndex = lap;
            table.bestLapMs = row.lapTimeMs;
        }
        table.rows.push_back(std::move(row));
    }
    int64_t sum = 0;
    for (int32_t ms : table.bestMs) sum += ms;
    table.theoreticalBestMs = static_cast<int32_t>(sum);
    return table;
}

std::string formatLapTimeMs(int32_t ms) {
    const int64_t total = std::max<int64_t>(ms, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld.%03lld", static_cast<long long>(total / 60000),
                  static_cast<long long>(total / 1000 % 60), static_cast<long long>(total % 1000));
    return text;
}
