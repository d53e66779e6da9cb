// The object bridge over the class library's run-time type information: the
// published properties of any TObject, read live.
#include "Classes.h"
#include "ExprSupport.h"
#include "TypInfo.h"

namespace {

std::optional<TValueKind> KindOfType(const TTypeInfo* type) {
  if (!type) return std::nullopt;
  switch (type->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar: return vkInteger;
    case tkEnumeration: return type->Name == "Boolean" ? vkBoolean : vkEnumerated;
    case tkFloat: return vkFloat;
    case tkString:
    case tkLString:
    case tkWString: return vkString;
    case tkClass: return vkObject;
    default: return std::nullopt;
  }
}

class TRttiProperty : public TScriptProperty {
public:
  explicit TRttiProperty(const TPropInfo* prop) : FProp(prop) {
    FInfo.Name = prop->PropType ? prop->PropType->Name : AnsiString();
    if (prop->PropType) FInfo.EnumNames = prop->PropType->EnumNames;
  }
  std::optional<TValueKind> Kind() const override { return KindOfType(FProp->PropType); }
  const TValueTypeInfo* TypeInfo() const override { return &FInfo; }
  AnsiString GetString(TObject* object) const override { return GetStrProp(object, FProp); }
  double GetFloat(TObject* object) const override { return GetFloatProp(object, FProp); }
  int64_t GetOrdinal(TObject* object) const override { return GetOrdProp(object, FProp); }
  TObject* GetObject(TObject* object) const override { return GetObjectProp(object, FProp); }

private:
  const TPropInfo* FProp;
  TValueTypeInfo FInfo;
};

class TRttiBridge : public TObjectBridge {
public:
  AnsiString ClassName(TObject* object) const override { return object->ClassName(); }
  std::shared_ptr<const TScriptProperty> FindProperty(TObject* object, const AnsiString& name) const override {
    const TPropInfo* prop = GetPropInfo(object, name);
    return prop ? std::make_shared<TRttiProperty>(prop) : nullptr;
  }
};

}  // namespace

std::shared_ptr<TObjectBridge> MakeRttiObjectBridge() { return std::make_shared<TRttiBridge>(); }
