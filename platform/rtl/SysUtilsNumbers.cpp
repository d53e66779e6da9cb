// Integer and floating-point conversions from and to text. Parsing never
// depends on the C locale: only FormatSettings decides the decimal separator.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

#include "SysUtils.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads [sign] digits or [sign] '$' hexdigits into an integer of `hexBits` (32 or
// 64) bits; hexadecimal digits give the two's complement bit pattern.
bool ParseInteger(const AnsiString& text, int hexBits, int64_t& value) {
  const AnsiString s = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i >= s.size()) return false;
  const uint64_t hexMax = hexBits == 64 ? std::numeric_limits<uint64_t>::max() : (uint64_t(1) << hexBits) - 1;
  uint64_t magnitude = 0;
  if (s[i] == '$') {
    if (++i >= s.size()) return false;
    for (; i < s.size(); ++i) {
      const int digit = HexValue(s[i]);
      if (digit < 0 || magnitude > (hexMax >> 4)) return false;
      magnitude = (magnitude << 4) | uint64_t(digit);
    }
    // The bit pattern of the given width, sign-extended.
    int64_t pattern = hexBits == 64 ? int64_t(magnitude)
                      : (magnitude >> (hexBits - 1)) ? int64_t(magnitude) - (int64_t(1) << hexBits)
                                                     : int64_t(magnitude);
    value = negative ? -pattern : pattern;
    return !(negative && hexBits == 64 && pattern == std::numeric_limits<int64_t>::min());
  }
  const uint64_t limit = hexBits == 64 ? uint64_t(std::numeric_limits<int64_t>::max())
                                       : uint64_t(std::numeric_limits<int32_t>::max());
  for (; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return false;
    magnitude = magnitude * 10 + uint64_t(s[i] - '0');
    if (magnitude > limit + 1) return false;
  }
  if (magnitude == limit + 1) {
    if (!negative) return false;
    value = hexBits == 64 ? std::numeric_limits<int64_t>::min() : int64_t(std::numeric_limits<int32_t>::min());
    return true;
  }
  value = negative ? -int64_t(magnitude) : int64_t(magnitude);
  return true;
}

[[noreturn]] void RaiseNotInteger(const AnsiString& s) {
  throw EConvertError("'" + s + "' is not a valid integer value");
}

// Digits with at most one separator, then an optional exponent; at least one digit.
struct TFloatSyntax {
  bool Negative = false;
  AnsiString IntDigits, FracDigits;
  int Exponent = 0;
};

bool ScanFloat(const AnsiString& s, char separator, TFloatSyntax& out) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) out.Negative = s[i++] == '-';
  while (i < s.size() && IsDigit(s[i])) out.IntDigits += s[i++];
  if (i < s.size() && s[i] == separator) {
    ++i;
    while (i < s.size() && IsDigit(s[i])) out.FracDigits += s[i++];
  }
  if (out.IntDigits.empty() && out.FracDigits.empty()) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool negativeExp = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativeExp = s[i++] == '-';
    if (i >= s.size() || !IsDigit(s[i])) return false;
    int exponent = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) exponent = std::min(exponent * 10 + (s[i] - '0'), 100000);
    out.Exponent = negativeExp ? -exponent : exponent;
  }
  return i == s.size();
}

// The power of ten of the leading digit, for telling underflow from overflow.
int LeadingPower(const TFloatSyntax& f) {
  const size_t firstInt = f.IntDigits.find_first_not_of('0');
  if (firstInt != AnsiString::npos) return int(f.IntDigits.size() - firstInt) - 1 + f.Exponent;
  const size_t firstFrac = f.FracDigits.find_first_not_of('0');
  return -int(firstFrac) - 1 + f.Exponent;
}

}  // namespace

AnsiString IntToStr(int64_t value) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return AnsiString(buf, r.ptr);
}

// A negative value that fits 32 bits is shown as its 32-bit pattern, as the
// script's integers are 32-bit.
AnsiString IntToHex(int64_t value, int digits) {
  const uint64_t bits = value < 0 && value >= std::numeric_limits<int32_t>::min() ? uint64_t(uint32_t(value))
                                                                                   : uint64_t(value);
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, bits, 16);
  AnsiString hex(buf, r.ptr);
  for (char& c : hex) c = (c >= 'a' && c <= 'f') ? char(c - 32) : c;
  if (digits > int(hex.size())) hex.insert(0, size_t(digits) - hex.size(), '0');
  return hex;
}

bool TryStrToInt(const AnsiString& s, int32_t& value) {
  int64_t wide = 0;
  if (!ParseInteger(s, 32, wide)) return false;
  value = int32_t(wide);
  return true;
}

int32_t StrToInt(const AnsiString& s) {
  int32_t value = 0;
  if (!TryStrToInt(s, value)) RaiseNotInteger(s);
  return value;
}

int32_t StrToIntDef(const AnsiString& s, int32_t def) {
  int32_t value = 0;
  return TryStrToInt(s, value) ? value : def;
}

bool TryStrToInt64(const AnsiString& s, int64_t& value) { return ParseInteger(s, 64, value); }

int64_t StrToInt64(const AnsiString& s) {
  int64_t value = 0;
  if (!TryStrToInt64(s, value)) RaiseNotInteger(s);
  return value;
}

bool TryStrToFloat(const AnsiString& s, double& value) {
  TFloatSyntax f;
  if (!ScanFloat(Trim(s), FormatSettings().DecimalSeparator, f)) return false;
  const AnsiString normal = (f.IntDigits.empty() ? "0" : f.IntDigits) + "." + f.FracDigits + "e" +
                            std::to_string(f.Exponent);
  double parsed = 0;
  const auto r = std::from_chars(normal.data(), normal.data() + normal.size(), parsed);
  if (r.ec == std::errc::result_out_of_range) {
    if (LeadingPower(f) >= 0) return false;
    parsed = 0;
  } else if (r.ec != std::errc() || r.ptr != normal.data() + normal.size()) {
    return false;
  }
  value = f.Negative ? -parsed : parsed;
  return true;
}

double StrToFloat(const AnsiString& s) {
  double value = 0;
  if (!TryStrToFloat(s, value)) throw EConvertError("'" + s + "' is not a valid floating point value");
  return value;
}

double StrToFloatDef(const AnsiString& s, double def) {
  double value = 0;
  return TryStrToFloat(s, value) ? value : def;
}
