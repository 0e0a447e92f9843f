// The MySQL table component: its SELECT is derived from the table name, the order, the limit and
// the offset, and rebuilt whenever one of them changes.
#include "MySql/MyAccess_DataSet.h"

#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyParser.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StrUtils.h"

namespace {

constexpr char16_t STableNameNotDefined[] = u"TableName must be defined";

const TMySQLInfo& MySQLInfo() {
  static const TMySQLInfo info(&NewParser<TMyParser>);
  return info;
}

}  // namespace

TCustomMyTable::TCustomMyTable(TComponent* owner) : TCustomMyDataSet(owner) {}

void TCustomMyTable::SetTableName(const String& value) {
  if (!ComponentState().Contains(csReading)) {
    Close();
    SQL()->Clear();
  }
  // Stored as a plain identifier: quotes are added where the statement needs them.
  FTableName = MySQLInfo().NormalizeName(Trim(value), false, true);
}

void TCustomMyTable::SetOrderFields(const String& value) {
  const String trimmed = Trim(value);
  if (trimmed == FOrderFields) return;
  FOrderFields = trimmed;
  if (ComponentState().Contains(csLoading)) return;
  const bool wasActive = Active();
  SQL()->Clear();
  if (wasActive) Open();
}

void TCustomMyTable::SetLimit(int value) {
  Close();
  FLimit = value;
  SQL()->Clear();
}

void TCustomMyTable::SetOffset(int value) {
  Close();
  FOffset = value;
  SQL()->Clear();
}

String TCustomMyTable::TableSelect() {
  const TMySQLInfo& info = MySQLInfo();
  const String name = (Options()->QuoteNames() || info.QuotesNeeded(FTableName))
                          ? info.Quote(FTableName, u'`', u'`')
                          : FTableName;
  String text = u"SELECT * FROM " + name;
  if (!FOrderFields.empty()) text += u" ORDER BY " + FOrderFields;
  if (FLimit != -1 || FOffset != 0)
    text += u" LIMIT " + IntToStr(FOffset) + u", " + IntToStr(FLimit == -1 ? 2147483647 : FLimit);
  return text;
}

void TCustomMyTable::PrepareSQL() {
  if (SQL()->Count() > 0) return;
  if (FTableName.empty()) DatabaseError(STableNameNotDefined);
  SetSQLText(TableSelect());
}

void TCustomMyTable::Prepare() {
  PrepareSQL();
  TCustomMyDataSet::Prepare();
}

void TCustomMyTable::Execute() {
  PrepareSQL();
  TCustomMyDataSet::Execute();
}

void TCustomMyTable::BeforeOpenCursor(bool infoQuery) {
  PrepareSQL();
  TCustomMyDataSet::BeforeOpenCursor(infoQuery);
}
