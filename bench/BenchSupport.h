// What several benchmarks share: a side run in a forked child (fresh memory, its own peak resident
// size), the median of rounds, and describing a record store's columns by hand.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "Common/MemData.h"

namespace bench {

// Runs work() in a forked child and returns what it returned; the result travels through a pipe,
// so it must be trivially copyable. The child exits without freeing its memory.
template <typename Result, typename Work>
Result InChild(Work work) {
  static_assert(std::is_trivially_copyable_v<Result>, "the result is copied through a pipe");
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const Result result = work();
    if (write(fds[1], &result, sizeof result) != static_cast<ssize_t>(sizeof result)) _exit(2);
    _exit(0);
  }
  close(fds[1]);
  Result result{};
  const ssize_t got = read(fds[0], &result, sizeof result);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (got != static_cast<ssize_t>(sizeof result))
    throw std::runtime_error("the child reported nothing");
  return result;
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Adds a column to a store being described (in DetectCommandType).
inline void AddField(TData& store, const char16_t* name, TDataTypeCode type, uint16_t length,
                     int32_t size) {
  TFieldDesc* field = TFieldDesc::Create();
  field->SetName(name);
  field->SetDataType(type);
  field->SetLength(length);
  field->SetSize(size);
  store.Fields().Add(field);
}

}  // namespace bench
