#include "Common/DBAccess_Service.h"

#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_HotCast.h"
#include "Common/DBAccess_Updater.h"
#include "Common/LxAccess_RecordSet.h"
#include "Common/MemData_Blob.h"
#include "Common/MemData_FieldRead.h"
#include "platform/db/DBTypes.h"
#include "platform/db/FieldDefs.h"  // SplitFieldNames
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"


int FindUpdatingTable(TLxTablesInfo& tables, const String& updatingTable, const TSQLInfo& sqlInfo,
                      bool& tableAdded) {
  tableAdded = false;
  // No name chosen, the usual case: an empty name normalises to the empty name.
  if (updatingTable.empty()) return tables.GetCount() > 0 ? 0 : -1;
  String name = sqlInfo.NormalizeName(updatingTable, false);
  if (tables.GetCount() > 0) {
    if (name.empty()) return 0;
    int index = tables.IndexByName(name);
    if (index < 0) index = tables.IndexByAlias(name);
    if (index < 0) DatabaseErrorFmt(u"Wrong UpdatingTable value - table %s is unknown", {name});
    return index;
  }
  if (name.empty()) return -1;
  tables.Add()->SetTableName(name);
  tableAdded = true;
  return 0;
}

TFieldDescArray KeyFieldsByName(const String& keyFields, const TFieldDescs& fieldDescs,
                                const String& dataSetName) {
  TFieldDescArray result;
  for (const String& name : SplitFieldNames(keyFields)) {
    TFieldDesc* desc = fieldDescs.FindField(name);
    if (desc == nullptr) DatabaseErrorFmt(u"%s: Key field '%s' not found", {dataSetName, name});
    result.push_back(desc);
  }
  return result;
}

TFieldDescArray UniqueIndexKeyFields(const String& columns, const TFieldDescs& fieldDescs) {
  TFieldDescArray result;
  for (const String& name : SplitFieldNames(columns)) {
    TFieldDesc* desc = fieldDescs.FindField(name);
    if (desc == nullptr)
      result.clear();
    else
      result.push_back(desc);
  }
  return result;
}

TLxTableInfo* BaseTableOf(TFieldDesc* fieldDesc) {
  auto* desc = HotCast<TLxFieldDesc>(fieldDesc);
  return desc != nullptr ? desc->TableInfo() : nullptr;
}

bool IsDataFieldDesc(TFieldDesc* fieldDesc, TFieldDesc* identityField,
                     const TLxTableInfo* updatingTable, bool allTables, bool identityIsDataField) {
  if (fieldDesc->HasParent() || fieldDesc->CalcKind() != 0) return false;
  if (fieldDesc == identityField && !identityIsDataField) return false;
  if (!allTables && BaseTableOf(fieldDesc) != updatingTable) return false;
  return !fieldDesc->ReadOnly();
}

String FieldOriginText(TFieldDesc* fieldDesc, const TSQLInfo& sqlInfo, bool preferAlias) {
  const String& actual =
      fieldDesc->SourceName().empty() ? fieldDesc->Name() : fieldDesc->SourceName();
  TLxTableInfo* table = BaseTableOf(fieldDesc);
  if (table == nullptr) return actual;
  String name = preferAlias && !table->TableAlias().empty() ? table->TableAlias()
                                                             : table->TableName();
  return sqlInfo.NormalizeName(name, false, true) + u"." + actual;
}

// ---- TDADataSetService ----


TDADataSetService::TDADataSetService(TMemDataSet* dataSet)
    : TDataSetService(dataSet), FDataSet(dynamic_cast<TCustomDADataSet*>(dataSet)) {
  RTL_ASSERT(FDataSet != nullptr, u"The dataset service serves a dataset component");
}

TDADataSetService::~TDADataSetService() = default;

std::unique_ptr<TDASQLGenerator> TDADataSetService::CreateGenerator() {
  return std::make_unique<TDASQLGenerator>(this);
}

TDASQLGenerator* TDADataSetService::Generator() {
  if (!FGenerator) FGenerator = CreateGenerator();
  return FGenerator.get();
}

TDADataSetUpdater* TDADataSetService::DAUpdater() const {
  return static_cast<TDADataSetUpdater*>(Updater());
}

void TDADataSetService::CreateUpdater() {
  ReplaceUpdater(std::make_unique<TDADataSetUpdater>(this));
}

std::span<TFieldDesc* const> TDADataSetService::FieldDescs() {
  TLxRecordSet* rs = FDataSet->IRecordSet();
  if (rs == nullptr) return {};
  return {rs->Fields().begin(), rs->Fields().end()};
}

void TDADataSetService::InitUpdatingInfo() {
  FUpdatingTableIndex = -1;
  FTableAdded = false;
  FIdentityField = nullptr;
  TLxRecordSet* rs = FDataSet->IRecordSet();
  if (rs == nullptr || FDataSet->ICommand() == nullptr) return;
  FUpdatingTableIndex =
      FindUpdatingTable(rs->TablesInfo(), FDataSet->UpdatingTable(), *SQLInfo(), FTableAdded);
  FIdentityField = GetIdentityField();
}

bool TDADataSetService::CanModify() {
  if (FDataSet->ReadOnly() || FDataSet->UniDirectional()) return false;
  TData* data = FDataSet->Data();
  return (data != nullptr && data->LocalUpdate()) ||
         (FDataSet->CachedUpdates() && static_cast<bool>(FDataSet->OnUpdateRecord)) ||
         FDataSet->UpdateObject() != nullptr;
}

TSQLInfo* TDADataSetService::SQLInfo() {
  if (!FSQLInfo) {
    TLxCommand* command = FDataSet->ICommand();
    RTL_ASSERT(command != nullptr, u"The dataset has no provider command yet");
    FSQLInfo = command->GetSQLInfoClass()(command->GetParserClass());
  }
  return FSQLInfo.get();
}

bool TDADataSetService::QuoteNames() { return FDataSet->Options()->QuoteNames(); }
bool TDADataSetService::FullRefresh() { return FDataSet->Options()->FullRefresh; }
bool TDADataSetService::ReadOnly() { return FDataSet->ReadOnly(); }
bool TDADataSetService::CachedUpdates() { return FDataSet->CachedUpdates(); }
bool TDADataSetService::Active() { return FDataSet->Active(); }
TDAParams* TDADataSetService::OwnParams() { return FDataSet->Params(); }

TField* TDADataSetService::FieldOf(TFieldDesc* fieldDesc) {
  TFields& fields = *FDataSet->Fields();
  // Fields made from the columns usually stand in column order, each bound by its number, and no
  // two fields share a number: the one at the column's place is then the only one, found without
  // a walk over the list. A calculated column is bound by name, so it takes the walk.
  // A field with a column number names the store's descriptor of that number, so the number
  // and the descriptor's place in the store prove the pair without asking the dataset.
  const int index = fieldDesc->FieldNo() - 1;
  TData* data = FDataSet->Data();
  if (index >= 0 && index < fields.Count() && fieldDesc->CalcKind() == 0 && data != nullptr &&
      index < data->Fields().Count() && data->Fields()[index] == fieldDesc) {
    TField* field = fields.begin()[index];
    if (field->FieldNo() == fieldDesc->FieldNo()) return field;
  }
  for (TField* field : fields)
    if (FDataSet->GetFieldDesc(field) == fieldDesc) return field;
  return nullptr;
}

int TDADataSetService::FieldDescIndex(TFieldDesc* fieldDesc) {
  std::span<TFieldDesc* const> descs = FieldDescs();
  for (size_t i = 0; i < descs.size(); ++i)
    if (descs[i] == fieldDesc) return static_cast<int>(i);
  return -1;
}

bool TDADataSetService::ValueIsNull(TFieldDesc* fieldDesc, bool useOld) {
  TField* field = FieldOf(fieldDesc);
  if (field == nullptr) return true;
  // A blob's value is null exactly when its field is: asking the field spares reading the whole
  // blob out into a variant only to look at its kind.
  if (!useOld && field->IsBlob()) return NewValueIsNull(field);
  // These field kinds read a value as null exactly when the record holds none: the store answers
  // the question without the value being built.
  if (NullMeansNoValue(field)) return useOld ? OldValueIsNull(field) : NewValueIsNull(field);
  return (useOld ? field->OldValue() : field->Value()).IsNull();
}

bool TDADataSetService::NullMeansNoValue(TField* field) {
  switch (field->DataType()) {
    case ftString: case ftWideString: case ftSmallint: case ftInteger: case ftWord:
    case ftAutoInc: case ftLargeint: case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd:
    case ftDate: case ftTime: case ftDateTime: case ftBoolean: case ftBytes: case ftVarBytes:
      return true;
    default:
      return false;
  }
}

bool TDADataSetService::NewValueIsNull(TField* field) {
  // What the field's IsNull gives, read from the dataset directly: a field asks its dataset for
  // its value, and without a buffer the dataset answers whether the record holds one. Only while
  // its OnValidate handler runs does a field answer from elsewhere (the value being validated),
  // and a field without a handler is never validating.
  if (field->OnValidate || field->DataSet() != FDataSet) return field->IsNull();
  return !FDataSet->GetFieldData(field, nullptr);
}

bool TDADataSetService::NullReadFromRecord(TField* field) {
  return field->FieldNo() > 0 && !field->OnValidate && field->DataSet() == FDataSet &&
         (field->IsBlob() || NullMeansNoValue(field));
}

bool TDADataSetService::AnswersMatch(const std::vector<TRecordQuestion>& questions) {
  // A check asks whether each new value is null, several times a post. For a field of the store
  // the dataset's answer is whether its record holds a value for the column: the record it
  // shows is found once for all of them, and nothing between the questions moves it. Any other
  // question is asked as a build asks it.
  TData* data = FDataSet->Data();
  const bool active = data != nullptr && FDataSet->Active();
  TRecordBuffer record = nullptr;
  bool recordFound = false;
  for (const TRecordQuestion& question : questions) {
    TField* field = question.Kind == 0 && active ? FieldOf(question.FieldDesc) : nullptr;
    bool answer;
    if (field != nullptr && NullReadFromRecord(field)) {
      if (!recordFound) {
        record = FDataSet->GetActiveRecBuf();
        recordFound = true;
      }
      bool isBlank = true;
      if (record != nullptr) data->GetField(field->FieldNo(), record, nullptr, isBlank);
      answer = isBlank;
    } else {
      answer = RecordAnswer(question.FieldDesc, question.Kind);
    }
    if (answer != question.Answer) return false;
  }
  return true;
}

bool TDADataSetService::OldValueIsNull(TField* field) {
  // As the old value reads it: nothing before an insert, nothing for a field the record does not
  // hold, otherwise the record as it was before the change.
  if (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc) return true;
  if (FDataSet->State() == dsInsert || field->FieldNo() <= 0) return true;
  TData* data = FDataSet->Data();
  uint8_t* oldValues = FDataSet->GetStateRecBuf(dsOldValue);
  if (data == nullptr || oldValues == nullptr) return true;
  bool isBlank = true;
  data->GetField(field->FieldNo(), oldValues, nullptr, isBlank);
  return isBlank;
}

bool TDADataSetService::ValuesDiffer(TFieldDesc* fieldDesc) {
  TField* field = FieldOf(fieldDesc);
  auto* data = HotCast<TMemData>(FDataSet->Data());
  if (field == nullptr || data == nullptr) return false;
  uint8_t* newValues = FDataSet->GetStateRecBuf(dsNewValue);
  uint8_t* oldValues = FDataSet->GetStateRecBuf(dsOldValue);
  if (newValues == nullptr || oldValues == nullptr) return false;
  if (data->IsBlobFieldType(fieldDesc->DataType())) {
    // A blob is changed when it was written: its value is never compared byte for byte.
    TBlob* newBlob = data->GetBlob(fieldDesc->FieldNo(), newValues);
    if (FDataSet->InCacheProcessing())
      return newBlob != data->GetBlob(fieldDesc->FieldNo(), oldValues);
    auto* blobField = HotCast<TBlobField>(field);
    return (blobField != nullptr && blobField->Modified()) ||
           (newBlob != nullptr && newBlob->HasRollback());
  }
  // Any other value as the record store compares it, byte for byte (a null and a value differ,
  // two nulls are equal): binary columns and exact numbers compare without variant arithmetic.
  return data->CompareFields(oldValues, newValues, cfBinary, fieldDesc) != 0;
}

String TDADataSetService::FinalSQL() { return FDataSet->FinalSQL(); }
String TDADataSetService::BaseSQL() { return FDataSet->BaseSQL(); }
String TDADataSetService::SQLAddWhere(const String& sql, const String& condition) {
  return FDataSet->SQLAddWhere(sql, condition);
}
String TDADataSetService::SQLGetFrom(const String& sql) { return FDataSet->SQLGetFrom(sql); }
String TDADataSetService::SQLGetWhere(const String& sql) { return FDataSet->SQLGetWhere(sql); }

TLxTableInfo* TDADataSetService::UpdatingTableInfo() {
  TLxRecordSet* rs = FDataSet->IRecordSet();
  if (rs == nullptr || FUpdatingTableIndex < 0 ||
      FUpdatingTableIndex >= rs->TablesInfo().GetCount())
    return nullptr;
  return rs->TablesInfo().GetItem(FUpdatingTableIndex);
}

int TDADataSetService::QueryTableCount() {
  TLxRecordSet* rs = FDataSet->IRecordSet();
  return rs == nullptr ? 0 : rs->TablesInfo().GetCount();
}

TFieldDescArray TDADataSetService::GetKeyFieldDescs(bool) {
  TLxRecordSet* rs = FDataSet->IRecordSet();
  if (!FDataSet->KeyFields().empty() && rs != nullptr)
    return KeyFieldsByName(FDataSet->KeyFields(), rs->Fields(), FDataSet->Name());
  if (FIdentityField != nullptr) return {FIdentityField};
  return {};
}

TFieldDescArray TDADataSetService::GetDataFieldDescs(bool allTables) {
  TFieldDescArray result;
  TLxTableInfo* table = UpdatingTableInfo();
  for (TFieldDesc* desc : FieldDescs())
    if (IsDataFieldDesc(desc, FIdentityField, table, allTables, IdentityIsDataField()) &&
        FieldOf(desc) != nullptr)
      result.push_back(desc);
  return result;
}

TKeyAndDataFields TDADataSetService::GetKeyAndDataFields(bool allTables) {
  return {GetKeyFieldDescs(allTables), GetDataFieldDescs(allTables)};
}
