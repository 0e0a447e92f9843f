#include "MySql/MyAccess_Service.h"

#include <algorithm>

#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_HotCast.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_Generator.h"
#include "MySql/MyAccess_Updater.h"
#include "MySql/MyCall.h"
#include "MySql/MyClasses_RecordSetFields.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"

void CollectMyKeyAndDataFields(std::span<TFieldDesc* const> fieldDescs, bool allTables,
                               const TLxTableInfo* updatingTable, bool setFieldsReadOnly,
                               TFieldDescArray* keys, TFieldDescArray* data) {
  if (keys != nullptr) keys->clear();
  if (data != nullptr) {
    data->clear();
    data->reserve(fieldDescs.size());
  }
  bool anyPrimary = false;
  for (TFieldDesc* desc : fieldDescs) {
    if (desc->CalcKind() != 0 || desc->HasParent()) continue;
    TLxTableInfo* table = BaseTableOf(desc);
    bool taken = allTables || (table != nullptr && table == updatingTable) ||
                 (table == nullptr && !setFieldsReadOnly);
    if (!taken) continue;
    if (keys != nullptr && desc->IsKey()) {
      auto* myDesc = HotCast<TMySQLFieldDesc>(desc);
      anyPrimary = anyPrimary || (myDesc != nullptr && myDesc->IsPrimaryKey());
      keys->push_back(desc);
    }
    if (data != nullptr && !desc->ReadOnly()) data->push_back(desc);
  }
  if (anyPrimary) {
    std::erase_if(*keys, [](TFieldDesc* desc) {
      auto* myDesc = HotCast<TMySQLFieldDesc>(desc);
      return myDesc == nullptr || !myDesc->IsPrimaryKey();
    });
  }
}

TFieldDescArray CollectMyFields(std::span<TFieldDesc* const> fieldDescs, bool keyOnly,
                                bool allTables, const TLxTableInfo* updatingTable,
                                bool setFieldsReadOnly) {
  TFieldDescArray result;
  CollectMyKeyAndDataFields(fieldDescs, allTables, updatingTable, setFieldsReadOnly,
                            keyOnly ? &result : nullptr, keyOnly ? nullptr : &result);
  return result;
}

TFieldDesc* MyIdentityField(std::span<TFieldDesc* const> fieldDescs,
                            const TLxTableInfo* updatingTable) {
  if (updatingTable == nullptr) return nullptr;
  for (TFieldDesc* desc : fieldDescs) {
    if (desc->CalcKind() != 0 || !desc->IsAutoIncrement()) continue;
    TLxTableInfo* table = BaseTableOf(desc);
    // The column's own table is the updating table far more often than a namesake.
    if (table != nullptr && (table == updatingTable ||
                             AnsiSameText(table->TableName(), updatingTable->TableName())))
      return desc;
  }
  return nullptr;
}

// ---- TCustomMyDataSetService ----

namespace {
}  // namespace

void TCustomMyDataSetService::CreateUpdater() {
  ReplaceUpdater(std::make_unique<TCustomMyDataSetUpdater>(this));
}

void TCustomMyDataSetService::InitUpdatingInfo() {
  TDADataSetService::InitUpdatingInfo();
  // The identity field is found from the flags: look again once they are back.
  if (RestoreKeyFlags()) TDADataSetService::InitUpdatingInfo();
}

bool TCustomMyDataSetService::RestoreKeyFlags() {
  TLxTableInfo* table = UpdatingTableInfo();
  TCustomDAConnection* connection = DADataSet()->Connection();
  // A read-only dataset posts nothing; the probe below is one, so it never probes in turn.
  if (table == nullptr || connection == nullptr || DADataSet()->ReadOnly()) return false;
  std::vector<TFieldDesc*> own;
  for (TFieldDesc* desc : FieldDescs()) {
    if (BaseTableOf(desc) != table) continue;
    // Any key flag means the server described the columns with their flags.
    if (desc->IsKey() || desc->IsAutoIncrement()) return false;
    own.push_back(desc);
  }
  if (own.empty() || FKeyFlagsChecked) return false;
  FKeyFlagsChecked = true;
  // SHOW and other statements name their tables only in the column descriptions; those tables
  // take no changes anyway.
  String sql = TrimLeft(DADataSet()->SQL()->Text());
  if (sql.size() < 6 || !AnsiSameText(sql.substr(0, 6), u"SELECT")) return false;

  std::unique_ptr<TCustomDADataSet> probe = connection->CreateDataSet();
  probe->SetReadOnly(true);
  probe->SetSQLText(u"SELECT * FROM " +
                    SQLInfo()->NormalizeName(table->GetTableNameFull(), QuoteNames()) +
                    u" LIMIT 0");
  try {
    probe->Open();
  } catch (EDAError&) {
    // The flags only sharpen how rows are found; without them the dataset works as described.
    return false;
  }
  bool restored = false;
  for (TFieldDesc* column : probe->IRecordSet()->Fields()) {
    auto* flags = dynamic_cast<TMySQLFieldDesc*>(column);
    if (flags == nullptr || !(flags->IsKey() || flags->IsAutoIncrement())) continue;
    for (TFieldDesc* desc : own) {
      if (!AnsiSameText(desc->SourceName(), column->SourceName())) continue;
      desc->SetIsKey(flags->IsKey());
      desc->SetIsAutoIncrement(flags->IsAutoIncrement());
      // The server gives an AUTO_INCREMENT column its value: a new row need not bring one.
      if (flags->IsAutoIncrement()) desc->SetRequired(false);
      if (auto* myDesc = dynamic_cast<TMySQLFieldDesc*>(desc))
        myDesc->SetIsPrimaryKey(flags->IsPrimaryKey());
      restored = true;
    }
  }
  return restored;
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
  generator->CheckRowVersion = FCheckRowVersion;
  generator->LockType = FLockType;
  generator->TimestampField = FTimestampField;
  return generator;
}

TCustomMySQLGenerator* TCustomMyDataSetService::MyGenerator() {
  auto* generator = dynamic_cast<TCustomMySQLGenerator*>(Generator());
  RTL_ASSERT(generator != nullptr,
             u"The MySQL service builds its statements with the MySQL generator");
  return generator;
}

bool TCustomMyDataSetService::SetProp(int32_t prop, const Variant& value) {
  switch (prop) {
    case pcCheckRowVersion:
      FCheckRowVersion = value.AsBoolean();
      MyGenerator()->CheckRowVersion = FCheckRowVersion;
      return true;
    case pcLockType:
      FLockType = static_cast<uint8_t>(value.AsInteger());
      MyGenerator()->LockType = FLockType;
      return true;
    case pcAutoIncReadOnly:
      FAutoIncReadOnly = value.AsBoolean();
      return true;
    default:
      return TDADataSetService::SetProp(prop, value);
  }
}

// ---- Fields.

void TCustomMyDataSetService::InitFields() {
  TCustomDADataSet* dataSet = DADataSet();
  TDADataSetOptions* options = dataSet->Options();
  std::vector<TField*> dataFields;
  for (TField* field : *dataSet->Fields())
    if (field->FieldKind() == fkData && dataSet->GetFieldDesc(field) != nullptr)
      dataFields.push_back(field);
  for (TField* field : dataFields) {
    TFieldDesc* desc = dataSet->GetFieldDesc(field);
    if (options->FieldsOrigin()) SetFieldOrigin(field, desc);
    if (desc->IsAutoIncrement()) field->SetAutoGenerateValue(arAutoInc);
  }
  if (options->DefaultValues()) InitDefaultValues();

  for (TField* field : dataFields) {
    if (!dataSet->GetFieldDesc(field)->IsAutoIncrement()) continue;
    // The server gives the value; nobody needs to type one.
    if (options->SetFieldsReadOnly && FAutoIncReadOnly) field->SetReadOnly(true);
    field->SetAutoGenerateValue(arAutoInc);
  }
  FindTimestampField();
}

void TCustomMyDataSetService::FindTimestampField() {
  TCustomDADataSet* dataSet = DADataSet();
  FTimestampField = nullptr;
  // From the last field to the first: the first auto-updated TIMESTAMP column wins, else the
  // last TIMESTAMP column.
  for (int i = dataSet->Fields()->Count() - 1; i >= 0; --i) {
    TField* field = dataSet->Fields()->Fields(i);
    if (field->FieldKind() != fkData) continue;
    auto* desc = dynamic_cast<TMySQLFieldDesc*>(dataSet->GetFieldDesc(field));
    if (desc != nullptr && desc->MySQLType() == kFieldTypeTimestamp &&
        (FTimestampField == nullptr || desc->IsAutoUpdateTimestamp()))
      FTimestampField = desc;
  }
  MyGenerator()->TimestampField = FTimestampField;
}

void TCustomMyDataSetService::ClearFieldsInfo() {
  FTimestampField = nullptr;
  MyGenerator()->TimestampField = nullptr;
}

void TCustomMyDataSetService::SetFieldOrigin(TField* field, TFieldDesc* fieldDesc) {
  field->SetOrigin(FieldOriginText(fieldDesc, *SQLInfo(), true));
}

bool TCustomMyDataSetService::IsTrackedField(TFieldDesc* fieldDesc) {
  auto* desc = dynamic_cast<TMySQLFieldDesc*>(fieldDesc);
  return desc != nullptr && desc->MySQLType() == kFieldTypeTimestamp;
}

void TCustomMyDataSetService::TrackFieldValue(TFieldDesc* fieldDesc, const Variant& value) {
  TData* data = DADataSet()->Data();
  if (data == nullptr || fieldDesc == nullptr) return;
  TFieldDesc* storeDesc = data->FindField(fieldDesc->Name());
  auto* table = dynamic_cast<TMyTableInfo*>(BaseTableOf(storeDesc));
  if (table == nullptr || table->TimestampField() != storeDesc) return;
  TDateTime stamp = value.IsEmpty() || value.IsNull() ? 0 : VarToDateTime(value);
  if (stamp > table->MaxTimestamp()) table->SetMaxTimestamp(stamp);
}

void TCustomMyDataSetService::DataSetFieldDescs(std::vector<TFieldDesc*>& shown) {
  // The descriptors the fields show, found in one pass over the fields rather than one search
  // of the fields per descriptor: a post asks for them every time.
  TCustomDADataSet* dataSet = DADataSet();
  std::vector<TFieldDesc*>& show = FDescsOfFields;
  show.clear();
  for (TField* field : *dataSet->Fields())
    if (TFieldDesc* desc = dataSet->GetFieldDesc(field)) show.push_back(desc);
  shown.clear();
  // Fields usually stand in the store's order: the field after the last one found is tried
  // before a search.
  size_t next = 0;
  for (TFieldDesc* desc : FieldDescs()) {
    if (next < show.size() && show[next] == desc) {
      ++next;
    } else if (std::find(show.begin(), show.end(), desc) == show.end()) {
      continue;
    }
    shown.push_back(desc);
  }
}

TFieldDesc* TCustomMyDataSetService::GetIdentityField() {
  return MyIdentityField(FieldDescs(), UpdatingTableInfo());
}

TFieldDescArray TCustomMyDataSetService::GetKeyFieldDescs(bool allTables) {
  if (!DADataSet()->KeyFields().empty()) return TDADataSetService::GetKeyFieldDescs(allTables);
  std::vector<TFieldDesc*> shown;
  DataSetFieldDescs(shown);
  return CollectMyFields(shown, true, allTables, UpdatingTableInfo(),
                         DADataSet()->Options()->SetFieldsReadOnly);
}

TKeyAndDataFields TCustomMyDataSetService::GetKeyAndDataFields(bool allTables) {
  TKeyAndDataFields fields;
  FillKeyAndDataFields(allTables, fields);
  return fields;
}

void TCustomMyDataSetService::FillKeyAndDataFields(bool allTables, TKeyAndDataFields& fields) {
  // Both lists from one look at the fields, as GetKeyFieldDescs and GetDataFieldDescs give them.
  DataSetFieldDescs(FShown);
  const bool keysNamed = !DADataSet()->KeyFields().empty();
  CollectMyKeyAndDataFields(FShown, allTables, UpdatingTableInfo(),
                            DADataSet()->Options()->SetFieldsReadOnly,
                            keysNamed ? nullptr : &fields.KeyFieldDescs, &fields.DataFieldDescs);
  if (keysNamed) fields.KeyFieldDescs = TDADataSetService::GetKeyFieldDescs(allTables);
}

TFieldDescArray TCustomMyDataSetService::GetDataFieldDescs(bool allTables) {
  std::vector<TFieldDesc*> shown;
  DataSetFieldDescs(shown);
  return CollectMyFields(shown, false, allTables, UpdatingTableInfo(),
                         DADataSet()->Options()->SetFieldsReadOnly);
}
