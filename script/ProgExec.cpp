// Running a procedure: the reading loop, the actions of the statement forms
// and the block stack that carries blocks, conditions, loops and calls.
#include <cctype>

#include "CodePage.h"
#include "Dialogs.h"
#include "Prog.h"

namespace {

constexpr const char* AssignMarker = "@@:=@@";

// Counts a nesting level for the time of a scope.
class TDepthGuard {
public:
  explicit TDepthGuard(int& depth) : FDepth(depth) { ++FDepth; }
  ~TDepthGuard() { --FDepth; }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;

private:
  int& FDepth;
};

bool IsLoopKind(char kind) {
  switch (kind) {
    case 'D': case 'F': case 'W': case 'd': case 'f': case 'w':
      return true;
    default:
      return false;
  }
}

bool IsLower(char kind) { return kind >= 'a' && kind <= 'z'; }
char ToUpper(char kind) { return static_cast<char>(std::toupper(static_cast<unsigned char>(kind))); }
char ToLower(char kind) { return static_cast<char>(std::tolower(static_cast<unsigned char>(kind))); }

AnsiString LoopVariableName(const TLevelRec& frame) { return frame.Text.substr(0, frame.Text.find(AssignMarker)); }

// Let a run that loops without end still see a Terminate from the editor.
constexpr unsigned MessageInterval = 1000;

}  // namespace

bool TProg::ExecuteProgram(bool runMode, const AnsiString& name) {
  TDepthGuard depth(FRunDepth);
  TActiveProgScope active(this);
  for (AnsiString& token : FTokens) token.clear();
  for (AnsiString& part : FParts) part.clear();
  FTokenIndex = FPartIndex = FPartCount = 0;
  BeginReading(0);
  DebugPaused = false;
  StopRequested = false;
  FForm.clear();
  FFormNumber = skEmpty;
  FSkipLevel = FPrevious = FBlockDepth = 0;
  FAfterHeader = false;
  FHighlightedRow = -1;
  FTop = 0;
  FPos = ProcedurePosition(AnsiUpperCase(Trim(name)));
  if (FPos == -1) {
    ReportProgramError("\"PROCEDURE " + name + "\" is not found");
    return false;
  }
  Push('P');
  Top().Position = -1;
  if (!runMode) FPos = 0;

  while (FPos < static_cast<int>(FText.size())) {
    StatementStart = FPos;
    if (StopRequested) return false;
    if (FTop == 0) break;
    if (!ReadStatement()) return false;
    if (!runMode) {
      CheckStatement();
      continue;
    }
    if (PauseApplies()) Highlight();
    ExecuteStatement();
    if (PauseApplies())
      Pause();
    else
      ForgetHighlight();  // an error during the statement ended stepping
    if (++FStatementCount % MessageInterval == 0) Application()->ProcessMessages();
  }
  if (!runMode) CheckEnd();
  InteractiveErrors = false;
  DebugState = dsRun;
  return true;
}

// ---------------------------------------------------------------------------
// Block stack

bool TProg::Push(char kind) {
  if (FTop >= MaxLevels) {
    ReportProgramError("Too deep nesting: more than 100 blocks, loops and procedure calls");
    // A frame that is missing would pair every later END with the wrong block.
    StopRequested = true;
    return false;
  }
  TLevelRec& frame = FLevels[static_cast<size_t>(++FTop)];
  frame.Kind = kind;
  frame.Limit = 0;
  frame.Text.clear();
  frame.Position = FPos;
  frame.Line = FLine;
  return true;
}

void TProg::Pop() {
  if (FTop > 0) --FTop;
}

void TProg::GoBackTo(const TLevelRec& frame) {
  FPos = frame.Position;
  FLine = frame.Line;
}

void TProg::ReturnFromProcedure() {
  GoBackTo(Top());
  Pop();
}

bool TProg::ReadLoopVariable(const TLevelRec& frame, int32_t& value) {
  const AnsiString name = LoopVariableName(frame);
  if (TryStrToInt(Trim(GlobalExprVar().VariableText(name)), value)) return true;
  value = 0;
  ReportProgramError("For cycle, \"" + name + "\" is not integer value");
  return false;
}

// The end-of-pass test of a loop; a FOR variable is stepped when the loop goes on.
bool TProg::LoopGoesOn(TLevelRec& frame) {
  if (frame.Kind == 'W' || frame.Kind == 'w') return EvaluateStatementText(frame.Text) == "TRUE";
  const bool up = frame.Kind == 'F' || frame.Kind == 'f';
  int32_t value;
  ReadLoopVariable(frame, value);
  if (up ? value >= frame.Limit : value <= frame.Limit) return false;
  const AnsiString name = LoopVariableName(frame);
  TExprVar& vars = GlobalExprVar();
  vars.SetVariable(name, IntToStr(up ? value + 1 : value - 1), vars.VariableKind(name));
  return true;
}

void TProg::EndBlock() {
  if (FTop == 0) return;
  if (FSkipLevel != 0) {
    if (FSkipLevel >= FTop) FSkipLevel = 0;
    Pop();
    return;
  }
  TLevelRec& frame = Top();
  switch (frame.Kind) {
    case 'B':
      Pop();
      if (FTop > 0 && Top().Kind == 'P') ReturnFromProcedure();
      break;
    case 'P':
      ReturnFromProcedure();
      break;
    default:
      if (!IsLoopKind(frame.Kind))
        Pop();
      else if (LoopGoesOn(frame))
        GoBackTo(frame);
      else
        Pop();
      break;
  }
}

// ---------------------------------------------------------------------------
// Statements

void TProg::ExecuteStatement() {
  const int number = FFormNumber;
  if (number == skEmpty || FTop == 0) return;
  FContinued = false;
  if (number == skUnknown) {
    ReportProgramError("Unknown commads");
    PostStep(number);
    return;
  }
  if (FSkipLevel != 0 && !(number >= skEnd && number <= skEndElse)) {
    // Skipped conditions and loops still push, so that their BEGIN, ELSE and END pair up.
    if (number >= skIf && number <= skForDownto && Push("iwfd"[number - skIf])) Top().Limit = -1;
    PostStep(number);
    return;
  }
  switch (number) {
    case skAssign:
    case skCall: EvaluateStatementText(Part(1)); break;
    case skEnd: EndBlock(); break;
    case skBegin: DoBegin(); break;
    case skElse: DoElse(false); break;
    case skEndElse: DoElse(true); break;
    case skExit: DoExit(); break;
    case skBreak: DoBreak(); break;
    case skContinue: DoContinue(); break;
    case skProc: DoProc(); break;
    case skIf: DoIf(); break;
    case skWhile: DoWhile(); break;
    case skForTo: DoFor(false); break;
    case skForDownto: DoFor(true); break;
    case skIntegers: DoDeclare("Integer"); break;
    case skFloats: DoDeclare("Float"); break;
    case skBooleans: DoDeclare("Boolean"); break;
    case skStrings: DoDeclare("String"); break;
    case skBeep: MessageBeep(); break;
    case skQuit: DoQuit(); return;
    case skProcedure: ReportProgramError("PROCEDURE declaration in procedure"); break;
    default: break;
  }
  PostStep(number);
}

// Single-statement bodies end after their statement, nested ones together.
void TProg::PostStep(int number) {
  FPrevious = number;
  if ((number >= skBegin && number <= skEndElse) || (number >= skIf && number <= skForDownto)) return;
  // CONTINUE has already started the next pass; ending the body again would skip one.
  if (FContinued) return;
  while (FTop > 0 && IsLower(Top().Kind)) {
    const int top = FTop;
    EndBlock();
    if (FTop == top) break;
  }
}

void TProg::DoBegin() {
  const bool opensBody = FPrevious == skElse || FPrevious == skEndElse || (FPrevious >= skIf && FPrevious <= skForDownto);
  if (opensBody && FTop > 0) {
    TLevelRec& frame = Top();
    frame.Kind = ToUpper(frame.Kind);
    frame.Position = FPos;
    frame.Line = FLine;
  } else {
    Push('B');
  }
}

void TProg::DoElse(bool endElse) {
  const char kind = FTop > 0 ? Top().Kind : ' ';
  if (endElse) {
    if (kind != 'I') ReportProgramError("\"THEN BEGIN\" not found for \"END ELSE\"");
  } else if (kind != 'i' && kind != 'I') {
    ReportProgramError("\"ELSE\" without \"IF ... THEN\"");
  } else if (kind == 'I') {
    ReportProgramError("\"END\" not found");
  }
  if (FTop == 0) return;
  Top().Kind = ToLower(Top().Kind);
  ChangeSkipForElse();
}

// The THEN part ran: skip the ELSE part; it was skipped: run it. A whole IF
// inside a skipped body leaves the skip level alone.
void TProg::ChangeSkipForElse() {
  if (FSkipLevel == 0)
    FSkipLevel = FTop;
  else if (FSkipLevel == FTop)
    FSkipLevel = 0;
}

void TProg::DoExit() {
  while (FTop > 0 && Top().Kind != 'P') Pop();
  if (FTop > 0) ReturnFromProcedure();
}

// The nearest loop of the running procedure, 0 (after the message) when there is none.
int TProg::FindLoop(const char* withoutCycleMessage) {
  for (int level = FTop; level >= 1; --level) {
    const char kind = FLevels[static_cast<size_t>(level)].Kind;
    if (IsLoopKind(kind)) return level;
    if (kind == 'P') break;
  }
  ReportProgramError(withoutCycleMessage);
  return 0;
}

void TProg::DoBreak() {
  const int level = FindLoop("\"BREAK\" without cycle");
  if (level != 0) FSkipLevel = level;
}

void TProg::DoContinue() {
  const int level = FindLoop("\"CONTINUE\" without cycle");
  if (level == 0) return;
  TLevelRec& frame = FLevels[static_cast<size_t>(level)];
  if (LoopGoesOn(frame)) {
    FTop = level;
    GoBackTo(frame);
    FContinued = true;
  } else {
    FSkipLevel = level;
  }
}

void TProg::DoProc() {
  const AnsiString name = AnsiUpperCase(Trim(Part(1)));
  if (name == "MAIN") ReportProgramError("\"PROC MAIN\" -error");
  const int position = ProcedurePosition(name);
  if (position == -1) {
    ReportProgramError("PROC " + name + ", procedure not exists");
    return;
  }
  if (Push('P')) FPos = position;
}

void TProg::DoIf() {
  if (!Push('i')) return;
  const int level = FTop;
  const bool holds = EvaluateStatementText(Part(1)) == "TRUE";
  FLevels[static_cast<size_t>(level)].Limit = holds ? 1 : -1;
  if (!holds) FSkipLevel = level;
}

void TProg::DoWhile() {
  if (!Push('w')) return;
  const int level = FTop;
  const AnsiString condition = Part(1);
  TLevelRec& frame = FLevels[static_cast<size_t>(level)];
  if (EvaluateStatementText(condition) == "TRUE") {
    frame.Limit = 1;
    frame.Text = condition;
  } else {
    frame.Limit = -1;
    FSkipLevel = level;
  }
}

// The limit is taken once; the variable is read again at every pass. A limit
// that is not an integer skips the body like an empty range.
void TProg::DoFor(bool downto) {
  if (!Push(downto ? 'd' : 'f')) return;
  const int level = FTop;
  TLevelRec& frame = FLevels[static_cast<size_t>(level)];
  frame.Text = Part(1);
  const AnsiString limitText = Part(2);
  try {
    EvaluateStatementText(frame.Text);
  } catch (const Exception&) {
    ReportProgramError("FOR \"?\" cycle expression error");
  }
  int32_t limit = 0;
  bool limitValid = false;
  try {
    limitValid = TryStrToInt(Trim(EvaluateStatementText(limitText)), limit);
  } catch (const Exception&) {
    limitValid = false;
  }
  if (!limitValid) ReportProgramError("FOR ... TO \"?\" parameter is not integer type");
  int32_t value = 0;
  if (limitValid) ReadLoopVariable(frame, value);
  if (!limitValid || (downto ? limit > value : limit < value)) {
    limit = -1;
    frame.Text.clear();
    FSkipLevel = level;
  }
  frame.Limit = limit;
}

void TProg::DoDeclare(const char* kindWord) {
  EvaluateStatementText("VarAdd('" + Part(1) + "','" + kindWord + "')");
}

void TProg::DoQuit() {
  FTop = 0;
  ClosePreviewWindow(false);
}
