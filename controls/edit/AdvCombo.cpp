// TAdvCustomCombo: the flat look, the button, the focus and border colours and the label.
#include "controls/edit/AdvCombo.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/ui/Forms.h"
#include "platform/win/PlatformInfo.h"

namespace {

constexpr bool kComCtl6 = PlatformInfo::ComCtlMajorVersion >= 6;
// The frame of a disabled combo without its own disabled border: red 7F, green 9D, blue B9.
constexpr TColor kDisabledFrame = 0xB99D7F;

}  // namespace

TAdvCustomCombo::TAdvCustomCombo(TComponent* owner) : TCustomComboBox(owner) { Init(); }

TAdvCustomCombo::TAdvCustomCombo(TComponent* owner, std::unique_ptr<TListControlStrings> items)
    : TCustomComboBox(owner, std::move(items)) {
  Init();
}

void TAdvCustomCombo::Init() {
  FButtonWidth = GetSystemMetrics(SM_CXVSCROLL) + 2;
  FLabelFont = std::make_unique<TFont>();
  FLabelFont->OnChange = [this](TObject*) { UpdateLabel(); };
  FLoadedColor = Color();
}

TAdvCustomCombo::~TAdvCustomCombo() {
  if (FLabel) {
    FLabel->SetFocusControl(nullptr);
    delete FLabel;
    FLabel = nullptr;
  }
}

void TAdvCustomCombo::Notification(TComponent* component, TOperation operation) {
  TCustomComboBox::Notification(component, operation);
  if (operation == opRemove && component == FLabel) FLabel = nullptr;
}

// --- Properties ----------------------------------------------------------------------------------

void TAdvCustomCombo::SetButtonWidth(int value) {
  if (value < 14 || value > 32) return;
  FButtonWidth = value;
  Invalidate();
}

void TAdvCustomCombo::SetFlat(bool value) {
  if (FFlat == value) return;
  FFlat = value;
  if (value && FFlatParentColor && Parent())
    TControl::SetColor(Parent()->Brush()->Color());
  else
    TControl::SetColor(FLoadedColor);
  Invalidate();
}

void TAdvCustomCombo::SetFlatLineColor(TColor value) {
  FFlatLineColor = value;
  Invalidate();
}

void TAdvCustomCombo::SetFlatParentColor(bool value) {
  FFlatParentColor = value;
  Invalidate();
}

void TAdvCustomCombo::SetEtched(bool value) {
  FEtched = value;
  Invalidate();
}

void TAdvCustomCombo::SetDisabledBorder(bool value) {
  FDisabledBorder = value;
  Invalidate();
}

void TAdvCustomCombo::SetDropWidth(int value) {
  FDropWidth = value;
  if (value > 0) SetDroppedWidth(value);
}

void TAdvCustomCombo::SetColor(TColor value) {
  FLoadedColor = value;
  TControl::SetColor(value);
}

void TAdvCustomCombo::SelectItem(const String& text) {
  int index = Items()->IndexOf(text);
  if (index < 0 || index == ItemIndex()) return;
  SetItemIndex(index);
  Change();
}

void TAdvCustomCombo::Loaded() {
  TCustomComboBox::Loaded();
  if (FDropWidth > 0) SetDroppedWidth(FDropWidth);
  if (!FFlatParentColor || FFlat) TControl::SetColor(FLoadedColor);
  if (FLabel && !FLabelAlwaysEnabled) FLabel->SetEnabled(Enabled());
  if (FLabel) FLabel->Font()->Assign(ParentFont() ? Font() : FLabelFont.get());
  FFontFollows = ParentFont();
  UpdateLabel();
}

// --- Painting ------------------------------------------------------------------------------------

bool TAdvCustomCombo::PaintsItself() {
  // No theme is ever active, so the disabled-themed case never arises.
  return FFlat || (FFocused && FocusBorderColor != clNone) || (!Enabled() && !FDisabledBorder);
}

void TAdvCustomCombo::Paint() {
  if (!PaintsItself()) {
    TCustomComboBox::Paint();
    DrawBorder(Canvas());
    return;
  }
  TCanvas* canvas = Canvas();
  HDC dc = canvas->Handle();
  const int width = ClientWidth();
  const int height = ClientHeight();
  int saved = SaveDC(dc);
  if (Style() != csSimple) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
    TRect button{width - FButtonWidth + 2 + 1, 1, width - 1, height - 1};
    DrawFrameControl(dc, button, DFC_SCROLL,
                     DFCS_SCROLLCOMBOBOX | (Enabled() ? DFCS_FLAT : DFCS_INACTIVE));
    ExcludeClipRect(dc, width - FButtonWidth - 4, 0, width + 2, height);
  }
  TCustomComboBox::Paint();
  RestoreDC(dc, saved);
  DrawBorder(canvas);
}

void TAdvCustomCombo::DrawBorder(TCanvas* canvas) {
  if (Enabled() && !FFlat && FocusBorderColor == clNone) return;
  TRect r = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  TColor frame = clNone;
  if (!Enabled() && kComCtl6 && !FDisabledBorder) {
    frame = kDisabledFrame;
  } else if (FocusBorderColor != clNone) {
    if (!FFocused) return;
    frame = FocusBorderColor;
  }
  if (frame != clNone) {
    canvas->Brush()->SetColor(frame);
    canvas->FrameRect(r);
    return;
  }
  TCustomForm* form = GetParentForm(this);
  TWinControl* activeControl = form ? form->ActiveControl() : nullptr;
  bool active = activeControl && (activeControl == this || activeControl == EditControl());
  TColor parent = Parent() ? Parent()->Brush()->Color() : clBtnFace;
  if (FocusBorder && (FHot || active)) {
    DrawEdge(canvas->Handle(), r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FrameRect(r);
    InflateRect(r, -1, -1);
    canvas->Brush()->SetColor(Color());
    canvas->FrameRect(r);
  } else {
    canvas->Brush()->SetColor(parent);
    canvas->FrameRect(r);
    InflateRect(r, -1, -1);
    TRect inner{r.Left, r.Top, r.Right - FButtonWidth, r.Bottom};
    canvas->FrameRect(inner);
    InflateRect(r, -1, -1);
    canvas->Brush()->SetColor(Color());
    canvas->FrameRect({r.Left, r.Top, r.Right - FButtonWidth, r.Bottom});
  }
  if (FFlat && FFlatLineColor != clNone) {
    canvas->Pen()->SetColor(FFlatLineColor);
    canvas->Pen()->SetWidth(1);
    canvas->MoveTo(r.Left - 2, Height() - 1);
    canvas->LineTo(r.Right - FButtonWidth - 1, Height() - 1);
  }
}

// --- Mouse, focus, drop-down and enabling ----------------------------------------------------

void TAdvCustomCombo::MouseMove(TShiftState shift, int x, int y) {
  TCustomComboBox::MouseMove(shift, x, y);
  bool overButton = x >= Width() - FButtonWidth && x < Width();
  if (overButton != FButtonHot) {
    FButtonHot = overButton;
    Invalidate();
  }
}

void TAdvCustomCombo::DropDown() {
  Invalidate();
  TCustomComboBox::DropDown();
}

void TAdvCustomCombo::CloseUp() {
  Invalidate();
  TCustomComboBox::CloseUp();
  if (OnDropUp) OnDropUp(this);
}

void TAdvCustomCombo::DoEnter() {
  if (!ComponentState().Contains(csDesigning)) {
    FFocused = true;
    if (FocusColor != clNone) {
      FColorBeforeFocus = Color();
      TControl::SetColor(FocusColor);
    }
    Invalidate();
  }
  TCustomComboBox::DoEnter();
}

void TAdvCustomCombo::DoExit() {
  TCustomComboBox::DoExit();
  if (ComponentState().Contains(csDesigning)) return;
  FFocused = false;
  if (FocusColor != clNone && FColorBeforeFocus != clNone) TControl::SetColor(FColorBeforeFocus);
  Invalidate();
}

void TAdvCustomCombo::CMEnabledChanged() {
  if (FFlat && !ComponentState().Contains(csLoading)) {
    if (!Enabled()) {
      FSavedParentColor = ParentColor();
      FSavedColor = Color();
      SetParentColor(true);
    } else {
      SetParentColor(FSavedParentColor);
      TControl::SetColor(FSavedColor);
    }
  }
  if (FLabel && !FLabelAlwaysEnabled) FLabel->SetEnabled(Enabled());
  Invalidate();
}

void TAdvCustomCombo::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_ENABLEDCHANGED:
      TCustomComboBox::Dispatch(message);
      CMEnabledChanged();
      return;
    case CM_MOUSEENTER:
      TCustomComboBox::Dispatch(message);
      if (Enabled()) FHot = true;
      if (AutoFocus && !ComponentState().Contains(csDesigning) && CanFocus()) {
        TCustomForm* form = GetParentForm(this);
        if (!form || form->Active()) SetFocus();
      }
      Invalidate();
      return;
    case CM_MOUSELEAVE:
      TCustomComboBox::Dispatch(message);
      FHot = false;
      FButtonHot = false;
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
      TCustomComboBox::Dispatch(message);
      if (FLabel) FLabel->SetVisible(Visible());
      return;
    default: TCustomComboBox::Dispatch(message); return;
  }
}

// --- The label -----------------------------------------------------------------------------------

void TAdvCustomCombo::SetBounds(int left, int top, int width, int height) {
  TCustomComboBox::SetBounds(left, top, width, height);
  if (FLabel && !ComponentState().Contains(csDestroying)) PlaceLabel();
}

void TAdvCustomCombo::SetParent(TWinControl* value) {
  TCustomComboBox::SetParent(value);
  if (!FLabel) return;
  FLabel->SetParent(value);
  if (value) UpdateLabel();
}

String TAdvCustomCombo::LabelCaption() const { return FLabel ? FLabel->Caption() : String(); }

void TAdvCustomCombo::SetLabelCaption(const String& value) {
  if (!FLabel) {
    FLabel = new TLabel(this);
    FLabel->FreeNotification(this);
    FLabel->SetParentFont(ParentFont());
    FLabel->Font()->Assign(FLabelFont.get());
    FLabel->SetFocusControl(this);
    FLabel->SetParent(Parent());
  }
  FLabel->SetCaption(value);
  UpdateLabel();
}

void TAdvCustomCombo::UpdateLabel() {
  if (!FLabel || !FLabel->Parent()) return;
  FLabel->SetTransparent(FLabelTransparent);
  FLabel->Font()->Assign(FFontFollows ? Font() : FLabelFont.get());
  PlaceLabel();
}

void TAdvCustomCombo::PlaceLabel() {
  if (!FLabel) return;
  // The combo's positions are the first thirteen of the edit's, in the same order.
  auto position = static_cast<AdvEdit::TLabelPosition>(static_cast<int>(FLabelPosition));
  TPoint at = AdvEdit::LabelOrigin(position, BoundsRect(), {FLabel->Width(), FLabel->Height()},
                                   AdvEdit::CaptionWidth(FLabel->Font(), FLabel->Caption()),
                                   FLabelMargin);
  FLabel->SetBounds(at.X, at.Y, FLabel->Width(), FLabel->Height());
  FLabel->SetVisible(Visible());
}

void TAdvCustomCombo::SetLabelPosition(AdvCombo::TLabelPosition value) {
  FLabelPosition = value;
  UpdateLabel();
}

void TAdvCustomCombo::SetLabelMargin(int value) {
  FLabelMargin = value;
  UpdateLabel();
}

void TAdvCustomCombo::SetLabelTransparent(bool value) {
  FLabelTransparent = value;
  UpdateLabel();
}

void TAdvCustomCombo::SetLabelAlwaysEnabled(bool value) {
  FLabelAlwaysEnabled = value;
  UpdateLabel();
}

void TAdvCustomCombo::SetLabelFont(TFont* value) {
  if (!ParentFont()) FLabelFont->Assign(value);
  UpdateLabel();
}
