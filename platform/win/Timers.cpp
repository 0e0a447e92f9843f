// Timers on the session's clock. A timer owes one WM_TIMER when its time has come; the message is
// made when the loop finds nothing else to do (as the system does, ticks never pile up), and the
// next tick is due one interval after the message was taken.
#include <algorithm>
#include <cstdint>

#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

// The system's limit of timers in one process.
constexpr size_t MaxTimers = 10000;

auto FindTimer(std::vector<TTimerEntry>& timers, HWND window, UINT_PTR id) {
  return std::find_if(timers.begin(), timers.end(),
                      [&](const TTimerEntry& t) { return t.Window == window && t.Id == id; });
}

}  // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  TWindowSystem& system = WindowSystem();
  if (window && !system.Find(window)) return 0;
  elapse = std::max(elapse, USER_TIMER_MINIMUM);
  auto& timers = system.Timers;
  auto it = (window || id) ? FindTimer(timers, window, id) : timers.end();
  if (it == timers.end()) {
    if (timers.size() >= MaxTimers) return 0;
    if (!window) {
      while (FindTimer(timers, nullptr, system.NextThreadTimerId) != timers.end())
        ++system.NextThreadTimerId;
      id = system.NextThreadTimerId++;
    }
    timers.push_back({window, id, elapse, proc, 0});
    it = timers.end() - 1;
  }
  it->Interval = elapse;
  it->Proc = proc;
  it->Due = system.Now() + elapse;
  return id ? id : 1;
}

bool KillTimer(HWND window, UINT_PTR id) {
  auto& timers = WindowSystem().Timers;
  auto it = FindTimer(timers, window, id);
  if (it == timers.end()) return false;
  timers.erase(it);
  return true;
}

void KillWindowTimers(HWND window) {
  auto& timers = WindowSystem().Timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(),
                              [&](const TTimerEntry& t) { return t.Window == window; }),
               timers.end());
}

uint64_t NextTimerDue() {
  uint64_t due = UINT64_MAX;
  for (const TTimerEntry& t : WindowSystem().Timers) due = std::min(due, t.Due);
  return due;
}

bool TakeTimerMessage(MSG& msg, HWND filter, bool remove) {
  TWindowSystem& system = WindowSystem();
  uint64_t now = system.Now();
  TTimerEntry* next = nullptr;
  for (TTimerEntry& t : system.Timers) {
    if (t.Due > now) continue;
    if (filter && t.Window != filter && !IsChild(filter, t.Window)) continue;
    if (!next || t.Due < next->Due) next = &t;
  }
  if (!next) return false;
  msg = MSG{};
  msg.hwnd = next->Window;
  msg.message = WM_TIMER;
  msg.wParam = next->Id;
  msg.lParam = reinterpret_cast<LPARAM>(next->Proc);
  msg.time = static_cast<DWORD>(now);
  msg.pt = system.CursorPos;
  if (remove) next->Due = now + next->Interval;
  return true;
}

uint64_t WindowClockNow() { return WindowSystem().Now(); }
