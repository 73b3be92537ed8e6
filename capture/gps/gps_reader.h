// The GPS reader thread: pulls bytes from gpsPort, decodes NMEA lines or
// binary packets into gpsFix and, after each one, runs the lap check and the
// flash poll the timing layer installed (reader_hooks.h). A receiver that
// falls silent is shown as lost and its port reopened by the same path until
// it returns (receiver_watch.h).
#pragma once

#include "capture/gps/nmea_decoder.h"

// Clears fixReceived, opens gpsPort, clears readerStop and starts the reader
// thread (readerRunning = 1 once it runs). 0 on success, 1 when the port
// cannot be opened (no thread is started; the caller shows the warning).
int openGpsPort();
// Asks the reader to stop, waits for it to end, then closes gpsPort. Safe to
// call when no reader runs.
void closeGpsPort();

// Optional: called on the reader thread after each NMEA line is decoded, with
// the line and what became of it (gps-check counts them). nullptr removes it;
// set it only while no reader runs.
using LineObserver = void (*)(const char* line, int length, SentenceResult result);
void setLineObserver(LineObserver observer);
