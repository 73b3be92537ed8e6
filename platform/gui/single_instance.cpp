#include "platform/gui/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QVariant>
#include <cstring>
#include <filesystem>

namespace platform {

namespace {

// The lock lives in the user's runtime folder where there is one, so that two
// users of one machine do not block each other.
std::string lockFolder() {
    if (const char* runtime = getenv("XDG_RUNTIME_DIR"); runtime && *runtime) return runtime;
    return "/tmp";
}

// A command travels as its decimal number and a newline; the reply "done\n"
// says it was handled.
constexpr char REPLY[] = "done\n";
constexpr char HANDLING[] = "handlingCommands";  // socket property: commands running now

}  // namespace

void SingleInstance::serve(QLocalSocket* client) {
    client->setProperty(HANDLING, client->property(HANDLING).toInt() + 1);
    while (client->canReadLine()) {
        bool ok = false;
        const int command = client->readLine().trimmed().toInt(&ok);
        if (ok && onCommand_) onCommand_(command);
        // The sender may have given up meanwhile; there is nobody to tell then.
        if (client->state() != QLocalSocket::ConnectedState) break;
        client->write(REPLY);
        client->flush();
    }
    client->setProperty(HANDLING, client->property(HANDLING).toInt() - 1);
    if (client->property(HANDLING).toInt() == 0 && client->state() == QLocalSocket::UnconnectedState)
        client->deleteLater();
}

std::string SingleInstance::absolutePath(std::string_view path) {
    if (path.empty() || path.front() == '/') return std::string(path);
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), error);
    return error ? std::string(path) : absolute.string();
}

SingleInstance::SingleInstance(std::string lockName, std::string sharedMemoryName, std::string socketName)
    : lockName_(std::move(lockName)),
      sharedMemoryName_(std::move(sharedMemoryName)),
      socketName_(std::move(socketName)),
      lockPath_(lockFolder() + "/" + lockName_ + "-" + std::to_string(getuid()) + ".lock") {}

SingleInstance::~SingleInstance() {
    delete server_;
    if (shared_) munmap(shared_, HANDOFF_BYTES);
    if (sharedFd_ >= 0) close(sharedFd_);
    if (lockFd_ >= 0) close(lockFd_);  // releases the lock
}

bool SingleInstance::openSharedMemory() {
    if (shared_) return true;
    const std::string name = "/" + sharedMemoryName_;
    sharedFd_ = shm_open(name.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (sharedFd_ < 0) return false;
    struct stat st {};
    if (fstat(sharedFd_, &st) != 0 ||
        (st.st_size < static_cast<off_t>(HANDOFF_BYTES) && ftruncate(sharedFd_, HANDOFF_BYTES) != 0)) {
        close(sharedFd_);
        sharedFd_ = -1;
        return false;
    }
    void* view = mmap(nullptr, HANDOFF_BYTES, PROT_READ | PROT_WRITE, MAP_SHARED, sharedFd_, 0);
    if (view == MAP_FAILED) {
        close(sharedFd_);
        sharedFd_ = -1;
        return false;
    }
    shared_ = static_cast<char*>(view);
    return true;
}

bool SingleInstance::acquire() {
    if (lockFd_ >= 0) return true;
    const int fd = open(lockPath_.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    // flock belongs to the open file description, so a second open in the
    // same process conflicts as a second process would.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    lockFd_ = fd;
    return true;
}

int SingleInstance::handOver(std::string_view given, int timeoutMs) {
    const std::string path = absolutePath(given);
    if (path.size() >= HANDOFF_BYTES) return 1;
    if (!openSharedMemory()) return 2;
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(socketName_));
    if (!socket.waitForConnected(timeoutMs)) return 2;
    std::memcpy(shared_, path.data(), path.size());
    shared_[path.size()] = '\0';
    socket.write(QByteArray::number(COMMAND_OPEN_HANDOFF) + "\n");
    if (!socket.waitForBytesWritten(timeoutMs)) return 2;
    QByteArray reply;
    while (!reply.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs)) return 2;
        reply += socket.readAll();
    }
    return reply.startsWith(REPLY) ? 0 : 2;
}

bool SingleInstance::listen(std::function<void(int command)> onCommand) {
    onCommand_ = std::move(onCommand);
    if (!server_) server_ = new QLocalServer;
    const QString name = QString::fromStdString(socketName_);
    // We hold the instance lock, so a socket left by a crashed run is stale.
    QLocalServer::removeServer(name);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name)) return false;
    QObject::connect(server_, &QLocalServer::newConnection, server_, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            // A command's handling may open a modal box whose event loop sees
            // the sender give up and disconnect; the socket must outlive the
            // handling, so it is only released once no command is running.
            QObject::connect(client, &QLocalSocket::disconnected, client, [client] {
                if (client->property(HANDLING).toInt() == 0) client->deleteLater();
            });
            QObject::connect(client, &QLocalSocket::readyRead, client, [this, client] { serve(client); });
        }
    });
    return true;
}

std::string SingleInstance::sharedPath() const {
    if (!shared_) return {};
    return std::string(shared_, strnlen(shared_, HANDOFF_BYTES));
}

}  // namespace platform
