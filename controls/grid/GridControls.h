// Small controls and graphics the string grid makes for itself: the glyph button and the check box
// of its search panel, the arrow windows that mark where a moved column or row lands, the popup
// that glows around the cell being edited, the 32-bit alpha bitmap of that glow and the blur that
// softens it.
#pragma once

#include <memory>
#include <vector>

#include "controls/grid/BaseGridTypes.h"
#include "platform/gdi/Bitmap.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

// The themed look: Windows XP or later, and themes active with common controls 6. No theme is
// active on this platform, so the classic look is drawn.
bool OsIsXPOrLater();
bool ThemesUsable();

// --- Alpha mask and blur -------------------------------------------------------------------------

// A 32-bit bitmap with premultiplied alpha, shown by the string grid in a layered window with the
// constant Opacity.
class TGridAlphaMask : public TBitmap {
 public:
  TGridAlphaMask();
  // Takes the image's size; a pixel's alpha is the mask's red channel there (0 where the mask is
  // smaller) and its colours are the image's, premultiplied. Nothing unless the image is 24-bit;
  // a mask that is not 24-bit gives alpha 0.
  void LoadFromBitmaps(TBitmap* mask, TBitmap* image);
  // From another mask its opacity and pixels; else the bitmap's own assignment. 32-bit after.
  void Assign(TPersistent* source) override;
  int Opacity() const { return FOpacity; }
  void SetOpacity(int value) { FOpacity = value < 0 ? 0 : value > 255 ? 255 : value; }

 private:
  int FOpacity = 255;
};

// Blurs a 24-bit bitmap with a Gaussian of the radius (kernel at most 21 wide). Raises
// EInvalidGraphicOperation "Blur only works for 24-bit bitmaps" for any other bitmap.
void GaussianBlur(TBitmap* bitmap, double radius);
// A white rounded rectangle (a ring of the pen width, or filled for 0) on black, blurred.
void MakeBlurredRoundRect(TBitmap* bitmap, int width, int height, int penWidth, int corner,
                          double radius);

// The focus glow's ring: pen width, corner and blur radius.
constexpr int kGlowPenWidth = 4;
constexpr int kGlowCorner = 5;
constexpr double kGlowRadius = 3.0;
// The glow bitmap is this much wider and higher than the cell, in this colour and opacity.
constexpr int kGlowMargin = 9;
constexpr TColor kGlowColor = 0x00FDD397;
constexpr int kGlowOpacity = 230;

// --- Glyph button --------------------------------------------------------------------------------

class TPopupMenu;
class TAdvGridButton;

// Links an action's caption, checked state and group index to a glyph button: the caption when
// the two are equal, the checked state when the button is grouped, may rise and shows Down as the
// action is checked, the group index when the two are equal.
class TAdvGridButtonActionLink : public TControlActionLink {
 public:
  explicit TAdvGridButtonActionLink(TAdvGridButton* client);
  bool IsCheckedLinked() override;
  bool IsGroupIndexLinked() override;
  void SetChecked(bool value) override;
  void SetGroupIndex(int value) override;

 private:
  TAdvGridButton* FButton;
};

// Where the glyph and the caption go inside a rectangle W x H (button coordinates before the
// rectangle's origin): the glyph's and the caption's top-left corners.
struct TGlyphLayout {
  TPoint Glyph;
  TPoint Caption;
};
TGlyphLayout LayoutGlyphAndCaption(TButtonLayout layout, int margin, int spacing, int width,
                                   int height, TSize glyph, TSize caption);

// The find, highlight and close buttons of the search panel: a flat glyph button with gradient
// looks, a check style that toggles, groups whose buttons stay down one at a time, and an
// optional drop-down part at the right.
class TAdvGridButton : public TGraphicControl {
 public:
  explicit TAdvGridButton(TComponent* owner);
  ~TAdvGridButton() override;

  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  bool AutoThemeAdapt() const { return FAutoThemeAdapt; }
  void SetAutoThemeAdapt(bool value);
  bool AutoXPStyle() const { return FAutoXPStyle; }
  void SetAutoXPStyle(bool value) { FAutoXPStyle = value; }
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  TColor BorderDownColor() const { return FBorderDownColor; }
  void SetBorderDownColor(TColor value) { FBorderDownColor = value; }
  TColor BorderHotColor() const { return FBorderHotColor; }
  void SetBorderHotColor(TColor value) { FBorderHotColor = value; }
  TColor ColorTo() const { return FColorTo; }
  void SetColorTo(TColor value);
  TColor ColorDown() const { return FColorDown; }
  void SetColorDown(TColor value) { FColorDown = value; }
  TColor ColorDownTo() const { return FColorDownTo; }
  void SetColorDownTo(TColor value) { FColorDownTo = value; }
  TColor ColorHot() const { return FColorHot; }
  void SetColorHot(TColor value) { FColorHot = value; }
  TColor ColorHotTo() const { return FColorHotTo; }
  void SetColorHotTo(TColor value) { FColorHotTo = value; }
  TColor ColorChecked() const { return FColorChecked; }
  void SetColorChecked(TColor value);
  TColor ColorCheckedTo() const { return FColorCheckedTo; }
  void SetColorCheckedTo(TColor value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  bool Down() const { return FDown; }
  void SetDown(bool value);
  bool DropDownButton() const { return FDropDownButton; }
  void SetDropDownButton(bool value);
  TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TPopupMenu* value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  // Copies the bitmap; derives the disabled glyph when there is none.
  void SetGlyph(TBitmap* value);
  TBitmap* GlyphHot() const { return FGlyphHot.get(); }
  void SetGlyphHot(TBitmap* value) { FGlyphHot->Assign(value); }
  TBitmap* GlyphDown() const { return FGlyphDown.get(); }
  void SetGlyphDown(TBitmap* value) { FGlyphDown->Assign(value); }
  TBitmap* GlyphDisabled() const { return FGlyphDisabled.get(); }
  void SetGlyphDisabled(TBitmap* value) { FGlyphDisabled->Assign(value); }
  TBitmap* GlyphShade() const { return FGlyphShade.get(); }
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout value);
  // -1 centres the glyph and caption; below -1 is refused.
  int Margin() const { return FMargin; }
  void SetMargin(int value);
  bool Rounded() const { return FRounded; }
  void SetRounded(bool value);
  bool Shaded() const { return FShaded; }
  void SetShaded(bool value);
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);
  TAdvGridButtonStyle Style() const { return FStyle; }
  void SetStyle(TAdvGridButtonStyle value);

  TButtonState State() const { return FState; }
  bool MouseInControl() const { return FMouseInControl; }
  // Applies colour preset 1 to 4 (1 without a theme).
  void ApplyPreset(int preset);
  // The preset the current colour scheme chooses.
  static int ThemePreset();

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnDropDown;

  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void Loaded() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Notification(TComponent* component, TOperation operation) override;
  TControlActionLink* CreateActionLink() override;
  void ActionChange(TObject* sender, bool checkDefaults) override;

 private:
  void SettleState();
  void TellGroup();
  void GroupPressed(TAdvGridButton* sender);
  void CheckHot();
  void MakeDisabledGlyph();
  void MakeShade();
  void PaintFace(TCanvas* canvas, TRect& r, bool hot);
  void PaintGlyphAndCaption(TCanvas* canvas, TRect area, TPoint offset, bool hot);
  bool InDropDownPart(int x) const;

  bool FAllowAllUp = false;
  bool FAutoThemeAdapt = false;
  bool FAutoXPStyle = false;
  TColor FBorderColor = clNone;
  TColor FBorderDownColor = clNone;
  TColor FBorderHotColor = clNone;
  TColor FColorTo = clNone;
  TColor FColorDown = 0x00D8D3D2;
  TColor FColorDownTo = clNone;
  TColor FColorHot = 0x00CAC7C7;
  TColor FColorHotTo = clNone;
  TColor FColorChecked = 0x00808080;
  TColor FColorCheckedTo = clNone;
  int FGroupIndex = 0;
  bool FDown = false;
  bool FDropDownButton = false;
  TPopupMenu* FDropDownMenu = nullptr;
  bool FFlat = true;
  std::unique_ptr<TBitmap> FGlyph, FGlyphHot, FGlyphDown, FGlyphDisabled, FGlyphShade;
  TButtonLayout FLayout = blGlyphLeft;
  int FMargin = -1;
  bool FRounded = false;
  bool FShaded = true;
  bool FShowCaption = true;
  int FSpacing = 4;
  TAdvGridButtonStyle FStyle = TAdvGridButtonStyle::tasButton;
  TButtonState FState = bsUp;
  bool FMouseInControl = false;
  bool FDragging = false;
  bool FIsComCtl6;
};

// Fills a rectangle with 16 bands from one colour to the other (vertical bands when horizontal),
// each one pixel beyond its size; with an edge colour, an unfilled frame around the whole.
void DrawButtonGradient(TCanvas* canvas, TColor from, TColor to, TColor edge, const TRect& r,
                        bool horizontal);
// The grey level of a disabled glyph pixel: 96 for black to 223 for white.
int DisabledGlyphGrey(TColor pixel);

// --- Check box -----------------------------------------------------------------------------------

// The search panel's match-case box: a check box that paints itself, with the classic box when no
// theme is active.
class TAdvCheckBox : public TCustomControl {
 public:
  explicit TAdvCheckBox(TComponent* owner);
  ~TAdvCheckBox() override;

  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight value);
  TTextLayout ButtonVertAlign() const { return FButtonVertAlign; }
  void SetButtonVertAlign(TTextLayout value);
  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  bool Ellipsis() const { return FEllipsis; }
  void SetEllipsis(bool value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  bool ReturnIsTab() const { return FReturnIsTab; }
  void SetReturnIsTab(bool value) { FReturnIsTab = value; }
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

  bool IsDown() const { return FDown; }
  bool IsHot() const { return FHot; }
  // The box's rectangle in the client area.
  TRect BoxRect();
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  void Toggle();
  void ToggleAndClick();
  void PaintParentBackground(TCanvas* canvas);

  TLeftRight FAlignment = taLeftJustify;
  TTextLayout FButtonVertAlign = tlTop;
  bool FEllipsis = false;
  bool FReadOnly = false;
  bool FReturnIsTab = false;
  TCheckBoxState FState = cbUnchecked;
  bool FTransparent = false;
  bool FDown = false;
  bool FHot = false;
  bool FFocused = false;
  bool FMouseDown = false;
  bool FIsWinXP;
};

// --- Popups --------------------------------------------------------------------------------------

// One of the four arrows that mark where a moved column or row lands: a lime popup shaped to an
// arrow. Direction 0 up, 1 down, 2 right, 3 left.
class TArrowWindow : public TPanel {
 public:
  TArrowWindow(TComponent* owner, int direction);
  int Direction() const { return FDirection; }
  // The arrow's seven points.
  static std::vector<TPoint> ArrowPoints(int direction);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Paint() override;

 private:
  int FDirection;
};

// The popup the string grid turns into a glowing frame around the cell being edited.
class TGridFocusWindow : public TCustomControl {
 public:
  explicit TGridFocusWindow(TComponent* owner);

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override {}
};
