// Shared helpers of the script tests: evaluate a text, catch its error text.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "prExpr.h"

// Each test starts with an empty variable store, raising errors and fixed
// format settings, whatever the machine's locale says.
class ScriptTest : public ::testing::Test {
protected:
  void SetUp() override {
    GlobalExprVar().Clear();
    InteractiveErrors = false;
    StopRequested = false;
    FSavedSettings = FormatSettings();
    TFormatSettings& fs = FormatSettings();
    fs.DecimalSeparator = ',';  // the script must not depend on it
    fs.ThousandSeparator = ' ';
    fs.DateSeparator = '.';
    fs.TimeSeparator = ':';
    fs.ShortDateFormat = "dd.mm.yyyy";
    fs.LongTimeFormat = "hh:nn:ss";
  }
  void TearDown() override {
    FormatSettings() = FSavedSettings;
    InteractiveErrors = false;
    StopRequested = false;
    SetScriptErrorDialog(nullptr);
    GlobalExprVar().Clear();
  }

  // The value of a statement text read as a string.
  static std::string Eval(const std::string& text) {
    IValuePtr value = ParseScriptText(text);
    if (!value) throw std::runtime_error("no value for " + text);
    return value->ReadString();
  }
  // The kind name and the string of a statement text.
  static std::string KindOf(const std::string& text) { return ValueKindName(ParseScriptText(text)->ValueKind()); }

  // The message of whatever error the text raises while parsed and read as a string.
  static std::string ErrorOf(const std::string& text) {
    try {
      IValuePtr value = ParseScriptText(text);
      if (value) value->ReadString();
    } catch (const Exception& e) {
      return e.Message;
    }
    return "<no error>";
  }

private:
  TFormatSettings FSavedSettings;
};

// Answers the interactive question from a queue and records every text shown.
struct TQueuedDialog {
  std::deque<bool> Answers;
  std::vector<std::string> Shown;
  void Install() {
    SetScriptErrorDialog([this](const AnsiString& text, bool) {
      Shown.push_back(text);
      bool answer = Answers.empty() ? false : Answers.front();
      if (!Answers.empty()) Answers.pop_front();
      return answer;
    });
  }
};
