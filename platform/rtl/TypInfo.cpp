#include "TypInfo.h"

#include <deque>
#include <map>

#include "Classes.h"

namespace {

// Type descriptions live for the whole process; a deque keeps their addresses.
std::deque<TTypeInfo>& TypeStore() {
  static std::deque<TTypeInfo> store;
  return store;
}

const TTypeInfo* NewType(TTypeInfo info) {
  TypeStore().push_back(std::move(info));
  return &TypeStore().back();
}

const TTypeInfo* OrdinalType(const char* name, TTypeKind kind, TOrdType ord, int32_t lo, int32_t hi) {
  TTypeInfo t;
  t.Kind = kind;
  t.Name = name;
  t.OrdType = ord;
  t.MinValue = lo;
  t.MaxValue = hi;
  return NewType(std::move(t));
}

const TTypeInfo* FloatTypeInfo(const char* name, TFloatType ft) {
  TTypeInfo t;
  t.Kind = tkFloat;
  t.Name = name;
  t.FloatType = ft;
  return NewType(std::move(t));
}

}  // namespace

AnsiString GetEnumName(const TTypeInfo* type, int value) {
  if (!type) return AnsiString();
  if (type->Kind == tkEnumeration && value >= 0 && value < int(type->EnumNames.size()))
    return type->EnumNames[size_t(value)];
  return IntToStr(value);
}

int GetEnumValue(const TTypeInfo* type, const AnsiString& name) {
  if (!type || type->Kind != tkEnumeration) return -1;
  for (size_t i = 0; i < type->EnumNames.size(); ++i)
    if (SameText(type->EnumNames[i], name)) return int(i);
  return -1;
}

template <> const TTypeInfo* TypeInfoOf<int32_t>() {
  static const TTypeInfo* t = OrdinalType("Integer", tkInteger, otSLong, INT32_MIN, INT32_MAX);
  return t;
}
template <> const TTypeInfo* TypeInfoOf<uint32_t>() {
  // Stored as 32 bits; the bounds are those of the signed reading, as the platform reports them.
  static const TTypeInfo* t = OrdinalType("Cardinal", tkInteger, otULong, 0, INT32_MAX);
  return t;
}
template <> const TTypeInfo* TypeInfoOf<int16_t>() {
  static const TTypeInfo* t = OrdinalType("Smallint", tkInteger, otSWord, -32768, 32767);
  return t;
}
template <> const TTypeInfo* TypeInfoOf<uint16_t>() {
  static const TTypeInfo* t = OrdinalType("Word", tkInteger, otUWord, 0, 65535);
  return t;
}
template <> const TTypeInfo* TypeInfoOf<int8_t>() {
  static const TTypeInfo* t = OrdinalType("Shortint", tkInteger, otSByte, -128, 127);
  return t;
}
template <> const TTypeInfo* TypeInfoOf<uint8_t>() {
  static const TTypeInfo* t = OrdinalType("Byte", tkInteger, otUByte, 0, 255);
  return t;
}
template <> const TTypeInfo* TypeInfoOf<char>() {
  static const TTypeInfo* t = OrdinalType("Char", tkChar, otUByte, 0, 255);
  return t;
}
template <> const TTypeInfo* TypeInfoOf<bool>() {
  static const TTypeInfo* t = [] {
    TTypeInfo info;
    info.Kind = tkEnumeration;
    info.Name = "Boolean";
    info.OrdType = otUByte;
    info.MinValue = 0;
    info.MaxValue = 1;
    info.EnumNames = {"False", "True"};
    return NewType(std::move(info));
  }();
  return t;
}
template <> const TTypeInfo* TypeInfoOf<float>() {
  static const TTypeInfo* t = FloatTypeInfo("Single", ftSingle);
  return t;
}
template <> const TTypeInfo* TypeInfoOf<double>() {
  static const TTypeInfo* t = FloatTypeInfo("Double", ftDouble);
  return t;
}
template <> const TTypeInfo* TypeInfoOf<long double>() { return TypeInfoExtended(); }
template <> const TTypeInfo* TypeInfoOf<AnsiString>() {
  static const TTypeInfo* t = [] {
    TTypeInfo info;
    info.Kind = tkLString;
    info.Name = "String";
    info.MaxLength = 0;
    return NewType(std::move(info));
  }();
  return t;
}

const TTypeInfo* TypeInfoCurrency() {
  static const TTypeInfo* t = FloatTypeInfo("Currency", ftCurr);
  return t;
}
const TTypeInfo* TypeInfoExtended() {
  static const TTypeInfo* t = FloatTypeInfo("Extended", ftExtended);
  return t;
}

const TTypeInfo* ShortStringType(const AnsiString& name, int maxLength) {
  static std::map<AnsiString, const TTypeInfo*> made;
  auto it = made.find(name);
  if (it != made.end()) return it->second;
  TTypeInfo info;
  info.Kind = tkString;
  info.Name = name;
  info.MaxLength = maxLength;
  const TTypeInfo* t = NewType(std::move(info));
  made[name] = t;
  return t;
}

const TTypeInfo* MakeIntegerType(const AnsiString& name, TOrdType ord, int32_t minValue, int32_t maxValue) {
  TTypeInfo info;
  info.Kind = tkInteger;
  info.Name = name;
  info.OrdType = ord;
  info.MinValue = minValue;
  info.MaxValue = maxValue;
  return NewType(std::move(info));
}

const TTypeInfo* MakeEnumType(const AnsiString& name, const char* commaNames) {
  TTypeInfo info;
  info.Kind = tkEnumeration;
  info.Name = name;
  AnsiString current;
  for (const char* p = commaNames;; ++p) {
    if (*p == ',' || *p == 0) {
      AnsiString n = Trim(current);
      if (!n.empty()) info.EnumNames.push_back(n);
      current.clear();
      if (*p == 0) break;
    } else {
      current += *p;
    }
  }
  info.MinValue = 0;
  info.MaxValue = int32_t(info.EnumNames.size()) - 1;
  info.OrdType = info.EnumNames.size() <= 256 ? otUByte : otUWord;
  return NewType(std::move(info));
}

const TTypeInfo* MakeSetType(const AnsiString& name, const TTypeInfo* element) {
  TTypeInfo info;
  info.Kind = tkSet;
  info.Name = name;
  info.CompType = element;
  info.OrdType = otULong;
  return NewType(std::move(info));
}

const TTypeInfo* MethodTypeInfo() {
  static const TTypeInfo* t = [] {
    TTypeInfo info;
    info.Kind = tkMethod;
    info.Name = "TMethod";
    return NewType(std::move(info));
  }();
  return t;
}

std::vector<const TPropInfo*> GetPropList(const TClassInfo& cls) {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = &cls; c; c = c->Parent()) chain.push_back(c);
  std::vector<const TPropInfo*> props;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const auto& p : (*it)->OwnProps()) props.push_back(p.get());
  return props;
}

const TPropInfo* GetPropInfo(const TClassInfo& cls, const AnsiString& name) { return cls.FindProp(name); }

const TPropInfo* GetPropInfo(const TObject* obj, const AnsiString& name) {
  return obj ? obj->ClassInfo().FindProp(name) : nullptr;
}

namespace {
[[noreturn]] void NotOfKind(const TPropInfo* prop) {
  throw EPropertyError("Property " + (prop ? prop->Name : AnsiString("?")) + " has no such value");
}
[[noreturn]] void ReadOnlyProp(const TPropInfo* prop) {
  throw EPropertyError("Property " + prop->Name + " is read-only");
}
}  // namespace

int64_t GetOrdProp(const TObject* obj, const TPropInfo* prop) {
  if (!prop || !prop->GetOrd) NotOfKind(prop);
  return prop->GetOrd(obj);
}
void SetOrdProp(TObject* obj, const TPropInfo* prop, int64_t value) {
  if (!prop || !prop->GetOrd) NotOfKind(prop);
  if (!prop->SetOrd) ReadOnlyProp(prop);
  prop->SetOrd(obj, value);
}
double GetFloatProp(const TObject* obj, const TPropInfo* prop) {
  if (!prop || !prop->GetFloat) NotOfKind(prop);
  return prop->GetFloat(obj);
}
void SetFloatProp(TObject* obj, const TPropInfo* prop, double value) {
  if (!prop || !prop->GetFloat) NotOfKind(prop);
  if (!prop->SetFloat) ReadOnlyProp(prop);
  prop->SetFloat(obj, value);
}
AnsiString GetStrProp(const TObject* obj, const TPropInfo* prop) {
  if (!prop || !prop->GetStr) NotOfKind(prop);
  return prop->GetStr(obj);
}
void SetStrProp(TObject* obj, const TPropInfo* prop, const AnsiString& value) {
  if (!prop || !prop->GetStr) NotOfKind(prop);
  if (!prop->SetStr) ReadOnlyProp(prop);
  prop->SetStr(obj, value);
}
TObject* GetObjectProp(const TObject* obj, const TPropInfo* prop) {
  if (!prop || !prop->GetObj) NotOfKind(prop);
  return prop->GetObj(obj);
}
void SetObjectProp(TObject* obj, const TPropInfo* prop, TObject* value) {
  if (!prop || !prop->GetObj) NotOfKind(prop);
  if (!prop->SetObj) ReadOnlyProp(prop);
  prop->SetObj(obj, value);
}
TMethod GetMethodProp(const TObject* obj, const TPropInfo* prop) {
  if (!prop || !prop->GetMethod) NotOfKind(prop);
  return prop->GetMethod(obj);
}
void SetMethodProp(TObject* obj, const TPropInfo* prop, const TMethod& value) {
  if (!prop || !prop->GetMethod) NotOfKind(prop);
  if (!prop->SetMethod) ReadOnlyProp(prop);
  prop->SetMethod(obj, value);
}

bool IsDefaultPropValue(const TObject* obj, const TPropInfo* prop) {
  // An ordinal without a declared default is always written.
  if (prop->GetOrd) return prop->HasDefault && prop->GetOrd(obj) == prop->DefaultOrd;
  // A float without a declared default is left out when it is zero.
  if (prop->GetFloat) return prop->GetFloat(obj) == prop->DefaultFloat;
  if (prop->GetStr) return prop->GetStr(obj) == prop->DefaultStr;
  if (prop->GetMethod) return prop->GetMethod(obj).Name.empty();
  if (prop->GetObj) return prop->GetObj(obj) == nullptr;
  return true;
}

bool IsStoredProp(const TObject* obj, const TPropInfo* prop) {
  if (prop->Stored && !prop->Stored(obj)) return false;
  return !IsDefaultPropValue(obj, prop);
}
