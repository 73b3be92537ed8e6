#include "common/error_text.h"

#include <system_error>

// The generic category formats through the thread-safe strerror_r.
std::string systemErrorText(int errnum) { return std::generic_category().message(errnum); }
