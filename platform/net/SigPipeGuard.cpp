#include "platform/net/SigPipeGuard.h"

#include <pthread.h>

#include <ctime>

namespace {

sigset_t PipeSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGPIPE);
  return set;
}

bool PipePending() {
  sigset_t pending;
  sigemptyset(&pending);
  return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

TSigPipeGuard::TSigPipeGuard() {
  // One that was already pending belongs to someone else and is left where it is.
  FWasPending = PipePending();
  const sigset_t pipe = PipeSet();
  FBlocked = pthread_sigmask(SIG_BLOCK, &pipe, &FOldMask) == 0;
}

TSigPipeGuard::~TSigPipeGuard() {
  if (!FBlocked) return;
  if (!FWasPending && PipePending()) {
    const sigset_t pipe = PipeSet();
    timespec none{};
    sigtimedwait(&pipe, nullptr, &none);
  }
  pthread_sigmask(SIG_SETMASK, &FOldMask, nullptr);
}
