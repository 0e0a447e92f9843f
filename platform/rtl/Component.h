// Components: objects with an owner that deletes them, a name unique among their siblings, and
// notifications that keep references between components from dangling.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/List.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Sets.h"

DECLARE_EXCEPTION(EComponentError, Exception)

enum TComponentStateItem {
  csLoading,
  csReading,
  csWriting,
  csDestroying,
  csDesigning,
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,
  csInline,
  csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

// Ownership: a component made with an owner is deleted by it. A component deleted first leaves its
// owner's list, and its owner and the owner's other components receive Notification(c, opRemove),
// as do the components linked to it with FreeNotification.
//
// C++ runs the base destructor after a descendant's members are gone, so a descendant whose owned
// components use its own state calls DestroyComponents() in its destructor. Likewise the base
// constructor inserts the component into its owner, and the opInsert notification then sees a
// TComponent, not yet the descendant class.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  // Raises EListError "List index out of bounds (%d)" for an index out of range.
  TComponent* Components(int index) const;
  // The position in the owner's list; -1 without an owner.
  int ComponentIndex() const;
  void SetComponentIndex(int value);

  const String& Name() const { return FName; }
  // Raises EComponentError for a name that is not an identifier, or one already used by another
  // component of the same owner (case-insensitive). An empty name is always allowed.
  virtual void SetName(const String& newName);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t value) { FTag = value; }
  TComponentState ComponentState() const { return FComponentState; }

  // The owned component of that name, ignoring case; nullptr when none (or for an empty name).
  TComponent* FindComponent(const String& name) const;
  // Makes this component the owner of the given one (taking it from its previous owner).
  void InsertComponent(TComponent* component);
  // Gives up ownership without deleting; the component is left without an owner.
  void RemoveComponent(TComponent* component);
  // Deletes every owned component, the last first.
  void DestroyComponents();
  // Marks this component and everything it owns as being destroyed.
  void Destroying();

  // Links the two components both ways: whichever is deleted first sends the other
  // Notification(itself, opRemove), and the link goes with it.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // What the form reader does around setting a component's stored properties: BeginLoading marks
  // this component and its owned components loading and reading; EndLoading clears reading and
  // calls Loaded() on each.
  void BeginLoading();
  void EndLoading();

  void BeforeDestruction() override;

 protected:
  // Tells the component that another one was inserted into or removed from its owner, or that a
  // component linked by FreeNotification is going. The base drops the free-notification link on
  // opRemove and passes the notice on to the owned components; overrides call it.
  virtual void Notification(TComponent* component, TOperation operation);
  // Called when the stored properties have been read; the base clears csLoading.
  virtual void Loaded();
  // Checks a rename of an owned component (or of this one when component is nullptr).
  virtual void ValidateRename(TComponent* component, const String& curName, const String& newName);
  void SetDesigning(bool value, bool setChildren = true);
  void SetInline(bool value);
  void SetDesignInstance(bool value);
  void SetAncestor(bool value);
  // Bracket a change of many properties: csUpdating.
  virtual void Updating();
  virtual void Updated();
  void ChangeName(const String& newName) { FName = newName; }

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void AddFreeLink(TComponent* component);
  void DropFreeLink(TComponent* component);
  void RemoveFreeNotifications();

  TComponent* FOwner = nullptr;
  String FName;
  intptr_t FTag = 0;
  TComponentState FComponentState;
  std::vector<TComponent*> FComponents;
  // Both directions of FreeNotification: the components to tell when this one goes, which are
  // also the components that will tell this one.
  std::vector<TComponent*> FFreeNotifies;
};
