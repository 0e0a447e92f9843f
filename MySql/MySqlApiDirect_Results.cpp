// The own-protocol back end's statements and results: queries through the shared buffer, result
// sets as result handles, their binds as row handles, and the column operations over them.
#include <algorithm>
#include <cstring>

#include "Common/CLRClasses.h"
#include "MySql/MySqlApiDirect.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlSession.h"
#include "platform/rtl/NumberText.h"

namespace {

TMySqlResultSet* Result(PMYSQL_RES result) {
  RTL_ASSERT(result != nullptr, u"No MySQL result");
  return static_cast<TMySqlResultSet*>(result);
}

TMySqlBind& Bind(PMYSQL_ROW row, int column) {
  RTL_ASSERT(row != nullptr, u"No MySQL row");
  auto* binds = static_cast<TMySqlBinds*>(row);
  RTL_ASSERT(column >= 0 && static_cast<size_t>(column) < binds->Binds.size(),
             u"Column out of range");
  return binds->Binds[static_cast<size_t>(column)];
}

const uint8_t* RowBuffer(PMYSQL_ROW row) { return static_cast<TMySqlBinds*>(row)->Buffer; }

// Runs a slot's work with the session's error slot cleared first and filled when the engine
// raises; the answer is the error number then.
template <class Work>
int Trap(TMySqlSession* session, Work work) {
  session->SetError(0, String());
  try {
    work();
    return 0;
  } catch (const EMySqlException& e) {
    session->SetError(e.ErrorCode(), e.Message());
    return e.ErrorCode();
  }
}

EMySqlException OutOfSync(uint8_t state) {
  return EMySqlException::CreateMsg(CR_COMMANDS_OUT_OF_SYNC, u"mysql.status = " + IntToStr(state));
}

bool MoreResults(const TMySqlSession* session) {
  return (session->ServerStatus() & MYSERVER_MORE_RESULTS_EXIST) != 0;
}

}  // namespace

int TMySQLAPIDirect::mysql_num_fields(PMYSQL_RES result) { return Result(result)->FieldCount(); }

int TMySQLAPIDirect::mysql_field_count(PMYSQL_CON con) {
  return SessionOfHandle(con)->FieldCount();
}

int64_t TMySQLAPIDirect::mysql_affected_rows(PMYSQL_CON con) {
  return SessionOfHandle(con)->AffectedRows();
}

int64_t TMySQLAPIDirect::mysql_insert_id(PMYSQL_CON con) {
  return static_cast<int64_t>(SessionOfHandle(con)->InsertId());
}

AnsiString TMySQLAPIDirect::mysql_info(PMYSQL_CON con) { return SessionOfHandle(con)->Info(); }

int TMySQLAPIDirect::mysql_select_db(PMYSQL_CON con, const char* db) {
  TMySqlSession* session = SessionOfHandle(con);
  return Trap(session, [&] { session->SelectDb(db ? AnsiString(db) : AnsiString()); });
}

// The text goes through the shared buffer under the lock; the reply is read outside it.
int TMySQLAPIDirect::mysql_real_query(PMYSQL_CON con, const char* query, uint32_t length) {
  TMySqlSession* session = SessionOfHandle(con);
  return Trap(session, [&] {
    FLock.Enter();
    try {
      if (FQueryBuffer.size() < length) FQueryBuffer.resize(length);
      if (length > 0) std::memcpy(FQueryBuffer.data(), query, length);
      session->Command(TMySqlSession::ComQuery, FQueryBuffer.data(), static_cast<int32_t>(length),
                       true);
    } catch (...) {
      FLock.Leave();
      throw;
    }
    FLock.Leave();
    session->ReadResult();
  });
}

int TMySQLAPIDirect::mysql_kill(PMYSQL_CON con, uint32_t pid) {
  TMySqlSession* session = SessionOfHandle(con);
  const uint8_t id[4] = {static_cast<uint8_t>(pid), static_cast<uint8_t>(pid >> 8),
                         static_cast<uint8_t>(pid >> 16), static_cast<uint8_t>(pid >> 24)};
  return Trap(session, [&] { session->Command(TMySqlSession::ComProcessKill, id, 4, false); });
}

int TMySQLAPIDirect::mysql_ping(PMYSQL_CON con) {
  TMySqlSession* session = SessionOfHandle(con);
  return Trap(session, [&] { session->Ping(); });
}

PMYSQL_RES TMySQLAPIDirect::mysql_use_result(PMYSQL_CON con) {
  TMySqlSession* session = SessionOfHandle(con);
  if (session->PendingColumns().empty()) return nullptr;  // an OK packet: no rows
  if (session->ResultState() != TMySqlSession::ResultPending) {
    EMySqlException e = OutOfSync(session->ResultState());
    session->SetError(e.ErrorCode(), e.Message());
    return nullptr;
  }
  auto* result = new TMySqlResultSet(session);
  session->SetCurrentResult(result);
  session->PendingColumns().clear();
  session->SetResultState(TMySqlSession::ResultReading);
  return result;
}

void TMySQLAPIDirect::mysql_free_result(PMYSQL_RES handle) {
  TMySqlResultSet* result = Result(handle);
  TMySqlSession* session = result->Session();
  try {
    result->Close();
    if (session) {
      session->FlushResult();
      session->SetCurrentResult(nullptr);
    }
  } catch (const EMySqlException&) {
    if (session) session->SetCurrentResult(nullptr);
  }
  delete result;
}

PMYSQL_ROW TMySQLAPIDirect::mysql_fetch_row(PMYSQL_RES handle) {
  TMySqlResultSet* result = Result(handle);
  TMySqlSession* session = result->Session();
  RTL_ASSERT(session != nullptr, u"The result has no session");
  session->SetError(0, String());
  try {
    TMySqlBinds* binds = result->Binds();
    return result->Fetch(binds) ? binds : nullptr;
  } catch (const EMySqlException& e) {
    session->SetError(e.ErrorCode(), e.Message());
    if (!MoreResults(session)) session->SetResultState(TMySqlSession::ResultIdle);
    return nullptr;
  }
}

bool TMySQLAPIDirect::mysql_more_results(PMYSQL_CON con) {
  return MoreResults(SessionOfHandle(con));
}

std::optional<uint16_t> TMySQLAPIDirect::ServerStatus(PMYSQL_CON con) {
  return SessionOfHandle(con)->ServerStatus();
}

int TMySQLAPIDirect::mysql_next_result(PMYSQL_CON con) {
  TMySqlSession* session = SessionOfHandle(con);
  int answer = -1;
  int error = Trap(session, [&] {
    if (session->ResultState() != TMySqlSession::ResultIdle)
      throw OutOfSync(session->ResultState());
    session->SetAffectedRows(-1);
    if (MoreResults(session)) {
      session->ReadResult();
      answer = 0;
    }
  });
  return error != 0 ? error : answer;
}

void TMySQLAPIDirect::GetFieldInfo(PMYSQL_RES handle, int column, TMYSQL_FIELD& field,
                                   bool utf8) {
  TMySqlResultSet* result = Result(handle);
  RTL_ASSERT(column >= 0 && column < result->FieldCount() &&
                 static_cast<size_t>(column) < result->Columns().size(),
             u"Column out of range");
  const TMySqlFieldInfo& info = result->Columns()[static_cast<size_t>(column)];
  field.Name = info.Name;
  field.OrgName = info.OrgName.empty() ? info.Name : info.OrgName;
  field.Table = info.Table;
  field.OrgTable = info.OrgTable;
  field.Flags = info.Flags;
  field.Type = info.Type;
  field.Decimals = info.Decimals;
  field.CharsetNr = info.CharsetNr;
  field.Length = ClampFieldLength(info.Length);
  // A server before 4.1 reports string lengths in characters of its own set.
  const bool textType = info.Type == 15 || info.Type == 247 || info.Type == 248 ||
                        info.Type == 253 || info.Type == 254;
  TMySqlSession* session = result->Session();
  if (utf8 && !field.Table.empty() && textType && session && !session->SpeaksProtocol41())
    field.Length *= 3;
}

void TMySQLAPIDirect::FetchLengths(PMYSQL_RES handle, TLenArr& lengths) {
  TMySqlResultSet* result = Result(handle);
  lengths.assign(static_cast<size_t>(result->FieldCount()), 0);
  const TMySqlBinds* binds = result->Binds();
  for (size_t i = 0; binds && i < lengths.size() && i < binds->Binds.size(); ++i)
    lengths[i] = static_cast<uint32_t>(binds->Binds[i].Length);
}

bool TMySQLAPIDirect::FieldIsNull(PMYSQL_ROW row, int column) { return Bind(row, column).IsNull; }

void* TMySQLAPIDirect::GetFieldPtr(PMYSQL_RES handle, PMYSQL_ROW row, int column) {
  const TMySqlBind& bind = Bind(row, column);
  if (bind.Offset == 0) return nullptr;
  return const_cast<uint8_t*>(Result(handle)->GetRowAddress()) + bind.Offset;
}

// Never more than the value holds: the rest of the row is not the caller's.
void TMySQLAPIDirect::CopyFieldAt(PMYSQL_ROW row, int column, void* dest, int destOffset,
                                  int count) {
  const TMySqlBind& bind = Bind(row, column);
  if (bind.Offset == 0 || count <= 0) return;
  const int n = std::min(count, bind.Length);
  if (n > 0)
    std::memcpy(static_cast<uint8_t*>(dest) + destOffset, RowBuffer(row) + bind.Offset,
                static_cast<size_t>(n));
}

void TMySQLAPIDirect::CopyField(PMYSQL_ROW row, int column, void* dest, int count) {
  CopyFieldAt(row, column, dest, 0, count);
}

void TMySQLAPIDirect::CopyFieldTerminatedAt(PMYSQL_ROW row, int column, void* dest,
                                            int destOffset, int count) {
  CopyFieldAt(row, column, dest, destOffset, count);
  static_cast<uint8_t*>(dest)[destOffset + std::max(count, 0)] = 0;
}

void TMySQLAPIDirect::CopyFieldTerminated(PMYSQL_ROW row, int column, void* dest, int count) {
  const TMySqlBind& bind = Bind(row, column);
  CopyFieldAt(row, column, dest, 0, count);
  if (bind.Offset != 0 && count > 0) static_cast<uint8_t*>(dest)[count] = 0;
}

void* TMySQLAPIDirect::GetFieldBuffer(PMYSQL_ROW row, int column, int& offset) {
  offset = Bind(row, column).Offset;
  return const_cast<uint8_t*>(RowBuffer(row));
}

void TMySQLAPIDirect::GetFieldString(PMYSQL_ROW row, int column, AnsiString& value) {
  const TMySqlBind& bind = Bind(row, column);
  if (bind.Length <= 0) {
    value.clear();
    return;
  }
  value.assign(reinterpret_cast<const char*>(RowBuffer(row)) + bind.Offset,
               static_cast<size_t>(bind.Length));
}
