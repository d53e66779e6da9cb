// Shared fixture of the program interpreter tests: a headless editor, the
// recording dialog handler behind the script's error reporter and clean
// debugger state.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "Prog.h"
#include "ScriptTestSupport.h"

class ProgTest : public ScriptTest {
protected:
  void SetUp() override {
    ScriptTest::SetUp();
    auto handler = std::make_unique<TRecordingDialogHandler>();
    FDialogs = handler.get();
    FDialogs->DefaultAnswer = mrNo;
    FScope = std::make_unique<TDialogHandlerScope>(std::move(handler));
    UseDialogServiceForScriptErrors();
    ResetDebugger();
  }
  void TearDown() override {
    ProgFree();
    Application()->ProcessMessagesHook = nullptr;
    ResetDebugger();
    FScope.reset();
    ScriptTest::TearDown();
  }
  static void ResetDebugger() {
    DebugState = dsRun;
    RunToLine = 0;
    Breakpoints.clear();
    DebugPaused = false;
  }

  // Binds the program to the editor and scans it; scan errors are raised.
  void Load(const std::string& text) {
    FEditor.SetText(text);
    ProgInit(FEditor);
  }
  // Every text the dialog service was shown, in order.
  std::vector<std::string> Shown() const {
    std::vector<std::string> texts;
    for (const auto& record : FDialogs->Records)
      if (record.Kind != TRecordingDialogHandler::dkBeep) texts.push_back(record.Text);
    return texts;
  }
  static std::string Var(const std::string& name) { return GlobalExprVar().VariableText(name); }
  static void Ints(std::initializer_list<const char*> names) {
    for (const char* name : names) GlobalExprVar().SetVariable(name, "0", vkInteger);
  }

  TPlainTextEditor FEditor;
  TRecordingDialogHandler* FDialogs = nullptr;

private:
  std::unique_ptr<TDialogHandlerScope> FScope;
};

// The text of an interpreter error as the stop question shows it.
inline std::string Asked(const std::string& message, int line) {
  return message + "\rError at line: " + std::to_string(line) + "\rDo you want to stop program ?";
}
