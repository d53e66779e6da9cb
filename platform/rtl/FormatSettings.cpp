// FormatSettings: separators, date and time patterns and names, read from the
// process's locale (the LC_ALL / LC_NUMERIC / LC_TIME / LANG environment) at
// first use. The C and POSIX locales keep the neutral defaults of
// TFormatSettings, so that plain runs and tests do not get "%m/%d/%y" dates.
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>

#include "CodePage.h"
#include "SysUtils.h"

namespace {

// The locale the environment names for one category, by POSIX precedence.
AnsiString EnvironmentLocale(const char* category) {
  for (const char* var : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) return value;
  }
  return "C";
}

bool IsNeutralLocale(const AnsiString& name) {
  return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

// One locale category opened by name for nl_langinfo_l; nothing when the
// locale is neutral or not installed.
class TLocaleReader {
public:
  TLocaleReader(int mask, const char* category) {
    const AnsiString name = EnvironmentLocale(category);
    // LC_CTYPE of the same locale tells the character set of its texts.
    if (!IsNeutralLocale(name)) FLocale = newlocale(mask | LC_CTYPE_MASK, name.c_str(), locale_t(nullptr));
    if (FLocale) FUtf8 = std::strcmp(nl_langinfo_l(CODESET, FLocale), "UTF-8") == 0;
  }
  ~TLocaleReader() {
    if (FLocale) freelocale(FLocale);
  }
  TLocaleReader(const TLocaleReader&) = delete;
  TLocaleReader& operator=(const TLocaleReader&) = delete;

  bool Valid() const { return FLocale != locale_t(nullptr); }
  locale_t Locale() const { return FLocale; }

  // The item in the ANSI code page; 8-bit locales are taken byte for byte.
  AnsiString Item(nl_item item) const {
    const char* text = nl_langinfo_l(item, FLocale);
    return FUtf8 ? Utf8ToAnsi(text ? text : "") : AnsiString(text ? text : "");
  }

private:
  locale_t FLocale = locale_t(nullptr);
  bool FUtf8 = false;
};

void SetSeparator(char& target, const AnsiString& text) {
  if (text.size() == 1 && text[0] != '?') target = text[0];
}

// Thin and narrow no-break spaces group digits in some locales; the code
// pages have only the plain no-break space.
AnsiString ThousandsItem(const TLocaleReader& reader) {
  const char* raw = nl_langinfo_l(THOUSEP, reader.Locale());
  if (std::strcmp(raw, "\xE2\x80\xAF") == 0 || std::strcmp(raw, "\xE2\x80\x89") == 0) return "\xA0";
  return reader.Item(THOUSEP);
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Translates a strftime pattern into a FormatDateTime pattern; the first
// punctuation mark between fields becomes the separator.
struct TPatternTranslation {
  AnsiString Pattern;
  char Separator = 0;
  bool TwelveHour = false;
  bool HasAmPm = false;
};

void TranslateInto(const AnsiString& fmt, const TLocaleReader& reader, TPatternTranslation& t) {
  for (size_t i = 0; i < fmt.size(); ++i) {
    const char c = fmt[i];
    if (c != '%') {
      if (IsLetter(c) || static_cast<unsigned char>(c) >= 0x80) {
        t.Pattern += '"';
        t.Pattern += c;
        t.Pattern += '"';
      } else {
        if (!t.Separator && c != ' ') t.Separator = c;
        t.Pattern += c;
      }
      continue;
    }
    if (++i >= fmt.size()) break;
    while (i + 1 < fmt.size() && std::strchr("EO-_0^#", fmt[i])) ++i;
    switch (fmt[i]) {
      case 'd': t.Pattern += "dd"; break;
      case 'e': t.Pattern += "d"; break;
      case 'm': t.Pattern += "mm"; break;
      case 'y': t.Pattern += "yy"; break;
      case 'Y': t.Pattern += "yyyy"; break;
      case 'b': case 'h': t.Pattern += "mmm"; break;
      case 'B': t.Pattern += "mmmm"; break;
      case 'a': t.Pattern += "ddd"; break;
      case 'A': t.Pattern += "dddd"; break;
      case 'H': t.Pattern += "hh"; break;
      case 'k': t.Pattern += "h"; break;
      case 'I': t.Pattern += "hh"; t.TwelveHour = true; break;
      case 'l': t.Pattern += "h"; t.TwelveHour = true; break;
      case 'M': t.Pattern += "nn"; break;
      case 'S': t.Pattern += "ss"; break;
      case 'p': case 'P': t.Pattern += "ampm"; t.HasAmPm = true; break;
      case 'D': TranslateInto("%m/%d/%y", reader, t); break;
      case 'F': TranslateInto("%Y-%m-%d", reader, t); break;
      case 'T': TranslateInto("%H:%M:%S", reader, t); break;
      case 'R': TranslateInto("%H:%M", reader, t); break;
      case 'r': TranslateInto(reader.Item(T_FMT_AMPM), reader, t); break;
      case 'n': case 't': t.Pattern += ' '; break;
      case '%': t.Pattern += "'%'"; break;
      default: break;
    }
  }
}

TPatternTranslation Translate(const AnsiString& fmt, const TLocaleReader& reader) {
  TPatternTranslation t;
  TranslateInto(fmt, reader, t);
  if (t.TwelveHour && !t.HasAmPm) t.Pattern += " ampm";
  return t;
}

// The long time pattern without its seconds.
AnsiString WithoutSeconds(const AnsiString& pattern, char separator) {
  AnsiString out = pattern;
  size_t at = out.find(AnsiString(1, separator) + "ss");
  if (at != AnsiString::npos) return out.erase(at, 3);
  at = out.find("ss");
  return at == AnsiString::npos ? out : out.erase(at, 2);
}

// Names that do not fit the code page keep their defaults.
template <size_t N>
void LoadNames(AnsiString (&names)[N], const TLocaleReader& reader, nl_item first) {
  AnsiString loaded[N];
  for (size_t i = 0; i < N; ++i) {
    loaded[i] = reader.Item(nl_item(first + int(i)));
    if (loaded[i].empty() || loaded[i].find('?') != AnsiString::npos) return;
  }
  for (size_t i = 0; i < N; ++i) names[i] = loaded[i];
}

void LoadNumeric(TFormatSettings& fs) {
  const TLocaleReader reader(LC_NUMERIC_MASK, "LC_NUMERIC");
  if (!reader.Valid()) return;
  SetSeparator(fs.DecimalSeparator, reader.Item(RADIXCHAR));
  SetSeparator(fs.ThousandSeparator, ThousandsItem(reader));
  if (fs.ThousandSeparator == fs.DecimalSeparator) fs.ThousandSeparator = fs.DecimalSeparator == ',' ? '.' : ',';
}

void LoadTime(TFormatSettings& fs) {
  const TLocaleReader reader(LC_TIME_MASK, "LC_TIME");
  if (!reader.Valid()) return;
  const TPatternTranslation date = Translate(reader.Item(D_FMT), reader);
  if (!date.Pattern.empty()) fs.ShortDateFormat = date.Pattern;
  if (date.Separator) fs.DateSeparator = date.Separator;
  const TPatternTranslation time = Translate(reader.Item(T_FMT), reader);
  if (!time.Pattern.empty()) {
    if (time.Separator) fs.TimeSeparator = time.Separator;
    fs.LongTimeFormat = time.Pattern;
    fs.ShortTimeFormat = WithoutSeconds(time.Pattern, fs.TimeSeparator);
  }
  if (const AnsiString am = reader.Item(AM_STR); !am.empty()) fs.TimeAMString = am;
  if (const AnsiString pm = reader.Item(PM_STR); !pm.empty()) fs.TimePMString = pm;
  LoadNames(fs.ShortMonthNames, reader, ABMON_1);
  LoadNames(fs.LongMonthNames, reader, MON_1);
  LoadNames(fs.ShortDayNames, reader, ABDAY_1);
  LoadNames(fs.LongDayNames, reader, DAY_1);
}

TFormatSettings FromLocale() {
  TFormatSettings fs;
  LoadNumeric(fs);
  LoadTime(fs);
  return fs;
}

}  // namespace

TFormatSettings& FormatSettings() {
  static TFormatSettings settings = FromLocale();
  return settings;
}

void LoadFormatSettingsFromLocale() { FormatSettings() = FromLocale(); }
