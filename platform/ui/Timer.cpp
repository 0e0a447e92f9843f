#include "platform/ui/Timer.h"

#include "platform/ui/Application.h"
#include "platform/ui/UtilityWindow.h"
#include "platform/win/WinApi.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  FWindowHandle = AllocateHWnd([this](TMessage& message) { WndProc(message); });
}

TTimer::~TTimer() {
  FEnabled = false;
  if (WindowSessionRunning()) {
    UpdateTimer();
    DeallocateHWnd(FWindowHandle);
  }
}

void TTimer::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t value) {
  if (FInterval == value) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent value) {
  FOnTimer = std::move(value);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  KillTimer(FWindowHandle, 1);
  if (FInterval != 0 && FEnabled && FOnTimer && !ComponentState().Contains(csDestroying))
    if (SetTimer(FWindowHandle, 1, FInterval, nullptr) == 0)
      throw EOutOfResources(u"Not enough timers available");
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

void TTimer::WndProc(TMessage& message) {
  if (message.Msg != WM_TIMER) {
    message.Result = DefWindowProc(FWindowHandle, message.Msg, message.WParam, message.LParam);
    return;
  }
  try {
    Timer();
  } catch (...) {
    if (!Application) throw;
    Application->HandleException(this);
  }
}
