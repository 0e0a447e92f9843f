// The smooth menu's items and appearance objects, its properties and the layout that gives every
// item an equal share of the bar's width.
#include <algorithm>
#include <limits>

#include "controls/graphics/AdvSmoothMenu.h"
#include "controls/graphics/AdvSmoothMenuText.h"
#include "controls/graphics/GDIPPictureContainer.h"
#include "platform/rtl/RtlMath.h"

// --- Splitter ------------------------------------------------------------------------------------

void TAdvSmoothMenuSplitter::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothMenuSplitter*>(source);
  if (other == nullptr) return;
  FColor = other->FColor;
  FColorTo = other->FColorTo;
  FOpacity = other->FOpacity;
  FOpacityTo = other->FOpacityTo;
  FVisible = other->FVisible;
  FHeight = other->FHeight;
  if (OnChange) OnChange(this);
}

// --- Item appearance -----------------------------------------------------------------------------

TAdvSmoothMenuItemAppearance::TAdvSmoothMenuItemAppearance(TAdvSmoothMenu* owner)
    : FOwner(owner),
      FFont(std::make_unique<TFont>()),
      FSelectedFont(std::make_unique<TFont>()),
      FHoverFont(std::make_unique<TFont>()),
      FNotesFont(std::make_unique<TFont>()),
      FSplitter(new TAdvSmoothMenuSplitter) {
  for (TFont* font : {FFont.get(), FSelectedFont.get(), FHoverFont.get(), FNotesFont.get()}) {
    font->SetName(u"Tahoma");
    font->OnChange = [this](TObject*) { Changed(); };
  }
  FSplitter->OnChange = [this](TObject*) { Changed(); };
}

TAdvSmoothMenuItemAppearance::~TAdvSmoothMenuItemAppearance() = default;

void TAdvSmoothMenuItemAppearance::Changed() {
  if (OnChange) OnChange(this);
}

void TAdvSmoothMenuItemAppearance::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothMenuItemAppearance*>(source);
  if (other == nullptr) return;
  FFont->Assign(other->FFont.get());
  FSelectedFont->Assign(other->FSelectedFont.get());
  FHoverFont->Assign(other->FHoverFont.get());
  FSplitter->Assign(other->FSplitter.get());
  FGlowColor = other->FGlowColor;
  FGlowColorSelected = other->FGlowColorSelected;
  FGlowColorHover = other->FGlowColorHover;
  FGlowOpacity = other->FGlowOpacity;
  FGlowOpacitySelected = other->FGlowOpacitySelected;
  FGlowOpacityHover = other->FGlowOpacityHover;
  FGlowColorDisabled = other->FGlowColorDisabled;
  FGlowOpacityDisabled = other->FGlowOpacityDisabled;
  Changed();
}

// --- Appearance ----------------------------------------------------------------------------------

TAdvSmoothMenuAppearance::TAdvSmoothMenuAppearance(TAdvSmoothMenu*) : FFill(new TGDIPFill) {
  FFill->OnChange = [this](TObject*) {
    if (OnChange) OnChange(this);
  };
}

TAdvSmoothMenuAppearance::~TAdvSmoothMenuAppearance() = default;

void TAdvSmoothMenuAppearance::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothMenuAppearance*>(source);
  if (other == nullptr) return;
  FFill->Assign(other->FFill.get());
  FLineOpacity = other->FLineOpacity;
  FLineColor = other->FLineColor;
  FLineVisible = other->FLineVisible;
  FIndicatorColor = other->FIndicatorColor;
  FIndicatorOpacity = other->FIndicatorOpacity;
  FIndicatorVisible = other->FIndicatorVisible;
  FIndicatorSize = other->FIndicatorSize;
  if (OnChange) OnChange(this);
}

// --- Items ---------------------------------------------------------------------------------------

TAdvSmoothMenuItem::TAdvSmoothMenuItem(TCollection* collection)
    : TCollectionItem(collection), FPicture(new TAdvGDIPPicture) {
  FPicture->OnChange = [this](TObject*) { Changed(); };
  if (TAdvSmoothMenu* menu = Menu()) menu->ItemAdded();
}

TAdvSmoothMenuItem::~TAdvSmoothMenuItem() = default;

TAdvSmoothMenu* TAdvSmoothMenuItem::Menu() const {
  auto* items = dynamic_cast<TAdvSmoothMenuItems*>(Collection());
  return items ? items->Menu() : nullptr;
}

void TAdvSmoothMenuItem::Changed() {
  if (TAdvSmoothMenu* menu = Menu()) menu->LayoutAndRepaint();
}

void TAdvSmoothMenuItem::SetEnabled(bool v) {
  if (FEnabled == v) return;
  FEnabled = v;
  TAdvSmoothMenu* menu = Menu();
  if (menu == nullptr) return;
  menu->FixSelection();
  menu->LayoutAndRepaint();
}

void TAdvSmoothMenuItem::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothMenuItem*>(source);
  if (other == nullptr) return;
  FTag = other->FTag;
  FCaption = other->FCaption;
  FNotes = other->FNotes;
  FNotesLocation = other->FNotesLocation;
  FNotesLeft = other->FNotesLeft;
  FNotesTop = other->FNotesTop;
  FPicturePosition = other->FPicturePosition;
  FPicture->Assign(other->FPicture.get());
  FPictureLeft = other->FPictureLeft;
  FPictureTop = other->FPictureTop;
  FPictureSize = other->FPictureSize;
  FPictureWidth = other->FPictureWidth;
  FPictureHeight = other->FPictureHeight;
  FEnabled = other->FEnabled;
  Changed();
}

TAdvSmoothMenuItems::TAdvSmoothMenuItems(TAdvSmoothMenu* menu)
    : TOwnedCollection(menu, TCollectionItemClass::Of<TAdvSmoothMenuItem>()), FMenu(menu) {}

// An item's constructor joins the collection before its own fields exist, so only a removal is
// laid out from here; a new item lays the menu out at the end of its constructor.
void TAdvSmoothMenuItems::Notify(TCollectionItem*, TCollectionNotification action) {
  if (action == cnExtracting) FRemoved = true;
}

void TAdvSmoothMenuItems::Update(TCollectionItem*) {
  if (!FRemoved) return;
  FRemoved = false;
  FMenu->LayoutAndRepaint();
}

// --- The menu ------------------------------------------------------------------------------------

TAdvSmoothMenu::TAdvSmoothMenu(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() >> csOpaque << csAcceptsControls);
  FAppearance.reset(new TAdvSmoothMenuAppearance(this));
  FAppearance->OnChange = [this](TObject*) { LayoutAndRepaint(); };
  FItemAppearance.reset(new TAdvSmoothMenuItemAppearance(this));
  FItemAppearance->OnChange = [this](TObject*) { LayoutAndRepaint(); };
  FItems.reset(new TAdvSmoothMenuItems(this));
  SetTabStop(true);
  SetDoubleBuffered(true);
  SetBounds(Left(), Top(), 500, 60);

  FGlideTimer = new TTimer(this);
  FGlideTimer->SetInterval(10);
  FGlideTimer->SetOnTimer([this](TObject*) { GlideStep(); });
  FGlideTimer->SetEnabled(!ComponentState().Contains(csDesigning));
  FRotationTimer = new TTimer(this);
  FRotationTimer->SetInterval(static_cast<uint32_t>(FRotationInterval));
  FRotationTimer->SetOnTimer([this](TObject*) { RotationStep(); });
}

TAdvSmoothMenu::~TAdvSmoothMenu() {
  FDestroying = true;
  FGlideTimer->SetEnabled(false);
  FRotationTimer->SetEnabled(false);
  FItems.reset();
  FItemAppearance.reset();
  FAppearance.reset();
}

void TAdvSmoothMenu::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothMenu*>(source);
  if (other == nullptr) return;
  FAnimationType = other->FAnimationType;
  FRotation = other->FRotation;
  FItems->Assign(other->FItems.get());
  FItemAppearance->Assign(other->FItemAppearance.get());
  FAppearance->Assign(other->FAppearance.get());
  FTransparent = other->FTransparent;
  LayoutAndRepaint();
}

void TAdvSmoothMenu::SetAnimationType(TAdvSmoothMenuAnimationType v) {
  if (FAnimationType == v) return;
  FAnimationType = v;
  LayoutAndRepaint();
}

void TAdvSmoothMenu::SetRotation(bool v) {
  if (FRotation == v) return;
  FRotation = v;
  LayoutAndRepaint();
}

void TAdvSmoothMenu::SetRotationInterval(int v) {
  if (FRotationInterval == v) return;
  FRotationInterval = v;
  FRotationTimer->SetInterval(static_cast<uint32_t>(std::max(v, 0)));
  LayoutAndRepaint();
}

void TAdvSmoothMenu::SetTransparent(bool v) {
  if (FTransparent == v) return;
  FTransparent = v;
  LayoutAndRepaint();
}

void TAdvSmoothMenu::SetContainer(TGDIPPictureContainer* v) {
  if (FContainer == v) return;
  if (FContainer) FContainer->RemoveFreeNotification(this);
  FContainer = v;
  if (FContainer) FContainer->FreeNotification(this);
}

void TAdvSmoothMenu::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == opRemove && component == FContainer) FContainer = nullptr;
}

void TAdvSmoothMenu::SetSelectedItemIndex(int v) {
  if (FSelectedItemIndex == v) return;
  FSelectedItemIndex = v;
  FixSelection();
  Invalidate();
}

// Without a window a new size reaches no Resize, so the layout follows it here.
void TAdvSmoothMenu::SetBounds(int left, int top, int width, int height) {
  const bool resized = width != Width() || height != Height();
  TCustomControl::SetBounds(left, top, width, height);
  if (resized && !HandleAllocated()) LayoutAndRepaint();
}

void TAdvSmoothMenu::Resize() {
  TCustomControl::Resize();
  LayoutAndRepaint();
}

void TAdvSmoothMenu::ItemAdded() {
  LayoutItems();
  if (FItems->Count() > 0) FIndicatorPos = FTargetPos = FItems->Items(0)->Center();
  Invalidate();
}

void TAdvSmoothMenu::LayoutAndRepaint() {
  LayoutItems();
  Invalidate();
}

int TAdvSmoothMenu::ShadowWidth() const {
  const TGDIPFill* fill = FAppearance->Fill();
  if (FTransparent || fill->ShadowColor() == clNone) return 0;
  return fill->ShadowOffset();
}

// Every item gets the same share of the width, whatever its caption; the caption is centred in
// its cell and every cell is as tall as the tallest caption.
void TAdvSmoothMenu::LayoutItems() {
  if (FDestroying || !FItems || FItems->Count() == 0) return;
  const int count = FItems->Count();
  const int shadow = ShadowWidth();
  const float width = static_cast<float>(Width() - shadow - 1) / static_cast<float>(count);
  const TGPFloatRect layout = MakeRectF(0, 0, float(Width() - shadow), float(Height() - shadow));
  TMenuTextGraphics text;
  TGPStringFormat format;
  float x = 0;
  float tallest = std::numeric_limits<int32_t>::min();
  for (int i = 0; i < count; ++i) {
    TAdvSmoothMenuItem* item = FItems->Items(i);
    TFont* font = FItemAppearance->Font();
    if (item->Enabled()) {
      if (i == FHoverIndex && i != FSelectedItemIndex)
        font = FItemAppearance->HoverFont();
      else if (i == FSelectedItemIndex)
        font = FItemAppearance->SelectedFont();
    }
    TMenuFont gpFont(text.Graphics(), font);
    TGPFloatRect bounds;
    text.Graphics().MeasureString(item->Caption(), static_cast<int>(item->Caption().size()),
                                  gpFont.Get(), layout, &format, bounds);
    item->FItemRect = MakeRectF(x, 5.0f, width, bounds.Height);
    item->FCaptionRect = MakeRectF(x + (width - bounds.Width) / 2, 5.0f, bounds.Width, 0);
    x += width;
    tallest = std::max(tallest, bounds.Height);
  }
  for (int i = 0; i < count; ++i) {
    TAdvSmoothMenuItem* item = FItems->Items(i);
    item->FItemRect.Height = tallest;
    item->FCaptionRect.Height = tallest;
  }
}

int TAdvSmoothMenu::ItemAtXY(int x, int y) const {
  for (int i = 0; i < FItems->Count(); ++i) {
    TAdvSmoothMenuItem* item = FItems->Items(i);
    if (!item->Enabled()) continue;
    const TGPFloatRect& r = item->FItemRect;
    const int left = static_cast<int>(Round(r.X)), top = static_cast<int>(Round(r.Y));
    const int width = static_cast<int>(Round(r.Width)), height = static_cast<int>(Round(r.Height));
    if (x >= left && x < left + width && y >= top && y < top + height) return i;
  }
  return -1;
}

bool TAdvSmoothMenu::ItemEnabled(int index) const {
  return index >= 0 && index < FItems->Count() && FItems->Items(index)->Enabled();
}

int TAdvSmoothMenu::EnabledCount() const {
  int n = 0;
  for (int i = 0; i < FItems->Count(); ++i) n += FItems->Items(i)->Enabled() ? 1 : 0;
  return n;
}
