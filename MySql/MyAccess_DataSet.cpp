// The MySQL dataset: its options and the switches they pass to the record set, the settings of a
// new record set, the SQL-text operations in the MySQL dialect, and the refresh on a timer.
#include "MySql/MyAccess_DataSet.h"

#include "Common/DBAccess_SQLText.h"
#include "Common/Win32Timer.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_Command.h"
#include "MySql/MyAccess_Service.h"
#include "MySql/MyParser.h"

// ---- Options.

TMyDataSetOptions::TMyDataSetOptions(TCustomMyDataSet* owner)
    : TDADataSetOptions(owner), FDataSet(owner) {
  SetFieldsReadOnly = false;
  SetFieldsOrigin(true);
  // The server knows which columns are required and fills their defaults; a NOT NULL column with
  // a default must not stop a post on the client.
  SetRequiredFields(false);
}

void TMyDataSetOptions::SetRecordSetSwitch(bool& field, bool value, TLxPropCode prop,
                                           bool outdatesFields) {
  if (value == field) return;
  if (FDataSet) FDataSet->CheckInactive();
  field = value;
  if (!FDataSet) return;
  FDataSet->PassToRecordSet(prop, value);
  if (outdatesFields) FDataSet->OptionChanged(oeFieldDefsOutdated, true);
}

void TMyDataSetOptions::SetFieldsAsString(bool value) {
  SetRecordSetSwitch(FFieldsAsString, value, pcFieldsAsString, true);
}

void TMyDataSetOptions::SetNullForZeroDate(bool value) {
  SetRecordSetSwitch(FNullForZeroDate, value, pcNullForZeroDate, false);
}

void TMyDataSetOptions::SetEnableBoolean(bool value) {
  SetRecordSetSwitch(FEnableBoolean, value, pcEnableBoolean, true);
}

void TMyDataSetOptions::SetBinaryAsString(bool value) {
  SetRecordSetSwitch(FBinaryAsString, value, pcBinaryAsString, true);
}

void TMyDataSetOptions::SetCreateConnection(bool value) {
  SetRecordSetSwitch(FCreateConnection, value, pcCreateConnection, false);
}

void TMyDataSetOptions::SetCheckRowVersion(bool value) {
  FCheckRowVersion = value;
  if (FDataSet) FDataSet->DataSetService()->SetProp(pcCheckRowVersion, value);
}

void TMyDataSetOptions::SetAutoRefresh(bool value) {
  if (value == FAutoRefresh) return;
  FAutoRefresh = value;
  if (FDataSet) FDataSet->AutoRefreshChanged();
}

void TMyDataSetOptions::SetAutoRefreshInterval(int value) {
  if (value == FAutoRefreshInterval) return;
  FAutoRefreshInterval = value;
  if (FDataSet) FDataSet->AutoRefreshIntervalChanged();
}

void TMyDataSetOptions::Assign(TPersistent* source) {
  TDADataSetOptions::Assign(source);
  auto* src = dynamic_cast<TMyDataSetOptions*>(source);
  if (!src) return;
  SetLongStrings(src->LongStrings());
  FullRefresh = src->FullRefresh;
  SetFieldsAsString(src->FFieldsAsString);
  SetCompressBlobMode(src->CompressBlobMode());
  SetNullForZeroDate(src->FNullForZeroDate);
  SetEnableBoolean(src->FEnableBoolean);
  SetBinaryAsString(src->FBinaryAsString);
  SetFieldsOrigin(src->FieldsOrigin());
  SetCreateConnection(src->FCreateConnection);
}

void TMyTableOptions::SetUseHandler(bool value) {
  if (value == FUseHandler) return;
  auto* table = static_cast<TCustomMyTable*>(DataSet());
  if (table) table->CheckInactive();
  FUseHandler = value;
  if (!table) return;
  table->PassToRecordSet(pcUseHandler, value);
  table->TableStatementChanged();
}

void TMyTableOptions::SetHandlerIndex(const String& value) {
  if (value == FHandlerIndex) return;
  auto* table = static_cast<TCustomMyTable*>(DataSet());
  if (table) table->CheckInactive();
  FHandlerIndex = value;
  // The statement names the index: it is built again with the new one.
  if (table) table->TableStatementChanged();
}

void TMyTableOptions::Assign(TPersistent* source) {
  TMyDataSetOptions::Assign(source);
  if (auto* src = dynamic_cast<TMyTableOptions*>(source)) {
    SetUseHandler(src->FUseHandler);
    SetHandlerIndex(src->FHandlerIndex);
  }
}

// ---- The dataset.

TCustomMyDataSet::TCustomMyDataSet(TComponent* owner) : TCustomDADataSet(owner) {
  InstallCommand(CreateCommand());
  InstallOptions(std::make_unique<TMyDataSetOptions>(this));
  Macros()->SetParserClass(GetParserClass());
  SetFetchAll(true);
}

TCustomMyDataSet::~TCustomMyDataSet() {
  // The timer goes first: no tick may reach a dataset that is being taken apart.
  FAutoRefreshTimer.reset();
}

TCustomMyConnection* TCustomMyDataSet::Connection() const {
  return dynamic_cast<TCustomMyConnection*>(TCustomDADataSet::Connection());
}

TParserClass TCustomMyDataSet::GetParserClass() { return &NewParser<TMyParser>; }

std::unique_ptr<TCustomDASQL> TCustomMyDataSet::CreateCommand() {
  return std::make_unique<TMyCommand>(this);
}

TDataSetServiceClass TCustomMyDataSet::GetDataSetServiceClass() {
  return TDataSetServiceClass::Of<TMyDataSetService>();
}

void TCustomMyDataSet::PassSettings() {
  TCustomDADataSet::PassSettings();
  TLxRecordSet* rs = IRecordSet();
  if (!rs) return;
  if (TMyDataSetOptions* options = Options()) {
    rs->SetProp(pcFieldsAsString, options->FieldsAsString());
    rs->SetProp(pcNullForZeroDate, options->NullForZeroDate());
    rs->SetProp(pcEnableBoolean, options->EnableBoolean());
    rs->SetProp(pcBinaryAsString, options->BinaryAsString());
    rs->SetProp(pcCreateConnection, options->CreateConnection());
  }
  rs->SetProp(pcCommandTimeout, FCommandTimeout);
}

void TCustomMyDataSet::SetCommandTimeout(int value) {
  FCommandTimeout = value;
  PassToRecordSet(pcCommandTimeout, value);
}

void TCustomMyDataSet::BeforeOpenCursor(bool infoQuery) {
  TCustomDADataSet::BeforeOpenCursor(infoQuery);
  if (SQL()->Count() == 0) DatabaseError(SNoSQLStatement, this);
}

TCustomMyDataSetService* TCustomMyDataSet::MyService() {
  auto* service = dynamic_cast<TCustomMyDataSetService*>(DataSetService());
  RTL_ASSERT(service != nullptr, u"The MySQL dataset works with the MySQL service");
  return service;
}

void TCustomMyDataSet::SetDataSetService(std::unique_ptr<TDataSetService> value) {
  TCustomDADataSet::SetDataSetService(std::move(value));
  if (auto* service = dynamic_cast<TCustomMyDataSetService*>(DataSetService()))
    if (Options() != nullptr) service->SetProp(pcCheckRowVersion, Options()->CheckRowVersion());
}

void TCustomMyDataSet::InternalOpen() {
  // One connect request across the open and the reading of column defaults.
  AcquireConnection(true);
  try {
    TCustomDADataSet::InternalOpen();
    MyService()->InitFields();
  } catch (...) {
    ReleaseConnection();
    throw;
  }
  ReleaseConnection();
}

void TCustomMyDataSet::InternalClose() {
  MyService()->ClearFieldsInfo();
  TCustomDADataSet::InternalClose();
}

void TCustomMyDataSet::RefreshData() {
  TCustomDADataSet::RefreshData();
  if (Active()) MyService()->FindTimestampField();
}

int TCustomMyDataSet::GetServerRecordCount() { return MyService()->GetServerRecordCount(); }

bool TCustomMyDataSet::OpenNext() { return MyService()->OpenNext(); }

// ---- Auto-refresh.

void TCustomMyDataSet::AutoRefreshChanged() {
  if (ComponentState().Contains(csDesigning)) return;
  const bool enabled = Options()->AutoRefresh();
  if (!FAutoRefreshTimer) {
    FAutoRefreshTimer = std::make_unique<TWin32Timer>(nullptr);
    FAutoRefreshTimer->SetEnabled(enabled);
    FAutoRefreshTimer->SetInterval(static_cast<uint32_t>(Options()->AutoRefreshInterval()) * 1000u);
    FAutoRefreshTimer->SetOnTimer([this](TObject*) { AutoRefreshTick(); });
  }
  FAutoRefreshTimer->SetEnabled(enabled);
}

void TCustomMyDataSet::AutoRefreshIntervalChanged() {
  if (FAutoRefreshTimer)
    FAutoRefreshTimer->SetInterval(static_cast<uint32_t>(Options()->AutoRefreshInterval()) * 1000u);
}

void TCustomMyDataSet::AutoRefreshTick() {
  // Only a browsing dataset refreshes: an edit in progress is never thrown away.
  if (State() != dsBrowse) return;
  try {
    // With a TIMESTAMP column only the rows changed since the last look are read again.
    if (MyService()->TimestampField() != nullptr)
      RefreshQuick(true);
    else
      Refresh();
  } catch (...) {
    // A refresh that fails once would fail on every tick: the refreshing stops, and the
    // error goes on to be reported.
    Options()->SetAutoRefresh(false);
    throw;
  }
  // The next refresh comes a full interval after this one ended.
  FAutoRefreshTimer->SetEnabled(false);
  FAutoRefreshTimer->SetEnabled(true);
}

void TCustomMyDataSet::Lock(uint8_t kind) {
  CheckActive();
  if (IsEmpty()) throw EDatabaseError(u"There is no active record to lock");
  MyService()->SetProp(pcLockType, Variant(static_cast<int32_t>(kind)));
  TCustomDADataSet::Lock();
}

// ---- SQL text in the MySQL dialect.

String TCustomMyDataSet::SQLGetFrom(const String& sql) {
  return GetFromClause(sql, GetParserClass());
}

String TCustomMyDataSet::SQLAddWhere(const String& sql, const String& condition) {
  return ::AddWhere(sql, condition, GetParserClass());
}

String TCustomMyDataSet::SQLDeleteWhere(const String& sql) {
  return DeleteWhere(sql, GetParserClass());
}

String TCustomMyDataSet::SQLGetWhere(const String& sql) {
  return GetWhereClause(sql, GetParserClass());
}

String TCustomMyDataSet::SQLSetOrderBy(const String& sql, const String& fields) {
  return SetOrderBy(sql, fields, GetParserClass());
}

String TCustomMyDataSet::SQLGetOrderBy(const String& sql) {
  return ::GetOrderBy(sql, GetParserClass());
}
