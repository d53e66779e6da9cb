// The step debugger: breakpoints, stepping, running to a line, pausing with
// the statement's row highlighted, and the editor's commands.
#include "Dialogs.h"
#include "Prog.h"

bool TProg::PauseApplies() const { return DebugState == dsStep || (DebugState == dsGoto && FMarked); }

// The row shown is the one of the statement's first character, not the end of
// the previous statement where the reading began.
void TProg::Highlight() {
  if (FHighlightedRow >= 0) FEditor.SetRowColour(FHighlightedRow, clBlack);
  const int row = FEditor.RowOfPosition(FFirstChar >= 0 ? FFirstChar : StatementStart);
  FEditor.SelectRow(row);
  FEditor.SetRowColour(row, clBlue);
  FHighlightedRow = row;
  FEditor.SetFocus();
  Application()->ProcessMessages();
}

void TProg::ForgetHighlight() {
  if (FHighlightedRow >= 0) FEditor.SetRowColour(FHighlightedRow, clBlack);
  FHighlightedRow = -1;
}

// Waits for a debugging command. Without a user-interface layer nothing could
// ever answer, so the run goes on at once.
void TProg::Pause() {
  DebugPaused = true;
  Highlight();
  while (DebugPaused && !StopRequested)
    if (!Application()->ProcessMessages()) break;
  ForgetHighlight();
  DebugPaused = false;
}

void DebugCommand(int command, const AnsiString& name) {
  if (command == dsTerminate) {
    InteractiveErrors = false;
    StopRequested = true;
    return;
  }
  TProg* prog = Prog();
  if (!prog) return;
  if (command != dsRun && command != dsGoto && command != dsStep && command != dsNext && command != dsRunCommand)
    return;
  if (command == dsRunCommand) command = dsRun;
  DebugState = command;
  TProgEditor& editor = prog->Editor();
  if (command == dsGoto) RunToLine = editor.CaretRow() - 1;
  if (command == dsNext) {
    if (!DebugPaused) {
      DebugState = dsStep;
    } else {
      DebugState = dsGoto;
      RunToLine = editor.CaretRow();
    }
  }
  DebugPaused = false;
  editor.SetFocus();
  if (!InteractiveErrors) RunProcedure(name, true);
}

void ToggleBreakpoint(TProgEditor& editor) {
  if (Breakpoints.empty()) Breakpoints.assign(1, 'x');
  editor.SetFocus();
  editor.CaretToRowStart();
  const int row = editor.CaretRow();
  if (Trim(editor.RowText(row)).empty()) return;
  editor.SelectRow(row);
  const AnsiString key = IntToStr(row - 1) + "x";
  AnsiString probe(1, 'x');
  probe += key;
  const size_t at = Breakpoints.find(probe);
  if (at == AnsiString::npos) {
    Breakpoints += key;
    editor.SetRowUnderline(row);
  } else {
    Breakpoints.erase(at + 1, key.size());
    editor.ClearRowStyle(row);
  }
}
