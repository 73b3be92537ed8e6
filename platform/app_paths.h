// Where each program finds the files it ships with and keeps the files it writes.
//
// From a build tree (or any folder without an installed data folder beside it)
// every path is exeDirectory(), as the programs have always done. An installed
// program (bin/ with ../share/velmora-quindle/ beside it) reads its voice files
// and samples from that data folder; it still writes beside itself when that
// folder is its user's own and writable (an unpacked copy in a home folder),
// otherwise under the user's XDG folders:
//   settings and preferences  $XDG_CONFIG_HOME/velmora-quindle/ (~/.config/...)
//   log/ and its journal      $XDG_DATA_HOME/velmora-quindle/   (~/.local/share/...)
#pragma once

#include <string>

namespace platform {

struct AppPaths {
    std::string dataDirectory;      // voice/, samples/
    std::string settingsDirectory;  // velmora.pref, quindle.pref, quindlew.pref
    std::string recordsDirectory;   // the parent of log/
};

// Environment the paths depend on; values as getenv would give them ("" for unset).
struct AppEnvironment {
    std::string home;
    std::string xdgConfigHome;
    std::string xdgDataHome;
};

// Pure decision from a program folder (trailing '/'); looks at the file system
// only to see whether the folder is installed and writable. Creates nothing.
AppPaths resolveAppPaths(const std::string& exeDir, const AppEnvironment& environment);

// The paths of the running program (from exeDirectory() and the environment).
// The settings and records folders are created when they are XDG folders.
// Every path ends in '/'.
AppPaths appPaths();
std::string dataDirectory();
std::string settingsDirectory();
std::string recordsDirectory();

}  // namespace platform
