#include "MySql/MySqlSession_Replies.h"

#include <limits>

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlNetCodec.h"

using mysqlcodec::TMySqlReader;

namespace mysqlreplies {

namespace {

constexpr uint8_t kNullMarker = 251;

// A length-coded number of a reply; a cut-off 8-byte form is a short packet like any other.
int64_t ReadNumber(TMySqlReader& r) {
  if (!r.AtEnd() && *r.Current() == 254 && r.Remaining() < 9)
    throw EMySqlException(CR_MALFORMED_PACKET);
  return r.ReadLengthCoded();
}

}  // namespace

TReplyKind ClassifyReply(const uint8_t* payload, size_t length) {
  if (length == 0) throw EMySqlException(CR_MALFORMED_PACKET);
  if (payload[0] == kNullMarker) return TReplyKind::LocalFile;
  TMySqlReader r(payload, length);
  return ReadNumber(r) == 0 ? TReplyKind::Ok : TReplyKind::ResultHeader;
}

TOkPacket DecodeOkPacket(const uint8_t* payload, size_t length, bool withStatus,
                         bool withWarnings) {
  TMySqlReader r(payload, length);
  ReadNumber(r);  // the field count, 0
  TOkPacket ok;
  ok.AffectedRows = static_cast<uint64_t>(ReadNumber(r));
  ok.InsertId = static_cast<uint64_t>(ReadNumber(r));
  if (withStatus) {
    ok.HasStatus = true;
    ok.ServerStatus = r.ReadUInt16();
  }
  if (withWarnings) {
    ok.HasWarnings = true;
    ok.WarningCount = r.ReadUInt16();
  }
  // The message goes as a length-coded string, as every server writes it.
  size_t start, n;
  if (!r.AtEnd() && r.LocateLengthCoded(start, n))
    ok.Info.assign(reinterpret_cast<const char*>(payload + start), n);
  return ok;
}

AnsiString DecodeLocalFileRequest(const uint8_t* payload, size_t length) {
  TMySqlReader r(payload, length, 1);
  return r.ReadRest();
}

TResultHeader DecodeResultHeader(const uint8_t* payload, size_t length) {
  TMySqlReader r(payload, length);
  int64_t count = ReadNumber(r);
  // A 9-byte count past 2^63 reads as negative: either way it is no column count.
  if (count <= 0 || count > std::numeric_limits<int32_t>::max())
    throw EMySqlException(CR_MALFORMED_PACKET);
  TResultHeader header;
  header.FieldCount = static_cast<int32_t>(count);
  if (!r.AtEnd()) header.Extra = static_cast<uint64_t>(ReadNumber(r));
  return header;
}

}  // namespace mysqlreplies
