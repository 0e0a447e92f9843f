// A loopback listener that plays the external monitor program: it accepts connections one after
// another on 127.0.0.1 and parses the frames it receives.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace monitortest {

struct Frame {
  int32_t Type = 0;
  int Connection = 0;  // 1 for the first accepted connection
  // The message's Int32 and String fields, each in wire order.
  std::vector<int32_t> Ints;
  std::vector<std::string> Strings;
};

class MonitorListener {
 public:
  // Listens on the port given, or on a free one for 0.
  explicit MonitorListener(uint16_t port = 0);
  ~MonitorListener();
  MonitorListener(const MonitorListener&) = delete;
  MonitorListener& operator=(const MonitorListener&) = delete;

  uint16_t Port() const { return FPort; }
  // Waits until count frames arrived, at most the time given.
  bool WaitFrames(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10));
  // Waits until the frames so far satisfy the test, at most the time given.
  bool WaitUntil(const std::function<bool(const std::vector<Frame>&)>& test,
                 std::chrono::milliseconds limit = std::chrono::seconds(10));
  std::vector<Frame> Frames() const;
  int Accepted() const;
  // Stops accepting and closes what is open.
  void Stop();

 private:
  void Run();
  bool ReadConnection(int socket, int connection);

  int FListen = -1;
  uint16_t FPort = 0;
  mutable std::mutex FLock;
  std::condition_variable FChanged;
  std::vector<Frame> FFrames;
  int FAccepted = 0;
  int FCurrent = -1;
  bool FStopping = false;
  std::thread FThread;
};

// A loopback port that never answers a connect: it listens but accepts nothing, and its accept
// queue is filled first, so the system drops every further SYN and a connect to it neither
// completes nor fails until its own time limit.
class StalledListener {
 public:
  StalledListener();
  ~StalledListener();
  StalledListener(const StalledListener&) = delete;
  StalledListener& operator=(const StalledListener&) = delete;

  uint16_t Port() const { return FPort; }
  // Whether the queue could be filled (the last filler's connect is left hanging).
  bool Stalled() const { return FStalled; }
  // How many connects to the port wait for an answer, in the whole system.
  int PendingConnects() const;

 private:
  int FListen = -1;
  uint16_t FPort = 0;
  bool FStalled = false;
  std::vector<int> FFillers;
};

}  // namespace monitortest
