// Strings and numbers: trimming, case, comparison, 1-based editing and the
// integer and float conversions.
#include <cmath>
#include <limits>

#include "SysUtilsTestSupport.h"

namespace {

class SysUtilsTest : public TNeutralSettings {};

TEST_F(SysUtilsTest, TrimRemovesControlCharactersAndBlanks) {
  EXPECT_EQ(Trim(" \t\r\n a b \x01\x1F "), "a b");
  EXPECT_EQ(TrimLeft("  a  "), "a  ");
  EXPECT_EQ(TrimRight("  a  "), "  a");
  EXPECT_EQ(Trim("   "), "");
  // 0xA0 (no-break space) is above 32 and stays.
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
}

TEST_F(SysUtilsTest, UpperCaseIsAsciiOnlyAnsiUpperCaseUsesCodePage) {
  EXPECT_EQ(UpperCase("abc\xE9z"), "ABC\xE9Z");
  EXPECT_EQ(AnsiUpperCase("abc\xE9z"), "ABC\xC9Z");
  EXPECT_EQ(LowerCase("ABC\xC9"), "abc\xC9");
  EXPECT_EQ(AnsiLowerCase("ABC\xC9"), "abc\xE9");
}

TEST_F(SysUtilsTest, Comparisons) {
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("abc", "abd"), 0);
  EXPECT_GT(CompareText("abcd", "ABC"), 0);
  EXPECT_LT(CompareText("", "a"), 0);
  // CompareText compares upper-case bytes: '_' (0x5F) sorts after letters.
  EXPECT_GT(CompareText("_", "z"), 0);
  EXPECT_GT(CompareStr("a", "B"), 0);
  EXPECT_LT(CompareStr("\x7F", "\x80"), 0);  // bytes compare unsigned
  EXPECT_TRUE(SameText("Hello", "hELLO"));
  EXPECT_FALSE(SameText("\xE9", "\xC9"));
  EXPECT_TRUE(AnsiSameText("\xE9t\xE9", "\xC9T\xC9"));
  EXPECT_NE(AnsiCompareText("e", "\xE9"), 0);
}

TEST_F(SysUtilsTest, AnsiCompareSortsAccentedLettersAfterTheirBase) {
  // é after e and before f; ä after a and before b; upper and lower case alike.
  EXPECT_LT(AnsiCompareText("e", "\xE9"), 0);
  EXPECT_LT(AnsiCompareText("\xE9", "f"), 0);
  EXPECT_LT(AnsiCompareText("\xC4rger", "Bach"), 0);
  EXPECT_GT(AnsiCompareText("zebra", "\xC9T\xC9"), 0);
  // Symbols and digits come before letters.
  EXPECT_LT(AnsiCompareText("_x", "a"), 0);
  EXPECT_LT(AnsiCompareText("9", "a"), 0);
  // Case decides only between otherwise equal texts, lower case first.
  EXPECT_LT(AnsiCompareStr("abc", "Abc"), 0);
  EXPECT_LT(AnsiCompareStr("Abc", "abd"), 0);
  EXPECT_EQ(AnsiCompareStr("abc", "abc"), 0);
}

TEST_F(SysUtilsTest, PosCopyDeleteInsertAreOneBased) {
  EXPECT_EQ(Pos("lo", "hello"), 4);
  EXPECT_EQ(Pos("x", "hello"), 0);
  EXPECT_EQ(Pos("", "hello"), 0);
  EXPECT_EQ(PosEx("l", "hello", 4), 4);
  EXPECT_EQ(PosEx("h", "hello", 2), 0);
  EXPECT_EQ(PosEx("l", "hello", 9), 0);

  struct Case { int index, count; const char* expected; };
  const Case copies[] = {{1, 3, "hel"}, {0, 2, "he"}, {-5, 2, "he"}, {4, 10, "lo"},
                         {5, 1, "o"}, {6, 1, ""}, {2, 0, ""}, {2, -1, ""}};
  for (const Case& c : copies)
    EXPECT_EQ(Copy("hello", c.index, c.count), c.expected) << c.index << "," << c.count;
  EXPECT_EQ(Copy("hello", 3), "llo");

  const Case deletes[] = {{1, 1, "ello"}, {2, 3, "ho"}, {4, 99, "hel"}, {0, 1, "hello"},
                          {6, 1, "hello"}, {2, 0, "hello"}};
  for (const Case& c : deletes) {
    AnsiString s = "hello";
    Delete(s, c.index, c.count);
    EXPECT_EQ(s, c.expected) << c.index << "," << c.count;
  }

  struct InsertCase { int index; const char* expected; };
  const InsertCase inserts[] = {{1, "XYabc"}, {2, "aXYbc"}, {4, "abcXY"}, {99, "abcXY"}, {0, "XYabc"}};
  for (const InsertCase& c : inserts) {
    AnsiString s = "abc";
    Insert("XY", s, c.index);
    EXPECT_EQ(s, c.expected) << c.index;
  }
}

TEST_F(SysUtilsTest, StringReplace) {
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", 0), "a+b-c");
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
  EXPECT_EQ(StringReplace("Abc abc ABC", "abc", "x", rfReplaceAll), "Abc x ABC");
  EXPECT_EQ(StringReplace("Abc abc ABC", "abc", "x", rfReplaceAll | rfIgnoreCase), "x x x");
  EXPECT_EQ(StringReplace("\xC9t\xE9", "\xE9", "e", rfReplaceAll | rfIgnoreCase), "ete");
  EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");
  EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
  EXPECT_EQ(StringReplace("abc", "c", "", rfReplaceAll), "ab");
}

TEST_F(SysUtilsTest, SmallStringHelpers) {
  EXPECT_EQ(StringOfChar('*', 3), "***");
  EXPECT_EQ(StringOfChar('*', -1), "");
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_TRUE(IsValidIdent("_a1"));
  EXPECT_TRUE(IsValidIdent("Q1"));
  EXPECT_FALSE(IsValidIdent("1a"));
  EXPECT_FALSE(IsValidIdent(""));
  EXPECT_FALSE(IsValidIdent("a.b"));
  EXPECT_FALSE(IsValidIdent("\xE9t\xE9"));
}

TEST_F(SysUtilsTest, IntToStrAndHex) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(0xABCDEF, 2), "ABCDEF");
  EXPECT_EQ(IntToHex(-1, 1), "FFFFFFFF");
  EXPECT_EQ(IntToHex(int64_t(1) << 40, 0), "10000000000");
}

TEST_F(SysUtilsTest, StrToIntTable) {
  struct Case { const char* text; bool ok; int32_t value; };
  const Case cases[] = {
      {"0", true, 0},
      {"123", true, 123},
      {"  -17  ", true, -17},
      {"+5", true, 5},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, std::numeric_limits<int32_t>::min()},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999", false, 0},
      {"$FF", true, 255},
      {"$ff", true, 255},
      {"$7FFFFFFF", true, 2147483647},
      {"$80000000", true, std::numeric_limits<int32_t>::min()},
      {"$FFFFFFFF", true, -1},
      {"$100000000", false, 0},
      {"-$10", true, -16},
      {"$", false, 0},
      {"", false, 0},
      {"   ", false, 0},
      {"-", false, 0},
      {"12a", false, 0},
      {"1 2", false, 0},
      {"1.0", false, 0},
      {"0x10", false, 0},
  };
  for (const Case& c : cases) {
    int32_t value = 12345;
    EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << "'" << c.text << "'";
    if (c.ok) {
      EXPECT_EQ(value, c.value) << "'" << c.text << "'";
      EXPECT_EQ(StrToInt(c.text), c.value) << "'" << c.text << "'";
    } else {
      EXPECT_EQ(value, 12345) << "value changed on failure for '" << c.text << "'";
      EXPECT_EQ(StrToIntDef(c.text, -7), -7) << "'" << c.text << "'";
    }
  }
}

TEST_F(SysUtilsTest, StrToIntRaisesWithTheText) {
  try {
    StrToInt("2147483648");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'2147483648' is not a valid integer value");
  }
  EXPECT_THROW(StrToInt("abc"), Exception);
}

TEST_F(SysUtilsTest, StrToInt64) {
  EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(StrToInt64("2147483648"), 2147483648LL);
  EXPECT_EQ(StrToInt64("$FFFFFFFF"), 4294967295LL);
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  int64_t v = 0;
  EXPECT_FALSE(TryStrToInt64("9223372036854775808", v));
  EXPECT_FALSE(TryStrToInt64("$10000000000000000", v));
  EXPECT_THROW(StrToInt64("x"), EConvertError);
}

TEST_F(SysUtilsTest, StrToFloatTable) {
  struct Case { const char* text; char separator; bool ok; double value; };
  const Case cases[] = {
      {"0", '.', true, 0},
      {"1.5", '.', true, 1.5},
      {"  -1.5  ", '.', true, -1.5},
      {"+2", '.', true, 2},
      {".5", '.', true, 0.5},
      {"5.", '.', true, 5},
      {"1E20", '.', true, 1e20},
      {"1e20", '.', true, 1e20},
      {"1.5E+20", '.', true, 1.5e20},
      {"2.5e-3", '.', true, 0.0025},
      {"0.00001", '.', true, 0.00001},
      {"1e-400", '.', true, 0},
      {"1e400", '.', false, 0},
      {"1,5", '.', false, 0},
      {"1,5", ',', true, 1.5},
      {"1.5", ',', false, 0},
      {"-0,25E2", ',', true, -25},
      {"", '.', false, 0},
      {".", '.', false, 0},
      {"1e", '.', false, 0},
      {"1e+", '.', false, 0},
      {"e5", '.', false, 0},
      {"1.2.3", '.', false, 0},
      {"1 000", '.', false, 0},
      {"INF", '.', false, 0},
      {"NAN", '.', false, 0},
      {"0x1p3", '.', false, 0},
  };
  for (const Case& c : cases) {
    FormatSettings().DecimalSeparator = c.separator;
    double value = -99;
    EXPECT_EQ(TryStrToFloat(c.text, value), c.ok) << "'" << c.text << "' with " << c.separator;
    if (c.ok) EXPECT_DOUBLE_EQ(value, c.value) << "'" << c.text << "'";
    else EXPECT_EQ(value, -99) << "'" << c.text << "'";
  }
}

TEST_F(SysUtilsTest, StrToFloatRaisesAndDefaults) {
  try {
    StrToFloat("1,5");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "'1,5' is not a valid floating point value");
  }
  EXPECT_EQ(StrToFloatDef("x", 2.5), 2.5);
  EXPECT_EQ(StrToFloat("12.25"), 12.25);
}

TEST_F(SysUtilsTest, FloatToStrGeneralFormat) {
  struct Case { double value; const char* expected; };
  const Case cases[] = {
      {0, "0"},
      {1, "1"},
      {-1, "-1"},
      {3.5, "3.5"},
      {7.0 / 2, "3.5"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {-2.0 / 3, "-0.666666666666667"},
      {0.1 + 0.2, "0.3"},
      {100, "100"},
      {1.25, "1.25"},
      {0.0001, "0.0001"},
      {0.00012, "0.00012"},
      {0.00001, "1E-5"},
      {-0.00001, "-1E-5"},
      {0.000012345, "1.2345E-5"},
      {1.5e20, "1.5E20"},
      {1e20, "1E20"},
      {1e15, "1E15"},
      {999999999999999.0, "999999999999999"},
      {123456789012345.6, "123456789012346"},
      {9999999999999999.0, "1E16"},
      {1e100, "1E100"},
      {1.7976931348623157e308, "1.79769313486232E308"},
      {5e-324, "5E-324"},  // the shortest digits that read back as the same double
      {-1234.5, "-1234.5"},
      {std::numeric_limits<double>::infinity(), "INF"},
      {-std::numeric_limits<double>::infinity(), "-INF"},
      {std::nan(""), "NAN"},
  };
  for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.value), c.expected) << c.expected;
}

TEST_F(SysUtilsTest, FloatToStrUsesTheDecimalSeparator) {
  FormatSettings().DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(3.5), "3,5");
  EXPECT_EQ(FloatToStr(1.5e-7), "1,5E-7");
  EXPECT_EQ(FloatToStrF(1234.5, ffNumber, 15, 2), "1,234,50");  // the thousands separator is separate
  FormatSettings().ThousandSeparator = '.';
  EXPECT_EQ(FloatToStrF(1234.5, ffNumber, 15, 2), "1.234,50");
  EXPECT_EQ(StrToFloat(FloatToStr(-0.125)), -0.125);
}

TEST_F(SysUtilsTest, FloatToStrFTable) {
  struct Case { double value; TFloatFormat format; int precision, digits; const char* expected; };
  const Case cases[] = {
      {3.14159, ffFixed, 15, 2, "3.14"},
      {2.5, ffFixed, 15, 0, "3"},
      {-2.5, ffFixed, 15, 0, "-3"},
      {0.125, ffFixed, 15, 2, "0.13"},
      {1.005, ffFixed, 15, 2, "1.01"},
      {-0.001, ffFixed, 15, 2, "0.00"},
      {0, ffFixed, 15, 3, "0.000"},
      {1234567.891, ffFixed, 15, 1, "1234567.9"},
      {1e20, ffFixed, 15, 2, "1E20"},
      {1234.5678, ffFixed, 6, 3, "1234.570"},
      {1234567.891, ffNumber, 15, 2, "1,234,567.89"},
      {-1234567.891, ffNumber, 15, 0, "-1,234,568"},
      {999.999, ffNumber, 15, 2, "1,000.00"},
      {12, ffNumber, 15, 2, "12.00"},
      {1234.5, ffExponent, 4, 2, "1.235E+03"},
      {0.00012345, ffExponent, 3, 0, "1.23E-4"},
      {0, ffExponent, 4, 2, "0.000E+00"},
      {-1e100, ffExponent, 2, 3, "-1.0E+100"},
      {1234.5, ffGeneral, 3, 0, "1.23E3"},
      {1234.5, ffGeneral, 4, 0, "1235"},
      {0.5, ffGeneral, 15, 0, "0.5"},
      {1e20, ffGeneral, 15, 2, "1E20"},
      {1e-20, ffGeneral, 15, 3, "1E-020"},
      {1234.5, ffCurrency, 15, 2, "$1,234.50"},
      {-3, ffCurrency, 15, 2, "-$3.00"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits), c.expected) << c.expected;
}

TEST_F(SysUtilsTest, FloatToStrRoundTrips) {
  const double values[] = {0.1, 1.0 / 3, 123.456, -98765.4321, 1e-10, 6.02214076e23, 0.0001, 1e15};
  for (double v : values) {
    const double back = StrToFloat(FloatToStr(v));
    EXPECT_NEAR(back, v, std::fabs(v) * 1e-14) << FloatToStr(v);
  }
}

TEST_F(SysUtilsTest, FormatFloatPictures) {
  struct Case { const char* format; double value; const char* expected; };
  const Case cases[] = {
      {"0", 3.6, "4"},
      {"0", -3.6, "-4"},
      {"0", 0.4, "0"},
      {"0", -0.4, "0"},
      {"00000000", 42, "00000042"},
      {"00000000", 123456789, "123456789"},
      {"0.000", 3.14159, "3.142"},
      {"0.000", 2, "2.000"},
      {"0.000", -0.0004, "0.000"},
      {"#,##0.00", 1234567.891, "1,234,567.89"},
      {"#,##0.00", 0.5, "0.50"},
      {"#,##0.00", -1234.5, "-1,234.50"},
      {"#,##0.00", 999.999, "1,000.00"},
      {"#,##0", 1000000, "1,000,000"},
      {"#.##", 0.5, ".5"},
      {"#.##", 2, "2"},
      {"0.##", 2.5, "2.5"},
      {"0.00E+00", 1234.5, "1.23E+03"},
      {"0.00E+00", 0.00012345, "1.23E-04"},
      {"0.00E-00", 1234.5, "1.23E03"},
      {"0.0E+0", 0, "0.0E+0"},
      {"0.00 'kg'", 2.5, "2.50 kg"},
      {"\"$\"0.00", 2.5, "$2.50"},
      {"0.00;(0.00)", -2.5, "(2.50)"},
      {"0.00;(0.00);'zero'", 0, "zero"},
      {"0.00;(0.00);'zero'", 0.001, "zero"},
      {"0%", 45, "45%"},
      {"", 1.5, "1.5"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatFloat(c.format, c.value), c.expected) << c.format << " " << c.value;
}

TEST_F(SysUtilsTest, FormatFloatWithCommaSettings) {
  FormatSettings().DecimalSeparator = ',';
  FormatSettings().ThousandSeparator = '.';
  // The picture always uses '.' and ','; the output uses the settings.
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1.234.567,89");
  EXPECT_EQ(FormatFloat("0.000", 0.5), "0,500");
}

TEST_F(SysUtilsTest, ExceptionHierarchy) {
  EXPECT_EQ(EZeroDivide().Message, "Division by zero");
  EXPECT_EQ(EInvalidOp().Message, "Invalid floating point operation");
  const EInOutError io("File not found", 2);
  EXPECT_EQ(io.ErrorCode, 2);
  EXPECT_STREQ(io.what(), "File not found");
  try {
    throw EStringListError("List index out of bounds (5)");
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message, "List index out of bounds (5)");
  }
  try {
    throw EReadError("x");
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "x");
  }
}

}  // namespace
