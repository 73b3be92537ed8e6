#include "platform/app_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/exe_directory.h"

namespace platform {

namespace {

constexpr const char* FOLDER_NAME = "velmora-quindle/";

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Beside the program only when the folder is the user's own: root running
// /usr/bin/velmora must not leave files in /usr/bin, and neither may a member
// of a group that can write a shared prefix.
bool ownWritableFolder(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    const uid_t user = ::geteuid();
    return user != 0 && info.st_uid == user && ::access(path.c_str(), W_OK) == 0;
}

// "/usr/bin/" gives "/usr/share/velmora-quindle/"; a relative folder keeps "../".
std::string installedDataFolder(const std::string& exeDir) {
    const size_t slash = exeDir.size() >= 2 ? exeDir.rfind('/', exeDir.size() - 2) : std::string::npos;
    if (slash == std::string::npos || exeDir.compare(slash, std::string::npos, "/../") == 0)
        return exeDir + "../share/" + FOLDER_NAME;
    return exeDir.substr(0, slash + 1) + "share/" + FOLDER_NAME;
}

// An XDG base folder: the variable when it holds an absolute path, else the default under HOME.
std::string xdgFolder(const std::string& variable, const std::string& home, const char* fallback) {
    std::string base = !variable.empty() && variable.front() == '/' ? variable : home + fallback;
    if (base.back() != '/') base += '/';
    return base + FOLDER_NAME;
}

std::string envValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string homeFolder() {
    std::string home = envValue("HOME");
    if (home.empty()) {
        const passwd* entry = ::getpwuid(::geteuid());
        if (entry != nullptr && entry->pw_dir != nullptr) home = entry->pw_dir;
    }
    return home.empty() ? std::string("/tmp") : home;
}

// mkdir -p; a failure shows later, when a file in the folder cannot be written.
void makeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
}

}  // namespace

AppPaths resolveAppPaths(const std::string& exeDir, const AppEnvironment& environment) {
    const std::string data = installedDataFolder(exeDir);
    if (!isDirectory(data)) return {exeDir, exeDir, exeDir};
    if (ownWritableFolder(exeDir)) return {data, exeDir, exeDir};
    return {data, xdgFolder(environment.xdgConfigHome, environment.home, "/.config"),
            xdgFolder(environment.xdgDataHome, environment.home, "/.local/share")};
}

namespace {

AppPaths resolvedPaths() {
    const AppEnvironment environment{homeFolder(), envValue("XDG_CONFIG_HOME"), envValue("XDG_DATA_HOME")};
    return resolveAppPaths(exeDirectory(), environment);
}

}  // namespace

AppPaths appPaths() {
    AppPaths paths = resolvedPaths();
    if (paths.settingsDirectory != exeDirectory()) makeFolders(paths.settingsDirectory);
    if (paths.recordsDirectory != exeDirectory()) makeFolders(paths.recordsDirectory);
    return paths;
}

std::string dataDirectory() { return resolvedPaths().dataDirectory; }
std::string settingsDirectory() { return appPaths().settingsDirectory; }
std::string recordsDirectory() { return appPaths().recordsDirectory; }

}  // namespace platform
