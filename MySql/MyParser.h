// The MySQL dialect of the SQL lexer: backquoted identifiers, both quote characters for strings
// with backslash escapes, "#" and "-- " line comments, MySQL keywords and the clause order of a
// MySQL SELECT.
#pragma once

#include "Common/LxParser.h"

constexpr TLexemeCode lxCHARSET = 1000, lxCOLUMNS = 1001, lxCREATE = 1002, lxCROSS = 1003,
                      lxDELIMITER = 1004, lxDESC = 1005, lxDESCRIBE = 1006, lxEXPLAIN = 1007,
                      lxFORCE = 1008, lxFUNCTION = 1009, lxIGNORE = 1010, lxNATURAL = 1011,
                      lxPRIVILEGES = 1012, lxPROCEDURE = 1013, lxREPLACE = 1014, lxSHOW = 1015,
                      lxSLAVE = 1016, lxSTATUS = 1017, lxSTRAIGHT_JOIN = 1018, lxTRIGGER = 1019,
                      lxUSE = 1020, lxHANDLER = 1021, lxDISTINCTROW = 1022, lxENGINES = 1023,
                      lxPROCESSLIST = 1024;

class TMyParser : public TSQLParser {
 public:
  explicit TMyParser(AnsiString text);

 protected:
  void InitParser() override;
  bool IsAlpha(unsigned char c) const override;
  bool IsStringQuote(unsigned char c) const override;
  bool IsIdentQuote(unsigned char c) const override;
  bool IsInlineComment(int64_t pos) const override;
  void SkipQuotedFast(unsigned char quote) override;
  void SkipQuoted(unsigned char quote) override;
};

// The SQL keywords and the MySQL ones, shared by every MySQL lexer.
const TLexemeTable& MyKeywordTable();
