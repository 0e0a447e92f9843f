// MySQL's identifier rules: names are quoted with backquotes (a backquote inside doubled), and a
// name in backquotes, double quotes or single quotes counts as quoted. Unquoted names keep their
// case.
#pragma once

#include "Common/LxAccess_SQLInfo.h"

class TFieldDesc;

class TMySQLInfo : public TSQLInfo {
 public:
  explicit TMySQLInfo(TParserClass parserClass) : TSQLInfo(parserClass) {}

  char16_t LeftQuote() const override { return u'`'; }
  char16_t RightQuote() const override { return u'`'; }
  // The quote characters passed in are not used: MySQL names always take backquotes.
  String Quote(const String& name, char16_t left, char16_t right) const override;
  String Unquote(const String& name) const override;
  bool IsQuoted(const String& text) const override;

  // The database (schema part) and the name of a possibly qualified name; both keep their quotes.
  void SplitDatabaseAndName(const String& text, String& database, String& name) const;
};

// A MySQL table reference, with what the quick refresh needs: the largest time stamp seen in the
// table's TIMESTAMP column, that column, and the database-qualified name.
class TMyTableInfo : public TLxTableInfo {
 public:
  using TLxTableInfo::TLxTableInfo;

  TDateTime MaxTimestamp() const { return FMaxTimestamp; }
  void SetMaxTimestamp(TDateTime value) { FMaxTimestamp = value; }
  TFieldDesc* TimestampField() const { return FTimestampField; }
  void SetTimestampField(TFieldDesc* field) { FTimestampField = field; }

  const String& GetTableNameFull() const override { return FTableNameFull; }
  void SetTableNameFull(const String& value) override { FTableNameFull = value; }

 private:
  TDateTime FMaxTimestamp = 0;
  String FTableNameFull;
  TFieldDesc* FTimestampField = nullptr;
};
