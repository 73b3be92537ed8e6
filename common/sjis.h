// Shift-JIS (code page 932) <-> UTF-8 at the boundary between stored text and the UI.
#pragma once

#include <string>
#include <string_view>

// Converts Shift-JIS bytes to UTF-8. Bytes that do not convert become U+FFFD
// and conversion goes on, so a damaged name still shows.
std::string sjisToUtf8(std::string_view sjis);

// Converts UTF-8 to Shift-JIS. Characters without a Shift-JIS form become "?".
std::string utf8ToSjis(std::string_view utf8);

// Whether the system's iconv has CP932. Without it both conversions keep
// ASCII and replace every other character (never passing UTF-8 bytes off as
// Shift-JIS), the first attempt says so on stderr once, and file writers
// refuse with SJIS_UNAVAILABLE as their reason.
bool sjisConversionAvailable();
inline constexpr const char* SJIS_UNAVAILABLE =
    "no Shift-JIS conversion: iconv has no CP932 (the C library's gconv modules are missing)";

// Tests only: the code page iconv is asked for ("" restores CP932).
void setSjisCodePageForTests(const char* codePage);

// Copies the text before the first NUL of a fixed char array.
template <size_t N>
std::string_view fixedText(const char (&field)[N]) {
    size_t n = 0;
    while (n < N && field[n] != '\0') ++n;
    return std::string_view(field, n);
}
