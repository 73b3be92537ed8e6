// "コース名の設定": name and type of a new course, asked when measuring starts.
#include <QButtonGroup>
#include <QLineEdit>
#include <QRadioButton>

#include "capture/app/capture_dialogs.h"
#include "capture/app/dialog_builder.h"
#include "capture/app/dialog_rules.h"
#include "capture/app/input_method.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/course.h"

namespace {

constexpr int COURSE_NAME_EDIT = 1018;
constexpr int RADIO_FOR_TYPE[] = {1019, 1020, 1021};  // loop, open, open return

}  // namespace

int askCourseName(QWidget* owner) {
    Course course = currentCourse();
    if (!courseNeedsName(course)) return 0;
    TemplateDialog dialog(owner, courseNameDialogTemplate());
    auto* name = dialog.control<QLineEdit>(COURSE_NAME_EDIT);
    name->setMaxLength(COURSE_NAME_BYTES - 1);
    name->setText(QString::fromStdString(presetCourseName(captureSettings)));
    if (const auto type = presetCourseType(captureSettings))
        dialog.control<QRadioButton>(RADIO_FOR_TYPE[*type])->setChecked(true);

    if (dialog.exec() != QDialog::Accepted) return 1;
    std::optional<int32_t> checked;
    for (int32_t type = 0; type < 3 && !checked; ++type) {
        if (dialog.control<QRadioButton>(RADIO_FOR_TYPE[type])->isChecked()) checked = type;
    }
    applyCourseName(name->text().toStdString(), checked, course, captureSettings);
    setCourseNameAndType(course.name, course.courseType);
    // The name may have come through the input method; close it so the
    // frame's Space and Ctrl shortcuts work again.
    closeInputMethod(owner);
    return 0;
}
