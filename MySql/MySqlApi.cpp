// The call table's base: the slots a back end must fill raise "Abstract Error"; the version
// bookkeeping and the bind-record conversion are shared by every back end.
#include "MySql/MySqlApi.h"

#include "MySql/MyCall.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"

namespace {

[[noreturn]] void AbstractError() { throw Exception(u"Abstract Error"); }

}  // namespace

int TMySQLAPI::mysql_num_fields(PMYSQL_RES) { AbstractError(); }
PMYSQL_FIELD TMySQLAPI::mysql_fetch_field_direct(PMYSQL_RES, int) { AbstractError(); }
int TMySQLAPI::mysql_field_count(PMYSQL_CON) { AbstractError(); }
int64_t TMySQLAPI::mysql_affected_rows(PMYSQL_CON) { AbstractError(); }
int64_t TMySQLAPI::mysql_insert_id(PMYSQL_CON) { AbstractError(); }
int TMySQLAPI::mysql_errno(PMYSQL_CON) { AbstractError(); }
AnsiString TMySQLAPI::mysql_error(PMYSQL_CON) { AbstractError(); }
AnsiString TMySQLAPI::mysql_info(PMYSQL_CON) { AbstractError(); }
int TMySQLAPI::mysql_thread_id(PMYSQL_CON) { AbstractError(); }
AnsiString TMySQLAPI::mysql_character_set_name(PMYSQL_CON) { AbstractError(); }
PMYSQL_CON TMySQLAPI::mysql_init(PMYSQL_CON) { AbstractError(); }
int TMySQLAPI::mysql_ssl_set(PMYSQL_CON, const char*, const char*, const char*, const char*,
                             const char*) {
  AbstractError();
}
PMYSQL_CON TMySQLAPI::mysql_real_connect(PMYSQL_CON, const char*, const char*, const char*,
                                        const char*, int, const char*, uint32_t) {
  AbstractError();
}
void TMySQLAPI::mysql_close(PMYSQL_CON) { AbstractError(); }
int TMySQLAPI::mysql_select_db(PMYSQL_CON, const char*) { AbstractError(); }
int TMySQLAPI::mysql_real_query(PMYSQL_CON, const char*, uint32_t) { AbstractError(); }
int TMySQLAPI::mysql_kill(PMYSQL_CON, uint32_t) { AbstractError(); }
int TMySQLAPI::mysql_ping(PMYSQL_CON) { AbstractError(); }
AnsiString TMySQLAPI::mysql_get_server_info(PMYSQL_CON) { AbstractError(); }
AnsiString TMySQLAPI::mysql_get_client_info() { AbstractError(); }
AnsiString TMySQLAPI::mysql_get_host_info(PMYSQL_CON) { AbstractError(); }
PMYSQL_RES TMySQLAPI::mysql_use_result(PMYSQL_CON) { AbstractError(); }
int TMySQLAPI::mysql_options(PMYSQL_CON, uint8_t, const void*) { AbstractError(); }
int TMySQLAPI::mysql_options_str(PMYSQL_CON, uint8_t, const char*) { AbstractError(); }
void TMySQLAPI::mysql_free_result(PMYSQL_RES) { AbstractError(); }
PMYSQL_ROW TMySQLAPI::mysql_fetch_row(PMYSQL_RES) { AbstractError(); }
const unsigned long* TMySQLAPI::mysql_fetch_lengths(PMYSQL_RES) { AbstractError(); }
int TMySQLAPI::mysql_server_init(int, char**, char**) { AbstractError(); }
void TMySQLAPI::mysql_server_end() { AbstractError(); }
PMYSQL_STMT TMySQLAPI::mysql_stmt_init(PMYSQL_CON) { AbstractError(); }
int TMySQLAPI::mysql_stmt_prepare(PMYSQL_STMT, const char*, uint32_t) { AbstractError(); }
int TMySQLAPI::mysql_stmt_execute(PMYSQL_STMT) { AbstractError(); }
int TMySQLAPI::mysql_stmt_param_count(PMYSQL_STMT) { AbstractError(); }
uint8_t TMySQLAPI::mysql_stmt_bind_param(PMYSQL_STMT, void*) { AbstractError(); }
uint8_t TMySQLAPI::mysql_stmt_bind_result(PMYSQL_STMT, void*) { AbstractError(); }
int TMySQLAPI::mysql_stmt_field_count(PMYSQL_STMT) { AbstractError(); }
int TMySQLAPI::mysql_stmt_close(PMYSQL_STMT) { AbstractError(); }
int TMySQLAPI::mysql_stmt_free_result(PMYSQL_STMT) { AbstractError(); }
int TMySQLAPI::mysql_stmt_errno(PMYSQL_STMT) { AbstractError(); }
AnsiString TMySQLAPI::mysql_stmt_error(PMYSQL_STMT) { AbstractError(); }
int TMySQLAPI::mysql_stmt_fetch(PMYSQL_STMT) { AbstractError(); }
int TMySQLAPI::mysql_stmt_fetch_column(PMYSQL_STMT, void*, uint32_t, uint32_t) {
  AbstractError();
}
uint8_t TMySQLAPI::mysql_stmt_send_long_data(PMYSQL_STMT, uint32_t, const char*, uint32_t) {
  AbstractError();
}
PMYSQL_RES TMySQLAPI::mysql_stmt_result_metadata(PMYSQL_STMT) { AbstractError(); }
PMYSQL_RES TMySQLAPI::mysql_stmt_param_metadata(PMYSQL_STMT) { AbstractError(); }
int64_t TMySQLAPI::mysql_stmt_affected_rows(PMYSQL_STMT) { AbstractError(); }
bool TMySQLAPI::mysql_more_results(PMYSQL_CON) { AbstractError(); }
int TMySQLAPI::mysql_next_result(PMYSQL_CON) { AbstractError(); }

int TMySQLAPI::StmtFetchRow(PMYSQL_STMT, PMYSQL_ROW&) { AbstractError(); }
int TMySQLAPI::StmtExecuteParams(PMYSQL_STMT, TParamDescs&, bool) { AbstractError(); }
void TMySQLAPI::StmtFetchLengths(PMYSQL_ROW, TLenArr&) { AbstractError(); }
void* TMySQLAPI::StmtGetFieldPtr(PMYSQL_STMT, int) { AbstractError(); }

void TMySQLAPI::Initialize() {
  FClientVer = mysql_get_client_info();
  SetClientVersion(FClientVer);
}

void TMySQLAPI::SetClientVersion(const AnsiString& version) {
  int32_t major, minor, release;
  ParseVersion(version, major, minor, release);
  switch (major) {
    case 3: FClientStructVer = 1; break;
    case 4: FClientStructVer = minor == 0 ? 2 : release == 0 ? 3 : 4; break;
    case 5: FClientStructVer = 4; break;
    default: throw Exception(u"Invalid client version");
  }
}

void TMySQLAPI::SetTimeouts(PMYSQL_CON con, int seconds) {
  if (FClientStructVer == 1 || FClientStructVer == 2) return;
  const int value = seconds == 0 ? 31536000 : seconds;
  mysql_options(con, MYOPT_READ_TIMEOUT, &value);
  mysql_options(con, MYOPT_WRITE_TIMEOUT, &value);
}

// Clients from 5.0.3 on take the longer record; older ones take ours as it is.
void* TMySQLAPI::PrepareBinds(TMYSQL_BINDS& binds, int n) {
  if (n < 0 || static_cast<size_t>(n) >= binds.size()) return nullptr;
  int32_t major = 0, minor = 0, release = 0;
  ParseVersion(FClientVer, major, minor, release);
  if (major < 5 || (minor == 0 && release < 3)) return &binds[static_cast<size_t>(n)];
  FBinds503.assign(binds.size(), TMYSQL_BIND503{});
  for (size_t i = 0; i < binds.size(); ++i) {
    const TMYSQL_BIND& from = binds[i];
    TMYSQL_BIND503& to = FBinds503[i];
    to.length = from.length;
    to.is_null = from.is_null;
    to.buffer = from.buffer;
    to.error = nullptr;
    to.buffer_type = from.buffer_type;
    to.buffer_length = from.buffer_length;
    to.row_ptr = from.row_ptr;
    to.offset = from.offset;
    to.length_value = from.length_value;
    to.param_number = from.param_number;
    to.pack_length = from.pack_length;
    to.error_value = 0;
    to.is_unsigned = from.is_unsigned;
    to.long_data_used = from.long_data_used;
    to.is_null_value = from.is_null_value;
    to.store_param_func = from.store_param_func;
    to.fetch_result = from.fetch_result;
    to.skip_result = from.skip_result;
  }
  return &FBinds503[static_cast<size_t>(n)];
}

void TMySQLAPI::ReleaseBinds() { FBinds503.clear(); }

uint8_t TMySQLAPI::StmtBindParams(PMYSQL_STMT stmt, TMYSQL_BINDS& binds) {
  void* first = PrepareBinds(binds, 0);
  try {
    uint8_t result = mysql_stmt_bind_param(stmt, first);
    ReleaseBinds();
    return result;
  } catch (...) {
    ReleaseBinds();
    throw;
  }
}

uint8_t TMySQLAPI::StmtBindResults(PMYSQL_STMT stmt, TMYSQL_BINDS& binds) {
  void* first = PrepareBinds(binds, 0);
  try {
    uint8_t result = mysql_stmt_bind_result(stmt, first);
    ReleaseBinds();
    return result;
  } catch (...) {
    ReleaseBinds();
    throw;
  }
}

int TMySQLAPI::StmtFetchColumn(PMYSQL_STMT stmt, TMYSQL_BINDS& binds, int column, int offset) {
  void* record = PrepareBinds(binds, column);
  try {
    int result = mysql_stmt_fetch_column(stmt, record, static_cast<uint32_t>(column),
                                         static_cast<uint32_t>(offset));
    ReleaseBinds();
    return result;
  } catch (...) {
    ReleaseBinds();
    throw;
  }
}

uint32_t DataTypeToMySqlType(uint8_t dataType) {
  switch (dataType) {
    case 0: case 1: case 13: case 14: case 20: case 21: case 22: case 23: case 25: case 26:
    case 27: case 28: case 30:
      return 253;  // VAR_STRING
    case 2: case 10: return 1;   // TINY
    case 3: return 2;            // SHORT
    case 4: case 9: case 24: return 3;  // LONG
    case 5: return 5;            // DOUBLE
    case 6: return 10;           // DATE
    case 7: return 11;           // TIME
    case 8: return 12;           // DATETIME
    case 11: return 8;           // LONGLONG
    default:
      AssertErrorHandler(u"Invalid internal field type $" +
                             IntToHex(static_cast<uint64_t>(dataType), 1) + u" (" +
                             IntToStr(static_cast<int64_t>(dataType)) + u")",
                         __FILE__, __LINE__);
  }
}
