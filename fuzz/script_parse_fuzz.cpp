// Arbitrary text through ParseScriptText: only the script's own error and the
// platform's conversion and floating-point errors may come out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "prExpr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InteractiveErrors = false;
  GlobalExprVar().Clear();
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    if (IValuePtr value = ParseScriptText(text)) {
      value->ReadString();
      value->ValueTypeName();
    }
  } catch (const EExpression&) {
  } catch (const EConvertError&) {
  } catch (const EZeroDivide&) {
  } catch (const EInvalidOp&) {
  }
  return 0;
}
