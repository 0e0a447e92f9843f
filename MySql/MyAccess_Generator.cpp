#include "MySql/MyAccess_Generator.h"

#include <algorithm>

#include "Common/DBAccess_HotCast.h"
#include "MySql/MyCall.h"
#include "MySql/MyClasses_Literals.h"
#include "MySql/MyClasses_RecordSetFields.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyParser.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/UnicodeText.h"

namespace {

String Decimal(int64_t value) { return UTF8ToString(std::to_string(value)); }

TMySQLFieldDesc* AsMySQLDesc(TFieldDesc* fieldDesc) {
  auto* desc = dynamic_cast<TMySQLFieldDesc*>(fieldDesc);
  RTL_ASSERT(desc != nullptr, u"A MySQL statement is built from MySQL field descriptors");
  return desc;
}

}  // namespace

TMySQLFieldDesc* TCustomMySQLGenerator::RowVersionField(const TFieldDescArray& dataFields) {
  TMySQLFieldDesc* first = nullptr;
  TMySQLFieldDesc* lastAuto = nullptr;
  for (TFieldDesc* fieldDesc : dataFields) {
    auto* desc = dynamic_cast<TMySQLFieldDesc*>(fieldDesc);
    if (desc == nullptr || desc->MySQLType() != kFieldTypeTimestamp) continue;
    if (first == nullptr) first = desc;
    if (desc->IsAutoUpdateTimestamp()) lastAuto = desc;
  }
  return lastAuto != nullptr ? lastAuto : first;
}

void TCustomMySQLGenerator::AddConditionField(AnsiStringBuilder& buffer, TFieldDesc* fieldDesc,
                                              TStatementType statementType, int batchIndex) {
  TMySQLFieldDesc* desc = AsMySQLDesc(fieldDesc);
  // A computed column has no table to be compared in.
  if (desc->TableInfo() == nullptr) return;
  if (statementType == stRefresh && FModifiedOnly && desc->MySQLType() == kFieldTypeTimestamp &&
      FieldIsNull(desc, true)) {
    if (buffer.Length() > 0) buffer.Append(" AND ");
    Append(buffer, GetSQLFieldName(desc, true) + u" = '00000000'");
    return;
  }
  TDASQLGenerator::AddConditionField(buffer, fieldDesc, statementType, batchIndex);
}

void TCustomMySQLGenerator::BuildQuickRefreshCondition(AnsiStringBuilder& buffer,
                                                       const TKeyAndDataFields&) {
  auto* desc = dynamic_cast<TMySQLFieldDesc*>(TimestampField);
  if (desc == nullptr) DatabaseError(u"Timestamp field required");
  TDateTime largest = 0;
  if (auto* table = dynamic_cast<TMyTableInfo*>(desc->TableInfo())) largest = table->MaxTimestamp();
  AnsiString literal =
      MySQLValueToText(dtDateTime, Variant::FromDate(largest), false, ServerMajor, false, true);
  Append(buffer, GetSQLFieldName(desc, true) + u" >= " + AnsiToString(literal));
}

void TCustomMySQLGenerator::BuildConditions(AnsiStringBuilder& buffer,
                                            TStatementType statementType, int batchIndex,
                                            const TKeyAndDataFields& fields, bool modifiedOnly) {
  FModifiedOnly = modifiedOnly;
  if (statementType == stRefreshQuick) {
    BuildQuickRefreshCondition(buffer, fields);
    return;
  }
  if (!CheckRowVersion || (statementType != stUpdate && statementType != stDelete)) {
    TDASQLGenerator::BuildConditions(buffer, statementType, batchIndex, fields, modifiedOnly);
    return;
  }
  // The row as it was read: its key plus its TIMESTAMP value, or its key plus every other
  // non-blob value when there is no TIMESTAMP value to compare.
  std::vector<TFieldDesc*> used;
  for (TFieldDesc* desc : fields.KeyFieldDescs) {
    AddConditionField(buffer, desc, statementType, batchIndex);
    used.push_back(desc);
  }
  TMySQLFieldDesc* version = RowVersionField(fields.DataFieldDescs);
  if (version != nullptr && !FieldIsNull(version, true)) {
    AddConditionField(buffer, version, statementType, batchIndex);
    return;
  }
  RTL_ASSERT(!fields.DataFieldDescs.empty(), u"A row-version check needs data fields");
  for (TFieldDesc* desc : fields.DataFieldDescs) {
    if (IsBlobDataType(desc->DataType())) continue;
    if (std::find(used.begin(), used.end(), desc) != used.end()) continue;
    AddConditionField(buffer, desc, statementType, batchIndex);
  }
}

void TCustomMySQLGenerator::DescribeInputs(TStatementInputs& inputs, TLxTableInfo* tableInfo,
                                           const TKeyAndDataFields& fields,
                                           TStatementType statementType, bool modifiedOnly) {
  TDASQLGenerator::DescribeInputs(inputs, tableInfo, fields, statementType, modifiedOnly);
  inputs.Add({CheckRowVersion, LockType, TStatementInputs::Value(TimestampField), ServerMajor});
}

void TCustomMySQLGenerator::DescribeField(TStatementInputs& inputs, TFieldDesc* fieldDesc) {
  // One cast serves both parts: a MySQL descriptor is a TLxFieldDesc too; only another kind
  // takes the second cast.
  auto* desc = HotCast<TMySQLFieldDesc>(fieldDesc);
  TLxFieldDesc* lxDesc = desc;
  if (lxDesc == nullptr) lxDesc = HotCast<TLxFieldDesc>(fieldDesc);
  DescribeCommonField(inputs, fieldDesc, lxDesc);
  // The row-version check chooses its column by these.
  inputs.Add({desc != nullptr ? static_cast<int64_t>(desc->MySQLType()) : -1,
              desc != nullptr && desc->IsAutoUpdateTimestamp()});
}

void TCustomMySQLGenerator::BuildLock(const TKeyAndDataFields& fields) {
  Append(FHeadSB, u"SELECT * FROM " + TableInfo()->GetTableNameFull());
  FMiddleSB.Append("\r\nWHERE\r\n  ");
  BuildConditions(FCondSB, stLock, -1, fields, false);
  if (LockType == 0) FFooterSB.Append("\r\nFOR UPDATE");
  if (LockType == 1) FFooterSB.Append("\r\nLOCK IN SHARE MODE");
}

String TCustomMySQLGenerator::BuildTableSelect(const String& tableName,
                                               const String& orderFields) {
  String name = Host()->SQLInfo()->NormalizeName(tableName, Host()->QuoteNames());
  String rows = Decimal(Limit == -1 ? 2147483647 : Limit);
  bool limited = Limit != -1 || Offset != 0;
  if (!UseHandler) {
    String text = u"SELECT * FROM " + name;
    if (!orderFields.empty()) text += u" ORDER BY " + orderFields;
    if (limited) text += u" LIMIT " + Decimal(Offset) + u", " + rows;
    return text;
  }
  String text = HandlerOpenSupported ? u"HANDLER " + name + u" OPEN; " : String();
  text += u"HANDLER " + name + u" READ";
  HandlerIndex = Trim(HandlerIndex);
  if (!HandlerIndex.empty()) {
    text += u" " + HandlerIndex;
    TMyParser parser(StringToAnsi(HandlerIndex));
    parser.SkipComments = true;
    // A key comparison after the index name (or alone) reads from that key on; a bare index
    // name reads from its first entry.
    AnsiString token;
    TLexemeCode code = parser.GetNextToken(token);
    if (code == lcIdentifier) parser.GetNextToken(token);
    if (token != "=" && token != "<" && token != ">") text += u" FIRST";
  } else {
    text += u" FIRST";
  }
  if (!FilterSQL.empty()) text += u" WHERE " + FilterSQL;
  text += u" LIMIT " + Decimal(Offset) + u", " + rows;
  if (HandlerOpenSupported) text += u"; HANDLER " + name + u" CLOSE";
  return text;
}

std::vector<int> PlaceholderPositions(const String& sql) {
  std::vector<int> positions;
  TMyParser parser(StringToAnsi(sql));
  parser.SkipComments = true;
  while (parser.SkipToText("?")) positions.push_back(static_cast<int>(parser.GetCurrPos()));
  return positions;
}
