#include "viewer/display/recording_commands.h"

#include <QFileDialog>
#include <QMessageBox>
#include <cstdio>
#include <utility>

#include "common/sjis.h"
#include "platform/gui/centre_on_owner.h"
#include "import/lap_export.h"
#include "import/viewer_import.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/display/commands.h"
#include "viewer/display/menu_table.h"

int openRecording(const std::string& path, std::string& message) {
    DriveModel previous = std::move(driveModel);
    driveModel = DriveModel{};
    std::string reason;
    if (!loadRecordingAsDrive(path, readLastCourse(), reason)) {
        message = "ファイル " + path + " を開けませんでした。\n" + reason;
        driveModel = std::move(previous);
        return LOAD_CANNOT_OPEN;
    }
    const int lap = nextCutLap(driveModel, -1);
    driveModel.currentLap = lap >= 0 ? lap : 0;
    rememberLastCourse(driveModel.course);
    message.clear();
    return LOAD_OK;
}

namespace {

void tell(QWidget* owner, const std::string& text) {
    if (unattended()) {
        std::fprintf(stderr, "quindle: エラー: %s\n", text.c_str());
        return;
    }
    QMessageBox::warning(owner, QStringLiteral("エラー"), QString::fromStdString(text));
}

std::string proposedTrackName() {
    std::string name = sjisToUtf8(fixedText(driveModel.course.name));
    if (name.empty()) name = "lap";
    for (char& c : name) c = c == '/' ? '_' : c;
    return name + "-" + std::to_string(driveModel.currentLap + 1) + ".gpx";
}

}  // namespace

void exportCurrentLapTrack(QWidget* owner) {
    if (!hasCurrentLap()) return;
    QFileDialog dialog(owner, QStringLiteral("表示ラップのGPX/KMLファイル保存"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("GPX トラック (*.gpx)"), QStringLiteral("KML 速度で色分け (*.kml)")});
    dialog.setDefaultSuffix(QStringLiteral("gpx"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("保存"));
    dialog.selectFile(QString::fromStdString(proposedTrackName()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter.contains(QStringLiteral("kml")) ? QStringLiteral("kml") : QStringLiteral("gpx"));
    });
    platform::centreOnOwnerWhenShown(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const std::string path = dialog.selectedFiles().first().toStdString();
    const int64_t date = importedRecordingPath().empty() ? fileDateUnixS(driveModel.logPath)
                                                        : importedRecordingDateUnixS();
    const WriteOutcome written = exportLap(driveModel.currentLap, path, date);
    if (written.status != 0) tell(owner, "ファイル " + path + " を保存できませんでした。\n" + written.error);
}
