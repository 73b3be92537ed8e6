// The stored colour reference: red in the low byte, then green, then blue.
#pragma once

#include <cstdint>

struct Rgb {
    int red = 0;    // 0..255
    int green = 0;
    int blue = 0;
};

constexpr Rgb rgbFromColourRef(uint32_t ref) {
    return {static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
            static_cast<int>((ref >> 16) & 0xFF)};
}
constexpr uint32_t colourRefFromRgb(Rgb c) {
    return static_cast<uint32_t>(c.red & 0xFF) | static_cast<uint32_t>(c.green & 0xFF) << 8 |
           static_cast<uint32_t>(c.blue & 0xFF) << 16;
}
