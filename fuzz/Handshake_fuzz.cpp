// Feeds arbitrary greetings to the greeting parser, and arbitrary server streams to a whole login
// over a memory transport (greeting, login packet, every authentication exchange).
#include <cstddef>
#include <cstdint>

#include "Common/CLRClasses.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlSession.h"
#include "MySql/MySqlSession_Handshake.h"
#include "tests/support/MemoryVio.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    mysqlhandshake::ParseGreeting(data, size);
  } catch (const EMySqlException&) {
  }
  if (size < 1) return 0;
  // A protocol without a transport of its own reuses the one the session holds: the memory one.
  auto vio = std::make_unique<TMemoryVio>(std::vector<uint8_t>(data + 1, data + size));
  vio->Pause = false;
  TMySqlSession session;
  session.Net().SetVio(std::move(vio));
  session.SetProtocol(mpMemory);
  const char* passwords[] = {"", "secret", "pass word"};
  try {
    session.Connect("fuzz", "user", passwords[data[0] % 3], "db", 3306, "",
                    (data[0] & 4) ? mysqlhandshake::kClientCompress : 0);
  } catch (const EMySqlException&) {
  } catch (const ArgumentException&) {
  }
  return 0;
}
