// view-shot: one frame of the viewer's views into a PNG, without the window.
//
//   view-shot (--log LOG.gpd | --track TRACK.csv [--every N] [--open]) --out OUT.png
//             [--size WxH] [--mode 0..4] [--colour-map 0..2] [--all] [--scale 0..2]
//             [--absolute] [--tilt DEG] [--turn DEG] [--dolly KM] [--animate FRAME] [--in-car] [--lap N]
//             [--reference N] [--delta] [--gain-loss]
//
// --all switches every display option and every label on. Runs under X
// (Xvfb is enough: Mesa's software GL).
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/view-shot/offscreen_gl.h"
#include "tools/view-shot/track_drive.h"
#include "tools/view-shot/view_frame.h"
#include "viewer/analysis/comparison_state.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"
#include "viewer/display/display_state.h"

namespace {

void allOptionsOn() {
    ViewState& v = viewState;
    v.showTrackAltitude = v.showStatistics = v.showGrid = v.showGpsPoints = 1;
    v.showCornerCount = v.showCornerSpeed = v.showCornerAltitude = 1;
    v.showOrigin = 1;
    v.showSpeedInfo = v.showCornerSpeedInfo = v.showPowerInfo = v.showAltitudeInfo = 1;
    v.showLapMarkPosition = v.showMaxSpeedPoint = 1;
}

int usage() {
    std::fprintf(stderr,
                 "usage: view-shot (--log LOG.gpd | --track TRACK.csv [--every N] [--open]) --out OUT.png\n"
                 "       [--size WxH] [--mode 0..4] [--colour-map 0..2] [--all] [--scale 0..2] [--absolute]\n"
                 "       [--tilt DEG] [--turn DEG] [--dolly KM] [--animate FRAME] [--in-car] [--lap N]\n"
                 "       [--reference N] [--delta] [--gain-loss]\n"
                 "--reference draws lap N (from 1; 0 = the best lap) with lap --lap (from 0).\n");
    return 2;
}

}  // namespace

// The application stays until the process ends: closing its X connection
// would unload the GL driver first, and the driver's own allocations would
// then show up as leaks of an unknown module.
QGuiApplication* application = nullptr;

int main(int argc, char** argv) {
    application = new QGuiApplication(argc, argv);
    std::string log, track, out;
    int every = 10, width = 800, height = 800, frame = -1, lap = 0;
    bool open = false;
    setViewStateDefaults();
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        auto next = [&] { return std::string(argv[++i]); };
        if (a == "--log" && more) log = next();
        else if (a == "--track" && more) track = next();
        else if (a == "--every" && more) every = std::max(1, std::atoi(next().c_str()));
        else if (a == "--open") open = true;
        else if (a == "--out" && more) out = next();
        else if (a == "--size" && more) {
            if (std::sscanf(next().c_str(), "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) return usage();
        } else if (a == "--mode" && more) viewState.displayMode = std::atoi(next().c_str());
        else if (a == "--colour-map" && more) viewState.colourMapMode = std::atoi(next().c_str());
        else if (a == "--all") allOptionsOn();
        else if (a == "--scale" && more) viewState.altitudeScale = std::atoi(next().c_str());
        else if (a == "--absolute") viewState.absoluteAltitude = 1;
        else if (a == "--tilt" && more) viewCamera.track3d.tilt = float(std::atof(next().c_str()));
        else if (a == "--dolly" && more) viewCamera.track3d.dolly = float(std::atof(next().c_str()));
        else if (a == "--turn" && more) viewCamera.track3d.turn = float(std::atof(next().c_str()));
        else if (a == "--animate" && more) frame = std::atoi(next().c_str());
        else if (a == "--in-car") viewState.inCarView = 1;
        else if (a == "--lap" && more) lap = std::atoi(next().c_str());
        else if (a == "--reference" && more) {
            comparisonState.showReference = 1;
            comparisonState.referenceLap = std::max(0, std::atoi(next().c_str()));
        } else if (a == "--delta") comparisonState.deltaGraph = 1;
        else if (a == "--gain-loss") comparisonState.gainLossMap = 1;
        else return usage();
    }
    if (out.empty() || log.empty() == track.empty()) return usage();
    if (!track.empty()) {
        const std::string problem = loadTrackDrive(track, every, open ? COURSE_OPEN : COURSE_LOOP);
        if (!problem.empty()) {
            std::fprintf(stderr, "view-shot: %s\n", problem.c_str());
            return 1;
        }
    } else if (loadDriveLog(log) != LOAD_OK) {
        std::fprintf(stderr, "view-shot: %s: %s\n", log.c_str(), loadProblemText(lastLoadProblem()).c_str());
        return 1;
    }
    if (lap < 0 || lap >= driveModel.lapCount || !isLapCut(lap)) {
        std::fprintf(stderr, "view-shot: no lap %d\n", lap);
        return 1;
    }
    driveModel.currentLap = lap;
    if (frame >= 0) {
        const LapRecord& r = driveModel.laps[size_t(lap)];
        animation.animating = true;
        animation.animationFrameCount = r.endSample - r.startSample + 1;
        animation.animationFrame = frame % animation.animationFrameCount;
    }
    OffscreenGl gl(width, height);
    if (!gl.ok()) {
        std::fprintf(stderr, "view-shot: no GL context (is DISPLAY set?)\n");
        return 1;
    }
    drawViewFrame(width, height);
    if (!gl.image().save(QString::fromStdString(out))) {
        std::fprintf(stderr, "view-shot: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
