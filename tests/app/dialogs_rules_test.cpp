// What the capture program's dialogs make of typed texts, without any widget:
// the GPS port fields, the settings ranges, the course name, the voice file of
// a cue, the file dialog set-up and the serial devices offered as ports.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "capture/app/cue_rules.h"
#include "capture/app/dialog_rules.h"
#include "capture/app/serial_device_list.h"
#include "capture/timing/recorder.h"
#include "common/sjis.h"

namespace {

SerialPort portWith(int32_t stopBits, int32_t parity) {
    SerialPort p;
    std::strcpy(p.portName, "COM3");
    p.baudRate = 4800;
    p.byteSize = 8;
    p.stopBits = stopBits;
    p.parity = parity;
    return p;
}

TEST(GpsPortRules, InitialTextsFollowTheStoredCodes) {
    GpsPortFields f = gpsPortFieldsFrom(portWith(1, PARITY_ODD), 1, 1);
    EXPECT_EQ(f.port, "COM3");
    EXPECT_EQ(f.baudRate, "4800");
    EXPECT_EQ(f.stopBits, "1.5");
    EXPECT_EQ(f.parity, "ODD") << "the stored code 1 is odd parity, although the list shows EVEN second";
    EXPECT_EQ(f.datum, "TOKYO");
    EXPECT_TRUE(f.binaryReceiver);
    f = gpsPortFieldsFrom(portWith(7, 9), 5, 0);
    EXPECT_EQ(f.stopBits + f.parity + f.datum, "") << "codes outside the lists show empty boxes";
}

TEST(GpsPortRules, ListEntriesOnlyOnExactMatchNumbersAsTheDialogReadsThem) {
    struct Case {
        const char* stop;
        const char* parity;
        const char* datum;
        const char* baud;
        bool binary;
        int32_t wantStop, wantParity, wantDatum, wantBaud;
    };
    // The old values are stop 1 (1.5), parity ODD, datum 1 (TOKYO).
    const Case cases[] = {
        {"1.50", "odd", "tokyo", "19200", false, 1, PARITY_ODD, 1, 19200},  // near misses keep
        {" 2", "NONE ", "WGS84", "abc", false, 1, PARITY_ODD, 1, 0},         // blanks count too
        {"2", "EVEN", "WGS-84", "4800bps", false, 2, PARITY_EVEN, 0, 4800},
        {"1", "NONE", "TOKYO", "38400", true, 0, PARITY_NONE, 1, 9600},  // binary forces 9600
        {"1", "ODD", "TOKYO", "99999999999", false, 0, PARITY_ODD, 1, 0},  // past int32: 0
    };
    for (const Case& c : cases) {
        SerialPort port = portWith(1, PARITY_ODD);
        int32_t datum = 1;
        int32_t binary = 1;
        GpsPortFields f{"COM4", c.baud, "7", c.stop, c.parity, c.datum, c.binary};
        applyGpsPortFields(f, port, datum, binary);
        SCOPED_TRACE(std::string(c.stop) + "/" + c.parity + "/" + c.datum + "/" + c.baud);
        EXPECT_EQ(port.stopBits, c.wantStop);
        EXPECT_EQ(port.parity, c.wantParity);
        EXPECT_EQ(datum, c.wantDatum);
        EXPECT_EQ(port.baudRate, c.wantBaud);
        EXPECT_EQ(port.byteSize, 7);
        EXPECT_EQ(binary, c.binary ? 1 : 0);
        EXPECT_STREQ(port.portName, "COM4");
    }
}

TEST(GpsPortRules, LongDevicePathsAreStoredWholeAndLongTextsCutOnACharacter) {
    SerialPort port;
    int32_t datum = 0, binary = 0;
    const std::string byId = "/dev/serial/by-id/usb-u-blox_AG_-_www.u-blox.com_u-blox_GNSS_receiver-if00";
    applyGpsPortFields({byId, "9600", "8", "1", "NONE", "WGS-84", false}, port, datum, binary);
    EXPECT_EQ(std::string(port.portName), byId);
    std::string japanese;
    for (int i = 0; i < 200; ++i) japanese += "ポ";  // 600 bytes of UTF-8
    storePortName(port, japanese);
    const std::string stored = port.portName;
    EXPECT_EQ(stored.size(), 255u);
    EXPECT_EQ(stored, japanese.substr(0, 255)) << "85 whole characters, never half of one";
}

TEST(GpsSettingsRules, RefusalsNameTheBoxAndTheRangeAndStoreNothing) {
    const std::string tooLong = std::to_string(maxRecordingSecondsFor(1000) + 1);
    struct Case {
        const char* offset;
        const char* period;
        const char* seconds;
        int box;
        const char* range;  // must appear in the message
    };
    const Case refused[] = {
        {"0", "1000", "7200", GPS_SETTINGS_POINT_OFFSET, "0より大きい"},
        {"-3.5", "1000", "7200", GPS_SETTINGS_POINT_OFFSET, "0より大きい"},
        {"nan", "1000", "7200", GPS_SETTINGS_POINT_OFFSET, "0より大きい"},
        {"15", "0", "7200", GPS_SETTINGS_SAMPLING, "1以上"},
        {"15", "-100", "7200", GPS_SETTINGS_SAMPLING, "1以上"},
        {"15", "ms", "7200", GPS_SETTINGS_SAMPLING, "1以上"},
        {"15", "1000", "0", GPS_SETTINGS_MAX_RECORDING, "1～10000000"},
        {"15", "1000", tooLong.c_str(), GPS_SETTINGS_MAX_RECORDING, "1～10000000"},
        {"15", "60000", "59", GPS_SETTINGS_MAX_RECORDING, "60～"},  // no whole sample in 59 s
    };
    for (const Case& c : refused) {
        CaptureSettings s;
        const CaptureSettings before = s;
        const SettingsCheck check = applyGpsSettingsFields({c.offset, c.period, c.seconds}, s);
        SCOPED_TRACE(std::string(c.offset) + " " + c.period + " " + c.seconds);
        EXPECT_FALSE(check.accepted);
        EXPECT_EQ(check.controlId, c.box);
        EXPECT_NE(check.messageUtf8.find(c.range), std::string::npos) << check.messageUtf8;
        EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0);
    }
}

TEST(GpsSettingsRules, TheBoundsAreExactlyWhatStartUpAllocates) {
    for (int32_t period : {1, 5, 333, 1000, 7001, 60000}) {
        SCOPED_TRACE(period);
        const int32_t low = minRecordingSeconds(period);
        const int32_t high = maxRecordingSecondsFor(period);
        const auto raw = [&](int32_t s) { return static_cast<int64_t>(1000.0 / period * s); };
        EXPECT_GE(raw(low), MIN_SAMPLE_CAPACITY);
        EXPECT_LT(raw(low - 1), MIN_SAMPLE_CAPACITY);
        EXPECT_LE(raw(high), MAX_SAMPLE_CAPACITY);
        EXPECT_GT(raw(high + 1), MAX_SAMPLE_CAPACITY);
        EXPECT_EQ(computeMaxSamples(period, high), raw(high));
    }
    CaptureSettings s;
    EXPECT_EQ(gpsSettingsFieldsFrom(s).pointOffset, "15.0");
    const SettingsCheck ok = applyGpsSettingsFields({"22.75m", "200", "3600"}, s);
    EXPECT_TRUE(ok.accepted);
    EXPECT_EQ(s.pointOffset, 22.75) << "the leading number of the text";
    // A locale with decimal commas changes neither the reading nor the shown text.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
        EXPECT_EQ(parseDialogNumber(" 1.5e1x"), 15.0);
        EXPECT_EQ(gpsSettingsFieldsFrom(s).pointOffset, "22.8");
        std::setlocale(LC_NUMERIC, "C");
    }
    EXPECT_EQ(parseDialogNumber("-0.5"), -0.5);
    EXPECT_EQ(parseDialogNumber("abc"), 0.0);
    EXPECT_EQ(parseDialogNumber("inf"), std::nullopt);
    EXPECT_EQ(s.samplingPeriodMs, 200);
    EXPECT_EQ(s.maxRecordingSeconds, 3600);
}

TEST(CourseNameRules, EmptyBecomesTheDefaultAndEverythingBecomesTheNextPreset) {
    CaptureSettings s;
    std::strcpy(s.lastCourseName, utf8ToSjis("筑波").c_str());
    s.lastCourseType = COURSE_OPEN;
    EXPECT_EQ(presetCourseName(s), "筑波");
    EXPECT_EQ(presetCourseType(s), COURSE_OPEN);
    s.lastCourseType = 3;
    EXPECT_EQ(presetCourseType(s), std::nullopt) << "no radio button for an unknown type";

    Course c;
    c.courseType = COURSE_OPEN_RETURN;
    EXPECT_TRUE(courseNeedsName(c));
    applyCourseName("", std::nullopt, c, s);
    EXPECT_EQ(sjisToUtf8(c.name), "トラック1");
    EXPECT_EQ(sjisToUtf8(s.lastCourseName), "トラック1");
    EXPECT_EQ(c.courseType, COURSE_OPEN_RETURN) << "none checked keeps the type";
    EXPECT_EQ(s.lastCourseType, COURSE_OPEN_RETURN);
    EXPECT_FALSE(courseNeedsName(c));

    std::string longName;
    for (int i = 0; i < 200; ++i) longName += "あ";
    applyCourseName(longName, COURSE_LOOP, c, s);
    EXPECT_EQ(std::strlen(c.name), 254u) << "127 double-byte characters; half of the 128th is never kept";
    EXPECT_EQ(c.courseType, COURSE_LOOP);
    EXPECT_EQ(std::memcmp(c.name, s.lastCourseName, sizeof c.name), 0);
}

TEST(CueRules, SixFilesWithGuidanceOnNoneOtherwise) {
    EXPECT_EQ(cueFilePath(0, true, "/opt/v/"), "/opt/v/voice/0000.wav");
    EXPECT_EQ(cueFilePath(5, true, "/opt/v/"), "/opt/v/voice/0005.wav");
    for (int cue : {-1, 6, 1000}) EXPECT_EQ(cueFilePath(cue, true, "/opt/v/"), std::nullopt) << cue;
    for (int cue = 0; cue < CUE_COUNT; ++cue) EXPECT_EQ(cueFilePath(cue, false, "/opt/v/"), std::nullopt);
}

TEST(CourseFileDialogRules, FirstDialogInTheCurrentFolderThenWhereTheLastOneEnded) {
    FileDialogMemory memory;
    const CourseFileDialogSetup open = courseFileDialogSetup(false, memory);
    EXPECT_EQ(open.okCaption, "開く");
    EXPECT_EQ(open.initialFolder, "./");
    EXPECT_EQ(open.proposedName, "");
    EXPECT_TRUE(open.mustExist);
    rememberChosenFile(memory, "/home/driver/courses/tsukuba.gps");
    const CourseFileDialogSetup save = courseFileDialogSetup(true, memory);
    EXPECT_EQ(save.okCaption, "保存");
    EXPECT_EQ(save.initialFolder, "/home/driver/courses/");
    EXPECT_EQ(save.proposedName, "untitled.gps");
    EXPECT_FALSE(save.mustExist);
}

TEST(SerialDeviceList, UsbReceiversWithProductNamesAfterTheComNames) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("dialogs_rules_test_" + std::to_string(::getpid()));
    fs::remove_all(root);
    for (const char* dev : {"dev/ttyACM0", "dev/ttyUSB1", "dev/ttyUSB0", "dev/ttyS0", "dev/null"}) {
        fs::create_directories((root / dev).parent_path());
        std::ofstream(root / dev).put('\0');
    }
    fs::create_directories(root / "dev/serial/by-id");
    std::ofstream(root / "dev/serial/by-id/usb-u-blox_GNSS-if00").put('\0');
    // sysfs: the tty's device is the USB interface, the product sits one level up.
    const fs::path usb = root / "sys/devices/usb1/1-1";
    fs::create_directories(usb / "1-1:1.0");
    std::ofstream(usb / "product") << "u-blox GNSS receiver\n";
    fs::create_directories(root / "sys/class/tty/ttyACM0");
    fs::create_directory_symlink(usb / "1-1:1.0", root / "sys/class/tty/ttyACM0/device");

    const auto devices = listSerialDevices((root / "dev").string(), (root / "sys").string());
    ASSERT_EQ(devices.size(), 4u);
    EXPECT_EQ(devices[0].label, "/dev/ttyACM0 (u-blox GNSS receiver)");
    EXPECT_EQ(devices[1].label, "/dev/ttyUSB0");
    EXPECT_EQ(devices[2].path, "/dev/ttyUSB1");
    EXPECT_EQ(devices[3].path, "/dev/serial/by-id/usb-u-blox_GNSS-if00");
    const auto choices = portChoices(devices);
    ASSERT_EQ(choices.size(), 24u);
    EXPECT_EQ(choices[0].label, "COM1");
    EXPECT_EQ(choices[19].label, "COM20");
    EXPECT_EQ(portNameForText(devices[0].label, choices), "/dev/ttyACM0") << "a label stores its path";
    EXPECT_EQ(portNameForText("/dev/ttyS4", choices), "/dev/ttyS4") << "typed text as typed";
    fs::remove_all(root);
}

}  // namespace
