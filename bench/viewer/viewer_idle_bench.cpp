// Processor time of a running quindle with the sample drive log open and
// nothing animating: the window host sleeps in the event loop, so an idle
// viewer must stay far below 1 % of one core. The program runs as users run
// it (a copy in a private folder, its own runtime folder for the instance
// lock and socket) on the current X display.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

constexpr double SETTLE_SECONDS = 4.0;  // start-up, GL context, first frames
constexpr double MEASURE_SECONDS = 10.0;

// User + system seconds of a process, from /proc/PID/stat (fields 14 and 15).
double processCpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');  // the command name may hold spaces
    if (close == std::string::npos) return -1.0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void BM_ViewerIdleWithALogOpen(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X display (scripts/bench runs it under xvfb-run)");
        return;
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("viewer-idle-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "run");
    std::filesystem::copy_file(BIN_DIR "/quindle", folder / "quindle",
                               std::filesystem::copy_options::overwrite_existing);
    for (auto _ : state) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("XDG_RUNTIME_DIR", (folder / "run").c_str(), 1);
            ::setenv("TMPDIR", (folder / "run").c_str(), 1);
            ::setenv("QUINDLE_UNATTENDED", "1", 1);
            const std::string program = (folder / "quindle").string();
            ::execl(program.c_str(), program.c_str(), SAMPLE_LOG, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(SETTLE_SECONDS));
        const double before = processCpuSeconds(pid);
        const auto wallBefore = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(MEASURE_SECONDS));
        const double cpu = processCpuSeconds(pid) - before;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        ::kill(pid, SIGTERM);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (before < 0.0) {
            state.SkipWithError("the viewer did not start");
            break;
        }
        state.counters["cpu_percent"] = 100.0 * cpu / wall;
        state.counters["exit_status"] = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ViewerIdleWithALogOpen)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
