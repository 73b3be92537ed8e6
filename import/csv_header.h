// Whether a text holds a header row the CSV reader takes (for format detection).
#pragma once

#include <string_view>

bool hasCsvLogHeader(std::string_view head);
