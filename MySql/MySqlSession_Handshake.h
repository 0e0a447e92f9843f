// The opening exchange of a session as pure functions over bytes: the server's greeting, the
// client flags, the login packet's parts and the kinds of authentication reply.
#pragma once

#include <cstddef>
#include <cstdint>

#include "MySql/MySqlSession_Scramble.h"
#include "platform/rtl/Types.h"

namespace mysqlhandshake {

// Capability bits (the protocol's published values).
constexpr uint32_t kClientLongPassword = 0x1;
constexpr uint32_t kClientLongFlag = 0x4;
constexpr uint32_t kClientConnectWithDb = 0x8;
constexpr uint32_t kClientCompress = 0x20;
constexpr uint32_t kClientLocalFiles = 0x80;
constexpr uint32_t kClientProtocol41 = 0x200;
constexpr uint32_t kClientSsl = 0x800;
constexpr uint32_t kClientTransactions = 0x2000;
constexpr uint32_t kClientSecureConnection = 0x8000;
constexpr uint32_t kClientMultiStatements = 0x10000;
constexpr uint32_t kClientMultiResults = 0x20000;
// What every login asks for.
constexpr uint32_t kClientDefaultFlags = 0x3A285;

constexpr uint16_t kServerStatusInTrans = 0x1;
constexpr uint16_t kServerStatusAutocommit = 0x2;
constexpr uint16_t kServerMoreResultsExists = 0x8;

constexpr uint8_t kProtocolVersion = 10;
constexpr uint32_t kMaxPacketAnnounced = 0x40000000;

struct TMySqlGreeting {
  uint8_t ProtocolVersion = 0;
  AnsiString ServerVersion;  // without MariaDB's "5.5.5-" prefix
  uint32_t ThreadId = 0;
  uint8_t Scramble[mysqlscramble::kScrambleLength] = {};
  bool LongScramble = false;  // all 20 scramble bytes came
  uint16_t Capabilities = 0;
  uint8_t Language = 0;
  uint16_t Status = 0;
};

// Reads a greeting. A protocol version other than 10 raises EMySqlException 2007; a greeting cut
// off before its first scramble part raises 2027. The optional tail is read only as far as it came.
TMySqlGreeting ParseGreeting(const uint8_t* payload, size_t length);

// MariaDB announces itself as "5.5.5-10.11.6-MariaDB" for the sake of old clients; the real version
// follows the prefix.
AnsiString StripVersionPrefix(const AnsiString& version);

// The flags of the login: what was stored, what was asked, and what every login asks for, less
// what the server does not offer. SSL is set exactly when the server offers it and it was asked
// for (by the flags or the TLS protocol).
uint32_t ComputeClientFlags(uint32_t stored, uint32_t given, bool tlsProtocol,
                            uint16_t serverCapabilities);

// The fixed start of the login packet: flags, maximum packet size, and for 4.1 the character set
// (33 for "utf8" exactly, else 8) and 23 zero bytes. It is also the TLS request.
TBytes LoginPrefix(uint32_t flags, const AnsiString& charsetName);

// The password field of the login packet, by what the server offers (see the session).
TBytes PasswordField(uint16_t serverCapabilities, const TBytes& password,
                     const TMySqlGreeting& greeting);

enum class TAuthReply {
  Done,                // OK (or anything else that ends the login)
  OldScrambleRequest,  // a single 0xFE byte: send the pre-4.1 scramble
  Exchange410,         // 24 bytes from a 4.1.0 server: a new scramble to answer
};
TAuthReply ClassifyAuthReply(uint16_t serverCapabilities, const uint8_t* payload, size_t length);

}  // namespace mysqlhandshake
