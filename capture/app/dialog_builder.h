// One builder for the dialog templates of dialog_layout.h, and the small
// pieces every dialog of the capture program shares: the dialog font, the
// Japanese texts of Qt's own dialogs, centring and the focus hand-back.
#pragma once

#include <QDialog>
#include <functional>

#include "capture/app/dialog_layout.h"

class QComboBox;
class QLineEdit;
class QAbstractButton;

// The dialog font: MS Gothic where installed, else IPAGothic.
QFont dialogFont();

// Gives the keyboard focus back to the frame so its shortcuts work again.
void returnFocusToFrame(QWidget* frame);

// A modal dialog built from a template, sized in dialog units of dialogFont()
// and centred over its owner when shown. Each control's object name is its
// id ("1025"), so callers and tests find it with control<T>(id).
class TemplateDialog : public QDialog {
public:
    TemplateDialog(QWidget* owner, const DialogTemplate& dialogTemplate);

    template <class T>
    T* control(int id) const {
        return findChild<T*>(QString::number(id));
    }

    // Run before OK closes the dialog; returning false keeps it open.
    void setAcceptCheck(std::function<bool()> check) { acceptCheck_ = std::move(check); }

    void accept() override;

private:
    void addControl(const DialogControl& control, int avgWidth, int height);

    std::function<bool()> acceptCheck_;
    class QButtonGroup* radios_ = nullptr;
};
