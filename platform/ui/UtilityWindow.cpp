#include "platform/ui/UtilityWindow.h"

#include "platform/win/WinApi.h"

namespace {

constexpr const char16_t* UtilityClassName = u"TPUtilWindow";

LRESULT UtilityWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtr(window, GWL_USERDATA));
  if (!method || !*method) return DefWindowProc(window, message, wParam, lParam);
  TMessage m{message, wParam, lParam, 0};
  (*method)(m);
  return m.Result;
}

}  // namespace

HWND AllocateHWnd(TWndMethod method) {
  WNDCLASS registered;
  if (!GetClassInfo(HInstance, UtilityClassName, &registered)) {
    WNDCLASS windowClass;
    windowClass.lpfnWndProc = UtilityWndProc;
    windowClass.hInstance = HInstance;
    windowClass.lpszClassName = UtilityClassName;
    RegisterClass(windowClass);
  }
  HWND window = CreateWindowEx(WS_EX_TOOLWINDOW, UtilityClassName, u"", WS_POPUP, 0, 0, 0, 0,
                               nullptr, nullptr, HInstance, nullptr);
  if (window)
    SetWindowLongPtr(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(std::move(method))));
  return window;
}

void DeallocateHWnd(HWND window) {
  if (!IsWindow(window)) return;
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtr(window, GWL_USERDATA));
  SetWindowLongPtr(window, GWL_USERDATA, 0);
  DestroyWindow(window);
  delete method;
}
