#include "platform/gui/termination_signals.h"

#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace platform {
namespace {

int signalPipe[2] = {-1, -1};

void onSignalByte(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

bool onTerminationSignal(QCoreApplication& app, std::function<void()> onSignal) {
    if (signalPipe[0] >= 0 || ::pipe(signalPipe) != 0) return false;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [onSignal = std::move(onSignal)] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        onSignal();
    });
    struct sigaction action = {};
    action.sa_handler = onSignalByte;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    // A closed terminal or a logout; left ignored when started under nohup.
    struct sigaction hangup = {};
    if (::sigaction(SIGHUP, nullptr, &hangup) == 0 && hangup.sa_handler != SIG_IGN)
        ::sigaction(SIGHUP, &action, nullptr);
    return true;
}

}  // namespace platform
