// TAsgEditButton and its painted face TAdvSpeedButton.
#include "controls/graphics/AdvXPVS.h"
#include "controls/grid/ASGEdit.h"
#include "controls/grid/AsgCtl3D.h"
#include "platform/gdi/Gdi.h"

// --- The face ------------------------------------------------------------------------------------

TAdvSpeedButton::TAdvSpeedButton(TAsgEditButton* owner) : TSpeedButton(owner), FOwner(owner) {}

void TAdvSpeedButton::SetIsWinXP(bool value) {
  FIsWinXP = value;
  Invalidate();
}

void TAdvSpeedButton::Dispatch(TMessage& message) {
  if ((message.Msg == CM_MOUSEENTER || message.Msg == CM_MOUSELEAVE) && message.LParam == 0) {
    FHot = message.Msg == CM_MOUSEENTER;
    Invalidate();
  }
  TSpeedButton::Dispatch(message);
}

void TAdvSpeedButton::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  TRect r{0, 0, Width(), Height()};
  const bool pressed = State() == bsDown || State() == bsExclusive;
  bool painted = false;
  if (FOwner->ButtonColor != clNone) {
    if (!Flat()) SetFlat(true);
    TColor fill = FOwner->ButtonColor;
    if (FHot && FOwner->ButtonColorHot != clNone) fill = FOwner->ButtonColorHot;
    if (pressed && FOwner->ButtonColorDown != clNone) fill = FOwner->ButtonColorDown;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(fill);
    canvas->FillRect(ClientRect());
    painted = true;
  } else if (FIsWinXP && AdvXPVS::ThemeBinder().IsThemeActive() && FOwner->HandleAllocated()) {
    const AdvXPVS::TThemeBinder& theme = AdvXPVS::ThemeBinder();
    if (HTHEME handle = theme.OpenThemeData(FOwner->Handle(), u"button")) {
      theme.DrawThemeBackground(handle, canvas->Handle(), 1, pressed ? 3 : FHot ? 2 : 1, &r,
                                nullptr);
      theme.CloseThemeData(handle);
      painted = true;
    }
  }
  if (!painted) {
    if (Flat()) {
      DrawEdge(canvas->Handle(), r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
               BF_RECT | BF_MIDDLE);
      InflateRect(r, -1, -1);
    } else {
      DrawFrameControl(canvas->Handle(), r, DFC_BUTTON,
                       DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pressed ? DFCS_PUSHED : 0));
    }
  }
  TBitmap* glyph = Glyph();
  if (glyph && !glyph->Empty()) {
    glyph->SetTransparent(true);
    int x = glyph->Width() < Width() ? (Width() - glyph->Width()) >> 1 : 0;
    int y = glyph->Height() < Height() ? (Height() - glyph->Height()) >> 1 : 0;
    if (State() == bsDown) ++x, ++y;
    canvas->Draw(x, y, glyph);
  }
  const String caption = Caption();
  if (!caption.empty()) {
    canvas->Font()->SetColor(clBlack);
    canvas->Brush()->SetStyle(bsClear);
    if (State() == bsDown) OffsetRect(r, 1, 1);
    DrawText(canvas->Handle(), caption, r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
}

// --- The button window ---------------------------------------------------------------------------

TAsgEditButton::TAsgEditButton(TComponent* owner) : TWinControl(owner) {
  TControlStyle style = ControlStyle();
  style >> csAcceptsControls >> csSetCaption;
  style << csOpaque;
  SetControlStyle(style);
  FButton = new TAdvSpeedButton(this);
  FButton->SetParent(this);
  FButton->OnClick = [](TObject*) {};
  FButton->OnMouseUp = [this](TObject* sender, TMouseButton button, TShiftState shift, int x,
                              int y) { FaceReleased(sender, button, shift, x, y); };
  SetGlyph(nullptr);
  SetBounds(0, 0, 20, 25);
}

void TAsgEditButton::SetGlyph(TBitmap* value) {
  if (value) {
    FButton->SetGlyph(value);
  } else {
    TBitmap none;
    FButton->SetGlyph(&none);
  }
}

void TAsgEditButton::SetFocusControl(TWinControl* value) {
  FFocusControl = value;
  if (value) value->FreeNotification(this);
}

void TAsgEditButton::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

void TAsgEditButton::SetCtl3D(bool value) { AsgCtl3D::Change(this, FCtl3D, value); }

void TAsgEditButton::FaceReleased(TObject*, TMouseButton button, TShiftState, int, int) {
  if (button != mbLeft) return;
  if (OnClick) OnClick(this);
  if (FFocusControl && FFocusControl->TabStop() && FFocusControl->CanFocus() &&
      !FFocusControl->Focused()) {
    FFocusControl->SetFocus();
  } else if (TabStop() && !Focused() && CanFocus()) {
    SetFocus();
  }
}

void TAsgEditButton::SetBounds(int left, int top, int width, int height) {
  TWinControl::SetBounds(left, top, width, height);
  if (FButton && !ComponentState().Contains(csLoading)) FButton->SetBounds(0, 0, width, height);
}

void TAsgEditButton::Loaded() {
  TWinControl::Loaded();
  FButton->SetBounds(0, 0, Width(), Height());
}

void TAsgEditButton::Dispatch(TMessage& message) {
  TWinControl::Dispatch(message);
  if (message.Msg == WM_SIZE && FButton && !ComponentState().Contains(csLoading))
    FButton->SetBounds(0, 0, Width(), Height());
}
