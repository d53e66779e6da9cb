// The dialog service: every message box, question, beep and modal file
// dialog goes through one replaceable handler. The widget layer installs one
// that shows real dialogs; without it the batch handler writes to standard
// error; tests install TRecordingDialogHandler.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "Forms.h"
#include "TStringList.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
DECLARE_ENUM_TYPE(TMsgDlgType);
DECLARE_ENUM_TYPE(TMsgDlgBtn);
inline constexpr TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

class TOpenDialog;

class TDialogHandler {
public:
  virtual ~TDialogHandler() = default;
  // Answers the modal result of the button pressed.
  virtual TModalResult MessageDlg(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons) = 0;
  virtual void ShowMessage(const AnsiString& text) = 0;
  virtual void Beep() = 0;
  // Fills the dialog's FileName (and Files) and answers true when the user chose.
  virtual bool ExecuteFileDialog(TOpenDialog& /*dialog*/, bool /*save*/) { return false; }
};

// Writes every text to standard error; answers Yes when offered (so a
// question to stop a run stops it), else OK, else the first button.
class TBatchDialogHandler : public TDialogHandler {
public:
  TModalResult MessageDlg(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
  void ShowMessage(const AnsiString& text) override;
  void Beep() override {}
};

// Records everything it was asked and answers from a queue.
class TRecordingDialogHandler : public TDialogHandler {
public:
  enum TKind { dkMessageDlg, dkShowMessage, dkBeep, dkFileDialog };
  struct TRecord {
    TKind Kind;
    AnsiString Text;
    TMsgDlgType Type = mtCustom;
    TMsgDlgButtons Buttons;
  };

  TModalResult MessageDlg(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
  void ShowMessage(const AnsiString& text) override;
  void Beep() override;
  bool ExecuteFileDialog(TOpenDialog& dialog, bool save) override;

  // The texts shown, in order (messages and questions alike).
  std::vector<AnsiString> Texts() const;

  std::deque<TModalResult> Answers;       // for MessageDlg; empty gives DefaultAnswer
  TModalResult DefaultAnswer = mrNone;
  std::deque<AnsiString> FileAnswers;     // for file dialogs; empty means cancelled
  std::vector<TRecord> Records;
};

// The installed handler (the batch handler until one is set).
TDialogHandler& DialogHandler();
// Installs a handler and gives back the previous one; nullptr restores the batch handler.
std::unique_ptr<TDialogHandler> SetDialogHandler(std::unique_ptr<TDialogHandler> handler);

// Installs a handler for the lifetime of the scope.
class TDialogHandlerScope {
public:
  explicit TDialogHandlerScope(std::unique_ptr<TDialogHandler> handler);
  ~TDialogHandlerScope();
  TDialogHandlerScope(const TDialogHandlerScope&) = delete;
  TDialogHandlerScope& operator=(const TDialogHandlerScope&) = delete;

private:
  std::unique_ptr<TDialogHandler> FPrevious;
};

TModalResult MessageDlg(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons);
void ShowMessage(const AnsiString& text);
void MessageBeep();

// ---------------------------------------------------------------------------

enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
  ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
  ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
  ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing
};
using TOpenOptions = TSet<TOpenOption>;
DECLARE_ENUM_TYPE(TOpenOption);
DECLARE_SET_TYPE(TOpenOptions);

// A file-open dialog; Execute asks the dialog service.
class TOpenDialog : public TComponent {
  DECLARE_CLASS(TOpenDialog, TComponent)
public:
  explicit TOpenDialog(TComponent* owner);
  ~TOpenDialog() override;

  const AnsiString& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const AnsiString& ext) { FDefaultExt = ext; }
  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& name) { FFileName = name; }
  // "Text|*.txt|All|*.*"
  const AnsiString& Filter() const { return FFilter; }
  void SetFilter(const AnsiString& filter) { FFilter = filter; }
  int32_t FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int32_t index) { FFilterIndex = index; }
  const AnsiString& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const AnsiString& dir) { FInitialDir = dir; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions options) { FOptions = options; }
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& title) { FTitle = title; }
  // The chosen files of a multiple selection.
  TStrings* Files() const { return FFiles.get(); }

  virtual bool Execute();

private:
  AnsiString FDefaultExt, FFileName, FFilter, FInitialDir, FTitle;
  int32_t FFilterIndex = 1;
  TOpenOptions FOptions{ofHideReadOnly};
  std::unique_ptr<TStringList> FFiles;
};

class TSaveDialog : public TOpenDialog {
  DECLARE_CLASS(TSaveDialog, TOpenDialog)
public:
  using TOpenDialog::TOpenDialog;
  bool Execute() override;
};
