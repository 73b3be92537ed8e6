#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "capture/timing/beacon.h"
#include "capture/timing/capture_settings.h"
#include "common/sjis.h"
#include "timing_test_support.h"

namespace {

class SettingsTest : public TimingTest {
protected:
    std::string bytes() {
        std::ifstream in(settingsPath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    template <typename T>
    T at(const std::string& image, size_t offset) {
        T value;
        std::memcpy(&value, image.data() + offset, sizeof value);
        return value;
    }
};

TEST_F(SettingsTest, FirstRunKeepsTheDefaults) {
    EXPECT_EQ(loadSettings(), 1);
    EXPECT_STREQ(gpsPort.portName, "COM1");
    EXPECT_EQ(gpsPort.baudRate, 38400);
    EXPECT_EQ(gpsPort.byteSize, 8);
    EXPECT_EQ(gpsPort.parity, PARITY_NONE);
    EXPECT_EQ(gpsPort.stopBits, STOP_BITS_ONE);
    EXPECT_STREQ(beaconPort.portName, "COM2");
    EXPECT_EQ(beaconPort.baudRate, 9600);
    EXPECT_EQ(captureSettings.pointOffset, 15.0);
    EXPECT_EQ(captureSettings.samplingPeriodMs, 1000);
    EXPECT_EQ(captureSettings.maxRecordingSeconds, 7200);
    EXPECT_EQ(captureSettings.datum, 0);
    EXPECT_EQ(captureSettings.soundGuidance, 1);
    EXPECT_EQ(captureSettings.flashOnPass, 0);
    EXPECT_EQ(captureSettings.motecOnPointRegister, 1);
    EXPECT_EQ(captureSettings.flashColour, 0x000000FFu);
    EXPECT_EQ(sjisToUtf8(fixedText(captureSettings.lastCourseName)), "トラック1");
}

TEST_F(SettingsTest, WritesTheThreeBlocksAtTheirOffsets) {
    captureSettings.pointOffset = 22.5;
    captureSettings.samplingPeriodMs = 300;
    captureSettings.flashColour = 0x00FF8000;
    datum = 1;  // set through the GPS state, as the port dialog will
    binaryReceiver = 1;
    std::strcpy(gpsPort.portName, "/dev/ttyUSB0");
    gpsPort.handle = 17;  // an open descriptor is not stored
    beaconPort.baudRate = 19200;
    ASSERT_EQ(saveSettings(), 0);
    const std::string image = bytes();
    ASSERT_EQ(image.size(), 864u);
    EXPECT_EQ(at<double>(image, 8), 22.5);
    EXPECT_EQ(at<int32_t>(image, 16), 300);
    EXPECT_EQ(at<int32_t>(image, 24), 1);
    EXPECT_EQ(at<uint32_t>(image, 300), 0x00FF8000u);
    EXPECT_EQ(at<int32_t>(image, 304), 1);
    EXPECT_EQ(at<int32_t>(image, 308), 0);
    EXPECT_EQ(at<int32_t>(image, 312), 0);
    EXPECT_STREQ(image.data() + 316, "/dev/ttyUSB0");
    EXPECT_EQ(at<int32_t>(image, 312 + 260), 38400);
    EXPECT_STREQ(image.data() + 592, "COM2");
    EXPECT_EQ(at<int32_t>(image, 588 + 260), 19200);

    applyDefaultSettings();
    ASSERT_EQ(loadSettings(), 0);
    EXPECT_EQ(captureSettings.pointOffset, 22.5);
    EXPECT_EQ(datum, 1);
    EXPECT_EQ(binaryReceiver, 1);
    EXPECT_STREQ(gpsPort.portName, "/dev/ttyUSB0");
    EXPECT_EQ(gpsPort.handle, 0);
    EXPECT_EQ(beaconPort.baudRate, 19200);
}

TEST_F(SettingsTest, ShortFileChangesOnlyWhatItHolds) {
    CaptureSettings options;
    options.pointOffset = 30.0;
    options.samplingPeriodMs = 200;
    {
        std::ofstream out(settingsPath(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(&options), sizeof options);
    }
    ASSERT_EQ(loadSettings(), 0);
    EXPECT_EQ(captureSettings.pointOffset, 30.0);
    EXPECT_STREQ(gpsPort.portName, "COM1");
    EXPECT_EQ(gpsPort.baudRate, 38400);
    EXPECT_STREQ(beaconPort.portName, "COM2");

    // A file ending inside the GPS port block keeps the rest of that block too.
    SerialPort port;
    port.handle = 99;
    std::strcpy(port.portName, "COM7");
    port.baudRate = 4800;
    {
        std::ofstream out(settingsPath(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(&options), sizeof options);
        out.write(reinterpret_cast<const char*>(&port), 100);
    }
    applyDefaultSettings();
    ASSERT_EQ(loadSettings(), 0);
    EXPECT_STREQ(gpsPort.portName, "COM7");
    EXPECT_EQ(gpsPort.baudRate, 38400);
    EXPECT_EQ(gpsPort.handle, 0) << "handles are cleared after reading";
}

TEST_F(SettingsTest, FailedSaveIsReported) {
    platform::setExeDirectoryForTests((directory / "missing").string());
    EXPECT_EQ(saveSettings(), 1);
}

}  // namespace
