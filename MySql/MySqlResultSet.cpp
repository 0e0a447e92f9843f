#include "MySql/MySqlResultSet.h"

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet_Rows.h"
#include "MySql/MySqlSession.h"
#include "MySql/MySqlSession_Handshake.h"

using namespace mysqlrows;

namespace {

TMySqlSession* Required(TMySqlSession* session) {
  RTL_ASSERT(session != nullptr, u"TMySqlResultSet: no session");
  return session;
}

}  // namespace

TMySqlResultSet::TMySqlResultSet(TMySqlSession* session)
    : TMySqlResultSet(session, nullptr, Required(session)->FieldCount(),
                      session->PendingColumns()) {}

TMySqlResultSet::TMySqlResultSet(TMySqlSession* session, std::unique_ptr<TMySqlBinds> resultBinds,
                                 int32_t fieldCount, TMySqlFieldInfos columns)
    : FFieldCount(fieldCount),
      FResultBinds(std::move(resultBinds)),
      FColumns(std::move(columns)),
      FSession(Required(session)),
      FBinds(std::make_unique<TMySqlBinds>(fieldCount)) {}

TMySqlResultSet::~TMySqlResultSet() = default;

void TMySqlResultSet::SetResultBinds(std::unique_ptr<TMySqlBinds> binds) {
  FResultBinds = std::move(binds);
}

void TMySqlResultSet::StoreRows() {
  RTL_ASSERT(FSession != nullptr, u"StoreRows: no session");
  TMySqlNet& net = FSession->Net();
  FStoredRows = std::make_unique<TRows>();
  FRowIndex = 0;
  for (;;) {
    // Read whole (continued packets joined), so a refused packet leaves the wire in step.
    net.Receive();
    const uint8_t* payload = net.Buffer();
    const size_t length = static_cast<size_t>(net.Length());
    if (IsEofPacket(payload, length)) {
      TEofInfo eof = DecodeEofPacket(payload, length);
      if (eof.HasStatus) {
        FSession->SetWarningCount(eof.WarningCount);
        FSession->SetServerStatus(eof.ServerStatus);
      }
      break;
    }
    if (length >= static_cast<size_t>(TMySqlNet::MaxPacketSize))
      throw ArgumentException(u"Cannot retrieve huge data in FetchAll mode");
    FStoredRows->Add(TBytes(payload, payload + length));
  }
  FEndReached = FStoredRows->Count() == 0;
}

bool TMySqlResultSet::FetchNext() {
  RTL_ASSERT(FSession != nullptr, u"FetchNext: no session");
  TMySqlNet& net = FSession->Net();
  FRowBuffer = nullptr;
  FRowLength = 0;
  net.Receive();
  const uint8_t* payload = net.Buffer();
  const size_t length = static_cast<size_t>(net.Length());
  if (!IsEofPacket(payload, length)) {
    FRowBuffer = payload;
    FRowLength = net.Length();
    ++FRowCount;
    return true;
  }
  TEofInfo eof = DecodeEofPacket(payload, length);
  if (eof.HasStatus) {
    FSession->SetWarningCount(eof.WarningCount);
    FSession->SetServerStatus(eof.ServerStatus);
  }
  FSession->SetResultState(TMySqlSession::ResultIdle);
  FEndReached = true;
  return false;
}

bool TMySqlResultSet::Fetch(TMySqlBinds*& binds) {
  if (FEndReached) return false;
  if (FStoredRows) {
    const TBytes& row = FStoredRows->Get(FRowIndex);
    FRowBuffer = row.data();
    FRowLength = static_cast<int32_t>(row.size());
    Locate(binds);
    ++FRowIndex;
    FEndReached = FRowIndex >= FStoredRows->Count();
  } else {
    if (!FetchNext()) return false;
    Locate(binds);
  }
  binds->Buffer = FRowBuffer;
  return true;
}

void TMySqlResultSet::Locate(TMySqlBinds*& binds) {
  const size_t length = static_cast<size_t>(FRowLength);
  if (FResultBinds) {
    binds = FResultBinds.get();
    LocateBinaryRow(FRowBuffer, length, FColumns, *binds);
    return;
  }
  if (binds == nullptr) throw EMySqlException(CR_NULL_POINTER);
  LocateTextRow(FRowBuffer, length, *binds);
}

void TMySqlResultSet::ConvertColumns(int32_t count, TMySqlFieldInfos& columns) {
  RTL_ASSERT(FSession != nullptr && FStoredRows != nullptr, u"ConvertColumns: nothing stored");
  // The count comes from the server: only the packets that really came are sized for.
  if (count != FStoredRows->Count()) throw EMySqlException(CR_MALFORMED_PACKET);
  const bool v41 = FSession->SpeaksProtocol41();
  const bool longFlag = (FSession->ServerCapabilities() & mysqlhandshake::kClientLongFlag) != 0;
  columns.clear();
  columns.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const TBytes& packet = FStoredRows->Get(i);
    columns.push_back(v41 ? DecodeColumn41(packet.data(), packet.size())
                          : DecodeColumn40(packet.data(), packet.size(), longFlag));
  }
}

const uint8_t* TMySqlResultSet::GetRowAddress() {
  RTL_ASSERT(FRowBuffer != nullptr, u"GetRowAddress: no current row");
  return FRowBuffer;
}

void TMySqlResultSet::Close() {
  FRowBuffer = nullptr;
  FRowLength = 0;
  FResultBinds.reset();
  FColumns.clear();
  TMySqlSession* session = FSession;
  std::unique_ptr<TRows> stored = std::move(FStoredRows);
  FSession = nullptr;
  FBinds.reset();
  // Unread rows are discarded last, so a failure there leaves the result released all the same.
  if (!stored && session != nullptr) session->FlushResult();
}
