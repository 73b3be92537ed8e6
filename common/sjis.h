// Shift-JIS (code page 932) <-> UTF-8 at the boundary between stored text and the UI.
#pragma once

#include <string>
#include <string_view>

// Converts Shift-JIS bytes to UTF-8. Bytes that do not convert become U+FFFD
// and conversion goes on, so a damaged name still shows.
std::string sjisToUtf8(std::string_view sjis);

// Converts UTF-8 to Shift-JIS. Characters without a Shift-JIS form become "?".
std::string utf8ToSjis(std::string_view utf8);

// Copies the text before the first NUL of a fixed char array.
template <size_t N>
std::string_view fixedText(const char (&field)[N]) {
    size_t n = 0;
    while (n < N && field[n] != '\0') ++n;
    return std::string_view(field, n);
}
