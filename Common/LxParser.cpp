#include "Common/LxParser.h"

#include <algorithm>

#include "Common/CLRClasses.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/TextCompare.h"

namespace {

unsigned char UpAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

// Orders a candidate (letters a-z taken as upper case) against a table text, byte by byte; when
// all compared bytes agree the shorter text orders first.
int CompareCandidate(std::string_view candidate, std::string_view entry) {
  size_t n = std::min(candidate.size(), entry.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char a = UpAscii(static_cast<unsigned char>(candidate[i]));
    unsigned char b = static_cast<unsigned char>(entry[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  if (candidate.size() == entry.size()) return 0;
  return candidate.size() < entry.size() ? -1 : 1;
}

bool EqualsUpperAscii(std::string_view text, std::string_view upperSearch) {
  if (text.size() != upperSearch.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (UpAscii(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(upperSearch[i]))
      return false;
  return true;
}

}  // namespace

// --- Tables ---------------------------------------------------------------------------------

TLexemeTable::TLexemeTable(std::vector<Entry> entries) : FEntries(std::move(entries)) {
  std::stable_sort(FEntries.begin(), FEntries.end(),
                   [](const Entry& a, const Entry& b) { return a.Text < b.Text; });
  for (const auto& e : FEntries)
    if (!e.Text.empty()) FFirstChars.set(static_cast<unsigned char>(e.Text[0]));
}

TLexemeCode TLexemeTable::Find(std::string_view text) const {
  // Binary search for the lowest index whose entry equals the candidate.
  size_t lo = 0, hi = FEntries.size();
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    if (CompareCandidate(text, FEntries[mid].Text) > 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < FEntries.size() && CompareCandidate(text, FEntries[lo].Text) == 0)
    return FEntries[lo].Code;
  return 0;
}

const AnsiString& TLexemeTable::TextOf(TLexemeCode code) const {
  static const AnsiString empty;
  for (const auto& e : FEntries)
    if (e.Code == code) return e.Text;
  return empty;
}

const TLexemeTable& ParserSymbolTable() {
  static const TLexemeTable table({{"!", 1},  {"\"", 2}, {"#", 3},  {"$", 4},  {"%", 5},
                                   {"&", 6},  {"'", 7},  {"(", 8},  {")", 9},  {"*", 10},
                                   {"+", 11}, {",", 12}, {"-", 13}, {".", 14}, {"/", 15},
                                   {":", 16}, {";", 17}, {"<", 18}, {"=", 19}, {">", 20},
                                   {"?", 21}, {"@", 22}, {"[", 23}, {"\\", 24}, {"]", 25},
                                   {"^", 26}, {"_", 27}, {"`", 28}});
  return table;
}

const TLexemeTable& ParserKeywordTable() {
  static const TLexemeTable table({{"AND", 29}, {"NOT", 30}, {"OR", 31}});
  return table;
}

const TLexemeTable& SQLSymbolTable() {
  static const TLexemeTable table(
      {{"*", 1}, {"=", 2}, {":", 3}, {",", 4}, {".", 5}, {"/", 6}, {";", 7}});
  return table;
}

const TLexemeTable& SQLKeywordTable() {
  static const TLexemeTable table({
      {"ALL", 100},       {"AND", 101},       {"AS", 102},          {"BEGIN", 103},
      {"BY", 104},        {"COMMIT", 105},    {"DELETE", 106},      {"DISTINCT", 107},
      {"END", 108},       {"EXECUTE", 109},   {"FETCH", 110},       {"FOR", 111},
      {"FROM", 112},      {"FULL", 113},      {"GROUP", 114},       {"HAVING", 115},
      {"INNER", 116},     {"INSERT", 117},    {"INTO", 119},        {"IS", 120},
      {"JOIN", 121},      {"LEFT", 122},      {"LIMIT", 123},       {"LOCK", 124},
      {"MINUS", 125},     {"NOT", 126},       {"OFFSET", 127},      {"ON", 128},
      {"OR", 130},        {"ORDER", 131},     {"OUTER", 132},       {"RELEASE", 133},
      {"RETURNING", 134}, {"RIGHT", 135},     {"ROLLBACK", 136},    {"SAVEPOINT", 137},
      {"SELECT", 138},    {"SET", 139},       {"TO", 140},          {"TRANSACTION", 141},
      {"UNION", 142},     {"UPDATE", 143},    {"WHERE", 144},       {"WITH", 145},
  });
  return table;
}

// --- TParser --------------------------------------------------------------------------------

TParser::TParser(AnsiString text) : FText(std::move(text)) {
  FTextEnd = static_cast<int64_t>(FText.size());
  TParser::InitParser();
}

namespace {

// The rest of a stream as 8-bit text. It is read whole and decoded once, so a multi-byte
// character never straddles a block boundary.
AnsiString ReadStreamText(TStream& stream, const Encoding* encoding) {
  constexpr int32_t kBlock = 65536;
  TBytes bytes;
  int64_t remaining = stream.Size() - stream.Position();
  if (remaining > 0) bytes.reserve(static_cast<size_t>(remaining));
  std::vector<uint8_t> block(kBlock);
  for (int32_t got; (got = stream.Read(block.data(), kBlock)) > 0;)
    bytes.insert(bytes.end(), block.begin(), block.begin() + got);
  if (encoding == nullptr) encoding = Encoding::GetDefault();
  return encoding->GetString(bytes);
}

}  // namespace

TParser::TParser(TStream& stream, const Encoding* encoding)
    : TParser(ReadStreamText(stream, encoding)) {
  FFromStream = true;
}

void TParser::InitParser() {
  FSymbolTable = &ParserSymbolTable();
  FKeywordTable = &ParserKeywordTable();
  FCommentBegin = "/*";
  FCommentEnd = "*/";
  // The locale's decimal separator; the components set "." before they scan SQL.
  char16_t separator = FormatSettings().DecimalSeparator;
  NumberSeparator = separator < 128 ? static_cast<char>(separator) : '.';
  SkipBlanks = true;
  UpperKeywords = true;
  KeepQuotes = false;
  ToBegin();
}

void TParser::ToBegin() {
  FPos = 1;
  FPrevPos = 0;
  FPrevPrevPos = 0;
  FCurrLine = 0;
  FPrevLine = 0;
  FCurrBegLine = 1;
  FPrevBegLine = 1;
  FLastScanStart = 1;
}

void TParser::SetText(AnsiString text) {
  FText = std::move(text);
  FTextEnd = static_cast<int64_t>(FText.size());
  ToBegin();
}

unsigned char TParser::CharAt(int64_t index) const {
  if (index < 1 || index > FTextEnd) return 0;
  return static_cast<unsigned char>(FText[static_cast<size_t>(index - 1)]);
}

bool TParser::IsBlank(unsigned char c) const { return c == 9 || c == 10 || c == 13 || c == 32; }

bool TParser::IsSymbol(unsigned char c) const {
  return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 94) || c == 96 ||
         (c >= 123 && c <= 126);
}

bool TParser::IsAlpha(unsigned char c) const {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128;
}

bool TParser::IsNumber(unsigned char c) const { return c >= '0' && c <= '9'; }

bool TParser::IsStringQuote(unsigned char c) const { return c == '\'' || c == '"'; }

bool TParser::IsIdentQuote(unsigned char) const { return false; }

bool TParser::IsInlineComment(int64_t pos) const {
  return CharAt(pos) == '/' && CharAt(pos + 1) == '/' && pos + 2 <= FTextEnd;
}

bool TParser::SkipLineBreak() {
  unsigned char c = CharAt(FPos);
  if (c != 13 && c != 10) return false;
  ++FPos;
  if (c == 13 && CharAt(FPos) == 10) ++FPos;
  ++FCurrLine;
  FCurrBegLine = FPos;
  return true;
}

void TParser::SkipQuotedTracked(unsigned char quote) {
  while (FPos <= FTextEnd) {
    if (CharAt(FPos) == quote) return;
    if (!SkipLineBreak()) ++FPos;
  }
}

void TParser::SkipQuotedFast(unsigned char quote) {
  size_t found = FText.find(static_cast<char>(quote), static_cast<size_t>(FPos - 1));
  FPos = found == AnsiString::npos ? FTextEnd + 1 : static_cast<int64_t>(found) + 1;
}

void TParser::SkipQuoted(unsigned char quote) {
  if (TrackStringLines || FFromStream)
    SkipQuotedTracked(quote);
  else
    SkipQuotedFast(quote);
}

void TParser::RaiseUnknownSymbol(unsigned char c) const {
  static const char hex[] = "0123456789ABCDEF";
  AnsiString message = "Parser: The unknown symbol '";
  message += static_cast<char>(c);
  message += "'  $00";
  message += hex[c >> 4];
  message += hex[c & 15];
  throw Exception(message);
}

TLexemeCode TParser::ScanSymbol(int64_t start) {
  // The longest run of symbol characters that the table knows, grown one character at a time.
  int64_t length = 1, matched = 0;
  TLexemeCode code = 0;
  while (FSymbolTable->HasFirstChar(CharAt(start))) {
    TLexemeCode found =
        FSymbolTable->Find(std::string_view(FText).substr(static_cast<size_t>(start - 1),
                                                          static_cast<size_t>(length)));
    if (found == 0) break;
    code = found;
    matched = length;
    if (start + length > FTextEnd || !IsSymbol(CharAt(start + length))) break;
    ++length;
  }
  if (matched == 0) {
    FPos = start + 1;
    return lcOtherSymbol;
  }
  FPos = start + matched;
  return code;
}

// Scans one lexeme from FPos. tokenStart/tokenLength give the text to hand out (1-based start):
// for a string without KeepQuotes the text between its quotes.
TLexemeCode TParser::Scan(bool lookUpKeywords, int64_t& tokenStart, int64_t& tokenLength) {
  FPrevPrevPos = FPrevPos;
  FPrevPos = FPos - 1;
  FPrevLine = FCurrLine;
  FPrevBegLine = FCurrBegLine;
  FLastScanStart = FPos;
  tokenStart = FPos;
  tokenLength = 0;
  FKeywordMatched = false;

  for (;;) {
    if (FPos > FTextEnd) return lcEndOfText;

    int64_t begin = FPos;
    while (FPos <= FTextEnd && IsBlank(CharAt(FPos)))
      if (!SkipLineBreak()) ++FPos;
    if (FPos > begin && !SkipBlanks) {
      tokenStart = begin;
      tokenLength = FPos - begin;
      return lcBlank;
    }
    if (FPos > FTextEnd) return lcEndOfText;

    begin = FPos;
    bool comment = false;
    if (IsInlineComment(FPos)) {
      while (FPos <= FTextEnd && CharAt(FPos) != 13 && CharAt(FPos) != 10) ++FPos;
      comment = true;
    } else if (!FCommentBegin.empty() &&
               FText.compare(static_cast<size_t>(FPos - 1), FCommentBegin.size(), FCommentBegin) ==
                   0) {
      size_t from = static_cast<size_t>(FPos - 1) + FCommentBegin.size();
      size_t close = FText.find(FCommentEnd, from);
      int64_t stop = close == AnsiString::npos ? FTextEnd + 1
                                               : static_cast<int64_t>(close + FCommentEnd.size()) + 1;
      while (FPos < stop)
        if (!SkipLineBreak()) ++FPos;
      comment = true;
    }
    if (comment) {
      if (!SkipComments) {
        tokenStart = begin;
        tokenLength = FPos - begin;
        return lcComment;
      }
      continue;
    }

    unsigned char c = CharAt(FPos);
    tokenStart = FPos;
    if (IsSymbol(c)) {
      if (IsStringQuote(c) || IsIdentQuote(c)) {
        bool isString = IsStringQuote(c);
        ++FPos;
        SkipQuoted(c);
        bool closed = FPos <= FTextEnd;
        if (closed) ++FPos;
        if (isString && !KeepQuotes) {
          tokenStart = begin + 1;
          tokenLength = FPos - tokenStart - (closed ? 1 : 0);
        } else {
          tokenLength = FPos - begin;
        }
        return isString ? lcString : lcIdentifier;
      }
      TLexemeCode code = ScanSymbol(FPos);
      tokenLength = FPos - tokenStart;
      return code;
    }

    TLexemeCode code;
    if (IsAlpha(c) || c == '_') {
      while (FPos <= FTextEnd &&
             (IsAlpha(CharAt(FPos)) || IsNumber(CharAt(FPos)) || CharAt(FPos) == '_'))
        ++FPos;
      code = lcIdentifier;
    } else if (IsNumber(c)) {
      while (FPos <= FTextEnd && IsNumber(CharAt(FPos))) ++FPos;
      if (CharAt(FPos) == static_cast<unsigned char>(NumberSeparator) && FPos + 1 <= FTextEnd &&
          IsNumber(CharAt(FPos + 1))) {
        ++FPos;
        while (FPos <= FTextEnd && IsNumber(CharAt(FPos))) ++FPos;
      }
      code = lcNumber;
    } else {
      RaiseUnknownSymbol(c);
    }
    tokenLength = FPos - tokenStart;
    if (code == lcIdentifier && lookUpKeywords) {
      TLexemeCode keyword = FKeywordTable->Find(
          std::string_view(FText).substr(static_cast<size_t>(tokenStart - 1),
                                         static_cast<size_t>(tokenLength)));
      if (keyword != 0) {
        FKeywordMatched = true;
        return keyword;
      }
    }
    return code;
  }
}

TLexemeCode TParser::GetNextToken(AnsiString* text) {
  int64_t start, length;
  TLexemeCode code = Scan(true, start, length);
  if (text != nullptr) {
    text->assign(FText, static_cast<size_t>(start - 1), static_cast<size_t>(length));
    if (FKeywordMatched && UpperKeywords) *text = AnsiUpperCaseA(*text);
  }
  return code;
}

TLexemeCode TParser::SkipToLexeme(TLexemeCode code) {
  TLexemeCode read;
  do {
    read = GetNextToken(nullptr);
  } while (read != code && read != lcEndOfText);
  return read;
}

bool TParser::SkipToText(std::string_view text) {
  AnsiString search(text);
  for (auto& ch : search) ch = static_cast<char>(UpAscii(static_cast<unsigned char>(ch)));
  for (;;) {
    int64_t start, length;
    TLexemeCode code = Scan(false, start, length);
    if (code == lcEndOfText) return false;
    std::string_view token =
        std::string_view(FText).substr(static_cast<size_t>(start - 1), static_cast<size_t>(length));
    bool match = false;
    if (code == lcNumber || (code == lcIdentifier && !IsIdentQuote(CharAt(start))))
      match = EqualsUpperAscii(token, search);
    else if (code > 0)
      match = FSymbolTable->TextOf(code) == search;
    else if (code == lcOtherSymbol)
      match = search.size() == 1 && token.size() == 1 && token[0] == search[0];
    if (match) return true;
  }
}

void TParser::Back() { FPos = FLastScanStart; }

// --- TSQLParser -----------------------------------------------------------------------------

TSQLParser::TSQLParser(AnsiString text) : TParser(std::move(text)) { TSQLParser::InitParser(); }

TSQLParser::TSQLParser(TStream& stream, const Encoding* encoding) : TParser(stream, encoding) {
  TSQLParser::InitParser();
}

void TSQLParser::InitParser() {
  TParser::InitParser();
  FSymbolTable = &SQLSymbolTable();
  FKeywordTable = &SQLKeywordTable();
  FClauses = {lxWHERE, lxGROUP, lxHAVING, lxUNION, 118, lxMINUS, lxORDER};
}

bool TSQLParser::IsAlpha(unsigned char c) const {
  return TParser::IsAlpha(c) || c == '#' || c == '$';
}

bool TSQLParser::IsStringQuote(unsigned char c) const { return c == '\''; }

bool TSQLParser::IsIdentQuote(unsigned char c) const { return c == '"'; }

bool TSQLParser::IsInlineComment(int64_t pos) const {
  return CharAt(pos) == '-' && CharAt(pos + 1) == '-' && pos + 2 <= FTextEnd;
}

bool TSQLParser::IsClause(TLexemeCode code) const { return ClauseIndex(code) >= 0; }

int TSQLParser::ClauseIndex(TLexemeCode code) const {
  RTL_ASSERT(!FClauses.empty(), u"Clause list is empty");
  auto it = std::find(FClauses.begin(), FClauses.end(), code);
  return it == FClauses.end() ? -1 : static_cast<int>(it - FClauses.begin());
}

int TSQLParser::CompareClauses(TLexemeCode a, TLexemeCode b) const {
  int ia = ClauseIndex(a), ib = ClauseIndex(b);
  if (ia < 0 || ib < 0) return -2;
  return ia < ib ? -1 : (ia == ib ? 0 : 1);
}

bool TSQLParser::IsMacroAllowed(TLexemeCode code) const { return code != lcString; }
bool TSQLParser::NumberIsMacroName() const { return false; }
bool TSQLParser::IsSelectModifier(TLexemeCode code) const {
  return code == lxALL || code == lxDISTINCT;
}
bool TSQLParser::IsNullKeyword(std::string_view text) const { return text == "NULL"; }
bool TSQLParser::GetFalseFlag() const { return false; }
