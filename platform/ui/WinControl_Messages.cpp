// TWinControl's window procedure: routing the pointer to graphic children, the message handlers,
// and painting (the window, its graphic children, double buffering).
#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Screen.h"

namespace {

bool IsPointerMessage(UINT message) {
  return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_MOUSEWHEEL &&
         message != WM_MOUSEHWHEEL;
}

}  // namespace

void TWinControl::WndProc(TMessage& message) {
  if (IsPointerMessage(message.Msg) && FHandle) {
    // A graphic child under the pointer (or holding the capture) takes the message.
    TControl* target = nullptr;
    if (GetCapture() == FHandle) {
      TControl* capture = GetCaptureControl();
      if (capture && capture->Parent() == this) target = capture;
    } else {
      target = ControlAtPos(message.Pos(), false);
    }
    if (target) {
      TPoint p{message.XPos() - target->Left(), message.YPos() - target->Top()};
      message.Result = target->Perform(message.Msg, message.WParam, PointToLParam(p));
      if (message.Result == 0 && FHandle)
        message.Result = DefWindowProc(FHandle, message.Msg, message.WParam, message.LParam);
      return;
    }
  }
  TControl::WndProc(message);
}

void TWinControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT: WMPaint(message); return;
    case WM_ERASEBKGND: WMEraseBkgnd(message); return;
    case WM_SETFOCUS: WMSetFocus(message); return;
    case WM_KILLFOCUS: WMKillFocus(message); return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR: WMKey(message); return;
    case WM_SIZE: WMSize(message); return;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(message); return;
    case WM_NCDESTROY: WMNCDestroy(message); return;
    case WM_SETCURSOR: WMSetCursor(message); return;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR: WMCommandOrNotify(message); return;
    case WM_CONTEXTMENU: {
      if (message.Result != 0) return;
      TPoint pos = message.Pos();
      if (!(pos.X == -1 && pos.Y == -1)) {
        if (TControl* child = ControlAtPos(ScreenToClient(pos), false)) {
          message.Result = child->Perform(WM_CONTEXTMENU, 0, message.LParam);
          if (message.Result != 0) return;
        }
      }
      TControl::Dispatch(message);
      return;
    }
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(message); return;
    case CN_CHAR:
    case CN_SYSCHAR: CNChar(message); return;
    case CM_SHOWINGCHANGED: CMShowingChanged(message); return;
    case CM_VISIBLECHANGED: CMVisibleChanged(message); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(message); return;
    case CM_COLORCHANGED: CMColorChanged(message); return;
    case CM_FONTCHANGED: CMFontChanged(message); return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR: CMDialogKeyOrChar(message); return;
    case CM_FOCUSCHANGED:
      // Every control hears which one took the focus (default buttons follow it).
      for (TControl* child : std::vector<TControl*>(FControls))
        if (ContainsControl(child)) child->Perform(message.Msg, message.WParam, message.LParam);
      return;
    case CM_ENTER: DoEnter(); return;
    case CM_EXIT: DoExit(); return;
    case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); return;
    case CM_RECREATEWND: {
      bool wasFocused = Focused();
      DestroyHandle();
      UpdateControlState();
      if (wasFocused && FHandle) ::SetFocus(FHandle);
      return;
    }
    default: TControl::Dispatch(message);
  }
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (!FHandle) {
    TControl::DefaultHandler(message);
    return;
  }
  message.Result = CallWindowProc(FDefWndProc ? FDefWndProc : DefWindowProc, FHandle, message.Msg,
                                  message.WParam, message.LParam);
}

// --- Handlers -----------------------------------------------------------------------------------

void TWinControl::WMKey(TMessage& message) {
  switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!DoKeyDown(message)) DefaultHandler(message);
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (!DoKeyUp(message)) DefaultHandler(message);
      return;
    default:
      if (!DoKeyPress(message)) DefaultHandler(message);
      return;
  }
}

void TWinControl::WMSize(TMessage& message) {
  UpdateBounds();
  DefaultHandler(message);
  Realign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  UpdateBounds();
  DefaultHandler(message);
}

void TWinControl::WMNCDestroy(TMessage& message) {
  DefaultHandler(message);
  FHandle = nullptr;
  FShowing = false;
}

void TWinControl::WMSetCursor(TMessage& message) {
  auto cursorWindow = reinterpret_cast<HWND>(message.WParam);
  auto hit = static_cast<int16_t>(message.LParamLo());
  if (cursorWindow == FHandle && hit == HTCLIENT && Screen) {
    TCursor cursor = Screen->Cursor();
    if (cursor == crDefault) {
      TPoint p;
      GetCursorPos(&p);
      if (TControl* control = ControlAtPos(ScreenToClient(p), false)) cursor = control->Cursor();
      if (cursor == crDefault) cursor = Cursor();
    }
    if (cursor != crDefault) {
      ::SetCursor(Screen->Cursors(cursor));
      message.Result = 1;
      return;
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMCommandOrNotify(TMessage& message) {
  HWND from = nullptr;
  if (message.Msg == WM_NOTIFY) {
    auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    if (header) from = header->hwndFrom;
  } else {
    from = reinterpret_cast<HWND>(message.LParam);
  }
  TWinControl* child = from ? FindControl(from) : nullptr;
  if (child && child != this) {
    message.Result = child->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
    return;
  }
  DefaultHandler(message);
}

void TWinControl::CMShowingChanged(TMessage&) {
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                   (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage&) {
  if (!Visible() && Parent())
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
  UpdateControlState();
}

void TWinControl::CMEnabledChanged(TMessage&) {
  if (!Enabled() && Parent())
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
  if (FHandle) EnableWindow(FHandle, Enabled());
  Invalidate();
}

void TWinControl::CMColorChanged(TMessage&) {
  FBrush->SetColor(Color());
  NotifyControls(CM_PARENTCOLORCHANGED);
  Invalidate();
}

void TWinControl::CMFontChanged(TMessage&) {
  if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  NotifyControls(CM_PARENTFONTCHANGED);
  Invalidate();
}

void TWinControl::CMDialogKeyOrChar(TMessage& message) { Broadcast(message); }

// --- Painting -----------------------------------------------------------------------------------

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, !ControlStyle().Contains(csOpaque));
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::WMPaint(TMessage& message) {
  if (!FDoubleBuffered || message.WParam) {
    bool paintsItself = ControlState().Contains(csCustomPaint) || !FControls.empty();
    if (paintsItself)
      PaintHandler(message);
    else
      DefaultHandler(message);
    return;
  }
  // Double buffered: everything is painted into a bitmap first and copied in one block.
  TRect client = ClientRect();
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max(client.Right, 1),
                                          std::max(client.Bottom, 1));
  ReleaseDC(nullptr, screen);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, bitmap);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(FHandle, &paint);
  try {
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), reinterpret_cast<LPARAM>(memory));
    message.WParam = reinterpret_cast<WPARAM>(memory);
    WMPaint(message);
    message.WParam = 0;
    BitBlt(dc, 0, 0, client.Right, client.Bottom, memory, 0, 0, SRCCOPY);
  } catch (...) {
    EndPaint(FHandle, &paint);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    throw;
  }
  EndPaint(FHandle, &paint);
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(bitmap);
}

void TWinControl::PaintHandler(TMessage& message) {
  auto dc = reinterpret_cast<HDC>(message.WParam);
  PAINTSTRUCT paint;
  bool own = dc == nullptr;
  if (own) dc = BeginPaint(FHandle, &paint);
  try {
    bool anyGraphic = std::any_of(FControls.begin(), FControls.end(), [](TControl* c) {
      return !dynamic_cast<TWinControl*>(c);
    });
    if (!anyGraphic) {
      PaintWindow(dc);
    } else {
      int saved = SaveDC(dc);
      int clip = SIMPLEREGION;
      for (TControl* control : FControls) {
        if (dynamic_cast<TWinControl*>(control) || !control->Visible() ||
            !control->ControlStyle().Contains(csOpaque))
          continue;
        clip = ExcludeClipRect(dc, control->Left(), control->Top(), control->Left() + control->Width(),
                               control->Top() + control->Height());
        if (clip == NULLREGION) break;
      }
      if (clip != NULLREGION) PaintWindow(dc);
      RestoreDC(dc, saved);
    }
    PaintControls(dc, nullptr);
  } catch (...) {
    if (own) EndPaint(FHandle, &paint);
    throw;
  }
  if (own) EndPaint(FHandle, &paint);
}

void TWinControl::PaintWindow(HDC dc) {
  TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  DefaultHandler(message);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  auto it = first ? std::find(FControls.begin(), FControls.end(), first) : FControls.begin();
  std::vector<TControl*> controls(it, FControls.end());
  TRect clipBox;
  GetClipBox(dc, &clipBox);
  for (TControl* control : controls) {
    if (dynamic_cast<TWinControl*>(control) || !control->Visible() || !ContainsControl(control))
      continue;
    TRect bounds = control->BoundsRect();
    TRect overlap;
    if (!IntersectRect(overlap, bounds, clipBox)) continue;
    int saved = SaveDC(dc);
    OffsetWindowOrgEx(dc, -control->Left(), -control->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
    control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
}

void TWinControl::PaintTo(HDC dc, int x, int y) {
  int saved = SaveDC(dc);
  OffsetWindowOrgEx(dc, -x, -y, nullptr);
  TMessage erase{WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc), 0};
  WindowProc() ? WindowProc()(erase) : WndProc(erase);
  TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  PaintHandler(paint);
  for (TControl* control : FControls)
    if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && windowed->Visible())
      windowed->PaintTo(dc, windowed->Left(), windowed->Top());
  RestoreDC(dc, saved);
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  auto dc = reinterpret_cast<HDC>(message.WParam);
  // When double buffered, the erase that BeginPaint asks for is left out: the bitmap is erased
  // instead (WM_ERASEBKGND with the bitmap's context in both parameters).
  if (dc && (!FDoubleBuffered || message.WParam == static_cast<WPARAM>(message.LParam)))
    FillRect(dc, ClientRect(), FBrush->Handle());
  message.Result = 1;
}
