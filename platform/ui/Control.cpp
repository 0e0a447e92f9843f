// TControl: place, state, looks, the window procedure and the message handlers every control has.
#include <algorithm>
#include <cstdlib>

#include "platform/rtl/Format.h"
#include "platform/ui/Application.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

TControl::TControl(TComponent* owner) : TComponent(owner) {
  FWindowProc = [this](TMessage& message) { WndProc(message); };
  FFont = std::make_unique<TFont>();
  FFont->OnChange = [this](TObject* sender) { FontChanged(sender); };
  FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TControl::~TControl() {
  ForgetCaptureControl(this);
  if (Application) Application->ControlDestroyed(this);
  if (FParent) FParent->RemoveControl(this);
}

// --- Place -------------------------------------------------------------------------------------

void TControl::SetParent(TWinControl* value) {
  if (FParent == value) return;
  if (value == static_cast<TControl*>(this))
    throw EInvalidOperation(u"A control cannot have itself as its parent");
  if (auto* self = dynamic_cast<TWinControl*>(this); self && value && self->ContainsControl(value))
    throw EInvalidOperation(u"A control cannot have one of its children as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (value) value->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  InvalidateControl(FVisible, false);
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  UpdateAnchorRules();
  Invalidate();
  Perform(WM_WINDOWPOSCHANGED, 0, 0);
  RequestAlign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

TRect TControl::ClientRect() { return {0, 0, FWidth, FHeight}; }

void TControl::SetClientSize(int width, int height) {
  TRect client = ClientRect();
  SetBounds(FLeft, FTop, FWidth - client.Width() + width, FHeight - client.Height() + height);
}

TPoint TControl::ClientOrigin() {
  if (!FParent) return {FLeft, FTop};
  TPoint origin = FParent->ClientOrigin();
  return {origin.X + FLeft, origin.Y + FTop};
}

TPoint TControl::ClientToScreen(TPoint point) {
  TPoint origin = ClientOrigin();
  return {point.X + origin.X, point.Y + origin.Y};
}

TPoint TControl::ScreenToClient(TPoint point) {
  TPoint origin = ClientOrigin();
  return {point.X - origin.X, point.Y - origin.Y};
}

void TControl::SetAlign(TAlign value) {
  if (FAlign == value) return;
  TAlign old = FAlign;
  FAlign = value;
  FAnchors = TAnchors{akLeft, akTop};
  if (old == alNone || value == alNone) UpdateAnchorRules();
  RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  if (FAnchors == value) return;
  FAnchors = value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (!FParent || (FControlState.Contains(csAligning))) return;
  TRect client = FParent->ClientRect();
  FAnchorParentSize = {client.Width(), client.Height()};
  FAnchorBounds = BoundsRect();
  FAnchorRulesValid = true;
}

void TControl::RequestAlign() {
  if (FParent) FParent->AlignControl(this);
}

// --- State -------------------------------------------------------------------------------------

bool TControl::Showing() const {
  if (!FVisible) return false;
  return FParent ? FParent->Showing() : false;
}

void TControl::SetVisible(bool value) {
  if (FVisible == value) return;
  VisibleChanging();
  FVisible = value;
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
  RequestAlign();
}

void TControl::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  Perform(CM_ENABLEDCHANGED);
}

String TControl::Text() {
  auto length = static_cast<size_t>(std::max<LRESULT>(Perform(WM_GETTEXTLENGTH), 0));
  if (length == 0) return {};
  String buffer(length + 1, u'\0');
  LRESULT copied = Perform(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, static_cast<LRESULT>(length))));
  return buffer;
}

void TControl::SetText(const String& value) {
  if (Text() == value) return;
  String copy = value;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
  Perform(CM_TEXTCHANGED);
}

// --- Looks -------------------------------------------------------------------------------------

void TControl::FontChanged(TObject*) {
  FParentFont = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value) {
  if (FParentFont == value) return;
  FParentFont = value;
  if (FParent && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetColor(TColor value) {
  if (FColor == value) return;
  FColor = value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (FParentColor == value) return;
  FParentColor = value;
  if (FParent && value && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetCursor(TCursor value) {
  if (FCursor == value) return;
  FCursor = value;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetShowHint(bool value) {
  if (FShowHint == value && !FParentShowHint) return;
  FShowHint = value;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
  if (FParentShowHint == value) return;
  FParentShowHint = value;
  if (FParent && value) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetPopupMenuObject(TComponent* component, IPopupMenu* menu) {
  if (FPopupMenu == component) return;
  if (FPopupMenu) RemoveFreeNotification(FPopupMenu);
  FPopupMenu = component;
  FPopupMenuInterface = component ? menu : nullptr;
  if (FPopupMenu) FreeNotification(FPopupMenu);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FPopupMenu) {
    FPopupMenu = nullptr;
    FPopupMenuInterface = nullptr;
  }
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (FParent) {
    if (FParentFont) Perform(CM_PARENTFONTCHANGED);
    if (FParentColor) Perform(CM_PARENTCOLORCHANGED);
    if (FParentShowHint) Perform(CM_PARENTSHOWHINTCHANGED);
  }
}

// --- Painting and order ------------------------------------------------------------------------

void TControl::InvalidateControl(bool isVisible, bool isOpaque) {
  if (!isVisible || !FParent || !FParent->HandleAllocated()) return;
  TRect rect = BoundsRect();
  InvalidateRect(FParent->Handle(), &rect, !(isOpaque || FControlStyle.Contains(csOpaque)));
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  Invalidate();
  Update();
}

void TControl::BringToFront() { SetZOrder(true); }

void TControl::SendToBack() { SetZOrder(false); }

void TControl::SetZOrder(bool topMost) {
  if (auto* windowed = dynamic_cast<TWinControl*>(this); windowed && windowed->HandleAllocated())
    SetWindowPos(windowed->Handle(), topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!FParent) return;
  auto& siblings = FParent->FControls;
  auto it = std::find(siblings.begin(), siblings.end(), this);
  if (it == siblings.end()) return;
  siblings.erase(it);
  if (topMost)
    siblings.push_back(this);
  else
    siblings.insert(siblings.begin(), this);
  InvalidateControl(FVisible, true);
}

bool TControl::MouseCapture() { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool value) {
  if (MouseCapture() == value) return;
  SetCaptureControl(value ? this : nullptr);
}

void TControl::SendCancelMode() {
  TControl* capture = GetCaptureControl();
  if (capture && capture != this) capture->Perform(WM_CANCELMODE);
}

// --- Messages ----------------------------------------------------------------------------------

LRESULT TControl::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
  TMessage m{message, wParam, lParam, 0};
  if (FWindowProc)
    FWindowProc(m);
  else
    WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& message) {
  if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST) {
    if (!FControlStyle.Contains(csDoubleClicks) &&
        (message.Msg == WM_LBUTTONDBLCLK || message.Msg == WM_RBUTTONDBLCLK ||
         message.Msg == WM_MBUTTONDBLCLK))
      message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    switch (message.Msg) {
      case WM_MOUSEMOVE:
        if (Application) Application->HintMouseMessage(this, message);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: FControlState << csLButtonDown; break;
      case WM_LBUTTONUP: FControlState >> csLButtonDown; break;
      default: break;
    }
  }
  Dispatch(message);
}

void TControl::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP: WMMouseButton(message); return;
    case WM_MOUSEMOVE:
      DefaultHandler(message);
      if (!FControlStyle.Contains(csNoStdEvents))
        MouseMove(KeysToShiftState(message.Keys()), message.XPos(), message.YPos());
      return;
    case WM_MOUSEWHEEL: WMMouseWheel(message); return;
    case CM_MOUSEWHEEL: CMMouseWheel(message); return;
    case WM_CONTEXTMENU: WMContextMenu(message); return;
    case WM_CANCELMODE:
      DefaultHandler(message);
      if (MouseCapture()) {
        SetMouseCapture(false);
        if (FControlState.Contains(csLButtonDown)) Perform(WM_LBUTTONUP, 0, -1);
      } else {
        FControlState >> csLButtonDown;
      }
      return;
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case CM_COLORCHANGED: Invalidate(); return;
    case CM_VISIBLECHANGED: InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque)); return;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(message); return;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(message); return;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(message); return;
    case CM_MOUSEENTER:
      if (message.LParam == 0 && OnMouseEnter) OnMouseEnter(this);
      return;
    case CM_MOUSELEAVE:
      if (message.LParam == 0 && OnMouseLeave) OnMouseLeave(this);
      return;
    case CM_HITTEST: message.Result = HTCLIENT; return;
    case CM_DESIGNHITTEST: message.Result = 0; return;
    default: DefaultHandler(message); return;
  }
}

void TControl::DefaultHandler(TMessage& message) {
  switch (message.Msg) {
    case WM_GETTEXT: {
      auto* out = reinterpret_cast<char16_t*>(message.LParam);
      if (!out || message.WParam == 0) return;
      size_t count = std::min<size_t>(FText.size(), message.WParam - 1);
      std::copy_n(FText.data(), count, out);
      out[count] = u'\0';
      message.Result = static_cast<LRESULT>(count);
      return;
    }
    case WM_GETTEXTLENGTH: message.Result = static_cast<LRESULT>(FText.size()); return;
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<const char16_t*>(message.LParam);
      FText = text ? String(text) : String();
      message.Result = 1;
      return;
    }
    default: return;
  }
}

void TControl::WMMouseButton(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
      SendCancelMode();
      DefaultHandler(message);
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
      if (FControlStyle.Contains(csClickEvents)) FControlState << csClicked;
      DoMouseDown(message, mbLeft, {});
      return;
    case WM_LBUTTONDBLCLK:
      SendCancelMode();
      DefaultHandler(message);
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
      if (FControlStyle.Contains(csClickEvents)) DblClick();
      DoMouseDown(message, mbLeft, {ssDouble});
      return;
    case WM_LBUTTONUP:
      DefaultHandler(message);
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
      if (FControlState.Contains(csClicked)) {
        FControlState >> csClicked;
        if (PtInRect(ClientRect(), message.Pos())) Click();
      }
      DoMouseUp(message, mbLeft);
      return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      DefaultHandler(message);
      DoMouseDown(message, mbRight, message.Msg == WM_RBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
      return;
    case WM_RBUTTONUP:
      // The window's default procedure asks for the context menu (WM_CONTEXTMENU).
      DefaultHandler(message);
      DoMouseUp(message, mbRight);
      return;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      DefaultHandler(message);
      DoMouseDown(message, mbMiddle, message.Msg == WM_MBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
      return;
    case WM_MBUTTONUP:
      DefaultHandler(message);
      DoMouseUp(message, mbMiddle);
      return;
    default: DefaultHandler(message);
  }
}

void TControl::DoMouseDown(TMessage& message, TMouseButton button, TShiftState extra) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  MouseDown(button, KeysToShiftState(message.Keys()) + extra, message.XPos(), message.YPos());
}

void TControl::DoMouseUp(TMessage& message, TMouseButton button) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  MouseUp(button, KeysToShiftState(message.Keys()), message.XPos(), message.YPos());
}

// The wheel goes to the focused control and, while nobody takes it, up through its parents
// (CM_MOUSEWHEEL); the window's default procedure does not pass it on a second time.
void TControl::WMMouseWheel(TMessage& message) {
  message.Result = Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
}

void TControl::CMMouseWheel(TMessage& message) {
  TShiftState shift = KeysToShiftState(message.Keys());
  if (DoMouseWheel(shift, message.WheelDelta(), message.Pos()))
    message.Result = 1;
  else if (FParent)
    message.Result = FParent->Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
}

void TControl::WMContextMenu(TMessage& message) {
  if (message.Result != 0) return;
  TPoint pos = message.Pos();
  bool keyboard = pos.X == -1 && pos.Y == -1;
  TPoint clientPos = keyboard ? TPoint{} : ScreenToClient(pos);
  bool handled = false;
  DoContextPopup(clientPos, handled);
  message.Result = handled ? 1 : 0;
  if (handled) return;
  if (FPopupMenuInterface && FPopupMenuInterface->AutoPopup()) {
    SendCancelMode();
    TPoint at = keyboard ? ClientToScreen({0, 0}) : pos;
    FPopupMenuInterface->PopupFor(this, at.X, at.Y);
    message.Result = 1;
    return;
  }
  DefaultHandler(message);
}

void TControl::CMParentFontChanged(TMessage& message) {
  if (!FParentFont) return;
  if (message.WParam)
    SetFont(reinterpret_cast<TFont*>(message.LParam));
  else if (FParent)
    SetFont(FParent->Font());
  FParentFont = true;
}

void TControl::CMParentColorChanged(TMessage& message) {
  if (!FParentColor) return;
  TColor color = message.WParam ? static_cast<TColor>(message.LParam)
                 : FParent      ? FParent->Color()
                                : FColor;
  SetColor(color);
  FParentColor = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!FParentShowHint || !FParent) return;
  FShowHint = FParent->ShowHint();
  FParentShowHint = true;
}

// --- The overridable event methods ----------------------------------------------------------------

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
  if (handled) return true;
  FWheelAccumulator += wheelDelta;
  while (std::abs(FWheelAccumulator) >= WHEEL_DELTA) {
    bool up = FWheelAccumulator > 0;
    FWheelAccumulator += up ? -WHEEL_DELTA : WHEEL_DELTA;
    handled = (up ? DoMouseWheelUp(shift, mousePos) : DoMouseWheelDown(shift, mousePos)) || handled;
  }
  return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, shift, mousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, shift, mousePos, handled);
  return handled;
}

void TControl::DoContextPopup(TPoint mousePos, bool& handled) {
  if (OnContextPopup) OnContextPopup(this, mousePos, handled);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}
