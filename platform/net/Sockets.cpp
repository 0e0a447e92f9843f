#include "platform/net/Sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

int SetIntOption(TSocketHandle socket, int level, int option, int value) {
  return setsockopt(socket, level, option, &value, sizeof value) == 0 ? 0 : errno;
}

int SetTimeOption(TSocketHandle socket, int option, int64_t milliseconds) {
  timeval tv{};
  if (milliseconds > 0) {
    tv.tv_sec = static_cast<time_t>(milliseconds / 1000);
    tv.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
  }
  return setsockopt(socket, SOL_SOCKET, option, &tv, sizeof tv) == 0 ? 0 : errno;
}

// poll() for the events, restarting after a signal with the time that is left.
int PollFor(TSocketHandle socket, short events, int64_t timeoutMs, short& revents, int& error) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    int wait = -1;
    if (timeoutMs >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      wait = left.count() < 0 ? 0 : static_cast<int>(std::min<int64_t>(left.count(), INT32_MAX));
    }
    pollfd fd{socket, events, 0};
    int n = poll(&fd, 1, wait);
    if (n >= 0) {
      revents = fd.revents;
      return n;
    }
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

int SetBlocking(TSocketHandle socket, bool blocking) {
  int flags = fcntl(socket, F_GETFL, 0);
  if (flags < 0) return errno;
  flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
  return fcntl(socket, F_SETFL, flags) == 0 ? 0 : errno;
}

}  // namespace

uint32_t ParseIPv4Address(const AnsiString& host) {
  in_addr addr{};
  if (inet_pton(AF_INET, host.c_str(), &addr) != 1) return NoIPv4Address;
  return addr.s_addr;
}

int LookupHostIPv4(const AnsiString& host, uint32_t& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int rc = getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0) {
    if (rc == EAI_SYSTEM && errno != 0) return errno;
    // Name-service failures have no errno of their own: the host is simply out of reach.
    return EHOSTUNREACH;
  }
  int result = EHOSTUNREACH;
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    if (a->ai_family == AF_INET && a->ai_addr != nullptr) {
      address = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
      result = 0;
      break;
    }
  }
  freeaddrinfo(found);
  return result;
}

TSocketHandle SocketOpenTcp(int& error) {
  TSocketHandle s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  error = s < 0 ? errno : 0;
  return s < 0 ? InvalidSocket : s;
}

int SocketConnect(TSocketHandle socket, uint32_t address, uint16_t port, int64_t timeoutMs) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = address;
  to.sin_port = htons(port);
  const auto* target = reinterpret_cast<const sockaddr*>(&to);

  if (timeoutMs <= 0) {
    // A blocking connect interrupted by a signal goes on in the background; wait for it.
    if (::connect(socket, target, sizeof to) == 0) return 0;
    if (errno != EINTR) return errno;
    timeoutMs = -1;
  } else {
    if (int rc = SetBlocking(socket, false); rc != 0) return rc;
    int rc = ::connect(socket, target, sizeof to);
    int err = rc == 0 ? 0 : errno;
    if (rc == 0) return SetBlocking(socket, true);
    if (err != EINPROGRESS && err != EINTR) {
      SetBlocking(socket, true);
      return err;
    }
  }
  short revents = 0;
  int error = 0;
  int n = PollFor(socket, POLLOUT, timeoutMs, revents, error);
  if (n < 0) return error;
  if (n == 0) return ETIMEDOUT;
  int soError = 0;
  socklen_t len = sizeof soError;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &soError, &len) != 0) return errno;
  if (soError != 0) return soError;
  return SetBlocking(socket, true);
}

int SocketSetNoDelay(TSocketHandle socket, bool on) {
  return SetIntOption(socket, IPPROTO_TCP, TCP_NODELAY, on ? 1 : 0);
}

int SocketSetKeepAlive(TSocketHandle socket, bool on) {
  return SetIntOption(socket, SOL_SOCKET, SO_KEEPALIVE, on ? 1 : 0);
}

int SocketSetReceiveTimeout(TSocketHandle socket, int64_t milliseconds) {
  return SetTimeOption(socket, SO_RCVTIMEO, milliseconds);
}

int SocketSetSendTimeout(TSocketHandle socket, int64_t milliseconds) {
  return SetTimeOption(socket, SO_SNDTIMEO, milliseconds);
}

ptrdiff_t SocketReceive(TSocketHandle socket, void* buffer, size_t count, int& error) {
  for (;;) {
    ssize_t n = ::recv(socket, buffer, count, 0);
    if (n >= 0) return n;
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

ptrdiff_t SocketSend(TSocketHandle socket, const void* buffer, size_t count, int& error) {
  for (;;) {
    ssize_t n = ::send(socket, buffer, count, MSG_NOSIGNAL);
    if (n >= 0) return n;
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

int SocketWaitReadable(TSocketHandle socket, int64_t timeoutMs, int& error) {
  short revents = 0;
  int n = PollFor(socket, POLLIN, timeoutMs, revents, error);
  if (n <= 0) return n;
  if (revents & POLLNVAL) {
    error = EBADF;
    return -1;
  }
  // Readable covers the peer's close and a pending error: the next receive reports them.
  return 1;
}

void SocketShutdown(TSocketHandle socket) { ::shutdown(socket, SHUT_RDWR); }

void SocketClose(TSocketHandle socket) { ::close(socket); }
