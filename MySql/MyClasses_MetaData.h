// The MySQL metadata provider. Servers of version 5 and later answer tables, columns, routines and
// constraints from information_schema, and the record set of that query is the answer itself;
// older servers answer tables and columns with SHOW statements copied into the neutral result
// table, and no routines or constraints. Indexes, index columns and databases always come from
// SHOW statements; routine parameters from the routine's declaration.
#pragma once

#include "Common/LxAccess_MetaData.h"

class TMySQLCommand;
class TMySQLConnection;
class TMySQLInfo;

class TMySQLMetaData : public TLxMetaData {
 public:
  TMySQLMetaData();

  TData* GetTables(TStrings* restrictions) override;
  TData* GetColumns(TStrings* restrictions) override;
  TData* GetProcedures(TStrings* restrictions) override;
  TData* GetProcedureParameters(TStrings* restrictions) override;
  TData* GetIndexes(TStrings* restrictions) override;
  TData* GetIndexColumns(TStrings* restrictions) override;
  TData* GetConstraints(TStrings* restrictions) override;
  TData* GetDatabases(TStrings* restrictions) override;

  // The upper-cased items of a comma-separated list as string literals joined by ", "; empty
  // when the list has none.
  String ParseTypeList(const String& text);

 protected:
  virtual void CopyTablesFromShow(TStrings* restrictions);
  virtual void CopyColumnsFromShow(TStrings* restrictions);
  virtual void CopyIndexesFromShow(TStrings* restrictions);
  virtual void CopyIndexColumnsFromShow(TStrings* restrictions);
  TData* ReadShowIndex(TStrings* restrictions, bool indexColumns);
  void CopyDatabasesFromShow();

  // Literals follow the session's backslash rule, so a name with a quote or a backslash is
  // matched as it is written.
  String QuoteLiteral(const String& value) override;

 private:
  TMySQLCommand* Command() const;
  TMySQLConnection* Connection() const;
  TMySQLInfo& Info() const;
  bool NewServer() const;
  // A name without its backquotes.
  String Unquoted(const String& name) const;
  // A name as an identifier of a statement: always in backquotes, inner ones doubled.
  String Identifier(const String& name) const;
  // The unquoted TABLE_SCHEMA restriction, else the connection's database.
  String SchemaOrCurrent(TStrings* restrictions) const;
  void Run(const String& text);
  // The WHERE text of the condition and the type list on the column.
  String WhereText(String condition, const String& typeColumn, const String& typeList);
  // Runs the text and copies its rows with the copy step into the result table of the layout.
  TData* CopyingAnswer(void (TLxMetaData::*createFields)(), const String& text,
                       void (TMySQLMetaData::*copy)(TStrings*), TStrings* restrictions);
  TData* EmptyAnswer(void (TLxMetaData::*createFields)());
};
