// A forward HTTP proxy for tests, on loopback: it takes a request whose target is a whole URL,
// asks for basic authentication when told to (407 without the expected Proxy-Authorization),
// passes the request on to the URL's host in origin form with a "Via" line and without the proxy
// lines, and relays the answer until either side closes.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/HttpTestServer.h"

namespace httptest {

class ProxyServer {
 public:
  ProxyServer();
  ~ProxyServer();

  uint16_t Port() const { return FListener.Port(); }
  // Requests without this exact Proxy-Authorization value ("Basic ...") are answered 407.
  void RequireAuthorization(const std::string& value);
  void Stop() { FListener.Stop(); }

  // The request lines as they reached the proxy, and how many were refused for credentials.
  std::vector<std::string> RequestLines() const;
  int Refused() const;

 private:
  void Serve(int socket);

  mutable std::mutex FLock;
  std::string FAuthorization;
  std::vector<std::string> FRequestLines;
  int FRefused = 0;
  Listener FListener;
};

}  // namespace httptest
