#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "capture/app/capture_window.h"
#include "capture/app/menu_table.h"
#include "capture/app/status_panel.h"
#include "capture/app/window_sink.h"
#include "capture/timing/command_states.h"
#include "capture/timing/timing_state.h"
#include "common/sjis.h"

// Font and desktop libraries keep caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libQt6Gui\nleak:libdbus\n";
}

namespace {
QApplication& app() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "capture_window_test";
    static char* argv[] = {name, nullptr};
    static QApplication a(argc, argv);
    return a;
}
}  // namespace

TEST(WindowTitle, NamesTheCourseTypeAndFallsBackWithoutAName) {
    const std::string name = utf8ToSjis("天馬");
    EXPECT_EQ(windowTitleText("", 0), "Velmora");
    EXPECT_EQ(windowTitleText(name, 0), "Velmora (ループ：天馬)");
    EXPECT_EQ(windowTitleText(name, 1), "Velmora (オープン：天馬)");
    EXPECT_EQ(windowTitleText(name, 2), "Velmora (オープン往復：天馬)");
}

TEST(WindowSink, ManyTextsFromTheReaderBecomeOneQueuedCallWithTheLatestText) {
    app();
    std::map<int, QString> shown;
    WindowSink::Target target;
    target.setText = [&](int id, const QString& t) { shown[id] = t; };
    WindowSink sink(target);
    for (int i = 0; i < 100; ++i) sink.setPanelText(1001, std::to_string(i));
    EXPECT_EQ(sink.postedCalls(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(shown[1001], "99");
}

TEST(CaptureWindowKeys, SpaceDoesNothingWhileIdleAndSaveIsOffUntilTheCourseChanges) {
    app();
    resetTimingState();
    CaptureWindow w;
    w.show();
    EXPECT_FALSE(w.action(COMMAND_ADD_POINT)->isEnabled());
    EXPECT_FALSE(w.panel()->button(PANEL_BUTTON_ADD_POINT)->isEnabled());
    EXPECT_TRUE(w.panel()->button(PANEL_BUTTON_START)->isEnabled());
    EXPECT_FALSE(w.action(COMMAND_SAVE)->isEnabled());
    EXPECT_EQ(w.windowTitle(), "Velmora");
    EXPECT_EQ(w.size(), QSize(530, 320));
    setCaptureSink(nullptr);
}
