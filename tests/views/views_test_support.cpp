#include "tests/views/views_test_support.h"

#include <QGuiApplication>

#include <cmath>
#include <cstdlib>

#include "tools/view-shot/view_frame.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"
#include "viewer/display/display_state.h"

DriveLogImage pathDrive(const std::vector<Waypoint>& path, double stepM, uint32_t periodMs,
                        const std::vector<int>& marks, int32_t courseType) {
    DriveLogImage image;
    uint32_t tick = 1000;
    image.samples.push_back(sampleAt(path[0].northM, path[0].eastM, path[0].altitudeM, tick));  // sample 0: never used
    for (size_t leg = 0; leg + 1 < path.size(); ++leg) {
        const Waypoint& a = path[leg];
        const Waypoint& b = path[leg + 1];
        const double length = std::hypot(b.northM - a.northM, b.eastM - a.eastM);
        const int steps = std::max(1, int(std::lround(length / stepM)));
        for (int k = leg == 0 ? 0 : 1; k <= steps; ++k) {
            const double t = double(k) / steps;
            tick += periodMs;
            image.samples.push_back(sampleAt(a.northM + t * (b.northM - a.northM), a.eastM + t * (b.eastM - a.eastM),
                                             a.altitudeM + t * (b.altitudeM - a.altitudeM), tick));
        }
    }
    for (int m : marks) image.samples.at(m < 0 ? image.samples.size() - size_t(-m) : size_t(m)).lapMark = 1;
    image.passLog.passCount = int32_t(marks.size());
    image.course.courseType = courseType;
    return image;
}

void analyse(const DriveLogImage& image) {
    installDrive(image);
    analyseDrive();
    ASSERT_TRUE(hasCurrentLap()) << "the test drive holds no lap";
}

void resetToBareView() {
    setViewStateDefaults();
    resetView();
    resetAnimationState();
    ViewState& v = viewState;
    v.showStatistics = v.showGrid = v.showTrackAltitude = 0;
    v.showLapMarkPosition = v.showMaxSpeedPoint = 0;
}

void ensureGuiApplication() {
    static QGuiApplication* application = nullptr;  // kept to the end: see OffscreenGl's leak notes
    if (application) return;
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "views_test";
    static char* argv[] = {name, nullptr};
    application = new QGuiApplication(argc, argv);
}

GlCanvas::GlCanvas() {
    ensureGuiApplication();
    gl_ = std::make_unique<OffscreenGl>(CANVAS, CANVAS);
}

void GlCanvas::draw() { drawViewFrame(CANVAS, CANVAS); }

Rgb GlCanvas::at(double x, double y) const { return gl_->pixel(int(std::lround(x)), int(std::lround(y))); }

bool GlCanvas::near(double x, double y, const Colour& c, int radius) const {
    const int cx = int(std::lround(x)), cy = int(std::lround(y));
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (sameColour(gl_->pixel(cx + dx, cy + dy), c)) return true;
    return false;
}

void GlCanvas::save(const std::string& name) const {
    gl_->image().save(QString::fromStdString(::testing::TempDir() + name + ".png"));
}

bool sameColour(const Rgb& p, const Colour& c, int tolerance) {
    return std::abs(p.r - int(std::lround(c.r * 255))) <= tolerance &&
           std::abs(p.g - int(std::lround(c.g * 255))) <= tolerance &&
           std::abs(p.b - int(std::lround(c.b * 255))) <= tolerance;
}

std::string describe(const Rgb& p) {
    return "(" + std::to_string(p.r) + ", " + std::to_string(p.g) + ", " + std::to_string(p.b) + ")";
}
