// The updater's returned rows: the first row a re-read (or a statement that returns values)
// brings back is written into the record, column by column, matched by the "_n" alias the
// generator gives its select list, else by name.
#include <cmath>
#include <vector>

#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_Updater.h"
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
  if (VarSameValue(a, b)) return true;
  if (a.VarType() != b.VarType() || (a.VarType() != varDate && a.VarType() != varSQLTimeStamp))
    return false;
  // The server keeps fewer fractional digits than a date-time holds: about a millisecond apart
  // is the same moment.
  return std::fabs(VarToDateTime(a) - VarToDateTime(b)) < 1.1576048564e-08;
}

void TDADataSetUpdater::CopyRowToRecord(TStatementTypes statementTypes) {
  TCustomDADataSet* component = FUpdateComponent;
  if (!component->Active() || component->IsEmpty()) return;
  TData* source = component->Data();
  TRecordBuffer row = component->GetActiveRecBuf();
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

  TDASQLGenerator* generator = FService->Generator();
  int descCount = data->Fields().Count();
  for (TFieldDesc* column : source->Fields()) {
    if (column->HasParent()) continue;
    int index = generator->DecodeFieldAlias(column->Name());
    TFieldDesc* desc =
        index >= 0 && index < descCount ? data->Fields()[index] : data->FindField(column->Name());
    if (desc == nullptr || desc->HasParent()) continue;
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
  if (storeRecord) {
    data->PutRecord(target);
    FDataSet->Resync(TResyncMode());
  }
}
