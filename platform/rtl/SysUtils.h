// Strings, conversions, dates, file names and the exception hierarchy.
//
// Strings are AnsiString: 8-bit text in the ANSI code page (see CodePage.h).
// Every position is 1-based, as the script language and the form files count.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <variant>

using AnsiString = std::string;
// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

// ---------------------------------------------------------------------------
// Exceptions. Every error the system raises derives from Exception.

class Exception : public std::exception {
public:
  explicit Exception(AnsiString message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  AnsiString Message;
};

class EConvertError : public Exception { using Exception::Exception; };
class EZeroDivide : public Exception {
public:
  EZeroDivide() : Exception("Division by zero") {}
  using Exception::Exception;
};
class EInvalidOp : public Exception {
public:
  EInvalidOp() : Exception("Invalid floating point operation") {}
  using Exception::Exception;
};
class EInOutError : public Exception {
public:
  EInOutError(AnsiString message, int errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
  int ErrorCode;
};
class EDatabaseError : public Exception { using Exception::Exception; };
class EPrinter : public Exception { using Exception::Exception; };
class EListError : public Exception { using Exception::Exception; };
class EStringListError : public EListError { using EListError::EListError; };
class EComponentError : public Exception { using Exception::Exception; };
class EClassNotFound : public Exception { using Exception::Exception; };
class EPropertyError : public Exception { using Exception::Exception; };
class EStreamError : public Exception { using Exception::Exception; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };

// ---------------------------------------------------------------------------
// Strings

// Trim removes characters with codes 0..32 from the ends.
AnsiString Trim(const AnsiString& s);
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);

// UpperCase/LowerCase change ASCII letters only; the Ansi forms use the code page.
AnsiString UpperCase(const AnsiString& s);
AnsiString LowerCase(const AnsiString& s);
AnsiString AnsiUpperCase(const AnsiString& s);
AnsiString AnsiLowerCase(const AnsiString& s);

// Comparisons answer <0, 0, >0. CompareText ignores ASCII case, AnsiCompareText
// the case of the code page's letters.
int CompareStr(const AnsiString& a, const AnsiString& b);
int CompareText(const AnsiString& a, const AnsiString& b);
int AnsiCompareStr(const AnsiString& a, const AnsiString& b);
int AnsiCompareText(const AnsiString& a, const AnsiString& b);
bool SameText(const AnsiString& a, const AnsiString& b);
bool AnsiSameText(const AnsiString& a, const AnsiString& b);

// Pos answers the 1-based position of sub in s, 0 when absent (also for an empty sub).
int Pos(const AnsiString& sub, const AnsiString& s);
int PosEx(const AnsiString& sub, const AnsiString& s, int offset);
// Copy clamps index and count to the string; index below 1 counts as 1.
AnsiString Copy(const AnsiString& s, int index, int count);
AnsiString Copy(const AnsiString& s, int index);
void Delete(AnsiString& s, int index, int count);
void Insert(const AnsiString& source, AnsiString& s, int index);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern,
                         const AnsiString& newPattern, TReplaceFlags flags);

AnsiString StringOfChar(char c, int count);
AnsiString QuotedStr(const AnsiString& s);  // 'it''s'
bool IsValidIdent(const AnsiString& s);     // letter or _ first, then letters, digits, _

// ---------------------------------------------------------------------------
// Numbers

AnsiString IntToStr(int64_t value);
AnsiString IntToHex(int64_t value, int digits);
// Decimal, or '$' followed by up to 8 hex digits read as 32-bit two's complement.
// Leading and trailing blanks are allowed. Raises EConvertError
// "'%s' is not a valid integer value".
int32_t StrToInt(const AnsiString& s);
int32_t StrToIntDef(const AnsiString& s, int32_t def);
bool TryStrToInt(const AnsiString& s, int32_t& value);
int64_t StrToInt64(const AnsiString& s);
bool TryStrToInt64(const AnsiString& s, int64_t& value);

// Uses FormatSettings().DecimalSeparator. Raises EConvertError
// "'%s' is not a valid floating point value".
double StrToFloat(const AnsiString& s);
bool TryStrToFloat(const AnsiString& s, double& value);
double StrToFloatDef(const AnsiString& s, double def);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// General format, 15 significant digits: fixed notation for magnitudes from
// 0.0001 up to below 1E15, otherwise scientific with a bare exponent (1E-5, 1.5E20).
AnsiString FloatToStr(double value);
AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits);
// Picture formats such as "0", "00000000", "0.000", "#,##0.00", "0.00E+00".
AnsiString FormatFloat(const AnsiString& format, double value);

// Arguments of Format: integers, floats and strings.
using TFormatArg = std::variant<int64_t, double, AnsiString>;
struct TVarRec {
  TVarRec(int v) : Value(int64_t(v)) {}
  TVarRec(long v) : Value(int64_t(v)) {}
  TVarRec(long long v) : Value(int64_t(v)) {}
  TVarRec(unsigned v) : Value(int64_t(v)) {}
  TVarRec(unsigned long v) : Value(int64_t(v)) {}
  TVarRec(unsigned long long v) : Value(int64_t(v)) {}
  TVarRec(double v) : Value(v) {}
  TVarRec(const char* v) : Value(AnsiString(v)) {}
  TVarRec(const AnsiString& v) : Value(v) {}
  TFormatArg Value;
};
// Format specifiers "%[index:][-][width][.prec]type" with types s d u x f g e n m p and %%.
// A wrong type or missing argument raises EConvertError
// "Format '%s' invalid or incompatible with argument".
AnsiString Format(const AnsiString& format, std::initializer_list<TVarRec> args);

// ---------------------------------------------------------------------------
// Format settings: taken from the process locale at first use, settable.

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  AnsiString ShortDateFormat = "dd/mm/yyyy";
  AnsiString LongDateFormat = "dd mmmm yyyy";
  AnsiString ShortTimeFormat = "hh:nn";
  AnsiString LongTimeFormat = "hh:nn:ss";
  AnsiString TimeAMString = "AM";
  AnsiString TimePMString = "PM";
  // Month names January first, day names Sunday first.
  AnsiString ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  AnsiString LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
  AnsiString ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  AnsiString LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  // A two-digit year is read as the year within this many years before the
  // current one or less than 100 - window years after it.
  int TwoDigitYearCenturyWindow = 50;
  // Currency for ffCurrency and %m: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"; a
  // negative amount gets a leading '-'.
  AnsiString CurrencyString = "$";
  int CurrencyFormat = 0;
  int CurrencyDecimals = 2;
};
TFormatSettings& FormatSettings();
// Reads LC_NUMERIC and LC_TIME of the locale the environment names (LC_ALL,
// LC_NUMERIC/LC_TIME, LANG) into FormatSettings(); the C and POSIX locales and
// locales that are not installed give the defaults above. Names that do not fit
// the ANSI code page stay English, so call it again after SetAnsiCodePage.
void LoadFormatSettingsFromLocale();

// ---------------------------------------------------------------------------
// Dates and times

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// Raise EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& value);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& value);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);
// A date plus a time of day. Before 30 December 1899 the day counts down while
// the time still counts up, so the two are subtracted there: -1.25 is
// 29 December 1899, 06:00.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
int DayOfWeek(TDateTime value);  // 1 = Sunday
TDateTime Now();
TDateTime Date();
TDateTime Time();

AnsiString DateToStr(TDateTime value);
AnsiString TimeToStr(TDateTime value);
AnsiString DateTimeToStr(TDateTime value);
// Raise EConvertError "'%s' is not a valid date" / "... time" / "... date and time".
TDateTime StrToDate(const AnsiString& s);
TDateTime StrToTime(const AnsiString& s);
TDateTime StrToDateTime(const AnsiString& s);
bool TryStrToDate(const AnsiString& s, TDateTime& value);
bool TryStrToTime(const AnsiString& s, TDateTime& value);
bool TryStrToDateTime(const AnsiString& s, TDateTime& value);
// Patterns: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz am/pm ampm
// c / : and quoted literals.
AnsiString FormatDateTime(const AnsiString& format, TDateTime value);

// Seconds since the Unix epoch, taken as local time.
TDateTime UnixTimeToDateTime(int64_t unixTime);
int64_t DateTimeToUnixTime(TDateTime value);

// ---------------------------------------------------------------------------
// File names (native paths, '/' as separator) and simple file tests.

constexpr char PathDelim = '/';
AnsiString ExtractFileName(const AnsiString& path);
AnsiString ExtractFilePath(const AnsiString& path);  // with the trailing '/'
AnsiString ExtractFileDir(const AnsiString& path);   // without it
AnsiString ExtractFileExt(const AnsiString& path);   // ".ext", empty when none
AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext);
AnsiString IncludeTrailingPathDelimiter(const AnsiString& path);
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& path);
bool FileExists(const AnsiString& path);
bool DirectoryExists(const AnsiString& path);
bool DeleteFile(const AnsiString& path);
bool RenameFile(const AnsiString& oldName, const AnsiString& newName);
AnsiString GetCurrentDir();
bool SetCurrentDir(const AnsiString& dir);
bool ForceDirectories(const AnsiString& dir);
// The modification time of a file as local TDateTime; -1 when it does not exist.
TDateTime FileAgeDateTime(const AnsiString& path);
