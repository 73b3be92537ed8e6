#include "tools/view-shot/offscreen_gl.h"

#include <GL/gl.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

OffscreenGl::OffscreenGl(int width, int height) : width_(width), height_(height) {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    surface_ = std::make_unique<QOffscreenSurface>();
    surface_->setFormat(format);
    surface_->create();
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(format);
    if (!surface_->isValid() || !context_->create() || !context_->makeCurrent(surface_.get())) return;
    fbo_ = std::make_unique<QOpenGLFramebufferObject>(width, height, QOpenGLFramebufferObject::Depth);
    ok_ = fbo_->isValid() && fbo_->bind();
}

OffscreenGl::~OffscreenGl() {
    if (context_ && context_->makeCurrent(surface_.get())) {
        fbo_.reset();
        context_->doneCurrent();
    }
}

Rgb OffscreenGl::pixel(int x, int y) const {
    unsigned char p[4] = {0, 0, 0, 0};
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

QImage OffscreenGl::image() const {
    // Read back by hand: the frame clears with alpha 0, and a picture must
    // show the background colour, not transparency.
    QImage picture(width_, height_, QImage::Format_RGBA8888);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, picture.bits());
    for (int y = 0; y < height_; ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < width_; ++x) row[4 * x + 3] = 255;
    }
    return picture.mirrored(false, true);
}

// Under LeakSanitizer: fontconfig keeps caches it never frees, and Mesa's
// driver is unloaded with the X connection, its allocations then belonging to
// no known module. Neither is ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libGLX_mesa.so\nleak:swrast_dri.so\nleak:libLLVM\n";
}
