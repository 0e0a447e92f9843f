// The private test server's settings for benchmarks, read from the environment that
// `eval "$(scripts/test-db env)"` sets; a missing variable stops the benchmark with that advice.
#pragma once

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace bench {

struct Server {
  std::string host, user, password, database;
  unsigned port = 0;
  std::string socket;  // the server's Unix socket
  std::string sslCa;   // the CA that signed the server's certificate
};

inline const Server& TestServer() {
  static const Server server = [] {
    auto env = [](const char* name) {
      const char* v = std::getenv(name);
      if (!v) throw std::runtime_error(std::string(name) + " is not set: eval \"$(scripts/test-db env)\"");
      return std::string(v);
    };
    Server s;
    s.host = env("TEST_DB_HOST");
    s.port = static_cast<unsigned>(std::stoul(env("TEST_DB_PORT")));
    s.user = env("TEST_DB_USER");
    s.password = env("TEST_DB_PASSWORD");
    s.database = env("TEST_DB_NAME");
    s.socket = env("TEST_DB_SOCKET");
    s.sslCa = env("TEST_DB_SSL_CA");
    return s;
  }();
  return server;
}

}  // namespace bench
