// The default back end of the MySQL call table: the system's own protocol engine. A connection
// handle is a TMySqlSession. The engine's errors are trapped at the slots and kept on the handle,
// where mysql_errno and mysql_error read them, as the client interface reports its failures.
#pragma once

#include <mutex>

#include "MySql/MySqlApi.h"
#include "platform/rtl/SyncObjs.h"

class TLxIOHandler;
class THttpOptions;
class TMySqlSession;

// The engine session behind a connection handle; a null handle is an assertion.
TMySqlSession* SessionOfHandle(PMYSQL_CON con);

class TMySQLAPIDirect : public TMySQLAPI {
 public:
  int mysql_num_fields(PMYSQL_RES result) override;
  int mysql_field_count(PMYSQL_CON con) override;
  int64_t mysql_affected_rows(PMYSQL_CON con) override;
  int64_t mysql_insert_id(PMYSQL_CON con) override;
  int mysql_errno(PMYSQL_CON con) override;
  AnsiString mysql_error(PMYSQL_CON con) override;
  AnsiString mysql_info(PMYSQL_CON con) override;
  int mysql_thread_id(PMYSQL_CON con) override;
  AnsiString mysql_character_set_name(PMYSQL_CON con) override;
  // A new session; the argument is not used.
  PMYSQL_CON mysql_init(PMYSQL_CON con) override;
  int mysql_ssl_set(PMYSQL_CON con, const char* key, const char* cert, const char* ca,
                    const char* capath, const char* cipher) override;
  PMYSQL_CON mysql_real_connect(PMYSQL_CON con, const char* host, const char* user,
                                const char* passwd, const char* db, int port, const char* socket,
                                uint32_t clientFlag) override;
  // Closes the session (the server is told), then frees it; errors on the way are ignored.
  void mysql_close(PMYSQL_CON con) override;
  int mysql_select_db(PMYSQL_CON con, const char* db) override;
  // Sends the statement and reads the reply: an OK packet, or the columns of a result whose rows
  // mysql_use_result claims.
  int mysql_real_query(PMYSQL_CON con, const char* query, uint32_t length) override;
  int mysql_kill(PMYSQL_CON con, uint32_t pid) override;
  int mysql_ping(PMYSQL_CON con) override;
  AnsiString mysql_get_server_info(PMYSQL_CON con) override;
  AnsiString mysql_get_client_info() override { return "7.0.0 Direct"; }
  AnsiString mysql_get_host_info(PMYSQL_CON con) override;
  // A result over the pending columns; nil after an OK packet, and when the rows are claimed
  // already or being read (then with 2014 in the error slot). Does not clear the error.
  PMYSQL_RES mysql_use_result(PMYSQL_CON con) override;
  int mysql_options(PMYSQL_CON con, uint8_t option, const void* arg) override;
  int mysql_options_str(PMYSQL_CON con, uint8_t option, const char* arg) override;
  // Discards the unread rows and frees the result.
  void mysql_free_result(PMYSQL_RES result) override;
  // The row's binds; nil at the end or on failure.
  PMYSQL_ROW mysql_fetch_row(PMYSQL_RES result) override;
  bool mysql_more_results(PMYSQL_CON con) override;
  std::optional<uint16_t> ServerStatus(PMYSQL_CON con) override;
  // 2014 while rows are unread.
  int mysql_next_result(PMYSQL_CON con) override;

  // Prepared statements: a statement handle is a TMySqlStmt on the session. The slots that can
  // fail keep the error on the statement, where mysql_stmt_errno and mysql_stmt_error read it.
  PMYSQL_STMT mysql_stmt_init(PMYSQL_CON con) override;
  // The text goes through the shared buffer; the reply is read before the lock is released.
  int mysql_stmt_prepare(PMYSQL_STMT stmt, const char* query, uint32_t length) override;
  int mysql_stmt_param_count(PMYSQL_STMT stmt) override;
  int mysql_stmt_field_count(PMYSQL_STMT stmt) override;
  // Frees the statement, which closes it on the server.
  int mysql_stmt_close(PMYSQL_STMT stmt) override;
  int mysql_stmt_free_result(PMYSQL_STMT stmt) override;
  int mysql_stmt_errno(PMYSQL_STMT stmt) override;
  AnsiString mysql_stmt_error(PMYSQL_STMT stmt) override;
  // The statement's result set (owned by the statement: never freed by the caller); nil when the
  // statement has no result columns.
  PMYSQL_RES mysql_stmt_result_metadata(PMYSQL_STMT stmt) override;
  int64_t mysql_stmt_affected_rows(PMYSQL_STMT stmt) override;
  // The next binary row: 0 and the row's binds, 100 at the end, or the error number.
  int StmtFetchRow(PMYSQL_STMT stmt, PMYSQL_ROW& row) override;
  int StmtExecuteParams(PMYSQL_STMT stmt, TParamDescs& params, bool utf8) override;
  // The given records are not used: the statement's result set gets binds of its own, one per
  // result column (kept while their count fits). 0, or the low byte of the error number.
  uint8_t StmtBindResults(PMYSQL_STMT stmt, TMYSQL_BINDS& binds) override;
  void StmtFetchLengths(PMYSQL_ROW row, TLenArr& lengths) override;
  void* StmtGetFieldPtr(PMYSQL_STMT stmt, int column) override;

  // Not supported by the own engine: internal faults when called.
  PMYSQL_FIELD mysql_fetch_field_direct(PMYSQL_RES result, int column) override;
  const unsigned long* mysql_fetch_lengths(PMYSQL_RES result) override;
  int mysql_server_init(int argc, char** argv, char** groups) override;
  void mysql_server_end() override;
  int mysql_stmt_fetch(PMYSQL_STMT stmt) override;
  uint8_t mysql_stmt_send_long_data(PMYSQL_STMT stmt, uint32_t paramNumber, const char* data,
                                    uint32_t length) override;
  PMYSQL_RES mysql_stmt_param_metadata(PMYSQL_STMT stmt) override;
  int StmtFetchColumn(PMYSQL_STMT stmt, TMYSQL_BINDS& binds, int column, int offset) override;

  // Structure version 0 and the engine's own version text.
  void Initialize() override;
  // From the result's column records; text lengths from servers before 4.1 count characters, so
  // in UTF-8 mode they are tripled.
  void GetFieldInfo(PMYSQL_RES result, int column, TMYSQL_FIELD& field, bool utf8) override;
  void FetchLengths(PMYSQL_RES result, TLenArr& lengths) override;
  bool FieldIsNull(PMYSQL_ROW row, int column) override;
  void* GetFieldPtr(PMYSQL_RES result, PMYSQL_ROW row, int column) override;
  void CopyFieldAt(PMYSQL_ROW row, int column, void* dest, int destOffset, int count) override;
  void CopyField(PMYSQL_ROW row, int column, void* dest, int count) override;
  void CopyFieldTerminatedAt(PMYSQL_ROW row, int column, void* dest, int destOffset,
                             int count) override;
  void CopyFieldTerminated(PMYSQL_ROW row, int column, void* dest, int count) override;
  void* GetFieldBuffer(PMYSQL_ROW row, int column, int& offset) override;
  void GetFieldString(PMYSQL_ROW row, int column, AnsiString& value) override;

  // An application's own transport for the session; not owned.
  void SetIOHandler(PMYSQL_CON con, TLxIOHandler* handler);
  // The HTTP tunnel settings for the session; not owned.
  void SetHttpOptions(PMYSQL_CON con, THttpOptions* options);

 private:
  // Statements are copied into one shared buffer before they are sent; the lock guards it.
  TBytes FQueryBuffer;
  TCriticalSection FLock;
  // The version facts are set once: connections on other threads read them meanwhile.
  std::once_flag FInitialized;
};

// The process-wide own-protocol call table.
TMySQLAPIDirect& MySQLAPIDirect();
