// Feeds arbitrary server replies to a logged-in session: OK packets, result headers, column
// definitions, text and binary rows, EOF packets and local-file requests, read through the session
// and its result sets as the call table reads them; and the same bytes to the pure decoders.
// Anything but the engine's own errors is a finding, and so is a bind that points outside its row.
//
// Input: a control byte, then server payloads, each as a 2-byte length and its bytes. The harness
// frames them with the sequence numbers the client expects, so the fuzzer spends its time on the
// payloads (the packet framing has a target of its own).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Common/CLRClasses.h"
#include "fuzz/FuzzSession.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlResultSet_Rows.h"
#include "MySql/MySqlSession.h"
#include "MySql/MySqlSession_LocalFile.h"
#include "MySql/MySqlSession_Replies.h"
#include "platform/rtl/Streams.h"

namespace {

using fuzzsession::Bytes;
using fuzzsession::Greeting;
using fuzzsession::TFramingVio;

// A bind must point inside its row: every byte it names is read.
void CheckBinds(const TMySqlBinds& binds, int32_t rowLength) {
  volatile uint8_t sink = 0;
  for (const TMySqlBind& b : binds.Binds) {
    if (b.IsNull) continue;
    if (b.Offset < 0 || b.Length < 0 || static_cast<int64_t>(b.Offset) + b.Length > rowLength)
      __builtin_trap();
    for (int32_t i = 0; i < b.Length; ++i) sink = sink + binds.Buffer[b.Offset + i];
  }
}

// The pure decoders over the raw bytes.
void Decode(const uint8_t* data, size_t size, uint8_t control) {
  auto quietly = [](auto f) {
    try {
      f();
    } catch (const EMySqlException&) {
    } catch (const ArgumentException&) {
    }
  };
  TMySqlBinds binds(1 + control % 9);
  binds.Buffer = data;
  quietly([&] {
    mysqlrows::LocateTextRow(data, size, binds);
    CheckBinds(binds, static_cast<int32_t>(size));
  });
  quietly([&] { mysqlrows::DecodeColumn41(data, size); });
  quietly([&] { mysqlrows::DecodeColumn40(data, size, control & 1); });
  quietly([&] { mysqlrows::DecodeEofPacket(data, size); });
  quietly([&] { mysqlreplies::DecodeOkPacket(data, size, true, control & 1); });
  quietly([&] { mysqlreplies::DecodeResultHeader(data, size); });
  TMySqlFieldInfos columns(binds.Binds.size());
  for (size_t i = 0; i < columns.size() && i < size; ++i) columns[i].Type = data[size - 1 - i];
  quietly([&] {
    TMySqlBinds binary(static_cast<int32_t>(columns.size()));
    mysqlrows::LocateBinaryRow(data, size, columns, binary);
    binary.Buffer = data;
    CheckBinds(binary, static_cast<int32_t>(size));
  });
  quietly([&] {
    mysqllocalfile::LocalFileNames(std::string_view(reinterpret_cast<const char*>(data), size));
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t control = data[0];
  Decode(data + 1, size - 1, control);

  const bool v41 = !(control & 1), binary = control & 2, closeEarly = control & 4;
  std::vector<Bytes> payloads{Greeting(v41), v41 ? Bytes{0, 0, 0, 2, 0, 0, 0} : Bytes{0, 0, 0, 2, 0}};
  for (size_t i = 1; i + 2 <= size;) {
    size_t n = data[i] | (data[i + 1] << 8);
    i += 2;
    n = std::min(n, size - i);
    payloads.emplace_back(data + i, data + i + n);
    i += n;
  }
  TMySqlSession session;
  session.Net().SetVio(std::make_unique<TFramingVio>(std::move(payloads)));
  session.SetProtocol(mpMemory);
  try {
    session.Connect("fuzz", "user", "", "db", 3306, "", 0);
  } catch (const EMySqlException&) {
    return 0;
  }
  for (int command = 0; command < 16; ++command) {
    try {
      session.FlushResult();
      // A named file that does not exist: a request for it fails to open, any other is refused.
      session.Query(command == 0 && (control & 8)
                        ? "LOAD DATA LOCAL INFILE '/nonexistent/fuzz.csv' INTO TABLE t"
                        : "SELECT 1");
      if (session.FieldCount() == 0) continue;
      const int32_t fields = session.FieldCount();
      TMySqlResultSet result(&session, binary ? std::make_unique<TMySqlBinds>(fields) : nullptr,
                             fields, session.PendingColumns());
      session.PendingColumns().clear();
      session.SetResultState(TMySqlSession::ResultReading);
      TMySqlBinds* binds = result.Binds();
      while (result.Fetch(binds)) {
        CheckBinds(*binds, result.RowLength());
        if (closeEarly) break;
      }
      result.Close();
    } catch (const EMySqlException& e) {
      if (e.ErrorCode() == 2013) return 0;  // the input ended
    } catch (const ArgumentException&) {
    } catch (const EFOpenError&) {
    }
  }
  return 0;
}
