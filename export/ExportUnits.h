// Unit conversions and text routines shared by the export writers. Every
// conversion truncates toward zero.
#pragma once

#include <cstdint>

#include "Graphics.h"
#include "SysUtils.h"

// Engine units (tenths of a millimetre) to micrometres.
int64_t EngineToMicrons(double x);
int64_t MicronsToTwips(int64_t m);
int64_t MicronsToPoints(int64_t m);
int64_t MicronsToPixels(int64_t m);
int64_t PixelsToMicrons(int64_t p);

// Every occurrence of oldText replaced by newText.
AnsiString ReplaceAll(const AnsiString& s, const AnsiString& oldText, const AnsiString& newText);
// A 16-bit number as two characters, low byte first.
AnsiString Word16(uint32_t value);
// "#RRGGBB" with upper-case hexadecimal digits.
AnsiString ColorToHtml(TColor color);
// Nine decimal digits: red, green and blue with three each.
AnsiString ColorToDigits(TColor color);
// "r g b" as fractions of 255 in the form 0.000, always with a point.
AnsiString ColorToFractions(TColor color);
// The output file's name without extension, the page number with four
// digits and the output file's extension; withFolder keeps its folder.
AnsiString PageFileName(const AnsiString& outputFile, int page, bool withFolder);

// The colour as plain RGB ($00BBGGRR), system colours resolved.
int32_t PlainRGB(TColor color);
