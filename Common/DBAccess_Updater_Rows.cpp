// The updater's returned rows: the first row a re-read (or a statement that returns values)
// brings back is written into the record, column by column, matched by the "_n" alias the
// generator gives its select list, else by name.
#include <cmath>
#include <unordered_set>
#include <vector>

#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_Updater.h"
#include "Common/MemData.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Variant.h"

namespace {

bool IsRefreshKind(TStatementTypes types) {
  return types.Contains(stRefresh) || types.Contains(stRefreshQuick) ||
         types.Contains(stRefreshCheckDeleted);
}

// Frees a scratch record buffer without touching the values it points to.
struct TScratchBuffer {
  TData* Data;
  uint8_t* Buffer;
  ~TScratchBuffer() { Data->FreeRecBuf(Buffer); }
};

}  // namespace

bool TDADataSetUpdater::ValuesEqual(const Variant& a, const Variant& b) {
  // Byte arrays (binary columns read as bytes) are equal byte for byte; variant comparison has
  // no order for arrays and would raise.
  constexpr uint16_t bytesType = varArray | varByte;
  if (a.VarType() == bytesType || b.VarType() == bytesType)
    return a.VarType() == b.VarType() && a.AsBytes() == b.AsBytes();
  if (VarSameValue(a, b)) return true;
  if (a.VarType() != b.VarType() || (a.VarType() != varDate && a.VarType() != varSQLTimeStamp))
    return false;
  // The server keeps fewer fractional digits than a date-time holds: about a millisecond apart
  // is the same moment.
  return std::fabs(VarToDateTime(a) - VarToDateTime(b)) < 1.1576048564e-08;
}

void TDADataSetUpdater::CopyRowToRecord(TStatementTypes statementTypes) {
  TCustomDADataSet* component = CurrentUpdateDataSet();
  if (!component->Active() || component->IsEmpty()) return;
  // Under a lock the row is the server's present state of the record: it must match.
  if (statementTypes.Contains(stLock) && FCheckOnLock &&
      !FDataSet->RefreshOptions().Contains(roBeforeEdit)) {
    CompareLockedRow();
    return;
  }
  TData* data = FDataSet->Data();
  bool refresh = IsRefreshKind(statementTypes);
  TDataSetState state = FDataSet->State();
  bool editing = state == dsEdit || state == dsInsert;
  // In browse state the record itself takes the row; an insert or edit writes into its own
  // buffer, which the store takes when the change is posted.
  bool storeRecord = refresh && state == dsBrowse && !FInRefreshInUpdate;
  if (!editing && !storeRecord) return;
  uint8_t* target = nullptr;
  std::unique_ptr<TScratchBuffer> scratch;
  if (storeRecord) {
    if (FDataSet->IsEmpty()) return;
    FDataSet->UpdateCursorPos();
    scratch.reset(new TScratchBuffer{data, data->AllocRecBuf()});
    target = scratch->Buffer;
    data->GetRecord(target);
  } else {
    target = FDataSet->GetActiveRecBuf();
    if (target == nullptr) return;
  }
  WriteRow(target, refresh, editing);
  if (storeRecord) {
    data->PutRecord(target);
    FDataSet->Resync(TResyncMode());
  }
}

TFieldDesc* TDADataSetUpdater::RowColumnTarget(TFieldDesc* column) {
  TData* data = FDataSet->Data();
  int descCount = data->Fields().Count();
  int index = FService->Generator()->DecodeFieldAlias(column->Name());
  TFieldDesc* desc =
      index >= 0 && index < descCount ? data->Fields()[index] : data->FindField(column->Name());
  if (desc == nullptr || desc->HasParent()) return nullptr;
  return desc;
}

void TDADataSetUpdater::WriteRow(uint8_t* target, bool refresh, bool editing) {
  TCustomDADataSet* component = CurrentUpdateDataSet();
  TData* source = component->Data();
  TRecordBuffer row = component->GetActiveRecBuf();
  TData* data = FDataSet->Data();
  int descCount = data->Fields().Count();
  for (TFieldDesc* column : source->Fields()) {
    if (column->HasParent()) continue;
    TFieldDesc* desc = RowColumnTarget(column);
    if (desc == nullptr) continue;
    if (data->IsBlobFieldType(desc->DataType())) {
      if (!refresh || !source->IsBlobFieldType(column->DataType())) continue;
      // The record's blob takes the received content: every buffer that shares the object sees
      // it, and no reference changes hands.
      TBlob* blob = data->GetBlob(desc->FieldNo(), target);
      blob->Assign(*source->GetBlob(column->FieldNo(), row));
      // An empty text and NULL differ only by the record's null flag.
      data->SetNull(desc->FieldNo(), target, source->GetNull(column->FieldNo(), row));
      if (editing) blob->EnableRollback();
      continue;
    }
    if (FDataSet->Fields()->FieldByNumber(desc->FieldNo()) == nullptr) continue;
    data->PutFieldAsVariant(desc->FieldNo(), target,
                            source->GetFieldAsVariant(column->FieldNo(), row));
  }
  // Calculated fields kept inside the record follow the values they are computed from.
  if (descCount > 0 && data->Fields()[descCount - 1]->CalcKind() == 1 && data->OnGetCalcFields)
    data->OnGetCalcFields(target, nullptr);
}

void TDADataSetUpdater::CompareLockedRow() {
  TCustomDADataSet* component = CurrentUpdateDataSet();
  TData* source = component->Data();
  TRecordBuffer row = component->GetActiveRecBuf();
  TDataSetState state = FDataSet->State();
  // What the record held when it was read: the old values while it is being changed.
  bool old = state == dsEdit || state == dsInsert || state == dsSetKey || FDataSet->CachedUpdates();
  for (TFieldDesc* column : source->Fields()) {
    if (column->HasParent() || source->IsBlobFieldType(column->DataType())) continue;
    TFieldDesc* desc = RowColumnTarget(column);
    if (desc == nullptr || FDataSet->Data()->IsBlobFieldType(desc->DataType())) continue;
    TField* field = FDataSet->Fields()->FieldByNumber(desc->FieldNo());
    if (field == nullptr) continue;
    Variant inHand = old ? field->OldValue() : field->Value();
    if (!ValuesEqual(source->GetFieldAsVariant(column->FieldNo(), row), inHand))
      DatabaseError(u"Record was changed by another user", FDataSet);
  }
}

// ---- Quick refresh.

namespace {

// A variant array of the values (one value alone for a single field).
Variant KeyValues(const std::vector<Variant>& values) {
  if (values.size() == 1) return values[0];
  Variant array = VarArrayCreate({0, static_cast<int>(values.size()) - 1}, varVariant);
  for (size_t i = 0; i < values.size(); ++i) array.PutElement({static_cast<int>(i)}, values[i]);
  return array;
}

// The key values of one row joined into one text, to look rows up by.
String KeyText(const std::vector<Variant>& values) {
  String text;
  for (const Variant& value : values) {
    text += value.IsNull() ? String(u"\x01") : VarToStr(value);
    text += u'\x02';
  }
  return text;
}

}  // namespace

void TDADataSetUpdater::RefreshQuick(bool checkDeleted) {
  FDataSet->AcquireConnection(true);
  struct TRelease {
    TCustomDADataSet* DataSet;
    ~TRelease() { DataSet->ReleaseConnection(); }
  } release{FDataSet};
  TFieldDescArray keys = FService->GetKeyAndDataFields(false).KeyFieldDescs;
  if (keys.empty()) DatabaseError(u"Unique keyfields required", FDataSet);
  FDataSet->CheckBrowseMode();
  FService->InitUpdatingInfo();
  if (FService->UpdatingTableInfo() == nullptr) return;

  TDADataSetOptions* options = FDataSet->Options();
  bool strict = options->StrictUpdate;
  bool filtered = FDataSet->Filtered();
  FDataSet->DisableControls();
  struct TRestore {
    TCustomDADataSet* DataSet;
    bool Strict, Filtered;
    ~TRestore() {
      DataSet->Options()->StrictUpdate = Strict;
      if (DataSet->Filtered() != Filtered) DataSet->SetFiltered(Filtered);
      DataSet->EnableControls();
    }
  } restore{FDataSet, strict, filtered};
  // Every record is compared, also those the local filter hides.
  if (filtered) FDataSet->SetFiltered(false);
  options->StrictUpdate = false;

  std::vector<TField*> keyFields;
  std::vector<Variant> current;
  for (TFieldDesc* desc : keys) {
    TField* field = FService->FieldOf(desc);
    keyFields.push_back(field);
    if (field != nullptr && !FDataSet->IsEmpty()) current.push_back(field->Value());
  }
  if (checkDeleted && !FDataSet->IsEmpty())
    PerformSQL(String(), TStatementTypes{stRefreshCheckDeleted});
  PerformSQL(String(), TStatementTypes{stRefreshQuick});
  bool located = current.size() == keys.size() &&
                 FDataSet->LocateEx(keyFields, TSearchOptions(), KeyValues(current));
  if (!located) FDataSet->First();
  FDataSet->DoAfterRefresh();
}

void TDADataSetUpdater::ReadRefreshCheckDeleted() {
  TCustomDADataSet* component = CurrentUpdateDataSet();
  TFieldDescArray keys = FService->GetKeyAndDataFields(false).KeyFieldDescs;
  // The keys of every row still on the server.
  std::vector<TField*> resultFields;
  for (TFieldDesc* desc : keys) resultFields.push_back(component->FindField(desc->Name()));
  std::unordered_set<String> present;
  for (component->First(); !component->Eof(); component->Next()) {
    std::vector<Variant> values;
    for (TField* field : resultFields)
      values.push_back(field != nullptr ? field->Value() : Variant::Null());
    present.insert(KeyText(values));
  }
  // Records whose rows are gone leave the store; no DELETE is sent for them.
  TData* data = FDataSet->Data();
  auto* store = dynamic_cast<TMemData*>(data);
  RTL_ASSERT(store != nullptr, u"The dataset's store cannot remove records");
  FDataSet->UpdateCursorPos();
  TScratchBuffer scratch{data, data->AllocRecBuf()};
  uint8_t* buffer = scratch.Buffer;
  data->SetToBegin();
  for (;;) {
    data->GetNextRecord(buffer);
    if (data->Eof()) break;
    std::vector<Variant> values;
    for (TFieldDesc* desc : keys)
      values.push_back(data->GetFieldAsVariant(desc->FieldNo(), buffer));
    if (present.count(KeyText(values)) != 0) continue;
    store->RemoveRecord();
    // The store stands on the record after the removed one: read it next, not past it.
    data->GetPriorRecord(buffer);
    if (data->Bof()) data->SetToBegin();
  }
  FDataSet->Resync(TResyncMode());
  FDataSet->First();
}

void TDADataSetUpdater::ReadRefreshQuick(TStatementTypes statementTypes) {
  TCustomDADataSet* component = CurrentUpdateDataSet();
  TFieldDescArray keys = FService->GetKeyAndDataFields(false).KeyFieldDescs;
  std::vector<TField*> keyFields;
  std::vector<TField*> resultFields;
  for (TFieldDesc* desc : keys) {
    keyFields.push_back(FService->FieldOf(desc));
    resultFields.push_back(component->FindField(desc->Name()));
  }
  TData* data = FDataSet->Data();
  auto* store = dynamic_cast<TMemData*>(data);
  RTL_ASSERT(store != nullptr, u"The dataset's store cannot add records");
  for (component->First(); !component->Eof(); component->Next()) {
    std::vector<Variant> values;
    for (TField* field : resultFields)
      values.push_back(field != nullptr ? field->Value() : Variant::Null());
    bool found =
        !FDataSet->IsEmpty() && FDataSet->DoLocate(keyFields, TSearchOptions(), KeyValues(values));
    if (found) {
      CopyRowToRecord(statementTypes);
    } else {
      // A row new on the server joins the store as it stands there: nothing is sent for it.
      TScratchBuffer scratch{data, data->AllocRecBuf()};
      uint8_t* buffer = scratch.Buffer;
      data->InitRecord(buffer);
      data->CreateComplexFields(buffer, true);
      WriteRow(buffer, true, false);
      data->SetToEnd();
      store->AddRecord(buffer);
      FDataSet->Resync(TResyncMode());
    }
    for (TFieldDesc* column : component->Data()->Fields())
      if (IsTrackedField(column))
        TrackFieldValue(column, component->Data()->GetFieldAsVariant(column->FieldNo(),
                                                                     component->GetActiveRecBuf()));
  }
  FDataSet->Resync(TResyncMode());
}
