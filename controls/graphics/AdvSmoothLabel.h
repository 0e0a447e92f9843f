// The smooth label: a windowless label whose caption is large text filled with a gradient, a
// hatch or a texture through GDI+, optionally over a fill and optionally with a second caption,
// the shadow, drawn first at a small offset.
#pragma once

#include <memory>

#include "controls/graphics/AdvStyleIF.h"
#include "controls/graphics/GDIPFill.h"
#include "platform/ui/Controls.h"

// The unit's own enumerations; a namespace because the smooth panel uses the same names.
namespace AdvSmoothLabel {

enum TAdvSmoothLabelLocation {
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
enum TTextRenderingHint { tAntiAlias, tClearType };

// Where a text box of tw x th sits in a frame of fw x fh (not plCustom): left, centre or right,
// top, centre or bottom, halves kept.
TGPFloatPoint CaptionPosition(TAdvSmoothLabelLocation location, float fw, float fh, float tw,
                              float th);

}  // namespace AdvSmoothLabel

class TAdvSmoothLabel;

class TAdvSmoothLabelCaption : public TPersistent {
 public:
  using TLocation = AdvSmoothLabel::TAdvSmoothLabelLocation;

  explicit TAdvSmoothLabelCaption(TAdvSmoothLabel* owner);
  ~TAdvSmoothLabelCaption() override;
  // From another caption: place, colours, kinds, opacities, picture and text (not the font).
  void Assign(TPersistent* source) override;

  const String& Text() const { return FText; }
  // With the label's AutoShadowCaption the shadow caption takes the text too.
  void SetText(const String& value);
  TLocation Location() const { return FLocation; }
  void SetLocation(TLocation v) { Set(FLocation, v); }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  int Left() const { return FLeft; }
  void SetLeft(int v) { Set(FLeft, v); }
  int Top() const { return FTop; }
  void SetTop(int v) { Set(FTop, v); }
  TAdvGDIPPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TAdvGDIPPicture* value) { FPicture->Assign(value); }
  TColor ColorStart() const { return FColorStart; }
  void SetColorStart(TColor v) { Set(FColorStart, v); }
  TColor ColorEnd() const { return FColorEnd; }
  void SetColorEnd(TColor v) { Set(FColorEnd, v); }
  uint8_t OpacityStart() const { return FOpacityStart; }
  void SetOpacityStart(uint8_t v) { Set(FOpacityStart, v); }
  uint8_t OpacityEnd() const { return FOpacityEnd; }
  void SetOpacityEnd(uint8_t v) { Set(FOpacityEnd, v); }
  TAdvGradientType GradientType() const { return FGradientType; }
  void SetGradientType(TAdvGradientType v) { Set(FGradientType, v); }
  ::HatchStyle HatchStyle() const { return FHatchStyle; }
  void SetHatchStyle(::HatchStyle v) { Set(FHatchStyle, v); }
  // Set by the label to its change handling.
  TNotifyEvent OnChange;

 private:
  template <class T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed();

  TAdvSmoothLabel* FOwner;
  String FText;
  TLocation FLocation = AdvSmoothLabel::plCenterCenter;
  std::unique_ptr<TFont> FFont;
  int FLeft = 0;
  int FTop = 0;
  std::unique_ptr<TAdvGDIPPicture, TObjectFree> FPicture;
  TColor FColorStart = 0x00FFE09F;
  TColor FColorEnd = 0x00754F00;
  uint8_t FOpacityStart = 255;
  uint8_t FOpacityEnd = 255;
  TAdvGradientType FGradientType = gtVertical;
  ::HatchStyle FHatchStyle = HatchStyleHorizontal;
};

class TAdvSmoothLabel : public TGraphicControl, public IComponentStyle {
 public:
  using TLocation = AdvSmoothLabel::TAdvSmoothLabelLocation;
  using TTextRenderingHint = AdvSmoothLabel::TTextRenderingHint;

  explicit TAdvSmoothLabel(TComponent* owner);
  ~TAdvSmoothLabel() override;
  // From another smooth label: the switches, the fill, both captions and the shadow's place.
  void Assign(TPersistent* source) override;
  // Any preset is accepted and changes nothing.
  void SetComponentStyle(TStylePreset) override {}

  bool AutoShadowCaption() const { return FAutoShadowCaption; }
  void SetAutoShadowCaption(bool v) { Set(FAutoShadowCaption, v); }
  bool AutoSize() const { return FAutoSize; }
  // Switching it on fits the size at once; switching it off keeps the size.
  void SetAutoSize(bool value);
  TGDIPFill* Fill() const { return FFill.get(); }
  void SetFill(TGDIPFill* value) { FFill->Assign(value); }
  // The caption object (hides the control's text: the label has no window text of its own).
  TAdvSmoothLabelCaption* Caption() const { return FCaption.get(); }
  void SetCaption(TAdvSmoothLabelCaption* value) { FCaption->Assign(value); }
  TAdvSmoothLabelCaption* CaptionShadow() const { return FCaptionShadow.get(); }
  void SetCaptionShadow(TAdvSmoothLabelCaption* value) { FCaptionShadow->Assign(value); }
  bool CaptionShadowVisible() const { return FCaptionShadowVisible; }
  void SetCaptionShadowVisible(bool v) { Set(FCaptionShadowVisible, v); }
  int CaptionShadowOffsetLeft() const { return FCaptionShadowOffsetLeft; }
  void SetCaptionShadowOffsetLeft(int v) { Set(FCaptionShadowOffsetLeft, v); }
  int CaptionShadowOffsetTop() const { return FCaptionShadowOffsetTop; }
  void SetCaptionShadowOffsetTop(int v) { Set(FCaptionShadowOffsetTop, v); }
  String Version() const { return u"1.6.0.0"; }
  void SetVersion(const String&) {}
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v) { Set(FTransparent, v); }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v) { Set(FWordWrap, v); }
  TTextRenderingHint TextRendering() const { return FTextRendering; }
  void SetTextRendering(TTextRenderingHint v) { Set(FTextRendering, v); }
  // Raised after every change, Sender the label.
  TNotifyEvent OnChange;

  // Every change of the label, its captions or its fill: fit the size when AutoSize, repaint,
  // OnChange.
  void LabelChanged();
  // Draws the label into a GDI+ graphics, as Paint does on the control's canvas.
  void DrawLabel(TGPGraphics* graphics);

 protected:
  void Paint() override;
  void Loaded() override;
  void Resize() override;

 private:
  template <class T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    LabelChanged();
  }
  void FitSize();
  void DrawCaption(TGPGraphics* graphics, TAdvSmoothLabelCaption* caption, float ox, float oy,
                   const TGPFloatRect& r);
  std::unique_ptr<TGPStringFormat, TObjectFree> NewStringFormat(TLocation location) const;

  bool FAutoShadowCaption = true;
  bool FAutoSize = false;
  bool FFitting = false;
  std::unique_ptr<TGDIPFill, TObjectFree> FFill;
  std::unique_ptr<TAdvSmoothLabelCaption, TObjectFree> FCaption;
  std::unique_ptr<TAdvSmoothLabelCaption, TObjectFree> FCaptionShadow;
  bool FCaptionShadowVisible = false;
  int FCaptionShadowOffsetLeft = 1;
  int FCaptionShadowOffsetTop = 1;
  bool FTransparent = true;
  bool FWordWrap = false;
  TTextRenderingHint FTextRendering = AdvSmoothLabel::tAntiAlias;
};
