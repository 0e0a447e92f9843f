#include "controls/graphics/GDIPPictureContainer.h"

#include "platform/rtl/TextCompare.h"

namespace GDIPPictureContainer {

TPictureItem::TPictureItem(TCollection* collection)
    : TCollectionItem(collection), FPicture(new TAdvGDIPPicture) {}

TPictureItem::~TPictureItem() = default;

void TPictureItem::Assign(TPersistent* source) {
  auto* item = dynamic_cast<TPictureItem*>(source);
  if (item == nullptr) RaiseInvalidCast();
  FName = item->FName;
  FTag = item->FTag;
  FPicture->Assign(item->FPicture.get());
}

TPictureCollection::TPictureCollection(TPersistent* owner)
    : TOwnedCollection(owner, TCollectionItemClass::Of<TPictureItem>()) {}

}  // namespace GDIPPictureContainer

TGDIPPictureContainer::TGDIPPictureContainer(TComponent* owner)
    : TComponent(owner), FItems(new GDIPPictureContainer::TPictureCollection(this)) {}

TGDIPPictureContainer::~TGDIPPictureContainer() = default;

TAdvGDIPPicture* TGDIPPictureContainer::FindPicture(const String& name) {
  String wanted = AnsiUpperCase(name);
  for (int i = 0; i < FItems->Count(); ++i) {
    GDIPPictureContainer::TPictureItem* item = FItems->Items(i);
    if (AnsiUpperCase(item->Name()) == wanted) return item->Picture();
  }
  return nullptr;
}
