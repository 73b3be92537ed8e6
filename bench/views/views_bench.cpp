// One viewer frame (projection, view, overlay, glFinish) with every option
// and label on, for a 2 000- and a 24 000-sample lap, under Mesa's software
// GL (run under Xvfb). "no text" draws the same frame with text off: the
// difference is the share of text.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cmath>

#include "tests/analysis/drive_log_builder.h"
#include "tools/view-shot/offscreen_gl.h"
#include "tools/view-shot/view_frame.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"
#include "viewer/analysis/view_state.h"
#include "viewer/display/display_state.h"
#include "viewer/display/gl_text.h"

namespace {

// A wavy loop of `n` samples, 200 ms apart, with hills: corners all round.
void installLap(int n) {
    DriveLogImage image;
    for (int i = 0; i <= n + 1; ++i) {
        const double a = 2.0 * M_PI * i / n;
        const double r = 800.0 + 150.0 * std::sin(12.0 * a);
        image.samples.push_back(sampleAt(r * std::cos(a), r * std::sin(a), 30.0 * std::sin(3.0 * a),
                                         1000 + uint32_t(i) * 200));
    }
    image.samples[1].lapMark = 1;
    image.samples.back().lapMark = 1;
    image.passLog.passCount = 2;
    installDrive(image);
    analyseDrive();
}

void frame(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "views_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
    installLap(int(state.range(0)));
    setViewStateDefaults();
    ViewState& v = viewState;
    v.displayMode = int32_t(state.range(1));
    v.showGpsPoints = v.showCornerCount = v.showCornerSpeed = v.showCornerAltitude = v.showOrigin = 1;
    v.showSpeedInfo = v.showCornerSpeedInfo = v.showPowerInfo = v.showAltitudeInfo = 1;
    v.colourMapMode = COLOUR_MAP_ACCELERATION;
    viewCamera.track3d.tilt = 40.0f;
    setGlTextEnabled(state.range(2) != 0);
    OffscreenGl gl(800, 800);
    if (!gl.ok()) {
        state.SkipWithError("no GL context (run under Xvfb)");
        return;
    }
    for (auto _ : state) drawViewFrame(800, 800);
    setGlTextEnabled(true);
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

// samples, display mode, text on
BENCHMARK(frame)->ArgsProduct({{2000, 24000}, {0, 1, 2}, {1, 0}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
