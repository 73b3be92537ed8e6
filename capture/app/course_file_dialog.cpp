// Open and save dialogs for course files.
#include <QDir>
#include <QFileDialog>

#include "capture/app/capture_dialogs.h"
#include "capture/app/course_file_dialog.h"
#include "capture/app/dialog_builder.h"
#include "capture/app/dialog_rules.h"
#include "platform/gui/centre_on_owner.h"
#include "platform/gui/japanese_texts.h"

namespace {

FileDialogMemory fileDialogMemory;

}  // namespace

void resetFileDialogMemoryForTests() { fileDialogMemory = FileDialogMemory{}; }

int chooseCourseFile(QWidget* owner, std::string& path, bool forSaving, const std::string& titleUtf8) {
    platform::installJapaneseQtTexts();
    const CourseFileDialogSetup setup = courseFileDialogSetup(forSaving, fileDialogMemory);
    // Qt's own dialog (not the desktop's) so that it can be centred and relabelled.
    QFileDialog dialog(owner, QString::fromStdString(titleUtf8));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(setup.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(COURSE_FILE_FILTER));
    dialog.setDefaultSuffix(QString::fromUtf8(COURSE_FILE_SUFFIX));
    dialog.setSizeGripEnabled(true);
    if (setup.initialFolder == "./") {
        dialog.setDirectory(QDir::current());
    } else if (!setup.initialFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(setup.initialFolder));
    }
    if (!setup.proposedName.empty()) dialog.selectFile(QString::fromStdString(setup.proposedName));
    dialog.setLabelText(QFileDialog::Accept, QString::fromStdString(setup.okCaption));
    dialog.setLabelText(QFileDialog::Reject, "キャンセル");
    dialog.setLabelText(QFileDialog::LookIn, "ファイルの場所:");
    dialog.setLabelText(QFileDialog::FileName, "ファイル名(&N):");
    dialog.setLabelText(QFileDialog::FileType, "ファイルの種類:");
    platform::centreOnOwnerWhenShown(&dialog);

    // A cancelled dialog leaves the caller's path as it was.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return 1;
    const std::string chosen = QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
    rememberChosenFile(fileDialogMemory, chosen);
    path = chosen;
    return 0;
}
