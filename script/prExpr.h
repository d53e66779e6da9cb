// The script language's expressions: value kinds and operators, the
// reference-counted value nodes, the parser entries, the one error reporter
// and the process-wide variable store.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "SysUtils.h"

// Ordinals matter: they decide conversions and the common kind of two operands.
enum TValueKind : uint8_t { vkObject, vkString, vkFloat, vkInteger, vkEnumerated, vkBoolean };

// Ordinals are stored in the nodes; messages print the member names.
enum TOperator : uint8_t {
  opNot, opExp, opMult, opDivide, opDiv, opMod, opAnd, opShl, opShr,
  opPlus, opMinus, opOr, opXor, opEq, opNEq, opLT, opGT, opLTE, opGTE
};

// "Object", "String", "Float", …: the kind's name in messages.
const char* ValueKindName(TValueKind kind);
// "opNot", "opExp", …: the operator's member name.
const char* OperatorName(TOperator op);

// The exception of the script language; its message is the error text.
class EExpression : public Exception {
public:
  using Exception::Exception;
};

// A platform object (component or sub-object). The script holds references
// only; the class library defines the type.
class TObject;

// Run-time type information of a value: its type name and, for enumerations,
// the names of the values by ordinal.
struct TValueTypeInfo {
  AnsiString Name;
  std::vector<AnsiString> EnumNames;
};

// How the script reaches platform objects: their class names and published
// properties. The default bridge reads the class library's run-time type
// information; tests may install their own.
class TScriptProperty {
public:
  virtual ~TScriptProperty() = default;
  // Integer and character types give vkInteger, "Boolean" enumerations
  // vkBoolean, other enumerations vkEnumerated, floats vkFloat, strings
  // vkString, classes vkObject. Nullopt: a type the script cannot use.
  virtual std::optional<TValueKind> Kind() const = 0;
  virtual const TValueTypeInfo* TypeInfo() const = 0;
  virtual AnsiString GetString(TObject* object) const = 0;
  virtual double GetFloat(TObject* object) const = 0;
  virtual int64_t GetOrdinal(TObject* object) const = 0;
  virtual TObject* GetObject(TObject* object) const = 0;
};

class TObjectBridge {
public:
  virtual ~TObjectBridge() = default;
  virtual AnsiString ClassName(TObject* object) const = 0;
  // The published property of that name (case-insensitive), or nullptr.
  virtual std::shared_ptr<const TScriptProperty> FindProperty(TObject* object,
                                                              const AnsiString& name) const = 0;
};
// Nullptr restores the default bridge.
void SetObjectBridge(std::shared_ptr<TObjectBridge> bridge);
TObjectBridge* ObjectBridge();

// Every script value. A value node lives while a reference to it exists and
// is destroyed with its last reference (the reference count of IValuePtr).
class IValue {
public:
  virtual ~IValue() = default;
  virtual bool ParametersValid() = 0;
  virtual bool CanRead(TValueKind kind) = 0;
  virtual const TValueTypeInfo* RuntimeTypeInfo() = 0;
  virtual AnsiString ReadString() = 0;
  virtual double ReadFloat() = 0;
  virtual int32_t ReadInteger() = 0;
  virtual bool ReadBoolean() = 0;
  virtual TObject* ReadObject() = 0;
  virtual TValueKind ValueKind() = 0;
  virtual AnsiString ValueTypeName() = 0;
};
using IValuePtr = std::shared_ptr<IValue>;

// The parameters of a call written with parentheses; the node that accepts
// the list owns it.
class TParameterList {
public:
  void Add(IValuePtr value) { FItems.push_back(std::move(value)); }
  int Count() const { return static_cast<int>(FItems.size()); }
  const IValuePtr& Item(int index) const { return FItems.at(static_cast<size_t>(index)); }

private:
  std::vector<IValuePtr> FItems;
};
using TParameterListPtr = std::unique_ptr<TParameterList>;

// ---------------------------------------------------------------------------
// Node classes. A node computes its value anew each time it is read.

// Base rules for every read a node does not override.
class TExpression : public IValue {
public:
  bool ParametersValid() override { return true; }
  bool CanRead(TValueKind kind) final;
  const TValueTypeInfo* RuntimeTypeInfo() override;
  AnsiString ReadString() override;
  double ReadFloat() override;
  int32_t ReadInteger() override;
  bool ReadBoolean() override;
  TObject* ReadObject() override;
  AnsiString ValueTypeName() override;
  // Used in "Cannot provide TypeInfo for %s".
  virtual const char* ClassName() const = 0;
};

class TStringLiteral : public TExpression {
public:
  explicit TStringLiteral(AnsiString value) : FValue(std::move(value)) {}
  AnsiString ReadString() override { return FValue; }
  TValueKind ValueKind() override { return vkString; }
  const char* ClassName() const override { return "TStringLiteral"; }

private:
  AnsiString FValue;
};

class TFloatLiteral : public TExpression {
public:
  explicit TFloatLiteral(double value) : FValue(value) {}
  double ReadFloat() override { return FValue; }
  TValueKind ValueKind() override { return vkFloat; }
  const char* ClassName() const override { return "TFloatLiteral"; }

private:
  double FValue;
};

class TIntegerLiteral : public TExpression {
public:
  explicit TIntegerLiteral(int32_t value) : FValue(value) {}
  int32_t ReadInteger() override { return FValue; }
  TValueKind ValueKind() override { return vkInteger; }
  const char* ClassName() const override { return "TIntegerLiteral"; }

private:
  int32_t FValue;
};

class TBooleanLiteral : public TExpression {
public:
  explicit TBooleanLiteral(bool value) : FValue(value) {}
  bool ReadBoolean() override { return FValue; }
  TValueKind ValueKind() override { return vkBoolean; }
  const char* ClassName() const override { return "TBooleanLiteral"; }

private:
  bool FValue;
};

class TUnaryOp : public TExpression {
public:
  TUnaryOp(TOperator op, IValuePtr operand);
  double ReadFloat() override;
  int32_t ReadInteger() override;
  bool ReadBoolean() override;
  TValueKind ValueKind() override;
  const char* ClassName() const override { return "TUnaryOp"; }

private:
  IValuePtr FOperand;
  TValueKind FOperandKind;
  TOperator FOperator;
};

class TBinaryOp : public TExpression {
public:
  TBinaryOp(TOperator op, IValuePtr left, IValuePtr right);
  AnsiString ReadString() override;
  double ReadFloat() override;
  int32_t ReadInteger() override;
  bool ReadBoolean() override;
  TValueKind ValueKind() override;
  const char* ClassName() const override { return "TBinaryOp"; }

private:
  IValuePtr FLeft, FRight;
  TOperator FOperator;
  TValueKind FCommonKind;
};

class TRelationalOp : public TExpression {
public:
  TRelationalOp(TOperator op, IValuePtr left, IValuePtr right);
  AnsiString ReadString() override;
  double ReadFloat() override;
  int32_t ReadInteger() override;
  bool ReadBoolean() override;
  TValueKind ValueKind() override { return vkBoolean; }
  const char* ClassName() const override { return "TRelationalOp"; }

private:
  IValuePtr FLeft, FRight;
  TOperator FOperator;
  TValueKind FCommonKind;
};

// A published property of an object, read live on every read.
class TObjectProperty : public TExpression {
public:
  TObjectProperty(const IValuePtr& operand, const AnsiString& propertyName);
  const TValueTypeInfo* RuntimeTypeInfo() override;
  AnsiString ReadString() override;
  double ReadFloat() override;
  int32_t ReadInteger() override;
  bool ReadBoolean() override;
  TObject* ReadObject() override;
  TValueKind ValueKind() override { return FKind; }
  const char* ClassName() const override { return "TObjectProperty"; }

private:
  TObject* FObject = nullptr;
  std::shared_ptr<const TScriptProperty> FProperty;
  TValueKind FKind = vkString;
};

// A node with a parameter list (absent for a call without parentheses).
class TFunction : public TExpression {
public:
  explicit TFunction(TParameterListPtr params) : FParams(std::move(params)) {}
  int ParameterCount() const { return FParams ? FParams->Count() : 0; }
  const IValuePtr& Parameter(int index) const { return FParams->Item(index); }

private:
  TParameterListPtr FParams;
};

class TTypeCast : public TFunction {
public:
  TTypeCast(TValueKind target, TParameterListPtr params);
  bool ParametersValid() override { return ParameterCount() == 1; }
  AnsiString ReadString() override;
  double ReadFloat() override;
  int32_t ReadInteger() override;
  bool ReadBoolean() override;
  TObject* ReadObject() override;
  TValueKind ValueKind() override { return FTarget; }
  const char* ClassName() const override { return "TTypeCast"; }

private:
  TValueKind FSource = vkString;
  TValueKind FTarget;
};

// IFF(condition, a, b): only the selected branch is read.
class TConditional : public TFunction {
public:
  explicit TConditional(TParameterListPtr params);
  bool ParametersValid() override;
  AnsiString ReadString() override;
  double ReadFloat() override;
  int32_t ReadInteger() override;
  bool ReadBoolean() override;
  TObject* ReadObject() override;
  TValueKind ValueKind() override { return FKind; }
  const char* ClassName() const override { return "TConditional"; }

private:
  const IValuePtr* Selected();
  TValueKind FKind = vkString;
  bool FCountReported = false;
};

// The 19 numeric functions, by number (TRUNC 0 … SIGN 18).
class TMathExpression : public TFunction {
public:
  TMathExpression(int number, TParameterListPtr params) : TFunction(std::move(params)), FNumber(number) {}
  bool ParametersValid() override;
  double ReadFloat() override;
  int32_t ReadInteger() override;
  TValueKind ValueKind() override;
  const char* ClassName() const override { return "TMathExpression"; }

private:
  int FNumber;
};

// The 82 general functions, by number (LF 0 … SETMODIFY 81).
class TStringExpression : public TFunction {
public:
  TStringExpression(int number, TParameterListPtr params) : TFunction(std::move(params)), FNumber(number) {}
  bool ParametersValid() override;
  AnsiString ReadString() override;
  double ReadFloat() override;
  int32_t ReadInteger() override;
  bool ReadBoolean() override;
  TValueKind ValueKind() override;
  const char* ClassName() const override { return "TStringExpression"; }

private:
  AnsiString Text(int index);
  int32_t Int(int index);
  AnsiString EvalString();
  int32_t EvalInteger();
  bool EvalBoolean();
  int FNumber;
};

// Name tables of the parser (upper-case names); -1 when the name is not one.
int GeneralFunctionNumber(const AnsiString& upperName);
const char* GeneralFunctionName(int number);
int MathFunctionNumber(const AnsiString& upperName);
// Names the general functions that evaluate in this build.
bool GeneralFunctionAvailable(int number);

// ---------------------------------------------------------------------------
// Parsing

// Resolves identifiers that are not built in; gets the context object, the
// upper-cased identifier and the parameter list (which it may take over).
using TIdentifierResolver = IValuePtr (*)(void* context, const AnsiString& identifier,
                                          TParameterListPtr& params);

// Parses one expression at the cursor and leaves the cursor on the first
// character that does not belong to it. Nullptr after an error that returned.
IValuePtr ParseExpression(const char*& cursor, TIdentifierResolver resolver, void* context);

// Parses a whole statement text (assignment marker, backquotes, the SETC and
// ADDTOC rules, assignments as MODIFY) against the global variable store.
IValuePtr ParseScriptText(const AnsiString& text);

// ---------------------------------------------------------------------------
// Errors

// False: errors raise EExpression. True: a program runs and errors are asked about.
extern bool InteractiveErrors;
// Set when the user chose to stop the running program.
extern bool StopRequested;

// The interactive question: receives the whole text shown (message, and with
// askStop the stop question) and answers true for Yes.
using TScriptErrorDialog = std::function<bool(const AnsiString& text, bool askStop)>;
// Installs the dialog; an empty function restores the default (standard
// error, answering Yes).
void SetScriptErrorDialog(TScriptErrorDialog dialog);

// Reports an error of the script language: raises EExpression while
// InteractiveErrors is false, otherwise asks and returns.
void ReportScriptError(const AnsiString& message, bool offerStop = true);

// Asks the report preview window to close; does nothing until a preview exists.
void ClosePreviewWindow(bool wait);

// ---------------------------------------------------------------------------
// Variables and identifiers

// The script's variable store: one instance for the process, names trimmed and
// upper-cased, each variable a text with a value kind.
class TExprVar {
public:
  void SetVariable(const AnsiString& name, const AnsiString& value, TValueKind kind);
  bool VariableExists(const AnsiString& name) const;
  void FreeVariable(const AnsiString& name);
  AnsiString VariableText(const AnsiString& name) const;
  TValueKind VariableKind(const AnsiString& name) const;
  static int MemberCode(const AnsiString& memberName);
  IValuePtr ResolveIdentifier(const AnsiString& identifier, TParameterListPtr& params);
  // Removes every variable (a fresh store for tests and tools).
  void Clear() { FVariables.clear(); }

  // The resolver callback for ParseExpression; context is a TExprVar.
  static IValuePtr Resolver(void* context, const AnsiString& identifier, TParameterListPtr& params);

private:
  struct TVariable {
    AnsiString Text;
    TValueKind Kind;
  };
  IValuePtr ResolvePathIdentifier(const AnsiString& identifier, TParameterList* params);
  // Kept sorted by name; one entry carries the value text and the kind.
  std::map<AnsiString, TVariable, std::less<>> FVariables;
};

TExprVar& GlobalExprVar();

// A node for a value text of a kind: string, float (first comma as point),
// integer or boolean (F/f is FALSE); nullptr for objects and enumerations.
IValuePtr LiteralFromText(const AnsiString& text, TValueKind kind);
