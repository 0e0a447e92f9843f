// The MySQL connection component: the server-specific settings and their transfer to the MySQL
// provider connection as numbered properties.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>

#include "Common/DBAccess.h"
#include "Common/LxVio.h"
#include "MySql/MyAccess_Command.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_SSLOptions.h"
#include "MySql/MyAccess_Transaction.h"
#include "MySql/MyCall.h"
#include "MySql/OrbiqMonitor.h"

class TCustomMyConnection;
class TMyConnectionParameters;
class TMySQLConnection;

enum TMyIsolationLevel : uint8_t {
  ilReadCommitted,
  ilReadUnCommitted,
  ilRepeatableRead,
  ilSerializable
};
enum TDANumericType : uint8_t { ntFloat, ntBCD, ntFmtBCD };

inline constexpr char16_t SConnectionOpen[] = u"Cannot perform this operation on an open connection";

class TCustomMyConnectionOptions : public TDAConnectionOptions {
 public:
  explicit TCustomMyConnectionOptions(TCustomDAConnection* owner)
      : TDAConnectionOptions(owner) {}

  bool UseUnicode() const { return FUseUnicode; }
  void SetUseUnicode(bool value);
  const String& Charset() const { return FCharset; }
  void SetCharset(const String& value);
  bool OptimizedBigInt() const { return FOptimizedBigInt; }
  void SetOptimizedBigInt(bool value);
  bool NullForZeroTesmarDate() const { return FNullForZeroTesmarDate; }
  void SetNullForZeroTesmarDate(bool value);
  TDANumericType NumericType() const;
  void SetNumericType(TDANumericType value);

  void Assign(TPersistent* source) override;

 protected:
  // Refuses a change on an open connection at run time: the session was made with the old value.
  void CheckChange(bool changed);

 private:
  bool FUseUnicode = false;
  String FCharset;
  bool FOptimizedBigInt = false;
  bool FNullForZeroTesmarDate = false;
};

class TMyConnectionOptions : public TCustomMyConnectionOptions {
 public:
  explicit TMyConnectionOptions(TCustomDAConnection* owner)
      : TCustomMyConnectionOptions(owner) {}

  bool Compress() const { return FCompress; }
  void SetCompress(bool value);
  TMyProtocol Protocol() const { return FProtocol; }
  void SetProtocol(TMyProtocol value);
  bool Embedded() const { return FEmbedded; }
  void SetEmbedded(bool value);
  bool Direct() const { return FDirect; }
  void SetDirect(bool value);
  bool CheckBackslashes() const { return FCheckBackslashes; }
  void SetCheckBackslashes(bool value);

  // Copies every option but Embedded and Direct, which choose the client library.
  void Assign(TPersistent* source) override;

 private:
  bool FCompress = false;
  TMyProtocol FProtocol = mpDefault;
  bool FEmbedded = false;
  bool FDirect = true;
  bool FCheckBackslashes = false;
};

class TCustomMyConnection : public TCustomDAConnection {
 public:
  explicit TCustomMyConnection(TComponent* owner);
  ~TCustomMyConnection() override;

  const String& Database() const { return FDatabase; }
  void SetDatabase(const String& value);
  int ConnectionTimeout() const { return FConnectionTimeout; }
  void SetConnectionTimeout(int value);
  TCustomMyConnectionOptions* MyOptions() const {
    return static_cast<TCustomMyConnectionOptions*>(Options());
  }
  TMySQLConnection* MySQLConnection() const;

  virtual String GetClientVersion() = 0;
  void AssignConnect(TCustomDAConnection* source) override;
  TLxRecordSetClass GetIRecordSetClass() override;
  std::unique_ptr<TCustomDADataSet> CreateDataSet(TComponent* owner = nullptr) override;
  std::unique_ptr<TCustomDASQL> CreateSQL() override;
  std::unique_ptr<TDATransaction> CreateTransaction() override;
  TLxMetaDataClass GetIMetaDataClass() override;
  std::unique_ptr<TDAMetaData> CreateMetaData() override;
  // With allProcs the neutral list; else the routines of the connection's database (of none,
  // those of "mysql"), read by a query of their own. An unconnected component connects without
  // a database for it and disconnects again.
  void GetStoredProcNames(TStrings* list, bool allProcs = false) override;
  const TDASQLMonitorClass& MonitorClass() const override { return MySQLMonitorClass(); }
  // The class the process-wide dialog-class hook names; none while it is unset.
  TConnectDialogClass LoginDialogClass() override;
  // The isolation level of the effective transaction; it cannot change while that one runs.
  TMyIsolationLevel IsolationLevel();
  void SetIsolationLevel(TMyIsolationLevel value);

  // Runs a statement that returns no rows. Without values the text goes straight to the
  // session; with values it runs as a statement with parameters, the values taken in the order
  // of the parameters (missing ones are NULL, extra ones ignored). The result is always Null.
  Variant ExecSQL(const String& text, const std::vector<Variant>& values = {}) override;
  // Also the database, the connect time-out and the isolation level.
  void AssignTo(TPersistent* dest) override;

 protected:
  bool UsesLoginDialog() override { return LoginPrompt(); }
  void CreateIConnection() override;
  virtual void ApplyConnectionSettings(TLxConnection* connection);
  // The key of the pool this component's connections come from when Pooling is on.
  virtual void FillConnectionParameters(TMyConnectionParameters& parameters);
  // A provider connection set up as this component's own: taken from the pool when Pooling is
  // on, else made. It also serves the record set that needs a connection of its own.
  TMySQLConnection* CreateProviderConnection();
  // Gives a connection from CreateProviderConnection back to its pool, or frees it.
  void ReleaseProviderConnection(TMySQLConnection* connection);

 private:
  String FDatabase;
  int FConnectionTimeout = 15;
};

class TMyConnection : public TCustomMyConnection {
 public:
  explicit TMyConnection(TComponent* owner);

  int Port() const { return FPort; }
  // A new port disconnects: the session runs on the old one.
  void SetPort(int value);
  TMyConnectionOptions* Options() const {
    return static_cast<TMyConnectionOptions*>(TCustomDAConnection::Options());
  }
  bool Embedded() const { return Options()->Embedded(); }
  void SetEmbedded(bool value) { Options()->SetEmbedded(value); }
  // Used when Options()->Protocol() is mpSSL. Setting copies the given options.
  TMyConnectionSSLOptions* SSLOptions() const { return FSSLOptions.get(); }
  void SetSSLOptions(TMyConnectionSSLOptions* value) { FSSLOptions->Assign(value); }
  // Used when Options()->Protocol() is mpHttp; handed to the provider connection at every
  // connect. Setting copies the given options.
  THttpOptions* HttpOptions() const { return FHttpOptions.get(); }
  void SetHttpOptions(THttpOptions* value) { FHttpOptions->Assign(value); }
  String GetClientVersion() override;
  void AssignConnect(TCustomDAConnection* source) override;
  // Also the port.
  void AssignTo(TPersistent* dest) override;

 protected:
  void ApplyConnectionSettings(TLxConnection* connection) override;
  void DoConnect() override;
  void FillConnectionParameters(TMyConnectionParameters& parameters) override;

 private:
  int FPort = 3306;
  std::unique_ptr<TMyConnectionSSLOptions> FSSLOptions;
  std::unique_ptr<THttpOptions, TObjectFree> FHttpOptions;
};
