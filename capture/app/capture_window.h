// The capture program's frame: menu and accelerators from the data table, the
// status panel, one handleCommand for every id, and the start-up and
// shutdown steps that need the window. State lives in the Qt-free cores; the
// frame applies what they return.
#pragma once

#include <functional>
#include <map>
#include <string>

#include <QMainWindow>

#include "capture/timing/recorder.h"
#include "common/records.h"

class QAction;
class QShortcut;
class StatusPanel;
class WindowSink;

class CaptureWindow : public QMainWindow {
    Q_OBJECT
public:
    // The message boxes and file dialogs the commands ask, replaceable in tests.
    struct Prompts {
        // "終了する前に保存しますか？": QMessageBox::Yes, No or Cancel.
        std::function<int(const QString& text)> askSave;
        std::function<void(const QString& text, const QString& caption)> error;
        std::function<void(const QString& text, const QString& caption)> warning;
        // As chooseCourseFile: 0 chosen (path set), 1 cancelled.
        std::function<int(std::string& path, bool forSaving, const std::string& title)> chooseFile;
        // A drive log could not be written: LOG_RETRY, LOG_OTHER_FOLDER,
        // LOG_DROP, or LOG_KEEP when the question was closed unanswered.
        std::function<int(const QString& text)> askLogRetry;
        std::function<std::string()> chooseLogFolder;  // "" = cancelled
        // The course-name dialog before a start: 0 go on, 1 abandon.
        std::function<int()> askCourseName;
    };
    // Prompts that nobody answers (VELMORA_UNATTENDED=1, used by the tests that
    // run the program itself): every message goes to stderr, every question
    // takes its cautious answer (no save, no dialog, no retry).
    static Prompts unattendedPrompts();
    enum LogAnswer { LOG_RETRY = 0, LOG_OTHER_FOLDER = 1, LOG_DROP = 2, LOG_KEEP = 3 };

    CaptureWindow();
    ~CaptureWindow() override;

    void handleCommand(int id);
    void refreshCommandStates();
    void updateTitle();
    // 1 proceed, 0 abort.
    int confirmDiscard();
    // The orderly end: stops measuring, writes the log (offering a retry on
    // failure) and the settings. Runs once; later calls do nothing.
    void shutdown();
    // SIGINT, SIGTERM, SIGHUP and the end of the desktop session: from now on
    // nothing asks (an open dialog is closed, every question takes its
    // cautious answer, messages go to stderr) and the event loops end, so
    // that the shutdown after them runs at once. That shutdown writes an
    // unsaved course beside the program under a new name, and a drive log
    // the log folder refuses into the home or temporary folder.
    void endWithoutQuestions();
    // The X server went away (Qt then ends the process from inside its event
    // loop): the same quiet shutdown, run from the exit, touching no window.
    void endAfterDisplayLost();

    // Sizes the recorder's buffer from the settings; a capacity the settings
    // could not have (reduced, or no buffer at all) is told in a message box
    // once the window is up. 0 allocated, 2 out of memory.
    int allocateSampleBufferAndTell();

    // The course given on the command line; a failed load is ignored silently.
    bool loadCommandLineCourse(const std::string& path);

    void showCoursePointsOnPanel(const Course& course);
    void showPointDistances();

    // Unattended runs report the title and the lap display as lines (UTF-8),
    // so that a test driving the program from outside can follow them.
    void setTrace(std::function<void(const std::string& line)> trace) { trace_ = std::move(trace); }
    void setHandoffPathSource(std::function<std::string()> source) { handoffPath_ = std::move(source); }
    Prompts& prompts() { return prompts_; }
    StatusPanel* panel() const { return panel_; }
    QAction* action(int id) const;
    const std::string& courseFilePath() const { return courseFilePath_; }
    void setCourseFilePath(std::string path) { courseFilePath_ = std::move(path); }
    int beepCount() const { return beeps_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createPanel();
    void beep();
    void startMeasuringCommand();
    void stopMeasuringCommand();
    void newCourseCommand();
    void openCommand();
    void saveCommand();
    bool saveAsCommand();
    void courseTypeCommand(int type);
    void toggle(int32_t& option);
    void handoffCommand();
    void afterCourseLoaded();
    bool settleHeldRun(DriveLogResult log);
    void writeHeldRunToFallback();
    void keepUnsavedCourse();
    void closeModalDialogs();
    // The prompts, answered cautiously without asking once the program is
    // ending on a signal.
    int askSave(const QString& text);
    void tellError(const QString& text, const QString& caption);
    void tellWarning(const QString& text, const QString& caption);
    int chooseFile(std::string& path, bool forSaving, const std::string& title);
    int askLogRetry(const QString& text);
    std::string chooseLogFolder();
    int askCourseName();
    void returnFocus();

    StatusPanel* panel_ = nullptr;
    WindowSink* sink_ = nullptr;
    std::map<int, QAction*> actions_;
    QShortcut* loopBeep_ = nullptr;
    Prompts prompts_;
    std::function<std::string()> handoffPath_;
    std::function<void(const std::string&)> trace_;
    std::string courseFilePath_;
    int beeps_ = 0;
    bool shutDown_ = false;
    bool closing_ = false;
    bool quiet_ = false;      // ending on a signal: no question any more
    bool displayLost_ = false;  // no X server any more: no window may be touched
    DriveLogResult heldLog_;  // the failure of the run held in memory
};
