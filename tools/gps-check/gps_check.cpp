// gps-check DEVICE [BAUD] | gps-check --file CAPTURE.nmea
//
// Runs the capture program's own GPS reader (or, for a file, its line
// splitting and decoder) and prints one line per completed fix, then a
// summary on Ctrl-C or at the end of the file.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>

#include "capture/gps/fix_completion.h"
#include "capture/gps/gps_reader.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/line_buffer.h"
#include "capture/gps/nmea_decoder.h"
#include "common/sjis.h"

namespace {

struct Statistics {
    std::map<std::string, long> sentencesByName;
    long checksumErrors = 0;
    long rejectedLines = 0;
    long fixes = 0;
};

std::mutex statisticsLock;
Statistics statistics;

void printFix(std::string_view name) {
    const GeoPoint& p = gpsFix.position;
    std::printf("%s  lat %.8f  lon %.8f  alt %.3f m  sats %d  quality %d  %.*s\n",
                sjisToUtf8(fixedText(gpsFix.timeText)).c_str(), p.latitude, p.longitude,
                p.altitude, gpsFix.satellites, gpsFix.quality, int(name.size()), name.data());
    std::fflush(stdout);
}

void countLine(const char* line, int length, SentenceResult result) {
    const std::string_view name = nmeaSentenceName(length, line);
    std::lock_guard<std::mutex> guard(statisticsLock);
    if (!name.empty()) ++statistics.sentencesByName[std::string(name)];
    switch (result) {
        case SentenceResult::Fix:
            ++statistics.fixes;
            printFix(name);
            break;
        case SentenceResult::ChecksumError: ++statistics.checksumErrors; break;
        case SentenceResult::Rejected: ++statistics.rejectedLines; break;
        default: break;
    }
}

void printSummary() {
    std::lock_guard<std::mutex> guard(statisticsLock);
    std::printf("--\nsentences:");
    if (statistics.sentencesByName.empty()) std::printf(" none");
    for (const auto& [name, count] : statistics.sentencesByName) {
        std::printf(" %s %ld", name.c_str(), count);
    }
    std::printf("\nchecksum errors: %ld\nrejected lines: %ld\nfixes: %ld\n",
                statistics.checksumErrors, statistics.rejectedLines, statistics.fixes);
}

int checkFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "gps-check: cannot read %s: %s\n", path, std::strerror(errno));
        return 1;
    }
    const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    resetLiveFix();
    splitNmeaStream(data, [](const char* line, int length) {
        countLine(line, length, decodeSentence(length, line));
    });
    printSummary();
    return 0;
}

int checkDevice(const char* device, int baud) {
    // Ctrl-C and termination are taken by sigwait below, on this thread only.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::memset(gpsPort.portName, 0, sizeof gpsPort.portName);
    std::snprintf(gpsPort.portName, sizeof gpsPort.portName, "%s", device);
    gpsPort.baudRate = baud;
    setLineObserver(countLine);
    if (openGpsPort() != 0) {
        std::fprintf(stderr, "gps-check: cannot use %s at %d baud: %s\n", device, baud,
                     errno == EINVAL ? "unsupported line settings" : std::strerror(errno));
        return 1;
    }
    std::fprintf(stderr, "gps-check: reading %s at %d baud; Ctrl-C for the summary\n", device, baud);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    closeGpsPort();
    setLineObserver(nullptr);
    printSummary();
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: gps-check DEVICE [BAUD]      read a receiver (default 38400 baud)\n"
                 "       gps-check --file CAPTURE.nmea decode a recorded capture\n"
                 "DEVICE: an absolute path, COMn (/dev/ttyS(n-1)) or a name under /dev/\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) return usage();
    const std::string first = argv[1];
    if (first == "-h" || first == "--help") {
        usage();
        return 0;
    }
    if (first == "--file") return argc == 3 ? checkFile(argv[2]) : usage();
    if (first.rfind("-", 0) == 0) return usage();
    int baud = 38400;
    if (argc == 3) {
        char* end = nullptr;
        const long value = std::strtol(argv[2], &end, 10);
        if (end == argv[2] || *end != '\0' || value <= 0 || value > 4000000) {
            std::fprintf(stderr, "gps-check: not a baud rate: %s\n", argv[2]);
            return 2;
        }
        baud = int(value);
    }
    return checkDevice(argv[1], baud);
}
