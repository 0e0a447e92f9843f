// The default back end of the MySQL call table: the system's own protocol engine. A connection
// handle is a TMySqlSession. The engine's errors are trapped at the slots and kept on the handle,
// where mysql_errno and mysql_error read them, as the client interface reports its failures.
#pragma once

#include "MySql/MySqlApi.h"

class TLxIOHandler;

class TMySQLAPIDirect : public TMySQLAPI {
 public:
  int mysql_errno(PMYSQL_CON con) override;
  AnsiString mysql_error(PMYSQL_CON con) override;
  int mysql_thread_id(PMYSQL_CON con) override;
  AnsiString mysql_character_set_name(PMYSQL_CON con) override;
  // A new session; the argument is not used.
  PMYSQL_CON mysql_init(PMYSQL_CON con) override;
  int mysql_ssl_set(PMYSQL_CON con, const char* key, const char* cert, const char* ca,
                    const char* capath, const char* cipher) override;
  PMYSQL_CON mysql_real_connect(PMYSQL_CON con, const char* host, const char* user,
                                const char* passwd, const char* db, int port, const char* socket,
                                uint32_t clientFlag) override;
  void mysql_close(PMYSQL_CON con) override;
  AnsiString mysql_get_server_info(PMYSQL_CON con) override;
  AnsiString mysql_get_client_info() override { return "7.0.0 Direct"; }
  AnsiString mysql_get_host_info(PMYSQL_CON con) override;
  int mysql_options(PMYSQL_CON con, uint8_t option, const void* arg) override;
  int mysql_options_str(PMYSQL_CON con, uint8_t option, const char* arg) override;

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

  // An application's own transport for the session; not owned.
  void SetIOHandler(PMYSQL_CON con, TLxIOHandler* handler);
};

// The process-wide own-protocol call table.
TMySQLAPIDirect& MySQLAPIDirect();
