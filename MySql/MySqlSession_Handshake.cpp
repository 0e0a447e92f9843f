#include "MySql/MySqlSession_Handshake.h"

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlNetCodec.h"

namespace mysqlhandshake {

namespace {

// What must follow the first scramble part for each optional field of the greeting.
constexpr size_t kTailWithCapabilities = 3;
constexpr size_t kTailWithStatus = 18;
constexpr size_t kTailWithLongScramble = 30;
constexpr size_t kGreetingFiller = 13;
constexpr uint8_t kCharsetUtf8 = 33;
constexpr uint8_t kCharsetLatin1 = 8;

}  // namespace

AnsiString StripVersionPrefix(const AnsiString& version) {
  static const AnsiString prefix = "5.5.5-";
  if (version.size() > prefix.size() && version.compare(0, prefix.size(), prefix) == 0)
    return version.substr(prefix.size());
  return version;
}

TMySqlGreeting ParseGreeting(const uint8_t* payload, size_t length) {
  mysqlcodec::TMySqlReader r(payload, length);
  TMySqlGreeting g;
  g.ProtocolVersion = r.ReadByte();
  if (g.ProtocolVersion != kProtocolVersion)
    throw EMySqlException::CreateFmt(
        CR_PROTOCOL_MISMATCH, String(),
        {static_cast<int32_t>(g.ProtocolVersion), static_cast<int32_t>(kProtocolVersion)});
  g.ServerVersion = StripVersionPrefix(r.ReadZString());
  g.ThreadId = r.ReadUInt32();
  r.ReadBytes(g.Scramble, mysqlscramble::kOldScrambleLength);

  size_t tail = r.Remaining();
  r.SkipUpTo(1);  // filler
  if (tail >= kTailWithCapabilities) g.Capabilities = r.ReadUInt16();
  if (tail >= kTailWithStatus) {
    g.Language = r.ReadByte();
    g.Status = r.ReadUInt16();
  }
  r.SkipUpTo(kGreetingFiller);
  if (tail >= kTailWithLongScramble) {
    r.ReadBytesUpTo(g.Scramble + mysqlscramble::kOldScrambleLength,
                    mysqlscramble::kScrambleLength - mysqlscramble::kOldScrambleLength);
    g.LongScramble = true;
  }
  return g;
}

uint32_t ComputeClientFlags(uint32_t stored, uint32_t given, bool tlsProtocol,
                            uint16_t serverCapabilities) {
  uint32_t flags = stored | given | kClientDefaultFlags | kClientConnectWithDb;
  if (given & kClientMultiStatements) flags |= kClientMultiResults;
  bool tlsAsked = tlsProtocol || (flags & kClientSsl) != 0;
  const uint32_t serverDecides = kClientCompress | kClientProtocol41 | kClientSsl;
  flags &= ~serverDecides | serverCapabilities;
  flags &= ~kClientSsl;
  if ((serverCapabilities & kClientSsl) && tlsAsked) flags |= kClientSsl;
  return flags;
}

TBytes LoginPrefix(uint32_t flags, const AnsiString& charsetName) {
  using namespace mysqlcodec;
  const bool v41 = (flags & kClientProtocol41) != 0;
  // 4.1: flags, maximum packet size, character set, 23 zero bytes. Before: 2 + 3 bytes.
  TBytes out(v41 ? 4 + 4 + 1 + 23 : 2 + 3, 0);
  if (v41) {
    PutUInt32(out.data(), flags);
    PutUInt32(out.data() + 4, kMaxPacketAnnounced);
    out[8] = charsetName == "utf8" ? kCharsetUtf8 : kCharsetLatin1;
  } else {
    PutUInt16(out.data(), static_cast<uint16_t>(flags));
    // The old form has room for 24 bits; the low 16 bits of the announced size are 0.
    PutUInt24(out.data() + 2, kMaxPacketAnnounced & 0xFFFF);
  }
  return out;
}

TBytes PasswordField(uint16_t serverCapabilities, const TBytes& password,
                     const TMySqlGreeting& greeting) {
  TBytes out;
  if (password.empty()) {
    out.push_back(0);
  } else if (!(serverCapabilities & kClientSecureConnection)) {
    out = mysqlscramble::ScrambleOld(greeting.Scramble, password);
    out.push_back(0);
  } else if (greeting.LongScramble) {
    out.push_back(static_cast<uint8_t>(mysqlscramble::kScrambleLength));
    TBytes token = mysqlscramble::Token41(greeting.Scramble, password);
    out.insert(out.end(), token.begin(), token.end());
  } else {
    // Only 8 scramble bytes: a 4.1.0 server, which sends the real challenge in its first reply.
    out.assign(8, 'x');
    out.push_back(0);
  }
  return out;
}

TAuthReply ClassifyAuthReply(uint16_t serverCapabilities, const uint8_t* payload, size_t length) {
  if (!(serverCapabilities & kClientSecureConnection)) return TAuthReply::Done;
  if (length == 1 && payload[0] == 0xFE) return TAuthReply::OldScrambleRequest;
  if (length == 24 && payload[0] != 0) return TAuthReply::Exchange410;
  return TAuthReply::Done;
}

}  // namespace mysqlhandshake
