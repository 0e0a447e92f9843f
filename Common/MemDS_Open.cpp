// TMemDataSet: the data object and the service, preparing, opening and closing, and the field
// definitions built from the store's descriptors.
#include <cstring>
#include <string>

#include "Common/MemDS.h"
#include "Common/Win32Timer.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr char16_t SDataTypeNotSupported[] = u"Data type is not supported";

// Unchanged, modified and inserted records are shown; deleted ones are hidden.
constexpr uint8_t VisibleUpdateKinds = (1u << isUnmodified) | (1u << isUpdated) |
                                       (1u << isAppended);

}  // namespace

// ---- The type map.

TFieldType TDataTypesMap::GetFieldType(TDataTypeCode dataType) const {
  switch (dataType) {
    case dtUnknown: return ftUnknown;
    case dtString: case dtExtString: return ftString;
    case dtInt8: case dtSmallint: return ftSmallint;
    case dtInteger: return ftInteger;
    case dtFloat: return ftFloat;
    case dtDate: return ftDate;
    case dtTime: return ftTime;
    case dtDateTime: return ftDateTime;
    case dtWord: return ftWord;
    case dtBoolean: return ftBoolean;
    case dtLargeint: case dtUInt32: return ftLargeint;
    case dtCurrency: return ftCurrency;
    case dtBlob: return ftBlob;
    case dtMemo: case dtWideMemo: return ftMemo;
    case dtObject: return ftADT;
    case dtReference: return ftReference;
    case dtArray: return ftArray;
    case dtTable: return ftDataSet;
    case dtVariant: return ftVariant;
    case dtBytes: return ftBytes;
    case dtVarBytes: case dtExtVarBytes: return ftVarBytes;
    case dtWideString: case dtExtWideString: return ftWideString;
    case dtBCD: return ftBCD;
    case dtFMTBCD: return ftFMTBcd;
    case dtGuid: return ftGuid;
    case dtCursor: return ftCursor;
    default:
      // A code this map does not know has no field type; opening then reports the column as
      // "Data type is not supported".
      return ftUnknown;
  }
}

TDataTypeCode TDataTypesMap::GetDataType(TFieldType fieldType) const {
  switch (fieldType) {
    case ftString: case ftFixedChar: return dtString;
    case ftSmallint: return dtSmallint;
    case ftInteger: case ftAutoInc: return dtInteger;
    case ftWord: return dtWord;
    case ftBoolean: return dtBoolean;
    case ftFloat: return dtFloat;
    case ftCurrency: return dtCurrency;
    case ftBCD: return dtBCD;
    case ftDate: return dtDate;
    case ftTime: return dtTime;
    case ftDateTime: return dtDateTime;
    case ftBytes: return dtBytes;
    case ftVarBytes: return dtVarBytes;
    case ftBlob: return dtBlob;
    case ftMemo: return dtMemo;
    case ftCursor: return dtCursor;
    case ftWideString: return dtWideString;
    case ftLargeint: return dtLargeint;
    case ftADT: return dtObject;
    case ftArray: return dtArray;
    case ftReference: return dtReference;
    case ftDataSet: return dtTable;
    case ftVariant: return dtVariant;
    case ftGuid: return dtGuid;
    case ftFMTBcd: return dtFMTBCD;
    default: return dtUnknown;
  }
}

// ---- Construction.

TMemDataSet::TMemDataSet(TComponent* owner)
    : TDataSet(owner), FDataLink(std::make_unique<TDADetailDataLink>(this)) {
  // A descendant that keeps its rows in a provider record set installs it in its own
  // constructor: the base constructor cannot reach the descendant's CreateData.
  CreateData();
  SetReadsInBlocks(true);
}

TMemDataSet::~TMemDataSet() {
  // The platform destructor can no longer reach this class: close and unprepare here. A failing
  // close of the provider still frees the store's rows, and a destructor cannot report it.
  try {
    Close();
  } catch (...) {
  }
  FDetailRefreshTimer.reset();
  FDataLink.reset();
  try {
    UnPrepare();
  } catch (...) {
  }
  FCalcFieldsMapping.clear();
  FMemData = nullptr;
  FData.reset();
  FDataSetService.reset();
}

void TMemDataSet::CreateData() { SetData(std::make_unique<TMemData>()); }

void TMemDataSet::SetData(std::unique_ptr<TData> value) {
  // Buffers of the open dataset point into the current store.
  CheckInactive();
  FCalcFieldsMapping.clear();
  FData = std::move(value);
  FMemData = dynamic_cast<TMemData*>(FData.get());
  if (!FData) return;
  FData->SetCachedUpdates(FCachedUpdates);
  FData->SetFilterItemTypes(VisibleUpdateKinds);
  if (auto* memData = dynamic_cast<TMemData*>(FData.get()))
    memData->SetIndexFieldNames(FIndexFieldNames);
  HookData();
  SetLocalMDFilter();
}

TData* TMemDataSet::ReleaseData() {
  FCalcFieldsMapping.clear();
  if (!FData) return nullptr;
  TData* data = FData.get();
  data->OnAppend = nullptr;
  data->OnDelete = nullptr;
  data->OnUpdate = nullptr;
  data->OnApplyRecord = nullptr;
  data->OnRevertRecord = nullptr;
  data->OnAfterApplyUpdates = nullptr;
  data->OnCancelUpdates = nullptr;
  data->OnAddCalcFieldDescs = nullptr;
  data->OnFieldsChanged = nullptr;
  data->OnGetCalcFields = nullptr;
  data->SetFilterFunc(nullptr);
  data->SetFilterMDFunc(nullptr);
  data->SetFilterText(String());
  // The next owner of the store may give it other columns than this dataset sorted by.
  if (auto* memData = dynamic_cast<TMemData*>(data)) memData->SetIndexFieldNames(String());
  FMemData = nullptr;
  return FData.release();
}

void TMemDataSet::HookData() {
  FData->OnAppend = [this](uint8_t*) { DoPerformAppend(); };
  FData->OnDelete = [this] { DoPerformDelete(); };
  FData->OnUpdate = [this](uint8_t*) { DoPerformUpdate(); };
  FData->OnApplyRecord = [this](uint8_t kind, uint8_t& action, bool lastItem) {
    DoApplyRecord(kind, action, lastItem);
  };
  FData->OnRevertRecord = [this] { DoRevertRecord(); };
  FData->OnAfterApplyUpdates = [this] { DoAfterApplyUpdates(); };
  FData->OnCancelUpdates = [this] { DoCancelUpdates(); };
  FData->OnAddCalcFieldDescs = [this] { DoAddCalcFieldDescs(); };
  FData->OnFieldsChanged = [this] {
    if (FDataSetService) FDataSetService->FieldsChanged();
  };
  FData->OnGetCalcFields = [this](uint8_t* target, uint8_t* source) {
    DoGetCalcFields(target, source);
  };
}

TDataSetServiceClass TMemDataSet::GetDataSetServiceClass() {
  return TDataSetServiceClass::Of<TDataSetService>();
}

void TMemDataSet::SetDataSetService(std::unique_ptr<TDataSetService> value) {
  FDataSetService = std::move(value);
}

void TMemDataSet::CheckDataSetService() {
  const TDataSetServiceClass serviceClass = GetDataSetServiceClass();
  if (!FDataSetService || typeid(*FDataSetService) != *serviceClass.Type)
    SetDataSetService(serviceClass.Create(this));
}

TDataSetService* TMemDataSet::DataSetService() {
  CheckDataSetService();
  return FDataSetService.get();
}

void TMemDataSet::RefreshData() { FData->Reopen(); }

const TDataTypesMap& TMemDataSet::GetDataTypesMapClass() {
  static const TDataTypesMap map;
  return map;
}

TFieldType TMemDataSet::GetFieldType(TDataTypeCode dataType) {
  return GetDataTypesMapClass().GetFieldType(dataType);
}

TFieldType TMemDataSet::GetFieldTypeOfDesc(TFieldDesc* fieldDesc) {
  return GetFieldType(fieldDesc->DataType());
}

int TMemDataSet::GetFieldDefSize(TFieldType fieldType, TFieldDesc* fieldDesc) {
  switch (fieldType) {
    case ftString: case ftWideString: case ftGuid:
      return fieldDesc->Length() == 0 ? 1 : fieldDesc->Length();
    case ftBytes: case ftVarBytes:
      return fieldDesc->Length();
    default:
      return 0;
  }
}

String TMemDataSet::GetItemFieldName(int index) { return S(std::to_string(index)); }

void TMemDataSet::SetCacheCalcFields(bool value) {
  CheckInactive();
  FCacheCalcFields = value;
}

// ---- Preparing.

void TMemDataSet::Prepare() {
  RTL_ASSERT(FData != nullptr, u"FIRecordSet must be setted to this time");
  if (FData->Prepared()) return;
  FData->Prepare();
  DataSetService()->InitUpdatingInfo();
  CreateFieldDefs();
}

void TMemDataSet::UnPrepare() {
  if (Active()) Close();
  if (FData) FData->UnPrepare();
  if (!ComponentState().Contains(csDestroying)) FieldDefs()->SetUpdated(false);
}

// ---- Field definitions.

bool TMemDataSet::NeedCreateFieldDefs() {
  return !FieldDefs()->Updated() || FData->FieldsChanged();
}

void TMemDataSet::CreateFieldDef(TFieldDesc* fieldDesc, int fieldNo) {
  const TFieldType type = GetFieldTypeOfDesc(fieldDesc);
  if (type == ftUnknown) DatabaseError(SDataTypeNotSupported);
  auto* def = new TFieldDef(FieldDefs(), fieldDesc->Name(), type,
                            GetFieldDefSize(type, fieldDesc),
                            fieldDesc->Required() && FRequiredFields, fieldNo);
  TFieldAttributes attributes = def->Attributes();
  if (fieldDesc->ReadOnly()) attributes.Include(faReadonly);
  if (fieldDesc->Hidden()) attributes.Include(faHiddenCol);
  if (fieldDesc->Fixed()) attributes.Include(faFixed);
  def->SetAttributes(attributes);
  switch (type) {
    case ftSmallint: case ftInteger: case ftFloat: case ftLargeint:
      def->SetPrecision(fieldDesc->Length());
      break;
    case ftBCD: case ftFMTBcd:
      def->SetPrecision(fieldDesc->Length());
      def->SetSize(fieldDesc->Scale());
      break;
    default:
      break;
  }
  // Object and array columns would get child definitions here; the stores of this library
  // describe no object types, so such a column stays a definition without members.
}

void TMemDataSet::CreateFieldDefs() {
  if (!NeedCreateFieldDefs()) return;
  TFieldDefs* defs = FieldDefs();
  defs->BeginUpdate();
  try {
    defs->Clear();
    const TFieldDescs& descs = FData->Fields();
    for (int i = 0; i < descs.Count(); ++i) {
      TFieldDesc* desc = descs[i];
      if (desc->CalcKind() == 0 && !desc->HasParent()) CreateFieldDef(desc, i + 1);
    }
  } catch (...) {
    defs->EndUpdate();
    throw;
  }
  defs->EndUpdate();
  if (FData->Fields().Count() > 0) defs->SetUpdated(true);
}

void TMemDataSet::InternalInitFieldDefs() {
  if (!FData || FData->Active()) return;
  std::vector<String> names;
  const bool wasUpdated = FieldDefs()->Updated();
  if (wasUpdated)
    for (TFieldDesc* desc : FData->Fields()) names.push_back(desc->Name());
  FData->ExplicitInitFields();
  if (wasUpdated) {
    bool same = names.size() == static_cast<size_t>(FData->Fields().Count());
    for (size_t i = 0; same && i < names.size(); ++i)
      same = names[i] == FData->Fields()[static_cast<int>(i)]->Name();
    if (!same) FieldDefs()->SetUpdated(false);
  }
  DataSetService()->InitUpdatingInfo();
  CreateFieldDefs();
}

// ---- Opening and closing.

void TMemDataSet::ComputeLayout() {
  FRecInfoOfs = FData->RecordSize() + (FCacheCalcFields ? 0 : FData->CalcRecordSize());
  FBookmarkOfs = FRecInfoOfs + 7;
  FRecBufSize = FBookmarkOfs + static_cast<int>(sizeof(TRecBookmark));
  SetBookmarkSize(static_cast<int>(sizeof(TRecBookmark)));
}

void TMemDataSet::InternalOpen() {
  RTL_ASSERT(FData != nullptr, u"FIRecordSet must be setted to this time");
  FData->Open();
  DataSetService()->InitUpdatingInfo();
  CreateFieldDefs();
  ComputeLayout();

  if (DefaultFields()) {
    CreateFields();
  } else {
    // Persistent text fields take the column sizes of this opening.
    for (int i = 0; i < FieldDefs()->Count(); ++i) {
      TFieldDef* def = FieldDefs()->Items(i);
      if (def->DataType() != ftString) continue;
      TField* field = FindField(def->Name());
      if (!field || field->FieldKind() != fkData) continue;
      CheckFieldCompatibility(field, def);
      field->SetSize(def->Size());
    }
  }
  if (FNumberRange) {
    for (int i = 0; i < FieldDefs()->Count(); ++i)
      DataSetService()->SetNumberFieldRange(FieldDefs()->Items(i));
  }
  BindFields(true);

  const TFieldDescs& descs = FData->Fields();
  auto* memData = dynamic_cast<TMemData*>(FData.get());
  if (memData && descs.Count() > 0 && descs[descs.Count() - 1]->CalcKind() == 1)
    memData->CalcStoredFields(nullptr, nullptr);
  if (memData) memData->SortItems();
  FInCacheProcessing = false;
  if (Filtered()) {
    ActivateFilters();
    FData->FilterUpdated();
  }
  if (IsMasterActive() && IsLocalMasterDetail()) {
    BindToMaster();
    FData->FilterUpdated();
  }
}

void TMemDataSet::InternalClose() {
  FLocalMDLinks.clear();
  BindFields(false);
  if (DefaultFields()) DestroyFields();
  FData->Close();
  // A store that is not prepared drops its descriptors when it closes and builds them anew at
  // the next opening, with the sizes and types of that result: the definitions must follow.
  if (FData->Fields().Count() == 0) {
    FieldDefs()->SetUpdated(false);
    FCalcFieldsMapping.clear();
  }
}

bool TMemDataSet::IsCursorOpen() { return FData && FData->Active(); }

void TMemDataSet::OpenCursor(bool infoQuery) {
  TDataSet::OpenCursor(infoQuery);
  if (infoQuery) return;
  FreeRecordBuffer(FOldRecBuf);
  FOldRecBuf = AllocRecordBuffer();
  FData->InitRecord(FOldRecBuf);
}

void TMemDataSet::CloseCursor() {
  if (FDetailRefreshTimer) FDetailRefreshTimer->SetEnabled(false);
  // An edit or insert that is dropped by closing gives back what its buffer holds: a new record's
  // own values, or an edited record's blob changes and its copies of variant and heap values.
  TRecordBuffer active = ActiveBuffer();
  if ((FInserting || FEditing) && active && FData && FData->HasComplexFields()) {
    if (FInserting)
      FData->FreeComplexFields(active, true);
    else
      FData->RevertBlobs(active);
  }
  FInserting = false;
  FEditing = false;
  ResetBlobsModified();
  FreeRecordBuffer(FOldRecBuf);
  TDataSet::CloseCursor();
}

void TMemDataSet::DoAfterOpen() {
  TDataSet::DoAfterOpen();
  // The links learn of the opening once more, now that the field values are readable (the
  // nested datasets hear it as a parent scroll).
  DataEvent(deDataSetChange, 0);
}

void TMemDataSet::InternalHandleException() { HandleRunningException(this); }

void TMemDataSet::AssignTo(TPersistent* dest) {
  if (auto* target = dynamic_cast<TMemDataSet*>(dest)) {
    target->SetCachedUpdates(FCachedUpdates);
    target->FRequiredFields = FRequiredFields;
    target->SetMasterSource(MasterSource());
    target->SetMasterFields(FMasterFields);
    target->SetDetailFields(FDetailFields);
    if (FDetailRefreshTimer) target->SetDetailDelay(FDetailDelay);
    return;
  }
  TDataSet::AssignTo(dest);
}
