// A GL compatibility-profile context on an offscreen surface, drawing into a
// framebuffer object of a fixed size with a depth buffer: the views render
// into it exactly as into the viewer's window, and the pixels can be read back.
// Needs a QGuiApplication (under X: a display, e.g. Xvfb).
#pragma once

#include <memory>

#include <QImage>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

struct Rgb {
    int r = 0, g = 0, b = 0;  // 0..255
};

class OffscreenGl {
public:
    OffscreenGl(int width, int height);
    ~OffscreenGl();
    OffscreenGl(const OffscreenGl&) = delete;
    OffscreenGl& operator=(const OffscreenGl&) = delete;

    bool ok() const { return ok_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Pixel at GL window coordinates (origin bottom left), after glFinish.
    Rgb pixel(int x, int y) const;
    // The whole picture, top row first.
    QImage image() const;

private:
    int width_;
    int height_;
    bool ok_ = false;
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
};
