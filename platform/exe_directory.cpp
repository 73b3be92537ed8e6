#include "platform/exe_directory.h"

#include <unistd.h>

#include <climits>
#include <mutex>

namespace platform {

namespace {

std::mutex directoryLock;
std::string overrideDirectory;

std::string readExeDirectory() {
    char path[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
    if (n <= 0) return "./";
    std::string full(path, static_cast<size_t>(n));
    size_t slash = full.rfind('/');
    return slash == std::string::npos ? "./" : full.substr(0, slash + 1);
}

}  // namespace

const std::string& exeDirectory() {
    static const std::string real = readExeDirectory();
    std::lock_guard<std::mutex> guard(directoryLock);
    return overrideDirectory.empty() ? real : overrideDirectory;
}

void setExeDirectoryForTests(const std::string& directory) {
    std::lock_guard<std::mutex> guard(directoryLock);
    overrideDirectory = directory;
    if (!overrideDirectory.empty() && overrideDirectory.back() != '/') overrideDirectory += '/';
}

}  // namespace platform
