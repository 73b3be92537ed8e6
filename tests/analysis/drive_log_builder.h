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
DriveLogImage straightDrive(int sampleCount, uint32_t periodMs, double speedKmh, const std::vector<int>& marks,
                            int32_t courseType = COURSE_LOOP, uint32_t firstTickMs = 1000);

// A car at `speedKmh` round a stadium (two `straightM` straights joined by
// half-turns of `radiusM`), an out-lap and then `laps` laps; the sample after
// each pass of the middle of the west straight is marked. The length of one
// lap in metres goes to `lapM`.
DriveLogImage stadiumDrive(int laps, uint32_t periodMs, double speedKmh, double straightM, double radiusM,
                           double* lapM = nullptr);

// A recorded track (CSV: time_s,lat,lon,alt_m), every `everyNth` row, with
// marks on the second and the last sample (one loop lap over it all).
DriveLogImage trackDrive(const std::string& csvPath, int everyNth);

// The file image: count, samples, pass log, course block (+ 4 zero bytes).
std::string driveLogBytes(const DriveLogImage& image);
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
// The parts of `text` between separators (lines, fields); no empty last part.
std::vector<std::string> split(const std::string& text, const std::string& separator);

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
