// The MySQL table component: its SELECT is derived from the table name, the order, the limit and
// the offset, and rebuilt whenever one of them changes.
#include "MySql/MyAccess_DataSet.h"

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_Generator.h"
#include "MySql/MyAccess_Service.h"
#include "MySql/MyClasses.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyParser.h"
#include "platform/db/FieldDefs.h"
#include "platform/db/Fields.h"
#include "platform/rtl/StrUtils.h"

namespace {

constexpr char16_t STableNameNotDefined[] = u"TableName must be defined";

const TMySQLInfo& MySQLInfo() {
  static const TMySQLInfo info(&NewParser<TMyParser>);
  return info;
}

}  // namespace

TCustomMyTable::TCustomMyTable(TComponent* owner)
    : TCustomMyDataSet(owner), FIndexDefs(std::make_unique<TIndexDefs>(this)) {
  InstallOptions(std::make_unique<TMyTableOptions>(this));
}

TCustomMyTable::~TCustomMyTable() = default;

void TCustomMyTable::SetTableName(const String& value) {
  if (!ComponentState().Contains(csReading)) {
    Close();
    SQL()->Clear();
    FIndexDefs->SetUpdated(false);
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

void TCustomMyTable::TableStatementChanged() { SQL()->Clear(); }

void TCustomMyTable::PrepareSQL() {
  if (SQL()->Count() > 0) return;
  if (FTableName.empty()) DatabaseError(STableNameNotDefined);
  auto* generator = static_cast<TCustomMySQLGenerator*>(MyService()->Generator());
  generator->Limit = FLimit;
  generator->Offset = FOffset;
  generator->UseHandler = Options()->UseHandler();
  generator->HandlerIndex = Options()->HandlerIndex();
  generator->FilterSQL = FilterSQL();
  TCustomMyConnection* connection = Connection();
  TMySQLConnection* session = connection ? connection->MySQLConnection() : nullptr;
  // Not yet connected, the client of this library and every server it serves speak 4.1.
  generator->HandlerOpenSupported =
      !(session && session->GetConnected()) || (session->IsClient41() && session->IsServer41());
  SetSQLText(generator->BuildTableSelect(FTableName, FOrderFields));
}

void TCustomMyTable::Prepare() {
  PrepareSQL();
  TCustomMyDataSet::Prepare();
}

void TCustomMyTable::Execute() {
  PrepareSQL();
  TCustomMyDataSet::Execute();
}

String TCustomMyTable::QuotedTableName() {
  const TMySQLInfo& info = MySQLInfo();
  return (Options()->QuoteNames() || info.QuotesNeeded(FTableName))
             ? info.Quote(FTableName, u'`', u'`')
             : FTableName;
}

bool TCustomMyTable::HandlerStatementsInUse() {
  if (!Options()->UseHandler()) return false;
  TCustomMyConnection* connection = Connection();
  RTL_ASSERT(connection != nullptr, u"MyAccess: table without connection");
  TMySQLConnection* session = connection->MySQLConnection();
  RTL_ASSERT(session != nullptr, u"MyAccess: connection without provider connection");
  return !(session->IsClient41() && session->IsServer41());
}

void TCustomMyTable::RunHandlerStatement(const String& action) {
  Connection()->ExecSQL(u"HANDLER " + QuotedTableName() + u" " + action);
}

void TCustomMyTable::BeforeOpenCursor(bool infoQuery) {
  PrepareSQL();
  if (HandlerStatementsInUse()) RunHandlerStatement(u"OPEN");
  TCustomMyDataSet::BeforeOpenCursor(infoQuery);
}

void TCustomMyTable::AfterOpenCursor(bool infoQuery) {
  if (HandlerStatementsInUse()) RunHandlerStatement(u"CLOSE");
  TCustomMyDataSet::AfterOpenCursor(infoQuery);
}

void TCustomMyTable::PassSettings() {
  TCustomMyDataSet::PassSettings();
  if (Options() && IRecordSet()) PassToRecordSet(pcUseHandler, Options()->UseHandler());
}

// ---- Index definitions.

TIndexDefs* TCustomMyTable::IndexDefs() {
  if (!FIndexDefs->Updated()) UpdateIndexDefs();
  return FIndexDefs.get();
}

void TCustomMyTable::UpdateIndexDefs() {
  TCustomMyConnection* connection = Connection();
  if (!connection || !connection->Connected() || Trim(FTableName).empty()) return;
  // A new read replaces the old definitions: an index dropped on the server goes.
  FIndexDefs->Clear();
  FIndexDefs->SetUpdated(true);
  std::unique_ptr<TCustomDADataSet> reader = connection->CreateDataSet();
  auto* show = static_cast<TCustomMyDataSet*>(reader.get());
  show->Options()->SetEnableBoolean(false);
  show->SetSQLText(u"SHOW INDEX FROM " +
                   MySQLInfo().NormalizeName(FTableName, Options()->QuoteNames()));
  try {
    show->Execute();
    for (show->First(); !show->Eof(); show->Next()) {
      const String name = show->FieldByName(u"Key_name")->AsString();
      const String column = show->FieldByName(u"Column_name")->AsString();
      const int at = FIndexDefs->IndexOf(name);
      TIndexDef* index = nullptr;
      if (at >= 0) {
        index = FIndexDefs->Items(at);
      } else {
        index = FIndexDefs->AddIndexDef();
        index->SetName(name);
      }
      index->SetFields(index->Fields().empty() ? column : index->Fields() + u";" + column);
      if (show->FieldByName(u"Non_unique")->AsInteger() == 0) {
        TIndexOptions options = index->Options();
        options << ixUnique;
        index->SetOptions(options);
      }
    }
  } catch (const Exception&) {
    // The definitions keep what was read before the error.
  }
  show->Close();
}

// ---- The provider interface and assignment.

void TCustomMyTable::PSSetCommandText(const String& commandText) {
  if (!commandText.empty()) SetTableName(commandText);
}

void TCustomMyTable::PSSetParams(TParams* params) {
  if (params && params->Count() != Params()->Count()) {
    SQL()->Clear();
    String condition;
    for (int i = 0; i < params->Count(); ++i) {
      const String& name = params->Items(i)->Name();
      if (!condition.empty()) condition += u" AND ";
      condition += name + u" = :" + name;
    }
    PrepareSQL();
    if (!condition.empty()) AddWhere(condition);
  }
  TCustomMyDataSet::PSSetParams(params);
}

String TCustomMyTable::SQLSetOrderBy(const String& sql, const String& fields) {
  String text = TCustomMyDataSet::SQLSetOrderBy(sql, fields);
  FOrderFields = fields;
  return text;
}

void TCustomMyTable::AssignTo(TPersistent* dest) {
  TCustomMyDataSet::AssignTo(dest);
  auto* target = dynamic_cast<TCustomMyTable*>(dest);
  if (!target) return;
  target->SetOrderFields(FOrderFields);
  target->SetTableName(FTableName);
  target->SetMasterSource(MasterSource());
  target->SetMasterFields(MasterFields());
  target->SetDetailFields(DetailFields());
}
