// The system tick count and sleeping.
#pragma once

#include <cstdint>

// Milliseconds of a monotonic clock since an unspecified start; the 32-bit form wraps after
// about 49.7 days, so compare ticks by subtraction.
uint32_t GetTickCount();
uint64_t GetTickCount64();
// Suspends the calling thread for the milliseconds.
void Sleep(uint32_t milliseconds);
