#include "platform/rtl/AbandonedThreads.h"

TAbandonedThreads& TAbandonedThreads::Instance() {
  static TAbandonedThreads list;
  return list;
}

void TAbandonedThreads::Add(std::thread thread, std::function<bool()> finished) {
  Reap();
  std::lock_guard<std::mutex> guard(FLock);
  FItems.push_back({std::move(thread), std::move(finished)});
}

size_t TAbandonedThreads::Reap() {
  std::vector<TItem> finished;
  size_t running;
  {
    std::lock_guard<std::mutex> guard(FLock);
    std::vector<TItem> keep;
    for (auto& item : FItems) (item.Finished() ? finished : keep).push_back(std::move(item));
    FItems = std::move(keep);
    running = FItems.size();
  }
  for (auto& item : finished) item.Thread.join();
  return running;
}

void TAbandonedThreads::JoinAll() {
  std::vector<TItem> all;
  {
    std::lock_guard<std::mutex> guard(FLock);
    all.swap(FItems);
  }
  for (auto& item : all) item.Thread.join();
}
