// TNumericField and the integer and float fields.
#include <cmath>
#include <cstring>

#include "platform/db/DBConsts.h"
#include "platform/db/FieldsNumeric.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/RtlMath.h"

namespace {

// The double rounded half to even, as a 64-bit integer; false when it does not fit.
bool RoundToInt64(double value, int64_t& result) {
  if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) return false;
  result = Round(value);
  return true;
}

}  // namespace

// ---- TNumericField.

TNumericField::TNumericField(TComponent* owner) : TField(owner) {
  SetAlignmentValue(taRightJustify);
}

void TNumericField::SetDisplayFormat(const String& value) {
  if (value == FDisplayFormat) return;
  FDisplayFormat = value;
  PropertyChanged(false);
}

void TNumericField::SetEditFormat(const String& value) {
  if (value == FEditFormat) return;
  FEditFormat = value;
  PropertyChanged(false);
}

const String& TNumericField::TextFormat(bool displayText) const {
  return displayText || FEditFormat.empty() ? FDisplayFormat : FEditFormat;
}

bool TNumericField::IsValidChar(char16_t ch) {
  if ((ch >= u'0' && ch <= u'9') || ch == u'+' || ch == u'-') return true;
  if (!AllowsFraction()) return false;
  return ch == FormatSettings().DecimalSeparator || ch == u'E' || ch == u'e';
}

// ---- TIntegerField and its narrower kinds.

TIntegerField::TIntegerField(TComponent* owner) : TNumericField(owner) {
  SetDataType(ftInteger);
  SetRange(INT32_MIN, INT32_MAX);
}

void TIntegerField::SetRange(int64_t low, int64_t high) {
  FMinRange = low;
  FMaxRange = high;
}

void TIntegerField::SetMinValue(int32_t value) {
  FMinValue = value;
  PropertyChanged(false);
}

void TIntegerField::SetMaxValue(int32_t value) {
  FMaxValue = value;
  PropertyChanged(false);
}

int TIntegerField::GetDataSize() const {
  return DataType() == ftSmallint || DataType() == ftWord ? 2 : 4;
}

bool TIntegerField::GetValue(int32_t& value) {
  uint8_t buffer[8] = {};
  if (!GetData(buffer)) return false;
  if (DataType() == ftSmallint) {
    int16_t v;
    std::memcpy(&v, buffer, 2);
    value = v;
  } else if (DataType() == ftWord) {
    uint16_t v;
    std::memcpy(&v, buffer, 2);
    value = v;
  } else {
    std::memcpy(&value, buffer, 4);
  }
  return true;
}

int32_t TIntegerField::GetAsInteger() {
  int32_t value;
  return GetValue(value) ? value : 0;
}

int64_t TIntegerField::GetAsLargeInt() { return GetAsInteger(); }
double TIntegerField::GetAsFloat() { return GetAsInteger(); }

String TIntegerField::GetAsString() {
  int32_t value;
  return GetValue(value) ? IntToStr(value) : String();
}

Variant TIntegerField::GetAsVariant() {
  int32_t value;
  if (!GetValue(value)) return Variant::Null();
  if (DataType() == ftSmallint) return Variant(static_cast<int16_t>(value));
  if (DataType() == ftWord) return Variant(static_cast<uint16_t>(value));
  return Variant(value);
}

void TIntegerField::GetText(String& text, bool displayText) {
  int32_t value;
  if (!GetValue(value)) {
    text.clear();
    return;
  }
  const String& format = TextFormat(displayText);
  text = format.empty() ? IntToStr(value) : FormatFloat(format, value);
}

void TIntegerField::SetAsLargeInt(int64_t value) {
  if (FMinValue != 0 || FMaxValue != 0) {
    if (value < FMinValue || value > FMaxValue)
      RangeError(static_cast<double>(value), FMinValue, FMaxValue);
  } else if (value < FMinRange || value > FMaxRange) {
    RangeError(static_cast<double>(value), static_cast<double>(FMinRange),
               static_cast<double>(FMaxRange));
  }
  uint8_t buffer[4];
  if (GetDataSize() == 2) {
    uint16_t v = static_cast<uint16_t>(value);
    std::memcpy(buffer, &v, 2);
  } else {
    int32_t v = static_cast<int32_t>(value);
    std::memcpy(buffer, &v, 4);
  }
  SetData(buffer);
}

void TIntegerField::SetAsInteger(int32_t value) { SetAsLargeInt(value); }

void TIntegerField::SetAsFloat(double value) {
  int64_t rounded;
  if (!RoundToInt64(value, rounded))
    RangeError(value, static_cast<double>(FMinRange), static_cast<double>(FMaxRange));
  SetAsLargeInt(rounded);
}

void TIntegerField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  int64_t parsed;
  if (!TryStrToInt64(value, parsed))
    DatabaseErrorFmt(SInvalidIntegerValue, {value, DisplayName()});
  SetAsLargeInt(parsed);
}

void TIntegerField::SetVarValue(const Variant& value) {
  if (VarIsStr(value))
    SetAsString(value.AsString());
  else if (VarIsFloat(value))
    SetAsFloat(value.AsDouble());
  else
    SetAsLargeInt(value.AsInt64());
}

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftSmallint);
  SetRange(INT16_MIN, INT16_MAX);
}

TWordField::TWordField(TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftWord);
  SetRange(0, UINT16_MAX);
}

TAutoIncField::TAutoIncField(TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftAutoInc);
  // The server numbers new records.
  SetReadOnly(true);
}

// ---- TLargeintField.

TLargeintField::TLargeintField(TComponent* owner) : TNumericField(owner) {
  SetDataType(ftLargeint);
}

void TLargeintField::SetMinValue(int64_t value) {
  FMinValue = value;
  PropertyChanged(false);
}

void TLargeintField::SetMaxValue(int64_t value) {
  FMaxValue = value;
  PropertyChanged(false);
}

bool TLargeintField::GetValue(int64_t& value) {
  uint8_t buffer[8];
  if (!GetData(buffer)) return false;
  std::memcpy(&value, buffer, 8);
  return true;
}

int64_t TLargeintField::GetAsLargeInt() {
  int64_t value;
  return GetValue(value) ? value : 0;
}

int32_t TLargeintField::GetAsInteger() {
  int64_t value = GetAsLargeInt();
  if (value < INT32_MIN || value > INT32_MAX) DatabaseErrorFmt(SFieldOutOfRange, {DisplayName()});
  return static_cast<int32_t>(value);
}

double TLargeintField::GetAsFloat() { return static_cast<double>(GetAsLargeInt()); }

String TLargeintField::GetAsString() {
  int64_t value;
  return GetValue(value) ? IntToStr(value) : String();
}

Variant TLargeintField::GetAsVariant() {
  int64_t value;
  return GetValue(value) ? Variant(value) : Variant::Null();
}

void TLargeintField::GetText(String& text, bool displayText) {
  int64_t value;
  if (!GetValue(value)) {
    text.clear();
    return;
  }
  const String& format = TextFormat(displayText);
  text = format.empty() ? IntToStr(value) : FormatFloat(format, static_cast<double>(value));
}

void TLargeintField::SetAsLargeInt(int64_t value) {
  if ((FMinValue != 0 || FMaxValue != 0) && (value < FMinValue || value > FMaxValue))
    RangeError(static_cast<double>(value), static_cast<double>(FMinValue),
               static_cast<double>(FMaxValue));
  SetData(&value);
}

void TLargeintField::SetAsInteger(int32_t value) { SetAsLargeInt(value); }

void TLargeintField::SetAsFloat(double value) {
  int64_t rounded;
  if (!RoundToInt64(value, rounded)) RangeError(value, -9.2233720368547758e18, 9.2233720368547758e18);
  SetAsLargeInt(rounded);
}

void TLargeintField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  int64_t parsed;
  if (!TryStrToInt64(value, parsed))
    DatabaseErrorFmt(SInvalidIntegerValue, {value, DisplayName()});
  SetAsLargeInt(parsed);
}

void TLargeintField::SetVarValue(const Variant& value) {
  if (VarIsStr(value))
    SetAsString(value.AsString());
  else if (VarIsFloat(value))
    SetAsFloat(value.AsDouble());
  else
    SetAsLargeInt(value.AsInt64());
}

// ---- TFloatField and TCurrencyField.

TFloatField::TFloatField(TComponent* owner) : TNumericField(owner) {
  SetDataType(ftFloat);
  SetPrecisionValue(15);
}

void TFloatField::SetCurrency(bool value) {
  if (value == FCurrency) return;
  FCurrency = value;
  PropertyChanged(false);
}

void TFloatField::SetPrecision(int value) {
  if (value < 2) value = 2;
  if (value > 15) value = 15;
  if (value == Precision()) return;
  SetPrecisionValue(value);
  PropertyChanged(false);
}

double TFloatField::GetAsFloat() {
  double value;
  return GetData(&value) ? value : 0.0;
}

int64_t TFloatField::GetAsLargeInt() {
  int64_t rounded;
  if (!RoundToInt64(GetAsFloat(), rounded)) DatabaseErrorFmt(SFieldOutOfRange, {DisplayName()});
  return rounded;
}

int32_t TFloatField::GetAsInteger() {
  int64_t value = GetAsLargeInt();
  if (value < INT32_MIN || value > INT32_MAX) DatabaseErrorFmt(SFieldOutOfRange, {DisplayName()});
  return static_cast<int32_t>(value);
}

String TFloatField::GetAsString() {
  double value;
  return GetData(&value) ? FloatToStr(value) : String();
}

Variant TFloatField::GetAsVariant() {
  double value;
  return GetData(&value) ? Variant(value) : Variant::Null();
}

void TFloatField::GetText(String& text, bool displayText) {
  double value;
  if (!GetData(&value)) {
    text.clear();
    return;
  }
  const String& format = TextFormat(displayText);
  if (!format.empty()) {
    text = FormatFloat(format, value);
  } else if (FCurrency) {
    text = FloatToStrF(value, displayText ? ffCurrency : ffFixed, Precision(),
                       FormatSettings().CurrencyDecimals);
  } else {
    text = FloatToStrF(value, ffGeneral, Precision(), 0);
  }
}

void TFloatField::SetAsFloat(double value) {
  if ((FMinValue != 0 || FMaxValue != 0) && (value < FMinValue || value > FMaxValue))
    RangeError(value, FMinValue, FMaxValue);
  SetData(&value);
}

void TFloatField::SetAsInteger(int32_t value) { SetAsFloat(value); }
void TFloatField::SetAsLargeInt(int64_t value) { SetAsFloat(static_cast<double>(value)); }

void TFloatField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  double parsed;
  if (!TryStrToFloat(value, parsed)) DatabaseErrorFmt(SInvalidFloatValue, {value, DisplayName()});
  SetAsFloat(parsed);
}

void TFloatField::SetVarValue(const Variant& value) {
  if (VarIsStr(value))
    SetAsString(value.AsString());
  else
    SetAsFloat(value.AsDouble());
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner) {
  SetDataType(ftCurrency);
  SetCurrency(true);
}
