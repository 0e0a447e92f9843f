// The system tick count and sleeping.
#pragma once

#include <cstdint>

// Milliseconds of a monotonic clock since an unspecified start; the 32-bit form wraps after
// about 49.7 days, so compare ticks by subtraction.
uint32_t GetTickCount();
uint64_t GetTickCount64();
// Suspends the calling thread for the milliseconds.
void Sleep(uint32_t milliseconds);

// Replaces the clock behind GetTickCount, GetTickCount64 and Sleep; null functions restore the
// system's. The headless window back end installs its virtual clock here, so code that times
// itself by ticks (keep-alive intervals, time-outs measured by the GUI thread) runs on the time a
// test advances.
void SetTickSource(uint64_t (*now)(), void (*sleep)(uint32_t milliseconds));
