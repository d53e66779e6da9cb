// Dates and times to text and back, by the patterns and separators of
// FormatSettings.
#include <cmath>
#include <ctime>

#include "CodePage.h"
#include "SysUtils.h"

namespace {

struct TParts {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Min = 0, Sec = 0, MSec = 0, WeekDay = 1;
};

TParts Decode(TDateTime value) {
  TParts p;
  DecodeDate(value, p.Year, p.Month, p.Day);
  DecodeTime(value, p.Hour, p.Min, p.Sec, p.MSec);
  p.WeekDay = DayOfWeek(value);
  return p;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }

bool StartsWithNoCase(const AnsiString& s, size_t pos, const char* word) {
  for (size_t i = 0; word[i]; ++i)
    if (pos + i >= s.size() || Upper(s[pos + i]) != Upper(word[i])) return false;
  return true;
}

AnsiString Number(int value, int width) {
  AnsiString digits = std::to_string(value);
  if (int(digits.size()) < width) digits.insert(0, size_t(width) - digits.size(), '0');
  return digits;
}

// Whether an hour of this pattern is shown on the 12-hour clock.
bool HasAmPm(const AnsiString& format) {
  char quote = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (StartsWithNoCase(format, i, "am/pm") || StartsWithNoCase(format, i, "a/p") ||
               StartsWithNoCase(format, i, "ampm")) {
      return true;
    }
  }
  return false;
}

class TDateFormatter {
public:
  explicit TDateFormatter(TDateTime value) : FParts(Decode(value)) {}

  // `depth` stops patterns that name themselves through c, ddddd or t.
  void Append(const AnsiString& format, int depth = 0) {
    if (depth > 2) return;
    const bool twelveHour = HasAmPm(format);
    char lastField = 0;
    for (size_t i = 0; i < format.size();) {
      const char c = format[i];
      char token = Upper(c);
      if (c == '"' || c == '\'') {
        const size_t close = format.find(c, i + 1);
        const size_t end = close == AnsiString::npos ? format.size() : close;
        FOut.append(format, i + 1, end - i - 1);
        i = end + 1;
        continue;
      }
      if (token >= 'A' && token <= 'Z') {
        if (token == 'M' && lastField == 'H') token = 'N';
        lastField = token;
      }
      size_t count = 1;
      while (i + count < format.size() && Upper(format[i + count]) == Upper(c)) ++count;
      i += Field(format, i, token, count, twelveHour, depth);
    }
  }

  AnsiString Result() const { return FOut; }

private:
  // Writes the field at `pos` and answers how many pattern characters it used.
  size_t Field(const AnsiString& format, size_t pos, char token, size_t count, bool twelveHour, int depth) {
    const TFormatSettings& fs = FormatSettings();
    const TParts& p = FParts;
    switch (token) {
      case 'Y': FOut += count <= 2 ? Number(p.Year % 100, 2) : Number(p.Year, 4); return count;
      case 'M':
        if (count <= 2) FOut += Number(p.Month, int(count));
        else FOut += count == 3 ? fs.ShortMonthNames[p.Month - 1] : fs.LongMonthNames[p.Month - 1];
        return count;
      case 'D':
        switch (count) {
          case 1: case 2: FOut += Number(p.Day, int(count)); break;
          case 3: FOut += fs.ShortDayNames[p.WeekDay - 1]; break;
          case 4: FOut += fs.LongDayNames[p.WeekDay - 1]; break;
          case 5: Append(fs.ShortDateFormat, depth + 1); break;
          default: Append(fs.LongDateFormat, depth + 1); break;
        }
        return std::min<size_t>(count, 6);
      case 'H': {
        const int hour = twelveHour ? (p.Hour % 12 == 0 ? 12 : p.Hour % 12) : p.Hour;
        FOut += Number(hour, std::min<int>(int(count), 2));
        return std::min<size_t>(count, 2);
      }
      case 'N': FOut += Number(p.Min, std::min<int>(int(count), 2)); return std::min<size_t>(count, 2);
      case 'S': FOut += Number(p.Sec, std::min<int>(int(count), 2)); return std::min<size_t>(count, 2);
      case 'Z': FOut += Number(p.MSec, count >= 3 ? 3 : 1); return std::min<size_t>(count, 3);
      case 'T': Append(count == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, depth + 1); return std::min<size_t>(count, 2);
      case 'C':
        Append(fs.ShortDateFormat, depth + 1);
        if (FParts.Hour || FParts.Min || FParts.Sec || FParts.MSec) {
          FOut += ' ';
          Append(fs.LongTimeFormat, depth + 1);
        }
        return 1;
      case 'A': return AmPm(format, pos);
      case '/': FOut += fs.DateSeparator; return 1;
      case ':': FOut += fs.TimeSeparator; return 1;
      default: FOut += format[pos]; return 1;
    }
  }

  // am/pm and a/p keep the case of the pattern; ampm shows the locale's words.
  size_t AmPm(const AnsiString& format, size_t pos) {
    const bool pm = FParts.Hour >= 12;
    if (StartsWithNoCase(format, pos, "am/pm")) {
      const AnsiString word = format.substr(pos + (pm ? 3 : 0), 2);
      FOut += word;
      return 5;
    }
    if (StartsWithNoCase(format, pos, "a/p")) {
      FOut += format[pos + (pm ? 2 : 0)];
      return 3;
    }
    if (StartsWithNoCase(format, pos, "ampm")) {
      FOut += pm ? FormatSettings().TimePMString : FormatSettings().TimeAMString;
      return 4;
    }
    FOut += format[pos];
    return 1;
  }

  TParts FParts;
  AnsiString FOut;
};

// ---------------------------------------------------------------------------
// Reading

class TDateScanner {
public:
  explicit TDateScanner(const AnsiString& s) : FText(s) {}

  bool AtEnd() {
    SkipBlanks();
    return FPos >= FText.size();
  }

  bool Date(TDateTime& value) {
    const TFormatSettings& fs = FormatSettings();
    int numbers[3] = {0, 0, 0}, digits[3] = {0, 0, 0};
    int count = 0;
    while (count < 3) {
      if (count > 0 && !Char(fs.DateSeparator)) break;
      if (!Integer(numbers[count], digits[count])) return false;
      ++count;
    }
    if (count < 2) return false;
    return Assemble(numbers, digits, count, value);
  }

  bool Time(TDateTime& value) {
    const TFormatSettings& fs = FormatSettings();
    int half = AmPm();  // 0 none, 1 am, 2 pm
    int hour = 0, min = 0, sec = 0, msec = 0, digits = 0;
    if (!Integer(hour, digits)) return false;
    bool hasMinutes = false;
    if (Char(fs.TimeSeparator)) {
      if (!Integer(min, digits)) return false;
      hasMinutes = true;
      if (Char(fs.TimeSeparator)) {
        if (!Integer(sec, digits)) return false;
        if (Char('.') || Char(fs.DecimalSeparator)) {
          if (!Integer(msec, digits) || digits > 3) return false;
          for (; digits < 3; ++digits) msec *= 10;
        }
      }
    }
    if (half == 0) half = AmPm();
    if (!hasMinutes && half == 0) return false;
    if (half != 0) {
      if (hour < 1 || hour > 12) return false;
      hour = hour % 12 + (half == 2 ? 12 : 0);
    }
    return TryEncodeTime(hour, min, sec, msec, value);
  }

private:
  void SkipBlanks() {
    while (FPos < FText.size() && (FText[FPos] == ' ' || FText[FPos] == '\t')) ++FPos;
  }

  bool Char(char c) {
    SkipBlanks();
    if (FPos < FText.size() && FText[FPos] == c) {
      ++FPos;
      return true;
    }
    return false;
  }

  bool Integer(int& value, int& digits) {
    SkipBlanks();
    value = 0;
    digits = 0;
    while (FPos < FText.size() && FText[FPos] >= '0' && FText[FPos] <= '9') {
      if (digits < 9) value = value * 10 + (FText[FPos] - '0');
      ++digits;
      ++FPos;
    }
    return digits > 0 && digits <= 9;
  }

  // Reads the locale's AM/PM words or AM, PM, A, P in any case.
  int AmPm() {
    SkipBlanks();
    const TFormatSettings& fs = FormatSettings();
    const AnsiString candidates[] = {fs.TimeAMString, fs.TimePMString, "AM", "PM", "A", "P"};
    for (int i = 0; i < 6; ++i) {
      const AnsiString& word = candidates[i];
      if (word.empty() || FText.size() - FPos < word.size()) continue;
      if (AnsiCompareText(FText.substr(FPos, word.size()), word) == 0) {
        FPos += word.size();
        return i % 2 == 0 ? 1 : 2;
      }
    }
    return 0;
  }

  // The order of day, month and year in the short date pattern.
  static AnsiString FieldOrder() {
    AnsiString order;
    for (char c : FormatSettings().ShortDateFormat) {
      const char u = Upper(c);
      if ((u == 'D' || u == 'M' || u == 'Y') && order.find(u) == AnsiString::npos) order += u;
    }
    for (char u : {'D', 'M', 'Y'})
      if (order.find(u) == AnsiString::npos) order += u;
    return order;
  }

  static int CurrentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm.tm_year + 1900;
  }

  static int ExpandYear(int year, int digits) {
    if (digits > 2) return year;
    const int window = FormatSettings().TwoDigitYearCenturyWindow;
    const int base = CurrentYear() - window;
    year += base / 100 * 100;
    if (window > 0 && year < base) year += 100;
    return year;
  }

  // Two numbers are day and month in the pattern's order, of the current year.
  static bool Assemble(const int* numbers, const int* digits, int count, TDateTime& value) {
    AnsiString order = FieldOrder();
    int year = CurrentYear(), month = 0, day = 0;
    if (count == 2) order.erase(order.find('Y'), 1);
    for (int i = 0; i < count; ++i) {
      switch (order[size_t(i)]) {
        case 'D': day = numbers[i]; break;
        case 'M': month = numbers[i]; break;
        default: year = ExpandYear(numbers[i], digits[i]); break;
      }
    }
    return TryEncodeDate(year, month, day, value);
  }

  const AnsiString& FText;
  size_t FPos = 0;
};

[[noreturn]] void RaiseNotValid(const AnsiString& s, const char* what) {
  throw EConvertError("'" + s + "' is not a valid " + what);
}

}  // namespace

AnsiString FormatDateTime(const AnsiString& format, TDateTime value) {
  TDateFormatter f(value);
  f.Append(format.empty() ? AnsiString("c") : format);
  return f.Result();
}

AnsiString DateToStr(TDateTime value) { return FormatDateTime("ddddd", value); }
AnsiString TimeToStr(TDateTime value) { return FormatDateTime("tt", value); }
AnsiString DateTimeToStr(TDateTime value) { return FormatDateTime("c", value); }

bool TryStrToDate(const AnsiString& s, TDateTime& value) {
  TDateScanner scan(s);
  TDateTime date = 0;
  if (!scan.Date(date) || !scan.AtEnd()) return false;
  value = date;
  return true;
}

bool TryStrToTime(const AnsiString& s, TDateTime& value) {
  TDateScanner scan(s);
  TDateTime time = 0;
  if (!scan.Time(time) || !scan.AtEnd()) return false;
  value = time;
  return true;
}

bool TryStrToDateTime(const AnsiString& s, TDateTime& value) {
  TDateScanner scan(s);
  TDateTime date = 0, time = 0;
  if (!scan.Date(date)) return TryStrToTime(s, value);
  if (!scan.AtEnd() && (!scan.Time(time) || !scan.AtEnd())) return false;
  value = ComposeDateTime(date, time);
  return true;
}

TDateTime StrToDate(const AnsiString& s) {
  TDateTime value = 0;
  if (!TryStrToDate(s, value)) RaiseNotValid(s, "date");
  return value;
}

TDateTime StrToTime(const AnsiString& s) {
  TDateTime value = 0;
  if (!TryStrToTime(s, value)) RaiseNotValid(s, "time");
  return value;
}

TDateTime StrToDateTime(const AnsiString& s) {
  TDateTime value = 0;
  if (!TryStrToDateTime(s, value)) RaiseNotValid(s, "date and time");
  return value;
}
