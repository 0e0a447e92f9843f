// Another X client that drags and drops with XDND, written with raw Xlib for the gui tests, as
// FakeServer.h plays a database server. Each role runs on a thread of its own with a connection
// of its own, while the test runs the program's loop; nothing in it waits longer than its
// time-out, so a test never hangs on it.
//
// As a drop target it shows an XdndAware window, accepts every position with the copy action,
// and on a drop converts the targets it was told to want and records their bytes:
//   TXdndPeer peer(display);
//   peer.ShowTarget(500, 300, 200, 150, {"UTF8_STRING", "TZozIvozedOrer Cells"});
//   ... the program drags over it ...
//   peer.Done(); peer.Events ("enter", "position", "drop" or "leave"); peer.Received[target]
//
// As a drag source it owns XdndSelection, sends enter (its targets), a position for each point of
// the path and a drop to the XdndAware window under the path's first point, and serves the
// conversions the target asks for:
//   peer.Drag({{"text/uri-list", "file:///tmp/a\r\n"}, {"UTF8_STRING", "a"}}, {{100, 80}});
//   ... run the program's loop until peer.Done() ...
//   peer.Outcome ("finished copy", "finished refused", "no target", "no status", ...)
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

class TXdndPeer {
 public:
  explicit TXdndPeer(std::string display) : FDisplay(std::move(display)) {}
  ~TXdndPeer();
  TXdndPeer(const TXdndPeer&) = delete;
  TXdndPeer& operator=(const TXdndPeer&) = delete;

  // Shows the target window at a root position; false when it could not be shown.
  bool ShowTarget(int x, int y, int width, int height, std::vector<std::string> wanted);
  void Drag(std::vector<std::pair<std::string, std::string>> offers,
            std::vector<std::pair<int, int>> rootPath);
  // The role has ended (a drop or leave seen; the drag finished or given up).
  bool Done() const { return FDone; }
  // Ends the role's thread.
  void Stop();

  // What the role saw; read them once Done() holds.
  std::vector<std::string> Events;
  std::vector<std::string> Offered;
  std::map<std::string, std::string> Received;
  std::vector<std::string> Requested;  // the targets the program asked the source for
  std::string Outcome;

 private:
  void RunTarget(unsigned long window, std::vector<std::string> wanted, void* dpy);
  void RunSource(std::vector<std::pair<std::string, std::string>> offers,
                 std::vector<std::pair<int, int>> path);

  std::string FDisplay;
  std::thread FThread;
  std::atomic<bool> FDone{false};
  std::atomic<bool> FStop{false};
};

}  // namespace testsupport
