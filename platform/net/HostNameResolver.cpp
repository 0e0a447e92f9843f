#include "platform/net/HostNameResolver.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/rtl/AbandonedThreads.h"

namespace {

// What the worker and the waiting caller share; it outlives whichever of them ends first.
struct TLookupState {
  std::mutex Lock;
  std::condition_variable Done;
  bool Finished = false;
  int Error = 0;
  uint32_t Address = NoIPv4Address;
};

}  // namespace

THostNameResolver::TResult THostNameResolver::Resolve(const AnsiString& host, int64_t timeoutMs,
                                                      const TLookup& lookup) {
  TAbandonedThreads::Instance().Reap();
  auto state = std::make_shared<TLookupState>();
  std::thread worker([state, host, lookup] {
    uint32_t address = NoIPv4Address;
    int error;
    try {
      error = lookup(host, address);
    } catch (...) {
      error = EINVAL;
    }
    std::lock_guard<std::mutex> guard(state->Lock);
    state->Error = error;
    state->Address = address;
    state->Finished = true;
    state->Done.notify_all();
  });

  TResult result;
  bool finished;
  {
    std::unique_lock<std::mutex> guard(state->Lock);
    finished = state->Done.wait_for(guard, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                                    [&] { return state->Finished; });
    if (finished) {
      result.Error = state->Error;
      result.Address = state->Error == 0 ? state->Address : NoIPv4Address;
    }
  }
  if (finished) {
    worker.join();
  } else {
    result.TimedOut = true;
    TAbandonedThreads::Instance().Add(std::move(worker), [state] {
      std::lock_guard<std::mutex> guard(state->Lock);
      return state->Finished;
    });
  }
  return result;
}

size_t THostNameResolver::AbandonedCount() { return TAbandonedThreads::Instance().Reap(); }

void THostNameResolver::JoinAbandoned() { TAbandonedThreads::Instance().JoinAll(); }
