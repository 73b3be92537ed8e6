// SIGINT, SIGTERM and SIGHUP (unless ignored) as a call on the Qt thread: the handler only writes a
// byte to a pipe; a socket notifier reads it in the event loop and calls
// `onSignal` there, so the program can end its loop and shut down as after
// its own exit command (writing what it keeps on disk).
#pragma once

#include <QCoreApplication>
#include <functional>

namespace platform {

// Installs the handlers once per process; false when the pipe cannot be made.
bool onTerminationSignal(QCoreApplication& app, std::function<void()> onSignal);

}  // namespace platform
