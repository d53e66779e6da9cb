// The program interpreter: the table of procedures of a program text, the
// statement reader, the executor with its block stack, the syntax check and
// the step debugger. The text is never compiled: every run reads it anew,
// statement by statement.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ProgEditor.h"
#include "prExpr.h"

// One record of the block stack.
struct TLevelRec {
  // P procedure, B block, i/I IF, w/W WHILE, f/F FOR TO, d/D FOR DOWNTO;
  // lower case: the body is the next statement, upper case: a BEGIN block.
  char Kind = 'P';
  // FOR: the limit; IF, WHILE: 1 when the body runs, -1 when it is skipped.
  int32_t Limit = 0;
  // WHILE: the condition; FOR: the marked assignment of the loop variable.
  AnsiString Text;
  // Where to go on: a procedure's return point, a loop's body start.
  int32_t Position = -1;
  int32_t Line = 0;
};

// The last error of the interpreter, for the editor to show its place.
struct TLastScriptError {
  AnsiString Text;
  int Line = -1;
  int Position = -1;
};
extern TLastScriptError LastScriptError;

// Debugger commands and states.
enum : int { dsRun = 0, dsGoto = 4, dsStep = 7, dsNext = 8, dsRunCommand = 9, dsTerminate = 10 };
extern int DebugState;
extern int RunToLine;
// "x" and each breakpoint's line followed by "x" (x5x12x); lives for the process.
extern AnsiString Breakpoints;
extern bool DebugPaused;
// The text position at which the reading of the current statement began.
extern int StatementStart;

// Statement forms by number.
enum TStatementKind : int {
  skAssign = 0, skEnd, skBegin, skElse, skEndElse, skExit, skBreak, skContinue, skProc, skIf,
  skWhile, skForTo, skForDownto, skIntegers, skFloats, skBooleans, skStrings, skBeep, skQuit,
  skProcedure, skCall, skEmpty = 100, skUnknown = -1
};

// The program object, bound to the editor that holds the text (not owned).
class TProg {
public:
  static constexpr int MaxLevels = 100;
  static constexpr int MaxTokens = 31;
  static constexpr int MaxParts = 10;

  explicit TProg(TProgEditor& editor);
  TProg(const TProg&) = delete;
  TProg& operator=(const TProg&) = delete;
  TProgEditor& Editor() const { return FEditor; }

  // Procedure table: NAME (upper case) and the position right after the header's ";".
  void ScanProcedures();
  void AddProcedure(const AnsiString& name, int position);
  int ProcedureIndex(const AnsiString& name) const;
  int ProcedurePosition(const AnsiString& name);
  AnsiString ProcedureNames() const;
  int ProcedureCount() const { return static_cast<int>(FProcedures.size()); }

  // Run mode executes the named procedure; check mode reads the whole text.
  bool ExecuteProgram(bool runMode, const AnsiString& name);
  void ExecuteStatement();
  void EndBlock();

  // Reading: takes the editor's text and starts at position with line 0.
  void BeginReading(int position);
  // Reads and reduces one statement; false when a stop was requested.
  bool ReadStatement();
  const AnsiString& StatementForm() const { return FForm; }
  int FormNumber() const { return FFormNumber; }
  int PartCount() const { return FPartCount; }
  // Parts are numbered from 1.
  const AnsiString& Part(int number) const;
  int CurrentLine() const { return FLine; }
  int CurrentPosition() const { return FPos; }
  int StackTop() const { return FTop; }
  int SkipLevel() const { return FSkipLevel; }
  // True while this object executes a run or a check.
  bool Running() const { return FRunDepth > 0; }

private:
  struct TProcedure {
    AnsiString Name;
    int Position;
  };

  // Reader
  bool NextChar(char& c);
  bool SkipComment(char last);
  void MarkForDebugging();
  AnsiString& CurrentToken();
  void AppendToToken(char c);
  void EndToken();
  void AddOwnToken(const char* token);
  void CheckAssignmentTarget();
  void RejectStatement(const char* message);
  bool EndsStatement() const;
  // Reduction
  void ReduceStatement();
  void BeginPart();
  void AppendToPart(const AnsiString& text);
  void ReduceAssignment(int tokenIndex, int tokenCount);
  void AppendY();
  void ResolveCall();
  // Check mode
  void CheckStatement();
  void CheckEnd();
  // Execution
  TLevelRec& Top() { return FLevels[static_cast<size_t>(FTop)]; }
  bool Push(char kind);
  void Pop();
  void ReturnFromProcedure();
  void GoBackTo(const TLevelRec& frame);
  void PostStep(int number);
  void DoBegin();
  void DoElse(bool endElse);
  void ChangeSkipForElse();
  void DoExit();
  int FindLoop(const char* withoutCycleMessage);
  void DoBreak();
  void DoContinue();
  void DoProc();
  void DoIf();
  void DoWhile();
  void DoFor(bool downto);
  void DoDeclare(const char* kindWord);
  void DoQuit();
  bool LoopGoesOn(TLevelRec& frame);
  bool ReadLoopVariable(const TLevelRec& frame, int32_t& value);
  // Debugging
  bool PauseApplies() const;
  void Highlight();
  void Pause();
  void ForgetHighlight();

  TProgEditor& FEditor;
  std::vector<TProcedure> FProcedures;
  AnsiString FText;
  int FPos = 0;
  int FLine = 0;
  std::array<TLevelRec, MaxLevels + 1> FLevels;  // indexed from 1
  int FTop = 0;
  int FSkipLevel = 0;
  int FPrevious = 0;
  AnsiString FForm;
  int FFormNumber = skEmpty;
  std::array<AnsiString, MaxTokens> FTokens;
  int FTokenIndex = 0;
  std::array<AnsiString, MaxParts + 1> FParts;  // indexed from 1
  int FPartIndex = 0;
  int FPartCount = 0;
  int FBlockDepth = 0;
  bool FAfterHeader = false;
  bool FRejected = false;
  bool FMarked = false;
  bool FMarkPending = false;
  bool FContinued = false;
  int FFirstChar = -1;
  int FHighlightedRow = -1;
  int FRunDepth = 0;
  unsigned FStatementCount = 0;
};

// The program object, or nullptr before ProgInit and after ProgFree.
TProg* Prog();
// Replaces the program object by one bound to editor and scans its procedures;
// scan errors are raised.
void ProgInit(TProgEditor& editor);
void ProgFree();

int ProcedureIndex(const AnsiString& name);
int ProcedurePosition(const AnsiString& name);
AnsiString ProcedureNames();
int ProcedureCount();
// The syntax check of the whole text; false with LastScriptError set.
bool CheckProcedure(const AnsiString& name);
// Runs a procedure; true when the run ended normally.
bool RunProcedure(const AnsiString& name, bool highlight);

// Appends the line, records LastScriptError and reports the text.
void ReportProgramError(const AnsiString& message);
// Parses and reads a statement's expression text; assignments take effect here.
AnsiString EvaluateStatementText(AnsiString text);

// The editor's debugging commands (dsRun, dsGoto, dsStep, dsNext, dsRunCommand, dsTerminate).
void DebugCommand(int command, const AnsiString& name);
void ToggleBreakpoint(TProgEditor& editor);

// The object whose run or procedure scan is in progress (messages take its
// line and position), else the program object.
TProg* ActiveProg();
class TActiveProgScope {
public:
  explicit TActiveProgScope(TProg* prog);
  ~TActiveProgScope();
  TActiveProgScope(const TActiveProgScope&) = delete;
  TActiveProgScope& operator=(const TActiveProgScope&) = delete;

private:
  TProg* FPrevious;
};

// Lets the script's stop question and messages go through the dialog service.
void UseDialogServiceForScriptErrors();
