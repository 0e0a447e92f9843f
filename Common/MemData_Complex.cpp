// The reference-counted values a record buffer points to (blobs, variant objects, heap texts and
// bytes), blob fields, and the buffer hand-over around the dataset's edit, post and cancel.
#include <cstring>
#include <string>

#include "Common/MemData.h"
#include "Common/MemUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

bool IsHeapCode(TDataTypeCode code) {
  return code == dtExtString || code == dtExtVarBytes || code == dtExtWideString;
}

// Sub-fields and fields of the calculated area hold no values of their own in the record.
bool OwnsValue(const TFieldDesc* field) { return !field->HasParent() && field->CalcKind() != 2; }

// A heap copy of a value held by reference.
uint8_t* CopyHeapValue(TStringHeap& heap, TDataTypeCode code, const uint8_t* value) {
  if (!value) return nullptr;
  switch (code) {
    case dtExtString:
      return reinterpret_cast<uint8_t*>(heap.AllocStr(reinterpret_cast<const char*>(value)));
    case dtExtWideString:
      return reinterpret_cast<uint8_t*>(
          heap.AllocWideStr(reinterpret_cast<const char16_t*>(value)));
    default: {  // 16-bit length, then the bytes
      uint16_t length;
      std::memcpy(&length, value, sizeof length);
      uint8_t* copy = heap.NewBuf(2 + length);
      std::memcpy(copy, value, 2u + length);
      return copy;
    }
  }
}

}  // namespace

void TData::CreateComplexField(uint8_t* recBuf, int index, bool withBlob) {
  TFieldDesc* field = FFields[index];
  if (!OwnsValue(field)) return;
  uint8_t* slot = FieldData(field, recBuf);
  const TDataTypeCode code = field->DataType();
  if (IsBlobFieldType(code)) {
    if (!withBlob) return;
    TBlob* blob = new (ValuePool()) TCompressedBlob(code == dtWideMemo);
    blob->EnableRollback();
    StorePtr(slot, blob);
  } else if (code == dtVariant) {
    StorePtr(slot, new TVariantObject());
  } else if (IsHeapCode(code)) {
    StorePtr<uint8_t>(slot, nullptr);
  }
}

void TData::CreateComplexFields(uint8_t* recBuf, bool withBlob) {
  for (int i = 0; i < FFields.Count(); ++i) CreateComplexField(recBuf, i, withBlob);
}

void TData::ReleaseComplexField(TFieldDesc* field, uint8_t* recBuf, bool withBlob) {
  uint8_t* slot = FieldData(field, recBuf);
  const TDataTypeCode code = field->DataType();
  if (IsBlobFieldType(code) || code == dtVariant) {
    if (IsBlobFieldType(code) && !withBlob) return;
    TSharedObject* obj = IsBlobFieldType(code) ? static_cast<TSharedObject*>(LoadPtr<TBlob>(slot))
                                               : LoadPtr<TVariantObject>(slot);
    if (!obj) return;
    if (obj->RefCount() == 1) StorePtr<TSharedObject>(slot, nullptr);
    obj->Free();
  } else if (IsHeapCode(code)) {
    // After the heap was cleared its buffers are gone with it.
    if (FStringHeap.Empty()) return;
    uint8_t* buf = LoadPtr<uint8_t>(slot);
    if (!buf) return;
    if (TStringHeap::BufRefWord(buf) == TStringHeap::RefFree + 1) StorePtr<uint8_t>(slot, nullptr);
    FStringHeap.DisposeBuf(buf);
  }
}

void TData::FreeComplexFields(uint8_t* recBuf, bool withBlob) {
  for (TFieldDesc* field : FFields)
    if (OwnsValue(field)) ReleaseComplexField(field, recBuf, withBlob);
}

void TData::AddRefComplexFields(uint8_t* recBuf) {
  for (TFieldDesc* field : FFields) {
    if (!OwnsValue(field)) continue;
    uint8_t* slot = FieldData(field, recBuf);
    const TDataTypeCode code = field->DataType();
    if (IsBlobFieldType(code) || code == dtVariant) {
      auto* obj = LoadPtr<TSharedObject>(slot);
      RTL_ASSERT(obj != nullptr, u"Shared object for " + field->Name() + u"=nil");
      obj->AddRef();
    } else if (IsHeapCode(code)) {
      FStringHeap.AddRefStr(LoadPtr<uint8_t>(slot));
    }
  }
}

void TData::CopyComplexFields(uint8_t* source, uint8_t* dest, bool withBlob) {
  RTL_ASSERT(!withBlob, u"CopyComplexFields does not copy blobs");
  for (TFieldDesc* field : FFields) {
    if (!OwnsValue(field)) continue;
    const TDataTypeCode code = field->DataType();
    uint8_t* from = FieldData(field, source);
    uint8_t* to = FieldData(field, dest);
    if (code == dtVariant) {
      auto* src = LoadPtr<TVariantObject>(from);
      auto* dst = LoadPtr<TVariantObject>(to);
      if (src && dst) dst->SetValue(src->Value());
    } else if (IsHeapCode(code)) {
      StorePtr(to, CopyHeapValue(FStringHeap, code, LoadPtr<uint8_t>(from)));
    }
  }
}

void TData::EditRecord(uint8_t* recBuf) {
  // The stored record gets copies of the variant values and heap values; the dataset's buffer
  // keeps the originals for the edit.
  uint8_t* scratch = AllocRecBuf();
  try {
    GetRecord(scratch);
    for (TFieldDesc* field : FFields) {
      if (!OwnsValue(field)) continue;
      if (field->DataType() == dtVariant)
        StorePtr(FieldData(field, scratch), new TVariantObject());
      else if (IsHeapCode(field->DataType()))
        StorePtr<uint8_t>(FieldData(field, scratch), nullptr);
    }
    CopyComplexFields(recBuf, scratch, false);
    PutRecord(scratch);
  } catch (...) {
    FreeRecBuf(scratch);
    throw;
  }
  FreeRecBuf(scratch);
}

void TData::PostRecord(uint8_t* recBuf) {
  uint8_t* scratch = AllocRecBuf();
  try {
    GetRecord(scratch);
    UpdateRecord(recBuf);
  } catch (...) {
    FreeRecBuf(scratch);
    throw;
  }
  for (TFieldDesc* field : FFields) {
    if (!OwnsValue(field)) continue;
    if (IsBlobFieldType(field->DataType())) {
      if (TBlob* blob = LoadPtr<TBlob>(FieldData(field, recBuf))) blob->Commit();
    } else {
      // The copies the stored record held during the edit.
      ReleaseComplexField(field, scratch, false);
    }
  }
  FreeRecBuf(scratch);
}

void TData::RevertBlobs(uint8_t* recBuf) {
  for (TFieldDesc* field : FFields) {
    if (!OwnsValue(field)) continue;
    if (IsBlobFieldType(field->DataType())) {
      if (TBlob* blob = LoadPtr<TBlob>(FieldData(field, recBuf))) blob->Cancel();
    } else {
      ReleaseComplexField(field, recBuf, false);
    }
  }
}

// ---- Blob fields ----

TBlob* TData::GetBlob(int fieldNo, uint8_t* recBuf) {
  TFieldDesc* field = FieldOf(fieldNo);
  if (!IsBlobFieldType(field->DataType())) throw Exception(u"Field is not BLOB");
  TBlob* blob = LoadPtr<TBlob>(FieldData(field, recBuf));
  if (!blob && OwnsValue(field)) {
    // A NULL value of a store that makes such blobs late (see TDeferredValues), reached in the
    // record itself: made now. Any other store never leaves a blob field without its object.
    auto* memData = dynamic_cast<TMemData*>(this);
    if (TDeferredValues* maker = memData ? memData->BlockManager().DeferredValues() : nullptr) {
      maker->MakeDeferredValues(recBuf);
      blob = LoadPtr<TBlob>(FieldData(field, recBuf));
    }
  }
  RTL_ASSERT(blob != nullptr, u"Object for field " + field->Name() + u"(" +
                                  S(std::to_string(fieldNo)) + u") = nil");
  return blob;
}

void TData::SetBlob(int fieldNo, uint8_t* recBuf, TBlob* blob) {
  TFieldDesc* field = FieldOf(fieldNo);
  if (!IsBlobFieldType(field->DataType())) throw Exception(u"Field is not BLOB");
  StorePtr(FieldData(field, recBuf), blob);
}

TBlob* TData::GetBlobObject(int fieldNo, uint8_t* recBuf) {
  TFieldDesc* field = FieldOf(fieldNo);
  if (!IsBlobFieldType(field->DataType())) return nullptr;
  return LoadPtr<TBlob>(FieldData(field, recBuf));
}

namespace {

// Shows a blob's rollback copy for the length of a call.
class ReadRollbackScope {
 public:
  ReadRollbackScope(TBlob* blob, bool use) : FBlob(use ? blob : nullptr) {
    if (FBlob) FBlob->SetReadRollback(true);
  }
  ~ReadRollbackScope() {
    if (FBlob) FBlob->SetReadRollback(false);
  }

 private:
  TBlob* FBlob;
};

// The longest run of whole UTF-8 characters of text that fits in limit bytes.
size_t WholeCharsWithin(const AnsiString& text, size_t limit) {
  if (text.size() <= limit) return text.size();
  size_t n = limit;
  while (n > 0 && (static_cast<uint8_t>(text[n]) & 0xC0) == 0x80) --n;
  return n;
}

}  // namespace

uint32_t TData::ReadBlob(int fieldNo, uint8_t* recBuf, uint32_t position, uint32_t count,
                         void* dest, bool raw, bool useRollback) {
  TBlob* blob = GetBlob(fieldNo, recBuf);
  ReadRollbackScope scope(blob, useRollback);
  if (!blob->IsUnicode() || raw) return blob->Read(position, count, dest);
  // ANSI characters of Unicode content: each takes at least one byte, so count characters of
  // UTF-16 are enough to fill count bytes.
  const uint32_t byteOffset = blob->TranslatePosition(position);
  const uint32_t size = blob->GetSize();
  uint32_t bytes = size - byteOffset;
  if (count != 0 && static_cast<uint64_t>(count) * 2 < bytes) bytes = count * 2;
  String wide(bytes / 2, u'\0');
  if (!wide.empty()) blob->Read(byteOffset, static_cast<uint32_t>(wide.size() * 2), wide.data());
  const AnsiString text = UTF8Encode(wide);
  const size_t n = count == 0 ? text.size() : WholeCharsWithin(text, count);
  std::memcpy(dest, text.data(), n);
  return static_cast<uint32_t>(n);
}

void TData::WriteBlob(int fieldNo, uint8_t* recBuf, uint32_t position, uint32_t count,
                      const void* source, bool raw) {
  TBlob* blob = GetBlob(fieldNo, recBuf);
  blob->EnableRollback();
  if (blob->IsUnicode() && !raw) {
    const String wide = UTF8ToString(std::string_view(static_cast<const char*>(source), count));
    blob->Write(blob->TranslatePosition(position), static_cast<uint32_t>(wide.size() * 2),
                wide.data());
  } else {
    blob->Write(position, count, source);
  }
  recBuf[FDataSize + fieldNo - 1] = 0;
}

void TData::TruncateBlob(int fieldNo, uint8_t* recBuf, uint32_t size, bool raw) {
  TBlob* blob = GetBlob(fieldNo, recBuf);
  blob->EnableRollback();
  blob->Truncate(blob->IsUnicode() && !raw ? blob->TranslatePosition(size) : size);
  if (size == 0) recBuf[FDataSize + fieldNo - 1] = 1;
}

uint32_t TData::GetBlobSizeInGeneral(int fieldNo, uint8_t* recBuf, bool raw, bool useRollback) {
  if (IsNullField(fieldNo, recBuf)) return 0;
  TBlob* blob = GetBlob(fieldNo, recBuf);
  ReadRollbackScope scope(blob, useRollback);
  return blob->IsUnicode() && !raw ? blob->GetSizeUni() : blob->GetSize();
}

void TData::SetBlobSize(int fieldNo, uint8_t* recBuf, uint32_t size, bool raw, bool useRollback) {
  recBuf[FDataSize + FieldOf(fieldNo)->FieldNo() - 1] = 0;
  TBlob* blob = GetBlob(fieldNo, recBuf);
  ReadRollbackScope scope(blob, useRollback);
  if (!blob->IsUnicode() || raw) {
    blob->SetSize(size);
    return;
  }
  const uint32_t ansiSize = blob->GetSizeUni();
  if (size > ansiSize)
    blob->SetSize(blob->GetSize() + 2 * (size - ansiSize));
  else
    blob->SetSize(blob->TranslatePosition(size));
}
