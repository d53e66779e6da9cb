// Format: each specifier type, width, precision, justification, argument
// indexes and the errors of a mismatched or malformed format.
#include "SysUtilsTestSupport.h"

namespace {

class FormatTest : public TNeutralSettings {};

TEST_F(FormatTest, SpecifiersTable) {
  struct Row { const char* format; std::initializer_list<TVarRec> args; const char* expected; };
  const Row rows[] = {
      {"%d", {42}, "42"},
      {"%d", {-42}, "-42"},
      {"%5d|", {42}, "   42|"},
      {"%-5d|", {42}, "42   |"},
      {"%.4d", {42}, "0042"},
      {"%.4d", {-42}, "-0042"},
      {"%6.4d", {-42}, " -0042"},
      {"%d", {int64_t(1) << 40}, "1099511627776"},
      {"%u", {7u}, "7"},
      {"%u", {-1}, "4294967295"},
      {"%x", {255}, "FF"},
      {"%.4x", {255}, "00FF"},
      {"%x", {-1}, "FFFFFFFF"},
      {"%p", {255}, "000000FF"},
      {"%s", {"abc"}, "abc"},
      {"%s", {AnsiString("x\xE9")}, "x\xE9"},
      {"%5s|", {"ab"}, "   ab|"},
      {"%-5s|", {"ab"}, "ab   |"},
      {"%.2s", {"abcdef"}, "ab"},
      {"%1s", {"abc"}, "abc"},
      {"%f", {3.14159}, "3.14"},
      {"%.3f", {2.0 / 3}, "0.667"},
      {"%.0f", {2.5}, "3"},
      {"%8.2f|", {-1.5}, "   -1.50|"},
      {"%e", {1234.5}, "1.23450000000000E+003"},
      {"%.3e", {1234.5}, "1.23E+003"},
      {"%g", {0.5}, "0.5"},
      {"%g", {1e20}, "1E20"},
      {"%.3g", {1234.5}, "1.23E3"},
      {"%n", {1234567.891}, "1,234,567.89"},
      {"%.0n", {1234567.891}, "1,234,568"},
      {"%m", {1234.5}, "$1,234.50"},
      {"100%%", {}, "100%"},
      {"%s=%d", {"x", 1}, "x=1"},
      {"%1:s %0:s", {"a", "b"}, "b a"},
      {"%1:s %s", {"a", "b", "c"}, "b c"},
      {"%*d|", {4, 7}, "   7|"},
      {"%-*d|", {4, 7}, "7   |"},
      {"%.*f", {1, 2.25}, "2.3"},
      {"%S %D", {"up", 5}, "up 5"},
      {"no args", {}, "no args"},
  };
  for (const Row& r : rows) EXPECT_EQ(Format(r.format, r.args), r.expected) << r.format;
}

TEST_F(FormatTest, FloatsUseTheDecimalSeparator) {
  FormatSettings().DecimalSeparator = ',';
  FormatSettings().ThousandSeparator = '.';
  EXPECT_EQ(Format("%.2f", {1.5}), "1,50");
  EXPECT_EQ(Format("%n", {1234.5}), "1.234,50");
}

TEST_F(FormatTest, MismatchAndMalformedFormatsRaise) {
  struct Row { const char* format; std::initializer_list<TVarRec> args; };
  const Row rows[] = {
      {"%d", {1.5}}, {"%d", {"1"}}, {"%f", {1}}, {"%s", {1}}, {"%x", {2.0}},
      {"%d", {}},    {"%d %d", {1}}, {"%", {1}}, {"%5", {1}}, {"%q", {1}},
      {"%3:d", {1, 2}}, {"%*d", {"a", 1}},
  };
  for (const Row& r : rows) {
    try {
      Format(r.format, r.args);
      ADD_FAILURE() << "no exception for " << r.format;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, AnsiString("Format '") + r.format + "' invalid or incompatible with argument");
    }
  }
}

}  // namespace
