// Run-time type information: type descriptions, published properties and
// published methods, declared once per class through TClassBuilder.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

#include "SysUtils.h"

class TObject;
class TClassInfo;

enum TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass,
  tkMethod, tkWChar, tkLString, tkWString, tkVariant
};
enum TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// Description of one type. Ordinal types carry their storage and bounds,
// enumerations their value names, sets their element type, short strings
// their maximum length and class types their class.
struct TTypeInfo {
  TTypeKind Kind = tkUnknown;
  AnsiString Name;
  TOrdType OrdType = otSLong;
  int32_t MinValue = 0;
  int32_t MaxValue = 0;
  std::vector<AnsiString> EnumNames;
  const TTypeInfo* CompType = nullptr;
  TFloatType FloatType = ftDouble;
  int MaxLength = 255;
  const TClassInfo* ClassType = nullptr;
};

AnsiString GetEnumName(const TTypeInfo* type, int value);
// Case-insensitive; -1 when no value has that name.
int GetEnumValue(const TTypeInfo* type, const AnsiString& name);

// Built-in types by C++ type. Enumerations and sets add specialisations with
// DECLARE_ENUM_TYPE / DEFINE_ENUM_TYPE and DECLARE_SET_TYPE / DEFINE_SET_TYPE.
template <class T> const TTypeInfo* TypeInfoOf();
template <> const TTypeInfo* TypeInfoOf<int32_t>();
template <> const TTypeInfo* TypeInfoOf<uint32_t>();
template <> const TTypeInfo* TypeInfoOf<int16_t>();
template <> const TTypeInfo* TypeInfoOf<uint16_t>();
template <> const TTypeInfo* TypeInfoOf<int8_t>();
template <> const TTypeInfo* TypeInfoOf<uint8_t>();
template <> const TTypeInfo* TypeInfoOf<char>();
template <> const TTypeInfo* TypeInfoOf<bool>();
template <> const TTypeInfo* TypeInfoOf<float>();
template <> const TTypeInfo* TypeInfoOf<double>();
template <> const TTypeInfo* TypeInfoOf<long double>();
template <> const TTypeInfo* TypeInfoOf<AnsiString>();

// Further ordinal and float types under their platform names.
const TTypeInfo* TypeInfoCurrency();
const TTypeInfo* TypeInfoExtended();
// A short string type with its maximum length, made once per name.
const TTypeInfo* ShortStringType(const AnsiString& name, int maxLength);
// An integer type with its own name and bounds (TColor, TCursor, TModalResult ...).
const TTypeInfo* MakeIntegerType(const AnsiString& name, TOrdType ord, int32_t minValue, int32_t maxValue);
// An enumeration from a comma-separated list of value names.
const TTypeInfo* MakeEnumType(const AnsiString& name, const char* commaNames);
const TTypeInfo* MakeSetType(const AnsiString& name, const TTypeInfo* element);

// A set of enumeration values 0..31, stored as a bit mask.
template <class E> struct TSet {
  uint32_t Bits = 0;
  constexpr TSet() = default;
  constexpr explicit TSet(uint32_t bits) : Bits(bits) {}
  constexpr TSet(std::initializer_list<E> values) { for (E e : values) Bits |= 1u << unsigned(e); }
  constexpr bool Contains(E e) const { return (Bits >> unsigned(e)) & 1u; }
  constexpr TSet& operator<<(E e) { Bits |= 1u << unsigned(e); return *this; }
  constexpr TSet& operator>>(E e) { Bits &= ~(1u << unsigned(e)); return *this; }
  constexpr bool operator==(const TSet&) const = default;
  constexpr bool Empty() const { return Bits == 0; }
};

#define DECLARE_ENUM_TYPE(E) template <> const TTypeInfo* TypeInfoOf<E>()
#define DEFINE_ENUM_TYPE(E, names)                                   \
  template <> const TTypeInfo* TypeInfoOf<E>() {                     \
    static const TTypeInfo* info = MakeEnumType(#E, names);          \
    return info;                                                     \
  }
#define DECLARE_SET_TYPE(S) template <> const TTypeInfo* TypeInfoOf<S>()
#define DEFINE_SET_TYPE(S, E)                                                 \
  template <> const TTypeInfo* TypeInfoOf<S>() {                              \
    static const TTypeInfo* info = MakeSetType(#S, TypeInfoOf<E>());          \
    return info;                                                              \
  }

// ---------------------------------------------------------------------------
// Events: a callback plus the object and name of the published method it is
// bound to. A closure bound at run time has no handler name and is not stored.

class TMethodInfo;

// The generic value of a method property, as streaming and RTTI see it.
struct TMethod {
  TObject* Data = nullptr;
  AnsiString Name;
  bool Assigned() const { return !Name.empty() || Data != nullptr; }
};

template <class... Args> class TEvent {
public:
  using THandler = std::function<void(Args...)>;
  TEvent() = default;
  // Any callable converts, so `OnChange = [&](TObject*) { ... };` binds a closure.
  template <class F>
    requires(std::is_constructible_v<THandler, F> && !std::is_same_v<std::remove_cvref_t<F>, TEvent>)
  TEvent(F&& handler) : Handler(std::forward<F>(handler)) {}  // NOLINT: closures convert
  explicit operator bool() const { return bool(Handler); }
  void operator()(Args... args) const { if (Handler) Handler(args...); }
  void Clear() { Handler = nullptr; HandlerObject = nullptr; HandlerName.clear(); }
  THandler Handler;
  TObject* HandlerObject = nullptr;
  AnsiString HandlerName;
};

// A published method: its name and a maker that binds it to an object as a
// callable of the method's signature (kept in std::any, checked on binding).
class TMethodInfo {
public:
  AnsiString Name;
  std::any Maker;  // std::function<std::function<void(Args...)>(TObject*)>
};

// ---------------------------------------------------------------------------
// Published properties

class TPropInfo {
public:
  AnsiString Name;
  const TTypeInfo* PropType = nullptr;
  const TClassInfo* Owner = nullptr;  // the class that declared it

  // Accessors by value category; only those of the property's kind are set.
  std::function<int64_t(const TObject*)> GetOrd;
  std::function<void(TObject*, int64_t)> SetOrd;
  std::function<double(const TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<AnsiString(const TObject*)> GetStr;
  std::function<void(TObject*, const AnsiString&)> SetStr;
  std::function<TObject*(const TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<TMethod(const TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;

  // Stored rule: a property is written when Stored (if given) answers true
  // and its value differs from Default (if HasDefault).
  bool HasDefault = false;
  int64_t DefaultOrd = 0;
  double DefaultFloat = 0;
  AnsiString DefaultStr;
  std::function<bool(const TObject*)> Stored;

  bool Writable() const { return SetOrd || SetFloat || SetStr || SetObj || SetMethod; }
};

// The published properties of a class, ancestors' first, in declaration order.
std::vector<const TPropInfo*> GetPropList(const TClassInfo& cls);
// Case-insensitive lookup over the class and its ancestors; nullptr when absent.
const TPropInfo* GetPropInfo(const TObject* obj, const AnsiString& name);
const TPropInfo* GetPropInfo(const TClassInfo& cls, const AnsiString& name);

int64_t GetOrdProp(const TObject* obj, const TPropInfo* prop);
void SetOrdProp(TObject* obj, const TPropInfo* prop, int64_t value);
double GetFloatProp(const TObject* obj, const TPropInfo* prop);
void SetFloatProp(TObject* obj, const TPropInfo* prop, double value);
AnsiString GetStrProp(const TObject* obj, const TPropInfo* prop);
void SetStrProp(TObject* obj, const TPropInfo* prop, const AnsiString& value);
TObject* GetObjectProp(const TObject* obj, const TPropInfo* prop);
void SetObjectProp(TObject* obj, const TPropInfo* prop, TObject* value);
TMethod GetMethodProp(const TObject* obj, const TPropInfo* prop);
// Binds the published method value.Name of value.Data; an empty name clears.
// Raises EPropertyError when the method is missing or its signature differs.
void SetMethodProp(TObject* obj, const TPropInfo* prop, const TMethod& value);
// Answers whether the property holds something other than its default and
// its stored rule allows writing it.
bool IsStoredProp(const TObject* obj, const TPropInfo* prop);
bool IsDefaultPropValue(const TObject* obj, const TPropInfo* prop);
