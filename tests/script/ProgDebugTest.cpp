// The step debugger driven through DebugCommand with the headless editor: the
// window-message hook plays the user, one command per pause.
#include <deque>

#include "ProgTestSupport.h"

namespace {

// Rows: 0 header, 1 begin, 2..4 the assignments, 5 end.
const char* const Program = "Procedure Main;\nbegin\n  X:=1;\n  X:=2;\n  X:=3;\nend;\n";

class ProgDebugTest : public ProgTest {
protected:
  struct TPause {
    int Row;
    std::string X;
    bool operator==(const TPause&) const = default;
  };

  void SetUp() override {
    ProgTest::SetUp();
    Ints({"X"});
    Load(Program);
    Application()->ProcessMessagesHook = [this] {
      if (!DebugPaused) return;
      FPauses.push_back({FEditor.SelectedRow(), Var("X")});
      EXPECT_EQ(FEditor.RowColour(FEditor.SelectedRow()), clBlue);
      if (FActions.empty()) {
        DebugCommand(dsTerminate, "MAIN");
        return;
      }
      auto action = std::move(FActions.front());
      FActions.pop_front();
      action();
    };
  }
  void Then(std::function<void()> action) { FActions.push_back(std::move(action)); }
  void ThenCommand(int command) {
    Then([command] { DebugCommand(command, "MAIN"); });
  }
  void SetBreakpointOnRow(int row) {
    FEditor.SetCaretRow(row);
    ToggleBreakpoint(FEditor);
  }
  void ExpectFinished() {
    EXPECT_EQ(Var("X"), "3");
    EXPECT_EQ(DebugState, dsRun);
    EXPECT_FALSE(InteractiveErrors);
    EXPECT_FALSE(DebugPaused);
    for (int row = 0; row < FEditor.RowCount(); ++row) EXPECT_EQ(FEditor.RowColour(row), clBlack) << row;
  }

  std::deque<std::function<void()>> FActions;
  std::vector<TPause> FPauses;
};

TEST_F(ProgDebugTest, StepPausesAfterEveryStatementOnItsOwnRow) {
  for (int i = 0; i < 5; ++i) ThenCommand(dsStep);
  DebugCommand(dsStep, "MAIN");
  EXPECT_EQ(FPauses, (std::vector<TPause>{{1, "0"}, {2, "1"}, {3, "2"}, {4, "3"}, {5, "3"}}));
  ExpectFinished();
  EXPECT_EQ(FEditor.BackgroundColour(), clWhite);
}

TEST_F(ProgDebugTest, NextFromIdleSteps) {
  ThenCommand(dsRun);
  DebugCommand(dsNext, "MAIN");
  EXPECT_EQ(FPauses, (std::vector<TPause>{{1, "0"}}));
  ExpectFinished();
}

TEST_F(ProgDebugTest, BreakpointTurnsTheRunIntoStepping) {
  SetBreakpointOnRow(3);
  EXPECT_EQ(Breakpoints, "x2x");
  EXPECT_TRUE(FEditor.RowUnderlined(3));
  ThenCommand(dsStep);
  ThenCommand(dsRun);
  DebugCommand(dsRunCommand, "MAIN");
  EXPECT_EQ(FPauses, (std::vector<TPause>{{3, "2"}, {4, "3"}}));
  ExpectFinished();
}

TEST_F(ProgDebugTest, NextWhilePausedRunsToTheFollowingRow) {
  SetBreakpointOnRow(2);
  ThenCommand(dsNext);
  ThenCommand(dsNext);
  ThenCommand(dsRun);
  DebugCommand(dsRun, "MAIN");
  EXPECT_EQ(FPauses, (std::vector<TPause>{{2, "1"}, {3, "2"}, {4, "3"}}));
  ExpectFinished();
}

TEST_F(ProgDebugTest, GotoRunsToTheCaretRow) {
  SetBreakpointOnRow(2);
  Then([this] {
    FEditor.SetCaretRow(4);
    DebugCommand(dsGoto, "MAIN");
  });
  ThenCommand(dsRun);
  DebugCommand(dsRun, "MAIN");
  EXPECT_EQ(FPauses, (std::vector<TPause>{{2, "1"}, {4, "3"}}));
  ExpectFinished();
}

TEST_F(ProgDebugTest, TerminateWhilePausedEndsTheRunWithFalse) {
  ThenCommand(dsStep);
  ThenCommand(dsTerminate);
  DebugState = dsStep;
  EXPECT_FALSE(RunProcedure("MAIN", true));
  EXPECT_EQ(FPauses, (std::vector<TPause>{{1, "0"}, {2, "1"}}));
  EXPECT_EQ(Var("X"), "1");
  EXPECT_TRUE(StopRequested);
  EXPECT_FALSE(InteractiveErrors);
  EXPECT_FALSE(DebugPaused);
}

TEST_F(ProgDebugTest, AnErrorEndsStepping) {
  Load("Procedure Main;\nbegin\n  X:=1;\n  BREAK;\n  X:=3;\nend;\n");
  ThenCommand(dsStep);
  ThenCommand(dsStep);
  DebugCommand(dsStep, "MAIN");
  EXPECT_EQ(FPauses, (std::vector<TPause>{{1, "0"}, {2, "1"}}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{Asked("\"BREAK\" without cycle", 2)}));
  ExpectFinished();
}

TEST_F(ProgDebugTest, ToggleBreakpoint) {
  SetBreakpointOnRow(6);  // the empty last row
  EXPECT_EQ(Breakpoints, "x");
  EXPECT_FALSE(FEditor.RowUnderlined(6));
  SetBreakpointOnRow(4);
  SetBreakpointOnRow(2);
  EXPECT_EQ(Breakpoints, "x3x1x");
  SetBreakpointOnRow(4);
  EXPECT_EQ(Breakpoints, "x1x");
  EXPECT_FALSE(FEditor.RowUnderlined(4));
  EXPECT_TRUE(FEditor.RowUnderlined(2));
  // Breakpoints outlive the program object.
  ProgFree();
  Load(Program);
  EXPECT_EQ(Breakpoints, "x1x");
}

TEST_F(ProgDebugTest, CommandsWithoutProgramOrUnknownDoNothing) {
  DebugCommand(5, "MAIN");
  EXPECT_EQ(DebugState, dsRun);
  EXPECT_EQ(Var("X"), "0");
  ProgFree();
  DebugCommand(dsStep, "MAIN");
  EXPECT_EQ(DebugState, dsRun);
  EXPECT_TRUE(FPauses.empty());
}

}  // namespace
