#include "System.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "SysUtils.h"

// ---- TPersistent ---------------------------------------------------------------------------
void TPersistent::Assign(TPersistent* Source) {
  if (Source != nullptr) {
    Source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) {
  // Dest asked us to assign ourselves to it and we do not know how: the standard error.
  Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source) {
  String src = Source != nullptr ? Source->ClassName() : String("nil");
  throw EAssignError("Cannot assign a " + src + " to a " + ClassName());
}

// ---- TPropValue ----------------------------------------------------------------------------
Int64 TPropValue::AsInteger() const {
  switch (kind) {
    case Kind::Integer: return i;
    case Kind::Float: return static_cast<Int64>(f);
    default: throw EConvertError("integer value expected, found '" + s + "'");
  }
}

long double TPropValue::AsFloat() const {
  switch (kind) {
    case Kind::Integer: return static_cast<long double>(i);
    case Kind::Float: return f;
    default: throw EConvertError("number expected, found '" + s + "'");
  }
}

bool TPropValue::AsBoolean() const {
  if (kind == Kind::Ident) {
    const String l = LowerCase(s);
    if (l == "true") return true;
    if (l == "false") return false;
  }
  throw EConvertError("True or False expected, found '" + s + "'");
}

const String& TPropValue::AsString() const {
  if (kind == Kind::String || kind == Kind::Ident || kind == Kind::Binary) return s;
  throw EConvertError("text expected");
}

// ---- TComponent ----------------------------------------------------------------------------
TComponent::TComponent(TComponent* AOwner) {
  if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FComponentState |= csDestroying;
  // Owned components go first, last created first; each removes itself from our list.
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    delete c;
  }
  if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

void TComponent::SetName(const String& NewName) {
  if (NewName == FName) return;
  if (!NewName.empty() && FOwner != nullptr) {
    TComponent* other = FOwner->FindComponent(NewName);
    if (other != nullptr && other != this)
      throw EComponentError("A component named " + NewName + " already exists");
  }
  FName = NewName;
}

TComponent* TComponent::FindComponent(const String& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* C) {
  FComponents.push_back(C);
  C->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* C) {
  auto it = std::find(FComponents.begin(), FComponents.end(), C);
  if (it != FComponents.end()) FComponents.erase(it);
  C->FOwner = nullptr;
}

bool TComponent::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Name") {
    SetName(Value.AsString());
    return true;
  }
  if (Prop == "Tag") {
    Tag = Value.AsInteger();
    return true;
  }
  return false;
}

bool TComponent::SetDescribedEvent(const String&, const String&, TComponent*) { return false; }

TNotifyEvent TComponent::FindNotifyHandler(const String&) { return nullptr; }

// ---- class registry ------------------------------------------------------------------------
namespace {
std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}
std::map<String, TComponentFactory>& Registry() {
  static std::map<String, TComponentFactory> r;
  return r;
}
}  // namespace

void RegisterComponentClass(const String& ClassName, TComponentFactory Factory) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Registry()[ClassName] = std::move(Factory);
}

const TComponentFactory* FindComponentClass(const String& ClassName) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto it = Registry().find(ClassName);
  return it == Registry().end() ? nullptr : &it->second;
}
