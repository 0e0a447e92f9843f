// Stored routines: reading a routine's declaration from the server, parsing its parameters and
// return type, and building the CALL or SELECT text that runs it with its OUT values read back.
#include <charconv>
#include <map>
#include <optional>
#include <string>

#include "MySql/MyClasses_Command.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MyClasses_Literals.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyParser.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

const std::map<String, TDataTypeCode>& DeclaredTypes() {
  static const std::map<String, TDataTypeCode> types = {
      {u"BIT", 10},        {u"TINYINT", 2},     {u"BOOL", 2},          {u"BOOLEAN", 2},
      {u"SMALLINT", 3},    {u"MEDIUMINT", 4},   {u"INT", 4},           {u"INTEGER", 4},
      {u"BIGINT", 11},     {u"DOUBLE", 5},      {u"FLOAT", 5},         {u"DECIMAL", 5},
      {u"NUMERIC", 5},     {u"CHAR", 1},        {u"NCHAR", 1},         {u"VARCHAR", 1},
      {u"NVARCHAR", 1},    {u"ENUM", 1},        {u"SET", 1},           {u"DATE", 6},
      {u"TIME", 7},        {u"TIMESTAMP", 8},   {u"DATETIME", 8},      {u"YEAR", 9},
      {u"TINYBLOB", 13},   {u"BLOB", 13},       {u"MEDIUMBLOB", 13},   {u"LONGBLOB", 13},
      {u"GEOMETRY", 13},   {u"POINT", 13},      {u"LINESTRING", 13},   {u"POLYGON", 13},
      {u"GEOMETRYCOLLECTION", 13},              {u"MULTIPOINT", 13},   {u"MULTILINESTRING", 13},
      {u"MULTIPOLYGON", 13},                    {u"TINYTEXT", 14},     {u"TEXT", 14},
      {u"MEDIUMTEXT", 14}, {u"LONGTEXT", 14}};
  return types;
}

bool IsWord(TLexemeCode code, const AnsiString& text) {
  if (code == lcIdentifier) return true;
  if (code <= 0 || text.empty()) return false;
  unsigned char c = static_cast<unsigned char>(text[0]);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

[[noreturn]] void BadToken(const AnsiString& token, const String& text, const String& name) {
  RTL_ASSERT(false, UTF8ToString(token) + u" in " + text + u", Name = " + name);
  throw Exception(u"unreachable");
}

// The decimal digits of the whole token as a size (0 up to the largest 32-bit value).
bool ParseSize(const AnsiString& token, int32_t& size) {
  const char* end = token.data() + token.size();
  int32_t value = 0;
  auto [stop, error] = std::from_chars(token.data(), end, value);
  if (error != std::errc() || stop != end || value < 0) return false;
  size = value;
  return true;
}

// The first row of a statement's result, each column as text ("" for NULL, nullopt-free); empty
// when there is no row.
std::vector<std::optional<String>> FirstRow(TMySQLConnection& conn, const AnsiString& sql) {
  TMySQLAPI* api = conn.API();
  conn.CheckResultFalse(
      api->mysql_real_query(conn.Handle(), sql.data(), static_cast<uint32_t>(sql.size())),
      conn.OwnerComponent());
  std::vector<std::optional<String>> values;
  PMYSQL_RES result = api->mysql_use_result(conn.Handle());
  if (result == nullptr) {
    conn.CheckErrno(conn.OwnerComponent());
    return values;
  }
  int columns = api->mysql_num_fields(result);
  bool first = true;
  while (PMYSQL_ROW row = api->FetchRow(result)) {
    if (!first) continue;  // the rest is read to leave the session ready
    first = false;
    for (int i = 0; i < columns; ++i) {
      if (api->FieldIsNull(row, i)) {
        values.emplace_back(std::nullopt);
        continue;
      }
      AnsiString s;
      api->GetFieldString(row, i, s);
      values.emplace_back(UTF8ToString(s));
    }
  }
  bool failed = api->mysql_errno(conn.Handle()) != 0;
  api->mysql_free_result(result);
  if (failed) conn.RaiseError(conn.OwnerComponent());
  return values;
}

}  // namespace

String TMySQLCommand::CastOutParam(const String& rawVar, const String& quotedVar,
                                   const TParamInfo& info) {
  String alias = u"'" + StringReplace(rawVar, u"'", u"''", rfReplaceAll) + u"'";
  const String& t = info.TypeName;
  auto cast = [&](const String& to) { return u"CAST(" + quotedVar + u" AS " + to + u") AS " + alias; };
  if (t == u"TINYINT" || t == u"SMALLINT" || t == u"MEDIUMINT" || t == u"INT" ||
      t == u"INTEGER" || t == u"BIGINT")
    return cast(info.IsUnsigned ? u"UNSIGNED" : u"SIGNED");
  if (t == u"YEAR") return cast(u"UNSIGNED");
  if (t == u"DATE" || t == u"TIME" || t == u"DATETIME") return cast(t);
  if (t == u"TINYBLOB" || t == u"BLOB" || t == u"MEDIUMBLOB" || t == u"LONGBLOB")
    return cast(u"BINARY");
  if (t.substr(0, 7) == u"DECIMAL" || t.substr(0, 7) == u"NUMERIC") return cast(t);
  return quotedVar + u" AS " + alias;
}

void TMySQLCommand::SplitProcHeader(const String& createText, TMyParamBlockResult& result) {
  result = {};
  AnsiString text = UTF8Encode(createText);
  int64_t afterReturns = -1;  // 0-based index just after RETURNS
  {
    TMyParser parser(text);
    parser.SkipBlanks = true;
    parser.SkipComments = true;
    parser.KeepQuotes = true;
    if (parser.SkipToText("RETURNS")) {
      afterReturns = parser.GetCurrPos();
      AnsiString token;
      TLexemeCode code = parser.GetNextToken(token);
      if (IsWord(code, token)) {
        AnsiString type = token;
        parser.SkipBlanks = false;
        code = parser.GetNextToken(token);
        if (token == "(") {
          type += "(";
          for (;;) {
            code = parser.GetNextToken(token);
            if (code == lcEndOfText || token == "(") break;
            type += token;
            if (token == ")") break;
          }
        }
        result.ReturnType = UTF8ToString(type);
      }
    }
  }
  size_t open = text.find('(');
  if (open == std::string::npos) return;
  if (afterReturns >= 0 && static_cast<int64_t>(open) >= afterReturns) return;
  // Parentheses are counted outside strings, quoted names and comments: the lexer returns every
  // byte of the text in some token, so the tokens' lengths give the positions.
  TMyParser parser(text);
  parser.SkipBlanks = false;
  parser.SkipComments = false;
  parser.KeepQuotes = true;
  int depth = 0;
  AnsiString token;
  for (TLexemeCode code = parser.GetNextToken(token); code != lcEndOfText;
       code = parser.GetNextToken(token)) {
    size_t pos = static_cast<size_t>(parser.GetPrevPos());  // the token's 0-based start
    if (code == lcString || code == lcComment || code == lcBlank) continue;
    for (size_t i = 0; i < token.size(); ++i) {
      if (token[i] == '(') {
        ++depth;
      } else if (token[i] == ')' && depth > 0 && --depth == 0) {
        size_t close = pos + i;
        result.Params = UTF8ToString(text.substr(open + 1, close - open - 1));
        return;
      }
    }
  }
}

void TMySQLCommand::ParseParamInfos(const String& text, bool isResult, TParamDescs* params,
                                    TParamInfos& infos) const {
  TMyParser parser(UTF8Encode(text));
  parser.SkipBlanks = true;
  parser.SkipComments = true;
  AnsiString token;
  TLexemeCode code = parser.GetNextToken(token);
  while (code != lcEndOfText) {
    TParamInfo info;
    TParamDesc* desc = params ? params->Add(GetParamDescClass()()) : nullptr;
    if (isResult) {
      info.ParamType = 4;
      info.Name = u"Result";
    } else {
      String upper = UpperCase(UTF8ToString(token));
      if (upper == u"IN" || upper == u"OUT" || upper == u"INOUT") {
        info.ParamType = upper == u"IN" ? 1 : upper == u"OUT" ? 2 : 3;
        code = parser.GetNextToken(token);
      }
      if (!IsWord(code, token)) BadToken(token, text, info.Name);
      info.Name = TMySQLInfo(GetParserClass()).Unquote(UTF8ToString(token));
      code = parser.GetNextToken(token);
    }
    if (!IsWord(code, token)) BadToken(token, text, info.Name);
    info.TypeName = UpperCase(UTF8ToString(token));
    auto found = DeclaredTypes().find(info.TypeName);
    if (found == DeclaredTypes().end())
      throw Exception(u"Unknown column type \"" + info.TypeName + u"\" in \"" + text + u"\"");
    TDataTypeCode dataType = found->second;
    bool decimal = info.TypeName == u"DECIMAL" || info.TypeName == u"NUMERIC";
    code = parser.GetNextToken(token);
    while (code != lcEndOfText && token != ",") {
      if (token == "(") {
        AnsiString length;
        for (code = parser.GetNextToken(token); code != lcEndOfText && token != ")";
             code = parser.GetNextToken(token)) {
          length += token;
          if (code == lcNumber) {
            // Server text: a length that is not a whole size is a malformed header, never
            // another number.
            if (!ParseSize(token, info.Size)) BadToken(token, text, info.Name);
            if (dataType == 1) {
              if (desc) desc->SetSize(info.Size);
            } else if (dataType == 2) {
              dataType = 10;  // TINYINT(n) is how MySQL declares a Boolean
            }
          }
        }
        if (decimal) info.TypeName += u"(" + UTF8ToString(length) + u")";
      } else if (UpperCase(UTF8ToString(token)) == u"UNSIGNED") {
        info.IsUnsigned = true;
      }
      if (code != lcEndOfText) code = parser.GetNextToken(token);
    }
    if (code != lcEndOfText) code = parser.GetNextToken(token);  // past the ","
    if (desc) {
      if (FConnection && FConnection->UseUnicode()) {
        if (dataType == 1) dataType = 25;
        if (dataType == 14) dataType = 30;
      }
      desc->SetName(info.Name);
      desc->SetParamType(info.ParamType);
      desc->SetDataType(dataType);
    }
    infos.push_back(info);
  }
}

void TMySQLCommand::GetProcParamsInfo(const String& name, TMyParamBlockResult& result,
                                      bool& isFunction) {
  RTL_ASSERT(FConnection != nullptr, u"No connection");
  result = {};
  isFunction = false;
  TMySQLInfo info(GetParserClass());
  String database, routine;
  info.SplitDatabaseAndName(name, database, routine);
  database = info.Unquote(database);
  routine = info.Unquote(routine);
  if (database.empty()) database = FConnection->Database();
  bool bs = FConnection->BackslashEscapes();
  // Names go into the statements as quoted literals and identifiers, never as bare text.
  AnsiString routineLit = MySQLQuoteBytes(UTF8Encode(routine), bs);
  AnsiString dbLowerLit = MySQLQuoteBytes(UTF8Encode(AnsiLowerCase(database)), bs);
  int major = FConnection->ServerMajor(), minor = FConnection->ServerMinor(),
      release = FConnection->ServerRelease();
  if (major == 5 && minor == 0 && release <= 3) {
    auto row = FirstRow(*FConnection,
                        "SELECT type, returns, param_list FROM mysql.proc WHERE (name = " +
                            routineLit + ") AND (LOWER(db) = " + dbLowerLit + ")");
    if (row.size() < 3) return;
    isFunction = UpperCase(row[0].value_or(u"")) == u"FUNCTION";
    result.ReturnType = row[1].value_or(u"");
    result.Params = row[2].value_or(u"");
    return;
  }
  auto type = FirstRow(*FConnection,
                       "SELECT ROUTINE_TYPE FROM INFORMATION_SCHEMA.ROUTINES WHERE (ROUTINE_NAME = " +
                           routineLit + ") AND (LOWER(ROUTINE_SCHEMA) = " + dbLowerLit + ")");
  if (type.empty()) return;
  isFunction = UpperCase(type[0].value_or(u"")) == u"FUNCTION";
  String sql = String(isFunction ? u"SHOW CREATE FUNCTION " : u"SHOW CREATE PROCEDURE ") +
               info.QuoteName(database) + u"." + info.QuoteName(routine);
  auto create = FirstRow(*FConnection, UTF8Encode(sql));
  if (create.size() < 3 || !create[2]) return;
  SplitProcHeader(*create[2], result);
}

String TMySQLCommand::CreateProcCall(const String& name, bool rebuildParams) {
  TMyParamBlockResult block;
  bool isFunction = false;
  bool describe = rebuildParams || GetParamCount() > 0;
  if (describe) GetProcParamsInfo(name, block, isFunction);
  TParamDescs* list = nullptr;
  if (rebuildParams) {
    Params().Clear();
    list = &Params();
  }
  TParamInfos infos;
  if (describe) {
    if (isFunction) ParseParamInfos(block.ReturnType, true, list, infos);
    ParseParamInfos(block.Params, false, list, infos);
    RTL_ASSERT(static_cast<int>(infos.size()) >= GetParamCount(), u"Fewer declared parameters");
  }

  TSQLInfo* sqlInfo = GetSQLInfo();
  TMySQLInfo myInfo(GetParserClass());
  String database, routine;
  myInfo.SplitDatabaseAndName(name, database, routine);
  // The routine name is always a quoted identifier: a quote in it cannot end the statement.
  String callee = database.empty() ? myInfo.QuoteName(myInfo.Unquote(routine))
                                   : myInfo.QuoteName(myInfo.Unquote(database)) + u"." +
                                         myInfo.QuoteName(myInfo.Unquote(routine));
  String head = (isFunction ? u"SELECT " : u"CALL ") + callee + u"(";
  String native = head, user = head, setNative, setUser, selectList;
  int first = isFunction ? 1 : 0;
  bool any = false;
  for (int i = first; i < GetParamCount(); ++i) {
    TParamDesc* p = GetParam(i);
    if (any) {
      native += u", ";
      user += u", ";
    }
    any = true;
    uint8_t type = p->GetParamType();
    if (type == 0 || type == 1) {
      native += u"?";
      user += u":" + p->GetName();
      continue;
    }
    String variable = u"@" + sqlInfo->NormalizeName(p->GetName(), QuoteNames());
    native += variable;
    user += variable;
    if (type == 3) {
      if (!setNative.empty()) {
        setNative += u", ";
        setUser += u", ";
      }
      setNative += variable + u" = ?";
      setUser += variable + u" = :" + p->GetName();
    }
    if (!selectList.empty()) selectList += u", ";
    TParamInfo none;
    const TParamInfo& info = i < static_cast<int>(infos.size()) ? infos[static_cast<size_t>(i)] : none;
    selectList += CastOutParam(u"@" + p->GetName(), variable, info);
  }
  native += u")";
  user += u")";
  if (!setNative.empty()) {
    native = u"SET " + setNative + u"; " + native;
    user = u"SET " + setUser + u"; " + user;
  }
  if (!selectList.empty()) {
    native += u"; SELECT " + selectList;
    user += u"; SELECT " + selectList;
  }
  // The base keeps the user text; the native call is kept here, as the scan of the user text
  // would rebuild the parameter list without its types.
  bool noScan = DisableParamScan();
  TLxCommand::SetProp(pcDisableParamScan, true);
  TLxCommand::SetSQL(user);
  TLxCommand::SetProp(pcDisableParamScan, noScan);
  FProcNativeSQL = native;
  ForgetNativeText();
  FParamPositions.clear();
  return user;
}
