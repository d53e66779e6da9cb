// The program object's life, its table of procedures and the entries that
// other parts of the system call: run, check and the error reporter.
#include <memory>

#include "Dialogs.h"
#include "ExprSupport.h"
#include "Prog.h"

TLastScriptError LastScriptError;
int DebugState = dsRun;
int RunToLine = 0;
AnsiString Breakpoints;
bool DebugPaused = false;
int StatementStart = 0;

namespace {

std::unique_ptr<TProg>& Program() {
  static std::unique_ptr<TProg> program;
  return program;
}

// A program object replaced while one of its runs waits (a pause, a dialog)
// lives on until the outermost run has returned.
std::vector<std::unique_ptr<TProg>>& Retired() {
  static std::vector<std::unique_ptr<TProg>> retired;
  return retired;
}
int ActiveRuns = 0;
TProg* Active = nullptr;

void RetireProgram() {
  if (!Program()) return;
  if (ActiveRuns > 0)
    Retired().push_back(std::move(Program()));
  else
    Program().reset();
}

void ShowUseProgInit() { MessageDlg("use ProgInit", mtWarning, TMsgDlgButtons{mbOK}); }

// Runs one entry of the interpreter; every exception ends it with false.
template <class F> bool GuardedRun(F run) {
  bool result = false;
  ++ActiveRuns;
  try {
    result = run();
  } catch (...) {
    result = false;
  }
  if (--ActiveRuns == 0) Retired().clear();
  return result;
}

}  // namespace

TActiveProgScope::TActiveProgScope(TProg* prog) : FPrevious(Active) { Active = prog; }
TActiveProgScope::~TActiveProgScope() { Active = FPrevious; }

TProg* ActiveProg() { return Active ? Active : Program().get(); }

TProg::TProg(TProgEditor& editor) : FEditor(editor) { LastScriptError = TLastScriptError(); }

// ---------------------------------------------------------------------------
// Procedure table

void TProg::ScanProcedures() {
  TActiveProgScope active(this);
  FProcedures.clear();
  FLine = -1;
  AnsiString text = AnsiUpperCase(FEditor.Text());
  // Nothing inside quotes is a header; comments are not excluded.
  for (size_t quote = text.find('\''); quote != AnsiString::npos; quote = text.find('\'', quote)) {
    const size_t close = text.find('\'', quote + 1);
    const size_t end = close == AnsiString::npos ? text.size() : close + 1;
    text.replace(quote, end - quote, end - quote, 'x');
    quote = end;
  }
  constexpr size_t WordLength = 9;  // "PROCEDURE"
  for (size_t at = text.find("PROCEDURE "); at != AnsiString::npos; at = text.find("PROCEDURE ", at + 2)) {
    const AnsiString after = text.substr(at + WordLength, 255);
    const size_t semicolon = after.find(';');
    if (semicolon != AnsiString::npos) {
      const AnsiString name = Trim(after.substr(0, semicolon));
      if (!name.empty()) AddProcedure(name, static_cast<int>(at + WordLength + semicolon + 1));
    }
    text[at] = text[at + 1] = 'x';
  }
}

void TProg::AddProcedure(const AnsiString& name, int position) {
  if (ProcedureIndex(name) != -1) {
    ReportProgramError("Procedure \"" + name + "\" redeclared");
    return;
  }
  if (name.empty() || !IsIdentStart(name[0])) {
    ReportProgramError("Procedure name \"" + name + "\" - error primary char");
  } else {
    for (char c : name)
      if (!IsIdentChar(c)) {
        ReportProgramError("Procedure name \"" + name + "\" - error characters");
        break;
      }
  }
  FProcedures.push_back({AnsiUpperCase(name), position});
}

int TProg::ProcedureIndex(const AnsiString& name) const {
  const AnsiString key = AnsiUpperCase(Trim(name));
  for (const TProcedure& procedure : FProcedures)
    if (procedure.Name == key) return procedure.Position;
  return -1;
}

int TProg::ProcedurePosition(const AnsiString& name) {
  const int position = ProcedureIndex(name);
  if (position == -1) ReportProgramError("Procedure \"" + name + "\" not found");
  return position;
}

AnsiString TProg::ProcedureNames() const {
  AnsiString names;
  for (const TProcedure& procedure : FProcedures) {
    if (!names.empty()) names += "\r\n";
    names += procedure.Name;
  }
  return names;
}

// ---------------------------------------------------------------------------
// Entries

TProg* Prog() { return Program().get(); }

void ProgInit(TProgEditor& editor) {
  RetireProgram();
  InteractiveErrors = false;
  Program() = std::make_unique<TProg>(editor);
  Program()->ScanProcedures();
}

void ProgFree() {
  RetireProgram();
  InteractiveErrors = false;
}

int ProcedureIndex(const AnsiString& name) { return Prog() ? Prog()->ProcedureIndex(name) : -1; }

int ProcedurePosition(const AnsiString& name) { return Prog() ? Prog()->ProcedurePosition(name) : -1; }

AnsiString ProcedureNames() { return Prog() ? Prog()->ProcedureNames() : AnsiString(); }

int ProcedureCount() { return Prog() ? Prog()->ProcedureCount() : 0; }

bool CheckProcedure(const AnsiString& name) {
  TProg* prog = Prog();
  if (!prog) {
    ShowUseProgInit();
    return false;
  }
  InteractiveErrors = false;
  const bool result = GuardedRun([&] { return prog->ExecuteProgram(false, name); });
  InteractiveErrors = false;
  return result;
}

bool RunProcedure(const AnsiString& name, bool highlight) {
  TProg* prog = Prog();
  if (!prog) {
    ShowUseProgInit();
    return false;
  }
  InteractiveErrors = true;
  TProgEditor& editor = prog->Editor();
  const TColor background = editor.BackgroundColour();
  if (highlight) editor.SetBackgroundColour(clAqua);
  const bool result = GuardedRun([&] { return prog->ExecuteProgram(true, name); });
  if (highlight) editor.SetBackgroundColour(background);
  InteractiveErrors = false;
  return result;
}

void ReportProgramError(const AnsiString& message) {
  DebugState = dsRun;
  AnsiString text = message;
  const size_t marker = text.find("\xFF\xFE");
  if (marker != AnsiString::npos) text.replace(marker, 2, ":=");
  const TProg* prog = ActiveProg();
  const int line = prog ? prog->CurrentLine() : -1;
  const int position = prog ? prog->CurrentPosition() : -1;
  text += "\rError at line: " + IntToStr(line);
  LastScriptError = TLastScriptError{text, line, position};
  ReportScriptError(text);
}

AnsiString EvaluateStatementText(AnsiString text) {
  const IValuePtr value = ParseScriptText(text);
  if (value) return value->ReadString();
  ReportProgramError("Error program interpreter");
  return AnsiString();
}

void UseDialogServiceForScriptErrors() {
  SetScriptErrorDialog([](const AnsiString& text, bool askStop) {
    return MessageDlg(text, mtError, askStop ? mbYesNo : TMsgDlgButtons{mbOK}) == mrYes;
  });
}
