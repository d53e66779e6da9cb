#include "ExportUnits.h"

#include <cstdio>

int64_t EngineToMicrons(double x) { return int64_t(x / 254 / 0.03937 * 1000); }
int64_t MicronsToTwips(int64_t m) { return int64_t(double(m) / 1000 * 0.03937 * 1440); }
int64_t MicronsToPoints(int64_t m) { return int64_t(double(m) / 1000 * 0.03937 * 72); }
int64_t MicronsToPixels(int64_t m) { return int64_t(double(m) / 1000 * 0.03937 * 96); }
int64_t PixelsToMicrons(int64_t p) { return int64_t(double(p) / 96 / 0.03937 * 1000); }

AnsiString ReplaceAll(const AnsiString& s, const AnsiString& oldText, const AnsiString& newText) {
  if (oldText.empty()) return s;
  AnsiString out;
  out.reserve(s.size());
  size_t pos = 0;
  for (size_t hit; (hit = s.find(oldText, pos)) != AnsiString::npos; pos = hit + oldText.size()) {
    out.append(s, pos, hit - pos);
    out += newText;
  }
  out.append(s, pos, AnsiString::npos);
  return out;
}

AnsiString Word16(uint32_t value) {
  return AnsiString{char(value & 0xFF), char((value >> 8) & 0xFF)};
}

int32_t PlainRGB(TColor color) { return ColorToRGB(color) & 0xFFFFFF; }

namespace {
void SplitRGB(TColor color, int& r, int& g, int& b) {
  int32_t c = PlainRGB(color);
  r = c & 0xFF;
  g = (c >> 8) & 0xFF;
  b = (c >> 16) & 0xFF;
}
}  // namespace

AnsiString ColorToHtml(TColor color) {
  int r, g, b;
  SplitRGB(color, r, g, b);
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", r, g, b);
  return buf;
}

AnsiString ColorToDigits(TColor color) {
  int r, g, b;
  SplitRGB(color, r, g, b);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%03d%03d%03d", r, g, b);
  return buf;
}

namespace {
// Thousandths rounded as FormatFloat("0.000") would, but always with a point.
AnsiString Fraction(int component) {
  int thousandths = (component * 2000 + 255) / 510;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d.%03d", thousandths / 1000, thousandths % 1000);
  return buf;
}
}  // namespace

AnsiString ColorToFractions(TColor color) {
  int r, g, b;
  SplitRGB(color, r, g, b);
  return Fraction(r) + " " + Fraction(g) + " " + Fraction(b);
}

AnsiString PageFileName(const AnsiString& outputFile, int page, bool withFolder) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", page);
  AnsiString name = ExtractFileName(outputFile);
  AnsiString ext = ExtractFileExt(name);
  AnsiString stem = name.substr(0, name.size() - ext.size());
  return (withFolder ? ExtractFilePath(outputFile) : AnsiString()) + stem + digits + ext;
}
