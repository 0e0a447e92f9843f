// The smooth menu: a horizontal bar of items that share its width equally, each a caption in a
// band at the top; under the band a thin line with a small triangle (the indicator) that glides
// under the highlighted item, whose notes text and picture show below the line. While the mouse
// is not over an item the highlight moves on by itself to the next enabled item (rotation). A
// click or Space chooses an item and reports its index; a disabled item can be chosen neither
// with the mouse nor with the keyboard.
//
// Sources by topic: AdvSmoothMenu.cpp (items, appearance objects and layout), _Input (selection,
// the glide and rotation timers, mouse, keys and focus), _Paint (painting, with the parent shown
// through the menu), _Presets (style presets and colour tones).
#pragma once

#include <functional>
#include <memory>

#include "controls/graphics/AdvGDIP.h"
#include "controls/graphics/AdvStyleIF.h"
#include "controls/graphics/GDIPFill.h"
#include "platform/rtl/Collection.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Timer.h"

class TAdvSmoothMenu;
class TGDIPPictureContainer;

enum TAdvSmoothMenuLocation {
  plTopLeft,
  plTopCenter,
  plTopRight,
  plCenterLeft,
  plCenterCenter,
  plCenterRight,
  plBottomLeft,
  plBottomCenter,
  plBottomRight,
  plCustom
};
enum TAdvSmoothMenuGlowShape { gsEllipse, gsSquare, gsDiamond };
enum TAdvSmoothMenuAnimationType { atNone, atNoOpacity, atFull };

using TAdvSmoothMenuItemClickEvent = std::function<void(TObject* sender, int itemIndex)>;
using TAdvSmoothMenuItemEnterEvent = std::function<void(TObject* sender, int itemIndex)>;
using TAdvSmoothMenuItemLeaveEvent = std::function<void(TObject* sender, int itemIndex)>;
using TAdvSmoothMenuItemChangeEvent =
    std::function<void(TObject* sender, int oldItemIndex, int newItemIndex)>;

// The vertical separator between two items: a one-pixel line of Height centred on the caption
// band, solid in the middle and fading towards both ends. Height also places the line, the
// indicator and the notes area.
class TAdvSmoothMenuSplitter : public TPersistent {
 public:
  // From another splitter: colours, opacities, visibility and height; anything else ignored.
  void Assign(TPersistent* source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor v) { Set(FColor, v); }
  TColor ColorTo() const { return FColorTo; }
  void SetColorTo(TColor v) { Set(FColorTo, v); }
  uint8_t Opacity() const { return FOpacity; }
  void SetOpacity(uint8_t v) { Set(FOpacity, v); }
  uint8_t OpacityTo() const { return FOpacityTo; }
  void SetOpacityTo(uint8_t v) { Set(FOpacityTo, v); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { Set(FVisible, v); }
  int Height() const { return FHeight; }
  void SetHeight(int v) { Set(FHeight, v); }
  TNotifyEvent OnChange;

 private:
  template <class T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    if (OnChange) OnChange(this);
  }
  TColor FColor = 0x00FFFFFF;
  TColor FColorTo = 0x00FFFFFF;
  uint8_t FOpacity = 20;
  uint8_t FOpacityTo = 255;
  bool FVisible = true;
  int FHeight = 28;
};

// Fonts, glows and splitter shared by every item.
class TAdvSmoothMenuItemAppearance : public TPersistent {
 public:
  explicit TAdvSmoothMenuItemAppearance(TAdvSmoothMenu* owner);
  ~TAdvSmoothMenuItemAppearance() override;
  // From another item appearance: fonts but the notes font, splitter, glow colours and
  // opacities; anything else ignored.
  void Assign(TPersistent* source) override;

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* v) { FFont->Assign(v); }
  TFont* SelectedFont() const { return FSelectedFont.get(); }
  void SetSelectedFont(TFont* v) { FSelectedFont->Assign(v); }
  TFont* HoverFont() const { return FHoverFont.get(); }
  void SetHoverFont(TFont* v) { FHoverFont->Assign(v); }
  TFont* NotesFont() const { return FNotesFont.get(); }
  void SetNotesFont(TFont* v) { FNotesFont->Assign(v); }
  TAdvSmoothMenuSplitter* Splitter() const { return FSplitter.get(); }
  void SetSplitter(TAdvSmoothMenuSplitter* v) { FSplitter->Assign(v); }
  TAdvSmoothMenuGlowShape GlowShape() const { return FGlowShape; }
  void SetGlowShape(TAdvSmoothMenuGlowShape v) { Set(FGlowShape, v); }
  TColor GlowColor() const { return FGlowColor; }
  void SetGlowColor(TColor v) { Set(FGlowColor, v); }
  uint8_t GlowOpacity() const { return FGlowOpacity; }
  void SetGlowOpacity(uint8_t v) { Set(FGlowOpacity, v); }
  TColor GlowColorSelected() const { return FGlowColorSelected; }
  void SetGlowColorSelected(TColor v) { Set(FGlowColorSelected, v); }
  uint8_t GlowOpacitySelected() const { return FGlowOpacitySelected; }
  void SetGlowOpacitySelected(uint8_t v) { Set(FGlowOpacitySelected, v); }
  TColor GlowColorHover() const { return FGlowColorHover; }
  void SetGlowColorHover(TColor v) { Set(FGlowColorHover, v); }
  uint8_t GlowOpacityHover() const { return FGlowOpacityHover; }
  void SetGlowOpacityHover(uint8_t v) { Set(FGlowOpacityHover, v); }
  TColor GlowColorDisabled() const { return FGlowColorDisabled; }
  void SetGlowColorDisabled(TColor v) { Set(FGlowColorDisabled, v); }
  uint8_t GlowOpacityDisabled() const { return FGlowOpacityDisabled; }
  void SetGlowOpacityDisabled(uint8_t v) { Set(FGlowOpacityDisabled, v); }
  TNotifyEvent OnChange;

 private:
  template <class T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed();

  TAdvSmoothMenu* FOwner;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TFont> FSelectedFont;
  std::unique_ptr<TFont> FHoverFont;
  std::unique_ptr<TFont> FNotesFont;
  std::unique_ptr<TAdvSmoothMenuSplitter, TObjectFree> FSplitter;
  TAdvSmoothMenuGlowShape FGlowShape = gsEllipse;
  TColor FGlowColor = 0x00FFFFFF;
  uint8_t FGlowOpacity = 100;
  TColor FGlowColorSelected = 0x00FFFFFF;
  uint8_t FGlowOpacitySelected = 100;
  TColor FGlowColorHover = 0x00FFFFFF;
  uint8_t FGlowOpacityHover = 100;
  TColor FGlowColorDisabled = clNone;
  uint8_t FGlowOpacityDisabled = 100;
};

// The bar's background fill, the line and the indicator.
class TAdvSmoothMenuAppearance : public TPersistent {
 public:
  explicit TAdvSmoothMenuAppearance(TAdvSmoothMenu* owner);
  ~TAdvSmoothMenuAppearance() override;
  // From another appearance: the fill (by its Assign), line and indicator; anything else ignored.
  void Assign(TPersistent* source) override;

  TGDIPFill* Fill() const { return FFill.get(); }
  void SetFill(TGDIPFill* v) { FFill->Assign(v); }
  TColor LineColor() const { return FLineColor; }
  void SetLineColor(TColor v) { Set(FLineColor, v); }
  uint8_t LineOpacity() const { return FLineOpacity; }
  void SetLineOpacity(uint8_t v) { Set(FLineOpacity, v); }
  bool LineVisible() const { return FLineVisible; }
  void SetLineVisible(bool v) { Set(FLineVisible, v); }
  TColor IndicatorColor() const { return FIndicatorColor; }
  void SetIndicatorColor(TColor v) { Set(FIndicatorColor, v); }
  uint8_t IndicatorOpacity() const { return FIndicatorOpacity; }
  void SetIndicatorOpacity(uint8_t v) { Set(FIndicatorOpacity, v); }
  bool IndicatorVisible() const { return FIndicatorVisible; }
  void SetIndicatorVisible(bool v) { Set(FIndicatorVisible, v); }
  int IndicatorSize() const { return FIndicatorSize; }
  void SetIndicatorSize(int v) { Set(FIndicatorSize, v); }
  TNotifyEvent OnChange;

 private:
  template <class T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    if (OnChange) OnChange(this);
  }

  std::unique_ptr<TGDIPFill, TObjectFree> FFill;
  TColor FLineColor = 0x00FFFFFF;
  uint8_t FLineOpacity = 255;
  bool FLineVisible = true;
  TColor FIndicatorColor = 0x00FFFFFF;
  uint8_t FIndicatorOpacity = 255;
  bool FIndicatorVisible = true;
  int FIndicatorSize = 6;
};

class TAdvSmoothMenuItem : public TCollectionItem {
 public:
  explicit TAdvSmoothMenuItem(TCollection* collection);
  ~TAdvSmoothMenuItem() override;
  // From another item: every published property; anything else ignored.
  void Assign(TPersistent* source) override;

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& v) { Set(FCaption, v); }
  const String& Notes() const { return FNotes; }
  void SetNotes(const String& v) { Set(FNotes, v); }
  TAdvSmoothMenuLocation NotesLocation() const { return FNotesLocation; }
  void SetNotesLocation(TAdvSmoothMenuLocation v) { Set(FNotesLocation, v); }
  int NotesLeft() const { return FNotesLeft; }
  void SetNotesLeft(int v) { Set(FNotesLeft, v); }
  int NotesTop() const { return FNotesTop; }
  void SetNotesTop(int v) { Set(FNotesTop, v); }
  TAdvGDIPPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TAdvGDIPPicture* v) { FPicture->Assign(v); }
  TFillPicturePosition PicturePosition() const { return FPicturePosition; }
  void SetPicturePosition(TFillPicturePosition v) { Set(FPicturePosition, v); }
  int PictureLeft() const { return FPictureLeft; }
  void SetPictureLeft(int v) { Set(FPictureLeft, v); }
  int PictureTop() const { return FPictureTop; }
  void SetPictureTop(int v) { Set(FPictureTop, v); }
  TFillPictureSize PictureSize() const { return FPictureSize; }
  void SetPictureSize(TFillPictureSize v) { Set(FPictureSize, v); }
  int PictureWidth() const { return FPictureWidth; }
  void SetPictureWidth(int v) { Set(FPictureWidth, v); }
  int PictureHeight() const { return FPictureHeight; }
  void SetPictureHeight(int v) { Set(FPictureHeight, v); }
  int Tag() const { return FTag; }
  void SetTag(int v) { Set(FTag, v); }
  bool Enabled() const { return FEnabled; }
  // A new value runs the menu's selection fix-up before the new layout.
  void SetEnabled(bool v);

  // Computed by the layout: the item's cell and its caption's rectangle.
  const TGPFloatRect& ItemRect() const { return FItemRect; }
  const TGPFloatRect& CaptionRect() const { return FCaptionRect; }
  // The middle of the cell, where the indicator stands under this item.
  float Center() const { return FCaptionRect.X + FCaptionRect.Width / 2; }

 private:
  friend class TAdvSmoothMenu;
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed();
  TAdvSmoothMenu* Menu() const;

  String FCaption;
  String FNotes;
  TAdvSmoothMenuLocation FNotesLocation = plTopLeft;
  int FNotesLeft = 0;
  int FNotesTop = 0;
  std::unique_ptr<TAdvGDIPPicture, TObjectFree> FPicture;
  TFillPicturePosition FPicturePosition = ppTopLeft;
  int FPictureLeft = 0;
  int FPictureTop = 0;
  TFillPictureSize FPictureSize = psOriginal;
  int FPictureWidth = 50;
  int FPictureHeight = 50;
  int FTag = 0;
  bool FEnabled = true;
  TGPFloatRect FItemRect;
  TGPFloatRect FCaptionRect;
};

class TAdvSmoothMenuItems : public TOwnedCollection {
 public:
  explicit TAdvSmoothMenuItems(TAdvSmoothMenu* menu);
  TAdvSmoothMenuItem* Add() { return static_cast<TAdvSmoothMenuItem*>(TCollection::Add()); }
  // Raises EListError for an index outside 0..Count-1.
  TAdvSmoothMenuItem* Items(int index) const {
    return static_cast<TAdvSmoothMenuItem*>(TCollection::Items(index));
  }
  TAdvSmoothMenu* Menu() const { return FMenu; }

 protected:
  void Notify(TCollectionItem* item, TCollectionNotification action) override;
  void Update(TCollectionItem* item) override;

 private:
  TAdvSmoothMenu* FMenu;
  bool FRemoved = false;
};

class TAdvSmoothMenu : public TCustomControl, public IComponentStyle, public IColorTones {
 public:
  explicit TAdvSmoothMenu(TComponent* owner);
  ~TAdvSmoothMenu() override;

  // From another menu: animation, rotation, items, both appearances and transparency; anything
  // else ignored.
  void Assign(TPersistent* source) override;
  void Dispatch(TMessage& message) override;
  void SetBounds(int left, int top, int width, int height) override;

  // --- Style interfaces ---
  void SetComponentStyle(TStylePreset style) override;
  void SetColorTones(const TColorTones& tones) override;

  // --- Properties ---
  TAdvSmoothMenuAnimationType AnimationType() const { return FAnimationType; }
  void SetAnimationType(TAdvSmoothMenuAnimationType v);
  bool Rotation() const { return FRotation; }
  void SetRotation(bool v);
  int RotationInterval() const { return FRotationInterval; }
  void SetRotationInterval(int v);
  TAdvSmoothMenuAppearance* Appearance() const { return FAppearance.get(); }
  void SetAppearance(TAdvSmoothMenuAppearance* v) { FAppearance->Assign(v); }
  TAdvSmoothMenuItems* Items() const { return FItems.get(); }
  void SetItems(TAdvSmoothMenuItems* v) { FItems->Assign(v); }
  TAdvSmoothMenuItemAppearance* ItemAppearance() const { return FItemAppearance.get(); }
  void SetItemAppearance(TAdvSmoothMenuItemAppearance* v) { FItemAppearance->Assign(v); }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  // Held for whoever resolves pictures by name; the menu's own drawing does not read it.
  TGDIPPictureContainer* Container() const { return FContainer; }
  void SetContainer(TGDIPPictureContainer* v);
  String Version() const { return u"1.3.0.0"; }
  void SetVersion(const String&) {}
  int SelectedItemIndex() const { return FSelectedItemIndex; }
  // A new value runs the selection fix-up, then repaints.
  void SetSelectedItemIndex(int v);
  bool AllowSelectedIndication() const { return FAllowSelectedIndication; }
  void SetAllowSelectedIndication(bool v) { FAllowSelectedIndication = v; }

  TAdvSmoothMenuItemClickEvent OnItemClick;
  TAdvSmoothMenuItemEnterEvent OnItemEnter;
  TAdvSmoothMenuItemLeaveEvent OnItemLeave;
  TAdvSmoothMenuItemChangeEvent OnItemChange;

  // --- Run-time state (painting reads it; so do the tests) ---
  // The highlighted item: under the mouse, or where rotation moved; -1 for none.
  int HoverIndex() const { return FHoverIndex; }
  // x of the indicator's tip and of where it glides to.
  float IndicatorPosition() const { return FIndicatorPos; }
  float TargetPosition() const { return FTargetPos; }
  // Horizontal displacement and alpha of the notes while the indicator glides.
  float NotesOffset() const { return FNotesOffset; }
  uint8_t FadeOpacity() const { return FFadeOpacity; }
  bool HasFocusState() const { return FFocused; }

  // The width the bar's shadow takes: 0 when transparent or without a shadow colour.
  int ShadowWidth() const;
  // The first enabled item whose rounded cell holds the client point; -1 for none.
  int ItemAtXY(int x, int y) const;
  // Lays the items out and invalidates the control: what nearly every change ends in.
  void LayoutAndRepaint();
  void LayoutItems();

 protected:
  void Paint() override;
  void PaintWindow(HDC dc) override;
  void Resize() override;
  void Notification(TComponent* component, TOperation operation) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  friend class TAdvSmoothMenuItem;
  friend class TAdvSmoothMenuItems;

  // Items and selection (AdvSmoothMenu.cpp, _Input.cpp).
  int EnabledCount() const;
  bool ItemEnabled(int index) const;
  void ItemAdded();
  void FixSelection();
  void StepSelection(bool forward);

  // Timers and input (_Input.cpp).
  void GlideStep();
  void RotationStep();
  void MouseEntered();
  void MouseLeft();

  // Painting (_Paint.cpp).
  void PaintItem(int index, HDC dc, const TRect& client);
  void PaintIndicator(TGPGraphics* graphics);
  void PaintLine(TGPGraphics* graphics);
  void PaintFocus(TGPGraphics* graphics);

  std::unique_ptr<TAdvSmoothMenuAppearance, TObjectFree> FAppearance;
  std::unique_ptr<TAdvSmoothMenuItemAppearance, TObjectFree> FItemAppearance;
  std::unique_ptr<TAdvSmoothMenuItems, TObjectFree> FItems;
  TTimer* FGlideTimer = nullptr;
  TTimer* FRotationTimer = nullptr;

  TAdvSmoothMenuAnimationType FAnimationType = atFull;
  bool FRotation = true;
  int FRotationInterval = 5000;
  bool FTransparent = false;
  TGDIPPictureContainer* FContainer = nullptr;
  int FSelectedItemIndex = 0;
  bool FAllowSelectedIndication = false;

  bool FFocused = false;
  bool FOverItem = false;
  bool FOffItem = false;
  int FHoverIndex = 0;
  float FIndicatorPos = 0;
  float FTargetPos = 0;
  float FNotesOffset = 0;
  uint8_t FFadeOpacity = 255;
  bool FDestroying = false;
};
