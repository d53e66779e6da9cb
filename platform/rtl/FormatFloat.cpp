// Floating-point values to text: the general, fixed, number, exponent and
// currency forms and picture formats. Digits come from the shortest decimal
// form that reads back as the same double, rounded half away from zero, so
// 0.125 shows as 0.13 and 0.1 + 0.2 as 0.3.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "SysUtils.h"

namespace {

// value = 0.Digits * 10^Exponent; no trailing zeros; empty Digits is zero.
struct TDecimal {
  bool Negative = false;
  std::string Digits;
  int Exponent = 0;
  bool IsZero() const { return Digits.empty(); }
};

void StripTrailingZeros(TDecimal& d) {
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) d.Exponent = 0;
}

TDecimal ToDecimal(double value) {
  TDecimal d;
  d.Negative = std::signbit(value);
  if (value == 0) return d;
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
  const std::string text(buf, r.ptr);  // d.ddde+XX
  const size_t e = text.find('e');
  for (size_t i = 0; i < e; ++i)
    if (text[i] != '.') d.Digits += text[i];
  d.Exponent = std::atoi(text.c_str() + e + 1) + 1;
  StripTrailingZeros(d);
  return d;
}

// Keeps the first `keep` digits, rounding half away from zero.
void RoundAt(TDecimal& d, int keep) {
  if (d.IsZero() || keep >= int(d.Digits.size())) return;
  if (keep < 0) {
    d.Digits.clear();
    d.Exponent = 0;
    return;
  }
  const bool up = d.Digits[size_t(keep)] >= '5';
  d.Digits.resize(size_t(keep));
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.Digits[size_t(i)] == '9') d.Digits[size_t(i--)] = '0';
    if (i >= 0) {
      ++d.Digits[size_t(i)];
    } else {
      d.Digits.insert(d.Digits.begin(), '1');
      ++d.Exponent;
    }
  }
  StripTrailingZeros(d);
}

char DigitAt(const TDecimal& d, int index) {
  return index >= 0 && index < int(d.Digits.size()) ? d.Digits[size_t(index)] : '0';
}

AnsiString IntegerDigits(const TDecimal& d) {
  if (d.Exponent <= 0) return "0";
  AnsiString out;
  for (int i = 0; i < d.Exponent; ++i) out += DigitAt(d, i);
  return out;
}

AnsiString GroupThousands(const AnsiString& digits, char separator) {
  AnsiString out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

AnsiString Sign(const TDecimal& d) { return d.Negative && !d.IsZero() ? "-" : ""; }

AnsiString FixedText(const TDecimal& d, int decimals, bool thousands) {
  const TFormatSettings& fs = FormatSettings();
  AnsiString out = Sign(d);
  const AnsiString intPart = IntegerDigits(d);
  out += thousands ? GroupThousands(intPart, fs.ThousandSeparator) : intPart;
  if (decimals > 0) {
    out += fs.DecimalSeparator;
    for (int i = 0; i < decimals; ++i) out += DigitAt(d, d.Exponent + i);
  }
  return out;
}

AnsiString ExponentDigits(int exponent, int minDigits, bool plusSign) {
  AnsiString digits = std::to_string(std::abs(exponent));
  if (int(digits.size()) < minDigits) digits.insert(0, size_t(minDigits) - digits.size(), '0');
  return AnsiString(exponent < 0 ? "-" : plusSign ? "+" : "") + digits;
}

// d.ddd with `mantissaDigits` digits in all (fewer when `trim`), then E and the exponent.
AnsiString ScientificText(const TDecimal& d, int mantissaDigits, bool trim, int expDigits, bool plusSign) {
  AnsiString out = Sign(d);
  out += DigitAt(d, 0);
  const int shown = trim ? int(d.Digits.size()) : mantissaDigits;
  if (shown > 1) {
    out += FormatSettings().DecimalSeparator;
    for (int i = 1; i < shown; ++i) out += DigitAt(d, i);
  }
  return out + "E" + ExponentDigits(d.IsZero() ? 0 : d.Exponent - 1, expDigits, plusSign);
}

AnsiString GeneralText(TDecimal d, int precision, int expDigits) {
  RoundAt(d, precision);
  if (d.IsZero()) return "0";
  if (d.Exponent > precision || d.Exponent < -3) return ScientificText(d, precision, true, expDigits, false);
  return FixedText(d, std::max(0, int(d.Digits.size()) - d.Exponent), false);
}

// Fixed forms fall back to the general form when the integer part has more
// digits than the precision.
AnsiString FixedOrGeneral(const TDecimal& source, int precision, int digits, bool thousands) {
  TDecimal d = source;
  RoundAt(d, precision);
  if (d.Exponent > precision) return GeneralText(source, precision, 0);
  d = source;
  RoundAt(d, std::min(precision, source.Exponent + digits));
  return FixedText(d, digits, thousands);
}

AnsiString CurrencyText(const TDecimal& source, int precision, int digits) {
  const TFormatSettings& fs = FormatSettings();
  TDecimal positive = source;
  positive.Negative = false;
  const AnsiString number = FixedOrGeneral(positive, precision, digits, true);
  AnsiString text;
  switch (fs.CurrencyFormat) {
    case 1: text = number + fs.CurrencyString; break;
    case 2: text = fs.CurrencyString + " " + number; break;
    case 3: text = number + " " + fs.CurrencyString; break;
    default: text = fs.CurrencyString + number; break;
  }
  TDecimal rounded = source;
  RoundAt(rounded, std::min(precision, source.Exponent + digits));
  return Sign(rounded) + text;
}

}  // namespace

AnsiString FloatToStr(double value) { return FloatToStrF(value, ffGeneral, 15, 0); }

AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  precision = std::clamp(precision, 1, 18);
  const TDecimal d = ToDecimal(value);
  switch (format) {
    case ffExponent: {
      TDecimal rounded = d;
      RoundAt(rounded, precision);
      return ScientificText(rounded, precision, false, std::clamp(digits, 0, 4), true);
    }
    case ffFixed: return FixedOrGeneral(d, precision, std::clamp(digits, 0, 18), false);
    case ffNumber: return FixedOrGeneral(d, precision, std::clamp(digits, 0, 18), true);
    case ffCurrency: return CurrencyText(d, precision, std::clamp(digits, 0, 18));
    case ffGeneral: break;
  }
  return GeneralText(d, precision, std::clamp(digits, 0, 4));
}

// ---------------------------------------------------------------------------
// Picture formats: sections "positive;negative;zero", placeholders 0 and #,
// one decimal point, a thousands comma, E+/E- exponents and quoted literals.

namespace {

enum class TPictureKind { Literal, IntDigit, Point, FracDigit, Exponent };

struct TPictureItem {
  TPictureKind Kind;
  AnsiString Text;  // a literal, or the exponent's "+"/"-"
  int Index = 0;    // the placeholder's number, from the left
};

struct TPicture {
  std::vector<TPictureItem> Items;
  int IntPlaceholders = 0;
  int MinInt = 0;
  int FracPlaceholders = 0;
  int MinFrac = 0;
  bool Thousands = false;
  bool Scientific = false;
  int ExpDigits = 0;
};

std::vector<AnsiString> SplitSections(const AnsiString& format) {
  std::vector<AnsiString> sections(1);
  char quote = 0;
  for (char c : format) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

void AddLiteral(TPicture& p, char c) {
  if (p.Items.empty() || p.Items.back().Kind != TPictureKind::Literal)
    p.Items.push_back({TPictureKind::Literal, "", 0});
  p.Items.back().Text += c;
}

TPicture ParsePicture(const AnsiString& s) {
  TPicture p;
  bool afterPoint = false;
  int firstIntZero = -1;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"' || c == '\'') {
      const size_t close = s.find(c, i + 1);
      const size_t end = close == AnsiString::npos ? s.size() : close;
      for (size_t j = i + 1; j < end; ++j) AddLiteral(p, s[j]);
      i = end;
    } else if ((c == '0' || c == '#') && !p.Scientific) {
      if (afterPoint) {
        if (c == '0') p.MinFrac = p.FracPlaceholders + 1;
        p.Items.push_back({TPictureKind::FracDigit, "", p.FracPlaceholders++});
      } else {
        if (c == '0' && firstIntZero < 0) firstIntZero = p.IntPlaceholders;
        p.Items.push_back({TPictureKind::IntDigit, "", p.IntPlaceholders++});
      }
    } else if (c == '.' && !afterPoint && !p.Scientific) {
      afterPoint = true;
      p.Items.push_back({TPictureKind::Point, "", 0});
    } else if (c == ',' && !afterPoint && !p.Scientific) {
      p.Thousands = true;
    } else if ((c == 'E' || c == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-') &&
               !p.Scientific) {
      p.Scientific = true;
      p.Items.push_back({TPictureKind::Exponent, AnsiString(1, s[i + 1]), 0});
      for (i += 2; i < s.size() && s[i] == '0'; ++i) ++p.ExpDigits;
      --i;
    } else if (c != '.' && c != ',') {
      AddLiteral(p, c);
    }
  }
  p.MinInt = firstIntZero < 0 ? 0 : p.IntPlaceholders - firstIntZero;
  return p;
}

// The digits a picture shows: integer part, fraction part and exponent.
struct TPictureDigits {
  AnsiString Int, Frac;
  int Exponent = 0;
  bool Negative = false;
  bool Zero = true;
};

TPictureDigits PictureDigits(const TPicture& p, double value) {
  TDecimal d = ToDecimal(value);
  TPictureDigits out;
  int intDigits = 0;
  if (p.Scientific) {
    intDigits = std::max(1, p.IntPlaceholders);
    RoundAt(d, intDigits + p.FracPlaceholders);
    if (!d.IsZero()) out.Exponent = d.Exponent - intDigits;
    for (int i = 0; i < intDigits; ++i) out.Int += DigitAt(d, i);
  } else {
    RoundAt(d, d.Exponent + p.FracPlaceholders);
    intDigits = std::max(0, d.Exponent);
    out.Int = IntegerDigits(d);
    if (out.Int == "0") out.Int.clear();
  }
  if (int(out.Int.size()) < p.MinInt) out.Int.insert(0, size_t(p.MinInt) - out.Int.size(), '0');
  for (int i = 0; i < p.FracPlaceholders; ++i) out.Frac += DigitAt(d, intDigits + i);
  while (int(out.Frac.size()) > p.MinFrac && out.Frac.back() == '0') out.Frac.pop_back();
  out.Negative = d.Negative;
  out.Zero = d.IsZero();
  return out;
}

// Integer digits fill their placeholders from the right; the leftmost
// placeholder takes every digit that has no placeholder of its own.
void PutIntDigits(AnsiString& out, const TPicture& p, const TPictureDigits& n, int placeholder) {
  const int length = int(n.Int.size());
  const int fromRight = p.IntPlaceholders - 1 - placeholder;
  const int first = placeholder == 0 ? length - 1 : std::min(fromRight, length - 1);
  for (int pos = first; pos >= fromRight && pos >= 0; --pos) {
    out += n.Int[size_t(length - 1 - pos)];
    if (p.Thousands && pos > 0 && pos % 3 == 0) out += FormatSettings().ThousandSeparator;
  }
}

AnsiString RenderPicture(const TPicture& p, const TPictureDigits& n) {
  AnsiString out;
  for (const TPictureItem& item : p.Items) {
    switch (item.Kind) {
      case TPictureKind::Literal: out += item.Text; break;
      case TPictureKind::IntDigit: PutIntDigits(out, p, n, item.Index); break;
      case TPictureKind::Point:
        if (p.IntPlaceholders == 0) out += n.Int;
        if (!n.Frac.empty()) out += FormatSettings().DecimalSeparator;
        break;
      case TPictureKind::FracDigit:
        if (item.Index < int(n.Frac.size())) out += n.Frac[size_t(item.Index)];
        break;
      case TPictureKind::Exponent:
        out += "E" + ExponentDigits(n.Exponent, p.ExpDigits, item.Text == "+");
        break;
    }
  }
  return out;
}

}  // namespace

AnsiString FormatFloat(const AnsiString& format, double value) {
  if (std::isnan(value) || std::isinf(value) || format.empty()) return FloatToStr(value);
  const std::vector<AnsiString> sections = SplitSections(format);
  const bool ownNegative = value < 0 && sections.size() > 1 && !sections[1].empty();
  TPicture picture = ParsePicture(sections[ownNegative ? 1 : 0]);
  TPictureDigits digits = PictureDigits(picture, value);
  if (digits.Zero && sections.size() > 2 && !sections[2].empty()) {
    picture = ParsePicture(sections[2]);
    digits = PictureDigits(picture, value);
    return RenderPicture(picture, digits);
  }
  const AnsiString sign = digits.Negative && !digits.Zero && !ownNegative ? "-" : "";
  return sign + RenderPicture(picture, digits);
}
