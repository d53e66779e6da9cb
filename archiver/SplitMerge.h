// Cutting a file into parts of a fixed size and joining them again. The first part
// begins with a 20-byte header "SplitMOXAR(N)" that names the number of parts.
#pragma once

#include "SysUtils.h"

#include <cstdint>
#include <iosfwd>

constexpr int64_t DefaultSplitSize = 1456000;
constexpr size_t SplitHeaderSize = 20;

// The part count of the header of file, 0 when file is no first part.
int ReadSplitCount(const AnsiString& file);

// The header text for a number of parts: 20 bytes unless the number has more than
// eight digits.
AnsiString SplitHeader(int64_t parts);

// Both write their progress and error lines to out and answer false after an error
// line. A failed split leaves file as it was and removes the parts it wrote.
bool SplitFile(const AnsiString& file, int64_t partSize, std::ostream& out);
bool MergeFile(const AnsiString& file, std::ostream& out);
