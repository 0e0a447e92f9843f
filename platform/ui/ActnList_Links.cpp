// The links of menu items and controls, and the control's side of its action.
#include "platform/ui/ActnList.h"
#include "platform/ui/Menus.h"

// --- Menu items ----------------------------------------------------------------------------------

TMenuActionLink::TMenuActionLink(TMenuItem* client) : TActionLink(client), FMenuItem(client) {}

void TMenuActionLink::SetCaption(const String& value) {
  if (IsCaptionLinked()) FMenuItem->SetCaption(value);
}
void TMenuActionLink::SetChecked(bool value) {
  if (IsCheckedLinked()) FMenuItem->SetChecked(value);
}
void TMenuActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) FMenuItem->SetEnabled(value);
}
void TMenuActionLink::SetHint(const String& value) {
  if (IsHintLinked()) FMenuItem->SetHint(value);
}
void TMenuActionLink::SetImageIndex(int value) {
  if (IsImageIndexLinked()) FMenuItem->SetImageIndex(value);
}
void TMenuActionLink::SetShortCut(TShortCut value) {
  if (IsShortCutLinked()) FMenuItem->SetShortCut(value);
}
void TMenuActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) FMenuItem->SetVisible(value);
}

// --- Controls ------------------------------------------------------------------------------------

TControlActionLink::TControlActionLink(TControl* client) : TActionLink(client), FControl(client) {}

// A control's own value, set after linking, is kept while it differs from the action's.
bool TControlActionLink::IsCaptionLinked() {
  auto* action = dynamic_cast<TCustomAction*>(FAction);
  return action && FControl->Caption() == action->Caption();
}
bool TControlActionLink::IsEnabledLinked() {
  auto* action = dynamic_cast<TCustomAction*>(FAction);
  return action && FControl->Enabled() == action->Enabled();
}
bool TControlActionLink::IsHintLinked() {
  auto* action = dynamic_cast<TCustomAction*>(FAction);
  return action && FControl->Hint() == action->Hint();
}
bool TControlActionLink::IsVisibleLinked() {
  auto* action = dynamic_cast<TCustomAction*>(FAction);
  return action && FControl->Visible() == action->Visible();
}
// The setters run after the action took its new value, so they pass it on unconditionally: the
// value the control had was the action's before the change.
void TControlActionLink::SetCaption(const String& value) {
  if (FAction) FControl->SetCaption(value);
}
void TControlActionLink::SetEnabled(bool value) {
  if (FAction) FControl->SetEnabled(value);
}
void TControlActionLink::SetHint(const String& value) {
  if (FAction) FControl->SetHint(value);
}
void TControlActionLink::SetVisible(bool value) {
  if (FAction) FControl->SetVisible(value);
}

namespace {
void FreeControlLink(TControlActionLink* link) { delete link; }
}  // namespace

TBasicAction* TControl::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

TControlActionLink* TControl::CreateActionLink() { return new TControlActionLink(this); }

void TControl::SetAction(TBasicAction* value) {
  if (!value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) {
    FActionLink = std::unique_ptr<TControlActionLink, void (*)(TControlActionLink*)>(CreateActionLink(), &FreeControlLink);
    FActionLink->OnChange = [this](TObject* sender) { ActionChange(sender, false); };
  }
  FActionLink->SetAction(value);
  ActionChange(value, true);
}

void TControl::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  // With checkDefaults (just linked) only what the control has not set itself is taken over.
  if (!checkDefaults || Caption().empty()) SetCaption(action->Caption());
  if (!checkDefaults || Enabled()) SetEnabled(action->Enabled());
  if (!checkDefaults || Hint().empty()) SetHint(action->Hint());
  if (!checkDefaults || Visible()) SetVisible(action->Visible());
  if (!OnClick) {
    // Without a click handler of its own the control runs the action when clicked.
    OnClick = [this](TObject*) {
      if (FActionLink) FActionLink->Execute(this);
    };
  }
}
