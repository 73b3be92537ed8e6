// An X server of the test's own, without a window manager (as a kiosk car PC
// runs), and a user's keys and mouse on it through xdotool (XTEST): keys go
// where the X server's focus is, so they test who really has the keyboard.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/eventually.h"

class PrivateXServer {
public:
    PrivateXServer() {
        if (::access(XVFB, X_OK) != 0 || ::access(XDOTOOL, X_OK) != 0) return;
        int fds[2];
        if (::pipe(fds) != 0) return;  // the write end must survive the exec
        ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        // -displayfd picks a free display and writes its number on the pipe.
        server_ = std::make_unique<ChildProcess>(std::vector<std::string>{
            "/bin/sh", "-c", "exec " + std::string(XVFB) + " -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>&" +
                                 std::to_string(fds[1]) + " 2>/dev/null"});
        ::close(fds[1]);
        std::string number;
        char c = 0;
        while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(fds[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    ~PrivateXServer() {
        if (!server_) return;
        server_->signal(SIGTERM);
        server_->wait(5000);
    }
    // "" when Xvfb or xdotool is missing.
    const std::string& display() const { return display_; }

    // Runs xdotool with `arguments` (a shell word list) on this display; its output.
    std::string xdotool(const std::string& arguments) const {
        return runToEnd({"/bin/sh", "-c", "DISPLAY=" + display_ + " " + XDOTOOL + " " + arguments}).second;
    }
    // The titles of the windows shown now, one per line.
    std::string titles() const {
        return runToEnd({"/bin/sh", "-c", "export DISPLAY=" + display_ + "; for w in $(" + XDOTOOL +
                                              " search --onlyvisible --name .); do " + XDOTOOL +
                                              " getwindowname $w; done"})
            .second;
    }
    bool shows(const std::string& title, int timeoutMs = 20000) const {
        return eventually([&] { return titles().find(title + "\n") != std::string::npos; }, timeoutMs);
    }

private:
    static constexpr const char* XVFB = "/usr/bin/Xvfb";
    static constexpr const char* XDOTOOL = "/usr/bin/xdotool";
    std::unique_ptr<ChildProcess> server_;
    std::string display_;
};
