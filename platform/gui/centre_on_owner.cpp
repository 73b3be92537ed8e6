#include "platform/gui/centre_on_owner.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QWidget>

#include "common/dialog_placement.h"

namespace platform {

namespace {

PlacementRect toPlacement(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

class CentreOnShow : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) centreOnOwner(static_cast<QWidget*>(watched));
        return false;
    }
};

}  // namespace

void centreOnOwner(QWidget* dialog) {
    if (!dialog) return;
    QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    PlacementRect ownerRect;
    const PlacementRect* ownerRef = nullptr;
    if (owner && !owner->isMaximized()) {
        // normalGeometry() is empty for a window that was never maximised; the
        // frame geometry then is its normal rectangle.
        QRect normal = owner->normalGeometry();
        if (normal.isEmpty()) normal = owner->frameGeometry();
        ownerRect = toPlacement(normal);
        ownerRef = &ownerRect;
    }
    PlacementRect screenRect;
    PlacementRect available;
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        screenRect = {0, 0, screen->geometry().width(), screen->geometry().height()};
        available = toPlacement(screen->availableGeometry());
    }
    const QSize size = dialog->frameGeometry().size().isEmpty() ? dialog->sizeHint() : dialog->frameGeometry().size();
    const PlacementRect dialogRect{0, 0, size.width(), size.height()};
    PlacementPoint at = centreOnOwner(dialogRect, ownerRef, screenRect);
    if (screen) at = keepInside(at, dialogRect, available);
    dialog->move(at.x, at.y);
}

void centreOnOwnerWhenShown(QWidget* dialog) {
    if (dialog) dialog->installEventFilter(new CentreOnShow(dialog));
}

}  // namespace platform
