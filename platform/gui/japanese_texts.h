// The Japanese face of Qt's own dialogs in both programs: Qt's translations
// for the standard buttons and dialogs, and the Japanese dialog font.
#pragma once

#include <QFont>

namespace platform {

// Loads Qt's Japanese translation (qtbase_ja) once; without it installed
// Qt's own texts stay English. Needs the application object.
void installJapaneseQtTexts();

// "MS Gothic" where present, else its Linux stand-in IPAGothic, at `points`.
QFont japaneseDialogFont(int points);

}  // namespace platform
