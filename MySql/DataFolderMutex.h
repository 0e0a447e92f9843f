// The guard that lets one process at a time run an embedded server on a data folder: an
// exclusive lock on a file inside the folder. The lock belongs to the open file, so it is given
// back when the holder ends in any way, and a second process waits for it up to the time-out.
#pragma once

#include <cstdint>

#include "platform/rtl/SyncObjs.h"

class TMutex : public TSynchroObject {
 public:
  // The lock file inside the guarded folder.
  static constexpr const char* LockFileName = "embedded-server.lock";

  // Opens (creating) the lock file of the folder; the operating-system error when it cannot.
  TMutex(const String& folder, uint32_t timeout);
  ~TMutex() override;
  TMutex(const TMutex&) = delete;
  TMutex& operator=(const TMutex&) = delete;

  // Takes the lock, waiting up to the time-out; the operating-system error when it stays taken.
  void Acquire() override;
  void Release() override;
  TWaitResult WaitFor(uint32_t timeout) override;

  const String& Name() const { return FName; }

 private:
  String FName;
  uint32_t FTimeout;
  int FHandle = -1;
};
