#include "platform/net/LocalSockets.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A full queue frees up as the server accepts; this is how often it is asked again.
constexpr auto kBusyRetry = std::chrono::milliseconds(10);

int SetNonBlocking(TSocketHandle socket, bool on) {
  int flags = fcntl(socket, F_GETFL, 0);
  if (flags < 0) return errno;
  flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  return fcntl(socket, F_SETFL, flags) == 0 ? 0 : errno;
}

}  // namespace

TSocketHandle SocketOpenLocal(int& error) {
  TSocketHandle s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  error = s < 0 ? errno : 0;
  return s < 0 ? InvalidSocket : s;
}

int SocketConnectLocal(TSocketHandle socket, const AnsiString& path, int64_t timeoutMs) {
  sockaddr_un to{};
  to.sun_family = AF_UNIX;
  if (path.empty()) return ENOENT;
  if (path.size() >= sizeof to.sun_path) return ENAMETOOLONG;
  std::memcpy(to.sun_path, path.data(), path.size());
  const auto* target = reinterpret_cast<const sockaddr*>(&to);

  if (timeoutMs <= 0) {
    for (;;) {
      if (::connect(socket, target, sizeof to) == 0) return 0;
      if (errno != EINTR) return errno;
    }
  }
  if (int rc = SetNonBlocking(socket, true); rc != 0) return rc;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int result = 0;
  for (;;) {
    if (::connect(socket, target, sizeof to) == 0) {
      result = 0;
      break;
    }
    result = errno;
    if (result == EINTR) continue;
    // The queue is full: the connection is not under way, so it is asked for again.
    if (result != EAGAIN) break;
    if (Clock::now() >= deadline) {
      result = ETIMEDOUT;
      break;
    }
    std::this_thread::sleep_for(kBusyRetry);
  }
  int restored = SetNonBlocking(socket, false);
  return result != 0 ? result : restored;
}
