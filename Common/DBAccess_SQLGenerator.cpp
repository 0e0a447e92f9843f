#include "Common/DBAccess_SQLGenerator.h"

#include "platform/db/DBTypes.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// The record store's type codes of blob-like and object-like columns.
constexpr TDataTypeCode dtBlobCode = 13, dtMemoCode = 14, dtWideMemoCode = 30;
constexpr TDataTypeCode dtObjectCode = 15, dtArrayCode = 17;

String Decimal(int64_t value) { return UTF8ToString(std::to_string(value)); }

}  // namespace

TDASQLGenerator::TDASQLGenerator(IDASQLGeneratorHost* host) : FHost(host) {
  RTL_ASSERT(host != nullptr, u"The SQL generator needs its dataset's service");
}

TDASQLGenerator::~TDASQLGenerator() = default;

void TDASQLGenerator::Append(AnsiStringBuilder& buffer, const String& text) {
  buffer.Append(StringToAnsi(text));
}

TCollectionItemClass TDASQLGenerator::GetParamInfoClass() {
  return TCollectionItemClass::Of<TDAParamInfo>();
}

void TDASQLGenerator::Clear() {
  for (AnsiStringBuilder* sb : {&FHeadSB, &FFldSB, &FMiddleSB, &FFldParamSB, &FCondSB, &FFooterSB})
    sb->SetLength(0);
}

String TDASQLGenerator::AssembleSQL() {
  AnsiString text;
  for (AnsiStringBuilder* sb : {&FHeadSB, &FFldSB, &FMiddleSB, &FFldParamSB, &FCondSB, &FFooterSB})
    text += sb->ToString();
  return AnsiToString(text);
}

bool TDASQLGenerator::IsBlobDataType(TDataTypeCode dataType) {
  return dataType == dtBlobCode || dataType == dtMemoCode || dataType == dtWideMemoCode;
}

bool TDASQLGenerator::IsObjectDataType(TDataTypeCode dataType) {
  return dataType == dtObjectCode || dataType == dtArrayCode;
}

String TDASQLGenerator::NormalizedTableName() {
  return FHost->SQLInfo()->NormalizeName(FTableInfo->GetTableNameFull(), FHost->QuoteNames());
}

String TDASQLGenerator::GetSQLFieldName(TFieldDesc* fieldDesc, bool qualify) {
  TSQLInfo* info = FHost->SQLInfo();
  auto* lxDesc = dynamic_cast<TLxFieldDesc*>(fieldDesc);
  String name;
  if (lxDesc != nullptr) {
    name = lxDesc->GetSourceNameQuoted(info, FHost->QuoteNames() ? 1 : 0);
  } else {
    name = fieldDesc->SourceName().empty() ? fieldDesc->Name() : fieldDesc->SourceName();
    if (FHost->QuoteNames() || info->QuotesNeeded(name)) name = info->QuoteName(name);
  }
  if (qualify && (FHost->FullRefresh() || FHost->ReadOnly()) && !FHost->UpdatingTableAdded() &&
      lxDesc != nullptr && lxDesc->TableInfo() != nullptr) {
    TLxTableInfo* table = lxDesc->TableInfo();
    String prefix = table->TableAlias().empty() ? table->GetTableNameFull() : table->TableAlias();
    name = info->NormalizeName(prefix, FHost->QuoteNames()) + u"." + name;
  }
  return name;
}

String TDASQLGenerator::GetFieldAlias(int index) { return u"_" + Decimal(index); }

int TDASQLGenerator::DecodeFieldAlias(const String& alias) {
  if (alias.size() < 2 || alias[0] != u'_') return -1;
  int value = 0;
  for (size_t i = 1; i < alias.size(); ++i) {
    if (alias[i] < u'0' || alias[i] > u'9' || value > 100000000) return -1;
    value = value * 10 + (alias[i] - u'0');
  }
  return value;
}

void TDASQLGenerator::AddParam(AnsiStringBuilder& buffer, TFieldDesc* fieldDesc, bool old,
                               int batchIndex, TParamType paramType,
                               TStatementType statementType) {
  String name = fieldDesc->Name();
  String prefix = old ? u"Old_" : u"";
  TDAParams* own = FHost->OwnParams();
  // A refresh that embeds the dataset's own SELECT must not clash with its parameters.
  if (statementType == stRefresh && own != nullptr && own->FindParam(name) != nullptr)
    batchIndex = 1;
  if (batchIndex >= 0) prefix = BatchParamPrefix() + Decimal(batchIndex) + u"_" + prefix;

  bool plain = true;
  if (static_cast<int64_t>(prefix.size() + name.size()) > MaxParamNameLength()) {
    name = Decimal(fieldDesc->FieldNo());
    plain = false;
  }
  name = prefix + name;
  TSQLInfo* info = FHost->SQLInfo();
  if (FHost->QuoteNames() || (plain && info->QuotesNeeded(fieldDesc->Name())))
    name = info->QuoteName(name);

  bool ownParams = own != nullptr && own->Count() > 0;
  bool question = FParams != nullptr && PlaceholdersAllowed() &&
                  (statementType != stRefresh || (!ownParams && !FHost->FullRefresh()));
  Append(buffer, question ? u"?" : u":" + name);

  if (FParams == nullptr) return;
  FParams->CreateParam(ftUnknown, String(), paramType);
  FParamNames.push_back(name);
  auto* info2 = static_cast<TDAParamInfo*>(FParamsInfo->Add());
  info2->SetField(FHost->FieldOf(fieldDesc));
  info2->SetOld(old);
  info2->SetParamIndex(batchIndex);
}

void TDASQLGenerator::AddInsertField(TFieldDesc* fieldDesc, int batchIndex) {
  if (FFldSB.Length() > 0) {
    FFldSB.Append(", ");
    FFldParamSB.Append(", ");
  }
  Append(FFldSB, GetSQLFieldName(fieldDesc, false));
  AddParam(FFldParamSB, fieldDesc, false, batchIndex, ptInput, stInsert);
}

void TDASQLGenerator::AddUpdateField(TFieldDesc* fieldDesc, int batchIndex) {
  if (FFldSB.Length() > 0) FFldSB.Append(", ");
  Append(FFldSB, GetSQLFieldName(fieldDesc, false));
  FFldSB.Append(" = ");
  AddParam(FFldSB, fieldDesc, false, batchIndex, ptInput, stUpdate);
}

void TDASQLGenerator::AddRefreshField(TFieldDesc* fieldDesc) {
  if (FFldSB.Length() > 0) FFldSB.Append(", ");
  Append(FFldSB, GetSQLFieldName(fieldDesc, false));
  if (!FHost->Designing()) Append(FFldSB, u" AS " + GetFieldAlias(FHost->FieldDescIndex(fieldDesc)));
}

void TDASQLGenerator::AddConditionField(AnsiStringBuilder& buffer, TFieldDesc* fieldDesc,
                                        TStatementType statementType, int batchIndex) {
  bool refresh = statementType == stRefresh;
  if (buffer.Length() > 0) buffer.Append(" AND ");
  Append(buffer, GetSQLFieldName(fieldDesc, refresh));
  if (FieldIsNull(fieldDesc, !refresh)) {
    buffer.Append(" IS NULL");
    return;
  }
  buffer.Append(" = ");
  // A refresh re-reads the record by the values it holds now, except for a cached change that
  // is not on the server yet.
  bool old = !refresh || (FHost->CachedUpdates() && !FHost->ApplyingUpdates());
  AddParam(buffer, fieldDesc, old, batchIndex, ptInput, statementType);
}

void TDASQLGenerator::BuildConditions(AnsiStringBuilder& buffer, TStatementType statementType,
                                      int batchIndex, const TKeyAndDataFields& fields,
                                      bool /*modifiedOnly*/) {
  if (!fields.KeyFieldDescs.empty()) {
    for (TFieldDesc* desc : fields.KeyFieldDescs)
      AddConditionField(buffer, desc, statementType, batchIndex);
    return;
  }
  if (TFieldDesc* identity = FHost->IdentityField()) {
    AddConditionField(buffer, identity, statementType, batchIndex);
    return;
  }
  if (fields.DataFieldDescs.empty()) DatabaseError(u"Key fields not found");
  for (TFieldDesc* desc : fields.DataFieldDescs)
    if (!IsBlobDataType(desc->DataType())) AddConditionField(buffer, desc, statementType, batchIndex);
  if (buffer.Length() == 0) DatabaseError(u"Key fields not found");
}

void TDASQLGenerator::BuildInsert(const TKeyAndDataFields& fields, bool modifiedOnly,
                                  int batchIndex) {
  for (TFieldDesc* desc : fields.DataFieldDescs)
    if (!modifiedOnly || !FieldIsNull(desc, false)) AddInsertField(desc, batchIndex);
  Append(FHeadSB, u"INSERT INTO " + NormalizedTableName() + u"\r\n  (");
  FMiddleSB.Append(")\r\nVALUES\r\n  (");
  FFooterSB.Append(")");
}

void TDASQLGenerator::BuildUpdate(const TKeyAndDataFields& fields, bool modifiedOnly,
                                  int batchIndex) {
  for (TFieldDesc* desc : fields.DataFieldDescs)
    if (!modifiedOnly || FieldIsModified(desc)) AddUpdateField(desc, batchIndex);
  if (FFldSB.Length() == 0) return;  // nothing changed: no statement
  Append(FHeadSB, u"UPDATE " + NormalizedTableName() + u"\r\nSET\r\n  ");
  FMiddleSB.Append("\r\nWHERE\r\n  ");
  BuildConditions(FCondSB, stUpdate, batchIndex, fields, modifiedOnly);
}

void TDASQLGenerator::BuildDelete(const TKeyAndDataFields& fields, int batchIndex) {
  Append(FHeadSB, u"DELETE FROM " + NormalizedTableName() + u"\r\nWHERE\r\n  ");
  BuildConditions(FCondSB, stDelete, batchIndex, fields, false);
}

void TDASQLGenerator::BuildRefreshSelectList(const TKeyAndDataFields& fields) {
  FHeadSB.Append("SELECT ");
  const TFieldDescArray& list =
      fields.DataFieldDescs.empty() ? fields.KeyFieldDescs : fields.DataFieldDescs;
  for (TFieldDesc* desc : list) AddRefreshField(desc);
}

void TDASQLGenerator::BuildRefreshFrom() {
  TSQLInfo* info = FHost->SQLInfo();
  String from = u" FROM " + NormalizedTableName();
  if (!FTableInfo->TableAlias().empty())
    from += u" " + info->NormalizeName(FTableInfo->TableAlias(), FHost->QuoteNames());
  Append(FMiddleSB, from + u"\r\nWHERE\r\n  ");
}

void TDASQLGenerator::BuildRefresh(const TKeyAndDataFields& fields, bool modifiedOnly) {
  BuildConditions(FCondSB, stRefresh, -1, fields, modifiedOnly);
  if (!FHost->FullRefresh() && !FHost->ReadOnly()) {
    BuildRefreshSelectList(fields);
    BuildRefreshFrom();
  } else if (FCondSB.Length() == 0) {
    Append(FHeadSB, FHost->FinalSQL());
  } else {
    String conditions = AnsiToString(FCondSB.ToString());
    Append(FHeadSB, FHost->SQLAddWhere(FHost->BaseSQL(), u"\r\n  " + conditions));
    FCondSB.SetLength(0);
  }
}

void TDASQLGenerator::BuildRefreshQuick(const TKeyAndDataFields& fields) {
  BuildConditions(FCondSB, stRefreshQuick, -1, fields, false);
  String conditions = AnsiToString(FCondSB.ToString());
  Append(FHeadSB, FHost->SQLAddWhere(FHost->FinalSQL(), conditions));
  FCondSB.SetLength(0);
}

void TDASQLGenerator::BuildRefreshCheckDeleted(const TKeyAndDataFields& fields) {
  TSQLInfo* info = FHost->SQLInfo();
  FHeadSB.Append("SELECT ");
  bool first = true;
  for (TFieldDesc* desc : fields.KeyFieldDescs) {
    if (!first) {
      FFldSB.Append(", ");
      FFooterSB.Append(", ");
    }
    first = false;
    String name = GetSQLFieldName(desc, true);
    Append(FFldSB, name);
    Append(FFooterSB, name);
    const String& actual = desc->SourceName().empty() ? desc->Name() : desc->SourceName();
    if (!AnsiSameText(actual, desc->Name())) {
      String alias = desc->Name();
      if (FHost->QuoteNames() || info->QuotesNeeded(alias)) alias = info->QuoteName(alias);
      Append(FFldSB, u" AS " + alias);
    }
  }
  String finalSQL = FHost->FinalSQL();
  String middle = u" FROM " + FHost->SQLGetFrom(finalSQL);
  String where = FHost->SQLGetWhere(finalSQL);
  if (!where.empty()) middle += u" WHERE " + where;
  Append(FMiddleSB, middle + u" ORDER BY ");
}

String TDASQLGenerator::BuildStatement(TLxTableInfo* tableInfo, const TKeyAndDataFields& fields,
                                       int batchIndex, TDAParams* params, bool modifiedOnly,
                                       TStatementType statementType) {
  if (tableInfo == nullptr || tableInfo->GetTableNameFull().empty())
    DatabaseError(u"TableInfo name must be provided");
  Clear();
  FTableInfo = tableInfo;
  FParams = params;
  if (!FParamsInfo) FParamsInfo = std::make_unique<TDAParamsInfo>(GetParamInfoClass());
  FParamsInfo->Clear();
  FParamNames.clear();
  FQuestions.clear();
  FLastValid = false;
  if (params != nullptr) {
    params->BeginUpdate();
    params->Clear();
  }

  // Parameters are added nameless and named together at the end, also after a failure, so that
  // the list never sees two of the same name on the way.
  auto finish = [&] {
    if (params == nullptr) return;
    for (size_t i = 0; i < FParamNames.size() && static_cast<int>(i) < params->Count(); ++i)
      params->Items(static_cast<int>(i))->SetName(FParamNames[i]);
    params->EndUpdate();
  };
  try {
    switch (statementType) {
      case stInsert:
        BuildInsert(fields, modifiedOnly, batchIndex);
        break;
      case stUpdate:
        BuildUpdate(fields, modifiedOnly, batchIndex);
        break;
      case stDelete:
        BuildDelete(fields, batchIndex);
        break;
      case stLock:
        BuildLock(fields);
        break;
      case stRefresh:
        BuildRefresh(fields, modifiedOnly);
        break;
      case stRefreshQuick:
        BuildRefreshQuick(fields);
        break;
      case stRefreshCheckDeleted:
        BuildRefreshCheckDeleted(fields);
        break;
      default:
        DatabaseError(u"Bad statement type");
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return AssembleSQL();
}

void TDASQLGenerator::BuildUpdatingTableStatement(TStatementType statementType, bool modifiedOnly,
                                                  String& text, int batchIndex,
                                                  TDAParams* params) {
  text.clear();
  TLxTableInfo* table = FHost->UpdatingTableInfo();
  if (table == nullptr) return;
  bool allTables =
      statementType == stRefresh && FHost->FullRefresh() && FHost->QueryTableCount() != 1;
  TKeyAndDataFields fields = FHost->GetKeyAndDataFields(allTables);
  text = BuildStatement(table, fields, batchIndex, params, modifiedOnly, statementType);
  FLast.StatementType = statementType;
  FLast.ModifiedOnly = modifiedOnly;
  FLast.Batched = batchIndex >= 0;
  FLast.HasParams = params != nullptr;
  FLast.TableInfo = table;
  FLast.Fields = std::move(fields);
  FLastValid = !allTables;
}

String TDASQLGenerator::BuildTableSelect(const String& tableName, const String& orderFields) {
  String text = u"SELECT * FROM " + FHost->SQLInfo()->NormalizeName(tableName, FHost->QuoteNames()) +
                u"\r";
  String order = Trim(orderFields);
  if (!order.empty()) text += u"ORDER BY " + order;
  return text + u"\r";
}
