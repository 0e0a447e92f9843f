#include "MySql/MySqlApiDirect.h"

#include "Common/CLRClasses.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlSession.h"
#include "platform/rtl/UnicodeText.h"

namespace {

AnsiString Text(const char* text) { return text ? AnsiString(text) : AnsiString(); }

[[noreturn]] void NotSupported() { AssertErrorHandler(u"Not supported", __FILE__, __LINE__); }

}  // namespace

TMySqlSession* SessionOfHandle(PMYSQL_CON con) {
  RTL_ASSERT(con != nullptr, u"No MySQL session");
  return static_cast<TMySqlSession*>(con);
}

TMySQLAPIDirect& MySQLAPIDirect() {
  static TMySQLAPIDirect instance;
  return instance;
}

int TMySQLAPIDirect::mysql_errno(PMYSQL_CON con) { return SessionOfHandle(con)->ErrorNumber(); }

AnsiString TMySQLAPIDirect::mysql_error(PMYSQL_CON con) {
  return UTF8Encode(SessionOfHandle(con)->ErrorText());
}

int TMySQLAPIDirect::mysql_thread_id(PMYSQL_CON con) {
  return static_cast<int>(SessionOfHandle(con)->ThreadId());
}

AnsiString TMySQLAPIDirect::mysql_character_set_name(PMYSQL_CON con) {
  SessionOfHandle(con);
  throw NotSupportedException();
}

PMYSQL_CON TMySQLAPIDirect::mysql_init(PMYSQL_CON) { return new TMySqlSession(); }

int TMySQLAPIDirect::mysql_ssl_set(PMYSQL_CON con, const char* key, const char* cert,
                                   const char* ca, const char* capath, const char* cipher) {
  TMySqlSession* session = SessionOfHandle(con);
  session->SetTls(Text(key), Text(cert), Text(ca), Text(capath), Text(cipher));
  session->SetProtocol(mpSSL);
  return 0;
}

PMYSQL_CON TMySQLAPIDirect::mysql_real_connect(PMYSQL_CON con, const char* host, const char* user,
                                               const char* passwd, const char* db, int port,
                                               const char* socket, uint32_t clientFlag) {
  TMySqlSession* session = SessionOfHandle(con);
  session->SetError(0, String());
  try {
    session->Connect(Text(host), Text(user), Text(passwd), Text(db), port, Text(socket),
                     clientFlag);
    return con;
  } catch (const EMySqlException& e) {
    session->SetError(e.ErrorCode(), e.Message());
    return nullptr;
  }
}

void TMySQLAPIDirect::mysql_close(PMYSQL_CON con) {
  if (con == nullptr) return;
  TMySqlSession* session = SessionOfHandle(con);
  try {
    session->Close();
  } catch (const EMySqlException&) {
  }
  if (TMySqlResultSet* result = session->CurrentResult()) result->ForgetSession();
  try {
    delete session;
  } catch (const EMySqlException&) {
  }
}

AnsiString TMySQLAPIDirect::mysql_get_server_info(PMYSQL_CON con) {
  TMySqlSession* session = SessionOfHandle(con);
  session->SetError(0, String());
  return session->ServerVersion();
}

AnsiString TMySQLAPIDirect::mysql_get_host_info(PMYSQL_CON con) {
  TMySqlSession* session = SessionOfHandle(con);
  session->SetError(0, String());
  return session->HostInfo();
}

int TMySQLAPIDirect::mysql_options(PMYSQL_CON con, uint8_t option, const void* arg) {
  TMySqlSession* session = SessionOfHandle(con);
  session->SetError(0, String());
  switch (option) {
    case MYOPT_CONNECT_TIMEOUT:
      session->SetConnectTimeout(*static_cast<const int*>(arg));
      break;
    case MYOPT_NAMED_PIPE:
      session->SetProtocol(mpPipe);
      break;
    case MYOPT_PROTOCOL:
      session->SetProtocol(static_cast<TMyProtocol>(*static_cast<const uint8_t*>(arg)));
      break;
    case MYOPT_READ_TIMEOUT:
    case MYOPT_WRITE_TIMEOUT:
      session->SetCommandTimeout(*static_cast<const int*>(arg));
      break;
    default:
      break;
  }
  return 0;
}

int TMySQLAPIDirect::mysql_options_str(PMYSQL_CON con, uint8_t option, const char* arg) {
  TMySqlSession* session = SessionOfHandle(con);
  session->SetError(0, String());
  if (option == MYOPT_SET_CHARSET_NAME) session->SetCharacterSet(Text(arg));
  return 0;
}

PMYSQL_FIELD TMySQLAPIDirect::mysql_fetch_field_direct(PMYSQL_RES, int) { NotSupported(); }
const unsigned long* TMySQLAPIDirect::mysql_fetch_lengths(PMYSQL_RES) { NotSupported(); }
int TMySQLAPIDirect::mysql_server_init(int, char**, char**) { NotSupported(); }
void TMySQLAPIDirect::mysql_server_end() { NotSupported(); }
int TMySQLAPIDirect::mysql_stmt_fetch(PMYSQL_STMT) { NotSupported(); }
uint8_t TMySQLAPIDirect::mysql_stmt_send_long_data(PMYSQL_STMT, uint32_t, const char*, uint32_t) {
  NotSupported();
}
PMYSQL_RES TMySQLAPIDirect::mysql_stmt_param_metadata(PMYSQL_STMT) { NotSupported(); }
int TMySQLAPIDirect::StmtFetchColumn(PMYSQL_STMT, TMYSQL_BINDS&, int, int) { NotSupported(); }

void TMySQLAPIDirect::Initialize() {
  std::call_once(FInitialized, [this] {
    FClientStructVer = 0;
    FClientVer = mysql_get_client_info();
  });
}

void TMySQLAPIDirect::SetIOHandler(PMYSQL_CON con, TLxIOHandler* handler) {
  SessionOfHandle(con)->SetIOHandler(handler);
}

void TMySQLAPIDirect::SetHttpOptions(PMYSQL_CON con, THttpOptions* options) {
  SessionOfHandle(con)->SetHttpOptions(options);
}
