// The readers of other loggers' files, on real recordings and damaged copies.
#include "import/recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "tests/support/temp_dir.h"

namespace {

const std::string DATA = TEST_DATA_DIR;
const std::string VBO = DATA + "/recordings/road-america-run05.vbo";
const std::string RACECHRONO = DATA + "/recordings/tianma-racechrono-v3.csv";

struct Expected {
    double timeS, latitude, longitude, altitudeM;
};

void expectFix(const RecordedFix& fix, const Expected& e, const std::string& what) {
    EXPECT_NEAR(fix.timeS, e.timeS, 1e-6) << what;
    EXPECT_NEAR(fix.latitude, e.latitude, 5e-9) << what;
    EXPECT_NEAR(fix.longitude, e.longitude, 5e-9) << what;
    EXPECT_NEAR(fix.altitudeM, e.altitudeM, 1e-6) << what;
}

TEST(RecordingReaders, RealFilesGiveTheirFixes) {
    struct Case {
        std::string file;
        RecordingFormat format;
        RecordingClock clock;
        size_t fixes;
        Expected first, last;
    };
    const Case cases[] = {
        {VBO, RecordingFormat::Vbo, RecordingClock::SecondsOfDay, 5586,
         {71540.88, 43.7967022, -87.9897785, 331.26}, {71764.28, 43.7952477, -87.9896799, 326.69}},
        {RACECHRONO, RecordingFormat::Csv, RecordingClock::UnixSeconds, 3761,
         {1767150797.44, 31.0781678, 121.1164132, 1.1}, {1767150881.72, 31.0793187, 121.1138547, -2.5}},
        {DATA + "/tracks/tianma-lap.csv", RecordingFormat::Csv, RecordingClock::Relative, 3761,
         {0.0, 31.0781678, 121.1164132, 1.1}, {84.28, 31.0793187, 121.1138547, -2.5}},
        {DATA + "/nmea/telit-he910.nmea", RecordingFormat::Nmea, RecordingClock::SecondsOfDay, 186,
         {39113.71, 50.84020333, 4.34711, 109.44}, {39299.408, 50.84021, 4.34704667, 102.0}},
        {DATA + "/nmea/bundg_zeus_9.nmea", RecordingFormat::Nmea, RecordingClock::SecondsOfDay, 148,
         {35256.0, 52.85015667, 5.31362, 42.8}, {35403.0, 52.84789333, 5.30849167, 42.8}},
        {DATA + "/nmea/haicom-305N.nmea", RecordingFormat::Nmea, RecordingClock::SecondsOfDay, 68,
         {35584.802, -27.21086667, 153.05232833, 45.2}, {35655.787, -27.21067333, 153.052, 45.7}},
        {DATA + "/nmea/quectel-eg25-g.nmea", RecordingFormat::Nmea, RecordingClock::SecondsOfDay, 23,
         {69303.01, 36.7646054, 31.41117133, 25.3}, {69333.98, 36.76380398, 31.41087625, -48.3}},
    };
    for (const Case& c : cases) {
        const RecordingResult r = readRecording(c.file);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.recording.format, c.format) << c.file;
        EXPECT_EQ(r.recording.clock, c.clock) << c.file;
        ASSERT_EQ(r.recording.fixes.size(), c.fixes) << c.file;
        expectFix(r.recording.fixes.front(), c.first, c.file + " first");
        expectFix(r.recording.fixes.back(), c.last, c.file + " last");
        for (size_t i = 1; i < r.recording.fixes.size(); ++i) {
            ASSERT_GT(r.recording.fixes[i].timeS, r.recording.fixes[i - 1].timeS) << c.file << " fix " << i;
        }
    }
}

// The neutral form of the VBO file was converted independently: every one of
// its rows must be a fix of the VBO at the same time and place.
TEST(RecordingReaders, VboPositionsAreDecimalMinutesWithLongitudePositiveWest) {
    const RecordingResult vbo = readRecording(VBO);
    const RecordingResult neutral = readRecording(DATA + "/tracks/road-america-outlap.csv");
    ASSERT_TRUE(vbo.ok && neutral.ok) << vbo.error << neutral.error;
    size_t j = 0;
    const double t0 = vbo.recording.fixes.front().timeS;
    for (const RecordedFix& n : neutral.recording.fixes) {
        while (j < vbo.recording.fixes.size() && vbo.recording.fixes[j].timeS - t0 < n.timeS - 1e-4) ++j;
        ASSERT_LT(j, vbo.recording.fixes.size());
        EXPECT_NEAR(vbo.recording.fixes[j].latitude, n.latitude, 1e-8);
        EXPECT_NEAR(vbo.recording.fixes[j].longitude, n.longitude, 1e-8);
    }
    ASSERT_TRUE(vbo.recording.startFinish.has_value());
    EXPECT_NEAR(vbo.recording.startFinish->latitude, (2627.874410 + 2627.877020) / 120.0, 1e-9);
    EXPECT_NEAR(vbo.recording.startFinish->longitude, -(5279.378270 + 5279.378320) / 120.0, 1e-9);
}

std::string sentence(const std::string& body, const char* end) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail + end;
}

// Epochs of a multi-system receiver across midnight, with noise between the
// sentences, read the same with CR LF or LF line ends.
TEST(RecordingReaders, NmeaAnyTalkerLineEndAndMidnight) {
    for (const char* end : {"\r\n", "\n"}) {
        std::string text = "garbage \x01\x02 without a dollar" + std::string(end);
        text += sentence("GNRMC,235959.50,A,4347.8000,N,08759.4000,W,100.0,0.0,311224,,,A", end);
        text += sentence("GNGGA,235959.50,4347.8000,N,08759.4000,W,1,12,0.8,300.0,M,-34.0,M,,", end);
        text += sentence("GPGSV,3,1,11,23,87,270,,13,68,270,,24,60,270,", end);
        text += "$GNGGA,000000.00,4347.80";  // cut by the next sentence
        text += sentence("GNGGA,000000.00,4347.8100,N,08759.4000,W,1,12,0.8,301.0,M,,M,,", end);
        text += sentence("GNGGA,000000.25,4347.8150,N,08759.4000,W,0,00,,,M,,M,,", end);  // no fix
        text += sentence("GNRMC,000000.50,A,4347.8200,N,08759.4000,W,100.0,0.0,010125,,,A", end);
        text += sentence("GNRMC,000000.75,A,4347.8300,N,08759.4000,W,100.0,0.0,010125,,,A", end).substr(0, 30);
        const RecordingResult r = readNmeaLog(text);
        ASSERT_TRUE(r.ok) << r.error;
        const auto& f = r.recording.fixes;
        ASSERT_EQ(f.size(), 3u);
        expectFix(f[0], {86399.5, 43.79666667, -87.99, 334.0}, "before midnight, GGA altitude");
        expectFix(f[1], {86400.0, 43.79683333, -87.99, 301.0}, "at midnight");
        expectFix(f[2], {86400.5, 43.797, -87.99, 301.0}, "RMC keeps the last altitude");
    }
}

TEST(RecordingReaders, CsvHeaderSpellingsUnitsCommentsAndUpdateFlags) {
    const std::string text =
        "Exported by a lap timer\n"
        "Track,\"Club circuit\"\n"
        "Start/Finish,43.80100,-87.99000,43.80100,-87.98980\n"
        "\n"
        "Lon (deg),Speed (km/h),GPS Update,Lat [deg],Time (s),Alt (m)\n"
        "deg,km/h,,deg,s,m\n"
        "# paused here\n"
        "-87.99000,50,1,43.80000,10.00,300.5\n"
        "-87.99000,50,0,43.80000,10.02,300.5\n"
        "-87.98990,50,1,43.80010,10.04,300.6\n"
        "-87.98990,50,1,43.80010,10.04,300.6\n"
        "-87.98980,50,1,43.80020,10.08,300.7\n";
    const RecordingResult r = readCsvLog(text);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.recording.clock, RecordingClock::Relative);
    EXPECT_EQ(r.recording.name, "Club circuit");
    ASSERT_TRUE(r.recording.startFinish.has_value());
    EXPECT_NEAR(r.recording.startFinish->latitude, 43.801, 1e-9);
    EXPECT_NEAR(r.recording.startFinish->longitude, -87.9899, 1e-9);
    ASSERT_EQ(r.recording.fixes.size(), 3u) << "the flagged-off row and the repeated row are not fixes";
    expectFix(r.recording.fixes[2], {10.08, 43.8002, -87.9898, 300.7}, "last");

    const RecordingResult ms = readCsvLog("timestamp;latitude;longitude\n1767150797440;31.1;121.1\n1767150797480;31.2;121.2\n");
    ASSERT_TRUE(ms.ok) << ms.error;
    EXPECT_EQ(ms.recording.clock, RecordingClock::UnixSeconds);
    EXPECT_NEAR(ms.recording.fixes[1].timeS, 1767150797.48, 1e-6) << "Unix milliseconds";
}

int lineOf(const std::string& text, size_t pos) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(pos), '\n'));
}

// Damaged copies of real files are refused with the line at fault.
TEST(RecordingReaders, DamagedInputsNameTheLine) {
    const std::string vbo = readFile(VBO);
    const std::string csv = readFile(RACECHRONO);
    std::string gpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\">\n<trk><name>t</name><trkseg>\n";
    for (int i = 0; i < 5; ++i) {
        gpx += "<trkpt lat=\"31.07" + std::to_string(i) + "\" lon=\"121.1\">\n  <ele>1.5</ele>\n  <time>2025-12-31T03:13:1" +
               std::to_string(i) + ".4Z</time>\n</trkpt>\n";
    }
    gpx += "</trkseg></trk>\n</gpx>\n";
    ASSERT_TRUE(readGpxTrack(gpx).ok) << readGpxTrack(gpx).error;
    const size_t vboRow = vbo.find("\n012 195300.000");
    const size_t csvRow = csv.find("\n1767150830.0,");
    ASSERT_NE(vboRow, std::string::npos);
    ASSERT_NE(csvRow, std::string::npos);
    const size_t third = gpx.find("<trkpt lat=\"31.072\"");

    using Reader = RecordingResult (*)(std::string_view);
    struct Case {
        const char* what;
        Reader read;
        std::string text;
        int line;
    };
    const Case cases[] = {
        {"VBO cut in a row", readVboFile, vbo.substr(0, vboRow + 30), lineOf(vbo, vboRow + 1)},
        {"VBO without long", readVboFile, std::string(vbo).replace(vbo.find(" long "), 6, " lng  "),
         lineOf(vbo, vbo.find(" long "))},
        {"VBO garbage in lat", readVboFile, std::string(vbo).replace(vboRow + 16, 3, "x#?"), lineOf(vbo, vboRow + 1)},
        {"CSV cut in a row", readCsvLog, csv.substr(0, csvRow + 20), lineOf(csv, csvRow + 1)},
        {"CSV garbage in a row", readCsvLog, std::string(csv).replace(csvRow + 40, 4, "?!?!"), lineOf(csv, csvRow + 1)},
        {"CSV without longitude", readCsvLog, std::string(csv).replace(csv.find(",longitude,"), 11, ",lo_gi_ude,"),
         lineOf(csv, csv.size() - 1)},
        {"GPX cut in a point", readGpxTrack, gpx.substr(0, third + 40), lineOf(gpx, third)},
        {"GPX point without time", readGpxTrack,
         std::string(gpx).replace(gpx.find("<time>", third), 6, "<tame>"), lineOf(gpx, third)},
        {"GPX garbage latitude", readGpxTrack, std::string(gpx).replace(third + 12, 2, "zz"), lineOf(gpx, third)},
    };
    for (const Case& c : cases) {
        const RecordingResult r = c.read(c.text);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_TRUE(r.recording.fixes.empty()) << c.what;
        EXPECT_EQ(r.error.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << c.what << ": " << r.error;
    }
}

TEST(RecordingReaders, FilesOfNoKnownFormatAreRefusedByContent) {
    TempDir dir;
    const std::string garbage = dir / "noise.nmea";
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes += static_cast<char>((i * 7919) % 251);
    writeFile(garbage, bytes.data(), bytes.size());
    const RecordingResult r = readRecording(garbage);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("not a recording"), std::string::npos) << r.error;
    EXPECT_FALSE(readRecording(dir / "missing.vbo").ok);
    // A VBO named like a CSV is still read as a VBO.
    const std::string renamed = dir / "run.csv";
    const std::string vbo = readFile(VBO);
    writeFile(renamed, vbo.data(), vbo.size());
    EXPECT_EQ(readRecording(renamed).recording.format, RecordingFormat::Vbo);
}

}  // namespace
