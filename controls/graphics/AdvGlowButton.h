// The glow button: a push button drawn entirely by itself through GDI+, a body split into an
// upper and a lower (mirror) half with gradients, a one-pixel outline with small round corners,
// a picture or image-list glyph, a caption with notes under it and an optional drop-down part.
// Every look (normal, hot, down, checked, disabled) is one colour set of the appearance object;
// changes between them fade in steps of a process-wide timer interval.
//
// Sources by concern: _Appearance (colour sets, presets, tones, colour routines), _Paint (the
// frame: colour choice, fades, halves, outline, transparency), _Content (glyph, caption, notes
// and arrow, and the content size), _Input (mouse, keys, groups, drop-downs, timers, actions),
// and AdvGlowButton.cpp (creation and properties).
#pragma once

#include <memory>

#include "controls/graphics/AdvGDIP.h"
#include "controls/graphics/AdvHintInfo.h"
#include "controls/graphics/AdvStyleIF.h"
#include "controls/graphics/GDIPicture.h"
#include "platform/gdi/ImgList.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Timer.h"

class TAdvCustomGlowButton;

// The unit's own enumerations and routines; a namespace because the speed button and the grid
// use some of the same names.
namespace AdvGlowButton {

enum TGDIPGradient { ggRadial, ggVertical, ggDiagonalForward, ggDiagonalBackward };
enum TAdvButtonStyle { bsButton, bsCheck };
enum TButtonLayout {
  blGlyphLeft,
  blGlyphTop,
  blGlyphRight,
  blGlyphBottom,
  blGlyphLeftAdjusted,
  blGlyphRightAdjusted,
  blGlyphTopAdjusted,
  blGlyphBottomAdjusted
};
enum TDropDownPosition { dpRight, dpBottom };
enum TDropDownDirection { ddDown, ddRight };
enum TFocusType { ftBorder, ftHot, ftHotBorder, ftNone };
enum TButtonPosition { bpStandalone, bpLeft, bpMiddle, bpRight };
enum TGlowButtonState { gsNormal, gsHot, gsDown };
enum TButtonSizeState { bsGlyph, bsLabel, bsLarge };
enum TImageListType { ipActionList, ipOwnLists };
enum TShortCutHintPos {
  shpLeft,
  shpTop,
  shpRight,
  shpBottom,
  shpCenter,
  shpAuto,
  shpTopLeft,
  shpTopRight,
  shpAboveTop,
  shpAboveTopLeft,
  shpAboveTopRight,
  shpBottomLeft,
  shpBottomRight,
  shpBelowBottom,
  shpBelowBottomLeft,
  shpBelowBottomRight,
  shpBelowBottomCenter
};

using TGlowButtonDrawEvent =
    std::function<void(TObject* sender, TCanvas* canvas, TGlowButtonState state, TRect rect)>;

// The seven values one look is painted with.
struct TGlowColorSet {
  TColor Color = clNone;
  TColor ColorTo = clNone;
  TColor ColorMirror = clNone;
  TColor ColorMirrorTo = clNone;
  TColor Border = clNone;
  TGDIPGradient Gradient = ggVertical;
  TGDIPGradient GradientMirror = ggVertical;
};

// Strip widths of the drop-down part: clicks and layout, split painting and hot-tracking.
constexpr int kDropDownWidth = 14;
constexpr int kDropDownHotWidth = 12;
// Grey of a disabled caption and arrow.
constexpr TColor kDisabledInk = 0x00808080;

// Each resolved channel that is not 0 keeps min(100, 100 + percent) percent; a 0 channel becomes
// max(0, percent). The RGB form takes one percent per channel.
TColor DarkerColor(TColor color, int percent);
TColor DarkerColorRGB(TColor color, int red, int green, int blue);
// percent >= 100: color1; <= 0, or color1 clNone: color2; color2 clNone: color1; else mixed.
TColor BlendColor(TColor color1, TColor color2, int percent);

// Everything one frame of a button is painted from (the button's state already resolved).
struct TGlowDrawParams {
  TGlowColorSet Colors;
  String Caption;
  TFont* Font = nullptr;
  TCustomImageList* Images = nullptr;
  int ImageIndex = -1;
  bool ImageEnabled = true;
  TBitmap* GlyphBitmap = nullptr;  // used when at least 2 x 2
  TGDIPPicture* Picture = nullptr;
  int ForcedWidth = 0;  // 0: the glyph's own size
  int ForcedHeight = 0;
  TButtonLayout Layout = blGlyphLeft;
  bool DropDownButton = false;
  TDropDownPosition DropDownPosition = dpRight;
  bool DropDownSplit = true;
  bool ArrowDown = true;
  int DropDownPartState = 0;  // 0 none, 1 over the drop-down part, 2 over the main part
  bool StateColors = false;   // the hot or down set is being painted
  bool Enabled = true;
  bool FocusOutline = false;
  TButtonPosition Position = bpStandalone;
  bool DrawBorder = true;
  bool Rounded = true;
  bool WordWrap = true;
  GpStringTrimming Trimming = StringTrimmingNone;
  int Spacing = 2;
  TAntiAlias AntiAlias = aaClearType;
  TStrings* Notes = nullptr;
  TFont* NotesFont = nullptr;
  bool TransparentLook = false;
  bool Hot = false;
  bool Down = false;
  bool MenuShowing = false;
  bool TransparentHover = false;
  bool MeasureOnly = false;
};

// Paints a button into r on the canvas (the control only answers whether keyboard cues are
// hidden); returns the size the content needs (caption, notes and glyph with their spacing).
TSize DrawGlowButton(TControl* control, TCanvas* canvas, const TRect& r, const TGlowDrawParams& p);
// One half of the body: solid underlay, then a radial or linear gradient.
void PaintGlowHalf(TGPGraphics* graphics, const TRect& r, bool upper, TGDIPGradient gradient,
                   TColor colorA, TColor colorB);
// The small arrow of the drop-down part, pointing down or right, with its highlight pixels.
void DrawDropDownArrow(TCanvas* canvas, int x, int y, TColor color, bool down, TColor highlight);
// A picture at its own size (a BMP colour-keyed on its bottom-left pixel), or into a rectangle.
void DrawPictureAt(TGPGraphics* graphics, TPoint at, TGraphic* picture);
void DrawPictureStretched(TGPGraphics* graphics, TCanvas* canvas, const TRect& r,
                          TGraphic* picture);
// DT_HIDEPREFIX while the control's top-most window hides keyboard cues, else 0.
uint32_t GetAccelHideFlag(TControl* control);

// The fade interval shared by every glow button, in milliseconds (20 at start; 0 or less: no
// fading). Only SetColorTones changes it, to 0.
int FadeInterval();

}  // namespace AdvGlowButton

// Test seam: puts the process-wide fade interval back to its start value.
namespace AdvGlowButtonTesting {
void ResetFadeInterval();
}

// The five colour sets of a glow button and its caption colours.
class TGlowButtonAppearance : public TPersistent {
 public:
  using TGDIPGradient = AdvGlowButton::TGDIPGradient;
  using TGlowColorSet = AdvGlowButton::TGlowColorSet;

  TGlowButtonAppearance();
  // From another appearance: every property through its setter, then the transparent-hover
  // flag. Anything else goes to TPersistent (which fails for unknown sources).
  void Assign(TPersistent* source) override;

  TGlowColorSet NormalSet() const;
  TGlowColorSet HotSet() const;
  TGlowColorSet DownSet() const;
  TGlowColorSet CheckedSet() const;
  TGlowColorSet DisabledSet() const;

  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor v) { Set(FBorderColor, v); }
  TColor BorderColorHot() const { return FBorderColorHot; }
  void SetBorderColorHot(TColor v) { Set(FBorderColorHot, v); }
  TColor BorderColorDown() const { return FBorderColorDown; }
  void SetBorderColorDown(TColor v) { Set(FBorderColorDown, v); }
  TColor BorderColorChecked() const { return FBorderColorChecked; }
  void SetBorderColorChecked(TColor v) { Set(FBorderColorChecked, v); }
  TColor BorderColorDisabled() const { return FBorderColorDisabled; }
  void SetBorderColorDisabled(TColor v) { Set(FBorderColorDisabled, v); }
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { Set(FColor, v); }
  TColor ColorTo() const { return FColorTo; }
  void SetColorTo(TColor v) { Set(FColorTo, v); }
  TColor ColorChecked() const { return FColorChecked; }
  void SetColorChecked(TColor v) { Set(FColorChecked, v); }
  TColor ColorCheckedTo() const { return FColorCheckedTo; }
  void SetColorCheckedTo(TColor v) { Set(FColorCheckedTo, v); }
  TColor ColorDisabled() const { return FColorDisabled; }
  void SetColorDisabled(TColor v) { Set(FColorDisabled, v); }
  TColor ColorDisabledTo() const { return FColorDisabledTo; }
  void SetColorDisabledTo(TColor v) { Set(FColorDisabledTo, v); }
  TColor ColorDown() const { return FColorDown; }
  void SetColorDown(TColor v) { Set(FColorDown, v); }
  TColor ColorDownTo() const { return FColorDownTo; }
  void SetColorDownTo(TColor v) { Set(FColorDownTo, v); }
  TColor ColorHot() const { return FColorHot; }
  void SetColorHot(TColor v) { Set(FColorHot, v); }
  TColor ColorHotTo() const { return FColorHotTo; }
  void SetColorHotTo(TColor v) { Set(FColorHotTo, v); }
  TColor ColorMirror() const { return FColorMirror; }
  void SetColorMirror(TColor v) { Set(FColorMirror, v); }
  TColor ColorMirrorTo() const { return FColorMirrorTo; }
  void SetColorMirrorTo(TColor v) { Set(FColorMirrorTo, v); }
  TColor ColorMirrorHot() const { return FColorMirrorHot; }
  void SetColorMirrorHot(TColor v) { Set(FColorMirrorHot, v); }
  TColor ColorMirrorHotTo() const { return FColorMirrorHotTo; }
  void SetColorMirrorHotTo(TColor v) { Set(FColorMirrorHotTo, v); }
  TColor ColorMirrorDown() const { return FColorMirrorDown; }
  void SetColorMirrorDown(TColor v) { Set(FColorMirrorDown, v); }
  TColor ColorMirrorDownTo() const { return FColorMirrorDownTo; }
  void SetColorMirrorDownTo(TColor v) { Set(FColorMirrorDownTo, v); }
  TColor ColorMirrorChecked() const { return FColorMirrorChecked; }
  void SetColorMirrorChecked(TColor v) { Set(FColorMirrorChecked, v); }
  TColor ColorMirrorCheckedTo() const { return FColorMirrorCheckedTo; }
  void SetColorMirrorCheckedTo(TColor v) { Set(FColorMirrorCheckedTo, v); }
  TColor ColorMirrorDisabled() const { return FColorMirrorDisabled; }
  void SetColorMirrorDisabled(TColor v) { Set(FColorMirrorDisabled, v); }
  TColor ColorMirrorDisabledTo() const { return FColorMirrorDisabledTo; }
  void SetColorMirrorDisabledTo(TColor v) { Set(FColorMirrorDisabledTo, v); }
  TGDIPGradient Gradient() const { return FGradient; }
  void SetGradient(TGDIPGradient v) { Set(FGradient, v); }
  TGDIPGradient GradientMirror() const { return FGradientMirror; }
  void SetGradientMirror(TGDIPGradient v) { Set(FGradientMirror, v); }
  TGDIPGradient GradientHot() const { return FGradientHot; }
  void SetGradientHot(TGDIPGradient v) { Set(FGradientHot, v); }
  TGDIPGradient GradientMirrorHot() const { return FGradientMirrorHot; }
  void SetGradientMirrorHot(TGDIPGradient v) { Set(FGradientMirrorHot, v); }
  TGDIPGradient GradientDown() const { return FGradientDown; }
  void SetGradientDown(TGDIPGradient v) { Set(FGradientDown, v); }
  TGDIPGradient GradientMirrorDown() const { return FGradientMirrorDown; }
  void SetGradientMirrorDown(TGDIPGradient v) { Set(FGradientMirrorDown, v); }
  TGDIPGradient GradientChecked() const { return FGradientChecked; }
  void SetGradientChecked(TGDIPGradient v) { Set(FGradientChecked, v); }
  TGDIPGradient GradientMirrorChecked() const { return FGradientMirrorChecked; }
  void SetGradientMirrorChecked(TGDIPGradient v) { Set(FGradientMirrorChecked, v); }
  TGDIPGradient GradientDisabled() const { return FGradientDisabled; }
  void SetGradientDisabled(TGDIPGradient v) { Set(FGradientDisabled, v); }
  TGDIPGradient GradientMirrorDisabled() const { return FGradientMirrorDisabled; }
  void SetGradientMirrorDisabled(TGDIPGradient v) { Set(FGradientMirrorDisabled, v); }
  bool SystemFont() const { return FSystemFont; }
  void SetSystemFont(bool v) { Set(FSystemFont, v); }
  TColor TextColorChecked() const { return FTextColorChecked; }
  void SetTextColorChecked(TColor v) { Set(FTextColorChecked, v); }
  TColor TextColorDown() const { return FTextColorDown; }
  void SetTextColorDown(TColor v) { Set(FTextColorDown, v); }
  TColor TextColorHot() const { return FTextColorHot; }
  void SetTextColorHot(TColor v) { Set(FTextColorHot, v); }

  // Not streamed: the button keeps showing its parent while hot (presets 13 to 15).
  bool TransparentHover() const { return FTransparentHover; }
  void SetTransparentHover(bool v) { FTransparentHover = v; }

  TNotifyEvent OnChange;

 private:
  template <class T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    if (OnChange) OnChange(this);
  }

  TColor FBorderColor = 0x00C0C0C0;
  TColor FBorderColorHot = 0x00FF0000;
  TColor FBorderColorDown = 0x00800000;
  TColor FBorderColorChecked = 0x00FF0000;
  TColor FBorderColorDisabled = 0x00808080;
  TColor FColor = 0x00FFFFFF;
  TColor FColorTo = 0x00FFFFFF;
  TColor FColorChecked = 0x00F5D8CA;
  TColor FColorCheckedTo = 0x00F9BDA0;
  TColor FColorDisabled = 0x00F2F2F2;
  TColor FColorDisabledTo = 0x00F2F2F2;
  TColor FColorDown = 0x00F5D8CA;
  TColor FColorDownTo = 0x00F9BDA0;
  TColor FColorHot = 0x00F5F0E1;
  TColor FColorHotTo = 0x00F9D2B2;
  TColor FColorMirror = 0x00C0C0C0;
  TColor FColorMirrorTo = 0x00FFFFFF;
  TColor FColorMirrorHot = 0x00F5C8AD;
  TColor FColorMirrorHotTo = 0x00FFF8F4;
  TColor FColorMirrorDown = 0x00F5B49C;
  TColor FColorMirrorDownTo = 0x00FFDFDC;
  TColor FColorMirrorChecked = 0x00F5B49C;
  TColor FColorMirrorCheckedTo = 0x00FFDFDC;
  TColor FColorMirrorDisabled = 0x00B6B6B6;
  TColor FColorMirrorDisabledTo = 0x00F2F2F2;
  TGDIPGradient FGradient = AdvGlowButton::ggVertical;
  TGDIPGradient FGradientMirror = AdvGlowButton::ggVertical;
  TGDIPGradient FGradientHot = AdvGlowButton::ggRadial;
  TGDIPGradient FGradientMirrorHot = AdvGlowButton::ggRadial;
  TGDIPGradient FGradientDown = AdvGlowButton::ggRadial;
  TGDIPGradient FGradientMirrorDown = AdvGlowButton::ggRadial;
  TGDIPGradient FGradientChecked = AdvGlowButton::ggRadial;
  TGDIPGradient FGradientMirrorChecked = AdvGlowButton::ggVertical;
  TGDIPGradient FGradientDisabled = AdvGlowButton::ggRadial;
  TGDIPGradient FGradientMirrorDisabled = AdvGlowButton::ggRadial;
  bool FSystemFont = true;
  TColor FTextColorChecked = clBlack;
  TColor FTextColorDown = clBlack;
  TColor FTextColorHot = clBlack;
  bool FTransparentHover = false;
};

class TAdvGlowButtonActionLink;

class TAdvCustomGlowButton : public TCustomControl, public IComponentStyle, public IColorTones {
 public:
  using TAdvButtonStyle = AdvGlowButton::TAdvButtonStyle;
  using TButtonLayout = AdvGlowButton::TButtonLayout;
  using TButtonPosition = AdvGlowButton::TButtonPosition;
  using TButtonSizeState = AdvGlowButton::TButtonSizeState;
  using TDropDownDirection = AdvGlowButton::TDropDownDirection;
  using TDropDownPosition = AdvGlowButton::TDropDownPosition;
  using TFocusType = AdvGlowButton::TFocusType;
  using TImageListType = AdvGlowButton::TImageListType;
  using TShortCutHintPos = AdvGlowButton::TShortCutHintPos;

  explicit TAdvCustomGlowButton(TComponent* owner);
  ~TAdvCustomGlowButton() override;

  // From another glow button: the list of properties in the source's order (not the
  // appearance, Down, GroupIndex, Style or the drop-down properties); other sources ignored.
  void Assign(TPersistent* source) override;
  void Click() override;
  void Dispatch(TMessage& message) override;

  // --- Style interfaces ---
  void SetComponentStyle(TStylePreset style) override;
  void SetColorTones(const TColorTones& tones) override;

  // --- Looks ---
  TGlowButtonAppearance* Appearance() const { return FAppearance.get(); }
  void SetAppearance(TGlowButtonAppearance* value) { FAppearance->Assign(value); }
  TAntiAlias AntiAlias() const { return FAntiAlias; }
  void SetAntiAlias(TAntiAlias v) { SetAndRepaint(FAntiAlias, v); }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v) { SetAndRepaint(FBorderStyle, v); }
  TButtonPosition Position() const { return FPosition; }
  void SetPosition(TButtonPosition v) { SetAndRepaint(FPosition, v); }
  bool Rounded() const { return FRounded; }
  void SetRounded(bool v) { SetAndRepaint(FRounded, v); }
  bool ShowDisabled() const { return FShowDisabled; }
  void SetShowDisabled(bool v) { SetAndRepaint(FShowDisabled, v); }
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool v);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int v) { SetAndRepaint(FSpacing, v); }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v) { SetAndRepaint(FTransparent, v); }
  GpStringTrimming Trimming() const { return FTrimming; }
  void SetTrimming(GpStringTrimming v) { SetAndRepaint(FTrimming, v); }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v) { SetAndRepaint(FWordWrap, v); }
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout v) { SetAndRepaint(FLayout, v); }
  TFocusType FocusType() const { return FFocusType; }
  void SetFocusType(TFocusType v) { FFocusType = v; }
  TStrings* Notes() const { return FNotes.get(); }
  void SetNotes(TStrings* value);
  TFont* NotesFont() const { return FNotesFont.get(); }
  void SetNotesFont(TFont* value);
  int MarginVert() const { return FMarginVert; }
  void SetMarginVert(int v) { SetAndMeasure(FMarginVert, v); }
  int MarginHorz() const { return FMarginHorz; }
  void SetMarginHorz(int v) { SetAndMeasure(FMarginHorz, v); }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v) { SetAndMeasure(FAutoSize, v); }

  // --- Glyphs ---
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int v) { SetAndMeasure(FImageIndex, v); }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* value);
  TCustomImageList* DisabledImages() const { return FDisabledImages; }
  void SetDisabledImages(TCustomImageList* value);
  TCustomImageList* HotImages() const { return FHotImages; }
  void SetHotImages(TCustomImageList* value);
  TImageListType ImageListType() const { return FImageListType; }
  void SetImageListType(TImageListType v) { SetAndMeasure(FImageListType, v); }
  TGDIPPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TGDIPPicture* value) { FPicture->Assign(value); }
  TGDIPPicture* DisabledPicture() const { return FDisabledPicture.get(); }
  void SetDisabledPicture(TGDIPPicture* value) { FDisabledPicture->Assign(value); }
  TGDIPPicture* HotPicture() const { return FHotPicture.get(); }
  void SetHotPicture(TGDIPPicture* value) { FHotPicture->Assign(value); }

  // --- Behaviour ---
  bool Cancel() const { return FCancel; }
  void SetCancel(bool v) { FCancel = v; }
  bool Default() const { return FDefault; }
  void SetDefault(bool v);
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult v) { FModalResult = v; }
  int InitRepeatPause() const { return FInitRepeatPause; }
  void SetInitRepeatPause(int v) { FInitRepeatPause = v; }
  int RepeatPause() const { return FRepeatPause; }
  void SetRepeatPause(int v) { FRepeatPause = v; }
  bool RepeatClick() const { return FRepeatClick; }
  void SetRepeatClick(bool v) { FRepeatClick = v; }
  TAdvHintInfo* OfficeHint() const { return FOfficeHint.get(); }
  void SetOfficeHint(TAdvHintInfo* value) { FOfficeHint->Assign(value); }
  const String& ShortCutHint() const { return FShortCutHint; }
  void SetShortCutHint(const String& v) { FShortCutHint = v; }
  TShortCutHintPos ShortCutHintPos() const { return FShortCutHintPos; }
  void SetShortCutHintPos(TShortCutHintPos v) { FShortCutHintPos = v; }
  String Version() const;
  void SetVersion(const String&) {}

  // --- Toggling and groups ---
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool v);
  bool Down() const { return FDown; }
  void SetDown(bool value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int v);
  TAdvButtonStyle Style() const { return FStyle; }
  void SetStyle(TAdvButtonStyle v) { FStyle = v; }

  // --- Size states ---
  TButtonSizeState MaxButtonSizeState() const { return FMaxButtonSizeState; }
  void SetMaxButtonSizeState(TButtonSizeState v);
  TButtonSizeState MinButtonSizeState() const { return FMinButtonSizeState; }
  void SetMinButtonSizeState(TButtonSizeState v);
  TButtonSizeState SizeState() const { return FSizeState; }

  // --- Drop-down part ---
  bool DropDownButton() const { return FDropDownButton; }
  void SetDropDownButton(bool v);
  TDropDownPosition DropDownPosition() const { return FDropDownPosition; }
  void SetDropDownPosition(TDropDownPosition v);
  TDropDownDirection DropDownDirection() const { return FDropDownDirection; }
  void SetDropDownDirection(TDropDownDirection v) { SetAndRepaint(FDropDownDirection, v); }
  bool DropDownSplit() const { return FDropDownSplit; }
  void SetDropDownSplit(bool v) { FDropDownSplit = v; }
  TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TPopupMenu* value);

  // --- What the painter and the tests read ---
  // 0 normal, 1 disabled, 2 down, 4 checked.
  int ButtonState() const { return FState; }
  bool Hot() const { return FHot; }
  bool HotColors() const { return FHotColors; }
  bool Pressed() const { return FPressed; }
  int HotFade() const { return FHotFade; }
  int DownFade() const { return FDownFade; }
  bool Fading() const { return FFadeTimer != nullptr; }
  bool MenuShowing() const { return FMenuShowing; }
  uint8_t AppliedPreset() const { return FAppliedPreset; }

  AdvGlowButton::TGlowButtonDrawEvent OnDrawButton;
  TNotifyEvent OnDropDown;

 protected:
  void Paint() override;
  void CreateWnd() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void DoEnter() override;
  void DoExit() override;
  void ActionChange(TObject* sender, bool checkDefaults) override;
  TControlActionLink* CreateActionLink() override;

  virtual void RepeatTimerTick();
  virtual void AfterPaint() {}
  // A descendant may resize the 1 x 1 bitmap and draw a glyph into it; nothing here.
  virtual void GetGlyphBitmap(TBitmap*) {}
  virtual uint32_t GetVersionNr() const { return 0x02020101; }
  virtual bool HasDropDownPart() const { return false; }
  virtual bool DrawsBorder() const { return FBorderStyle == bsSingle; }
  virtual bool HasFocusBorder() const;

 private:
  friend class TAdvGlowButtonActionLink;
  enum class TFadeKind { Idle, Hot, Down };

  template <class T>
  void SetAndRepaint(T& field, T value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }
  template <class T>
  void SetAndMeasure(T& field, T value) {
    if (field == value) return;
    field = value;
    UpdateAutoSize();
  }

  // Painting (AdvGlowButton_Paint.cpp).
  void DoPaint();
  AdvGlowButton::TGlowColorSet ChooseColors(bool& stateColors);
  // Paints the parent into the canvas, clipped to the region (nullptr: the client area).
  void PaintParentBackground(HRGN clip);
  void GiveBackCorners();

  // Input (AdvGlowButton_Input.cpp).
  void CMMouseEnter(TMessage& message);
  void CMMouseLeave(TMessage& message);
  void CMDialogKey(TMessage& message);
  void CMDialogChar(TMessage& message);
  void CMButtonPressed(TMessage& message);
  void WMLButtonUp(TMessage& message);
  void StartFadeTimer();
  void FadeTimerTick();
  void StopFadeTimer();
  void UpdateTracking();
  void DropDownAction();
  void DoDropDown();
  // Shows the drop-down menu under (or beside) the button and returns when it closes.
  void PopupDropDownMenu();
  void KeyboardClick();
  void BroadcastGroup();
  void UpdateAutoSize();
  void SetSizeState(TButtonSizeState value);
  void TakeModalResult();
  void ImageListChanged(TCustomImageList*& field, TCustomImageList* value, TChangeLink* link);

  std::unique_ptr<TGlowButtonAppearance, TObjectFree> FAppearance;
  std::unique_ptr<TGDIPPicture, TObjectFree> FPicture;
  std::unique_ptr<TGDIPPicture, TObjectFree> FDisabledPicture;
  std::unique_ptr<TGDIPPicture, TObjectFree> FHotPicture;
  std::unique_ptr<TStringList, TObjectFree> FNotes;
  std::unique_ptr<TFont> FNotesFont;
  std::unique_ptr<TAdvHintInfo, TObjectFree> FOfficeHint;
  std::unique_ptr<TChangeLink, TObjectFree> FImagesLink;
  std::unique_ptr<TChangeLink, TObjectFree> FDisabledImagesLink;
  std::unique_ptr<TChangeLink, TObjectFree> FHotImagesLink;

  TAntiAlias FAntiAlias = aaClearType;
  bool FAutoSize = false;
  TBorderStyle FBorderStyle = bsSingle;
  bool FCancel = false;
  bool FDefault = false;
  int FImageIndex = -1;
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FDisabledImages = nullptr;
  TCustomImageList* FHotImages = nullptr;
  TFocusType FFocusType = AdvGlowButton::ftBorder;
  TImageListType FImageListType = AdvGlowButton::ipActionList;
  int FMarginVert = 1;
  int FMarginHorz = 1;
  TModalResult FModalResult = mrNone;
  TButtonPosition FPosition = AdvGlowButton::bpStandalone;
  int FInitRepeatPause = 400;
  int FRepeatPause = 100;
  bool FRepeatClick = false;
  bool FRounded = true;
  String FShortCutHint;
  TShortCutHintPos FShortCutHintPos = AdvGlowButton::shpTop;
  bool FShowCaption = true;
  bool FShowDisabled = true;
  int FSpacing = 2;
  bool FTransparent = false;
  GpStringTrimming FTrimming = StringTrimmingNone;
  bool FWordWrap = true;
  bool FAllowAllUp = false;
  bool FDown = false;
  int FGroupIndex = 0;
  TButtonLayout FLayout = AdvGlowButton::blGlyphLeft;
  TAdvButtonStyle FStyle = AdvGlowButton::bsButton;
  TButtonSizeState FMaxButtonSizeState = AdvGlowButton::bsLarge;
  TButtonSizeState FMinButtonSizeState = AdvGlowButton::bsGlyph;
  bool FDropDownButton = false;
  TDropDownPosition FDropDownPosition = AdvGlowButton::dpRight;
  TDropDownDirection FDropDownDirection = AdvGlowButton::ddDown;
  bool FDropDownSplit = true;
  TPopupMenu* FDropDownMenu = nullptr;

  // State beside the properties.
  int FState = 0;
  bool FHot = false;
  bool FHotColors = false;
  bool FMouseInside = false;
  bool FPressed = false;
  bool FHeld = false;
  bool FRePressOnReturn = false;
  bool FTracking = false;
  bool FOverDropDown = false;
  bool FMenuShowing = false;
  bool FFocused = false;
  bool FLButtonDownSeen = false;
  bool FDefaultNow = false;
  bool FHasPendingDown = false;
  bool FPendingDown = false;
  int FHotFade = 0;
  int FDownFade = 0;
  int FFadeStep = 0;
  TFadeKind FFadeKind = TFadeKind::Idle;
  // The running fade timer, or null. A finished fade's timer is kept aside (disabled) rather
  // than freed, as it ends from inside its own tick.
  TTimer* FFadeTimer = nullptr;
  TTimer* FSpareFadeTimer = nullptr;
  TTimer* FRepeatTimer = nullptr;
  TButtonSizeState FSizeState = AdvGlowButton::bsLarge;
  TButtonLayout FLargeLayout = AdvGlowButton::blGlyphLeft;
  TDropDownPosition FLargeDropDownPosition = AdvGlowButton::dpRight;
  bool FMeasureRequested = false;
  bool FMeasureOnNextPaint = false;
  uint8_t FAppliedPreset = 8;
  bool FPainting = false;
  bool FCheckedLinked = false;
  bool FGroupLinked = false;
  int FActionImageIndex = -1;
};

// The published button; everything it publishes lives in the base.
class TAdvGlowButton : public TAdvCustomGlowButton {
 public:
  explicit TAdvGlowButton(TComponent* owner) : TAdvCustomGlowButton(owner) {}
};

// The action link of a glow button: checked state, group index and image index follow the
// action when they match the button's.
class TAdvGlowButtonActionLink : public TControlActionLink {
 public:
  explicit TAdvGlowButtonActionLink(TAdvCustomGlowButton* client);
  bool IsCheckedLinked() override;
  bool IsGroupIndexLinked() override;
  bool IsImageIndexLinked() override;
  void SetChecked(bool value) override;
  void SetGroupIndex(int value) override;
  void SetImageIndex(int value) override;
  int ImageIndex() const { return FImageIndex; }

 private:
  TAdvCustomGlowButton* FButton;
  int FImageIndex = -1;
};
