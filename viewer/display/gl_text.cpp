// Text in the GL views. A string is drawn with QPainter into a one-bit
// QImage of one character cell's height; flipped bottom-up, the image's rows
// (32-bit aligned, leftmost pixel in the top bit) are exactly what glBitmap
// reads with GL's default unpack state, so the bits are handed over as they are.
//
// The views redraw the same labels every frame (markers, titles, the overlay,
// corner labels), so finished masks are kept per font and string in a small
// bounded cache instead of being rasterised again each frame.
//
// glBitmap itself is slow under software GL (Mesa turns every call into a
// fresh texture and waits for the rasteriser), so each mask is also kept as
// an alpha texture of the GL context and drawn as a quad in window pixels at
// the raster position: alpha-tested, in the raster colour, at the raster
// position's depth. That writes exactly the fragments glBitmap writes: the
// mask's 1 bits at floor(raster position), none when the position is invalid,
// depth-tested like any fragment.
#include "viewer/display/gl_text.h"

#include <GL/gl.h>

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QObject>
#include <QOpenGLContext>
#include <QPointer>
#include <QPainter>
#include <QScreen>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>

struct FrameFont {
    QFont font;
    int cellHeight = 0;  // pixels: the mask height of every string
    int baseline = 0;    // pixels from the cell's top to the baseline
    std::string key;     // identifies the font in the mask cache
};

namespace {

FrameFont* currentFont = nullptr;
bool textEnabled = true;

constexpr size_t MASK_CACHE_LIMIT = 2048;  // masks; a lap's corner labels and the overlay fit many times

std::unordered_map<std::string, TextMask>& maskCache() {
    static std::unordered_map<std::string, TextMask> cache;
    return cache;
}

int logicalDpiY() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen ? int(screen->logicalDotsPerInchY() + 0.5) : 0;
    return dpi > 0 ? dpi : 96;
}

FrameFont* defaultFont() {
    static FrameFont* font = createFrameFont(9, "ＭＳ ゴシック", false, false, false, false);
    return font;
}

TextMask rasterise(const FrameFont& f, std::string_view text) {
    TextMask mask;
    const QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const int w = QFontMetrics(f.font).horizontalAdvance(s);
    if (w <= 0 || f.cellHeight <= 0) return mask;  // nothing to draw
    QImage image(w, f.cellHeight, QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    image.fill(0);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(f.font);
        painter.setPen(QColor(Qt::white));  // colour 1 of the table: the text bits
        painter.drawText(0, f.baseline, s);
    }
    const QImage flipped = image.mirrored(false, true);
    const int rowBytes = (w + 31) / 32 * 4;
    mask.maskWidth = rowBytes * 8;
    mask.maskHeight = f.cellHeight;
    mask.bits.assign(size_t(rowBytes) * size_t(f.cellHeight), 0);
    // QImage leaves the bits right of the width undefined; the mask needs
    // them 0 so they draw nothing.
    const int fullBytes = w / 8;
    const uint8_t lastByteMask = uint8_t(0xFF00 >> (w % 8));
    for (int row = 0; row < f.cellHeight; ++row) {
        uint8_t* out = mask.bits.data() + size_t(row) * size_t(rowBytes);
        std::memcpy(out, flipped.constScanLine(row), size_t(fullBytes));
        if (w % 8) out[fullBytes] = flipped.constScanLine(row)[fullBytes] & lastByteMask;
    }
    return mask;
}

std::string cacheKey(std::string_view text);

const TextMask& cachedMask(std::string_view text) {
    const FrameFont& f = currentFont ? *currentFont : *defaultFont();
    std::string key = cacheKey(text);
    auto& cache = maskCache();
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    if (cache.size() >= MASK_CACHE_LIMIT) cache.clear();  // labels of a new lap: start over
    return cache.emplace(std::move(key), rasterise(f, text)).first->second;
}

std::string cacheKey(std::string_view text) {
    const FrameFont& f = currentFont ? *currentFont : *defaultFont();
    std::string key = f.key;
    key.push_back('\0');
    key.append(text);
    return key;
}

// The mask textures of one GL context. Texture names belong to their
// context, so each context has its own table, a child object of the context:
// it goes when the context goes (and its textures with it), and a later
// context, wherever it is allocated, starts with an empty one.
class ContextTextures : public QObject {
public:
    explicit ContextTextures(QOpenGLContext* context) : QObject(context) { setObjectName(NAME); }
    static constexpr const char* NAME = "frame-text-textures";
    std::unordered_map<std::string, GLuint> textures;
};

ContextTextures* findOrCreateTextures(QOpenGLContext* context) {
    if (auto* found = context->findChild<QObject*>(ContextTextures::NAME, Qt::FindDirectChildrenOnly))
        return static_cast<ContextTextures*>(found);  // only this file names a child so
    return new ContextTextures(context);
}

ContextTextures* contextTextures(QOpenGLContext* context) {
    static QPointer<ContextTextures> last;  // cleared when its context goes
    if (last && last->parent() == context) return last;
    last = findOrCreateTextures(context);
    return last;
}

GLuint uploadMask(const TextMask& mask) {
    std::vector<uint8_t> alpha(size_t(mask.maskWidth) * size_t(mask.maskHeight));
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = (mask.bits[i / 8] & (0x80 >> (i % 8))) ? 255 : 0;
    GLuint id = 0;
    glGenTextures(1, &id);
    glPushAttrib(GL_TEXTURE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, mask.maskWidth, mask.maskHeight, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 alpha.data());
    glPopClientAttrib();
    glPopAttrib();
    return id;
}

// The texture of the mask in the current context; 0 without a Qt context.
GLuint maskTexture(const std::string& key, const TextMask& mask) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (!context) return 0;
    auto& textures = contextTextures(context)->textures;
    auto it = textures.find(key);
    if (it != textures.end()) return it->second;
    if (textures.size() >= MASK_CACHE_LIMIT) {  // labels of a new lap: start over
        for (const auto& entry : textures) glDeleteTextures(1, &entry.second);
        textures.clear();
    }
    return textures.emplace(key, uploadMask(mask)).first->second;
}

// The mask as a quad of window pixels with its lower-left corner at (x, y)
// and depth z (window coordinates).
void drawMaskQuad(GLuint texture, const TextMask& mask, float x, float y, float z) {
    GLint viewport[4] = {0, 0, 1, 1};
    GLfloat depthRange[2] = {0.0f, 1.0f};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetFloatv(GL_DEPTH_RANGE, depthRange);
    // An orthographic box whose object coordinates are window pixels and
    // whose eye depth maps onto window depth: z_window = near + (far - near) * d.
    const float span = depthRange[1] - depthRange[0];
    const float d = span != 0.0f ? (z - depthRange[0]) / span : 0.0f;
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_POLYGON_BIT | GL_TRANSFORM_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], 0.0, -1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_POLYGON_STIPPLE);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);  // colour: the current one; alpha: the bit
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    const float w = float(mask.maskWidth), h = float(mask.maskHeight);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(x, y, d);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(x + w, y, d);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(x + w, y + h, d);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(x, y + h, d);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

// Draws the mask at the current raster position, as glBitmap would, and
// moves the raster position on by the mask's width as glBitmap does.
void drawMask(const std::string& key, const TextMask& mask) {
    if (mask.maskWidth == 0) return;
    GLboolean valid = GL_FALSE;
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (!valid) return;  // glBitmap draws nothing and leaves the position alone
    const GLuint texture = maskTexture(key, mask);
    if (texture == 0) {
        glBitmap(mask.maskWidth, mask.maskHeight, 0.0f, 0.0f, float(mask.maskWidth), 0.0f, mask.bits.data());
        return;
    }
    GLfloat raster[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    GLfloat colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    glColor4fv(colour);  // the raster colour: the current colour when the position was set
    drawMaskQuad(texture, mask, std::floor(raster[0]), std::floor(raster[1]), raster[2]);
    glBitmap(0, 0, 0.0f, 0.0f, float(mask.maskWidth), 0.0f, nullptr);
}

}  // namespace

int frameFontCellHeight(int pointSize, int dotsPerInch) { return pointSize * dotsPerInch / 72; }

FrameFont* createFrameFont(int pointSize, const char* faceName, bool bold, bool italic, bool underline,
                           bool strikeOut) {
    auto* f = new FrameFont;
    f->cellHeight = frameFontCellHeight(pointSize, logicalDpiY());
    QStringList families{QString::fromUtf8(faceName), "MS Gothic", "ＭＳ ゴシック", "IPAGothic"};
    families.removeDuplicates();
    f->font.setFamilies(families);
    f->font.setBold(bold);
    f->font.setItalic(italic);
    f->font.setUnderline(underline);
    f->font.setStrikeOut(strikeOut);
    f->font.setStyleStrategy(QFont::NoAntialias);
    // The cell height names the whole cell (ascent plus descent), as a
    // positive Windows font height does: take the largest pixel size whose
    // cell fits, so every mask is exactly cellHeight rows.
    int pixels = std::max(1, f->cellHeight);
    f->font.setPixelSize(pixels);
    while (pixels > 1 && QFontMetrics(f->font).height() > f->cellHeight) f->font.setPixelSize(--pixels);
    const QFontMetrics metrics(f->font);
    f->baseline = std::max(0, f->cellHeight - metrics.descent());
    f->key = f->font.key().toStdString() + '|' + std::to_string(f->cellHeight);
    currentFont = f;
    return f;
}

void deleteFrameFont(FrameFont* font) {
    if (currentFont == font) currentFont = nullptr;
    delete font;
}

TextMask renderTextMask(std::string_view text) { return cachedMask(text); }

void drawText3d(std::string_view text, const Colour& colour, float x, float y, float z) {
    if (!textEnabled) return;
    const std::string key = cacheKey(text);
    const TextMask& mask = cachedMask(text);
    glColor3f(colour.r, colour.g, colour.b);  // before the raster position: it takes the current colour
    glRasterPos3f(x, y, z);
    drawMask(key, mask);
}

void drawText2d(std::string_view text, const Colour& colour, int x, int y) {
    if (!textEnabled) return;
    const std::string key = cacheKey(text);
    const TextMask& mask = cachedMask(text);
    glColor3f(colour.r, colour.g, colour.b);
    glRasterPos2f(float(x), float(y));
    drawMask(key, mask);
}

void setGlTextEnabled(bool enabled) { textEnabled = enabled; }

void clearTextMaskCache() { maskCache().clear(); }
