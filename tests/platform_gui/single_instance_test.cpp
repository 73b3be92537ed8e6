#include "platform/gui/single_instance.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <filesystem>
#include <vector>
#include <atomic>
#include <string>
#include <thread>

namespace {

// Names unique to this test process, so parallel runs and a real running
// program never meet.
std::string uniqueName(const char* base) {
    static int serial = 0;
    return std::string(base) + "-test-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
}

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "single_instance_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// Runs the event loop until `done` or 10 s.
void pumpUntil(const std::atomic<bool>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

struct Names {
    std::string lock = uniqueName("LOCK");
    std::string shm = uniqueName("shm");
    std::string socket = uniqueName("sock");
    ~Names() {
        shm_unlink(("/" + shm).c_str());
        unlink(platform::SingleInstance(lock, shm, socket).lockPath().c_str());
    }
};

}  // namespace

TEST(SingleInstance, OnlyTheFirstTakesTheLockUntilItEnds) {
    Names n;
    auto first = std::make_unique<platform::SingleInstance>(n.lock, n.shm, n.socket);
    platform::SingleInstance second(n.lock, n.shm, n.socket);
    EXPECT_TRUE(first->acquire());
    EXPECT_FALSE(second.acquire());
    first.reset();  // the running program ends
    EXPECT_TRUE(second.acquire());
}

TEST(SingleInstance, AHandedOverPathIsHandledBeforeTheSenderReturns) {
    app();
    Names n;
    platform::SingleInstance running(n.lock, n.shm, n.socket);
    ASSERT_TRUE(running.openSharedMemory());
    ASSERT_TRUE(running.acquire());
    int received = 0;
    std::string path;
    ASSERT_TRUE(running.listen([&](int command) {
        received = command;
        path = running.sharedPath();
    }));

    std::atomic<bool> done{false};
    std::atomic<int> result{-1};
    std::thread launch([&] {
        platform::SingleInstance second(n.lock, n.shm, n.socket);
        EXPECT_FALSE(second.acquire());
        result = second.handOver("/home/driver/コース/tsukuba.gps");
        done = true;
    });
    pumpUntil(done);
    launch.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(received, platform::COMMAND_OPEN_HANDOFF);
    EXPECT_EQ(path, "/home/driver/コース/tsukuba.gps");
}

// The running program may sit in a modal box (an error about the file) long
// after the second launch gave up waiting and closed its end.
TEST(SingleInstance, AHandOverWhoseHandlingOutlivesTheSenderDoesNotHarmTheRunningProgram) {
    app();
    Names n;
    platform::SingleInstance running(n.lock, n.shm, n.socket);
    ASSERT_TRUE(running.openSharedMemory());
    ASSERT_TRUE(running.acquire());
    std::vector<std::string> handled;
    ASSERT_TRUE(running.listen([&](int) {
        handled.push_back(running.sharedPath());
        if (handled.size() > 1) return;
        QEventLoop modal;  // as QMessageBox::exec would
        QTimer::singleShot(1500, &modal, &QEventLoop::quit);
        modal.exec();
    }));
    for (const char* path : {"/logs/damaged.gpd", "/logs/good.gpd"}) {
        std::atomic<bool> done{false};
        std::atomic<int> result{-1};
        std::thread launch([&] {
            platform::SingleInstance second(n.lock, n.shm, n.socket);
            result = second.handOver(path, 300);
            done = true;
        });
        pumpUntil(done);
        launch.join();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(result, path == std::string("/logs/good.gpd") ? 0 : 2) << path;
    }
    EXPECT_EQ(handled, (std::vector<std::string>{"/logs/damaged.gpd", "/logs/good.gpd"}));
}

TEST(SingleInstance, ARelativePathIsHandedOverAbsoluteAndMustFitAsSuch) {
    app();
    Names n;
    platform::SingleInstance running(n.lock, n.shm, n.socket);
    ASSERT_TRUE(running.openSharedMemory());
    ASSERT_TRUE(running.acquire());
    std::string received;
    ASSERT_TRUE(running.listen([&](int) { received = running.sharedPath(); }));
    const std::string folder = "/tmp/vq_handover_" + std::to_string(getpid());
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string before = std::filesystem::current_path();
    std::filesystem::current_path(folder);  // the second launch's own folder
    std::atomic<bool> done{false};
    std::atomic<int> result{-1};
    std::thread launch([&] {
        platform::SingleInstance second(n.lock, n.shm, n.socket);
        result = second.handOver("lap.gpd");
        done = true;
    });
    pumpUntil(done);
    launch.join();
    platform::SingleInstance tooLong(n.lock, n.shm, n.socket);
    const int longResult = tooLong.handOver(std::string(255 - folder.size(), 'a'));
    std::filesystem::current_path(before);
    rmdir(folder.c_str());
    EXPECT_EQ(result, 0);
    EXPECT_EQ(received, folder + "/lap.gpd");
    EXPECT_EQ(longResult, 1) << "255 bytes relative, more than 255 absolute";
    EXPECT_EQ(received, folder + "/lap.gpd") << "nothing written for a path that does not fit";

    platform::SingleInstance second(n.lock, n.shm, n.socket);
    EXPECT_EQ(second.handOver(std::string(256, 'a')), 1);
}

TEST(SingleInstance, NoRunningInstanceToReachIsReported) {
    Names n;
    platform::SingleInstance second(n.lock, n.shm, n.socket);
    EXPECT_EQ(second.handOver("/tmp/x.gps", 500), 2);
}
