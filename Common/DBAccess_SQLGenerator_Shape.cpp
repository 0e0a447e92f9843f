// Telling whether a generated statement can serve the next record: a build is fixed by what it
// reads (the table, the fields and their names, the options that change the text) and by what it
// asks the record. Both are written down when a statement is kept and compared before it is used
// again; anything that differs makes the updater build a fresh text.
#include "Common/DBAccess_SQLGenerator.h"

#include "Common/DBAccess_HotCast.h"

void TDAParamsInfo::CopyFrom(const TDAParamsInfo& source) {
  Clear();
  for (int i = 0; i < source.Count(); ++i) {
    auto* item = static_cast<TDAParamInfo*>(Add());
    TDAParamInfo* from = source.Items(i);
    item->SetField(from->Field());
    item->SetOld(from->Old());
    item->SetParamIndex(from->ParamIndex());
  }
}

void TStatementInputs::BeginRecording() {
  FValues.clear();
  FTexts.clear();
  FRecording = true;
  FSame = true;
}

void TStatementInputs::BeginCheck() {
  FRecording = false;
  FSame = !FValues.empty();
  FValueAt = 0;
  FTextAt = 0;
}

bool TStatementInputs::Matches() const {
  return !FRecording && FSame && FValueAt == FValues.size() && FTextAt == FTexts.size();
}

void TStatementInputs::Clear() {
  FValues.clear();
  FTexts.clear();
  FRecording = true;
  FSame = true;
}

bool TDASQLGenerator::Answer(TFieldDesc* fieldDesc, uint8_t kind) {
  return FHost->RecordAnswer(fieldDesc, kind);
}

bool TDASQLGenerator::FieldIsNull(TFieldDesc* fieldDesc, bool useOld) {
  uint8_t kind = useOld ? 1 : 0;
  bool answer = Answer(fieldDesc, kind);
  FQuestions.push_back({fieldDesc, kind, answer});
  return answer;
}

bool TDASQLGenerator::FieldIsModified(TFieldDesc* fieldDesc) {
  bool answer = Answer(fieldDesc, 2);
  FQuestions.push_back({fieldDesc, 2, answer});
  return answer;
}

void TDASQLGenerator::DescribeInputs(TStatementInputs& inputs, TLxTableInfo* tableInfo,
                                     const TKeyAndDataFields& fields,
                                     TStatementType statementType, bool modifiedOnly) {
  using V = TStatementInputs;
  inputs.Add({statementType, modifiedOnly, V::Value(tableInfo)});
  inputs.AddText(tableInfo->GetTableNameFull());
  inputs.AddText(tableInfo->TableAlias());
  inputs.Add({V::Value(FHost->SQLInfo()), FHost->QuoteNames(), FHost->FullRefresh(),
              FHost->ReadOnly(), FHost->UpdatingTableAdded(), FHost->CachedUpdates(),
              FHost->ApplyingUpdates(), FHost->Designing(), MaxParamNameLength(),
              PlaceholdersAllowed(), V::Value(FHost->IdentityField()),
              static_cast<int64_t>(fields.KeyFieldDescs.size())});
  for (TFieldDesc* desc : fields.KeyFieldDescs) DescribeField(inputs, desc);
  inputs.Add(static_cast<int64_t>(fields.DataFieldDescs.size()));
  for (TFieldDesc* desc : fields.DataFieldDescs) DescribeField(inputs, desc);
}

void TDASQLGenerator::DescribeField(TStatementInputs& inputs, TFieldDesc* fieldDesc) {
  DescribeCommonField(inputs, fieldDesc, HotCast<TLxFieldDesc>(fieldDesc));
}

void TDASQLGenerator::DescribeCommonField(TStatementInputs& inputs, TFieldDesc* fieldDesc,
                                          TLxFieldDesc* lxDesc) {
  using V = TStatementInputs;
  inputs.AddText(fieldDesc->Name());
  inputs.AddText(fieldDesc->SourceName());
  // The parameter information points at the dataset field of each descriptor.
  inputs.Add({V::Value(fieldDesc), fieldDesc->FieldNo(), fieldDesc->DataType(), V::Value(lxDesc),
              V::Value(lxDesc != nullptr ? lxDesc->TableInfo() : nullptr),
              V::Value(FHost->FieldOf(fieldDesc))});
}

bool TDASQLGenerator::KeepLastShape(TStatementShape& shape) {
  shape.Clear();
  TStatementType type = FLast.StatementType;
  bool keepable = FLastValid && !FLast.Batched && FLast.HasParams && FLast.TableInfo != nullptr &&
                  (type == stInsert || type == stUpdate || type == stDelete);
  if (!keepable) return false;
  shape.Inputs.BeginRecording();
  DescribeInputs(shape.Inputs, FLast.TableInfo, FLast.Fields, type, FLast.ModifiedOnly);
  shape.Questions = FQuestions;
  return true;
}

bool TDASQLGenerator::MatchesShape(TStatementShape& shape, TStatementType statementType,
                                   bool modifiedOnly) {
  if (shape.Empty()) return false;
  TLxTableInfo* table = FHost->UpdatingTableInfo();
  if (table == nullptr) return false;
  shape.Inputs.BeginCheck();
  FHost->FillKeyAndDataFields(false, FCheckFields);
  DescribeInputs(shape.Inputs, table, FCheckFields, statementType, modifiedOnly);
  if (!shape.Inputs.Matches()) return false;
  return FHost->AnswersMatch(shape.Questions);
}
