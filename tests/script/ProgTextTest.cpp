// The procedure table, the statement reader with its forms, and the syntax check.
#include "ProgTestSupport.h"

namespace {

class ProgTextTest : public ProgTest {
protected:
  // Reads the first statement of text; errors are raised.
  void ReadFirst(const std::string& text) {
    Load(text);
    Prog()->BeginReading(0);
    Prog()->ReadStatement();
  }
  std::vector<std::string> Parts() const {
    std::vector<std::string> parts;
    for (int i = 1; i <= Prog()->PartCount(); ++i) parts.push_back(Prog()->Part(i));
    return parts;
  }
  std::string ErrorReading(const std::string& text) {
    try {
      ReadFirst(text);
    } catch (const EExpression& e) {
      return e.Message;
    }
    return "<no error>";
  }
};

TEST_F(ProgTextTest, StatementForms) {
  struct TCase {
    const char* Text;
    const char* Form;
    int Number;
    std::vector<std::string> Parts;
  };
  const TCase cases[] = {
      {"X:=A+1;", "x", skAssign, {"X@@:=@@A+1"}},
      {"X:= 1 + 2;", "x", skAssign, {"X@@:=@@1+2"}},
      {"IF (X>1)AND(Y<2) THEN", "IF y THEN", skIf, {"(X>1)AND(Y<2)"}},
      {"if A AND B then", "IF y THEN", skIf, {"AANDB"}},
      {"FOR I:=1 TO N DO", "FOR x TO y DO", skForTo, {"I@@:=@@1", "N"}},
      {"for i:=10 downto 1 do", "FOR x DOWNTO y DO", skForDownto, {"I@@:=@@10", "1"}},
      {"WHILE (I<3) DO X:=1;", "WHILE y DO", skWhile, {"(I<3)"}},
      {"A,B TINTEGER;", "y TINTEGER", skIntegers, {"A,B"}},
      {"S TSTRING;", "y TSTRING", skStrings, {"S"}},
      {"PROC PRINTHEAD;", "PROC y", skProc, {"PRINTHEAD"}},
      {"Q1.NEXT;", "m", skCall, {"Q1.NEXT"}},
      {"ShowMessage('a; B''c');", "m", skCall, {"SHOWMESSAGE('a; B''c')"}},
      {"X:=A - B;", "x - y", skUnknown, {"X@@:=@@A", "B"}},
      {"X:=1 ELSE", "x ELSE", skUnknown, {"X@@:=@@1"}},
      {"END ELSE BEGIN", "END ELSE", skEndElse, {}},
      {"begin end;", "BEGIN", skBegin, {}},
      {"DONE:=1;", "DO", skUnknown, {}},
      {"Procedure Show;", "PROCEDURE y", skProcedure, {"SHOW"}},
      {"  // only a comment\r\n;", "", skEmpty, {}},
      {"{ a; b }EXIT;", "EXIT", skExit, {}},
      {"X:=A//note\r\n+1;", "x", skAssign, {"X@@:=@@A+1"}},
      {"", "", skEmpty, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    ReadFirst(c.Text);
    EXPECT_EQ(Prog()->StatementForm(), c.Form);
    EXPECT_EQ(Prog()->FormNumber(), c.Number);
    EXPECT_EQ(Parts(), c.Parts);
  }
}

TEST_F(ProgTextTest, ReaderAndReductionErrors) {
  const std::pair<const char*, const char*> cases[] = {
      {"X := 1;", "Identificator name error"},
      {"FOR I := 1 TO 2 DO", "Identificator name error"},
      {"X(1):=1;", "Identificator name error"},
      {":=1;", "? := ..., identificator name not found"},
      {"1X:=1;", "Identificator name (first character) error"},
      {"X:=;", "Missing value // x:=? "},
      {"X:=END;", "Missing value, x:=\"RESERVED WORD\""},
      {"S:='abc\r\ndef';", "Error end of string"},
      {"1+2;", "Expression expected"},
      {"X:=1+1+1+1+1+1+1+1+1+1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1;",
       "Statement too long: more than 31 tokens"},
      {"X:=1 - 2 - 3 - 4 - 5 - 6 - 7 - 8 - 9 - 10 - 11;", "Statement too long: more than 10 expression parts"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    const std::string error = ErrorReading(text);
    EXPECT_EQ(error.substr(0, error.find('\r')), message);
    EXPECT_EQ(LastScriptError.Text, error);
  }
  // Ten parts and thirty-one tokens still fit.
  EXPECT_EQ(ErrorReading("X:=1 - 2 - 3 - 4 - 5 - 6 - 7 - 8 - 9 - 10;"), "<no error>");
  EXPECT_EQ(Prog()->PartCount(), 10);
  EXPECT_EQ(ErrorReading("X:=1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1 + 1;"), "<no error>");
}

TEST_F(ProgTextTest, LinesFollowCarriageReturns) {
  Load("A:=1;\r\nB:=2;\r\n\r\n  C:=3; {x\r\ny} D:=4;");
  TProg& prog = *Prog();
  prog.BeginReading(0);
  std::vector<int> lines;
  for (int i = 0; i < 4; ++i) {
    prog.ReadStatement();
    lines.push_back(prog.CurrentLine());
  }
  EXPECT_EQ(lines, (std::vector<int>{0, 0, 2, 3}));
  EXPECT_EQ(FEditor.CaretRow(), 3);
}

TEST_F(ProgTextTest, ProcedureTable) {
  Load("Procedure Main; begin end;\r\n"
       "// Procedure Commented;\r\n"
       "Procedure Other;\r\nbegin\r\n  S:='Procedure Quoted;';\r\nend;\r\n"
       "Procedure Q1_AfterScroll;\r\n");
  EXPECT_EQ(ProcedureCount(), 4);
  EXPECT_EQ(ProcedureNames(), "MAIN\r\nCOMMENTED\r\nOTHER\r\nQ1_AFTERSCROLL");
  EXPECT_EQ(ProcedureIndex("MAIN"), 15);
  EXPECT_EQ(ProcedureIndex(" main "), 15);
  EXPECT_EQ(ProcedureIndex("QUOTED"), -1);
  EXPECT_EQ(ProcedureIndex("q1_afterscroll"), static_cast<int>(FEditor.Text().size()) - 2);
  EXPECT_TRUE(Shown().empty());
  try {
    ProcedurePosition("NONE");
    ADD_FAILURE() << "no error";
  } catch (const EExpression& e) {
    EXPECT_EQ(e.Message, "Procedure \"NONE\" not found\rError at line: -1");
  }
}

TEST_F(ProgTextTest, ScanErrorsAreRaisedDuringProgInit) {
  const std::pair<const char*, const char*> cases[] = {
      {"Procedure A;\nbegin end;\nProcedure a;\nbegin end;", "Procedure \"A\" redeclared\rError at line: -1"},
      {"Procedure Show(x);\nbegin end;", "Procedure name \"SHOW(X)\" - error characters\rError at line: -1"},
      {"Procedure 1A;\nbegin end;", "Procedure name \"1A\" - error primary char\rError at line: -1"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    try {
      Load(text);
      ADD_FAILURE() << "no error";
    } catch (const EExpression& e) {
      EXPECT_EQ(e.Message, message);
    }
    EXPECT_EQ(LastScriptError.Text, message);
  }
}

TEST_F(ProgTextTest, SyntaxCheck) {
  struct TCase {
    const char* Name;
    const char* Text;
    const char* Error;  // nullptr: the check passes
  };
  const TCase cases[] = {
      {"a valid program", "Procedure Main;\nbegin\n IF (1=1) THEN BEGIN\n  X:=1;\n END ELSE X:=2;\nend;\n"
                          "Procedure B;\nbegin\nend;\n", nullptr},
      {"the statement after a header is no BEGIN", "Procedure Main;\nX:=1;\nbegin\nend;",
       "BEGIN not found - PROCEDURE BEGIN\rError at line: 0"},
      {"assignment before ELSE", "Procedure Main;\nbegin\n\n IF (1=1) THEN X:=1 ELSE X:=2;\nend;",
       "Expression expected\rError at line: 2"},
      {"a reserved minus", "Procedure Main;\nbegin\n X:=A - B;\nend;", "Expression expected\rError at line: 1"},
      {"open parenthesis", "Procedure Main;\nbegin\n X:=(1+2;\nend;", "\")\" expected but \";\" found\rError at line: 1"},
      {"closing parenthesis", "Procedure Main;\nbegin\n X:=1+2);\nend;",
       "\"(\" expected but \";\" found\rError at line: 1"},
      {"parentheses in strings do not count", "Procedure Main;\nbegin\n S:=')(';\nend;", nullptr},
      {"missing END", "Procedure Main;\nbegin\n X:=1;\n", "Statement expected (BEGIN END) error\rError at line: 2"},
      {"END too many", "Procedure Main;\nbegin\n X:=1;\nend;\nend;", "BEGIN not found\rError at line: 3"},
      {"header inside a block", "Procedure Main;\nbegin\nProcedure A;\nbegin end;\nend;",
       "Statement expected (BEGIN END) but \"PROCEDURE\" found\rError at line: 1"},
      {"header without a body", "Procedure Main;\nbegin\nend;\nProcedure B;\n", "Procedure body ? \rError at line: 3"},
      {"no MAIN", "Procedure A;\nbegin\nend;", "Procedure \"MAIN\" not found\rError at line: 0"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Load(c.Text);
    EXPECT_EQ(CheckProcedure("MAIN"), c.Error == nullptr);
    EXPECT_EQ(LastScriptError.Text, c.Error ? c.Error : "");
    EXPECT_FALSE(InteractiveErrors);
    EXPECT_TRUE(Shown().empty());
  }
}

TEST_F(ProgTextTest, CheckErrorRecordsLineAndPosition) {
  Load("Procedure Main;\r\nbegin\r\n  X:=(1;\r\nend;");
  EXPECT_FALSE(CheckProcedure("MAIN"));
  EXPECT_EQ(LastScriptError.Line, 1);
  EXPECT_EQ(LastScriptError.Position, static_cast<int>(FEditor.Text().find("(1;") + 3));
  // A new program object forgets the error.
  Load("Procedure Main;\r\nbegin\r\nend;");
  EXPECT_EQ(LastScriptError.Text, "");
  EXPECT_EQ(LastScriptError.Line, -1);
}

}  // namespace
