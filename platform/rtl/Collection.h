// Collections: an ordered list of items of one class, each item knowing its collection, its index
// and a unique ID.
#pragma once

#include <functional>
#include <type_traits>
#include <vector>

#include "platform/rtl/Persistent.h"

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
 public:
  // Joins the collection (when given) as its last item with the collection's next ID.
  explicit TCollectionItem(TCollection* collection);
  // Leaves the collection.
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  // Moves the item to the end of another collection (or out of any, for nullptr).
  virtual void SetCollection(TCollection* value);
  // Unique in its collection and never reused by it (unless the collection resets its IDs).
  int ID() const { return FID; }
  // The position in the collection; -1 outside one.
  int Index() const;
  // Moves the item; an index out of range raises EListError "List index out of bounds (%d)".
  virtual void SetIndex(int value);
  // The name the designer shows; the base gives the class name.
  virtual String DisplayName() const;
  virtual void SetDisplayName(const String& value);

 protected:
  // Tells the collection that this item (or, with allItems, everything) changed.
  void Changed(bool allItems);
  TPersistent* GetOwner() override;

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

// A class reference to an item class: makes items of that class for a collection.
class TCollectionItemClass {
 public:
  using Factory = std::function<TCollectionItem*(TCollection* collection)>;
  explicit TCollectionItemClass(Factory create) : FCreate(std::move(create)) {}
  template <class T>
  static TCollectionItemClass Of() {
    static_assert(std::is_base_of_v<TCollectionItem, T>, "collection items derive TCollectionItem");
    return TCollectionItemClass([](TCollection* collection) { return new T(collection); });
  }
  TCollectionItem* Create(TCollection* collection) const { return FCreate(collection); }

 private:
  Factory FCreate;
};

// The collection owns its items and deletes them with itself. Changes reach the virtual Update
// (with the changed item, or nullptr for many) unless inside BeginUpdate/EndUpdate, which ends with
// one Update(nullptr); Notify hears of every item added, taken out and deleted.
//
// An item's constructor joins the collection, so Notify(cnAdded) sees the item before its own
// class's constructor has run.
class TCollection : public TPersistent {
 public:
  explicit TCollection(TCollectionItemClass itemClass);
  ~TCollection() override;

  TCollectionItem* Add();
  // A new item at the index (0 to Count); raises EListError otherwise, adding nothing.
  TCollectionItem* Insert(int index);
  void Delete(int index);
  virtual void Clear();
  // Clears and starts the IDs again from 0.
  void ClearAndResetID();
  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises EListError "List index out of bounds (%d)" for an index out of range.
  TCollectionItem* Items(int index) const;
  // Assigns the value to the item at the index.
  void SetItems(int index, TCollectionItem* value);
  TCollectionItem* FindItemID(int id) const;
  int NextID() const { return FNextID; }
  const TCollectionItemClass& ItemClass() const { return FItemClass; }

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // From another collection: clears, then adds one item per source item and assigns it.
  void Assign(TPersistent* source) override;
  TPersistent* Owner() { return GetOwner(); }

 protected:
  virtual void Update(TCollectionItem* item);
  virtual void Notify(TCollectionItem* item, TCollectionNotification action);
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);

  TCollectionItemClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FNextID = 0;
  int FUpdateCount = 0;
};

// A collection with an owner, which it reports for naming and streaming.
class TOwnedCollection : public TCollection {
 public:
  TOwnedCollection(TPersistent* owner, TCollectionItemClass itemClass)
      : TCollection(std::move(itemClass)), FOwner(owner) {}

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
};
