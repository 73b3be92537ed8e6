// Pieces the track views, the graphs and the overlay share.
#pragma once

#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"

// Labels of the track views.
inline constexpr const char* LABEL_START = "スタート";
inline constexpr const char* LABEL_GOAL = "ゴール";
inline constexpr const char* LABEL_TIMING_POINT = "計測地点";
inline constexpr const char* LABEL_TOP_SPEED = "最高速度地点";

inline constexpr Colour WHITE{1.0f, 1.0f, 1.0f};
inline constexpr Colour RED{1.0f, 0.0f, 0.0f};
inline constexpr Colour GREEN{0.0f, 1.0f, 0.0f};
inline constexpr Colour YELLOW{1.0f, 1.0f, 0.0f};
inline constexpr Colour CYAN{0.0f, 1.0f, 1.0f};
// A colour-mapped line starts in this colour at its first vertex.
inline constexpr Colour FIRST_VERTEX_BLUE{0.0f, 0.0f, 1.0f};

inline const LapRecord& currentLapRecord() { return driveModel.laps[size_t(driveModel.currentLap)]; }
inline const TrackPoint& pointAt(int sample) { return driveModel.points[size_t(sample)]; }

// The sample the replay shows, or -1 when no replay runs or its frame lies
// outside the displayed lap.
int animatedSample();

// Whether sample i of `lap` climbs from the sample before it. Inside the lap
// both heights share the lap's centring. The first sample compares
// uncentred heights, since the sample before it belongs to another lap (with
// its own centre) or to none; sample 0 has no computed height and counts as
// descending, as do equal heights.
bool isClimbing(int sample, const LapRecord& lap);

// The colour a colour map gives sample i (after which it takes effect on a
// line); false when the map mode draws no line.
bool colourMapColour(int sample, const LapRecord& lap, Colour& out);

inline bool anyCornerLabels() {
    return viewState.showCornerCount || viewState.showCornerSpeed || viewState.showCornerAltitude;
}

void setColour(const Colour& c);
