// The mouse on a window's own scroll bars. A press runs a loop of its own until the button is
// released, as a drag needs every pointer message whatever the window's procedure does with them:
// arrows and track repeat on a timer while held, the thumb follows the pointer.
#include <algorithm>

#include "platform/win/NonClient.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

// Private to the tracking loop, which takes its WM_TIMER out before any window procedure sees it.
constexpr UINT_PTR RepeatTimerId = 0xFFF0;

// The one press being followed: there is one pointer, so at most one bar is held at a time.
struct TScrollPress {
  HWND Window = nullptr;
  int Bar = SB_VERT;
  int Part = -1;
  bool Over = false;  // the pointer is still over the pressed part
};
TScrollPress gPress;

TRect BarArea(TWindow* window, int bar) {
  TNonClientLayout layout =
      NonClientLayout(window->Style, window->ExStyle, window->Width(), window->Height());
  return bar == SB_VERT ? layout.VScroll : layout.HScroll;
}

TPoint WindowPoint(TWindow* window, TPoint screen) {
  TRect outer = ScreenRectOf(window);
  return {screen.X - outer.Left, screen.Y - outer.Top};
}

void RedrawFrame(HWND handle) {
  RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
}

void Send(HWND handle, int bar, int code, int pos) {
  UINT message = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
  SendMessage(handle, message,
              MAKEWPARAM(static_cast<uint16_t>(code), static_cast<uint16_t>(pos)), 0);
}

// The position that puts the thumb's leading edge at `edge` along the track.
int PosForThumbEdge(const TScrollBarState& state, const TScrollBarParts& parts, bool vertical,
                    int edge) {
  int trackStart = vertical ? parts.Track.Top : parts.Track.Left;
  int free = vertical ? parts.Track.Height() - parts.Thumb.Height()
                      : parts.Track.Width() - parts.Thumb.Width();
  long long range = static_cast<long long>(state.Max) - state.Min + 1;
  long long movable = range - (state.Page ? state.Page : 1);
  if (free <= 0 || movable <= 0) return state.Min;
  long long offset = std::clamp(edge - trackStart, 0, free);
  // Rounded to the nearest position, so the thumb lands where the pointer left it.
  return static_cast<int>(state.Min + (offset * movable + free / 2) / free);
}

class TScrollTracking {
 public:
  TScrollTracking(std::shared_ptr<TWindow> window, int bar, int part, TPoint p)
      : FWindow(std::move(window)), FHandle(FWindow->Handle), FBar(bar), FPart(part) {
    FVertical = bar == SB_VERT;
    TScrollBarState& state = FWindow->Scroll[bar];
    TScrollBarParts parts = Parts(state.Pos);
    FGrab = FVertical ? p.Y - parts.Thumb.Top : p.X - parts.Thumb.Left;
    state.TrackPos = state.Pos;
    gPress = {FHandle, bar, part, true};
  }
  ~TScrollTracking() {
    KillTimer(FHandle, RepeatTimerId);
    gPress = TScrollPress{};
    if (!FWindow->Destroyed) RedrawFrame(FHandle);
  }

  void Run() {
    SetCapture(FHandle);
    RedrawFrame(FHandle);
    if (FPart != SB_THUMBTRACK) {
      Send(FHandle, FBar, FPart, 0);
      SetTimer(FHandle, RepeatTimerId, ScrollRepeatDelay, nullptr);
    }
    bool quit = false;
    WPARAM quitCode = 0;
    while (!FWindow->Destroyed && GetCapture() == FHandle) {
      MSG msg;
      if (!GetMessage(&msg, nullptr, 0, 0)) {
        quit = true;
        quitCode = msg.wParam;
        break;
      }
      if (msg.hwnd == FHandle && msg.message == WM_TIMER && msg.wParam == RepeatTimerId) {
        Repeat();
      } else if (msg.hwnd == FHandle && msg.message == WM_MOUSEMOVE) {
        Follow(msg.pt);
      } else if (msg.hwnd == FHandle && msg.message == WM_LBUTTONUP) {
        Follow(msg.pt);
        ReleaseCapture();
      } else {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
      }
    }
    if (GetCapture() == FHandle) ReleaseCapture();
    if (!FWindow->Destroyed) {
      if (FPart == SB_THUMBTRACK)
        Send(FHandle, FBar, SB_THUMBPOSITION, FWindow->Scroll[FBar].TrackPos);
      if (!FWindow->Destroyed) Send(FHandle, FBar, SB_ENDSCROLL, 0);
    }
    // The loop took the quit request off the queue; the caller's loop must still see it.
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
  }

 private:
  TScrollBarParts Parts(int pos) const {
    return ScrollBarParts(BarArea(FWindow.get(), FBar), FWindow->Scroll[FBar], FVertical, pos);
  }

  void Repeat() {
    if (!FRepeating) {
      FRepeating = true;
      SetTimer(FHandle, RepeatTimerId, ScrollRepeatInterval, nullptr);
    }
    // The page request stops once the thumb has reached the pointer.
    Follow(GetCursorPosition());
    if (gPress.Over) Send(FHandle, FBar, FPart, 0);
  }

  TPoint GetCursorPosition() const {
    TPoint p;
    GetCursorPos(&p);
    return p;
  }

  void Follow(TPoint screen) {
    if (FWindow->Destroyed) return;
    TPoint p = WindowPoint(FWindow.get(), screen);
    TScrollBarState& state = FWindow->Scroll[FBar];
    if (FPart == SB_THUMBTRACK) {
      TScrollBarParts parts = Parts(state.Pos);
      int pos = PosForThumbEdge(state, parts, FVertical, (FVertical ? p.Y : p.X) - FGrab);
      if (pos == state.TrackPos) return;
      state.TrackPos = pos;
      Send(FHandle, FBar, SB_THUMBTRACK, pos);
      if (!FWindow->Destroyed) RedrawFrame(FHandle);
      return;
    }
    bool over = ScrollBarPartAt(Parts(state.Pos), p, FVertical) == FPart;
    if (over == gPress.Over) return;
    gPress.Over = over;
    RedrawFrame(FHandle);
  }

  std::shared_ptr<TWindow> FWindow;
  HWND FHandle;
  int FBar;
  int FPart;
  bool FVertical = true;
  bool FRepeating = false;
  int FGrab = 0;
};

}  // namespace

void TrackScrollBar(HWND handle, int bar, TPoint screen) {
  if (bar != SB_VERT && bar != SB_HORZ) return;
  std::shared_ptr<TWindow> window = WindowSystem().Hold(handle);
  if (!window || window->Destroyed || gPress.Window) return;
  const TScrollBarState& state = window->Scroll[bar];
  if (!ScrollBarUsable(state)) return;  // a disabled bar, or nothing to scroll
  TPoint p = WindowPoint(window.get(), screen);
  TScrollBarParts parts = ScrollBarParts(BarArea(window.get(), bar), state, bar == SB_VERT,
                                         state.Pos);
  int part = ScrollBarPartAt(parts, p, bar == SB_VERT);
  if (part < 0) return;
  TScrollTracking tracking(std::move(window), bar, part, p);
  tracking.Run();
}

int PressedScrollBarPart(HWND window, int bar) {
  if (gPress.Window != window || gPress.Bar != bar || !gPress.Over) return -1;
  return gPress.Part;
}
