// TTimer: a component that fires OnTimer every Interval milliseconds on the GUI thread, from the
// message loop (inside modal loops too). An error in the handler is shown by the application and
// the timer keeps running.
#pragma once

#include <cstdint>

#include "platform/rtl/Component.h"
#include "platform/win/Messages.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  // Changing the interval restarts the count.
  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  // Assigning a handler (re)starts the timer.
  void SetOnTimer(TNotifyEvent value);

 protected:
  // Fires OnTimer.
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& message);

  bool FEnabled = true;
  uint32_t FInterval = 1000;
  TNotifyEvent FOnTimer;
  HWND FWindowHandle = nullptr;
};
