// An Xvfb server for the gui tests, on a display it picks itself so parallel runs never collide,
// and the search for the programs the tests run.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/rtl/TickCount.h"

namespace testsupport {

// The path of a program on PATH; empty when there is none.
inline std::string FindProgram(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::filesystem::path candidate = std::filesystem::path(dirs.substr(start, end - start)) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    start = end + 1;
  }
  return {};
}

// An Xvfb server; it ends with the object, and with the test process even one that aborts.
class TXvfb {
 public:
  bool Start(const std::string& program, std::string& error) {
    int fds[2];
    if (pipe(fds) != 0) return error = "pipe failed", false;
    std::string fd = std::to_string(fds[1]);
    std::vector<std::string> args{program, "-displayfd", fd, "-screen", "0", "800x600x24",
                                  "-nolisten", "tcp", "-noreset"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t parent = getpid();
    FPid = fork();
    if (FPid == 0) {
      // The server ends with the test process, even one that aborts.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(1);
      close(fds[0]);
      int null = open("/dev/null", O_RDWR);
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(fds[1]);
    if (FPid < 0) {
      close(fds[0]);
      FPid = 0;
      return error = "Xvfb did not start", false;
    }
    std::string number;
    uint64_t end = GetTickCount64() + 15000;
    while (number.find('\n') == std::string::npos && GetTickCount64() < end) {
      pollfd p{fds[0], POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char buffer[32];
      ssize_t got = read(fds[0], buffer, sizeof buffer);
      if (got <= 0) break;
      number.append(buffer, static_cast<size_t>(got));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) return error = "Xvfb named no display", false;
    FDisplay = ":" + number.substr(0, number.find('\n'));
    return true;
  }
  ~TXvfb() {
    if (FPid <= 0) return;
    kill(FPid, SIGTERM);
    int status = 0;
    waitpid(FPid, &status, 0);
  }
  const std::string& DisplayName() const { return FDisplay; }

 private:
  pid_t FPid = 0;
  std::string FDisplay;
};

}  // namespace testsupport
