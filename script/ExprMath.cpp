// The numeric built-in functions, ROUNDTO's decimal clean-up included.
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <numbers>
#include <random>

#include "ExprSupport.h"

namespace {

enum TMathFunction {
  mfTrunc, mfRound, mfAbs, mfArcTan, mfCos, mfExp, mfFrac, mfInt, mfLn, mfPi,
  mfSin, mfSqr, mfSqrt, mfPower, mfRoundTo, mfMin, mfMax, mfRandom, mfSign
};

constexpr std::array<const char*, 19> MathNames = {
    "TRUNC", "ROUND", "ABS", "ARCTAN", "COS", "EXP", "FRAC", "INT", "LN", "PI",
    "SIN", "SQR", "SQRT", "POWER", "ROUNDTO", "MIN", "MAX", "RANDOM", "SIGN"};

// Seeded once, from the clock, when the program starts.
std::mt19937_64& RandomEngine() {
  static std::mt19937_64 engine(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                                static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  return engine;
}
[[maybe_unused]] const bool RandomSeededAtStart = (RandomEngine(), true);

// Truncation that forgives values just below a whole number (2.9999999999 is 3).
double ForgivingTrunc(double x) {
  if (std::fabs(x - std::trunc(x)) > 0.999) x += x >= 0 ? 1e-8 : -1e-8;
  return std::trunc(x);
}

double TextToFloat(const AnsiString& text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// Adds one to the last digit of a "digits.digits" text, carrying to the left.
void IncrementLastDigit(AnsiString& text) {
  for (size_t i = text.size(); i-- > 0;) {
    if (text[i] == '.') continue;
    if (text[i] != '9') {
      ++text[i];
      return;
    }
    text[i] = '0';
  }
  text.insert(text.begin(), '1');
}

// Cuts runs of zeros and rounds runs of nines in the 8-decimal text of a
// positive x, so that binary noise does not decide the rounding.
double CleanDecimals(double x, int digits) {
  const AnsiString fixed = FixedText(x, 8);
  const size_t point = fixed.find('.');
  AnsiString whole = fixed.substr(0, point);
  AnsiString decimals = point == AnsiString::npos ? AnsiString() : fixed.substr(point + 1);
  const size_t from = static_cast<size_t>(digits > 0 ? digits : 1) - 1;
  const char* zeros = digits >= 1 && digits <= 3 ? "000" : "00";
  if (size_t run = decimals.find(zeros, from); run != AnsiString::npos) decimals.resize(run + 1);
  if (size_t nines = decimals.find("999"); nines != AnsiString::npos) {
    if (nines > 0) {
      decimals.resize(nines);
      AnsiString text = whole + "." + decimals;
      IncrementLastDigit(text);
      return TextToFloat(text);
    }
    IncrementLastDigit(whole);
    return TextToFloat(whole);
  }
  return TextToFloat(decimals.empty() ? whole : whole + "." + decimals);
}

double RoundingOffset(double x, int digits, int mode) {
  double unit = std::pow(10.0, std::abs(digits));
  if (x < 0) unit = -unit;
  if (mode == 0) return digits < 0 ? unit * 0.5 : 0.5 / unit;
  if (mode == 1) {
    if (digits < 0) return unit * 0.9999;
    const double k = digits <= 3 ? 0.9999 : digits == 4 ? 0.999 : 0.9;
    return k / unit;
  }
  return 0;
}

// Keeps `digits` decimals (or zeroes the places left of the point for
// negative digits) in the 8-decimal text.
double TruncateDigits(double x, int digits) {
  AnsiString text = FixedText(x, 8);
  const size_t point = text.find('.');
  const int p = point == AnsiString::npos ? static_cast<int>(text.size()) + 1 : static_cast<int>(point) + 1;
  int i = p + digits + (digits >= 0 ? 1 : 0);
  if (i < 1) i = 1;
  if (digits > 0) {
    text.resize(std::min(text.size(), static_cast<size_t>(i - 1)));
  } else {
    for (size_t k = static_cast<size_t>(i - 1); k < text.size(); ++k)
      if (text[k] >= '1' && text[k] <= '9') text[k] = '0';
  }
  return TextToFloat(text);
}

double RoundTo(double x, int digits, int mode) {
  if (x == 0) return x;
  digits = std::clamp(digits, -8, 7);
  if (x - std::trunc(x) > 0) {
    x = CleanDecimals(x, digits);
    if (x == 0) return 0;
  }
  x = CheckFloat(x + RoundingOffset(x, digits, mode));
  return TruncateDigits(x, digits);
}

}  // namespace

int MathFunctionNumber(const AnsiString& upperName) {
  for (size_t i = 0; i < MathNames.size(); ++i)
    if (upperName == MathNames[i]) return static_cast<int>(i);
  return -1;
}

bool TMathExpression::ParametersValid() {
  const int count = ParameterCount();
  auto can = [this](int index, TValueKind kind) { return Parameter(index)->CanRead(kind); };
  switch (FNumber) {
    case mfPi: return true;
    case mfRandom: return count == 0 || (count == 1 && can(0, vkInteger));
    case mfRoundTo:
      return count >= 1 && count <= 3 && can(0, vkFloat) && (count < 2 || can(1, vkInteger)) &&
             (count < 3 || can(2, vkInteger));
    case mfPower:
    case mfMin:
    case mfMax: return count == 2 && can(0, vkFloat) && can(1, vkFloat);
    default: return count == 1 && can(0, vkFloat);
  }
}

TValueKind TMathExpression::ValueKind() {
  return FNumber == mfTrunc || FNumber == mfRound || FNumber == mfSign ? vkInteger : vkFloat;
}

double TMathExpression::ReadFloat() {
  if (ValueKind() == vkInteger) return TExpression::ReadFloat();
  if (FNumber == mfPi) return std::numbers::pi;
  if (FNumber == mfRandom) {
    if (ParameterCount() == 0) return std::uniform_real_distribution<double>(0.0, 1.0)(RandomEngine());
    const int32_t n = Parameter(0)->ReadInteger();
    return n <= 0 ? 0 : static_cast<double>(std::uniform_int_distribution<int32_t>(0, n - 1)(RandomEngine()));
  }
  const double x = Parameter(0)->ReadFloat();
  switch (FNumber) {
    case mfAbs: return std::fabs(x);
    case mfArcTan: return std::atan(x);
    case mfCos: return std::cos(x);
    case mfExp: return CheckFloat(std::exp(x));
    case mfFrac: return x - std::trunc(x);
    case mfInt: return ForgivingTrunc(x);
    case mfLn: return CheckedLn(x);
    case mfSin: return std::sin(x);
    case mfSqr: return CheckFloat(x * x);
    case mfSqrt:
      if (x < 0) throw EInvalidOp();
      return std::sqrt(x);
    case mfPower: {
      const double y = Parameter(1)->ReadFloat();
      return CheckFloat(std::exp(y * CheckedLn(x)));
    }
    case mfMin: return std::min(x, Parameter(1)->ReadFloat());
    case mfMax: return std::max(x, Parameter(1)->ReadFloat());
    case mfRoundTo: {
      const int count = ParameterCount();
      int digits = 2, mode = 0;
      if (count == 2) digits = Parameter(1)->ReadInteger();
      if (count == 3) {
        const int32_t m = Parameter(1)->ReadInteger();
        mode = (m > 0) - (m < 0);
        digits = Parameter(2)->ReadInteger();
      }
      return RoundTo(x, digits, mode);
    }
    default: return 0;
  }
}

int32_t TMathExpression::ReadInteger() {
  switch (FNumber) {
    case mfTrunc: return TruncToInt32(ForgivingTrunc(Parameter(0)->ReadFloat()));
    case mfRound: return RoundToInt32(Parameter(0)->ReadFloat());
    case mfSign: return Parameter(0)->ReadFloat() >= 0 ? 1 : -1;
    case mfAbs: {
      const int64_t value = Parameter(0)->ReadInteger();
      return static_cast<int32_t>(static_cast<uint32_t>(value < 0 ? -value : value));
    }
    default: return TExpression::ReadInteger();
  }
}
