// The connect request's worker thread, and the threads it had to leave running.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "Common/LxVioHttp.h"

struct THttpConnectThread::TState {
  std::mutex Lock;
  std::condition_variable Done;
  bool Finished = false;
};

namespace {

struct TAbandonedThread {
  std::thread Thread;
  std::function<bool()> Finished;
};

// Process-wide, as the threads are: what is left is joined when the process ends.
class TAbandonedThreads {
 public:
  ~TAbandonedThreads() { JoinAll(); }

  void Add(TAbandonedThread item) {
    std::lock_guard<std::mutex> guard(FLock);
    FItems.push_back(std::move(item));
  }
  // Joins the finished ones; how many still run.
  size_t Reap() {
    std::vector<TAbandonedThread> finished;
    size_t running;
    {
      std::lock_guard<std::mutex> guard(FLock);
      std::vector<TAbandonedThread> keep;
      for (auto& item : FItems) (item.Finished() ? finished : keep).push_back(std::move(item));
      FItems = std::move(keep);
      running = FItems.size();
    }
    for (auto& item : finished) item.Thread.join();
    return running;
  }
  void JoinAll() {
    std::vector<TAbandonedThread> all;
    {
      std::lock_guard<std::mutex> guard(FLock);
      all.swap(FItems);
    }
    for (auto& item : all) item.Thread.join();
  }

 private:
  std::mutex FLock;
  std::vector<TAbandonedThread> FItems;
};

TAbandonedThreads& Abandoned() {
  static TAbandonedThreads list;
  return list;
}

}  // namespace

THttpConnectThread::THttpConnectThread(std::function<void()> abortHandler,
                                       std::function<void()> runHandler)
    : FAbort(std::move(abortHandler)), FState(std::make_shared<TState>()) {
  Abandoned().Reap();
  FThread = std::thread([state = FState, run = std::move(runHandler)] {
    try {
      run();
    } catch (...) {
      // The connect request's failure shows in the test requests that follow.
    }
    std::lock_guard<std::mutex> guard(state->Lock);
    state->Finished = true;
    state->Done.notify_all();
  });
}

THttpConnectThread::~THttpConnectThread() {
  try {
    if (FAbort) FAbort();
  } catch (...) {
  }
  bool finished;
  {
    std::unique_lock<std::mutex> guard(FState->Lock);
    finished = FState->Done.wait_for(guard, std::chrono::milliseconds(AbandonAfterMs),
                                     [this] { return FState->Finished; });
  }
  if (finished) {
    FThread.join();
    return;
  }
  Abandoned().Add({std::move(FThread), [state = FState] {
                     std::lock_guard<std::mutex> guard(state->Lock);
                     return state->Finished;
                   }});
}

size_t THttpConnectThread::AbandonedCount() { return Abandoned().Reap(); }

void THttpConnectThread::JoinAbandoned() { Abandoned().JoinAll(); }
