// Fixtures for tests of the local transport: a temporary folder and a Unix socket file bound in
// it, listening or not.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace localsock {

// A temporary folder, removed with what is in it.
struct TempDir {
  TempDir() {
    char pattern[] = "/tmp/localsock.XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
  std::string path;
};

// A socket file bound at path; listening with the backlog unless told not to.
struct Listener {
  Listener(const std::string& path, int backlog, bool listening = true) {
    fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0) << std::strerror(errno);
    if (listening) {
      EXPECT_EQ(::listen(fd, backlog), 0);
    }
  }
  ~Listener() { ::close(fd); }
  int Accept() { return ::accept(fd, nullptr, nullptr); }
  int fd;
};

}  // namespace localsock
