#include "MySql/MyAccess_Service.h"

#include "Common/DBAccess_DataSet.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_Generator.h"
#include "MySql/MyAccess_Updater.h"
#include "MySql/MyClasses_RecordSetFields.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"

TFieldDescArray CollectMyFields(const std::vector<TFieldDesc*>& fieldDescs, bool keyOnly,
                                bool allTables, const TLxTableInfo* updatingTable,
                                bool setFieldsReadOnly) {
  TFieldDescArray result;
  bool anyPrimary = false;
  for (TFieldDesc* desc : fieldDescs) {
    if (desc->CalcKind() != 0 || desc->HasParent()) continue;
    TLxTableInfo* table = BaseTableOf(desc);
    bool taken = allTables || (table != nullptr && table == updatingTable) ||
                 (table == nullptr && !setFieldsReadOnly);
    if (!taken) continue;
    if (keyOnly ? !desc->IsKey() : desc->ReadOnly()) continue;
    auto* myDesc = dynamic_cast<TMySQLFieldDesc*>(desc);
    anyPrimary = anyPrimary || (keyOnly && myDesc != nullptr && myDesc->IsPrimaryKey());
    result.push_back(desc);
  }
  if (anyPrimary) {
    TFieldDescArray primary;
    for (TFieldDesc* desc : result) {
      auto* myDesc = dynamic_cast<TMySQLFieldDesc*>(desc);
      if (myDesc != nullptr && myDesc->IsPrimaryKey()) primary.push_back(desc);
    }
    return primary;
  }
  return result;
}

TFieldDesc* MyIdentityField(const std::vector<TFieldDesc*>& fieldDescs,
                            const TLxTableInfo* updatingTable) {
  if (updatingTable == nullptr) return nullptr;
  for (TFieldDesc* desc : fieldDescs) {
    if (desc->CalcKind() != 0 || !desc->IsAutoIncrement()) continue;
    TLxTableInfo* table = BaseTableOf(desc);
    if (table != nullptr && AnsiSameText(table->TableName(), updatingTable->TableName()))
      return desc;
  }
  return nullptr;
}

// ---- TCustomMyDataSetService ----

void TCustomMyDataSetService::CreateUpdater() {
  ReplaceUpdater(std::make_unique<TCustomMyDataSetUpdater>(this));
}

bool TCustomMyDataSetService::CanModify() {
  TCustomDADataSet* dataSet = DADataSet();
  RTL_ASSERT(dataSet->IRecordSet() != nullptr, u"FIRecordSet must be setted to this time");
  if (TDADataSetService::CanModify()) return true;
  if (dataSet->ReadOnly() || dataSet->UniDirectional()) return false;
  for (TField* field : *dataSet->Fields())
    if (!field->ReadOnly()) return true;
  for (TStatementType type : {stInsert, stUpdate, stDelete}) {
    TStrings* text = dataSet->UpdateSQL(type);
    if (text != nullptr && !Trim(text->Text()).empty()) return true;
  }
  return false;
}

std::unique_ptr<TDASQLGenerator> TCustomMyDataSetService::CreateGenerator() {
  auto generator = std::make_unique<TCustomMySQLGenerator>(this);
  if (auto* options = dynamic_cast<TMyDataSetOptions*>(DADataSet()->Options()))
    generator->CheckRowVersion = options->CheckRowVersion();
  return generator;
}

std::vector<TFieldDesc*> TCustomMyDataSetService::DataSetFieldDescs() {
  std::vector<TFieldDesc*> descs;
  for (TFieldDesc* desc : FieldDescs())
    if (FieldOf(desc) != nullptr) descs.push_back(desc);
  return descs;
}

TFieldDesc* TCustomMyDataSetService::GetIdentityField() {
  return MyIdentityField(FieldDescs(), UpdatingTableInfo());
}

TFieldDescArray TCustomMyDataSetService::GetKeyFieldDescs(bool allTables) {
  if (!DADataSet()->KeyFields().empty()) return TDADataSetService::GetKeyFieldDescs(allTables);
  return CollectMyFields(DataSetFieldDescs(), true, allTables, UpdatingTableInfo(),
                         DADataSet()->Options()->SetFieldsReadOnly);
}

TFieldDescArray TCustomMyDataSetService::GetDataFieldDescs(bool allTables) {
  return CollectMyFields(DataSetFieldDescs(), false, allTables, UpdatingTableInfo(),
                         DADataSet()->Options()->SetFieldsReadOnly);
}
