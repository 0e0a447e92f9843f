// The MySQL connection: opens a session through the process-wide call table with the
// connection's options, brings it to the configured character set, learns whether the server
// takes backslashes in string literals as escapes, and turns every failure the call table reports
// into an EMyError that first passes through the failover logic.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "Common/LxAccess_Connection.h"
#include "MySql/MyCall.h"
#include "MySql/MySqlApi.h"
#include "platform/rtl/Object.h"

class TStringList;
class TMySQLConnection;

using TGetFetchConnection = std::function<TMySQLConnection*()>;
using TReleaseFetchConnection = std::function<void(TMySQLConnection*)>;

class TMySQLConnection : public TLxConnection {
 public:
  TMySQLConnection();
  ~TMySQLConnection() override;

  // A fetch connection asks the callback once and never reconnects.
  void HandleError(Exception& e, bool& fail) override;
  TLxCommandClass GetCommandClass() const override;
  TLxTransactionClass GetTransactionClass() const override;
  // The connect string is not used.
  void Connect(const String& connectString) override;
  void Disconnect() override;
  void Assign(TLxConnection& source) override;
  void AttachTo(TLxConnection* other) override;
  // Two pings in a row; the connection is valid only when both answer.
  bool CheckAlive() override;
  String GetServerVersion() override;
  String GetServerVersionFull() override;
  String GetClientVersion() override;
  bool SetProp(TLxPropCode prop, const Variant& value) override;
  bool GetProp(TLxPropCode prop, Variant& value) override;

  // Raise the session's error when a call-table answer means failure.
  virtual void CheckResultTrue(bool result, TComponent* component);
  virtual void CheckResultFalse(int result, TComponent* component);
  virtual void CheckErrno(TComponent* component);
  virtual void CheckStmtResult(PMYSQL_STMT stmt, int result, TComponent* component);

  bool IsClient41() const;
  bool IsServer41() const;
  // Runs a statement and discards any rows it returns.
  void ExecSQL(const String& text);
  // Selects the database at once when connected.
  void SetDatabase(const String& name);
  // The session's error as EMyError, through the failover logic; the silent abort when the
  // error callback cleared Fail.
  [[noreturn]] void RaiseError(TComponent* component);
  [[noreturn]] void RaiseStmtError(PMYSQL_STMT stmt, TComponent* component);
  void ApplyCharset();
  void CheckNoBackslashEscapes();
  // The session's sql_mode.
  String GetSQLMode();
  void SelectAPI();
  void SetEmbParams(const String& text);
  // Gives the embedded-server call table this connection's server arguments (nothing for the
  // other tables); they take effect when the table starts its server.
  void HandEmbParams();

  TMySQLAPI* API() const { return FAPI; }
  // Puts another call table behind the connection (the table's back end is its business).
  void SetAPI(TMySQLAPI* api) { FAPI = api; }
  PMYSQL_CON Handle() const { return FHandle; }
  const String& Database() const { return FDatabase; }
  int32_t Port() const { return FPort; }
  bool Compress() const { return FCompress; }
  bool UseUnicode() const { return FUseUnicode; }
  const String& Charset() const { return FCharset; }
  int32_t ConnectionTimeout() const { return FConnectionTimeout; }
  TMyProtocol Protocol() const { return FProtocol; }
  bool OptimizedBigInt() const { return FOptimizedBigInt; }
  bool NullForDayZero() const { return FNullForDayZero; }
  bool Embedded() const { return FEmbedded; }
  bool Direct() const { return FDirect; }
  bool CheckBackslashes() const { return FCheckBackslashes; }
  // Whether the session takes a backslash in a string literal as an escape: as its latest reply
  // reports it, so literals follow every change of sql_mode; without a session, as last learnt.
  bool BackslashEscapes() const;
  bool FetchConnection() const { return FFetchConnection; }
  void SetFetchConnection(bool value) { FFetchConnection = value; }
  TStringList* EmbParams() const { return FEmbParams.get(); }
  const String& SSLCipherList() const { return FSSLCipherList; }
  const String& SSLCACert() const { return FSSLCACert; }
  const String& SSLKey() const { return FSSLKey; }
  const String& SSLCert() const { return FSSLCert; }
  const String& ServerVersionText() const { return FServerVersion; }
  int32_t ServerMajor() const { return FServerMajor; }
  int32_t ServerMinor() const { return FServerMinor; }
  int32_t ServerRelease() const { return FServerRelease; }

  const TGetFetchConnection& OnGetFetchConnection() const { return FGetFetchConnection; }
  void SetOnGetFetchConnection(TGetFetchConnection proc) { FGetFetchConnection = std::move(proc); }
  const TReleaseFetchConnection& OnReleaseFetchConnection() const {
    return FReleaseFetchConnection;
  }
  void SetOnReleaseFetchConnection(TReleaseFetchConnection proc) {
    FReleaseFetchConnection = std::move(proc);
  }

 private:
  void ChooseAPI(bool& option, bool value);
  void OpenSession();
  void SetConnectOptions(bool utf8);
  void SetProtocolOptions();
  // Reads and drops the rows of the pending results, so the session is ready for the next command.
  void DiscardResults();
  AnsiString Encode(const String& text) const;
  String Decode(const AnsiString& text) const;

  TMySQLAPI* FAPI;
  PMYSQL_CON FHandle = nullptr;
  String FDatabase;
  int32_t FPort = 0;
  bool FCompress = false;
  bool FUseUnicode = false;
  String FCharset;
  int32_t FConnectionTimeout = 15;
  TMyProtocol FProtocol = mpDefault;
  bool FOptimizedBigInt = false;
  bool FNullForDayZero = false;
  bool FEmbedded = false;
  bool FDirect = true;
  bool FCheckBackslashes = false;
  bool FBackslashEscapes = true;
  bool FFetchConnection = false;
  std::unique_ptr<TStringList, TObjectFree> FEmbParams;
  String FSSLCipherList;
  String FSSLCACert;
  String FSSLKey;
  String FSSLCert;
  String FServerVersion;
  int32_t FServerMajor = 0;
  int32_t FServerMinor = 0;
  int32_t FServerRelease = 0;
  TGetFetchConnection FGetFetchConnection;
  TReleaseFetchConnection FReleaseFetchConnection;
};
