#include "tests/support/MonitorListener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

namespace monitortest {

namespace {

// Reads exactly count bytes; false when the peer closed or the listener stops.
bool ReadExact(int socket, void* out, size_t count) {
  auto* p = static_cast<uint8_t*>(out);
  while (count > 0) {
    const ssize_t n = ::recv(socket, p, count, 0);
    if (n <= 0) return false;
    p += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadInt(int socket, int32_t& value) {
  uint8_t b[4];
  if (!ReadExact(socket, b, 4)) return false;
  value = static_cast<int32_t>((uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) |
                               (uint32_t{b[2]} << 8) | b[3]);
  return true;
}

bool ReadString(int socket, std::string& value) {
  int32_t length = 0;
  if (!ReadInt(socket, length) || length < 0) return false;
  value.assign(static_cast<size_t>(length), '\0');
  return length == 0 || ReadExact(socket, value.data(), value.size());
}

// The fields of a message type as 'i' (Int32), 's' (String), 'p' (parameter list) and
// 'c' (call stack).
const char* Layout(int32_t type) {
  switch (type) {
    case 1: return "iis";
    case 2: return "iiss";
    case 4: return "iisiiisisisisspc";
    case 5: return "iisiiispi";
    case 6: return "";
    default: return nullptr;
  }
}

}  // namespace

MonitorListener::MonitorListener(uint16_t port) {
  FListen = ::socket(AF_INET, SOCK_STREAM, 0);
  int yes = 1;
  ::setsockopt(FListen, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  ::bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(FListen, 4);
  socklen_t length = sizeof a;
  ::getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &length);
  FPort = ntohs(a.sin_port);
  FThread = std::thread([this] { Run(); });
}

MonitorListener::~MonitorListener() { Stop(); }

void MonitorListener::Stop() {
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (FStopping) return;
    FStopping = true;
    if (FCurrent >= 0) ::shutdown(FCurrent, SHUT_RDWR);
  }
  ::shutdown(FListen, SHUT_RDWR);
  if (FThread.joinable()) FThread.join();
  ::close(FListen);
}

void MonitorListener::Run() {
  for (;;) {
    pollfd p{FListen, POLLIN, 0};
    if (::poll(&p, 1, 50) < 0) return;
    {
      std::lock_guard<std::mutex> guard(FLock);
      if (FStopping) return;
    }
    if (!(p.revents & POLLIN)) continue;
    const int socket = ::accept(FListen, nullptr, nullptr);
    if (socket < 0) return;
    int connection;
    {
      std::lock_guard<std::mutex> guard(FLock);
      connection = ++FAccepted;
      FCurrent = socket;
    }
    FChanged.notify_all();
    ReadConnection(socket, connection);
    {
      std::lock_guard<std::mutex> guard(FLock);
      FCurrent = -1;
    }
    ::close(socket);
  }
}

bool MonitorListener::ReadConnection(int socket, int connection) {
  for (;;) {
    Frame frame;
    frame.Connection = connection;
    if (!ReadInt(socket, frame.Type)) return false;
    const char* layout = Layout(frame.Type);
    if (!layout) return false;
    for (const char* f = layout; *f; ++f) {
      int32_t value = 0;
      std::string text;
      switch (*f) {
        case 'i':
          if (!ReadInt(socket, value)) return false;
          frame.Ints.push_back(value);
          break;
        case 's':
          if (!ReadString(socket, text)) return false;
          frame.Strings.push_back(text);
          break;
        case 'p':
        case 'c': {
          if (!ReadInt(socket, value)) return false;
          frame.Ints.push_back(value);
          const int strings = *f == 'p' ? 4 * value : value;
          for (int i = 0; i < strings; ++i) {
            if (!ReadString(socket, text)) return false;
            frame.Strings.push_back(text);
          }
          break;
        }
      }
    }
    {
      std::lock_guard<std::mutex> guard(FLock);
      FFrames.push_back(std::move(frame));
    }
    FChanged.notify_all();
  }
}

bool MonitorListener::WaitFrames(size_t count, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(FLock);
  return FChanged.wait_for(lock, limit, [&] { return FFrames.size() >= count; });
}

bool MonitorListener::WaitUntil(const std::function<bool(const std::vector<Frame>&)>& test,
                                std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(FLock);
  return FChanged.wait_for(lock, limit, [&] { return test(FFrames); });
}

std::vector<Frame> MonitorListener::Frames() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FFrames;
}

int MonitorListener::Accepted() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FAccepted;
}

StalledListener::StalledListener() {
  FListen = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(FListen, 0);
  socklen_t length = sizeof a;
  ::getsockname(FListen, reinterpret_cast<sockaddr*>(&a), &length);
  FPort = ntohs(a.sin_port);
  // Connects until one stays unanswered: from then on the queue is full.
  for (int i = 0; i < 64 && !FStalled; ++i) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    ::fcntl(s, F_SETFL, ::fcntl(s, F_GETFL) | O_NONBLOCK);
    FFillers.push_back(s);
    ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    pollfd p{s, POLLOUT, 0};
    FStalled = ::poll(&p, 1, 300) == 0;
  }
}

int StalledListener::PendingConnects() const {
  std::FILE* table = std::fopen("/proc/net/tcp", "r");
  if (!table) return -1;
  int count = 0;
  char line[512];
  std::fgets(line, sizeof line, table);  // the heading
  while (std::fgets(line, sizeof line, table)) {
    unsigned remoteAddress = 0, remotePort = 0, state = 0;
    // "  sl: local_address rem_address st ..." with addresses as hex "AAAAAAAA:PPPP".
    if (std::sscanf(line, " %*d: %*x:%*x %x:%x %x", &remoteAddress, &remotePort, &state) != 3)
      continue;
    const unsigned synSent = 2;
    if (remotePort == FPort && state == synSent) ++count;
  }
  std::fclose(table);
  return count;
}

StalledListener::~StalledListener() {
  for (int s : FFillers) ::close(s);
  ::close(FListen);
}

}  // namespace monitortest
