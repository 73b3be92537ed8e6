// A built program run as its users run it: a copy in the test's folder (the
// files it keeps beside itself land there), with a runtime and temporary
// folder of its own so that its instance lock and hand-over socket are the
// test's alone (the socket appears in dir/tmp).
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

inline std::string installPrivateCopy(const TempDir& dir, const std::string& program) {
    const std::string copy = dir / program;
    std::filesystem::copy_file(std::string(BIN_DIR) + "/" + program, copy);
    ::chmod(copy.c_str(), 0755);
    std::filesystem::create_directories(dir.path() / "run");
    std::filesystem::create_directories(dir.path() / "tmp");
    ::setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
    ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    return copy;
}

inline void forgetPrivateRuntime() {
    for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"}) ::unsetenv(name);
}
