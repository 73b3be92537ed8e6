// pass-latency: how long after the receiver's sentence the pass is counted.
//
// Plays a receiver on a pseudo-terminal for velmora-record: the car drives
// straight through a loop course's point at 20 m/s, once per 11 s (the point
// is held for 10 s after each pass). For every pass it takes the time the
// last byte of the first sentence inside the radius was written and the pass
// tick velmora-record prints, both on the same monotonic millisecond clock,
// and prints the distribution of the differences.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "capture/gps/geodesy.h"
#include "common/records.h"
#include "platform/exe_directory.h"
#include "platform/tick.h"

namespace {

constexpr double POINT_LAT = 35.0;      // degrees
constexpr double POINT_LON = 139.0;     // degrees
constexpr double METRES_PER_DEGREE = 111320.0;
constexpr double SPEED_MPS = 20.0;
constexpr uint32_t CYCLE_MS = 11000;    // longer than the 10 s hold

struct Options {
    int passes = 10;
    int rateHz = 10;
    double radiusM = 15.0;
    std::string recorder;
};

std::string coordinate(double degrees, int wholeDigits) {
    const double whole = std::floor(std::fabs(degrees));
    const double minutes = (std::fabs(degrees) - whole) * 60.0;
    char text[32];
    std::snprintf(text, sizeof text, "%0*d%09.6f", wholeDigits, static_cast<int>(whole), minutes);
    return text;
}

std::string withChecksum(const std::string& body) {
    unsigned char sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// A GGA and an RMC sentence for a position `northM`, `eastM` metres from the point.
std::string fixSentences(double northM, double eastM, int fixIndex) {
    const double lat = POINT_LAT + northM / METRES_PER_DEGREE;
    const double lon = POINT_LON + eastM / (METRES_PER_DEGREE * std::cos(POINT_LAT * M_PI / 180.0));
    const int centis = fixIndex * 10;
    char time[16];
    std::snprintf(time, sizeof time, "12%02d%02d.%02d", (centis / 6000) % 60, (centis / 100) % 60,
                  centis % 100);
    const std::string la = coordinate(lat, 2), lo = coordinate(lon, 3);
    return withChecksum("GPGGA," + std::string(time) + "," + la + ",N," + lo +
                        ",E,1,08,0.9,50.0,M,36.7,M,,") +
           withChecksum("GPRMC," + std::string(time) + ",A," + la + ",N," + lo +
                        ",E,38.88,0.0,150625,,,A");
}

bool parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return false;
        const char* v = argv[++i];
        if (a == "--passes") o.passes = std::atoi(v);
        else if (a == "--rate") o.rateHz = std::atoi(v);
        else if (a == "--radius") o.radiusM = std::atof(v);
        else if (a == "--recorder") o.recorder = v;
        else return false;
    }
    return o.passes > 0 && o.rateHz > 0 && o.rateHz <= 50 && o.radiusM > 0.0;
}

class Recorder {
public:
    Recorder(const Options& o, const std::string& port, const std::string& course,
             const std::string& logDir) {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            const std::string radius = std::to_string(o.radiusM);
            ::execl(o.recorder.c_str(), o.recorder.c_str(), "--port", port.c_str(), "--radius",
                    radius.c_str(), "--log-dir", logDir.c_str(), course.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = out[0];
    }
    ~Recorder() {
        if (pid_ > 0) {
            ::kill(pid_, SIGINT);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
    }
    // Collects whole lines that are ready, without waiting.
    void poll(std::vector<std::string>& lines) {
        pollfd p{out_, POLLIN, 0};
        while (::poll(&p, 1, 0) > 0) {
            char buffer[1024];
            const ssize_t got = ::read(out_, buffer, sizeof buffer);
            if (got <= 0) return;
            pending_.append(buffer, static_cast<size_t>(got));
        }
        for (size_t nl; (nl = pending_.find('\n')) != std::string::npos; pending_.erase(0, nl + 1))
            lines.push_back(pending_.substr(0, nl));
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string pending_;
};

void writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) return;
        done += static_cast<size_t>(put);
    }
}

// One drive through the point; returns the tick at which the last byte of
// the first sentence inside the radius was written.
uint32_t driveThrough(int master, const Options& o, int& fixIndex) {
    const double stepM = SPEED_MPS / o.rateHz;
    const uint32_t periodMs = 1000u / static_cast<uint32_t>(o.rateHz);
    uint32_t enteredMs = 0;
    // Far away to the east first, so that no straight segment between fixes
    // touches the point, then south of it, then north through it.
    for (double north : {-60.0}) {
        writeAll(master, fixSentences(north, 200.0, fixIndex++));
        platform::sleepMs(periodMs);
    }
    for (double north = -60.0; north <= 60.0; north += stepM) {
        const std::string sentences = fixSentences(north, 0.0, fixIndex++);
        if (enteredMs == 0 && std::fabs(north) < o.radiusM - 0.5) {
            // The GGA line brings the car inside: time its final byte.
            const size_t ggaEnd = sentences.find('\n') + 1;
            writeAll(master, sentences.substr(0, ggaEnd - 1));
            writeAll(master, sentences.substr(ggaEnd - 1, 1));
            enteredMs = platform::GetTickCount();
            writeAll(master, sentences.substr(ggaEnd));
        } else {
            writeAll(master, sentences);
        }
        platform::sleepMs(periodMs);
    }
    writeAll(master, fixSentences(60.0, 200.0, fixIndex++));
    return enteredMs;
}

double percentile(std::vector<long> sorted, double p) {
    const size_t index = static_cast<size_t>(std::ceil(p * static_cast<double>(sorted.size()))) - 1;
    return static_cast<double>(sorted[std::min(index, sorted.size() - 1)]);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    o.recorder = platform::exeDirectory() + "velmora-record";
    if (!parseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: pass-latency [--passes N] [--rate HZ] [--radius M] [--recorder PATH]\n");
        return 2;
    }
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("pass-latency: openpty");
        return 1;
    }
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);

    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("pass-latency-" + std::to_string(::getpid()));
    std::filesystem::create_directories(work);
    Course course;
    course.pointCount = 1;
    course.points[0].latitude = POINT_LAT;
    course.points[0].longitude = POINT_LON;
    toGeocentric(course.points[0]);
    std::strcpy(course.name, "latency");
    const std::string coursePath = (work / "latency.gps").string();
    std::ofstream(coursePath, std::ios::binary).write(reinterpret_cast<const char*>(&course), sizeof course);

    std::vector<long> latencies;
    {
        Recorder recorder(o, name, coursePath, (work / "log").string());
        std::vector<std::string> lines;
        for (int waited = 0; lines.empty() && waited < 10000; waited += 10) {
            platform::sleepMs(10);
            recorder.poll(lines);
        }
        if (lines.empty() || lines[0].rfind("start", 0) != 0) {
            std::fprintf(stderr, "pass-latency: velmora-record did not start\n");
            return 1;
        }
        lines.clear();
        platform::sleepMs(300);  // the reader purges the port when it opens it
        int fixIndex = 0;
        for (int n = 0; n < o.passes; ++n) {
            const uint32_t cycleStart = platform::GetTickCount();
            const uint32_t enteredMs = driveThrough(master, o, fixIndex);
            while (platform::GetTickCount() - cycleStart < CYCLE_MS) {
                writeAll(master, fixSentences(60.0, 200.0, fixIndex++));
                platform::sleepMs(1000u / static_cast<uint32_t>(o.rateHz));
            }
            recorder.poll(lines);
            unsigned passTick = 0;
            int number = 0;
            for (const std::string& line : lines)
                std::sscanf(line.c_str(), "pass %d tick %u", &number, &passTick);
            if (number != n + 1) {
                std::fprintf(stderr, "pass-latency: pass %d was not counted\n", n + 1);
                continue;
            }
            latencies.push_back(static_cast<int32_t>(passTick - enteredMs));
            std::printf("pass %d latency_ms %ld\n", n + 1, latencies.back());
            std::fflush(stdout);
        }
    }
    ::close(slave);
    ::close(master);
    std::filesystem::remove_all(work);
    if (latencies.empty()) return 1;
    std::sort(latencies.begin(), latencies.end());
    std::printf("passes %zu latency_ms min %ld median %.0f p90 %.0f max %ld\n", latencies.size(),
                latencies.front(), percentile(latencies, 0.5), percentile(latencies, 0.9),
                latencies.back());
    return 0;
}
