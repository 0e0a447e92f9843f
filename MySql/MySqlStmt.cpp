#include "MySql/MySqlStmt.h"

#include "Common/LxAccess_Command.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlSession.h"
#include "MySql/MySqlSession_Handshake.h"
#include "platform/rtl/NumberText.h"

namespace {

constexpr int32_t kUnknownError = 2000;
constexpr int32_t kLostConnection = 2013;
constexpr int32_t kPacketTooLarge = 2020;
constexpr int32_t kNotPrepared = 2029;
constexpr int32_t kParamsNotBound = 2030;
// Parameter and column definitions are read as text rows of this many values.
constexpr int32_t kParamValues = 5;
constexpr int32_t kColumnValues41 = 7;
constexpr int32_t kColumnValues40 = 5;
// No server takes a max_allowed_packet below this: smaller packets need no check.
constexpr size_t kSmallestServerLimit = 1024;
constexpr uint8_t kResultParam = 4;

// The server's max_allowed_packet, asked once per session.
int64_t ServerMaxPacket(TMySqlSession& session) {
  if (session.ServerMaxPacket() > 0) return session.ServerMaxPacket();
  session.Query("SELECT @@max_allowed_packet");
  TMySqlResultSet result(&session);
  session.PendingColumns().clear();
  session.SetFieldCount(0);
  session.SetResultState(TMySqlSession::ResultReading);
  TMySqlBinds* binds = result.Binds();
  int64_t value = 0;
  if (result.Fetch(binds) && !binds->Binds.empty() && !binds->Binds[0].IsNull) {
    const TMySqlBind& bind = binds->Binds[0];
    for (int32_t i = 0; i < bind.Length; ++i) {
      const char c = static_cast<char>(binds->Buffer[bind.Offset + i]);
      if (c < '0' || c > '9' || value > (int64_t{1} << 40)) break;
      value = value * 10 + (c - '0');
    }
  }
  while (result.Fetch(binds)) {
  }
  session.SetServerMaxPacket(value > 0 ? value : TMySqlNet::DefaultMaxAllowedPacket);
  return session.ServerMaxPacket();
}

}  // namespace

TMySqlStmt::TMySqlStmt(TMySqlSession* session) : FSession(session) {
  RTL_ASSERT(session != nullptr, u"TMySqlStmt: no session");
  session->AttachStatement(this);
}

TMySqlStmt::~TMySqlStmt() {
  try {
    CloseStatement();
  } catch (const std::exception&) {
    // The statement goes with its session at the latest.
  }
  ReleaseResultSet();
  if (FSession) FSession->DetachStatement(this);
}

void TMySqlStmt::ForgetSession() {
  if (FResultSet) FResultSet->ForgetSession();
  if (FSession) FSession->DetachStatement(this);
  FSession = nullptr;
  FPrepared = false;
}

TMySqlSession& TMySqlStmt::LiveSession() const {
  if (FSession == nullptr) throw EMySqlException(kLostConnection);
  return *FSession;
}

void TMySqlStmt::ReleaseResultSet() {
  std::unique_ptr<TMySqlResultSet> result = std::move(FResultSet);
  if (!result) return;
  // Rows still on the wire were flushed by the caller; the result set must not do it again.
  result->ForgetSession();
  result->Close();
}

bool TMySqlStmt::RowsPending() const {
  return FRowsPending && FResultSet && FSession != nullptr && !FResultSet->EndReached();
}

void TMySqlStmt::FlushOwnRows() {
  if (!RowsPending()) return;
  FRowsPending = false;
  if (FSession->ResultState() != TMySqlSession::ResultReading) return;
  // A text result being read on the session is not this statement's to discard.
  if (FSession->CurrentResult() != nullptr) return;
  FSession->FlushResult();
}

void TMySqlStmt::Prepare(const uint8_t* bytes, int32_t length) {
  TMySqlSession& session = LiveSession();
  // A statement prepared before is closed on the server first.
  CloseStatement();
  session.Command(TMySqlSession::ComStmtPrepare, bytes, length, false);
  TMySqlNet& net = session.Net();
  const mysqlstmt::TPrepareOk ok =
      mysqlstmt::DecodePrepareOk(net.Buffer(), static_cast<size_t>(net.Length()));
  FStatementId = ok.StatementId;
  FParamCount = ok.ParamCount;
  FFieldCount = ok.FieldCount;

  if (FParamCount > 0) {
    TMySqlResultSet definitions(&session, nullptr, kParamValues, {});
    definitions.StoreRows();
    if (definitions.StoredRows()->Count() != FParamCount) throw EMySqlException(CR_MALFORMED_PACKET);
  }
  if (FFieldCount > 0) {
    if (!(session.ServerStatus() & mysqlhandshake::kServerStatusAutocommit))
      session.SetServerStatus(session.ServerStatus() & mysqlhandshake::kServerStatusInTrans);
    TMySqlResultSet definitions(
        &session, nullptr, session.SpeaksProtocol41() ? kColumnValues41 : kColumnValues40, {});
    definitions.StoreRows();
    TMySqlFieldInfos columns;
    definitions.ConvertColumns(FFieldCount, columns);
    FColumns = columns;
    FResultSet = std::make_unique<TMySqlResultSet>(&session, nullptr, FFieldCount,
                                                   std::move(columns));
  }
  FPrepared = true;
}

void TMySqlStmt::CheckPacketSize(size_t length) {
  if (length <= kSmallestServerLimit) return;
  const int64_t limit = ServerMaxPacket(LiveSession());
  if (static_cast<int64_t>(length) <= limit) return;
  throw EMySqlException::CreateMsg(
      kPacketTooLarge, u"The statement's values take " + IntToStr(static_cast<int64_t>(length)) +
                           u" bytes; the server takes at most " + IntToStr(limit) + u".");
}

void TMySqlStmt::Execute(TParamDescs& params, bool /*utf8*/) {
  TMySqlSession& session = LiveSession();
  if (!FPrepared) throw EMySqlException(kNotPrepared);
  const int skip =
      params.Count() > 0 && params.GetItem(0)->GetParamType() == kResultParam ? 1 : 0;
  std::vector<Variant> values;
  std::vector<mysqlstmt::TExecuteParam> sent;
  if (FParamCount > 0) {
    if (params.Count() - skip != FParamCount) throw EMySqlException(kParamsNotBound);
    values.reserve(static_cast<size_t>(FParamCount));
    sent.reserve(static_cast<size_t>(FParamCount));
    for (int i = skip; i < params.Count(); ++i) {
      TParamDesc* param = params.GetItem(i);
      values.push_back(param->GetValue());
      const bool isNull = param->GetNull() || values.back().IsNull() || values.back().IsEmpty();
      sent.push_back({param->GetDataType(), isNull, nullptr});
    }
    for (size_t i = 0; i < sent.size(); ++i) sent[i].Value = &values[i];
  }
  TMySqlParamTypes types;
  bool newTypes = false;
  const TBytes body = mysqlstmt::EncodeExecute(FStatementId, sent, FSentTypes, types, newTypes);
  // Nothing goes out when the server would refuse the packet: the statement stays usable.
  CheckPacketSize(body.size() + 1);
  FlushOwnRows();
  session.StartCommand(TMySqlSession::ComStmtExecute);
  TMySqlNet& net = session.Net();
  net.WriteLarge(body.data(), 0, static_cast<int32_t>(body.size()));
  net.Send();
  if (newTypes) FSentTypes = std::move(types);
  session.ReadResult();

  // Only a result header puts rows on the wire: a statement with columns may still answer OK.
  if (session.FieldCount() > 0 && !session.PendingColumns().empty()) {
    FFieldCount = session.FieldCount();
    FColumns = session.PendingColumns();
    session.SetFieldCount(0);
    session.PendingColumns().clear();
    ReleaseResultSet();
    FResultSet = std::make_unique<TMySqlResultSet>(&session, nullptr, FFieldCount, FColumns);
    // The binary rows follow; the result set reads them once it has its binds.
    session.SetResultState(TMySqlSession::ResultReading);
    FRowsPending = true;
  }
  FAffectedRows = session.AffectedRows();
}

void TMySqlStmt::BindResults(std::unique_ptr<TMySqlBinds> binds) {
  if (!FPrepared) throw EMySqlException(kNotPrepared);
  if (FFieldCount == 0 || !FResultSet) throw EMySqlException(kUnknownError);
  FResultSet->SetResultBinds(std::move(binds));
}

void TMySqlStmt::FreeResult() {
  FlushOwnRows();
  ReleaseResultSet();
}

void TMySqlStmt::CloseStatement() {
  if (FSession != nullptr) {
    FlushOwnRows();
    if (FPrepared && FSession->ResultState() == TMySqlSession::ResultIdle &&
        FSession->Net().Vio() != nullptr) {
      FPrepared = false;
      FSession->StartCommand(TMySqlSession::ComStmtClose);
      FSession->Net().WriteBytes(mysqlstmt::EncodeClose(FStatementId));
      FSession->Net().Send();
    }
  }
  FPrepared = false;
  FStatementId = 0;
  FFieldCount = 0;
  FParamCount = 0;
  ReleaseResultSet();
  FColumns.clear();
  FSentTypes.clear();
}
