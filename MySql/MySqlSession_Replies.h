// The replies to a query or a statement execution as pure functions over the reply packet: an OK
// packet, a request for a local file, or the header of a result set.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/rtl/Types.h"

namespace mysqlreplies {

enum class TReplyKind {
  Ok,            // field count 0
  LocalFile,     // the NULL marker (251), then the file name to the end
  ResultHeader,  // the column count of a result set
};
// What the reply's first value says; an empty reply is malformed (2027).
TReplyKind ClassifyReply(const uint8_t* payload, size_t length);

struct TOkPacket {
  uint64_t AffectedRows = 0;
  uint64_t InsertId = 0;
  bool HasStatus = false;
  uint16_t ServerStatus = 0;
  bool HasWarnings = false;
  uint16_t WarningCount = 0;
  AnsiString Info;  // a length-coded string when bytes remain, else empty
};
// The server status is there when the session speaks 4.1 or the server has TRANSACTIONS; the
// warning count only with 4.1. A packet too short for what it must hold, or a message longer than
// the rest of the packet, is malformed (2027).
TOkPacket DecodeOkPacket(const uint8_t* payload, size_t length, bool withStatus,
                         bool withWarnings);

// The file name of a local-file request.
AnsiString DecodeLocalFileRequest(const uint8_t* payload, size_t length);

struct TResultHeader {
  int32_t FieldCount = 0;
  uint64_t Extra = 0;  // 0 when absent
};
// The column count (1 or more; a count past what a 32-bit count holds is malformed) and, when
// bytes remain, extra.
TResultHeader DecodeResultHeader(const uint8_t* payload, size_t length);

}  // namespace mysqlreplies
