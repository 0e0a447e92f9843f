// The connect request's worker thread, and the threads it had to leave running.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "Common/LxVioHttp.h"
#include "platform/rtl/AbandonedThreads.h"

struct THttpConnectThread::TState {
  std::mutex Lock;
  std::condition_variable Done;
  bool Finished = false;
};

THttpConnectThread::THttpConnectThread(std::function<void()> abortHandler,
                                       std::function<void()> runHandler)
    : FAbort(std::move(abortHandler)), FState(std::make_shared<TState>()) {
  TAbandonedThreads::Instance().Reap();
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
  TAbandonedThreads::Instance().Add(std::move(FThread), [state = FState] {
    std::lock_guard<std::mutex> guard(state->Lock);
    return state->Finished;
  });
}

size_t THttpConnectThread::AbandonedCount() { return TAbandonedThreads::Instance().Reap(); }

void THttpConnectThread::JoinAbandoned() { TAbandonedThreads::Instance().JoinAll(); }
