#include <gtest/gtest.h>

#include "common/sjis.h"

namespace {

TEST(ShiftJis, RoundTripsJapaneseText) {
    const std::string utf8 = "ループコース";
    std::string sjis = utf8ToSjis(utf8);
    EXPECT_EQ(sjis, "\x83\x8B\x81\x5B\x83\x76\x83\x52\x81\x5B\x83\x58");
    EXPECT_EQ(sjisToUtf8(sjis), utf8);
}

TEST(ShiftJis, HalfWidthKatakanaAndAsciiConvert) {
    EXPECT_EQ(sjisToUtf8("\xCA\xB2"), "ﾊｲ");
    EXPECT_EQ(utf8ToSjis("abc 123"), "abc 123");
}

TEST(ShiftJis, BadBytesAreReplacedNotLost) {
    // A lone lead byte at the end, then an unconvertible character.
    EXPECT_EQ(sjisToUtf8("ab\x83"), "ab\xEF\xBF\xBD");
    EXPECT_EQ(utf8ToSjis("a😀b"), "a?b");
}

TEST(ShiftJis, FixedTextStopsAtNul) {
    char field[8] = {'a', 'b', '\0', 'x'};
    EXPECT_EQ(fixedText(field), "ab");
    char full[3] = {'a', 'b', 'c'};
    EXPECT_EQ(fixedText(full), "abc");
}

}  // namespace
