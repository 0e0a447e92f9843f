#include "platform/net/HostNameResolver.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// What the worker and the waiting caller share; it outlives whichever of them ends first.
struct TLookupState {
  std::mutex Lock;
  std::condition_variable Done;
  bool Finished = false;
  int Error = 0;
  uint32_t Address = NoIPv4Address;
};

struct TAbandoned {
  std::thread Thread;
  std::shared_ptr<TLookupState> State;
};

// The threads of lookups that overstayed. Process-wide, as the name service is: the list is joined
// when the process ends.
class TAbandonedList {
 public:
  ~TAbandonedList() { JoinAll(); }

  void Add(std::thread thread, std::shared_ptr<TLookupState> state) {
    std::lock_guard<std::mutex> guard(FLock);
    FItems.push_back({std::move(thread), std::move(state)});
  }

  // Joins the finished ones and returns how many are still running.
  size_t Reap() {
    std::vector<TAbandoned> finished;
    size_t running = 0;
    {
      std::lock_guard<std::mutex> guard(FLock);
      std::vector<TAbandoned> keep;
      for (auto& item : FItems) {
        bool done;
        {
          std::lock_guard<std::mutex> stateGuard(item.State->Lock);
          done = item.State->Finished;
        }
        (done ? finished : keep).push_back(std::move(item));
      }
      FItems = std::move(keep);
      running = FItems.size();
    }
    for (auto& item : finished) item.Thread.join();
    return running;
  }

  void JoinAll() {
    std::vector<TAbandoned> all;
    {
      std::lock_guard<std::mutex> guard(FLock);
      all.swap(FItems);
    }
    for (auto& item : all) item.Thread.join();
  }

 private:
  std::mutex FLock;
  std::vector<TAbandoned> FItems;
};

TAbandonedList& Abandoned() {
  static TAbandonedList list;
  return list;
}

}  // namespace

THostNameResolver::TResult THostNameResolver::Resolve(const AnsiString& host, int64_t timeoutMs,
                                                      const TLookup& lookup) {
  Abandoned().Reap();
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
    Abandoned().Add(std::move(worker), std::move(state));
  }
  return result;
}

size_t THostNameResolver::AbandonedCount() { return Abandoned().Reap(); }

void THostNameResolver::JoinAbandoned() { Abandoned().JoinAll(); }
