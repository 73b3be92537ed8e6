// velmora: start-up in order, the message loop, and the orderly shutdown
// that also runs, without any question, on SIGINT, SIGTERM, SIGHUP and the
// end of the desktop session.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "capture/app/capture_cues.h"
#include "capture/app/capture_window.h"
#include "capture/gps/geodesy.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/command_states.h"
#include "capture/timing/course.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/pass_time_option.h"
#include "capture/timing/recorder.h"
#include "capture/timing/recording_journal.h"
#include "common/atomic_file.h"
#include "platform/exe_directory.h"
#include "platform/gui/single_instance.h"
#include "platform/gui/termination_signals.h"
#include "platform/gui/window_focus.h"

namespace {

// The window while its message loop may run. Qt ends the process with exit()
// when the X server goes away (the display unplugged, the session's X server
// killed); the handler below still writes the run and the settings then.
CaptureWindow* runningWindow = nullptr;

void endAtExit() {
    if (runningWindow != nullptr) runningWindow->endAfterDisplayLost();
}

// What became of the journals a killed or crashed run left behind, in the
// driver's words; "" when there were none.
QString journalReport(const std::vector<JournalRecovery>& recoveries) {
    QString text;
    for (const JournalRecovery& r : recoveries) {
        const QString journal = QString::fromStdString(r.journalPath);
        switch (r.status) {
            case JournalRecoveryStatus::RECOVERED:
                text += QString::fromUtf8("前回の計測は途中で終了していました。走行ログを復元しました：\n") +
                        QString::fromStdString(r.logPath) + "\n";
                if (r.tailCut) text += QString::fromUtf8("（最後の壊れた記録は切り捨てました）\n");
                break;
            case JournalRecoveryStatus::NOTHING: break;  // no counted pass: no log, as at a stop
            case JournalRecoveryStatus::REFUSED:
                text += journal + QString::fromUtf8("\nは計測の記録ではないため、そのままにしました。\n");
                break;
            default:
                text += QString::fromUtf8("前回の計測の記録を走行ログにできませんでした（次回の起動で再試行します）：\n") +
                        QString::fromStdString(r.error) + "\n";
                break;
        }
    }
    return text.trimmed();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::keepKeyboardFocusWithWindows();
    // The command line is one course path; further arguments are ignored.
    const std::string path = argc > 1 ? argv[1] : "";
    const bool unattended = qEnvironmentVariableIntValue("VELMORA_UNATTENDED") != 0;

    platform::SingleInstance instance("VELMORA", "velmora", "VELMORA");
    instance.openSharedMemory();
    if (!instance.acquire()) {
        if (path.empty()) {
            if (unattended)
                std::fprintf(stderr, "velmora: 警告: すでにVelmoraは起動しています。\n");
            else
                QMessageBox::warning(nullptr, QString::fromUtf8("警告"),
                                     QString::fromUtf8("すでにVelmoraは起動しています。"));
            return 0;
        }
        const int handed = instance.handOver(path);
        if (handed == 1) {
            const std::string absolute = platform::SingleInstance::absolutePath(path);
            std::fprintf(stderr, "velmora: path too long to hand over (%zu bytes, at most 255): %s\n",
                         absolute.size(), absolute.c_str());
            return 1;
        }
        return 0;  // no running window found: nothing to do, as a second launch
    }

    platform::exeDirectory();
    makeFolderDurably(driveLogDirectory());  // an existing folder or a failure is not reported here
    const QString recovered = journalReport(recoverJournals());
    applyDefaultSettings();
    std::string settingsProblem;
    loadSettingsWithReason(settingsProblem);
    loadPassTimeOption();
    forgetPointDistances();

    CaptureWindow window;
    if (unattended) {
        window.prompts() = CaptureWindow::unattendedPrompts();
        window.setTrace([](const std::string& line) {
            std::fprintf(stdout, "%s\n", line.c_str());
            std::fflush(stdout);
        });
    }
    createFlashWindow();
    window.allocateSampleBufferAndTell();
    if (!settingsProblem.empty()) {
        const QString text = QString::fromUtf8("設定ファイルの値を使えませんでした。\n")
                             + QString::fromStdString(settingsProblem);
        QTimer::singleShot(0, &window, [&window, text] { window.prompts().warning(text, QString::fromUtf8("警告")); });
    }
    instance.listen([&window, &instance](int command) {
        window.setHandoffPathSource([&instance] { return instance.sharedPath(); });
        window.handleCommand(command);
    });
    // SIGINT, SIGTERM and SIGHUP end the message loop without a question (an
    // open dialog is closed first); the shutdown after it writes the log, the
    // settings and an unsaved course, so a terminated run is never lost.
    platform::onTerminationSignal(app, [&window] { window.endWithoutQuestions(); });
    // At the end of the desktop session everything is written at once,
    // before the session manager may kill us.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager&) {
        window.endWithoutQuestions();
        window.shutdown();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.shutdown(); });

    window.show();
    if (!recovered.isEmpty()) {
        if (unattended) {
            std::fprintf(stdout, "%s\n", recovered.toUtf8().constData());
            std::fflush(stdout);
        } else {
            QMessageBox::information(&window, QString::fromUtf8("走行ログの復元"), recovered);
        }
    }
    if (window.loadCommandLineCourse(path) && captureSettings.autoStart)
        window.handleCommand(COMMAND_START);
    window.refreshCommandStates();
    window.showCoursePointsOnPanel(currentCourse());
    window.showPointDistances();

    runningWindow = &window;
    std::atexit(endAtExit);
    const int code = QApplication::exec();
    window.shutdown();
    runningWindow = nullptr;
    return code;
}
