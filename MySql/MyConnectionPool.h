// The connection pool for MySQL: the MySQL settings in the pool key, pools that make and connect
// MySQL connections, and the process-wide manager through which the connection component takes
// a pooled connection.
#pragma once

#include <memory>

#include "Common/LxConnectionPool.h"
#include "MySql/MyCall.h"

class TStringList;

class TMyConnectionParameters : public TLxConnectionParameters {
 public:
  TMyConnectionParameters();
  ~TMyConnectionParameters() override;

  std::unique_ptr<TLxConnectionParameters> Create() const override;
  // The neutral key, then the MySQL settings; the TLS files only where the protocol is TLS.
  // The embedded-server parameters are not compared.
  bool Equals(const TLxConnectionParameters* other) const override;
  bool SetProp(TLxPropCode prop, const Variant& value) override;
  // The neutral text followed by "Port=..\rDatabase=..\r".
  String ConnectionInfo() const override;

  TStringList* EmbParams() const { return FEmbParams.get(); }

  String Database;
  int32_t Port = 0;
  int32_t ConnectionTimeout = 0;
  bool Compress = false;
  bool UseUnicode = false;
  String Charset;
  TMyProtocol Protocol = mpDefault;
  bool Embedded = false;
  bool Direct = true;
  String ChipherList;
  String CACert;
  String Key;
  String Cert;

 protected:
  void AssignTo(TPersistent* dest) override;
  bool UsesHttpOptions() const override { return Protocol == mpHttp; }

 private:
  std::unique_ptr<TStringList, TObjectFree> FEmbParams;
};

class TMyLocalConnectionPool : public TLxLocalConnectionPool {
 public:
  using TLxLocalConnectionPool::TLxLocalConnectionPool;

 protected:
  TLxConnection* CreateNewConnection(const TErrorProc& onError) override;
};

class TMyConnectionPoolManager : public TLxConnectionPoolManager {
 public:
  using TLxConnectionPoolManager::TLxConnectionPoolManager;

  // A pooled connection for these parameters. The first call makes the process-wide manager
  // (and so starts its validation thread), reporting pool events to the monitor hook given.
  static TLxConnection* GetConnection(const TLxConnectionParameters& parameters,
                                      TPoolMessageProc monitor);
  // The process-wide manager; null until the first pooled connect.
  static TMyConnectionPoolManager* Manager();
  // Frees every pool of the process-wide manager, when there is one.
  static void ClearPools();
  // Stops the validation thread and frees the process-wide manager with its pools, as the end
  // of the program does. Connections still in use close when they are given back.
  static void FreeManager();

 protected:
  TLxConnectionPool* CreateConnectionPool(const TLxConnectionParameters& parameters) override;
};

// The SQL monitor's pool hook: the MySQL monitor class's pool report.
void MySQLMonitorPoolMessage(TObject* source, const String& message, bool withCount,
                             bool withParameters);
