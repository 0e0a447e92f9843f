#include "Common/DBAccess_SQLText.h"

#include <algorithm>
#include <memory>

#include "Common/DBAccess_Macros.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr TLexemeCode lxSemicolon = 7;  // ";" in the SQL dialect's symbol table

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where the blanks after the 0-based index end.
int64_t SkipBlankChars(const AnsiString& text, int64_t index) {
  while (index < static_cast<int64_t>(text.size()) && IsBlankChar(text[static_cast<size_t>(index)]))
    ++index;
  return index;
}

bool AllBlank(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

AnsiString TrimA(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return AnsiString(text.substr(b, e - b));
}

AnsiString TrimLeftA(std::string_view text) {
  size_t b = 0;
  while (b < text.size() && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  return AnsiString(text.substr(b));
}

// Reads a statement token by token, keeping what every routine below needs to know about each
// token: where it lies in the text (0-based, end exclusive), how deep in parentheses it stands
// counted from the main SELECT, and whether it directly follows the macro character (then a
// keyword is a macro's name, not a keyword).
class TStatementScanner {
 public:
  TStatementScanner(TParserClass parserClass, const AnsiString& text, bool skipBlanks,
                    bool skipComments) {
    std::unique_ptr<TParser> parser = (parserClass ? parserClass : NewParser<TSQLParser>)(text);
    FParser = dynamic_cast<TSQLParser*>(parser.get());
    RTL_ASSERT(FParser != nullptr, u"The SQL text routines need a lexer of an SQL dialect");
    FOwned = std::move(parser);
    FParser->SkipBlanks = skipBlanks;
    FParser->SkipComments = skipComments;
    // Quotes stay in the token text, so a token's start is its end minus its length.
    FParser->KeepQuotes = true;
    FParser->NumberSeparator = '.';
    FMacro = StringToAnsi(String(1, MacroChar()));
  }

  TSQLParser& Parser() { return *FParser; }

  // Reads one token; false at the end of the text. An unmatched ")" leaves Depth at 0 and sets
  // ClosesOuter: the SELECT is a parenthesised part of a larger statement and ends there.
  bool Next() {
    FAfterMacro = Code == lcOtherSymbol && Text == FMacro;
    Code = FParser->GetNextToken(Text);
    End = FParser->GetCurrPos();
    Start = End - static_cast<int64_t>(Text.size());
    ClosesOuter = false;
    if (Code == lcEndOfText) return false;
    if (Code == lcOtherSymbol && Text == "(") {
      Depth = NextDepth;
      ++NextDepth;
    } else if (Code == lcOtherSymbol && Text == ")") {
      if (NextDepth == 0)
        ClosesOuter = true;
      else
        --NextDepth;
      Depth = NextDepth;
    } else {
      Depth = NextDepth;
    }
    return true;
  }

  bool IsBlankOrComment() const { return Code == lcBlank || Code == lcComment; }
  // A keyword of the statement itself, outside parentheses and not a macro's name.
  bool AtTopLevel() const { return Depth == 0 && !FAfterMacro; }
  bool IsClause() const { return FParser->IsClause(Code); }

  // Moves just past the main SELECT: after a WITH list when the statement starts with one, else
  // the first SELECT of the text. False when there is none.
  bool FindSelect() {
    while (Next() && IsBlankOrComment()) {
    }
    if (Code == lxWITH) {
      while (Next() && !(Code == lxSELECT && Depth == 0)) {
      }
    }
    if (Code != lxSELECT && Code != lcEndOfText) {
      while (Next() && Code != lxSELECT) {
      }
    }
    NextDepth = 0;
    Depth = 0;
    return Code == lxSELECT;
  }

  TLexemeCode Code = lcEndOfText;
  AnsiString Text;
  int64_t Start = 0;
  int64_t End = 0;
  int Depth = 0;
  bool ClosesOuter = false;

 private:
  std::unique_ptr<TParser> FOwned;
  TSQLParser* FParser = nullptr;
  AnsiString FMacro;
  bool FAfterMacro = false;
  int NextDepth = 0;
};

// Where a WHERE clause's own condition starts: after the keyword and the blanks behind it.
int64_t ConditionStart(const AnsiString& text, int64_t keywordEnd) {
  return SkipBlankChars(text, keywordEnd);
}

bool ContainsCR(const AnsiString& text, int64_t insertAt) {
  int64_t upTo = std::min<int64_t>(insertAt + 1, static_cast<int64_t>(text.size()));
  return text.find('\r') < static_cast<size_t>(upTo);
}

void InsertAt(AnsiString& text, int64_t at, std::string_view what) {
  at = std::min<int64_t>(at, static_cast<int64_t>(text.size()));
  text.insert(static_cast<size_t>(at), what);
}

}  // namespace

String AddWhere(const String& sql, const String& condition, TParserClass parserClass,
                bool skipComments) {
  if (Trim(condition).empty()) return sql;
  AnsiString text = StringToAnsi(sql);
  TStatementScanner scan(parserClass, text, true, skipComments);
  if (!scan.FindSelect()) return sql;

  bool hasWhere = false;
  int64_t openAt = 0;  // where "(" goes in front of the old condition
  int64_t lastEnd = scan.End;
  bool lastWasComment = false;
  int64_t stopAt = -1;  // where the addition goes when the clause is followed by something
  while (scan.Next()) {
    if (scan.AtTopLevel()) {
      if (scan.Code == lxWHERE) {
        hasWhere = true;
        // One character after the keyword, that is after its blank; right after it when no
        // blank follows, so "(" never lands inside a comment.
        openAt = scan.End;
        if (openAt < static_cast<int64_t>(text.size()) &&
            IsBlankChar(text[static_cast<size_t>(openAt)]))
          ++openAt;
      } else if (scan.Code == lxSemicolon) {
        stopAt = scan.Start;
        break;
      } else if (scan.IsClause() || scan.Code == lxUNION || scan.ClosesOuter) {
        // A UNION ends this SELECT's clauses even where the dialect does not list it as a
        // clause: the condition belongs to the first SELECT, not across the UNION.
        stopAt = lastEnd;
        break;
      }
    }
    lastEnd = scan.End;
    lastWasComment = scan.Code == lcComment;
  }

  // A line comment would swallow the ")"; a line break ends it first.
  AnsiString closing = lastWasComment ? "\r)" : ")";
  AnsiString cond = StringToAnsi(condition);
  AnsiString addition = hasWhere ? " AND " + cond + " " : "\rWHERE " + cond + " ";
  AnsiString toAdd = hasWhere ? closing + addition : addition;

  if (stopAt >= 0) {
    InsertAt(text, stopAt, toAdd);
    if (hasWhere) InsertAt(text, openAt, "(");
    return AnsiToString(text);
  }

  // At the end of the text. What follows the last token (blanks, or a comment the lexer
  // skipped) stays behind the addition; trailing blanks alone are trimmed away.
  AnsiString head = text.substr(0, static_cast<size_t>(lastEnd));
  std::string_view tail = std::string_view(text).substr(static_cast<size_t>(lastEnd));
  if (hasWhere) InsertAt(head, openAt, "(");
  if (AllBlank(tail)) return AnsiToString(TrimLeftA(head) + toAdd);
  return AnsiToString(head + toAdd + AnsiString(tail));
}

String SetWhere(const String& sql, const String& condition, TParserClass parserClass) {
  AnsiString text = StringToAnsi(sql);
  TStatementScanner scan(parserClass, text, false, true);
  if (!scan.FindSelect()) return sql;

  bool hasWhere = false;
  int64_t oldStart = 0;
  int64_t blankRun = -1;  // where the blanks in front of the current token begin
  int64_t oldEnd = static_cast<int64_t>(text.size());
  while (scan.Next()) {
    if (scan.Code == lcBlank) {
      if (blankRun < 0) blankRun = scan.Start;
      continue;
    }
    int64_t blankBefore = blankRun;
    blankRun = -1;
    if (!scan.AtTopLevel()) continue;
    if (scan.Code == lxWHERE) {
      hasWhere = true;
      if (condition.empty())
        oldStart = blankBefore >= 0 ? blankBefore : scan.Start;
      else
        oldStart = ConditionStart(text, scan.End);
    } else if (scan.IsClause() || scan.Code == lxUNION || scan.Code == lxSemicolon ||
               scan.ClosesOuter) {
      oldEnd = blankBefore >= 0 ? blankBefore : scan.Start;
      break;
    }
  }
  if (scan.Code == lcEndOfText && blankRun >= 0) oldEnd = blankRun;

  int64_t insertAt = oldEnd;
  if (hasWhere) {
    oldEnd = std::max(oldEnd, oldStart);
    text.erase(static_cast<size_t>(oldStart), static_cast<size_t>(oldEnd - oldStart));
    insertAt = oldStart;
  }
  if (condition.empty()) return AnsiToString(text);

  AnsiString addition = StringToAnsi(condition);
  if (!hasWhere) {
    addition = " WHERE " + addition;
    if (ContainsCR(text, insertAt)) addition = "\r" + addition;
  }
  InsertAt(text, insertAt, addition);
  return AnsiToString(text);
}

String GetClause(const String& sql, TLexemeCode keyword, TParserClass parserClass,
                 bool skipComments) {
  AnsiString text = StringToAnsi(sql);
  TStatementScanner scan(parserClass, text, true, skipComments);
  if (!scan.FindSelect()) return String();

  int64_t start = -1;
  int64_t lastEnd = scan.End;
  int64_t end = static_cast<int64_t>(text.size());
  while (scan.Next()) {
    if (scan.AtTopLevel()) {
      if (scan.Code == keyword) {
        start = scan.End;
      } else if (scan.IsClause() || scan.Code == lxUNION || scan.Code == lxSemicolon ||
                 scan.ClosesOuter) {
        end = lastEnd;
        break;
      }
    }
    lastEnd = scan.End;
  }
  if (start < 0 || end <= start) return String();
  return AnsiToString(
      TrimA(std::string_view(text).substr(static_cast<size_t>(start),
                                          static_cast<size_t>(end - start))));
}

String SetOrderBy(const String& sql, const String& fields, TParserClass parserClass) {
  String list = fields;
  for (auto& c : list)
    if (c == u';') c = u',';
  AnsiString text = StringToAnsi(sql);
  TStatementScanner scan(parserClass, text, false, true);
  if (!scan.FindSelect()) return sql;

  bool hasOrder = false;
  int64_t oldStart = 0;
  int64_t blankRun = -1;
  int64_t oldEnd = static_cast<int64_t>(text.size());
  while (scan.Next()) {
    if (scan.Code == lcBlank) {
      if (blankRun < 0) blankRun = scan.Start;
      continue;
    }
    int64_t blankBefore = blankRun;
    blankRun = -1;
    if (!scan.AtTopLevel()) continue;
    if (scan.Code == lxORDER && !hasOrder) {
      int64_t clauseStart = blankBefore >= 0 ? blankBefore : scan.Start;
      while (scan.Next() && scan.Code == lcBlank) {
      }
      if (scan.Code == lxBY) {
        hasOrder = true;
        oldStart = list.empty() ? clauseStart : ConditionStart(text, scan.End);
      }
    } else if ((scan.IsClause() && scan.Parser().CompareClauses(scan.Code, lxORDER) > 0) ||
               scan.Code == lxSemicolon) {
      oldEnd = blankBefore >= 0 ? blankBefore : scan.Start;
      break;
    }
  }
  if (scan.Code == lcEndOfText && blankRun >= 0) oldEnd = blankRun;

  int64_t insertAt = oldEnd;
  if (hasOrder) {
    oldEnd = std::max(oldEnd, oldStart);
    text.erase(static_cast<size_t>(oldStart), static_cast<size_t>(oldEnd - oldStart));
    insertAt = oldStart;
  }
  if (list.empty()) return AnsiToString(text);

  AnsiString addition = StringToAnsi(list);
  if (!hasOrder) {
    addition = " ORDER BY " + addition;
    if (ContainsCR(text, insertAt)) addition = "\r" + addition;
  }
  InsertAt(text, insertAt, addition);
  return AnsiToString(text);
}

String GetOrderBy(const String& sql, TParserClass parserClass) {
  AnsiString text = StringToAnsi(sql);
  int64_t start = -1;
  {
    TStatementScanner scan(parserClass, text, false, true);
    if (!scan.FindSelect()) return String();
    while (start < 0 && scan.Next()) {
      if (scan.Code != lxORDER || !scan.AtTopLevel()) continue;
      while (scan.Next() && scan.Code == lcBlank) {
      }
      if (scan.Code == lxBY) start = scan.End;
    }
  }
  if (start < 0) return String();

  // The list runs to the next clause of the statement (LIMIT, say) or to its end.
  AnsiString rest = text.substr(static_cast<size_t>(start));
  TStatementScanner scan(parserClass, rest, true, true);
  int64_t end = static_cast<int64_t>(rest.size());
  while (scan.Next()) {
    if (scan.AtTopLevel() && (scan.IsClause() || scan.Code == lxSemicolon || scan.ClosesOuter)) {
      end = scan.Start;
      break;
    }
  }
  return AnsiToString(TrimA(std::string_view(rest).substr(0, static_cast<size_t>(end))));
}
