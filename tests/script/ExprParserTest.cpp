// Grammar, precedence, literals and the statement rules of ParseScriptText.
#include "ScriptTestSupport.h"

namespace {

struct TValueCase {
  const char* Text;
  const char* Value;
  const char* Kind;
};

class ParserTest : public ScriptTest {};

TEST_F(ParserTest, GrammarPrecedenceAndLiterals) {
  const TValueCase cases[] = {
      {"1 + 2 * 3 ^ 2", "19", "Float"},
      {"(1 + 2) * 3", "9", "Integer"},
      {"10 - 4 - 3", "3", "Integer"},              // left-associative
      {"2 ^ 3 ^ 2", "64", "Float"},                // (2 ^ 3) ^ 2
      {"1 = 1 = TRUE", "TRUE", "Boolean"},         // (1 = 1) = TRUE
      {"NOT 1 = 2", "FALSE", "Boolean"},           // (NOT 1) = 2
      {"-3 * 2", "-6", "Integer"},
      {"- - 3", "3", "Integer"},
      {"1 < 2 = TRUE", "TRUE", "Boolean"},
      {"7 / 2", "3.5", "Float"},
      {"2 ^ 3", "8", "Float"},
      {"1E5", "100000", "Float"},
      {"1e-5", "1E-5", "Float"},
      {"1.", "1", "Float"},
      {"0.1 + 0.2", "0.3", "Float"},               // 15 significant digits
      {"$ff", "255", "Integer"},
      {"$FFFFFFFF", "-1", "Integer"},
      {"'It''s'", "It's", "String"},
      {"'It`s'", "It's", "String"},                // backquote is an apostrophe
      {"upper('a') + UPPER('a')", "AA", "String"},
      {"true", "TRUE", "Boolean"},
      {"  1   +\t2  ", "3", "Integer"},
      {"3 AN 1", "1", "Integer"},                  // two-letter prefix of AND
      {"6 MO 4", "2", "Integer"},
      {"1 SH 4", "16", "Integer"},
      {"NO TRUE", "FALSE", "Boolean"},
      {"", "", "String"},
      {"   ", "", "String"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    try {
      EXPECT_EQ(Eval(c.Text), c.Value);
      EXPECT_EQ(KindOf(c.Text), c.Kind);
    } catch (const Exception& e) {
      ADD_FAILURE() << "raised " << e.Message;
    }
  }
}

TEST_F(ParserTest, ErrorMessagesAreExact) {
  GlobalExprVar().SetVariable("A", "1", vkInteger);
  GlobalExprVar().SetVariable("B", "2", vkInteger);
  const std::pair<const char*, const char*> cases[] = {
      {"* 2", "opMult not allowed here"},
      {"1 + DIV 2", "opDiv not allowed here"},
      {"(1 + 2", " ) expected"},
      {"UPPER('a'", "Incorrectly formed parameters"},
      {"UPPER()", "Unexpected end of factor"},
      {"1 +", "Unexpected end of factor"},
      {"1 + ?", "Syntax error"},
      {".5", "Syntax error"},
      {"NOSUCH + 1", "Unknown Identifier NOSUCH"},
      {"UPPER(1, 2)", "Invalid parameters to UPPER"},
      {"1E+5", "Bad numeric format"},
      {"1.2.3", "Bad numeric format"},
      {"1E5E2", "Bad numeric format"},
      {"1E5.2", "Bad numeric format"},
      {"1E", "Bad numeric format"},
      {"12345678901234567890123456789", "Bad numeric format"},  // 29 characters
      {"2147483648", "'2147483648' is not a valid integer value"},
      {"'abc", "Unterminated string"},
      {"$", "Invalid char in hex number"},
      {"$123456789", "Invalid char in hex number"},
      {"1 + 1 )", ") not appropriate"},
      {"A ANDX B", "A not appropriate"},
      {"1 2", "2 not appropriate"},
      {"A NOT B", "N not appropriate"},
  };
  for (const auto& [text, message] : cases) EXPECT_EQ(ErrorOf(text), message) << text;
}

TEST_F(ParserTest, LiteralLengthLimits) {
  const std::string longest(63001, 'x');  // the test is made before adding
  EXPECT_EQ(Eval("'" + longest + "'").size(), 63001u);
  EXPECT_EQ(ErrorOf("'" + longest + "x'"), "String too long");
  EXPECT_EQ(ErrorOf("$" + std::string(63002, '0')), "Hex string too long");
  EXPECT_EQ(KindOf("1234567890123456789012345.67"), "Float") << "28 characters fit";
}

TEST_F(ParserTest, ParseExpressionLeavesCursorAfterExpression) {
  const char* text = "1 + 2 ; rest";
  const char* cursor = text;
  IValuePtr value = ParseExpression(cursor, nullptr, nullptr);
  ASSERT_TRUE(value);
  EXPECT_EQ(value->ReadInteger(), 3);
  EXPECT_STREQ(cursor, "; rest");
}

TEST_F(ParserTest, ResolverGetsUpperCasedIdentifierAndParameters) {
  struct TSeen {
    std::string Name;
    int Count = -1;
  } seen;
  TIdentifierResolver resolver = [](void* context, const AnsiString& name, TParameterListPtr& params) -> IValuePtr {
    auto* s = static_cast<TSeen*>(context);
    s->Name = name;
    s->Count = params ? params->Count() : 0;
    return std::make_shared<TIntegerLiteral>(42);
  };
  const char* cursor = "q1.Field(1, 'a') + 1";
  IValuePtr value = ParseExpression(cursor, resolver, &seen);
  ASSERT_TRUE(value);
  EXPECT_EQ(value->ReadInteger(), 43);
  EXPECT_EQ(seen.Name, "Q1.FIELD");
  EXPECT_EQ(seen.Count, 2);
}

TEST_F(ParserTest, BuiltInNamesShadowVariables) {
  GlobalExprVar().SetVariable("LF", "variable", vkString);
  EXPECT_EQ(Eval("LF"), "\r\n");
}

TEST_F(ParserTest, EveryGeneralFunctionNameIsKnown) {
  for (int i = 0; i < 82; ++i) {
    const std::string name = GeneralFunctionName(i);
    ASSERT_FALSE(name.empty()) << i;
    EXPECT_EQ(GeneralFunctionNumber(name), i);
    // Parsing only: a name with its parameters missing is rejected by the function itself.
    const std::string text = name + "(1, 2, 3, 4)";
    const char* cursor = text.c_str();
    try {
      ParseExpression(cursor, nullptr, nullptr);
      ADD_FAILURE() << name << " accepted four parameters";
    } catch (const EExpression& e) {
      EXPECT_EQ(e.Message, "Invalid parameters to " + name);
    }
  }
  EXPECT_EQ(GeneralFunctionNumber("NOSUCH"), -1);
}

TEST_F(ParserTest, AssignmentBecomesModify) {
  GlobalExprVar().SetVariable("X", "0", vkInteger);
  GlobalExprVar().SetVariable("S", "", vkString);
  IValuePtr value = ParseScriptText("x := 1 + 1");
  EXPECT_EQ(GlobalExprVar().VariableText("X"), "0") << "nothing is stored while parsing";
  EXPECT_EQ(value->ValueKind(), vkBoolean);
  EXPECT_TRUE(value->ReadBoolean());
  EXPECT_EQ(GlobalExprVar().VariableText("X"), "2");

  EXPECT_EQ(Eval("X @@:=@@ X * 10"), "TRUE");
  EXPECT_EQ(Eval("X"), "20");
  EXPECT_EQ(Eval("S :="), "TRUE");
  EXPECT_EQ(Eval("S"), "");
  EXPECT_EQ(ErrorOf("Y := 1"), "Unknown Y variable");
  EXPECT_EQ(ErrorOf("X := 1 1"), "1 not appropriate");
}

TEST_F(ParserTest, AssignedTextsKeepTheirApostrophes) {
  GlobalExprVar().SetVariable("S", "", vkString);
  EXPECT_EQ(Eval("S := 'It''s'"), "TRUE");
  EXPECT_EQ(Eval("S"), "It's");
  EXPECT_EQ(Eval("S := 'a'',''b'"), "TRUE");
  EXPECT_EQ(Eval("S"), "a','b");
  EXPECT_EQ(Eval("S := 'It`s'"), "TRUE");
  EXPECT_EQ(Eval("S"), "It's");
}

TEST_F(ParserTest, SetcAndAddtocKeepTheirAssignments) {
  // Without := SETC is not even parsed; ADDTOC with := is refused.
  EXPECT_EQ(Eval("SETC(nonsense"), "FALSE");
  EXPECT_EQ(Eval("ADDTOC('*.Top > 1') := 5"), "FALSE");
  // With := the assignment stays inside SETC's string, which runs (FALSE: no list).
  EXPECT_EQ(ErrorOf("SETC('*.Top := 10')"), "<no error>");
  EXPECT_EQ(Eval("SETC('*.Top := 10')"), "FALSE");
}

TEST_F(ParserTest, NestingThatWouldExhaustTheStackIsRefused) {
  EXPECT_EQ(ErrorOf(std::string(5000, '(') + "1" + std::string(5000, ')')), "Expression nested too deeply");
  EXPECT_EQ(ErrorOf(std::string(5000, '-') + "1"), "Expression nested too deeply");
  std::string sum = "1";
  for (int i = 0; i < 5000; ++i) sum += "+1";
  EXPECT_EQ(ErrorOf(sum), "Expression nested too deeply");
  std::string modest = "1";
  for (int i = 0; i < 500; ++i) modest += "+1";
  EXPECT_EQ(Eval(modest), "501");
  // A variable that evaluates itself.
  GlobalExprVar().SetVariable("S", "EVAL(S)", vkString);
  EXPECT_EQ(ErrorOf("EVAL(S)"), "Expression nested too deeply");
}

TEST_F(ParserTest, InteractiveErrorsAskAndAbandonTheExpression) {
  InteractiveErrors = true;
  TQueuedDialog dialog;
  dialog.Answers = {false, true};
  dialog.Install();

  EXPECT_EQ(ParseScriptText("1 + ?"), nullptr);
  ASSERT_EQ(dialog.Shown.size(), 1u);
  EXPECT_EQ(dialog.Shown[0], "Syntax error\rDo you want to stop program ?");
  EXPECT_FALSE(StopRequested);

  // A read that fails gives the neutral value after the question.
  IValuePtr value = ParseScriptText("'a' - 1");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->ReadInteger(), 0);
  ASSERT_EQ(dialog.Shown.size(), 2u);
  EXPECT_EQ(dialog.Shown[1], "Operator opMinus incompatible with String\rDo you want to stop program ?");
  EXPECT_TRUE(StopRequested) << "Yes stops the program";
}

}  // namespace
