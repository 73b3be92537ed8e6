#include "tests/analysis/drive_log_builder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "viewer/analysis/drive_model.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double A = 6378137.0;
constexpr double F = 0.0033528106647478;
constexpr double E2 = F * (2.0 - F);

// Metres per radian of latitude and of longitude at the base latitude.
double meridianRadius() {
    const double s = std::sin(BASE_LATITUDE * PI / 180.0);
    return A * (1.0 - E2) / std::pow(1.0 - E2 * s * s, 1.5);
}
double parallelRadius() {
    const double phi = BASE_LATITUDE * PI / 180.0;
    return A / std::sqrt(1.0 - E2 * std::sin(phi) * std::sin(phi)) * std::cos(phi);
}

struct Point2 {
    double north = 0.0;
    double east = 0.0;
};

// Position `s` metres along the rounded rectangle, starting in the middle of
// its west side heading north and turning right at each corner (clockwise
// seen from above).
Point2 roundedRectangleAt(double s, double lengthM, double widthM, double r) {
    const double straightN = lengthM - 2 * r, straightE = widthM - 2 * r, arc = PI * r / 2;
    const double segments[] = {straightN / 2, arc, straightE, arc, straightN, arc, straightE, arc, straightN / 2};
    double n = 0.0, e = 0.0, heading = 0.0;  // heading: radians from north towards east
    int k = 0;
    for (double len : segments) {
        const double step = std::min(s, len);
        if (k % 2 == 0) {
            n += step * std::cos(heading);
            e += step * std::sin(heading);
        } else {
            // Right-hand quarter turn: the centre lies to the right of the heading.
            const double cn = n + r * std::cos(heading + PI / 2), ce = e + r * std::sin(heading + PI / 2);
            const double from = heading - PI / 2;  // direction from the centre to the car
            n = cn + r * std::cos(from + step / r);
            e = ce + r * std::sin(from + step / r);
            heading += step / r;
        }
        s -= step;
        ++k;
        if (s <= 0.0) break;
    }
    return {n, e};
}

}  // namespace

LogSample sampleAt(double northM, double eastM, double altitudeM, uint32_t tickMs, int32_t lapMark) {
    LogSample s;
    s.tick = tickMs;
    s.latitude = BASE_LATITUDE + northM / meridianRadius() * 180.0 / PI;
    s.longitude = BASE_LONGITUDE + eastM / parallelRadius() * 180.0 / PI;
    s.altitude = altitudeM;
    s.lapMark = lapMark;
    return s;
}

DriveLogImage straightDrive(int sampleCount, uint32_t periodMs, double speedKmh,
                            const std::vector<int>& markedSamples, int32_t courseType, uint32_t firstTickMs) {
    DriveLogImage image;
    const double metresPerSample = speedKmh / 3.6 * periodMs * 0.001;
    for (int i = 0; i < sampleCount; ++i) {
        image.samples.push_back(sampleAt(i * metresPerSample, 0.0, 300.0, firstTickMs + uint32_t(i) * periodMs));
    }
    for (int m : markedSamples) image.samples[size_t(m)].lapMark = 1;
    image.passLog.passCount = int32_t(markedSamples.size());
    image.course.courseType = courseType;
    return image;
}

DriveLogImage circuitDrive(int laps, uint32_t periodMs, double speedKmh, double lengthM, double widthM,
                           double cornerM, double* pathM) {
    const double path = 2 * (lengthM - 2 * cornerM) + 2 * (widthM - 2 * cornerM) + 2 * PI * cornerM;
    if (pathM != nullptr) *pathM = path;
    DriveLogImage image;
    const double metresPerSample = speedKmh / 3.6 * periodMs * 0.001;
    const double total = path * (laps + 1.3);  // laps + 1 passes
    int passes = 0;
    for (int i = 0; i * metresPerSample < total; ++i) {
        const double along = i * metresPerSample;
        const int lapNow = int(std::floor(along / path));
        const int lapBefore = i == 0 ? -1 : int(std::floor((i - 1) * metresPerSample / path));
        const int32_t mark = (i > 0 && lapNow != lapBefore) ? 1 : 0;
        passes += mark;
        const Point2 p = roundedRectangleAt(along - lapNow * path, lengthM, widthM, cornerM);
        image.samples.push_back(sampleAt(p.north, p.east, 250.0 + 5.0 * std::sin(along / 300.0),
                                         5000 + uint32_t(i) * periodMs, mark));
    }
    image.passLog.passCount = passes;
    std::strncpy(image.course.name, "Test Circuit", sizeof image.course.name - 1);
    return image;
}

DriveLogImage trackDrive(const std::string& csvPath, uint32_t periodMs) {
    std::ifstream in(csvPath);
    if (!in) throw std::runtime_error("cannot read " + csvPath);
    std::string line;
    std::getline(in, line);  // column titles
    DriveLogImage image;
    double nextDueS = 0.0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        double t = 0, lat = 0, lon = 0, alt = 0;
        char comma = 0;
        if (!(fields >> t >> comma >> lat >> comma >> lon >> comma >> alt)) continue;
        if (t + 1e-9 < nextDueS) continue;
        LogSample s;
        s.tick = 7000 + uint32_t(std::lround(t * 1000.0));
        s.latitude = lat;
        s.longitude = lon;
        s.altitude = alt;
        image.samples.push_back(s);
        while (nextDueS <= t + 1e-9) nextDueS += periodMs * 0.001;
    }
    image.samples.at(1).lapMark = 1;
    image.samples.back().lapMark = 1;
    image.passLog.passCount = 2;
    std::strncpy(image.course.name, "Road America", sizeof image.course.name - 1);
    return image;
}

std::string driveLogBytes(const DriveLogImage& image) {
    std::string bytes;
    const int32_t n = int32_t(image.samples.size());
    bytes.append(reinterpret_cast<const char*>(&n), sizeof n);
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
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeDriveLogFile(const std::string& path, const DriveLogImage& image) { writeFile(path, driveLogBytes(image)); }

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
