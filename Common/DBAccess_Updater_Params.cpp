// The updater's parameters: each parameter of the statement about to run gets its value from the
// record being posted, found through the generator's note of which field feeds it, or for a
// statement the user wrote, through its name ("OLD_" and a field name, a field number, a field
// name, or one of the dataset's own parameters for a re-read).
#include "Common/DBAccess_AccessUtils.h"
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_Updater.h"
#include "platform/db/Fields.h"
#include "platform/rtl/TextCompare.h"

namespace {

bool IsRefreshKind(TStatementType type) {
  return type == stRefresh || type == stRefreshQuick || type == stRefreshCheckDeleted;
}

// The field number a name gives when it is a whole decimal number; 0 otherwise.
int FieldNumberOf(const String& name) {
  if (name.empty() || name.size() > 9) return 0;
  int value = 0;
  for (char16_t c : name) {
    if (c < u'0' || c > u'9') return 0;
    value = value * 10 + (c - u'0');
  }
  return value;
}

// A batched statement's parameter "P_3_name" stands for "name".
String WithoutBatchPrefix(const String& name) {
  const String prefix = TDASQLGenerator::BatchParamPrefix();
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return name;
  size_t i = prefix.size();
  while (i < name.size() && name[i] >= u'0' && name[i] <= u'9') ++i;
  if (i == prefix.size() || i >= name.size() || name[i] != u'_') return name;
  return name.substr(i + 1);
}

}  // namespace

TField* TDADataSetUpdater::FindParamField(String& name, bool& old, int& fieldNo) {
  old = false;
  fieldNo = 0;
  // A field that is itself named "OLD_..." is meant by its own name, with its new value.
  if (name.size() > 4 && AnsiSameText(name.substr(0, 4), u"OLD_") &&
      FDataSet->FindField(name) == nullptr) {
    old = true;
    name = name.substr(4);
  }
  fieldNo = FieldNumberOf(name);
  if (fieldNo > 0) return FDataSet->Fields()->FieldByNumber(fieldNo);
  return FDataSet->FindField(name);
}

void TDADataSetUpdater::SetParameterValues(TDAParamsInfo* paramsInfo,
                                           TStatementTypes statementTypes) {
  TStatementType type = StatementTypeOf(statementTypes);
  TDAParams* params = TDBAccessUtils::GetParams(FUpdateComponent);
  bool quick = type == stRefreshQuick || type == stRefreshCheckDeleted;
  int count = params->Count();
  int infoCount = paramsInfo != nullptr && !quick ? paramsInfo->Count() : 0;
  // A generated re-read that embeds the dataset's statement has the dataset's own parameters
  // first: the generated ones are counted from the end.
  int shift = type == stRefresh ? count - infoCount : 0;
  for (int i = 0; i < count; ++i) {
    int infoIndex = i - shift;
    TDAParamInfo* info =
        infoIndex >= 0 && infoIndex < infoCount ? paramsInfo->Items(infoIndex) : nullptr;
    FillParameter(params->Items(i), info, type);
  }
}

void TDADataSetUpdater::FillParameter(TDAParam* param, TDAParamInfo* info,
                                      TStatementType statementType) {
  // A new record has no value from before the edit: it is found by its new one.
  bool inserting = FDataSet->State() == dsInsert;
  TField* field = info != nullptr ? info->Field() : nullptr;
  bool old = info != nullptr && info->Old();
  String name;
  int fieldNo = 0;
  if (field == nullptr) {
    name = FService->SQLInfo()->Unquote(param->Name());
    if (FInBatch) name = WithoutBatchPrefix(name);
    field = FindParamField(name, old, fieldNo);
  }
  if (field != nullptr) {
    FDataSet->CopyFieldToParam(param, field, old && !inserting);
    param->SetParamType(ptInput);
    return;
  }

  TData* data = FDataSet->Data();
  TFieldDesc* desc = fieldNo > 0 ? FDataSet->GetFieldDescByNo(fieldNo) : data->FindField(name);
  TDAParam* own = IsRefreshKind(statementType) ? FDataSet->FindParam(name) : nullptr;
  if (desc != nullptr && (desc->DataType() == dtObject || desc->DataType() == dtArray)) {
    FDataSet->CopyFieldDescToParam(param, desc, false);
  } else if (own != nullptr) {
    param->Assign(own);
  } else if (desc != nullptr) {
    FDataSet->CopyFieldDescToParam(param, desc, old && !inserting);
  } else if (!FDataSet->HasBeforeUpdateExecute()) {
    // The handler fills what the record cannot.
    DatabaseErrorFmt(u"Not found field corresponding parameter %s", {name}, FDataSet);
  }
  param->SetParamType(ptInput);
}
