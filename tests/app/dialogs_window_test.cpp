// The capture program's dialogs, cues and flash driven as a user would: each
// dialog is opened by its function, its boxes are filled and OK or Cancel is
// clicked once it shows, and the records are checked afterwards.
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/app/capture_cues.h"
#include "capture/app/capture_dialogs.h"
#include "capture/app/course_file_dialog.h"
#include "capture/app/flash_window.h"
#include "capture/app/voice_cues.h"
#include "capture/app/window_sink.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/beacon.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/command_states.h"
#include "capture/timing/course.h"
#include "capture/timing/flash_cue.h"
#include "capture/timing/timing_state.h"
#include "common/sjis.h"
#include "platform/exe_directory.h"
#include "platform/tick.h"

// Font, desktop and audio libraries keep caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libfreetype\nleak:libQt6Gui\nleak:libdbus\nleak:libpulse\n"
           "leak:libQt6Multimedia\nleak:libglib\n";
}

namespace {

namespace fs = std::filesystem;

QApplication& app() {
    // Offscreen: no display, no window manager, the same placement everywhere.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "dialogs_window_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the file and colour dialogs and the audio backend leave
    // objects whose teardown at exit would run after Qt's own statics are gone.
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

// The dialog functions block in exec(); this runs `act` once on the first
// modal widget of type T once it is shown. `act` must close it.
class WhenShown {
public:
    template <class T>
    static WhenShown* of(std::function<void(T*)> act) {
        auto* w = new WhenShown;
        QObject::connect(&w->timer_, &QTimer::timeout, [w, act] {
            // Give up waiting after ten seconds: the test then sees fired() false.
            if (++w->ticks_ > 2000) w->timer_.stop();
            T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
            if (modal == nullptr || !modal->isVisible()) return;
            w->timer_.stop();
            w->fired_ = true;
            act(modal);
        });
        w->timer_.start(5);
        return w;
    }
    bool fired() const { return fired_; }

private:
    QTimer timer_;
    int ticks_ = 0;
    bool fired_ = false;
};

template <class T>
T* child(QWidget* dialog, int id) {
    T* found = dialog->findChild<T*>(QString::number(id));
    EXPECT_NE(found, nullptr) << "control " << id;
    return found;
}

void click(QWidget* dialog, int id) { child<QPushButton>(dialog, id)->click(); }

void setCombo(QWidget* dialog, int id, const char* text) {
    child<QComboBox>(dialog, id)->setEditText(QString::fromUtf8(text));
}

QStringList items(QWidget* dialog, int id) {
    QStringList list;
    auto* combo = child<QComboBox>(dialog, id);
    for (int i = 0; i < combo->count(); ++i) list << combo->itemText(i);
    return list;
}

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        resetTimingState();
        owner.setGeometry(100, 80, 530, 320);
        owner.show();
    }
    void TearDown() override { platform::setExeDirectoryForTests(""); }

    // Where centreOnOwner puts a dialog over the shown owner.
    static QPoint centredOver(const QRect& r, const QWidget* d) {
        return {r.x() + r.width() / 2 - d->frameGeometry().width() / 2,
                r.y() + r.height() / 2 - d->frameGeometry().height() / 2};
    }

    struct AppFirst {
        AppFirst() { app(); }
    } appFirst;  // the application before any widget
    QWidget owner;
};

TEST_F(DialogsTest, GpsPortOkParsesTheBoxesCancelChangesNothing) {
    QPoint at, expected;
    QStringList ports, speeds, parities;
    std::unique_ptr<WhenShown> ok(WhenShown::of<QDialog>([&](QDialog* d) {
        at = d->pos();
        expected = centredOver(owner.frameGeometry(), d);
        ports = items(d, 1025);
        speeds = items(d, 1022);
        parities = items(d, 1024);
        EXPECT_EQ(d->windowTitle(), "GPSポートの設定");
        EXPECT_EQ(child<QComboBox>(d, 1025)->currentText(), "COM1");
        EXPECT_EQ(child<QComboBox>(d, 1015)->currentText(), "1");
        setCombo(d, 1025, "/dev/ttyUSB3");
        setCombo(d, 1022, "38400");
        setCombo(d, 1023, "7");
        setCombo(d, 1015, "1.50");
        setCombo(d, 1024, "EVEN");
        setCombo(d, 1026, "TOKYO");
        child<QCheckBox>(d, 1028)->setChecked(true);
        click(d, 1);
    }));
    EXPECT_TRUE(runGpsPortDialog(&owner));
    EXPECT_EQ(at, expected) << "centred over the owner";
    ASSERT_GE(ports.size(), 20);
    EXPECT_EQ(ports.mid(0, 3), QStringList({"COM1", "COM2", "COM3"}));
    EXPECT_EQ(ports[19], "COM20");
    EXPECT_EQ(speeds.size(), 13);
    EXPECT_EQ(parities, QStringList({"NONE", "EVEN", "ODD"}));
    EXPECT_STREQ(gpsPort.portName, "/dev/ttyUSB3");
    EXPECT_EQ(gpsPort.baudRate, 9600) << "the binary receiver box forces 9600";
    EXPECT_EQ(gpsPort.byteSize, 7);
    EXPECT_EQ(gpsPort.stopBits, 0) << "\"1.50\" is not a list entry: the old value stays";
    EXPECT_EQ(gpsPort.parity, PARITY_EVEN);
    EXPECT_EQ(datum.load(), 1) << "used from the next fix";
    EXPECT_EQ(captureSettings.datum, 1) << "and saved at exit";
    EXPECT_EQ(binaryReceiver.load(), 1);
    EXPECT_EQ(captureSettings.binaryReceiver, 1);

    const SerialPort before = gpsPort;
    std::unique_ptr<WhenShown> cancel(WhenShown::of<QDialog>([&](QDialog* d) {
        EXPECT_EQ(child<QComboBox>(d, 1022)->currentText(), "9600");
        EXPECT_EQ(child<QComboBox>(d, 1026)->currentText(), "TOKYO");
        EXPECT_TRUE(child<QCheckBox>(d, 1028)->isChecked());
        setCombo(d, 1025, "COM9");
        setCombo(d, 1026, "WGS-84");
        child<QCheckBox>(d, 1028)->setChecked(false);
        click(d, 2);
    }));
    EXPECT_FALSE(runGpsPortDialog(&owner));
    EXPECT_EQ(std::memcmp(&gpsPort, &before, sizeof before), 0);
    EXPECT_EQ(datum.load() + binaryReceiver.load(), 2);

    // Typed into the box and confirmed, "odd" stays "odd": no list entry, so
    // the parity is not changed behind the driver's back.
    std::unique_ptr<WhenShown> typed(WhenShown::of<QDialog>([&](QDialog* d) {
        QLineEdit* edit = child<QComboBox>(d, 1024)->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, "odd");
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(child<QComboBox>(d, 1024)->currentText(), "odd");
        if (d->isVisible()) click(d, 1);
    }));
    runGpsPortDialog(&owner);
    EXPECT_EQ(gpsPort.parity, PARITY_EVEN);
}

TEST_F(DialogsTest, ASettingsFileOfOnlyTheOptionsLeavesBothPortsAtTheirDefaults) {
    const fs::path dir = fs::temp_directory_path() / ("dialogs_window_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    platform::setExeDirectoryForTests(dir.string() + "/");
    CaptureSettings options;
    options.datum = 1;
    options.pointOffset = 30.0;
    {
        std::ofstream out(settingsPath(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(&options), 312);
    }
    applyDefaultSettings();
    ASSERT_EQ(loadSettings(), 0);
    std::string gps, speed, datumText, beacon;
    std::unique_ptr<WhenShown> port(WhenShown::of<QDialog>([&](QDialog* d) {
        gps = child<QComboBox>(d, 1025)->currentText().toStdString();
        speed = child<QComboBox>(d, 1022)->currentText().toStdString();
        datumText = child<QComboBox>(d, 1026)->currentText().toStdString();
        click(d, 2);
    }));
    runGpsPortDialog(&owner);
    std::unique_ptr<WhenShown> beaconShown(WhenShown::of<QDialog>([&](QDialog* d) {
        beacon = child<QComboBox>(d, 1025)->currentText().toStdString();
        click(d, 2);
    }));
    runBeaconPortDialog(&owner);
    EXPECT_EQ(gps + " " + speed, "COM1 38400");
    EXPECT_EQ(beacon, "COM2");
    EXPECT_EQ(datumText, "TOKYO") << "the options did come from the file";
    fs::remove_all(dir);
}

TEST_F(DialogsTest, GpsSettingsRefuseAnOutOfRangeValueWithTheReasonThenStoreOnOk) {
    std::string refusal;
    bool stillOpen = false;
    std::unique_ptr<WhenShown> shown(WhenShown::of<QDialog>([&](QDialog* d) {
        EXPECT_EQ(child<QLineEdit>(d, 1018)->text(), "15.0");
        EXPECT_EQ(child<QLineEdit>(d, 1019)->text(), "1000");
        EXPECT_EQ(child<QLineEdit>(d, 1020)->text(), "7200");
        bool noted = false;
        for (auto* label : d->findChildren<QLabel*>()) noted |= label->text() == "※再起動後有効";
        EXPECT_TRUE(noted);
        child<QLineEdit>(d, 1018)->setText("20");
        child<QLineEdit>(d, 1019)->setText("0");
        // The refusal is a message box of its own over the dialog.
        std::unique_ptr<WhenShown> box(WhenShown::of<QMessageBox>([&](QMessageBox* m) {
            refusal = m->text().toStdString();
            m->accept();
        }));
        click(d, 1);
        stillOpen = d->isVisible();
        EXPECT_EQ(captureSettings.pointOffset, 15.0) << "nothing stored while one box is wrong";
        child<QLineEdit>(d, 1019)->setText("500");
        child<QLineEdit>(d, 1020)->setText("600");
        click(d, 1);
    }));
    EXPECT_TRUE(runGpsSettingsDialog(&owner));
    EXPECT_TRUE(stillOpen);
    EXPECT_NE(refusal.find("1以上の整数"), std::string::npos) << refusal;
    EXPECT_EQ(captureSettings.pointOffset, 20.0);
    EXPECT_EQ(captureSettings.samplingPeriodMs, 500);
    EXPECT_EQ(captureSettings.maxRecordingSeconds, 600);

    std::unique_ptr<WhenShown> cancel(WhenShown::of<QDialog>([&](QDialog* d) {
        child<QLineEdit>(d, 1018)->setText("99");
        click(d, 2);
    }));
    EXPECT_FALSE(runGpsSettingsDialog(&owner));
    EXPECT_EQ(captureSettings.pointOffset, 20.0);
}

TEST_F(DialogsTest, BeaconPortTakesTheTypedNameAndIsCentredOnTheScreenOverAMaximisedOwner) {
    owner.showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(owner.isMaximized());
    QPoint at, expected;
    std::unique_ptr<WhenShown> ok(WhenShown::of<QDialog>([&](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "MoTeCビーコンポートの設定");
        at = d->pos();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        expected = centredOver({0, 0, screen.width(), screen.height()}, d);
        setCombo(d, 1025, "/dev/ttyACM1");
        click(d, 1);
    }));
    EXPECT_TRUE(runBeaconPortDialog(&owner));
    EXPECT_EQ(at, expected);
    EXPECT_STREQ(beaconPort.portName, "/dev/ttyACM1");
    EXPECT_EQ(beaconPort.baudRate, 9600) << "only the name is editable";

    std::unique_ptr<WhenShown> cancel(WhenShown::of<QDialog>([&](QDialog* d) {
        setCombo(d, 1025, "COM5");
        click(d, 2);
    }));
    EXPECT_FALSE(runBeaconPortDialog(&owner));
    EXPECT_STREQ(beaconPort.portName, "/dev/ttyACM1");
}

TEST_F(DialogsTest, CourseNameAskedOnlyForAnUnnamedCourseEmptyBecomesTheDefault) {
    std::strcpy(captureSettings.lastCourseName, utf8ToSjis("筑波").c_str());
    captureSettings.lastCourseType = COURSE_OPEN;
    std::unique_ptr<WhenShown> cancel(WhenShown::of<QDialog>([&](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "コース名の設定");
        EXPECT_EQ(child<QLineEdit>(d, 1018)->text(), "筑波");
        EXPECT_TRUE(child<QRadioButton>(d, 1020)->isChecked());
        click(d, 2);
    }));
    EXPECT_EQ(askCourseName(&owner), 1) << "Cancel abandons the start";
    EXPECT_EQ(currentCourse().name[0], '\0');

    std::unique_ptr<WhenShown> ok(WhenShown::of<QDialog>([&](QDialog* d) {
        child<QLineEdit>(d, 1018)->clear();
        child<QRadioButton>(d, 1021)->setChecked(true);
        click(d, 1);
    }));
    EXPECT_EQ(askCourseName(&owner), 0);
    const Course named = currentCourse();
    EXPECT_EQ(sjisToUtf8(named.name), "トラック1");
    EXPECT_EQ(named.courseType, COURSE_OPEN_RETURN);
    EXPECT_EQ(sjisToUtf8(captureSettings.lastCourseName), "トラック1");
    EXPECT_EQ(captureSettings.lastCourseType, COURSE_OPEN_RETURN);
    EXPECT_EQ(courseModified.load(), 0) << "naming is not a change to save";

    std::unique_ptr<WhenShown> none(WhenShown::of<QDialog>([&](QDialog* d) { d->reject(); }));
    EXPECT_EQ(askCourseName(&owner), 0);
    QApplication::processEvents();
    EXPECT_FALSE(none->fired()) << "a named course asks nothing";
}

TEST_F(DialogsTest, CourseFileDialogsStartHereAppendTheExtensionAndCancelKeepsThePath) {
    const fs::path dir = fs::temp_directory_path() / ("dialogs_files_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.string()));
    resetFileDialogMemoryForTests();
    std::ofstream(dir / "tsukuba.gps").put('\0');

    const auto hasButton = [](QFileDialog* d, const char* text) {
        bool found = false;
        for (auto* b : d->findChild<QDialogButtonBox*>()->buttons()) found |= b->text() == text;
        return found;
    };
    std::string path = "/somewhere/old.gps";
    std::unique_ptr<WhenShown> cancel(WhenShown::of<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->windowTitle(), "GPS ファイルを開く");
        EXPECT_EQ(QDir(d->directory()).canonicalPath().toStdString(), fs::canonical(dir).string());
        EXPECT_EQ(d->nameFilters(), QStringList({"GPS File (*.gps)"}));
        EXPECT_TRUE(hasButton(d, "開く"));
        d->reject();
    }));
    EXPECT_EQ(chooseCourseFile(&owner, path, false, "GPS ファイルを開く"), 1);
    EXPECT_EQ(path, "/somewhere/old.gps") << "a cancelled dialog keeps the previous path";

    // Saving under an existing name asks before replacing it.
    bool asked = false;
    std::unique_ptr<WhenShown> replace(WhenShown::of<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->findChild<QLineEdit*>("fileNameEdit")->text(), "untitled.gps");
        EXPECT_TRUE(hasButton(d, "保存"));
        d->findChild<QLineEdit*>("fileNameEdit")->setText("tsukuba");
        std::unique_ptr<WhenShown> confirm(WhenShown::of<QMessageBox>([&](QMessageBox* m) {
            asked = true;
            m->button(QMessageBox::Yes)->click();
        }));
        QMetaObject::invokeMethod(d, "accept");
    }));
    EXPECT_EQ(chooseCourseFile(&owner, path, true, "GPS ファイルの保存"), 0);
    EXPECT_TRUE(asked);
    EXPECT_EQ(fs::path(path), fs::canonical(dir) / "tsukuba.gps") << "the extension is added";

    std::unique_ptr<WhenShown> fresh(WhenShown::of<QFileDialog>([&](QFileDialog* d) {
        d->findChild<QLineEdit*>("fileNameEdit")->setText("motegi");
        QMetaObject::invokeMethod(d, "accept");
    }));
    EXPECT_EQ(chooseCourseFile(&owner, path, true, "GPSファイルの保存"), 0);
    EXPECT_EQ(fs::path(path), fs::canonical(dir) / "motegi.gps");

    QDir::setCurrent(previous);
    fs::remove_all(dir);
}

TEST_F(DialogsTest, AboutBoxAndFlashColour) {
    std::unique_ptr<WhenShown> about(WhenShown::of<QDialog>([&](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "バージョン情報");
        bool version = false;
        for (auto* label : d->findChildren<QLabel*>()) version |= label->text().contains("Version 1.11");
        EXPECT_TRUE(version);
        click(d, 1);
    }));
    showAboutBox(&owner);
    EXPECT_TRUE(about->fired());

    captureSettings.flashColour = 0x000000FF;  // red
    std::unique_ptr<WhenShown> colour(WhenShown::of<QColorDialog>([&](QColorDialog* d) {
        EXPECT_EQ(d->windowTitle(), "フラッシュカラーの選択");
        EXPECT_EQ(d->currentColor(), QColor(255, 0, 0)) << "the current colour preselected";
        d->setCurrentColor(QColor(0, 128, 255));
        d->accept();
    }));
    EXPECT_TRUE(chooseFlashColour(&owner));
    EXPECT_EQ(captureSettings.flashColour, 0x00FF8000u) << "red in the low byte, then green, blue";
    std::unique_ptr<WhenShown> cancel(WhenShown::of<QColorDialog>([&](QColorDialog* d) {
        d->setCurrentColor(Qt::white);
        d->reject();
    }));
    EXPECT_FALSE(chooseFlashColour(&owner));
    EXPECT_EQ(captureSettings.flashColour, 0x00FF8000u);
}

TEST_F(DialogsTest, VoiceFilesAreBuiltAndCuesWithoutAnAudioDeviceAreHarmless) {
    for (int cue = 0; cue < 6; ++cue) {
        const std::string file = std::string(BIN_DIR) + "/voice/000" + std::to_string(cue) + ".wav";
        std::ifstream in(file, std::ios::binary);
        char header[12] = {};
        in.read(header, sizeof header);
        EXPECT_EQ(std::string(header, 4) + std::string(header + 8, 4), "RIFFWAVE") << file;
        EXPECT_GT(fs::file_size(file), 4000u) << "a cue has some sound in it";
    }
    captureSettings.soundGuidance = 1;
    playCue(4);
    EXPECT_EQ(lastCueSourceForTests(), platform::exeDirectory() + "voice/0004.wav");
    playCue(0);  // cuts off cue 4
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    EXPECT_EQ(lastCueSourceForTests(), platform::exeDirectory() + "voice/0000.wav");
    captureSettings.soundGuidance = 0;
    playCue(1);
    EXPECT_EQ(lastCueSourceForTests(), platform::exeDirectory() + "voice/0000.wav") << "guidance off";
    captureSettings.soundGuidance = 1;
    platform::setExeDirectoryForTests("/nonexistent/");
    playCue(5);  // missing file: silent
    QApplication::processEvents();
    stopCues();
}

uint32_t fakeTick = 0;

TEST_F(DialogsTest, TheFlashCoversTheScreenInItsColourAndHidesAfterHalfASecond) {
    createFlashWindow();
    QWidget* flash = flashWindowForTests();
    ASSERT_NE(flash, nullptr);
    EXPECT_FALSE(flash->isVisible()) << "created hidden";
    EXPECT_EQ(flash->windowTitle(), "Velmora Flush");
    EXPECT_EQ(flash->pos(), QPoint(0, 0));

    // The reader thread's core decides; the window shows it through the sink.
    WindowSink::Target target;
    target.setFlash = [](bool visible) { setFlashWindowVisible(visible); };
    WindowSink sink(target);
    setCaptureSink(&sink);
    platform::setTickSourceForTests([] { return fakeTick; });
    fakeTick = 1000;
    captureSettings.flashColour = 0x0000FF00;  // green
    showFlash();
    QApplication::processEvents();
    EXPECT_TRUE(flash->isVisible());
    EXPECT_EQ(flash->grab().toImage().pixelColor(5, 5), QColor(0, 255, 0));
    fakeTick = 1500;
    pollFlash();
    QApplication::processEvents();
    EXPECT_TRUE(flash->isVisible());
    fakeTick = 1501;
    pollFlash();
    QApplication::processEvents();
    EXPECT_FALSE(flash->isVisible());

    captureSettings.flashColour = 0x00FF0000;  // blue: the next flash uses it
    setFlashWindowVisible(true);
    EXPECT_EQ(flash->grab().toImage().pixelColor(5, 5), QColor(0, 0, 255));
    setFlashWindowVisible(false);
    EXPECT_FALSE(flash->isVisible());

    setCaptureSink(nullptr);
    platform::setTickSourceForTests(nullptr);
    destroyFlashWindow();
    setFlashWindowVisible(true);  // no window: skipped
    EXPECT_EQ(flashWindowForTests(), nullptr);
}

// An owner at the screen's left or right edge: every dialog, centred over it,
// is moved just inside the screen, title bar in reach.
TEST_F(DialogsTest, EveryDialogStaysOnTheScreenWithItsOwnerAtEitherEdge) {
    const QRect area = owner.screen()->availableGeometry();
    std::string path;
    const std::vector<std::pair<const char*, std::function<void()>>> dialogs = {
        {"GPS port", [&] { runGpsPortDialog(&owner); }},
        {"GPS settings", [&] { runGpsSettingsDialog(&owner); }},
        {"beacon port", [&] { runBeaconPortDialog(&owner); }},
        {"course name", [&] { askCourseName(&owner); }},
        {"course file", [&] { chooseCourseFile(&owner, path, false, "GPS ファイルを開く"); }},
        {"about", [&] { showAboutBox(&owner); }},
        {"flash colour", [&] { chooseFlashColour(&owner); }},
    };
    for (const int ownerX : {0, area.right() + 1 - owner.width()}) {
        owner.move(ownerX, 0);
        QApplication::processEvents();
        for (const auto& [name, open] : dialogs) {
            QRect shown;
            std::unique_ptr<WhenShown> close(WhenShown::of<QDialog>([&shown](QDialog* d) {
                shown = d->frameGeometry();
                d->done(QDialog::Rejected);
            }));
            open();
            SCOPED_TRACE(std::string(name) + " over an owner at x " + std::to_string(ownerX));
            ASSERT_TRUE(close->fired());
            EXPECT_GE(shown.left(), area.left());
            EXPECT_GE(shown.top(), area.top());
            EXPECT_TRUE(shown.right() <= area.right() || shown.width() > area.width()) << shown.right();
            EXPECT_TRUE(shown.bottom() <= area.bottom() || shown.height() > area.height()) << shown.bottom();
        }
    }
}

}  // namespace
