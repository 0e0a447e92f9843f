#include "Common/Win32Timer.h"

#include "platform/win/WinApi.h"

namespace {

constexpr UINT_PTR TimerId = 1;

}  // namespace

TWin32Timer::TWin32Timer(TComponent* owner) : TComponent(owner) {
  // Without a window session (a program or test that shows no window) there is no window and
  // no timer can run.
  if (!WindowSessionRunning()) return;
  WNDCLASS registered;
  const bool known = GetClassInfo(HInstance, WindowClassName, &registered);
  if (!known || registered.lpfnWndProc != &TWin32Timer::WindowProc) {
    if (known) UnregisterClass(WindowClassName, HInstance);
    WNDCLASS windowClass;
    windowClass.lpfnWndProc = &TWin32Timer::WindowProc;
    windowClass.hInstance = HInstance;
    windowClass.lpszClassName = WindowClassName;
    RegisterClass(windowClass);
  }
  FWindowHandle = CreateWindowEx(WS_EX_TOOLWINDOW, WindowClassName, String(), WS_POPUP, 0, 0, 0,
                                 0, nullptr, nullptr, HInstance, nullptr);
  if (FWindowHandle)
    SetWindowLongPtr(FWindowHandle, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWin32Timer::~TWin32Timer() {
  FEnabled = false;
  if (FWindowHandle && WindowSessionRunning()) {
    KillTimer(FWindowHandle, TimerId);
    DestroyWindow(FWindowHandle);
  }
  FWindowHandle = nullptr;
}

void TWin32Timer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TWin32Timer::SetInterval(uint32_t value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TWin32Timer::SetOnTimer(TNotifyEvent value) {
  FOnTimer = std::move(value);
  UpdateTimer();
}

void TWin32Timer::UpdateTimer() {
  if (FWindowHandle) KillTimer(FWindowHandle, TimerId);
  if (FInterval == 0 || !FEnabled || !FOnTimer) return;
  if (!FWindowHandle || SetTimer(FWindowHandle, TimerId, FInterval, nullptr) == 0)
    throw EOutOfResources(u"Not enough timers available");
}

void TWin32Timer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

LRESULT TWin32Timer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_TIMER) return DefWindowProc(window, message, wParam, lParam);
  auto* timer = reinterpret_cast<TWin32Timer*>(GetWindowLongPtr(window, GWL_USERDATA));
  if (!timer) return 1;
  try {
    timer->Timer();
  } catch (...) {
    // The user sees the error and the message loop, with the timer, goes on.
    HandleRunningException(timer);
  }
  return 1;
}
