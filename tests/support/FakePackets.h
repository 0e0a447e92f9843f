// Payloads a MySQL server sends, built for the fake server's scripts (tests/support/FakeServer.h):
// greetings of every vintage, OK, EOF and error packets, and compressed frames.
#pragma once

#include <cstdint>
#include <string>

#include "tests/support/FakeServer.h"

namespace fake {

// Capability bits a greeting may announce.
constexpr uint16_t kLongPassword = 0x0001;
constexpr uint16_t kConnectWithDb = 0x0008;
constexpr uint16_t kCompress = 0x0020;
constexpr uint16_t kProtocol41 = 0x0200;
constexpr uint16_t kSsl = 0x0800;
constexpr uint16_t kTransactions = 0x2000;
constexpr uint16_t kSecureConnection = 0x8000;

// A protocol-10 greeting. The defaults are what a MariaDB 10.11 server sends (without its plugin
// name); the shape can be cut back to that of older servers.
struct GreetingOptions {
  uint8_t Protocol = 10;
  std::string Version = "5.5.5-10.11.6-MariaDB";
  uint32_t ThreadId = 7;
  Bytes Scramble = B("0123456789abcdefghij");  // 20 bytes; only the first 8 in a short greeting
  uint16_t Capabilities = kLongPassword | kConnectWithDb | kCompress | kProtocol41 |
                          kTransactions | kSecureConnection;
  uint8_t Language = 8;
  uint16_t Status = 2;
  // What follows the first scramble part: everything (the 4.1 form with the 12-byte second part),
  // only the capabilities, language and status (a 4.0 server), or nothing (a 3.23 server).
  enum class Shape { Full, NoSecondScramble, EndsAfterScramble } Form = Shape::Full;
};

Bytes Greeting(const GreetingOptions& options = {});
// OK packet in the 4.1 form.
Bytes OkPayload(uint64_t affectedRows = 0, uint64_t insertId = 0, uint16_t status = 2,
                uint16_t warnings = 0);
// Error packet in the 4.1 form: 0xFF, the number, "#", the five-character state, the text.
Bytes ErrPayload(uint16_t number, const std::string& state, const std::string& text);
// A compressed frame around data (a run of plain packets): deflated when deflate is set,
// else carried raw with an uncompressed length of 0.
Bytes Frame(uint8_t sequence, const Bytes& data, bool deflate);
// A length-coded integer.
Bytes LengthCoded(uint64_t value);

}  // namespace fake
