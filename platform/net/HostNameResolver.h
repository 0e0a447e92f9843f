// Host-name resolution within a time limit, on a worker thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/net/Sockets.h"
#include "platform/rtl/Types.h"

// A lookup that overstays its time is abandoned, not killed: its thread is left to finish on its
// own and is joined later (by a later resolution, by JoinAbandoned or at process exit), so nothing
// of the name service is left half-done and no thread is lost.
class THostNameResolver {
 public:
  // A blocking lookup: 0 and the address (network byte order), or an error code.
  using TLookup = std::function<int(const AnsiString& host, uint32_t& address)>;

  struct TResult {
    int Error = 0;                       // the lookup's error code; 0 when resolved
    uint32_t Address = NoIPv4Address;    // valid when Error is 0 and TimedOut is false
    bool TimedOut = false;               // the lookup did not finish within the time
  };

  // Runs the lookup on a new thread and waits for it at most timeoutMs milliseconds.
  static TResult Resolve(const AnsiString& host, int64_t timeoutMs,
                         const TLookup& lookup = LookupHostIPv4);

  // Abandoned lookups whose threads have not been joined yet (finished ones are joined first).
  static size_t AbandonedCount();
  // Joins every abandoned thread, waiting for the ones still running.
  static void JoinAbandoned();
};
