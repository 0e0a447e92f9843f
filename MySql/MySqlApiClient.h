// The call table over the MySQL client library, loaded at run time on the first Initialize. The
// client interface's operations forward one to one to the library's entry points of the same
// names; an entry point the library lacks raises the not-linked error when (and only when) it is
// called. Rows and field structures are the library's own, which the base class reads.
#pragma once

#include <mutex>
#include <unordered_map>
#include <vector>

#include "MySql/MySqlApi.h"
#include "platform/rtl/DynamicLibrary.h"

struct TMySqlClientEntryPoints;

// The bind record and the time record as the client library of this machine lays them out: every
// `unsigned long` and pointer 64 bits wide, the type code after the lengths. The table's own
// records (TMYSQL_BIND, TMYSQL_TIME) are translated to these at the library's door.
struct TMYSQL_LIBBIND {
  unsigned long* length;
  uint8_t* is_null;
  void* buffer;
  uint8_t* error;
  uint8_t* row_ptr;
  void* store_param_func;
  void* fetch_result;
  void* skip_result;
  unsigned long buffer_length;
  unsigned long offset;
  unsigned long length_value;
  uint32_t flags;
  uint32_t pack_length;
  uint32_t buffer_type;
  uint8_t error_value;
  uint8_t is_unsigned;
  uint8_t long_data_used;
  uint8_t is_null_value;
  void* extension;
};

struct TMYSQL_LIBTIME {
  uint32_t year, month, day, hour, minute, second;
  unsigned long second_part;
  uint8_t neg;
  uint32_t time_type;
};

// A statement's result binds as the library holds them: its lengths and times land in these
// shadows and are copied to the table's records after every fetch.
struct TClientResultBinds {
  std::vector<TMYSQL_LIBBIND> Binds;
  std::vector<unsigned long> Lengths;
  std::vector<TMYSQL_LIBTIME> Times;
  std::vector<uint32_t*> LengthTargets;  // nil where the table's record has no length
  std::vector<void*> TimeTargets;        // nil where the column is no date or time
  // BIT columns: the library leaves their big-endian bytes at the start of the number's place.
  std::vector<bool> Bits;
};

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
  // The statement's result description, owned by the statement (never freed by the caller).
  PMYSQL_RES mysql_stmt_result_metadata(PMYSQL_STMT stmt) override;
  PMYSQL_RES mysql_stmt_param_metadata(PMYSQL_STMT stmt) override;
  int64_t mysql_stmt_affected_rows(PMYSQL_STMT stmt) override;
  bool mysql_more_results(PMYSQL_CON con) override;
  int mysql_next_result(PMYSQL_CON con) override;

  // Prepared statements: parameters and result binds go to the library in its own record layout
  // (TMYSQL_LIBBIND, TMYSQL_LIBTIME); what the library writes back is copied into the table's
  // records after each fetch.
  int StmtExecuteParams(PMYSQL_STMT stmt, TParamDescs& params, bool utf8) override;
  uint8_t StmtBindResults(PMYSQL_STMT stmt, TMYSQL_BINDS& binds) override;
  int StmtFetchColumn(PMYSQL_STMT stmt, TMYSQL_BINDS& binds, int column, int offset) override;

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
  // Defined here: other files of the class call it, and an optimised build inlines the
  // copies this file would otherwise have instantiated.
  template <class F>
  F* Need(F* entryPoint) const {
    if (entryPoint == nullptr) throw Exception(NotLinkedMessage());
    return entryPoint;
  }

 private:
  // Copies what the last fetch wrote into the shadows to the table's records.
  void DeliverFetched(PMYSQL_STMT stmt);

  AnsiString FLibraryName;
  TDynamicLibrary FLibrary;
  TMySqlClientEntryPoints* FEntry;
  // Connections on several threads share the table: the statements' binds are guarded.
  std::mutex FBindsLock;
  std::unordered_map<PMYSQL_STMT, TClientResultBinds> FResultBinds;
  // A statement's result description belongs to the statement, as callers of the table expect:
  // the library's is kept here and freed when the statement is prepared again or closed.
  std::unordered_map<PMYSQL_STMT, PMYSQL_RES> FMetadata;
  void ForgetMetadata(PMYSQL_STMT stmt);
};

// The process-wide client-library call table; its library is loaded on the first Initialize.
TMySQLAPIClient& MySQLAPIClient();
