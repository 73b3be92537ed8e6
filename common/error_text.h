// The text of a system error number, safe on any thread (std::strerror is not).
#pragma once

#include <string>

std::string systemErrorText(int errnum);
