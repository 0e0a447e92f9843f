// The server side of the HTTP tunnel for tests: what the tunnel script does beside a real server.
// A connect request (a=c, with the MySQL host s, port p and the session id) opens a TCP connection
// to that server and is held open while the tunnel lives or until its client goes; a test request
// (a=t, same id) answers the tunnel's number and the keep-alive period; read (a=r) answers the
// bytes the server has sent (waiting for the first one), write (a=w) relays the POST body,
// keep-alive (a=l) and close (a=x) do what they say. Every reply body begins with "OK:" or "ER:".
//
// It can be told to misbehave on the n-th request of an action, and it logs every request.
//
//   httptest::TunnelServer tunnel;
//   options.SetUrl(UTF8ToString(tunnel.Url()));
//   tunnel.AddFault('r', 2, httptest::Fault::ScriptError);   // the second read answers "ER:"
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/HttpTestServer.h"

namespace httptest {

enum class Fault {
  Drop,          // closes the connection without a reply
  ScriptError,   // answers "ER:" and a text
  UnknownReply,  // answers a body that begins with neither "OK:" nor "ER:"
  NotHttp,       // answers bytes that are no HTTP response
  Stall,         // answers nothing until the client goes (or the server stops)
  Redirect,      // answers 302 with a root-relative location: the same request again
  Truncate,      // announces a longer body than it sends, then closes
  Hold,          // waits until Release(), then serves the request as usual
};

class TunnelServer {
 public:
  static constexpr const char* ScriptErrorText = "Simulated script failure";

  explicit TunnelServer(int keepAliveSeconds = 60);
  ~TunnelServer();

  uint16_t Port() const { return FListener.Port(); }
  // The script's address, without a trailing "/".
  std::string Url() const;
  // Requests without this exact Authorization value ("Basic ...") are answered 401.
  void RequireAuthorization(const std::string& value);
  // The n-th (1-based) request of the action ('c', 't', 'r', 'w', 'l', 'x') gets the fault; n of
  // 0 means every one.
  void AddFault(char action, int nth, Fault fault);
  // Lets every held request go on.
  void Release();
  void Stop();

  struct Logged {
    char Action = '?';
    std::string Method, Target, Authorization, Via;
    size_t BodyLength = 0;
  };
  std::vector<Logged> Requests() const;
  int Count(char action) const;
  // "<action>+" when a request arrived, "<action>-" when its reply was sent, in order.
  std::vector<std::string> Events() const;
  // Waits until count requests of the action have arrived (or the limit passed).
  bool WaitFor(char action, int count, std::chrono::milliseconds limit);
  // Tunnels opened and not yet closed.
  size_t OpenTunnels() const;
  // Connections whose handler still runs.
  int ActiveConnections() const { return FListener.Active(); }

 private:
  struct Tunnel;
  void Serve(int socket);
  bool ApplyFault(Fault fault, int socket, const Request& request);
  std::string Dispatch(char action, int socket, const Request& request);
  std::string Connect(int socket, const Request& request);
  std::string Test(const Request& request);
  std::string Read(const Request& request);
  std::string Write(const Request& request);
  std::string CloseTunnel(const Request& request);
  std::shared_ptr<Tunnel> Find(const Request& request);
  void Note(const std::string& event);

  const int FKeepAlive;
  mutable std::mutex FLock;
  std::condition_variable FChanged;
  std::string FAuthorization;
  struct FaultRule {
    char Action;
    int Nth;
    Fault What;
  };
  std::vector<FaultRule> FFaults;
  bool FReleased = false;
  bool FStopping = false;
  std::map<char, int> FCounts;
  std::vector<Logged> FLog;
  std::vector<std::string> FEvents;
  uint32_t FNextNumber = 5;
  std::map<uint32_t, std::shared_ptr<Tunnel>> FTunnels;
  std::map<std::string, uint32_t> FIds;
  Listener FListener;
};

}  // namespace httptest
