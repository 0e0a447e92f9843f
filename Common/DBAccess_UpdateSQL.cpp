#include "Common/DBAccess_UpdateSQL.h"

#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_SQL.h"
#include "Common/DBAccess_Updater.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

TCustomDAUpdateSQL::TCustomDAUpdateSQL(TComponent* owner) : TComponent(owner) {
  for (TStatementType type : {stInsert, stUpdate, stDelete, stLock, stRefresh})
    FSQLText[type] = std::make_unique<TStringList>();
}

TCustomDAUpdateSQL::~TCustomDAUpdateSQL() {
  // The dataset must not post through an object that is gone.
  if (FDataSet != nullptr && FDataSet->UpdateObject() == this) FDataSet->SetUpdateObject(nullptr);
  FDataSet = nullptr;
}

void TCustomDAUpdateSQL::SetSQL(TStatementType type, TStrings* value) {
  TStringList* list = FSQLText[type].get();
  RTL_ASSERT(list != nullptr, u"No statement text for this statement type");
  list->Assign(value);
}

void TCustomDAUpdateSQL::CheckComponent(TComponent* component) const {
  if (component == nullptr) return;
  TDAComponentClass dataSetClass = DataSetClass();
  TDAComponentClass sqlClass = SQLClass();
  if (sqlClass.IsInstance(component) || dataSetClass.IsInstance(component)) {
    if (component == static_cast<TComponent*>(FDataSet)) throw Exception(SCircularUpdateObject);
    return;
  }
  throw Exception(Format(SUpdateObjectClasses, {dataSetClass.Name, sqlClass.Name}));
}

void TCustomDAUpdateSQL::SetObject(TStatementType type, TComponent* value) {
  CheckComponent(value);
  TComponent* old = FSQLObject[type];
  if (old == value) return;
  FSQLObject[type] = value;
  if (value != nullptr) value->FreeNotification(this);
  if (old == nullptr) return;
  for (TComponent* other : FSQLObject)
    if (other == old) return;  // still referenced by another slot
  old->RemoveFreeNotification(this);
}

TStrings* TCustomDAUpdateSQL::GetSQL(TUpdateKind updateKind) {
  return SQL(UpdateKindToStatementType(updateKind));
}

TDAComponentClass TCustomDAUpdateSQL::DataSetClass() const {
  return TDAComponentClass::Of<TCustomDADataSet>(u"TCustomDADataSet");
}

TDAComponentClass TCustomDAUpdateSQL::SQLClass() const {
  return TDAComponentClass::Of<TCustomDASQL>(u"TCustomDASQL");
}

void TCustomDAUpdateSQL::ExecSQL(TUpdateKind updateKind) {
  RTL_ASSERT(FDataSet != nullptr, u"The update object is not used by a dataset");
  // DAUpdater makes the dataset's service and updater when there are none yet.
  FDataSet->DAUpdater()->PerformSQL(GetSQL(updateKind)->Text(),
                                    TStatementTypes{UpdateKindToStatementType(updateKind)});
}

void TCustomDAUpdateSQL::AssignTo(TPersistent* dest) {
  auto* target = dynamic_cast<TCustomDAUpdateSQL*>(dest);
  if (target == nullptr) {
    TComponent::AssignTo(dest);
    return;
  }
  for (TStatementType type : {stRefresh, stUpdate, stInsert, stDelete})
    target->SetSQL(type, SQL(type));
  target->SetDataSet(GetDataSet());
  for (TStatementType type : {stRefresh, stUpdate, stInsert, stDelete})
    target->SetObject(type, Object(type));
}

void TCustomDAUpdateSQL::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  for (TComponent*& object : FSQLObject)
    if (object == component) object = nullptr;
  if (component == static_cast<TComponent*>(FDataSet)) FDataSet = nullptr;
}
