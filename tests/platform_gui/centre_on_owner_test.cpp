#include "platform/gui/centre_on_owner.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "centre_on_owner_test";
    static char* argv[] = {name, nullptr};
    static QApplication instance(argc, argv);
    return instance;
}

}  // namespace

TEST(CentreOnOwner, ADialogWithoutAnOwnerGoesToTheScreenCentre) {
    app();
    QDialog dialog;
    dialog.resize(201, 101);
    platform::centreOnOwner(&dialog);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize size = dialog.frameGeometry().size();
    EXPECT_EQ(dialog.frameGeometry().x(), screen.width() / 2 - size.width() / 2);
    EXPECT_EQ(dialog.frameGeometry().y(), screen.height() / 2 - size.height() / 2);
    EXPECT_EQ(dialog.size(), QSize(201, 101));  // never resized
}
