// The process's open files and threads, to show that an operation left none behind.
#pragma once

#include <dirent.h>

#include <cstddef>

namespace testsupport {

inline size_t DirectoryEntries(const char* folder) {
  size_t n = 0;
  if (DIR* dir = opendir(folder)) {
    while (readdir(dir)) ++n;
    closedir(dir);
  }
  return n;
}

struct ProcessResources {
  size_t Files = DirectoryEntries("/proc/self/fd");
  size_t Threads = DirectoryEntries("/proc/self/task");
};

}  // namespace testsupport
