// How the capture window ends without a user (a signal, the end of the
// session) and the prompts every command goes through, which answer
// cautiously without asking once the program is ending.
#include <QApplication>
#include <QDialog>
#include <QMessageBox>

#include <cstdio>

#include "capture/app/capture_window.h"
#include "capture/timing/command_states.h"
#include "capture/timing/course.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/measurement.h"
#include "platform/app_paths.h"

namespace {

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

void printMessage(const QString& caption, const QString& text) {
    std::fprintf(stderr, "velmora: %s: %s\n", caption.toUtf8().constData(),
                 QString(text).replace('\n', ' ').toUtf8().constData());
}

}  // namespace

void CaptureWindow::writeHeldRunToFallback() {
    const DriveLogResult log = ::writeHeldRunToFallback();
    if (log.status == DRIVE_LOG_WRITTEN)
        tellWarning(q("走行ログは保存先に書き込めなかったため、次の場所に保存しました。\n")
                        + QString::fromStdString(log.path),
                    q("警告"));
    else
        tellError(q("走行ログをどこにも書き込めませんでした。\n") + QString::fromStdString(log.error), q("エラー"));
}

void CaptureWindow::keepUnsavedCourse() {
    if (courseModified.load() == 0) return;
    const UnsavedCourseResult kept = saveUnsavedCourse(platform::recordsDirectory());
    if (kept.status == FileWriteStatus::WRITTEN)
        std::fprintf(stderr, "velmora: the unsaved course was written to %s (no course file was replaced)\n",
                     kept.path.c_str());
    else
        std::fprintf(stderr, "velmora: the unsaved course could not be written: %s\n", kept.error.c_str());
}

void CaptureWindow::closeModalDialogs() {
    // Innermost first; a box that does not go away at once is left to the
    // end of its event loop.
    for (int i = 0; i < 16; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        else modal->close();
        if (QApplication::activeModalWidget() == modal) return;
    }
}

void CaptureWindow::endWithoutQuestions() {
    if (quiet_) return;
    quiet_ = true;
    closing_ = true;
    closeModalDialogs();
    // Every running event loop ends, the nested ones of dialogs too; the
    // shutdown then runs from the main loop's end.
    QCoreApplication::exit(0);
}

void CaptureWindow::endAfterDisplayLost() {
    quiet_ = true;
    closing_ = true;
    displayLost_ = true;
    shutdown();
}

int CaptureWindow::askSave(const QString& text) {
    if (quiet_) return QMessageBox::Cancel;
    const int answer = prompts_.askSave(text);
    return quiet_ ? static_cast<int>(QMessageBox::Cancel) : answer;
}

void CaptureWindow::tellError(const QString& text, const QString& caption) {
    if (quiet_) printMessage(caption, text);
    else prompts_.error(text, caption);
}

void CaptureWindow::tellWarning(const QString& text, const QString& caption) {
    if (quiet_) printMessage(caption, text);
    else prompts_.warning(text, caption);
}

int CaptureWindow::chooseFile(std::string& path, bool forSaving, const std::string& title) {
    if (quiet_) return 1;
    const int answer = prompts_.chooseFile(path, forSaving, title);
    return quiet_ ? 1 : answer;
}

int CaptureWindow::askLogRetry(const QString& text) {
    if (quiet_) return LOG_KEEP;
    const int answer = prompts_.askLogRetry(text);
    return quiet_ ? static_cast<int>(LOG_KEEP) : answer;
}

std::string CaptureWindow::chooseLogFolder() {
    if (quiet_) return "";
    std::string folder = prompts_.chooseLogFolder();
    return quiet_ ? std::string() : folder;
}

int CaptureWindow::askCourseName() {
    if (quiet_) return 1;
    const int answer = prompts_.askCourseName();
    return quiet_ ? 1 : answer;
}
