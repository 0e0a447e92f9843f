// TGDIPPictureContainer: a non-visual component holding named pictures that controls look up by
// name. Its item and collection classes share their names with the HTML picture container's, so
// they live in a namespace named after this unit.
#pragma once

#include "controls/graphics/AdvGDIP.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/Component.h"

namespace GDIPPictureContainer {

class TPictureItem : public TCollectionItem {
 public:
  explicit TPictureItem(TCollection* collection);
  ~TPictureItem() override;
  // From another TPictureItem: name, tag and picture; anything else is an invalid cast.
  void Assign(TPersistent* source) override;

  TAdvGDIPPicture* Picture() const { return FPicture.get(); }
  // Copies the picture into the owned one.
  void SetPicture(TAdvGDIPPicture* value) { FPicture->Assign(value); }
  const String& Name() const { return FName; }
  void SetName(const String& value) { FName = value; }
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t value) { FTag = value; }

 private:
  std::unique_ptr<TAdvGDIPPicture, TObjectFree> FPicture;
  String FName;
  int32_t FTag = 0;
};

class TPictureCollection : public TOwnedCollection {
 public:
  explicit TPictureCollection(TPersistent* owner);
  TPictureItem* Add() { return static_cast<TPictureItem*>(TCollection::Add()); }
  TPictureItem* Items(int index) const {
    return static_cast<TPictureItem*>(TCollection::Items(index));
  }
};

}  // namespace GDIPPictureContainer

class TGDIPPictureContainer : public TComponent {
 public:
  explicit TGDIPPictureContainer(TComponent* owner);
  ~TGDIPPictureContainer() override;

  GDIPPictureContainer::TPictureCollection* Items() const { return FItems.get(); }
  // Copies the given collection's items into the container's own.
  void SetItems(GDIPPictureContainer::TPictureCollection* value) { FItems->Assign(value); }
  String Version() const { return u"1.0.0.0"; }
  void SetVersion(const String&) {}
  // The picture of the first item whose name equals the given one, ignoring case; null for none.
  virtual TAdvGDIPPicture* FindPicture(const String& name);

 private:
  std::unique_ptr<GDIPPictureContainer::TPictureCollection, TObjectFree> FItems;
};
