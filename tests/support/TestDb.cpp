#include "tests/support/TestDb.h"

#include <cstdlib>
#include <stdexcept>

#include <gtest/gtest.h>

namespace testdb {

static std::string Required(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0')
    throw std::runtime_error(std::string(name) +
                             " is not set: start the test server with scripts/test-db start and "
                             "load its settings with eval \"$(scripts/test-db env)\"");
  return value;
}

static Settings Load() {
  Settings s;
  s.host = Required("TEST_DB_HOST");
  s.port = static_cast<unsigned>(std::stoul(Required("TEST_DB_PORT")));
  s.socket = Required("TEST_DB_SOCKET");
  s.user = Required("TEST_DB_USER");
  s.password = Required("TEST_DB_PASSWORD");
  s.database = Required("TEST_DB_NAME");
  s.ssl_ca = Required("TEST_DB_SSL_CA");
  s.ssl_cert = Required("TEST_DB_SSL_CERT");
  s.ssl_key = Required("TEST_DB_SSL_KEY");
  s.ssl_other_ca = Required("TEST_DB_SSL_OTHER_CA");
  return s;
}

const Settings& Get() {
  // Throwing here fails the calling test with the message; it never turns into a skip.
  static const Settings settings = Load();
  return settings;
}

}  // namespace testdb
