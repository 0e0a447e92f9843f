// The provider connections of the MySQL connection component: made with the component's
// settings, or taken from the connection pool when Pooling is on and given back to it.
#include "MySql/MyAccess.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MyConnectionPool.h"

void TCustomMyConnection::CreateIConnection() {
  if (IConnection()) return;
  std::unique_ptr<TMySQLConnection> connection(CreateProviderConnection());
  connection->SetOnGetFetchConnection([this] { return CreateProviderConnection(); });
  connection->SetOnReleaseFetchConnection(
      [this](TMySQLConnection* fetch) { ReleaseProviderConnection(fetch); });
  SetIConnection(std::move(connection));
}

TMySQLConnection* TCustomMyConnection::CreateProviderConnection() {
  TMySQLConnection* connection;
  if (Pooling()) {
    TMyConnectionParameters parameters;
    FillConnectionParameters(parameters);
    connection = static_cast<TMySQLConnection*>(
        TMyConnectionPoolManager::GetConnection(parameters, &MySQLMonitorPoolMessage));
  } else {
    connection = new TMySQLConnection();
    ApplyConnectionSettings(connection);
  }
  try {
    // A pooled session may come from another component's use: none of that use's hooks or
    // fetch role carries over, and a database it switched to is switched back.
    connection->SetOnGetFetchConnection(nullptr);
    connection->SetOnReleaseFetchConnection(nullptr);
    connection->SetFetchConnection(false);
    if (connection->Pool()) connection->SetProp(pcDatabase, Database());
    connection->SetProp(pcEnableBCD, MyOptions()->EnableBCD());
    connection->SetProp(pcEnableFMTBCD, MyOptions()->EnableFMTBCD());
    connection->SetProp(pcAutoCommit, AutoCommit());
    connection->SetProp(pcConvertEOL, ConvertEOL());
    connection->SetProp(pcOptimizedBigInt, MyOptions()->OptimizedBigInt());
    connection->SetProp(pcNullForDayZero, MyOptions()->NullForZeroTesmarDate());
    connection->SetProp(pcDisconnectedMode, MyOptions()->DisconnectedMode());
    connection->SetProp(pcDefaultSortType, static_cast<int32_t>(MyOptions()->DefaultSortType()));
    if (IConnection()) connection->Assign(*IConnection());
  } catch (...) {
    ReleaseProviderConnection(connection);
    throw;
  }
  return connection;
}

void TCustomMyConnection::ReleaseProviderConnection(TMySQLConnection* connection) {
  // A connection from a pool goes back to it even when Pooling was turned off meanwhile.
  if (connection->Pool() && connection->ReturnToPool()) return;
  delete connection;
}

void TCustomMyConnection::FillConnectionParameters(TMyConnectionParameters& parameters) {
  parameters.MinPoolSize = PoolingOptions()->MinPoolSize;
  parameters.MaxPoolSize = PoolingOptions()->MaxPoolSize;
  parameters.ConnectionLifetime = PoolingOptions()->ConnectionLifetime;
  parameters.Validate = PoolingOptions()->Validate;
  parameters.Username = Username();
  parameters.Server = GetServer();
  parameters.Password = Password();
  parameters.Database = Database();
  parameters.ConnectionTimeout = ConnectionTimeout();
  parameters.UseUnicode = MyOptions()->UseUnicode();
  parameters.Charset = MyOptions()->Charset();
  parameters.OnError = [this](Exception& e, bool& fail, bool& reconnect, bool& reexecute,
                              int attempt, TConnLostCause& cause) {
    DoError(e, fail, reconnect, reexecute, attempt, cause);
  };
  parameters.Port = 0;
  parameters.Compress = false;
  parameters.Embedded = false;
  parameters.Direct = true;
}

void TMyConnection::FillConnectionParameters(TMyConnectionParameters& parameters) {
  TCustomMyConnection::FillConnectionParameters(parameters);
  parameters.Port = Port();
  parameters.Compress = Options()->Compress();
  parameters.Protocol = Options()->Protocol();
  parameters.Embedded = Options()->Embedded();
  parameters.Direct = Options()->Direct();
  parameters.ChipherList = SSLOptions()->ChipherList();
  parameters.CACert = SSLOptions()->CACert();
  parameters.Key = SSLOptions()->Key();
  parameters.Cert = SSLOptions()->Cert();
}
