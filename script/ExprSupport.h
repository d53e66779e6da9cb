// Helpers shared by the expression sources: message texts, float handling
// with the script's decimal point, and the guards against runaway input.
#pragma once

#include <initializer_list>

#include "prExpr.h"

namespace ExprMsg {
// Parser
inline constexpr const char* NotAllowedHere = "%s not allowed here";
inline constexpr const char* InvalidSubExpression = "invalid sub-expression";
inline constexpr const char* CloseExpected = " ) expected";
inline constexpr const char* BadParameters = "Incorrectly formed parameters";
inline constexpr const char* UnknownIdentifier = "Unknown Identifier %s";
inline constexpr const char* InvalidParametersTo = "Invalid parameters to %s";
inline constexpr const char* UnexpectedEnd = "Unexpected end of factor";
inline constexpr const char* SyntaxError = "Syntax error";
inline constexpr const char* InvalidPropertyOf = "Invalid property of object %s";
inline constexpr const char* BadNumericFormat = "Bad numeric format";
inline constexpr const char* UnterminatedString = "Unterminated string";
inline constexpr const char* StringTooLong = "String too long";
inline constexpr const char* HexStringTooLong = "Hex string too long";
inline constexpr const char* InvalidHexChar = "Invalid char in hex number";
inline constexpr const char* NotAppropriate = "%s not appropriate";
inline constexpr const char* NestedTooDeeply = "Expression nested too deeply";
inline constexpr const char* StopQuestion = "Do you want to stop program ?";
// Nodes
inline constexpr const char* CannotReadFloat = "Cannot read %s as Float";
inline constexpr const char* CannotReadInteger = "Cannot read %s as Integer";
inline constexpr const char* CannotReadBoolean = "Cannot read %s as boolean";
inline constexpr const char* CannotReadObject = "Cannot read %s as object";
inline constexpr const char* NoTypeInfo = "Cannot provide TypeInfo for %s";
inline constexpr const char* TypeIncompatible = "Type %s is incompatible with type %s";
inline constexpr const char* OperatorIncompatible = "Operator %s incompatible with %s";
inline constexpr const char* BooleanOperands = "cannot apply %s to boolean operands";
inline constexpr const char* NotUnary = "%s is not simple unary operator";
inline constexpr const char* NotBinary = "%s is not a simple binary operator";
inline constexpr const char* NotRelational = "%s is not relational operator";
inline constexpr const char* InternalError = "Internal parser error. Code %d";
inline constexpr const char* NotPublished = "%s is not published property of %s";
inline constexpr const char* UnsupportedProperty = "Property %s unsupported type";
inline constexpr const char* CastToEnumerated = "Cannot cast to enumerated";
inline constexpr const char* InvalidCastParameters = "Invalid parameters to typecast";
inline constexpr const char* CannotConvertFloat = "Cannot convert %s to float";
inline constexpr const char* CannotConvertInteger = "Cannot convert %s to integer";
inline constexpr const char* CannotConvertBoolean = "Cannot convert %s to Boolean";
inline constexpr const char* IffCount = "IFF must have 3 parameters";
inline constexpr const char* IffFirstBoolean = "First parameter to IFF must be Boolean";
inline constexpr const char* IffSameType = "IFF options must be the same type";
// Variables and general functions
inline constexpr const char* EmptyIdentifier = "Identificator Name is empty";
inline constexpr const char* ErrorTypeOrValue = "Error type or value";
inline constexpr const char* ErrorPrimaryChar = "Identificator %s - error primary char";
inline constexpr const char* ErrorCharacters = "Identificator %s - error characters";
inline constexpr const char* UnknownVariable = "Unknown %s variable";
inline constexpr const char* EmptyVariableName = "Empty %s variable name";
inline constexpr const char* EmptyTypeName = "Empty type name";
inline constexpr const char* UnknownType = "Unknown %s type";
inline constexpr const char* NotAvailable = "Function %s is not available";
inline constexpr const char* FloatOverflow = "Floating point overflow";
}  // namespace ExprMsg

// Reports a message built by Format.
void ReportScriptErrorFmt(const char* format, std::initializer_list<TVarRec> args);

// Float text with '.' as the decimal separator whatever the settings say.
AnsiString ScriptFloatToStr(double value);
double ScriptStrToFloat(const AnsiString& text);  // platform conversion error on failure
bool ScriptTryStrToFloat(const AnsiString& text, double& value);
// Fixed notation with that many decimals, '.' as the point.
AnsiString FixedText(double value, int decimals);

// Float results pass through here: a NaN or an infinity raises the platform's
// floating-point error, as the processor's exceptions would.
double CheckFloat(double value);
double CheckedDivide(double left, double right);
double CheckedLn(double value);
// Rounds (ties to even) or truncates to the 32-bit wrap-around integer; a
// value beyond 64 bits raises the invalid-operation error.
int32_t RoundToInt32(double value);
int32_t TruncToInt32(double value);

// Strings built by the script stay below this length ("String too long").
inline constexpr size_t MaxScriptString = 64u * 1024u * 1024u;
// False (after the report returned) when a string of that length would be too long.
bool ScriptStringFits(size_t length);

// Letters of identifiers and variable names.
inline bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
inline bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9') || c == '.'; }

// Counts statement texts being parsed or evaluated inside one another (EVAL
// of a variable that holds EVAL of itself); too many are refused with a report.
class TScriptTextNest {
public:
  TScriptTextNest();
  ~TScriptTextNest();
  TScriptTextNest(const TScriptTextNest&) = delete;
  TScriptTextNest& operator=(const TScriptTextNest&) = delete;
  bool Allowed() const { return FAllowed; }

private:
  bool FAllowed;
};

// The general functions of components, collected components, the script
// file, the user interface and the script host, by function number.
AnsiString EvalGeneralString(int number, TFunction& function);
int32_t EvalGeneralInteger(int number, TFunction& function);
bool EvalGeneralBoolean(int number, TFunction& function);
// MODIFY of a dotted name: writes the property of the default form.
bool ModifyProperty(const AnsiString& name, const AnsiString& value);

// The bridge over the class library's run-time type information (the default).
std::shared_ptr<TObjectBridge> MakeRttiObjectBridge();
