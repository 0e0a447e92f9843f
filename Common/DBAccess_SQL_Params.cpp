// The command component's parameters: rebuilt from the provider command's descriptors, and their
// definitions and values moved to the descriptors before an execution and back after it.
#include <cmath>

#include "Common/CLRClasses.h"
#include "Common/DBAccess.h"
#include "Common/DBAccess_SQL.h"
#include "Common/MemData_Blob.h"
#include "platform/rtl/Exceptions.h"

namespace {

// Finds the parameters of a text with a lexer, without a connection: a command of no provider
// that only parses.
class TParamScanner : public TLxCommand {
 public:
  explicit TParamScanner(TParserClass parserClass) : FParserClass(parserClass) {}
  TParserClass GetParserClass() const override { return FParserClass; }
  bool GetPrepared() const override { return false; }
  void Execute(int) override {}
  TCursorState GetCursorState() const override { return csInactive; }
  void SetCursorState(TCursorState) override {}
  String CreateProcCall(const String&, bool) override { return {}; }

 private:
  TParserClass FParserClass;
};

// Types whose size, when none is given, comes from the value.
bool IsSizedByValue(TFieldType type) {
  return type == ftString || type == ftBytes || type == ftVarBytes || type == ftFixedChar ||
         type == ftWideString || type == ftFixedWideChar;
}

bool IsText(const Variant& value) {
  const uint16_t type = value.VarType();
  return type == varUString || type == varString || type == varOleStr;
}

bool IsOutputOnly(TParamType type) { return type == ptOutput || type == ptResult; }

int32_t SizeOfValue(const Variant& value) {
  if (value.IsArray()) return static_cast<int32_t>(value.AsBytes().size());
  if (value.IsEmpty() || value.IsNull()) return 0;
  return static_cast<int32_t>(value.AsString().size());
}

}  // namespace

bool TCustomDASQL::ConvertEOL() {
  TCustomDAConnection* connection = EffectiveConnection();
  return connection && connection->ConvertEOL();
}

// ---- Parameters from descriptors.

void TCustomDASQL::AssignParam(TDAParam* param, TParamDesc* desc) {
  param->SetName(desc->GetName());
  param->SetDataType(GetDataTypesMapClass().GetFieldType(desc->GetDataType()));
  param->SetParamType(static_cast<TParamType>(desc->GetParamType()));
  param->SetDAParamSize(desc->GetSize());
}

void TCustomDASQL::CreateParamsFromDescs(TDAParams* params, TParamDescs& descs) {
  params->BeginUpdate();
  try {
    params->Clear();
    for (int i = 0; i < descs.Count(); ++i) {
      TParamDesc* desc = descs.GetItem(i);
      // A name used twice is one parameter, bound at every place it appears.
      if (!desc->GetName().empty() && params->FindParam(desc->GetName())) continue;
      AssignParam(params->CreateParam(ftUnknown, desc->GetName(), ptUnknown), desc);
    }
  } catch (...) {
    params->EndUpdate();
    throw;
  }
  params->EndUpdate();
}

void TCustomDASQL::CreateParams() {
  if (FICommand) CreateParamsFromDescs(FParams.get(), FICommand->Params());
}

void TCustomDASQL::CreateParamsFromICommand() {
  TParamDescs& descs = FICommand->Params();
  FParams->BeginUpdate();
  try {
    // The parameters in place keep their values; the descriptors give their definitions.
    for (int i = 0; i < descs.Count(); ++i) {
      TDAParam* param = i < FParams->Count()
                            ? FParams->Items(i)
                            : FParams->CreateParam(ftUnknown, String(), ptUnknown);
      AssignParam(param, descs.GetItem(i));
    }
    while (FParams->Count() > descs.Count()) FParams->Delete(FParams->Count() - 1);
  } catch (...) {
    FParams->EndUpdate();
    throw;
  }
  FParams->EndUpdate();
}

void TCustomDASQL::ParseSQLParams(const String& sql, TDAParams* params) {
  CheckICommand();
  TParamDescs descs;
  if (FICommand) {
    FICommand->ParseSQL(sql, &descs);
  } else {
    TParamScanner scanner(GetParserClass());
    scanner.ParseSQL(sql, &descs);
  }
  CreateParamsFromDescs(params, descs);
}

TDAParam* TCustomDASQL::FindResultParam() const {
  for (int i = FParams->Count() - 1; i >= 0; --i)
    if (FParams->Items(i)->ParamType() == ptResult) return FParams->Items(i);
  return nullptr;
}

// ---- Parameters to the descriptors.

bool TCustomDASQL::DescsRepeatNames() const { return FICommand->Params().NamesRepeat(); }

TParamDesc* TCustomDASQL::DescForParam(int index, TDAParam* param, bool byName) {
  TParamDescs& descs = FICommand->Params();
  TParamDesc* atIndex = index < descs.Count() ? descs.GetItem(index) : nullptr;
  if (!byName || param->Name().empty()) return atIndex;
  if (TParamDesc* named = descs.FindParam(param->Name())) return named;
  // A statement with "?" placeholders has nameless descriptors: they pair by position.
  return atIndex && atIndex->GetName().empty() ? atIndex : nullptr;
}

void TCustomDASQL::WriteParams(bool withValues) {
  if (!FICommand) return;
  ReleaseConvertedBlobs();
  TParamDescs& descs = FICommand->Params();
  if (DescsRepeatNames()) {
    // One parameter feeds every place of its name.
    for (int i = 0; i < descs.Count(); ++i) {
      TParamDesc* desc = descs.GetItem(i);
      TDAParam* param = FParams->FindParam(desc->GetName());
      if (!param) continue;
      AssignParamDesc(desc, param);
      if (withValues) AssignParamValue(desc, param);
    }
    FParams->BindMode = 0;
    return;
  }
  const bool byName = FParams->BindMode == 1;
  for (int i = 0; i < FParams->Count(); ++i) {
    TDAParam* param = FParams->Items(i);
    TParamDesc* desc = DescForParam(i, param, byName);
    if (!desc) desc = FICommand->AddParam();
    AssignParamDesc(desc, param);
    if (withValues) AssignParamValue(desc, param);
  }
  if (!byName)
    while (descs.Count() > FParams->Count()) descs.Delete(descs.Count() - 1);
  FParams->BindMode = 0;
}

void TCustomDASQL::AssignParamDesc(TParamDesc* desc, TDAParam* param) {
  // A statement run again mostly finds its descriptors as the last run left them: each setter is
  // called only for a change.
  desc->SetName(param->Name());
  const TDataTypeCode dataType = GetDataTypesMapClass().GetDataType(param->DataType());
  if (desc->GetDataType() != dataType) desc->SetDataType(dataType);
  const auto subDataType = static_cast<uint16_t>(param->SubDataType());
  if (desc->GetSubDataType() != subDataType) desc->SetSubDataType(subDataType);
  if (desc->GetNational() != param->National()) desc->SetNational(param->National());
  const auto paramType = static_cast<uint8_t>(param->ParamType());
  if (desc->GetParamType() != paramType) desc->SetParamType(paramType);
  if (desc->GetIsBound() != param->Bound()) desc->SetIsBound(param->Bound());
  int32_t size = param->DAParamSize();
  if (size == 0 && IsSizedByValue(param->DataType())) {
    const TParamType type = param->ParamType();
    if (type == ptInput || (type == ptUnknown && !UnknownParamIsOutput()))
      size = SizeOfValue(param->GetAsVariant());
    TCustomDAConnection* connection = EffectiveConnection();
    Variant fallback;
    if (size == 0 && connection && connection->IConnection() &&
        connection->IConnection()->GetProp(pcDefaultParamSize, fallback))
      size = fallback.AsInteger();
  }
  if (desc->GetSize() != size) desc->SetSize(size);
}

void TCustomDASQL::ReleaseConvertedBlobs() {
  for (TSharedObject* blob : FConvertedBlobs) TSharedObject::Release(blob);
  FConvertedBlobs.clear();
}

void TCustomDASQL::AssignParamValue(TParamDesc* desc, TDAParam* param) {
  const TParamType type = param->ParamType();
  const TFieldType dataType = param->DataType();
  if (param->IsSharedObject()) {
    auto* blob = static_cast<TBlob*>(param->ParamObject());
    void* object = blob;
    if (blob && IsOutputOnly(type) && (dataType == ftBlob || dataType == ftMemo)) {
      blob->Clear();
    } else if (blob && !IsOutputOnly(type) &&
               (dataType == ftMemo || (dataType == ftBlob && ConvertEOLForBlob())) &&
               ConvertEOL()) {
      // The server gets bare line feeds; the caller's blob (which a record may share) keeps
      // its text, so a copy is converted and lives until the next write.
      auto* copy = new TBlob(blob->IsUnicode());
      FConvertedBlobs.push_back(copy);
      copy->SetRollbackEnabled(false);
      copy->Assign(*blob);
      copy->RemoveCarriageReturns();
      object = copy;
    }
    desc->SetObject(object);
    desc->SetNull(param->IsNull());
    return;
  }
  desc->SetConvertEOL(ConvertEOL());
  if (IsOutputOnly(type)) return;
  // Copied once, from where the parameter keeps it, unless it needs a conversion first.
  const Variant& value = param->StoredValue();
  if (dataType == ftDate && !value.IsEmpty() && !value.IsNull())
    desc->SetValue(Variant::FromDate(std::trunc(value.AsDateTime())));
  else if ((desc->GetDataType() == dtBytes || desc->GetDataType() == dtVarBytes) && IsText(value))
    desc->SetValue(Variant(Encoding::GetDefault()->GetBytesWide(value.AsString())));
  else
    desc->SetValue(value);
}

// ---- Values back from the descriptors.

void TCustomDASQL::ReadParams() {
  RTL_ASSERT(FICommand != nullptr, u"DBAccess");
  Variant canRead;
  if (!FICommand->GetProp(pcCanReadParams, canRead) || !canRead.AsBoolean()) return;
  const bool byName = DescsRepeatNames();
  for (int i = 0; i < FParams->Count(); ++i) {
    TDAParam* param = FParams->Items(i);
    const TParamType type = param->ParamType();
    if (type == ptInput || (type == ptUnknown && !UnknownParamIsOutput())) continue;
    if (TParamDesc* desc = DescForParam(i, param, byName)) AssignParamDescValue(param, desc);
  }
  FICommand->SetProp(pcCanReadParams, false);
}

void TCustomDASQL::AssignParamDescValue(TDAParam* param, TParamDesc* desc) {
  if (param->IsSharedObject()) {
    auto* blob = static_cast<TBlob*>(param->ParamObject());
    if (!blob) {
      param->SetParamObject(static_cast<TSharedObject*>(desc->GetObject()));
      return;
    }
    const TFieldType dataType = param->DataType();
    if ((dataType == ftBlob || dataType == ftMemo) && ConvertEOL() && blob->GetSize() > 0) {
      const bool rollback = blob->RollbackEnabled();
      blob->SetRollbackEnabled(false);
      blob->AddCarriageReturns();
      blob->SetRollbackEnabled(rollback);
    }
    return;
  }
  desc->SetConvertEOL(ConvertEOL());
  param->SetAsVariant(desc->GetValue());
}
