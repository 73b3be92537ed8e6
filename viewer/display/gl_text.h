// Text in the GL views: a string is rasterised into a one-bit mask with the
// frame font and drawn with glBitmap at a raster position.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "viewer/analysis/view_state.h"

struct FrameFont;

// Creates the font every text of one frame is drawn with and makes it the
// current frame font; the frame deletes it at its end.
FrameFont* createFrameFont(int pointSize, const char* faceName, bool bold, bool italic, bool underline,
                           bool strikeOut);
void deleteFrameFont(FrameFont* font);

// Bottom-up one-bit mask: rows of maskWidth pixels padded to 32 bits, the
// leftmost pixel in the top bit of its byte, the bottom row first (the layout
// glBitmap reads with the default unpack alignment of 4).
struct TextMask {
    std::vector<uint8_t> bits;
    int maskWidth = 0;   // pixels
    int maskHeight = 0;  // pixels
};

// Rasterises UTF-8 text with the current frame font.
TextMask renderTextMask(std::string_view text);

// Draws the text with its lower-left corner at the projection of (x, y, z).
void drawText3d(std::string_view text, const Colour& colour, float x, float y, float z);
// The same at a raster position in the coordinates of the current projection.
void drawText2d(std::string_view text, const Colour& colour, int x, int y);

// Cell height in pixels of a font of `pointSize` points at `dotsPerInch`
// (truncated, as the platform's logical-inch conversion does): 12 for 9 points
// at 96 dpi.
int frameFontCellHeight(int pointSize, int dotsPerInch);

// Switches every text drawing off or on (on at start): the frame benchmark
// measures the share of text in a frame with it.
void setGlTextEnabled(bool enabled);

// Forgets every cached mask (tests).
void clearTextMaskCache();
