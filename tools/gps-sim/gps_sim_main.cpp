// gps-sim: a simulated GPS receiver on a pseudo-terminal, for tests, benchmarks
// and the demo. See usageText() for the command line.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/atomic_file.h"
#include "tools/gps-sim/emission_plan.h"
#include "tools/gps-sim/nmea_replay.h"
#include "tools/gps-sim/pty_port.h"

using namespace gpssim;

namespace {

constexpr int EXIT_RUNTIME_ERROR = 1;
constexpr int EXIT_USAGE = 2;
// Closing the master discards what the reader has not read yet, and the master
// cannot see how much that is: give the reader this long to take the last bytes.
constexpr double END_GRACE_S = 0.5;

void onSignal(int) { stopRequested = 1; }

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a signal cuts short the current sleep.
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
    // A test may close our standard output after reading the device path.
    signal(SIGPIPE, SIG_IGN);
}

int fail(const std::string& message, int status) {
    std::fprintf(stderr, "gps-sim: %s\n", message.c_str());
    return status;
}

bool readWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = buffer.str();
    return !in.bad();
}

// The bytes to send, or an error; writes the truth file first when asked.
std::unique_ptr<EmissionSource> prepareSource(const SimOptions& o, std::string& error) {
    if (o.mode == SimMode::Replay) {
        std::string content;
        if (!readWholeFile(o.inputPath, content)) {
            error = "cannot read " + o.inputPath;
            return nullptr;
        }
        return makeReplaySource(splitCaptureLines(content), o);
    }
    DriveResult built = buildDrive(o);
    if (!built.drive) {
        error = built.error;
        return nullptr;
    }
    if (o.point) {
        std::vector<Pass> passes = passesOfPoint(*built.drive, *o.point, o.passRadiusM);
        error = writeFileAtomically(o.truthPath, formatTruth(passes, o.speedup, truthHeader(o, *built.drive))).error;
        if (!error.empty()) return nullptr;
    }
    return makeFixSource(std::move(*built.drive), o);
}

// Sends every chunk at its time. Returns false only on a write failure.
bool emit(PtyPort& port, EmissionSource& source, bool& readerGone) {
    auto start = std::chrono::steady_clock::now();
    while (std::optional<Emission> e = source.next()) {
        double dueInS = e->wallS - std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        WaitResult r = dueInS > 0.0 ? port.pause(dueInS) : WaitResult::Ready;
        if (r == WaitResult::Ready) r = port.writeAll(e->bytes);
        if (r == WaitResult::ReaderGone) readerGone = true;
        if (r == WaitResult::Failed) return false;
        if (r != WaitResult::Ready) return true;
    }
    return true;
}

int run(const SimOptions& o) {
    std::string error;
    std::unique_ptr<EmissionSource> source = prepareSource(o, error);
    if (!source) return fail(error, EXIT_RUNTIME_ERROR);
    PtyPort port;
    if (!port.open(error)) return fail(error, EXIT_RUNTIME_ERROR);
    DeviceLink link;
    if (!o.linkPath.empty() && !link.create(o.linkPath, port.devicePath(), error))
        return fail(error, EXIT_RUNTIME_ERROR);
    std::printf("%s\n", port.devicePath().c_str());
    std::fflush(stdout);

    WaitResult waited = port.waitForReader(o.openTimeoutS);
    if (waited == WaitResult::TimedOut) return fail("no reader opened " + port.devicePath(), EXIT_RUNTIME_ERROR);
    if (waited != WaitResult::Ready) return 0;
    // The reader purges its input right after opening; bytes sent before that are lost.
    if (port.pause(o.settleMs / 1000.0) != WaitResult::Ready) return 0;
    bool readerGone = false;
    if (!emit(port, *source, readerGone))
        return fail("writing to " + port.devicePath() + " failed", EXIT_RUNTIME_ERROR);
    if (readerGone || stopRequested) return 0;
    if (!o.hold) {
        port.pause(END_GRACE_S);
        return 0;
    }
    while (port.pause(3600.0) == WaitResult::Ready) {
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    installSignalHandlers();
    ParsedOptions parsed = parseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.options.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) return fail(parsed.error + " (see gps-sim --help)", EXIT_USAGE);
    return run(parsed.options);
}
