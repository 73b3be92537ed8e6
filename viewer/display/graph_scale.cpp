#include "viewer/display/graph_scale.h"

#include <cstdio>

#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"

namespace {

std::string format1(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace

int altitudeGridStep(double rangeM) { return rangeM < 100.0 ? 5 : rangeM < 400.0 ? 10 : 20; }

GraphScale graphScaleOf(int32_t displayMode, int lap) {
    const LapRecord& r = driveModel.laps[size_t(lap)];
    switch (displayMode) {
        case DISPLAY_SPEED_GRAPH: return {r.maxSpeed, 20, "速度：(Km/h)"};
        case DISPLAY_ALTITUDE_GRAPH: {
            const AltitudeRange& range = driveModel.lapAltitudeRange[size_t(lap)];
            const double v = (range.highest - range.lowest) * 1000.0;
            return {v, altitudeGridStep(v), "高度：(m)"};
        }
        case DISPLAY_POWER_GRAPH: return {r.maxPower - r.minPower, 10, "馬力(PS)"};
        default: return {};
    }
}

double graphValueOf(int32_t displayMode, int lap, int sample) {
    const LapRecord& r = driveModel.laps[size_t(lap)];
    const TrackPoint& p = driveModel.points[size_t(sample)];
    double value = 0.0;
    switch (displayMode) {
        case DISPLAY_SPEED_GRAPH: value = p.speed; break;
        case DISPLAY_ALTITUDE_GRAPH: value = (p.y - r.boxMin.y) * 1000.0; break;  // metres above the lap's lowest point
        case DISPLAY_POWER_GRAPH: value = p.power - r.minPower; break;
        default: break;
    }
    const double top = graphScaleOf(displayMode, lap).top;
    if (value > top) value = top;
    if (value < 0.0) value = 0.0;  // last: a value below 0 or a V below 0 plots at 0
    return value;
}

std::vector<double> horizontalGridValues(double v, int step) {
    std::vector<double> values;
    if (step <= 0) return values;
    for (long long value = step; double(value) <= v; value += step) values.push_back(double(value));
    return values;
}

std::vector<GraphLabel> graphFrameLabels(uint32_t lapTimeMs, double a, double b, double v, int step) {
    const double t = double(lapTimeMs);
    std::vector<GraphLabel> labels;
    labels.push_back({-0.3 * a, -0.3 * b, "0"});
    for (int k = 1; k <= 10; ++k) labels.push_back({0.1 * k * t, -0.3 * b, format1(t * k * 0.0001)});
    labels.push_back({t, -0.5 * b, TIME_AXIS_TITLE});
    for (double value : horizontalGridValues(v, step)) labels.push_back({-0.6 * a, value, format1(value)});
    return labels;
}
