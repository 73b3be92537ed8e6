// The viewer's lap comparison settings and what they give for the displayed
// lap: the reference lap, both laps' traces, the delta of every sample and
// the gain or loss along the lap.
//
// The settings live in "quindlec.pref" beside the program, a file of their
// own: "quindle.pref" keeps exactly the 184 bytes other readers expect.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_alignment.h"

// 24 bytes, little-endian, the memory image is the file image.
struct ComparisonState {
    int32_t referenceLap = 0;      // lap number from 1; 0 = the best valid lap
    int32_t showReference = 0;     // the reference drawn with the displayed lap
    int32_t deltaGraph = 0;        // the delta-T graph instead of the display mode's view
    int32_t gainLossMap = 0;       // the track coloured by gain (green) and loss (red)
    int32_t sectorCount = 3;       // equal sectors, 2..10
    int32_t sectorsAtCorners = 0;  // split at the reference lap's corners instead
};
static_assert(sizeof(ComparisonState) == 24);

extern ComparisonState comparisonState;

constexpr const char* COMPARISON_PREFS_FILE = "quindlec.pref";
std::string comparisonPrefsPath();

// Reads the file over `state`. Only a whole 24-byte file is taken, and any
// value out of its range is put back to its default. 0, or 1 when the file
// is missing, unreadable or of another size (`state` untouched).
int readComparisonPrefs(ComparisonState& state);
// Writes the whole record, replacing the file whole. 0, or 1 with the reason.
WriteOutcome writeComparisonPrefs(const ComparisonState& state);
void sanitiseComparisonState(ComparisonState& state);

// The lap index the settings choose in `drive`: the numbered lap when it is
// a valid lap, else the best valid lap; -1 without a valid lap.
int referenceLapOf(const ComparisonState& state, const DriveModel& drive);

// The sector splits the settings give for `drive` (corner splits come from
// the reference lap).
std::vector<double> sectorSplitsOf(const ComparisonState& state, const DriveModel& drive);

// The displayed lap against its reference.
struct LapComparison {
    int lap = -1;        // displayed lap, -1 when there is nothing to compare
    int reference = -1;  // reference lap
    LapTrace trace;      // of the displayed lap
    LapTrace referenceTrace;
    std::vector<double> deltaS;       // per point of `trace`, seconds, + = behind
    std::vector<double> slopeSPerKm;  // per point, change of the delta along the lap
    bool valid() const { return lap >= 0 && reference >= 0 && !deltaS.empty(); }
};

// The comparison of lap `lap` of `drive` with the settings' reference.
LapComparison compareLap(const ComparisonState& state, const DriveModel& drive, int lap);

// The change of `deltaS` per km around each point, measured over at least
// `windowKm` either side (GPS noise on single steps would flicker).
std::vector<double> deltaSlope(const LapTrace& trace, const std::vector<double>& deltaS, double windowKm);

// Slopes beyond this, s/km, count as gaining or losing; flatter is even.
constexpr double EVEN_PACE_S_PER_KM = 0.1;
enum class Pace { Even, Gaining, Losing };
Pace paceOf(double slopeSPerKm);
