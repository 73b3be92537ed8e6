#include "capture/gps/gps_reader.h"

#include <gtest/gtest.h>

#include <thread>

#include "gps_test_support.h"
#include "tests/support/counting_hooks.h"
#include "tests/support/pty.h"

namespace {

class GpsReaderTest : public GpsTest {
protected:
    void SetUp() override {
        GpsTest::SetUp();
        hooks.install();
        ASSERT_TRUE(pty.ok());
        setPortName(gpsPort, pty.path());
    }
    void TearDown() override {
        closeGpsPort();
        GpsTest::TearDown();
    }
    Pty pty;
    CountingHooks hooks;
};

TEST_F(GpsReaderTest, DecodesSentencesAfterLongNoiseAndChecksPassesAfterEachLine) {
    gpsFix.quality = 5;  // left from an earlier run: the start clears it
    ASSERT_EQ(openGpsPort(), 0);
    EXPECT_EQ(readerRunning.load(), 1);
    // 128 bytes of noise without "$" are dropped; a sentence broken off and never
    // ended is kept from its "$" until the next line feed ends it as noise:
    // neither wedges the reader.
    std::string stream = std::string(150, 'x') + "$GPGSV,3,1,12" + std::string(140, 'y');
    for (int i = 0; i < 6; ++i) stream += gga(1);
    pty.write(stream);
    ASSERT_TRUE(eventually([] { return gpsFix.fixReceived.load() == 1; }));
    // The first GGA after start carries no usable position; the second does.
    EXPECT_NEAR(readPublishedPosition().latitude, 35.0 + 39.1234 / 60.0, 1e-12);
    EXPECT_GE(CountingHooks::passChecks.load(), 2);
    EXPECT_GE(CountingHooks::flashPolls.load(), 2);
    closeGpsPort();
    EXPECT_EQ(readerRunning.load(), 0);
    EXPECT_EQ(gpsPort.handle, 0);
}

TEST_F(GpsReaderTest, PartialSentenceWaitsUntilTheBufferCanBeFilled) {
    ASSERT_EQ(openGpsPort(), 0);
    const std::string stream = gga(0) + gga(0);
    ASSERT_GT(stream.size(), 128u);
    pty.write(stream.substr(0, 100));  // one whole line and a partial one
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CountingHooks::passChecks.load(), 0);
    EXPECT_EQ(sink.text(PANEL_STATUS), "");
    pty.write(stream.substr(100, 28));  // the 28 bytes that fill the 128-byte buffer
    ASSERT_TRUE(eventually([&] { return CountingHooks::passChecks.load() == 1; }));
    EXPECT_EQ(sink.text(PANEL_STATUS), "GPGGA");
}

TEST_F(GpsReaderTest, BinaryReceiverIsSetUpAndDecoded) {
    binaryReceiver = 1;
    gpsPort.baudRate = 9600;
    ASSERT_EQ(openGpsPort(), 0);
    EXPECT_EQ(pty.readBack(19), std::string("\x10\x3F\x2F\x09\x26\x10\x03"
                                            "\x10\x75\x10\x10\x00\x00\x00\x00\x10\x10\x10\x03",
                                            19));
    const auto packet = stuffedPacket(0x75, bigEndianPositionData(0x30, LATITUDE_35_5, 40, 0xFFFF));
    // 64 bytes of noise without a DLE first: dropped instead of wedging the buffer.
    std::string stream(64, 'n');
    for (int i = 0; i < 3; ++i) stream.append(packet.begin(), packet.end());
    pty.write(stream);
    ASSERT_TRUE(eventually([] { return gpsFix.fixReceived.load() == 1; }));
    EXPECT_EQ(readPublishedPosition().altitude, 40.0);
    closeGpsPort();
    ASSERT_EQ(openGpsPort(), 0) << "stopping released the port";
    EXPECT_EQ(sink.text(PANEL_TIME), "09時05分30秒");
    EXPECT_GE(CountingHooks::passChecks.load(), 1);
}

TEST(PublishedPosition, ReadersNeverSeeAHalfUpdatedTriple) {
    resetGpsState();
    std::atomic<bool> done{false};
    std::atomic<long> torn{0}, reads{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&] {
            while (!done.load()) {
                const PositionTriple p = readPublishedPosition();
                if (p.longitude != 2.0 * p.latitude || p.altitude != 3.0 * p.latitude) ++torn;
                ++reads;
            }
        });
    }
    GeoPoint point;
    for (int i = 1; i <= 200000 || reads.load() < 1000; ++i) {
        point.latitude = i;
        point.longitude = 2.0 * i;
        point.altitude = 3.0 * i;
        publishPosition(point);
    }
    done = true;
    for (auto& t : readers) t.join();
    EXPECT_EQ(torn.load(), 0);
    resetGpsState();
}

}  // namespace
