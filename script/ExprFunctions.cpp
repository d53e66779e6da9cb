// The general built-in functions: their names, kinds and parameter rules, and
// the evaluation of those that this build provides.
#include <array>
#include <cstring>

#include "ExprSupport.h"

namespace {

// Parameter rules, one letter a parameter: T text, I exact integer, N number
// read as an integer, F number read as a float, B exact boolean, L a value
// readable as a boolean. A '|' starts the optional parameters.
struct TGeneralFunction {
  const char* Name;
  TValueKind Kind;
  const char* Parameters;
  bool Available;
};

constexpr TValueKind S = vkString, I = vkInteger, F = vkFloat, B = vkBoolean;

constexpr std::array<TGeneralFunction, 82> Functions = {{
    {"LF", S, "", true},
    {"UPPER", S, "T", true},
    {"LOWER", S, "T", true},
    {"COPY", S, "TII", true},
    {"POS", I, "TT", true},
    {"LENGTH", I, "T", true},
    {"PROP", S, "T|T", true},
    {"PROPEXIST", B, "T|T", true},
    {"COMPEXIST", B, "T|T", true},
    {"CLASSNAME", S, "T|T", true},
    {"CHAR", S, "T", true},
    {"ASCII", I, "T", true},
    {"NUM", S, "TN", true},
    {"TRIM", S, "T", true},
    {"TRIMLEFT", S, "T", true},
    {"TRIMRIGHT", S, "T", true},
    {"DELETE", S, "TII", true},
    {"INSERT", S, "TTN", true},
    {"REPLACE", S, "TTT", true},
    {"REPLACESENSITIVE", S, "TTT", true},
    {"ABCOPY", S, "TII", true},
    {"LASTPOS", I, "TT", true},
    {"NEXTPOS", I, "TTN", true},
    {"DELSPACES", S, "T", true},
    {"FILEEXISTS", B, "T", true},
    {"YEAR", I, "T", true},
    {"MONTH", I, "T", true},
    {"DAY", I, "T", true},
    {"DATESEPAR", I, "", true},
    {"DECIMALSEPAR", I, "", true},
    {"REVERSE", S, "T", true},
    {"DATE", S, "", true},
    {"TIME", S, "", true},
    {"VAREXIST", B, "T", true},
    {"MODIFY", B, "TT", true},
    {"VARFREE", B, "T", true},
    {"EVAL", S, "T", true},
    {"TEXTEVAL", S, "T", true},
    {"VARADD", B, "TT", true},
    {"SHOWMESSAGE", B, "T", true},
    {"ADDTOC", B, "T", true},
    {"CLEARC", B, "", true},
    {"SETC", B, "T", true},
    {"COUNTC", I, "", true},
    {"CURRENTDIR", S, "", true},
    {"ERROR", B, "T", true},
    {"CREATE_SIMPLE_REPORT", B, "", true},
    {"CREATE_MASTERDETAIL_REPORT", B, "TT", true},
    {"CREATE", S, "TT", true},
    {"INIT", B, "", true},
    {"STRTODATE", I, "T", true},
    {"STRTOTIME", F, "T", true},
    {"STRTODATETIME", F, "T", true},
    {"DATETOSTR", S, "F", true},
    {"TIMETOSTR", S, "F", true},
    {"DATETIMETOSTR", S, "F", true},
    {"TOLEFT", S, "TTN", true},
    {"TORIGHT", S, "TTN", true},
    {"TOCENTER", S, "TTN", true},
    {"CREATEFILE", B, "T", true},
    {"OPENFILE", B, "T", true},
    {"FILESIZE", I, "", true},
    {"EOF", B, "", true},
    {"FILEPOS", I, "", true},
    {"SEEK", B, "N", true},
    {"WRITE", B, "T", true},
    {"WRITELN", B, "T", true},
    {"READLN", S, "", true},
    {"READ", S, "N", true},
    {"CLOSEFILE", B, "", true},
    {"INPUTCLEAR", B, "", true},
    {"INPUTBEGIN", B, "", true},
    {"INPUTEND", B, "", true},
    {"INPUTOK", B, "", true},
    {"INPUTFIELD", B, "N", true},
    {"RUN", B, "TBB", true},
    {"PROCESSMESSAGES", B, "", true},
    {"HOURGLASS", B, "", true},
    {"DEFAULT", B, "", true},
    {"CLOSEALL", B, "", true},
    {"TOCLIPBOARD", B, "T", true},
    {"SETMODIFY", B, "L", true},
}};

enum : int {
  fnLf = 0, fnUpper, fnLower, fnCopy, fnPos, fnLength,
  fnChar = 10, fnAscii, fnNum, fnTrim, fnTrimLeft, fnTrimRight, fnDelete, fnInsert, fnReplace,
  fnReplaceSensitive, fnAbCopy, fnLastPos, fnNextPos, fnDelSpaces,
  fnYear = 25, fnMonth, fnDay, fnDateSepar, fnDecimalSepar, fnReverse, fnDate, fnTime,
  fnVarExist, fnModify, fnVarFree, fnEval, fnVarAdd = 38,
  fnStrToDate = 50, fnStrToTime, fnStrToDateTime, fnDateToStr, fnTimeToStr, fnDateTimeToStr,
  fnToLeft, fnToRight, fnToCenter
};

bool ParameterFits(const IValuePtr& value, char rule) {
  switch (rule) {
    case 'T': return value->CanRead(vkString);
    case 'I': return value->ValueKind() == vkInteger;
    case 'N': return value->CanRead(vkInteger);
    case 'F': return value->CanRead(vkFloat);
    case 'B': return value->ValueKind() == vkBoolean;
    case 'L': return value->CanRead(vkBoolean);
    default: return false;
  }
}

// ---------------------------------------------------------------------------
// String helpers

AnsiString Reversed(const AnsiString& s) { return AnsiString(s.rbegin(), s.rend()); }

AnsiString WithoutSpaces(const AnsiString& s) {
  AnsiString result;
  result.reserve(s.size());
  for (char c : s)
    if (c != ' ') result += c;
  return result;
}

int LastPos(const AnsiString& sub, const AnsiString& s) {
  if (sub.empty() || sub.size() > s.size()) return 0;
  const size_t at = s.rfind(sub);
  return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

int NextPos(const AnsiString& sub, const AnsiString& s, int from) {
  if (sub.empty() || from > static_cast<int>(s.size())) return 0;
  const size_t at = s.find(sub, static_cast<size_t>(std::max(from, 1) - 1));
  return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

size_t CountOccurrences(const AnsiString& s, const AnsiString& sub) {
  size_t count = 0;
  for (size_t at = s.find(sub); at != AnsiString::npos; at = s.find(sub, at + sub.size())) ++count;
  return count;
}

AnsiString ReplaceAll(const AnsiString& s, const AnsiString& oldText, const AnsiString& newText, bool ignoreCase) {
  if (oldText.empty()) return s;
  const size_t count = ignoreCase ? CountOccurrences(AnsiUpperCase(s), AnsiUpperCase(oldText))
                                  : CountOccurrences(s, oldText);
  if (count == 0) return s;
  if (newText.size() > oldText.size() &&
      !ScriptStringFits(s.size() + count * (newText.size() - oldText.size())))
    return AnsiString();
  return StringReplace(s, oldText, newText, rfReplaceAll | (ignoreCase ? rfIgnoreCase : 0u));
}

enum class TPad { Left, Right, Center };

// TOLEFT, TORIGHT, TOCENTER: fill around s until n characters are reached, then the first n.
AnsiString Padded(const AnsiString& s, const AnsiString& fill, int32_t n, TPad side) {
  if (n <= 0 || (s.empty() && fill.empty())) return AnsiString();
  const size_t target = static_cast<size_t>(n);
  if (fill.empty() || s.size() >= target) return s.substr(0, target);
  if (!ScriptStringFits(target + 2 * fill.size())) return AnsiString();
  const size_t step = side == TPad::Center ? 2 * fill.size() : fill.size();
  const size_t rounds = (target - s.size() + step - 1) / step;
  AnsiString copies;
  copies.reserve(rounds * fill.size());
  for (size_t i = 0; i < rounds; ++i) copies += fill;
  AnsiString result;
  switch (side) {
    case TPad::Left: result = s + copies; break;
    case TPad::Right: result = copies + s; break;
    case TPad::Center: result = copies + s + copies; break;
  }
  result.resize(target);
  return result;
}

// NUM: blanks between thousands and a decimal comma; negative digits zero
// that many places before the point.
AnsiString FormatNum(AnsiString text, int32_t digits) {
  if (auto comma = text.find(','); comma != AnsiString::npos) text[comma] = '.';
  text = WithoutSpaces(Trim(text));
  double value = 0;
  if (!ScriptTryStrToFloat(text, value)) value = 0;
  AnsiString result = FixedText(value, digits >= 0 ? std::min(digits, 18) : 1);
  size_t point = result.find('.');
  if (digits < 0) {
    size_t end = point == AnsiString::npos ? result.size() : point;
    for (int32_t k = 0; k < -static_cast<int64_t>(digits) && end > 0 && result[end - 1] >= '0' && result[end - 1] <= '9'; ++k)
      result[--end] = '0';
  }
  if (point != AnsiString::npos) result[point] = ',';
  const size_t q = point == AnsiString::npos ? result.size() + 1 : point + 1;
  if (q > 4) result.insert(q - 4, 1, ' ');
  if (q > 7) result.insert(q - 7, 1, ' ');
  if (digits >= 0) {
    if (!result.empty() && result.back() == ',') result.pop_back();
  } else if (auto comma = result.find(','); comma != AnsiString::npos) {
    result.resize(comma + 1);
  }
  return result;
}

int DatePart(const AnsiString& text, int part) {
  TDateTime value = 0;
  if (!TryStrToDate(text, value)) return 0;
  int year = 0, month = 0, day = 0;
  DecodeDate(value, year, month, day);
  return part == 0 ? year : part == 1 ? month : day;
}

// Splits a comma-separated list of names: a final comma is implied.
std::vector<AnsiString> SplitNames(AnsiString names) {
  if (names.empty() || names.back() != ',') names += ',';
  std::vector<AnsiString> result;
  size_t start = 0;
  for (size_t comma = names.find(','); comma != AnsiString::npos; comma = names.find(',', start)) {
    result.push_back(Trim(names.substr(start, comma - start)));
    start = comma + 1;
  }
  return result;
}

bool Modify(const AnsiString& name, const AnsiString& value) {
  if (name.find('.') != AnsiString::npos) {
    return ModifyProperty(name, value);
  }
  TExprVar& vars = GlobalExprVar();
  if (!vars.VariableExists(name)) {
    ReportScriptErrorFmt(ExprMsg::UnknownVariable, {name});
    return false;
  }
  vars.SetVariable(name, value, vars.VariableKind(name));
  return true;
}

bool VarFree(const AnsiString& names) {
  if (names.empty()) {
    ReportScriptErrorFmt(ExprMsg::EmptyVariableName, {names});
    return false;
  }
  for (const AnsiString& name : SplitNames(names)) GlobalExprVar().FreeVariable(name);
  return true;
}

bool VarAdd(const AnsiString& names, const AnsiString& typeText) {
  const AnsiString type = AnsiUpperCase(typeText);
  if (type.empty()) {
    ReportScriptError(ExprMsg::EmptyTypeName);
    return false;
  }
  TValueKind kind;
  AnsiString initial;
  switch (type[0]) {
    case 'B': kind = vkBoolean; initial = "FALSE"; break;
    case 'F': kind = vkFloat; initial = "0.0"; break;
    case 'I': kind = vkInteger; initial = "0"; break;
    case 'S': kind = vkString; break;
    default:
      ReportScriptErrorFmt(ExprMsg::UnknownType, {type});
      return false;
  }
  if (names.empty()) {
    ReportScriptErrorFmt(ExprMsg::EmptyVariableName, {names});
    return false;
  }
  for (const AnsiString& name : SplitNames(names)) GlobalExprVar().SetVariable(name, initial, kind);
  return true;
}

}  // namespace

int GeneralFunctionNumber(const AnsiString& upperName) {
  for (size_t i = 0; i < Functions.size(); ++i)
    if (upperName == Functions[i].Name) return static_cast<int>(i);
  return -1;
}

const char* GeneralFunctionName(int number) {
  return number >= 0 && number < static_cast<int>(Functions.size()) ? Functions[static_cast<size_t>(number)].Name : "";
}

bool GeneralFunctionAvailable(int number) {
  return number >= 0 && number < static_cast<int>(Functions.size()) && Functions[static_cast<size_t>(number)].Available;
}

TValueKind TStringExpression::ValueKind() { return Functions[static_cast<size_t>(FNumber)].Kind; }

bool TStringExpression::ParametersValid() {
  const char* rules = Functions[static_cast<size_t>(FNumber)].Parameters;
  const char* optional = std::strchr(rules, '|');
  const int required = static_cast<int>(optional ? optional - rules : std::strlen(rules));
  const int count = ParameterCount();
  if (count < required || count > required + (optional ? static_cast<int>(std::strlen(optional + 1)) : 0)) return false;
  for (int i = 0; i < count; ++i) {
    const char rule = i < required ? rules[i] : optional[1 + i - required];
    if (!ParameterFits(Parameter(i), rule)) return false;
  }
  return true;
}

AnsiString TStringExpression::Text(int index) { return Parameter(index)->ReadString(); }
int32_t TStringExpression::Int(int index) { return Parameter(index)->ReadInteger(); }

AnsiString TStringExpression::ReadString() {
  if (FNumber == fnDateSepar) return AnsiString(1, FormatSettings().DateSeparator);
  if (FNumber == fnDecimalSepar) return AnsiString(1, FormatSettings().DecimalSeparator);
  if (ValueKind() != vkString) return TExpression::ReadString();
  if (!GeneralFunctionAvailable(FNumber)) {
    ReportScriptErrorFmt(ExprMsg::NotAvailable, {GeneralFunctionName(FNumber)});
    return AnsiString();
  }
  return EvalString();
}

int32_t TStringExpression::ReadInteger() {
  if (ValueKind() != vkInteger) return TExpression::ReadInteger();
  if (!GeneralFunctionAvailable(FNumber)) {
    ReportScriptErrorFmt(ExprMsg::NotAvailable, {GeneralFunctionName(FNumber)});
    return 0;
  }
  return EvalInteger();
}

bool TStringExpression::ReadBoolean() {
  if (ValueKind() != vkBoolean) return TExpression::ReadBoolean();
  if (!GeneralFunctionAvailable(FNumber)) {
    ReportScriptErrorFmt(ExprMsg::NotAvailable, {GeneralFunctionName(FNumber)});
    return false;
  }
  return EvalBoolean();
}

double TStringExpression::ReadFloat() {
  if (FNumber == fnStrToTime) return StrToTime(Text(0));
  if (FNumber == fnStrToDateTime) return StrToDateTime(Text(0));
  return TExpression::ReadFloat();
}

AnsiString TStringExpression::EvalString() {
  switch (FNumber) {
    case fnLf: return "\r\n";
    case fnUpper: return AnsiUpperCase(Text(0));
    case fnLower: return AnsiLowerCase(Text(0));
    case fnCopy: {
      const AnsiString s = Text(0);
      const int32_t index = Int(1);
      return Copy(s, index, Int(2));
    }
    case fnChar: {
      const int64_t code = Int(0);
      return AnsiString(1, static_cast<char>((code < 0 ? -code : code) % 256));
    }
    case fnNum: {
      const AnsiString s = Text(0);
      return FormatNum(s, Int(1));
    }
    case fnTrim: return Trim(Text(0));
    case fnTrimLeft: return TrimLeft(Text(0));
    case fnTrimRight: return TrimRight(Text(0));
    case fnDelete: {
      AnsiString s = Text(0);
      const int32_t index = Int(1);
      Delete(s, index, Int(2));
      return s;
    }
    case fnInsert: {
      const AnsiString sub = Text(0);
      AnsiString s = Text(1);
      const int32_t index = Int(2);
      if (!ScriptStringFits(s.size() + sub.size())) return AnsiString();
      Insert(sub, s, index);
      return s;
    }
    case fnReplace:
    case fnReplaceSensitive: {
      const AnsiString s = Text(0);
      const AnsiString oldText = Text(1);
      return ReplaceAll(s, oldText, Text(2), FNumber == fnReplace);
    }
    case fnAbCopy: {
      const AnsiString s = Text(0);
      const int64_t a = Int(1);
      const int64_t b = Int(2);
      if (b < a || a > static_cast<int64_t>(s.size())) return AnsiString();
      return Copy(s, static_cast<int>(a), static_cast<int>(std::min<int64_t>(b - a + 1, INT32_MAX)));
    }
    case fnDelSpaces: return WithoutSpaces(Text(0));
    case fnReverse: return Reversed(Text(0));
    case fnDate: return DateToStr(Date());
    case fnTime: return TimeToStr(Time());
    case fnEval: {
      TScriptTextNest nest;
      if (!nest.Allowed()) return AnsiString();
      const IValuePtr value = ParseScriptText(Text(0));
      return value ? value->ReadString() : AnsiString();
    }
    case fnDateToStr: return DateToStr(Parameter(0)->ReadFloat());
    case fnTimeToStr: return TimeToStr(Parameter(0)->ReadFloat());
    case fnDateTimeToStr: return DateTimeToStr(Parameter(0)->ReadFloat());
    case fnToLeft:
    case fnToRight:
    case fnToCenter: {
      const AnsiString s = Text(0);
      const AnsiString fill = Text(1);
      const TPad side = FNumber == fnToLeft ? TPad::Left : FNumber == fnToRight ? TPad::Right : TPad::Center;
      return Padded(s, fill, Int(2), side);
    }
    default: return EvalGeneralString(FNumber, *this);
  }
}

int32_t TStringExpression::EvalInteger() {
  switch (FNumber) {
    case fnPos: {
      const AnsiString sub = Text(0);
      return Pos(sub, Text(1));
    }
    case fnLength: return static_cast<int32_t>(Text(0).size());
    case fnAscii: {
      const AnsiString s = Text(0);
      return s.empty() ? 0 : static_cast<unsigned char>(s[0]);
    }
    case fnLastPos: {
      const AnsiString sub = Text(0);
      return LastPos(sub, Text(1));
    }
    case fnNextPos: {
      const AnsiString sub = Text(0);
      const AnsiString s = Text(1);
      return NextPos(sub, s, Int(2));
    }
    case fnYear: return DatePart(Text(0), 0);
    case fnMonth: return DatePart(Text(0), 1);
    case fnDay: return DatePart(Text(0), 2);
    case fnDateSepar: return static_cast<unsigned char>(FormatSettings().DateSeparator);
    case fnDecimalSepar: return static_cast<unsigned char>(FormatSettings().DecimalSeparator);
    case fnStrToDate: return TruncToInt32(StrToDate(Text(0)));
    default: return EvalGeneralInteger(FNumber, *this);
  }
}

bool TStringExpression::EvalBoolean() {
  switch (FNumber) {
    case fnVarExist: return GlobalExprVar().VariableExists(Text(0));
    case fnModify: {
      const AnsiString name = Text(0);
      return Modify(name, Text(1));
    }
    case fnVarFree: return VarFree(Text(0));
    case fnVarAdd: {
      const AnsiString names = Text(0);
      return VarAdd(names, Text(1));
    }
    default: return EvalGeneralBoolean(FNumber, *this);
  }
}
