// The own-protocol back end's prepared statements: statement handles are TMySqlStmt objects,
// their result sets hand out binary rows as row handles.
#include <cstring>

#include "MySql/MySqlApiDirect.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlSession.h"
#include "MySql/MySqlStmt.h"
#include "platform/rtl/UnicodeText.h"

namespace {

TMySqlStmt* Stmt(PMYSQL_STMT stmt) {
  RTL_ASSERT(stmt != nullptr, u"No MySQL statement");
  return static_cast<TMySqlStmt*>(stmt);
}

// As the session's slots: the error slot cleared first, filled when the engine raises.
template <class Work>
int Trap(TMySqlStmt* stmt, Work work) {
  stmt->SetError(0, String());
  try {
    work();
    return 0;
  } catch (const EMySqlException& e) {
    stmt->SetError(e.ErrorCode(), e.Message());
    return e.ErrorCode();
  }
}

}  // namespace

PMYSQL_STMT TMySQLAPIDirect::mysql_stmt_init(PMYSQL_CON con) {
  return new TMySqlStmt(SessionOfHandle(con));
}

int TMySQLAPIDirect::mysql_stmt_prepare(PMYSQL_STMT handle, const char* query, uint32_t length) {
  TMySqlStmt* stmt = Stmt(handle);
  return Trap(stmt, [&] {
    FLock.Enter();
    try {
      if (FQueryBuffer.size() < length) FQueryBuffer.resize(length);
      if (length > 0) std::memcpy(FQueryBuffer.data(), query, length);
      stmt->Prepare(FQueryBuffer.data(), static_cast<int32_t>(length));
    } catch (...) {
      FLock.Leave();
      throw;
    }
    FLock.Leave();
  });
}

int TMySQLAPIDirect::mysql_stmt_param_count(PMYSQL_STMT stmt) { return Stmt(stmt)->ParamCount(); }

int TMySQLAPIDirect::mysql_stmt_field_count(PMYSQL_STMT stmt) { return Stmt(stmt)->FieldCount(); }

int TMySQLAPIDirect::mysql_stmt_close(PMYSQL_STMT stmt) {
  delete Stmt(stmt);
  return 0;
}

int TMySQLAPIDirect::mysql_stmt_free_result(PMYSQL_STMT handle) {
  TMySqlStmt* stmt = Stmt(handle);
  return Trap(stmt, [&] { stmt->FreeResult(); });
}

int TMySQLAPIDirect::mysql_stmt_errno(PMYSQL_STMT stmt) { return Stmt(stmt)->ErrorNumber(); }

AnsiString TMySQLAPIDirect::mysql_stmt_error(PMYSQL_STMT stmt) {
  return UTF8Encode(Stmt(stmt)->ErrorText());
}

PMYSQL_RES TMySQLAPIDirect::mysql_stmt_result_metadata(PMYSQL_STMT stmt) {
  return Stmt(stmt)->ResultSet();
}

int64_t TMySQLAPIDirect::mysql_stmt_affected_rows(PMYSQL_STMT stmt) {
  return Stmt(stmt)->AffectedRows();
}

int TMySQLAPIDirect::StmtFetchRow(PMYSQL_STMT handle, PMYSQL_ROW& row) {
  TMySqlStmt* stmt = Stmt(handle);
  stmt->SetError(0, String());
  row = nullptr;
  TMySqlResultSet* result = stmt->ResultSet();
  if (result == nullptr || !stmt->RowsPending()) return MYSTMT_NO_DATA;
  try {
    TMySqlBinds* binds = nullptr;
    if (!result->Fetch(binds)) return MYSTMT_NO_DATA;
    row = binds;
    return 0;
  } catch (const EMySqlException& e) {
    stmt->SetError(e.ErrorCode(), e.Message());
    TMySqlSession* session = stmt->Session();
    if (session && !(session->ServerStatus() & MYSERVER_MORE_RESULTS_EXIST))
      session->SetResultState(TMySqlSession::ResultIdle);
    return e.ErrorCode();
  }
}

int TMySQLAPIDirect::StmtExecuteParams(PMYSQL_STMT handle, TParamDescs& params, bool utf8) {
  TMySqlStmt* stmt = Stmt(handle);
  return Trap(stmt, [&] { stmt->Execute(params, utf8); });
}

uint8_t TMySQLAPIDirect::StmtBindResults(PMYSQL_STMT handle, TMYSQL_BINDS&) {
  TMySqlStmt* stmt = Stmt(handle);
  const int error = Trap(stmt, [&] {
    // Rows are bound before every fetch: binds that fit are kept rather than made again.
    TMySqlResultSet* result = stmt->ResultSet();
    if (stmt->Prepared() && result && result->ResultBinds() &&
        result->ResultBinds()->Binds.size() == static_cast<size_t>(stmt->FieldCount()))
      return;
    stmt->BindResults(std::make_unique<TMySqlBinds>(stmt->FieldCount()));
  });
  return static_cast<uint8_t>(error);
}

void TMySQLAPIDirect::StmtFetchLengths(PMYSQL_ROW row, TLenArr& lengths) {
  RTL_ASSERT(row != nullptr, u"No MySQL row");
  const auto* binds = static_cast<const TMySqlBinds*>(row);
  lengths.resize(binds->Binds.size());
  for (size_t i = 0; i < lengths.size(); ++i)
    lengths[i] = static_cast<uint32_t>(binds->Binds[i].Length);
}

void* TMySQLAPIDirect::StmtGetFieldPtr(PMYSQL_STMT handle, int column) {
  TMySqlResultSet* result = Stmt(handle)->ResultSet();
  RTL_ASSERT(result != nullptr && result->ResultBinds() != nullptr, u"The statement has no row");
  const auto& binds = result->ResultBinds()->Binds;
  RTL_ASSERT(column >= 0 && static_cast<size_t>(column) < binds.size(), u"Column out of range");
  const TMySqlBind& bind = binds[static_cast<size_t>(column)];
  // A NULL column of a binary row keeps the offset of an earlier row: its flag decides.
  if (bind.IsNull || bind.Offset == 0) return nullptr;
  return const_cast<uint8_t*>(result->GetRowAddress()) + bind.Offset;
}
