#include "Dialogs.h"

#include <cstdio>

#include "CodePage.h"

DEFINE_ENUM_TYPE(TMsgDlgType, "mtWarning,mtError,mtInformation,mtConfirmation,mtCustom")
DEFINE_ENUM_TYPE(TMsgDlgBtn, "mbYes,mbNo,mbOK,mbCancel,mbAbort,mbRetry,mbIgnore,mbAll,mbNoToAll,mbYesToAll,mbHelp")
DEFINE_ENUM_TYPE(TOpenOption,
                 "ofReadOnly,ofOverwritePrompt,ofHideReadOnly,ofNoChangeDir,ofShowHelp,ofNoValidate,"
                 "ofAllowMultiSelect,ofExtensionDifferent,ofPathMustExist,ofFileMustExist,ofCreatePrompt,"
                 "ofShareAware,ofNoReadOnlyReturn,ofNoTestFileCreate,ofNoNetworkButton,ofNoLongNames,"
                 "ofOldStyleDialog,ofNoDereferenceLinks,ofEnableIncludeNotify,ofEnableSizing")
DEFINE_SET_TYPE(TOpenOptions, TOpenOption)

namespace {

std::unique_ptr<TDialogHandler>& InstalledHandler() {
  static std::unique_ptr<TDialogHandler> handler = std::make_unique<TBatchDialogHandler>();
  return handler;
}

TModalResult ResultOfButton(TMsgDlgBtn button) {
  static const TModalResult results[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore,
                                         mrAll, mrNo, mrYes, mrNone};
  return results[button];
}

void WriteToStderr(const AnsiString& text) {
  std::fprintf(stderr, "%s\n", AnsiToUtf8(text).c_str());
  std::fflush(stderr);
}

}  // namespace

TModalResult TBatchDialogHandler::MessageDlg(const AnsiString& text, TMsgDlgType, TMsgDlgButtons buttons) {
  WriteToStderr(text);
  if (buttons.Contains(mbYes)) return mrYes;
  if (buttons.Contains(mbOK) || buttons.Empty()) return mrOk;
  for (int b = mbYes; b <= mbHelp; ++b)
    if (buttons.Contains(TMsgDlgBtn(b))) return ResultOfButton(TMsgDlgBtn(b));
  return mrOk;
}

void TBatchDialogHandler::ShowMessage(const AnsiString& text) { WriteToStderr(text); }

TModalResult TRecordingDialogHandler::MessageDlg(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
  Records.push_back({dkMessageDlg, text, type, buttons});
  if (Answers.empty()) return DefaultAnswer;
  TModalResult answer = Answers.front();
  Answers.pop_front();
  return answer;
}

void TRecordingDialogHandler::ShowMessage(const AnsiString& text) { Records.push_back({dkShowMessage, text, mtCustom, {}}); }

void TRecordingDialogHandler::Beep() { Records.push_back({dkBeep, AnsiString(), mtCustom, {}}); }

bool TRecordingDialogHandler::ExecuteFileDialog(TOpenDialog& dialog, bool save) {
  Records.push_back({dkFileDialog, dialog.Title(), save ? mtConfirmation : mtInformation, {}});
  if (FileAnswers.empty()) return false;
  dialog.SetFileName(FileAnswers.front());
  dialog.Files()->Clear();
  dialog.Files()->Add(FileAnswers.front());
  FileAnswers.pop_front();
  return true;
}

std::vector<AnsiString> TRecordingDialogHandler::Texts() const {
  std::vector<AnsiString> texts;
  for (const TRecord& r : Records)
    if (r.Kind == dkMessageDlg || r.Kind == dkShowMessage) texts.push_back(r.Text);
  return texts;
}

TDialogHandler& DialogHandler() { return *InstalledHandler(); }

std::unique_ptr<TDialogHandler> SetDialogHandler(std::unique_ptr<TDialogHandler> handler) {
  if (!handler) handler = std::make_unique<TBatchDialogHandler>();
  std::swap(InstalledHandler(), handler);
  return handler;
}

TDialogHandlerScope::TDialogHandlerScope(std::unique_ptr<TDialogHandler> handler)
    : FPrevious(SetDialogHandler(std::move(handler))) {}

TDialogHandlerScope::~TDialogHandlerScope() { SetDialogHandler(std::move(FPrevious)); }

TModalResult MessageDlg(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
  return DialogHandler().MessageDlg(text, type, buttons);
}
void ShowMessage(const AnsiString& text) { DialogHandler().ShowMessage(text); }
void MessageBeep() { DialogHandler().Beep(); }

// ---------------------------------------------------------------------------

BEGIN_CLASS(TOpenDialog) {
  b.Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
  b.Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
  b.Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
  b.Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
  b.Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
  b.Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions).Default(TOpenOptions{ofHideReadOnly});
  b.Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
}

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner), FFiles(std::make_unique<TStringList>()) {}
TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() { return DialogHandler().ExecuteFileDialog(*this, false); }

BEGIN_CLASS(TSaveDialog) {}

bool TSaveDialog::Execute() { return DialogHandler().ExecuteFileDialog(*this, true); }
