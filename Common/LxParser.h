// The table-driven lexer of the data-access library. Everything that reads SQL text goes through
// it: the parameter scan of commands, the analysis of a SELECT, the SQL text routines of the
// components and the local filter lexer. TParser is a lexer of ASCII-based text that returns one
// lexeme code and its text per call; TSQLParser is its SQL dialect; the MySQL dialect derives
// from TSQLParser.
//
// Text is 8-bit (UTF-8 here); every byte of 128 and up counts as a letter, so non-ASCII words are
// identifiers. Positions given to CharAt are 1-based; offsets returned by GetCurrPos, GetPrevPos
// and GetPrevPrevPos are 0-based.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"

using TLexemeCode = int32_t;

constexpr TLexemeCode lcEndOfText = 0;
constexpr TLexemeCode lcOtherSymbol = -102;
constexpr TLexemeCode lcIdentifier = -103;
constexpr TLexemeCode lcNumber = -105;
constexpr TLexemeCode lcString = -106;
constexpr TLexemeCode lcBlank = -107;
constexpr TLexemeCode lcComment = -108;

// Keyword codes of the SQL dialect that callers test for.
constexpr TLexemeCode lxALL = 100, lxAND = 101, lxAS = 102, lxBEGIN = 103, lxBY = 104,
                      lxCOMMIT = 105, lxDELETE = 106, lxDISTINCT = 107, lxEND = 108,
                      lxEXECUTE = 109, lxFETCH = 110, lxFOR = 111, lxFROM = 112, lxFULL = 113,
                      lxGROUP = 114, lxHAVING = 115, lxINNER = 116, lxINSERT = 117, lxINTO = 119,
                      lxIS = 120, lxJOIN = 121, lxLEFT = 122, lxLIMIT = 123, lxLOCK = 124,
                      lxMINUS = 125, lxNOT = 126, lxOFFSET = 127, lxON = 128, lxOR = 130,
                      lxORDER = 131, lxOUTER = 132, lxRELEASE = 133, lxRETURNING = 134,
                      lxRIGHT = 135, lxROLLBACK = 136, lxSAVEPOINT = 137, lxSELECT = 138,
                      lxSET = 139, lxTO = 140, lxTRANSACTION = 141, lxUNION = 142,
                      lxUPDATE = 143, lxWHERE = 144, lxWITH = 145;

// A sorted table of texts (upper case) with their codes, shared by every lexer of a class and
// read-only after it is built.
class TLexemeTable {
 public:
  struct Entry {
    AnsiString Text;
    TLexemeCode Code;
  };
  explicit TLexemeTable(std::vector<Entry> entries);

  // The code of the text, letters a-z taken as upper case; 0 when absent.
  TLexemeCode Find(std::string_view text) const;
  // The table's own text of a code; empty when absent.
  const AnsiString& TextOf(TLexemeCode code) const;
  // Whether some entry begins with the byte.
  bool HasFirstChar(unsigned char c) const { return FFirstChars.test(c); }
  const std::vector<Entry>& Entries() const { return FEntries; }

 private:
  std::vector<Entry> FEntries;
  std::bitset<256> FFirstChars;
};

using TClausesArr = std::vector<TLexemeCode>;

class TStream;
class Encoding;

class TParser {
 public:
  explicit TParser(AnsiString text);
  // Reads the rest of the stream from its position, decoded through the encoding (the default
  // ANSI encoding when none is given). Quoted text is then always scanned with line tracking.
  TParser(TStream& stream, const Encoding* encoding = nullptr);
  virtual ~TParser() = default;
  TParser(const TParser&) = delete;
  TParser& operator=(const TParser&) = delete;

  // Options: set them after creation, before the first token.
  bool SkipBlanks = true;
  bool SkipComments = false;
  bool KeepQuotes = false;
  bool UpperKeywords = true;
  char NumberSeparator = '.';
  bool TrackStringLines = false;

  void ToBegin();
  void SetText(AnsiString text);
  const AnsiString& Text() const { return FText; }

  // The next lexeme's code; its text goes to `text` when given.
  TLexemeCode GetNextToken(AnsiString* text = nullptr);
  TLexemeCode GetNextToken(AnsiString& text) { return GetNextToken(&text); }
  TLexemeCode GetNextCode() { return GetNextToken(nullptr); }
  // Reads lexemes until `code` or the end of the text; returns the last code read.
  TLexemeCode SkipToLexeme(TLexemeCode code);
  // Reads until a lexeme whose text equals `text` (letters a-z compared as upper case) and stops
  // after it; strings, quoted identifiers, blanks and comments never match.
  bool SkipToText(std::string_view text);
  // Makes the next call read the last lexeme again (line counters stay).
  void Back();

  int64_t GetCurrPos() const { return FPos - 1; }
  int64_t GetPrevPos() const { return FPrevPos; }
  int64_t GetPrevPrevPos() const { return FPrevPrevPos; }
  // The byte at a 1-based position; 0 beyond the end.
  unsigned char CharAt(int64_t index) const;
  // Line bookkeeping: the current line (0-based) and where it begins (1-based), and the same at
  // the start of the last lexeme.
  int64_t CurrLine() const { return FCurrLine; }
  int64_t CurrBegLine() const { return FCurrBegLine; }
  int64_t PrevLine() const { return FPrevLine; }
  int64_t PrevBegLine() const { return FPrevBegLine; }

 protected:
  // Installs the tables and default options of the class; each dialect runs the inherited one
  // first. Constructors call their own class's, so a dialect's lexer starts with its own tables.
  virtual void InitParser();

  virtual bool IsBlank(unsigned char c) const;
  virtual bool IsSymbol(unsigned char c) const;
  virtual bool IsAlpha(unsigned char c) const;
  virtual bool IsNumber(unsigned char c) const;
  virtual bool IsStringQuote(unsigned char c) const;
  virtual bool IsIdentQuote(unsigned char c) const;
  // Whether a line comment starts at the 1-based position.
  virtual bool IsInlineComment(int64_t pos) const;
  // Leave FPos on the closing quote, or just past the end when there is none.
  virtual void SkipQuotedTracked(unsigned char quote);
  virtual void SkipQuotedFast(unsigned char quote);
  virtual void SkipQuoted(unsigned char quote);

  // Counts a line break at FPos (CR, LF or CR LF) and steps over it; false when none is there.
  bool SkipLineBreak();

  AnsiString FText;
  int64_t FTextEnd = 0;  // the text's length
  int64_t FPos = 1;      // the next unread byte, 1-based
  bool FFromStream = false;

  const TLexemeTable* FSymbolTable = nullptr;
  const TLexemeTable* FKeywordTable = nullptr;
  AnsiString FCommentBegin = "/*";
  AnsiString FCommentEnd = "*/";

 private:
  TLexemeCode ScanSymbol(int64_t start);
  TLexemeCode Scan(bool lookUpKeywords, int64_t& tokenStart, int64_t& tokenLength);
  [[noreturn]] void RaiseUnknownSymbol(unsigned char c) const;

  int64_t FPrevPos = 0;
  int64_t FPrevPrevPos = 0;
  int64_t FCurrLine = 0;
  int64_t FCurrBegLine = 1;
  int64_t FPrevLine = 0;
  int64_t FPrevBegLine = 1;
  int64_t FLastScanStart = 1;  // where the scan of the last lexeme began, for Back
  bool FKeywordMatched = false;
};

class TSQLParser : public TParser {
 public:
  explicit TSQLParser(AnsiString text);
  TSQLParser(TStream& stream, const Encoding* encoding = nullptr);

  bool IsClause(TLexemeCode code) const;
  int ClauseIndex(TLexemeCode code) const;
  // -2 when either is no clause; else -1, 0 or 1 by their order in the clause list.
  int CompareClauses(TLexemeCode a, TLexemeCode b) const;

  virtual bool IsMacroAllowed(TLexemeCode code) const;
  virtual bool NumberIsMacroName() const;
  virtual bool IsSelectModifier(TLexemeCode code) const;
  virtual bool IsNullKeyword(std::string_view text) const;
  virtual bool GetFalseFlag() const;

 protected:
  void InitParser() override;
  bool IsAlpha(unsigned char c) const override;
  bool IsStringQuote(unsigned char c) const override;
  bool IsIdentQuote(unsigned char c) const override;
  bool IsInlineComment(int64_t pos) const override;

  TClausesArr FClauses;
};

// A class reference to a lexer: creates a lexer of that class over a text.
using TParserClass = std::unique_ptr<TParser> (*)(const AnsiString& text);

template <class T>
std::unique_ptr<TParser> NewParser(const AnsiString& text) {
  return std::make_unique<T>(text);
}

// The shared tables, built on first use and read-only afterwards.
const TLexemeTable& ParserSymbolTable();
const TLexemeTable& ParserKeywordTable();
const TLexemeTable& SQLSymbolTable();
const TLexemeTable& SQLKeywordTable();
