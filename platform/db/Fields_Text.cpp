// TStringField, TWideStringField and TGuidField.
#include <cstring>
#include <vector>

#include "platform/db/DBConsts.h"
#include "platform/db/FieldsText.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// The longest start of the UTF-8 text that fits the bytes without splitting a character.
size_t Utf8Prefix(const AnsiString& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  size_t end = maxBytes;
  // Step back over continuation bytes to the start of the character that does not fit.
  while (end > 0 && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) --end;
  return end;
}

// Text as a string field reads it for the typed accessors: blank for null, a Boolean from its
// first letter (T or Y is true).
bool TextToBoolean(const String& text) {
  if (text.empty()) return false;
  char16_t c = text[0];
  return c == u'T' || c == u't' || c == u'Y' || c == u'y';
}

}  // namespace

// ---- TStringField.

TStringField::TStringField(TComponent* owner) : TField(owner) {
  SetDataType(ftString);
  SetSizeValue(20);
}

void TStringField::SetFixedChar(bool value) {
  FFixedChar = value;
  SetDataType(value ? ftFixedChar : ftString);
}

void TStringField::SetFieldType(TFieldType value) {
  if (value == ftString || value == ftFixedChar) SetFixedChar(value == ftFixedChar);
}

int TStringField::GetDataSize() const { return Size() + 1; }

void TStringField::CheckTypeSize(int value) {
  if (value < 0) DatabaseError(SInvalidFieldSize);
}

bool TStringField::IsValidChar(char16_t) { return true; }

bool TStringField::GetValue(AnsiString& value) {
  std::vector<char> buffer(GetDataSize() + 1, '\0');
  if (!GetData(buffer.data())) return false;
  value.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
  return true;
}

AnsiString TStringField::GetAsAnsiString() {
  AnsiString value;
  return GetValue(value) ? value : AnsiString();
}

String TStringField::GetAsString() { return UTF8ToString(GetAsAnsiString()); }

Variant TStringField::GetAsVariant() {
  AnsiString value;
  if (!GetValue(value)) return Variant::Null();
  return Variant(value);
}

int32_t TStringField::GetAsInteger() { return IsNull() ? 0 : StrToInt(GetAsString()); }
int64_t TStringField::GetAsLargeInt() { return IsNull() ? 0 : StrToInt64(GetAsString()); }
double TStringField::GetAsFloat() { return IsNull() ? 0.0 : StrToFloat(GetAsString()); }
bool TStringField::GetAsBoolean() { return TextToBoolean(GetAsString()); }
TDateTime TStringField::GetAsDateTime() { return IsNull() ? 0.0 : StrToDateTime(GetAsString()); }

void TStringField::SetAsAnsiString(const AnsiString& value) {
  std::vector<char> buffer(GetDataSize(), '\0');
  size_t length = Utf8Prefix(value, static_cast<size_t>(Size()));
  std::memcpy(buffer.data(), value.data(), length);
  SetData(buffer.data());
}

void TStringField::SetAsString(const String& value) { SetAsAnsiString(UTF8Encode(value)); }
void TStringField::SetAsInteger(int32_t value) { SetAsString(IntToStr(value)); }
void TStringField::SetAsLargeInt(int64_t value) { SetAsString(IntToStr(value)); }
void TStringField::SetAsFloat(double value) { SetAsString(FloatToStr(value)); }
void TStringField::SetAsBoolean(bool value) { SetAsString(value ? u"T" : u"F"); }
void TStringField::SetAsDateTime(TDateTime value) { SetAsString(DateTimeToStr(value)); }

void TStringField::SetVarValue(const Variant& value) {
  if (value.VarType() == varString)
    SetAsAnsiString(value.AsAnsiString());
  else
    SetAsString(value.AsString());
}

// ---- TWideStringField.

TWideStringField::TWideStringField(TComponent* owner) : TField(owner) {
  SetDataType(ftWideString);
  SetSizeValue(20);
}

void TWideStringField::SetFixedChar(bool value) {
  FFixedChar = value;
  SetDataType(value ? ftFixedWideChar : ftWideString);
}

void TWideStringField::SetFieldType(TFieldType value) {
  if (value == ftWideString || value == ftFixedWideChar) SetFixedChar(value == ftFixedWideChar);
}

int TWideStringField::GetDataSize() const { return (Size() + 1) * 2; }

void TWideStringField::CheckTypeSize(int value) {
  if (value < 0) DatabaseError(SInvalidFieldSize);
}

bool TWideStringField::IsValidChar(char16_t) { return true; }

bool TWideStringField::GetValue(String& value) { return GetData(&value, false); }

String TWideStringField::GetAsWideString() {
  String value;
  return GetValue(value) ? value : String();
}

String TWideStringField::GetAsString() { return GetAsWideString(); }

Variant TWideStringField::GetAsVariant() {
  String value;
  if (!GetValue(value)) return Variant::Null();
  return Variant(std::move(value));
}

int32_t TWideStringField::GetAsInteger() { return IsNull() ? 0 : StrToInt(GetAsString()); }
int64_t TWideStringField::GetAsLargeInt() { return IsNull() ? 0 : StrToInt64(GetAsString()); }
double TWideStringField::GetAsFloat() { return IsNull() ? 0.0 : StrToFloat(GetAsString()); }
bool TWideStringField::GetAsBoolean() { return TextToBoolean(GetAsString()); }
TDateTime TWideStringField::GetAsDateTime() {
  return IsNull() ? 0.0 : StrToDateTime(GetAsString());
}

void TWideStringField::SetAsWideString(const String& value) { SetData(&value, false); }
void TWideStringField::SetAsString(const String& value) { SetAsWideString(value); }
void TWideStringField::SetAsInteger(int32_t value) { SetAsString(IntToStr(value)); }
void TWideStringField::SetAsLargeInt(int64_t value) { SetAsString(IntToStr(value)); }
void TWideStringField::SetAsFloat(double value) { SetAsString(FloatToStr(value)); }
void TWideStringField::SetAsBoolean(bool value) { SetAsString(value ? u"T" : u"F"); }
void TWideStringField::SetAsDateTime(TDateTime value) { SetAsString(DateTimeToStr(value)); }
void TWideStringField::SetVarValue(const Variant& value) { SetAsWideString(value.AsString()); }

// ---- TGuidField.

TGuidField::TGuidField(TComponent* owner) : TStringField(owner) {
  SetDataType(ftGuid);
  SetSizeValue(38);
}

void TGuidField::CheckTypeSize(int value) {
  if (value != 38) DatabaseError(SInvalidFieldSize);
}
