// The MySQL record set: the record store behind every MySQL query. It runs its TMySQLCommand,
// describes the result's columns as field descriptors, works out the tables the columns come
// from and reads the rows into its record store block by block. A result read on demand gets a
// connection of its own, so that the main connection stays free for other statements while rows
// are still unread; abandoning a long result there ends it with KILL instead of reading it all.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Common/LxAccess_RecordSet.h"
#include "MySql/MyClasses_Command.h"
#include "MySql/MyClasses_RecordSetFields.h"
#include "MySql/MyClasses_RecordSetRow.h"

class TMySQLConnection;
class TMyTableInfo;

// ResultsState values: what follows the result that was given up last.
constexpr uint8_t rsNone = 0;
constexpr uint8_t rsMoreResults = 1;  // NextResult holds the batch's next result
constexpr uint8_t rsNoMoreResults = 2;
constexpr uint8_t rsNextFailed = 3;

class TMySQLRecordset : public TLxRecordSet {
 public:
  TMySQLRecordset();
  ~TMySQLRecordset() override;

  // ---- TLxRecordSet ----
  void SetCommand(std::unique_ptr<TLxCommand> command) override;
  void ExecCommand() override;
  void BreakFetch() override;
  bool IsCursorIdle() override;
  bool HasResultSet() override;
  void UnprepareCommand() override;
  bool SetProp(TLxPropCode prop, const Variant& value) override;
  bool GetProp(TLxPropCode prop, Variant& value) override;
  bool GetCapabilityFlag() override { return false; }

  // ---- the store ----
  TFieldDescClass GetFieldDescClass() override { return &TMySQLFieldDesc::Create; }
  int GetFieldCount() override { return Fields().Count(); }
  void InternalPrepare() override;
  void InternalUnPrepare() override;
  void InternalOpen() override;
  void InternalClose() override;
  void DetectCommandType() override;
  void ExplicitInitFields() override;
  bool Fetch(bool fetchBack = false) override;
  void SetToEnd() override;
  void SetNull(int fieldNo, uint8_t* recBuf, bool value) override;
  void GetFieldData(TFieldDesc* field, uint8_t* data, void* dest) override;
  void PutFieldData(TFieldDesc* field, uint8_t* data, bool exact, const void* source) override;
  void CreateComplexFields(uint8_t* recBuf, bool withBlob) override;

  // Raise the connection's error (with this record set's component) on a failing answer.
  virtual void CheckResultTrue(bool value);
  virtual void CheckResultFalse(int value);
  virtual void CheckErrno();

  TMySQLCommand* MyCommand() const { return FMyCommand; }
  // 0 result binds not prepared, 1 prepared, 2 the prepared statement's rows are exhausted.
  uint8_t BindState() const { return FBindState; }
  const TMYSQL_BINDS& ResultBinds() const { return FResultBinds; }

  // Connection facts, read afresh from the command's connection when it has one.
  bool IsClient41();
  bool UseUnicode();
  bool OptimizedBigInt();
  bool NullForZeroTesmarDate();
  int32_t ServerMajor();
  int32_t ServerMinor();

  bool NullForZeroDate() const { return FNullForZeroDate; }
  bool FieldsAsString() const { return FFieldsAsString; }
  bool EnableBoolean() const { return FEnableBoolean; }
  bool BinaryAsString() const { return FBinaryAsString; }
  bool CreateConnection() const { return FCreateConnection; }
  bool UseHandler() const { return FUseHandler; }
  uint8_t ResultsState() const { return FResultsState; }
  bool KillAllowed() const { return FKillAllowed; }
  // The connection the command had before a fetch connection replaced it; nil otherwise.
  TMySQLConnection* SavedConnection() const { return FSavedConnection; }

  // The SQL that describes the statement's columns without rows: the first LIMIT's row count
  // becomes 0, or "LIMIT 0" goes before PROCEDURE/FOR/LOCK, before the first ";" or at the end.
  // A text without SELECT, or with SET before it, stays as it is.
  static String LimitZeroSQL(const String& sql);

 protected:
  // Gives up the command's pending result: drains or kills what is left of it and, with
  // readNext, opens the batch's next result into NextResult.
  void CloseResult(bool readNext, bool drain);
  void CloseAllResults();
  void UseFetchConnection();
  void ReleaseFetchConnection(bool killed);
  void DescribeFields(PMYSQL_RES result);
  // Runs the statement once with LIMIT 0 on the session and describes its first result.
  void DescribeWithoutRows();
  void ResolveTables();
  void ReadOutParams();

 private:
  // Let the command take the batch's next result, already opened, as its own.
  void TakeNextResult();
  TMyFieldOptions FieldOptions();
  // Sizes that SHOW results of some servers report too small.
  void AdjustShowSizes(const TMYSQL_FIELD& column, const AnsiString& sql, TMyFieldMapping& m);
  void FillFieldDesc(const TMYSQL_FIELD& column, const TMyFieldMapping& mapping,
                     TMySQLFieldDesc& field);
  int FindOrAddTable(const String& name, bool isView);
  int FindTable(const String& name);
  bool ReadTextRow(TItemBlock* block, int index);
  // A binary row of the prepared statement on the own-protocol back end; false at the end, where
  // the rows are given up (bind state 2).
  bool ReadBinaryRowDirect(TItemBlock* block, int index);
  // A binary row that a client library writes into the record and the bind buffer.
  bool ReadBinaryRowClient(TItemBlock* block, int index);
  // Bind state 1; for a library back end also the result binds and the bind buffer.
  void PrepareResultBinds();
  // Finishes a row a client library wrote: widens, converts and copies what it could not write
  // straight into the record.
  void ConvertBinaryRow(uint8_t* record);
  void FreeBindBuffer();
  // Reads what is left of the prepared statement's rows.
  void DrainStatementRows();
  // The record of the row to read next, its slots of values held by reference cleared.
  uint8_t* RowRecord(TItemBlock* block, int index);
  void RefreshConnectionFacts();
  // Ends the fetch connection's server thread through the main connection.
  void KillFetchConnection();
  // Stops the statement whose rows are still arriving on the command's connection, keeping the
  // connection itself.
  void StopRunningQuery();
  TMySQLConnection* Connection() const;

  TMySQLCommand* FMyCommand = nullptr;  // the base owns it
  TMySQLConnection* FSavedConnection = nullptr;
  // The connection the rows are read on while FSavedConnection is set. Kept apart from the
  // command's connection, which the dataset may point back at the main one meanwhile.
  TMySQLConnection* FFetchConnection = nullptr;
  std::unique_ptr<TMySQLConnection> FOwnFetchConnection;
  bool FFetchConnectionKilled = false;

  bool FIsClient41 = true;
  bool FUseUnicode = false;
  bool FOptimizedBigInt = false;
  bool FNullForZeroTesmarDate = false;
  int32_t FServerMajor = 0;
  int32_t FServerMinor = 0;

  bool FNullForZeroDate = true;
  bool FFieldsAsString = false;
  bool FEnableBoolean = true;
  bool FBinaryAsString = true;
  bool FCreateConnection = true;
  bool FUseHandler = false;
  bool FKillAllowed = false;
  bool FIsShow = false;
  bool FIsDescribe = false;
  uint8_t FResultsState = rsNone;
  PMYSQL_RES FNextResult = nullptr;
  int32_t FNextRowsAffected = -2;

  std::unique_ptr<TMyRowConverter> FConverter;

  // Binary rows of a prepared statement.
  uint8_t FBindState = 0;  // 0 binds not prepared, 1 prepared, 2 the statement's rows are exhausted
  TMYSQL_BINDS FResultBinds;
  std::vector<uint8_t> FBindBuffer;  // values a client library cannot write into the record
  std::vector<uint32_t> FBindLengths;
  bool FLocaleSeparator = false;  // the platform's decimal separator is not "."
};
