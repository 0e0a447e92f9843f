// Holds back SIGPIPE on the calling thread while the guard lives. A library that writes to a
// socket with plain write() (the TLS library does) would otherwise end the process when the peer
// has gone; with the guard the write fails with EPIPE like any other. A SIGPIPE raised meanwhile
// is taken off the thread's pending signals before the old mask comes back.
#pragma once

#include <signal.h>

class TSigPipeGuard {
 public:
  TSigPipeGuard();
  ~TSigPipeGuard();
  TSigPipeGuard(const TSigPipeGuard&) = delete;
  TSigPipeGuard& operator=(const TSigPipeGuard&) = delete;

 private:
  sigset_t FOldMask;
  bool FWasPending = false;
  bool FBlocked = false;
};
