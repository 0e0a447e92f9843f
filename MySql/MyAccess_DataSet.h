// The MySQL dataset components: the query that forms place for their lists, lookups and checks,
// the table that builds its own SELECT, their options, the refresh on a timer, and the data
// source that binds controls to them.
#pragma once

#include <cstdint>
#include <memory>

#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_DataSource.h"

class TCustomMyConnection;
class TCustomMyDataSet;
class TCustomMyDataSetService;
class TWin32Timer;

class TMyDataSetOptions : public TDADataSetOptions {
 public:
  explicit TMyDataSetOptions(TCustomMyDataSet* owner);

  bool FieldsAsString() const { return FFieldsAsString; }
  void SetFieldsAsString(bool value);
  bool NullForZeroDate() const { return FNullForZeroDate; }
  void SetNullForZeroDate(bool value);
  bool CheckRowVersion() const { return FCheckRowVersion; }
  // Passed to the dataset's service, which compares the row version on UPDATE and DELETE.
  void SetCheckRowVersion(bool value);
  bool EnableBoolean() const { return FEnableBoolean; }
  void SetEnableBoolean(bool value);
  bool BinaryAsString() const { return FBinaryAsString; }
  void SetBinaryAsString(bool value);
  bool CreateConnection() const { return FCreateConnection; }
  void SetCreateConnection(bool value);
  // Refreshes the dataset every AutoRefreshInterval seconds while it browses.
  bool AutoRefresh() const { return FAutoRefresh; }
  void SetAutoRefresh(bool value);
  int AutoRefreshInterval() const { return FAutoRefreshInterval; }
  void SetAutoRefreshInterval(int value);

  // AutoRefresh, its interval and CheckRowVersion stay as they are.
  void Assign(TPersistent* source) override;

 protected:
  TCustomMyDataSet* DataSet() const { return FDataSet; }
  // Stores a record-set switch: refused on an open dataset, passed to the record set.
  void SetRecordSetSwitch(bool& field, bool value, TLxPropCode prop, bool outdatesFields);

 private:
  TCustomMyDataSet* FDataSet;
  bool FFieldsAsString = false;
  bool FNullForZeroDate = true;
  bool FCheckRowVersion = false;
  bool FEnableBoolean = true;
  bool FBinaryAsString = true;
  bool FCreateConnection = true;
  bool FAutoRefresh = false;
  int FAutoRefreshInterval = 60;
};

// The table's options: reading the table through HANDLER statements, by an index.
class TMyTableOptions : public TMyDataSetOptions {
 public:
  explicit TMyTableOptions(TCustomMyDataSet* owner) : TMyDataSetOptions(owner) {}

  // Refused on an open table; the table builds its statement again.
  bool UseHandler() const { return FUseHandler; }
  void SetUseHandler(bool value);
  // The index the HANDLER reads by, with an optional key comparison ("PRIMARY", "idx > (5)").
  const String& HandlerIndex() const { return FHandlerIndex; }
  void SetHandlerIndex(const String& value);

  void Assign(TPersistent* source) override;

 private:
  bool FUseHandler = false;
  String FHandlerIndex;
};

class TCustomMyDataSet : public TCustomDADataSet {
 public:
  explicit TCustomMyDataSet(TComponent* owner);
  ~TCustomMyDataSet() override;

  TCustomMyConnection* Connection() const;
  TMyDataSetOptions* Options() const {
    return static_cast<TMyDataSetOptions*>(TCustomDADataSet::Options());
  }
  int CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(int value);
  // The timer of the auto-refresh; none until AutoRefresh is first changed at run time.
  TWin32Timer* AutoRefreshTimer() const { return FAutoRefreshTimer.get(); }

  String SQLGetFrom(const String& sql) override;
  String SQLAddWhere(const String& sql, const String& condition) override;
  String SQLDeleteWhere(const String& sql) override;
  String SQLGetWhere(const String& sql) override;
  String SQLSetOrderBy(const String& sql, const String& fields) override;
  String SQLGetOrderBy(const String& sql) override;
  String PSGetQuoteChar() override { return u"`"; }

  // Moves an open dataset on to the next result of its statement (FetchAll off, not prepared);
  // whether there was one. A closed dataset simply opens.
  bool OpenNext();

  // Locks the current record: kind 0 a write lock (FOR UPDATE), 1 a read lock (LOCK IN SHARE
  // MODE). "There is no active record to lock" on an empty dataset.
  void Lock() override { Lock(0); }
  void Lock(uint8_t kind);

  // Called by the options.
  void AutoRefreshChanged();
  void AutoRefreshIntervalChanged();

 protected:
  TParserClass GetParserClass() override;
  std::unique_ptr<TCustomDASQL> CreateCommand() override;
  // Posted rows reach the server through the MySQL service, its generator and updater.
  TDataSetServiceClass GetDataSetServiceClass() override;
  void PassSettings() override;
  void BeforeOpenCursor(bool infoQuery) override;
  // A new service learns the dataset's settings; the fields made by an open learn their
  // columns' read-only state, origins, defaults and the TIMESTAMP column.
  void SetDataSetService(std::unique_ptr<TDataSetService> value) override;
  void InternalOpen() override;
  void InternalClose() override;
  void RefreshData() override;
  int GetServerRecordCount() override;
  TCustomMyDataSetService* MyService();

 private:
  void AutoRefreshTick();

  int FCommandTimeout = 0;
  std::unique_ptr<TWin32Timer> FAutoRefreshTimer;
};

class TMyQuery : public TCustomMyDataSet {
 public:
  explicit TMyQuery(TComponent* owner) : TCustomMyDataSet(owner) {}

  TStrings* SQLInsert() const { return UpdateSQL(stInsert); }
  TStrings* SQLUpdate() const { return UpdateSQL(stUpdate); }
  TStrings* SQLDelete() const { return UpdateSQL(stDelete); }
  TStrings* SQLLock() const { return UpdateSQL(stLock); }
  TStrings* SQLRefresh() const { return UpdateSQL(stRefresh); }
};

// A dataset over one table: its SELECT is built from the table name, an ORDER BY list, a limit
// and an offset, again after any of them changes.
class TCustomMyTable : public TCustomMyDataSet {
 public:
  explicit TCustomMyTable(TComponent* owner);
  ~TCustomMyTable() override;

  TMyTableOptions* Options() const {
    return static_cast<TMyTableOptions*>(TCustomDADataSet::Options());
  }
  // The table's indexes as the server lists them, read when first asked for after a change of
  // the table (a unique index carries ixUnique; a read error leaves what was read).
  TIndexDefs* IndexDefs();
  void UpdateIndexDefs();
  // Called by the options: the statement is built again.
  void TableStatementChanged();

  const String& TableName() const { return FTableName; }
  void SetTableName(const String& value);
  const String& OrderFields() const { return FOrderFields; }
  void SetOrderFields(const String& value);
  int Limit() const { return FLimit; }
  void SetLimit(int value);
  int Offset() const { return FOffset; }
  void SetOffset(int value);

  void Prepare() override;
  void Execute() override;
  void CheckSQL() override { PrepareSQL(); }
  bool IsTableComponent() override { return true; }
  String PSGetTableName() override { return FTableName; }
  // A non-empty text names the table.
  void PSSetCommandText(const String& commandText) override;
  // Parameters of another number make the table select the rows whose columns of those names
  // equal them.
  void PSSetParams(TParams* params) override;
  String SQLSetOrderBy(const String& sql, const String& fields) override;
  // Another table also takes the table name, its order and its master link.
  void AssignTo(TPersistent* dest) override;

 protected:
  // Builds the statement when the SQL is empty, with the generator; "TableName must be
  // defined" without a table.
  void PrepareSQL();
  void BeforeOpenCursor(bool infoQuery) override;
  void AfterOpenCursor(bool infoQuery) override;
  void PassSettings() override;

 private:
  // Whether the handler is opened and closed by statements of their own around the cursor (a
  // client or server older than 4.1); newer ones open it in the statement itself.
  bool HandlerStatementsInUse();
  void RunHandlerStatement(const String& action);
  String QuotedTableName();

  std::unique_ptr<TIndexDefs> FIndexDefs;
  String FTableName;
  String FOrderFields;
  int FLimit = -1;
  int FOffset = 0;
};

class TMyTable : public TCustomMyTable {
 public:
  explicit TMyTable(TComponent* owner) : TCustomMyTable(owner) {}
};

class TMyDataSource : public TLxDataSource {
 public:
  explicit TMyDataSource(TComponent* owner) : TLxDataSource(owner) {}
};
