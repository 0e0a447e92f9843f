// Actions: one command (caption, enabled and checked state, hint, image, short cut, what it does)
// shared by the menu items and controls linked to it. A change of the action reaches every linked
// client through its action link; a click on a client runs the action. An action list holds
// actions, answers their short cuts for its form and lets them update their state.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/Controls.h"

class TBasicAction;
class TCustomActionList;
class TCustomImageList;
class TMenuItem;

// A client's link to an action: the action tells it of every change through the setters, which
// the client's link class overrides to take what is linked.
class TBasicActionLink : public TObject {
 public:
  explicit TBasicActionLink(TObject* client) : FClient(client) {}
  ~TBasicActionLink() override;
  TBasicAction* Action() const { return FAction; }
  void SetAction(TBasicAction* value);
  TObject* Client() const { return FClient; }
  // Runs the action for the client; false without an action or when nothing handled it.
  virtual bool Execute(TComponent* target = nullptr);
  virtual bool Update();
  // The action changed in some way; the client takes it over (ActionChange).
  virtual void Change();
  TNotifyEvent OnChange;

 protected:
  friend class TBasicAction;
  TBasicAction* FAction = nullptr;
  TObject* FClient;
};

class TActionLink : public TBasicActionLink {
 public:
  using TBasicActionLink::TBasicActionLink;
  // Which properties of the client follow the action.
  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsGroupIndexLinked();
  virtual bool IsHelpLinked();
  virtual bool IsHintLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();
  virtual bool IsOnExecuteLinked();
  // The action's new values; a client's link passes on those it shows.
  virtual void SetAutoCheck(bool) {}
  virtual void SetCaption(const String&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetGroupIndex(int) {}
  virtual void SetHelpContext(int) {}
  virtual void SetHint(const String&) {}
  virtual void SetImageIndex(int) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}
  // Passes every value of the action on at once (after linking).
  void Refresh();
};

class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
  ~TBasicAction() override;
  // Runs OnExecute (after the action list's OnExecute, which may handle it); true when handled.
  virtual bool Execute();
  // Runs OnUpdate (after the list's OnUpdate); true when a handler ran.
  virtual bool Update();
  // The client that ran the action last.
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* value) { FActionComponent = value; }
  void RegisterChanges(TBasicActionLink* link);
  void UnRegisterChanges(TBasicActionLink* link);
  int ClientCount() const { return static_cast<int>(FClients.size()); }
  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

 protected:
  // Tells every link the action changed.
  virtual void Change();
  // Calls a setter on every TActionLink client.
  void ForEachLink(const std::function<void(TActionLink*)>& call);

 private:
  std::vector<TBasicActionLink*> FClients;
  TComponent* FActionComponent = nullptr;
};

class TContainedAction : public TBasicAction {
 public:
  explicit TContainedAction(TComponent* owner) : TBasicAction(owner) {}
  ~TContainedAction() override;
  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* value);
  const String& Category() const { return FCategory; }
  void SetCategory(const String& value) { FCategory = value; }
  int Index() const;
  bool Execute() override;
  bool Update() override;

 private:
  friend class TCustomActionList;
  TCustomActionList* FActionList = nullptr;
  String FCategory;
};

class TCustomAction : public TContainedAction {
 public:
  explicit TCustomAction(TComponent* owner) : TContainedAction(owner) {}
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& value);
  bool Checked() const { return FChecked; }
  // Checking an action of a group unchecks the others of its list's group.
  void SetChecked(bool value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  const String& Hint() const { return FHint; }
  void SetHint(const String& value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut value);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int value);
  // A disabled action does not run; an AutoCheck one toggles Checked first.
  bool Execute() override;

 private:
  String FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  String FHint;
  int FImageIndex = -1;
  TShortCut FShortCut = scNone;
  bool FAutoCheck = false;
  int FGroupIndex = 0;
  int FHelpContext = 0;
};

class TAction : public TCustomAction {
 public:
  explicit TAction(TComponent* owner) : TCustomAction(owner) {}
};

enum TActionListState { asNormal, asSuspended, asSuspendedEnabled };
using TActionEvent = std::function<void(TBasicAction* action, bool& handled)>;

class TCustomActionList : public TComponent, public IShortCutHandler {
 public:
  explicit TCustomActionList(TComponent* owner) : TComponent(owner) {}
  ~TCustomActionList() override;
  int ActionCount() const { return static_cast<int>(FActions.size()); }
  TContainedAction* Actions(int index) const { return FActions.at(static_cast<size_t>(index)); }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* value);
  TActionListState State() const { return FState; }
  void SetState(TActionListState value) { FState = value; }
  // The enabled action with this short cut runs (after updating itself); true when one ran.
  bool IsShortCut(TShortCut shortCut) override;
  // Asks every action to update its state (the program calls it when idle).
  void UpdateActions();
  TActionEvent OnExecute;
  TActionEvent OnUpdate;
  TNotifyEvent OnChange;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TContainedAction;
  std::vector<TContainedAction*> FActions;
  TCustomImageList* FImages = nullptr;
  TActionListState FState = asNormal;
};

class TActionList : public TCustomActionList {
 public:
  explicit TActionList(TComponent* owner) : TCustomActionList(owner) {}
};

// A menu item's link: caption, enabled, checked, visible, hint, image and short cut follow.
class TMenuActionLink : public TActionLink {
 public:
  explicit TMenuActionLink(TMenuItem* client);
  void SetCaption(const String& value) override;
  void SetChecked(bool value) override;
  void SetEnabled(bool value) override;
  void SetHint(const String& value) override;
  void SetImageIndex(int value) override;
  void SetShortCut(TShortCut value) override;
  void SetVisible(bool value) override;

 private:
  TMenuItem* FMenuItem;
};

// A control's link: caption, enabled, hint and visible follow, and a click runs the action.
class TControlActionLink : public TActionLink {
 public:
  explicit TControlActionLink(TControl* client);
  TControl* Control() const { return FControl; }
  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  void SetCaption(const String& value) override;
  void SetEnabled(bool value) override;
  void SetHint(const String& value) override;
  void SetVisible(bool value) override;

 private:
  TControl* FControl;
};
