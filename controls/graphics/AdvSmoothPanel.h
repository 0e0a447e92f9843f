// The smooth panel: a container painted entirely through GDI+ (a body by a fill, a caption line of
// gradient-filled text with an optional strip and separator line, and a second caption in
// mini-HTML whose anchors can be clicked). It draws into a cached bitmap that is rebuilt only
// after a change, and copies that bitmap to the screen on every paint. It can be transparent over
// its parent and can be dragged by its top strip.
#pragma once

#include <memory>

#include "controls/graphics/AdvHintInfo.h"
#include "controls/graphics/AdvStyleIF.h"
#include "controls/graphics/GDIPFill.h"
#include "controls/graphics/GDIPPictureContainer.h"
#include "platform/gdi/ImgList.h"
#include "platform/ui/Controls.h"

// The unit's own enumerations; a namespace because the smooth label uses the same names.
namespace AdvSmoothPanel {

enum TAdvSmoothPanelLocation {
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
enum TAdvSmoothPanelTextRenderingHint { tAntiAlias, tAntiAliasGridFit, tClearType };

// Where an item of w x h sits in a frame (x, y, width, height, each rounded): left x, centre
// max(width - w, x) div 2, right max(width - w, x); top y, centre (height - h) div 2, bottom
// height - h. The extents count from 0, not from the frame's x and y.
TPoint PlaceInFrame(TAdvSmoothPanelLocation location, const TGPFloatRect& frame, int w, int h);

}  // namespace AdvSmoothPanel

class TAdvSmoothPanel;

using TAdvSmoothPanelAnchorClickEvent = std::function<void(TObject* sender, const String& anchor)>;
using TAdvSmoothPanelDrawEvent = std::function<void(TObject* sender, TCanvas* canvas, TRect rect)>;

class TAdvSmoothPanelCaption : public TPersistent {
 public:
  using TLocation = AdvSmoothPanel::TAdvSmoothPanelLocation;
  using TTextRenderingHint = AdvSmoothPanel::TAdvSmoothPanelTextRenderingHint;

  explicit TAdvSmoothPanelCaption(TAdvSmoothPanel* owner);
  ~TAdvSmoothPanelCaption() override;
  // From another caption: everything but the line colour, the strip colours and the rendering.
  void Assign(TPersistent* source) override;

  const String& Text() const { return FText; }
  void SetText(const String& v) { Set(FText, v); }
  TLocation Location() const { return FLocation; }
  void SetLocation(TLocation v) { Set(FLocation, v); }
  int Left() const { return FLeft; }
  void SetLeft(int v) { Set(FLeft, v); }
  int Top() const { return FTop; }
  void SetTop(int v) { Set(FTop, v); }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
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
  TAdvGDIPPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TAdvGDIPPicture* value) { FPicture->Assign(value); }
  TColor BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor v) { Set(FBackgroundColor, v); }
  TColor BackgroundColorTo() const { return FBackgroundColorTo; }
  void SetBackgroundColorTo(TColor v) { Set(FBackgroundColorTo, v); }
  bool Line() const { return FLine; }
  void SetLine(bool v) { Set(FLine, v); }
  TColor LineColor() const { return FLineColor; }
  virtual void SetLineColor(TColor v) { Set(FLineColor, v); }
  TTextRenderingHint TextRendering() const { return FTextRendering; }
  void SetTextRendering(TTextRenderingHint v) { Set(FTextRendering, v); }
  const String& HTMLText() const { return FHTMLText; }
  void SetHTMLText(const String& v) { Set(FHTMLText, v); }
  TFont* HTMLFont() const { return FHTMLFont.get(); }
  void SetHTMLFont(TFont* value) { FHTMLFont->Assign(value); }
  TLocation HTMLLocation() const { return FHTMLLocation; }
  void SetHTMLLocation(TLocation v) { Set(FHTMLLocation, v); }
  int HTMLLeft() const { return FHTMLLeft; }
  void SetHTMLLeft(int v) { Set(FHTMLLeft, v); }
  int HTMLTop() const { return FHTMLTop; }
  void SetHTMLTop(int v) { Set(FHTMLTop, v); }
  TColor HTMLURLColor() const { return FHTMLURLColor; }
  void SetHTMLURLColor(TColor v) { Set(FHTMLURLColor, v); }
  TColor HTMLShadowColor() const { return FHTMLShadowColor; }
  void SetHTMLShadowColor(TColor v) { Set(FHTMLShadowColor, v); }
  int HTMLShadowOffset() const { return FHTMLShadowOffset; }
  void SetHTMLShadowOffset(int v) { Set(FHTMLShadowOffset, v); }
  // The owning panel's Changed.
  TNotifyEvent OnChange;

 private:
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed();

  TAdvSmoothPanel* FOwner;
  String FText;
  TLocation FLocation = AdvSmoothPanel::plTopLeft;
  int FLeft = 0;
  int FTop = 0;
  std::unique_ptr<TFont> FFont;
  TColor FColorStart = 0x00B0721C;
  TColor FColorEnd = 0x009F661A;
  uint8_t FOpacityStart = 255;
  uint8_t FOpacityEnd = 255;
  TAdvGradientType FGradientType = gtVertical;
  ::HatchStyle FHatchStyle = HatchStyleHorizontal;
  std::unique_ptr<TAdvGDIPPicture, TObjectFree> FPicture;
  TColor FBackgroundColor = clNone;
  TColor FBackgroundColorTo = clNone;
  bool FLine = true;
  TColor FLineColor = 0x00B0721C;
  TTextRenderingHint FTextRendering = AdvSmoothPanel::tAntiAliasGridFit;
  String FHTMLText;
  std::unique_ptr<TFont> FHTMLFont;
  TLocation FHTMLLocation = AdvSmoothPanel::plCenterCenter;
  int FHTMLLeft = 0;
  int FHTMLTop = 0;
  TColor FHTMLURLColor = clBlue;
  TColor FHTMLShadowColor = 0x00808080;
  int FHTMLShadowOffset = 5;
};

class TAdvSmoothPanel : public TCustomControl, public IColorTones, public IComponentStyle {
 public:
  using TLocation = AdvSmoothPanel::TAdvSmoothPanelLocation;

  explicit TAdvSmoothPanel(TComponent* owner);
  ~TAdvSmoothPanel() override;

  // From another smooth panel: caption, fill and Transparent, then Changed.
  void Assign(TPersistent* source) override;
  // Marks the cached image stale and repaints.
  virtual void Changed();
  void SetComponentStyle(TStylePreset style) override;
  void SetColorTones(const TColorTones& tones) override;
  // The target of the HTML caption's anchor under a client point, or ''.
  String GetAnchorAt(int x, int y);

  TAdvSmoothPanelCaption* Caption() const { return FCaption.get(); }
  void SetCaption(TAdvSmoothPanelCaption* value);
  TGDIPFill* Fill() const { return FFill.get(); }
  void SetFill(TGDIPFill* value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool CanMove() const { return FCanMove; }
  void SetCanMove(bool value) { FCanMove = value; }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* value);
  TGDIPPictureContainer* PictureContainer() const { return FPictureContainer; }
  void SetPictureContainer(TGDIPPictureContainer* value);
  TAdvHintInfo* OfficeHint() const { return FOfficeHint.get(); }
  void SetOfficeHint(TAdvHintInfo* value) { FOfficeHint->Assign(value); }
  String Version() const;
  void SetVersion(const String&) {}
  // Sets the control's cursor and the one restored when the mouse leaves an anchor.
  void SetCursor(TCursor value);
  // Where the HTML caption was last drawn.
  TRect HTMLRect() const { return FHTMLRect; }

  TAdvSmoothPanelAnchorClickEvent OnAnchorClick;
  TAdvSmoothPanelDrawEvent OnDraw;
  TNotifyEvent OnEndMoveSize;

  void Dispatch(TMessage& message) override;

 protected:
  // Draws the whole panel into a GDI+ graphics; the derived panels draw on top of it.
  virtual void DrawPanel(TGPGraphics* graphics);
  virtual uint32_t GetVersionNr() const { return 0x01030000; }
  void Paint() override;
  void Resize() override;
  void CreateParams(TCreateParams& params) override;
  void Notification(TComponent* component, TOperation operation) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  // The body rectangle the last DrawPanel painted (the caption's frame).
  TGPFloatRect FBodyRect;

 private:
  void DrawCaptionText(TGPGraphics* graphics, const TGPFloatRect& body, float& textHeight);
  void DrawHTMLCaption(TGPGraphics* graphics, TGPFloatRect body, float textHeight);
  void PaintParentBackground(HDC dc);
  void WMNCHitTest(TMessage& message);

  bool FCacheStale = true;
  std::unique_ptr<TGPBitmap, TObjectFree> FCache;
  TCursor FSavedCursor = crDefault;
  bool FOverAnchor = false;
  TRect FHTMLRect;
  std::unique_ptr<TAdvSmoothPanelCaption, TObjectFree> FCaption;
  TGDIPPictureContainer* FPictureContainer = nullptr;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TGDIPFill, TObjectFree> FFill;
  bool FTransparent = true;
  bool FCanMove = false;
  std::unique_ptr<TAdvHintInfo, TObjectFree> FOfficeHint;
};
