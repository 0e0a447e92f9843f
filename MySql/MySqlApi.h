// The MySQL call table: every server operation of the MySQL provider goes through one process-wide
// object of TMySQLAPI, a table of slots shaped after the MySQL C client interface. Handles are
// opaque; failures follow that interface's conventions (status codes, nil handles) and the error
// number and text are read back through the table. Each back end (the own protocol engine, the
// client library, the embedded server) fills the slots its own way; the provider never knows
// which one stands behind the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/rtl/Types.h"

class TParamDescs;

// Opaque handles; nil means "none". What they point to is the back end's business.
using PMYSQL_CON = void*;    // a session: mysql_init .. mysql_close
using PMYSQL_RES = void*;    // a result set: mysql_use_result .. mysql_free_result
using PMYSQL_ROW = void*;    // the current row of a result or statement, valid until the next fetch
using PMYSQL_STMT = void*;   // a prepared statement: mysql_stmt_init .. mysql_stmt_close
using PMYSQL_FIELD = void*;  // a library's own column structure

// The call table's description of one column.
struct TMYSQL_FIELD {
  AnsiString Name;      // column name or alias
  AnsiString OrgName;   // underlying column name; Name when the source has none
  AnsiString Table;     // table name or alias; empty for computed columns
  AnsiString OrgTable;  // underlying table name; empty when the client structure has none
  uint32_t Flags = 0;   // column flags as the server sends them
  uint32_t Type = 0;    // the MySQL column type code (0 DECIMAL .. 255 GEOMETRY)
  uint32_t Length = 0;  // display length in bytes, limited to 65535
  uint32_t CharsetNr = 0;
  uint32_t Decimals = 0;
};

// Byte lengths of the current row's columns.
using TLenArr = std::vector<uint32_t>;

// The bind record of the 4.1 client interface. Pointer slots take the machine's pointer size;
// every other field keeps its width.
struct TMYSQL_BIND {
  uint32_t* length;     // actual length of the value
  uint8_t* is_null;
  void* buffer;         // the value
  uint32_t buffer_type;  // a MySQL column type code
  uint32_t buffer_length;
  uint8_t* row_ptr;
  uint32_t offset;
  uint32_t length_value;
  uint32_t param_number;
  uint32_t pack_length;
  uint8_t is_unsigned;
  uint8_t long_data_used;
  uint8_t is_null_value;
  uint8_t padding;
  void* store_param_func;
  void* fetch_result;
  void* skip_result;
};

// The same record as clients 5.0.3 and later lay it out: a truncation pointer after the value and
// a truncation byte before the flags.
struct TMYSQL_BIND503 {
  uint32_t* length;
  uint8_t* is_null;
  void* buffer;
  uint8_t* error;
  uint32_t buffer_type;
  uint32_t buffer_length;
  uint8_t* row_ptr;
  uint32_t offset;
  uint32_t length_value;
  uint32_t param_number;
  uint32_t pack_length;
  uint8_t error_value;
  uint8_t is_unsigned;
  uint8_t long_data_used;
  uint8_t is_null_value;
  void* store_param_func;
  void* fetch_result;
  void* skip_result;
};

using TMYSQL_BINDS = std::vector<TMYSQL_BIND>;
using TMYSQL_BINDS503 = std::vector<TMYSQL_BIND503>;

// Option codes of mysql_options and mysql_options_str, in the client interface's numbering (the
// names differ from the client library's, so tests can include both).
enum : uint8_t {
  MYOPT_CONNECT_TIMEOUT = 0,           // pointer to int seconds
  MYOPT_NAMED_PIPE = 2,                // no value
  MYOPT_SET_CHARSET_NAME = 7,          // text
  MYOPT_PROTOCOL = 9,                  // pointer to a byte: 1 TCP, 2 socket, 3 pipe, 4 memory
  MYOPT_SHARED_MEMORY_BASE_NAME = 10,  // text
  MYOPT_READ_TIMEOUT = 11,             // pointer to int seconds
  MYOPT_WRITE_TIMEOUT = 12,            // pointer to int seconds
};

// Client flags the provider passes to mysql_real_connect.
constexpr uint32_t MYCLIENT_FOUND_ROWS = 0x2;
constexpr uint32_t MYCLIENT_COMPRESS = 0x20;
constexpr uint32_t MYCLIENT_MULTI_STATEMENTS = 0x10000;

// Server status bits: another result follows; the session's sql_mode has NO_BACKSLASH_ESCAPES.
constexpr uint16_t MYSERVER_MORE_RESULTS_EXIST = 8;
constexpr uint16_t MYSERVER_STATUS_NO_BACKSLASH_ESCAPES = 0x200;

// mysql_stmt_fetch and StmtFetchRow answers.
constexpr int MYSTMT_NO_DATA = 100;
constexpr int MYSTMT_DATA_TRUNCATED = 101;

class TMySQLAPI {
 public:
  TMySQLAPI() = default;
  virtual ~TMySQLAPI() = default;
  TMySQLAPI(const TMySQLAPI&) = delete;
  TMySQLAPI& operator=(const TMySQLAPI&) = delete;

  // --- the client interface's entry points (abstract here: "Abstract Error") ---
  virtual int mysql_num_fields(PMYSQL_RES result);
  virtual PMYSQL_FIELD mysql_fetch_field_direct(PMYSQL_RES result, int column);
  virtual int mysql_field_count(PMYSQL_CON con);
  virtual int64_t mysql_affected_rows(PMYSQL_CON con);
  virtual int64_t mysql_insert_id(PMYSQL_CON con);
  virtual int mysql_errno(PMYSQL_CON con);
  virtual AnsiString mysql_error(PMYSQL_CON con);
  virtual AnsiString mysql_info(PMYSQL_CON con);
  virtual int mysql_thread_id(PMYSQL_CON con);
  virtual AnsiString mysql_character_set_name(PMYSQL_CON con);
  virtual PMYSQL_CON mysql_init(PMYSQL_CON con);
  virtual int mysql_ssl_set(PMYSQL_CON con, const char* key, const char* cert, const char* ca,
                            const char* capath, const char* cipher);
  // The connection handle, or nil on failure; socket is nil or a socket or pipe name.
  virtual PMYSQL_CON mysql_real_connect(PMYSQL_CON con, const char* host, const char* user,
                                        const char* passwd, const char* db, int port,
                                        const char* socket, uint32_t clientFlag);
  virtual void mysql_close(PMYSQL_CON con);
  virtual int mysql_select_db(PMYSQL_CON con, const char* db);
  virtual int mysql_real_query(PMYSQL_CON con, const char* query, uint32_t length);
  virtual int mysql_kill(PMYSQL_CON con, uint32_t pid);
  virtual int mysql_ping(PMYSQL_CON con);
  virtual AnsiString mysql_get_server_info(PMYSQL_CON con);
  virtual AnsiString mysql_get_client_info();
  virtual AnsiString mysql_get_host_info(PMYSQL_CON con);
  // Nil when the statement gave no result set, or on failure (then the error number is set).
  virtual PMYSQL_RES mysql_use_result(PMYSQL_CON con);
  virtual int mysql_options(PMYSQL_CON con, uint8_t option, const void* arg);
  virtual int mysql_options_str(PMYSQL_CON con, uint8_t option, const char* arg);
  virtual void mysql_free_result(PMYSQL_RES result);
  // Nil at the end, or on failure.
  virtual PMYSQL_ROW mysql_fetch_row(PMYSQL_RES result);
  virtual const unsigned long* mysql_fetch_lengths(PMYSQL_RES result);
  virtual int mysql_server_init(int argc, char** argv, char** groups);
  virtual void mysql_server_end();
  virtual PMYSQL_STMT mysql_stmt_init(PMYSQL_CON con);
  virtual int mysql_stmt_prepare(PMYSQL_STMT stmt, const char* query, uint32_t length);
  virtual int mysql_stmt_execute(PMYSQL_STMT stmt);
  virtual int mysql_stmt_param_count(PMYSQL_STMT stmt);
  virtual uint8_t mysql_stmt_bind_param(PMYSQL_STMT stmt, void* bind);
  virtual uint8_t mysql_stmt_bind_result(PMYSQL_STMT stmt, void* bind);
  virtual int mysql_stmt_field_count(PMYSQL_STMT stmt);
  virtual int mysql_stmt_close(PMYSQL_STMT stmt);
  virtual int mysql_stmt_free_result(PMYSQL_STMT stmt);
  virtual int mysql_stmt_errno(PMYSQL_STMT stmt);
  virtual AnsiString mysql_stmt_error(PMYSQL_STMT stmt);
  // 0 a row, 1 an error, 100 no more rows, 101 data truncated.
  virtual int mysql_stmt_fetch(PMYSQL_STMT stmt);
  virtual int mysql_stmt_fetch_column(PMYSQL_STMT stmt, void* bind, uint32_t column,
                                      uint32_t offset);
  virtual uint8_t mysql_stmt_send_long_data(PMYSQL_STMT stmt, uint32_t paramNumber,
                                            const char* data, uint32_t length);
  virtual PMYSQL_RES mysql_stmt_result_metadata(PMYSQL_STMT stmt);
  virtual PMYSQL_RES mysql_stmt_param_metadata(PMYSQL_STMT stmt);
  virtual int64_t mysql_stmt_affected_rows(PMYSQL_STMT stmt);
  virtual bool mysql_more_results(PMYSQL_CON con);
  // 0 the next result is ready, -1 no more results, above 0 an error number.
  virtual int mysql_next_result(PMYSQL_CON con);

  // The status flags of the session's latest reply, when the back end keeps them.
  virtual std::optional<uint16_t> ServerStatus(PMYSQL_CON con) {
    (void)con;
    return std::nullopt;
  }

  // --- operations of the table itself ---
  virtual bool IsLoaded() { return true; }
  virtual void Load() {}
  virtual void Unload() {}
  // Reads the client's version and picks the structure layouts; runs before every connect.
  virtual void Initialize();
  virtual void GetFieldInfo(PMYSQL_RES result, int column, TMYSQL_FIELD& field, bool utf8);
  virtual PMYSQL_ROW FetchRow(PMYSQL_RES result) { return mysql_fetch_row(result); }
  virtual int StmtFetchRow(PMYSQL_STMT stmt, PMYSQL_ROW& row);
  virtual void FetchLengths(PMYSQL_RES result, TLenArr& lengths);
  virtual bool FieldIsNull(PMYSQL_ROW row, int column);
  // The column's bytes, nil for NULL.
  virtual void* GetFieldPtr(PMYSQL_RES result, PMYSQL_ROW row, int column);
  virtual void CopyFieldAt(PMYSQL_ROW row, int column, void* dest, int destOffset, int count);
  virtual void CopyField(PMYSQL_ROW row, int column, void* dest, int count);
  // As CopyField, then a zero byte after what was copied.
  virtual void CopyFieldTerminatedAt(PMYSQL_ROW row, int column, void* dest, int destOffset,
                                     int count);
  virtual void CopyFieldTerminated(PMYSQL_ROW row, int column, void* dest, int count);
  // The column's bytes start at the answer + offset.
  virtual void* GetFieldBuffer(PMYSQL_ROW row, int column, int& offset);
  virtual void GetFieldString(PMYSQL_ROW row, int column, AnsiString& value);
  virtual int StmtExecuteParams(PMYSQL_STMT stmt, TParamDescs& params, bool utf8);
  virtual uint8_t StmtBindParams(PMYSQL_STMT stmt, TMYSQL_BINDS& binds);
  virtual uint8_t StmtBindResults(PMYSQL_STMT stmt, TMYSQL_BINDS& binds);
  virtual int StmtFetchColumn(PMYSQL_STMT stmt, TMYSQL_BINDS& binds, int column, int offset);
  virtual void StmtFetchLengths(PMYSQL_ROW row, TLenArr& lengths);
  virtual void* StmtGetFieldPtr(PMYSQL_STMT stmt, int column);

  // Read and write time-outs of the session, 0 meaning a year; only clients that have them.
  void SetTimeouts(PMYSQL_CON con, int seconds);

  const AnsiString& ClientVersion() const { return FClientVer; }
  // 0 own protocol; 1 client 3.x; 2 client 4.0; 3 client 4.1.0; 4 client 4.1.1 and later.
  uint8_t ClientStructVer() const { return FClientStructVer; }

 protected:
  // The bind records in the layout the loaded client takes; the address of record n.
  void* PrepareBinds(TMYSQL_BINDS& binds, int n);
  void ReleaseBinds();
  // Picks the structure version from the client's version text.
  void SetClientVersion(const AnsiString& version);

  AnsiString FClientVer;
  uint8_t FClientStructVer = 0;

 private:
  TMYSQL_BINDS503 FBinds503;
};

// Where each column of a client library's field structure sits, by structure version, for a
// machine with the given pointer and `unsigned long` widths. Offsets of -1 mean "not there".
struct TMySqlFieldLayout {
  int Name, OrgName, Table, OrgTable, Flags, Type, Length, CharsetNr, Decimals;
  int LengthWidth;  // bytes of the length field
};
// Raises "Invalid client version" outside 1-4.
TMySqlFieldLayout MySqlFieldLayout(uint8_t structVer, size_t pointerSize, size_t longSize);

// The MySQL buffer type a data type is bound with: VAR_STRING for text, bytes, blobs and
// decimals, TINY, SHORT, LONG, LONGLONG, DOUBLE, DATE, TIME, DATETIME for the others. A data type
// without one fails the assertion "Invalid internal field type $%X (%d)".
uint32_t DataTypeToMySqlType(uint8_t dataType);

// Lengths above this are reported as it.
uint32_t ClampFieldLength(uint64_t length);
