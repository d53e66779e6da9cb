// TDateTime: calendar arithmetic, text in both directions and local time.
#include <cmath>

#include "SysUtilsTestSupport.h"

namespace {

class DateTimeTest : public TNeutralSettings {
protected:
  void SetUp() override {
    TNeutralSettings::SetUp();
    TFormatSettings& fs = FormatSettings();
    fs.DateSeparator = '.';
    fs.ShortDateFormat = "dd.mm.yyyy";
    fs.LongDateFormat = "d mmmm yyyy";
    fs.TimeSeparator = ':';
    fs.LongTimeFormat = "hh:nn:ss";
    fs.ShortTimeFormat = "hh:nn";
  }
};

TEST_F(DateTimeTest, EncodeDateKnownValues) {
  struct Row { int y, m, d; double value; };
  const Row rows[] = {
      {1899, 12, 30, 0},     {1899, 12, 31, 1},      {1900, 1, 1, 2},       {1899, 12, 29, -1},
      {1899, 12, 1, -29},    {1800, 1, 1, -36522},   {1, 1, 1, -693593},    {9999, 12, 31, 2958465},
      {2000, 1, 1, 36526},   {2000, 2, 29, 36585},   {1970, 1, 1, 25569},   {2024, 3, 15, 45366},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(EncodeDate(r.y, r.m, r.d), r.value) << r.y << "-" << r.m << "-" << r.d;
    int y = 0, m = 0, d = 0;
    DecodeDate(r.value, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, r.y * 10000 + r.m * 100 + r.d) << r.value;
  }
}

TEST_F(DateTimeTest, EncodeDateRejectsInvalidDates) {
  struct Row { int y, m, d; };
  const Row rows[] = {{2023, 2, 29}, {1900, 2, 29}, {2024, 13, 1}, {2024, 0, 1}, {2024, 4, 31},
                      {2024, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
  for (const Row& r : rows) {
    TDateTime v = 123;
    EXPECT_FALSE(TryEncodeDate(r.y, r.m, r.d, v)) << r.y << "-" << r.m << "-" << r.d;
    EXPECT_EQ(v, 123);
  }
  try {
    EncodeDate(2023, 2, 29);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Invalid argument to date encode");
  }
  try {
    EncodeTime(24, 0, 0, 0);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Invalid argument to time encode");
  }
  TDateTime leapDay = 0;
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, leapDay));
}

TEST_F(DateTimeTest, DateRoundTripsOverTheWholeRange) {
  // Every 97th day from 0001-01-01 to 9999-12-31, and every day around 1899/1900.
  auto check = [](int day) {
    int y = 0, m = 0, d = 0;
    DecodeDate(day, y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), day) << day;
  };
  for (int day = -693593; day <= 2958465; day += 97) check(day);
  for (int day = -800; day <= 800; ++day) check(day);
  int y = 0, m = 0, d = 0;
  DecodeDate(-693594, y, m, d);
  EXPECT_EQ(y, 0);
}

TEST_F(DateTimeTest, LeapYearsAndMonthLengths) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2023, 2), 28);
  EXPECT_EQ(DaysInMonth(2023, 4), 30);
  EXPECT_EQ(DaysInMonth(2023, 12), 31);
}

TEST_F(DateTimeTest, TimeEncodeDecode) {
  EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
  for (int ms = 0; ms < 86400000; ms += 86400000 / 997 + 13) {
    const TDateTime t = EncodeTime(ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    int h = 0, n = 0, s = 0, z = 0;
    DecodeTime(t, h, n, s, z);
    ASSERT_EQ(((h * 60 + n) * 60 + s) * 1000 + z, ms);
  }
  int h = 0, n = 0, s = 0, z = 0;
  // Just below midnight rounds to the next day, not to 24:00.
  DecodeTime(0.9999999999, h, n, s, z);
  EXPECT_EQ(h * 10000 + n * 100 + s, 0);
  int y = 0, m = 0, d = 0;
  DecodeDate(0.9999999999, y, m, d);
  EXPECT_EQ(d, 31);
}

TEST_F(DateTimeTest, NegativeValuesCountDaysDownAndTimeUp) {
  // -1.25 is 29 December 1899, 06:00; -0.5 is 30 December 1899, 12:00.
  int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, z = 0;
  DecodeDate(-1.25, y, m, d);
  DecodeTime(-1.25, h, n, s, z);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(h, 6);
  DecodeDate(-0.5, y, m, d);
  DecodeTime(-0.5, h, n, s, z);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991230);
  EXPECT_EQ(h, 12);
  EXPECT_DOUBLE_EQ(ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0)), -1.25);
  EXPECT_DOUBLE_EQ(ComposeDateTime(EncodeDate(1900, 1, 1), EncodeTime(6, 0, 0, 0)), 2.25);
  const TDateTime old = ComposeDateTime(EncodeDate(1789, 7, 14), EncodeTime(15, 30, 0, 0));
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", old), "1789-07-14 15:30");
}

TEST_F(DateTimeTest, DayOfWeek) {
  EXPECT_EQ(DayOfWeek(0), 7);                           // Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 31)), 1);    // Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 15)), 6);     // Friday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 29)), 6);    // Friday
  EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);         // Monday
  EXPECT_EQ(DayOfWeek(ComposeDateTime(EncodeDate(1815, 6, 18), 0.5)), 1);  // Sunday
}

TEST_F(DateTimeTest, FormatDateTimePatterns) {
  const TDateTime v = ComposeDateTime(EncodeDate(2024, 3, 5), EncodeTime(14, 7, 9, 45));
  struct Row { const char* format; const char* expected; };
  const Row rows[] = {
      {"d/m/yy", "5.3.24"},
      {"dd/mm/yyyy", "05.03.2024"},
      {"yyyy-mm-dd", "2024-03-05"},
      {"ddd dddd", "Tue Tuesday"},
      {"mmm mmmm", "Mar March"},
      {"ddddd", "05.03.2024"},
      {"dddddd", "5 March 2024"},
      {"h:n:s", "14:7:9"},
      {"hh:nn:ss.zzz", "14:07:09.045"},
      {"hh:nn:ss.z", "14:07:09.45"},
      {"hh:mm", "14:07"},
      {"h am/pm", "2 pm"},
      {"h AM/PM", "2 PM"},
      {"hh:nn a/p", "02:07 p"},
      {"hh:nn ampm", "02:07 PM"},
      {"t", "14:07"},
      {"tt", "14:07:09"},
      {"c", "05.03.2024 14:07:09"},
      {"'Date:' dd \"of\" mmmm", "Date: 05 of March"},
      {"YYYY/MM/DD HH:NN", "2024.03.05 14:07"},
      {"yyyymmdd", "20240305"},
  };
  for (const Row& r : rows) EXPECT_EQ(FormatDateTime(r.format, v), r.expected) << r.format;

  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5)), "05.03.2024");
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(0, 30, 0, 0)), "12 am");
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(12, 30, 0, 0)), "12 pm");
  FormatSettings().ShortDateFormat = "ddddd";  // names itself: must not recurse forever
  EXPECT_NO_THROW(FormatDateTime("c", v));
}

TEST_F(DateTimeTest, DateAndTimeToStr) {
  const TDateTime v = ComposeDateTime(EncodeDate(1999, 12, 31), EncodeTime(23, 59, 58, 0));
  EXPECT_EQ(DateToStr(v), "31.12.1999");
  EXPECT_EQ(TimeToStr(v), "23:59:58");
  EXPECT_EQ(DateTimeToStr(v), "31.12.1999 23:59:58");
  FormatSettings().ShortDateFormat = "mm/dd/yyyy";
  FormatSettings().DateSeparator = '/';
  EXPECT_EQ(DateToStr(v), "12/31/1999");
}

TEST_F(DateTimeTest, StrToDateFollowsTheOrderOfTheShortDateFormat) {
  struct Row { const char* shortFormat; char separator; const char* text; int y, m, d; };
  const Row rows[] = {
      {"dd.mm.yyyy", '.', "05.03.2024", 2024, 3, 5},
      {"dd.mm.yyyy", '.', " 5.3.2024 ", 2024, 3, 5},
      {"dd.mm.yyyy", '.', "29.02.2000", 2000, 2, 29},
      {"mm/dd/yyyy", '/', "03/05/2024", 2024, 3, 5},
      {"m/d/yy", '/', "12/31/1999", 1999, 12, 31},
      {"yyyy-mm-dd", '-', "2024-03-05", 2024, 3, 5},
      {"yyyy-mm-dd", '-', "0099-01-02", 99, 1, 2},
      {"dd.mm.yyyy", '.', "1.1.1", 0, 1, 1},  // one-digit year: windowed (year checked below)
  };
  for (const Row& r : rows) {
    FormatSettings().ShortDateFormat = r.shortFormat;
    FormatSettings().DateSeparator = r.separator;
    TDateTime v = 0;
    ASSERT_TRUE(TryStrToDate(r.text, v)) << r.text;
    int y = 0, m = 0, d = 0;
    DecodeDate(v, y, m, d);
    if (r.y) {
      EXPECT_EQ(y, r.y) << r.text;
    }
    EXPECT_EQ(m * 100 + d, r.m * 100 + r.d) << r.text;
    EXPECT_EQ(StrToDate(r.text), v) << r.text;
  }
}

TEST_F(DateTimeTest, TwoDigitYearsFallIntoTheFiftyYearWindow) {
  int thisYear = 0, m = 0, d = 0;
  DecodeDate(Date(), thisYear, m, d);
  for (int yy = 0; yy < 100; ++yy) {
    TDateTime v = 0;
    const AnsiString text = "01.01." + AnsiString(yy < 10 ? "0" : "") + IntToStr(yy);
    ASSERT_TRUE(TryStrToDate(text, v)) << text;
    int y = 0;
    DecodeDate(v, y, m, d);
    EXPECT_EQ(y % 100, yy) << text;
    EXPECT_GE(y, thisYear - 50) << text;
    EXPECT_LT(y, thisYear + 50) << text;
  }
  // A wider window moves every year into the past.
  FormatSettings().TwoDigitYearCenturyWindow = 99;
  int y = 0;
  DecodeDate(StrToDate("01.01.00"), y, m, d);
  EXPECT_LE(y, thisYear);
}

TEST_F(DateTimeTest, StrToDateErrors) {
  const char* bad[] = {"", "5", "31.02.2024", "1.13.2024", "1/2/2024", "a.b.c", "1.2.2024x", "1..2024",
                       "01.02.2024 10:00"};
  for (const char* text : bad) {
    TDateTime v = 0;
    EXPECT_FALSE(TryStrToDate(text, v)) << text;
  }
  try {
    StrToDate("31.02.2024");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'31.02.2024' is not a valid date");
  }
  // Two numbers give a day and month of the current year.
  int thisYear = 0, y = 0, m = 0, d = 0;
  DecodeDate(Date(), thisYear, m, d);
  DecodeDate(StrToDate("24.12"), y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, thisYear * 10000 + 1224);
}

TEST_F(DateTimeTest, StrToTime) {
  struct Row { const char* text; bool ok; int h, n, s, z; };
  const Row rows[] = {
      {"14:07", true, 14, 7, 0, 0},       {"14:07:09", true, 14, 7, 9, 0},
      {" 9:5:3 ", true, 9, 5, 3, 0},      {"14:07:09.045", true, 14, 7, 9, 45},
      {"14:07:09.5", true, 14, 7, 9, 500}, {"2:30 PM", true, 14, 30, 0, 0},
      {"2:30pm", true, 14, 30, 0, 0},     {"12:00 AM", true, 0, 0, 0, 0},
      {"12:15 pm", true, 12, 15, 0, 0},   {"11:59:59 p", true, 23, 59, 59, 0},
      {"PM 3:00", true, 15, 0, 0, 0},     {"5 PM", true, 17, 0, 0, 0},
      {"0:00", true, 0, 0, 0, 0},         {"24:00", false, 0, 0, 0, 0},
      {"13:00 PM", false, 0, 0, 0, 0},    {"0:00 AM", false, 0, 0, 0, 0},
      {"12:60", false, 0, 0, 0, 0},       {"12:30:60", false, 0, 0, 0, 0},
      {"12", false, 0, 0, 0, 0},          {"12:", false, 0, 0, 0, 0},
      {"", false, 0, 0, 0, 0},            {"12:30 XM", false, 0, 0, 0, 0},
      {"12:30:00.1234", false, 0, 0, 0, 0},
  };
  for (const Row& r : rows) {
    TDateTime v = -1;
    EXPECT_EQ(TryStrToTime(r.text, v), r.ok) << r.text;
    if (!r.ok) continue;
    int h = 0, n = 0, s = 0, z = 0;
    DecodeTime(v, h, n, s, z);
    EXPECT_EQ(((h * 100 + n) * 100 + s) * 1000 + z, ((r.h * 100 + r.n) * 100 + r.s) * 1000 + r.z) << r.text;
  }
  EXPECT_THROW(StrToTime("25:00"), EConvertError);
  try {
    StrToTime("x");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'x' is not a valid time");
  }
}

TEST_F(DateTimeTest, StrToDateTimeRoundTrip) {
  const TDateTime v = ComposeDateTime(EncodeDate(2024, 3, 5), EncodeTime(14, 7, 9, 0));
  EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(v)), v);
  EXPECT_DOUBLE_EQ(StrToDateTime("05.03.2024"), EncodeDate(2024, 3, 5));
  EXPECT_DOUBLE_EQ(StrToDateTime("10:30"), EncodeTime(10, 30, 0, 0));
  const TDateTime old = StrToDateTime("29.12.1899 06:00");
  EXPECT_DOUBLE_EQ(old, -1.25);
  EXPECT_EQ(DateTimeToStr(old), "29.12.1899 06:00:00");
  try {
    StrToDateTime("05.03.2024 25:00");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'05.03.2024 25:00' is not a valid date and time");
  }
}

TEST_F(DateTimeTest, LocalTimeUsesTheTimeZone) {
  {
    TTimeZoneGuard zone("UTC0");
    EXPECT_DOUBLE_EQ(UnixTimeToDateTime(0), EncodeDate(1970, 1, 1));
    EXPECT_DOUBLE_EQ(UnixTimeToDateTime(86400 + 3600), EncodeDate(1970, 1, 2) + EncodeTime(1, 0, 0, 0));
    EXPECT_EQ(DateTimeToUnixTime(EncodeDate(2000, 1, 1)), 946684800);
    EXPECT_EQ(DateTimeToUnixTime(UnixTimeToDateTime(-86400 * 365)), -86400 * 365);
  }
  {
    // Central Europe: one hour ahead in winter, two in summer.
    TTimeZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", UnixTimeToDateTime(946684800)), "2000-01-01 01:00");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", UnixTimeToDateTime(962409600)), "2000-07-01 02:00");
    EXPECT_EQ(DateTimeToUnixTime(EncodeDate(2000, 7, 1) + EncodeTime(2, 0, 0, 0)), 962409600);
  }
}

TEST_F(DateTimeTest, NowIsTheLocalClock) {
  TTimeZoneGuard zone("UTC0");
  const TDateTime before = UnixTimeToDateTime(std::time(nullptr));
  const TDateTime now = Now();
  const TDateTime after = UnixTimeToDateTime(std::time(nullptr) + 1);
  EXPECT_LE(before, now);
  EXPECT_LE(now, after);
  EXPECT_EQ(Date(), std::trunc(Date()));
  EXPECT_GE(Time(), 0);
  EXPECT_LT(Time(), 1);
}

}  // namespace
