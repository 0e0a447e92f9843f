// Actions, action lists and the base links.
#include "platform/ui/ActnList.h"

#include <algorithm>

#include "platform/gdi/ImgList.h"

// --- Links ---------------------------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() {
  if (FAction) FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* value) {
  if (value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = value;
  if (FAction) FAction->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* target) {
  if (!FAction) return false;
  FAction->SetActionComponent(target);
  bool handled = false;
  try {
    handled = FAction->Execute();
  } catch (...) {
    if (FAction) FAction->SetActionComponent(nullptr);
    throw;
  }
  if (FAction) FAction->SetActionComponent(nullptr);
  return handled;
}

bool TBasicActionLink::Update() { return FAction && FAction->Update(); }

void TBasicActionLink::Change() {
  if (OnChange) OnChange(FAction);
}

bool TActionLink::IsCaptionLinked() { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
bool TActionLink::IsCheckedLinked() { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
bool TActionLink::IsEnabledLinked() { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
bool TActionLink::IsGroupIndexLinked() { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
bool TActionLink::IsHelpLinked() { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
bool TActionLink::IsHintLinked() { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
bool TActionLink::IsImageIndexLinked() { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
bool TActionLink::IsShortCutLinked() { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
bool TActionLink::IsVisibleLinked() { return dynamic_cast<TCustomAction*>(FAction) != nullptr; }
bool TActionLink::IsOnExecuteLinked() { return FAction != nullptr; }

void TActionLink::Refresh() {
  auto* action = dynamic_cast<TCustomAction*>(FAction);
  if (!action) return;
  SetCaption(action->Caption());
  SetEnabled(action->Enabled());
  SetChecked(action->Checked());
  SetVisible(action->Visible());
  SetHint(action->Hint());
  SetImageIndex(action->ImageIndex());
  SetShortCut(action->ShortCut());
  SetGroupIndex(action->GroupIndex());
  SetHelpContext(action->HelpContext());
  SetAutoCheck(action->AutoCheck());
  Change();
}

// --- TBasicAction --------------------------------------------------------------------------------

TBasicAction::~TBasicAction() {
  // The clients stay; they only lose the action.
  for (TBasicActionLink* link : FClients) link->FAction = nullptr;
  FClients.clear();
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) {
  if (std::find(FClients.begin(), FClients.end(), link) == FClients.end()) FClients.push_back(link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
  FClients.erase(std::remove(FClients.begin(), FClients.end(), link), FClients.end());
}

void TBasicAction::Change() {
  // A copy: a client's change handler may unlink itself.
  std::vector<TBasicActionLink*> clients = FClients;
  for (TBasicActionLink* link : clients) link->Change();
}

void TBasicAction::ForEachLink(const std::function<void(TActionLink*)>& call) {
  std::vector<TBasicActionLink*> clients = FClients;
  for (TBasicActionLink* link : clients)
    if (auto* actionLink = dynamic_cast<TActionLink*>(link)) call(actionLink);
}

// --- TContainedAction ----------------------------------------------------------------------------

TContainedAction::~TContainedAction() { SetActionList(nullptr); }

void TContainedAction::SetActionList(TCustomActionList* value) {
  if (value == FActionList) return;
  if (FActionList) {
    auto& list = FActionList->FActions;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  FActionList = value;
  if (FActionList) FActionList->FActions.push_back(this);
}

int TContainedAction::Index() const {
  if (!FActionList) return -1;
  const auto& list = FActionList->FActions;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

bool TContainedAction::Execute() {
  // The list may take the action over; a suspended list runs nothing.
  if (FActionList) {
    if (FActionList->State() != asNormal) return false;
    bool handled = false;
    if (FActionList->OnExecute) FActionList->OnExecute(this, handled);
    if (handled) return true;
  }
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (FActionList) {
    if (FActionList->State() == asSuspended) return false;
    bool handled = false;
    if (FActionList->OnUpdate) FActionList->OnUpdate(this, handled);
    if (handled) return true;
  }
  return TBasicAction::Update();
}

// --- TCustomAction -------------------------------------------------------------------------------

void TCustomAction::SetCaption(const String& value) {
  if (value == FCaption) return;
  FCaption = value;
  ForEachLink([&](TActionLink* link) { link->SetCaption(value); });
  Change();
}

void TCustomAction::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  ForEachLink([&](TActionLink* link) { link->SetChecked(value); });
  if (value && FGroupIndex > 0 && ActionList())
    for (int i = 0; i < ActionList()->ActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
      if (other && other != this && other->FGroupIndex == FGroupIndex) other->SetChecked(false);
    }
  Change();
}

void TCustomAction::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  ForEachLink([&](TActionLink* link) { link->SetEnabled(value); });
  Change();
}

void TCustomAction::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  ForEachLink([&](TActionLink* link) { link->SetVisible(value); });
  Change();
}

void TCustomAction::SetHint(const String& value) {
  if (value == FHint) return;
  FHint = value;
  ForEachLink([&](TActionLink* link) { link->SetHint(value); });
  Change();
}

void TCustomAction::SetImageIndex(int value) {
  if (value == FImageIndex) return;
  FImageIndex = value;
  ForEachLink([&](TActionLink* link) { link->SetImageIndex(value); });
  Change();
}

void TCustomAction::SetShortCut(TShortCut value) {
  if (value == FShortCut) return;
  FShortCut = value;
  ForEachLink([&](TActionLink* link) { link->SetShortCut(value); });
  Change();
}

void TCustomAction::SetAutoCheck(bool value) {
  if (value == FAutoCheck) return;
  FAutoCheck = value;
  ForEachLink([&](TActionLink* link) { link->SetAutoCheck(value); });
  Change();
}

void TCustomAction::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  ForEachLink([&](TActionLink* link) { link->SetGroupIndex(value); });
  Change();
}

void TCustomAction::SetHelpContext(int value) {
  if (value == FHelpContext) return;
  FHelpContext = value;
  ForEachLink([&](TActionLink* link) { link->SetHelpContext(value); });
  Change();
}

bool TCustomAction::Execute() {
  if (!FEnabled) return false;
  if (FAutoCheck) SetChecked(!FChecked);
  return TContainedAction::Execute();
}

// --- TCustomActionList ---------------------------------------------------------------------------

TCustomActionList::~TCustomActionList() {
  for (TContainedAction* action : FActions) action->FActionList = nullptr;
  FActions.clear();
}

void TCustomActionList::SetImages(TCustomImageList* value) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = value;
  if (FImages) FImages->FreeNotification(this);
}

void TCustomActionList::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FImages) FImages = nullptr;
  if (auto* action = dynamic_cast<TContainedAction*>(component))
    if (action->FActionList == this) action->SetActionList(nullptr);
}

bool TCustomActionList::IsShortCut(TShortCut shortCut) {
  if (shortCut == scNone || FState != asNormal) return false;
  std::vector<TContainedAction*> actions = FActions;
  for (TContainedAction* contained : actions) {
    auto* action = dynamic_cast<TCustomAction*>(contained);
    if (!action || action->ShortCut() != shortCut) continue;
    action->Update();
    // A disabled action's key is not taken: it goes on to the control as if unassigned.
    if (!action->Enabled()) return false;
    action->Execute();
    return true;
  }
  return false;
}

void TCustomActionList::UpdateActions() {
  if (FState == asSuspended) return;
  std::vector<TContainedAction*> actions = FActions;
  for (TContainedAction* action : actions) action->Update();
}
