// What the named-picture containers share: an item holding a picture of the container's own
// class under a name and a tag, the collection of such items, and the look-up by name without
// regard to case. Each container derives its own item and collection classes from these.
#pragma once

#include <memory>

#include "platform/rtl/Collection.h"
#include "platform/rtl/TextCompare.h"

template <class TPicture>
class TNamedPictureItem : public TCollectionItem {
 public:
  explicit TNamedPictureItem(TCollection* collection)
      : TCollectionItem(collection), FPicture(new TPicture) {}
  // From an item of the same class: name, tag and picture; anything else is an invalid cast.
  void Assign(TPersistent* source) override {
    auto* item = dynamic_cast<TNamedPictureItem*>(source);
    if (item == nullptr) RaiseInvalidCast();
    FName = item->FName;
    FTag = item->FTag;
    FPicture->Assign(item->FPicture.get());
  }
  TPicture* Picture() const { return FPicture.get(); }
  // Copies the picture into the owned one.
  void SetPicture(TPicture* value) { FPicture->Assign(value); }
  const String& Name() const { return FName; }
  void SetName(const String& value) { FName = value; }
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t value) { FTag = value; }

 private:
  std::unique_ptr<TPicture, TObjectFree> FPicture;
  String FName;
  int32_t FTag = 0;
};

template <class TItem>
class TNamedPictureCollection : public TOwnedCollection {
 public:
  explicit TNamedPictureCollection(TPersistent* owner)
      : TOwnedCollection(owner, TCollectionItemClass::Of<TItem>()) {}
  TItem* Add() { return static_cast<TItem*>(TCollection::Add()); }
  TItem* Items(int index) const { return static_cast<TItem*>(TCollection::Items(index)); }
  // The picture of the first item whose name equals the given one, ignoring case; null for none.
  auto* FindPicture(const String& name) const {
    const String wanted = AnsiUpperCase(name);
    for (int i = 0; i < Count(); ++i) {
      if (AnsiUpperCase(Items(i)->Name()) == wanted) return Items(i)->Picture();
    }
    return static_cast<decltype(Items(0)->Picture())>(nullptr);
  }
};
