#include "capture/app/dialog_builder.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/gui/centre_on_owner.h"
#include "platform/gui/japanese_texts.h"

namespace {

// Points of the dialog font. Japanese dialogs use 9 pt so that kanji stay legible.
constexpr int DIALOG_FONT_POINTS = 9;

}  // namespace

QFont dialogFont() { return platform::japaneseDialogFont(DIALOG_FONT_POINTS); }

void returnFocusToFrame(QWidget* frame) {
    if (frame == nullptr) return;
    frame->activateWindow();
    frame->setFocus(Qt::OtherFocusReason);
}

TemplateDialog::TemplateDialog(QWidget* owner, const DialogTemplate& dialogTemplate)
    : QDialog(owner) {
    platform::installJapaneseQtTexts();
    setObjectName(QString::number(dialogTemplate.resourceId));
    setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    setFont(dialogFont());
    const QFontMetrics metrics(font());
    const int avgWidth = metrics.averageCharWidth();
    const int height = metrics.height();
    const PixelRect size =
        dluToPixels({0, 0, dialogTemplate.widthDlu, dialogTemplate.heightDlu}, avgWidth, height);
    setFixedSize(size.width, size.height);
    for (size_t i = 0; i < dialogTemplate.controlCount; ++i) {
        addControl(dialogTemplate.controls[i], avgWidth, height);
    }
    platform::centreOnOwnerWhenShown(this);
}

void TemplateDialog::addControl(const DialogControl& control, int avgWidth, int height) {
    const QString text = QString::fromUtf8(control.text);
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::LABEL:
        widget = new QLabel(text, this);
        break;
    case ControlKind::COMBO: {
        auto* combo = new QComboBox(this);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(12);
        widget = combo;
        break;
    }
    case ControlKind::EDIT:
        widget = new QLineEdit(this);
        break;
    case ControlKind::CHECK_BOX:
        widget = new QCheckBox(text, this);
        break;
    case ControlKind::RADIO: {
        auto* radio = new QRadioButton(text, this);
        if (radios_ == nullptr) radios_ = new QButtonGroup(this);
        radios_->addButton(radio, control.id);
        widget = radio;
        break;
    }
    case ControlKind::BUTTON:
    case ControlKind::DEFAULT_BUTTON: {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(false);
        button->setDefault(control.kind == ControlKind::DEFAULT_BUTTON);
        if (control.id == CONTROL_OK) connect(button, &QPushButton::clicked, this, &QDialog::accept);
        if (control.id == CONTROL_CANCEL) connect(button, &QPushButton::clicked, this, &QDialog::reject);
        widget = button;
        break;
    }
    }
    if (control.id != CONTROL_STATIC) widget->setObjectName(QString::number(control.id));
    const PixelRect r = dluToPixels(control.rect, avgWidth, height);
    widget->setGeometry(r.x, r.y, r.width, r.height);
}

void TemplateDialog::accept() {
    if (acceptCheck_ && !acceptCheck_()) return;
    QDialog::accept();
}
