// Numeric, string, date and variable functions.
#include "ScriptTestSupport.h"

namespace {

class FunctionsTest : public ScriptTest {};

struct TCase {
  const char* Text;
  const char* Value;
};

void ExpectValues(std::initializer_list<TCase> cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    try {
      IValuePtr value = ParseScriptText(c.Text);
      ASSERT_TRUE(value);
      EXPECT_EQ(value->ReadString(), c.Value);
    } catch (const Exception& e) {
      ADD_FAILURE() << "raised " << e.Message;
    }
  }
}

TEST_F(FunctionsTest, NumericFunctions) {
  ExpectValues({
      {"TRUNC(2.9999999999)", "3"},
      {"TRUNC(2.9999)", "2"},
      {"TRUNC(-2.9999999999)", "-3"},
      {"TRUNC(-2.5)", "-2"},
      {"ROUND(2.5)", "2"},
      {"ROUND(3.5)", "4"},
      {"ROUND(-2.5)", "-2"},
      {"ROUND(2.6) + 0.5", "3.5"},  // an integer function read as a float
      {"ABS(-2.5)", "2.5"},
      {"ABS(-3) + 1", "4"},
      {"ARCTAN(1) * 4", "3.14159265358979"},
      {"COS(0)", "1"},
      {"SIN(0)", "0"},
      {"EXP(0)", "1"},
      {"FRAC(-2.25)", "-0.25"},
      {"INT(-2.75)", "-2"},
      {"INT(1.999999999)", "2"}, {"INT(1.9999999)", "1"},
      {"LN(EXP(2))", "2"},
      {"PI", "3.14159265358979"},
      {"SQR(1.5)", "2.25"},
      {"SQRT(16)", "4"},
      {"POWER(2, 10)", "1024"},
      {"MIN(2, 1.5)", "1.5"},
      {"MAX(2, 1.5)", "2"},
      {"SIGN(0)", "1"},
      {"SIGN(-0.5)", "-1"},
      {"ROUNDTO(9.9999)", "10"},
      {"ROUNDTO(1.005)", "1.01"},
      {"ROUNDTO(-1.005)", "-1.01"},
      {"ROUNDTO(2.345)", "2.35"},
      {"ROUNDTO(1.21, 1, 1)", "1.3"},
      {"ROUNDTO(1.29, -1, 1)", "1.2"},
      {"ROUNDTO(1234.5678, 0, -2)", "1200"},
      {"ROUNDTO(1234.5678, 0)", "1235"},
      {"ROUNDTO(-1234.5678, -2)", "-1200"},
      {"ROUNDTO(1.2999, 2)", "1.3"},
      {"ROUNDTO(0.00001)", "0"},
      {"ROUNDTO(0)", "0"},
      {"ROUNDTO(2.5, 0)", "3"},
      {"ROUNDTO(1.23456789, 20)", "1.2345679"},  // digits clamped to 7
      {"ROUNDTO(123456.7, 1, 4)", "123456.7"},
  });
  const std::pair<const char*, const char*> errors[] = {
      {"SQRT(-1)", "Invalid floating point operation"},
      {"LN(0)", "Division by zero"},
      {"POWER(-8, 1/3)", "Invalid floating point operation"},
      {"EXP(1000)", "Floating point overflow"},
      {"TRUNC('a')", "Invalid parameters to TRUNC"},
      {"ROUNDTO(1, 1.5)", "Invalid parameters to ROUNDTO"},
      {"ROUNDTO(1, 2, 3, 4)", "Invalid parameters to ROUNDTO"},
      {"MIN(1)", "Invalid parameters to MIN"},
      {"RANDOM(1.5)", "Invalid parameters to RANDOM"},
      {"COS(1) + INTEGER(COS(1)) + COS(1) DIV 1", "Operator opDiv incompatible with Float"},
  };
  for (const auto& [text, message] : errors) EXPECT_EQ(ErrorOf(text), message) << text;
}

TEST_F(FunctionsTest, RandomStaysInItsRange) {
  IValuePtr below10 = ParseScriptText("RANDOM(10)");
  IValuePtr unit = ParseScriptText("RANDOM");
  bool sawOther = false;
  for (int i = 0; i < 200; ++i) {
    const double n = below10->ReadFloat();
    EXPECT_TRUE(n >= 0 && n <= 9 && n == static_cast<int>(n)) << n;
    const double f = unit->ReadFloat();
    EXPECT_TRUE(f >= 0 && f < 1) << f;
    sawOther = sawOther || n != below10->ReadFloat();
  }
  EXPECT_TRUE(sawOther) << "each read draws anew";
}

TEST_F(FunctionsTest, StringFunctions) {
  ExpectValues({
      {"LF", "\r\n"},
      {"UPPER('ab\xe9')", "AB\xc9"},
      {"LOWER('AB\xc9')", "ab\xe9"},
      {"COPY('abcdef', 2, 3)", "bcd"},
      {"COPY('abc', 2, 10)", "bc"},
      {"POS('b', 'abcb')", "2"},
      {"POS('x', 'abcb')", "0"},
      {"LENGTH('abc')", "3"},
      {"CHAR(65)", "A"},
      {"CHAR(-65)", "A"},
      {"CHAR(321)", "A"},
      {"ASCII('')", "0"},
      {"ASCII('\xe9')", "233"},
      {"NUM('1234567.891', 2)", "1 234 567,89"},
      {"NUM('1234,56', 1)", "1 234,6"},
      {"NUM('12345.6', -2)", "12 300,"},
      {"NUM('12399.99', -2)", "12 400,"},
      {"NUM(' 1 234 ', 0)", "1 234"},
      {"NUM('abc', 1)", "0,0"},
      {"TRIM('  a b ')", "a b"},
      {"TRIMLEFT('  a ')", "a "},
      {"TRIMRIGHT('  a ')", "  a"},
      {"DELETE('abcdef', 2, 3)", "aef"},
      {"INSERT('xy', 'abc', 2)", "axybc"},
      {"INSERT('xy', 'abc', 0)", "xyabc"},
      {"INSERT('xy', 'abc', 9)", "abcxy"},
      {"REPLACE('aXbxc', 'x', '-')", "a-b-c"},
      {"REPLACESENSITIVE('aXbxc', 'x', '-')", "aXb-c"},
      {"REPLACE('abc', '', '-')", "abc"},
      {"ABCOPY('abcdef', 2, 4)", "bcd"},
      {"ABCOPY('abc', 3, 1)", ""},
      {"ABCOPY('abc', 5, 9)", ""},
      {"LASTPOS('b', 'abcb')", "4"},
      {"LASTPOS('bc', 'abcbc')", "4"},
      {"LASTPOS('x', 'abc')", "0"},
      {"NEXTPOS('b', 'abcb', 3)", "4"},
      {"NEXTPOS('b', 'abcb', 9)", "0"},
      {"NEXTPOS('b', 'abcb', 2)", "2"},
      {"DELSPACES(' a b  c ')", "abc"},
      {"REVERSE('abc')", "cba"},
      {"EVAL('1 + 2')", "3"},
      {"EVAL('')", ""},
      {"TOLEFT('7', '0', 3)", "700"},
      {"TORIGHT('7', '0', 3)", "007"},
      {"TOCENTER('7', '*', 3)", "*7*"},
      {"TORIGHT('abc', '12', 6)", "1212ab"},
      {"TOLEFT('ab', '', 5)", "ab"},
      {"TOLEFT('abcdef', 'x', 3)", "abc"},
      {"TOLEFT('', 'x', 3)", "xxx"},
      {"TOLEFT('', '', 3)", ""},
      {"TOLEFT('a', 'x', 0)", ""},
      {"LENGTH(UPPER('abc')) + 1", "4"},
  });
  const std::pair<const char*, const char*> errors[] = {
      {"COPY('abc', 2, 1.0)", "Invalid parameters to COPY"},
      {"COPY('abc', '2', 1)", "Invalid parameters to COPY"},
      {"CHAR('65')", "Cannot read String as Integer"},
      {"UPPER('a') AND TRUE", "Operator opAnd incompatible with String"},
      {"UPPER", "Invalid parameters to UPPER"},
      {"LF('a')", "Invalid parameters to LF"},
      {"TOLEFT('', 'x', 2000000000)", "String too long"},
      {"EVAL('1 +')", "Unexpected end of factor"},
  };
  for (const auto& [text, message] : errors) EXPECT_EQ(ErrorOf(text), message) << text;
}

TEST_F(FunctionsTest, DatesAndSeparators) {
  // Settings of the fixture: dd.mm.yyyy, hh:nn:ss, decimal comma.
  ExpectValues({
      {"YEAR('24.12.2003')", "2003"},
      {"MONTH('24.12.2003')", "12"},
      {"DAY('24.12.2003')", "24"},
      {"YEAR('not a date')", "0"},
      {"DATESEPAR", "."},
      {"DECIMALSEPAR", ","},
      {"DATETOSTR(37979.75)", "24.12.2003"},
      {"TIMETOSTR(0.75)", "18:00:00"},
      {"DATETIMETOSTR(37979.75)", "24.12.2003 18:00:00"},
      {"STRTODATE('24.12.2003')", "37979"},
      {"STRTOTIME('18:00:00')", "0.75"},
      {"STRTODATETIME('24.12.2003 18:00:00')", "37979.75"},
      {"DATETOSTR(STRTODATE('01.03.2004'))", "01.03.2004"},
      {"YEAR(DATE) > 2000", "TRUE"},
      {"LENGTH(TIME)", "8"},
  });
  EXPECT_EQ(ErrorOf("STRTODATE('junk')"), "'junk' is not a valid date");
  EXPECT_EQ(ErrorOf("DATETOSTR('x')"), "Invalid parameters to DATETOSTR");
}

TEST_F(FunctionsTest, VariableFunctions) {
  ExpectValues({
      {"VAREXIST('N')", "FALSE"},
      {"VARADD('N', 'I')", "TRUE"},
      {"VAREXIST('n')", "TRUE"},
      {"N + 1", "1"},
      {"MODIFY('n', '7')", "TRUE"},
      {"N * 2", "14"},
      {"VARADD('A, B,C', 'S')", "TRUE"},
      {"A + B + C", ""},
      {"VARADD('F', 'float')", "TRUE"},
      {"F", "0"},
      {"MODIFY('F', '1,5')", "TRUE"},
      {"F * 2", "3"},
      {"VARADD('L', 'Boolean')", "TRUE"},
      {"L", "FALSE"},
      {"MODIFY('L', 'yes')", "TRUE"},
      {"L", "TRUE"},
      {"MODIFY('N', '9') AND VARADD('N', 'I')", "TRUE"},
      {"N", "0"},  // re-initialised
      {"VARFREE('A,B')", "TRUE"},
      {"VAREXIST('A') OR VAREXIST('B')", "FALSE"},
      {"VAREXIST('C')", "TRUE"},
      {"VARFREE('NOSUCH')", "TRUE"},
  });
  const std::pair<const char*, const char*> errors[] = {
      {"MODIFY('X', '5')", "Unknown X variable"},
      {"VARADD('A', 'Q')", "Unknown Q type"},
      {"VARADD('A', '')", "Empty type name"},
      {"VARADD('', 'S')", "Empty  variable name"},
      {"VARFREE('')", "Empty  variable name"},
      {"VARADD('1A', 'S')", "Identificator 1A - error primary char"},
      {"VARADD('A-B', 'S')", "Identificator A-B - error characters"},
      {"VARADD('A,,B', 'S')", "Identificator Name is empty"},
      {"MODIFY('N', '')", "Error type or value \"N\""},
      {"MODIFY('Q1.Caption', 'x')", "Unknown Q1.Caption property, but disabled modify"},
      {"N := 'abc' AND N = 1", "Operator opAnd incompatible with String"},
  };
  for (const auto& [text, message] : errors) EXPECT_EQ(ErrorOf(text), message) << text;
  // A variable whose text no longer fits its kind fails when read.
  EXPECT_EQ(Eval("MODIFY('N', 'abc')"), "TRUE");
  EXPECT_EQ(ErrorOf("N"), "'abc' is not a valid integer value");
}

TEST_F(FunctionsTest, FunctionsOfLaterLayersEvaluate) {
  const std::pair<const char*, const char*> cases[] = {
      {"FILEEXISTS('x')", "<no error>"},
      {"COUNTC + 1", "<no error>"},
      {"TEXTEVAL('{{1}}')", "No report host"},
      {"SETMODIFY(TRUE)", "No report host"},
      {"READLN", "File not open"},
  };
  for (const auto& [text, message] : cases) EXPECT_EQ(ErrorOf(text), message) << text;
  EXPECT_EQ(Eval("COUNTC + 1"), "1");
  // Their parameter rules hold.
  const std::pair<const char*, const char*> rules[] = {
      {"PROP('a', 'b', 'c')", "Invalid parameters to PROP"},
      {"RUN('ls', 1, TRUE)", "Invalid parameters to RUN"},
      {"SEEK('x')", "Invalid parameters to SEEK"},
      {"CLEARC(1)", "Invalid parameters to CLEARC"},
  };
  for (const auto& [text, message] : rules) EXPECT_EQ(ErrorOf(text), message) << text;
}

TEST_F(FunctionsTest, VariableStoreAndLiterals) {
  TExprVar& vars = GlobalExprVar();
  vars.SetVariable("  abc ", "1", vkInteger);
  EXPECT_TRUE(vars.VariableExists("ABC"));
  EXPECT_EQ(vars.VariableText("Abc"), "1");
  EXPECT_EQ(vars.VariableKind("abc"), vkInteger);
  EXPECT_EQ(vars.VariableKind("nosuch"), vkString);
  EXPECT_EQ(vars.VariableText("nosuch"), "");
  vars.FreeVariable("abc");
  vars.FreeVariable("abc");  // no error
  EXPECT_FALSE(vars.VariableExists("ABC"));

  EXPECT_EQ(LiteralFromText("1,5", vkFloat)->ReadFloat(), 1.5);
  EXPECT_FALSE(LiteralFromText("false", vkBoolean)->ReadBoolean());
  EXPECT_TRUE(LiteralFromText("", vkBoolean)->ReadBoolean());
  EXPECT_EQ(LiteralFromText("x", vkObject), nullptr);
  EXPECT_EQ(LiteralFromText("x", vkEnumerated), nullptr);
  EXPECT_THROW(LiteralFromText("1.5", vkInteger), EConvertError);

  vars.SetVariable("O", "x", vkObject);
  EXPECT_EQ(ErrorOf("O"), "Unknown Identifier O");

  const std::pair<const char*, int> codes[] = {{"CLEAR", 1},   {"rc", 32},   {"F", 40},       {"PREV", 27},
                                               {"REFRESH", 90}, {"NOSUCH", 0}, {"LEAR", 0},    {"", 0},
                                               {"PARAMFLOAT", 87}};
  for (const auto& [name, code] : codes) EXPECT_EQ(TExprVar::MemberCode(name), code) << name;
}

}  // namespace
