// The window host as the viewer uses it: one window with its menu, GL frames
// drawn by the viewer's own drawFrame in its context and read back, the mouse
// and key codes its callbacks receive, commands, accelerators and timers.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QApplication>
#include <QMainWindow>
#include <QTest>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <QOpenGLFramebufferObject>
#include <QWindow>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pl/pl.h"
#include "tests/support/sample_drive.h"
#include "tests/support/temp_dir.h"
#include "viewer/analysis/analysis_state.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/display/frame.h"
#include "viewer/display/menu_table.h"

// Allocations the X and GL libraries keep until exit.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libQt6Gui\nleak:libdbus\nleak:libGLX\nleak:libgallium\n"
           "leak:libLLVM\nleak:libX11\nleak:libxcb\n";
}

namespace {

struct Calls {
    int inits = 0;
    std::vector<int> commands;
    std::vector<std::array<int, 3>> downs;  // code, x, y
    std::vector<std::array<int, 3>> ups;    // button, x, y
    std::vector<int> keys;
    int ticks = 0;
    std::vector<std::string> drops;
} calls;

constexpr int ITEM_A = 1001, ITEM_B = 1002, MENU = 7;

class Host : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::getenv("DISPLAY")) return;
        static int argc = 1;
        static char name[] = "pl_test";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);  // kept to exit: Qt's statics outlive a torn-down application
        plRegisterMenu(MENU, {{PlMenuKind::Popup, 0, "ファイル(&F)"},
                              {PlMenuKind::Item, ITEM_A, "項目A\tCtrl-A"},
                              {PlMenuKind::Separator, 0, ""},
                              {PlMenuKind::Item, ITEM_B, "項目B\tF2"},
                              {PlMenuKind::EndPopup, 0, ""}});
        plRegisterAccelerators(MENU, {{"Ctrl+A", ITEM_A}, {"F2", ITEM_B}, {"Alt+?", ITEM_A}});
        plSethinstance(nullptr, 0);
        mainWindowId = plGetwindow();
        plSetmenu(mainWindowId, MENU);
        plSetAccelerators(mainWindowId, MENU);
        plSetinitfunc(mainWindowId, [](int win) {
            ++calls.inits;
            return initialiseGl(win);
        });
        plSetdrawfunc(mainWindowId, drawFrame);
        plSetcommandfunc(mainWindowId, [](void*, unsigned message, uintptr_t wParam, intptr_t) {
            if (message == PL_WM_COMMAND) calls.commands.push_back(static_cast<int>(wParam & 0xffffu));
            return 0;
        });
        plSetmousedownfunc(mainWindowId, [](int code, int x, int y) {
            calls.downs.push_back({code, x, y});
            return 0;
        });
        plSetmouseupfunc(mainWindowId, [](int button, int x, int y) {
            calls.ups.push_back({button, x, y});
            return 0;
        });
        plSetkeydownfunc(mainWindowId, [](int key) {
            calls.keys.push_back(key);
            return 0;
        });
        plSetdropfunc(mainWindowId, [](const char* path) { calls.drops.emplace_back(path); });
        plCreatewindow(mainWindowId, 0, 0, 400, 340, "pl");
        for (int i = 0; i < 200 && calls.inits == 0; ++i) plWaitEvents(mainWindowId, 20);
    }
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
        ASSERT_GT(calls.inits, 0) << "no GL context";
        calls.commands.clear();
        calls.downs.clear();
        calls.ups.clear();
        calls.keys.clear();
        resetDriveModel();
        resetAnalysisState();
        viewState = ViewState{};
        resetView();
    }
    // The GL window inside the frame: mouse and keys arrive there.
    static QWindow* surface() {
        for (QWindow* w : QGuiApplication::allWindows())
            if (w->surfaceType() == QSurface::OpenGLSurface && w != plQtWindow(mainWindowId)->windowHandle()) return w;
        return nullptr;
    }
    // One frame drawn by the viewer, read back as RGBA rows, bottom row first
    // as GL counts them. It is drawn into a frame buffer object of the
    // window's size, so windows of other tests on the same display cannot
    // cover it (the viewer's own swap still presents the window's buffer).
    static std::vector<uint8_t> frame(int& width, int& height) {
        plGetwindowsize(mainWindowId, &width, &height);
        if (plDrawstrat(mainWindowId) != 0) return {};
        QOpenGLFramebufferObject target(width, height, QOpenGLFramebufferObject::CombinedDepthStencil);
        target.bind();
        initialiseGl(mainWindowId);
        drawFrame();
        std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        target.bind();  // in case the swap went back to the window's buffer
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        target.release();
        plDrawend(mainWindowId);
        return pixels;
    }
    static void events() {
        for (int i = 0; i < 5; ++i) plEventLoop(mainWindowId);
    }
};

TEST_F(Host, WithoutADriveTheFrameIsTheBackgroundColour) {
    viewState.backgroundColour = {0.2f, 0.4f, 0.6f};
    int w = 0, h = 0;
    const std::vector<uint8_t> pixels = frame(w, h);
    ASSERT_FALSE(pixels.empty());
    ASSERT_GT(w, 100);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{w / 2, h / 2}, std::pair{w - 1, h - 1}}) {
        const uint8_t* p = &pixels[(static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4];
        EXPECT_NEAR(p[0], 51, 1) << x << "," << y;
        EXPECT_NEAR(p[1], 102, 1);
        EXPECT_NEAR(p[2], 153, 1);
    }
}

TEST_F(Host, TheLapLineLiesWhereTheTwoDProjectionPutsItsSamples) {
    TempDir dir;
    ASSERT_EQ(loadDriveLog(writeSampleLog(dir / "lap.gpd", tianmaLog(1))), LOAD_OK);
    viewState.displayMode = DISPLAY_2D;
    viewState.showStatistics = 0;
    viewState.showLapMarkPosition = viewState.showMaxSpeedPoint = 0;
    viewState.roadColour = {1.0f, 1.0f, 0.0f};
    viewState.backgroundColour = {0.0f, 0.0f, 0.0f};
    int w = 0, h = 0;
    const std::vector<uint8_t> pixels = frame(w, h);
    ASSERT_FALSE(pixels.empty());
    const LapRecord& lap = driveModel.laps[0];
    const OrthoBounds o = track2dProjection(lap, viewCamera.track2d);
    // Every tenth sample of the lap: the pixel its projection names, or one
    // next to it, is road coloured.
    int checked = 0, found = 0;
    for (int i = lap.startSample; i <= lap.endSample; i += 10) {
        const TrackPoint& p = driveModel.points[static_cast<size_t>(i)];
        const double nx = (p.x - o.left) / (o.right - o.left), ny = (p.z - o.bottom) / (o.top - o.bottom);
        const int px = static_cast<int>(nx * w), py = static_cast<int>(ny * h);
        if (px < 2 || py < 2 || px >= w - 2 || py >= h - 2) continue;
        ++checked;
        bool road = false;
        for (int dy = -1; dy <= 1 && !road; ++dy)
            for (int dx = -1; dx <= 1 && !road; ++dx) {
                const uint8_t* q = &pixels[(static_cast<size_t>(py + dy) * static_cast<size_t>(w) + static_cast<size_t>(px + dx)) * 4];
                road = q[0] > 200 && q[1] > 200 && q[2] < 60;
            }
        found += road ? 1 : 0;
    }
    ASSERT_GT(checked, 20);
    EXPECT_EQ(found, checked);
}

TEST_F(Host, MouseCodesWheelNotchesAndButtonUps) {
    QWindow* gl = surface();
    ASSERT_NE(gl, nullptr);
    QTest::mousePress(gl, Qt::LeftButton, {}, QPoint(50, 60));
    int x = 0, y = 0;
    ASSERT_EQ(plGetMousedownpos(mainWindowId, 1, &x, &y), 0);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 60);
    QMouseEvent move(QEvent::MouseMove, QPointF(70, 90), QPointF(70, 90), Qt::NoButton, Qt::LeftButton, {});
    QGuiApplication::sendEvent(gl, &move);
    QMouseEvent both(QEvent::MouseMove, QPointF(71, 91), QPointF(71, 91), Qt::NoButton,
                     Qt::LeftButton | Qt::RightButton, {});
    QGuiApplication::sendEvent(gl, &both);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(72, 92), QPointF(72, 92), Qt::LeftButton,
                        Qt::RightButton, {});
    QGuiApplication::sendEvent(gl, &release);
    ASSERT_EQ(calls.downs.size(), 2u);
    EXPECT_EQ(calls.downs[0], (std::array<int, 3>{PL_MOUSE_DRAG_LEFT, 70, 90}));
    EXPECT_EQ(calls.downs[1][0], PL_MOUSE_DRAG_BOTH);
    ASSERT_EQ(calls.ups.size(), 1u);
    EXPECT_EQ(calls.ups[0], (std::array<int, 3>{1, 72, 92}));

    // Wheel: whole notches with their sign; fine-wheel steps add up first.
    calls.downs.clear();
    QWheelEvent away(QPointF(10, 10), QPointF(10, 10), {}, QPoint(0, 240), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QGuiApplication::sendEvent(gl, &away);
    QWheelEvent half(QPointF(10, 10), QPointF(10, 10), {}, QPoint(0, -60), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QGuiApplication::sendEvent(gl, &half);
    EXPECT_EQ(calls.downs.size(), 1u) << "half a notch is held back";
    QGuiApplication::sendEvent(gl, &half);
    QGuiApplication::sendEvent(gl, &half);
    ASSERT_EQ(calls.downs.size(), 2u);
    EXPECT_EQ(calls.downs[0], (std::array<int, 3>{PL_MOUSE_WHEEL, 2, 0}));
    EXPECT_EQ(calls.downs[1][1], -1);
}

TEST_F(Host, CommandsAcceleratorsAndTheirGreyStates) {
    QWindow* gl = surface();
    ASSERT_NE(gl, nullptr);
    plSendCommand(mainWindowId, ITEM_B);
    QTest::keyClick(gl, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(gl, Qt::Key_F2);
    QTest::keyClick(gl, Qt::Key_Question, Qt::AltModifier | Qt::ShiftModifier);  // "?" is typed with Shift
    EXPECT_EQ(calls.commands, (std::vector<int>{ITEM_B, ITEM_A, ITEM_B, ITEM_A}));
    // A grey item's accelerator does nothing, and reaches no key callback either.
    plEnableMenuItem(mainWindowId, ITEM_A, false);
    EXPECT_FALSE(plMenuItemEnabled(mainWindowId, ITEM_A));
    QTest::keyClick(gl, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(calls.commands.size(), 4u);
    plEnableMenuItem(mainWindowId, ITEM_A, true);
    plCheckMenuItem(mainWindowId, ITEM_B, true);
    EXPECT_TRUE(plMenuItemChecked(mainWindowId, ITEM_B));
    // Keys that are no accelerator go to the key callback as virtual keys.
    QTest::keyClick(gl, Qt::Key_Escape);
    QTest::keyClick(gl, Qt::Key_Space);
    QTest::keyClick(gl, Qt::Key_F2, Qt::ShiftModifier);  // Shift still counts on other keys
    EXPECT_EQ(calls.keys, (std::vector<int>{27, 32, 0x71}));
    EXPECT_EQ(calls.commands.size(), 4u);
    plSetTitle(mainWindowId, "天馬 (2次元表示）");
    EXPECT_EQ(plQtWindow(mainWindowId)->windowTitle(), QString::fromUtf8("天馬 (2次元表示）"));
}

TEST_F(Host, TimersTickInTheEventLoopUntilKilledAndAResizeRunsInitAgain) {
    calls.ticks = 0;
    ASSERT_EQ(plSetTimer(mainWindowId, 555, 10, [] { ++calls.ticks; }), 0);
    EXPECT_TRUE(plTimerActive(mainWindowId, 555));
    for (int i = 0; i < 300 && calls.ticks < 3; ++i) plWaitEvents(mainWindowId, 20);
    EXPECT_GE(calls.ticks, 3);
    plKillTimer(mainWindowId, 555);
    EXPECT_FALSE(plTimerActive(mainWindowId, 555));
    const int ticks = calls.ticks;
    for (int i = 0; i < 5; ++i) plWaitEvents(mainWindowId, 20);
    EXPECT_EQ(calls.ticks, ticks);

    const int inits = calls.inits;
    plMoveWindow(mainWindowId, 0, 0, 480, 400);
    for (int i = 0; i < 100 && calls.inits == inits; ++i) plWaitEvents(mainWindowId, 20);
    EXPECT_GT(calls.inits, inits) << "init runs again after a resize";
    int w = 0, h = 0;
    plGetwindowsize(mainWindowId, &w, &h);
    EXPECT_GT(w, 400);
}

TEST_F(Host, AFileDroppedOnTheViewReachesTheDropCallback) {
    QWindow* gl = surface();
    ASSERT_NE(gl, nullptr);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/天馬 1.gpd"), QUrl::fromLocalFile("/tmp/other.gpd")});
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &files, Qt::LeftButton, {});
    QGuiApplication::sendEvent(gl, &drop);
    QMimeData web;
    web.setUrls({QUrl("https://example.com/a.gpd")});
    QDropEvent remote(QPointF(20, 20), Qt::CopyAction, &web, Qt::LeftButton, {});
    QGuiApplication::sendEvent(gl, &remote);
    ASSERT_EQ(calls.drops.size(), 1u) << "the first local file only";
    EXPECT_EQ(calls.drops[0], "/tmp/天馬 1.gpd");
}

TEST_F(Host, ClosingTheWindowAsksTheProgramToEndItsLoop) {
    EXPECT_EQ(plGetwinexit(mainWindowId), 0);
    plQtWindow(mainWindowId)->close();
    events();
    EXPECT_EQ(plGetwinexit(mainWindowId), 1);
    EXPECT_TRUE(plQtWindow(mainWindowId)->isVisible()) << "the program ends in its own order";
}

}  // namespace
