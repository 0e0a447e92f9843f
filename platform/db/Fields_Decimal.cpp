// TBCDField (exact decimals held as Currency) and TFMTBCDField (held as TBcd).
#include <cmath>

#include "platform/db/DBConsts.h"
#include "platform/db/FieldsNumeric.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumberText.h"

namespace {

// The currency rounded half to even to a whole number.
int64_t RoundCurrency(Currency value) {
  int64_t raw = value.Raw();
  int64_t whole = raw / Currency::Scale;
  int64_t rest = raw % Currency::Scale;
  int64_t half = Currency::Scale / 2;
  if (rest > half || (rest == half && (whole & 1)))
    ++whole;
  else if (rest < -half || (rest == -half && (whole & 1)))
    --whole;
  return whole;
}

}  // namespace

// ---- TBCDField.

TBCDField::TBCDField(TComponent* owner) : TNumericField(owner) {
  SetDataType(ftBCD);
  SetSizeValue(4);
}

void TBCDField::SetCurrency(bool value) {
  if (value == FCurrency) return;
  FCurrency = value;
  PropertyChanged(false);
}

void TBCDField::CheckTypeSize(int value) {
  if (value < 0 || value > 4) DatabaseError(SInvalidFieldSize);
}

int TBCDField::GetDefaultWidth() const {
  return Precision() > 0 ? Precision() + 2 : TNumericField::GetDefaultWidth();
}

bool TBCDField::GetValue(::Currency& value) { return GetData(&value, false); }

::Currency TBCDField::GetAsCurrency() {
  ::Currency value;
  return GetValue(value) ? value : ::Currency();
}

double TBCDField::GetAsFloat() { return GetAsCurrency().ToDouble(); }

int64_t TBCDField::GetAsLargeInt() { return RoundCurrency(GetAsCurrency()); }

int32_t TBCDField::GetAsInteger() {
  int64_t value = GetAsLargeInt();
  if (value < INT32_MIN || value > INT32_MAX) DatabaseErrorFmt(SFieldOutOfRange, {DisplayName()});
  return static_cast<int32_t>(value);
}

TBcd TBCDField::GetAsBCD() {
  TBcd bcd = NullBcd;
  ::Currency value;
  if (GetValue(value)) CurrToBCD(value, bcd);
  return bcd;
}

String TBCDField::GetAsString() {
  ::Currency value;
  return GetValue(value) ? CurrToStr(value) : String();
}

Variant TBCDField::GetAsVariant() {
  ::Currency value;
  return GetValue(value) ? Variant(value) : Variant::Null();
}

void TBCDField::GetText(String& text, bool displayText) {
  ::Currency value;
  if (!GetValue(value)) {
    text.clear();
    return;
  }
  const String& format = TextFormat(displayText);
  if (!format.empty())
    text = FormatFloat(format, value.ToDouble());
  else if (FCurrency)
    text = FloatToStrF(value.ToDouble(), displayText ? ffCurrency : ffFixed, 18,
                       FormatSettings().CurrencyDecimals);
  else
    text = CurrToStr(value);
}

void TBCDField::SetAsCurrency(::Currency value) {
  if ((FMinValue != ::Currency() || FMaxValue != ::Currency()) &&
      (value < FMinValue || value > FMaxValue))
    RangeError(value.ToDouble(), FMinValue.ToDouble(), FMaxValue.ToDouble());
  SetData(&value, false);
}

void TBCDField::SetAsFloat(double value) {
  ::Currency c;
  if (!TryFloatToCurr(value, c)) DatabaseErrorFmt(SFieldOutOfRange, {DisplayName()});
  SetAsCurrency(c);
}

void TBCDField::SetAsInteger(int32_t value) { SetAsCurrency(::Currency(int64_t{value})); }
void TBCDField::SetAsLargeInt(int64_t value) { SetAsCurrency(::Currency(value)); }

void TBCDField::SetAsBCD(const TBcd& value) {
  ::Currency c;
  if (!BCDToCurr(value, c)) DatabaseErrorFmt(SFieldOutOfRange, {DisplayName()});
  SetAsCurrency(c);
}

void TBCDField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  ::Currency parsed;
  if (!TryStrToCurr(value, parsed)) DatabaseErrorFmt(SInvalidFloatValue, {value, DisplayName()});
  SetAsCurrency(parsed);
}

void TBCDField::SetVarValue(const Variant& value) {
  if (VarIsStr(value))
    SetAsString(value.AsString());
  else
    SetAsCurrency(value.AsCurrency());
}

// ---- TFMTBCDField.

TFMTBCDField::TFMTBCDField(TComponent* owner) : TNumericField(owner) {
  SetDataType(ftFMTBcd);
  SetSizeValue(8);
  SetPrecisionValue(15);
}

void TFMTBCDField::SetCurrency(bool value) {
  if (value == FCurrency) return;
  FCurrency = value;
  PropertyChanged(false);
}

void TFMTBCDField::CheckTypeSize(int value) {
  if (value < 0 || value > MaxFMTBcdPlaces) DatabaseError(SInvalidFieldSize);
}

int TFMTBCDField::GetDefaultWidth() const {
  return Precision() > 0 ? Precision() + 2 : TNumericField::GetDefaultWidth();
}

bool TFMTBCDField::GetValue(TBcd& value) { return GetData(&value); }

TBcd TFMTBCDField::GetAsBCD() {
  TBcd value;
  return GetValue(value) ? value : NullBcd;
}

double TFMTBCDField::GetAsFloat() {
  TBcd value;
  return GetValue(value) ? BcdToDouble(value) : 0.0;
}

::Currency TFMTBCDField::GetAsCurrency() {
  TBcd value;
  ::Currency c;
  if (!GetValue(value)) return c;
  if (!BCDToCurr(value, c)) DatabaseErrorFmt(SFieldOutOfRange, {DisplayName()});
  return c;
}

int64_t TFMTBCDField::GetAsLargeInt() {
  TBcd value;
  if (!GetValue(value)) return 0;
  try {
    return BcdToInt64(value);
  } catch (const EBcdException&) {
    DatabaseErrorFmt(SFieldOutOfRange, {DisplayName()});
  }
}

int32_t TFMTBCDField::GetAsInteger() {
  int64_t value = GetAsLargeInt();
  if (value < INT32_MIN || value > INT32_MAX) DatabaseErrorFmt(SFieldOutOfRange, {DisplayName()});
  return static_cast<int32_t>(value);
}

String TFMTBCDField::GetAsString() {
  TBcd value;
  return GetValue(value) ? BcdToStr(value) : String();
}

Variant TFMTBCDField::GetAsVariant() {
  TBcd value;
  return GetValue(value) ? VarFMTBcdCreate(value) : Variant::Null();
}

void TFMTBCDField::GetText(String& text, bool displayText) {
  TBcd value;
  if (!GetValue(value)) {
    text.clear();
    return;
  }
  const String& format = TextFormat(displayText);
  if (!format.empty())
    text = FormatFloat(format, BcdToDouble(value));
  else if (FCurrency)
    text = FloatToStrF(BcdToDouble(value), displayText ? ffCurrency : ffFixed, 18,
                       FormatSettings().CurrencyDecimals);
  else
    text = BcdToStr(value);
}

void TFMTBCDField::SetAsBCD(const TBcd& value) {
  TBcd low, high;
  if (!FMinValue.empty() && TryStrToBcd(FMinValue, low) && !FMaxValue.empty() &&
      TryStrToBcd(FMaxValue, high) &&
      (BcdCompare(value, low) < 0 || BcdCompare(value, high) > 0))
    DatabaseErrorFmt(SBcdFieldRangeError, {BcdToStr(value), DisplayName(), FMinValue, FMaxValue});
  SetData(&value);
}

void TFMTBCDField::SetAsCurrency(::Currency value) {
  TBcd bcd;
  CurrToBCD(value, bcd);
  SetAsBCD(bcd);
}

void TFMTBCDField::SetAsFloat(double value) {
  if (!std::isfinite(value)) DatabaseErrorFmt(SFieldOutOfRange, {DisplayName()});
  SetAsBCD(DoubleToBcd(value));
}

void TFMTBCDField::SetAsInteger(int32_t value) { SetAsBCD(IntegerToBcd(value)); }
void TFMTBCDField::SetAsLargeInt(int64_t value) { SetAsBCD(Int64ToBcd(value)); }

void TFMTBCDField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  TBcd parsed;
  if (!TryStrToBcd(value, parsed)) DatabaseErrorFmt(SInvalidFloatValue, {value, DisplayName()});
  SetAsBCD(parsed);
}

void TFMTBCDField::SetVarValue(const Variant& value) {
  if (VarIsStr(value))
    SetAsString(value.AsString());
  else
    SetAsBCD(value.AsBcd());
}
