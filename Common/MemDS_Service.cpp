// The dataset service and updater bases: field classes, numeric ranges and the per-field XML
// forms of the rowset schema.
#include <cmath>
#include <cstdint>
#include <limits>

#include "Common/LxXml.h"
#include "Common/MemDS.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StrUtils.h"

namespace {

constexpr char16_t SDataTypeNotSupported[] = u"Data type is not supported";

// 10^n - 1, or the largest value of T when that does not fit.
template <class T>
T NinesOf(int digits) {
  const int limit = std::numeric_limits<T>::digits10;
  if (digits > limit) return std::numeric_limits<T>::max();
  T value = 1;
  for (int i = 0; i < digits; ++i) value *= 10;
  return value - 1;
}

String HexOf(const TBytes& bytes) {
  static const char16_t digits[] = u"0123456789ABCDEF";
  String text;
  text.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

// A number's text with the locale's decimal separator replaced by a full stop.
String WithPoint(String text) {
  const char16_t separator = FormatSettings().DecimalSeparator;
  if (separator != u'.')
    for (char16_t& c : text)
      if (c == separator) c = u'.';
  return text;
}

// Formats with blank-padded fields, then pads with zeros as the rowset writes it.
String ZeroPadded(const String& format, int a, const String& s1, int b, const String& s2, int c) {
  String text = Format(format, {a, s1, b, s2, c});
  for (char16_t& ch : text)
    if (ch == u' ') ch = u'0';
  return text;
}

String TimeText(TDateTime value) {
  uint16_t h, n, s, ms;
  DecodeTime(value, h, n, s, ms);
  return ZeroPadded(u"%2d%s%2d%s%2d", h, u":", n, u":", s);
}

}  // namespace

// ---- TDataSetUpdater.

TDataSetUpdater::TDataSetUpdater(TDataSetService* service) : FDataSetService(service) {
  RTL_ASSERT(service != nullptr, u"DataSetService must not be nil");
  FDataSet = service->DataSet();
}

// ---- TDataSetService.

TDataSetService::TDataSetService(TMemDataSet* dataSet) : FDataSet(dataSet) {}

TDataSetService::~TDataSetService() = default;

void TDataSetService::CreateUpdater() {
  ReplaceUpdater(std::make_unique<TDataSetUpdater>(this));
}

void TDataSetService::ReplaceUpdater(std::unique_ptr<TDataSetUpdater> updater) {
  FUpdater = std::move(updater);
}

TFieldClass TDataSetService::GetFieldClass(TFieldType fieldType) {
  return DefaultFieldClass(fieldType);
}

void TDataSetService::SetNumberFieldRange(TFieldDef* fieldDef) {
  const TFieldType type = fieldDef->DataType();
  if (type != ftSmallint && type != ftInteger && type != ftFloat && type != ftLargeint) return;
  TField* field = FDataSet->FindField(fieldDef->Name());
  if (!field) return;
  FDataSet->CheckFieldCompatibility(field, fieldDef);
  TFieldDesc* desc = FDataSet->Data()->FindField(fieldDef->Name());
  if (!desc) return;
  const int length = desc->Length();
  const int scale = desc->Scale();
  switch (type) {
    case ftSmallint:
    case ftInteger: {
      auto* intField = dynamic_cast<TIntegerField*>(field);
      RTL_ASSERT(intField != nullptr, u"Field " + field->FieldName() + u" is not an integer field");
      const int32_t max = NinesOf<int32_t>(length);
      intField->SetMaxValue(max);
      intField->SetMinValue(-max);
      break;
    }
    case ftLargeint: {
      auto* largeField = dynamic_cast<TLargeintField*>(field);
      RTL_ASSERT(largeField != nullptr,
                 u"Field " + field->FieldName() + u" is not a large integer field");
      const int64_t max = NinesOf<int64_t>(length);
      largeField->SetMaxValue(max);
      largeField->SetMinValue(-max);
      break;
    }
    default: {
      auto* floatField = dynamic_cast<TFloatField*>(field);
      RTL_ASSERT(floatField != nullptr, u"Field " + field->FieldName() + u" is not a float field");
      if (length < 1 || length > 15) break;
      floatField->SetPrecision(length);
      const double max = std::pow(10.0, length - scale) - std::pow(10.0, -scale);
      floatField->SetMaxValue(max);
      floatField->SetMinValue(-max);
      break;
    }
  }
}

void TDataSetService::WriteFieldXMLDataType(TField* field, TFieldDesc* fieldDesc,
                                            XmlTextWriter& writer) {
  const String length = IntToStr(fieldDesc->Length());
  const String scale = IntToStr(fieldDesc->Scale());
  const String size = IntToStr(fieldDesc->Size());
  const bool longBlob = field->IsBlob() && !fieldDesc->Fixed();
  const TDataTypeCode code = fieldDesc->DataType();
  auto dt = [&writer](const String& name, const String& value) {
    writer.WriteAttributeString(u"dt", name, value);
  };
  auto rs = [&writer](const String& name, const String& value) {
    writer.WriteAttributeString(u"rs", name, value);
  };
  switch (code) {
    case dtUnknown: case dtVariant:
      dt(u"type", u"string");
      break;
    case dtInt8:
      dt(u"type", u"i1"); dt(u"maxLength", size); rs(u"precision", length);
      break;
    case dtSmallint:
      dt(u"type", u"i2"); dt(u"maxLength", size); rs(u"precision", u"5");
      break;
    case dtInteger:
      dt(u"type", u"int"); dt(u"maxLength", size); rs(u"precision", u"10");
      break;
    case dtFloat:
      if (fieldDesc->Length() > 7) {
        dt(u"type", u"float"); dt(u"maxLength", size);
      } else {
        dt(u"type", u"r4"); dt(u"maxLength", u"4");
      }
      rs(u"precision", length);
      break;
    case dtDate:
      dt(u"type", u"date"); dt(u"maxLength", size); rs(u"scale", scale); rs(u"precision", length);
      break;
    case dtTime:
      dt(u"type", u"time"); dt(u"maxLength", size); rs(u"scale", scale); rs(u"precision", length);
      break;
    case dtDateTime:
      dt(u"type", u"datetime"); rs(u"dbtype", u"variantdate"); dt(u"maxLength", size);
      rs(u"scale", scale); rs(u"precision", length);
      break;
    case dtWord:
      dt(u"type", u"ui2"); dt(u"maxLength", size); rs(u"precision", length);
      break;
    case dtBoolean:
      dt(u"type", u"boolean"); dt(u"maxLength", size);
      break;
    case dtLargeint:
      dt(u"type", u"i8"); dt(u"maxLength", size); rs(u"precision", u"19");
      break;
    case dtCurrency: case dtBCD:
      dt(u"type", u"number"); rs(u"dbtype", u"currency"); dt(u"maxLength", size);
      rs(u"precision", length);
      break;
    case dtBlob: case dtBytes: case dtVarBytes: case dtExtVarBytes:
      dt(u"type", u"bin.hex");
      dt(u"maxLength", code == dtBlob ? String(u"2147483647") : length);
      if (longBlob) rs(u"long", u"true");
      break;
    case dtUInt32:
      dt(u"type", u"ui4"); dt(u"maxLength", size); rs(u"precision", length);
      break;
    case dtFMTBCD:
      dt(u"type", u"number"); rs(u"dbtype", u"numeric"); dt(u"maxLength", size);
      rs(u"scale", scale); rs(u"precision", length);
      break;
    case dtGuid:
      dt(u"type", u"uuid"); dt(u"maxLength", u"16");
      break;
    case dtString: case dtMemo: case dtExtString: case dtWideString: case dtExtWideString:
    case dtWideMemo:
      dt(u"type", u"string");
      dt(u"maxLength",
         code == dtMemo || code == dtWideMemo ? String(u"2147483647") : length);
      if (code != dtWideString && code != dtExtWideString && code != dtWideMemo)
        rs(u"dbtype", u"str");
      if (longBlob) rs(u"long", u"true");
      break;
    default:  // object, reference, array, table and codes without an XML form
      DatabaseError(SDataTypeNotSupported);
  }
  if (fieldDesc->Fixed() && code != dtUnknown && code != dtVariant)
    rs(u"fixedlength", u"true");
  if (field->Required() && !field->ReadOnly()) rs(u"maybenull", u"false");
}

void TDataSetService::WriteFieldXMLAttributes(TField* field, TFieldDesc* fieldDesc,
                                              XmlTextWriter& writer, const String& name) {
  if (!name.empty()) {
    writer.WriteAttribute(u"name", name);
    writer.WriteAttributeString(u"rs", u"name", fieldDesc->Name());
  } else {
    writer.WriteAttribute(u"name", fieldDesc->Name());
  }
  writer.WriteAttributeString(u"rs", u"number", IntToStr(fieldDesc->FieldNo()));
  if (!field->Required() && !field->ReadOnly())
    writer.WriteAttributeString(u"rs", u"nullable", u"true");
  if (!field->ReadOnly()) writer.WriteAttributeString(u"rs", u"writeunknown", u"true");
  if (!fieldDesc->SourceName().empty())
    writer.WriteAttributeString(u"rs", u"basecolumn", fieldDesc->SourceName());
  if (fieldDesc->IsKey()) writer.WriteAttributeString(u"rs", u"keycolumn", u"true");
  TFieldDesc* own = FDataSet->GetFieldDesc(field);
  if (own && own->IsAutoIncrement())
    writer.WriteAttributeString(u"rs", u"autoincrement", u"true");
}

String TDataSetService::GetFieldXMLValue(TField* field, TFieldDesc* fieldDesc) {
  switch (fieldDesc->DataType()) {
    case dtInt8: case dtSmallint: case dtInteger: case dtWord: case dtLargeint: case dtUInt32:
      return field->AsString();
    case dtFloat:
      return WithPoint(FloatToStr(field->AsFloat()));
    case dtDate: case dtDateTime: {
      const TDateTime value = field->AsDateTime();
      uint16_t y, m, d;
      DecodeDate(value, y, m, d);
      return ZeroPadded(u"%4d%s%2d%s%2d", y, u"-", m, u"-", d) + u"T" + TimeText(value);
    }
    case dtTime:
      return TimeText(field->AsDateTime());
    case dtBoolean:
      return field->AsBoolean() ? String(STextTrue) : String(STextFalse);
    case dtCurrency: case dtBCD:
      return WithPoint(CurrToStr(field->AsCurrency()));
    case dtBlob: {
      TBlob* blob = FDataSet->GetBlob(field);
      return blob ? HexOf(blob->GetAsBytes()) : String();
    }
    case dtBytes: case dtVarBytes: case dtExtVarBytes:
      return HexOf(field->AsBytes());
    case dtFMTBCD:
      return BcdToStr(field->AsBCD());
    default:
      return field->DataType() == ftWideString ? field->AsWideString() : field->AsString();
  }
}

bool TDataSetService::SetProp(int32_t prop, const Variant&) {
  RTL_ASSERT(false, u"Unknown property " + IntToStr(prop));
  return false;
}

bool TDataSetService::GetProp(int32_t prop, Variant&) {
  RTL_ASSERT(false, u"Unknown property " + IntToStr(prop));
  return false;
}
