// The grid's combo editor: the platform's combo box with its own border and drop-down button,
// a flat look, colour schemes for the button, border and focus colours, and an attached label.
#pragma once

#include <memory>

#include "platform/ui/StdCtrls.h"

class TCanvas;

namespace AsgCombo {

enum TLabelPosition {
  lpLeftTop, lpLeftCenter, lpLeftBottom, lpTopLeft, lpBottomLeft, lpLeftTopLeft,
  lpLeftCenterLeft, lpLeftBottomLeft, lpTopCenter, lpBottomCenter, lpRightTop, lpRightCenter,
  lpRighBottom
};

// The colours of a coloured drop-down button.
struct TButtonColors {
  TColor Normal = clNone;
  TColor Hot = clNone;
  TColor Down = clNone;
  TColor Text = clNone;
  TColor TextDown = clNone;
  TColor Border = clNone;
};

// The fill a coloured button shows: down while a mouse button is held over it, hot while the
// mouse is over it.
TColor ButtonFill(const TButtonColors& colors, bool overButton, bool mouseDown);
// Fills r, draws the separator line at its left edge and the arrow with its points relative to
// r's top-left corner.
void PaintColoredButton(TCanvas* canvas, const TRect& r, const TButtonColors& colors,
                        bool overButton, bool mouseDown, const TPoint (&arrow)[3]);
// Whether the left or the right mouse button is down.
bool MouseButtonDown();
// Paints a drop-down button through the theme's combo box class: disabled, pressed while a mouse
// button is down on an open list, hot while the mouse is over it with the list closed. False when
// no theme draws it.
bool PaintThemedDropButton(HWND window, HDC dc, const TRect& r, bool enabled, bool mouseDown,
                           bool dropped, bool hot);

// What decides the frame around a combo-like control.
struct TBorderLook {
  bool Enabled = true;
  bool DisabledBorder = true;
  bool Focused = false;
  bool FocusBorderShows = false;
  TColor BorderColor = clNone;
  TColor FocusBorderColor = clNone;
  TColor ParentColor = clBtnFace;
  TColor Color = clWindow;
  int ButtonWidth = 0;
};
// Draws the frame over the control's edge; answers the rectangle left inside it.
TRect DrawControlBorder(TCanvas* canvas, TRect r, const TBorderLook& look);
// Draws the frame of the button area of a control clientWidth x clientHeight and keeps it out of
// later drawing. An active control gets activeEdge around the button (0: none); an inactive one
// a face-coloured fill.
void DrawButtonBorder(TCanvas* canvas, int clientWidth, int clientHeight, int buttonWidth,
                      bool active, uint32_t activeEdge, uint32_t activeFlags);

}  // namespace AsgCombo

class TLabel;

class TAsgCustomCombo : public TCustomComboBox {
 public:
  explicit TAsgCustomCombo(TComponent* owner);
  ~TAsgCustomCombo() override;

  int ButtonWidth() const { return FButtonWidth; }
  // Widths outside 14..32 are ignored; the width changes only what is painted.
  void SetButtonWidth(int value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  bool Etched() const { return FEtched; }
  void SetEtched(bool value);
  bool DisabledBorder() const { return FDisabledBorder; }
  void SetDisabledBorder(bool value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  TColor FlatLineColor() const { return FFlatLineColor; }
  void SetFlatLineColor(TColor value);
  bool FlatParentColor() const { return FFlatParentColor; }
  void SetFlatParentColor(bool value);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);
  int DropWidth() const { return FDropWidth; }
  void SetDropWidth(int value);
  // A write while the combo has no focus is also the colour leaving the focus returns to.
  void SetColor(TColor value);
  void SetEnabled(bool value) override;

  bool FocusBorder = false;
  TColor FocusBorderColor = clNone;
  TColor FocusColor = clNone;
  bool FocusLabel = false;
  bool AutoFocus = false;
  bool IsWinXP = false;
  bool IsVista = false;
  TColor ButtonColor = clNone;
  TColor ButtonColorHot = clNone;
  TColor ButtonColorDown = clNone;
  TColor ButtonTextColor = clNone;
  TColor ButtonTextColorHot = clNone;
  TColor ButtonTextColorDown = clNone;
  TColor ButtonBorderColor = clNone;
  TNotifyEvent OnDropUp;

  // --- The attached label ---
  String LabelCaption() const;
  void SetLabelCaption(const String& value);
  AsgCombo::TLabelPosition LabelPosition() const { return FLabelPosition; }
  void SetLabelPosition(AsgCombo::TLabelPosition value);
  int LabelMargin() const { return FLabelMargin; }
  void SetLabelMargin(int value);
  bool LabelTransparent() const { return FLabelTransparent; }
  void SetLabelTransparent(bool value);
  bool LabelAlwaysEnabled() const { return FLabelAlwaysEnabled; }
  void SetLabelAlwaysEnabled(bool value);
  TFont* LabelFont() const { return FLabelFont.get(); }
  void SetLabelFont(TFont* value);
  TLabel* ComboLabel() const { return FLabel; }

  // Whether the combo paints its own button and frames rather than the platform's look.
  bool PaintsItself();
  bool ButtonHot() const { return FButtonHot; }

  void SetBounds(int left, int top, int width, int height) override;
  void SetParent(TWinControl* value) override;
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void CloseUp() override;
  void DropDown() override;
  void DoEnter() override;
  void DoExit() override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  // The focus arrives: the focus colour and the bold label.
  void WMSetFocus(TMessage& message);

 private:
  void PaintButton(TCanvas* canvas);
  void DrawBorders(TCanvas* canvas);
  bool Active();
  void InvalidateButton();
  void PlaceLabel();
  void SetLabelBold(bool bold);
  void EnabledChanged();

  int FButtonWidth;
  bool FFlat = false;
  bool FEtched = false;
  bool FDisabledBorder = true;
  TColor FBorderColor = clNone;
  TColor FFlatLineColor = clNone;
  bool FFlatParentColor = true;
  bool FCtl3D = true;
  int FDropWidth = 0;
  bool FMouseInControl = false;
  bool FButtonHot = false;
  bool FHasFocus = false;
  TColor FLoadedColor = clWindow;
  TColor FNormalColor;
  TColor FOldColor = clWindow;
  bool FOldParentColor = false;

  TLabel* FLabel = nullptr;
  AsgCombo::TLabelPosition FLabelPosition = AsgCombo::lpLeftTop;
  int FLabelMargin = 4;
  bool FLabelTransparent = false;
  bool FLabelAlwaysEnabled = false;
  std::unique_ptr<TFont> FLabelFont;
};

class TAsgComboBox : public TAsgCustomCombo {
 public:
  explicit TAsgComboBox(TComponent* owner) : TAsgCustomCombo(owner) {}
};
