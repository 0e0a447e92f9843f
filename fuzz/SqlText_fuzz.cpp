// Arbitrary statement text through everything that reads SQL: the common and the MySQL lexer
// token by token, the clause routines that edit a statement, and the MySQL command's parameter
// scan. The library's own errors are answers; a crash, a hang or a lexer that stops advancing is
// a finding.
#include <cstddef>
#include <cstdint>

#include "Common/DBAccess_SQLText.h"
#include "Common/LxAccess_Command.h"
#include "Common/LxParser.h"
#include "MySql/MyClasses_Command.h"
#include "MySql/MyParser.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// Every lexeme consumes at least one byte, so a text of n bytes has at most n + 1 of them.
void Lex(TParser& parser, size_t size, uint8_t options) {
  parser.SkipBlanks = options & 1;
  parser.SkipComments = options & 2;
  parser.KeepQuotes = options & 4;
  parser.TrackStringLines = options & 8;
  AnsiString text;
  size_t count = 0;
  try {
    while (parser.GetNextToken(&text) != lcEndOfText)
      if (++count > size + 1) __builtin_trap();
  } catch (const Exception&) {
  }
}

void EditClauses(const String& sql) {
  try {
    GetWhereClause(sql, NewParser<TMyParser>);
    GetFromClause(sql, NewParser<TMyParser>, true);
    AddWhere(sql, u"id = 1", NewParser<TMyParser>);
    SetWhere(sql, u"", NewParser<TMyParser>);
    SetOrderBy(sql, u"name DESC", NewParser<TMyParser>);
    GetOrderBy(sql, NewParser<TMyParser>);
    AddWhere(sql, u"x > 0");
  } catch (const Exception&) {
  }
}

void ScanParameters(const String& sql) {
  try {
    TMySQLCommand command;
    TParamDescs params;
    command.ParseSQL(sql, &params);
    command.ParseSQL(sql, nullptr, u":P_1_");
  } catch (const Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t options = data[0];
  const AnsiString text(reinterpret_cast<const char*>(data + 1), size - 1);
  {
    TSQLParser common(text);
    Lex(common, text.size(), options);
  }
  {
    TMyParser mysql(text);
    Lex(mysql, text.size(), options);
  }
  const String sql = UTF8ToString(text);
  EditClauses(sql);
  ScanParameters(sql);
  return 0;
}
