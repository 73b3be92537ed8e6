#include "capture/app/input_method.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QWidget>

#include "capture/app/dialog_builder.h"

bool inputMethodOpen() { return QGuiApplication::inputMethod()->isVisible(); }

void closeInputMethod(QWidget* frame) {
    QInputMethod* method = QGuiApplication::inputMethod();
    method->reset();
    method->hide();
    returnFocusToFrame(frame);
}
