// The lap list as text: an aligned table for people, CSV for programs.
#pragma once

#include <string>

// Every lap of the loaded drive, one row each, numbered from 1.
std::string lapTableText();
std::string lapTableCsv();
