#include <gtest/gtest.h>

#include <sstream>

#include "tools/gps-sim/sim_options.h"

using namespace gpssim;

namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

ParsedOptions parse(const std::string& line) { return parseSimOptions(words(line)); }

}  // namespace

TEST(CommandLine, AcceptsEachModeWithItsOptions) {
    ParsedOptions loop = parse("loop --circle 35.1,139.2,80 --speed=90 --laps 3 --start-utc 235950 --date 311225 "
                               "--point 35.1,139.2007 --truth /tmp/t --binary-kind 36");
    ASSERT_EQ(loop.error, "");
    const SimOptions& o = loop.options;
    ASSERT_TRUE(o.circle);
    EXPECT_DOUBLE_EQ(o.circle->radiusM, 80.0);
    EXPECT_DOUBLE_EQ(o.speedKmh, 90.0);
    EXPECT_EQ(o.startUtc.hour, 23);
    EXPECT_EQ(o.startUtc.month, 12);
    EXPECT_TRUE(o.binary);  // implied by --binary-kind
    EXPECT_EQ(o.binaryKind, BinaryKind::Only36);

    ParsedOptions profile = parse("out-and-back --waypoints 35,139;35.01,139;35.01,139.01; --speed-profile 50;80;30");
    ASSERT_EQ(profile.error, "");
    EXPECT_EQ(profile.options.speedProfileKmh, (std::vector<double>{50, 80, 30}));
    EXPECT_EQ(parse("track t.csv --laps 2 --link /tmp/gps --hold").error, "");
    EXPECT_EQ(parse("replay x.nmea --paced --speedup 10").error, "");
    EXPECT_TRUE(parse("loop --bogus -h").options.help);
}

TEST(CommandLine, RejectsMistakesWithAMessageNamingThem) {
    struct Bad {
        const char* line;
        const char* mentions;
    };
    const Bad cases[] = {
        {"", "no mode"},
        {"loop", "--waypoints or --circle"},
        {"loop --circle 35,139,50 --waypoints 35,139;35.1,139", "--waypoints or --circle"},
        {"loop --waypoints 35,139", "at least two waypoints"},
        {"loop --waypoints 35,139;91,139", "out of range"},
        {"loop --waypoints 35,139;35.1,139 --speed-profile 50", "1 speeds for 2 waypoints"},
        {"loop --waypoints 35,139;35.1,139 --speed 50 --speed-profile 50;60", "not both"},
        {"loop --circle 35,139,50 --speed-profile 50", "needs --waypoints"},
        {"loop --circle 35,139,50 --rate 25", "--rate"},
        {"loop --circle 35,139,50 --laps 1.5", "whole number"},
        {"loop --circle 35,139,50 --laps 0", "--laps"},
        {"loop --circle 35,139,50 --start-utc 246000", "time of day"},
        {"loop --circle 35,139,50 --date 290225", "not a date"},
        {"loop --circle 35,139,50 --truth /tmp/t", "--point and --truth"},
        {"loop --circle 35,139,50 --binary=yes", "takes no value"},
        {"loop --circle 35,139,50 --binary-kind 99", "75, 36 or alt"},
        {"loop extra.csv --circle 35,139,50", "takes no FILE"},
        {"out-and-back --circle 35,139,50", "does not apply to out-and-back"},
        {"track", "needs a FILE"},
        {"track t.csv --speed 50", "does not apply to track"},
        {"replay c.nmea --binary", "does not apply to replay"},
        {"replay c.nmea --point 35,139 --truth t", "does not apply to replay"},
        {"replay a b c", "unexpected argument"},
    };
    for (const Bad& b : cases) {
        ParsedOptions p = parse(b.line);
        EXPECT_NE(p.error.find(b.mentions), std::string::npos) << "\"" << b.line << "\" gave: " << p.error;
    }
}
