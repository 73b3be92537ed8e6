// One running instance per program, and the hand-over of a path from a second
// launch to the running one.
//
// The running instance holds an exclusive lock named like the program's mutex
// and listens on a local socket named after its window class. A second launch
// writes its path into a 256-byte shared memory named like the program's
// mapping, sends the hand-over command over the socket and waits until the
// running instance has handled it, as a synchronous window message would.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QLocalServer;
class QLocalSocket;

namespace platform {

constexpr int COMMAND_OPEN_HANDOFF = 33000;
constexpr size_t HANDOFF_BYTES = 256;  // shared memory size; a path must fit with its terminator

class SingleInstance {
public:
    // lockName "VELMORA" / "QUINDLE"; sharedMemoryName "velmora" / "morvanefname";
    // socketName: the window class, "VELMORA" / "plwin0".
    SingleInstance(std::string lockName, std::string sharedMemoryName, std::string socketName);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Creates (or opens) the shared memory and maps it; false when that failed.
    bool openSharedMemory();

    // Takes the instance lock; true when this is the first instance.
    bool acquire();

    // Second launch: 1 when the path does not fit (256 bytes or more once made
    // absolute; never truncated into another path), 2 when the running
    // instance cannot be reached, 0 once it has handled the command. A
    // relative path is taken from this process's working folder, since the
    // running instance has its own.
    int handOver(std::string_view path, int timeoutMs = 30000);

    // First instance: listens for hand-over commands. `onCommand(command)`
    // runs on the thread that owns this object, inside its event loop; the
    // second launch is released when it returns.
    bool listen(std::function<void(int command)> onCommand);

    // `path` made absolute against the working folder (unchanged when it already is).
    static std::string absolutePath(std::string_view path);

    // The NUL-terminated text in the shared memory ("" when not mapped).
    std::string sharedPath() const;

    // Where the lock file lives (for messages and tests).
    const std::string& lockPath() const { return lockPath_; }

private:
    void serve(QLocalSocket* client);

    std::string lockName_;
    std::string sharedMemoryName_;
    std::string socketName_;
    std::string lockPath_;
    int lockFd_ = -1;
    int sharedFd_ = -1;
    char* shared_ = nullptr;
    QLocalServer* server_ = nullptr;
    std::function<void(int)> onCommand_;
};

}  // namespace platform
