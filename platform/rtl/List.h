// TList, the list of untyped pointers, and TObjectList, a list that can own its objects.
#pragma once

#include <functional>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"

DECLARE_EXCEPTION(EListError, Exception)

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Negative when the first item orders before the second, 0 when equal, positive after.
using TListSortCompare = std::function<int(void* item1, void* item2)>;

// Every index out of range raises EListError "List index out of bounds (%d)".
//
// Notify() tells a descendant of items entering and leaving; C++ calls only the base version from
// the base destructor, so a descendant that frees its items clears the list in its own destructor.
class TList : public TObject {
 public:
  TList() = default;
  ~TList() override = default;

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  // Deletes the first occurrence; returns its former index, or -1.
  int Remove(void* item);
  // Takes the first occurrence out without deleting it (lnExtracted); nullptr when absent.
  void* Extract(void* item);
  int IndexOf(void* item) const;
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  // Drops the nil items.
  void Pack();
  // A stable sort: equal items keep their order.
  void Sort(const TListSortCompare& compare);
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  virtual void Clear();

  int Count() const { return static_cast<int>(FList.size()); }
  // Growing appends nil items; shrinking deletes the items past the new count.
  void SetCount(int newCount);
  int Capacity() const { return static_cast<int>(FList.capacity()); }
  // Raises EListError "List capacity out of bounds (%d)" below Count.
  void SetCapacity(int newCapacity);

  void* Get(int index) const;
  void Put(int index, void* item);
  void* Items(int index) const { return Get(index); }
  void SetItems(int index, void* item) { Put(index, item); }
  // The raw items, for fast walks.
  void* const* List() const { return FList.data(); }

  // Raises EListError with the message formatted with the number (Format's "%d").
  [[noreturn]] static void Error(const String& message, int64_t data);
  // Raises EListError "List index out of bounds (%d)".
  [[noreturn]] static void Error(int64_t index);

 protected:
  virtual void Notify(void* item, TListNotification action);

 private:
  std::vector<void*> FList;
};

// A list of objects that deletes (Free) the objects it holds when OwnsObjects is on: on Delete,
// Remove, Clear, replacing an item and its own destruction; Extract hands an object back instead.
class TObjectList : public TList {
 public:
  explicit TObjectList(bool ownsObjects = true) : FOwnsObjects(ownsObjects) {}
  ~TObjectList() override;

  int Add(TObject* object) { return TList::Add(object); }
  void Insert(int index, TObject* object) { TList::Insert(index, object); }
  int Remove(TObject* object) { return TList::Remove(object); }
  TObject* Extract(TObject* object) { return static_cast<TObject*>(TList::Extract(object)); }
  int IndexOf(TObject* object) const { return TList::IndexOf(object); }
  TObject* Items(int index) const { return static_cast<TObject*>(Get(index)); }
  void SetItems(int index, TObject* object) { Put(index, object); }
  TObject* First() const { return static_cast<TObject*>(TList::First()); }
  TObject* Last() const { return static_cast<TObject*>(TList::Last()); }

  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool value) { FOwnsObjects = value; }

 protected:
  void Notify(void* item, TListNotification action) override;

 private:
  bool FOwnsObjects;
};
