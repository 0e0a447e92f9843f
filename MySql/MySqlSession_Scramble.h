// The password scrambles of the MySQL login and the SHA-1 hash they are made of.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/rtl/Types.h"

// SHA-1 (FIPS 180-1) over a byte array in one call; the 20-byte digest.
class TSHA1Managed {
 public:
  static TBytes ComputeHash(const TBytes& data);
  static TBytes ComputeHash(const uint8_t* data, size_t length);
};

namespace mysqlscramble {

constexpr size_t kScrambleLength = 20;     // the challenge of a 4.1 server
constexpr size_t kOldScrambleLength = 8;   // what the pre-4.1 scramble uses of it

// The 4.1 token: SHA1(scramble + SHA1(SHA1(password))) XOR SHA1(password). scramble holds 20 bytes.
TBytes Token41(const uint8_t* scramble, const TBytes& password);

// The pre-4.1 password hash: two 31-bit numbers; blanks and tabs do not count.
struct TOldHash {
  uint32_t First;
  uint32_t Second;
};
TOldHash OldPasswordHash(const uint8_t* data, size_t length);

// The pre-4.1 scramble of the password over the first 8 scramble bytes: 8 bytes, or none for an
// empty password (the login then writes only the terminating zero).
TBytes ScrambleOld(const uint8_t* scramble, const TBytes& password);

// The 4.1.0 exchange: the server's 24-byte reply carries a new scramble. For a reply that starts
// with "*" the new scramble is bytes 4-23 and the answer is the pre-4.1 scramble (with its zero);
// otherwise the scramble is unmasked with the password's hash and the answer is 20 bytes.
struct TExchange410 {
  uint8_t Scramble[kScrambleLength];
  TBytes Answer;
};
TExchange410 Answer410(const uint8_t* reply24, const TBytes& password);

}  // namespace mysqlscramble
