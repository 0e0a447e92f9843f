// Describing the record set's columns: field descriptors from the result's column records, a
// statement described without its rows (LIMIT 0), and the tables the columns come from.
#include <memory>
#include <string>
#include <string_view>

#include "Common/CLRClasses.h"
#include "MySql/MyCall.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MyClasses_RecordSet.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyParser.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// Where a word stands in SQL text as the lexer reads it (strings, quoted names and comments never
// match); searched from the start of the text.
struct TWordHit {
  bool Found = false;
  size_t Start = 0;
  size_t End = 0;
};

TWordHit FindWord(const AnsiString& text, std::string_view word) {
  TMyParser parser(text);
  parser.SkipBlanks = false;
  parser.SkipComments = true;
  TWordHit hit;
  if (!parser.SkipToText(word)) return hit;
  hit.Found = true;
  hit.End = static_cast<size_t>(parser.GetCurrPos());
  hit.Start = hit.End - word.size();
  return hit;
}

bool HasWord(const AnsiString& text, std::string_view word) { return FindWord(text, word).Found; }

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

AnsiString LimitZeroText(const AnsiString& text) {
  const TWordHit select = FindWord(text, "SELECT");
  if (!select.Found) return text;
  const TWordHit set = FindWord(text, "SET");
  if (set.Found && set.Start < select.Start) return text;

  const TWordHit limit = FindWord(text, "LIMIT");
  if (limit.Found) {
    size_t pos = limit.End;
    while (pos < text.size() && IsBlankChar(text[pos])) ++pos;
    size_t end = pos;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (pos == limit.End || end == pos) return text;
    AnsiString result = text;
    result.replace(pos, end - pos, "0");
    return result;
  }
  for (std::string_view word : {"PROCEDURE", "FOR", "LOCK"}) {
    const TWordHit hit = FindWord(text, word);
    if (!hit.Found) continue;
    AnsiString result = text;
    result.insert(hit.Start, "LIMIT 0 ");
    return result;
  }
  const TWordHit semicolon = FindWord(text, ";");
  if (!semicolon.Found) return text + " LIMIT 0";
  if (semicolon.Start < select.Start) return text;
  AnsiString result = text;
  result.insert(semicolon.Start, " LIMIT 0 ");
  return result;
}

// Strings longer than the record may hold go out of it: memos without long strings, and texts
// kept by reference without flat buffers (or when the column gives no size at all).
void ApplyStringStorage(TMyFieldMapping& m, bool longStrings, bool flatBuffers) {
  if (!longStrings && m.Size > 256) {
    if (m.DataType == dtString) m.DataType = dtMemo;
    else if (m.DataType == dtWideString) m.DataType = dtWideMemo;
  }
  if ((!flatBuffers && m.Size >= 32) || m.Size == 0) {
    switch (m.DataType) {
      case dtString: m.DataType = dtExtString; break;
      case dtBytes:
      case dtVarBytes: m.DataType = dtExtVarBytes; break;
      case dtWideString: m.DataType = dtExtWideString; break;
      default: break;
    }
  }
}

}  // namespace

String TMySQLRecordset::LimitZeroSQL(const String& sql) {
  return UTF8ToString(LimitZeroText(UTF8Encode(sql)));
}

void TMySQLRecordset::DetectCommandType() {
  const AnsiString text = UTF8Encode(FMyCommand->TextToSend());
  FIsShow = HasWord(text, "SHOW");
  FIsDescribe = ServerMajor() < 5 && (HasWord(text, "EXPLAIN") || HasWord(text, "DESCRIBE"));
  FKillAllowed = false;
  if (CommandType() == ctUnknown) {
    // Opening the next result of a batch that has none leaves nothing to describe; running the
    // statement again to describe it would be wrong.
    if (!FMyCommand->OpenNext()) DescribeWithoutRows();
  } else if (CommandType() == ctResultSet) {
    DescribeFields(FMyCommand->ResultHandle());
    // Only a lone SELECT on its own connection may be ended by killing that connection.
    if (FSavedConnection != nullptr && HasWord(text, "SELECT"))
      FKillAllowed = text.find(';') == AnsiString::npos;
  }
}

void TMySQLRecordset::DescribeWithoutRows() {
  TMySQLConnection* con = Connection();
  RTL_ASSERT(con != nullptr && con->Handle() != nullptr, u"The record set is not connected");
  RTL_ASSERT(FMyCommand->ResultHandle() == nullptr, u"FCommand.FSQLResult must be nil");
  RTL_ASSERT(FNextResult == nullptr, u"FSQLResultNext must be nil");
  FResultsState = rsNone;

  // The text goes straight to the session: the command's own text and parameters stay as the
  // user set them.
  AnsiString sql;
  if (FMyCommand->GetParamCount() > 0) {
    AnsiStringBuilder builder(static_cast<int>(FMyCommand->TextToSend().size()) + 64);
    FMyCommand->SubstituteParams(builder);
    sql = builder.ToString();
  } else {
    sql = UTF8Encode(FMyCommand->TextToSend());
  }
  if (!FMyCommand->StoredProc()) sql = LimitZeroText(sql);

  TMySQLAPI* api = con->API();
  PMYSQL_CON handle = con->Handle();
  api->SetTimeouts(handle, FMyCommand->CommandTimeout());
  CheckResultFalse(api->mysql_real_query(handle, sql.data(), static_cast<uint32_t>(sql.size())));
  PMYSQL_RES result = api->mysql_use_result(handle);
  CheckErrno();
  // Statements without rows before the first result (the SET part of a routine call) pass.
  while (result == nullptr && IsClient41() && api->mysql_more_results(handle)) {
    const int status = api->mysql_next_result(handle);
    if (status > 0) CheckResultFalse(status);
    if (status != 0) break;
    result = api->mysql_use_result(handle);
    CheckErrno();
  }
  struct DiscardResults {
    TMySQLAPI* api;
    PMYSQL_CON handle;
    PMYSQL_RES result;
    bool client41;
    ~DiscardResults() {
      for (;;) {
        if (result) {
          while (api->FetchRow(result)) {
          }
          api->mysql_free_result(result);
          result = nullptr;
        }
        if (!client41 || !api->mysql_more_results(handle) || api->mysql_next_result(handle) != 0)
          return;
        result = api->mysql_use_result(handle);
      }
    }
  } discard{api, handle, result, IsClient41()};
  if (result != nullptr) DescribeFields(result);
}

TMyFieldOptions TMySQLRecordset::FieldOptions() {
  TMySQLConnection* con = Connection();
  TMyFieldOptions options;
  options.FieldsAsString = FFieldsAsString;
  options.EnableBoolean = FEnableBoolean;
  options.BinaryAsString = FBinaryAsString;
  options.UseUnicode = UseUnicode();
  options.OptimizedBigInt = OptimizedBigInt();
  options.EnableBCD = FMyCommand->EnableBCD() || (con && con->EnableBCD());
  options.EnableFMTBCD = FMyCommand->EnableFMTBCD() || (con && con->EnableFMTBCD());
  // Storage out of the record is decided after the sizes of SHOW results are corrected.
  options.LongStrings = true;
  options.FlatBuffers = true;
  options.IsDescribe = FIsDescribe;
  options.IsShow = FIsShow;
  return options;
}

void TMySQLRecordset::AdjustShowSizes(const TMYSQL_FIELD& column, const AnsiString& sql,
                                      TMyFieldMapping& m) {
  const String name = S(column.Name);
  auto named = [&](const char16_t* text) { return SameText(name, text); };
  auto has = [&](std::string_view word) { return HasWord(sql, word); };
  const int32_t major = ServerMajor();
  const int32_t minor = ServerMinor();
  const int32_t release = Connection() ? Connection()->ServerRelease() : 0;
  if ((named(u"privilege") || named(u"context")) && m.Size < 30 && has("SHOW") &&
      has("PRIVILEGES"))
    m.Size = 40;
  if ((named(u"state") || named(u"command")) && has("SHOW") && has("PROCESSLIST")) m.Size *= 3;
  if (named(u"slave_io_state") && m.Size < 80 && has("SLAVE") && has("STATUS")) m.Size = 80;
  if ((named(u"slave_io_running") || named(u"slave_sql_running")) && m.Size < 3 &&
      has("SLAVE") && has("STATUS"))
    m.Size *= 3;
  if ((named(u"last_error") || named(u"last_io_error") || named(u"last_sql_error")) &&
      m.Size < 80 && has("SHOW") && has("SLAVE") && has("STATUS"))
    m.Size = 2048;
  if (named(u"create table") && ((major == 4 && minor == 0) || major == 5) && has("CREATE"))
    m.Size = 65535;
  if (named(u"create procedure") && major == 5 && has("CREATE")) m.Size = 65535;
  if (major == 5 && minor == 0 && has("ENGINES")) m.Size = m.Size * 3 + 1;
  if (named(u"user") && major == 5 && release > 51) m.Size = 16;
  if (named(u"host") && major == 5 && release > 51) m.Size = 60;
}

void TMySQLRecordset::DescribeFields(PMYSQL_RES result) {
  if (FMyCommand->GetPrepared() && Fields().Count() > 0) return;
  RTL_ASSERT(result != nullptr, u"No result to describe");
  TMySQLConnection* con = Connection();
  TMySQLAPI* api = con->API();
  const bool utf8 = con->UseUnicode() || AnsiSameText(con->Charset(), u"utf8");
  const AnsiString sql = UTF8Encode(FMyCommand->TextToSend());
  const TMyFieldOptions options = FieldOptions();
  const int count = api->mysql_num_fields(result);
  TablesInfo().BeginUpdate();
  try {
    for (int i = 0; i < count; ++i) {
      TMYSQL_FIELD column;
      api->GetFieldInfo(result, i, column, utf8);
      TMyFieldMapping m = MapFieldType(column, options);
      if (FIsShow) AdjustShowSizes(column, sql, m);
      ApplyStringStorage(m, LongStrings(), FlatBuffers());
      std::unique_ptr<TMySQLFieldDesc> field(
          static_cast<TMySQLFieldDesc*>(GetFieldDescClass()()));
      field->SetFieldNo(static_cast<uint16_t>(i + 1));
      field->SetColumnIndex(static_cast<int16_t>(i));
      field->SetFixed(m.Fixed);
      FillFieldDesc(column, m, *field);
      Fields().Add(field.release());
    }
  } catch (...) {
    TablesInfo().EndUpdate();
    throw;
  }
  TablesInfo().EndUpdate();
  ResolveTables();
  if (FConverter) FConverter->Reset();
}

void TMySQLRecordset::FillFieldDesc(const TMYSQL_FIELD& column, const TMyFieldMapping& mapping,
                                    TMySQLFieldDesc& field) {
  FillMySQLFieldDesc(field, column, mapping);
  if (!column.Table.empty()) {
    TSQLInfo* info = FMyCommand->GetSQLInfo();
    const int index = FindOrAddTable(S(column.Table), false);
    TLxTableInfo* table = TablesInfo().GetItem(index);
    if (!column.OrgTable.empty()) table->SetTableName(info->NormalizeName(S(column.OrgTable)));
    table->SetTableAlias(info->NormalizeName(S(column.Table)));
    field.SetTableInfo(table);
    if (column.Type == kFieldTypeTimestamp) {
      auto* myTable = static_cast<TMyTableInfo*>(table);
      // The column the server updates itself is the one that tells which rows changed.
      if (myTable->TimestampField() == nullptr || (column.Flags & MyTimestampFlag) != 0)
        myTable->SetTimestampField(&field);
    }
  }
}

int TMySQLRecordset::FindTable(const String& name) {
  TMySQLConnection* con = Connection();
  if (con == nullptr) return -1;
  TSQLInfo* info = FMyCommand->GetSQLInfo();
  String database, table;
  if (auto* myInfo = dynamic_cast<TMySQLInfo*>(info))
    myInfo->SplitDatabaseAndName(name, database, table);
  else
    table = name;
  database = info->NormalizeName(database, false, true);
  table = info->NormalizeName(table, false, true);
  String full = info->QuoteIfNeeded(table);
  if (!database.empty() && !AnsiSameText(database, con->Database()))
    full = info->QuoteIfNeeded(database) + u"." + full;
  const int index = TablesInfo().IndexByName(full);
  return index >= 0 ? index : TablesInfo().IndexByAlias(full);
}

int TMySQLRecordset::FindOrAddTable(const String& name, bool isView) {
  const String normalized = FMyCommand->GetSQLInfo()->NormalizeName(name, false, true);
  const int index = FindTable(normalized);
  if (index >= 0) return index;
  TLxTableInfo* table = TablesInfo().Add();
  table->SetTableName(normalized);
  table->SetIsView(isView);
  return table->Index();
}
