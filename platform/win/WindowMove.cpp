// Moving a child window with the mouse: a press on what the window calls its caption runs a loop
// of its own until the button is released, as a drag needs every pointer message. The window
// follows the pointer and stays inside its parent's client area.
#include <algorithm>

#include "platform/win/NonClient.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

class TMoveTracking {
 public:
  TMoveTracking(std::shared_ptr<TWindow> window, TPoint grab)
      : FWindow(std::move(window)), FHandle(FWindow->Handle), FGrab(grab) {
    FParent = GetParent(FHandle);
    TRect r;
    GetWindowRect(FHandle, &r);
    FSize = {r.Width(), r.Height()};
    FStart = {r.Left, r.Top};
    ScreenToClient(FParent, &FStart);
  }

  void Run() {
    SendMessage(FHandle, WM_ENTERSIZEMOVE, 0, 0);
    SetCapture(FHandle);
    bool quit = false;
    WPARAM quitCode = 0;
    while (!FWindow->Destroyed && GetCapture() == FHandle) {
      MSG msg;
      if (!GetMessage(&msg, nullptr, 0, 0)) {
        quit = true;
        quitCode = msg.wParam;
        break;
      }
      if (msg.hwnd == FHandle && msg.message == WM_MOUSEMOVE) {
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
    if (!FWindow->Destroyed) SendMessage(FHandle, WM_EXITSIZEMOVE, 0, 0);
    // The loop took the quit request off the queue; the caller's loop must still see it.
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
  }

 private:
  // The window keeps the offset it had from the pointer at the press, inside the parent.
  void Follow(TPoint screen) {
    if (FWindow->Destroyed) return;
    TRect client;
    GetClientRect(FParent, &client);
    int x = FStart.X + screen.X - FGrab.X;
    int y = FStart.Y + screen.Y - FGrab.Y;
    x = std::max(0, std::min(x, client.Width() - FSize.cx));
    y = std::max(0, std::min(y, client.Height() - FSize.cy));
    SetWindowPos(FHandle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  std::shared_ptr<TWindow> FWindow;
  HWND FHandle;
  HWND FParent = nullptr;
  TPoint FGrab;
  TPoint FStart;
  TSize FSize;
};

}  // namespace

void TrackChildMove(HWND handle, TPoint screen) {
  std::shared_ptr<TWindow> window = WindowSystem().Hold(handle);
  if (!window || window->Destroyed || !window->IsChild() || !window->Parent ||
      window->Parent->IsDesktop())
    return;
  TMoveTracking tracking(std::move(window), screen);
  tracking.Run();
}
