#include "platform/gui/window_focus.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace platform {

namespace {

bool takesFocus(const QWidget* w) {
    if (!w->isWindow() || w->testAttribute(Qt::WA_ShowWithoutActivating)) return false;
    return w->windowType() == Qt::Window || w->windowType() == Qt::Dialog;
}

class FocusFollowsWindows : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show && event->type() != QEvent::Hide) return false;
        if (!watched->isWidgetType()) return false;
        auto* window = static_cast<QWidget*>(watched);
        if (!takesFocus(window)) return false;
        if (event->type() == QEvent::Show) {
            window->raise();
            window->activateWindow();
        } else if (QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
                   owner != nullptr && owner->isVisible()) {
            owner->activateWindow();
        }
        return false;
    }
};

}  // namespace

void keepKeyboardFocusWithWindows() {
    static FocusFollowsWindows* filter = nullptr;
    if (filter != nullptr || qApp == nullptr) return;
    filter = new FocusFollowsWindows(qApp);
    qApp->installEventFilter(filter);
}

}  // namespace platform
