// SHA-1 and the password scrambles, against vectors computed with an independent implementation
// (FIPS 180-1 examples, and the protocol's formulas over a standard SHA-1).
#include "MySql/MySqlSession_Scramble.h"

#include <string>

#include <gtest/gtest.h>

using namespace mysqlscramble;

namespace {

TBytes B(const std::string& s) { return TBytes(s.begin(), s.end()); }

std::string Hex(const TBytes& b) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (uint8_t x : b) {
    out += digits[x >> 4];
    out += digits[x & 15];
  }
  return out;
}

const TBytes kScramble = B("0123456789abcdefghij");

TEST(SHA1, KnownVectors) {
  EXPECT_EQ(Hex(TSHA1Managed::ComputeHash(B(""))), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(Hex(TSHA1Managed::ComputeHash(B("abc"))), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(Hex(TSHA1Managed::ComputeHash(
                B("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"))),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  EXPECT_EQ(Hex(TSHA1Managed::ComputeHash(TBytes(1000000, 'a'))),
            "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(SHA1, BlockBoundaries) {
  // Lengths around the padding's turning points: 55 fits one final block, 56 needs two.
  const std::pair<size_t, const char*> cases[] = {
      {55, "8ae2d46729cfe68ff927af5eec9c7d1b66d65ac2"},
      {56, "636e2ec698dac903498e648bd2f3af641d3c88cb"},
      {63, "6d942da0c4392b123528f2905c713a3ce28364bd"},
      {64, "c6138d514ffa2135bfce0ed0b8fac65669917ec7"},
      {65, "69bd728ad6e13cd76ff19751fde427b00e395746"},
      {119, "41c89d06001bab4ab78736b44efe7ce18ce6ae08"},
      {1000, "c9c960a0b925474fab83942cc27d504fc24ac37b"},
  };
  for (const auto& [n, digest] : cases) {
    TBytes data(n);
    for (size_t i = 0; i < n; ++i) data[i] = static_cast<uint8_t>(i % 251);
    EXPECT_EQ(Hex(TSHA1Managed::ComputeHash(data)), digest) << n;
  }
}

TEST(Scramble41, Token) {
  EXPECT_EQ(Hex(Token41(kScramble.data(), B("t3st-Pa55"))),
            "dd7fe6f8fb4907bb39ea814e1070636ec643589a");
  // Blanks count in the 4.1 token.
  EXPECT_EQ(Hex(Token41(kScramble.data(), B("pass word"))),
            "17b1c9eb218fc265b6365cd254fa6217933b79ed");
}

TEST(ScrambleOld, PasswordHashMatchesTheServersOldPassword) {
  // The server's OLD_PASSWORD('password') is 5d2e19393cc5ef67.
  TBytes pw = B("password");
  TOldHash h = OldPasswordHash(pw.data(), pw.size());
  EXPECT_EQ(h.First, 0x5d2e1939u);
  EXPECT_EQ(h.Second, 0x3cc5ef67u);
}

TEST(ScrambleOld, EightBytesIgnoringBlanks) {
  EXPECT_EQ(Hex(ScrambleOld(kScramble.data(), B("t3st-Pa55"))), "465e50515f445e45");
  EXPECT_EQ(Hex(ScrambleOld(kScramble.data(), B("password"))), "5255435d5b44564d");
  EXPECT_EQ(Hex(ScrambleOld(kScramble.data(), B("pass word"))), "5255435d5b44564d");
  EXPECT_EQ(Hex(ScrambleOld(kScramble.data(), B("pass\tword"))), "5255435d5b44564d");
  EXPECT_TRUE(ScrambleOld(kScramble.data(), B("")).empty());
}

TEST(Exchange410, UnmasksTheNewScrambleAndAnswers) {
  TBytes reply{1, 2, 3, 4};
  for (int i = 100; i < 120; ++i) reply.push_back(static_cast<uint8_t>(i));
  auto x = Answer410(reply.data(), B("pass word"));
  EXPECT_EQ(Hex(TBytes(x.Scramble, x.Scramble + 20)), "84e3b483e577a1a36fc552cdac0f826f429214f3");
  EXPECT_EQ(Hex(x.Answer), "df49d5672cce9e9c694777c6c0f7b1743c749b2b");
}

TEST(Exchange410, AStarAsksForThePre41ScrambleOverTheNewBytes) {
  TBytes reply{'*', 0, 0, 0};
  for (int i = 100; i < 120; ++i) reply.push_back(static_cast<uint8_t>(i));
  auto x = Answer410(reply.data(), B("pass word"));
  EXPECT_EQ(Hex(x.Answer), "5d514542564e505b00");
  EXPECT_EQ(TBytes(x.Scramble, x.Scramble + 20), TBytes(reply.begin() + 4, reply.end()));
}

}  // namespace
