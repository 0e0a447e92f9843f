#include "tests/support/HttpTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace httptest {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSlice = std::chrono::milliseconds(20);
constexpr size_t kMaxHeader = 65536;
constexpr size_t kMaxBody = 8u << 20;

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

}  // namespace

std::string Request::Header(const std::string& name) const {
  for (const auto& [key, value] : Headers)
    if (SameText(key, name)) return value;
  return "";
}

std::map<std::string, std::string> Request::Query() const {
  std::map<std::string, std::string> out;
  size_t q = Target.find('?');
  if (q == std::string::npos) return out;
  std::string rest = Target.substr(q + 1);
  size_t at = 0;
  while (at <= rest.size()) {
    size_t amp = rest.find('&', at);
    std::string pair = rest.substr(at, amp == std::string::npos ? std::string::npos : amp - at);
    size_t eq = pair.find('=');
    if (!pair.empty()) out[pair.substr(0, eq)] = eq == std::string::npos ? "" : pair.substr(eq + 1);
    if (amp == std::string::npos) break;
    at = amp + 1;
  }
  return out;
}

int WaitReadable(int socket, std::chrono::milliseconds limit,
                 const std::function<bool()>& stopping) {
  const auto deadline = Clock::now() + limit;
  while (!stopping()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return 0;
    pollfd fd{socket, POLLIN, 0};
    int n = ::poll(&fd, 1, static_cast<int>(std::min(left, kSlice).count()));
    if (n > 0) return 1;
    if (n < 0 && errno != EINTR) return -1;
  }
  return 0;
}

ReadEnd ReadRequest(int socket, Request& out, const std::function<bool()>& stopping,
                    std::chrono::milliseconds limit) {
  out = Request();
  std::string data;
  size_t end;
  char buffer[16384];
  auto receive = [&]() -> ReadEnd {
    int ready = WaitReadable(socket, limit, stopping);
    if (ready == 0) return stopping() ? ReadEnd::Stopped : ReadEnd::TimedOut;
    if (ready < 0) return ReadEnd::Closed;
    ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
    if (n <= 0) return ReadEnd::Closed;
    data.append(buffer, static_cast<size_t>(n));
    return ReadEnd::Complete;
  };
  while ((end = data.find("\r\n\r\n")) == std::string::npos) {
    if (data.size() > kMaxHeader) return ReadEnd::Malformed;
    if (ReadEnd r = receive(); r != ReadEnd::Complete) return r;
  }
  out.Raw = data.substr(0, end + 4);
  std::string rest = data.substr(end + 4);
  size_t lineEnd = out.Raw.find("\r\n");
  std::string first = out.Raw.substr(0, lineEnd);
  size_t s1 = first.find(' '), s2 = first.rfind(' ');
  if (s1 == std::string::npos || s2 == s1) return ReadEnd::Malformed;
  out.Method = first.substr(0, s1);
  out.Target = first.substr(s1 + 1, s2 - s1 - 1);
  out.Version = first.substr(s2 + 1);
  for (size_t at = lineEnd + 2; at < end;) {
    size_t next = out.Raw.find("\r\n", at);
    std::string line = out.Raw.substr(at, next - at);
    size_t colon = line.find(':');
    if (colon != std::string::npos)
      out.Headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
    at = next + 2;
  }
  std::string lengthText = out.Header("Content-Length");
  size_t length = lengthText.empty() ? 0 : std::strtoul(lengthText.c_str(), nullptr, 10);
  if (length > kMaxBody) return ReadEnd::Malformed;
  data = std::move(rest);
  while (data.size() < length)
    if (ReadEnd r = receive(); r != ReadEnd::Complete) return r;
  out.Body = data.substr(0, length);
  return ReadEnd::Complete;
}

bool SendAll(int socket, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::send(socket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string Response(int status, const std::string& reason, const std::string& body,
                     const std::string& extraHeaders) {
  return "HTTP/1.0 " + std::to_string(status) + " " + reason + "\r\n" + extraHeaders +
         "Content-Type: application/octet-stream\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

int ConnectTo(const std::string& host, uint16_t port) {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return -1;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  if (::inet_pton(AF_INET, host == "localhost" ? "127.0.0.1" : host.c_str(), &to.sin_addr) != 1 ||
      ::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    ::close(s);
    return -1;
  }
  int one = 1;
  ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return s;
}

Listener::Listener(std::function<void(int socket)> serve) : FServe(std::move(serve)) {
  FSocket = ::socket(AF_INET, SOCK_STREAM, 0);
  int one = 1;
  ::setsockopt(FSocket, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(FSocket, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(FSocket, 64);
  ::getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &length);
  FPort = ntohs(address.sin_port);
  FThread = std::thread([this] { Run(); });
}

Listener::~Listener() { Stop(); }

void Listener::Run() {
  while (!FStopping) {
    pollfd fd{FSocket, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(kSlice.count())) <= 0) continue;
    int client = ::accept(FSocket, nullptr, nullptr);
    if (client < 0) continue;
    int one = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ++FAccepted;
    ++FActive;
    std::lock_guard<std::mutex> guard(FLock);
    // Handlers that have finished are joined as new ones start, so a long test keeps few.
    for (auto it = FWorkers.begin(); it != FWorkers.end();) {
      if (it->Done) {
        it->Thread.join();
        it = FWorkers.erase(it);
      } else {
        ++it;
      }
    }
    Worker& worker = FWorkers.emplace_back();
    worker.Thread = std::thread([this, client, &worker] {
      FServe(client);
      ::close(client);
      --FActive;
      worker.Done = true;
    });
  }
}

void Listener::Stop() {
  if (FStopping.exchange(true) && !FThread.joinable()) return;
  if (FThread.joinable()) FThread.join();
  std::list<Worker> workers;
  {
    std::lock_guard<std::mutex> guard(FLock);
    workers.swap(FWorkers);
  }
  for (Worker& w : workers) w.Thread.join();
  if (FSocket >= 0) ::close(FSocket);
  FSocket = -1;
}

}  // namespace httptest
