// The plain-socket HTTP side of the tunnel tests: reading one request, answering it, and a
// loopback listener that serves every connection on a thread of its own. Plain POSIX sockets on
// purpose: the servers must not share code with the client they test.
//
// Every wait is bounded (by the limit given, and at once by Stop), so a test never hangs on a
// server; the destructor stops it and joins every thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httptest {

struct Request {
  std::string Method, Target, Version;
  std::vector<std::pair<std::string, std::string>> Headers;
  std::string Body;
  // The header's bytes as they came, request line included.
  std::string Raw;

  // The value of the first header of the name (compared ignoring case), or "".
  std::string Header(const std::string& name) const;
  // The query's parameters ("a=r&port=5" gives a -> r, port -> 5).
  std::map<std::string, std::string> Query() const;
};

// Why ReadRequest gave up.
enum class ReadEnd { Complete, Closed, TimedOut, Stopped, Malformed };

// Reads one request: a header of at most 64 kB, then a body of Content-Length bytes (at most
// 8 MB).
ReadEnd ReadRequest(int socket, Request& out, const std::function<bool()>& stopping,
                    std::chrono::milliseconds limit);
// Sends every byte; false when the peer has gone.
bool SendAll(int socket, const std::string& bytes);
// An HTTP/1.0 response with a Content-Length for the body.
std::string Response(int status, const std::string& reason, const std::string& body,
                     const std::string& extraHeaders = "");
// Waits (in short slices, ending early on a stop) until the socket can be read: 1 ready, 0 not
// in time or stopped, -1 error.
int WaitReadable(int socket, std::chrono::milliseconds limit,
                 const std::function<bool()>& stopping);
// A blocking TCP connection to host:port, or -1.
int ConnectTo(const std::string& host, uint16_t port);

// Listens on 127.0.0.1 on an ephemeral port and runs serve(socket) for each connection on a new
// thread; the socket is closed when serve returns. Declare it as the last member of its owner, so
// that serve never sees a half-made owner.
class Listener {
 public:
  explicit Listener(std::function<void(int socket)> serve);
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  uint16_t Port() const { return FPort; }
  bool Stopping() const { return FStopping; }
  // Ends every wait of the handlers, closes the listener and joins every thread.
  void Stop();
  // Connections accepted and connections whose handler is still running.
  int Accepted() const { return FAccepted; }
  int Active() const { return FActive; }

 private:
  void Run();
  struct Worker {
    std::thread Thread;
    std::atomic<bool> Done{false};
  };

  std::function<void(int)> FServe;
  int FSocket = -1;
  uint16_t FPort = 0;
  std::atomic<bool> FStopping{false};
  std::atomic<int> FAccepted{0};
  std::atomic<int> FActive{0};
  std::mutex FLock;
  std::list<Worker> FWorkers;
  std::thread FThread;
};

}  // namespace httptest
