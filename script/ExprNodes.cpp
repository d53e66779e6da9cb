// Value kinds, the base reading rules, literals, operators, casts and IFF.
#include <array>
#include <cmath>
#include <optional>

#include "ExprSupport.h"

namespace {

constexpr std::array<const char*, 6> KindNames = {"Object", "String", "Float", "Integer", "Enumerated", "Boolean"};
constexpr std::array<const char*, 19> OperatorNames = {
    "opNot", "opExp", "opMult", "opDivide", "opDiv", "opMod", "opAnd", "opShl", "opShr", "opPlus",
    "opMinus", "opOr", "opXor", "opEq", "opNEq", "opLT", "opGT", "opLTE", "opGTE"};

const TValueTypeInfo StringType{"String", {}};
const TValueTypeInfo DoubleType{"Double", {}};
const TValueTypeInfo IntegerType{"Integer", {}};
const TValueTypeInfo BooleanType{"Boolean", {"False", "True"}};

std::shared_ptr<TObjectBridge>& Bridge() {
  static std::shared_ptr<TObjectBridge> bridge = MakeRttiObjectBridge();
  return bridge;
}

AnsiString ObjectClassName(TObject* object) {
  TObjectBridge* bridge = ObjectBridge();
  return bridge && object ? bridge->ClassName(object) : AnsiString();
}

const char* BoolText(bool value) { return value ? "TRUE" : "FALSE"; }

void ReportKind(const char* format, TValueKind kind) { ReportScriptErrorFmt(format, {ValueKindName(kind)}); }

void ReportInternal(int code) { ReportScriptErrorFmt(ExprMsg::InternalError, {code}); }

// The kind an operator yields for operands of a kind; none when not allowed.
std::optional<TValueKind> OperatorKind(TOperator op, TValueKind kind) {
  switch (kind) {
    case vkString:
      if (op == opPlus) return vkString;
      break;
    case vkFloat:
      if (op == opExp || op == opMult || op == opDivide || op == opPlus || op == opMinus) return vkFloat;
      break;
    case vkInteger:
      if (op == opExp || op == opDivide) return vkFloat;
      if (op == opNot || (op >= opMult && op <= opXor)) return vkInteger;
      break;
    case vkBoolean:
      if (op == opNot || op == opAnd || op == opOr || op == opXor) return vkBoolean;
      break;
    default:
      break;
  }
  return std::nullopt;
}

TValueKind ResultKind(TOperator op, TValueKind kind) {
  if (auto result = OperatorKind(op, kind)) return *result;
  ReportScriptErrorFmt(ExprMsg::OperatorIncompatible, {OperatorName(op), ValueKindName(kind)});
  return vkString;
}

TValueKind CommonKind(TValueKind left, TValueKind right) {
  if (left != vkObject && right != vkObject) return left < right ? left : right;
  if (left != right) ReportScriptErrorFmt(ExprMsg::TypeIncompatible, {ValueKindName(left), ValueKindName(right)});
  return vkObject;
}

int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

// Blanks are the characters 1 to 32.
AnsiString WithoutBlanks(const AnsiString& text) {
  AnsiString result;
  result.reserve(text.size());
  for (char c : text)
    if (static_cast<unsigned char>(c) == 0 || static_cast<unsigned char>(c) > 32) result += c;
  return result;
}

}  // namespace

const char* ValueKindName(TValueKind kind) { return kind < KindNames.size() ? KindNames[kind] : "?"; }
const char* OperatorName(TOperator op) { return op < OperatorNames.size() ? OperatorNames[op] : "?"; }

void SetObjectBridge(std::shared_ptr<TObjectBridge> bridge) {
  Bridge() = bridge ? std::move(bridge) : MakeRttiObjectBridge();
}
TObjectBridge* ObjectBridge() { return Bridge().get(); }

// ---------------------------------------------------------------------------
// Base rules

bool TExpression::CanRead(TValueKind kind) {
  const TValueKind own = ValueKind();
  if (own != vkObject && kind != vkObject) return own >= kind;
  return own == kind;
}

const TValueTypeInfo* TExpression::RuntimeTypeInfo() {
  switch (ValueKind()) {
    case vkString: return &StringType;
    case vkFloat: return &DoubleType;
    case vkInteger: return &IntegerType;
    case vkBoolean: return &BooleanType;
    default:
      ReportScriptErrorFmt(ExprMsg::NoTypeInfo, {ClassName()});
      return nullptr;
  }
}

AnsiString TExpression::ValueTypeName() {
  const TValueTypeInfo* info = RuntimeTypeInfo();
  return info ? info->Name : AnsiString();
}

AnsiString TExpression::ReadString() {
  switch (ValueKind()) {
    case vkObject: return ObjectClassName(ReadObject());
    case vkFloat: return ScriptFloatToStr(ReadFloat());
    case vkInteger: return IntToStr(ReadInteger());
    case vkEnumerated: {
      const int32_t ordinal = ReadInteger();
      const TValueTypeInfo* info = RuntimeTypeInfo();
      if (info && ordinal >= 0 && static_cast<size_t>(ordinal) < info->EnumNames.size())
        return info->EnumNames[static_cast<size_t>(ordinal)];
      return IntToStr(ordinal);
    }
    case vkBoolean: return BoolText(ReadBoolean());
    default: return AnsiString();
  }
}

double TExpression::ReadFloat() {
  const TValueKind kind = ValueKind();
  if (kind == vkInteger || kind == vkEnumerated || kind == vkBoolean) return ReadInteger();
  ReportKind(ExprMsg::CannotReadFloat, kind);
  return 0;
}

int32_t TExpression::ReadInteger() {
  const TValueKind kind = ValueKind();
  if (kind == vkBoolean) return ReadBoolean() ? 1 : 0;
  ReportKind(ExprMsg::CannotReadInteger, kind);
  return 0;
}

bool TExpression::ReadBoolean() {
  ReportKind(ExprMsg::CannotReadBoolean, ValueKind());
  return false;
}

TObject* TExpression::ReadObject() {
  ReportKind(ExprMsg::CannotReadObject, ValueKind());
  return nullptr;
}

// ---------------------------------------------------------------------------
// Unary operators

TUnaryOp::TUnaryOp(TOperator op, IValuePtr operand) : FOperand(std::move(operand)), FOperandKind(vkString), FOperator(op) {
  if (op != opNot && op != opPlus && op != opMinus) ReportScriptErrorFmt(ExprMsg::NotUnary, {OperatorName(op)});
  FOperandKind = FOperand->ValueKind();
}

TValueKind TUnaryOp::ValueKind() { return ResultKind(FOperator, FOperandKind); }

double TUnaryOp::ReadFloat() {
  if (FOperator == opPlus) return FOperand->ReadFloat();
  if (FOperator == opMinus) return -FOperand->ReadFloat();
  return TExpression::ReadFloat();
}

int32_t TUnaryOp::ReadInteger() {
  switch (FOperator) {
    case opPlus: return FOperand->ReadInteger();
    case opMinus: return Wrap(-static_cast<int64_t>(FOperand->ReadInteger()));
    default:
      if (FOperandKind == vkInteger) return ~FOperand->ReadInteger();
      if (FOperandKind == vkBoolean) return ReadBoolean() ? 1 : 0;
      ReportInternal(6);
      return 0;
  }
}

bool TUnaryOp::ReadBoolean() {
  if (FOperator == opNot) return !FOperand->ReadBoolean();
  return TExpression::ReadBoolean();
}

// ---------------------------------------------------------------------------
// Binary operators

TBinaryOp::TBinaryOp(TOperator op, IValuePtr left, IValuePtr right)
    : FLeft(std::move(left)), FRight(std::move(right)), FOperator(op), FCommonKind(vkString) {
  if (op < opExp || op > opXor) ReportScriptErrorFmt(ExprMsg::NotBinary, {OperatorName(op)});
  FCommonKind = CommonKind(FLeft->ValueKind(), FRight->ValueKind());
}

TValueKind TBinaryOp::ValueKind() { return ResultKind(FOperator, FCommonKind); }

AnsiString TBinaryOp::ReadString() {
  switch (ValueKind()) {
    case vkString: {
      if (FOperator != opPlus) {
        ReportInternal(10);
        return AnsiString();
      }
      AnsiString result = FLeft->ReadString();
      AnsiString right = FRight->ReadString();
      if (!ScriptStringFits(result.size() + right.size())) return AnsiString();
      return result += right;
    }
    case vkBoolean: return BoolText(ReadBoolean());
    default: return TExpression::ReadString();
  }
}

double TBinaryOp::ReadFloat() {
  switch (ValueKind()) {
    case vkString: return 0;
    case vkFloat: {
      const double left = FLeft->ReadFloat();
      const double right = FRight->ReadFloat();
      switch (FOperator) {
        case opMult: return CheckFloat(left * right);
        case opDivide: return CheckedDivide(left, right);
        case opPlus: return CheckFloat(left + right);
        case opMinus: return CheckFloat(left - right);
        case opExp: return CheckFloat(std::exp(right * CheckedLn(left)));
        default: ReportInternal(11); return 0;
      }
    }
    default: return TExpression::ReadFloat();
  }
}

int32_t TBinaryOp::ReadInteger() {
  switch (ValueKind()) {
    case vkString:
    case vkFloat: return 0;
    case vkBoolean: return ReadBoolean() ? 1 : 0;
    case vkInteger: break;
    default: return TExpression::ReadInteger();
  }
  const int64_t left = FLeft->ReadInteger();
  const int64_t right = FRight->ReadInteger();
  const uint32_t bits = static_cast<uint32_t>(left);
  const unsigned shift = static_cast<unsigned>(right) & 31u;
  switch (FOperator) {
    case opMult: return Wrap(left * right);
    case opPlus: return Wrap(left + right);
    case opMinus: return Wrap(left - right);
    case opDiv:
      if (right == 0) throw EZeroDivide();
      return Wrap(left / right);  // 64-bit: the one overflowing quotient wraps
    case opMod:
      if (right == 0) throw EZeroDivide();
      return Wrap(left % right);
    case opAnd: return Wrap(left & right);
    case opOr: return Wrap(left | right);
    case opXor: return Wrap(left ^ right);
    case opShl: return static_cast<int32_t>(bits << shift);
    case opShr: return static_cast<int32_t>(bits >> shift);
    default: ReportInternal(12); return 0;
  }
}

bool TBinaryOp::ReadBoolean() {
  if (ValueKind() != vkBoolean) return TExpression::ReadBoolean();
  switch (FOperator) {
    case opAnd: return FLeft->ReadBoolean() && FRight->ReadBoolean();
    case opOr: return FLeft->ReadBoolean() || FRight->ReadBoolean();
    case opXor: {
      const bool left = FLeft->ReadBoolean();
      return left != FRight->ReadBoolean();
    }
    default: ReportInternal(13); return false;
  }
}

// ---------------------------------------------------------------------------
// Relational operators

TRelationalOp::TRelationalOp(TOperator op, IValuePtr left, IValuePtr right)
    : FLeft(std::move(left)), FRight(std::move(right)), FOperator(op), FCommonKind(vkString) {
  if (op < opEq || op > opGTE) ReportScriptErrorFmt(ExprMsg::NotRelational, {OperatorName(op)});
  FCommonKind = CommonKind(FLeft->ValueKind(), FRight->ValueKind());
}

namespace {
template <class T>
bool Compare(TOperator op, const T& left, const T& right) {
  switch (op) {
    case opEq: return left == right;
    case opNEq: return left != right;
    case opLT: return left < right;
    case opGT: return left > right;
    case opLTE: return left <= right;
    case opGTE: return left >= right;
    default: return false;
  }
}
}  // namespace

bool TRelationalOp::ReadBoolean() {
  switch (FCommonKind) {
    case vkString: {
      // std::string compares bytes as unsigned character codes.
      const AnsiString left = FLeft->ReadString();
      return Compare(FOperator, left, FRight->ReadString());
    }
    case vkFloat: {
      const double left = FLeft->ReadFloat();
      return Compare(FOperator, left, FRight->ReadFloat());
    }
    case vkInteger: {
      const int32_t left = FLeft->ReadInteger();
      return Compare(FOperator, left, FRight->ReadInteger());
    }
    case vkBoolean: {
      if (FOperator != opEq && FOperator != opNEq) {
        ReportScriptErrorFmt(ExprMsg::BooleanOperands, {OperatorName(FOperator)});
        return false;
      }
      const bool left = FLeft->ReadBoolean();
      return Compare(FOperator, left, FRight->ReadBoolean());
    }
    default: return false;
  }
}

AnsiString TRelationalOp::ReadString() { return BoolText(ReadBoolean()); }
double TRelationalOp::ReadFloat() { return ReadBoolean() ? 1 : 0; }
int32_t TRelationalOp::ReadInteger() { return ReadBoolean() ? 1 : 0; }

// ---------------------------------------------------------------------------
// Member access after an object value

TObjectProperty::TObjectProperty(const IValuePtr& operand, const AnsiString& propertyName) {
  FObject = operand->ReadObject();
  TObjectBridge* bridge = ObjectBridge();
  if (bridge && FObject) FProperty = bridge->FindProperty(FObject, propertyName);
  if (!FProperty) {
    ReportScriptErrorFmt(ExprMsg::NotPublished, {propertyName, ObjectClassName(FObject)});
    return;
  }
  if (auto kind = FProperty->Kind()) {
    FKind = *kind;
  } else {
    FProperty.reset();
    ReportScriptErrorFmt(ExprMsg::UnsupportedProperty, {propertyName});
  }
}

const TValueTypeInfo* TObjectProperty::RuntimeTypeInfo() { return FProperty ? FProperty->TypeInfo() : nullptr; }

AnsiString TObjectProperty::ReadString() {
  if (!FProperty) return AnsiString();
  if (FKind == vkString) return FProperty->GetString(FObject);
  return TExpression::ReadString();
}

double TObjectProperty::ReadFloat() {
  if (!FProperty) return 0;
  if (FKind == vkFloat) return FProperty->GetFloat(FObject);
  return TExpression::ReadFloat();
}

int32_t TObjectProperty::ReadInteger() {
  if (!FProperty) return 0;
  if (FKind == vkInteger || FKind == vkEnumerated) return Wrap(FProperty->GetOrdinal(FObject));
  if (FKind == vkBoolean) return FProperty->GetOrdinal(FObject) != 0 ? 1 : 0;
  return TExpression::ReadInteger();
}

bool TObjectProperty::ReadBoolean() {
  if (!FProperty) return false;
  if (FKind == vkBoolean) return FProperty->GetOrdinal(FObject) != 0;
  return TExpression::ReadBoolean();
}

TObject* TObjectProperty::ReadObject() {
  if (!FProperty) return nullptr;
  if (FKind == vkObject) return FProperty->GetObject(FObject);
  return TExpression::ReadObject();
}

// ---------------------------------------------------------------------------
// Type casts

TTypeCast::TTypeCast(TValueKind target, TParameterListPtr params) : TFunction(std::move(params)), FTarget(target) {
  if (target == vkEnumerated) ReportScriptError(ExprMsg::CastToEnumerated);
  if (ParameterCount() != 1) {
    ReportScriptError(ExprMsg::InvalidCastParameters);
    return;
  }
  FSource = Parameter(0)->ValueKind();
  const bool toObject = target == vkObject && FSource != vkObject;
  const bool fromObject = FSource == vkObject && target != vkObject && target != vkString;
  if (toObject || fromObject)
    ReportScriptErrorFmt(ExprMsg::TypeIncompatible, {ValueKindName(target), ValueKindName(FSource)});
}

AnsiString TTypeCast::ReadString() {
  if (FTarget != vkString) return TExpression::ReadString();
  return ParameterCount() == 1 ? Parameter(0)->ReadString() : AnsiString();
}

double TTypeCast::ReadFloat() {
  if (FTarget != vkFloat) return TExpression::ReadFloat();
  if (ParameterCount() != 1) return 0;
  if (FSource != vkString) return Parameter(0)->ReadFloat();
  AnsiString text = Parameter(0)->ReadString();
  if (auto comma = text.find(','); comma != AnsiString::npos) text[comma] = '.';
  text = WithoutBlanks(text);
  if (text.empty()) text.push_back('0');
  double value = 0;
  if (!ScriptTryStrToFloat(text, value)) {
    ReportScriptErrorFmt(ExprMsg::CannotConvertFloat, {text});
    return 0;
  }
  return value;
}

int32_t TTypeCast::ReadInteger() {
  if (FTarget != vkInteger) return TExpression::ReadInteger();
  if (ParameterCount() != 1) return 0;
  if (FSource == vkFloat) return RoundToInt32(Parameter(0)->ReadFloat());
  if (FSource != vkString) return Parameter(0)->ReadInteger();
  const AnsiString text = Parameter(0)->ReadString();
  int32_t value = 0;
  if (!TryStrToInt(text, value)) {
    ReportScriptErrorFmt(ExprMsg::CannotConvertInteger, {text});
    return 0;
  }
  return value;
}

bool TTypeCast::ReadBoolean() {
  if (FTarget != vkBoolean) return TExpression::ReadBoolean();
  if (ParameterCount() != 1) return false;
  switch (FSource) {
    case vkString: {
      const AnsiString text = AnsiUpperCase(Parameter(0)->ReadString());
      if (text == "TRUE") return true;
      if (text != "FALSE") ReportScriptErrorFmt(ExprMsg::CannotConvertBoolean, {text});
      return false;
    }
    case vkFloat: return Parameter(0)->ReadFloat() > 0.9499999999999;
    case vkInteger: return Parameter(0)->ReadInteger() > 0;
    default: return Parameter(0)->ReadBoolean();
  }
}

TObject* TTypeCast::ReadObject() {
  if (FTarget != vkObject) return TExpression::ReadObject();
  return ParameterCount() == 1 ? Parameter(0)->ReadObject() : nullptr;
}

// ---------------------------------------------------------------------------
// IFF

TConditional::TConditional(TParameterListPtr params) : TFunction(std::move(params)) {
  if (ParameterCount() < 3) {
    FCountReported = true;
    ReportScriptError(ExprMsg::IffCount);
    return;
  }
  FKind = Parameter(1)->ValueKind();
}

bool TConditional::ParametersValid() {
  const int count = ParameterCount();
  if (count != 3 && !FCountReported) ReportScriptError(ExprMsg::IffCount);
  if (count >= 1 && Parameter(0)->ValueKind() != vkBoolean) ReportScriptError(ExprMsg::IffFirstBoolean);
  if (count >= 3 && Parameter(1)->ValueKind() != Parameter(2)->ValueKind()) ReportScriptError(ExprMsg::IffSameType);
  return true;
}

const IValuePtr* TConditional::Selected() {
  if (ParameterCount() < 3) return nullptr;
  return Parameter(0)->ReadBoolean() ? &Parameter(1) : &Parameter(2);
}

AnsiString TConditional::ReadString() {
  const IValuePtr* value = Selected();
  return value ? (*value)->ReadString() : AnsiString();
}

double TConditional::ReadFloat() {
  const IValuePtr* value = Selected();
  return value ? (*value)->ReadFloat() : 0;
}

int32_t TConditional::ReadInteger() {
  const IValuePtr* value = Selected();
  return value ? (*value)->ReadInteger() : 0;
}

bool TConditional::ReadBoolean() {
  const IValuePtr* value = Selected();
  return value ? (*value)->ReadBoolean() : false;
}

TObject* TConditional::ReadObject() {
  const IValuePtr* value = Selected();
  return value ? (*value)->ReadObject() : nullptr;
}
