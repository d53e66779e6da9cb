// The application behind the script language. Everything a script asks of the
// report designer and the main window goes through one host that the report
// subsystem installs at start, so that the script stays free of the GUI
// modules. Without a host those calls report "No report host".
#pragma once

#include <memory>

#include "SysUtils.h"

class TComponent;
class TControl;
class TForm;
class TStrings;

class TScriptHost {
public:
  virtual ~TScriptHost() = default;

  // Report documents (for the report members LOAD and SAVE).
  virtual void LoadReport(const AnsiString& fileName) = 0;
  virtual void OpenPackedReport(const AnsiString& fileName) = 0;
  virtual void SaveReport() = 0;
  // The run driver leaves the windows as they are after the running program.
  virtual void SkipRestoreAfterRun() = 0;
  // Shows the main window and the report form.
  virtual void ShowDesigner() = 0;

  // The text with its "{{" ... "}}" templates expanded (TEXTEVAL).
  virtual AnsiString ExpandTemplates(const AnsiString& text) = 0;
  // Binds the report's events to the program's procedures again (INIT).
  virtual void BindReportEvents() = 0;

  // The report form that owns what the user designs; nullptr when none.
  virtual TForm* ReportForm() = 0;
  // Creates a component of the designer kind for the parent control at the
  // screen point (1, 1) and gives its name, empty when none was made (CREATE).
  virtual AnsiString CreateComponent(int designerKind, TControl* parent) = 0;

  // The report creator's generators; the program text is kept.
  virtual void CreateSimpleReport() = 0;
  virtual void CreateMasterDetailReport(const AnsiString& master, const AnsiString& detail) = 0;

  // Allows or forbids changing the report's queries and its program (SETMODIFY).
  virtual void SetModifyAllowed(bool allowed) = 0;

  // The input form (INPUTCLEAR … INPUTFIELD).
  virtual void InputClear() = 0;
  virtual void InputBegin() = 0;
  virtual bool InputFinished() = 0;
  virtual bool InputOk() = 0;
  // The "left" flag of place 1 … 10, cleared by the call.
  virtual bool InputLeft(int place) = 0;

  // Posts a close request to the main window (CLOSEALL).
  virtual void PostCloseRequest() = 0;
  // Empties the clipboard and puts the text on it (TOCLIPBOARD).
  virtual void SetClipboardText(const AnsiString& text) = 0;

  // Starts a command line (RUN). The default starts it through the process
  // layer without a message; the report subsystem shows its start error.
  virtual bool RunProcess(const AnsiString& commandLine, bool wait, bool show);
};

// Installs the process's host and gives back the previous one; nullptr removes it.
std::unique_ptr<TScriptHost> SetScriptHost(std::unique_ptr<TScriptHost> host);
// The installed host or nullptr.
TScriptHost* ScriptHostOrNull();
// The installed host; raises EExpression "No report host" when there is none.
TScriptHost& ScriptHost();

// Starts a command line through the host when one is installed, else through
// the process layer.
bool ScriptRunProcess(const AnsiString& commandLine, bool wait, bool show);

// The container window's list of component names, handed over by the main
// window; nullptr until then. The list stays the caller's.
void SetCollectedComponents(TStrings* list);
TStrings* CollectedComponents();
