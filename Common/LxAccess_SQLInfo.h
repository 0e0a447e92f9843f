// What an SQL dialect knows about identifiers: how they are quoted, when a name needs quoting, how
// dotted names are normalised and split, and how the tables of a SELECT's FROM part and the items
// of its select list are found. A provider derives its own dialect.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Common/LxParser.h"
#include "platform/rtl/Types.h"

class TLxTablesInfo;

// A table name split into its parts; each keeps its quotes.
struct TExtTableInfo {
  String Name;
  String Schema;
  String Catalog;
  String Link;
};
using TExtTablesInfo = std::vector<TExtTableInfo>;

// One table reference of a statement.
class TLxTableInfo {
 public:
  explicit TLxTableInfo(TLxTablesInfo* owner) : FOwner(owner) {}
  virtual ~TLxTableInfo() = default;

  TLxTablesInfo* Owner() const { return FOwner; }
  int Index() const { return FIndex; }
  const String& TableName() const { return FTableName; }
  void SetTableName(const String& value);
  const String& TableAlias() const { return FTableAlias; }
  void SetTableAlias(const String& value);
  bool IsView() const { return FIsView; }
  void SetIsView(bool value) { FIsView = value; }

  // By reference: the update statements ask for it on every post.
  virtual const String& GetTableNameFull() const { return FTableName; }
  virtual void SetTableNameFull(const String&) {}

 private:
  friend class TLxTablesInfo;
  TLxTablesInfo* FOwner;
  int FIndex = -1;
  String FTableName;
  String FTableAlias;
  bool FIsView = false;
};

// Makes the table references of a list: the command's table-info class.
using TTableInfoClass = std::function<std::unique_ptr<TLxTableInfo>(TLxTablesInfo* owner)>;

// The table references of a statement, with look-ups by name and by alias that ignore case.
class TLxTablesInfo {
 public:
  explicit TLxTablesInfo(TTableInfoClass itemClass = nullptr);
  virtual ~TLxTablesInfo() = default;
  TLxTablesInfo(const TLxTablesInfo&) = delete;
  TLxTablesInfo& operator=(const TLxTablesInfo&) = delete;

  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool value) { FCaseSensitive = value; }

  virtual void BeginUpdate() { ++FUpdateCount; }
  virtual void EndUpdate();

  TLxTableInfo* Add();
  void AddItem(std::unique_ptr<TLxTableInfo> item);
  void Clear();
  int GetCount() const { return static_cast<int>(FItems.size()); }
  // Raises "List index out of bounds (%d)" outside 0..count-1.
  TLxTableInfo* GetItem(int index) const;
  int IndexOf(const TLxTableInfo* item) const;
  int IndexByName(const String& name) const;
  int IndexByAlias(const String& alias) const;

 private:
  friend class TLxTableInfo;
  struct IndexEntry {
    String Key;
    TLxTableInfo* Item;
  };
  void RebuildIndexes();
  int Search(const std::vector<IndexEntry>& index, const String& key, bool byAlias) const;

  bool FCaseSensitive = false;
  std::vector<std::unique_ptr<TLxTableInfo>> FItems;
  int FUpdateCount = 0;
  TTableInfoClass FItemClass;
  std::vector<IndexEntry> FNameIndex;
  std::vector<IndexEntry> FAliasIndex;
};

// One select-list item: a column (Name, Table) or an expression (Expr), with its alias.
struct TColumnInfo {
  String Name;
  String Table;
  int TableIndex = -1;
  String Expr;
  String Alias;
  bool Used = false;  // for the components' use
};

class TColumnsInfo {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TColumnInfo& GetItem(int index) const;
  TColumnInfo& Add();
  void Clear() { FItems.clear(); }

 private:
  std::vector<std::unique_ptr<TColumnInfo>> FItems;
};

// Identifier cases of a dialect: how unquoted identifiers are stored.
enum TIdentCase { icUpper = 0, icLower = 1, icMixed = 2 };

class TSQLInfo {
 public:
  // The lexer class may be null when no analysis is needed.
  explicit TSQLInfo(TParserClass parserClass);
  virtual ~TSQLInfo() = default;

  virtual void EmptyHook(TSQLParser& parser, TLexemeCode& code, AnsiString& text) const;
  virtual bool FirstCharNeedsQuote(char16_t c, int identCase) const;
  virtual bool NextCharNeedsQuote(char16_t c, int identCase) const;
  virtual char16_t LeftQuote() const { return u'"'; }
  virtual char16_t RightQuote() const { return u'"'; }
  virtual int IdentCase() const { return icMixed; }
  virtual bool GetCapabilityFlag() const { return true; }
  virtual String Quote(const String& name, char16_t left, char16_t right) const;
  virtual String Unquote(const String& name) const;
  virtual bool IsQuoted(const String& text) const;
  virtual bool QuotesNeeded(const String& name) const;
  virtual String NormalizeName(const String& name, bool quoteNames = false,
                               bool unquote = false) const;
  virtual String NormalizeNameWith(const String& name, char16_t left, char16_t right, bool unquote,
                                   bool quoteNames) const;
  virtual void SplitObjectName(const String& name, TExtTableInfo& info) const;
  virtual void ParseTablesInfo(const String& sql, TLxTablesInfo& tables) const;
  virtual void ParseColumnsInfo(const String& sql, TColumnsInfo& columns) const;

  String QuoteName(const String& name) const { return Quote(name, LeftQuote(), RightQuote()); }
  String QuoteIfNeeded(const String& name) const {
    return QuotesNeeded(name) ? QuoteName(name) : name;
  }
  TParserClass ParserClass() const { return FParserClass; }

 private:
  std::unique_ptr<TSQLParser> NewSQLParser(const String& sql) const;
  void ParseFromList(TSQLParser& parser, TLexemeCode& code, AnsiString& text, bool nested,
                     TLxTablesInfo& tables) const;

  TParserClass FParserClass;
};
