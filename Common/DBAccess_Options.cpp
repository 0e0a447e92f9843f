// Dataset options and the way each one reaches the dataset or its provider objects.
#include "Common/DBAccess_Options.h"

TDADataSetOptions::TDADataSetOptions(IDADataSetOptionsOwner* owner) : FOwner(owner) {}

void TDADataSetOptions::ToRecordSet(TLxPropCode prop, const Variant& value) {
  if (FOwner) FOwner->PassToRecordSet(prop, value);
}

void TDADataSetOptions::ToCommand(TLxPropCode prop, const Variant& value) {
  if (FOwner) FOwner->PassToCommand(prop, value);
}

void TDADataSetOptions::Changed(TDADataSetOptionEffect effect, bool value) {
  if (FOwner) FOwner->OptionChanged(effect, value);
}

void TDADataSetOptions::CheckInactive() {
  if (FOwner) FOwner->CheckInactive();
}

void TDADataSetOptions::SetRequiredFields(bool value) {
  if (value == FRequiredFields) return;
  FRequiredFields = value;
  Changed(oeRequiredFields, value);
}

void TDADataSetOptions::SetNumberRange(bool value) {
  FNumberRange = value;
  Changed(oeNumberRange, value);
}

void TDADataSetOptions::SetAutoPrepare(bool value) {
  if (value == FAutoPrepare) return;
  Changed(oeUnprepare, value);
  FAutoPrepare = value;
}

void TDADataSetOptions::SetTrimFixedChar(bool value) {
  FTrimFixedChar = value;
  Changed(oeTrimFixedChar, value);
}

void TDADataSetOptions::SetTrimVarChar(bool value) {
  FTrimVarChar = value;
  Changed(oeTrimVarChar, value);
}

void TDADataSetOptions::SetSetEmptyStrToNull(bool value) {
  FSetEmptyStrToNull = value;
  Changed(oeSetEmptyStrToNull, value);
}

// The record layout depends on it: refused on an open dataset even when unchanged.
void TDADataSetOptions::SetLongStrings(bool value) {
  CheckInactive();
  FLongStrings = value;
  ToRecordSet(pcLongStrings, value);
  Changed(oeFieldDefsOutdated, value);
}

void TDADataSetOptions::SetFlatBuffers(bool value) {
  CheckInactive();
  FFlatBuffers = value;
  ToRecordSet(pcFlatBuffers, value);
}

void TDADataSetOptions::SetQuoteNames(bool value) {
  FQuoteNames = value;
  ToCommand(pcQuoteNames, value);
}

void TDADataSetOptions::SetCompressBlobMode(TCompressBlobMode value) {
  if (value == FCompressBlobMode) return;
  CheckInactive();
  FCompressBlobMode = value;
  ToRecordSet(pcCompressBlobMode, static_cast<int32_t>(value));
  Changed(oeFieldDefsOutdated, true);
}

void TDADataSetOptions::SetLocalMasterDetail(bool value) {
  if (value == FLocalMasterDetail) return;
  CheckInactive();
  FLocalMasterDetail = value;
  Changed(oeLocalMasterDetail, value);
}

void TDADataSetOptions::SetFieldsOrigin(bool value) {
  if (value == FFieldsOrigin) return;
  CheckInactive();
  FFieldsOrigin = value;
  ToRecordSet(pcFieldsOrigin, value);
}

void TDADataSetOptions::SetDefaultValues(bool value) {
  if (value == FDefaultValues) return;
  CheckInactive();
  FDefaultValues = value;
  ToRecordSet(pcDefaultValues, value);
}

void TDADataSetOptions::SetDetailedFieldInfo(bool value) {
  if (value == FDetailedFieldInfo) return;
  CheckInactive();
  FDetailedFieldInfo = value;
  ToRecordSet(pcFieldsInfoExtra, value);
}

void TDADataSetOptions::SetEnableBCD(bool value) {
  if (value == FEnableBCD) return;
  CheckInactive();
  FEnableBCD = value;
  ToCommand(pcEnableBCD, value);
}

void TDADataSetOptions::SetEnableFMTBCD(bool value) {
  if (value == FEnableFMTBCD) return;
  CheckInactive();
  FEnableFMTBCD = value;
  ToCommand(pcEnableFMTBCD, value);
}

void TDADataSetOptions::PassAll() {
  ToRecordSet(pcLongStrings, FLongStrings);
  ToRecordSet(pcFlatBuffers, FFlatBuffers);
  ToRecordSet(pcCompressBlobMode, static_cast<int32_t>(FCompressBlobMode));
  ToRecordSet(pcFieldsOrigin, FFieldsOrigin);
  ToRecordSet(pcDefaultValues, FDefaultValues);
  ToRecordSet(pcFieldsInfoExtra, FDetailedFieldInfo);
  ToCommand(pcQuoteNames, FQuoteNames);
  ToCommand(pcEnableBCD, FEnableBCD);
  ToCommand(pcEnableFMTBCD, FEnableFMTBCD);
}

void TDADataSetOptions::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TDADataSetOptions*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  SetFieldsReadOnly = src->SetFieldsReadOnly;
  StrictUpdate = src->StrictUpdate;
  QueryRecCount = src->QueryRecCount;
  ReturnParams = src->ReturnParams;
  RemoveOnRefresh = src->RemoveOnRefresh;
  FullRefresh = src->FullRefresh;
  UpdateBatchSize = src->UpdateBatchSize;
  UpdateAllFields = src->UpdateAllFields;
  PrepareUpdateStatements = src->PrepareUpdateStatements;
  SetRequiredFields(src->FRequiredFields);
  SetNumberRange(src->FNumberRange);
  SetAutoPrepare(src->FAutoPrepare);
  SetTrimFixedChar(src->FTrimFixedChar);
  SetTrimVarChar(src->FTrimVarChar);
  SetSetEmptyStrToNull(src->FSetEmptyStrToNull);
  SetLongStrings(src->FLongStrings);
  SetFlatBuffers(src->FFlatBuffers);
  SetQuoteNames(src->FQuoteNames);
  SetCompressBlobMode(src->FCompressBlobMode);
  SetLocalMasterDetail(src->FLocalMasterDetail);
  SetFieldsOrigin(src->FFieldsOrigin);
  SetDefaultValues(src->FDefaultValues);
  SetDetailedFieldInfo(src->FDetailedFieldInfo);
  SetEnableBCD(src->FEnableBCD);
  SetEnableFMTBCD(src->FEnableFMTBCD);
}
