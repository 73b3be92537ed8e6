// A whole run of the headless recorder (velmora-record) measuring a drive
// that the simulated receiver (gps-sim) sends over a pseudo-terminal.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/records.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

struct RecordedDrive {
    int status = -1;                 // the recorder's exit status
    std::vector<std::string> lines;  // everything it printed
    std::string logPath;             // the drive log it reported, "" when none
};

// `simArgs` follow the gps-sim program name. The course is saved to `dir`,
// the recorder samples every `periodMs` with a 15 m radius and is stopped
// with SIGINT once the drive has ended.
inline RecordedDrive recordDrive(std::vector<std::string> simArgs, const Course& course,
                                 const std::filesystem::path& dir, bool binary = false,
                                 int periodMs = 200) {
    const std::string coursePath = (dir / "course.gps").string();
    writeFile(coursePath, &course, sizeof course);
    simArgs.insert(simArgs.begin(), std::string(BIN_DIR) + "/gps-sim");
    ChildProcess sim(simArgs);
    RecordedDrive run;
    std::string port, line;
    if (!sim.readLine(port, 20000)) {
        ADD_FAILURE() << "gps-sim printed no device";
        return run;
    }
    std::vector<std::string> argv = {std::string(BIN_DIR) + "/velmora-record", "--port", port,
                                     "--period", std::to_string(periodMs), "--radius", "15", "--log-dir",
                                     (dir / "log").string()};
    if (binary) argv.push_back("--binary");
    argv.push_back(coursePath);
    ChildProcess recorder(argv);
    EXPECT_EQ(sim.wait(600000), 0) << "gps-sim did not finish";
    recorder.signal(SIGINT);
    while (recorder.readLine(line, 60000)) {
        if (line.rfind("log: ", 0) == 0) run.logPath = line.substr(5);
        run.lines.push_back(line);
    }
    run.status = recorder.wait(60000);
    return run;
}

// Wall-clock seconds of each pass in a gps-sim truth file ("pass N SIM_S WALL_S").
inline std::vector<double> truthPassSeconds(const std::filesystem::path& file) {
    std::vector<double> times;
    std::ifstream in(file);
    double wallS = 0.0;
    for (std::string line; std::getline(in, line);) {
        if (std::sscanf(line.c_str(), "pass %*d %*f %lf", &wallS) == 1) times.push_back(wallS);
    }
    return times;
}
