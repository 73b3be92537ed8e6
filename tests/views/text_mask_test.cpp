#include <GL/gl.h>

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

TEST_F(TextOnScreen, ALabelsPixelsAreItsMaskAtItsLowerLeftCorner) {
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    FrameFont* font = createFrameFont(9, "ＭＳ ゴシック", false, false, false, false);
    pixelOrtho();
    const char* text = "最高速度地点 143.2";
    drawText2d(text, Colour{1.0f, 1.0f, 0.0f}, 20, 30);
    const TextMask m = renderTextMask(text);
    int ink = 0;
    for (int r = 0; r < m.maskHeight; ++r)
        for (int x = 0; x < m.maskWidth; ++x) {
            const Rgb p = canvas.at(20 + x, 30 + r);
            const bool on = bit(m, x, r);
            ink += on;
            ASSERT_TRUE(sameColour(p, on ? Colour{1.0f, 1.0f, 0.0f} : Colour{}, 0))
                << "pixel " << x << "," << r << " is " << describe(p);
        }
    EXPECT_GT(ink, 50);
    EXPECT_TRUE(sameColour(canvas.at(19, 30), Colour{})) << "nothing left of the anchor";
    EXPECT_TRUE(sameColour(canvas.at(20, 29), Colour{})) << "nothing below it";
    deleteFrameFont(font);
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
