#include "viewer/analysis/comparison_state.h"

#include <algorithm>
#include <cstdio>

#include "common/record_io.h"
#include "platform/app_paths.h"
#include "viewer/analysis/lap_sectors.h"

ComparisonState comparisonState;

std::string comparisonPrefsPath() { return platform::settingsDirectory() + COMPARISON_PREFS_FILE; }

void sanitiseComparisonState(ComparisonState& state) {
    const ComparisonState defaults;
    if (state.referenceLap < 0 || state.referenceLap > MAX_LAPS) state.referenceLap = defaults.referenceLap;
    for (int32_t* flag : {&state.showReference, &state.deltaGraph, &state.gainLossMap, &state.sectorsAtCorners}) {
        if (*flag != 0 && *flag != 1) *flag = 0;
    }
    if (state.sectorCount < MIN_SECTOR_COUNT || state.sectorCount > MAX_SECTOR_COUNT)
        state.sectorCount = defaults.sectorCount;
}

int readComparisonPrefs(ComparisonState& state) {
    std::FILE* file = std::fopen(comparisonPrefsPath().c_str(), "rb");
    if (file == nullptr) return 1;
    ComparisonState read;
    const size_t got = readRecord(file, read);
    const bool longer = std::fgetc(file) != EOF;
    std::fclose(file);
    if (got != sizeof read || longer) return 1;  // a file of another layout is not ours to guess at
    sanitiseComparisonState(read);
    state = read;
    return 0;
}

WriteOutcome writeComparisonPrefs(const ComparisonState& state) {
    const auto* bytes = reinterpret_cast<const char*>(&state);
    const FileWriteResult written = writeFileAtomically(comparisonPrefsPath(), std::string_view(bytes, sizeof state));
    if (written.status != FileWriteStatus::WRITTEN) return {1, written.error};
    return {0, ""};
}

int referenceLapOf(const ComparisonState& state, const DriveModel& drive) {
    if (state.referenceLap > 0 && isValidLap(drive, state.referenceLap - 1)) return state.referenceLap - 1;
    return bestValidLap(drive);
}

std::vector<double> sectorSplitsOf(const ComparisonState& state, const DriveModel& drive) {
    if (!state.sectorsAtCorners) return equalSectorSplits(state.sectorCount);
    return cornerSectorSplits(drive, traceLap(drive, referenceLapOf(state, drive)));
}

LapComparison compareLap(const ComparisonState& state, const DriveModel& drive, int lap) {
    LapComparison c;
    const int reference = referenceLapOf(state, drive);
    if (reference < 0 || !isValidLap(drive, lap)) return c;
    c.trace = traceLap(drive, lap);
    c.referenceTrace = reference == lap ? c.trace : traceLap(drive, reference);
    c.deltaS = deltaSeconds(c.trace, c.referenceTrace);
    if (c.deltaS.empty()) return c;
    c.lap = lap;
    c.reference = reference;
    c.slopeSPerKm = deltaSlope(c.trace, c.deltaS, 0.015);
    return c;
}

std::vector<double> deltaSlope(const LapTrace& trace, const std::vector<double>& deltaS, double windowKm) {
    const size_t n = deltaS.size();
    std::vector<double> slope(n, 0.0);
    if (n < 2 || trace.distanceKm.size() != n) return slope;
    const std::vector<double>& d = trace.distanceKm;
    size_t back = 0, ahead = 0;
    for (size_t k = 0; k < n; ++k) {
        // Both ends of the window only move forward as k does.
        while (back + 1 < k && d[k] - d[back + 1] >= windowKm) ++back;
        if (ahead < k) ahead = k;
        while (ahead + 1 < n && d[ahead] - d[k] < windowKm) ++ahead;
        const size_t from = std::min(back, k), to = std::max(ahead, std::min(k + 1, n - 1));
        const double span = d[to] - d[from];
        slope[k] = span > 0.0 ? (deltaS[to] - deltaS[from]) / span : 0.0;
    }
    return slope;
}

Pace paceOf(double slopeSPerKm) {
    if (slopeSPerKm < -EVEN_PACE_S_PER_KM) return Pace::Gaining;
    if (slopeSPerKm > EVEN_PACE_S_PER_KM) return Pace::Losing;
    return Pace::Even;
}
