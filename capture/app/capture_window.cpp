#include "capture/app/capture_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <cstdio>

#include "capture/app/capture_cues.h"
#include "capture/app/capture_dialogs.h"
#include "capture/app/menu_table.h"
#include "capture/app/status_panel.h"
#include "capture/app/window_sink.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/command_states.h"
#include "capture/timing/course.h"
#include "capture/timing/course_panel.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/recording_journal.h"
#include "capture/timing/lap_timing.h"
#include "capture/timing/measurement.h"
#include "capture/timing/pass_time_option.h"
#include "capture/timing/recorder.h"
#include "common/sjis.h"

namespace {

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

QIcon frameIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(200, 30, 30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(2, 2, 28, 28);
    p.setBrush(Qt::white);
    p.drawEllipse(11, 11, 10, 10);
    return QIcon(pixmap);
}

CaptureWindow::Prompts defaultPrompts(QWidget* owner) {
    CaptureWindow::Prompts p;
    p.askSave = [owner](const QString& text) {
        return static_cast<int>(QMessageBox::warning(owner, q("警告"), text,
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel));
    };
    p.error = [owner](const QString& text, const QString& caption) {
        QMessageBox::critical(owner, caption, text);
    };
    p.warning = [owner](const QString& text, const QString& caption) {
        QMessageBox::warning(owner, caption, text);
    };
    p.chooseFile = [owner](std::string& path, bool forSaving, const std::string& title) {
        return chooseCourseFile(owner, path, forSaving, title);
    };
    p.askLogRetry = [owner](const QString& text) {
        QMessageBox box(QMessageBox::Critical, q("エラー"), text, QMessageBox::NoButton, owner);
        QPushButton* retry = box.addButton(q("再試行"), QMessageBox::AcceptRole);
        QPushButton* other = box.addButton(q("別のフォルダ..."), QMessageBox::ActionRole);
        QPushButton* drop = box.addButton(q("保存しない"), QMessageBox::DestructiveRole);
        // Esc or the window's close button answers nothing: the run stays
        // kept (a box with no escape button could not be closed at all).
        box.addButton(QMessageBox::Cancel)->hide();
        box.exec();
        if (box.clickedButton() == retry) return static_cast<int>(CaptureWindow::LOG_RETRY);
        if (box.clickedButton() == other) return static_cast<int>(CaptureWindow::LOG_OTHER_FOLDER);
        if (box.clickedButton() == drop) return static_cast<int>(CaptureWindow::LOG_DROP);
        return static_cast<int>(CaptureWindow::LOG_KEEP);  // closed unanswered: nothing is dropped
    };
    p.chooseLogFolder = [owner] {
        return QFileDialog::getExistingDirectory(owner, q("ログの保存先")).toStdString();
    };
    p.askCourseName = [owner] { return ::askCourseName(owner); };
    return p;
}

void printMessage(const QString& caption, const QString& text) {
    std::fprintf(stderr, "velmora: %s: %s\n", caption.toUtf8().constData(),
                 QString(text).replace('\n', ' ').toUtf8().constData());
}

}  // namespace

CaptureWindow::Prompts CaptureWindow::unattendedPrompts() {
    Prompts p;
    p.askSave = [](const QString& text) {
        printMessage(q("警告"), text);
        return static_cast<int>(QMessageBox::Cancel);  // never discard an unsaved course unasked
    };
    p.error = [](const QString& text, const QString& caption) { printMessage(caption, text); };
    p.warning = p.error;
    p.chooseFile = [](std::string&, bool, const std::string&) { return 1; };
    p.askLogRetry = [](const QString& text) {
        printMessage(q("エラー"), text);
        return static_cast<int>(LOG_KEEP);  // kept; at exit written to the fallback folder
    };
    p.chooseLogFolder = [] { return std::string(); };
    p.askCourseName = [] {
        // Without a user the course goes on under the name it has.
        return currentCourse().name[0] != '\0' ? 0 : 1;
    };
    return p;
}

CaptureWindow::CaptureWindow() {
    prompts_ = defaultPrompts(this);
    setWindowIcon(frameIcon());
    setFixedSize(530, 320);  // the frame cannot be resized
    createMenus();
    createPanel();
    WindowSink::Target target;
    target.setText = [this](int id, const QString& text) {
        panel_->setFieldText(id, text);
        if (trace_ && (id == PANEL_LAP_COUNT || id == PANEL_LAP_TIME))
            trace_("panel " + std::to_string(id) + ": " + text.toStdString());
    };
    target.playCue = [](int cue) { ::playCue(cue); };
    target.setFlash = [](bool visible) { setFlashWindowVisible(visible); };
    target.showCourse = [this](const Course& course) {
        showCoursePointsOnPanel(course);
        refreshCommandStates();
    };
    sink_ = new WindowSink(std::move(target), this);
    setCaptureSink(sink_);
    setFocusPolicy(Qt::StrongFocus);
    updateTitle();
    refreshCommandStates();
}

CaptureWindow::~CaptureWindow() {
    setCaptureSink(nullptr);
}

void CaptureWindow::createMenus() {
    std::vector<QMenu*> stack;
    for (const MenuRow& row : captureMenuRows()) {
        const QString text = QString::fromUtf8(row.text.data(), static_cast<qsizetype>(row.text.size()));
        switch (row.kind) {
        case MENU_POPUP:
            stack.push_back(stack.empty() ? menuBar()->addMenu(text) : stack.back()->addMenu(text));
            break;
        case MENU_END: stack.pop_back(); break;
        case MENU_SEPARATOR: stack.back()->addSeparator(); break;
        case MENU_ITEM: {
            QAction* a = stack.back()->addAction(text);
            const int id = row.commandId;
            connect(a, &QAction::triggered, this, [this, id] { handleCommand(id); });
            actions_[id] = a;
            break;
        }
        }
    }
    std::map<int, QList<QKeySequence>> keys;
    for (const AcceleratorRow& row : captureAccelerators())
        keys[row.commandId].append(QKeySequence(QString::fromUtf8(row.keys.data(), static_cast<qsizetype>(row.keys.size()))));
    for (auto& [id, list] : keys) {
        QAction* a = actions_.at(id);
        if (a->text().contains('\t')) {
            a->setShortcuts(list);
            a->setShortcutContext(Qt::WindowShortcut);
            addAction(a);  // the frame's own keys, also with the menu closed
            continue;
        }
        // A menu text without a hint shows none: the menu would print the
        // keys of an action's own shortcut, so these keys stand apart.
        for (const QKeySequence& key : list) {
            auto* shortcut = new QShortcut(key, this);
            shortcut->setContext(Qt::WindowShortcut);
            connect(shortcut, &QShortcut::activated, a, [a] {
                if (a->isEnabled()) a->trigger();
            });
        }
    }
    // Ctrl+1 with two points: Loop course is disabled, but the key still
    // answers with a beep while measuring, as the command itself would.
    loopBeep_ = new QShortcut(QKeySequence(QStringLiteral("Ctrl+1")), this);
    loopBeep_->setContext(Qt::WindowShortcut);
    connect(loopBeep_, &QShortcut::activated, this, [this] { beep(); });
}

void CaptureWindow::createPanel() {
    panel_ = new StatusPanel(this);
    setCentralWidget(panel_);
    connect(panel_, &StatusPanel::buttonClicked, this, [this](int id) {
        switch (id) {
        case PANEL_BUTTON_ADD_POINT: handleCommand(COMMAND_ADD_POINT); break;
        case PANEL_BUTTON_START: handleCommand(COMMAND_START); break;
        case PANEL_BUTTON_STOP: handleCommand(COMMAND_STOP); break;
        default: break;
        }
        returnFocus();
    });
}

QAction* CaptureWindow::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CaptureWindow::returnFocus() { setFocus(Qt::OtherFocusReason); }

void CaptureWindow::beep() {
    ++beeps_;
    QApplication::beep();
}

void CaptureWindow::refreshCommandStates() {
    const CommandStates states = commandStates(currentCommandInputs());
    for (auto& [id, a] : actions_) {
        const CommandState s = states.of(id);
        a->setEnabled(s.enabled);
        const bool checkable = s.checked || id == COMMAND_MOTEC_LAP_SYNC || id == COMMAND_MOTEC_ON_POINT_REGISTER
            || id == COMMAND_SOUND_GUIDANCE || id == COMMAND_AUTO_START || id == COMMAND_FLASH_ON_PASS
            || id == COMMAND_INTERPOLATE_PASS_TIME
            || id == COMMAND_LOOP_COURSE || id == COMMAND_OPEN_COURSE || id == COMMAND_OPEN_RETURN_COURSE;
        a->setCheckable(checkable);
        a->setChecked(s.checked);
    }
    for (int id : {PANEL_BUTTON_ADD_POINT, PANEL_BUTTON_START, PANEL_BUTTON_STOP})
        panel_->button(id)->setEnabled(states.of(id).enabled);
    loopBeep_->setEnabled(readerRunning.load() != 0 && !actions_.at(COMMAND_LOOP_COURSE)->isEnabled());
}

void CaptureWindow::updateTitle() {
    const Course course = currentCourse();
    const std::string title = windowTitleText(fixedText(course.name), course.courseType);
    setWindowTitle(QString::fromStdString(title));
    if (trace_) trace_("title: " + title);
}

void CaptureWindow::showCoursePointsOnPanel(const Course& course) {
    for (const auto& [id, text] : coursePointPanelTexts(course)) panel_->setFieldText(id, QString::fromStdString(text));
}

void CaptureWindow::showPointDistances() {
    const PointDistances d = publishedPointDistances();
    for (const auto& [id, text] : pointDistancePanelTexts(d.distanceM))
        panel_->setFieldText(id, QString::fromStdString(text));
}

int CaptureWindow::confirmDiscard() {
    if (courseModified.load() == 0) return 1;
    const int answer = askSave(q("終了する前に保存しますか？"));
    if (answer == QMessageBox::Cancel) return 0;
    if (answer == QMessageBox::No) return 1;
    std::string path = courseFilePath_;
    if (path.empty() && chooseFile(path, true, "GPSファイルの保存") != 0) return 0;
    if (saveCourse(path.c_str()).status != FileWriteStatus::WRITTEN) {
        tellError(q("GPSファイルが保存できません。"), q("エラー"));
        return 0;
    }
    courseFilePath_ = path;
    return 1;
}

void CaptureWindow::handleCommand(int id) {
    switch (id) {
    case COMMAND_NEW: newCourseCommand(); break;
    case COMMAND_OPEN: openCommand(); break;
    case COMMAND_SAVE: saveCommand(); break;
    case COMMAND_SAVE_AS: saveAsCommand(); break;
    case COMMAND_EXIT: close(); break;
    case COMMAND_START: startMeasuringCommand(); break;
    case COMMAND_STOP: stopMeasuringCommand(); break;
    case COMMAND_ADD_POINT: requestPointRegistration(); break;
    case COMMAND_DELETE_POINT: deleteLastPointCommand(); break;
    case COMMAND_SWAP_POINTS: swapPointsCommand(); break;
    case COMMAND_LOOP_COURSE: courseTypeCommand(COURSE_LOOP); break;
    case COMMAND_OPEN_COURSE: courseTypeCommand(COURSE_OPEN); break;
    case COMMAND_OPEN_RETURN_COURSE: courseTypeCommand(COURSE_OPEN_RETURN); break;
    case COMMAND_GPS_PORT: if (runGpsPortDialog(this)) publishSettings(); break;
    case COMMAND_BEACON_PORT: runBeaconPortDialog(this); break;
    case COMMAND_GPS_SETTINGS: if (runGpsSettingsDialog(this)) publishSettings(); break;
    case COMMAND_MOTEC_LAP_SYNC: toggle(captureSettings.motecLapSync); break;
    case COMMAND_MOTEC_ON_POINT_REGISTER: toggle(captureSettings.motecOnPointRegister); break;
    case COMMAND_SOUND_GUIDANCE: toggle(captureSettings.soundGuidance); break;
    case COMMAND_AUTO_START: toggle(captureSettings.autoStart); break;
    case COMMAND_FLASH_ON_PASS: toggle(captureSettings.flashOnPass); break;
    case COMMAND_FLASH_COLOUR: chooseFlashColour(this); break;
    case COMMAND_INTERPOLATE_PASS_TIME: toggle(interpolatePassTime); break;
    case COMMAND_ABOUT: showAboutBox(this); break;
    case COMMAND_OPEN_HANDOFF: handoffCommand(); break;
    default: return;
    }
    refreshCommandStates();
}

void CaptureWindow::toggle(int32_t& option) {
    option = option ? 0 : 1;
    publishSettings();
}

void CaptureWindow::courseTypeCommand(int type) {
    if (readerRunning.load() == 0) return;
    if (!changeCourseType(type)) {
        beep();  // a loop while two points are registered
        return;
    }
    updateTitle();
}

void CaptureWindow::startMeasuringCommand() {
    if (readerRunning.load() != 0) return;
    // A start would clear the samples of a run still waiting for its file.
    if (unwrittenRunHeld() && !settleHeldRun(heldLog_)) return;
    if (askCourseName() != 0) return;
    updateTitle();
    const StartOutcome outcome = startMeasuringWithReason();
    const QString reason = QString::fromStdString(portFailureReason(outcome.portErrno));
    if (outcome.result == START_GPS_PORT_FAILED)
        tellError(q("GPS接続ポートが使用できませんでした。") + (reason.isEmpty() ? "" : "\n" + reason), q("警告"));
    else if (outcome.result == START_BEACON_PORT_FAILED)
        tellError(q("MoTec接続ポートが使用できませんでした。") + (reason.isEmpty() ? "" : "\n" + reason), q("警告"));
    else if (outcome.result == START_RECORDER_FAILED)
        tellError(q("記録を開始できませんでした。") + QString::fromStdString(outcome.error), q("エラー"));
    showLapDisplay();
    if (outcome.result == START_OK && !outcome.logFolderProblem.empty()) {
        refreshCommandStates();
        tellWarning(q("走行ログの保存先に書き込めません。このままでは停止時に保存できません"
                      "（停止時に別のフォルダを選べます）。\n")
                        + QString::fromStdString(outcome.logFolderProblem),
                    q("警告"));
    }
}

// Asks until the held run is written or dropped; false when the question was
// closed unanswered and the run stays held.
bool CaptureWindow::settleHeldRun(DriveLogResult log) {
    while (unwrittenRunHeld()) {
        heldLog_ = log;
        const int answer = askLogRetry(q("走行ログを書き込めませんでした。\n") + QString::fromStdString(log.path)
                                       + "\n" + QString::fromStdString(log.error));
        if (answer == LOG_KEEP) return false;
        if (answer == LOG_DROP) {
            dropHeldRun();
            discardRecordingJournal();  // given up by the driver: not recovered at the next start either
            break;
        }
        if (answer == LOG_OTHER_FOLDER) {
            const std::string folder = chooseLogFolder();
            if (folder.empty()) continue;
            setDriveLogDirectory(folder);
        }
        log = writeHeldRun();
    }
    return true;
}

void CaptureWindow::stopMeasuringCommand() {
    const StopResult result = stopMeasuring();
    if (result.courseCleared) {
        // Nothing of the cleared course is left to save, and its file stays
        // as it was: Save follows, as after New.
        courseModified = 0;
        courseFilePath_.clear();
        showCoursePointsOnPanel(currentCourse());
        showPointDistances();
        updateTitle();
        refreshCommandStates();
    }
    if (result.driveLog.status == DRIVE_LOG_FAILED) settleHeldRun(result.driveLog);
}

void CaptureWindow::newCourseCommand() {
    if (courseModified.load() != 0 && confirmDiscard() == 0) return;
    const StopResult result = newCourse();
    showCoursePointsOnPanel(currentCourse());
    showPointDistances();
    updateTitle();
    courseFilePath_.clear();
    refreshCommandStates();
    if (result.driveLog.status == DRIVE_LOG_FAILED) settleHeldRun(result.driveLog);
}

void CaptureWindow::afterCourseLoaded() {
    updateTitle();
    courseModified = 0;
    showCoursePointsOnPanel(currentCourse());
    showPointDistances();
}

void CaptureWindow::openCommand() {
    std::string path = courseFilePath_;
    if (chooseFile(path, false, "GPS ファイルを開く") != 0) return;
    std::string reason;
    if (loadCourseWithReason(path.c_str(), reason) != 0) {
        tellError(q("GPSファイルが読み込めません。\n") + QString::fromStdString(reason), q("エラー"));
        return;
    }
    courseFilePath_ = path;
    afterCourseLoaded();
}

void CaptureWindow::saveCommand() {
    if (!courseFilePath_.empty()) {
        if (saveCourse(courseFilePath_.c_str()).status == FileWriteStatus::WRITTEN) {
            courseModified = 0;
            return;
        }
        tellError(q("GPSファイルが保存できません。"), q("エラー"));
    }
    saveAsCommand();
}

bool CaptureWindow::saveAsCommand() {
    std::string path = courseFilePath_;
    if (chooseFile(path, true, "GPS ファイルの保存") != 0) return false;
    if (saveCourse(path.c_str()).status != FileWriteStatus::WRITTEN) {
        tellError(q("GPSファイルが保存できません。"), q("エラー"));
        return false;
    }
    courseFilePath_ = path;
    courseModified = 0;
    return true;
}

void CaptureWindow::handoffCommand() {
    if (readerRunning.load() != 0) return;  // never disturb a run
    if (confirmDiscard() == 0) return;
    const std::string path = handoffPath_ ? handoffPath_() : std::string();
    std::string reason;
    if (loadCourseWithReason(path.c_str(), reason) != 0) {
        tellError(q("GPSファイルが読み込めません。\n") + QString::fromStdString(reason), q("エラー"));
        return;
    }
    courseFilePath_ = path;
    afterCourseLoaded();
}

int CaptureWindow::allocateSampleBufferAndTell() {
    const SampleBufferResult result = allocateSampleBufferWithMessage();
    if (!result.message.empty()) {
        // Queued: the box comes up over the shown window, not before it.
        const QString text = QString::fromStdString(result.message);
        QTimer::singleShot(0, this, [this, text] { tellWarning(text, q("警告")); });
    }
    return result.status;
}

bool CaptureWindow::loadCommandLineCourse(const std::string& path) {
    if (path.empty() || loadCourse(path.c_str()) != 0) return false;
    courseFilePath_ = path;
    afterCourseLoaded();
    return true;
}

void CaptureWindow::closeEvent(QCloseEvent* event) {
    if (closing_ || confirmDiscard() == 1) {
        event->accept();
        QApplication::quit();
    } else {
        event->ignore();
    }
}

void CaptureWindow::shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    closing_ = true;
    // Before the stop, which clears a course that is incomplete for its type.
    if (quiet_) keepUnsavedCourse();
    if (readerRunning.load() != 0 || recording.load() != 0) {
        const DriveLogResult log = stopMeasuring().driveLog;
        if (log.status == DRIVE_LOG_FAILED) heldLog_ = log;
    }
    // A run is never thrown away silently: the samples stay in memory until
    // the log is written or the user gives it up; a question closed
    // unanswered (or no question at all) writes it to the fallback folder.
    if (unwrittenRunHeld() && (quiet_ || !settleHeldRun(heldLog_))) writeHeldRunToFallback();
    freeSampleBuffer();
    const FileWriteResult settings = saveSettings();
    if (settings.status != FileWriteStatus::WRITTEN)
        tellError(q("設定ファイルを保存できませんでした。\n") + QString::fromStdString(settings.error), q("エラー"));
    const FileWriteResult timing = savePassTimeOption();
    if (timing.status != FileWriteStatus::WRITTEN)
        tellError(q("設定ファイルを保存できませんでした。\n") + QString::fromStdString(timing.error), q("エラー"));
    if (displayLost_) return;
    destroyFlashWindow();
    stopCues();
}
