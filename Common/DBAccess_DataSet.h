// The provider-neutral dataset component: an in-memory dataset whose record store is the
// provider's record set, filled by running the component's SQL on its connection component.
// It prepares, opens, executes and fetches (all at once, in blocks, or on demand), takes and
// releases the connection's implicit connect requests, and survives a reconnect by running the
// interrupted open, execute or refresh again.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Common/DBAccess.h"
#include "Common/DBAccess_HotCast.h"
#include "Common/DBAccess_Options.h"
#include "Common/DBAccess_Macros.h"
#include "Common/DBAccess_Params.h"
#include "Common/DBAccess_SQLGenerator.h"
#include "Common/LxAccess_RecordSet.h"
#include "Common/MemDS.h"
#include "platform/rtl/Sets.h"
#include "platform/rtl/StringList.h"

class TCustomDAConnection;
class TCustomDADataSet;
class TCustomDASQL;
class TDATransaction;
class TDADataSetUpdater;
class TCustomDAUpdateSQL;

enum TRefreshOption : uint8_t { roAfterInsert, roAfterUpdate, roBeforeEdit };
using TRefreshOptions = TSet<TRefreshOption>;

enum TLockMode : uint8_t { lmNone, lmPessimistic, lmOptimistic };

constexpr int StatementTypeCount = 10;

using TBeforeExecuteEvent = std::function<void(TObject* sender)>;
using TAfterExecuteEvent = std::function<void(TObject* sender, bool result)>;
using TBeforeFetchEvent = std::function<void(TCustomDADataSet* dataSet, bool& cancel)>;
using TAfterFetchEvent = std::function<void(TCustomDADataSet* dataSet)>;
// Around every update statement the updater runs: the kinds of statement and its parameters.
using TUpdateExecuteEvent =
    std::function<void(TDataSet* sender, TStatementTypes statementTypes, TDAParams* params)>;

inline constexpr char16_t SConnectionNotDefined[] = u"Connection is not defined";
inline constexpr char16_t STransactionNotAssigned[] = u"Transaction not assigned";
inline constexpr char16_t SFetchRowsRange[] = u"FetchRows must be 1..10000";
inline constexpr char16_t SFieldNotFoundFmt[] = u"Field %s not found";
inline constexpr char16_t SNoSQLStatement[] = u"No SQL statement provided";
// Running a statement again from inside its own execution, or while the record count is being
// read, would have nothing to report; the caller hears so instead of a silent no-op.
inline constexpr char16_t SStatementExecuting[] = u"The statement is still executing";

class TCustomDADataSet : public TMemDataSet,
                         public IDADataSetOptionsOwner,
                         public IDAConnectionClient,
                         public IMacroOwner {
 public:
  explicit TCustomDADataSet(TComponent* owner);
  ~TCustomDADataSet() override;

  // ---- The connection and the provider objects.
  TCustomDAConnection* Connection() const { return FConnection; }
  virtual void SetConnection(TCustomDAConnection* value);
  // The connection the dataset works on: its own, or one given by a descendant.
  virtual TCustomDAConnection* EffectiveConnection() { return FConnection; }
  TLxRecordSet* IRecordSet() const { return HotCast<TLxRecordSet>(Data()); }
  TLxCommand* ICommand() const { return FICommand; }
  // Makes the connection's record set when there is none or it is of another class.
  void CheckIRecordSet();
  void CreateData() override;
  void SetData(std::unique_ptr<TData> value) override;
  void FreeIRecordSet();

  // ---- Transactions: where the connection runs several at once, the dataset may read in one
  // and update in another; otherwise both are the connection's.
  TDATransaction* Transaction() const { return FTransaction; }
  virtual void SetTransaction(TDATransaction* value);
  TDATransaction* UpdateTransaction() const { return FUpdateTransaction; }
  void SetUpdateTransaction(TDATransaction* value);
  virtual TDATransaction* EffectiveTransaction();
  virtual TDATransaction* EffectiveUpdateTransaction();
  // A transaction the dataset uses ends. The rows the store holds stay, the dataset stays open
  // and on its record; what the server forgets with the transaction (a record lock) goes.
  virtual void TransactionEnded(TDATransaction* transaction);

  // ---- The statement and its parameters, kept by the internal command component.
  TCustomDASQL* InternalCommand() const { return FCommand.get(); }
  TStrings* SQL() const;
  void SetSQLText(const String& text);
  TDAParams* Params() const;
  bool ParamCheck() const;
  void SetParamCheck(bool value);
  TDAParam* ParamByName(const String& name) const;
  TDAParam* FindParam(const String& name) const;
  TMacros* Macros() const;
  TMacro* MacroByName(const String& name) const;
  // The statement as it goes to the server: the SQL with its macros expanded and the filter
  // condition added.
  virtual String FinalSQL();
  // The text before the component rewrote it (AddWhere), else the SQL; macros expanded.
  String BaseSQL() const;
  // Adds a condition to the statement, keeping the text before the first rewrite as BaseSQL.
  void AddWhere(const String& condition);
  void SetSQLKeepingBase(const String& text);
  // The statement texts for updates, by kind; none for kinds the dataset does not keep.
  TStrings* UpdateSQL(TStatementType type) const;
  void SetUpdateSQL(TStatementType type, TStrings* value);
  virtual TStatementTypes GetUpdateStatementTypes();

  // ---- Options and fetch settings.
  TDADataSetOptions* Options() const { return FOptions.get(); }
  int FetchRows() const { return FFetchRows; }
  void SetFetchRows(int value);
  bool FetchAll() const { return GetFetchAll(); }
  void SetFetchAll(bool value) { SetFetchAllValue(value); }
  bool UniDirectional() const { return FUniDirectional; }
  void SetUniDirectional(bool value) override;
  bool ReadOnly() const { return FReadOnly; }
  virtual void SetReadOnly(bool value);
  bool AutoCommit() const { return FAutoCommit; }
  void SetAutoCommit(bool value);
  bool Debug() const { return FDebug; }
  void SetDebug(bool value) { FDebug = value; }
  // Keeps this dataset's statements from the SQL monitor.
  bool NoMonitor() const { return FNoMonitor; }
  void SetNoMonitor(bool value) { FNoMonitor = value; }
  TRefreshOptions RefreshOptions() const { return FRefreshOptions; }
  virtual void SetRefreshOptions(TRefreshOptions value);
  TLockMode LockMode() const { return FLockMode; }
  void SetLockMode(TLockMode value) { FLockMode = value; }
  const String& KeyFields() const { return FKeyFields; }
  virtual void SetKeyFields(const String& value);
  const String& UpdatingTable() const { return FUpdatingTable; }
  virtual void SetUpdatingTable(const String& value);
  const String& FilterSQL() const { return FFilterSQL; }
  // Reopens an active dataset with the condition; a failing reopen puts the old one back.
  virtual void SetFilterSQL(const String& value);

  // ---- Running.
  void Prepare() override;
  void UnPrepare() override;
  // Runs a statement without result set, or opens the dataset for one with rows.
  virtual void Execute();
  // Whether every row of the result has been read.
  virtual bool Fetched();
  virtual void BreakExec();
  virtual bool IsQuery();
  int RowsAffected() const { return FRowsAffected; }
  int64_t LastInsertId() const { return FLastInsertId; }
  TDataTypeCode GetDataType(const String& fieldName);
  TFieldDesc* GetFieldDescByNo(int fieldNo);
  void Resync(TResyncMode mode) override;

  // ---- Connection requests, balanced: every Acquire(true) has its Release.
  virtual void AcquireConnection(bool implicit);
  virtual void ReleaseConnection();
  void CheckConnection() { AcquireConnection(false); }
  // The connection goes away: close (or, in disconnected mode, only drop the statement).
  virtual void Disconnect(bool close);

  // ---- SQL text operations of the dialect; the base has none and answers empty texts.
  virtual String SQLGetFrom(const String& sql);
  virtual String SQLAddWhere(const String& sql, const String& condition);
  virtual String SQLDeleteWhere(const String& sql);
  virtual String SQLGetWhere(const String& sql);
  virtual String SQLSetOrderBy(const String& sql, const String& fields);
  virtual String SQLGetOrderBy(const String& sql);
  String GetOrderBy();
  virtual void CheckSQL() {}
  virtual bool IsTableComponent() { return false; }
  virtual bool AllowsUpdateSQL() { return true; }

  TBeforeExecuteEvent BeforeExecute;
  TAfterExecuteEvent AfterExecute;
  TBeforeFetchEvent BeforeFetch;
  TAfterFetchEvent AfterFetch;
  TUpdateExecuteEvent BeforeUpdateExecute;
  TUpdateExecuteEvent AfterUpdateExecute;

  // ---- Posting: the updater that sends the store's changes, and the parameters it fills.
  TDADataSetUpdater* DAUpdater();
  bool HasBeforeUpdateExecute() const { return static_cast<bool>(BeforeUpdateExecute); }
  bool HasAfterUpdateExecute() const { return static_cast<bool>(AfterUpdateExecute); }
  void DoBeforeUpdateExecute(TStatementTypes statementTypes, TDAParams* params);
  void DoAfterUpdateExecute(TStatementTypes statementTypes, TDAParams* params);
  // The field's value (old: from before the edit) with its type; a blob field shares the
  // record's blob object.
  void CopyFieldToParam(TDAParam* param, TField* field, bool old);
  // The same from a store descriptor that has no field object.
  void CopyFieldDescToParam(TDAParam* param, TFieldDesc* fieldDesc, bool old);
  // The parameter shares the object, or gets a fresh empty blob for none; whether it changed.
  bool SetParamObject(TDAParam* param, TSharedObject* object);
  void SetLastInsertId(int64_t value) { FLastInsertId = value; }
  void RefreshRecord();

  // ---- Cached updates, refresh and keys.
  // Locks the current record on the server as LockMode locks it before an edit; the lock ends
  // with the posted change, a cancel, or the transaction.
  virtual void Lock();
  // Re-reads the rows changed on the server since they were read (by the table's TIMESTAMP
  // column) and adds the new ones; with checkDeleted the records whose rows are gone leave the
  // dataset. The current record stays current.
  virtual void RefreshQuick(bool checkDeleted);
  // True while the record store applies the cached changes (the updater batches them then).
  bool ApplyingCachedUpdates() const { return InCacheProcessing(); }
  // Applies the cached changes inside the connection's transaction. A transaction the dataset
  // starts itself is committed after the pass (with AutoCommit on), or rolled back when a change
  // fails, and then every change counts as pending again; a transaction the caller started is
  // left to the caller, who after a rollback calls RestoreUpdates.
  void ApplyUpdatesKinds(TUpdateRecordTypes kinds) override;
  // Every cached change that was applied counts as pending again (its statement was undone).
  void RestoreUpdates();
  // After a failed apply: every change but those applied before it is pending again.
  void RestoreUpdatesExcept(const std::vector<const void*>& applied);
  // The dataset component's service decides key, data and identity fields and owns the
  // generator and the updater the posting steps rely on.
  TDataSetServiceClass GetDataSetServiceClass() override;
  // Active and editable as the service decides.
  bool GetCanModify() override;
  // The fields that identify the current record and their values: the key fields, else the
  // data fields without blob and object columns. One key field gives its value, otherwise a
  // variant array (0..n-1); values are unassigned without a current record.
  void GetCurrentKeysAndValues(TFieldDescArray& fields, Variant& values);
  // The provider's key list: fields flagged as key, else the cache, else KeyFields, else the
  // service's key fields that are fields of the dataset.
  String PSGetKeyFields() override;
  // A refresh tells of its scroll once the window shows the record again.
  void DoAfterRefresh() override;
  // Switching the local filter on an open dataset keeps the current record when it stays
  // visible.
  void SetFiltered(bool value) override;
  // A literal default is stored as it stands; every other expression is selected from the
  // server, all in one statement.
  void ApplyDefaultValues() override;

  // ---- Update object.
  // The component whose statements (or statement components) the updater prefers to the
  // dataset's own texts. Taking an object that another dataset uses takes it away from that
  // dataset; an object whose components include this dataset fails with a circular reference.
  TCustomDAUpdateSQL* UpdateObject() const { return FUpdateObject; }
  void SetUpdateObject(TCustomDAUpdateSQL* value);

  // ---- Master/detail and the provider interface.
  // Copies the master's current values into the parameters named like its fields; whether a
  // parameter changed. Local master/detail binds the store's filter instead.
  virtual bool SetMasterParams(TDAParams* params);
  bool BindToMaster() override;
  // The detail runs its statement again with the master's new values.
  void RefreshDetail() override;
  bool IsLocalMasterDetail() override;
  // New link fields or master: the statement is built again and an open dataset reopens.
  void MasterDetailChanged() override;
  void GetDetailLinkFields(std::vector<TField*>& masterFields,
                           std::vector<TField*>& detailFields) override;

  bool PSInTransaction() override;
  void PSStartTransaction() override;
  void PSEndTransaction(bool commit) override;
  void PSExecute() override;
  // Each "?" outside quotes and comments becomes ":1", ":2", ... bound to the given parameters
  // by position.
  int PSExecuteStatement(const String& sql, TParams* params,
                         TDataSet** resultSet = nullptr) override;
  TParams* PSGetParams() override;
  String PSGetQuoteChar() override;
  String PSGetTableName() override;
  bool PSIsSQLBased() override { return true; }
  bool PSIsSQLSupported() override { return true; }
  void PSReset() override;
  void PSSetParams(TParams* params) override;
  void PSSetCommandText(const String& commandText) override;
  // The OnUpdateRecord handler applies the record when it answers uaApplied; otherwise False,
  // and the caller applies it.
  bool PSUpdateRecord(TUpdateKind updateKind, TDataSet* delta) override;
  std::unique_ptr<TIndexDef> PSGetDefaultOrder() override;
  // Another dataset component takes the statement, its settings and its texts.
  void AssignTo(TPersistent* dest) override;

  // ---- The connection's view of the dataset during failover.
  bool IsCommandClient() const override { return false; }
  bool ClientPrepared() const override;
  bool ClientActive() const override { return Active(); }
  bool ClientFetchAll() const override { return GetFetchAll(); }
  bool ClientFetched() const override;
  bool ClientIsQuery() const override;

  // ---- The options' view of the dataset.
  void CheckInactive() override { TDataSet::CheckInactive(); }
  bool PassToRecordSet(TLxPropCode prop, const Variant& value) override;
  bool PassToCommand(TLxPropCode prop, const Variant& value) override;
  void OptionChanged(TDADataSetOptionEffect effect, bool value) override;

  // ---- The macros' view of the dataset.
  bool MacroOwnerIsCommand() const override { return false; }
  bool MacroOwnerActive() const override { return Active(); }
  String MacroOwnerSQLText() const override;
  void MacrosChanged() override;

  // ---- The internal command's view of the dataset.
  // The SQL text changed: the statement, its field definitions and the cached names go. A
  // stored procedure call the command writes keeps the record set's statement kind.
  void CommandSQLChanged(bool procCallMark);
  // The macros follow the SQL and the update statement texts.
  void ScanMacros();
  // A prepared or open statement with a cursor given by the server (a procedure's result).
  void* GetCursor();
  void SetCursor(void* cursor);
  // Opens the dataset for its field definitions alone (one row, no monitor) and puts the
  // settings back afterwards.
  struct TDescribeState {
    bool Active = false;
    bool Debug = false;
    bool FetchAll = false;
    int FetchRows = 25;
  };
  virtual void OpenForDescribe(TDescribeState& state, bool force);
  virtual void RestoreAfterDescribe(const TDescribeState& state, bool reopen);

 protected:
  // Descendants put their own options class in place (from their constructor).
  virtual std::unique_ptr<TDADataSetOptions> CreateOptions();
  void InstallOptions(std::unique_ptr<TDADataSetOptions> options);
  // The internal command of the provider; descendants install theirs from their constructor.
  virtual std::unique_ptr<TCustomDASQL> CreateCommand();
  void InstallCommand(std::unique_ptr<TCustomDASQL> command);
  // The lexer class that finds the parameters of the SQL text.
  virtual TParserClass GetParserClass();

  virtual bool GetFetchAll() const { return FFetchAll; }
  virtual void SetFetchAllValue(bool value);
  virtual void BeforeOpenCursor(bool) {}
  virtual void AfterOpenCursor(bool) {}
  virtual void ExecCommand();
  // The connection connects (re-attach) or disconnects (close or drop the statement).
  virtual void ConnectChange(TObject* sender, bool connecting);
  virtual void DoBeforeExecute();
  virtual void DoAfterExecute(bool result);
  virtual void DoBeforeFetch(bool& cancel);
  virtual void DoAfterFetch();
  void RecordSetAfterExecute(bool result);
  // The SQL or its update statement texts changed: the macros are scanned again.
  virtual void SQLChanged();

  void OpenCursor(bool infoQuery) override;
  void CloseCursor() override;
  void InternalOpen() override;
  void InternalClose() override;
  void InternalRefresh() override;
  // Each posting step wraps the in-memory one with the updater's preparation and the connect
  // request it may hold until the post or cancel.
  void InternalInsert() override;
  void InternalEdit() override;
  void InternalDelete() override;
  void InternalCancel() override;
  void InternalPost() override;
  // A posted detail record whose link fields no longer match its master leaves the store.
  void CheckDetailLinkAfterPost();
  int GetRecordCount() override;
  void DoAfterScroll() override;
  void RefreshData() override;
  void Notification(TComponent* component, TOperation operation) override;

  // The server's row count for QueryRecCount; the base has no way to ask.
  virtual int GetServerRecordCount() { return 0; }
  // Passes every setting to a freshly installed record set and its command.
  virtual void PassSettings();
  int ServerRecordCount() const { return FServerRecordCount; }
  bool InAfterExecute() const { return FInAfterExecute; }

 private:
  // The monitor class to report to: none when this dataset is kept from the monitor, or when
  // neither a monitor is active nor Debug is set.
  const TDASQLMonitorClass* ReportingMonitor();
  // The parameters' definitions (and values) to the provider command, through the internal
  // command: one path for datasets and commands.
  void WriteParams(bool withValues);
  void ReadParams();
  // The statement and everything derived from it go, keeping the base text (the component's
  // own rewrites, macros, the filter condition and the master link change what it expands to).
  void ResetSQLKeepingBase();
  // Restores transactions after a reconnect and says whether the operation runs again.
  bool ReplayAfterFailOver();

  TCustomDAConnection* FConnection = nullptr;
  TDATransaction* FTransaction = nullptr;
  TDATransaction* FUpdateTransaction = nullptr;
  TLxCommand* FICommand = nullptr;
  TCustomDAUpdateSQL* FUpdateObject = nullptr;
  std::unique_ptr<TCustomDASQL> FCommand;
  std::unique_ptr<TDADataSetOptions> FOptions;
  std::array<std::unique_ptr<TStringList>, StatementTypeCount> FUpdateSQL;
  String FBaseSQL;
  String FKeyFields;
  String FUpdatingTable;
  String FFilterSQL;
  String FKeyFieldsCache;
  String FTableNameCache;
  int FFetchRows = 25;
  int FRowsAffected = -1;
  int FServerRecordCount = 0;
  int64_t FLastInsertId = 0;
  TRefreshOptions FRefreshOptions;
  TLockMode FLockMode = lmNone;
  bool FDebug = false;
  bool FNoMonitor = false;
  bool FReadOnly = false;
  bool FUniDirectional = false;
  bool FAutoCommit = true;
  bool FFetchAll = false;
  bool FFetchCanceled = false;
  bool FKeepBaseSQL = false;
  bool FInAfterExecute = false;
  bool FExecuting = false;
  // Whether this dataset holds a connect request for its open, unfinished cursor.
  bool FCursorHoldsConnection = false;

  // Keys and defaults.
  // A record named by field names rather than field objects: a refresh that reopens the
  // dataset makes its default fields again.
  struct TRecordKey {
    std::vector<String> FieldNames;
    Variant Values;
  };
  TRecordKey CurrentRecordKey();
  // The fields of the key, or none when one of them is gone or there are no values.
  std::vector<TField*> RecordKeyFields(const TRecordKey& key);
  // After a refresh: back on the record with the key, else on the first one. The platform
  // fills the window once afterwards, so links hear of the refresh once; the scroll's
  // AfterScroll waits for that.
  void ApplyRefreshKeepingRecord(const TRecordKey& key);
  bool FScrollAfterRefresh = false;
  // Runs one SELECT of the expressions and gives each field the value of its column.
  void SelectDefaultValues(const std::vector<TField*>& fields,
                           const std::vector<String>& expressions);

  // Master/detail.
  // A name as the dialect writes it; without a provider command, by the neutral rules.
  String NormalizeName(const String& name, bool quoteNames);
  // The conditions "detail = :master" of the link fields, joined by " and ".
  String MasterDetailCondition();
  // The table named by the statement's FROM when it names exactly one.
  String TableNameFromSQL();
  bool DetailLinkDiffers(TField* masterField, TField* detailField);
};
