// Whole programs run through RunProcedure: resulting variables, result and
// every message shown.
#include <deque>
#include <utility>

#include "ProgTestSupport.h"

namespace {

// A program whose MAIN holds body; the body's first row is row 2 (line 1).
std::string Main(const std::string& body, const std::string& more = "") {
  return "Procedure Main;\nbegin\n" + body + "\nend;\n" + more;
}

struct TRunCase {
  const char* Name;
  std::string Text;
  std::vector<std::pair<const char*, const char*>> Variables;
  bool Result = true;
  std::vector<std::string> Messages = {};
  std::deque<TModalResult> Answers = {};
};

class ProgRunTest : public ProgTest {};

TEST_F(ProgRunTest, WholePrograms) {
  const std::vector<TRunCase> cases = {
      {"for to adds every pass, the variable keeps its last value",
       Main("FOR I:=1 TO 3 DO X:=X+I;"), {{"X", "6"}, {"I", "3"}}},
      {"for downto", Main("FOR I:=3 DOWNTO 1 DO X:=X*10+I;"), {{"X", "321"}, {"I", "1"}}},
      {"empty for range skips the body", Main("FOR I:=5 TO 1 DO X:=X+1;\nY:=1;"),
       {{"X", "0"}, {"I", "5"}, {"Y", "1"}}},
      {"the loop variable stays an integer", Main("FOR I:=1 TO 3 DO X:=X+I*2;"), {{"X", "12"}}},
      {"for with a block", Main("FOR I:=1 TO 3 DO BEGIN\n  X:=X+I;\n  Y:=Y+1;\nEND;\nZ:=I;"),
       {{"X", "6"}, {"Y", "3"}, {"Z", "3"}}},
      {"nested single-statement loops end together",
       Main("FOR I:=1 TO 2 DO FOR J:=1 TO 3 DO X:=X+1;\nY:=1;"), {{"X", "6"}, {"Y", "1"}}},
      {"while", Main("WHILE (I<4) DO I:=I+1;"), {{"I", "4"}}},
      {"while on the string True does not run", Main("WHILE 'True' DO X:=1;\nY:=1;"), {{"X", "0"}, {"Y", "1"}}},
      {"if with blocks runs the then block",
       Main("IF (1=1) THEN BEGIN\n X:=1;\nEND ELSE BEGIN\n X:=2;\nEND;\nY:=1;"), {{"X", "1"}, {"Y", "1"}}},
      {"if with blocks runs the else block",
       Main("IF (1=2) THEN BEGIN\n X:=1;\nEND ELSE BEGIN\n X:=2;\nEND;\nY:=1;"), {{"X", "2"}, {"Y", "1"}}},
      {"if without block, true", Main("IF (1=1) THEN X:=5;\nY:=1;"), {{"X", "5"}, {"Y", "1"}}},
      {"if without block, false", Main("IF (1=2) THEN X:=5;\nY:=1;"), {{"X", "0"}, {"Y", "1"}}},
      {"then else runs the else part when false", Main("IF (1=2) THEN ELSE X:=2;\nY:=1;"), {{"X", "2"}, {"Y", "1"}}},
      {"then else skips the else part when true", Main("IF (1=1) THEN ELSE X:=2;\nY:=1;"), {{"X", "0"}, {"Y", "1"}}},
      {"a false if skips a nested if with its else block",
       Main("IF (1=2) THEN BEGIN\n IF (1=1) THEN BEGIN\n  X:=1;\n END ELSE BEGIN\n  X:=2;\n END;\n X:=3;\nEND;\nY:=1;"),
       {{"X", "0"}, {"Y", "1"}}},
      {"break in an if block ends the while loop",
       Main("WHILE (I<10) DO BEGIN\n I:=I+1;\n IF (I=3) THEN BEGIN\n  BREAK;\n END;\n X:=X+1;\nEND;\nY:=1;"),
       {{"I", "3"}, {"X", "2"}, {"Y", "1"}}},
      {"break in a single-statement body", Main("FOR I:=1 TO 10 DO IF (I=4) THEN BREAK;\nY:=1;"),
       {{"I", "4"}, {"Y", "1"}}},
      {"continue on the last pass goes on after the loop",
       Main("FOR I:=1 TO 3 DO BEGIN\n X:=X+1;\n IF (I=3) THEN CONTINUE;\n Y:=Y+1;\nEND;\nZ:=1;"),
       {{"X", "3"}, {"Y", "2"}, {"Z", "1"}}},
      {"continue inside a single-statement body skips no pass",
       Main("FOR I:=1 TO 4 DO IF (I<>2) THEN BEGIN X:=X+I; END ELSE CONTINUE;"), {{"X", "8"}, {"I", "4"}}},
      {"continue in a while block", Main("WHILE (I<5) DO BEGIN\n I:=I+1;\n IF (I=2) THEN CONTINUE;\n X:=X+I;\nEND;"),
       {{"I", "5"}, {"X", "13"}}},
      {"exit in nested blocks of a procedure returns to the caller",
       Main("PROC A;\nY:=1;", "Procedure A;\nbegin\n IF (1=1) THEN BEGIN\n  WHILE (1=1) DO BEGIN\n   X:=1;\n   EXIT;\n"
                              "   X:=2;\n  END;\n END;\n X:=3;\nend;\n"),
       {{"X", "1"}, {"Y", "1"}}},
      {"exit in main ends the run with true", Main("X:=1;\nEXIT;\nX:=2;"), {{"X", "1"}}},
      {"quit in a procedure ends the whole run", Main("PROC A;\nY:=1;", "Procedure A;\nbegin\n X:=1;\n QUIT;\n X:=2;\nend;"),
       {{"X", "1"}, {"Y", "0"}}},
      {"recursion through proc", Main("N:=3;\nPROC Down;", "Procedure Down;\nbegin\n X:=X+N;\n N:=N-1;\n"
                                                         " IF (N>0) THEN PROC Down;\n Y:=Y+1;\nend;"),
       {{"X", "6"}, {"N", "0"}, {"Y", "3"}}},
      {"comments are skipped", Main("X:=1; // X:=2;\n{ X:=3;\n Y:=3; }\nY:=X;"), {{"X", "1"}, {"Y", "1"}}},
      {"an open brace comment skips the rest", Main("X:=1;\n{ X:=2;"), {{"X", "1"}}},
      {"a missing end finishes at the end of the text", "Procedure Main;\nbegin\n X:=1;\n", {{"X", "1"}}},
      {"strings keep case and may hold Procedure", Main("S:='Procedure X;';"), {{"S", "Procedure X;"}}},
      {"declarations re-initialise their variables", Main("X:=5;\nX,Y TINTEGER;\nT TSTRING;\nT:='a';"),
       {{"X", "0"}, {"T", "a"}}},
      {"if then assignment else is an unknown statement",
       Main("IF (1=1) THEN X:=1 ELSE X:=2;\nY:=1;"), {{"X", "2"}, {"Y", "1"}}, true, {Asked("Unknown commads", 1)}},
      {"the stop question answered Yes ends the run with false",
       Main("IF (1=1) THEN X:=1 ELSE X:=2;\nY:=1;"), {{"X", "0"}, {"Y", "0"}}, false,
       {Asked("Unknown commads", 1)}, {mrYes}},
      {"an expression error asks, then the statement reports that it gave nothing",
       Main("X:=NOSUCH+1;\nY:=1;"), {{"X", "0"}, {"Y", "1"}}, true,
       {"Unknown Identifier NOSUCH\rDo you want to stop program ?", Asked("Error program interpreter", 1)}},
      {"a missing procedure is reported twice and does nothing", Main("PROC NOPE;\nY:=1;"), {{"Y", "1"}}, true,
       {Asked("Procedure \"NOPE\" not found", 1), Asked("PROC NOPE, procedure not exists", 1)}},
      {"break without a loop", Main("BREAK;\nY:=1;"), {{"Y", "1"}}, true, {Asked("\"BREAK\" without cycle", 1)}},
      {"break does not reach the loop of a calling procedure", Main("FOR I:=1 TO 2 DO PROC A;", "Procedure A;\nbegin\n"
                                                                                               " BREAK;\n X:=X+1;\nend;"),
       {{"X", "2"}, {"I", "2"}}, true,
       {Asked("\"BREAK\" without cycle", 5), Asked("\"BREAK\" without cycle", 5)}},
      {"a for limit that is not an integer skips the body", Main("FOR I:=1 TO 'a' DO X:=X+1;\nY:=1;"),
       {{"X", "0"}, {"Y", "1"}}, true, {Asked("FOR ... TO \"?\" parameter is not integer type", 1)}},
      {"a loop variable that is no integer counts as 0", Main("S:='q';\nFOR S:='z' TO 1 DO X:=X+1;"),
       {{"X", "2"}, {"S", "1"}}, true,
       {Asked("For cycle, \"S\" is not integer value", 2), Asked("For cycle, \"S\" is not integer value", 2)}},
      // The block's frame takes the ELSE's part: the next statement is skipped.
      {"else without if", Main("ELSE\nY:=1;\nZ:=1;"), {{"Y", "0"}, {"Z", "1"}}, true, {Asked("\"ELSE\" without \"IF ... THEN\"", 1)}},
      {"a procedure header inside a body", Main("Procedure X;\nY:=1;"), {{"Y", "1"}}, true,
       {Asked("PROCEDURE declaration in procedure", 1)}},
      {"proc main is reported, then called", Main("X:=X+1;\nIF (X<2) THEN PROC MAIN;"), {{"X", "2"}}, true,
       {Asked("\"PROC MAIN\" -error", 2)}},
      {"too deep recursion is rejected and ends the run", Main("PROC R;", "Procedure R;\nbegin\n X:=X+1;\n PROC R;\nend;"),
       {{"X", "49"}}, false,
       {Asked("Too deep nesting: more than 100 blocks, loops and procedure calls", 6)}},
  };
  for (const TRunCase& c : cases) {
    SCOPED_TRACE(c.Name);
    GlobalExprVar().Clear();
    Ints({"X", "Y", "Z", "I", "J", "N"});
    GlobalExprVar().SetVariable("S", "", vkString);
    FDialogs->Records.clear();
    FDialogs->Answers = c.Answers;
    Load(c.Text);
    EXPECT_EQ(RunProcedure("MAIN", false), c.Result);
    for (const auto& [name, value] : c.Variables) EXPECT_EQ(Var(name), value) << name;
    EXPECT_EQ(Shown(), c.Messages);
    EXPECT_FALSE(InteractiveErrors);
  }
}

TEST_F(ProgRunTest, ProcedureToRunMissing) {
  Load(Main("X:=1;"));
  EXPECT_FALSE(RunProcedure(" nope ", false));
  EXPECT_EQ(Shown(), (std::vector<std::string>{Asked("Procedure \"NOPE\" not found", 0),
                                              Asked("\"PROCEDURE  nope \" is not found", 0)}));
}

TEST_F(ProgRunTest, OtherProcedureRunsAndEventProceduresAreFound) {
  Ints({"X"});
  Load(Main("X:=1;", "Procedure Q1_AfterScroll;\nbegin\n X:=X+10;\nend;"));
  EXPECT_TRUE(RunProcedure("q1_afterscroll", false));
  EXPECT_EQ(Var("X"), "10");
  EXPECT_TRUE(RunProcedure("Q1_AfterScroll", false));
  EXPECT_EQ(Var("X"), "20");
}

TEST_F(ProgRunTest, WithoutProgramObject) {
  EXPECT_FALSE(RunProcedure("MAIN", false));
  EXPECT_FALSE(CheckProcedure("MAIN"));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"use ProgInit", "use ProgInit"}));
  EXPECT_EQ(ProcedureIndex("MAIN"), -1);
  EXPECT_EQ(ProcedureNames(), "");
  EXPECT_EQ(ProcedureCount(), 0);
}

TEST_F(ProgRunTest, HighlightedRunColoursTheEditorOnlyWhileRunning) {
  Ints({"X"});
  TColor during = clWhite;
  FEditor.SetBackgroundColour(clWhite);
  Load(Main("X:=1;"));
  Application()->ProcessMessagesHook = [&] {
    during = FEditor.BackgroundColour();
    if (DebugPaused) DebugCommand(dsRun, "MAIN");
  };
  DebugState = dsStep;
  EXPECT_TRUE(RunProcedure("MAIN", true));
  EXPECT_EQ(during, clAqua);
  EXPECT_EQ(FEditor.BackgroundColour(), clWhite);
  EXPECT_EQ(DebugState, dsRun);
}

TEST_F(ProgRunTest, PausingWithoutUserInterfaceGoesOn) {
  Ints({"X"});
  Load(Main("X:=1;\nX:=2;"));
  DebugState = dsStep;
  EXPECT_TRUE(RunProcedure("MAIN", true));
  EXPECT_EQ(Var("X"), "2");
}

TEST_F(ProgRunTest, TerminateReachesAnEndlessLoop) {
  Ints({"X"});
  Load(Main("WHILE (1=1) DO X:=X+1;"));
  int calls = 0;
  Application()->ProcessMessagesHook = [&] {
    if (++calls == 3) DebugCommand(dsTerminate, "MAIN");
  };
  EXPECT_FALSE(RunProcedure("MAIN", false));
  EXPECT_EQ(calls, 3);
  EXPECT_GT(std::stoi(Var("X")), 1000);
  EXPECT_TRUE(StopRequested);
}

// The editor may start a new ProgInit while a run waits in a pause.
TEST_F(ProgRunTest, ReplacingTheProgramDuringARunKeepsTheRunningObject) {
  Ints({"X"});
  TPlainTextEditor other("Procedure Main;\nbegin\n X:=100;\nend;");
  Load(Main("X:=1;\nX:=2;\nX:=3;"));
  bool replaced = false;
  Application()->ProcessMessagesHook = [&] {
    if (!DebugPaused || replaced) return;
    replaced = true;
    ProgInit(other);
    DebugCommand(dsRun, "MAIN");
  };
  DebugState = dsStep;
  EXPECT_TRUE(RunProcedure("MAIN", false));
  EXPECT_EQ(Var("X"), "3");
  EXPECT_EQ(&Prog()->Editor(), &other);
  EXPECT_TRUE(RunProcedure("MAIN", false));
  EXPECT_EQ(Var("X"), "100");
}

}  // namespace
