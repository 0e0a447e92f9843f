// The MySQL connection component and its options.
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_Command.h"

#include "MySql/MyClasses.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/UnicodeText.h"

void TCustomMyConnectionOptions::CheckChange(bool changed) {
  TCustomDAConnection* owner = Owner();
  if (changed && owner && owner->Connected() &&
      !owner->ComponentState().Contains(csDesigning))
    DatabaseError(SConnectionOpen);
}

void TCustomMyConnectionOptions::SetUseUnicode(bool value) {
  CheckChange(value != FUseUnicode);
  FUseUnicode = value;
  PassProp(pcUseUnicode, value);
}

// Compared as written: a change of letter case is a change the server is told of.
void TCustomMyConnectionOptions::SetCharset(const String& value) {
  CheckChange(value != FCharset);
  FCharset = value;
  PassProp(pcCharset, value);
}

void TCustomMyConnectionOptions::SetOptimizedBigInt(bool value) {
  CheckChange(value != FOptimizedBigInt);
  FOptimizedBigInt = value;
  PassProp(pcOptimizedBigInt, value);
}

void TCustomMyConnectionOptions::SetNullForZeroTesmarDate(bool value) {
  CheckChange(value != FNullForZeroTesmarDate);
  FNullForZeroTesmarDate = value;
  PassProp(pcNullForDayZero, value);
}

TDANumericType TCustomMyConnectionOptions::NumericType() const {
  if (EnableFMTBCD()) return ntFmtBCD;
  return EnableBCD() ? ntBCD : ntFloat;
}

void TCustomMyConnectionOptions::SetNumericType(TDANumericType value) {
  SetEnableBCD(value == ntBCD);
  SetEnableFMTBCD(value == ntFmtBCD);
}

void TCustomMyConnectionOptions::Assign(TPersistent* source) {
  TDAConnectionOptions::Assign(source);
  if (auto* src = dynamic_cast<TCustomMyConnectionOptions*>(source)) {
    SetUseUnicode(src->FUseUnicode);
    SetCharset(src->FCharset);
    SetOptimizedBigInt(src->FOptimizedBigInt);
    SetNullForZeroTesmarDate(src->FNullForZeroTesmarDate);
  }
}

void TMyConnectionOptions::SetCompress(bool value) {
  CheckChange(value != FCompress);
  FCompress = value;
  PassProp(pcCompress, value);
}

void TMyConnectionOptions::SetProtocol(TMyProtocol value) {
  CheckChange(value != FProtocol);
  FProtocol = value;
  PassProp(pcProtocol, static_cast<int32_t>(value));
}

void TMyConnectionOptions::SetEmbedded(bool value) {
  CheckChange(value != FEmbedded);
  FEmbedded = value;
  PassProp(pcEmbedded, value);
}

void TMyConnectionOptions::SetDirect(bool value) {
  CheckChange(value != FDirect);
  FDirect = value;
  PassProp(pcDirect, value);
}

void TMyConnectionOptions::SetCheckBackslashes(bool value) {
  FCheckBackslashes = value;
  PassProp(pcCheckBackslashes, value);
}

void TMyConnectionOptions::Assign(TPersistent* source) {
  TCustomMyConnectionOptions::Assign(source);
  if (auto* src = dynamic_cast<TMyConnectionOptions*>(source)) {
    SetCompress(src->FCompress);
    SetProtocol(src->FProtocol);
    SetCheckBackslashes(src->FCheckBackslashes);
  }
}

TCustomMyConnection::TCustomMyConnection(TComponent* owner) : TCustomDAConnection(owner) {
  InstallOptions(std::make_unique<TCustomMyConnectionOptions>(this));
  InstallInternalTransaction(std::make_unique<TMyTransaction>(nullptr));
}

TCustomMyConnection::~TCustomMyConnection() {
  // The statement command is a client of this connection: it goes while the connection is whole.
  FreeCommand();
  // Disconnected here rather than by the base destructor, so that the disconnect and the end
  // reach this class's monitor.
  try {
    SetConnected(false);
  } catch (const std::exception&) {
  }
  if (MonitorClass().HasMonitor()) MonitorClass().ObjectDestroyedHook(this);
}

TLxRecordSetClass TCustomMyConnection::GetIRecordSetClass() {
  return TLxRecordSetClass::Of<TMySQLRecordset>();
}

std::unique_ptr<TCustomDADataSet> TCustomMyConnection::CreateDataSet(TComponent* owner) {
  auto dataSet = std::make_unique<TCustomMyDataSet>(owner);
  dataSet->SetConnection(this);
  return dataSet;
}

Variant TCustomMyConnection::ExecSQL(const String& text, const std::vector<Variant>& values) {
  if (values.size() == 0) {
    TakeConnectRequest();
    try {
      SetConnected(true);
      MySQLConnection()->ExecSQL(text);
    } catch (...) {
      DropConnectRequest();
      throw;
    }
    DropConnectRequest();
    return Variant::Null();
  }
  auto* command = static_cast<TMyCommand*>(CheckCommand());
  command->SQL()->Clear();
  command->SetSQLText(text);
  command->SetCommandTimeout(FConnectionTimeout);
  TDAParams* params = command->Params();
  for (int i = 0; i < params->Count(); ++i) {
    if (static_cast<size_t>(i) < values.size())
      params->Items(i)->SetAsVariant(values[static_cast<size_t>(i)]);
    else
      params->Items(i)->SetAsVariant(Variant::Null());
  }
  command->Execute();
  return Variant::Null();
}

std::unique_ptr<TDATransaction> TCustomMyConnection::CreateTransaction() {
  auto transaction = std::make_unique<TMyTransaction>(nullptr);
  transaction->SetDefaultConnection(this);
  return transaction;
}

TMyIsolationLevel TCustomMyConnection::IsolationLevel() {
  return static_cast<TMyIsolationLevel>(EffectiveTransaction()->IsolationLevel());
}

void TCustomMyConnection::SetIsolationLevel(TMyIsolationLevel value) {
  EffectiveTransaction()->SetIsolationLevel(value);
}

TMySQLConnection* TCustomMyConnection::MySQLConnection() const {
  return static_cast<TMySQLConnection*>(IConnection());
}

void TCustomMyConnection::SetDatabase(const String& value) {
  FDatabase = value;
  if (IConnection()) IConnection()->SetProp(pcDatabase, value);
}

void TCustomMyConnection::SetConnectionTimeout(int value) {
  FConnectionTimeout = value;
  if (IConnection()) IConnection()->SetProp(pcConnectionTimeout, static_cast<int32_t>(value));
}

void TCustomMyConnection::ApplyConnectionSettings(TLxConnection* connection) {
  connection->SetProp(pcDatabase, FDatabase);
  connection->SetProp(pcConnectionTimeout, static_cast<int32_t>(FConnectionTimeout));
  connection->SetProp(pcUseUnicode, MyOptions()->UseUnicode());
  connection->SetProp(pcCharset, MyOptions()->Charset());
}

void TCustomMyConnection::AssignConnect(TCustomDAConnection* source) {
  TCustomDAConnection::AssignConnect(source);
  if (auto* src = dynamic_cast<TCustomMyConnection*>(source)) {
    SetDatabase(src->FDatabase);
    SetConnectionTimeout(src->FConnectionTimeout);
    MyOptions()->Assign(src->MyOptions());
  }
}

TMyConnection::TMyConnection(TComponent* owner)
    : TCustomMyConnection(owner),
      FSSLOptions(std::make_unique<TMyConnectionSSLOptions>(this)),
      FHttpOptions(new THttpOptions()) {
  InstallOptions(std::make_unique<TMyConnectionOptions>(this));
}

void TMyConnection::SetPort(int value) {
  if (value != FPort) SetConnected(false);
  FPort = value;
  if (IConnection()) IConnection()->SetProp(pcPort, static_cast<int32_t>(value));
}

String TMyConnection::GetClientVersion() {
  if (Options()->Direct() && !Options()->Embedded()) return u"7.0.0 Direct";
  if (Connected()) return IConnection()->GetClientVersion();
  TMySQLConnection probe;
  probe.SetProp(pcEmbedded, Options()->Embedded());
  probe.SetProp(pcDirect, false);
  return probe.GetClientVersion();
}

void TMyConnection::ApplyConnectionSettings(TLxConnection* connection) {
  TCustomMyConnection::ApplyConnectionSettings(connection);
  connection->SetProp(pcPort, static_cast<int32_t>(FPort));
  connection->SetProp(pcEmbedded, Options()->Embedded());
  connection->SetProp(pcDirect, Options()->Direct());
  connection->SetProp(pcCompress, Options()->Compress());
  connection->SetProp(pcProtocol, static_cast<int32_t>(Options()->Protocol()));
  connection->SetProp(pcCheckBackslashes, Options()->CheckBackslashes());
  connection->SetProp(pcSSLCipherList, FSSLOptions->ChipherList());
  connection->SetProp(pcSSLCACert, FSSLOptions->CACert());
  connection->SetProp(pcSSLKey, FSSLOptions->Key());
  connection->SetProp(pcSSLCert, FSSLOptions->Cert());
  connection->SetHttpOptions(FHttpOptions.get());
}

void TMyConnection::DoConnect() {
  // The tunnel settings are plain values that tell nobody of a change: the provider connection
  // takes them anew at every connect.
  if (IConnection()) IConnection()->SetHttpOptions(FHttpOptions.get());
  TCustomMyConnection::DoConnect();
}

void TCustomMyConnection::AssignTo(TPersistent* dest) {
  TCustomDAConnection::AssignTo(dest);
  if (auto* target = dynamic_cast<TCustomMyConnection*>(dest)) {
    target->SetDatabase(FDatabase);
    target->SetConnectionTimeout(FConnectionTimeout);
    target->SetIsolationLevel(IsolationLevel());
  }
}

void TMyConnection::AssignTo(TPersistent* dest) {
  if (auto* target = dynamic_cast<TMyConnection*>(dest)) {
    target->SetPort(FPort);
    target->SetSSLOptions(SSLOptions());
    target->SetHttpOptions(HttpOptions());
  }
  TCustomMyConnection::AssignTo(dest);
}

void TMyConnection::AssignConnect(TCustomDAConnection* source) {
  TCustomMyConnection::AssignConnect(source);
  if (auto* src = dynamic_cast<TMyConnection*>(source)) {
    SetPort(src->FPort);
    FSSLOptions->Assign(src->FSSLOptions.get());
    FHttpOptions->Assign(src->FHttpOptions.get());
  }
}
