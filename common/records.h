// Fixed-size records shared by the capture program and the viewer.
//
// Each record's memory image is its file image: little-endian, IEEE-754
// doubles, natural alignment. The static_asserts below pin every size and
// offset, so the writer in the capture program and the reader in the viewer
// agree byte for byte.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "record images are little-endian memory images");

// A position: degrees (north/east positive), earth-centred metres, altitude in metres.
struct GeoPoint {
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, east positive
    double ecefZ = 0.0;      // metres, towards the north pole
    double ecefX = 0.0;      // metres, towards latitude 0, longitude 0
    double ecefY = 0.0;      // metres, towards latitude 0, longitude 90 E
    double altitude = 0.0;   // metres, as received
};
static_assert(sizeof(GeoPoint) == 48);
static_assert(offsetof(GeoPoint, latitude) == 0);
static_assert(offsetof(GeoPoint, longitude) == 8);
static_assert(offsetof(GeoPoint, ecefZ) == 16);
static_assert(offsetof(GeoPoint, ecefX) == 24);
static_assert(offsetof(GeoPoint, ecefY) == 32);
static_assert(offsetof(GeoPoint, altitude) == 40);

// Course types.
enum CourseType : int32_t {
    COURSE_LOOP = 0,         // one point: start and finish
    COURSE_OPEN = 1,         // start at point 1, finish at point 2
    COURSE_OPEN_RETURN = 2,  // out from point 1 to point 2 and back
};

constexpr int COURSE_MAX_POINTS = 2;
constexpr int COURSE_NAME_BYTES = 256;

// The course: the course file (.gps) image and the course block of a drive log.
struct Course {
    int32_t pointCount = 0;                 // 0..2
    uint8_t padding[4] = {};                // zero; aligns the points
    GeoPoint points[COURSE_MAX_POINTS] = {};
    char name[COURSE_NAME_BYTES] = {};      // Shift-JIS, NUL-terminated
    int32_t courseType = COURSE_LOOP;       // CourseType
    int32_t courseDatum = 0;                // 0 WGS-84, 1 Tokyo
};
static_assert(sizeof(Course) == 368);
static_assert(offsetof(Course, pointCount) == 0);
static_assert(offsetof(Course, points) == 8);
static_assert(offsetof(Course, name) == 104);
static_assert(offsetof(Course, courseType) == 360);
static_assert(offsetof(Course, courseDatum) == 364);

constexpr int PASS_LOG_CAPACITY = 100;

// Ticks of the counted passes of one measurement, oldest first.
struct PassLog {
    int32_t passCount = 0;
    uint32_t passTicks[PASS_LOG_CAPACITY] = {};  // millisecond ticks
};
static_assert(sizeof(PassLog) == 404);
static_assert(offsetof(PassLog, passCount) == 0);
static_assert(offsetof(PassLog, passTicks) == 4);

// One recorded sample of a drive log.
struct LogSample {
    uint32_t tick = 0;       // millisecond tick when taken
    uint32_t reserved0 = 0;  // written as 0
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, east positive
    double altitude = 0.0;   // metres
    int32_t lapMark = 0;     // 1 if a counted pass happened since the previous sample
    int32_t reserved1 = 0;   // written as 0
};
static_assert(sizeof(LogSample) == 40);
static_assert(offsetof(LogSample, tick) == 0);
static_assert(offsetof(LogSample, latitude) == 8);
static_assert(offsetof(LogSample, longitude) == 16);
static_assert(offsetof(LogSample, altitude) == 24);
static_assert(offsetof(LogSample, lapMark) == 32);

constexpr int SERIAL_PORT_NAME_BYTES = 256;

// Parity and stop-bit codes as stored in the settings file.
constexpr int32_t PARITY_NONE = 0, PARITY_ODD = 1, PARITY_EVEN = 2;
constexpr int32_t STOP_BITS_ONE = 0, STOP_BITS_ONE_HALF = 1, STOP_BITS_TWO = 2;

// A serial port: its open handle and line settings. Persisted in the capture
// settings file byte for byte (the handle is meaningless there).
struct SerialPort {
    int32_t handle = 0;                        // open port, 0 when closed
    char portName[SERIAL_PORT_NAME_BYTES] = {};  // "COM1", "/dev/ttyUSB0", "ttyACM0"
    int32_t baudRate = 0;                      // bits per second
    int32_t byteSize = 8;                      // data bits, 7 or 8
    int32_t parity = PARITY_NONE;              // PARITY_*
    int32_t stopBits = STOP_BITS_ONE;          // STOP_BITS_*
};
static_assert(sizeof(SerialPort) == 276);

// A closed port with the given name and speed, 8 data bits, no parity, one stop bit.
constexpr SerialPort closedSerialPort(const char* name, int32_t baudRate) {
    SerialPort port;
    for (int i = 0; name[i] != '\0' && i < SERIAL_PORT_NAME_BYTES - 1; ++i) port.portName[i] = name[i];
    port.baudRate = baudRate;
    return port;
}
static_assert(offsetof(SerialPort, handle) == 0);
static_assert(offsetof(SerialPort, portName) == 4);
static_assert(offsetof(SerialPort, baudRate) == 260);
static_assert(offsetof(SerialPort, byteSize) == 264);
static_assert(offsetof(SerialPort, parity) == 268);
static_assert(offsetof(SerialPort, stopBits) == 272);

// Drive log (.gpd) layout: int32 N, N samples, the pass log, the course block,
// then four zero bytes. Readers accept files with or without the trailing four.
constexpr long driveLogPassLogOffset(int32_t n) { return 4 + 40L * n; }
constexpr long driveLogCourseOffset(int32_t n) { return 408 + 40L * n; }
constexpr long driveLogSize(int32_t n) { return 780 + 40L * n; }
static_assert(driveLogCourseOffset(1) + long(sizeof(Course)) + 4 == driveLogSize(1));
