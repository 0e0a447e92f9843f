#include "platform/rtl/Component.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <algorithm>

#include "platform/rtl/Format.h"
#include "platform/rtl/List.h"
#include "platform/rtl/TextCompare.h"

namespace {

// An identifier: a letter or underscore, then letters, digits and underscores. Letters of any
// script count, so a Cyrillic name is valid.
bool IsValidComponentName(const String& name) {
  const char16_t* text = name.data();
  int32_t length = static_cast<int32_t>(name.size());
  int32_t i = 0;
  bool first = true;
  while (i < length) {
    UChar32 c;
    U16_NEXT(text, i, length, c);
    bool ok = c == u'_' || u_isalpha(c) || (!first && u_isdigit(c));
    if (!ok) return false;
    first = false;
  }
  return !first;
}

[[noreturn]] void DuplicateNameError(const String& name) {
  throw EComponentError(Format(u"A component named %s already exists", {name}));
}

template <class T>
void EraseValue(std::vector<T>& items, const T& value) {
  auto it = std::find(items.begin(), items.end(), value);
  if (it != items.end()) items.erase(it);
}

}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  RemoveFreeNotifications();
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::BeforeDestruction() { Destroying(); }

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) TList::Error(index);
  return FComponents[index];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& siblings = FOwner->FComponents;
  auto it = std::find(siblings.begin(), siblings.end(), this);
  return it == siblings.end() ? -1 : static_cast<int>(it - siblings.begin());
}

void TComponent::SetComponentIndex(int value) {
  int current = ComponentIndex();
  if (current < 0) return;
  auto& siblings = FOwner->FComponents;
  value = std::clamp(value, 0, static_cast<int>(siblings.size()) - 1);
  if (value == current) return;
  siblings.erase(siblings.begin() + current);
  siblings.insert(siblings.begin() + value, this);
}

void TComponent::SetName(const String& newName) {
  if (FName == newName) return;
  if (!newName.empty() && !IsValidComponentName(newName))
    throw EComponentError(Format(u"'%s' is not a valid component name", {newName}));
  if (FOwner)
    FOwner->ValidateRename(this, FName, newName);
  else
    ValidateRename(nullptr, FName, newName);
  ChangeName(newName);
}

void TComponent::ValidateRename(TComponent* component, const String& curName,
                                const String& newName) {
  if (component && !AnsiSameText(curName, newName) && component->FOwner == this &&
      FindComponent(newName))
    DuplicateNameError(newName);
}

TComponent* TComponent::FindComponent(const String& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* component : FComponents)
    if (AnsiSameText(component->FName, name)) return component;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->FOwner == this) return;
  // Checked before the component leaves its old owner, so a clash leaves it where it was.
  if (FindComponent(component->FName)) DuplicateNameError(component->FName);
  ValidateRename(component, String(), component->FName);
  // A component has one owner: taking it from the old one keeps it out of two lists.
  if (component->FOwner) component->FOwner->RemoveComponent(component);
  Insert(component);
  if (FComponentState.Contains(csDesigning)) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->FOwner != this) return;
  ValidateRename(component, component->FName, String());
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  FComponents.push_back(component);
  component->FOwner = this;
}

void TComponent::Remove(TComponent* component) {
  EraseValue(FComponents, component);
  component->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* component = FComponents.back();
    // Siblings hear of the removal only when someone asked to be told; a plain removal stays
    // silent, so deleting an owner of many components does not notify each one about every other.
    if (component->FComponentState.Contains(csFreeNotification))
      RemoveComponent(component);
    else
      Remove(component);
    component->Free();
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* component : FComponents) component->Destroying();
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Handlers may delete components of this owner; walk down and re-clamp the index.
  int i = ComponentCount() - 1;
  while (i >= 0) {
    FComponents[i]->Notification(component, operation);
    --i;
    if (i >= ComponentCount()) i = ComponentCount() - 1;
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  // A component on its way out can no longer tell anyone later: never link to one.
  if (FComponentState.Contains(csDestroying) || component->FComponentState.Contains(csDestroying))
    return;
  AddFreeLink(component);
  component->AddFreeLink(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  DropFreeLink(component);
  component->DropFreeLink(this);
}

void TComponent::AddFreeLink(TComponent* component) {
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
    FFreeNotifies.push_back(component);
  FComponentState.Include(csFreeNotification);
}

void TComponent::DropFreeLink(TComponent* component) {
  EraseValue(FFreeNotifies, component);
  if (FFreeNotifies.empty()) FComponentState.Exclude(csFreeNotification);
}

void TComponent::RemoveFreeNotifications() {
  // Components inside the owner's tree hear of this one's removal from the owner at the end of
  // the destructor; telling them here as well would tell them twice.
  auto toldByOwner = [this](TComponent* other) {
    if (!FOwner) return false;
    for (TComponent* c = other; c; c = c->FOwner)
      if (c == FOwner) return true;
    return false;
  };
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    RemoveFreeNotification(other);
    if (!toldByOwner(other)) other->Notification(this, opRemove);
  }
}

void TComponent::BeginLoading() {
  FComponentState << csLoading << csReading;
  for (TComponent* component : FComponents) component->BeginLoading();
}

void TComponent::EndLoading() {
  FComponentState.Exclude(csReading);
  Loaded();
  for (TComponent* component : FComponents) component->EndLoading();
}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::SetDesigning(bool value, bool setChildren) {
  if (value)
    FComponentState.Include(csDesigning);
  else
    FComponentState.Exclude(csDesigning);
  if (setChildren)
    for (TComponent* component : FComponents) component->SetDesigning(value);
}

void TComponent::SetInline(bool value) {
  if (value)
    FComponentState.Include(csInline);
  else
    FComponentState.Exclude(csInline);
}

void TComponent::SetDesignInstance(bool value) {
  if (value)
    FComponentState.Include(csDesignInstance);
  else
    FComponentState.Exclude(csDesignInstance);
}

void TComponent::SetAncestor(bool value) {
  if (value)
    FComponentState.Include(csAncestor);
  else
    FComponentState.Exclude(csAncestor);
  for (TComponent* component : FComponents) component->SetAncestor(value);
}

void TComponent::Updating() { FComponentState.Include(csUpdating); }

void TComponent::Updated() { FComponentState.Exclude(csUpdating); }
