// gps-check DEVICE [BAUD] | gps-check --file [--raw] CAPTURE.nmea
//
// Runs the capture program's own GPS reader (or, for a file, its line
// splitting and decoder) and prints one line per completed fix, then a
// summary on Ctrl-C or at the end of the file.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

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

// Many saved captures lost their CRs (a log written in text mode, a copy
// through a Unix tool), and the decoder rightly rejects a line whose last field
// is not ended by CR. A receiver sends CR LF, so every line gets it back: a
// trailing CR is dropped before CR LF is added, every other byte is kept, and a
// last line without a line feed is ended too.
std::string withReceiverLineEnds(std::string_view data) {
    std::string out;
    out.reserve(data.size() + data.size() / 32);
    while (!data.empty()) {
        const size_t lf = data.find('\n');
        std::string_view line = data.substr(0, lf);
        data.remove_prefix(lf == std::string_view::npos ? data.size() : lf + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.append(line);
        out.append("\r\n");
    }
    return out;
}

// The whole file, or false with errno set (a directory fails here too).
bool readWholeFile(const char* path, std::string& data) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) data.append(chunk, got);
    const bool ok = std::ferror(file) == 0;
    const int readError = errno;
    std::fclose(file);
    errno = readError;
    return ok;
}

int checkFile(const char* path, bool raw) {
    std::string data;
    if (!readWholeFile(path, data)) {
        std::fprintf(stderr, "gps-check: cannot read %s: %s\n", path, std::strerror(errno));
        return 1;
    }
    if (!raw) data = withReceiverLineEnds(data);
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
                 "usage: gps-check DEVICE [BAUD]              read a receiver (default 38400 baud)\n"
                 "       gps-check --file [--raw] CAPTURE.nmea decode a recorded capture\n"
                 "DEVICE: an absolute path, COMn (/dev/ttyS(n-1)) or a name under /dev/\n"
                 "--file: every line of the capture is ended in CR LF first, as a receiver\n"
                 "        sends it (a trailing CR is replaced), so captures that lost their\n"
                 "        CRs still decode; --raw feeds the bytes unchanged instead\n");
    return 2;
}

// --file [--raw] CAPTURE, the options in either order.
int checkFileArguments(int argc, char** argv) {
    bool raw = false;
    const char* path = nullptr;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--raw" && !raw) {
            raw = true;
        } else if (path == nullptr && argument.rfind("-", 0) != 0) {
            path = argv[i];
        } else {
            return usage();
        }
    }
    return path != nullptr ? checkFile(path, raw) : usage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string first = argv[1];
    if (first == "--file") return checkFileArguments(argc, argv);
    if (argc > 3) return usage();
    if (first == "-h" || first == "--help") {
        usage();
        return 0;
    }
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
