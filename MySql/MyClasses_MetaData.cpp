// The MySQL metadata queries and the copies of SHOW results into the neutral layouts.
#include "MySql/MyClasses_MetaData.h"

#include <memory>

#include "MySql/MyClasses_Command.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MyClasses_Literals.h"
#include "MySql/MyClasses_RecordSet.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

[[noreturn]] void RestrictionMissing(const char16_t* name) {
  throw Exception(Format(SRestrictionMustBeSet, {String(name)}));
}

// Whether a row's name passes a restriction: none given, or the same name in any case (MySQL
// compares these names without case).
String Text(const Variant& value) { return value.IsNull() ? String() : value.AsString(); }

bool Matches(const String& restriction, const Variant& value) {
  return restriction.empty() || AnsiSameText(restriction, Text(value));
}

}  // namespace

TMySQLMetaData::TMySQLMetaData() : TLxMetaData(std::make_unique<TMySQLRecordset>()) {}

// ---- Helpers ----

TMySQLCommand* TMySQLMetaData::Command() const {
  return static_cast<TMySQLCommand*>(RecordSet()->GetCommand());
}

TMySQLConnection* TMySQLMetaData::Connection() const {
  TMySQLConnection* connection = Command()->MyConnection();
  RTL_ASSERT(connection != nullptr, u"Connection is not defined");
  return connection;
}

TMySQLInfo& TMySQLMetaData::Info() const {
  return static_cast<TMySQLInfo&>(*Command()->GetSQLInfo());
}

bool TMySQLMetaData::NewServer() const { return Connection()->ServerMajor() >= 5; }

String TMySQLMetaData::Unquoted(const String& name) const {
  return Info().NormalizeName(name, false, true);
}

String TMySQLMetaData::Identifier(const String& name) const {
  return Info().QuoteName(Unquoted(name));
}

String TMySQLMetaData::SchemaOrCurrent(TStrings* restrictions) const {
  const String schema = Restriction(restrictions, u"TABLE_SCHEMA");
  return schema.empty() ? Connection()->Database() : Unquoted(schema);
}

String TMySQLMetaData::QuoteLiteral(const String& value) {
  return UTF8ToString(MySQLQuoteBytes(UTF8Encode(value), Connection()->BackslashEscapes()));
}

String TMySQLMetaData::ParseTypeList(const String& text) {
  TStringList items;
  ParseList(text, &items);
  String out;
  for (int i = 0; i < items.Count(); ++i) {
    if (items.Strings(i).empty()) continue;
    if (!out.empty()) out += u", ";
    out += QuoteLiteral(items.Strings(i));
  }
  return out;
}

void TMySQLMetaData::Run(const String& text) {
  TLxRecordSet* rs = RecordSet();
  rs->Close();
  rs->SetSQL(text);
  rs->Open();
}

String TMySQLMetaData::WhereText(String condition, const String& typeColumn,
                                 const String& typeList) {
  if (!typeList.empty()) {
    if (!condition.empty()) condition += u" AND ";
    condition += typeColumn + u" IN (" + typeList + u")";
  }
  return condition.empty() ? String() : u"WHERE " + condition;
}

TData* TMySQLMetaData::CopyingAnswer(void (TLxMetaData::*createFields)(), const String& text,
                                     void (TMySQLMetaData::*copy)(TStrings*),
                                     TStrings* restrictions) {
  Run(text);
  (this->*createFields)();
  OpenResultTable();
  (this->*copy)(restrictions);
  RecordSet()->Close();
  return ResultAtBegin();
}

TData* TMySQLMetaData::EmptyAnswer(void (TLxMetaData::*createFields)()) {
  (this->*createFields)();
  OpenResultTable();
  return ResultAtBegin();
}

// ---- Tables ----

TData* TMySQLMetaData::GetTables(TStrings* restrictions) {
  const String schema = Restriction(restrictions, u"TABLE_SCHEMA");
  if (NewServer()) {
    String condition;
    if (AnsiUpperCase(Restriction(restrictions, u"SCOPE")) == u"LOCAL")
      condition = u"TABLE_SCHEMA = DATABASE()";
    else
      AddCondition(condition, u"TABLE_SCHEMA", false, schema);
    AddCondition(condition, u"TABLE_NAME", false, Restriction(restrictions, u"TABLE_NAME"));
    const String where = WhereText(condition, u"TABLE_TYPE",
                                   ParseTypeList(Restriction(restrictions, u"TABLE_TYPE")));
    Run(u"SELECT cast('' as char(1)) TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE "
        u"FROM information_schema.TABLES " +
        where + u" ORDER BY TABLE_SCHEMA, TABLE_NAME ");
    return RecordSet();
  }
  if (Connection()->Database().empty()) return EmptyAnswer(&TLxMetaData::CreateTablesFields);
  String text = u"SHOW TABLES";
  if (!schema.empty()) text += u" FROM " + Identifier(schema);
  return CopyingAnswer(&TLxMetaData::CreateTablesFields, text,
                       &TMySQLMetaData::CopyTablesFromShow, restrictions);
}

void TMySQLMetaData::CopyTablesFromShow(TStrings* restrictions) {
  const String schema = SchemaOrCurrent(restrictions);
  const String name = Unquoted(Restriction(restrictions, u"TABLE_NAME"));
  ResultHelper().AllocBuffer();
  RecordSetHelper().AllocBuffer();
  RecordSet()->SetToBegin();
  while (RecordSetHelper().NextRecord()) {
    if (!Matches(name, RecordSetHelper().GetFieldValue(1))) continue;
    ResultHelper().InitRecord();
    CopyRecords({1}, 0, {3});
    ResultHelper().SetFieldValue(2, schema);
    ResultHelper().AppendRecord();
  }
}

// ---- Columns ----

TData* TMySQLMetaData::GetColumns(TStrings* restrictions) {
  const String schema = Restriction(restrictions, u"TABLE_SCHEMA");
  const String table = Restriction(restrictions, u"TABLE_NAME");
  if (NewServer()) {
    String condition;
    AddCondition(condition, u"TABLE_SCHEMA", false, schema);
    AddCondition(condition, u"TABLE_NAME", false, table);
    AddCondition(condition, u"COLUMN_NAME", false, Restriction(restrictions, u"COLUMN_NAME"));
    Run(u"SELECT cast('' as char(1)) TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, "
        u"ORDINAL_POSITION POSITION, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH DATA_LENGTH, "
        u"NUMERIC_PRECISION DATA_PRECISION, NUMERIC_SCALE DATA_SCALE, "
        u"(case IS_NULLABLE when 'YES' then 1 else 0 end) NULLABLE, "
        u"COLUMN_DEFAULT DEFAULT_VALUE FROM information_schema.COLUMNS " +
        WhereText(condition, {}, {}) + u" ORDER BY TABLE_SCHEMA, TABLE_NAME, ORDINAL_POSITION ");
    return RecordSet();
  }
  if (table.empty()) RestrictionMissing(u"TABLE_NAME");
  String text = u"SHOW COLUMNS FROM " + Identifier(table);
  if (!schema.empty()) text += u" FROM " + Identifier(schema);
  return CopyingAnswer(&TLxMetaData::CreateColumnsFields, text,
                       &TMySQLMetaData::CopyColumnsFromShow, restrictions);
}

void TMySQLMetaData::CopyColumnsFromShow(TStrings* restrictions) {
  const String schema = SchemaOrCurrent(restrictions);
  const String table = Unquoted(Restriction(restrictions, u"TABLE_NAME"));
  const String column = Unquoted(Restriction(restrictions, u"COLUMN_NAME"));
  ResultHelper().AllocBuffer();
  RecordSetHelper().AllocBuffer();
  RecordSet()->SetToBegin();
  int position = 0;
  while (RecordSetHelper().NextRecord()) {
    // The position counts every column of the table, also those the restriction leaves out.
    ++position;
    if (!Matches(column, RecordSetHelper().GetFieldValue(1))) continue;
    ResultHelper().InitRecord();
    CopyRecords({1, 2, 5}, 2, {4, 6, 11});
    ResultHelper().SetFieldValue(2, schema);
    ResultHelper().SetFieldValue(3, table);
    ResultHelper().SetFieldValue(5, position);
    const String nullable = AnsiUpperCase(Text(RecordSetHelper().GetFieldValue(3)));
    ResultHelper().SetFieldValue(10, nullable == u"Y" || nullable == u"YES" ? 1 : 0);
    ResultHelper().AppendRecord();
  }
}

// ---- Routines ----

TData* TMySQLMetaData::GetProcedures(TStrings* restrictions) {
  if (!NewServer()) return EmptyAnswer(&TLxMetaData::CreateProceduresFields);
  String condition;
  if (AnsiUpperCase(Restriction(restrictions, u"SCOPE")) == u"LOCAL")
    condition = u"ROUTINE_SCHEMA = DATABASE()";
  else
    AddCondition(condition, u"ROUTINE_SCHEMA", false,
                 Restriction(restrictions, u"PROCEDURE_SCHEMA"));
  AddCondition(condition, u"ROUTINE_NAME", false, Restriction(restrictions, u"PROCEDURE_NAME"));
  const String where = WhereText(condition, u"ROUTINE_TYPE",
                                 ParseTypeList(Restriction(restrictions, u"PROCEDURE_TYPE")));
  Run(u"SELECT cast('' as char(1)) PROCEDURE_CATALOG, ROUTINE_SCHEMA PROCEDURE_SCHEMA, "
      u"ROUTINE_NAME PROCEDURE_NAME, ROUTINE_TYPE PROCEDURE_TYPE "
      u"FROM information_schema.ROUTINES " +
      where + u" ORDER BY ROUTINE_SCHEMA, ROUTINE_NAME ");
  return RecordSet();
}

TData* TMySQLMetaData::GetProcedureParameters(TStrings* restrictions) {
  if (!NewServer()) return EmptyAnswer(&TLxMetaData::CreateProcedureParametersFields);
  const String given = Restriction(restrictions, u"PROCEDURE_NAME");
  if (given.empty()) RestrictionMissing(u"PROCEDURE_NAME");
  // A schema named by the restriction or by the name's own prefix is where the routine is
  // looked up; without either, the connection's database.
  String prefix, name;
  Info().SplitDatabaseAndName(given, prefix, name);
  name = Unquoted(name);
  String schema = Unquoted(Restriction(restrictions, u"PROCEDURE_SCHEMA"));
  if (!prefix.empty()) schema = Unquoted(prefix);
  if (schema.empty()) schema = Connection()->Database();
  TMyParamBlockResult block;
  bool isFunction = false;
  Command()->GetProcParamsInfo(Info().QuoteName(schema) + u"." + Info().QuoteName(name), block,
                               isFunction);
  TParamInfos infos;
  if (isFunction) Command()->ParseParamInfos(block.ReturnType, true, nullptr, infos);
  Command()->ParseParamInfos(block.Params, false, nullptr, infos);

  CreateProcedureParametersFields();
  OpenResultTable();
  ResultHelper().AllocBuffer();
  for (size_t i = 0; i < infos.size(); ++i) {
    const TParamInfo& info = infos[i];
    ResultHelper().InitRecord();
    ResultHelper().SetFieldValue(2, schema);
    ResultHelper().SetFieldValue(3, name);
    ResultHelper().SetFieldValue(4, info.Name);
    ResultHelper().SetFieldValue(5, static_cast<int32_t>(isFunction ? i : i + 1));
    const char16_t* direction = info.ParamType == 1   ? u"IN"
                                : info.ParamType == 3 ? u"IN/OUT"
                                                      : u"OUT";
    ResultHelper().SetFieldValue(6, String(direction));
    ResultHelper().SetFieldValue(7, info.TypeName);
    // A decimal's declaration carries its precision and scale in the type; its declared size
    // would be the scale, which is no length.
    const bool decimal = info.TypeName.find(u'(') != String::npos;
    if (info.Size >= 0 && !decimal) ResultHelper().SetFieldValue(8, info.Size);
    ResultHelper().AppendRecord();
  }
  return ResultAtBegin();
}

// ---- Indexes ----

TData* TMySQLMetaData::GetIndexes(TStrings* restrictions) {
  return ReadShowIndex(restrictions, false);
}

TData* TMySQLMetaData::GetIndexColumns(TStrings* restrictions) {
  return ReadShowIndex(restrictions, true);
}

TData* TMySQLMetaData::ReadShowIndex(TStrings* restrictions, bool indexColumns) {
  const String table = Restriction(restrictions, u"TABLE_NAME");
  if (table.empty()) RestrictionMissing(u"TABLE_NAME");
  String text = u"SHOW INDEX FROM " + Identifier(table);
  const String schema = Restriction(restrictions, u"TABLE_SCHEMA");
  if (!schema.empty()) text += u" FROM " + Identifier(schema);
  if (indexColumns)
    return CopyingAnswer(&TLxMetaData::CreateIndexColumnsFields, text,
                         &TMySQLMetaData::CopyIndexColumnsFromShow, restrictions);
  return CopyingAnswer(&TLxMetaData::CreateIndexesFields, text,
                       &TMySQLMetaData::CopyIndexesFromShow, restrictions);
}

void TMySQLMetaData::CopyIndexesFromShow(TStrings* restrictions) {
  const String schema = SchemaOrCurrent(restrictions);
  const String index = Unquoted(Restriction(restrictions, u"INDEX_NAME"));
  ResultHelper().AllocBuffer();
  RecordSetHelper().AllocBuffer();
  RecordSet()->SetToBegin();
  String previous;
  bool first = true;
  while (RecordSetHelper().NextRecord()) {
    const String key = Text(RecordSetHelper().GetFieldValue(3));
    // One row for each run of rows of one key.
    if (!first && key == previous) continue;
    first = false;
    previous = key;
    if (!Matches(index, key)) continue;
    ResultHelper().InitRecord();
    CopyRecords({1, 3}, 1, {3, 6});
    ResultHelper().SetFieldValue(2, schema);
    ResultHelper().SetFieldValue(5, schema);
    const Variant nonUnique = RecordSetHelper().GetFieldValue(2);
    ResultHelper().SetFieldValue(7, !nonUnique.IsNull() && nonUnique.AsInteger() == 0 ? 1 : 0);
    ResultHelper().AppendRecord();
  }
}

void TMySQLMetaData::CopyIndexColumnsFromShow(TStrings* restrictions) {
  const String schema = SchemaOrCurrent(restrictions);
  const String index = Unquoted(Restriction(restrictions, u"INDEX_NAME"));
  ResultHelper().AllocBuffer();
  RecordSetHelper().AllocBuffer();
  RecordSet()->SetToBegin();
  while (RecordSetHelper().NextRecord()) {
    if (!Matches(index, RecordSetHelper().GetFieldValue(3))) continue;
    ResultHelper().InitRecord();
    CopyRecords({1, 3, 5, 4}, 3, {3, 6, 7, 8});
    ResultHelper().SetFieldValue(2, schema);
    ResultHelper().SetFieldValue(5, schema);
    String order = Text(RecordSetHelper().GetFieldValue(6));
    if (order == u"A") order = u"ASC";
    if (order == u"D") order = u"DESC";
    ResultHelper().SetFieldValue(9, order);
    ResultHelper().AppendRecord();
  }
}

// ---- Constraints and databases ----

TData* TMySQLMetaData::GetConstraints(TStrings* restrictions) {
  if (!NewServer()) return EmptyAnswer(&TLxMetaData::CreateConstraintsFields);
  String condition;
  AddCondition(condition, u"TABLE_SCHEMA", false, Restriction(restrictions, u"TABLE_SCHEMA"));
  AddCondition(condition, u"TABLE_NAME", false, Restriction(restrictions, u"TABLE_NAME"));
  AddCondition(condition, u"CONSTRAINT_NAME", false,
               Restriction(restrictions, u"CONSTRAINT_NAME"));
  const String where = WhereText(condition, u"CONSTRAINT_TYPE",
                                 ParseTypeList(Restriction(restrictions, u"CONSTRAINT_TYPE")));
  Run(u"SELECT cast('' as char(1)) TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, CONSTRAINT_NAME, "
      u"CONSTRAINT_TYPE, cast('' as char(1)) INDEX_CATALOG, cast('' as char(1)) INDEX_OWNER, "
      u"cast('' as char(1)) INDEX_NAME FROM information_schema.table_constraints " +
      where + u" ORDER BY TABLE_SCHEMA, TABLE_NAME, CONSTRAINT_NAME");
  return RecordSet();
}

TData* TMySQLMetaData::GetDatabases(TStrings*) {
  Run(u"SHOW DATABASES");
  CreateDatabasesFields();
  OpenResultTable();
  CopyDatabasesFromShow();
  RecordSet()->Close();
  return ResultAtBegin();
}

void TMySQLMetaData::CopyDatabasesFromShow() {
  ResultHelper().AllocBuffer();
  RecordSetHelper().AllocBuffer();
  RecordSet()->SetToBegin();
  while (RecordSetHelper().NextRecord()) {
    ResultHelper().InitRecord();
    CopyRecords({1}, 0, {1});
    ResultHelper().AppendRecord();
  }
}
