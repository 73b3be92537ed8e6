#include "common/sjis.h"

#include <gtest/gtest.h>

namespace {

TEST(Sjis, RoundTripsJapaneseAndReplacesWhatHasNoForm) {
    const std::string name = utf8ToSjis("トラック1");
    EXPECT_EQ(name, "\x83\x67\x83\x89\x83\x62\x83\x4e\x31");
    EXPECT_EQ(sjisToUtf8(name), "トラック1");
    EXPECT_EQ(utf8ToSjis("a😀b"), "a?b");
    EXPECT_EQ(sjisToUtf8("a\x82"), "a\xEF\xBF\xBD") << "a lead byte without its trail";
    EXPECT_TRUE(sjisConversionAvailable());
}

// A system whose iconv has no CP932 must not pass UTF-8 off as Shift-JIS.
TEST(Sjis, WithoutTheCodePageOnlyAsciiPassesAndTheLackIsReported) {
    setSjisCodePageForTests("NO-SUCH-CODE-PAGE");
    EXPECT_FALSE(sjisConversionAvailable());
    testing::internal::CaptureStderr();
    EXPECT_EQ(utf8ToSjis("トラック1"), "????1");
    EXPECT_EQ(sjisToUtf8("\x83\x67x"), "\xEF\xBF\xBDx") << "one replacement per double-byte character";
    const std::string said = testing::internal::GetCapturedStderr();
    setSjisCodePageForTests("");
    EXPECT_NE(said.find("CP932"), std::string::npos) << said;
    EXPECT_TRUE(sjisConversionAvailable());
}

}  // namespace
