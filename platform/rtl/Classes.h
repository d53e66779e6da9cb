// Classes with run-time type information, persistent objects, components
// with ownership and naming, and the class registry used by streaming.
//
// A class with published properties declares itself in its header with
//   DECLARE_CLASS(TFoo, TParent)
// and describes its properties once, in declaration order, in its source:
//   BEGIN_CLASS(TFoo) {
//     b.Property("Caption", &TFoo::GetCaption, &TFoo::SetCaption);
//     b.Property("Tag", &TFoo::FTag, &TFoo::FTag).Default(0);
//   }
#pragma once

#include <functional>
#include <unordered_map>
#include <vector>

#include "SysUtils.h"
#include "TypInfo.h"

class TComponent;
template <class C> class TClassBuilder;

// The class description: name, parent, published properties and methods, and
// a factory for components that streaming recreates by class name.
class TClassInfo {
public:
  using TFactory = TComponent* (*)(TComponent* owner);

  TClassInfo(const char* name, const TClassInfo* parent, TFactory factory);
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const AnsiString& Name() const { return FName; }
  const TClassInfo* Parent() const { return FParent; }
  bool InheritsFrom(const TClassInfo& other) const;
  // Compares this class's and its ancestors' names without regard to case.
  bool InheritsFrom(const AnsiString& className) const;

  // Own properties in declaration order (without the ancestors').
  const std::vector<std::unique_ptr<TPropInfo>>& OwnProps() const { return FProps; }
  // Case-insensitive over this class and its ancestors.
  const TPropInfo* FindProp(const AnsiString& name) const;
  const TMethodInfo* FindMethod(const AnsiString& name) const;
  const std::vector<TMethodInfo>& OwnMethods() const { return FMethods; }
  // The tkClass type description of this class.
  const TTypeInfo* TypeInfo() const { return &FType; }

  bool CanCreate() const { return FFactory != nullptr; }
  // Creates a component of this class; raises EClassNotFound when abstract.
  TComponent* CreateComponent(TComponent* owner) const;

  // Runs a class's describe function once; re-entry while it runs is ignored,
  // so a class may publish a property of its own type.
  template <class C> void BuildOnce(void (*describe)(TClassBuilder<C>&));

private:
  template <class C> friend class TClassBuilder;
  AnsiString FName;
  const TClassInfo* FParent;
  TFactory FFactory;
  TTypeInfo FType;
  std::vector<std::unique_ptr<TPropInfo>> FProps;
  std::vector<TMethodInfo> FMethods;
  int FBuildState = 0;  // 0 not built, 1 building, 2 built
};

// The root of every class with type information.
class TObject {
public:
  virtual ~TObject() = default;
  static const TClassInfo& StaticClass();
  virtual const TClassInfo& ClassInfo() const { return StaticClass(); }
  const AnsiString& ClassName() const { return ClassInfo().Name(); }
  bool InheritsFrom(const AnsiString& className) const { return ClassInfo().InheritsFrom(className); }
  bool InheritsFrom(const TClassInfo& cls) const { return ClassInfo().InheritsFrom(cls); }
};

#define DECLARE_CLASS(C, P)                                        \
public:                                                            \
  using inherited = P;                                             \
  static const TClassInfo& StaticClass();                          \
  const TClassInfo& ClassInfo() const override { return StaticClass(); } \
  static void DescribeClass(TClassBuilder<C>& b);

#define BEGIN_CLASS(C)                                                          \
  const TClassInfo& C::StaticClass() {                                          \
    static TClassInfo info(#C, &C::inherited::StaticClass(), ComponentFactory<C>()); \
    info.BuildOnce<C>(&C::DescribeClass);                                       \
    return info;                                                                \
  }                                                                             \
  void C::DescribeClass([[maybe_unused]] TClassBuilder<C>& b)

// ---------------------------------------------------------------------------
// Class registry: streaming recreates components by class name.

void RegisterClass(const TClassInfo& cls);
void RegisterClasses(std::initializer_list<const TClassInfo*> classes);
void UnRegisterClass(const TClassInfo& cls);
// nullptr when no class of that name (case-insensitive) is registered.
const TClassInfo* GetClass(const AnsiString& name);
// Raises EClassNotFound "Class %s not found".
const TClassInfo& FindClass(const AnsiString& name);

// ---------------------------------------------------------------------------

class TFiler;
class TReader;
class TWriter;

// An object that can copy itself from another and stream extra data.
class TPersistent : public TObject {
  DECLARE_CLASS(TPersistent, TObject)
public:
  // Copies from source; raises EConvertError "Cannot assign a %s to a %s"
  // when neither side knows the other.
  virtual void Assign(const TPersistent& source);
  // Declares data that is streamed by the object itself (a string list's
  // lines, a picture's bytes) in addition to its published properties.
  virtual void DefineProperties(TFiler& filer);

protected:
  // Called by Assign when the source cannot copy itself into this object.
  virtual void AssignTo(TPersistent& dest) const;
};

// Streams extra data of an object under a property name of its own.
class TFiler {
public:
  virtual ~TFiler() = default;
  // readData is given the reader positioned at the value; writeData writes
  // the value. hasData false means nothing is written.
  virtual void DefineProperty(const AnsiString& name, const std::function<void(TReader&)>& readData,
                              const std::function<void(TWriter&)>& writeData, bool hasData) = 0;
  // Raw bytes, written as a hexadecimal block in braces.
  virtual void DefineBinaryProperty(const AnsiString& name,
                                    const std::function<void(const std::string&)>& readData,
                                    const std::function<std::string()>& writeData, bool hasData) = 0;
};

enum TComponentStateFlag : unsigned {
  csLoading = 1, csReading = 2, csWriting = 4, csDestroying = 8, csDesigning = 16,
  csUpdating = 32, csFixups = 64
};
enum TOperation { opInsert, opRemove };

// A named object with an owner. The owner frees its components; names are
// identifiers, unique among the owner's components without regard to case.
class TComponent : public TPersistent {
  DECLARE_CLASS(TComponent, TPersistent)
public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const AnsiString& Name() const { return FName; }
  // Raises EComponentError "'%s' is not a valid component name" or
  // "A component named %s already exists".
  virtual void SetName(const AnsiString& name);
  TComponent* Owner() const { return FOwner; }

  int ComponentCount() const { return int(FComponents.size()); }
  TComponent* Components(int index) const;
  // Case-insensitive; nullptr when absent or for an empty name.
  TComponent* FindComponent(const AnsiString& name) const;
  // Position in the owner's list, -1 without an owner.
  int ComponentIndex() const;
  void SetComponentIndex(int index);
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Frees the owned components, the last first.
  void DestroyComponents();

  int32_t Tag() const { return FTag; }
  void SetTag(int32_t tag) { FTag = tag; }

  unsigned ComponentState() const { return FComponentState; }
  bool HasState(TComponentStateFlag flag) const { return (FComponentState & flag) != 0; }
  void SetState(TComponentStateFlag flag, bool on);

  // Asks to be told (Notification with opRemove) when component is freed.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Streaming: called once every property has been read.
  virtual void Loaded();
  // The components streamed inside this one, in order. By default the root
  // yields the components it owns that have no parent component.
  virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
  // Visual containment, distinct from ownership; controls override these.
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* /*parent*/) {}

protected:
  virtual void Notification(TComponent* component, TOperation operation);
  void ValidateRename(TComponent* component, const AnsiString& currentName, const AnsiString& newName) const;

private:
  void ChangeName(const AnsiString& name);
  void IndexName(TComponent* component, bool add);
  AnsiString FName;
  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  // Owned components by upper-cased name, so name checks stay fast in large trees.
  std::unordered_map<AnsiString, TComponent*> FNameIndex;
  std::vector<TComponent*> FFreeNotifies;
  int32_t FTag = 0;
  unsigned FComponentState = 0;
};

// ---------------------------------------------------------------------------
// Implementation details of the registration templates.

template <class C> TClassInfo::TFactory ComponentFactory() {
  if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> &&
                std::is_constructible_v<C, TComponent*>) {
    return [](TComponent* owner) -> TComponent* { return new C(owner); };
  } else {
    return nullptr;
  }
}

const TTypeInfo* MethodTypeInfo();

template <class T> struct IsEvent : std::false_type {};
template <class... A> struct IsEvent<TEvent<A...>> : std::true_type {};
template <class T> struct IsSet : std::false_type {};
template <class E> struct IsSet<TSet<E>> : std::true_type {};

// Describes one class's published properties and methods.
template <class C> class TClassBuilder {
public:
  explicit TClassBuilder(TClassInfo& info) : FInfo(info) {}

  // getter: a const member function or a data member; setter: a member
  // function taking the value, a data member, or nullptr for read-only.
  // type: the property's type, when it is not the C++ type's own
  // (an enumeration's, TColor's, a short string's ...).
  template <class G, class S>
  TClassBuilder& Property(const char* name, G getter, S setter, const TTypeInfo* type = nullptr);

  // Rules of the last property: its default (not written when equal) and
  // when it is stored at all.
  template <class V> TClassBuilder& Default(V value) {
    TPropInfo& p = *FInfo.FProps.back();
    p.HasDefault = true;
    if constexpr (std::is_floating_point_v<V>) p.DefaultFloat = double(value);
    else if constexpr (std::is_convertible_v<V, AnsiString>) p.DefaultStr = AnsiString(value);
    else if constexpr (IsSet<V>::value) p.DefaultOrd = int64_t(value.Bits);
    else p.DefaultOrd = int64_t(value);
    return *this;
  }
  TClassBuilder& StoredIf(bool (C::*pred)() const) {
    FInfo.FProps.back()->Stored = [pred](const TObject* o) { return (static_cast<const C*>(o)->*pred)(); };
    return *this;
  }
  TClassBuilder& NotStored() {
    FInfo.FProps.back()->Stored = [](const TObject*) { return false; };
    return *this;
  }

  // A published handler method, found by name when an event binding is read.
  template <class... Args> TClassBuilder& Method(const char* name, void (C::*method)(Args...)) {
    using TCallable = std::function<void(Args...)>;
    std::function<TCallable(TObject*)> maker = [method](TObject* o) -> TCallable {
      C* self = static_cast<C*>(o);
      return [self, method](Args... args) { (self->*method)(args...); };
    };
    FInfo.FMethods.push_back(TMethodInfo{name, maker});
    return *this;
  }

private:
  template <class S, class V> static void Apply(S setter, C* obj, V&& value) {
    if constexpr (std::is_member_object_pointer_v<S>) obj->*setter = std::forward<V>(value);
    else (obj->*setter)(std::forward<V>(value));
  }
  TClassInfo& FInfo;
};

template <class C>
template <class G, class S>
TClassBuilder<C>& TClassBuilder<C>::Property(const char* name, G getter, S setter, const TTypeInfo* type) {
  using V = std::remove_cvref_t<std::invoke_result_t<G, const C&>>;
  constexpr bool readOnly = std::is_same_v<S, std::nullptr_t>;
  auto p = std::make_unique<TPropInfo>();
  p->Name = name;
  p->Owner = &FInfo;
  auto self = [](const TObject* o) -> const C& { return *static_cast<const C*>(o); };
  auto mut = [](TObject* o) -> C* { return static_cast<C*>(o); };
  if constexpr (IsEvent<V>::value) {
    p->PropType = type ? type : MethodTypeInfo();
    p->GetMethod = [getter, self](const TObject* o) {
      const V& e = std::invoke(getter, self(o));
      return TMethod{e.HandlerObject, e.HandlerName};
    };
    if constexpr (!readOnly) {
      p->SetMethod = [setter, mut, name](TObject* o, const TMethod& m) {
        V e;
        if (!m.Name.empty()) {
          const TMethodInfo* mi = m.Data ? m.Data->ClassInfo().FindMethod(m.Name) : nullptr;
          if (!mi) throw EPropertyError("Method " + m.Name + " not found");
          using TCallable = typename V::THandler;
          auto maker = std::any_cast<std::function<TCallable(TObject*)>>(&mi->Maker);
          if (!maker) throw EPropertyError("Method " + m.Name + " does not fit " + name);
          e.Handler = (*maker)(m.Data);
          e.HandlerObject = m.Data;
          e.HandlerName = mi->Name;
        }
        Apply(setter, mut(o), std::move(e));
      };
    }
  } else if constexpr (IsSet<V>::value) {
    p->PropType = type ? type : TypeInfoOf<V>();
    p->GetOrd = [getter, self](const TObject* o) { return int64_t(std::invoke(getter, self(o)).Bits); };
    if constexpr (!readOnly)
      p->SetOrd = [setter, mut](TObject* o, int64_t v) { Apply(setter, mut(o), V(uint32_t(v))); };
  } else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
    p->PropType = type ? type : TypeInfoOf<V>();
    p->GetOrd = [getter, self](const TObject* o) { return int64_t(std::invoke(getter, self(o))); };
    if constexpr (!readOnly)
      p->SetOrd = [setter, mut](TObject* o, int64_t v) { Apply(setter, mut(o), static_cast<V>(v)); };
  } else if constexpr (std::is_floating_point_v<V>) {
    p->PropType = type ? type : TypeInfoOf<V>();
    p->GetFloat = [getter, self](const TObject* o) { return double(std::invoke(getter, self(o))); };
    if constexpr (!readOnly)
      p->SetFloat = [setter, mut](TObject* o, double v) { Apply(setter, mut(o), static_cast<V>(v)); };
  } else if constexpr (std::is_same_v<V, AnsiString>) {
    p->PropType = type ? type : TypeInfoOf<AnsiString>();
    p->GetStr = [getter, self](const TObject* o) { return AnsiString(std::invoke(getter, self(o))); };
    if constexpr (!readOnly)
      p->SetStr = [setter, mut](TObject* o, const AnsiString& v) { Apply(setter, mut(o), v); };
  } else if constexpr (std::is_pointer_v<V>) {
    using T = std::remove_cv_t<std::remove_pointer_t<V>>;
    static_assert(std::is_base_of_v<TObject, T>, "class properties hold TObject descendants");
    p->PropType = type ? type : T::StaticClass().TypeInfo();
    p->GetObj = [getter, self](const TObject* o) -> TObject* {
      return const_cast<T*>(std::invoke(getter, self(o)));
    };
    if constexpr (!readOnly) {
      p->SetObj = [setter, mut](TObject* o, TObject* v) {
        T* typed = dynamic_cast<T*>(v);
        if (v && !typed) throw EPropertyError("Invalid property value");
        Apply(setter, mut(o), typed);
      };
    }
  } else {
    static_assert(sizeof(V) == 0, "unsupported published property type");
  }
  FInfo.FProps.push_back(std::move(p));
  return *this;
}

template <class C> void TClassInfo::BuildOnce(void (*describe)(TClassBuilder<C>&)) {
  if (FBuildState != 0) return;
  FBuildState = 1;
  TClassBuilder<C> builder(*this);
  describe(builder);
  FBuildState = 2;
}
