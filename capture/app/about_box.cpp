// "バージョン情報": product name and version.
#include "capture/app/capture_dialogs.h"
#include "capture/app/dialog_builder.h"

void showAboutBox(QWidget* owner) {
    TemplateDialog dialog(owner, aboutBoxTemplate());
    dialog.exec();
}
