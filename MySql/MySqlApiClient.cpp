// The client-library call table: loading, the entry points and the forwarding slots.
#include "MySql/MySqlApiClient.h"

#include <cstring>

#include "MySql/MySqlApiClient_EntryPoints.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

template <class F>
void Resolve(const TDynamicLibrary& library, const char* name, F*& entryPoint) {
  entryPoint = library.Function<F>(name);
}

void ResolveAll(const TDynamicLibrary& library, TMySqlClientEntryPoints& e) {
  Resolve(library, "mysql_num_fields", e.mysql_num_fields);
  Resolve(library, "mysql_fetch_field_direct", e.mysql_fetch_field_direct);
  Resolve(library, "mysql_field_count", e.mysql_field_count);
  Resolve(library, "mysql_affected_rows", e.mysql_affected_rows);
  Resolve(library, "mysql_insert_id", e.mysql_insert_id);
  Resolve(library, "mysql_errno", e.mysql_errno);
  Resolve(library, "mysql_error", e.mysql_error);
  Resolve(library, "mysql_info", e.mysql_info);
  Resolve(library, "mysql_thread_id", e.mysql_thread_id);
  Resolve(library, "mysql_character_set_name", e.mysql_character_set_name);
  Resolve(library, "mysql_init", e.mysql_init);
  Resolve(library, "mysql_ssl_set", e.mysql_ssl_set);
  Resolve(library, "mysql_real_connect", e.mysql_real_connect);
  Resolve(library, "mysql_close", e.mysql_close);
  Resolve(library, "mysql_select_db", e.mysql_select_db);
  Resolve(library, "mysql_real_query", e.mysql_real_query);
  Resolve(library, "mysql_kill", e.mysql_kill);
  Resolve(library, "mysql_ping", e.mysql_ping);
  Resolve(library, "mysql_get_server_info", e.mysql_get_server_info);
  Resolve(library, "mysql_get_client_info", e.mysql_get_client_info);
  Resolve(library, "mysql_get_host_info", e.mysql_get_host_info);
  Resolve(library, "mysql_use_result", e.mysql_use_result);
  Resolve(library, "mysql_options", e.mysql_options);
  Resolve(library, "mysql_options", e.mysql_options_str);
  Resolve(library, "mysql_free_result", e.mysql_free_result);
  Resolve(library, "mysql_fetch_row", e.mysql_fetch_row);
  Resolve(library, "mysql_fetch_lengths", e.mysql_fetch_lengths);
  Resolve(library, "mysql_server_init", e.mysql_server_init);
  Resolve(library, "mysql_server_end", e.mysql_server_end);
  Resolve(library, "mysql_stmt_init", e.mysql_stmt_init);
  Resolve(library, "mysql_stmt_prepare", e.mysql_stmt_prepare);
  Resolve(library, "mysql_stmt_execute", e.mysql_stmt_execute);
  Resolve(library, "mysql_stmt_param_count", e.mysql_stmt_param_count);
  Resolve(library, "mysql_stmt_bind_param", e.mysql_stmt_bind_param);
  Resolve(library, "mysql_stmt_bind_result", e.mysql_stmt_bind_result);
  Resolve(library, "mysql_stmt_field_count", e.mysql_stmt_field_count);
  Resolve(library, "mysql_stmt_close", e.mysql_stmt_close);
  Resolve(library, "mysql_stmt_free_result", e.mysql_stmt_free_result);
  Resolve(library, "mysql_stmt_errno", e.mysql_stmt_errno);
  Resolve(library, "mysql_stmt_error", e.mysql_stmt_error);
  Resolve(library, "mysql_stmt_fetch", e.mysql_stmt_fetch);
  Resolve(library, "mysql_stmt_fetch_column", e.mysql_stmt_fetch_column);
  Resolve(library, "mysql_stmt_send_long_data", e.mysql_stmt_send_long_data);
  Resolve(library, "mysql_stmt_prepare_result", e.mysql_stmt_prepare_result);
  Resolve(library, "mysql_stmt_result_metadata", e.mysql_stmt_result_metadata);
  Resolve(library, "mysql_stmt_param_metadata", e.mysql_stmt_param_metadata);
  Resolve(library, "mysql_stmt_affected_rows", e.mysql_stmt_affected_rows);
  Resolve(library, "mysql_stmt_store_result", e.mysql_stmt_store_result);
  Resolve(library, "mysql_more_results", e.mysql_more_results);
  Resolve(library, "mysql_next_result", e.mysql_next_result);
}

AnsiString Text(const char* text) { return text ? AnsiString(text) : AnsiString(); }

}  // namespace

TMySQLAPIClient::TMySQLAPIClient(AnsiString libraryName)
    : FLibraryName(std::move(libraryName)), FEntry(new TMySqlClientEntryPoints{}) {}

TMySQLAPIClient::~TMySQLAPIClient() {
  Unload();
  delete FEntry;
}

String TMySQLAPIClient::NotLinkedMessage() const {
  return u"MySQL API function is not linked. You should update MySQL client library (" +
         UTF8ToString(FLibraryName) + u").";
}

void TMySQLAPIClient::Load() {
  if (FLibrary.IsLoaded()) return;
  if (!FLibrary.Load(FLibraryName)) return;
  ResolveAll(FLibrary, *FEntry);
}

void TMySQLAPIClient::Unload() {
  {
    // The statements die with the library; a later one at the same address starts afresh.
    std::lock_guard<std::mutex> hold(FBindsLock);
    FResultBinds.clear();
    FMetadata.clear();
  }
  FLibrary.Unload();
  *FEntry = TMySqlClientEntryPoints{};
}

void TMySQLAPIClient::Initialize() {
  Load();
  if (!FLibrary.IsLoaded())
    throw EOSError(u"MySQL client library couldn't be loaded. Please place " +
                       UTF8ToString(FLibraryName) +
                       u" file to system folder (included to PATH) or to the folder with "
                       u"executable unit of main program.\r\n" +
                       UTF8ToString(FLibrary.LoadErrorText()),
                   FLibrary.LoadError());
  FClientVer = mysql_get_client_info();
  // The connector library numbers itself from 3.0 again, yet lays its structures out as the 5.x
  // clients do; it is known by an entry point only it exports.
  if (FLibrary.Symbol("mariadb_get_infov") != nullptr)
    FClientStructVer = 4;
  else
    SetClientVersion(FClientVer);
}

int TMySQLAPIClient::mysql_num_fields(PMYSQL_RES result) {
  return static_cast<int>(Need(FEntry->mysql_num_fields)(result));
}
PMYSQL_FIELD TMySQLAPIClient::mysql_fetch_field_direct(PMYSQL_RES result, int column) {
  return Need(FEntry->mysql_fetch_field_direct)(result, static_cast<unsigned>(column));
}
int TMySQLAPIClient::mysql_field_count(PMYSQL_CON con) {
  return static_cast<int>(Need(FEntry->mysql_field_count)(con));
}
int64_t TMySQLAPIClient::mysql_affected_rows(PMYSQL_CON con) {
  return static_cast<int64_t>(Need(FEntry->mysql_affected_rows)(con));
}
int64_t TMySQLAPIClient::mysql_insert_id(PMYSQL_CON con) {
  return static_cast<int64_t>(Need(FEntry->mysql_insert_id)(con));
}
int TMySQLAPIClient::mysql_errno(PMYSQL_CON con) {
  return static_cast<int>(Need(FEntry->mysql_errno)(con));
}
AnsiString TMySQLAPIClient::mysql_error(PMYSQL_CON con) {
  return Text(Need(FEntry->mysql_error)(con));
}
AnsiString TMySQLAPIClient::mysql_info(PMYSQL_CON con) {
  return Text(Need(FEntry->mysql_info)(con));
}
int TMySQLAPIClient::mysql_thread_id(PMYSQL_CON con) {
  return static_cast<int>(Need(FEntry->mysql_thread_id)(con));
}
AnsiString TMySQLAPIClient::mysql_character_set_name(PMYSQL_CON con) {
  return Text(Need(FEntry->mysql_character_set_name)(con));
}
PMYSQL_CON TMySQLAPIClient::mysql_init(PMYSQL_CON con) { return Need(FEntry->mysql_init)(con); }
int TMySQLAPIClient::mysql_ssl_set(PMYSQL_CON con, const char* key, const char* cert,
                                   const char* ca, const char* capath, const char* cipher) {
  return Need(FEntry->mysql_ssl_set)(con, key, cert, ca, capath, cipher);
}
PMYSQL_CON TMySQLAPIClient::mysql_real_connect(PMYSQL_CON con, const char* host,
                                               const char* user, const char* passwd,
                                               const char* db, int port, const char* socket,
                                               uint32_t clientFlag) {
  return Need(FEntry->mysql_real_connect)(con, host, user, passwd, db,
                                          static_cast<unsigned>(port), socket, clientFlag);
}
void TMySQLAPIClient::mysql_close(PMYSQL_CON con) { Need(FEntry->mysql_close)(con); }
int TMySQLAPIClient::mysql_select_db(PMYSQL_CON con, const char* db) {
  return Need(FEntry->mysql_select_db)(con, db);
}
int TMySQLAPIClient::mysql_real_query(PMYSQL_CON con, const char* query, uint32_t length) {
  return Need(FEntry->mysql_real_query)(con, query, length);
}
int TMySQLAPIClient::mysql_kill(PMYSQL_CON con, uint32_t pid) {
  return Need(FEntry->mysql_kill)(con, pid);
}
int TMySQLAPIClient::mysql_ping(PMYSQL_CON con) { return Need(FEntry->mysql_ping)(con); }
AnsiString TMySQLAPIClient::mysql_get_server_info(PMYSQL_CON con) {
  return Text(Need(FEntry->mysql_get_server_info)(con));
}
AnsiString TMySQLAPIClient::mysql_get_client_info() {
  return Text(Need(FEntry->mysql_get_client_info)());
}
AnsiString TMySQLAPIClient::mysql_get_host_info(PMYSQL_CON con) {
  return Text(Need(FEntry->mysql_get_host_info)(con));
}
PMYSQL_RES TMySQLAPIClient::mysql_use_result(PMYSQL_CON con) {
  return Need(FEntry->mysql_use_result)(con);
}
int TMySQLAPIClient::mysql_options(PMYSQL_CON con, uint8_t option, const void* arg) {
  // The protocol choice is handed over as one byte; the library reads an unsigned int.
  unsigned widened = 0;
  if (option == MYOPT_PROTOCOL && arg != nullptr) {
    widened = *static_cast<const uint8_t*>(arg);
    arg = &widened;
  }
  return Need(FEntry->mysql_options)(con, option, arg);
}
int TMySQLAPIClient::mysql_options_str(PMYSQL_CON con, uint8_t option, const char* arg) {
  return Need(FEntry->mysql_options_str)(con, option, arg);
}
void TMySQLAPIClient::mysql_free_result(PMYSQL_RES result) {
  Need(FEntry->mysql_free_result)(result);
}
PMYSQL_ROW TMySQLAPIClient::mysql_fetch_row(PMYSQL_RES result) {
  return Need(FEntry->mysql_fetch_row)(result);
}
const unsigned long* TMySQLAPIClient::mysql_fetch_lengths(PMYSQL_RES result) {
  return Need(FEntry->mysql_fetch_lengths)(result);
}
int TMySQLAPIClient::mysql_server_init(int argc, char** argv, char** groups) {
  return Need(FEntry->mysql_server_init)(argc, argv, groups);
}
void TMySQLAPIClient::mysql_server_end() { Need(FEntry->mysql_server_end)(); }
PMYSQL_STMT TMySQLAPIClient::mysql_stmt_init(PMYSQL_CON con) {
  return Need(FEntry->mysql_stmt_init)(con);
}
int TMySQLAPIClient::mysql_stmt_prepare(PMYSQL_STMT stmt, const char* query, uint32_t length) {
  ForgetMetadata(stmt);  // a new text may describe other columns
  return Need(FEntry->mysql_stmt_prepare)(stmt, query, length);
}
int TMySQLAPIClient::mysql_stmt_execute(PMYSQL_STMT stmt) {
  return Need(FEntry->mysql_stmt_execute)(stmt);
}
int TMySQLAPIClient::mysql_stmt_param_count(PMYSQL_STMT stmt) {
  return static_cast<int>(Need(FEntry->mysql_stmt_param_count)(stmt));
}
uint8_t TMySQLAPIClient::mysql_stmt_bind_param(PMYSQL_STMT stmt, void* bind) {
  return static_cast<uint8_t>(Need(FEntry->mysql_stmt_bind_param)(stmt, bind));
}
uint8_t TMySQLAPIClient::mysql_stmt_bind_result(PMYSQL_STMT stmt, void* bind) {
  return static_cast<uint8_t>(Need(FEntry->mysql_stmt_bind_result)(stmt, bind));
}
int TMySQLAPIClient::mysql_stmt_field_count(PMYSQL_STMT stmt) {
  return static_cast<int>(Need(FEntry->mysql_stmt_field_count)(stmt));
}
int TMySQLAPIClient::mysql_stmt_close(PMYSQL_STMT stmt) {
  ForgetMetadata(stmt);
  return Need(FEntry->mysql_stmt_close)(stmt);
}
int TMySQLAPIClient::mysql_stmt_free_result(PMYSQL_STMT stmt) {
  return Need(FEntry->mysql_stmt_free_result)(stmt);
}
int TMySQLAPIClient::mysql_stmt_errno(PMYSQL_STMT stmt) {
  return static_cast<int>(Need(FEntry->mysql_stmt_errno)(stmt));
}
AnsiString TMySQLAPIClient::mysql_stmt_error(PMYSQL_STMT stmt) {
  return Text(Need(FEntry->mysql_stmt_error)(stmt));
}
int TMySQLAPIClient::mysql_stmt_fetch(PMYSQL_STMT stmt) {
  const int status = Need(FEntry->mysql_stmt_fetch)(stmt);
  if (status == 0 || status == MYSTMT_DATA_TRUNCATED) DeliverFetched(stmt);
  return status;
}
int TMySQLAPIClient::mysql_stmt_fetch_column(PMYSQL_STMT stmt, void* bind, uint32_t column,
                                             uint32_t offset) {
  return Need(FEntry->mysql_stmt_fetch_column)(stmt, bind, column, offset);
}
uint8_t TMySQLAPIClient::mysql_stmt_send_long_data(PMYSQL_STMT stmt, uint32_t paramNumber,
                                                   const char* data, uint32_t length) {
  return static_cast<uint8_t>(
      Need(FEntry->mysql_stmt_send_long_data)(stmt, paramNumber, data, length));
}
PMYSQL_RES TMySQLAPIClient::mysql_stmt_result_metadata(PMYSQL_STMT stmt) {
  std::lock_guard<std::mutex> hold(FBindsLock);
  PMYSQL_RES& kept = FMetadata[stmt];
  if (kept == nullptr) kept = Need(FEntry->mysql_stmt_result_metadata)(stmt);
  return kept;
}

void TMySQLAPIClient::ForgetMetadata(PMYSQL_STMT stmt) {
  // The statement's binds go with it: a new text may bind other columns.
  PMYSQL_RES kept = nullptr;
  {
    std::lock_guard<std::mutex> hold(FBindsLock);
    FResultBinds.erase(stmt);
    auto found = FMetadata.find(stmt);
    if (found == FMetadata.end()) return;
    kept = found->second;
    FMetadata.erase(found);
  }
  if (kept) mysql_free_result(kept);
}
PMYSQL_RES TMySQLAPIClient::mysql_stmt_param_metadata(PMYSQL_STMT stmt) {
  return Need(FEntry->mysql_stmt_param_metadata)(stmt);
}
int64_t TMySQLAPIClient::mysql_stmt_affected_rows(PMYSQL_STMT stmt) {
  return static_cast<int64_t>(Need(FEntry->mysql_stmt_affected_rows)(stmt));
}
bool TMySQLAPIClient::mysql_more_results(PMYSQL_CON con) {
  return Need(FEntry->mysql_more_results)(con) != 0;
}
int TMySQLAPIClient::mysql_next_result(PMYSQL_CON con) {
  return Need(FEntry->mysql_next_result)(con);
}

TMySQLAPIClient& MySQLAPIClient() {
  static TMySQLAPIClient instance;
  return instance;
}
