#include "controls/graphics/GDIPPictureContainer.h"

TGDIPPictureContainer::TGDIPPictureContainer(TComponent* owner)
    : TComponent(owner), FItems(new GDIPPictureContainer::TPictureCollection(this)) {}

TGDIPPictureContainer::~TGDIPPictureContainer() = default;

TAdvGDIPPicture* TGDIPPictureContainer::FindPicture(const String& name) {
  return FItems->FindPicture(name);
}
