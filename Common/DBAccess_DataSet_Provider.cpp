// The provider interface of the dataset component (what a provider asks of the dataset it
// resolves: transactions, statements with "?" placeholders, parameters, the table, the default
// order) and the assignment of one dataset component to another.
#include <memory>
#include <string>
#include <vector>

#include "Common/DBAccess.h"
#include "Common/DBAccess_Transaction.h"
#include "Common/DBAccess_Updater.h"
#include "platform/db/FieldDefs.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// The lexer over a text, set to give every lexeme as it stands.
std::unique_ptr<TParser> RawParser(TParserClass parserClass, const AnsiString& text) {
  std::unique_ptr<TParser> parser = parserClass(text);
  parser->SkipBlanks = false;
  parser->SkipComments = true;
  parser->KeepQuotes = true;
  parser->UpperKeywords = false;
  return parser;
}

// Each "?" becomes ":" and its 1-based position. A "?" in a string, a quoted name or a comment is
// text: replacing it would change the data the statement writes.
String NumberPlaceholders(const String& sql, TParserClass parserClass) {
  const AnsiString text = UTF8Encode(sql);
  std::unique_ptr<TParser> parser = RawParser(parserClass, text);
  std::string result;
  size_t copied = 0;
  int count = 0;
  while (parser->SkipToText("?")) {
    const size_t mark = static_cast<size_t>(parser->GetCurrPos()) - 1;
    result.append(text, copied, mark - copied);
    result += ":" + std::to_string(++count);
    copied = mark + 1;
  }
  result.append(text, copied, std::string::npos);
  return UTF8ToString(result);
}

void AppendName(String& list, const String& name) {
  if (!list.empty()) list += u';';
  list += name;
}

}  // namespace

// ---- Names in the dialect.

String TCustomDADataSet::NormalizeName(const String& name, bool quoteNames) {
  if (FICommand) return FICommand->GetSQLInfo()->NormalizeName(name, quoteNames);
  return TSQLInfo(GetParserClass()).NormalizeName(name, quoteNames);
}

String TCustomDADataSet::TableNameFromSQL() {
  const AnsiString from = UTF8Encode(SQLGetFrom(Trim(SQL()->Text())));
  std::unique_ptr<TParser> parser = GetParserClass()(from);
  parser->UpperKeywords = true;
  AnsiString word;
  String name;
  // A name, optionally qualified; anything after it but an alias means several tables.
  TLexemeCode code = parser->GetNextToken(word);
  while (code == lcIdentifier) {
    name += UTF8ToString(word);
    code = parser->GetNextToken(word);
    if (word != ".") break;
    name += u".";
    code = parser->GetNextToken(word);
  }
  if (name.empty() || name.back() == u'.') return String();
  if (word == "AS") code = parser->GetNextToken(word);
  if (code == lcIdentifier) code = parser->GetNextToken(word);
  return code == lcEndOfText ? name : String();
}

// ---- Transactions: the dataset's update transaction.

bool TCustomDADataSet::PSInTransaction() {
  TDATransaction* transaction = EffectiveUpdateTransaction();
  return transaction && transaction->GetActive();
}

void TCustomDADataSet::PSStartTransaction() {
  TCustomDAConnection* connection = EffectiveConnection();
  TDATransaction* transaction = EffectiveUpdateTransaction();
  if (connection && transaction && FAutoCommit && connection->AutoCommit())
    transaction->StartTransaction();
}

void TCustomDADataSet::PSEndTransaction(bool commit) {
  TCustomDAConnection* connection = EffectiveConnection();
  TDATransaction* transaction = EffectiveUpdateTransaction();
  if (!connection || !transaction || !FAutoCommit || !connection->AutoCommit()) return;
  if (commit)
    transaction->Commit();
  else
    transaction->Rollback();
}

// ---- Statements.

void TCustomDADataSet::PSExecute() { Execute(); }

int TCustomDADataSet::PSExecuteStatement(const String& sql, TParams* params,
                                         TDataSet** resultSet) {
  std::unique_ptr<TCustomDADataSet> owned;
  TCustomDADataSet* runner = nullptr;
  if (resultSet) {
    TCustomDAConnection* connection = EffectiveConnection();
    if (!connection) DatabaseError(SConnectionNotDefined, this);
    owned = connection->CreateDataSet();
    runner = owned.get();
  } else {
    runner = DAUpdater()->UpdateComponent(stCustom);
  }
  runner->SetDebug(FDebug);
  runner->SetNoMonitor(false);  // the statement is the caller's own: it is reported
  runner->SQL()->SetText(NumberPlaceholders(sql, GetParserClass()));
  TDAParams* own = runner->Params();
  for (int i = 0; i < own->Count(); ++i) {
    TDAParam* param = own->Items(i);
    if (params && i < params->Count()) param->Assign(params->Items(i));
    param->SetName(IntToStr(i + 1));
    if (param->ParamType() == ptUnknown) param->SetParamType(ptInput);
  }
  runner->Execute();
  const int rows = runner->RowsAffected();
  if (resultSet) *resultSet = owned.release();
  return rows;
}

void TCustomDADataSet::PSSetCommandText(const String& commandText) {
  if (!commandText.empty()) SQL()->SetText(commandText);
}

void TCustomDADataSet::PSReset() {
  TMemDataSet::PSReset();
  if (!Active()) return;
  Close();
  Open();
}

bool TCustomDADataSet::PSUpdateRecord(TUpdateKind updateKind, TDataSet* delta) {
  if (OnUpdateRecord) {
    TUpdateAction action = uaFail;
    OnUpdateRecord(delta ? delta : this, updateKind, action);
    if (action == uaApplied) return true;
  }
  // Without a statement of the dataset's own the caller applies the delta its way.
  return delta != nullptr && DAUpdater()->ApplyDeltaRecord(updateKind, delta);
}

// ---- Parameters.

TParams* TCustomDADataSet::PSGetParams() { return Params(); }

void TCustomDADataSet::PSSetParams(TParams* params) {
  if (!params || params->Count() == 0) return;
  if (params->Count() >= Params()->Count()) {
    Params()->Assign(params);
    return;
  }
  Params()->BeginUpdate();
  try {
    for (int i = 0; i < params->Count(); ++i) {
      TParam* given = params->Items(i);
      TDAParam* target = Params()->FindParam(given->Name());
      if (!target && i < Params()->Count()) target = Params()->Items(i);
      if (!target) continue;
      // A parameter matched by position keeps its own name: the statement refers to that one.
      const String name = target->Name();
      target->Assign(given);
      target->SetName(name);
    }
  } catch (...) {
    Params()->EndUpdate();
    throw;
  }
  Params()->EndUpdate();
}

// ---- Names and order.

String TCustomDADataSet::PSGetQuoteChar() { return u"\""; }

String TCustomDADataSet::PSGetTableName() {
  if (Active()) {
    auto* service = dynamic_cast<TDADataSetService*>(DataSetService());
    TLxRecordSet* rs = IRecordSet();
    if (service && rs) {
      const int index = service->UpdatingTableIndex();
      if (index >= 0 && index < rs->TablesInfo().GetCount())
        return rs->TablesInfo().GetItem(index)->TableName();
    }
    return NormalizeName(FUpdatingTable, false);
  }
  String name = FTableNameCache;
  if (name.empty()) name = FUpdatingTable;
  if (name.empty()) name = TableNameFromSQL();
  return NormalizeName(name, false);
}

std::unique_ptr<TIndexDef> TCustomDADataSet::PSGetDefaultOrder() {
  const String orderBy = GetOrderBy();
  if (orderBy.empty()) return nullptr;
  const AnsiString text = UTF8Encode(orderBy);
  std::unique_ptr<TParser> parser = GetParserClass()(text);
  parser->UpperKeywords = false;
  std::unique_ptr<TSQLInfo> ownInfo;
  TSQLInfo* info = FICommand ? FICommand->GetSQLInfo() : nullptr;
  if (!info) {
    ownInfo = std::make_unique<TSQLInfo>(GetParserClass());
    info = ownInfo.get();
  }
  String fields;
  String descFields;
  String last;  // the field an ASC or DESC that follows refers to
  AnsiString word;
  for (TLexemeCode code = parser->GetNextToken(word); code != lcEndOfText;
       code = parser->GetNextToken(word)) {
    const String token = UTF8ToString(word);
    if (code == lcNumber) {
      const int number = StrToIntDef(token, 0);
      last.clear();
      if (number >= 1 && number <= FieldDefs()->Count()) {
        last = FieldDefs()->Items(number - 1)->Name();
        AppendName(fields, last);
      }
    } else if (code != lcString && !info->IsQuoted(token) && UpperCase(token) == u"DESC") {
      if (!last.empty()) AppendName(descFields, last);
      last.clear();
    } else if (code == lcIdentifier) {
      TField* field = FindField(info->Unquote(token));
      last.clear();
      if (field) {
        last = field->FieldName();
        AppendName(fields, last);
      }
    }
  }
  auto index = std::make_unique<TIndexDef>(nullptr);
  index->SetFields(fields);
  index->SetDescFields(descFields);
  return index;
}

// ---- Assignment.

void TCustomDADataSet::AssignTo(TPersistent* dest) {
  auto* target = dynamic_cast<TCustomDADataSet*>(dest);
  TMemDataSet::AssignTo(dest);
  if (!target) return;
  target->SetConnection(FConnection);
  target->SetParamCheck(ParamCheck());
  target->SQL()->SetText(SQL()->Text());
  for (int i = 0; i < StatementTypeCount; ++i) {
    const auto type = static_cast<TStatementType>(i);
    if (UpdateSQL(type) && target->UpdateSQL(type)) target->SetUpdateSQL(type, UpdateSQL(type));
  }
  target->SetFilterSQL(FFilterSQL);
  target->Macros()->Assign(Macros());
  target->Params()->Assign(Params());
  target->SetDebug(FDebug);
  target->SetFetchRows(FFetchRows);
  target->SetUniDirectional(FUniDirectional);
  target->SetAutoCommit(FAutoCommit);
  target->SetRefreshOptions(FRefreshOptions);
  target->SetUpdatingTable(FUpdatingTable);
  target->SetKeyFields(FKeyFields);
  target->SetLockMode(FLockMode);
  target->Options()->Assign(FOptions.get());
}
