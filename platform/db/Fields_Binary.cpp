// Byte fields and blob fields.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/FieldsBinary.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/UnicodeText.h"

namespace {

String BytesToText(const TBytes& bytes) {
  String text(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) text[i] = bytes[i];
  return text;
}

// The text form that BytesToText gives back turns into the same bytes, one a character. A text
// with a character no byte can carry is written as its UTF-8 bytes, as a blob, a binary column
// read as text and a parameter take text, instead of losing the high bits of each character.
TBytes TextToBytes(const String& text) {
  const bool oneBytePerChar =
      std::all_of(text.begin(), text.end(), [](char16_t c) { return c <= 0xFF; });
  if (!oneBytePerChar) {
    const AnsiString utf8 = UTF8Encode(text);
    return TBytes(utf8.begin(), utf8.end());
  }
  TBytes bytes(text.size());
  for (size_t i = 0; i < text.size(); ++i) bytes[i] = static_cast<uint8_t>(text[i]);
  return bytes;
}

}  // namespace

// ---- TBinaryField.

TBinaryField::TBinaryField(TComponent* owner) : TField(owner) { SetSizeValue(16); }

TBytesField::TBytesField(TComponent* owner) : TBinaryField(owner) { SetDataType(ftBytes); }

TVarBytesField::TVarBytesField(TComponent* owner) : TBinaryField(owner) {
  SetDataType(ftVarBytes);
}

void TBinaryField::CheckTypeSize(int value) {
  if (value <= 0 || value > 65535) DatabaseError(SInvalidFieldSize);
}

TBytes TBinaryField::GetAsBytes() {
  std::vector<uint8_t> buffer(GetDataSize());
  if (!GetData(buffer.data())) return TBytes();
  if (DataType() != ftVarBytes) return TBytes(buffer.begin(), buffer.end());
  uint16_t length;
  std::memcpy(&length, buffer.data(), 2);
  length = std::min<uint16_t>(length, static_cast<uint16_t>(Size()));
  return TBytes(buffer.begin() + 2, buffer.begin() + 2 + length);
}

void TBinaryField::SetAsBytes(const TBytes& value) {
  if (static_cast<int>(value.size()) > Size())
    DatabaseErrorFmt(SInvalidVarByteArray, {DisplayName()});
  std::vector<uint8_t> buffer(GetDataSize(), 0);
  if (DataType() == ftVarBytes) {
    uint16_t length = static_cast<uint16_t>(value.size());
    std::memcpy(buffer.data(), &length, 2);
    std::copy(value.begin(), value.end(), buffer.begin() + 2);
  } else {
    std::copy(value.begin(), value.end(), buffer.begin());
  }
  SetData(buffer.data());
}

String TBinaryField::GetAsString() { return BytesToText(GetAsBytes()); }

void TBinaryField::SetAsString(const String& value) { SetAsBytes(TextToBytes(value)); }

Variant TBinaryField::GetAsVariant() {
  if (IsNull()) return Variant::Null();
  return Variant(GetAsBytes());
}

void TBinaryField::SetVarValue(const Variant& value) {
  if (value.VarType() == (varArray | varByte))
    SetAsBytes(value.AsBytes());
  else if (VarIsStr(value))
    SetAsString(value.AsString());
  else
    DatabaseErrorFmt(SInvalidVarByteArray, {DisplayName()});
}

void TBinaryField::GetText(String& text, bool) { text = GetClassDesc(); }

// ---- Blob fields.

TBlobField::TBlobField(TComponent* owner) : TField(owner) { SetDataType(ftBlob); }

TMemoField::TMemoField(TComponent* owner) : TBlobField(owner) { SetDataType(ftMemo); }

TWideMemoField::TWideMemoField(TComponent* owner) : TBlobField(owner) {
  SetDataType(ftWideMemo);
}

TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner) { SetDataType(ftGraphic); }

namespace {

std::unique_ptr<TStream> OpenBlob(TField* field, TBlobStreamMode mode) {
  if (!field->DataSet()) DatabaseErrorFmt(SDataSetMissing, {field->DisplayName()});
  return field->DataSet()->CreateBlobStream(field, mode);
}

TBytes ReadAll(TField* field) {
  std::unique_ptr<TStream> stream = OpenBlob(field, bmRead);
  TBytes bytes;
  if (!stream) return bytes;
  bytes.resize(static_cast<size_t>(stream->Size()));
  stream->SetPosition(0);
  if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

void WriteAll(TField* field, const void* data, size_t size) {
  std::unique_ptr<TStream> stream = OpenBlob(field, bmWrite);
  if (!stream) DatabaseErrorFmt(SFieldReadOnly, {field->DisplayName()});
  if (size > 0) stream->WriteBuffer(data, static_cast<int32_t>(size));
}

}  // namespace

void TBlobField::SetBlobType(TFieldType value) { SetFieldType(value); }

void TBlobField::SetFieldType(TFieldType value) {
  if (IsBlobType(value)) SetDataType(value);
}

int TBlobField::BlobSize() {
  std::unique_ptr<TStream> stream = OpenBlob(this, bmRead);
  return stream ? static_cast<int>(stream->Size()) : 0;
}

void TBlobField::Clear() { OpenBlob(this, bmWrite); }

void TBlobField::LoadFromStream(TStream* stream) {
  std::unique_ptr<TStream> blob = OpenBlob(this, bmWrite);
  if (!blob) DatabaseErrorFmt(SFieldReadOnly, {DisplayName()});
  blob->CopyFrom(stream, 0);
}

void TBlobField::SaveToStream(TStream* stream) {
  std::unique_ptr<TStream> blob = OpenBlob(this, bmRead);
  if (blob && blob->Size() > 0) stream->CopyFrom(blob.get(), 0);
}

void TBlobField::LoadFromFile(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

void TBlobField::SaveToFile(const String& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(&file);
}

TBytes TBlobField::GetAsBytes() { return ReadAll(this); }

AnsiString TBlobField::GetAsAnsiString() {
  TBytes bytes = ReadAll(this);
  return AnsiString(bytes.begin(), bytes.end());
}

String TBlobField::GetAsString() { return UTF8ToString(GetAsAnsiString()); }

void TBlobField::SetAsBytes(const TBytes& value) { WriteAll(this, value.data(), value.size()); }

void TBlobField::SetAsAnsiString(const AnsiString& value) {
  WriteAll(this, value.data(), value.size());
}

void TBlobField::SetAsString(const String& value) {
  // The dataset may store the text without a stream and its UTF-8 copy; it says when it cannot.
  if (DataSet() && DataSet()->WriteBlobText(this, value)) return;
  SetAsAnsiString(UTF8Encode(value));
}

Variant TBlobField::GetAsVariant() {
  if (IsNull()) return Variant::Null();
  return Variant(GetAsBytes());
}

void TBlobField::SetVarValue(const Variant& value) {
  if (value.VarType() == (varArray | varByte))
    SetAsBytes(value.AsBytes());
  else if (value.VarType() == varString)
    SetAsAnsiString(value.AsAnsiString());
  else
    SetAsString(value.AsString());
}

void TBlobField::GetText(String& text, bool) { text = GetClassDesc(); }

Variant TMemoField::GetAsVariant() {
  if (IsNull()) return Variant::Null();
  return Variant(GetAsAnsiString());
}

String TWideMemoField::GetAsWideString() {
  TBytes bytes = ReadAll(this);
  String text(bytes.size() / 2, u'\0');
  if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * 2);
  return text;
}

String TWideMemoField::GetAsString() { return GetAsWideString(); }

void TWideMemoField::SetAsWideString(const String& value) {
  WriteAll(this, value.data(), value.size() * 2);
}

void TWideMemoField::SetAsString(const String& value) { SetAsWideString(value); }

Variant TWideMemoField::GetAsVariant() {
  if (IsNull()) return Variant::Null();
  return Variant(GetAsWideString());
}
