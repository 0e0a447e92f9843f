#include "Common/LxAccess_SQLInfo.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

String ListIndexError(int index) {
  return u"List index out of bounds (" + UTF8ToString(std::to_string(index)) + u")";
}

bool IsUpperAscii(char16_t c) { return c >= u'A' && c <= u'Z'; }
bool IsLowerAscii(char16_t c) { return c >= u'a' && c <= u'z'; }

}  // namespace

// --- Table references -----------------------------------------------------------------------

void TLxTableInfo::SetTableName(const String& value) {
  FTableName = value;
  if (FOwner) FOwner->RebuildIndexes();
}

void TLxTableInfo::SetTableAlias(const String& value) {
  FTableAlias = value;
  if (FOwner) FOwner->RebuildIndexes();
}

TLxTablesInfo::TLxTablesInfo(TTableInfoClass itemClass) : FItemClass(std::move(itemClass)) {
  if (!FItemClass)
    FItemClass = [](TLxTablesInfo* owner) { return std::make_unique<TLxTableInfo>(owner); };
}

void TLxTablesInfo::EndUpdate() {
  --FUpdateCount;
  RebuildIndexes();
}

TLxTableInfo* TLxTablesInfo::Add() {
  AddItem(FItemClass(this));
  return FItems.back().get();
}

void TLxTablesInfo::AddItem(std::unique_ptr<TLxTableInfo> item) {
  item->FOwner = this;
  item->FIndex = static_cast<int>(FItems.size());
  FItems.push_back(std::move(item));
  RebuildIndexes();
}

void TLxTablesInfo::Clear() {
  FItems.clear();
  RebuildIndexes();
}

TLxTableInfo* TLxTablesInfo::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) throw Exception(ListIndexError(index));
  return FItems[static_cast<size_t>(index)].get();
}

int TLxTablesInfo::IndexOf(const TLxTableInfo* item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == item) return static_cast<int>(i);
  return -1;
}

void TLxTablesInfo::RebuildIndexes() {
  // While an update is in progress the look-ups scan the items instead.
  if (FUpdateCount > 0) return;
  FNameIndex.clear();
  FAliasIndex.clear();
  for (const auto& item : FItems) {
    FNameIndex.push_back({item->FTableName, item.get()});
    FAliasIndex.push_back({item->FTableAlias, item.get()});
  }
  auto less = [](const IndexEntry& a, const IndexEntry& b) {
    return AnsiCompareText(a.Key, b.Key) < 0;
  };
  std::stable_sort(FNameIndex.begin(), FNameIndex.end(), less);
  std::stable_sort(FAliasIndex.begin(), FAliasIndex.end(), less);
}

int TLxTablesInfo::Search(const std::vector<IndexEntry>& index, const String& key,
                          bool byAlias) const {
  if (FUpdateCount > 0) {
    for (const auto& item : FItems) {
      const String& value = byAlias ? item->FTableAlias : item->FTableName;
      if (FCaseSensitive ? value == key : AnsiSameText(value, key)) return item->FIndex;
    }
    return -1;
  }
  auto it = std::lower_bound(index.begin(), index.end(), key,
                             [](const IndexEntry& e, const String& k) {
                               return AnsiCompareText(e.Key, k) < 0;
                             });
  if (it != index.end() && AnsiCompareText(it->Key, key) == 0) return it->Item->FIndex;
  return -1;
}

int TLxTablesInfo::IndexByName(const String& name) const { return Search(FNameIndex, name, false); }

int TLxTablesInfo::IndexByAlias(const String& alias) const {
  return Search(FAliasIndex, alias, true);
}

// --- Select-list items ----------------------------------------------------------------------

TColumnInfo& TColumnsInfo::GetItem(int index) const {
  if (index < 0 || index >= Count()) throw Exception(ListIndexError(index));
  return *FItems[static_cast<size_t>(index)];
}

TColumnInfo& TColumnsInfo::Add() {
  FItems.push_back(std::make_unique<TColumnInfo>());
  return *FItems.back();
}

// --- Identifier rules -----------------------------------------------------------------------

TSQLInfo::TSQLInfo(TParserClass parserClass) : FParserClass(parserClass) {}

void TSQLInfo::EmptyHook(TSQLParser&, TLexemeCode&, AnsiString&) const {}

bool TSQLInfo::FirstCharNeedsQuote(char16_t c, int identCase) const {
  switch (identCase) {
    case icUpper: return !IsUpperAscii(c);
    case icLower: return !IsLowerAscii(c);
    default: return !IsUpperAscii(c) && !IsLowerAscii(c);
  }
}

bool TSQLInfo::NextCharNeedsQuote(char16_t c, int identCase) const {
  if (c == u'$' || c == u'_' || (c >= u'0' && c <= u'9')) return false;
  switch (identCase) {
    case icUpper: return !IsUpperAscii(c);
    case icLower: return !IsLowerAscii(c);
    default: return !IsUpperAscii(c) && !IsLowerAscii(c);
  }
}

bool TSQLInfo::IsQuoted(const String& text) const {
  return text.size() > 1 && text.front() == LeftQuote() && text.back() == RightQuote();
}

String TSQLInfo::Quote(const String& name, char16_t left, char16_t right) const {
  if (IsQuoted(name)) return name;
  return String(1, left) + name + String(1, right);
}

String TSQLInfo::Unquote(const String& name) const {
  if (IsQuoted(name)) return name.substr(1, name.size() - 2);
  return name;
}

bool TSQLInfo::QuotesNeeded(const String& name) const {
  if (name.empty()) return false;
  int identCase = IdentCase();
  if (FirstCharNeedsQuote(name[0], identCase)) return true;
  for (size_t i = 1; i < name.size(); ++i)
    if (NextCharNeedsQuote(name[i], identCase)) return true;
  return false;
}

String TSQLInfo::NormalizeName(const String& name, bool quoteNames, bool unquote) const {
  return NormalizeNameWith(name, LeftQuote(), RightQuote(), unquote, quoteNames);
}

String TSQLInfo::NormalizeNameWith(const String& name, char16_t left, char16_t right,
                                   bool unquote, bool quoteNames) const {
  if (name.empty()) return String();
  size_t dot;
  if (name.front() == left) {
    String closing = String(1, right) + u".";
    size_t at = name.find(closing, 1);
    dot = at == String::npos ? String::npos : at + 1;
  } else {
    dot = name.find(u'.');
  }
  if (dot != String::npos)
    return NormalizeNameWith(name.substr(0, dot), left, right, unquote, quoteNames) + u"." +
           NormalizeNameWith(name.substr(dot + 1), left, right, unquote, quoteNames);

  String result = name;
  if (!quoteNames && !IsQuoted(result)) {
    if (IdentCase() == icUpper) result = AnsiUpperCase(result);
    if (IdentCase() == icLower) result = AnsiLowerCase(result);
  }
  if (unquote || (!quoteNames && !QuotesNeeded(result))) return Unquote(result);
  return Quote(result, left, right);
}

void TSQLInfo::SplitObjectName(const String& name, TExtTableInfo& info) const {
  info = TExtTableInfo();
  String* parts[] = {&info.Name, &info.Schema, &info.Catalog};
  size_t part = 0;
  size_t cut = name.size();  // the parts end here
  bool quoted = false;
  for (size_t i = name.size(); i-- > 0;) {
    char16_t c = name[i];
    if (!quoted && c == RightQuote()) {
      quoted = true;
    } else if (quoted && c == LeftQuote()) {
      quoted = false;
    } else if (!quoted && c == u'.') {
      if (part < 3) *parts[part] = name.substr(i + 1, cut - i - 1);
      ++part;
      cut = i;
    }
  }
  if (part < 3) *parts[part] = name.substr(0, cut);
}

// --- Statement analysis ---------------------------------------------------------------------

std::unique_ptr<TSQLParser> TSQLInfo::NewSQLParser(const String& sql) const {
  RTL_ASSERT(FParserClass != nullptr, u"SQL information has no lexer class");
  std::unique_ptr<TParser> parser = FParserClass(UTF8Encode(sql));
  auto* sqlParser = dynamic_cast<TSQLParser*>(parser.get());
  RTL_ASSERT(sqlParser != nullptr, u"The lexer class is not an SQL lexer");
  parser.release();
  std::unique_ptr<TSQLParser> result(sqlParser);
  result->SkipBlanks = true;
  result->SkipComments = true;
  result->NumberSeparator = '.';
  return result;
}

namespace {

bool IsSymbolText(TLexemeCode code, const AnsiString& text, const char* symbol) {
  return (code == lcOtherSymbol || code > 0) && text == symbol;
}

bool IsJoinWord(TLexemeCode code) {
  return code == lxFULL || code == lxINNER || code == lxJOIN || code == lxLEFT ||
         code == lxOUTER || code == lxRIGHT;
}

bool IsKeyword(TLexemeCode code) { return code >= 100; }

constexpr TLexemeCode lxComma = 4;  // "," in the SQL symbol table
constexpr TLexemeCode lxDot = 5;    // "."
constexpr TLexemeCode lxStar = 1;   // "*"
// Stands for a ")" among the remembered lexemes of a select item.
constexpr TLexemeCode kClosingParen = -1;

// Reads up to the ")" matching an already-read "(" and stops on it.
void SkipToClosing(TSQLParser& parser, TLexemeCode& code, AnsiString& text) {
  int depth = 1;
  while (depth > 0) {
    code = parser.GetNextToken(text);
    if (code == lcEndOfText) return;
    if (IsSymbolText(code, text, "(")) ++depth;
    if (IsSymbolText(code, text, ")")) --depth;
  }
}

}  // namespace

void TSQLInfo::ParseTablesInfo(const String& sql, TLxTablesInfo& tables) const {
  tables.Clear();
  std::unique_ptr<TSQLParser> parser = NewSQLParser(sql);
  tables.BeginUpdate();
  try {
    if (parser->SkipToLexeme(lxSELECT) == lxSELECT) {
      int depth = 0;
      AnsiString text;
      for (TLexemeCode code; (code = parser->GetNextToken(text)) != lcEndOfText;) {
        if (IsSymbolText(code, text, "(")) ++depth;
        if (IsSymbolText(code, text, ")")) --depth;
        if (code == lxFROM && depth == 0) {
          code = parser->GetNextToken(text);
          ParseFromList(*parser, code, text, false, tables);
          break;
        }
      }
    }
  } catch (...) {
    tables.EndUpdate();
    throw;
  }
  tables.EndUpdate();
}

void TSQLInfo::ParseFromList(TSQLParser& parser, TLexemeCode& code, AnsiString& text, bool nested,
                             TLxTablesInfo& tables) const {
  auto endsList = [&] {
    return code == lcEndOfText || IsSymbolText(code, text, ")") ||
           (!nested && parser.IsClause(code));
  };
  auto next = [&] { code = parser.GetNextToken(text); };

  while (!endsList()) {
    if (IsJoinWord(code) || code == lxComma) {
      next();
      continue;
    }

    if (IsSymbolText(code, text, "(")) {
      next();
      if (code == lxSELECT) {
        SkipToClosing(parser, code, text);  // a derived table is not analysed
      } else {
        ParseFromList(parser, code, text, true, tables);
      }
      if (code == lcEndOfText) return;
      next();  // over the ")"
    } else {
      AnsiString name;
      while (code == lcIdentifier || IsKeyword(code) || code == lxDot) {
        name += text;
        bool namePart = code != lxDot;
        next();
        if (namePart && code != lxDot) break;
      }
      if (!name.empty()) {
        AnsiString alias;
        if (code == lxAS) next();
        if (code == lcIdentifier ||
            (IsKeyword(code) && code != lxJOIN && code != lxINNER && code != lxLEFT &&
             code != lxRIGHT && code != lxFULL && code != lxON && !parser.IsClause(code))) {
          alias = text;
          next();
        }
        if (!IsSymbolText(code, text, "(")) {  // not a function call
          TLxTableInfo* table = tables.Add();
          table->SetTableName(NormalizeName(UTF8ToString(name), false, false));
          table->SetTableAlias(NormalizeName(UTF8ToString(alias), false, false));
        }
      }
    }

    // The rest of the element: its ON condition and the like.
    for (;;) {
      if (code == lcEndOfText) return;
      if (IsSymbolText(code, text, "(")) {
        SkipToClosing(parser, code, text);
        if (code == lcEndOfText) return;
        next();
        continue;
      }
      if (IsJoinWord(code) || code == lxComma) {
        next();
        break;
      }
      if (IsSymbolText(code, text, ")") || (!nested && parser.IsClause(code))) return;
      next();
    }
  }
}

void TSQLInfo::ParseColumnsInfo(const String& sql, TColumnsInfo& columns) const {
  std::unique_ptr<TSQLParser> parser = NewSQLParser(sql);
  if (parser->SkipToLexeme(lxSELECT) != lxSELECT) return;
  const AnsiString& source = parser->Text();

  AnsiString text;
  TLexemeCode code;
  auto next = [&] { code = parser->GetNextToken(text); };
  // The source of the last lexeme with the blanks and comments before it, so an expression keeps
  // its own spelling.
  auto lastWithLeading = [&] {
    auto from = static_cast<size_t>(parser->GetPrevPos());
    return source.substr(from, static_cast<size_t>(parser->GetCurrPos()) - from);
  };
  auto isNameLike = [&] { return code == lcIdentifier || IsKeyword(code) || code == lxStar; };

  int depth = 0;
  for (;;) {
    next();
    if (parser->IsSelectModifier(code)) next();
    AnsiString name, table, alias, expr, pendingAlias;
    bool hasExpr = false;

    if (code == lcIdentifier || (IsKeyword(code) && code != lxFROM) || code == lxStar) {
      name = text;
      next();
      for (int i = 0; i < 3 && code == lxDot; ++i) {
        next();
        if (!isNameLike()) {
          parser->Back();
          code = lxDot;
          text = ".";
          break;
        }
        table = table.empty() ? name : table + "." + name;
        name = text;
        next();
      }
      EmptyHook(*parser, code, text);
      if (code == lxAS) next();
      if (code == lcIdentifier || (IsKeyword(code) && code != lxFROM)) {
        alias = text;
        next();
      }
    }

    TLexemeCode previous = 0;
    while (code != lcEndOfText && ((code != lxComma && code != lxFROM) || depth > 0)) {
      if (!hasExpr) {
        expr = table.empty() ? name : table + "." + name;
        alias.clear();
        hasExpr = true;
      } else if (!pendingAlias.empty()) {
        expr += pendingAlias;
        pendingAlias.clear();
      }
      if (IsSymbolText(code, text, "(")) ++depth;
      if (IsSymbolText(code, text, ")")) --depth;
      AnsiString piece = lastWithLeading();
      if (expr.empty()) piece.erase(0, std::min(piece.size(), piece.find_first_not_of(" \t\r\n")));
      if (depth > 0) {
        expr += piece;
      } else if (code == lxAS) {
        next();
        continue;
      } else {
        bool nameLike = code == lcIdentifier || IsKeyword(code);
        bool afterOperand = previous == lcIdentifier || previous == lcNumber ||
                            previous == lcString || IsKeyword(previous) ||
                            previous == kClosingParen;
        if (!nameLike || !afterOperand)
          expr += piece;
        else
          pendingAlias = piece;
      }
      previous = IsSymbolText(code, text, ")") ? kClosingParen : code;
      next();
    }
    if (!pendingAlias.empty()) alias = pendingAlias;

    if (!hasExpr && table.empty() && parser->IsNullKeyword(name)) {
      expr = name;
      hasExpr = true;
    }

    TColumnInfo& column = columns.Add();
    AnsiString aliasName = alias;
    size_t firstNonBlank = aliasName.find_first_not_of(" \t\r\n");
    aliasName = firstNonBlank == AnsiString::npos ? AnsiString() : aliasName.substr(firstNonBlank);
    if (hasExpr) {
      column.Expr = UTF8ToString(expr);
    } else {
      column.Name = NormalizeName(UTF8ToString(name), false, true);
      column.Table = NormalizeName(UTF8ToString(table), false, true);
    }
    column.Alias = NormalizeName(UTF8ToString(aliasName), false, true);
    column.TableIndex = -1;

    if (code == lcEndOfText || code == lxFROM) break;
  }
}
