// Synthesised drives and drive log files for the analysis tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/records.h"

// Near Road America: positions are laid out in metres around this point.
constexpr double BASE_LATITUDE = 43.8;
constexpr double BASE_LONGITUDE = -88.0;

struct DriveLogImage {
    std::vector<LogSample> samples;
    PassLog passLog;
    Course course;
    bool trailingZeros = true;  // the 4 zero bytes some writers leave after the course block
};

// A sample `northM` and `eastM` metres from the base point (ellipsoidal radii
// of curvature, exact enough over a few kilometres).
LogSample sampleAt(double northM, double eastM, double altitudeM, uint32_t tickMs, int32_t lapMark = 0);

// A car driving north at a steady speed, one sample every `periodMs`, with
// lap marks at the listed samples; passCount is set to the number of marks.
DriveLogImage straightDrive(int sampleCount, uint32_t periodMs, double speedKmh,
                            const std::vector<int>& markedSamples, int32_t courseType = COURSE_LOOP,
                            uint32_t firstTickMs = 1000);

// A car at `speedKmh` around a closed rounded rectangle (`lengthM` north by
// `widthM` east, corner radius `cornerM`), sampled every `periodMs`, long
// enough for `laps` laps between passes; the sample after each pass of the
// start point is marked. Returns the path length in metres through `pathM`.
DriveLogImage circuitDrive(int laps, uint32_t periodMs, double speedKmh, double lengthM, double widthM,
                           double cornerM, double* pathM);

// A recorded track (CSV: time_s,lat,lon,alt_m) resampled every `periodMs`,
// with marks on the second and the last sample (one loop lap over it all).
DriveLogImage trackDrive(const std::string& csvPath, uint32_t periodMs);

// The file image: count, samples, pass log, course block (+ 4 zero bytes).
std::string driveLogBytes(const DriveLogImage& image);
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
void writeDriveLogFile(const std::string& path, const DriveLogImage& image);

// Puts the image into the drive model directly (no file), ready for analyseDrive.
void installDrive(const DriveLogImage& image);

// A fresh folder under the test temp directory, removed with its files.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};
