// gps-check --file as a user runs it: the built program, its summary and its
// exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace {

// Exit status and everything printed, stderr included.
std::pair<int, std::string> gpsCheck(std::vector<std::string> args) {
    args.insert(args.begin(), std::string(BIN_DIR) + "/gps-check");
    return runToEnd(args, /*withStderr=*/true);
}

std::string capture(const char* name) { return std::string(TEST_DATA_DIR) + "/nmea/" + name; }

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// bu353s4 was saved with bare LF line ends. Ended in CR LF as the receiver
// sent it, the whole file gives 24 GGA and 25 RMC fixes (the same separate
// script as the simulated-receiver counts, here with the file's last lines
// decoded too); its first GGA comes before any position and completes nothing.
TEST(GpsCheckFile, LostCarriageReturnsAreRestoredUnlessRaw) {
    const auto [status, mended] = gpsCheck({"--file", capture("bu353s4.nmea")});
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(contains(mended, "rejected lines: 0\nfixes: 49\n")) << mended;
    // The last fix, as the user reads it: Japan time, 8 and 3 decimals, the sentence.
    EXPECT_TRUE(contains(mended, "12時07分43秒  lat -37.78479500  lon 175.31490167  alt 83.900 m"
                                 "  sats 7  quality 1  GPRMC\n--\n"))
        << mended;
    // Unchanged bytes: every line lacks its CR and is rejected. The option may
    // come on either side of the file name.
    for (const auto& args : {std::vector<std::string>{"--file", "--raw", capture("bu353s4.nmea")},
                             std::vector<std::string>{"--file", capture("bu353s4.nmea"), "--raw"}}) {
        const auto [rawStatus, raw] = gpsCheck(args);
        EXPECT_EQ(rawStatus, 0);
        EXPECT_TRUE(contains(raw, "rejected lines: 90\nfixes: 0\n")) << raw;
    }
    // A capture that kept its CR LF decodes the same either way: no doubled CR.
    const std::string crlf = gpsCheck({"--file", capture("garmin-10x.nmea")}).second;
    EXPECT_TRUE(contains(crlf, "fixes: 18\n")) << crlf;
    EXPECT_EQ(crlf, gpsCheck({"--file", "--raw", capture("garmin-10x.nmea")}).second);
}

TEST(GpsCheckFile, UnusableInputFailsWithAMessageAndNoSummary) {
    const std::string missing = capture("no-such-capture.nmea");
    const struct { std::vector<std::string> args; int status; std::string message; } cases[] = {
        {{"--file", missing}, 1, "cannot read " + missing},
        {{"--file", std::string(TEST_DATA_DIR) + "/nmea"}, 1, "cannot read "},  // not an abort
        {{"--file", "--raw"}, 2, "usage:"},
        {{"/dev/no-such-gps"}, 1, "cannot use /dev/no-such-gps at 38400 baud: No such file"},
    };
    for (const auto& c : cases) {
        const auto [status, output] = gpsCheck(c.args);
        EXPECT_EQ(status, c.status) << output;
        EXPECT_TRUE(contains(output, c.message)) << output;
        EXPECT_FALSE(contains(output, "fixes:")) << output;
    }
}

}  // namespace
