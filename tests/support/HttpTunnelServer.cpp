#include "tests/support/HttpTunnelServer.h"

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace httptest {

namespace {

constexpr auto kRequestLimit = std::chrono::seconds(10);
// How long a read waits for the server's first byte, and the most one answers.
constexpr auto kReadWait = std::chrono::seconds(30);
constexpr size_t kReadMost = 1u << 20;

std::string Ok(const std::string& body = "") { return Response(200, "OK", "OK:" + body); }
std::string Er(const std::string& text) { return Response(200, "OK", "ER:" + text); }

}  // namespace

struct TunnelServer::Tunnel {
  explicit Tunnel(int socket) : Mysql(socket) {}
  ~Tunnel() { ::close(Mysql); }
  const int Mysql;
  std::atomic<bool> Closed{false};
};

TunnelServer::TunnelServer(int keepAliveSeconds)
    : FKeepAlive(keepAliveSeconds), FListener([this](int socket) { Serve(socket); }) {}

TunnelServer::~TunnelServer() { Stop(); }

std::string TunnelServer::Url() const {
  return "http://127.0.0.1:" + std::to_string(Port()) + "/tunnel.php";
}

void TunnelServer::RequireAuthorization(const std::string& value) {
  std::lock_guard<std::mutex> guard(FLock);
  FAuthorization = value;
}

void TunnelServer::AddFault(char action, int nth, Fault fault) {
  std::lock_guard<std::mutex> guard(FLock);
  FFaults.push_back({action, nth, fault});
}

void TunnelServer::Release() {
  std::lock_guard<std::mutex> guard(FLock);
  FReleased = true;
  FChanged.notify_all();
}

void TunnelServer::Stop() {
  {
    std::lock_guard<std::mutex> guard(FLock);
    FStopping = true;
    FChanged.notify_all();
    for (auto& [number, tunnel] : FTunnels) {
      tunnel->Closed = true;
      ::shutdown(tunnel->Mysql, SHUT_RDWR);
    }
  }
  FListener.Stop();
  std::lock_guard<std::mutex> guard(FLock);
  FTunnels.clear();
  FIds.clear();
}

std::vector<TunnelServer::Logged> TunnelServer::Requests() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FLog;
}

int TunnelServer::Count(char action) const {
  std::lock_guard<std::mutex> guard(FLock);
  auto it = FCounts.find(action);
  return it == FCounts.end() ? 0 : it->second;
}

std::vector<std::string> TunnelServer::Events() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FEvents;
}

bool TunnelServer::WaitFor(char action, int count, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> guard(FLock);
  return FChanged.wait_for(guard, limit, [&] { return FCounts[action] >= count; });
}

size_t TunnelServer::OpenTunnels() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FTunnels.size();
}

void TunnelServer::Note(const std::string& event) {
  std::lock_guard<std::mutex> guard(FLock);
  FEvents.push_back(event);
  FChanged.notify_all();
}

void TunnelServer::Serve(int socket) {
  auto stopping = [this] { return FListener.Stopping(); };
  Request request;
  if (ReadRequest(socket, request, stopping, kRequestLimit) != ReadEnd::Complete) return;
  const std::string a = request.Query()["a"];
  const char action = a.size() == 1 ? a[0] : '?';
  bool faulty = false;
  Fault fault = Fault::Drop;
  std::string authorization;
  {
    std::lock_guard<std::mutex> guard(FLock);
    const int nth = ++FCounts[action];
    FLog.push_back({action, request.Method, request.Target, request.Header("Authorization"),
                    request.Header("Via"), request.Body.size()});
    FEvents.push_back(std::string(1, action) + "+");
    for (const FaultRule& rule : FFaults)
      if (rule.Action == action && (rule.Nth == 0 || rule.Nth == nth)) {
        faulty = true;
        fault = rule.What;
      }
    authorization = FAuthorization;
    FChanged.notify_all();
  }
  const std::string done = std::string(1, action) + "-";
  if (!authorization.empty() && request.Header("Authorization") != authorization) {
    SendAll(socket, Response(401, "Unauthorized", "", "WWW-Authenticate: Basic realm=\"t\"\r\n"));
    Note(done);
    return;
  }
  if (faulty && ApplyFault(fault, socket, request)) {
    Note(done);
    return;
  }
  std::string reply = Dispatch(action, socket, request);
  // The end is noted before the reply goes out: once the client has the reply it may start its
  // next request at once, and that request's start must not be logged ahead of this end.
  Note(done);
  if (!reply.empty()) SendAll(socket, reply);
}

bool TunnelServer::ApplyFault(Fault fault, int socket, const Request& request) {
  auto stopping = [this] { return FListener.Stopping(); };
  switch (fault) {
    case Fault::Drop:
      return true;
    case Fault::ScriptError:
      SendAll(socket, Er(ScriptErrorText));
      return true;
    case Fault::UnknownReply:
      SendAll(socket, Response(200, "OK", "XX!garbage"));
      return true;
    case Fault::NotHttp:
      SendAll(socket, "SSH-2.0-NotHttp\r\n\r\n");
      return true;
    case Fault::Stall:
      // Until the client gives up and closes.
      WaitReadable(socket, std::chrono::seconds(60), stopping);
      return true;
    case Fault::Redirect: {
      size_t path = request.Target.find(
          '/', request.Target.find("//") == std::string::npos ? 0 : request.Target.find("//") + 2);
      SendAll(socket,
              Response(302, "Found", "", "Location: " + request.Target.substr(path) + "\r\n"));
      return true;
    }
    case Fault::Truncate:
      SendAll(socket, "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nOK:abc");
      return true;
    case Fault::Hold: {
      std::unique_lock<std::mutex> guard(FLock);
      FChanged.wait_for(guard, std::chrono::seconds(30), [&] { return FReleased || FStopping; });
      return false;
    }
  }
  return false;
}

std::string TunnelServer::Dispatch(char action, int socket, const Request& request) {
  switch (action) {
    case 'c':
      return Connect(socket, request);
    case 't':
      return Test(request);
    case 'r':
      return Read(request);
    case 'w':
      return Write(request);
    case 'l':
      return Ok();
    case 'x':
      return CloseTunnel(request);
    default:
      return Er("Unknown action");
  }
}

std::string TunnelServer::Connect(int socket, const Request& request) {
  auto query = request.Query();
  const int port = std::atoi(query["p"].c_str());
  int mysql = ConnectTo(query["s"], static_cast<uint16_t>(port));
  if (mysql < 0) return Er("Can't connect to MySQL server on " + query["s"]);
  auto tunnel = std::make_shared<Tunnel>(mysql);
  {
    std::lock_guard<std::mutex> guard(FLock);
    const uint32_t number = FNextNumber++;
    FTunnels[number] = tunnel;
    FIds[query["id"]] = number;
    FChanged.notify_all();
  }
  // Held while the tunnel lives, or until the client goes.
  auto stopping = [this] { return FListener.Stopping(); };
  while (!stopping() && !tunnel->Closed)
    if (WaitReadable(socket, std::chrono::milliseconds(50), stopping) != 0) return "";
  return tunnel->Closed ? Ok() : "";
}

std::string TunnelServer::Test(const Request& request) {
  const std::string id = request.Query()["id"];
  std::unique_lock<std::mutex> guard(FLock);
  // The connect request may still be opening the tunnel.
  if (!FChanged.wait_for(guard, std::chrono::seconds(2),
                         [&] { return FIds.count(id) > 0 || FStopping; }) ||
      FIds.count(id) == 0)
    return Er("No tunnel for the session " + id);
  return Ok(std::to_string(FIds[id]) + "\r\n" + std::to_string(FKeepAlive) + "\r\n");
}

std::shared_ptr<TunnelServer::Tunnel> TunnelServer::Find(const Request& request) {
  const uint32_t number = static_cast<uint32_t>(std::atol(request.Query()["port"].c_str()));
  std::lock_guard<std::mutex> guard(FLock);
  auto it = FTunnels.find(number);
  return it == FTunnels.end() ? nullptr : it->second;
}

std::string TunnelServer::Read(const Request& request) {
  auto tunnel = Find(request);
  if (!tunnel) return Er("No such tunnel");
  auto ended = [this, &tunnel] { return FListener.Stopping() || tunnel->Closed; };
  if (WaitReadable(tunnel->Mysql, kReadWait, ended) != 1) return Er("No data from the server");
  std::string data(kReadMost, '\0');
  ssize_t n = ::recv(tunnel->Mysql, data.data(), data.size(), 0);
  if (n <= 0) return Er("The MySQL server closed the connection");
  size_t have = static_cast<size_t>(n);
  while (have < data.size()) {
    ssize_t more = ::recv(tunnel->Mysql, data.data() + have, data.size() - have, MSG_DONTWAIT);
    if (more <= 0) break;
    have += static_cast<size_t>(more);
  }
  data.resize(have);
  return Ok(data);
}

std::string TunnelServer::Write(const Request& request) {
  auto tunnel = Find(request);
  if (!tunnel) return Er("No such tunnel");
  return SendAll(tunnel->Mysql, request.Body) ? Ok() : Er("Cannot write to the MySQL server");
}

std::string TunnelServer::CloseTunnel(const Request& request) {
  const uint32_t number = static_cast<uint32_t>(std::atol(request.Query()["port"].c_str()));
  std::lock_guard<std::mutex> guard(FLock);
  auto it = FTunnels.find(number);
  if (it == FTunnels.end()) return Er("No such tunnel");
  it->second->Closed = true;
  ::shutdown(it->second->Mysql, SHUT_RDWR);
  for (auto id = FIds.begin(); id != FIds.end();)
    id = id->second == number ? FIds.erase(id) : std::next(id);
  FTunnels.erase(it);
  FChanged.notify_all();
  return Ok();
}

}  // namespace httptest
