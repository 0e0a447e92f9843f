// TGDIPPictureContainer: a non-visual component holding named pictures that controls look up by
// name. Its item and collection classes share their names with the HTML picture container's, so
// they live in a namespace named after this unit.
#pragma once

#include "controls/graphics/AdvGDIP.h"
#include "controls/html/NamedPictures.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/Component.h"

namespace GDIPPictureContainer {

class TPictureItem : public TNamedPictureItem<TAdvGDIPPicture> {
 public:
  using TNamedPictureItem::TNamedPictureItem;
};

class TPictureCollection : public TNamedPictureCollection<TPictureItem> {
 public:
  using TNamedPictureCollection::TNamedPictureCollection;
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
