// The search panel's check box, and the popups of the grid: the arrow windows and the focus glow.
#include <algorithm>

#include "controls/grid/GridControls.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/TextCompare.h"
#include "platform/win/Messages.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowStyles.h"

// --- TAdvCheckBox --------------------------------------------------------------------------------

TAdvCheckBox::TAdvCheckBox(TComponent* owner) : TCustomControl(owner), FIsWinXP(OsIsXPOrLater()) {
  TControlStyle style = ControlStyle();
  style.Exclude(csClickEvents);
  SetControlStyle(style);
  SetBounds(Left(), Top(), 98, 20);
  SetTabStop(true);
  SetCaption(ClassName());
}

TAdvCheckBox::~TAdvCheckBox() = default;

void TAdvCheckBox::SetAlignment(TLeftRight value) {
  FAlignment = value;
  Invalidate();
}

void TAdvCheckBox::SetButtonVertAlign(TTextLayout value) {
  FButtonVertAlign = value;
  Invalidate();
}

void TAdvCheckBox::SetEllipsis(bool value) {
  FEllipsis = value;
  Invalidate();
}

void TAdvCheckBox::SetTransparent(bool value) {
  FTransparent = value;
  Invalidate();
}

void TAdvCheckBox::SetState(TCheckBoxState value) {
  if (FState == value) return;
  FState = value;
  if (!HandleAllocated()) return;
  // Only the strip of the box changes.
  TRect strip = ClientRect();
  if (FAlignment == taRightJustify)
    strip.Left = strip.Right - 20;
  else
    strip.Right = strip.Left + 20;
  ::InvalidateRect(Handle(), &strip, true);
}

TRect TAdvCheckBox::BoxRect() {
  TRect client = ClientRect();
  int x = FAlignment == taRightJustify ? client.Width() - 13 : 0;
  int y = FButtonVertAlign == tlTop      ? 4
          : FButtonVertAlign == tlCenter ? client.Height() / 2 - 6
                                         : client.Bottom - 17;
  return Rect(x, y, x + 13, y + 13);
}

void TAdvCheckBox::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  if (FTransparent) {
    PaintParentBackground(canvas);
  } else {
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
  }
  TRect box = BoxRect();
  uint32_t state = DFCS_BUTTONCHECK;
  if (FState == cbChecked) state |= DFCS_CHECKED;
  if (FState == cbGrayed || !Enabled()) state |= DFCS_INACTIVE;
  if (FDown) state |= DFCS_PUSHED;
  DrawFrameControl(canvas->Handle(), box, DFC_BUTTON, state);

  TRect text = client;
  if (FAlignment == taRightJustify)
    text.Right -= 9;
  else
    text.Left += 9;
  text.Top += 4;
  text.Left += 6;
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  TTextFormat format{tfLeft, tfSingleLine};
  if (FEllipsis) format.Include(tfEndEllipsis);
  String caption = Caption();
  if (!Enabled()) {
    TRect light = text;
    OffsetRect(light, 1, 1);
    canvas->Font()->SetColor(clWhite);
    canvas->TextRect(light, caption, format);
    canvas->Font()->SetColor(0x00808080);
  }
  canvas->TextRect(text, caption, format);
  if (FFocused) {
    TRect measure = text;
    TTextFormat calc = format;
    calc.Include(tfCalcRect);
    canvas->TextRect(measure, caption, calc);
    measure.Left -= 2;
    measure.Right = std::min(measure.Right + 1, text.Right);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->DrawFocusRect(measure);
  }
  canvas->Brush()->SetStyle(bsSolid);
}

void TAdvCheckBox::PaintParentBackground(TCanvas* canvas) {
  TWinControl* parent = Parent();
  if (!parent) return;
  // The parent erases and paints into this canvas, moved to where this control sits and cut to
  // the parent's client area.
  HDC dc = canvas->Handle();
  int saved = SaveDC(dc);
  TRect parentClient = parent->ClientRect();
  IntersectClipRect(dc, parentClient.Left - Left(), parentClient.Top - Top(),
                    parentClient.Right - Left(), parentClient.Bottom - Top());
  TPoint viewport;
  GetViewportOrgEx(dc, &viewport);
  SetViewportOrgEx(dc, viewport.X - Left(), viewport.Y - Top(), nullptr);
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
}

void TAdvCheckBox::Toggle() {
  if (FReadOnly) return;
  SetState(FState == cbChecked ? cbUnchecked : cbChecked);
}

void TAdvCheckBox::ToggleAndClick() {
  Toggle();
  Click();
}

void TAdvCheckBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled()) return;
  FMouseDown = true;
  if (CanFocus()) SetFocus();
  SetMouseCapture(true);
  FDown = true;
  Invalidate();
}

void TAdvCheckBox::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (!FMouseDown) return;
  bool inside = PtInRect(ClientRect(), TPoint{x, y});
  if (inside != FDown) {
    FDown = inside;
    Invalidate();
  }
}

void TAdvCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (button != mbLeft) return;
  bool began = FMouseDown;
  FMouseDown = false;
  SetMouseCapture(false);
  FDown = false;
  Invalidate();
  if (began && FFocused && PtInRect(ClientRect(), TPoint{x, y})) ToggleAndClick();
}

void TAdvCheckBox::KeyDown(WORD& key, TShiftState shift) {
  if (key == VK_SPACE) {
    FDown = true;
    Invalidate();
  } else if (key == VK_RETURN && FReturnIsTab) {
    key = VK_TAB;
    PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
  }
  TCustomControl::KeyDown(key, shift);
}

void TAdvCheckBox::KeyUp(WORD& key, TShiftState shift) {
  if (key == VK_SPACE && FDown) {
    FDown = false;
    ToggleAndClick();
  }
  TCustomControl::KeyUp(key, shift);
}

void TAdvCheckBox::DoEnter() {
  FFocused = true;
  Invalidate();
  TCustomControl::DoEnter();
}

void TAdvCheckBox::DoExit() {
  FFocused = false;
  Invalidate();
  TCustomControl::DoExit();
}

void TAdvCheckBox::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<char16_t>(message.WParam), Caption()) && Enabled()) {
        if (TabStop() && CanFocus()) SetFocus();
        ToggleAndClick();
        message.Result = 1;
        return;
      }
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      FHot = message.Msg == CM_MOUSEENTER;
      if (HandleAllocated()) {
        TRect corner = Rect(0, 0, 16, 16);
        ::InvalidateRect(Handle(), &corner, true);
      }
      break;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
      Invalidate();
      break;
    case WM_ERASEBKGND:
      if (FTransparent) {
        message.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(message);
}

// --- Arrow and focus windows ---------------------------------------------------------------------

std::vector<TPoint> TArrowWindow::ArrowPoints(int direction) {
  switch (direction) {
    case 0: return {{5, 0}, {10, 5}, {7, 5}, {7, 9}, {3, 9}, {3, 5}, {0, 5}};
    case 1: return {{3, 0}, {7, 0}, {7, 4}, {9, 4}, {5, 8}, {1, 4}, {3, 4}};
    case 2: return {{0, 3}, {0, 7}, {4, 7}, {4, 10}, {8, 5}, {4, 0}, {4, 3}};
    default: return {{0, 5}, {4, 10}, {4, 7}, {8, 7}, {8, 3}, {4, 3}, {4, 0}};
  }
}

TArrowWindow::TArrowWindow(TComponent* owner, int direction)
    : TPanel(owner), FDirection(std::clamp(direction, 0, 3)) {
  SetColor(clLime);
  SetParentColor(false);
  SetBevelOuter(bvNone);
  SetVisible(false);
  SetBounds(0, 0, 11, 11);
}

void TArrowWindow::CreateParams(TCreateParams& params) {
  TPanel::CreateParams(params);
  params.Style = WS_POPUP;
  // A tool window: no frame from the window manager, no place on the task bar.
  params.ExStyle |= WS_EX_TOOLWINDOW;
}

void TArrowWindow::CreateWnd() {
  TPanel::CreateWnd();
  std::vector<TPoint> points = ArrowPoints(FDirection);
  HRGN region = CreatePolygonRgn(points.data(), static_cast<int>(points.size()), WINDING);
  SetWindowRgn(Handle(), region, true);
}

void TArrowWindow::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

TGridFocusWindow::TGridFocusWindow(TComponent* owner) : TCustomControl(owner) {
  SetColor(clRed);
  SetParentColor(false);
  SetBounds(0, 0, 0, 0);
}

void TGridFocusWindow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP | WS_DISABLED;
  params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
}
