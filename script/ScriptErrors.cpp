// The script's one error reporter and the floating-point and text helpers
// that every node shares.
#include <charconv>
#include <cmath>
#include <cstdio>

#include "CodePage.h"
#include "ExprSupport.h"

bool InteractiveErrors = false;
bool StopRequested = false;

namespace {

TScriptErrorDialog& ErrorDialog() {
  static TScriptErrorDialog dialog;
  return dialog;
}

// Without a user interface the text goes to standard error and the answer is Yes.
bool DefaultErrorDialog(const AnsiString& text, bool /*askStop*/) {
  std::fprintf(stderr, "%s\n", AnsiToUtf8(text).c_str());
  return true;
}

// Sets the decimal separator to '.' for its lifetime.
class TDecimalPoint {
public:
  TDecimalPoint() : FSaved(FormatSettings().DecimalSeparator) { FormatSettings().DecimalSeparator = '.'; }
  ~TDecimalPoint() { FormatSettings().DecimalSeparator = FSaved; }
  TDecimalPoint(const TDecimalPoint&) = delete;
  TDecimalPoint& operator=(const TDecimalPoint&) = delete;

private:
  char FSaved;
};

}  // namespace

void SetScriptErrorDialog(TScriptErrorDialog dialog) { ErrorDialog() = std::move(dialog); }

void ReportScriptError(const AnsiString& message, bool offerStop) {
  if (!InteractiveErrors) throw EExpression(message);
  const AnsiString text = offerStop ? message + "\r" + ExprMsg::StopQuestion : message;
  const TScriptErrorDialog& dialog = ErrorDialog();
  const bool yes = dialog ? dialog(text, offerStop) : DefaultErrorDialog(text, offerStop);
  if (offerStop && yes) {
    StopRequested = true;
    ClosePreviewWindow(false);
  }
}

void ReportScriptErrorFmt(const char* format, std::initializer_list<TVarRec> args) {
  ReportScriptError(Format(format, args));
}

void ClosePreviewWindow(bool /*wait*/) {
  // No preview window class exists yet, so there is nothing to close.
}

AnsiString ScriptFloatToStr(double value) {
  TDecimalPoint point;
  return FloatToStr(value);
}

double ScriptStrToFloat(const AnsiString& text) {
  TDecimalPoint point;
  return StrToFloat(text);
}

bool ScriptTryStrToFloat(const AnsiString& text, double& value) {
  TDecimalPoint point;
  return TryStrToFloat(text, value);
}

AnsiString FixedText(double value, int decimals) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) throw EInvalidOp();
  return AnsiString(buffer, result.ptr);
}

double CheckFloat(double value) {
  if (std::isnan(value)) throw EInvalidOp();
  if (std::isinf(value)) throw EInvalidOp(ExprMsg::FloatOverflow);
  return value;
}

double CheckedDivide(double left, double right) {
  if (right == 0.0) {
    if (left == 0.0) throw EInvalidOp();
    throw EZeroDivide();
  }
  return CheckFloat(left / right);
}

double CheckedLn(double value) {
  if (value < 0.0) throw EInvalidOp();
  if (value == 0.0) throw EZeroDivide();
  return std::log(value);
}

namespace {
int64_t CheckedInt64(double value) {
  // Beyond the 64-bit range the processor's conversion is an invalid operation.
  if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) throw EInvalidOp();
  return static_cast<int64_t>(value);
}
}  // namespace

int32_t RoundToInt32(double value) {
  return static_cast<int32_t>(static_cast<uint32_t>(CheckedInt64(std::nearbyint(value))));
}

int32_t TruncToInt32(double value) {
  return static_cast<int32_t>(static_cast<uint32_t>(CheckedInt64(std::trunc(value))));
}

bool ScriptStringFits(size_t length) {
  if (length <= MaxScriptString) return true;
  ReportScriptError(ExprMsg::StringTooLong);
  return false;
}
