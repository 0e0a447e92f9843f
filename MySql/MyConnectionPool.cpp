// The MySQL connection pool: its key, its connections and the process-wide manager.
#include "MySql/MyConnectionPool.h"

#include "Common/MemData_Types.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MySqlApiDirect.h"
#include "MySql/OrbiqMonitor.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TextCompare.h"

namespace {

struct TProcessPools {
  TCriticalSection Lock;
  std::unique_ptr<TMyConnectionPoolManager, TObjectFree> Manager;
};

// Pooled connections still open at the end of the program close through the call table, so the
// table is made before the manager's holder and outlives it.
TProcessPools& ProcessPools() {
  MySQLAPIDirect();
  static TProcessPools pools;
  return pools;
}

}  // namespace

void MySQLMonitorPoolMessage(TObject* source, const String& message, bool withCount,
                             bool withParameters) {
  MySQLMonitorClass().PoolMessage(source, message, withCount, withParameters);
}

TMyConnectionParameters::TMyConnectionParameters() : FEmbParams(new TStringList()) {}

TMyConnectionParameters::~TMyConnectionParameters() = default;

std::unique_ptr<TLxConnectionParameters> TMyConnectionParameters::Create() const {
  return std::make_unique<TMyConnectionParameters>();
}

void TMyConnectionParameters::AssignTo(TPersistent* dest) {
  if (auto* target = dynamic_cast<TMyConnectionParameters*>(dest)) {
    target->Database = Database;
    target->Port = Port;
    target->ConnectionTimeout = ConnectionTimeout;
    target->Compress = Compress;
    target->UseUnicode = UseUnicode;
    target->Charset = Charset;
    target->Protocol = Protocol;
    target->Embedded = Embedded;
    target->Direct = Direct;
    target->ChipherList = ChipherList;
    target->CACert = CACert;
    target->Key = Key;
    target->Cert = Cert;
    target->FEmbParams->Assign(FEmbParams.get());
  }
  TLxConnectionParameters::AssignTo(dest);
}

bool TMyConnectionParameters::Equals(const TLxConnectionParameters* other) const {
  if (!TLxConnectionParameters::Equals(other)) return false;
  auto* my = dynamic_cast<const TMyConnectionParameters*>(other);
  if (!my) return true;
  const bool same = AnsiSameText(Database, my->Database) && Port == my->Port &&
                    ConnectionTimeout == my->ConnectionTimeout && Compress == my->Compress &&
                    UseUnicode == my->UseUnicode && Charset == my->Charset &&
                    Protocol == my->Protocol && Embedded == my->Embedded && Direct == my->Direct;
  if (!same || Protocol != mpSSL) return same;
  return ChipherList == my->ChipherList && CACert == my->CACert && Key == my->Key &&
         Cert == my->Cert;
}

bool TMyConnectionParameters::SetProp(TLxPropCode prop, const Variant& value) {
  switch (prop) {
    case pcDatabase:
      Database = value.AsString();
      return true;
    case pcPort:
      Port = value.AsInteger();
      return true;
    case pcConnectionTimeout:
      ConnectionTimeout = value.AsInteger();
      return true;
    case pcCompress:
      Compress = value.AsBoolean();
      return true;
    case pcUseUnicode:
      UseUnicode = value.AsBoolean();
      return true;
    case pcCharset:
      Charset = value.AsString();
      return true;
    case pcProtocol:
      Protocol = static_cast<TMyProtocol>(value.AsInteger());
      return true;
    case pcEmbedded:
      Embedded = value.AsBoolean();
      return true;
    case pcDirect:
      Direct = value.AsBoolean();
      return true;
    case pcSSLCipherList:
      ChipherList = value.AsString();
      return true;
    case pcSSLCACert:
      CACert = value.AsString();
      return true;
    case pcSSLKey:
      Key = value.AsString();
      return true;
    case pcSSLCert:
      Cert = value.AsString();
      return true;
    case pcEmbParams:
      FEmbParams->SetText(Trim(value.AsString()));
      return true;
    default:
      return TLxConnectionParameters::SetProp(prop, value);
  }
}

String TMyConnectionParameters::ConnectionInfo() const {
  return TLxConnectionParameters::ConnectionInfo() +
         Format(u"Port=%d\rDatabase=%s\r", {Port, Database});
}

TLxConnection* TMyLocalConnectionPool::CreateNewConnection(const TErrorProc& onError) {
  const auto& p = static_cast<const TMyConnectionParameters&>(Parameters());
  auto connection = std::make_unique<TMySQLConnection>();
  connection->SetProp(pcDatabase, p.Database);
  connection->SetProp(pcConnectionTimeout, p.ConnectionTimeout);
  connection->SetProp(pcPort, p.Port);
  connection->SetProp(pcEmbedded, p.Embedded);
  connection->SetProp(pcDirect, p.Direct);
  connection->SetProp(pcCompress, p.Compress);
  connection->SetProp(pcUseUnicode, p.UseUnicode);
  connection->SetProp(pcCharset, p.Charset);
  connection->SetProp(pcProtocol, static_cast<int32_t>(p.Protocol));
  connection->SetIOHandler(p.IOHandler);
  connection->SetHttpOptions(p.HttpOptions());
  connection->SetProp(pcSSLCipherList, p.ChipherList);
  connection->SetProp(pcSSLCACert, p.CACert);
  connection->SetProp(pcSSLKey, p.Key);
  connection->SetProp(pcSSLCert, p.Cert);
  connection->SetProp(pcEmbParams, p.EmbParams()->Text());
  connection->SetOnError(onError);
  StartWait();
  try {
    connection->SetUsername(p.Username);
    connection->SetPassword(p.Password);
    connection->SetServer(p.Server);
    connection->Connect(String());
  } catch (...) {
    StopWait();
    throw;
  }
  StopWait();
  return connection.release();
}

TLxConnectionPool* TMyConnectionPoolManager::CreateConnectionPool(
    const TLxConnectionParameters& parameters) {
  return new TMyLocalConnectionPool(this, parameters);
}

TLxConnection* TMyConnectionPoolManager::GetConnection(const TLxConnectionParameters& parameters,
                                                       TPoolMessageProc monitor) {
  TProcessPools& pools = ProcessPools();
  TMyConnectionPoolManager* manager;
  {
    TLockGuard lock(pools.Lock);
    if (!pools.Manager) pools.Manager.reset(new TMyConnectionPoolManager(monitor));
    manager = pools.Manager.get();
  }
  return manager->GetPooledConnection(parameters);
}

TMyConnectionPoolManager* TMyConnectionPoolManager::Manager() {
  TProcessPools& pools = ProcessPools();
  TLockGuard lock(pools.Lock);
  return pools.Manager.get();
}

void TMyConnectionPoolManager::ClearPools() {
  if (TMyConnectionPoolManager* manager = Manager()) manager->FreePools();
}

void TMyConnectionPoolManager::FreeManager() {
  TProcessPools& pools = ProcessPools();
  std::unique_ptr<TMyConnectionPoolManager, TObjectFree> manager;
  {
    TLockGuard lock(pools.Lock);
    manager.swap(pools.Manager);
  }
}
