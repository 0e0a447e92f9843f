// Feeds arbitrary server replies to a prepared statement on a logged-in session: the prepare reply
// with its parameter and column definitions, the execute reply and the binary rows, each value
// taken apart by the record set's binary readers; and the same bytes to the pure decoders. Anything
// but the engine's own errors is a finding, and so is a bind that points outside its row.
//
// Input: a control byte, then server payloads, each as a 2-byte length and its bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Common/LxAccess_Command.h"
#include "MySql/MyClasses_RecordSetConvert.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlResultSet_Rows.h"
#include "MySql/MySqlSession.h"
#include "MySql/MySqlStmt.h"
#include "fuzz/FuzzSession.h"

namespace {

using fuzzsession::Bytes;

void CheckBinds(const TMySqlBinds& binds, int32_t rowLength) {
  for (const TMySqlBind& b : binds.Binds) {
    if (b.IsNull) continue;
    if (b.Offset < 0 || b.Length < 0 || static_cast<int64_t>(b.Offset) + b.Length > rowLength)
      __builtin_trap();
  }
}

// Every value of the row through the reader the record set uses for its column type.
void ReadValues(const TMySqlBinds& binds) {
  uint8_t slot[8];
  char16_t wide[64];
  for (const TMySqlBind& b : binds.Binds) {
    if (b.IsNull) continue;
    const uint8_t* value = binds.Buffer + b.Offset;
    const auto length = static_cast<size_t>(b.Length);
    TDateTime date = 0;
    switch (b.Type) {
      case 1: case 2: case 3: case 8: case 9: case 13:
        ReadBinaryInt(value, length, dtLargeint, slot);
        break;
      case 4: case 5:
        ReadBinaryFloat(value, length);
        break;
      case 7: case 10: case 11: case 12:
        ReadBinaryDateTime(b.Type, value, length, date);
        break;
      case 16:
        ReadBit(value, length, dtLargeint, slot);
        break;
      default:
        try {
          DecodeUtf8(wide, sizeof wide, true, value, length);
        } catch (const EMySqlException&) {
          throw;
        } catch (const Exception&) {
          // Malformed UTF-8 is the text's fault and is reported as such.
        }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t control = data[0];
  try {
    mysqlstmt::DecodePrepareOk(data + 1, size - 1);
  } catch (const EMySqlException&) {
  }

  std::vector<Bytes> payloads{fuzzsession::Greeting(true), Bytes{0, 0, 0, 2, 0, 0, 0}};
  for (size_t i = 1; i + 2 <= size;) {
    size_t n = data[i] | (data[i + 1] << 8);
    i += 2;
    n = std::min(n, size - i);
    payloads.emplace_back(data + i, data + i + n);
    i += n;
  }
  TMySqlSession session;
  session.Net().SetVio(std::make_unique<fuzzsession::TFramingVio>(std::move(payloads)));
  session.SetProtocol(mpMemory);
  session.SetServerMaxPacket(1 << 20);
  try {
    session.Connect("fuzz", "user", "", "db", 3306, "", 0);
  } catch (const EMySqlException&) {
    return 0;
  }
  TMySqlStmt stmt(&session);
  for (int round = 0; round < 4; ++round) {
    try {
      const uint8_t sql[] = "SELECT ?";
      stmt.Prepare(sql, 8);
      TParamDescs params;
      for (int32_t i = 0; i < stmt.ParamCount() && i < 64; ++i) {
        TParamDesc* p = params.Add(std::make_unique<TParamDesc>());
        p->SetDataType((control >> (i % 8)) & 1 ? dtInteger : dtString);
        p->SetValue(Variant(int32_t{i}));
      }
      stmt.Execute(params, true);
      if (!stmt.RowsPending()) continue;
      stmt.BindResults(std::make_unique<TMySqlBinds>(stmt.FieldCount()));
      TMySqlBinds* binds = nullptr;
      while (stmt.ResultSet()->Fetch(binds)) {
        CheckBinds(*binds, stmt.ResultSet()->RowLength());
        ReadValues(*binds);
        if (control & 0x80) break;
      }
    } catch (const EMySqlException& e) {
      if (e.ErrorCode() == 2013) return 0;  // the input ended
    } catch (const ArgumentException&) {
    }
  }
  return 0;
}
