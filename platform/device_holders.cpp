#include "platform/device_holders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {

namespace {

constexpr unsigned PTY_SLAVE_FIRST_MAJOR = 136;  // Unix98 pseudo-terminal slaves: 136..143
constexpr unsigned PTY_SLAVE_LAST_MAJOR = 143;

// The pseudo-terminal index of a slave device, or -1 for any other device.
long ptyIndex(dev_t device) {
    const unsigned m = major(device);
    if (m < PTY_SLAVE_FIRST_MAJOR || m > PTY_SLAVE_LAST_MAJOR) return -1;
    return static_cast<long>((m - PTY_SLAVE_FIRST_MAJOR) * 256 + minor(device));
}

// The "tty-index" of a pseudo-terminal master descriptor, or -1.
long masterIndex(const std::string& processDir, const char* fdName) {
    char target[64];
    const std::string link = processDir + "/fd/" + fdName;
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0) return -1;
    target[n] = '\0';
    if (std::strcmp(target, "/dev/ptmx") != 0 && std::strcmp(target, "/dev/pts/ptmx") != 0) return -1;
    std::FILE* info = std::fopen((processDir + "/fdinfo/" + fdName).c_str(), "r");
    if (info == nullptr) return -1;
    long index = -1;
    char line[128];
    while (std::fgets(line, sizeof line, info) != nullptr) {
        if (std::sscanf(line, "tty-index: %ld", &index) == 1) break;
    }
    std::fclose(info);
    return index;
}

// Whether one process holds `device` (and is not the owner of the
// pseudo-terminal it belongs to).
bool processHolds(const std::string& processDir, dev_t device, long pty) {
    DIR* fds = ::opendir((processDir + "/fd").c_str());
    if (fds == nullptr) return false;
    bool holds = false, ownsPty = false;
    while (const dirent* entry = ::readdir(fds)) {
        if (entry->d_name[0] == '.') continue;
        struct stat st {};
        if (::fstatat(::dirfd(fds), entry->d_name, &st, 0) != 0 || !S_ISCHR(st.st_mode)) continue;
        if (st.st_rdev == device) holds = true;
        else if (pty >= 0 && masterIndex(processDir, entry->d_name) == pty) ownsPty = true;
    }
    ::closedir(fds);
    return holds && !ownsPty;
}

}  // namespace

bool deviceHeldElsewhere(int fd) {
    struct stat own {};
    if (::fstat(fd, &own) != 0 || !S_ISCHR(own.st_mode)) return false;
    const long pty = ptyIndex(own.st_rdev);
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return false;
    const long self = static_cast<long>(::getpid());
    bool held = false;
    while (!held) {
        const dirent* entry = ::readdir(proc);
        if (entry == nullptr) break;
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || pid <= 0 || pid == self) continue;
        held = processHolds(std::string("/proc/") + entry->d_name, own.st_rdev, pty);
    }
    ::closedir(proc);
    return held;
}

}  // namespace platform
