// TAsgCustomCombo: properties, painting, focus and mouse, and the attached label.
#include "controls/grid/AsgCombo.h"

#include "controls/edit/LabelPlacement.h"
#include "controls/graphics/AdvXPVS.h"
#include "controls/grid/AsgCtl3D.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Screen.h"
#include "platform/win/PlatformInfo.h"

using namespace AsgCombo;

namespace {

constexpr bool kThemed = PlatformInfo::ComCtlMajorVersion > 5;
constexpr TPoint kArrow[3] = {{4, 7}, {10, 7}, {7, 10}};

bool ThemeActive() { return kThemed && AdvXPVS::ThemeBinder().IsThemeActive(); }

}  // namespace

TAsgCustomCombo::TAsgCustomCombo(TComponent* owner) : TCustomComboBox(owner) {
  FButtonWidth = GetSystemMetrics(SM_CXVSCROLL) + 2;
  FLabelFont = std::make_unique<TFont>();
  FLabelFont->OnChange = [this](TObject*) { PlaceLabel(); };
  // A combo made at run time has no form to load its colour from: its colour now is the one
  // leaving the focus returns to.
  FNormalColor = Color();
}

TAsgCustomCombo::~TAsgCustomCombo() {
  if (FLabel) {
    FLabel->SetFocusControl(nullptr);
    delete FLabel;
    FLabel = nullptr;
  }
}

void TAsgCustomCombo::Notification(TComponent* component, TOperation operation) {
  TCustomComboBox::Notification(component, operation);
  if (operation == opRemove && component == FLabel) FLabel = nullptr;
}

// --- Properties ----------------------------------------------------------------------------------

void TAsgCustomCombo::SetButtonWidth(int value) {
  if (value < 14 || value > 32) return;
  FButtonWidth = value;
  Invalidate();
}

void TAsgCustomCombo::SetColor(TColor value) {
  if (ComponentState().Contains(csLoading)) FLoadedColor = value;
  if (!FHasFocus) FNormalColor = value;
  TControl::SetColor(value);
}

void TAsgCustomCombo::SetFlat(bool value) {
  if (FFlat == value) return;
  FFlat = value;
  SetCtl3D(!value);
  if (FFlatParentColor && FFlat && Parent())
    SetColor(Parent()->Brush()->Color());
  else
    SetColor(FLoadedColor);
  Invalidate();
}

void TAsgCustomCombo::SetEtched(bool value) {
  if (FEtched == value) return;
  FEtched = value;
  Invalidate();
}

void TAsgCustomCombo::SetDisabledBorder(bool value) {
  FDisabledBorder = value;
  Invalidate();
}

void TAsgCustomCombo::SetBorderColor(TColor value) {
  FBorderColor = value;
  if (HandleAllocated()) Invalidate();
}

void TAsgCustomCombo::SetFlatLineColor(TColor value) {
  FFlatLineColor = value;
  Invalidate();
}

void TAsgCustomCombo::SetFlatParentColor(bool value) {
  FFlatParentColor = value;
  Invalidate();
}

void TAsgCustomCombo::SetCtl3D(bool value) { AsgCtl3D::Change(this, FCtl3D, value); }

void TAsgCustomCombo::SetDropWidth(int value) {
  FDropWidth = value;
  if (value > 0) SetDroppedWidth(value);
}

void TAsgCustomCombo::SetEnabled(bool value) {
  const bool old = Enabled();
  TCustomComboBox::SetEnabled(value);
  const TComponentState state = ComponentState();
  if (state.Contains(csLoading) || state.Contains(csDesigning) || old == value || !FLabel) return;
  if (!FLabelAlwaysEnabled) FLabel->SetEnabled(value);
  PlaceLabel();
}

void TAsgCustomCombo::Loaded() {
  TCustomComboBox::Loaded();
  if (FDropWidth > 0) SetDroppedWidth(FDropWidth);
  FOldColor = FLoadedColor;
  if (!FFlatParentColor || FFlat) SetColor(FLoadedColor);
  if (FLabel && !FLabelAlwaysEnabled) FLabel->SetEnabled(Enabled());
  if (FLabel && ParentFont()) FLabel->Font()->Assign(Font());
  PlaceLabel();
  FNormalColor = Color();
}

// --- Painting ------------------------------------------------------------------------------------

bool TAsgCustomCombo::PaintsItself() {
  if (IsVista && ButtonColor == clNone) return false;
  return FFlat || ButtonColor != clNone || FBorderColor != clNone ||
         (FocusBorderColor != clNone && FHasFocus) ||
         (!Enabled() && ThemeActive() && !FDisabledBorder);
}

bool TAsgCustomCombo::Active() {
  if (ComponentState().Contains(csDesigning)) return Enabled();
  TWinControl* active = Screen ? Screen->ActiveControl() : nullptr;
  return FMouseInControl || (active && (active == this || active == EditControl()));
}

void TAsgCustomCombo::Paint() {
  if (!PaintsItself()) {
    TCustomComboBox::Paint();
    return;
  }
  TCanvas* canvas = Canvas();
  HDC dc = canvas->Handle();
  const int saved = SaveDC(dc);
  if (Style() != csSimple) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
    PaintButton(canvas);
  }
  TCustomComboBox::Paint();
  RestoreDC(dc, saved);
  DrawBorders(canvas);
}

void TAsgCustomCombo::PaintButton(TCanvas* canvas) {
  const int width = ClientWidth(), height = ClientHeight();
  TRect r{0, 0, Width(), Height()};
  r.Left = width - FButtonWidth + 2;
  InflateRect(r, -1, -1);
  const bool mouseDown = MouseButtonDown();
  bool painted = false;
  if (ButtonColor != clNone) {
    TButtonColors colors{ButtonColor,    ButtonColorHot,      ButtonColorDown,
                         ButtonTextColor, ButtonTextColorDown, ButtonBorderColor};
    PaintColoredButton(canvas, {r.Left - 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, colors,
                       FButtonHot, mouseDown, kArrow);
    painted = true;
  } else if (kThemed && HandleAllocated()) {
    painted = PaintThemedDropButton(Handle(), canvas->Handle(), r, Enabled(), mouseDown,
                                    DroppedDown(), FButtonHot);
  }
  if (!painted) {
    TRect button{r.Left - 4, r.Top + 1, r.Right, r.Bottom - 1};
    DrawFrameControl(canvas->Handle(), button, DFC_SCROLL,
                     DFCS_SCROLLCOMBOBOX | (Enabled() ? DFCS_FLAT : DFCS_INACTIVE));
  }
  ExcludeClipRect(canvas->Handle(), width - FButtonWidth - 4, 0, width + 2, height);
}

void TAsgCustomCombo::DrawBorders(TCanvas* canvas) {
  if (Enabled() && !FFlat && FBorderColor == clNone && FocusBorderColor == clNone) return;
  if (IsVista && FBorderColor == clNone) return;
  const bool designing = ComponentState().Contains(csDesigning);
  TBorderLook look;
  look.Enabled = Enabled();
  look.DisabledBorder = FDisabledBorder || !ThemeActive();
  look.Focused = FHasFocus;
  look.FocusBorderShows = !designing && FocusBorder && Active();
  look.BorderColor = FBorderColor;
  look.FocusBorderColor = FocusBorderColor;
  look.ParentColor = Parent() ? Parent()->Brush()->Color() : clBtnFace;
  look.Color = Color();
  look.ButtonWidth = FButtonWidth;
  HDC dc = canvas->Handle();
  const int saved = SaveDC(dc);
  TRect inner = DrawControlBorder(canvas, {0, 0, Width(), Height()}, look);
  if (FFlat && FFlatLineColor != clNone) {
    canvas->Pen()->SetColor(FFlatLineColor);
    canvas->MoveTo(inner.Left - 2, Height() - 1);
    canvas->LineTo(inner.Right - FButtonWidth - 1, Height() - 1);
  }
  if (Style() != csSimple && !(IsWinXP && ThemeActive()))
    DrawButtonBorder(canvas, ClientWidth(), ClientHeight(), FButtonWidth, Active(), 0, 0);
  RestoreDC(dc, saved);
}

// --- Focus, mouse, enabling and the list ---------------------------------------------------------

void TAsgCustomCombo::InvalidateButton() {
  if (!HandleAllocated()) return;
  TRect r = ClientRect();
  r.Left = r.Right - FButtonWidth;
  InvalidateRect(Handle(), &r, false);
}

void TAsgCustomCombo::DropDown() {
  TCustomComboBox::DropDown();
  InvalidateButton();
}

void TAsgCustomCombo::CloseUp() {
  TCustomComboBox::CloseUp();
  // The list had the mouse while it was open: the hover follows where the mouse is now.
  TPoint cursor;
  GetCursorPos(&cursor);
  TPoint p = ScreenToClient(cursor);
  FMouseInControl = PtInRect(ClientRect(), p);
  FButtonHot = Width() - FButtonWidth < p.X && p.X < Width() && FMouseInControl;
  InvalidateButton();
  if (OnDropUp) OnDropUp(this);
}

void TAsgCustomCombo::DoEnter() {
  if (!ComponentState().Contains(csDesigning)) {
    FHasFocus = true;
    if (FocusColor != clNone) TControl::SetColor(FocusColor);
    if (FocusLabel) SetLabelBold(true);
    Invalidate();
  }
  TCustomComboBox::DoEnter();
}

void TAsgCustomCombo::DoExit() {
  TCustomComboBox::DoExit();
  if (ComponentState().Contains(csDesigning)) return;
  FHasFocus = false;
  if (FocusColor != clNone && FNormalColor != clNone) TControl::SetColor(FNormalColor);
  SetLabelBold(false);
  Invalidate();
}

void TAsgCustomCombo::WMSetFocus(TMessage& message) {
  TCustomComboBox::Dispatch(message);
  if (FocusBorderColor != clNone) Invalidate();
  if (FocusColor != clNone) TControl::SetColor(FocusColor);
  if (FocusLabel) SetLabelBold(true);
}

void TAsgCustomCombo::MouseMove(TShiftState shift, int x, int y) {
  TCustomComboBox::MouseMove(shift, x, y);
  const bool over = Width() - FButtonWidth < x && x < Width();
  if (over != FButtonHot) {
    FButtonHot = over;
    Invalidate();
  }
}

void TAsgCustomCombo::EnabledChanged() {
  if (!FFlat || ComponentState().Contains(csLoading)) return;
  if (Enabled()) {
    SetParentColor(FOldParentColor);
    TControl::SetColor(FOldColor);
  } else {
    // A disabled flat combo shows its parent's colour.
    FOldParentColor = ParentColor();
    FOldColor = Color();
    SetParentColor(true);
  }
}

void TAsgCustomCombo::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_SETFOCUS: WMSetFocus(message); return;
    case CM_ENABLEDCHANGED:
      EnabledChanged();
      TCustomComboBox::Dispatch(message);
      Invalidate();
      return;
    case CM_MOUSEENTER:
      TCustomComboBox::Dispatch(message);
      if (FMouseInControl || !Enabled()) return;
      FMouseInControl = true;
      if (AutoFocus && !ComponentState().Contains(csDesigning) && CanFocus()) {
        TCustomForm* form = GetParentForm(this);
        if (!form || form->Active()) SetFocus();
      }
      Invalidate();
      return;
    case CM_MOUSELEAVE:
      TCustomComboBox::Dispatch(message);
      if (FMouseInControl && Enabled()) FMouseInControl = false;
      FButtonHot = false;
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
      TCustomComboBox::Dispatch(message);
      if (FLabel) FLabel->SetVisible(Visible());
      return;
    case CM_PARENTFONTCHANGED:
      TCustomComboBox::Dispatch(message);
      if (FLabel && ParentFont()) {
        FLabel->Font()->Assign(Font());
        PlaceLabel();
      }
      return;
    default: TCustomComboBox::Dispatch(message); return;
  }
}

// --- The label -----------------------------------------------------------------------------------

void TAsgCustomCombo::SetBounds(int left, int top, int width, int height) {
  TCustomComboBox::SetBounds(left, top, width, height);
  if (!ComponentState().Contains(csDestroying)) PlaceLabel();
}

void TAsgCustomCombo::SetParent(TWinControl* value) {
  TCustomComboBox::SetParent(value);
  if (!FLabel) return;
  FLabel->SetParent(value);
  if (value) PlaceLabel();
}

String TAsgCustomCombo::LabelCaption() const { return FLabel ? FLabel->Caption() : String(); }

void TAsgCustomCombo::SetLabelCaption(const String& value) {
  if (!FLabel) {
    FLabel = new TLabel(this);
    FLabel->FreeNotification(this);
    FLabel->SetParent(Parent());
    FLabel->SetFocusControl(this);
    FLabel->Font()->Assign(FLabelFont.get());
    FLabel->SetParentFont(ParentFont());
  }
  FLabel->SetCaption(value);
  PlaceLabel();
}

void TAsgCustomCombo::SetLabelBold(bool bold) {
  if (!FLabel) return;
  TFontStyles style = FLabel->Font()->Style();
  if (bold)
    style << fsBold;
  else
    style >> fsBold;
  FLabel->Font()->SetStyle(style);
}

void TAsgCustomCombo::PlaceLabel() {
  if (!FLabel || !FLabel->Parent()) return;
  FLabel->SetTransparent(FLabelTransparent);
  if (!ParentFont()) FLabel->Font()->Assign(FLabelFont.get());
  // The combo's positions are the first thirteen of the enhanced edit's, in the same order.
  auto position = static_cast<AdvEdit::TLabelPosition>(static_cast<int>(FLabelPosition));
  TPoint at = AdvEdit::LabelOrigin(position, BoundsRect(), {FLabel->Width(), FLabel->Height()},
                                   AdvEdit::CaptionWidth(FLabel->Font(), FLabel->Caption()),
                                   FLabelMargin);
  FLabel->SetBounds(at.X, at.Y, FLabel->Width(), FLabel->Height());
  FLabel->SetVisible(Visible());
}

void TAsgCustomCombo::SetLabelPosition(TLabelPosition value) {
  FLabelPosition = value;
  PlaceLabel();
}

void TAsgCustomCombo::SetLabelMargin(int value) {
  FLabelMargin = value;
  PlaceLabel();
}

void TAsgCustomCombo::SetLabelTransparent(bool value) {
  FLabelTransparent = value;
  PlaceLabel();
}

void TAsgCustomCombo::SetLabelAlwaysEnabled(bool value) {
  FLabelAlwaysEnabled = value;
  PlaceLabel();
}

void TAsgCustomCombo::SetLabelFont(TFont* value) {
  if (!ParentFont()) FLabelFont->Assign(value);
  PlaceLabel();
}
