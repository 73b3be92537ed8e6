#include "platform/gui/japanese_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

void installJapaneseQtTexts() {
    static bool installed = false;
    if (installed || QCoreApplication::instance() == nullptr) return;
    installed = true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

QFont japaneseDialogFont(int points) {
    QFont font;
    font.setFamilies({"MS Gothic", "ＭＳ ゴシック", "IPAGothic"});
    font.setPointSize(points);
    return font;
}

}  // namespace platform
