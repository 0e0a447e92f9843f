// Where the private test server is: scripts/test-db exports these variables. A test that needs the
// server and finds none fails: it never skips.
#pragma once

#include <string>

namespace testdb {

struct Settings {
  std::string host;      // TEST_DB_HOST, a loopback address
  unsigned port = 0;     // TEST_DB_PORT
  std::string socket;    // TEST_DB_SOCKET, the server's Unix socket
  std::string user;      // TEST_DB_USER, authenticates with mysql_native_password
  std::string password;  // TEST_DB_PASSWORD
  std::string database;  // TEST_DB_NAME
  std::string ssl_ca;    // TEST_DB_SSL_CA
  std::string ssl_cert;  // TEST_DB_SSL_CERT, a client certificate signed by the CA
  std::string ssl_key;   // TEST_DB_SSL_KEY
  std::string ssl_other_ca;  // TEST_DB_SSL_OTHER_CA, a CA that signed none of the server's files
};

// The settings, or a fatal test failure naming the missing variable.
const Settings& Get();

}  // namespace testdb
