// Unit Win32Timer: TWin32Timer fires OnTimer every Interval milliseconds on the thread that made
// it, through a hidden window of its own and the system timer, without the class library's timer
// component. The data-access library uses it for delayed detail refreshes, the HTTP tunnel's
// keep-alive and the auto-refresh of queries.
#pragma once

#include <cstdint>

#include "platform/rtl/Component.h"
#include "platform/rtl/ExceptionHook.h"
#include "platform/win/WinDefs.h"

class TWin32Timer : public TComponent {
 public:
  explicit TWin32Timer(TComponent* owner);
  ~TWin32Timer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  // Milliseconds; 0 runs no timer. A change restarts the count.
  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  // The timer runs only with a handler; assigning one always restarts the count.
  void SetOnTimer(TNotifyEvent value);
  // The hidden window that receives the system timer's ticks.
  HWND WindowHandle() const { return FWindowHandle; }

  // The name of the hidden windows' class.
  static constexpr const char16_t* WindowClassName = u"TZenAlerterWindow";

 protected:
  // Fires OnTimer.
  virtual void Timer();

 private:
  static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void UpdateTimer();

  uint32_t FInterval = 1000;
  TNotifyEvent FOnTimer;
  HWND FWindowHandle = nullptr;
  bool FEnabled = true;
};
