// The folder of the running program, where each program keeps its own files.
#pragma once

#include <string>

namespace platform {

// Folder of /proc/self/exe with a trailing '/'. Tests may override it.
const std::string& exeDirectory();
void setExeDirectoryForTests(const std::string& directory);  // "" restores

}  // namespace platform
