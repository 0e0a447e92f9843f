#include "MySql/MySqlSession_Scramble.h"

#include <cstring>

namespace {

uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void Sha1Block(uint32_t h[5], const uint8_t* block) {
  uint32_t w[80];
  for (int i = 0; i < 16; ++i)
    w[i] = (uint32_t(block[4 * i]) << 24) | (uint32_t(block[4 * i + 1]) << 16) |
           (uint32_t(block[4 * i + 2]) << 8) | uint32_t(block[4 * i + 3]);
  for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDC;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6;
    }
    uint32_t t = Rotl(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = Rotl(b, 30);
    b = a;
    a = t;
  }
  h[0] += a;
  h[1] += b;
  h[2] += c;
  h[3] += d;
  h[4] += e;
}

TBytes Concat(const uint8_t* a, size_t na, const uint8_t* b, size_t nb) {
  TBytes out(a, a + na);
  out.insert(out.end(), b, b + nb);
  return out;
}

// The generator of the pre-4.1 scramble.
class TOldRandom {
 public:
  TOldRandom(uint32_t seed1, uint32_t seed2) : FSeed1(seed1 % kMax), FSeed2(seed2 % kMax) {}
  double Next() {
    FSeed1 = (FSeed1 * 3 + FSeed2) % kMax;
    FSeed2 = (FSeed1 + FSeed2 + 33) % kMax;
    return static_cast<double>(FSeed1) / static_cast<double>(kMax);
  }

 private:
  static constexpr uint64_t kMax = 0x3FFFFFFF;
  uint64_t FSeed1;
  uint64_t FSeed2;
};

bool IsBlank(uint8_t b) { return b == ' ' || b == '\t'; }

}  // namespace

TBytes TSHA1Managed::ComputeHash(const TBytes& data) { return ComputeHash(data.data(), data.size()); }

TBytes TSHA1Managed::ComputeHash(const uint8_t* data, size_t length) {
  uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  size_t full = length / 64;
  for (size_t i = 0; i < full; ++i) Sha1Block(h, data + 64 * i);
  // The tail, the 0x80 marker and the 64-bit bit length fill one or two last blocks.
  uint8_t tail[128] = {};
  size_t rest = length - 64 * full;
  if (rest > 0) std::memcpy(tail, data + 64 * full, rest);
  tail[rest] = 0x80;
  size_t blocks = rest + 1 + 8 <= 64 ? 1 : 2;
  uint64_t bits = static_cast<uint64_t>(length) * 8;
  for (int i = 0; i < 8; ++i) tail[64 * blocks - 1 - i] = static_cast<uint8_t>(bits >> (8 * i));
  for (size_t i = 0; i < blocks; ++i) Sha1Block(h, tail + 64 * i);
  TBytes digest(20);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(h[i] >> (24 - 8 * j));
  return digest;
}

namespace mysqlscramble {

TBytes Token41(const uint8_t* scramble, const TBytes& password) {
  TBytes s1 = TSHA1Managed::ComputeHash(password);
  TBytes s2 = TSHA1Managed::ComputeHash(s1);
  TBytes token = TSHA1Managed::ComputeHash(Concat(scramble, kScrambleLength, s2.data(), s2.size()));
  for (size_t i = 0; i < token.size(); ++i) token[i] ^= s1[i];
  return token;
}

TOldHash OldPasswordHash(const uint8_t* data, size_t length) {
  uint32_t nr = 0x50305735, nr2 = 0x12345671, add = 7;
  for (size_t i = 0; i < length; ++i) {
    uint32_t b = data[i];
    if (IsBlank(data[i])) continue;
    nr ^= (((nr & 63) + add) * b) + (nr << 8);
    nr2 += (nr2 << 8) ^ nr;
    add += b;
  }
  return {nr & 0x7FFFFFFF, nr2 & 0x7FFFFFFF};
}

TBytes ScrambleOld(const uint8_t* scramble, const TBytes& password) {
  if (password.empty()) return {};
  TOldHash hp = OldPasswordHash(password.data(), password.size());
  TOldHash hm = OldPasswordHash(scramble, kOldScrambleLength);
  TOldRandom random(hp.First ^ hm.First, hp.Second ^ hm.Second);
  TBytes out(kOldScrambleLength);
  for (auto& b : out) b = static_cast<uint8_t>(static_cast<int>(random.Next() * 31) + 64);
  uint8_t extra = static_cast<uint8_t>(static_cast<int>(random.Next() * 31));
  for (auto& b : out) b ^= extra;
  return out;
}

TExchange410 Answer410(const uint8_t* reply24, const TBytes& password) {
  TExchange410 result{};
  if (reply24[0] == '*') {
    std::memcpy(result.Scramble, reply24 + 4, kScrambleLength);
    result.Answer = ScrambleOld(result.Scramble, password);
    result.Answer.push_back(0);
    return result;
  }
  TBytes stripped;
  for (uint8_t b : password)
    if (!IsBlank(b)) stripped.push_back(b);
  TBytes s1 = TSHA1Managed::ComputeHash(stripped);
  TBytes h = TSHA1Managed::ComputeHash(Concat(reply24, 4, s1.data(), s1.size()));
  result.Answer.resize(kScrambleLength);
  for (size_t i = 0; i < kScrambleLength; ++i) {
    result.Scramble[i] = reply24[4 + i] ^ h[i];
    result.Answer[i] = result.Scramble[i] ^ s1[i];
  }
  return result;
}

}  // namespace mysqlscramble
