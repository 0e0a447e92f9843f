#include "Common/DBAccess_AccessUtils.h"

#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_HotCast.h"
#include "Common/DBAccess_SQL.h"
#include "Common/DBAccess_Updater.h"
#include "platform/rtl/Exceptions.h"

void TDBAccessUtils::Classify(TComponent* component, TCustomDADataSet*& dataSet,
                              TCustomDASQL*& sql) {
  RTL_ASSERT(component != nullptr, u"Obj is nil");
  dataSet = HotCast<TCustomDADataSet>(component);
  sql = dataSet == nullptr ? HotCast<TCustomDASQL>(component) : nullptr;
  RTL_ASSERT(dataSet != nullptr || sql != nullptr, component->ClassName());
}

void TDBAccessUtils::SetAutoCommit(TComponent* component, bool value) {
  TCustomDADataSet* dataSet;
  TCustomDASQL* sql;
  Classify(component, dataSet, sql);
  if (dataSet != nullptr)
    dataSet->SetAutoCommit(value);
  else
    sql->SetAutoCommit(value);
}

TLxConnection* TDBAccessUtils::GetIConnection(TCustomDAConnection* connection) {
  RTL_ASSERT(connection != nullptr, u"Obj is nil");
  return connection->IConnection();
}

TComponent* TDBAccessUtils::GetUpdateComponent(TCustomDADataSet* dataSet) {
  RTL_ASSERT(dataSet != nullptr, u"Obj is nil");
  return dataSet->DAUpdater()->CurrentUpdateComponent();
}

void TDBAccessUtils::ReleaseConnectionUse(TCustomDAConnection* connection) {
  RTL_ASSERT(connection != nullptr, u"Obj is nil");
  connection->DropConnectRequest();
}

TCustomDAConnection* TDBAccessUtils::GetTransactionConnection(TDATransaction* transaction,
                                                              int index) {
  RTL_ASSERT(transaction != nullptr, u"Obj is nil");
  return transaction->GetConnection(index);
}

TStrings* TDBAccessUtils::GetSQL(TComponent* component) {
  TCustomDADataSet* dataSet;
  TCustomDASQL* sql;
  Classify(component, dataSet, sql);
  return dataSet != nullptr ? dataSet->SQL() : sql->SQL();
}

String TDBAccessUtils::GetFinalSQL(TComponent* component) {
  TCustomDADataSet* dataSet;
  TCustomDASQL* sql;
  Classify(component, dataSet, sql);
  return dataSet != nullptr ? dataSet->FinalSQL() : sql->FinalSQL();
}

void TDBAccessUtils::SetSQLText(TComponent* component, const String& text, bool dataModifying,
                                bool keepParams) {
  TCustomDADataSet* dataSet;
  TCustomDASQL* sql;
  Classify(component, dataSet, sql);
  // A dataset's text goes to its internal command in the same way.
  if (dataSet != nullptr) sql = dataSet->InternalCommand();
  sql->SetDataModifying(dataModifying);
  sql->SetKeepParams(keepParams);
  try {
    sql->SetSQLText(text);
  } catch (...) {
    sql->SetDataModifying(false);
    sql->SetKeepParams(false);
    throw;
  }
  sql->SetDataModifying(false);
  sql->SetKeepParams(false);
}

TDAParams* TDBAccessUtils::GetParams(TComponent* component) {
  TCustomDADataSet* dataSet;
  TCustomDASQL* sql;
  Classify(component, dataSet, sql);
  return dataSet != nullptr ? dataSet->Params() : sql->Params();
}

void TDBAccessUtils::Execute(TComponent* component) {
  TCustomDADataSet* dataSet;
  TCustomDASQL* sql;
  Classify(component, dataSet, sql);
  if (dataSet != nullptr)
    dataSet->Execute();
  else
    sql->Execute();
}

int TDBAccessUtils::GetRowsAffected(TComponent* component) {
  TCustomDADataSet* dataSet;
  TCustomDASQL* sql;
  Classify(component, dataSet, sql);
  return dataSet != nullptr ? dataSet->RowsAffected() : sql->RowsAffected();
}

TLxRecordSet* TDBAccessUtils::GetIRecordSet(TCustomDADataSet* dataSet) {
  RTL_ASSERT(dataSet != nullptr, u"Obj is nil");
  return dataSet->IRecordSet();
}

TLxCommand* TDBAccessUtils::GetICommand(TComponent* component) {
  TCustomDADataSet* dataSet;
  TCustomDASQL* sql;
  Classify(component, dataSet, sql);
  return dataSet != nullptr ? dataSet->ICommand() : sql->ICommand();
}

bool TDBAccessUtils::GetFetchAll(TCustomDADataSet* dataSet) {
  RTL_ASSERT(dataSet != nullptr, u"Obj is nil");
  return dataSet->FetchAll();
}

void TDBAccessUtils::SetFetchAll(TCustomDADataSet* dataSet, bool value) {
  RTL_ASSERT(dataSet != nullptr, u"Obj is nil");
  dataSet->SetFetchAll(value);
}

bool TDBAccessUtils::GetNoMonitor(TComponent* component) {
  TCustomDADataSet* dataSet;
  TCustomDASQL* sql;
  Classify(component, dataSet, sql);
  return dataSet != nullptr ? dataSet->NoMonitor() : sql->NoMonitor();
}

void TDBAccessUtils::SetNoMonitor(TComponent* component, bool value) {
  TCustomDADataSet* dataSet;
  TCustomDASQL* sql;
  Classify(component, dataSet, sql);
  if (dataSet != nullptr)
    dataSet->SetNoMonitor(value);
  else
    sql->SetNoMonitor(value);
}

const TDASQLMonitorClass& TDBAccessUtils::GetMonitorClass(TCustomDAConnection* connection) {
  RTL_ASSERT(connection != nullptr, u"Obj is nil");
  return connection->MonitorClass();
}
