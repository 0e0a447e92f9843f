// The MySQL connection's session: connecting, character set, backslash mode, statements of its
// own, errors and failover.
#include "MySql/MyClasses_Connection.h"

#include "Common/LxAccess_Transaction.h"
#include "MySql/MyClasses_Error.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyClasses_Transaction.h"
#include "MySql/MyParser.h"
#include "MySql/MySqlApiDirect.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// A character set name goes into "SET NAMES": only a plain name may.
bool IsCharsetName(const String& name) {
  if (name.empty()) return false;
  for (char16_t c : name)
    if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
          c == u'_'))
      return false;
  return true;
}

// Whether the server has the four-byte UTF-8 set (5.5.3 on; every MariaDB from 10 on).
bool HasUtf8mb4(int32_t major, int32_t minor, int32_t release) {
  if (major != 5) return major > 5;
  return minor > 5 || (minor == 5 && release >= 3);
}

}  // namespace

TMySQLConnection::TMySQLConnection()
    : FAPI(&MySQLAPIDirect()), FEmbParams(new TStringList()) {}

TMySQLConnection::~TMySQLConnection() {
  try {
    Disconnect();
  } catch (const std::exception&) {
  }
}

TLxCommandClass TMySQLConnection::GetCommandClass() const {
  return {&NewSQLInfo<TMySQLInfo>, &NewParser<TMyParser>};
}

TLxTransactionClass TMySQLConnection::GetTransactionClass() const {
  return []() -> std::unique_ptr<TLxTransaction> { return std::make_unique<TMySQLTransaction>(); };
}

AnsiString TMySQLConnection::Encode(const String& text) const { return UTF8Encode(text); }

String TMySQLConnection::Decode(const AnsiString& text) const { return UTF8ToString(text); }

bool TMySQLConnection::IsClient41() const {
  RTL_ASSERT(FAPI != nullptr, u"No call table");
  uint8_t ver = FAPI->ClientStructVer();
  return ver == 0 || ver == 3 || ver == 4;
}

bool TMySQLConnection::IsServer41() const {
  return FServerMajor > 4 || (FServerMajor == 4 && FServerMinor > 0);
}

void TMySQLConnection::Connect(const String&) {
  if (FConnected) return;
  FServerVersion.clear();
  FServerMajor = 0;
  FServerMinor = 0;
  HandEmbParams();
  FAPI->Initialize();
  try {
    OpenSession();
  } catch (const EFailOver&) {
    throw;
  } catch (...) {
    try {
      Disconnect();
    } catch (const std::exception&) {
    }
    throw;
  }
}

void TMySQLConnection::OpenSession() {
  if (FHandle) Disconnect();
  RTL_ASSERT(FHandle == nullptr, u"A session is left over");
  FHandle = FAPI->mysql_init(nullptr);
  CheckResultTrue(FHandle != nullptr, OwnerComponent());

  const bool utf8 = FUseUnicode || AnsiSameText(FCharset, u"utf8");
  SetConnectOptions(utf8);

  String server = Server();
  AnsiString host = server.empty() ? AnsiString("localhost")
                                   : Encode(server.substr(0, server.find(u',')));
  uint32_t flags = MYCLIENT_FOUND_ROWS;
  if (IsClient41()) flags |= MYCLIENT_MULTI_STATEMENTS;
  if (FCompress) flags |= MYCLIENT_COMPRESS;
  AnsiString user = Encode(Username());
  AnsiString password = Encode(Password());
  AnsiString database = Encode(FDatabase);
  // Over the local socket the server text may name the socket file after a comma, as it names
  // the shared-memory base; without one the engine takes the standard path.
  size_t comma = server.find(u',');
  AnsiString socket = FProtocol == mpPipe && comma != String::npos
                          ? Encode(server.substr(comma + 1))
                          : AnsiString();
  PMYSQL_CON result = FAPI->mysql_real_connect(FHandle, host.c_str(), user.c_str(),
                                               password.c_str(), database.c_str(), FPort,
                                               socket.empty() ? nullptr : socket.c_str(), flags);
  CheckResultTrue(result != nullptr, OwnerComponent());

  FConnected = true;
  FNativeConnection = true;
  TLxConnection::Connect(String());

  FServerVersion = Decode(FAPI->mysql_get_server_info(FHandle));
  ParseVersion(Encode(FServerVersion), FServerMajor, FServerMinor, FServerRelease);
  ApplyCharset();
  CheckNoBackslashEscapes();
}

void TMySQLConnection::SetConnectOptions(bool utf8) {
  int timeout = FConnectionTimeout;
  CheckResultFalse(FAPI->mysql_options(FHandle, MYOPT_CONNECT_TIMEOUT, &timeout),
                   OwnerComponent());
  if (utf8)
    CheckResultFalse(FAPI->mysql_options_str(FHandle, MYOPT_SET_CHARSET_NAME, "utf8"),
                     OwnerComponent());
  if (auto* direct = dynamic_cast<TMySQLAPIDirect*>(FAPI)) direct->SetIOHandler(FHandle, IOHandler());
  SetProtocolOptions();
}

void TMySQLConnection::SetProtocolOptions() {
  switch (FProtocol) {
    case mpDefault:
      return;
    case mpSSL: {
      // Library back ends take forward slashes in file names.
      for (String* file : {&FSSLKey, &FSSLCert, &FSSLCACert})
        for (char16_t& c : *file)
          if (c == u'\\') c = u'/';
      AnsiString key = Encode(FSSLKey), cert = Encode(FSSLCert), ca = Encode(FSSLCACert),
                 cipher = Encode(FSSLCipherList);
      FAPI->mysql_ssl_set(FHandle, key.c_str(), cert.c_str(), ca.c_str(), nullptr, cipher.c_str());
      return;
    }
    case mpHttp:
      // Only the own protocol engine has the tunnel; connecting directly instead would bypass
      // what the settings ask for.
      if (auto* direct = dynamic_cast<TMySQLAPIDirect*>(FAPI)) {
        direct->SetHttpOptions(FHandle, HttpOptions());
        return;
      }
      throw EDatabaseError(u"Wrong protocol");
    case mpTCP:
    case mpSocket:
    case mpPipe:
    case mpMemory:
      if (IsClient41()) {
        uint8_t code = static_cast<uint8_t>(FProtocol);  // 1 TCP .. 4 shared memory
        CheckResultFalse(FAPI->mysql_options(FHandle, MYOPT_PROTOCOL, &code),
                         OwnerComponent());
        size_t comma = Server().find(u',');
        if (FProtocol == mpMemory && comma != String::npos) {
          AnsiString base = Encode(Server().substr(comma + 1));
          CheckResultFalse(
              FAPI->mysql_options_str(FHandle, MYOPT_SHARED_MEMORY_BASE_NAME, base.c_str()),
              OwnerComponent());
        }
      } else if (FProtocol == mpPipe) {
        CheckResultFalse(FAPI->mysql_options(FHandle, MYOPT_NAMED_PIPE, nullptr),
                         OwnerComponent());
      }
      return;
    default:
      throw EDatabaseError(u"Wrong protocol");
  }
}

void TMySQLConnection::Disconnect() {
  if (FHandle && FNativeConnection) FAPI->mysql_close(FHandle);
  FHandle = nullptr;
  FConnected = false;
}

// Servers before 4.1 have no SET NAMES. Unicode mode asks for four-byte UTF-8 where the server has
// it: the older "utf8" set holds no character beyond the first 65,536 and would lose them.
void TMySQLConnection::ApplyCharset() {
  if (!IsServer41()) {
    FUseUnicode = false;
    return;
  }
  if (FUseUnicode) {
    ExecSQL(HasUtf8mb4(FServerMajor, FServerMinor, FServerRelease) ? u"SET NAMES utf8mb4"
                                                                   : u"SET NAMES utf8");
  } else if (!FCharset.empty()) {
    if (!IsCharsetName(FCharset))
      throw EDatabaseError(u"Invalid character set name \"" + FCharset + u"\"");
    ExecSQL(u"SET NAMES " + FCharset);
  }
}

void TMySQLConnection::CheckNoBackslashEscapes() {
  if (FCheckBackslashes)
    FBackslashEscapes = AnsiUpperCase(GetSQLMode()).find(u"NO_BACKSLASH_ESCAPES") == String::npos;
  else
    FBackslashEscapes = true;
}

bool TMySQLConnection::BackslashEscapes() const {
  if (FConnected && FHandle != nullptr)
    if (std::optional<uint16_t> status = FAPI->ServerStatus(FHandle))
      return (*status & MYSERVER_STATUS_NO_BACKSLASH_ESCAPES) == 0;
  return FBackslashEscapes;
}

void TMySQLConnection::ExecSQL(const String& text) {
  FAPI->SetTimeouts(FHandle, FConnectionTimeout);
  AnsiString sql = Encode(text);
  CheckResultFalse(FAPI->mysql_real_query(FHandle, sql.data(), static_cast<uint32_t>(sql.size())),
                   OwnerComponent());
  DiscardResults();
}

void TMySQLConnection::DiscardResults() {
  for (;;) {
    if (FAPI->mysql_field_count(FHandle) > 0) {
      PMYSQL_RES result = FAPI->mysql_use_result(FHandle);
      if (!result) CheckErrno(OwnerComponent());
      if (result) {
        while (FAPI->FetchRow(result)) {
        }
        int error = FAPI->mysql_errno(FHandle);
        FAPI->mysql_free_result(result);
        if (error != 0) RaiseError(OwnerComponent());
      }
    }
    if (!FAPI->mysql_more_results(FHandle)) return;
    int next = FAPI->mysql_next_result(FHandle);
    if (next > 0) RaiseError(OwnerComponent());
    if (next < 0) return;
  }
}

String TMySQLConnection::GetSQLMode() {
  const AnsiString sql = "SELECT @@session.sql_mode";
  CheckResultFalse(FAPI->mysql_real_query(FHandle, sql.data(), static_cast<uint32_t>(sql.size())),
                   OwnerComponent());
  PMYSQL_RES result = FAPI->mysql_use_result(FHandle);
  if (!result) {
    CheckErrno(OwnerComponent());
    return String();
  }
  String mode;
  int error = 0;
  try {
    if (PMYSQL_ROW row = FAPI->FetchRow(result)) {
      if (!FAPI->FieldIsNull(row, 0)) {
        AnsiString value;
        FAPI->GetFieldString(row, 0, value);
        mode = Decode(value);
      }
      while (FAPI->FetchRow(result)) {
      }
    }
    error = FAPI->mysql_errno(FHandle);
  } catch (...) {
    FAPI->mysql_free_result(result);
    throw;
  }
  FAPI->mysql_free_result(result);
  if (error != 0) RaiseError(OwnerComponent());
  DiscardResults();
  return mode;
}

void TMySQLConnection::SetDatabase(const String& name) {
  if (name == FDatabase) return;
  FDatabase = name;
  if (FConnected && !name.empty()) {
    AnsiString db = Encode(name);
    CheckResultFalse(FAPI->mysql_select_db(FHandle, db.c_str()), OwnerComponent());
  }
}

bool TMySQLConnection::CheckAlive() {
  bool alive = FAPI && FHandle && FAPI->mysql_ping(FHandle) == 0 && FAPI->mysql_ping(FHandle) == 0;
  SetIsValid(alive);
  return alive;
}

void TMySQLConnection::CheckResultTrue(bool result, TComponent* component) {
  if (!result) RaiseError(component);
}

void TMySQLConnection::CheckResultFalse(int result, TComponent* component) {
  if (result != 0) RaiseError(component);
}

void TMySQLConnection::CheckErrno(TComponent* component) {
  if (FAPI->mysql_errno(FHandle) != 0) RaiseError(component);
}

void TMySQLConnection::CheckStmtResult(PMYSQL_STMT stmt, int result, TComponent* component) {
  if (result != 0) RaiseStmtError(stmt, component);
}

namespace {

[[noreturn]] void RaiseThroughFailover(TLxConnection& conn, EMyError& e) {
  bool fail = true;
  if (conn.OnError()) conn.HandleError(e, fail);  // may raise EFailOver
  if (fail) throw e;
  Abort();
}

}  // namespace

void TMySQLConnection::RaiseError(TComponent* component) {
  EMyError e(FAPI->mysql_errno(FHandle), Decode(FAPI->mysql_error(FHandle)));
  e.SetComponent(component);
  RaiseThroughFailover(*this, e);
}

void TMySQLConnection::RaiseStmtError(PMYSQL_STMT stmt, TComponent* component) {
  EMyError e(FAPI->mysql_stmt_errno(stmt), Decode(FAPI->mysql_stmt_error(stmt)));
  e.SetComponent(component);
  RaiseThroughFailover(*this, e);
}

void TMySQLConnection::HandleError(Exception& e, bool& fail) {
  if (!FFetchConnection) {
    TLxConnection::HandleError(e, fail);
    return;
  }
  if (!OnError()) return;
  bool reconnect = false, reexecute = false;
  TConnLostCause cause = clUnknown;
  OnError()(e, fail, reconnect, reexecute, 0, cause);
}

void TMySQLConnection::AttachTo(TLxConnection* other) {
  if (other == this) return;
  Disconnect();
  if (!other) return;
  auto* mysql = dynamic_cast<TMySQLConnection*>(other);
  RTL_ASSERT(mysql != nullptr, u"Not a MySQL connection");
  Assign(*mysql);
  FHandle = mysql->FHandle;
  GetInternalTransaction()->AttachTo(mysql->GetInternalTransaction());
  FConnected = true;
  FNativeConnection = false;
}

String TMySQLConnection::GetServerVersion() {
  return IntToStr(FServerMajor) + u"." + IntToStr(FServerMinor) + u"." + IntToStr(FServerRelease);
}

String TMySQLConnection::GetServerVersionFull() { return FServerVersion; }

String TMySQLConnection::GetClientVersion() {
  if (!FAPI->IsLoaded()) {
    HandEmbParams();
    FAPI->Initialize();
    String version = Decode(FAPI->ClientVersion());
    FAPI->Unload();
    return version;
  }
  if (FAPI->ClientVersion().empty()) FAPI->Initialize();
  return Decode(FAPI->ClientVersion());
}
