// gpdtool's commands for other loggers' files: import and export.
#pragma once

// true when argv[1] names one of them.
bool isOpenDataCommand(int argc, char** argv);
// Runs it; the exit status.
int runOpenDataCommand(int argc, char** argv);
