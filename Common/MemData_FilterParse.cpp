// The filter lexer and the recursive-descent parser that turns a filter text into the store's
// expression tree.
#include <memory>
#include <vector>

#include "Common/MemData.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"

// ---- Lexer ----

const TLexemeTable& BoolSymbolTable() {
  static const TLexemeTable table({{"=", blEqual},
                                   {">", blGreater},
                                   {"<", blLess},
                                   {">=", blGreaterEqual},
                                   {"<=", blLessEqual},
                                   {"<>", blNotEqual},
                                   {"(", blOpenParen},
                                   {")", blCloseParen},
                                   {"-", blMinus},
                                   {"+", blPlus},
                                   {"[", blOpenBracket},
                                   {"]", blCloseBracket}});
  return table;
}

const TLexemeTable& BoolKeywordTable() {
  static const TLexemeTable table({{"AND", blAND},
                                   {"FALSE", blFALSE},
                                   {"IS", blIS},
                                   {"LIKE", blLIKE},
                                   {"NOT", blNOT},
                                   {"NULL", blNULL},
                                   {"OR", blOR},
                                   {"TRUE", blTRUE}});
  return table;
}

TBoolParser::TBoolParser(AnsiString text) : TParser(std::move(text)) {
  TBoolParser::InitParser();
}

void TBoolParser::InitParser() {
  TParser::InitParser();
  FSymbolTable = &BoolSymbolTable();
  FKeywordTable = &BoolKeywordTable();
  // Filter texts have no comments: "/*" and "//" are just symbols.
  FCommentBegin.clear();
  FCommentEnd.clear();
}

bool TBoolParser::IsInlineComment(int64_t) const { return false; }

void TBoolParser::SkipQuoted(unsigned char quote) {
  FLastQuote = static_cast<char>(quote);
  for (;;) {
    TParser::SkipQuoted(quote);
    if (FPos > FTextEnd) {
      FLastQuoteClosed = false;
      return;
    }
    // A doubled quote belongs to the text; step over both and go on.
    if (CharAt(FPos + 1) != quote) break;
    FPos += 2;
  }
  FLastQuoteClosed = true;
}

bool TBoolParser::ReadToCloseBracket(AnsiString& text) {
  const size_t from = static_cast<size_t>(FPos - 1);
  const size_t close = FText.find(']', from);
  if (close == AnsiString::npos) return false;
  text = FText.substr(from, close - from);
  FPos = static_cast<int64_t>(close) + 2;
  return true;
}

// ---- Parser ----

namespace {

[[noreturn]] void RaiseIllegal() { throw Exception(u"Illegal filter expression"); }

// Deeper nesting than this is refused rather than risking the stack.
constexpr int MaxNesting = 200;

using TNodeList = std::vector<std::unique_ptr<TExpressionNode>>;

class TFilterBuilder {
 public:
  TFilterBuilder(const TFieldDescs& fields, const AnsiString& text, TNodeList& nodes)
      : FFields(fields), FLexer(text), FNodes(nodes) {}

  TExpressionNode* Parse() {
    Next();
    TExpressionNode* root = Expression();
    if (FCode != lcEndOfText) RaiseIllegal();
    return root;
  }

 private:
  void Next() {
    try {
      FCode = FLexer.GetNextToken(FText);
    } catch (const Exception&) {
      RaiseIllegal();  // a character the lexer does not know
    }
  }

  TLexemeCode Peek() {
    TLexemeCode code;
    try {
      code = FLexer.GetNextToken(nullptr);
    } catch (const Exception&) {
      RaiseIllegal();
    }
    FLexer.Back();
    return code;
  }

  TExpressionNode* NewNode(uint8_t kind, TExpressionNode* left = nullptr,
                           TExpressionNode* right = nullptr) {
    FNodes.push_back(std::make_unique<TExpressionNode>());
    TExpressionNode* node = FNodes.back().get();
    node->NodeKind = kind;
    node->Left = left;
    node->Right = right;
    return node;
  }

  TExpressionNode* Constant(Variant value) {
    TExpressionNode* node = NewNode(nkConstant);
    node->Value = std::move(value);
    return node;
  }

  TExpressionNode* Expression() {
    TExpressionNode* node = Term();
    while (FCode == blOR) {
      Next();
      node = NewNode(nkOr, node, Term());
    }
    return node;
  }

  TExpressionNode* Term() {
    TExpressionNode* node = Factor();
    while (FCode == blAND) {
      Next();
      node = NewNode(nkAnd, node, Factor());
    }
    return node;
  }

  static bool IsOperator(TLexemeCode code) {
    return (code >= blEqual && code <= blNotEqual) || code == blLIKE || code == blNOT ||
           code == blIS;
  }

  TExpressionNode* Factor() {
    if (++FDepth > MaxNesting) RaiseIllegal();
    TExpressionNode* node;
    if (FCode == blOpenParen) {
      Next();
      node = Expression();
      if (FCode != blCloseParen) RaiseIllegal();
      Next();
    } else if (FCode == blNOT) {
      Next();
      node = NewNode(nkNot, Factor());
    } else if ((FCode == blTRUE || FCode == blFALSE) && !IsOperator(Peek())) {
      node = NewNode(FCode == blTRUE ? nkTrue : nkFalse);
      Next();
    } else {
      node = Comparison();
    }
    --FDepth;
    return node;
  }

  TExpressionNode* Comparison() {
    TExpressionNode* left = Operand();
    uint8_t kind;
    switch (FCode) {
      case blEqual: kind = nkEqual; break;
      case blGreater: kind = nkGreater; break;
      case blLess: kind = nkLess; break;
      case blGreaterEqual: kind = nkGreaterEqual; break;
      case blLessEqual: kind = nkLessEqual; break;
      case blNotEqual: kind = nkNotEqual; break;
      case blLIKE: kind = nkLike; break;
      case blNOT:
        Next();
        if (FCode != blLIKE) RaiseIllegal();
        kind = nkNotLike;
        break;
      case blIS: {
        Next();
        kind = nkEqual;
        if (FCode == blNOT) {
          kind = nkNotEqual;
          Next();
        }
        if (FCode != blNULL) RaiseIllegal();
        Next();
        return NewNode(kind, left, Constant(Variant::Null()));
      }
      default:
        RaiseIllegal();
    }
    Next();
    return NewNode(kind, left, Operand());
  }

  TExpressionNode* FieldNode(const AnsiString& name) {
    TExpressionNode* node = NewNode(nkField);
    node->Field = FFields.FieldByName(UTF8ToString(name));
    return node;
  }

  TExpressionNode* Operand() {
    switch (FCode) {
      case blMinus:
      case blPlus: {
        const bool negative = FCode == blMinus;
        Next();
        double value;
        if (FCode != lcNumber || !TryStrToFloat(UTF8ToString(FText), value)) RaiseIllegal();
        Next();
        return Constant(Variant(negative ? -value : value));
      }
      case blOpenBracket: {
        AnsiString name;
        if (!FLexer.ReadToCloseBracket(name)) RaiseIllegal();
        Next();
        return FieldNode(name);
      }
      case lcIdentifier: {
        AnsiString name = FText;
        Next();
        while (FCode == lcOtherSymbol && FText == ".") {
          Next();
          if (FCode != lcIdentifier) RaiseIllegal();
          name += '.';
          name += FText;
          Next();
        }
        return FieldNode(name);
      }
      case lcNumber: {
        const String text = UTF8ToString(FText);
        int64_t integer;
        double real;
        TExpressionNode* node;
        if (TryStrToInt64(text, integer))
          node = Constant(Variant(integer));
        else if (TryStrToFloat(text, real))
          node = Constant(Variant(real));
        else
          RaiseIllegal();
        Next();
        return node;
      }
      case lcString: {
        if (!FLexer.LastQuoteClosed()) RaiseIllegal();
        AnsiString text;
        const char quote = FLexer.LastQuote();
        for (size_t i = 0; i < FText.size(); ++i) {
          text += FText[i];
          if (FText[i] == quote && i + 1 < FText.size() && FText[i + 1] == quote) ++i;
        }
        Next();
        return Constant(Variant(UTF8ToString(text)));
      }
      case blTRUE:
      case blFALSE:
      case blNULL: {
        Variant value = FCode == blNULL ? Variant::Null() : Variant(FCode == blTRUE);
        Next();
        return Constant(std::move(value));
      }
      default:
        RaiseIllegal();
    }
  }

  const TFieldDescs& FFields;
  TBoolParser FLexer;
  TNodeList& FNodes;
  TLexemeCode FCode = lcEndOfText;
  AnsiString FText;
  int FDepth = 0;
};

}  // namespace

void TData::ParseFilter(const String& text) {
  FreeFilter();
  if (text.find_first_not_of(u" \t\r\n") == String::npos) return;
  TNodeList nodes;
  TFilterBuilder builder(FFields, UTF8Encode(text), nodes);
  TExpressionNode* root = builder.Parse();
  FFilterNodes = std::move(nodes);
  FFilterRoot = root;
}

void TData::FreeFilter() {
  FFilterRoot = nullptr;
  FFilterNodes.clear();
}
