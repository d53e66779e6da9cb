// TDateTime arithmetic: the calendar, the clock and local time.
//
// The integer part counts days from 30 December 1899 (negative before it),
// the fraction's magnitude is the time of day, so decoding uses the truncated
// day and the absolute fraction.
#include <sys/time.h>

#include <algorithm>
#include <cmath>
#include <ctime>

#include "SysUtils.h"

namespace {

constexpr int64_t MSecsPerDay = 86400000;
// Day number of 1970-01-01.
constexpr int64_t UnixDateDelta = 25569;
constexpr int64_t MinDay = -693593;  // 0001-01-01
constexpr int64_t MaxDay = 2958465;  // 9999-12-31

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = int(doy - (153 * mp + 2) / 5 + 1);
  month = int(mp < 10 ? mp + 3 : mp - 9);
  year = int(yoe + era * 400 + (month <= 2));
}

// The day and the milliseconds of the day, rounded to the millisecond; a time
// that rounds up to midnight belongs to the next calendar day.
bool SplitDateTime(TDateTime value, int64_t& day, int64_t& msec) {
  if (!std::isfinite(value) || value < double(MinDay - 1) || value > double(MaxDay + 1)) return false;
  const double whole = std::trunc(value);
  day = int64_t(whole);
  msec = std::llround(std::fabs(value - whole) * double(MSecsPerDay));
  if (msec >= MSecsPerDay) {
    msec -= MSecsPerDay;
    ++day;
  }
  return day >= MinDay && day <= MaxDay;
}

TDateTime FromLocalTm(const std::tm& tm, int msec) {
  TDateTime date = 0, time = 0;
  if (!TryEncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, date)) return 0;
  TryEncodeTime(tm.tm_hour, tm.tm_min, std::min(tm.tm_sec, 59), msec, time);
  return ComposeDateTime(date, time);
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& value) {
  if (year < 1 || year > 9999 || day < 1 || day > DaysInMonth(year, month)) return false;
  value = double(DaysFromCivil(year, month, day) + UnixDateDelta);
  return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& value) {
  if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
    return false;
  value = double(((int64_t(hour) * 60 + min) * 60 + sec) * 1000 + msec) / double(MSecsPerDay);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime value = 0;
  if (!TryEncodeDate(year, month, day, value)) throw EConvertError("Invalid argument to date encode");
  return value;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime value = 0;
  if (!TryEncodeTime(hour, min, sec, msec, value)) throw EConvertError("Invalid argument to time encode");
  return value;
}

// Values outside 0001-01-01 .. 9999-12-31 decode as 0/0/0.
void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  int64_t d = 0, ms = 0;
  if (!SplitDateTime(value, d, ms)) {
    year = month = day = 0;
    return;
  }
  CivilFromDays(d - UnixDateDelta, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec) {
  int64_t d = 0, ms = 0;
  if (!SplitDateTime(value, d, ms)) ms = 0;
  hour = int(ms / 3600000);
  min = int(ms / 60000 % 60);
  sec = int(ms / 1000 % 60);
  msec = int(ms % 1000);
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
  const double day = std::trunc(date);
  const double clock = std::fabs(time - std::trunc(time));
  return day < 0 ? day - clock : day + clock;
}

int DayOfWeek(TDateTime value) {
  int64_t d = 0, ms = 0;
  SplitDateTime(value, d, ms);
  // Day 0 was a Saturday.
  return int(((d % 7) + 7 + 6) % 7) + 1;
}

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  localtime_r(&ts.tv_sec, &tm);
  return FromLocalTm(tm, int(ts.tv_nsec / 1000000));
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  const TDateTime now = Now();
  return std::fabs(now - std::trunc(now));
}

TDateTime UnixTimeToDateTime(int64_t unixTime) {
  const std::time_t t = std::time_t(unixTime);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return 0;
  return FromLocalTm(tm, 0);
}

int64_t DateTimeToUnixTime(TDateTime value) {
  int year = 0, month = 0, day = 0, hour = 0, min = 0, sec = 0, msec = 0;
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, min, sec, msec);
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = min;
  tm.tm_sec = sec;
  tm.tm_isdst = -1;
  return int64_t(std::mktime(&tm));
}
