#include "MySql/MyParser.h"

const TLexemeTable& MyKeywordTable() {
  static const TLexemeTable table([] {
    std::vector<TLexemeTable::Entry> entries = SQLKeywordTable().Entries();
    const TLexemeTable::Entry mysql[] = {
        {"CHARSET", lxCHARSET},     {"COLUMNS", lxCOLUMNS},       {"CREATE", lxCREATE},
        {"CROSS", lxCROSS},         {"DELIMITER", lxDELIMITER},   {"DESC", lxDESC},
        {"DESCRIBE", lxDESCRIBE},   {"EXPLAIN", lxEXPLAIN},       {"FORCE", lxFORCE},
        {"FUNCTION", lxFUNCTION},   {"IGNORE", lxIGNORE},         {"NATURAL", lxNATURAL},
        {"PRIVILEGES", lxPRIVILEGES}, {"PROCEDURE", lxPROCEDURE}, {"REPLACE", lxREPLACE},
        {"SHOW", lxSHOW},           {"SLAVE", lxSLAVE},           {"STATUS", lxSTATUS},
        {"STRAIGHT_JOIN", lxSTRAIGHT_JOIN}, {"TRIGGER", lxTRIGGER}, {"USE", lxUSE},
        {"HANDLER", lxHANDLER},     {"DISTINCTROW", lxDISTINCTROW}, {"ENGINES", lxENGINES},
        {"PROCESSLIST", lxPROCESSLIST},
    };
    entries.insert(entries.end(), std::begin(mysql), std::end(mysql));
    return entries;
  }());
  return table;
}

TMyParser::TMyParser(AnsiString text) : TSQLParser(std::move(text)) { TMyParser::InitParser(); }

void TMyParser::InitParser() {
  TSQLParser::InitParser();
  FKeywordTable = &MyKeywordTable();
  FCommentBegin = "/*";
  FCommentEnd = "*/";
  FClauses = {lxWHERE, lxGROUP, lxHAVING, lxORDER, lxLIMIT, lxPROCEDURE, lxFOR, lxLOCK};
}

bool TMyParser::IsAlpha(unsigned char c) const {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128;
}

bool TMyParser::IsStringQuote(unsigned char c) const { return c == '\'' || c == '"'; }

bool TMyParser::IsIdentQuote(unsigned char c) const { return c == '`'; }

bool TMyParser::IsInlineComment(int64_t pos) const {
  if (CharAt(pos) == '#') return true;
  return CharAt(pos) == '-' && CharAt(pos + 1) == '-' && CharAt(pos + 2) == ' ' &&
         pos + 3 <= FTextEnd;
}

void TMyParser::SkipQuotedFast(unsigned char quote) {
  // A quote preceded by an odd number of backslashes is escaped and does not end the text.
  for (;;) {
    size_t found = FText.find(static_cast<char>(quote), static_cast<size_t>(FPos - 1));
    if (found == AnsiString::npos) {
      FPos = FTextEnd + 1;
      return;
    }
    size_t backslashes = 0;
    while (found > backslashes && FText[found - 1 - backslashes] == '\\') ++backslashes;
    FPos = static_cast<int64_t>(found) + 1;
    if (backslashes % 2 == 0) return;
    ++FPos;
  }
}

void TMyParser::SkipQuoted(unsigned char quote) {
  if (!TrackStringLines && !FFromStream) {
    SkipQuotedFast(quote);
    return;
  }
  while (FPos <= FTextEnd) {
    unsigned char c = CharAt(FPos);
    if (c == quote) return;
    if (SkipLineBreak()) continue;
    FPos += c == '\\' ? 2 : 1;
  }
  FPos = FTextEnd + 1;
}
