#include "platform/rtl/TickCount.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

uint64_t SystemNow() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SystemSleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Read by any thread; replaced only while no other thread times itself (a test's set-up).
std::atomic<uint64_t (*)()> gNow{&SystemNow};
std::atomic<void (*)(uint32_t)> gSleep{&SystemSleep};

}  // namespace

uint64_t GetTickCount64() { return gNow.load()(); }

uint32_t GetTickCount() { return static_cast<uint32_t>(GetTickCount64()); }

void Sleep(uint32_t milliseconds) { gSleep.load()(milliseconds); }

void SetTickSource(uint64_t (*now)(), void (*sleep)(uint32_t milliseconds)) {
  gNow.store(now ? now : &SystemNow);
  gSleep.store(sleep ? sleep : &SystemSleep);
}
