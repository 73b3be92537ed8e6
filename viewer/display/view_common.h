// Pieces the track views, the graphs and the overlay share.
#pragma once

#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"

#include <vector>

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

// The vertices (and, when coloured, a colour per vertex) of one primitive,
// drawn with one client-side array call instead of one call per vertex: a
// 24 000-sample lap is over 100 000 immediate-mode calls a frame. The
// coordinates are handed to GL as floats, which is what immediate mode turns
// doubles into, so the pixels do not change. One batch is built at a time
// (the views draw on the UI thread only); its storage is kept between frames.
class VertexBatch {
public:
    static VertexBatch& begin(bool coloured);
    // Room for `vertices` more (add grows the storage itself when needed, but
    // slowly: the views reserve what they add).
    void reserve(size_t vertices);
    void add(double x, double y, double z) {
        if (count_ == capacity_) grow();
        float* v = xyz_.data() + 3 * count_;  // plain stores: this runs per sample per frame
        v[0] = float(x);
        v[1] = float(y);
        v[2] = float(z);
        ++count_;
    }
    void add(double x, double y, double z, const Colour& c) {
        if (count_ == capacity_) grow();
        float* rgb = rgb_.data() + 3 * count_;
        rgb[0] = c.r;
        rgb[1] = c.g;
        rgb[2] = c.b;
        add(x, y, z);
    }
    // Draws the vertices as `mode` (GL_POINTS, GL_LINE_STRIP, ...). A
    // coloured batch leaves `after` as the current colour, as the immediate
    // form leaves the last colour it set.
    void draw(unsigned mode, const Colour* after = nullptr) const;

private:
    void grow();
    bool coloured_ = false;
    size_t count_ = 0;     // vertices added
    size_t capacity_ = 0;  // vertices the storage holds
    std::vector<float> xyz_;
    std::vector<float> rgb_;
};
