// The input queue: injecting input, the keyboard and pointer state, and turning input into
// messages for the window it reaches.
#include "platform/win/Input.h"

#include <cstdlib>

#include "platform/rtl/Exceptions.h"
#include "platform/win/Keyboard.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

uint16_t ButtonKey(TMouseButtonId button) {
  switch (button) {
    case TMouseButtonId::Right: return VK_RBUTTON;
    case TMouseButtonId::Middle: return VK_MBUTTON;
    default: return VK_LBUTTON;
  }
}

// Sets a key down or up in a key state, keeping the generic and the left/right keys together.
void SetKeyDown(uint8_t state[256], uint16_t key, bool down) {
  auto set = [&](uint16_t k) {
    if (down) {
      if (!(state[k] & 0x80)) state[k] ^= 0x01;  // the toggle flips on each press
      state[k] |= 0x80;
    } else {
      state[k] &= static_cast<uint8_t>(~0x80);
    }
  };
  auto generic = [&](uint16_t g, uint16_t left, uint16_t right) {
    bool any = (state[left] & 0x80) || (state[right] & 0x80);
    state[g] = static_cast<uint8_t>((state[g] & 0x01) | (any ? 0x80 : 0));
  };
  switch (key) {
    case VK_SHIFT: set(VK_LSHIFT); generic(VK_SHIFT, VK_LSHIFT, VK_RSHIFT); return;
    case VK_CONTROL: set(VK_LCONTROL); generic(VK_CONTROL, VK_LCONTROL, VK_RCONTROL); return;
    case VK_MENU: set(VK_LMENU); generic(VK_MENU, VK_LMENU, VK_RMENU); return;
    case VK_LSHIFT: case VK_RSHIFT: set(key); generic(VK_SHIFT, VK_LSHIFT, VK_RSHIFT); return;
    case VK_LCONTROL: case VK_RCONTROL:
      set(key); generic(VK_CONTROL, VK_LCONTROL, VK_RCONTROL); return;
    case VK_LMENU: case VK_RMENU: set(key); generic(VK_MENU, VK_LMENU, VK_RMENU); return;
    default: set(key); return;
  }
}

bool IsDown(const uint8_t state[256], uint16_t key) { return (state[key] & 0x80) != 0; }

WPARAM MouseKeys(const uint8_t state[256]) {
  WPARAM keys = 0;
  if (IsDown(state, VK_LBUTTON)) keys |= MK_LBUTTON;
  if (IsDown(state, VK_RBUTTON)) keys |= MK_RBUTTON;
  if (IsDown(state, VK_MBUTTON)) keys |= MK_MBUTTON;
  if (IsDown(state, VK_SHIFT)) keys |= MK_SHIFT;
  if (IsDown(state, VK_CONTROL)) keys |= MK_CONTROL;
  return keys;
}

UINT ButtonMessage(uint16_t button, bool down, bool doubleClick, bool client) {
  UINT base = button == VK_RBUTTON ? WM_RBUTTONDOWN : button == VK_MBUTTON ? WM_MBUTTONDOWN
                                                                           : WM_LBUTTONDOWN;
  UINT message = down ? (doubleClick ? base + 2 : base) : base + 1;
  return client ? message : message - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN;
}

// The window under a screen point after hit testing, and its hit code.
HWND HitTest(TPoint screen, LRESULT& hit) {
  HWND target = WindowFromPoint(screen);
  while (target) {
    hit = SendMessage(target, WM_NCHITTEST, 0, PointToLParam(screen));
    if (hit != HTTRANSPARENT) return target;
    target = GetAncestor(target, GA_PARENT);
    if (target == GetDesktopWindow()) return nullptr;
  }
  return nullptr;
}

bool AncestorDisabled(TWindow* window) {
  for (; window && !window->IsDesktop(); window = window->Parent)
    if (window->Style & WS_DISABLED) return true;
  return false;
}

HWND KeyTarget() {
  TWindowSystem& system = WindowSystem();
  return system.Focus ? system.Focus : system.Active;
}

// Builds the message a key event makes. Side effects only when removing.
bool KeyMessage(const TInputEvent& event, MSG& msg, bool remove) {
  TWindowSystem& system = WindowSystem();
  HWND target = KeyTarget();
  if (!target) return false;
  bool wasDown = IsDown(system.KeyState, event.Key);
  if (remove) SetKeyDown(system.KeyState, event.Key, event.Down);
  const uint8_t* state = system.KeyState;
  bool alt = remove ? IsDown(state, VK_MENU) : IsDown(system.AsyncKeyState, VK_MENU);
  bool ctrl = remove ? IsDown(state, VK_CONTROL) : IsDown(system.AsyncKeyState, VK_CONTROL);
  bool system_ = event.Key == VK_MENU || event.Key == VK_LMENU || event.Key == VK_RMENU ||
                 event.Key == VK_F10 || (alt && !ctrl) || !system.Focus;
  TKeyCode code = ScanCodeOf(event.Key);
  LPARAM data = 1 | (static_cast<LPARAM>(code.Scan) << 16);
  if (code.Extended) data |= KF_EXTENDED_BIT;
  if (alt && !ctrl) data |= KF_ALTDOWN_BIT;
  if (!event.Down || wasDown) data |= KF_REPEAT_BIT;
  if (!event.Down) data |= KF_UP_BIT;
  msg.hwnd = target;
  msg.message = event.Down ? (system_ ? WM_SYSKEYDOWN : WM_KEYDOWN)
                           : (system_ ? WM_SYSKEYUP : WM_KEYUP);
  msg.wParam = event.Key;
  msg.lParam = data;
  return true;
}

// Builds the message a pointer event makes; false when the event reaches no window or is eaten.
bool MouseMessage(const TInputEvent& event, MSG& msg, bool remove) {
  TWindowSystem& system = WindowSystem();
  bool down = event.Kind == TInputEvent::MouseButton && event.Down;
  if (remove && event.Kind == TInputEvent::MouseButton)
    SetKeyDown(system.KeyState, event.Key, event.Down);
  HWND target = system.Capture;
  LRESULT hit = HTCLIENT;
  if (!target) target = HitTest(event.Pos, hit);
  if (!target) {
    if (remove && system.MouseTracked) {
      PostMessage(system.MouseTracked, WM_MOUSELEAVE, 0, 0);
      system.MouseTracked = nullptr;
    }
    return false;
  }
  std::shared_ptr<TWindow> window = system.Hold(target);
  if (!window) return false;
  UINT message = event.Kind == TInputEvent::MouseMove ? (hit == HTCLIENT ? WM_MOUSEMOVE
                                                                         : WM_NCMOUSEMOVE)
                                                      : ButtonMessage(event.Key, event.Down,
                                                                      false, hit == HTCLIENT);
  if (remove) {
    if (system.MouseTracked && system.MouseTracked != target) {
      PostMessage(system.MouseTracked, WM_MOUSELEAVE, 0, 0);
      system.MouseTracked = nullptr;
    }
    system.LastMouseWindow = target;
    if (!system.Capture && AncestorDisabled(window.get())) {
      SendMessage(target, WM_SETCURSOR, ToWParam(target), MAKELPARAM(static_cast<uint32_t>(HTERROR),
                                                                     message));
      if (down) MessageBeep(0);
      return false;
    }
    if (down && !system.Capture) {
      TWindow* top = TopLevelOf(window.get());
      if (top->Handle != system.Active) {
        LRESULT answer = SendMessage(target, WM_MOUSEACTIVATE, ToWParam(top->Handle),
                                     MAKELPARAM(static_cast<uint32_t>(hit), message));
        if (answer != MA_NOACTIVATE && answer != MA_NOACTIVATEANDEAT)
          ActivateByClick(top->Handle);
        if (answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT) return false;
        if (window->Destroyed) return false;
      }
    }
    if (!system.Capture)
      SendMessage(target, WM_SETCURSOR, ToWParam(target),
                  MAKELPARAM(static_cast<uint32_t>(hit), message));
    if (window->Destroyed) return false;
    if (down && hit == HTCLIENT) {
      int dx = std::abs(event.Pos.X - system.LastClickPos.X);
      int dy = std::abs(event.Pos.Y - system.LastClickPos.Y);
      bool doubleClick = (window->Class->Style & CS_DBLCLKS) && system.LastClickWindow == target &&
                         system.LastClickMessage == message && system.LastClickTime != 0 &&
                         event.Time - system.LastClickTime <= system.BackEnd().DoubleClickTime() &&
                         dx <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                         dy <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
      if (doubleClick) {
        message = ButtonMessage(event.Key, true, true, true);
        system.LastClickTime = 0;
      } else {
        system.LastClickWindow = target;
        system.LastClickMessage = message;
        system.LastClickTime = event.Time;
        system.LastClickPos = event.Pos;
      }
    }
  }
  msg.hwnd = target;
  msg.message = message;
  if (hit == HTCLIENT) {
    TPoint client = event.Pos;
    ScreenToClient(target, &client);
    msg.wParam = MouseKeys(system.KeyState);
    msg.lParam = PointToLParam(client);
  } else {
    msg.wParam = static_cast<WPARAM>(hit);
    msg.lParam = PointToLParam(event.Pos);
  }
  return true;
}

bool EventMessage(const TInputEvent& event, MSG& msg, bool remove) {
  TWindowSystem& system = WindowSystem();
  msg = MSG{};
  msg.time = static_cast<DWORD>(event.Time);
  msg.pt = event.Pos;
  switch (event.Kind) {
    case TInputEvent::KeyEvent: return KeyMessage(event, msg, remove);
    case TInputEvent::CharEvent:
      msg.hwnd = KeyTarget();
      msg.message = WM_CHAR;
      msg.wParam = event.Char;
      msg.lParam = 1;
      return msg.hwnd != nullptr;
    case TInputEvent::Wheel:
      msg.hwnd = KeyTarget();
      msg.message = WM_MOUSEWHEEL;
      msg.wParam = MAKEWPARAM(static_cast<uint32_t>(MouseKeys(system.KeyState)),
                              static_cast<uint16_t>(static_cast<int16_t>(event.WheelDelta)));
      msg.lParam = PointToLParam(event.Pos);
      return msg.hwnd != nullptr;
    default: return MouseMessage(event, msg, remove);
  }
}

bool InRange(UINT message, UINT first, UINT last) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

void Inject(TInputEvent event) {
  TWindowSystem& system = WindowSystem();
  event.Time = system.Now();
  system.Input.push_back(event);
}

}  // namespace

void InjectKey(uint16_t virtualKey, bool down) {
  // The key-state tables have one byte per virtual key; a character is injected with InjectChar.
  if (virtualKey > 0xFF)
    throw EInvalidOperation(u"A virtual-key code lies between 0 and 255; inject characters with "
                            u"InjectChar");
  TWindowSystem& system = WindowSystem();
  SetKeyDown(system.AsyncKeyState, virtualKey, down);
  TInputEvent event;
  event.Kind = TInputEvent::KeyEvent;
  event.Key = virtualKey;
  event.Down = down;
  event.Pos = system.CursorPos;
  Inject(event);
}

void InjectChar(char16_t ch) {
  TInputEvent event;
  event.Kind = TInputEvent::CharEvent;
  event.Char = ch;
  event.Pos = WindowSystem().CursorPos;
  Inject(event);
}

void InjectMouseMove(TPoint screen) {
  WindowSystem().CursorPos = screen;
  TInputEvent event;
  event.Kind = TInputEvent::MouseMove;
  event.Pos = screen;
  Inject(event);
}

void InjectMouseButton(TMouseButtonId button, bool down, TPoint screen) {
  TWindowSystem& system = WindowSystem();
  system.CursorPos = screen;
  SetKeyDown(system.AsyncKeyState, ButtonKey(button), down);
  TInputEvent event;
  event.Kind = TInputEvent::MouseButton;
  event.Key = ButtonKey(button);
  event.Down = down;
  event.Pos = screen;
  Inject(event);
}

void InjectMouseWheel(int delta, TPoint screen) {
  WindowSystem().CursorPos = screen;
  TInputEvent event;
  event.Kind = TInputEvent::Wheel;
  event.WheelDelta = delta;
  event.Pos = screen;
  Inject(event);
}

bool InputPending() { return !WindowSystem().Input.empty(); }

bool TakeInputMessage(MSG& msg, HWND filter, UINT first, UINT last, bool remove) {
  TWindowSystem& system = WindowSystem();
  while (!system.Input.empty()) {
    TInputEvent event = system.Input.front();
    if (!remove) {
      // A look without taking: say what the next event would be, without its side effects.
      MSG peek;
      if (!EventMessage(event, peek, false)) return false;
      if ((filter && peek.hwnd != filter && !IsChild(filter, peek.hwnd)) ||
          !InRange(peek.message, first, last))
        return false;
      msg = peek;
      return true;
    }
    if (!filter && first == 0 && last == 0) {
      system.Input.pop_front();
      if (EventMessage(event, msg, true)) return true;
      continue;
    }
    MSG candidate;
    if (!EventMessage(event, candidate, false)) {
      system.Input.pop_front();
      continue;
    }
    if ((filter && candidate.hwnd != filter && !IsChild(filter, candidate.hwnd)) ||
        !InRange(candidate.message, first, last))
      return false;
    system.Input.pop_front();
    if (EventMessage(event, msg, true)) return true;
  }
  return false;
}

// --- Keyboard and pointer state ---------------------------------------------------------------

int16_t GetKeyState(int virtualKey) {
  uint8_t s = WindowSystem().KeyState[virtualKey & 0xFF];
  return static_cast<int16_t>((s & 0x80 ? -128 : 0) | (s & 0x01));
}

int16_t GetAsyncKeyState(int virtualKey) {
  uint8_t s = WindowSystem().AsyncKeyState[virtualKey & 0xFF];
  return static_cast<int16_t>(s & 0x80 ? INT16_MIN : 0);
}

bool GetKeyboardState(uint8_t state[256]) {
  const uint8_t* source = WindowSystem().KeyState;
  for (int i = 0; i < 256; ++i) state[i] = source[i];
  return true;
}

bool GetCursorPos(TPoint* point) {
  if (!point) return false;
  *point = WindowSystem().CursorPos;
  return true;
}

bool SetCursorPos(int x, int y) {
  InjectMouseMove({x, y});
  return true;
}

UINT GetDoubleClickTime() {
  return HasWindowSystem() ? WindowSystem().BackEnd().DoubleClickTime() : 500;
}

bool MessageBeep(UINT) {
  TWindowSystem& system = WindowSystem();
  ++system.Beeps;
  system.BackEnd().Beep();
  return true;
}
