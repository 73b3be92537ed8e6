#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "capture/timing/beacon.h"
#include "pty_support.h"
#include "timing_test_support.h"

namespace {

// Drains the master side of the beacon pty and counts what arrives.
class BurstCounter {
public:
    explicit BurstCounter(int fd) : fd_(fd), thread_([this] { run(); }) {}
    ~BurstCounter() {
        stop_ = true;
        thread_.join();
    }
    long bytes() const { return bytes_.load(); }
    long nonZero() const { return nonZero_.load(); }

private:
    void run() {
        unsigned char buffer[4096];
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got <= 0) continue;
            for (ssize_t i = 0; i < got; ++i) nonZero_ += buffer[i] != 0;
            bytes_ += got;
        }
    }
    int fd_;
    std::atomic<bool> stop_{false};
    std::atomic<long> bytes_{0};
    std::atomic<long> nonZero_{0};
    std::thread thread_;
};

class BeaconTest : public TimingTest {
protected:
    void SetUp() override {
        TimingTest::SetUp();
        platform::setTickSourceForTests(nullptr);  // bursts are timed on the real clock
        ASSERT_TRUE(pty.ok());
        std::snprintf(beaconPort.portName, sizeof beaconPort.portName, "%s", pty.path().c_str());
        beaconPulseCount = 0;
    }
    void TearDown() override {
        closeBeaconPort();
        TimingTest::TearDown();
    }
    // Milliseconds until the pending pulse is taken, or -1 after 20 s.
    static long waitForBurstEnd() {
        const uint32_t start = platform::GetTickCount();
        while (beaconPulsePending.load() != 0) {
            if (platform::GetTickCount() - start > 20000) return -1;
            platform::sleepMs(5);
        }
        return static_cast<long>(platform::GetTickCount() - start);
    }
    Pty pty;
};

TEST_F(BeaconTest, PassBecomesZeroBurstLastingTwoSeconds) {
    BurstCounter counter(pty.master());
    ASSERT_EQ(openBeaconPort(), 0);
    EXPECT_EQ(motecRunning.load(), 1);
    platform::sleepMs(50);
    EXPECT_EQ(counter.bytes(), 0) << "nothing is sent without a pass";
    beaconPulsePending = 1;
    const long burstMs = waitForBurstEnd();
    EXPECT_GE(burstMs, static_cast<long>(BEACON_BURST_MS) - 10);
    ASSERT_GE(burstMs, 0) << "the burst never ended";
    EXPECT_EQ(beaconPulseCount.load(), 1);
    platform::sleepMs(100);
    EXPECT_GE(counter.bytes(), BEACON_BURST_BYTES);
    EXPECT_EQ(counter.bytes() % BEACON_BURST_BYTES, 0) << "only whole bursts are written";
    EXPECT_EQ(counter.nonZero(), 0);
}

TEST_F(BeaconTest, SecondPassDuringABurstIsAbsorbed) {
    BurstCounter counter(pty.master());
    ASSERT_EQ(openBeaconPort(), 0);
    beaconPulsePending = 1;
    platform::sleepMs(1000);
    beaconPulsePending = 1;  // the lap timing sets the same flag again
    ASSERT_GE(waitForBurstEnd(), 0);
    platform::sleepMs(100);
    EXPECT_EQ(beaconPulseCount.load(), 1);
    EXPECT_EQ(beaconPulsePending.load(), 0);
}

TEST_F(BeaconTest, CloseEndsTheSenderAndReleasesThePort) {
    BurstCounter counter(pty.master());
    ASSERT_EQ(openBeaconPort(), 0);
    beaconPulsePending = 1;
    platform::sleepMs(100);
    closeBeaconPort();  // in the middle of a burst
    EXPECT_EQ(motecRunning.load(), 0);
    EXPECT_EQ(beaconPort.handle, 0);
    ASSERT_EQ(openBeaconPort(), 0) << "the port can be opened again";
    closeBeaconPort();
}


}  // namespace
