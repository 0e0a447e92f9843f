#include "Common/DBAccess_Updater.h"

#include "Common/DBAccess_DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"

TStatementType UpdateKindToStatementType(TUpdateKind updateKind) {
  switch (updateKind) {
    case ukModify:
      return stUpdate;
    case ukInsert:
      return stInsert;
    case ukDelete:
      return stDelete;
  }
  AssertErrorHandler(u"Unknown update kind", __FILE__, __LINE__);
}

TDADataSetUpdater::TDADataSetUpdater(TDADataSetService* service)
    : TDataSetUpdater(service),
      FDataSet(service != nullptr ? service->DADataSet() : nullptr),
      FService(service) {
  RTL_ASSERT(FService != nullptr && FDataSet != nullptr, u"The updater needs its dataset's service");
}

TDADataSetUpdater::~TDADataSetUpdater() = default;

bool TDADataSetUpdater::ReturnsValues() { return FDataSet->Options()->ReturnParams; }

bool TDADataSetUpdater::NeedsConnection() {
  return (FDataSet->State() == dsInsert && NeedsConnectionOnInsert()) ||
         (FDataSet->State() == dsEdit && NeedsConnectionOnEdit());
}

void TDADataSetUpdater::PrepareEdit() {}

void TDADataSetUpdater::RefreshRecord() {}

TCustomDADataSet* TDADataSetUpdater::UpdateComponent(TStatementType statementType) {
  std::unique_ptr<TCustomDADataSet>& entry = FUpdateComponents[statementType];
  TCustomDAConnection* connection = FDataSet->Connection();
  if (!entry) {
    if (connection == nullptr) DatabaseError(SConnectionNotDefined, FDataSet);
    entry = connection->CreateDataSet();
  } else if (entry->Connection() != connection) {
    entry->SetConnection(connection);
  }
  return entry.get();
}

std::unique_ptr<TLxCommand> TDADataSetUpdater::CreateUpdateCommand() {
  AssertErrorHandler(u"Must be overrided", __FILE__, __LINE__);
}

int TDADataSetUpdater::RowsAffected(TLxCommand& command) {
  Variant value;
  if (command.GetProp(pcRowsAffected, value)) return value.AsInteger();
  return -1;
}

void TDADataSetUpdater::CheckUpdatingTable(TStatementType statementType) {
  FService->InitUpdatingInfo();
  if (FService->UpdatingTableInfo() == nullptr && GetUserSQL(statementType).empty())
    DatabaseError(u"The change cannot be saved: the statement has no table to update", FDataSet);
}

String TDADataSetUpdater::GetUserSQL(TStatementType statementType) {
  TStrings* list = FDataSet->UpdateSQL(statementType);
  return list == nullptr ? String() : Trim(list->Text());
}

TField* TDADataSetUpdater::FindParamField(const String& name, bool& old) {
  old = false;
  String fieldName = name;
  if (name.size() > 4 && AnsiSameText(name.substr(0, 4), u"OLD_") &&
      FDataSet->FindField(name) == nullptr) {
    old = true;
    fieldName = name.substr(4);
  }
  bool number = !fieldName.empty() && fieldName.size() <= 9;
  for (char16_t c : fieldName) number = number && c >= u'0' && c <= u'9';
  if (number) {
    int fieldNo = 0;
    for (char16_t c : fieldName) fieldNo = fieldNo * 10 + (c - u'0');
    for (TField* field : *FDataSet->Fields())
      if (field->FieldNo() == fieldNo) return field;
    return nullptr;
  }
  return FDataSet->FindField(fieldName);
}

void TDADataSetUpdater::CopyFieldToParam(TField* field, bool old, TParamDesc* param,
                                         TFieldDesc* desc) {
  if (desc != nullptr) param->SetDataType(desc->DataType());
  Variant value = old ? field->OldValue() : field->Value();
  param->SetValue(value);
}

void TDADataSetUpdater::FillGeneratedParams(TLxCommand& command, TDAParams& params) {
  TDAParamsInfo* info = FService->Generator()->ParamsInfo();
  // A new record has no value from before the edit: the key it is read by is its new one.
  bool inserting = FDataSet->State() == dsInsert;
  for (int i = 0; i < params.Count(); ++i) {
    TDAParamInfo* item = info->Items(i);
    TField* field = item->Field();
    if (field == nullptr)
      DatabaseErrorFmt(u"Not found field corresponding parameter %s", {params.Items(i)->Name()});
    CopyFieldToParam(field, item->Old() && !inserting, command.AddParam(),
                     FDataSet->GetFieldDesc(field));
  }
}

void TDADataSetUpdater::FillUserParams(TLxCommand& command) {
  bool inserting = FDataSet->State() == dsInsert;
  TSQLInfo* sqlInfo = FService->SQLInfo();
  for (int i = 0; i < command.GetParamCount(); ++i) {
    TParamDesc* param = command.GetParam(i);
    String name = sqlInfo->Unquote(param->GetName());
    bool old = false;
    TField* field = FindParamField(name, old);
    if (field == nullptr)
      DatabaseErrorFmt(u"Not found field corresponding parameter %s", {name});
    CopyFieldToParam(field, old && !inserting, param, FDataSet->GetFieldDesc(field));
  }
}

bool TDADataSetUpdater::PerformSQL(const String& text, TStatementType statementType) {
  FDataSet->AcquireConnection(true);
  struct Release {
    TCustomDADataSet* DataSet;
    ~Release() { DataSet->ReleaseConnection(); }
  } release{FDataSet};

  String sql = text.empty() ? GetUserSQL(statementType) : text;
  bool generated = sql.empty();
  if (generated) {
    bool modifiedOnly = !FDataSet->Options()->UpdateAllFields;
    FService->Generator()->BuildUpdatingTableStatement(statementType, modifiedOnly, sql, -1,
                                                       &FParams);
  }
  if (sql.empty()) return false;  // nothing changed, or nothing to run it on

  if (!FCommand) FCommand = CreateUpdateCommand();
  TLxCommand& command = *FCommand;
  command.SetSQL(sql);
  if (generated) {
    command.Params().Clear();
    FillGeneratedParams(command, FParams);
    SetParamPositions(command, sql);
  } else {
    FillUserParams(command);
  }
  FLastSQL = sql;
  command.Execute();

  int affected = RowsAffected(command);
  if (FDataSet->Options()->StrictUpdate && affected != 1 &&
      (statementType == stInsert || statementType == stUpdate || statementType == stDelete))
    DatabaseErrorFmt(u"Update failed. Found %d records", {affected}, FDataSet);
  return true;
}

bool TDADataSetUpdater::PerformAppend() {
  CheckUpdatingTable(stInsert);
  if (!PerformSQL(String(), stInsert)) return false;
  Variant id;
  TFieldDesc* identity = FService->IdentityField();
  if (identity != nullptr && GetIdentityFieldValue(id)) {
    // Written before the store links the record in, so the new row carries its key at once.
    if (TField* field = FService->FieldOf(identity)) {
      bool readOnly = field->ReadOnly();
      field->SetReadOnly(false);
      try {
        field->SetValue(id);
      } catch (...) {
        field->SetReadOnly(readOnly);
        throw;
      }
      field->SetReadOnly(readOnly);
    }
  }
  return true;
}

bool TDADataSetUpdater::PerformUpdate() {
  CheckUpdatingTable(stUpdate);
  return PerformSQL(String(), stUpdate);
}

bool TDADataSetUpdater::PerformDelete() {
  CheckUpdatingTable(stDelete);
  return PerformSQL(String(), stDelete);
}
