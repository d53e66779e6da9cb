#include "Classes.h"

#include <algorithm>
#include <map>

// ---------------------------------------------------------------------------
// TClassInfo

TClassInfo::TClassInfo(const char* name, const TClassInfo* parent, TFactory factory)
    : FName(name), FParent(parent), FFactory(factory) {
  FType.Kind = tkClass;
  FType.Name = FName;
  FType.ClassType = this;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* c = this; c; c = c->FParent)
    if (c == &other) return true;
  return false;
}

bool TClassInfo::InheritsFrom(const AnsiString& className) const {
  for (const TClassInfo* c = this; c; c = c->FParent)
    if (SameText(c->FName, className)) return true;
  return false;
}

const TPropInfo* TClassInfo::FindProp(const AnsiString& name) const {
  for (const TClassInfo* c = this; c; c = c->FParent)
    for (const auto& p : c->FProps)
      if (SameText(p->Name, name)) return p.get();
  return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(const AnsiString& name) const {
  for (const TClassInfo* c = this; c; c = c->FParent)
    for (const auto& m : c->FMethods)
      if (SameText(m.Name, name)) return &m;
  return nullptr;
}

TComponent* TClassInfo::CreateComponent(TComponent* owner) const {
  if (!FFactory) throw EClassNotFound("Cannot create an instance of " + FName);
  return FFactory(owner);
}

const TClassInfo& TObject::StaticClass() {
  static TClassInfo info("TObject", nullptr, nullptr);
  return info;
}

// ---------------------------------------------------------------------------
// Class registry

namespace {
std::map<AnsiString, const TClassInfo*>& Registry() {
  static std::map<AnsiString, const TClassInfo*> registry;
  return registry;
}
}  // namespace

void RegisterClass(const TClassInfo& cls) { Registry()[UpperCase(cls.Name())] = &cls; }

void RegisterClasses(std::initializer_list<const TClassInfo*> classes) {
  for (const TClassInfo* c : classes) RegisterClass(*c);
}

void UnRegisterClass(const TClassInfo& cls) {
  auto it = Registry().find(UpperCase(cls.Name()));
  if (it != Registry().end() && it->second == &cls) Registry().erase(it);
}

const TClassInfo* GetClass(const AnsiString& name) {
  auto it = Registry().find(UpperCase(name));
  return it == Registry().end() ? nullptr : it->second;
}

const TClassInfo& FindClass(const AnsiString& name) {
  const TClassInfo* cls = GetClass(name);
  if (!cls) throw EClassNotFound(Format("Class %s not found", {name}));
  return *cls;
}

// ---------------------------------------------------------------------------
// TPersistent

BEGIN_CLASS(TPersistent) {}

void TPersistent::Assign(const TPersistent& source) { source.AssignTo(*this); }

void TPersistent::AssignTo(TPersistent& dest) const {
  throw EConvertError(Format("Cannot assign a %s to a %s", {ClassName(), dest.ClassName()}));
}

void TPersistent::DefineProperties(TFiler&) {}

// ---------------------------------------------------------------------------
// TComponent

BEGIN_CLASS(TComponent) {
  // The name is streamed in the object's header line, not as a property.
  b.Property("Name", &TComponent::Name, &TComponent::SetName, ShortStringType("TComponentName", 63)).NotStored();
  b.Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  FComponentState |= csDestroying;
  // Tell everyone who asked; each answer may remove itself from the list.
  while (!FFreeNotifies.empty()) {
    TComponent* c = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    auto& back = c->FFreeNotifies;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    c->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError(Format("List index out of bounds (%d)", {index}));
  return FComponents[size_t(index)];
}

TComponent* TComponent::FindComponent(const AnsiString& name) const {
  if (name.empty()) return nullptr;
  auto it = FNameIndex.find(UpperCase(name));
  return it == FNameIndex.end() ? nullptr : it->second;
}

void TComponent::IndexName(TComponent* component, bool add) {
  if (component->FName.empty()) return;
  const AnsiString key = UpperCase(component->FName);
  if (add) {
    FNameIndex[key] = component;
  } else if (auto it = FNameIndex.find(key); it != FNameIndex.end() && it->second == component) {
    FNameIndex.erase(it);
  }
}

void TComponent::ChangeName(const AnsiString& name) {
  if (FOwner) FOwner->IndexName(this, false);
  FName = name;
  if (FOwner) FOwner->IndexName(this, true);
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : int(it - list.begin());
}

void TComponent::SetComponentIndex(int index) {
  if (!FOwner) return;
  auto& list = FOwner->FComponents;
  int current = ComponentIndex();
  if (current < 0) return;
  index = std::clamp(index, 0, int(list.size()) - 1);
  list.erase(list.begin() + current);
  list.insert(list.begin() + index, this);
}

void TComponent::ValidateRename(TComponent* component, const AnsiString& currentName,
                                const AnsiString& newName) const {
  if (newName.empty() || SameText(currentName, newName)) return;
  TComponent* other = FindComponent(newName);
  if (other && other != component)
    throw EComponentError(Format("A component named %s already exists", {newName}));
}

void TComponent::SetName(const AnsiString& name) {
  if (name == FName) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError(Format("'%s' is not a valid component name", {name}));
  if (FOwner) FOwner->ValidateRename(this, FName, name);
  ChangeName(name);
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->FOwner == this) return;
  ValidateRename(component, AnsiString(), component->FName);
  if (component->FOwner) component->FOwner->RemoveComponent(component);
  FComponents.push_back(component);
  component->FOwner = this;
  IndexName(component, true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->FOwner != this) return;
  auto it = std::find(FComponents.begin(), FComponents.end(), component);
  if (it != FComponents.end()) FComponents.erase(it);
  IndexName(component, false);
  component->FOwner = nullptr;
  if (!HasState(csDestroying)) Notification(component, opRemove);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    FComponents.pop_back();
    IndexName(c, false);
    c->FOwner = nullptr;
    delete c;
  }
}

void TComponent::SetState(TComponentStateFlag flag, bool on) {
  if (on) FComponentState |= flag;
  else FComponentState &= ~unsigned(flag);
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
    FFreeNotifies.push_back(component);
    component->FFreeNotifies.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  auto drop = [](std::vector<TComponent*>& v, TComponent* c) { v.erase(std::remove(v.begin(), v.end(), c), v.end()); };
  drop(FFreeNotifies, component);
  if (component) drop(component->FFreeNotifies, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // A removal concerns the siblings too: they may refer to the component.
  if (operation == opRemove && !HasState(csDestroying))
    for (TComponent* c : FComponents)
      if (c != component) c->Notification(component, operation);
}

void TComponent::Loaded() { SetState(csLoading, false); }

void TComponent::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  if (root != this) return;
  for (TComponent* c : FComponents)
    if (!c->HasParent() || !c->GetParentComponent()) proc(c);
}
