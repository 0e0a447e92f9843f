// Plain POSIX sockets on purpose: the fake server must not share code with the transports it tests.
#include "tests/support/FakeServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace fake {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSlice = std::chrono::milliseconds(20);

// Waits for the events in short slices so that a stop is seen at once. 1 ready, 0 not in time or
// stopped, -1 error.
int PollUntil(int socket, short events, Clock::time_point deadline,
              const std::function<bool()>& stopping) {
  while (!stopping()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return 0;
    pollfd fd{socket, events, 0};
    int n = poll(&fd, 1, static_cast<int>(std::min(left, kSlice).count()));
    if (n > 0) return 1;
    if (n < 0 && errno != EINTR) return -1;
  }
  return 0;
}

}  // namespace

// --- Connection --------------------------------------------------------------------------------

bool Connection::Send(const Bytes& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    if (FSocket < 0) return false;
    ssize_t n = ::send(FSocket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool Connection::ReadExact(size_t count, Bytes& out) {
  out.assign(count, 0);
  size_t done = 0;
  const auto deadline = Clock::now() + FServer.FReadLimit;
  while (done < count) {
    if (FSocket < 0) return false;
    if (PollUntil(FSocket, POLLIN, deadline, [this] { return FServer.Stopping(); }) != 1)
      return false;
    ssize_t n = ::recv(FSocket, out.data() + done, count - done, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      out.resize(done);
      return false;
    }
    FServer.Record(out.data() + done, static_cast<size_t>(n));
    done += static_cast<size_t>(n);
  }
  return true;
}

bool Connection::ReadPacket(ClientPacket& packet) {
  Bytes header;
  if (!ReadExact(4, header)) return false;
  size_t length = header[0] | (header[1] << 8) | (header[2] << 16);
  packet.Sequence = header[3];
  if (!ReadExact(length, packet.Payload)) return false;
  std::lock_guard<std::mutex> guard(FServer.FLock);
  FServer.FPackets.push_back(packet);
  return true;
}

bool Connection::ReadUntilClose() {
  const auto deadline = Clock::now() + FServer.FReadLimit;
  uint8_t chunk[65536];
  for (;;) {
    if (FSocket < 0) return false;
    if (PollUntil(FSocket, POLLIN, deadline, [this] { return FServer.Stopping(); }) != 1)
      return false;
    ssize_t n = ::recv(FSocket, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) return true;
    if (n < 0) return errno == ECONNRESET;
    FServer.Record(chunk, static_cast<size_t>(n));
  }
}

void Connection::Sleep(std::chrono::milliseconds time) {
  std::unique_lock<std::mutex> guard(FServer.FLock);
  FServer.FWakeUp.wait_for(guard, time, [this] { return FServer.FStopping; });
}

void Connection::Close() {
  if (FSocket < 0) return;
  {
    std::lock_guard<std::mutex> guard(FServer.FLock);
    FServer.FActiveSocket = -1;
  }
  ::shutdown(FSocket, SHUT_RDWR);
  ::close(FSocket);
  FSocket = -1;
}

// --- steps -------------------------------------------------------------------------------------

Step SendBytes(Bytes bytes) {
  return {"SendBytes", [bytes = std::move(bytes)](Connection& c) { return c.Send(bytes); }};
}

Step SendPacket(uint8_t sequence, Bytes payload) {
  return {"SendPacket", [data = Packet(sequence, payload)](Connection& c) { return c.Send(data); }};
}

Step ReadPacket() {
  return {"ReadPacket", [](Connection& c) {
            ClientPacket packet;
            return c.ReadPacket(packet);
          }};
}

Step ReadBytes(size_t count) {
  return {"ReadBytes", [count](Connection& c) {
            Bytes out;
            return c.ReadExact(count, out);
          }};
}

Step ReadUntilClose() {
  return {"ReadUntilClose", [](Connection& c) { return c.ReadUntilClose(); }};
}

Step Stall(std::chrono::milliseconds time) {
  return {"Stall", [time](Connection& c) {
            c.Sleep(time);
            return true;
          }};
}

Step Close() {
  return {"Close", [](Connection& c) {
            c.Close();
            return true;
          }};
}

Step Custom(std::string name, std::function<bool(Connection&)> run) {
  return {std::move(name), std::move(run)};
}

// --- byte helpers ------------------------------------------------------------------------------

Bytes Header(uint32_t length, uint8_t sequence) {
  return {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
          static_cast<uint8_t>(length >> 16), sequence};
}

Bytes Packet(uint8_t sequence, const Bytes& payload) {
  if (payload.size() > 0xFFFFFF) throw std::invalid_argument("fake::Packet: payload too long");
  return Cat({Header(static_cast<uint32_t>(payload.size()), sequence), payload});
}

Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// --- FakeServer --------------------------------------------------------------------------------

FakeServer::FakeServer(Script script) : FakeServer(std::vector<Script>{std::move(script)}) {}

FakeServer::FakeServer(std::vector<Script> scripts) {
  FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (FListener < 0) throw std::runtime_error("fake server: socket failed");
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (::bind(FListener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(FListener, 4) != 0 ||
      ::getsockname(FListener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::close(FListener);
    throw std::runtime_error("fake server: cannot listen on the loopback address");
  }
  FPort = ntohs(addr.sin_port);
  FThread = std::thread([this, scripts = std::move(scripts)]() mutable { Run(std::move(scripts)); });
}

FakeServer::~FakeServer() {
  Stop();
  ::close(FListener);
}

void FakeServer::Wait() {
  if (FThread.joinable()) FThread.join();
}

void FakeServer::Stop() {
  {
    std::lock_guard<std::mutex> guard(FLock);
    FStopping = true;
    // Wakes a read that waits on the connection.
    if (FActiveSocket >= 0) ::shutdown(FActiveSocket, SHUT_RDWR);
  }
  FWakeUp.notify_all();
  Wait();
}

bool FakeServer::Stopping() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FStopping;
}

void FakeServer::Record(const uint8_t* data, size_t count) {
  std::lock_guard<std::mutex> guard(FLock);
  FReceived.insert(FReceived.end(), data, data + count);
}

void FakeServer::Run(std::vector<Script> scripts) {
  for (auto& script : scripts) {
    const auto deadline = Clock::now() + FReadLimit;
    if (PollUntil(FListener, POLLIN, deadline, [this] { return Stopping(); }) != 1) {
      std::lock_guard<std::mutex> guard(FLock);
      if (FFailure.empty()) FFailure = "no client connected";
      return;
    }
    int socket = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) {
      std::lock_guard<std::mutex> guard(FLock);
      FFailure = "accept failed";
      return;
    }
    int one = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    {
      std::lock_guard<std::mutex> guard(FLock);
      ++FAccepted;
      FActiveSocket = socket;
      if (FStopping) ::shutdown(socket, SHUT_RDWR);
    }
    Connection connection(*this, socket);
    for (auto& step : script) {
      bool ok = step.Run(connection);
      std::lock_guard<std::mutex> guard(FLock);
      if (!ok) {
        if (FFailure.empty()) FFailure = step.Name + " failed";
        break;
      }
      FStepsDone.push_back(step.Name);
    }
    connection.Close();
  }
}

Bytes FakeServer::Received() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FReceived;
}

std::vector<ClientPacket> FakeServer::Packets() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FPackets;
}

std::vector<std::string> FakeServer::StepsDone() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FStepsDone;
}

std::string FakeServer::Failure() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FFailure;
}

int FakeServer::Accepted() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FAccepted;
}

}  // namespace fake
