// Threads that overstayed their caller's time-out and are not killed: they are left to finish on
// their own and joined later (by a later Add or Reap, by JoinAll, or when the process ends), so
// nothing is left half-done and no thread is lost. Process-wide, as the threads are.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TAbandonedThreads {
 public:
  // The one list of the process.
  static TAbandonedThreads& Instance();
  ~TAbandonedThreads() { JoinAll(); }

  // finished tells, without blocking, whether the thread's work is done.
  void Add(std::thread thread, std::function<bool()> finished);
  // Joins the finished threads; how many still run.
  size_t Reap();
  // Joins every thread, waiting for the ones still running.
  void JoinAll();

 private:
  struct TItem {
    std::thread Thread;
    std::function<bool()> Finished;
  };
  std::mutex FLock;
  std::vector<TItem> FItems;
};
