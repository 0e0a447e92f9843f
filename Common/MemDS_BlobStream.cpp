// TBlobStream: a blob or memo field of the active record as a stream. Positions and sizes count
// the bytes of the field's text as it is read (UTF-8 for a memo whose blob holds UTF-16).
#include <algorithm>

#include "Common/MemDS.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr char16_t SInvalidCast[] = u"Invalid class typecast";

}  // namespace

std::unique_ptr<TStream> TMemDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  auto* blobField = dynamic_cast<TBlobField*>(field);
  if (!blobField) throw EInvalidCast(SInvalidCast);
  return std::make_unique<TBlobStream>(blobField, mode);
}

namespace {

// Whether the text holds a unit of a surrogate pair: such a text goes through its UTF-8 form, as
// the stream writes it, so that an unpaired unit is stored exactly as the stream stores it.
bool HasSurrogates(const String& text) {
  for (char16_t unit : text)
    if (unit >= 0xD800 && unit <= 0xDFFF) return true;
  return false;
}

}  // namespace

bool TMemDataSet::WriteBlobText(TBlobField* field, const String& text) {
  // Only the plain case: a record being edited and a field that may be written. Everything else
  // (no record, a read-only field, the wrong state) takes the stream, which raises or ignores.
  const int fieldNo = field->FieldNo();
  TRecordBuffer recBuf = GetActiveRecBuf();
  if (!recBuf || fieldNo <= 0) return false;
  if (!field->Modified()) {
    const TDataSetState state = State();
    if (field->ReadOnly() || (state != dsEdit && state != dsInsert && state != dsNewValue))
      return false;
  }
  // As the stream does once it is closed, also after a failed write: the field counts as written
  // and its links hear of the change; a handler's error is reported, not raised.
  auto finish = [this, field] {
    field->SetModified(true);
    try {
      DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
    } catch (...) {
      InternalHandleException();
    }
  };
  try {
    FData->TruncateBlob(fieldNo, recBuf, 0);
    // A blob that keeps UTF-16 takes the text as it is (the stream's UTF-8 would be decoded back
    // to the same units); any other takes the UTF-8 bytes, as the stream writes them.
    if (!text.empty()) {
      if (FData->GetBlob(fieldNo, recBuf)->IsUnicode() && !HasSurrogates(text)) {
        FData->WriteBlob(fieldNo, recBuf, 0, static_cast<uint32_t>(text.size() * 2), text.data(),
                         true);
      } else {
        const AnsiString utf8 = UTF8Encode(text);
        FData->WriteBlob(fieldNo, recBuf, 0, static_cast<uint32_t>(utf8.size()), utf8.data(),
                         false);
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return true;
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
