// The numbers of a time graph, without GL: what each graph plots, its grid
// steps and the texts and positions of its frame labels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LapRecord;

// One graph's vertical scale and title.
struct GraphScale {
    double top = 0.0;           // V: the plot spans 0..V (km/h, metres or PS)
    int step = 0;               // spacing of the horizontal grid
    const char* title = "";     // title above the vertical axis
};

// Horizontal grid step of the altitude graph for a range of `rangeM` metres.
int altitudeGridStep(double rangeM);

// The scale of display mode 2, 3 or 4 for lap `lap` (index into the lap table).
GraphScale graphScaleOf(int32_t displayMode, int lap);

// The value of sample `sample` that mode 2, 3 or 4 plots for lap `lap`,
// clamped into 0..V.
double graphValueOf(int32_t displayMode, int lap, int sample);

struct GraphLabel {
    double x = 0.0;  // ms
    double y = 0.0;  // graph unit
    std::string text;
};

// Every label of a graph frame: "0", the ten time labels in seconds, the
// time axis title, then the horizontal grid labels. T in ms, a = T/10, b = V/10.
std::vector<GraphLabel> graphFrameLabels(uint32_t lapTimeMs, double a, double b, double v, int step);

// Heights of the horizontal grid lines: step, 2 step, ... up to V.
std::vector<double> horizontalGridValues(double v, int step);

inline constexpr const char* TIME_AXIS_TITLE = "時間：(秒)";
