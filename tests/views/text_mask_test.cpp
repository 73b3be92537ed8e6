#include <GL/gl.h>

#include <vector>

#include "tests/views/views_test_support.h"
#include "viewer/display/gl_text.h"

namespace {

bool bit(const TextMask& m, int x, int rowFromBottom) {
    return m.bits[size_t(rowFromBottom * m.maskWidth / 8 + x / 8)] & (0x80 >> (x % 8));
}

// Columns [first, last] holding text pixels; {-1, -1} for an empty mask.
std::pair<int, int> inkColumns(const TextMask& m) {
    int first = -1, last = -1;
    for (int x = 0; x < m.maskWidth; ++x)
        for (int r = 0; r < m.maskHeight; ++r)
            if (bit(m, x, r)) {
                if (first < 0) first = x;
                last = x;
            }
    return {first, last};
}

class TextMasks : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGuiApplication();
        clearTextMaskCache();
        font_ = createFrameFont(9, "ＭＳ ゴシック", false, false, false, false);
    }
    void TearDown() override { deleteFrameFont(font_); }
    FrameFont* font_ = nullptr;
};

TEST(FrameFontCell, NinePointsAtNinetySixDpiIsTwelvePixelsHigh) {
    EXPECT_EQ(frameFontCellHeight(9, 96), 12);
    EXPECT_EQ(frameFontCellHeight(9, 120), 15);
    EXPECT_EQ(frameFontCellHeight(10, 96), 13) << "13.33 truncates";
}

TEST_F(TextMasks, EveryMaskIsOneCellHighWithRowsRoundedToThirtyTwoBits) {
    const int cell = renderTextMask("0").maskHeight;
    EXPECT_GE(cell, 9);
    for (const char* text : {"0", "8.3", "C=12 (85km/h:4.6m)", "最高速度地点", "ラップ No. : 1/12",
                             "走行距離 : 2.275 Km......................................"}) {
        SCOPED_TRACE(text);
        const TextMask m = renderTextMask(text);
        EXPECT_EQ(m.maskHeight, cell) << "the cell height, not the glyphs' own";
        ASSERT_GT(m.maskWidth, 0);
        EXPECT_EQ(m.maskWidth % 32, 0);
        EXPECT_EQ(m.bits.size(), size_t(m.maskWidth / 8 * m.maskHeight));
        const auto [first, last] = inkColumns(m);
        ASSERT_GE(first, 0) << "text pixels are 1 bits";
        EXPECT_LT(first, 4) << "drawn from the left edge";
        EXPECT_GT(last, m.maskWidth - 32 - 8) << "the width is the text's, rounded up by less than 32";
    }
}

TEST_F(TextMasks, DoubleByteStringsAreMeasuredAndDrawnWhole) {
    const TextMask one = renderTextMask("計");
    const TextMask four = renderTextMask("計測地点");
    const auto [oneFirst, oneLast] = inkColumns(one);
    const auto [fourFirst, fourLast] = inkColumns(four);
    ASSERT_GE(oneFirst, 0);
    ASSERT_GE(fourFirst, 0);
    const int glyph = one.maskHeight;  // a full-width glyph advances about one cell
    EXPECT_GT(fourLast - fourFirst, 3 * glyph - glyph / 2) << "all four characters, not the first bytes";
    EXPECT_LT(four.maskWidth, 4 * glyph + 32) << "measured as four characters, not twelve bytes";
}

TEST_F(TextMasks, RepeatedStringsComeBackIdentical) {
    const TextMask a = renderTextMask("C=3 (62km/h)");
    const TextMask b = renderTextMask("C=3 (62km/h)");
    EXPECT_EQ(a.bits, b.bits);
    EXPECT_NE(renderTextMask("C=3 (63km/h)").bits, a.bits);
}

class TextOnScreen : public ::testing::Test {
protected:
    void SetUp() override { resetToBareView(); }
    static void pixelOrtho() {
        glViewport(0, 0, CANVAS, CANVAS);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, CANVAS, 0, CANVAS, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

// Whether the canvas shows exactly the mask of `text` in `colour` (and black
// around it) with its lower-left corner at (x, y); counts the text pixels.
int expectMaskAt(const GlCanvas& canvas, const char* text, const Colour& colour, int x0, int y0) {
    const TextMask m = renderTextMask(text);
    int ink = 0;
    for (int r = 0; r < m.maskHeight; ++r)
        for (int x = 0; x < m.maskWidth; ++x) {
            const Rgb p = canvas.at(x0 + x, y0 + r);
            const bool on = bit(m, x, r);
            ink += on;
            EXPECT_TRUE(sameColour(p, on ? colour : Colour{}, 0)) << "pixel " << x << "," << r << " is " << describe(p);
            if (!sameColour(p, on ? colour : Colour{}, 0)) return ink;
        }
    return ink;
}

TEST_F(TextOnScreen, ALabelsPixelsAreItsMaskAtItsLowerLeftCorner) {
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    FrameFont* font = createFrameFont(9, "ＭＳ ゴシック", false, false, false, false);
    pixelOrtho();
    const char* text = "最高速度地点 143.2";
    drawText2d(text, Colour{1.0f, 1.0f, 0.0f}, 20, 30);
    EXPECT_GT(expectMaskAt(canvas, text, Colour{1.0f, 1.0f, 0.0f}, 20, 30), 50);
    EXPECT_TRUE(sameColour(canvas.at(19, 30), Colour{})) << "nothing left of the anchor";
    EXPECT_TRUE(sameColour(canvas.at(20, 29), Colour{})) << "nothing below it";
    deleteFrameFont(font);
}

// The whole picture, bottom row first.
std::vector<uint8_t> readCanvas() {
    std::vector<uint8_t> pixels(size_t(CANVAS) * CANVAS * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, CANVAS, CANVAS, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// A grey square in front (z 0.5: window depth 0.25) over the right half of
// where the labels go, with depth testing on as the 3D view's markers have it.
void depthTestedScene() {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glColor3f(0.5f, 0.5f, 0.5f);
    glBegin(GL_QUADS);
    glVertex3f(60.0f, 0.0f, 0.5f);
    glVertex3f(256.0f, 0.0f, 0.5f);
    glVertex3f(256.0f, 256.0f, 0.5f);
    glVertex3f(60.0f, 256.0f, 0.5f);
    glEnd();
}

TEST_F(TextOnScreen, LabelsWriteExactlyTheFragmentsABitmapWrites) {
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    FrameFont* font = createFrameFont(9, "ＭＳ ゴシック", false, false, false, false);
    const char* text = "C=12 (85km/h:4.6m) 計測地点";
    const Colour colour{0.0f, 1.0f, 0.0f};
    const TextMask m = renderTextMask(text);
    struct Anchor {
        float x, y, z;
        const char* what;
    };
    // Fractional positions (the bitmap starts at the floor), a label behind
    // and one in front of the square, and labels running off the right and
    // top edges.
    for (const Anchor a : {Anchor{20.0f, 30.0f, 0.0f, "whole pixels, behind"}, Anchor{20.7f, 40.4f, 0.0f, "fractions"},
                           Anchor{20.2f, 50.9f, 0.9f, "in front"}, Anchor{200.5f, 100.0f, 0.9f, "off the right edge"},
                           Anchor{30.0f, 250.3f, -0.9f, "off the top edge, behind"}}) {
        SCOPED_TRACE(a.what);
        pixelOrtho();
        depthTestedScene();
        drawText3d(text, colour, a.x, a.y, a.z);
        const std::vector<uint8_t> drawn = readCanvas();
        pixelOrtho();
        depthTestedScene();
        glColor3f(colour.r, colour.g, colour.b);
        glRasterPos3f(a.x, a.y, a.z);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glBitmap(m.maskWidth, m.maskHeight, 0.0f, 0.0f, float(m.maskWidth), 0.0f, m.bits.data());
        const std::vector<uint8_t> reference = readCanvas();
        glDisable(GL_DEPTH_TEST);
        size_t differing = 0, ink = 0;
        for (size_t i = 0; i < drawn.size(); i += 4) {
            differing += drawn[i] != reference[i] || drawn[i + 1] != reference[i + 1] || drawn[i + 2] != reference[i + 2];
            ink += reference[i + 1] == 255 && reference[i] == 0;
        }
        EXPECT_EQ(differing, 0u);
        EXPECT_GT(ink, 20u) << "the reference shows the label";
    }
    deleteFrameFont(font);
}

TEST_F(TextOnScreen, ALabelDrawsAgainInTheNextGlContext) {
    // Texture names belong to a context: a label cached in one must be
    // drawn anew in the next, even when the new one reuses the old names.
    const char* text = "ゴール";
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        GlCanvas canvas;
        REQUIRE_GL(canvas);
        FrameFont* font = createFrameFont(9, "ＭＳ ゴシック", false, false, false, false);
        pixelOrtho();
        GLuint other = 0;
        glGenTextures(1, &other);  // a texture of this context that may take an old label's name
        glBindTexture(GL_TEXTURE_2D, other);
        const std::vector<uint8_t> full(16, 255);  // 2 x 2, rows padded to 4 bytes
        glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, 2, 2, 0, GL_ALPHA, GL_UNSIGNED_BYTE, full.data());
        drawText2d(text, Colour{1.0f, 0.0f, 0.0f}, 40, 60);
        EXPECT_GT(expectMaskAt(canvas, text, Colour{1.0f, 0.0f, 0.0f}, 40, 60), 20);
        deleteFrameFont(font);
    }
}

TEST_F(TextOnScreen, ALabelAnchoredOutsideTheViewIsNotDrawnAtAll) {
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    FrameFont* font = createFrameFont(9, "ＭＳ ゴシック", false, false, false, false);
    pixelOrtho();
    // The anchor lies just left of the window: the text would reach inside.
    drawText3d("ゴール ゴール ゴール", Colour{1.0f, 0.0f, 0.0f}, -3.0f, 100.0f, 0.0f);
    for (int x = 0; x < 80; ++x)
        for (int y = 95; y < 115; ++y) ASSERT_TRUE(sameColour(canvas.at(x, y), Colour{})) << x << "," << y;
    deleteFrameFont(font);
}

}  // namespace
