// The command-line runs of program texts, on the headless editor and the
// batch dialogs.
#include "ScriptCommands.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "CodePage.h"
#include "Dialogs.h"
#include "Prog.h"

namespace {

// Console lines end with a line feed whatever the message's carriage returns.
void PrintText(std::FILE* stream, const AnsiString& text) {
  std::string utf8 = AnsiToUtf8(text);
  std::string lines;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') {
      lines += '\n';
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else {
      lines += utf8[i];
    }
  }
  lines += '\n';
  std::fwrite(lines.data(), 1, lines.size(), stream);
  std::fflush(stream);
}

// Messages of the program (SHOWMESSAGE) are its output; everything else is a
// diagnostic. A question is answered Yes when offered (so the stop question
// stops the run), else OK.
class TRunDialogHandler : public TDialogHandler {
public:
  TModalResult MessageDlg(const AnsiString& text, TMsgDlgType, TMsgDlgButtons buttons) override {
    std::fflush(stdout);
    PrintText(stderr, text);
    if (buttons.Contains(mbYes)) return mrYes;
    if (buttons.Contains(mbOK) || buttons.Empty()) return mrOk;
    return buttons.Contains(mbCancel) ? mrCancel : mrNo;
  }
  void ShowMessage(const AnsiString& text) override { PrintText(stdout, text); }
  void Beep() override {}
};

bool ReadProgramFile(const AnsiString& fileName, AnsiString& text) {
  std::ifstream file(fileName, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "vorda: cannot read %s\n", fileName.c_str());
    return false;
  }
  text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

// Binds the program to the editor; a scan error is printed and gives false.
bool LoadProgram(TPlainTextEditor& editor) {
  try {
    ProgInit(editor);
    return true;
  } catch (const Exception& error) {
    PrintText(stderr, error.Message);
    return false;
  }
}

}  // namespace

int RunProgramFile(const AnsiString& fileName, const AnsiString& procedure) {
  AnsiString text;
  if (!ReadProgramFile(fileName, text)) return 2;
  TDialogHandlerScope dialogs(std::make_unique<TRunDialogHandler>());
  UseDialogServiceForScriptErrors();
  TPlainTextEditor editor(text);
  const bool ok = LoadProgram(editor) && RunProcedure(procedure.empty() ? AnsiString("MAIN") : procedure, false);
  ProgFree();
  return ok ? 0 : 1;
}

int CheckProgramFile(const AnsiString& fileName) {
  AnsiString text;
  if (!ReadProgramFile(fileName, text)) return 2;
  TDialogHandlerScope dialogs(std::make_unique<TRunDialogHandler>());
  TPlainTextEditor editor(text);
  bool ok = LoadProgram(editor);
  if (ok) {
    ok = CheckProcedure("MAIN");
    if (!ok) PrintText(stderr, LastScriptError.Text);
  }
  ProgFree();
  return ok ? 0 : 1;
}
