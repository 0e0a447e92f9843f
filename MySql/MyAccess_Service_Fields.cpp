// What a MySQL column's type tells about its field: the range of values it holds, and the
// rowset-schema attributes of the AUTO_INCREMENT and TIMESTAMP columns.
#include <cmath>
#include <cstdint>

#include "Common/LxXml.h"
#include "Common/MemDS.h"
#include "MySql/MyAccess_Service.h"
#include "MySql/MyCall.h"
#include "MySql/MyClasses_RecordSetFields.h"
#include "platform/db/Fields.h"
#include "platform/db/FieldsNumeric.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StrUtils.h"

namespace {

enum : uint32_t {
  MyDecimal = 0,
  MyTiny = 1,
  MyShort = 2,
  MyLong = 3,
  MyFloat = 4,
  MyDouble = 5,
  MyLongLong = 8,
  MyInt24 = 9,
  MyYear = 13,
  MyNewDecimal = 246
};

// min and max both 0 mean no limit to the field.
void SetIntegerRange(TField* field, int64_t min, int64_t max) {
  if (auto* intField = dynamic_cast<TIntegerField*>(field)) {
    intField->SetMinValue(static_cast<int32_t>(min));
    intField->SetMaxValue(static_cast<int32_t>(max));
  } else if (auto* largeField = dynamic_cast<TLargeintField*>(field)) {
    largeField->SetMinValue(min);
    largeField->SetMaxValue(max);
  }
}

TIntegerField* RequireIntegerField(TField* field) {
  auto* intField = dynamic_cast<TIntegerField*>(field);
  RTL_ASSERT(intField != nullptr, u"Field " + field->FieldName() + u" is not an integer field");
  return intField;
}

void SetFloatRange(TField* field, int precision, double max) {
  auto* floatField = dynamic_cast<TFloatField*>(field);
  if (floatField == nullptr) return;
  floatField->SetPrecision(precision);
  floatField->SetMaxValue(max);
  floatField->SetMinValue(-max);
}

// DECIMAL(p, s) holds up to p - s nines before the point and s after it.
void SetDecimalRange(TField* field, int precision, int scale) {
  int whole = precision > scale ? precision - scale : 0;
  String nines(static_cast<size_t>(whole == 0 ? 1 : whole), whole == 0 ? u'0' : u'9');
  if (scale > 0) nines += u"." + String(static_cast<size_t>(scale), u'9');
  const double max = std::pow(10.0, whole) - std::pow(10.0, -scale);
  if (auto* floatField = dynamic_cast<TFloatField*>(field)) {
    floatField->SetMaxValue(max);
    floatField->SetMinValue(-max);
  } else if (auto* bcdField = dynamic_cast<TBCDField*>(field)) {
    // Beyond what the fixed-point form holds no limit is needed.
    const double raw = std::round(max * 10000.0);
    Currency limit = raw >= 9.2e18 ? Currency::MaxValue()
                                   : Currency::FromRaw(static_cast<int64_t>(raw));
    bcdField->SetMaxValue(limit);
    bcdField->SetMinValue(-limit);
  } else if (auto* fmtField = dynamic_cast<TFMTBCDField*>(field)) {
    fmtField->SetMaxValue(nines);
    fmtField->SetMinValue(u"-" + nines);
  } else {
    RTL_ASSERT(false, u"Field " + field->FieldName() + u" is not a decimal field");
  }
}

}  // namespace

void TCustomMyDataSetService::SetNumberFieldRange(TFieldDef* fieldDef) {
  TField* field = DataSet()->FindField(fieldDef->Name());
  if (dynamic_cast<TNumericField*>(field) == nullptr) return;
  TData* data = DataSet()->Data();
  auto* desc = data != nullptr ? dynamic_cast<TMySQLFieldDesc*>(data->FindField(fieldDef->Name()))
                               : nullptr;
  if (desc == nullptr) return;
  const bool isUnsigned = desc->IsUnsigned();
  switch (desc->MySQLType()) {
    case MyDecimal:
    case MyNewDecimal:
      // The column's display length counts the point and, when signed, the sign too.
      SetDecimalRange(field,
                      desc->Length() - (desc->Scale() > 0 ? 1 : 0) - (isUnsigned ? 0 : 1),
                      desc->Scale());
      break;
    case MyTiny:
      SetIntegerRange(field, isUnsigned ? 0 : -128, isUnsigned ? 255 : 127);
      break;
    case MyShort:
      SetIntegerRange(field, isUnsigned ? 0 : -32768, isUnsigned ? 65535 : 32767);
      break;
    case MyLong:
    case MyLongLong:
      if (auto* intField = dynamic_cast<TIntegerField*>(field)) {
        intField->SetMinValue(isUnsigned ? 0 : -2147483647);
        intField->SetMaxValue(isUnsigned ? 0 : 2147483647);
      }
      break;
    case MyFloat:
      SetFloatRange(field, desc->Length(), 3.402823466e+38);
      break;
    case MyDouble:
      SetFloatRange(field, desc->Length(), 1.7976931348623157e+308);
      break;
    case MyInt24: {
      TIntegerField* intField = RequireIntegerField(field);
      intField->SetMinValue(isUnsigned ? 0 : -8388608);
      intField->SetMaxValue(isUnsigned ? 16777215 : 8388607);
      break;
    }
    case MyYear: {
      TIntegerField* intField = RequireIntegerField(field);
      RTL_ASSERT(desc->Length() == 2 || desc->Length() == 4,
                 u"Invalid YEAR length " + IntToStr(desc->Length()));
      // A four-digit year holds 1901 to 2155, and 0 for the zero year.
      intField->SetMinValue(0);
      intField->SetMaxValue(desc->Length() == 2 ? 99 : 2155);
      break;
    }
    default:
      break;
  }
}

void TCustomMyDataSetService::WriteFieldXMLDataType(TField* field, TFieldDesc* fieldDesc,
                                                    XmlTextWriter& writer) {
  TDADataSetService::WriteFieldXMLDataType(field, fieldDesc, writer);
  // The server fills an AUTO_INCREMENT column even when the row brings no value.
  if (fieldDesc->IsAutoIncrement() && (!field->Required() || field->ReadOnly()))
    writer.WriteAttributeString(u"rs", u"maybenull", u"false");
}

void TCustomMyDataSetService::WriteFieldXMLAttributes(TField* field, TFieldDesc* fieldDesc,
                                                      XmlTextWriter& writer,
                                                      const String& name) {
  TDADataSetService::WriteFieldXMLAttributes(field, fieldDesc, writer, name);
  auto* desc = dynamic_cast<TMySQLFieldDesc*>(fieldDesc);
  if (desc != nullptr && desc->MySQLType() == kFieldTypeTimestamp)
    writer.WriteAttributeString(u"rs", u"rowver", u"true");
}
