#include "tests/analysis/drive_log_builder.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "common/ellipsoid.h"
#include "viewer/analysis/drive_model.h"

namespace {

constexpr double PI = 3.14159265358979323846;

// Position (north, east) `s` metres along the stadium: the west straight runs
// north from (0, 0), a right half-turn leads onto the east straight running
// south, another one back onto the west straight.
std::pair<double, double> stadiumAt(double s, double straightM, double r) {
    if (s < straightM) return {s, 0.0};
    if ((s -= straightM) < PI * r) return {straightM + r * std::sin(s / r), r - r * std::cos(s / r)};
    if ((s -= PI * r) < straightM) return {straightM - s, 2 * r};
    s -= straightM;
    return {-r * std::sin(s / r), r + r * std::cos(s / r)};
}

}  // namespace

LogSample sampleAt(double northM, double eastM, double altitudeM, uint32_t tickMs, int32_t lapMark) {
    const double phi = BASE_LATITUDE * PI / 180.0, w = 1.0 - WGS84_E2 * std::sin(phi) * std::sin(phi);
    const double meridianM = WGS84_A * (1.0 - WGS84_E2) / std::pow(w, 1.5);
    const double parallelM = WGS84_A / std::sqrt(w) * std::cos(phi);
    return LogSample{tickMs, 0, BASE_LATITUDE + northM / meridianM * 180.0 / PI,
                     BASE_LONGITUDE + eastM / parallelM * 180.0 / PI, altitudeM, lapMark, 0};
}

DriveLogImage straightDrive(int sampleCount, uint32_t periodMs, double speedKmh, const std::vector<int>& marks,
                            int32_t courseType, uint32_t firstTickMs) {
    DriveLogImage image;
    const double stepM = speedKmh / 3.6 * periodMs * 0.001;
    for (int i = 0; i < sampleCount; ++i) {
        image.samples.push_back(sampleAt(i * stepM, 0.0, 300.0, firstTickMs + uint32_t(i) * periodMs));
    }
    for (int m : marks) image.samples[size_t(m)].lapMark = 1;
    image.passLog.passCount = int32_t(marks.size());
    image.course.courseType = courseType;
    return image;
}

DriveLogImage stadiumDrive(int laps, uint32_t periodMs, double speedKmh, double straightM, double radiusM,
                           double* lapM) {
    const double pathM = 2 * straightM + 2 * PI * radiusM, stepM = speedKmh / 3.6 * periodMs * 0.001;
    if (lapM != nullptr) *lapM = pathM;
    DriveLogImage image;
    for (int i = 0; i * stepM < pathM * (laps + 1.3); ++i) {
        const bool passed = i > 0 && std::floor(i * stepM / pathM) != std::floor((i - 1) * stepM / pathM);
        const auto [north, east] = stadiumAt(std::fmod(i * stepM + straightM / 2, pathM), straightM, radiusM);
        image.samples.push_back(sampleAt(north, east, 250.0 + 5.0 * std::sin(i * stepM / 300.0),
                                         5000 + uint32_t(i) * periodMs, passed));
        image.passLog.passCount += passed;
    }
    std::strcpy(image.course.name, "Test Circuit");
    return image;
}

DriveLogImage trackDrive(const std::string& csvPath, int everyNth) {
    std::ifstream in(csvPath);
    std::string line;
    if (!std::getline(in, line)) throw std::runtime_error("cannot read " + csvPath);
    DriveLogImage image;
    for (int row = 0; std::getline(in, line); ++row) {
        double t = 0, lat = 0, lon = 0, alt = 0;
        if (row % everyNth != 0 || std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf", &t, &lat, &lon, &alt) != 4) continue;
        image.samples.push_back(LogSample{7000 + uint32_t(std::lround(t * 1000.0)), 0, lat, lon, alt, 0, 0});
    }
    image.samples.at(1).lapMark = 1;
    image.samples.back().lapMark = 1;
    image.passLog.passCount = 2;
    return image;
}

std::string driveLogBytes(const DriveLogImage& image) {
    const int32_t n = int32_t(image.samples.size());
    std::string bytes(reinterpret_cast<const char*>(&n), sizeof n);
    bytes.append(reinterpret_cast<const char*>(image.samples.data()), image.samples.size() * sizeof(LogSample));
    bytes.append(reinterpret_cast<const char*>(&image.passLog), sizeof image.passLog);
    bytes.append(reinterpret_cast<const char*>(&image.course), sizeof image.course);
    if (image.trailingZeros) bytes.append(4, '\0');
    return bytes;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + separator.size()) {
        parts.push_back(text.substr(from, at - from));
    }
    if (from < text.size()) parts.push_back(text.substr(from));
    return parts;
}

void installDrive(const DriveLogImage& image) {
    resetDriveModel();
    driveModel.samples = image.samples;
    driveModel.sampleCount = int32_t(image.samples.size());
    driveModel.passLog = image.passLog;
    driveModel.course = image.course;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "analysis-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
