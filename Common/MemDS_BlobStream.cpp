// TBlobStream: a blob or memo field of the active record as a stream. Positions and sizes count
// the bytes of the field's text as it is read (UTF-8 for a memo whose blob holds UTF-16).
#include <algorithm>

#include "Common/MemDS.h"

namespace {

constexpr char16_t SInvalidCast[] = u"Invalid class typecast";

}  // namespace

std::unique_ptr<TStream> TMemDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  auto* blobField = dynamic_cast<TBlobField*>(field);
  if (!blobField) throw EInvalidCast(SInvalidCast);
  return std::make_unique<TBlobStream>(blobField, mode);
}

TBlobStream::TBlobStream(TBlobField* field, TBlobStreamMode mode)
    : FField(field), FDataSet(dynamic_cast<TMemDataSet*>(field->DataSet())), FMode(mode) {
  if (!FDataSet) throw EInvalidCast(SInvalidCast);
  FFieldNo = field->FieldNo();
  FBuffer = FDataSet->GetActiveRecBuf();
  // Without a record (an empty dataset in browse state) the stream moves nothing.
  if (!FBuffer || FFieldNo <= 0) return;
  if (!field->Modified() && mode != bmRead) {
    if (field->ReadOnly()) DatabaseErrorFmt(SFieldReadOnly, {field->DisplayName()});
    const TDataSetState state = FDataSet->State();
    if (state != dsEdit && state != dsInsert && state != dsNewValue)
      DatabaseError(SNotEditing, FDataSet);
  }
  FOpened = true;
  if (mode == bmWrite) Truncate();
}

TBlobStream::~TBlobStream() {
  try {
    if (FOpened && FModified) FField->SetModified(true);
    if (FModified) FDataSet->DataEvent(deFieldChange, reinterpret_cast<intptr_t>(FField));
  } catch (...) {
    // A handler of the field change raised while the stream closed: reported, not lost.
    FDataSet->InternalHandleException();
  }
}

bool TBlobStream::UseRollback() const { return FDataSet->State() == dsOldValue; }

void TBlobStream::Truncate() {
  FDataSet->Data()->TruncateBlob(FFieldNo, FBuffer, FPosition);
  FModified = true;
}

int32_t TBlobStream::Read(void* buffer, int32_t count) {
  if (!FOpened || count <= 0) return 0;
  const uint32_t size = static_cast<uint32_t>(Size());
  if (FPosition >= size) return 0;
  const uint32_t wanted = std::min<uint32_t>(static_cast<uint32_t>(count), size - FPosition);
  const uint32_t read = FDataSet->Data()->ReadBlob(FFieldNo, FBuffer, FPosition, wanted, buffer,
                                                   false, UseRollback());
  FPosition += read;
  return static_cast<int32_t>(read);
}

int32_t TBlobStream::Write(const void* buffer, int32_t count) {
  // A stream opened for reading never changes the record: it was not checked for writing.
  if (!FOpened || FMode == bmRead || count <= 0) return 0;
  FDataSet->Data()->WriteBlob(FFieldNo, FBuffer, FPosition, static_cast<uint32_t>(count), buffer,
                              false);
  FPosition += static_cast<uint32_t>(count);
  FModified = true;
  return count;
}

int64_t TBlobStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t position = FPosition;
  switch (origin) {
    case soBeginning: position = offset; break;
    case soCurrent: position += offset; break;
    case soEnd: position = Size() + offset; break;
  }
  FPosition = static_cast<uint32_t>(std::clamp<int64_t>(position, 0, UINT32_MAX));
  return FPosition;
}

int64_t TBlobStream::Size() {
  if (!FOpened) return 0;
  return FDataSet->Data()->GetBlobSize(FFieldNo, FBuffer, false, UseRollback());
}

void TBlobStream::SetSize(int64_t newSize) {
  if (!FOpened || FMode == bmRead) return;
  FDataSet->Data()->SetBlobSize(FFieldNo, FBuffer,
                                static_cast<uint32_t>(std::clamp<int64_t>(newSize, 0, UINT32_MAX)));
  FModified = true;
}
