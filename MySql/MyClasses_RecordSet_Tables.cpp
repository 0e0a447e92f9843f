// The tables of the record set's statement: the FROM list (or the HANDLER's table) matched with
// the tables the columns named, views recognised, and every table's database-qualified name.
#include <memory>
#include <string_view>

#include "MySql/MyClasses_RecordSet.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyParser.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

bool SkipsAsBlank(TLexemeCode code) { return code == lcBlank || code == lcComment; }

// The next lexeme that is not a blank or a comment.
TLexemeCode NextSolid(TParser& parser, AnsiString& text) {
  TLexemeCode code;
  do {
    code = parser.GetNextToken(text);
  } while (SkipsAsBlank(code));
  return code;
}

}  // namespace

void TMySQLRecordset::ResolveTables() {
  const AnsiString sql = UTF8Encode(FMyCommand->TextToSend());
  TSQLInfo* info = FMyCommand->GetSQLInfo();
  auto startParser = [&]() {
    auto parser = std::make_unique<TMyParser>(sql);
    parser->SkipBlanks = false;
    parser->SkipComments = false;
    parser->KeepQuotes = true;
    parser->UpperKeywords = false;
    return parser;
  };
  const bool isHandler = FUseHandler && startParser()->SkipToText("HANDLER");
  const bool isSelect = startParser()->SkipToText("SELECT");

  if (!isHandler && !isSelect) {
    bool showColumns = false;
    {
      auto parser = startParser();
      showColumns = parser->SkipToText("SHOW") && parser->SkipToText("COLUMNS");
    }
    if (showColumns || startParser()->SkipToText("DESC")) {
      if (TFieldDesc* type = FindField(u"Type")) {
        type->SetLength(256);
        if (!LongStrings()) type->SetDataType(dtMemo);
      }
    }
  } else {
    auto parser = startParser();
    const bool found = isHandler ? parser->SkipToText("HANDLER") : parser->SkipToText("FROM");
    bool more = found;
    while (more) {
      more = false;
      AnsiString token;
      TLexemeCode code = NextSolid(*parser, token);
      if (code == lcEndOfText) break;
      AnsiString entry = token;
      bool blankAfter = false;
      AnsiString after;  // the lexeme that ended the entry, when it is a separator
      if (!isHandler) {
        for (;;) {
          code = parser->GetNextToken(token);
          if (code == lcEndOfText) break;
          if (SkipsAsBlank(code)) {
            blankAfter = true;
            break;
          }
          if (!token.empty() && (token[0] == ',' || token[0] == ';')) {
            after = token;
            break;
          }
          entry += token;
        }
      }
      AnsiString alias;
      if (blankAfter) {
        code = NextSolid(*parser, token);
        if (code != lcEndOfText && AnsiSameText(UTF8ToString(token), u"AS"))
          code = NextSolid(*parser, token);
        if (code == lcIdentifier) {
          alias = token;
          code = NextSolid(*parser, token);
        }
        after = code == lcEndOfText ? AnsiString() : token;
      } else if (isHandler) {
        code = NextSolid(*parser, token);
        after = code == lcEndOfText ? AnsiString() : token;
      }

      const String kept = info->NormalizeName(UTF8ToString(entry), false, true);
      const size_t dot = kept.rfind(u'.');
      const String cut = dot == String::npos ? kept : kept.substr(dot + 1);
      RTL_ASSERT(!cut.empty(), u"TableName cannot be empty");

      int index = -1;
      if (!alias.empty()) {
        index = FindOrAddTable(info->NormalizeName(UTF8ToString(alias), false, true), false);
        TablesInfo().GetItem(index)->SetTableName(info->NormalizeName(cut, false, false));
      } else {
        index = FindTable(cut);
        if (index >= 0) {
          TLxTableInfo* table = TablesInfo().GetItem(index);
          if (!AnsiSameText(table->TableName(), table->TableAlias()) &&
              cut == table->TableAlias()) {
            // The columns name the view as their table and a base table beneath it: the view
            // is what the statement reads, and its column names are the ones to use.
            table->SetIsView(true);
            for (TFieldDesc* field : Fields()) {
              auto* lx = static_cast<TLxFieldDesc*>(field);
              if (lx->TableInfo() == table) lx->SetSourceName(lx->Name());
            }
          }
          table->SetTableAlias(String());
        } else if (ServerMajor() > 4) {
          index = FindOrAddTable(cut, true);
        }
      }
      if (index >= 0)
        TablesInfo().GetItem(index)->SetTableNameFull(info->NormalizeName(kept, false, false));
      more = after == ",";
    }
  }

  for (int i = 0; i < TablesInfo().GetCount(); ++i) {
    TLxTableInfo* table = TablesInfo().GetItem(i);
    if (table->GetTableNameFull().empty()) table->SetTableNameFull(table->TableName());
  }
}
