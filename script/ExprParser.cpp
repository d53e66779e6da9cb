// The recursive-descent parser: reads the characters directly and builds the
// value nodes as it goes; and the statement-level entry ParseScriptText.
#include <cstring>
#include <optional>
#include <unordered_map>

#include "ExprSupport.h"

namespace {

// Guards against input that would exhaust the stack: parenthesis and call
// nesting and the depth of the tree built.
constexpr int MaxNesting = 200;
constexpr int MaxTreeDepth = 1000;
constexpr size_t MaxLiteralLength = 63000;
constexpr size_t MaxNumberLength = 28;

enum class TBuiltinKind { Conditional, TypeCast, Math, General };
struct TBuiltin {
  TBuiltinKind Kind;
  int Number;
};

const std::unordered_map<AnsiString, TBuiltin>& Builtins() {
  static const std::unordered_map<AnsiString, TBuiltin> table = [] {
    std::unordered_map<AnsiString, TBuiltin> result;
    result.emplace("IFF", TBuiltin{TBuiltinKind::Conditional, 0});
    const char* casts[] = {"OBJECT", "STRING", "FLOAT", "INTEGER", "ENUMERATED", "BOOLEAN"};
    for (int i = 0; i < 6; ++i) result.emplace(casts[i], TBuiltin{TBuiltinKind::TypeCast, i});
    for (int i = 0; i < 19; ++i) {
      static const char* names[] = {"TRUNC", "ROUND", "ABS", "ARCTAN", "COS", "EXP", "FRAC", "INT", "LN", "PI",
                                    "SIN", "SQR", "SQRT", "POWER", "ROUNDTO", "MIN", "MAX", "RANDOM", "SIGN"};
      result.emplace(names[i], TBuiltin{TBuiltinKind::Math, i});
    }
    for (int i = 0; i < 82; ++i) result.emplace(GeneralFunctionName(i), TBuiltin{TBuiltinKind::General, i});
    return result;
  }();
  return table;
}

inline bool IsBlank(char c) { return c >= 1 && c <= 32; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
inline char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Binding level of a binary operator: 0 relational … 3 power; -1 for NOT.
int Level(TOperator op) {
  if (op == opNot) return -1;
  if (op == opExp) return 3;
  if (op <= opShr) return 2;
  if (op <= opXor) return 1;
  return 0;
}

// The operator at p, not consumed; `length` gets its number of characters.
std::optional<TOperator> OperatorAt(const char* p, int& length) {
  length = 1;
  switch (*p) {
    case '*': return opMult;
    case '+': return opPlus;
    case '-': return opMinus;
    case '/': return opDivide;
    case '=': return opEq;
    case '^': return opExp;
    case '<':
      if (p[1] == '=') { length = 2; return opLTE; }
      if (p[1] == '>') { length = 2; return opNEq; }
      return opLT;
    case '>':
      if (p[1] == '=') { length = 2; return opGTE; }
      return opGT;
    default: break;
  }
  if (!std::strchr("ADMNOSX", Upper(*p)) || *p == 0) return std::nullopt;
  char word[5] = {};
  int n = 0;
  while (n < 4 && IsIdentChar(p[n])) {
    word[n] = Upper(p[n]);
    ++n;
  }
  if (n != 2 && n != 3) return std::nullopt;
  // A two-letter word that begins an operator counts as that operator (AN is AND).
  static const struct {
    const char* Text;
    TOperator Op;
  } words[] = {{"NOT", opNot}, {"DIV", opDiv}, {"MOD", opMod}, {"AND", opAnd},
               {"SHL", opShl}, {"SHR", opShr}, {"OR", opOr},   {"XOR", opXor}};
  for (const auto& w : words) {
    if (std::strncmp(w.Text, word, static_cast<size_t>(n)) == 0) {
      length = n;
      return w.Op;
    }
  }
  return std::nullopt;
}

struct TNode {
  IValuePtr Value;
  int Depth = 1;
};

// Thrown after a reported error returned: the expression is abandoned.
struct TAbandon {};

class TParser {
public:
  TParser(const char* cursor, TIdentifierResolver resolver, void* context)
      : Cursor(cursor), FResolver(resolver), FContext(context) {}

  TNode Binary(int level);
  const char* Cursor;

private:
  class TNest {
  public:
    explicit TNest(TParser& parser) : FParser(parser) {
      if (++FParser.FNesting > MaxNesting) FParser.Fail(ExprMsg::NestedTooDeeply);
    }
    ~TNest() { --FParser.FNesting; }
    TNest(const TNest&) = delete;
    TNest& operator=(const TNest&) = delete;

  private:
    TParser& FParser;
  };

  [[noreturn]] void Fail(const AnsiString& message) {
    ReportScriptError(message);
    throw TAbandon{};
  }
  [[noreturn]] void Fail(const char* format, const AnsiString& argument) { Fail(Format(format, {argument})); }

  void SkipBlanks() {
    while (IsBlank(*Cursor)) ++Cursor;
  }
  bool AtStop() const { return *Cursor == 0 || *Cursor == ')' || *Cursor == ','; }
  TNode Checked(IValuePtr value, int depth) {
    if (depth > MaxTreeDepth) Fail(ExprMsg::NestedTooDeeply);
    return TNode{std::move(value), depth};
  }

  TNode Operand();
  TNode Factor();
  TNode Number();
  TNode StringLiteral();
  TNode HexLiteral();
  TNode Identifier();
  TNode Call(const AnsiString& name, TParameterListPtr params, int depth);

  TIdentifierResolver FResolver;
  void* FContext;
  int FNesting = 0;
};

TNode TParser::Binary(int level) {
  if (level > 3) return Operand();
  TNode left = Binary(level + 1);
  for (;;) {
    SkipBlanks();
    if (AtStop()) break;
    int length = 0;
    const std::optional<TOperator> op = OperatorAt(Cursor, length);
    if (!op || Level(*op) != level) break;
    Cursor += length;
    TNode right = Binary(level + 1);
    const int depth = std::max(left.Depth, right.Depth) + 1;
    IValuePtr node = level == 0 ? IValuePtr(std::make_shared<TRelationalOp>(*op, left.Value, right.Value))
                                : IValuePtr(std::make_shared<TBinaryOp>(*op, left.Value, right.Value));
    left = Checked(std::move(node), depth);
  }
  return left;
}

TNode TParser::Operand() {
  TNode operand = Factor();
  SkipBlanks();
  while (*Cursor == '.' && operand.Value->ValueKind() == vkObject) {
    ++Cursor;
    SkipBlanks();
    if (!IsIdentStart(*Cursor)) {
      TObject* object = operand.Value->ReadObject();
      TObjectBridge* bridge = ObjectBridge();
      Fail(ExprMsg::InvalidPropertyOf, bridge && object ? bridge->ClassName(object) : AnsiString());
    }
    const char* start = Cursor;
    while (IsIdentChar(*Cursor)) ++Cursor;
    operand = Checked(std::make_shared<TObjectProperty>(operand.Value, AnsiString(start, Cursor)), operand.Depth + 1);
    SkipBlanks();
  }
  return operand;
}

TNode TParser::Factor() {
  SkipBlanks();
  int length = 0;
  if (const std::optional<TOperator> op = OperatorAt(Cursor, length)) {
    if (*op != opNot && *op != opPlus && *op != opMinus) Fail(ExprMsg::NotAllowedHere, OperatorName(*op));
    Cursor += length;
    TNest nest(*this);
    TNode operand = Factor();
    return Checked(std::make_shared<TUnaryOp>(*op, operand.Value), operand.Depth + 1);
  }
  const char c = *Cursor;
  if (c == '$') return HexLiteral();
  if (c == '\'') return StringLiteral();
  if (c == '(') {
    ++Cursor;
    TNest nest(*this);
    TNode inner = Binary(0);
    if (!inner.Value) Fail(ExprMsg::InvalidSubExpression);
    if (*Cursor != ')') Fail(ExprMsg::CloseExpected);
    ++Cursor;
    return inner;
  }
  if (IsDigit(c)) return Number();
  if (IsIdentStart(c)) return Identifier();
  Fail(AtStop() ? ExprMsg::UnexpectedEnd : ExprMsg::SyntaxError);
}

TNode TParser::Number() {
  enum { Whole, Fraction, Exponent } state = Whole;
  AnsiString text;
  bool isFloat = false;
  auto append = [&](char c) {
    text += c;
    if (text.size() > MaxNumberLength) Fail(ExprMsg::BadNumericFormat);
  };
  auto enterExponent = [&] {
    append('E');
    ++Cursor;
    if (*Cursor == '-') {
      append('-');
      ++Cursor;
    }
    if (!IsDigit(*Cursor)) Fail(ExprMsg::BadNumericFormat);
    state = Exponent;
    isFloat = true;
  };
  for (;;) {
    const char c = *Cursor;
    if (IsDigit(c)) {
      append(c);
      ++Cursor;
    } else if (c == '.' && state == Whole) {
      append(c);
      ++Cursor;
      state = Fraction;
      isFloat = true;
    } else if ((c == 'E' || c == 'e') && state != Exponent) {
      enterExponent();
    } else if (c == '.' || ((c == 'E' || c == 'e') && state == Exponent)) {
      Fail(ExprMsg::BadNumericFormat);
    } else {
      break;
    }
  }
  if (!isFloat) return TNode{std::make_shared<TIntegerLiteral>(StrToInt(text))};
  // "1." and "1.E5" are complete numbers; give the conversion its digit.
  if (const size_t point = text.find('.'); point != AnsiString::npos && !IsDigit(text[point + 1]))
    text.insert(point + 1, 1, '0');
  return TNode{std::make_shared<TFloatLiteral>(CheckFloat(ScriptStrToFloat(text)))};
}

TNode TParser::StringLiteral() {
  ++Cursor;
  AnsiString text;
  for (;;) {
    const char c = *Cursor;
    if (c == 0) Fail(ExprMsg::UnterminatedString);
    if (c == '\'') {
      if (Cursor[1] != '\'') {
        ++Cursor;
        break;
      }
      ++Cursor;  // two quotes stand for one
    }
    if (text.size() > MaxLiteralLength) Fail(ExprMsg::StringTooLong);
    text += c;
    ++Cursor;
  }
  return TNode{std::make_shared<TStringLiteral>(std::move(text))};
}

TNode TParser::HexLiteral() {
  ++Cursor;
  AnsiString text = "$";
  while (IsHexDigit(*Cursor)) {
    if (text.size() - 1 > MaxLiteralLength) Fail(ExprMsg::HexStringTooLong);
    text += *Cursor++;
  }
  int32_t value = 0;
  if (text.size() == 1 || !TryStrToInt(text, value)) Fail(ExprMsg::InvalidHexChar);
  return TNode{std::make_shared<TIntegerLiteral>(value)};
}

TNode TParser::Identifier() {
  const char* start = Cursor;
  while (IsIdentChar(*Cursor)) ++Cursor;
  AnsiString name(start, Cursor);
  for (char& c : name) c = Upper(c);
  if (name == "TRUE" || name == "FALSE") return TNode{std::make_shared<TBooleanLiteral>(name == "TRUE")};
  SkipBlanks();
  TParameterListPtr params;
  int depth = 1;
  if (*Cursor == '(') {
    TNest nest(*this);
    params = std::make_unique<TParameterList>();
    do {
      ++Cursor;  // the '(' or ','
      TNode parameter = Binary(0);
      depth = std::max(depth, parameter.Depth + 1);
      params->Add(std::move(parameter.Value));
    } while (*Cursor == ',');
    if (*Cursor != ')') Fail(ExprMsg::BadParameters);
    ++Cursor;
  }
  return Call(name, std::move(params), depth);
}

TNode TParser::Call(const AnsiString& name, TParameterListPtr params, int depth) {
  IValuePtr node;
  const auto& builtins = Builtins();
  if (auto found = builtins.find(name); found != builtins.end()) {
    const TBuiltin builtin = found->second;
    switch (builtin.Kind) {
      case TBuiltinKind::Conditional: node = std::make_shared<TConditional>(std::move(params)); break;
      case TBuiltinKind::TypeCast:
        node = std::make_shared<TTypeCast>(static_cast<TValueKind>(builtin.Number), std::move(params));
        break;
      case TBuiltinKind::Math: node = std::make_shared<TMathExpression>(builtin.Number, std::move(params)); break;
      case TBuiltinKind::General: node = std::make_shared<TStringExpression>(builtin.Number, std::move(params)); break;
    }
  } else if (FResolver) {
    node = FResolver(FContext, name, params);
  }
  if (!node) Fail(ExprMsg::UnknownIdentifier, name);
  if (!node->ParametersValid()) Fail(ExprMsg::InvalidParametersTo, name);
  return Checked(std::move(node), depth);
}

bool ContainsNoCase(const AnsiString& text, const char* word) {
  const size_t n = std::strlen(word);
  if (text.size() < n) return false;
  for (size_t i = 0; i + n <= text.size(); ++i) {
    size_t k = 0;
    while (k < n && Upper(text[i + k]) == word[k]) ++k;
    if (k == n) return true;
  }
  return false;
}

// A string literal of any text: apostrophes doubled.
AnsiString Quoted(const AnsiString& text) {
  AnsiString result = "'";
  for (char c : text) {
    if (c == '\'') result += '\'';
    result += c;
  }
  return result += '\'';
}

// Parses a text that the expression must use up entirely.
IValuePtr ParseWhole(const AnsiString& text) {
  const char* cursor = text.c_str();
  IValuePtr value = ParseExpression(cursor, &TExprVar::Resolver, &GlobalExprVar());
  if (!value) return nullptr;
  while (IsBlank(*cursor)) ++cursor;
  if (*cursor != 0) {
    ReportScriptErrorFmt(ExprMsg::NotAppropriate, {AnsiString(1, *cursor)});
    return nullptr;
  }
  return value;
}

}  // namespace

namespace {
int ScriptTextNesting = 0;
constexpr int MaxScriptTextNesting = 32;
}  // namespace

TScriptTextNest::TScriptTextNest() : FAllowed(++ScriptTextNesting <= MaxScriptTextNesting) {
  if (!FAllowed) ReportScriptError(ExprMsg::NestedTooDeeply);
}
TScriptTextNest::~TScriptTextNest() { --ScriptTextNesting; }

IValuePtr ParseExpression(const char*& cursor, TIdentifierResolver resolver, void* context) {
  TParser parser(cursor, resolver, context);
  try {
    TNode node = parser.Binary(0);
    cursor = parser.Cursor;
    return node.Value;
  } catch (const TAbandon&) {
    cursor = parser.Cursor;
    return nullptr;
  }
}

IValuePtr ParseScriptText(const AnsiString& source) {
  TScriptTextNest nest;
  if (!nest.Allowed()) return nullptr;
  AnsiString text = source;
  if (size_t marker = text.find("@@:=@@"); marker != AnsiString::npos) text.replace(marker, 6, ":=");
  for (size_t tick = text.find('`'); tick != AnsiString::npos; tick = text.find('`', tick + 2))
    text.replace(tick, 1, "''");
  size_t assign = text.find(":=");
  if (ContainsNoCase(text, "SETC(")) {
    if (assign == AnsiString::npos) return std::make_shared<TBooleanLiteral>(false);
    assign = AnsiString::npos;  // the assignment belongs to SETC's argument
  }
  if (assign != AnsiString::npos && ContainsNoCase(text, "ADDTOC(")) return std::make_shared<TBooleanLiteral>(false);
  if (assign != AnsiString::npos) {
    AnsiString right = Trim(text.substr(assign + 2));
    if (right.empty()) right = "''";
    const IValuePtr value = ParseWhole(right);
    if (!value) return nullptr;
    // Both texts become literals whatever they hold: apostrophes are doubled.
    text = "Modify(" + Quoted(Trim(text.substr(0, assign))) + "," + Quoted(value->ReadString()) + ")";
  }
  text = Trim(text);
  if (text.empty()) text = "''";
  return ParseWhole(text);
}
