// One change notification of a registry key: a thread that watches the store's folder and sets
// an event once the watched part of the tree differs from what it was when the watch began.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtl/SyncObjs.h"
#include "platform/rtl/Types.h"
#include "platform/ui/Registry_Store.h"

class TRegistryWatch {
 public:
  // path is the key's full path, the root first; filter holds REG_NOTIFY_CHANGE_* bits.
  TRegistryWatch(const std::string& folder, std::vector<String> path, bool subtree, uint32_t filter,
                 TEvent* event);
  ~TRegistryWatch();
  TRegistryWatch(const TRegistryWatch&) = delete;
  TRegistryWatch& operator=(const TRegistryWatch&) = delete;

  // Takes the state to compare with and starts watching: ERROR_SUCCESS, ERROR_KEY_DELETED when
  // the key is gone, ERROR_REGISTRY_IO_FAILED when the folder cannot be watched.
  int32_t Start();
  // Stops watching; with signal, a watch that has not fired sets its event (as closing a watched
  // key does).
  void Cancel(bool signal);
  bool Fired() const { return FFired.load(); }

 private:
  void Run();
  // The watched part of the tree as bytes to compare; a fixed text when the key is gone or the
  // store cannot be read.
  std::string Describe() const;
  void Fire();

  TRegistryStore FStore;
  std::vector<String> FPath;
  bool FSubtree;
  uint32_t FFilter;
  TEvent* FEvent;
  std::string FInitial;
  int FNotify = -1;
  int FWake = -1;
  std::thread FThread;
  std::mutex FLock;
  std::atomic<bool> FFired{false};
  bool FCancelled = false;
};
