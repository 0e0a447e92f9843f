// The column defaults of the updating table as the fields' DefaultExpression texts, read from the
// server's column catalogue.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "Common/DBAccess.h"
#include "Common/DBAccess_DataSet.h"
#include "Common/LxAccess_Connection.h"
#include "MySql/MyAccess_Service.h"
#include "MySql/MyCall.h"
#include "MySql/MyClasses_RecordSetFields.h"
#include "platform/db/DBTypes.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

enum : uint32_t {
  MyDate = 10,
  MyTime = 11,
  MyDateTime = 12,
  MyNewDate = 14
};

// The number written by count digits at a 0-based offset; -1 when the text has none there.
int Digits(const AnsiString& text, size_t offset, size_t count) {
  if (offset + count > text.size()) return -1;
  int value = 0;
  for (size_t i = offset; i < offset + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

int CenturyOf(int twoDigitYear) {
  return twoDigitYear < 70 ? 2000 + twoDigitYear : 1900 + twoDigitYear;
}

// Date and time parts; a part that is missing is the given default.
struct Parts {
  int Year = -1, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
};

bool Encode(const Parts& p, TDateTime& value) {
  if (p.Year < 0 || p.Month < 0 || p.Day < 0 || p.Hour < 0 || p.Minute < 0 || p.Second < 0)
    return false;
  TDateTime date = 0;
  TDateTime time = 0;
  if (!TryEncodeDate(static_cast<uint16_t>(p.Year), static_cast<uint16_t>(p.Month),
                     static_cast<uint16_t>(p.Day), date))
    return false;
  if (!TryEncodeTime(static_cast<uint16_t>(p.Hour), static_cast<uint16_t>(p.Minute),
                     static_cast<uint16_t>(p.Second), 0, time))
    return false;
  value = date < 0 ? date - time : date + time;
  return true;
}

// YYYY-MM-DD, optionally followed by " HH:NN:SS".
Parts IsoParts(const AnsiString& text, bool withTime) {
  Parts p;
  p.Year = Digits(text, 0, 4);
  p.Month = Digits(text, 5, 2);
  p.Day = Digits(text, 8, 2);
  if (withTime) {
    p.Hour = Digits(text, 11, 2);
    p.Minute = Digits(text, 14, 2);
    p.Second = Digits(text, 17, 2);
  }
  return p;
}

Parts TimestampParts(const AnsiString& text, int length) {
  Parts p;
  switch (length) {
    case 2:
    case 4:
    case 6:
    case 10:
    case 12:
      p.Year = Digits(text, 0, 2) < 0 ? -1 : CenturyOf(Digits(text, 0, 2));
      if (length >= 4) p.Month = Digits(text, 2, 2);
      if (length >= 6) p.Day = Digits(text, 4, 2);
      if (length >= 10) {
        p.Hour = Digits(text, 6, 2);
        p.Minute = Digits(text, 8, 2);
      }
      if (length == 12) p.Second = Digits(text, 10, 2);
      return p;
    case 8:
    case 14:
      p.Year = Digits(text, 0, 4);
      p.Month = Digits(text, 4, 2);
      p.Day = Digits(text, 6, 2);
      if (length == 14) {
        p.Hour = Digits(text, 8, 2);
        p.Minute = Digits(text, 10, 2);
        p.Second = Digits(text, 12, 2);
      }
      return p;
    default:
      // 19, and the longer display of a column with fractions of a second, whose fraction a
      // default expression does not need.
      RTL_ASSERT(length >= 19 && length <= 26,
                 u"Invalid FIELD_TYPE_TIMESTAMP FieldDesc.Length (" + IntToStr(length) + u")");
      return IsoParts(text, true);
  }
}

bool ParseTime(const AnsiString& text, const TMySQLFieldDesc& desc, TDateTime& value) {
  size_t colon = text.find(':');
  if (colon == AnsiString::npos || colon >= 5)
    DatabaseErrorFmt(u"Wrong time format. FieldDesc %s, value %s",
                     {desc.Name(), AnsiToString(text)});
  const bool negative = !text.empty() && text[0] == '-';
  const size_t start = negative ? 1 : 0;
  int hours = colon > start ? Digits(text, start, colon - start) : -1;
  int minutes = Digits(text, colon + 1, 2);
  int seconds = Digits(text, colon + 4, 2);
  if (hours < 0 || minutes < 0 || seconds < 0) return false;
  value = hours / 24.0 + (minutes * 60 + seconds) / 86400.0;
  if (negative) value = -value;
  return true;
}

bool IsCurrentTimestamp(const String& text) {
  // CURRENT_TIMESTAMP, with the precision or the empty parentheses some servers report.
  static const String name = u"CURRENT_TIMESTAMP";
  if (text.size() < name.size() || !AnsiSameText(text.substr(0, name.size()), name)) return false;
  String rest = text.substr(name.size());
  return rest.empty() || (rest.front() == u'(' && rest.back() == u')');
}


bool IsDateTimeType(TFieldType type) {
  return type == ftDate || type == ftTime || type == ftDateTime || type == ftTimeStamp;
}

// MariaDB from 10.2.7 on reports string defaults as quoted literals and no default as NULL.
bool QuotesDefaults(const String& serverVersion) {
  if (serverVersion.find(u"MariaDB") == String::npos) return false;
  AnsiString text = StringToAnsi(serverVersion);
  if (text.rfind("5.5.5-", 0) == 0) text = text.substr(6);
  int major = 0, minor = 0, patch = 0;
  if (std::sscanf(text.c_str(), "%d.%d.%d", &major, &minor, &patch) < 2) return true;
  return major > 10 || (major == 10 && (minor > 2 || (minor == 2 && patch >= 7)));
}

}  // namespace

bool ParseMyDateTime(const String& text, const TMySQLFieldDesc& desc, TDateTime& value) {
  const AnsiString ansi = StringToAnsi(text);
  switch (desc.MySQLType()) {
    case kFieldTypeTimestamp:
      return Encode(TimestampParts(ansi, desc.Length()), value);
    case MyDate:
    case MyNewDate:
      return Encode(IsoParts(ansi, false), value);
    case MyDateTime:
      return Encode(IsoParts(ansi, true), value);
    case MyTime:
      return ParseTime(ansi, desc, value);
    default:
      return false;
  }
}

String MyDefaultExpression(const String& columnDefault, bool quotedByServer,
                           const TMySQLFieldDesc& desc, bool dateTimeField) {
  String value = columnDefault;
  if (quotedByServer) {
    if (value == u"NULL") return String();
    if (value.size() >= 2 && value.front() == u'\'' && value.back() == u'\'')
      value = AnsiDequotedStr(value, u'\'');
    else if (IsCurrentTimestamp(value))
      return u"CURRENT_TIMESTAMP";
  } else if (IsCurrentTimestamp(value)) {
    return u"CURRENT_TIMESTAMP";
  }
  if (!dateTimeField) return QuotedStr(value);
  TDateTime parsed = 0;
  return ParseMyDateTime(value, desc, parsed) ? QuotedStr(value) : String();
}

void TCustomMyDataSetService::InitDefaultValues() {
  TCustomDADataSet* dataSet = DADataSet();
  TLxTableInfo* table = UpdatingTableInfo();
  if (!dataSet->Options()->DefaultValues() || dataSet->Fields()->Count() == 0 || table == nullptr)
    return;
  TCustomDAConnection* connection = dataSet->Connection();
  RTL_ASSERT(connection != nullptr && connection->IConnection() != nullptr,
             u"The dataset's connection has no MySQL connection");

  String name = table->TableName();
  String database;
  size_t point = name.find(u'.');
  if (point != String::npos) {
    database = SQLInfo()->NormalizeName(name.substr(0, point), false, true);
    name = name.substr(point + 1);
  } else {
    Variant current;
    connection->IConnection()->GetProp(pcDatabase, current);
    database = current.IsNull() || current.IsEmpty() ? String() : current.AsString();
  }
  name = SQLInfo()->NormalizeName(name, false, true);
  const bool quoted = QuotesDefaults(connection->IConnection()->GetServerVersionFull());

  std::unique_ptr<TCustomDADataSet> columns = connection->CreateDataSet();
  columns->SetReadOnly(true);
  columns->SetSQLText(
      u"SELECT TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, COLUMN_DEFAULT "
      u"FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = :table_schema "
      u"AND TABLE_NAME = :table_name");
  columns->ParamByName(u"table_schema")->SetAsString(database);
  columns->ParamByName(u"table_name")->SetAsString(name);
  columns->Open();
  TField* columnName = columns->FieldByName(u"COLUMN_NAME");
  TField* columnDefault = columns->FieldByName(u"COLUMN_DEFAULT");
  for (; !columns->Eof(); columns->Next()) {
    if (columnDefault->IsNull()) continue;
    TField* field = dataSet->FindField(columnName->AsString());
    if (field == nullptr || field->FieldKind() != fkData) continue;
    auto* desc = dynamic_cast<TMySQLFieldDesc*>(dataSet->GetFieldDesc(field));
    if (desc == nullptr) continue;
    field->SetDefaultExpression(MyDefaultExpression(columnDefault->AsString(), quoted, *desc,
                                                    IsDateTimeType(field->DataType())));
  }
}
