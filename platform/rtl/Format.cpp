// Format: "%[index:][-][width][.prec]type" over a list of integers, floats and
// strings. '*' as width or precision takes the next integer argument.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "SysUtils.h"

namespace {

struct TSpec {
  bool LeftJustify = false;
  int Width = -1;
  int Precision = -1;
  char Type = 0;
};

class TFormatter {
public:
  TFormatter(const AnsiString& format, std::initializer_list<TVarRec> args)
      : FFormat(format), FArgs(args.begin()), FCount(args.size()) {}

  AnsiString Run() {
    while (FPos < FFormat.size()) {
      const char c = FFormat[FPos++];
      if (c != '%') {
        FOut += c;
      } else if (Peek() == '%') {
        ++FPos;
        FOut += '%';
      } else {
        Specifier();
      }
    }
    return FOut;
  }

private:
  [[noreturn]] void Invalid() const {
    throw EConvertError("Format '" + FFormat + "' invalid or incompatible with argument");
  }

  char Peek() const { return FPos < FFormat.size() ? FFormat[FPos] : '\0'; }

  const TFormatArg& NextArg() {
    if (FNext >= FCount) Invalid();
    return FArgs[FNext++].Value;
  }

  int64_t IntArg() {
    const auto* v = std::get_if<int64_t>(&NextArg());
    if (!v) Invalid();
    return *v;
  }

  // A number, '*' for the next argument, or -1 when neither is there.
  int Number() {
    if (Peek() == '*') {
      ++FPos;
      const int64_t v = IntArg();
      return v < 0 ? -1 : int(std::min<int64_t>(v, 1 << 20));
    }
    if (Peek() < '0' || Peek() > '9') return -1;
    int n = 0;
    while (Peek() >= '0' && Peek() <= '9') n = std::min(n * 10 + (FFormat[FPos++] - '0'), 1 << 20);
    return n;
  }

  void Specifier() {
    TSpec spec;
    int n = Number();
    if (Peek() == ':') {
      ++FPos;
      if (n < 0) n = 0;
      FNext = size_t(n);
      n = -1;
    }
    if (n < 0) {
      if (Peek() == '-') {
        ++FPos;
        spec.LeftJustify = true;
      }
      n = Number();
    }
    spec.Width = n;
    if (Peek() == '.') {
      ++FPos;
      spec.Precision = std::max(0, Number());
    }
    if (FPos >= FFormat.size()) Invalid();
    spec.Type = FFormat[FPos++];
    Pad(spec, Convert(spec));
  }

  AnsiString Convert(const TSpec& spec) {
    switch (spec.Type | 0x20) {
      case 'd': return ZeroPadded(IntToStr(IntArg()), spec.Precision);
      case 'u': return ZeroPadded(Unsigned(IntArg()), spec.Precision);
      case 'x': return ZeroPadded(IntToHex(IntArg(), 0), spec.Precision);
      case 'p': return IntToHex(IntArg(), 8);
      case 'e': return FloatToStrF(FloatArg(), ffExponent, Prec(spec, 15), 3);
      case 'f': return FloatToStrF(FloatArg(), ffFixed, 18, Prec(spec, 2));
      case 'g': return FloatToStrF(FloatArg(), ffGeneral, Prec(spec, 15), 0);
      case 'n': return FloatToStrF(FloatArg(), ffNumber, 18, Prec(spec, 2));
      case 'm': return FloatToStrF(FloatArg(), ffCurrency, 18, Prec(spec, FormatSettings().CurrencyDecimals));
      case 's': {
        const auto* v = std::get_if<AnsiString>(&NextArg());
        if (!v) Invalid();
        return spec.Precision >= 0 ? v->substr(0, size_t(spec.Precision)) : *v;
      }
      default: Invalid();
    }
  }

  double FloatArg() {
    const auto* v = std::get_if<double>(&NextArg());
    if (!v) Invalid();
    return *v;
  }

  static int Prec(const TSpec& spec, int byDefault) { return spec.Precision >= 0 ? spec.Precision : byDefault; }

  // A negative integer that fits 32 bits shows as its 32-bit pattern.
  static AnsiString Unsigned(int64_t v) {
    if (v >= 0) return IntToStr(v);
    if (v >= std::numeric_limits<int32_t>::min()) return IntToStr(int64_t(uint32_t(v)));
    return std::to_string(uint64_t(v));
  }

  // The precision of an integer is its minimal number of digits; the sign stays in front.
  static AnsiString ZeroPadded(AnsiString digits, int precision) {
    const size_t start = !digits.empty() && digits[0] == '-' ? 1 : 0;
    const int have = int(digits.size() - start);
    if (precision > have) digits.insert(start, size_t(precision - have), '0');
    return digits;
  }

  void Pad(const TSpec& spec, const AnsiString& text) {
    const int fill = spec.Width - int(text.size());
    if (fill <= 0) {
      FOut += text;
    } else if (spec.LeftJustify) {
      FOut += text + AnsiString(size_t(fill), ' ');
    } else {
      FOut += AnsiString(size_t(fill), ' ') + text;
    }
  }

  const AnsiString& FFormat;
  const TVarRec* FArgs;
  size_t FCount;
  size_t FPos = 0;
  size_t FNext = 0;
  AnsiString FOut;
};

}  // namespace

AnsiString Format(const AnsiString& format, std::initializer_list<TVarRec> args) {
  return TFormatter(format, args).Run();
}
