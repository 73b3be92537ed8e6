// The screen flash: a borderless window over the whole screen, filled with
// the flash colour while shown. It never takes the keyboard focus, so the
// frame's shortcuts keep working through a flash.
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include "capture/app/capture_cues.h"
#include "capture/app/colour_ref.h"
#include "capture/app/flash_window.h"
#include "capture/timing/capture_settings.h"

namespace {

class FlashWindow : public QWidget {
public:
    FlashWindow()
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus) {
        setWindowTitle("Velmora Flush");
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::NoFocus);
        // Where a maximised window would stand: the screen origin and the
        // screen's available size.
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            setGeometry(0, 0, screen->availableGeometry().width(), screen->availableGeometry().height());
        }
    }

    void flash(QColor colour) {
        colour_ = colour;
        show();
        raise();
        update();
    }

protected:
    // Unlike a single fill at show time, every repaint during the flash
    // (after another window covered it) shows the flash colour again.
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), colour_);
    }

private:
    QColor colour_ = Qt::black;
};

FlashWindow* flashWindow = nullptr;

}  // namespace

QWidget* flashWindowForTests() { return flashWindow; }

void createFlashWindow() {
    if (flashWindow == nullptr) flashWindow = new FlashWindow;
}

void setFlashWindowVisible(bool visible) {
    if (flashWindow == nullptr) return;  // no window: flashes are skipped
    if (visible) {
        const Rgb c = rgbFromColourRef(captureSettings.flashColour);
        flashWindow->flash(QColor(c.red, c.green, c.blue));
    } else {
        flashWindow->hide();
    }
}

void destroyFlashWindow() {
    delete flashWindow;
    flashWindow = nullptr;
}
