// The basic types of the runtime, as the rest of the system names them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Text is UTF-16, as in the toolchain's Unicode versions.
using String = std::u16string;
// 8-bit text in the ANSI code page, which is UTF-8 on this platform: a multi-byte code page, so no
// character is lost between String and AnsiString.
using AnsiString = std::string;
// A dynamic byte array.
using TBytes = std::vector<uint8_t>;
// Days since 1899-12-30; the time of day is the fraction.
using TDateTime = double;
