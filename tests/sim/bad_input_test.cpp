#include <gtest/gtest.h>

#include <sstream>

#include "tools/gps-sim/sim_options.h"
#include "tools/gps-sim/track_csv.h"

using namespace gpssim;

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
        {"replay a b c", "unexpected argument"},
    };
    for (const Bad& b : cases) {
        std::istringstream in(b.line);
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        std::string error = parseSimOptions(words).error;
        EXPECT_NE(error.find(b.mentions), std::string::npos) << "\"" << b.line << "\" gave: " << error;
    }
}

TEST(TrackCsv, BadRowsAreRefusedNamingTheLine) {
    struct Bad {
        const char* text;
        const char* error;
    };
    const Bad cases[] = {
        {"time_s,lat,lon\r\n0,31,121\r\n1,31.1\r\n", "line 3: expected time_s,lat,lon[,alt_m]"},
        {"0,31,121\n\n1,95,121\n", "line 3: bad latitude"},
        {"0,31,121\n1,31,abc\n", "line 2: bad longitude"},
        {"0,31,121\n-1,31,121\n", "line 2: time goes backwards"},
        {"0,31,121\n1,31,121,nan\n", "line 2: bad altitude"},
        {"time_s,lat,lon\n0,31,121\n0,31,121\n", "fewer than two track rows"},
    };
    for (const Bad& b : cases) {
        EXPECT_EQ(parseTrackCsv(b.text).error, b.error) << b.text;
    }
}
