// Text in the GL views. A string is drawn with QPainter into a one-bit
// QImage of one character cell's height; flipped bottom-up, the image's rows
// (32-bit aligned, leftmost pixel in the top bit) are exactly what glBitmap
// reads with GL's default unpack state, so the bits are handed over as they are.
//
// The views redraw the same labels every frame (markers, titles, the overlay,
// corner labels), so finished masks are kept per font and string in a small
// bounded cache instead of being rasterised again each frame.
#include "viewer/display/gl_text.h"

#include <GL/gl.h>

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QString>
#include <QStringList>

#include <algorithm>
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

const TextMask& cachedMask(std::string_view text) {
    const FrameFont& f = currentFont ? *currentFont : *defaultFont();
    std::string key = f.key;
    key.push_back('\0');
    key.append(text);
    auto& cache = maskCache();
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    if (cache.size() >= MASK_CACHE_LIMIT) cache.clear();  // labels of a new lap: start over
    return cache.emplace(std::move(key), rasterise(f, text)).first->second;
}

void drawMask(const TextMask& mask) {
    if (mask.maskWidth == 0) return;
    glBitmap(mask.maskWidth, mask.maskHeight, 0.0f, 0.0f, float(mask.maskWidth), 0.0f, mask.bits.data());
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
    const TextMask& mask = cachedMask(text);
    glColor3f(colour.r, colour.g, colour.b);  // before the raster position: it takes the current colour
    glRasterPos3f(x, y, z);
    drawMask(mask);
}

void drawText2d(std::string_view text, const Colour& colour, int x, int y) {
    if (!textEnabled) return;
    const TextMask& mask = cachedMask(text);
    glColor3f(colour.r, colour.g, colour.b);
    glRasterPos2f(float(x), float(y));
    drawMask(mask);
}

void setGlTextEnabled(bool enabled) { textEnabled = enabled; }

void clearTextMaskCache() { maskCache().clear(); }
