// The record store's local filter expressions: the lexer of filter texts and sort specifications
// (TBoolParser), the parsed expression tree (TExpressionNode) and LIKE matching. Part of unit
// MemData.
#pragma once

#include <cstdint>
#include <string_view>

#include "Common/LxParser.h"
#include "Common/MemData_Types.h"
#include "platform/rtl/Variant.h"

// Lexeme codes of the filter lexer.
constexpr TLexemeCode blEqual = 1, blGreater = 2, blLess = 3, blGreaterEqual = 4, blLessEqual = 5,
                      blNotEqual = 6, blOpenParen = 7, blCloseParen = 8, blMinus = 9, blPlus = 10,
                      blOpenBracket = 11, blCloseBracket = 12;
constexpr TLexemeCode blAND = 13, blFALSE = 14, blIS = 15, blLIKE = 16, blNOT = 17, blNULL = 18,
                      blOR = 19, blTRUE = 20;

const TLexemeTable& BoolSymbolTable();
const TLexemeTable& BoolKeywordTable();

// The lexer of filter expressions and of IndexFieldNames. It knows no comments; inside a quoted
// text a doubled quote character is part of the text.
class TBoolParser : public TParser {
 public:
  explicit TBoolParser(AnsiString text);

  // Reads the raw text from the current position up to the next "]" and steps past the "]";
  // false (position unchanged) when no "]" follows.
  bool ReadToCloseBracket(AnsiString& text);
  // The quote character of the last quoted text read, and whether the text was closed.
  char LastQuote() const { return FLastQuote; }
  bool LastQuoteClosed() const { return FLastQuoteClosed; }

 protected:
  void InitParser() override;
  bool IsInlineComment(int64_t pos) const override;
  void SkipQuoted(unsigned char quote) override;

 private:
  char FLastQuote = '\'';
  bool FLastQuoteClosed = true;
};

// Node kinds of a parsed filter expression.
constexpr uint8_t nkEqual = 0, nkGreater = 1, nkLess = 2, nkGreaterEqual = 3, nkLessEqual = 4,
                  nkNotEqual = 5, nkAnd = 6, nkOr = 7, nkNot = 8, nkField = 9, nkConstant = 10,
                  nkTrue = 11, nkFalse = 12, nkLike = 13, nkNotLike = 14;

// One node of a parsed filter expression. The store owns all nodes of its expression and frees
// them together.
struct TExpressionNode {
  uint8_t NodeKind = nkTrue;
  TExpressionNode* Left = nullptr;
  TExpressionNode* Right = nullptr;
  TFieldDesc* Field = nullptr;  // for nkField
  Variant Value;                // for nkConstant
};

// LIKE matching: "%" and "*" match any run of characters (also none), "_" exactly one character;
// every other pattern character matches itself. The whole text must be matched.
bool MatchLike(std::u16string_view text, std::u16string_view pattern);
