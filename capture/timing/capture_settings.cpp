#include "capture/timing/capture_settings.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "capture/gps/gps_state.h"
#include "common/atomic_file.h"
#include "capture/timing/beacon.h"
#include "capture/timing/pass_time_option.h"
#include "common/record_io.h"
#include "common/sjis.h"
#include "platform/exe_directory.h"

CaptureSettings captureSettings;

namespace {
std::atomic<double> publishedPointOffsetM{15.0};
std::atomic<int32_t> publishedFlashOnPass{0};
std::atomic<int32_t> publishedMotecLapSync{0};
std::atomic<int32_t> publishedInterpolatePassTime{0};
}  // namespace

void publishSettings() {
    publishedPointOffsetM.store(captureSettings.pointOffset);
    publishedFlashOnPass.store(captureSettings.flashOnPass);
    publishedMotecLapSync.store(captureSettings.motecLapSync);
    publishedInterpolatePassTime.store(interpolatePassTime);
    datum = captureSettings.datum;
    binaryReceiver = captureSettings.binaryReceiver;
}

PassOptions passOptions() {
    PassOptions o;
    o.pointOffsetM = publishedPointOffsetM.load();
    o.flashOnPass = publishedFlashOnPass.load() != 0;
    o.motecLapSync = publishedMotecLapSync.load() != 0;
    o.interpolatePassTime = publishedInterpolatePassTime.load() != 0;
    return o;
}

void applyDefaultSettings() {
    captureSettings = CaptureSettings{};
    interpolatePassTime = 0;
    const std::string name = utf8ToSjis("トラック1");
    std::snprintf(captureSettings.lastCourseName, sizeof captureSettings.lastCourseName, "%s",
                  name.c_str());
    gpsPort = closedSerialPort("COM1", 38400);
    beaconPort = closedSerialPort("COM2", 9600);
    publishSettings();
}

std::string settingsPath() { return platform::exeDirectory() + "velmora.pref"; }

int loadSettings() {
    // Update mode on purpose: a read-only settings file counts as missing.
    std::FILE* file = std::fopen(settingsPath().c_str(), "r+b");
    if (file == nullptr) return 1;
    // Each block keeps what a short file does not reach.
    readRecord(file, captureSettings);
    readRecord(file, gpsPort);
    readRecord(file, beaconPort);
    std::fclose(file);
    gpsPort.handle = 0;
    beaconPort.handle = 0;
    // A name that fills its whole field would be read past its end by every
    // user of the text; the last byte is always the terminator.
    captureSettings.lastCourseName[sizeof captureSettings.lastCourseName - 1] = '\0';
    gpsPort.portName[SERIAL_PORT_NAME_BYTES - 1] = '\0';
    beaconPort.portName[SERIAL_PORT_NAME_BYTES - 1] = '\0';
    publishSettings();
    return 0;
}

FileWriteResult saveSettings() {
    captureSettings.datum = datum;
    captureSettings.binaryReceiver = binaryReceiver;
    SerialPort gps = gpsPort;
    SerialPort beacon = beaconPort;
    // An open port's descriptor means nothing in a file.
    gps.handle = 0;
    beacon.handle = 0;
    return writeFileAtomically(settingsPath(), [&](std::FILE* file) {
        return writeRecord(file, captureSettings) && writeRecord(file, gps) &&
               writeRecord(file, beacon);
    });
}
