// The capture window applies the command table to its menu, buttons and keys,
// runs the file commands with their prompts, and shows what the cores return.
#include <QAction>
#include <QDialog>
#include <QTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "capture/app/menu_table.h"
#include "capture/app/status_panel.h"
#include "capture/app/window_sink.h"
#include "capture/timing/command_states.h"
#include "capture/timing/pass_time_option.h"
#include "tests/app/capture_window_fixture.h"

namespace {

constexpr int YES = QMessageBox::Yes, NO = QMessageBox::No, CANCEL = QMessageBox::Cancel;

TEST(WindowTitle, NamesTheCourseTypeAndFallsBackWithoutAName) {
    const std::string name = utf8ToSjis("天馬");
    EXPECT_EQ(windowTitleText("", 0), "Velmora");
    EXPECT_EQ(windowTitleText(name, 0), "Velmora (ループ：天馬)");
    EXPECT_EQ(windowTitleText(name, 1), "Velmora (オープン：天馬)");
    EXPECT_EQ(windowTitleText(name, 2), "Velmora (オープン往復：天馬)");
}

TEST(WindowSink, ManyTextsFromTheReaderBecomeOneQueuedCallWithTheLatestText) {
    testApp();
    std::map<int, QString> shown;
    WindowSink::Target target;
    target.setText = [&](int id, const QString& t) { shown[id] = t; };
    WindowSink sink(target);
    for (int i = 0; i < 100; ++i) sink.setPanelText(1001, std::to_string(i));
    EXPECT_EQ(sink.postedCalls(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(shown[1001], "99");
}

using CaptureWindowStates = CaptureWindowTest;

// Every course type and point count, idle and measuring: each menu item and
// button shows the table's state, and the keys follow the items.
TEST_F(CaptureWindowStates, MenuButtonsAndKeysFollowTheCommandTable) {
    struct Case {
        int32_t type;
        int points;
        bool measuring;
    };
    const Case cases[] = {
        {COURSE_LOOP, 0, false}, {COURSE_LOOP, 1, false}, {COURSE_LOOP, 0, true}, {COURSE_LOOP, 1, true},
        {COURSE_OPEN, 1, true},  {COURSE_OPEN, 2, true},  {COURSE_OPEN, 2, false},
        {COURSE_OPEN_RETURN, 2, true}, {COURSE_OPEN_RETURN, 1, false},
    };
    const int buttons[] = {PANEL_BUTTON_ADD_POINT, PANEL_BUTTON_START, PANEL_BUTTON_STOP};
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + ", " + std::to_string(c.points) + " points, " +
                     (c.measuring ? "measuring" : "idle"));
        replaceCourse(makeCourse(c.type, c.points));
        window->updateTitle();  // as after a load through the menu
        courseModified = 0;
        if (c.measuring) startThroughMenu();
        window->refreshCommandStates();
        const CommandStates table = commandStates(currentCommandInputs());
        for (const auto& [id, state] : table.items) {
            if (QAction* a = window->action(id)) {
                EXPECT_EQ(a->isEnabled(), state.enabled) << "item " << id;
                EXPECT_EQ(a->isChecked(), state.checked) << "item " << id;
            }
        }
        for (int id : buttons) EXPECT_EQ(window->panel()->button(id)->isEnabled(), table.of(id).enabled) << id;
        EXPECT_EQ(window->action(COMMAND_START)->isEnabled(), !c.measuring);
        EXPECT_EQ(window->action(COMMAND_STOP)->isEnabled(), c.measuring);

        // Space reaches Add point only while it is enabled.
        const bool canAdd = c.measuring && c.points < (c.type == COURSE_LOOP ? 1 : 2);
        QTest::keyClick(window.get(), Qt::Key_Space);
        EXPECT_EQ(registerPointRequest.load(), canAdd ? 1 : 0) << "Space";
        EXPECT_EQ(courseModified.load(), canAdd ? 1 : 0) << "Space marks the course changed";
        registerPointRequest = 0;

        // Ctrl+1 with two points beeps and keeps the type; idle it does nothing.
        const int beeps = window->beepCount();
        QTest::keyClick(window.get(), Qt::Key_1, Qt::ControlModifier);
        const bool beeped = c.measuring && c.points == 2;
        EXPECT_EQ(window->beepCount(), beeps + (beeped ? 1 : 0)) << "Ctrl+1";
        const int32_t expectedType = c.measuring && !beeped ? COURSE_LOOP : c.type;
        EXPECT_EQ(currentCourse().courseType, expectedType) << "Ctrl+1";
        EXPECT_EQ(window->action(COMMAND_LOOP_COURSE)->isChecked(), expectedType == COURSE_LOOP);
        QTest::keyClick(window.get(), Qt::Key_3, Qt::ControlModifier);
        EXPECT_EQ(currentCourse().courseType, c.measuring ? COURSE_OPEN_RETURN : c.type) << "Ctrl+3";
        if (c.measuring) {
            EXPECT_EQ(window->windowTitle(), "Velmora (オープン往復：天馬)");
            window->panel()->button(PANEL_BUTTON_STOP)->click();
            EXPECT_EQ(readerRunning.load(), 0);
        } else {
            EXPECT_EQ(window->windowTitle(), QString::fromStdString(windowTitleText(
                utf8ToSjis("天馬"), c.type)));
        }
    }

    // The Help item's menu text has no key hint, so the menu shows none; its
    // keys still open the About box.
    EXPECT_TRUE(window->action(COMMAND_ABOUT)->shortcuts().isEmpty());
    bool aboutShown = false;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            aboutShown = true;
            box->reject();
        }
    });
    QTest::keyClick(window.get(), Qt::Key_Slash, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(aboutShown) << "Alt+/";
}

TEST_F(CaptureWindowStates, OptionTogglesCheckTheirItemsAndLapSyncGovernsItsSubItem) {
    struct Toggle {
        int id;
        int32_t* option;
    };
    const Toggle toggles[] = {
        {COMMAND_SOUND_GUIDANCE, &captureSettings.soundGuidance},
        {COMMAND_AUTO_START, &captureSettings.autoStart},
        {COMMAND_FLASH_ON_PASS, &captureSettings.flashOnPass},
        {COMMAND_MOTEC_LAP_SYNC, &captureSettings.motecLapSync},
        {COMMAND_MOTEC_ON_POINT_REGISTER, &captureSettings.motecOnPointRegister},
        {COMMAND_INTERPOLATE_PASS_TIME, &interpolatePassTime},
    };
    for (const Toggle& t : toggles) {
        const int32_t before = *t.option;
        window->action(t.id)->trigger();
        EXPECT_EQ(*t.option, before ? 0 : 1) << t.id;
        EXPECT_EQ(window->action(t.id)->isChecked(), *t.option != 0) << t.id;
    }
    EXPECT_TRUE(passOptions().interpolatePassTime) << "the lap check sees the toggle";
    EXPECT_TRUE(window->action(COMMAND_MOTEC_ON_POINT_REGISTER)->isEnabled()) << "lap sync is on";
    window->action(COMMAND_MOTEC_LAP_SYNC)->trigger();
    EXPECT_FALSE(window->action(COMMAND_MOTEC_ON_POINT_REGISTER)->isEnabled());
}

TEST_F(CaptureWindowStates, FailedOrAbandonedStartStaysIdle) {
    replaceCourse(makeCourse(COURSE_LOOP, 1));
    courseNameAnswer = 1;  // the course-name dialog is cancelled
    window->panel()->button(PANEL_BUTTON_START)->click();
    EXPECT_EQ(readerRunning.load(), 0);
    EXPECT_TRUE(errors.empty());

    courseNameAnswer = 0;
    setPortName(gpsPort, (dir / "no-such-port").c_str());
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(readerRunning.load(), 0);
    ASSERT_EQ(errors.size(), 1u);
    // The program's own message, then the reason on a line of its own.
    EXPECT_EQ(errors[0].text.section('\n', 0, 0), "GPS接続ポートが使用できませんでした。");
    EXPECT_TRUE(errors[0].text.section('\n', 1).contains("見つかりません")) << errors[0].text.toStdString();
    EXPECT_EQ(errors[0].caption, "警告");
    EXPECT_TRUE(window->panel()->button(PANEL_BUTTON_START)->isEnabled());
    EXPECT_FALSE(window->panel()->button(PANEL_BUTTON_STOP)->isEnabled());
}

using CaptureWindowStop = CaptureWindowTest;

// Stop keeps a course that is complete for its type and clears any other,
// name included, with the panel and title following.
TEST_F(CaptureWindowStop, IncompleteCourseIsClearedAndTheTitleFallsBack) {
    struct Case {
        int32_t type;
        int points;
        bool cleared;
    };
    const Case cases[] = {
        {COURSE_LOOP, 1, false}, {COURSE_LOOP, 0, true}, {COURSE_OPEN, 1, true},
        {COURSE_OPEN, 2, false}, {COURSE_OPEN_RETURN, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + ", " + std::to_string(c.points) + " points");
        replaceCourse(makeCourse(c.type, c.points));
        window->updateTitle();
        startThroughMenu();
        courseModified = 1;  // as after a point was added
        window->setCourseFilePath(dir / "driver.gps");
        window->handleCommand(COMMAND_STOP);
        flushPanel();
        const Course after = currentCourse();
        EXPECT_EQ(after.pointCount, c.cleared ? 0 : c.points);
        EXPECT_EQ(after.name[0] == '\0', c.cleared);
        EXPECT_EQ(window->windowTitle() == "Velmora", c.cleared) << window->windowTitle().toStdString();
        if (c.cleared) {
            EXPECT_EQ(window->panel()->fieldText(1005), "0.00000000度");
            EXPECT_EQ(window->panel()->fieldText(PANEL_POINT1_DISTANCE), "-1.00000000(m)");
            EXPECT_EQ(window->panel()->fieldText(PANEL_POINT2_DISTANCE), "-1.00000000(m)");
        } else {
            EXPECT_EQ(window->panel()->fieldText(1005), "35.00000000度");
        }
        EXPECT_TRUE(window->action(COMMAND_START)->isEnabled());
        // Nothing of a cleared course is left to save, and a later Save must
        // not replace the driver's file with an empty course.
        EXPECT_EQ(window->action(COMMAND_SAVE)->isEnabled(), !c.cleared);
        EXPECT_EQ(window->courseFilePath().empty(), c.cleared);
    }
}

using CaptureWindowPanel = CaptureWindowTest;

TEST_F(CaptureWindowPanel, LapDisplayShowsTheLastIntervalInThirtieths) {
    struct Case {
        int32_t type;
        std::vector<uint32_t> ticks;
        const char* count;
        const char* time;
    };
    const Case cases[] = {
        {COURSE_LOOP, {1000, 63500}, "1", "00 : 01 : 02 : 15"},
        {COURSE_LOOP, {5}, "0", "-- : -- : -- : --"},
        {COURSE_OPEN, {1000, 2000, 3000}, "0", "-- : -- : -- : --"},
        {COURSE_OPEN, {1000, 3001}, "1", "00 : 00 : 02 : 00"},
        {COURSE_OPEN_RETURN, {1000, 2000, 3000}, "0", "-- : -- : -- : --"},
        {COURSE_OPEN_RETURN, {0, 1000, 2000, 3723999}, "2", "01 : 02 : 01 : 29"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.count) + " / " + c.time);
        replaceCourse(makeCourse(c.type, c.type == COURSE_LOOP ? 1 : 2));
        passLog = PassLog{};
        for (uint32_t t : c.ticks) passLog.passTicks[passLog.passCount++] = t;
        showLapDisplay();
        flushPanel();
        EXPECT_EQ(window->panel()->fieldText(PANEL_LAP_COUNT), c.count);
        EXPECT_EQ(window->panel()->fieldText(PANEL_LAP_TIME), c.time);
    }
}

TEST_F(CaptureWindowPanel, FieldsSitAtTheirDialogUnitPlacesAndTheFrameIsFixed) {
    StatusPanel* panel = window->panel();
    EXPECT_EQ(window->size(), QSize(530, 320));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(panel->field(PANEL_LAP_TIME)->geometry(), panel->toPixels(123, 123, 64, 8));
    EXPECT_EQ(panel->button(PANEL_BUTTON_ADD_POINT)->geometry(), panel->toPixels(141, 142, 197, 14));
    EXPECT_EQ(panel->fieldText(PANEL_TIME), "00:00:00");
    EXPECT_EQ(panel->fieldText(PANEL_LAP_TIME), "-- : -- : -- : --");
    // Every field and button lies inside the frame's client area.
    const QRect client = window->centralWidget()->rect();
    for (int id : {1001, 1004, 1010, 1012, 1016, 1017, 1020})
        EXPECT_TRUE(client.contains(panel->field(id)->geometry())) << id;
    for (int id : {PANEL_BUTTON_ADD_POINT, PANEL_BUTTON_START, PANEL_BUTTON_STOP})
        EXPECT_TRUE(client.contains(panel->button(id)->geometry())) << id;
}

using CaptureWindowFiles = CaptureWindowTest;

TEST_F(CaptureWindowFiles, SaveFallsThroughToSaveAsAfterAFailedWrite) {
    replaceCourse(makeCourse(COURSE_LOOP, 1));
    courseModified = 1;
    window->refreshCommandStates();
    ASSERT_TRUE(window->action(COMMAND_SAVE)->isEnabled());
    window->setCourseFilePath(dir / "missing/course.gps");

    // The chooser is cancelled: nothing is saved and the course stays changed.
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text, "GPSファイルが保存できません。");
    EXPECT_EQ(errors[0].caption, "エラー");
    EXPECT_EQ(chooserTitles, std::vector<std::string>{"GPS ファイルの保存 (save)"});
    EXPECT_EQ(courseModified.load(), 1);
    EXPECT_EQ(window->courseFilePath(), dir / "missing/course.gps");

    chosenFiles = {dir / "course.gps"};
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(window->courseFilePath(), dir / "course.gps");
    EXPECT_EQ(std::filesystem::file_size(dir / "course.gps"), sizeof(Course));
    EXPECT_EQ(courseModified.load(), 0);
    EXPECT_FALSE(window->action(COMMAND_SAVE)->isEnabled());
    EXPECT_FALSE(window->action(COMMAND_SAVE_AS)->isEnabled());
}

TEST_F(CaptureWindowFiles, ConfirmDiscardProceedsOnlyWhenNothingIsLost) {
    struct Case {
        const char* what;
        int answer;
        std::string filePath;                // the course's file, "" none
        std::deque<std::string> chooser;     // "" cancels
        int expected;
        bool written;
    };
    const std::string good = dir / "kept.gps", bad = dir / "missing/kept.gps";
    const Case cases[] = {
        {"Cancel", CANCEL, good, {}, 0, false},
        {"No", NO, good, {}, 1, false},
        {"Yes to its file", YES, good, {}, 1, true},
        {"Yes, chooser cancelled", YES, "", {""}, 0, false},
        {"Yes, chosen file", YES, "", {good}, 1, true},
        {"Yes, write fails", YES, bad, {}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(good);
        errors.clear();
        chooserTitles.clear();
        courseModified = 1;
        saveAnswer = c.answer;
        chosenFiles = c.chooser;
        window->setCourseFilePath(c.filePath);
        EXPECT_EQ(window->confirmDiscard(), c.expected);
        EXPECT_EQ(std::filesystem::exists(good), c.written);
        EXPECT_EQ(courseModified.load(), 1) << "a save on the way out leaves the flag alone";
        EXPECT_EQ(errors.size(), c.filePath == bad ? 1u : 0u);
        if (!c.chooser.empty()) {
            EXPECT_EQ(chooserTitles, std::vector<std::string>{"GPSファイルの保存 (save)"});
        }
    }
    // Unchanged: no question at all.
    asked.clear();
    courseModified = 0;
    EXPECT_EQ(window->confirmDiscard(), 1);
    EXPECT_TRUE(asked.empty());
}

TEST_F(CaptureWindowFiles, NewAsksFirstAndAnAbortKeepsTheCourse) {
    replaceCourse(makeCourse(COURSE_OPEN, 2));
    courseModified = 1;
    window->updateTitle();
    saveAnswer = CANCEL;
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(currentCourse().pointCount, 2);
    EXPECT_EQ(window->windowTitle(), "Velmora (オープン：天馬)");
    saveAnswer = NO;
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(currentCourse().pointCount, 0);
    EXPECT_EQ(courseModified.load(), 0);
    EXPECT_EQ(window->windowTitle(), "Velmora");
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(CaptureWindowFiles, OpenLoadsWithoutAskingAndAFailureKeepsTheCourse) {
    const Course saved = makeCourse(COURSE_OPEN_RETURN, 2, "往復");
    writeFile(dir / "other.gps", &saved, sizeof saved);
    replaceCourse(makeCourse(COURSE_LOOP, 1));
    courseModified = 1;
    chosenFiles = {dir / "other.txt"};  // refused for its extension
    window->handleCommand(COMMAND_OPEN);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text.section('\n', 0, 0), "GPSファイルが読み込めません。");
    EXPECT_TRUE(errors[0].text.section('\n', 1).contains(".gps")) << "why: " << errors[0].text.toStdString();
    EXPECT_EQ(currentCourse().pointCount, 1);
    chosenFiles = {dir / "other.gps"};
    window->handleCommand(COMMAND_OPEN);
    flushPanel();
    EXPECT_TRUE(asked.empty()) << "Open never asks to save first";
    EXPECT_EQ(currentCourse().courseType, COURSE_OPEN_RETURN);
    EXPECT_EQ(courseModified.load(), 0);
    EXPECT_EQ(window->windowTitle(), "Velmora (オープン往復：往復)");
    EXPECT_EQ(window->panel()->fieldText(1007), "35.01000000度");
    EXPECT_EQ(chooserTitles.back(), "GPS ファイルを開く (open)");
}

}  // namespace
