#include "viewer/display/comparison_commands.h"

#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <cstdio>
#include <string>

#include "pl/pl.h"
#include "viewer/analysis/comparison_state.h"
#include "viewer/display/commands.h"
#include "viewer/display/comparison_menu.h"
#include "viewer/display/frame.h"

namespace {

void refuse(const std::string& text) {
    if (unattended()) {
        std::fprintf(stderr, "quindle: 警告: %s\n", text.c_str());
        return;
    }
    QMessageBox::warning(plQtWindow(mainWindowId), QStringLiteral("警告"), QString::fromStdString(text));
}

// Asks for the reference lap's number; a lap without a finish cannot be one.
void chooseReferenceByNumber() {
    const int current = referenceLapOf(comparisonState, driveModel) + 1;
    const QString label = QString::fromStdString("基準ラップの番号 (1～" + std::to_string(driveModel.lapCount) + ")：");
    bool ok = false;
    const int lap = QInputDialog::getInt(plQtWindow(mainWindowId), QStringLiteral("基準ラップの指定"), label,
                                         current, 1, driveModel.lapCount, 1, &ok);
    if (!ok) return;
    if (!isValidLap(driveModel, lap - 1)) return refuse("ラップ" + std::to_string(lap) + "は完走していないため基準にできません。");
    comparisonState.referenceLap = lap;
}

}  // namespace

bool handleComparisonCommand(int id) {
    if (id == CMD_REFERENCE_BY_NUMBER) {
        if (driveModel.loaded != 0 && driveModel.lapCount > 0) chooseReferenceByNumber();
        return true;
    }
    if (!applyComparisonCommand(id, comparisonState, driveModel)) return false;
    if (id == CMD_DELTA_GRAPH) updateTitle();
    return true;
}
