#include "tests/support/HttpProxyServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>

namespace httptest {

ProxyServer::ProxyServer() : FListener([this](int socket) { Serve(socket); }) {}

ProxyServer::~ProxyServer() { FListener.Stop(); }

void ProxyServer::RequireAuthorization(const std::string& value) {
  std::lock_guard<std::mutex> guard(FLock);
  FAuthorization = value;
}

std::vector<std::string> ProxyServer::RequestLines() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FRequestLines;
}

int ProxyServer::Refused() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FRefused;
}

void ProxyServer::Serve(int socket) {
  auto stopping = [this] { return FListener.Stopping(); };
  Request request;
  if (ReadRequest(socket, request, stopping, std::chrono::seconds(10)) != ReadEnd::Complete) return;
  std::string authorization;
  {
    std::lock_guard<std::mutex> guard(FLock);
    FRequestLines.push_back(request.Method + " " + request.Target + " " + request.Version);
    authorization = FAuthorization;
    if (!authorization.empty() && request.Header("Proxy-Authorization") != authorization) {
      ++FRefused;
      authorization = "refused";
    }
  }
  if (authorization == "refused") {
    SendAll(socket, Response(407, "Proxy Authentication Required", "",
                             "Proxy-Authenticate: Basic realm=\"proxy\"\r\n"));
    return;
  }
  // "http://host:port/path?query": the host and port to reach, and the target in origin form.
  const std::string& url = request.Target;
  size_t hostStart = url.find("//");
  if (url.compare(0, 7, "http://") != 0 || hostStart == std::string::npos) {
    SendAll(socket, Response(400, "Bad Request", ""));
    return;
  }
  hostStart += 2;
  size_t path = url.find('/', hostStart);
  std::string authority =
      url.substr(hostStart, path == std::string::npos ? std::string::npos : path - hostStart);
  size_t colon = authority.find(':');
  const std::string host = authority.substr(0, colon);
  const int port = colon == std::string::npos ? 80 : std::atoi(authority.c_str() + colon + 1);
  int upstream = ConnectTo(host, static_cast<uint16_t>(port));
  if (upstream < 0) {
    SendAll(socket, Response(502, "Bad Gateway", ""));
    return;
  }
  std::string head = request.Method + " " +
                     (path == std::string::npos ? std::string("/") : url.substr(path)) + " " +
                     request.Version + "\r\n";
  for (const auto& [name, value] : request.Headers) {
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.rfind("proxy-", 0) == 0) continue;
    head += name + ": " + value + "\r\n";
  }
  head += "Via: 1.0 test-proxy\r\n\r\n";
  if (SendAll(upstream, head + request.Body)) {
    // Either side may end it: the server after its answer, the client by going away.
    char buffer[65536];
    while (!stopping()) {
      pollfd fds[2] = {{socket, POLLIN, 0}, {upstream, POLLIN, 0}};
      if (::poll(fds, 2, 20) <= 0) continue;
      bool ended = false;
      for (int i = 0; i < 2 && !ended; ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
        ended = n <= 0 || !SendAll(fds[1 - i].fd, std::string(buffer, static_cast<size_t>(n)));
      }
      if (ended) break;
    }
  }
  ::close(upstream);
}

}  // namespace httptest
