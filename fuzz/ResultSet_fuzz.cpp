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
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlResultSet_Rows.h"
#include "MySql/MySqlSession.h"
#include "MySql/MySqlSession_LocalFile.h"
#include "MySql/MySqlSession_Replies.h"
#include "platform/rtl/Streams.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Serves the input's payloads one packet at a time, numbered after the last packet the client
// wrote; the client's packets are parsed only for their sequence numbers.
class TFramingVio : public TLxVio {
 public:
  TFramingVio(std::vector<Bytes> payloads) : FPayloads(std::move(payloads)) { TLxVio::Connect(); }

  int32_t GetTimeout() override { return 0; }
  void SetTimeout(int32_t) override {}
  void Close() override {}
  int32_t ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) override {
    if (FServed >= FFramed.size()) {
      if (FNextPayload >= FPayloads.size()) {
        FLastError = u"the input ended";
        return 0;
      }
      const Bytes& p = FPayloads[FNextPayload++];
      FFramed = {static_cast<uint8_t>(p.size()), static_cast<uint8_t>(p.size() >> 8),
                 static_cast<uint8_t>(p.size() >> 16), FNext++};
      FFramed.insert(FFramed.end(), p.begin(), p.end());
      FServed = 0;
    }
    size_t n = std::min(FFramed.size() - FServed, static_cast<size_t>(count));
    std::copy_n(FFramed.begin() + static_cast<ptrdiff_t>(FServed), n, buffer + offset);
    FServed += n;
    return static_cast<int32_t>(n);
  }
  int32_t WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) override {
    for (int32_t i = 0; i < count;) {
      if (FSkip > 0) {
        size_t n = std::min(FSkip, static_cast<size_t>(count - i));
        FSkip -= n;
        i += static_cast<int32_t>(n);
        continue;
      }
      FHeader.push_back(buffer[offset + i++]);
      if (FHeader.size() == 4) {
        FSkip = FHeader[0] | (FHeader[1] << 8) | (FHeader[2] << 16);
        FNext = static_cast<uint8_t>(FHeader[3] + 1);
        FHeader.clear();
      }
    }
    return count;
  }

 protected:
  void PauseAfterFailure() override {}

 private:
  std::vector<Bytes> FPayloads;
  size_t FNextPayload = 0;
  Bytes FFramed;
  size_t FServed = 0;
  uint8_t FNext = 0;
  Bytes FHeader;
  size_t FSkip = 0;
};

Bytes Greeting(bool v41) {
  Bytes g{10};
  for (char c : std::string("10.11.6-MariaDB")) g.push_back(static_cast<uint8_t>(c));
  g.insert(g.end(), {0, 7, 0, 0, 0});
  g.insert(g.end(), 8, 'x');
  g.push_back(0);
  // LONG_FLAG, CONNECT_WITH_DB, TRANSACTIONS, SECURE_CONNECTION; PROTOCOL_41 for the 4.1 form.
  uint16_t caps = 0x0004 | 0x0008 | 0x2000 | 0x8000 | (v41 ? 0x0200 : 0);
  g.insert(g.end(), {static_cast<uint8_t>(caps), static_cast<uint8_t>(caps >> 8), 8, 2, 0});
  g.insert(g.end(), 13, 0);
  g.insert(g.end(), 12, 'y');
  g.push_back(0);
  return g;
}

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
