// velmora: start-up in order, the message loop, and the orderly shutdown
// that also runs on SIGINT, SIGTERM and the end of the desktop session.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <QApplication>
#include <QMessageBox>

#include "capture/app/capture_cues.h"
#include "capture/app/capture_window.h"
#include "capture/gps/geodesy.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/command_states.h"
#include "capture/timing/course.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/pass_time_option.h"
#include "capture/timing/recorder.h"
#include "platform/exe_directory.h"
#include "platform/gui/single_instance.h"
#include "platform/gui/termination_signals.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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
            std::fprintf(stderr, "velmora: path too long to hand over (%zu bytes, at most 255): %s\n",
                         path.size(), path.c_str());
            return 1;
        }
        return 0;  // no running window found: nothing to do, as a second launch
    }

    platform::exeDirectory();
    ::mkdir(driveLogDirectory().c_str(), 0777);  // an existing folder or a failure is not reported here
    applyDefaultSettings();
    loadSettings();
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
    instance.listen([&window, &instance](int command) {
        window.setHandoffPathSource([&instance] { return instance.sharedPath(); });
        window.handleCommand(command);
    });
    // SIGINT and SIGTERM end the message loop; the shutdown after it writes the
    // log and the settings, so a terminated run is never lost.
    platform::onTerminationSignal(app, [] { QApplication::quit(); });
    // At the end of the desktop session the log and the settings are written
    // before the session manager may kill us.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window](QSessionManager&) {
        window.shutdown();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&window] { window.shutdown(); });

    window.show();
    if (window.loadCommandLineCourse(path) && captureSettings.autoStart)
        window.handleCommand(COMMAND_START);
    window.refreshCommandStates();
    window.showCoursePointsOnPanel(currentCourse());
    window.showPointDistances();

    const int code = QApplication::exec();
    window.shutdown();
    return code;
}
