// The statistics overlay: a column of lines in the window's top-left corner,
// drawn in window pixels over every view.
#include <GL/gl.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "common/duration.h"
#include "viewer/display/comparison_views.h"
#include "viewer/display/gl_text.h"
#include "viewer/display/statistics_lines.h"
#include "viewer/display/view_common.h"
#include "viewer/display/views.h"

namespace {

constexpr int LEFT_PX = 10;

// A figure that is not a number (a lap without the steps or apexes it is
// averaged over) shows as 0.
double shown(double value) { return std::isfinite(value) ? value : 0.0; }

std::string format(const char* fmt, ...) {
    char text[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    return text;
}

std::string durationText(uint32_t ms) {
    const DurationParts d = splitDuration(ms);
    return format("%02d:%02d:%02d:%02d", d.hours, d.minutes, d.seconds, d.thirtieths);
}

class Column {
public:
    explicit Column(int height) : height_(height) {}
    void add(std::string text, const Colour& colour) {
        // The first baseline sits 12 pixels below the top, the second 12
        // lower, every later one 13 lower.
        const int n = int(lines_.size());
        const int y = n == 0 ? height_ - 12 : height_ - 24 - 13 * (n - 1);
        lines_.push_back({std::move(text), colour, LEFT_PX, y});
    }
    Colour lastColour() const { return lines_.empty() ? WHITE : lines_.back().colour; }
    std::vector<StatisticsLine> take() { return std::move(lines_); }

private:
    int height_;
    std::vector<StatisticsLine> lines_;
};

void addSpeedLines(Column& column, const LapRecord& lap, int animated) {
    if (animated >= 0) column.add(format("速　　度 : %.1f Km/h", shown(pointAt(animated).speed)), WHITE);
    column.add(format("平均速度 : %.1f Km/h", shown(lap.avgSpeed)), WHITE);
    column.add(format("最大速度 : %.1f Km/h", shown(lap.maxSpeed)), WHITE);
    column.add(format("最低速度 : %.1f Km/h", shown(lap.minSpeed)), WHITE);
}

void addAltitudeLines(Column& column, const AltitudeRange& range, int animated, double unscaledMinY) {
    // The local frame's vertical axis is height above the ellipsoid at the
    // drive's origin, so the lap's raw range is already its height in km.
    if (animated >= 0)
        column.add(format("高　　度 : %.3f km", shown(pointAt(animated).y - unscaledMinY)), column.lastColour());
    column.add(format("最大高度 : %.3f km", shown(range.highest)), WHITE);
    column.add(format("最低高度 : %.3f km", shown(range.lowest)), WHITE);
    column.add(format("高度差 : %.1f m", shown((range.highest - range.lowest) * 1000.0)), WHITE);
}

}  // namespace

std::vector<StatisticsLine> statisticsLines(int height, double unscaledMinY, double /*unscaledMaxY*/) {
    if (!viewState.showStatistics || !hasCurrentLap()) return {};
    const LapRecord& lap = currentLapRecord();
    const int animated = animatedSample();
    Column column(height);
    column.add(format("ラップ No. : %d/%d", driveModel.currentLap + 1, driveModel.lapCount), GREEN);
    const uint32_t lapTime = uint32_t(lap.lapTimeMs);
    if (animated >= 0) {
        const uint32_t elapsed = tickDifference(driveModel.samples[size_t(animated)].tick,
                                                driveModel.samples[size_t(lap.startSample)].tick);
        column.add("ラップタイム : " + durationText(elapsed) + " / " + durationText(lapTime), WHITE);
    } else {
        column.add("ラップタイム : " + durationText(lapTime), WHITE);
    }
    column.add(format("走行距離 : %.3f Km", shown(lap.distanceKm)), WHITE);
    if (viewState.showSpeedInfo) addSpeedLines(column, lap, animated);
    if (viewState.showPowerInfo) {
        column.add(format("平均出力馬力 : %.1f PS", shown(lap.avgPower)), RED);
        column.add(format("最大出力馬力 : %.1f PS", shown(lap.maxPower)), RED);
    }
    if (viewState.showCornerSpeedInfo) {
        column.add(format("コーナー平均速度 : %.1f Km/h", shown(lap.cornerAvgSpeed)), YELLOW);
        column.add(format("コーナー最大速度 : %.1f Km/h", shown(lap.cornerMaxSpeed)), YELLOW);
        column.add(format("コーナー最小速度 : %.1f Km/h", shown(lap.cornerMinSpeed)), YELLOW);
    }
    if (viewState.showAltitudeInfo)
        addAltitudeLines(column, driveModel.lapAltitudeRange[size_t(driveModel.currentLap)], animated, unscaledMinY);
    if (viewState.displayMode == DISPLAY_3D && !deltaGraphActive()) {  // the delta-T graph has no heights
        const int scale = viewState.altitudeScale == 1 ? 5 : viewState.altitudeScale == 2 ? 10 : 1;
        column.add(format("高度表示スケール:%d倍", scale), WHITE);
    }
    return column.take();
}

void drawStatistics(double unscaledMinY, double unscaledMaxY) {
    if (!viewState.showStatistics) return;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);  // the whole client area: the frame sets it nowhere else
    const std::vector<StatisticsLine> lines = statisticsLines(viewport[3], unscaledMinY, unscaledMaxY);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, double(viewport[2]), 0.0, double(viewport[3]), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (const StatisticsLine& line : lines) drawText2d(line.text, line.colour, line.x, line.y);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
}
