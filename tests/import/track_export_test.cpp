// Laps written for map tools, read back by the recording readers.
#include "import/track_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "import/recording.h"
#include "tests/support/child_process.h"
#include "tests/support/sample_drive.h"
#include "tests/support/temp_dir.h"

namespace {

// Points of the real Tianma track with a speed from each step.
std::vector<ExportPoint> tianmaPoints() {
    const RecordingResult track = readRecording(std::string(TEST_DATA_DIR) + "/tracks/tianma-lap.csv");
    EXPECT_TRUE(track.ok) << track.error;
    std::vector<ExportPoint> points;
    const int64_t startMs = 1767150797440;
    for (const RecordedFix& f : track.recording.fixes) {
        ExportPoint p{startMs + std::llround(f.timeS * 1000.0), f.latitude, f.longitude, f.altitudeM, 0.0};
        p.speedKmh = points.empty() ? 0.0 : 40.0 + static_cast<double>(points.size() % 500) * 0.25;
        points.push_back(p);
    }
    return points;
}

TEST(TrackExport, GpxReadsBackAsTheSameFixes) {
    const std::vector<ExportPoint> points = tianmaPoints();
    const RecordingResult back = readGpxTrack(gpxTrackText("Tianma <lap 1> & more", points));
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.recording.name, "Tianma <lap 1> & more");
    ASSERT_EQ(back.recording.fixes.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const RecordedFix& f = back.recording.fixes[i];
        ASSERT_EQ(std::llround(f.timeS * 1000.0), points[i].unixMs) << i;
        ASSERT_NEAR(f.latitude, points[i].latitude, 1e-8) << i;
        ASSERT_NEAR(f.longitude, points[i].longitude, 1e-8) << i;
        ASSERT_NEAR(f.altitudeM, points[i].altitudeM, 0.005) << i;
    }
}

// Every point is on the line once, in order, and each segment's colour band
// holds the speeds of the points it adds.
TEST(TrackExport, KmlLineIsSegmentedBySpeedBand) {
    const std::vector<ExportPoint> points = tianmaPoints();
    const std::string kml = kmlTrackText("Tianma lap 1 1:16.33", points);
    EXPECT_NE(kml.find("<name>Tianma lap 1 1:16.33</name>"), std::string::npos);
    size_t next = 0, segments = 0, bandsSeen = 0;
    std::vector<bool> seen(KML_SPEED_BANDS, false);
    for (size_t at = kml.find("<styleUrl>#speed"); at != std::string::npos; at = kml.find("<styleUrl>#speed", at + 1)) {
        const int band = std::stoi(kml.substr(at + 16, 2));
        bandsSeen += seen[static_cast<size_t>(band)] ? 0 : 1;
        seen[static_cast<size_t>(band)] = true;
        const size_t open = kml.find("<coordinates>", at) + 13;
        const std::string coordinates = kml.substr(open, kml.find("</coordinates>", open) - open);
        size_t count = 0;
        for (size_t p = 0; p < coordinates.size(); p = coordinates.find(' ', p) + 1) {
            double lon = 0.0, lat = 0.0;
            ASSERT_EQ(std::sscanf(coordinates.c_str() + p, "%lf,%lf", &lon, &lat), 2);
            const size_t index = next + count - (segments > 0 ? 1 : 0);
            ASSERT_LT(index, points.size());
            EXPECT_NEAR(lat, points[index].latitude, 1e-8) << "segment " << segments;
            ++count;
        }
        next += count - (segments > 0 ? 1 : 0);
        ++segments;
    }
    EXPECT_EQ(next, points.size());
    EXPECT_EQ(bandsSeen, static_cast<size_t>(KML_SPEED_BANDS));
}

TEST(TrackExport, GpdtoolExportWritesALapOrRefuses) {
    TempDir dir;
    const std::string log = writeSampleLog(dir / "tianma.gpd", tianmaLog(3));
    const std::string gpdtool = std::string(BIN_DIR) + "/gpdtool";
    const auto [status, output] = runToEnd({gpdtool, "export", log, "2", dir / "lap2.gpx"});
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find("lap 2 1:16."), std::string::npos) << output;
    const RecordingResult back = readRecording(dir / "lap2.gpx");
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_GT(back.recording.fixes.size(), 700u);
    const double lapS = back.recording.fixes.back().timeS - back.recording.fixes.front().timeS;
    int minutes = 0, seconds = 0, hundredths = 0;
    ASSERT_EQ(std::sscanf(output.c_str() + output.find("lap 2 ") + 6, "%d:%d.%d", &minutes, &seconds, &hundredths), 3);
    const double lapTimeS = minutes * 60 + seconds + hundredths / 100.0;
    EXPECT_GT(lapS, lapTimeS) << "the lap with its approach and run-out";
    EXPECT_LT(lapS, lapTimeS + 10.0);
    ASSERT_EQ(runToEnd({gpdtool, "export", log, "2", dir / "lap2.kml"}).first, 0);
    EXPECT_NE(readFile(dir / "lap2.kml").find("<LineString>"), std::string::npos);

    for (const std::vector<std::string>& refused : {std::vector<std::string>{log, "2", dir / "lap.txt"},
                                                    std::vector<std::string>{log, "9", dir / "lap9.gpx"},
                                                    std::vector<std::string>{dir / "missing.gpd", "1", dir / "m.gpx"}}) {
        std::vector<std::string> argv{gpdtool, "export"};
        argv.insert(argv.end(), refused.begin(), refused.end());
        const auto [code, message] = runToEnd(argv, true);
        EXPECT_EQ(code, 1) << message;
        EXPECT_NE(message.find("gpdtool: "), std::string::npos) << message;
    }
    EXPECT_EQ(dir.entries(), 3) << "only the log and the two exports";
}

}  // namespace
