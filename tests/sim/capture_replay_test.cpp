#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tools/gps-sim/emission_plan.h"
#include "tools/gps-sim/nmea_replay.h"

using namespace gpssim;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace

TEST(CaptureReplay, EveryLineEndsInCrLfAndOtherBytesAreKept) {
    std::string capture("$GPRMC,2\r\n\r\n\x00\x10garbage$GP\nlast", 29);
    std::vector<std::string> lines = splitCaptureLines(capture);
    EXPECT_EQ(lines, (std::vector<std::string>{"$GPRMC,2\r\n", "\r\n", std::string("\x00\x10garbage$GP\r\n", 14),
                                               "last\r\n"}));
    EXPECT_TRUE(splitCaptureLines("").empty());
}

TEST(CaptureReplay, RealCaptureKeepsItsBytesApartFromLineEnds) {
    // The cold-boot capture mixes CRLF, NULs inside sentences and runs sentences together.
    std::string capture = readFile(TEST_DATA_DIR "/nmea/gp-320fw-2019-04-07-coldboot.nmea");
    ASSERT_FALSE(capture.empty());
    std::string sent;
    for (const std::string& line : splitCaptureLines(capture)) sent += line;
    std::string expected;
    for (std::size_t i = 0; i < capture.size(); ++i) {
        if (capture[i] == '\n') {
            if (expected.empty() || expected.back() != '\r') expected += '\r';
        }
        expected += capture[i];
    }
    if (!capture.empty() && capture.back() != '\n') expected += "\r\n";
    EXPECT_EQ(sent, expected);
    EXPECT_NE(sent.find('\0'), std::string::npos);
}

TEST(CaptureReplay, SentenceTimesComeFromGgaAndRmcOfAnyTalker) {
    struct Case {
        const char* line;
        double seconds;  // -1: no time
    };
    const Case cases[] = {
        {"$GPGGA,095255.810,3500.0000,N,13900.0000,E,0,00,50.0,0.0,M,0.0,M,0.0,0000*5C\r\n",
         9 * 3600 + 52 * 60 + 55.81},
        {"$INRMC,194124,A,4120.3333,N,07211.4444,W,5.2,270.0,180506,,*12\r\n", 19 * 3600 + 41 * 60 + 24},
        {"\x01\x02junk$GPRMC,000000.00,V,,,,,,,,,,N*53\r\n", 0.0},
        {"$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n", -1},
        {"$GPGGA,,,,,,0,,,,,,,,*66\r\n", -1},
        {"$GPGGA,2959xx,1\r\n", -1},
        {"$GPGGA,246000.00,1\r\n", -1},
        {"$GP\r\n", -1},
    };
    for (const Case& c : cases) {
        std::optional<double> t = sentenceUtcSeconds(c.line);
        if (c.seconds < 0) {
            EXPECT_FALSE(t.has_value()) << c.line;
            continue;
        }
        ASSERT_TRUE(t.has_value()) << c.line;
        EXPECT_NEAR(*t, c.seconds, 1e-9) << c.line;
    }
}

TEST(CaptureReplay, PacingFollowsTheCaptureClockWithoutWaitingBackwards) {
    std::vector<std::string> lines{
        "$GPGSV,before any time\r\n",
        "$GPGGA,235958.00,x\r\n",
        "$GPGSA,between\r\n",
        "$GPRMC,235958.00,x\r\n",  // same epoch: no wait
        "$GPGGA,235959.50,x\r\n",
        "$GPGGA,000000.50,x\r\n",  // over midnight: one second
        "$GPGGA,235950.00,x\r\n",  // backwards: no wait
        "$GPGGA,235951.00,x\r\n",
        "$GPGGA,070000.00,x\r\n",  // a wild clock: capped
    };
    std::vector<double> t = pacedSendTimesS(lines, 60.0);
    std::vector<double> expected{0.0, 0.0, 0.0, 0.0, 1.5, 2.5, 2.5, 3.5, 63.5};
    ASSERT_EQ(t.size(), expected.size());
    for (std::size_t i = 0; i < t.size(); ++i) EXPECT_NEAR(t[i], expected[i], 1e-9) << i;
}

TEST(CaptureReplay, FixedRateAndPacedSourcesHonourTheSpeedup) {
    SimOptions o;
    o.mode = SimMode::Replay;
    o.lineIntervalMs = 25;
    std::vector<std::string> lines{"$GPGGA,120000,a\r\n", "b\r\n", "$GPGGA,120004,c\r\n"};
    auto fixed = makeReplaySource(lines, o);
    std::vector<double> wall;
    while (auto e = fixed->next()) wall.push_back(e->wallS);
    EXPECT_EQ(wall, (std::vector<double>{0.0, 0.025, 0.05}));

    o.paced = true;
    o.speedup = 4.0;
    auto paced = makeReplaySource(lines, o);
    wall.clear();
    std::string bytes;
    while (auto e = paced->next()) {
        wall.push_back(e->wallS);
        bytes += e->bytes;
    }
    EXPECT_EQ(wall, (std::vector<double>{0.0, 0.0, 1.0}));
    EXPECT_EQ(bytes, "$GPGGA,120000,a\r\nb\r\n$GPGGA,120004,c\r\n");
}
