// The call table over the MySQL client library, loaded at run time on the first Initialize. The
// client interface's operations forward one to one to the library's entry points of the same
// names; an entry point the library lacks raises the not-linked error when (and only when) it is
// called. Rows and field structures are the library's own, which the base class reads.
#pragma once

#include "MySql/MySqlApi.h"
#include "platform/rtl/DynamicLibrary.h"

struct TMySqlClientEntryPoints;

class TMySQLAPIClient : public TMySQLAPI {
 public:
  // The library file the system's library search looks for.
  static constexpr const char* DefaultLibraryName = "libmariadb.so.3";

  explicit TMySQLAPIClient(AnsiString libraryName = DefaultLibraryName);
  ~TMySQLAPIClient() override;

  int mysql_num_fields(PMYSQL_RES result) override;
  PMYSQL_FIELD mysql_fetch_field_direct(PMYSQL_RES result, int column) override;
  int mysql_field_count(PMYSQL_CON con) override;
  int64_t mysql_affected_rows(PMYSQL_CON con) override;
  int64_t mysql_insert_id(PMYSQL_CON con) override;
  int mysql_errno(PMYSQL_CON con) override;
  AnsiString mysql_error(PMYSQL_CON con) override;
  AnsiString mysql_info(PMYSQL_CON con) override;
  int mysql_thread_id(PMYSQL_CON con) override;
  AnsiString mysql_character_set_name(PMYSQL_CON con) override;
  PMYSQL_CON mysql_init(PMYSQL_CON con) override;
  int mysql_ssl_set(PMYSQL_CON con, const char* key, const char* cert, const char* ca,
                    const char* capath, const char* cipher) override;
  PMYSQL_CON mysql_real_connect(PMYSQL_CON con, const char* host, const char* user,
                                const char* passwd, const char* db, int port, const char* socket,
                                uint32_t clientFlag) override;
  void mysql_close(PMYSQL_CON con) override;
  int mysql_select_db(PMYSQL_CON con, const char* db) override;
  int mysql_real_query(PMYSQL_CON con, const char* query, uint32_t length) override;
  int mysql_kill(PMYSQL_CON con, uint32_t pid) override;
  int mysql_ping(PMYSQL_CON con) override;
  AnsiString mysql_get_server_info(PMYSQL_CON con) override;
  AnsiString mysql_get_client_info() override;
  AnsiString mysql_get_host_info(PMYSQL_CON con) override;
  PMYSQL_RES mysql_use_result(PMYSQL_CON con) override;
  // Numeric options are passed on as the library reads them (an unsigned int).
  int mysql_options(PMYSQL_CON con, uint8_t option, const void* arg) override;
  int mysql_options_str(PMYSQL_CON con, uint8_t option, const char* arg) override;
  void mysql_free_result(PMYSQL_RES result) override;
  PMYSQL_ROW mysql_fetch_row(PMYSQL_RES result) override;
  const unsigned long* mysql_fetch_lengths(PMYSQL_RES result) override;
  int mysql_server_init(int argc, char** argv, char** groups) override;
  void mysql_server_end() override;
  PMYSQL_STMT mysql_stmt_init(PMYSQL_CON con) override;
  int mysql_stmt_prepare(PMYSQL_STMT stmt, const char* query, uint32_t length) override;
  int mysql_stmt_execute(PMYSQL_STMT stmt) override;
  int mysql_stmt_param_count(PMYSQL_STMT stmt) override;
  uint8_t mysql_stmt_bind_param(PMYSQL_STMT stmt, void* bind) override;
  uint8_t mysql_stmt_bind_result(PMYSQL_STMT stmt, void* bind) override;
  int mysql_stmt_field_count(PMYSQL_STMT stmt) override;
  int mysql_stmt_close(PMYSQL_STMT stmt) override;
  int mysql_stmt_free_result(PMYSQL_STMT stmt) override;
  int mysql_stmt_errno(PMYSQL_STMT stmt) override;
  AnsiString mysql_stmt_error(PMYSQL_STMT stmt) override;
  int mysql_stmt_fetch(PMYSQL_STMT stmt) override;
  int mysql_stmt_fetch_column(PMYSQL_STMT stmt, void* bind, uint32_t column,
                              uint32_t offset) override;
  uint8_t mysql_stmt_send_long_data(PMYSQL_STMT stmt, uint32_t paramNumber, const char* data,
                                    uint32_t length) override;
  PMYSQL_RES mysql_stmt_result_metadata(PMYSQL_STMT stmt) override;
  PMYSQL_RES mysql_stmt_param_metadata(PMYSQL_STMT stmt) override;
  int64_t mysql_stmt_affected_rows(PMYSQL_STMT stmt) override;
  bool mysql_more_results(PMYSQL_CON con) override;
  int mysql_next_result(PMYSQL_CON con) override;

  // The statement binds of this machine's library are not laid out by the table yet: prepared
  // statements through the library fail with SClientStmtNotAvailable rather than pass records
  // the library would misread.
  int StmtExecuteParams(PMYSQL_STMT stmt, TParamDescs& params, bool utf8) override;
  uint8_t StmtBindResults(PMYSQL_STMT stmt, TMYSQL_BINDS& binds) override;
  int StmtFetchRow(PMYSQL_STMT stmt, PMYSQL_ROW& row) override;

  bool IsLoaded() override { return FLibrary.IsLoaded(); }
  // Loads the library and looks up every entry point; nothing when loaded.
  void Load() override;
  void Unload() override;
  // Load, or the operating-system error "MySQL client library couldn't be loaded. ..." with the
  // load's error code; then the client's version and structure layouts.
  void Initialize() override;

  const AnsiString& LibraryName() const { return FLibraryName; }

 protected:
  // The message of a call to an entry point the library lacks.
  virtual String NotLinkedMessage() const;
  // The entry point, or the not-linked error.
  template <class F>
  F* Need(F* entryPoint) const;

 private:
  AnsiString FLibraryName;
  TDynamicLibrary FLibrary;
  TMySqlClientEntryPoints* FEntry;
};

inline constexpr char16_t SClientStmtNotAvailable[] =
    u"Prepared statements are not available through the MySQL client library";

// The process-wide client-library call table; its library is loaded on the first Initialize.
TMySQLAPIClient& MySQLAPIClient();
