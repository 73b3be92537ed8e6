#include "viewer/display/comparison_views.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/duration.h"
#include "viewer/analysis/lap_sectors.h"
#include "viewer/display/gl_text.h"
#include "viewer/display/graph_scale.h"
#include "viewer/display/view_common.h"

namespace {

// The reference lies this far under the displayed lap in 3D (km), so the
// displayed line stays in front where both take the same line.
constexpr double REFERENCE_DROP_KM = 0.001;
constexpr Colour EVEN_COLOUR{0.85f, 0.85f, 0.85f};
constexpr Colour SPLIT_COLOUR{0.0f, 0.8f, 0.8f};
constexpr Colour GRID_GREY{0.45f, 0.45f, 0.45f};

struct CacheKey {
    const void* samples = nullptr;
    int sampleCount = -1, lapCount = -1, lap = -1, reference = -1;
    int64_t spans[8] = {};  // start, end, lap time and first tick of both laps
    bool operator==(const CacheKey&) const = default;
};

CacheKey keyOf(int lap, int reference) {
    CacheKey k{driveModel.samples.data(), driveModel.sampleCount, driveModel.lapCount, lap, reference, {}};
    int i = 0;
    for (int l : {lap, reference}) {
        if (l < 0) continue;
        const LapRecord& r = driveModel.laps[size_t(l)];
        k.spans[i++] = r.startSample;
        k.spans[i++] = r.endSample;
        k.spans[i++] = r.lapTimeMs;
        k.spans[i++] = driveModel.samples[size_t(r.startSample)].tick;  // tells two logs apart even at one address
    }
    return k;
}

const LapRecord* referenceRecord() {
    const LapComparison& c = displayedComparison();
    return c.valid() ? &driveModel.laps[size_t(c.reference)] : nullptr;
}

bool referenceShown() { return comparisonState.showReference != 0 && referenceRecord() != nullptr; }

// A reference sample in the displayed lap's frame (both laps are centred on their own box).
Vec3 referencePoint(int sample) {
    const Vec3& own = currentLapRecord().boxCentre;
    const Vec3& ref = referenceRecord()->boxCentre;
    const TrackPoint& p = pointAt(sample);
    return {p.x + ref.x - own.x, p.y + ref.y - own.y, p.z + ref.z - own.z};
}

// Where the reference car is `timeMs` into its lap: between two of its
// samples, in the displayed lap's frame. The car waits at its finish.
Vec3 referenceCarAt(double timeMs) {
    const LapTrace& t = displayedComparison().referenceTrace;
    const LapRecord& r = *referenceRecord();
    const int last = r.endSample - r.startSample;  // the closing point lies in the next lap's frame
    const auto upper = std::upper_bound(t.timeMs.begin(), t.timeMs.begin() + last + 1, timeMs);
    const int j = std::clamp(int(upper - t.timeMs.begin()) - 1, 0, last);
    if (j >= last) return referencePoint(r.endSample);
    const double span = t.timeMs[size_t(j + 1)] - t.timeMs[size_t(j)];
    const double f = span > 0.0 ? std::clamp((timeMs - t.timeMs[size_t(j)]) / span, 0.0, 1.0) : 0.0;
    const Vec3 a = referencePoint(t.firstSample + j), b = referencePoint(t.firstSample + j + 1);
    return {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.z + f * (b.z - a.z)};
}

double animatedTimeMs(int animated) {
    return double(tickDifference(driveModel.samples[size_t(animated)].tick,
                                 driveModel.samples[size_t(currentLapRecord().startSample)].tick));
}

const Colour& paceColour(double slope) {
    switch (paceOf(slope)) {
        case Pace::Gaining: return GAIN_COLOUR;
        case Pace::Losing: return LOSS_COLOUR;
        default: return EVEN_COLOUR;
    }
}

void drawCar(double x, double y, double z) {
    glPointSize(7.0f);
    setColour(REFERENCE_COLOUR);
    glBegin(GL_POINTS);
    glVertex3d(x, y, z);
    glEnd();
}

}  // namespace

const LapComparison& displayedComparison() {
    static LapComparison cached;
    static CacheKey cachedKey;
    const int lap = hasCurrentLap() ? driveModel.currentLap : -1;
    const int reference = lap >= 0 ? referenceLapOf(comparisonState, driveModel) : -1;
    const CacheKey key = keyOf(lap, reference);
    if (!(key == cachedKey)) {
        cached = lap >= 0 ? compareLap(comparisonState, driveModel, lap) : LapComparison{};
        cachedKey = key;
    }
    return cached;
}

bool deltaGraphActive() { return comparisonState.deltaGraph != 0 && displayedComparison().valid(); }
bool gainLossMapActive() { return comparisonState.gainLossMap != 0 && displayedComparison().valid(); }
bool trackLineMapped() { return viewState.colourMapMode != COLOUR_MAP_NONE || gainLossMapActive(); }

bool trackLineColour(int sample, const LapRecord& lap, Colour& out) {
    if (!gainLossMapActive()) return colourMapColour(sample, lap, out);
    const LapComparison& c = displayedComparison();
    const size_t k = size_t(sample - c.trace.firstSample);
    out = k < c.slopeSPerKm.size() ? paceColour(c.slopeSPerKm[k]) : EVEN_COLOUR;
    return true;
}

namespace {

// The reference lap as a wide line in its colour, each point placed by
// `vertex` (closed back to its start on a loop course).
template <typename Vertex>
void drawReferenceLine(const LapRecord& ref, Vertex vertex) {
    glLineWidth(2.0f);
    setColour(REFERENCE_COLOUR);
    VertexBatch& batch = VertexBatch::begin(false);
    batch.reserve(size_t(ref.endSample - ref.startSample + 2));
    for (int i = ref.startSample; i <= ref.endSample; ++i) vertex(batch, referencePoint(i));
    if (driveModel.course.courseType == COURSE_LOOP) vertex(batch, referencePoint(ref.startSample));
    batch.draw(GL_LINE_STRIP);
}

}  // namespace

void drawReference3d(float factor) {
    if (!referenceShown()) return;
    const LapRecord& lap = currentLapRecord();
    auto height = [&](const Vec3& p) {
        return (viewState.absoluteAltitude ? double(factor) * p.y : lap.meanY) - REFERENCE_DROP_KM;
    };
    drawReferenceLine(*referenceRecord(), [&](VertexBatch& batch, const Vec3& p) { batch.add(p.x, height(p), p.z); });
    const int animated = animatedSample();
    if (animated < 0) return;
    const Vec3 car = referenceCarAt(animatedTimeMs(animated));
    glDisable(GL_DEPTH_TEST);
    drawCar(car.x, height(car) + REFERENCE_DROP_KM, car.z);
    glEnable(GL_DEPTH_TEST);
}

void drawReference2d() {
    if (!referenceShown()) return;
    drawReferenceLine(*referenceRecord(), [](VertexBatch& batch, const Vec3& p) { batch.add(p.x, p.z, 0.0); });
    const int animated = animatedSample();
    if (animated < 0) return;
    const Vec3 car = referenceCarAt(animatedTimeMs(animated));
    drawCar(car.x, car.z, 0.0);
}

void drawReferenceCurve(int32_t mode) {
    if (!referenceShown()) return;
    const LapComparison& c = displayedComparison();
    const LapRecord& lap = currentLapRecord();
    const LapRecord& ref = *referenceRecord();
    const double top = graphScaleOf(mode, driveModel.currentLap).top;
    const double lift = ref.boxCentre.y - lap.boxCentre.y - lap.boxMin.y;  // reference heights over the lap's lowest point
    glLineWidth(1.0f);
    setColour(REFERENCE_COLOUR);
    VertexBatch& batch = VertexBatch::begin(false);
    batch.reserve(size_t(ref.endSample - ref.startSample + 1));
    const double length = c.referenceTrace.lengthKm();
    for (int i = ref.startSample; i <= ref.endSample; ++i) {
        const TrackPoint& p = pointAt(i);
        double value = mode == DISPLAY_SPEED_GRAPH ? p.speed
                       : mode == DISPLAY_ALTITUDE_GRAPH ? (p.y + lift) * 1000.0
                                                       : p.power - lap.minPower;
        value = std::max(std::min(value, top), 0.0);
        const double fraction = length > 0.0 ? c.referenceTrace.distanceKm[size_t(i - ref.startSample)] / length : 0.0;
        batch.add(timeAtFraction(c.trace, fraction), value, 0.0);
    }
    batch.draw(GL_LINE_STRIP);
}

namespace {

double deltaStep(double extentS) {
    for (double step : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0}) {
        if (extentS <= 5.0 * step) return step;
    }
    return 10.0;
}

// The delta axis: from the smallest to the largest delta, 0 always in
// range, each end rounded outward to a grid step.
struct DeltaAxis {
    double low = 0.0, high = 0.0, step = 0.1;
};
DeltaAxis deltaAxis() {
    const std::vector<double>& d = displayedComparison().deltaS;
    double low = 0.0, high = 0.0;
    for (double v : d) low = std::min(low, v), high = std::max(high, v);
    DeltaAxis axis;
    axis.step = deltaStep(std::max(high - low, 0.2) / 2.0);
    axis.low = std::floor(low / axis.step + 1e-9) * axis.step;
    axis.high = std::max(axis.step, std::ceil(high / axis.step - 1e-9) * axis.step);
    if (axis.low > -axis.step / 2) axis.low = -axis.step;
    return axis;
}

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string lapLabel(int lap) {
    return "ラップ" + std::to_string(lap + 1) + " (" + formatLapTimeMs(driveModel.laps[size_t(lap)].lapTimeMs) + ")";
}

// Spacing of the distance grid: a round number of metres, about a tenth of the lap.
double distanceStepM(double lengthM) {
    for (double step : {50.0, 100.0, 200.0, 250.0, 500.0, 1000.0, 2000.0}) {
        if (lengthM <= 12.0 * step) return step;
    }
    return 5000.0;
}

void drawDeltaFrame(double x, const DeltaAxis& axis, double a, double b) {
    const double lo = axis.low, v = axis.high, step = axis.step;
    const double xStep = distanceStepM(x);
    glLineWidth(1.0f);
    setColour(GRID_GREY);
    glBegin(GL_LINES);
    for (double m = xStep; m < x; m += xStep) {
        glVertex2d(m, lo);
        glVertex2d(m, v);
    }
    for (double y = lo + step; y < v - step / 2; y += step) {
        glVertex2d(0.0, y);
        glVertex2d(x, y);
    }
    glEnd();
    glLineWidth(2.0f);
    setColour(WHITE);
    glBegin(GL_LINE_LOOP);
    glVertex2d(0.0, lo);
    glVertex2d(x, lo);
    glVertex2d(x, v);
    glVertex2d(0.0, v);
    glEnd();
    glBegin(GL_LINES);  // the zero line: above it the lap is behind
    glVertex2d(0.0, 0.0);
    glVertex2d(x, 0.0);
    glEnd();
    glLineWidth(1.0f);
    const char* format = step < 1.0 ? "%+.1f" : "%+.0f";
    for (double y = lo; y <= v + step / 2; y += step)
        drawText3d(std::abs(y) < step / 2 ? "0" : formatted(format, y), WHITE, float(-0.6 * a), float(y), 0.0f);
    for (double m = 0.0; m < x - xStep / 4; m += xStep)
        drawText3d(formatted("%.0f", m), WHITE, float(m), float(lo - 0.3 * b), 0.0f);
    drawText3d("距離：(m)", WHITE, float(x), float(lo - 0.6 * b), 0.0f);
    drawText3d("タイム差：(秒)", WHITE, float(-0.6 * a), float(v + 0.45 * b), 0.0f);
    drawText3d("上：ロス　下：ゲイン", WHITE, float(0.75 * x), float(v + 0.45 * b), 0.0f);
}

void drawSectorSplits(double x, double lo, double v, double b) {
    const std::vector<double> splits = sectorSplitsOf(comparisonState, driveModel);
    glLineWidth(1.0f);
    setColour(SPLIT_COLOUR);
    glBegin(GL_LINES);
    for (double f : splits) {
        glVertex2d(f * x, lo);
        glVertex2d(f * x, v);
    }
    glEnd();
    double from = 0.0;
    for (size_t s = 0; s <= splits.size(); ++s) {
        const double to = s < splits.size() ? splits[s] : 1.0;
        drawText3d("S" + std::to_string(s + 1), SPLIT_COLOUR, float((from + to) / 2 * x), float(v - 0.15 * b), 0.0f);
        from = to;
    }
}

}  // namespace

OrthoBounds deltaGraphProjection(double& a, double& b) {
    const double x = displayedComparison().trace.lengthKm() * 1000.0;
    const DeltaAxis axis = deltaAxis();
    a = 0.1 * x;
    b = 0.1 * (axis.high - axis.low);
    // Room above the plot for the statistics lines and the titles.
    return {-a, x + 1.2 * a, axis.low - b, axis.high + 2.5 * b};
}

void drawDeltaGraph(double a, double b) {
    const LapComparison& c = displayedComparison();
    const double x = c.trace.lengthKm() * 1000.0;
    const DeltaAxis axis = deltaAxis();
    const double v = axis.high;
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    drawDeltaFrame(x, axis, a, b);
    drawSectorSplits(x, axis.low, v, b);
    glLineWidth(2.0f);
    VertexBatch& batch = VertexBatch::begin(true);
    batch.reserve(c.deltaS.size());
    for (size_t k = 0; k < c.deltaS.size(); ++k)
        batch.add(c.trace.distanceKm[k] * 1000.0, c.deltaS[k], 0.0, paceColour(c.slopeSPerKm[k]));
    Colour last = WHITE;
    batch.draw(GL_LINE_STRIP, &last);
    glLineWidth(1.0f);
    drawText3d(lapLabel(c.lap) + " − 基準 " + lapLabel(c.reference), YELLOW, float(0.25 * x), float(v + 0.45 * b), 0.0f);
    drawText3d(formatted("%+.3f 秒", c.deltaS.back()), YELLOW, float(x + 0.05 * a), float(c.deltaS.back()), 0.0f);
    const int animated = animatedSample();
    if (animated >= 0) {
        const size_t k = size_t(animated - c.trace.firstSample);
        glPointSize(5.0f);
        setColour(viewState.animationPointColour);
        glBegin(GL_POINTS);
        glVertex2d(c.trace.distanceKm[k] * 1000.0, c.deltaS[k]);
        glEnd();
        drawText3d(formatted("%+.3f 秒", c.deltaS[k]), viewState.animationPointColour,
                   float(c.trace.distanceKm[k] * 1000.0), float(c.deltaS[k] + 0.1 * b), 0.0f);
    }
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}
