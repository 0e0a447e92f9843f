// Reading rows: one block of rows per Fetch straight into the record items, the record set's own
// null and blob handling, and the output parameters of a stored-procedure call.
#include <cstring>

#include "MySql/MyClasses_Connection.h"
#include "MySql/MyClasses_RecordSet.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/Exceptions.h"

namespace {

bool IsBlobType(TDataTypeCode dt) { return dt == dtBlob || dt == dtMemo || dt == dtWideMemo; }

}  // namespace

bool TMySQLRecordset::Fetch(bool fetchBack) {
  if (Fields().Count() == 0) {
    try {
      CloseResult(false, true);
    } catch (const std::exception&) {
    }
    throw EDatabaseError(u"Query must return exactly result set - use Execute");
  }
  const TCursorState state = FMyCommand->GetCursorState();
  if (state == csInactive || state == csFetched) return false;
  // A prepared statement's rows come as binary rows until its bind state says they are gone.
  const bool binary = FMyCommand->GetPrepared();
  if (binary ? FBindState == 2 : FMyCommand->ResultHandle() == nullptr) return false;
  RTL_ASSERT(state >= csExecuted, u"Fetching from a command that has not run");
  if (state == csExecuted) FMyCommand->SetCursorState(csFetching);

  bool cancel = false;
  DoBeforeFetch(cancel);
  if (cancel) return false;

  TItemBlock* block = nullptr;
  int count = 0;
  // A lost connection is handled before its error arrives here, and that handling may close the
  // dataset, which frees every block of the store, the one being filled too. The store's
  // generation tells whether it is still the store this fetch began in.
  const uint32_t generation = StoreGeneration();
  try {
    TMySQLAPI* api = Connection()->API();
    if (!FConverter || &FConverter->Api() != api)
      FConverter = std::make_unique<TMyRowConverter>(*this, *api);
    FConverter->DeferNullBlobs(&BlockManager());
    FConverter->UseUnicode = UseUnicode();
    FConverter->NullForZeroDate = FNullForZeroDate;
    FConverter->NullForZeroTesmarDate = FNullForZeroTesmarDate;
    FConverter->CompressBlobMode = FMyCommand->CompressBlob();

    if (binary && FBindState == 0) PrepareResultBinds();
    block = NewFetchBlock();
    if (!binary) {
      while (count < block->ItemCount && ReadTextRow(block, count)) ++count;
    } else if (api->ClientStructVer() == 0) {
      while (count < block->ItemCount && ReadBinaryRowDirect(block, count)) ++count;
    } else {
      while (count < block->ItemCount && ReadBinaryRowClient(block, count)) ++count;
    }
    TItemBlock* filled = block;
    block = nullptr;
    InitFetchedItems(filled, count, fetchBack);
    if (count > 0 && FMyCommand->StoredProc() && RecordCount() == 1 &&
        FMyCommand->GetParamCount() > 0)
      ReadOutParams();
    if (count == 0) FreeBindBuffer();
  } catch (...) {
    FreeBindBuffer();
    if (StoreGeneration() != generation) throw;  // closed under the fetch: nothing left to keep
    // The rows read before the failure stay.
    if (block != nullptr) InitFetchedItems(block, count, fetchBack);
    try {
      CloseResult(false, false);
    } catch (const std::exception&) {
    }
    FFetchEnded = true;
    DoAfterFetch();
    throw;
  }
  DoAfterFetch();
  return count > 0;
}

bool TMySQLRecordset::ReadTextRow(TItemBlock* block, int index) {
  PMYSQL_RES result = FMyCommand->ResultHandle();
  PMYSQL_ROW row = FConverter->Api().FetchRow(result);
  if (row == nullptr) {
    CheckErrno();
    CloseResult(true, true);
    return false;
  }
  uint8_t* data = RowRecord(block, index);
  try {
    FConverter->ConvertTextRow(data, result, row);
  } catch (...) {
    // The row that failed gives back what it took.
    if (HasComplexFields()) FreeComplexFields(data, true);
    throw;
  }
  return true;
}

uint8_t* TMySQLRecordset::RowRecord(TItemBlock* block, int index) {
  uint8_t* data = BlockManager().BlockItem(block, index)->Data();
  // Slots of values held by reference start empty, so a row that fails half-way frees cleanly.
  if (HasComplexFields()) std::memset(data, 0, static_cast<size_t>(RecordSize()));
  return data;
}

void TMySQLRecordset::SetToEnd() {
  FetchAll();
  TLxRecordSet::SetToEnd();
}

void TMySQLRecordset::SetNull(int fieldNo, uint8_t* recBuf, bool value) {
  recBuf[DataSize() + fieldNo - 1] = value ? 1 : 0;
}

void TMySQLRecordset::GetFieldData(TFieldDesc* field, uint8_t* data, void* dest) {
  if (IsBlobType(field->DataType()))
    std::memcpy(dest, data, sizeof(TBlob*));
  else
    TLxRecordSet::GetFieldData(field, data, dest);
}

void TMySQLRecordset::PutFieldData(TFieldDesc* field, uint8_t* data, bool exact,
                                   const void* source) {
  if (IsBlobType(field->DataType()))
    std::memcpy(data, source, sizeof(TBlob*));
  else
    TLxRecordSet::PutFieldData(field, data, exact, source);
}

void TMySQLRecordset::CreateComplexFields(uint8_t* recBuf, bool withBlob) {
  TLxRecordSet::CreateComplexFields(recBuf, withBlob);
  if (!withBlob) return;
  const bool unicode = UseUnicode();
  if (!unicode && FMyCommand->CompressBlob() == cbNone) return;
  for (TFieldDesc* field : Fields()) {
    if (field->CalcKind() != 0 || field->DataType() != dtWideMemo) continue;
    if (TBlob* blob = GetBlobObject(field->FieldNo(), recBuf)) blob->SetIsUnicode(unicode);
  }
}

void TMySQLRecordset::ReadOutParams() {
  uint8_t* record = AllocRecBuf();
  struct FreeRecord {
    TMySQLRecordset& rs;
    uint8_t* record;
    ~FreeRecord() { rs.FreeRecBuf(record); }
  } freeRecord{*this, record};
  BlockManager().GetRecord(FirstItem(), record);

  for (int i = 0; i < FMyCommand->GetParamCount(); ++i) {
    TParamDesc* param = FMyCommand->GetParam(i);
    const uint8_t type = param->GetParamType();
    const bool isResult = type == 4;
    if (type != 2 && type != 3 && !isResult) continue;
    TFieldDesc* field = isResult ? Fields()[0] : FindField(u"@" + param->GetName());
    if (field == nullptr) continue;
    if (!IsBlobType(param->GetDataType())) {
      param->SetValue(GetFieldAsVariant(field->FieldNo(), record));
      continue;
    }
    auto* blob = static_cast<TBlob*>(param->GetObject());
    if (blob == nullptr) continue;
    uint8_t* data = record + field->Offset();
    void* value = nullptr;
    std::memcpy(&value, data, sizeof value);
    const bool isNull = GetNull(field->FieldNo(), record);
    switch (field->DataType()) {
      case dtBlob:
      case dtMemo:
      case dtWideMemo:
        blob->Assign(*static_cast<TBlob*>(value));
        break;
      case dtExtString:
        blob->SetAsAnsiString(isNull || !value ? AnsiString() : AnsiString(static_cast<char*>(value)));
        break;
      case dtExtVarBytes: {
        blob->Clear();
        if (isNull || !value) break;
        uint16_t size = 0;
        std::memcpy(&size, value, sizeof size);
        blob->Write(0, size, static_cast<uint8_t*>(value) + 2);
        break;
      }
      case dtExtWideString:
        blob->SetAsWideString(isNull || !value ? String() : String(static_cast<char16_t*>(value)));
        break;
      default:
        throw Exception(u"Data type is not supported");
    }
  }
  FMyCommand->SetProp(pcCanReadParams, true);
  FMyCommand->SetIsSelectParams(true);
}
