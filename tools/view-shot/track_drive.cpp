#include "tools/view-shot/track_drive.h"

#include <cmath>
#include <cstdio>
#include <fstream>

#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"

std::string loadTrackDrive(const std::string& csvPath, int everyNth, int32_t courseType) {
    std::ifstream in(csvPath);
    std::string line;
    if (!in || !std::getline(in, line)) return "cannot read " + csvPath;
    resetDriveModel();
    std::vector<LogSample>& samples = driveModel.samples;
    for (int row = 0; std::getline(in, line); ++row) {
        double t = 0, lat = 0, lon = 0, alt = 0;
        if (row % everyNth != 0 || std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf", &t, &lat, &lon, &alt) != 4) continue;
        LogSample s{};
        s.tick = 7000 + uint32_t(std::lround(t * 1000.0));
        s.latitude = lat;
        s.longitude = lon;
        s.altitude = alt;
        samples.push_back(s);
    }
    if (samples.size() < 3) return csvPath + ": fewer than three samples";
    samples[1].lapMark = 1;
    samples.back().lapMark = 1;
    driveModel.sampleCount = int32_t(samples.size());
    driveModel.passLog.passCount = 2;
    driveModel.course.courseType = courseType;
    std::snprintf(driveModel.course.name, sizeof driveModel.course.name, "%s", "track");
    analyseDrive();
    return hasCurrentLap() ? "" : csvPath + ": no lap";
}
