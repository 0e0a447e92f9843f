// TDateTimeField, TDateField, TTimeField and TBooleanField.
#include <algorithm>
#include <cstring>

#include "platform/db/DBConsts.h"
#include "platform/db/FieldsDateTime.h"
#include "platform/db/FieldsNumeric.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/TextCompare.h"

// ---- Dates and times.

TDateTimeField::TDateTimeField(TComponent* owner) : TField(owner) { SetDataType(ftDateTime); }

TDateField::TDateField(TComponent* owner) : TDateTimeField(owner) { SetDataType(ftDate); }

TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner) { SetDataType(ftTime); }

void TDateTimeField::SetDisplayFormat(const String& value) {
  if (value == FDisplayFormat) return;
  FDisplayFormat = value;
  PropertyChanged(false);
}

int TDateTimeField::GetDataSize() const {
  return DataType() == ftDate || DataType() == ftTime ? 4 : 8;
}

int TDateTimeField::GetDefaultWidth() const {
  if (DataType() == ftDate) return 10;
  if (DataType() == ftTime) return 8;
  return 18;
}

bool TDateTimeField::GetValue(TDateTime& value) { return GetData(&value, false); }

TDateTime TDateTimeField::GetAsDateTime() {
  TDateTime value;
  return GetValue(value) ? value : 0.0;
}

double TDateTimeField::GetAsFloat() { return GetAsDateTime(); }

String TDateTimeField::GetAsString() {
  String text;
  GetText(text, false);
  return text;
}

Variant TDateTimeField::GetAsVariant() {
  TDateTime value;
  return GetValue(value) ? Variant::FromDate(value) : Variant::Null();
}

void TDateTimeField::GetText(String& text, bool displayText) {
  TDateTime value;
  if (!GetValue(value)) {
    text.clear();
    return;
  }
  String format;
  if (displayText && !FDisplayFormat.empty())
    format = FDisplayFormat;
  else if (DataType() == ftDate)
    format = FormatSettings().ShortDateFormat;
  else if (DataType() == ftTime)
    format = FormatSettings().LongTimeFormat;
  // An empty format is the short date followed by the long time unless it is midnight.
  text = FormatDateTime(format, value);
}

void TDateTimeField::SetAsDateTime(TDateTime value) { SetData(&value, false); }

void TDateTimeField::SetAsFloat(double value) { SetAsDateTime(value); }

void TDateTimeField::SetAsString(const String& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  // A text that is no date raises the runtime's conversion error.
  if (DataType() == ftDate)
    SetAsDateTime(StrToDate(value));
  else if (DataType() == ftTime)
    SetAsDateTime(StrToTime(value));
  else
    SetAsDateTime(StrToDateTime(value));
}

void TDateTimeField::SetVarValue(const Variant& value) {
  if (VarIsStr(value))
    SetAsString(value.AsString());
  else
    SetAsDateTime(value.AsDateTime());
}

// ---- TBooleanField.

TBooleanField::TBooleanField(TComponent* owner)
    : TField(owner), FTextTrue(STextTrue), FTextFalse(STextFalse) {
  SetDataType(ftBoolean);
}

void TBooleanField::SetDisplayValues(const String& value) {
  if (value == FDisplayValues) return;
  FDisplayValues = value;
  if (value.empty()) {
    FTextTrue = STextTrue;
    FTextFalse = STextFalse;
  } else {
    size_t separator = value.find(u';');
    FTextTrue = value.substr(0, separator);
    FTextFalse = separator == String::npos ? String() : value.substr(separator + 1);
  }
  PropertyChanged(true);
}

int TBooleanField::GetDefaultWidth() const {
  return static_cast<int>(std::max(FTextTrue.size(), FTextFalse.size()));
}

bool TBooleanField::GetAsBoolean() {
  uint16_t value;
  return GetData(&value) && value != 0;
}

String TBooleanField::GetAsString() {
  uint16_t value;
  if (!GetData(&value)) return String();
  return value != 0 ? FTextTrue : FTextFalse;
}

void TBooleanField::GetText(String& text, bool) { text = GetAsString(); }

Variant TBooleanField::GetAsVariant() {
  uint16_t value;
  return GetData(&value) ? Variant(value != 0) : Variant::Null();
}

void TBooleanField::SetAsBoolean(bool value) {
  uint16_t stored = value ? 1 : 0;
  SetData(&stored);
}

void TBooleanField::SetAsString(const String& value) {
  if (value.empty()) {
    // Blank text is a value only when one of the names is blank.
    if (FTextFalse.empty())
      SetAsBoolean(false);
    else if (FTextTrue.empty())
      SetAsBoolean(true);
    else
      Clear();
    return;
  }
  // Any leading part of a name will do, "t" or "TR" for True.
  auto starts = [&value](const String& name) {
    return value.size() <= name.size() &&
           AnsiSameText(value, std::u16string_view(name).substr(0, value.size()));
  };
  if (starts(FTextFalse))
    SetAsBoolean(false);
  else if (starts(FTextTrue))
    SetAsBoolean(true);
  else
    DatabaseErrorFmt(SInvalidBoolValue, {value, DisplayName()});
}

void TBooleanField::SetVarValue(const Variant& value) {
  if (VarIsStr(value))
    SetAsString(value.AsString());
  else
    SetAsBoolean(value.AsBoolean());
}
