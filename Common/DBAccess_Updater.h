// The dataset updater: sends a dataset component's posted changes to the server. Before the
// record store links in a new record, stores an edited one or drops a deleted one, it runs an
// INSERT, UPDATE or DELETE: the update object's component or text for that kind, else the
// dataset's own statement text, else one the SQL generator builds. It fills the parameters from
// the record, runs the statement (on the update object's component, else on an internal dataset
// component of its own, one per kind of statement) and writes the server's answer back into
// the record: a generated key, the rows a re-read returns.
// A failing statement raises before the store changes, so nothing is lost. It also locks records
// on the server before they are changed, re-reads the rows that changed there (quick refresh),
// and while cached updates are applied joins their statements into batches.
#pragma once

#include <memory>

#include "Common/DBAccess_SQLGenerator.h"
#include "Common/DBAccess_Service.h"
#include "platform/db/DBTypes.h"

class TCustomDADataSet;
class TCustomDAConnection;
class TDATransaction;

// ukModify -> stUpdate, ukInsert -> stInsert, ukDelete -> stDelete.
TStatementType UpdateKindToStatementType(TUpdateKind updateKind);

// The one kind a set of statement types stands for: a lock that also re-reads is a lock; a set
// of several kinds (or none) is a custom statement.
TStatementType StatementTypeOf(TStatementTypes statementTypes);

class TDADataSetUpdater : public TDataSetUpdater {
 public:
  explicit TDADataSetUpdater(TDADataSetService* service);
  ~TDADataSetUpdater() override;

  bool PerformAppend() override;
  bool PerformUpdate() override;
  bool PerformDelete() override;

  // Runs one statement for the current record: text when given, else the dataset's own text for
  // the kind, else a generated one. False when there is nothing to run.
  virtual bool PerformSQL(const String& text, TStatementTypes statementTypes);

  // Runs the statement the dataset or its user wrote for the kind of change (none is generated)
  // with its parameters taken from the delta record's fields: a name beginning with "OLD_" takes
  // the field's value before the change, any other its new value (else its old one). False when
  // there is no such statement.
  bool ApplyDeltaRecord(TUpdateKind updateKind, TDataSet* delta);

  // The text that ran last, for tests.
  const String& LastSQL() const { return FLastSQL; }

  // ---- Answers that descendants change.
  virtual bool UsesOutputParams() { return false; }
  // Whether a statement's returned values are copied into the record (the ReturnParams option).
  virtual bool ReturnsValues();
  virtual bool ReturnsValuesAsRow() { return false; }
  virtual bool RefreshAfterInsertAllowed() { return true; }
  virtual bool NeedsConnectionOnInsert() { return false; }
  virtual bool NeedsConnectionOnEdit() { return false; }
  // Whether the current insert or edit holds a connect request until it is posted or cancelled.
  virtual bool NeedsConnection();
  // The updater evaluates no default expression itself: the dataset selects them from the server.
  virtual bool EvaluateDefaultExpression(const String&, Variant&) { return false; }
  // Whether a value re-read from the server equals the one in hand.
  virtual bool ValuesEqual(const Variant& a, const Variant& b);

  // ---- Called by the dataset as it enters and leaves insert, edit and delete.
  virtual void PrepareInsert() {}
  // Re-reads the record when roBeforeEdit asks for it and, under lmPessimistic, locks it; a
  // failing lock leaves no lock behind.
  virtual void PrepareEdit();
  // Under lmPessimistic the record is locked before it goes.
  virtual void PrepareDelete();
  // Releases the lock an edit took.
  virtual void CancelEdit();
  // Re-reads the current record from the server and stores it.
  virtual void RefreshRecord();
  // The same as part of an insert or update: the store takes the record afterwards.
  virtual void RefreshRecordInUpdate();

  // ---- Record locks. A lock lives in the connection's transaction: one the lock starts
  // itself, or a savepoint inside the transaction that is already running.
  // Locks the current record on the server (nothing at the end of the dataset); a lock that
  // fails is released before the error goes on.
  virtual void LockRecord();
  virtual void UnlockRecord();
  // False when the dataset's own lock text cannot take the place of the re-read.
  virtual bool LockCanRefresh();
  virtual bool SavepointAllowed() { return true; }
  virtual void BeginLock(const String& savepoint, bool cached);
  virtual void EndLock(const String& savepoint, bool cached);
  // The lock that an edit under cached updates holds until the changes are applied or undone.
  virtual void BeginCachedLock();
  virtual void ReleaseCachedLock();
  virtual void EndCachedLock();
  virtual void EndCachedLockIfPending();
  // Ends the record's lock after a posted change: a change that ran commits the transaction
  // the lock started (with AutoCommit on); one that did not releases the lock.
  void EndLockAfterChange(bool result);
  // "LOCK_" (or "LOCK_CU_" for the cached lock) and the component name, 30 characters at most.
  String LockSavepointName(bool cached) const;
  uint8_t LockState() const { return FLockState; }
  bool LockActive() const { return FLockTransaction != nullptr; }
  // The transaction ends: the server lets go of the row lock and its savepoint, and so does
  // the updater.
  void TransactionEnded(TDATransaction* transaction);

  bool RecordReverted() override;
  bool UpdatesApplied() override;
  bool UpdatesCanceled() override;

  // ---- Quick refresh: re-reads the rows changed on the server since the last refresh and, with
  // checkDeleted, drops the records whose rows are gone; the current record stays current.
  virtual void RefreshQuick(bool checkDeleted);
  // Whether the quick refresh remembers a column's values (and the largest of them).
  virtual bool IsTrackedField(TFieldDesc*) { return false; }
  virtual void TrackFieldValue(TFieldDesc*, const Variant&) {}

  // ---- Statement batches while cached updates are applied.
  bool BatchAllowed() override;
  bool BatchFull() override;
  void FlushBatch() override;
  virtual String GetBatchSQL(const String& text) { return text; }
  const String& BatchSQL() const { return FBatchSQL; }
  int BatchCount() const { return FBatchCount; }

  // The internal dataset component that runs statements of the type, made on first use on the
  // dataset's connection and set up again for every statement.
  TCustomDADataSet* UpdateComponent(TStatementType statementType);
  // The component chosen for the statement being run: an internal dataset component, or the
  // dataset or command component of the dataset's update object.
  TComponent* CurrentUpdateComponent() const { return FUpdateComponent; }
  // The same when it is a dataset component, else none.
  TCustomDADataSet* CurrentUpdateDataSet() const;

 protected:
  TCustomDADataSet* DADataSet() const { return FDataSet; }
  TDADataSetService* DAService() const { return FService; }

  // Chooses the component and its text; a generated text comes with its parameter information.
  virtual void PrepareUpdateStatement(const String& text, TStatementTypes statementTypes,
                                      bool generate, TDAParamsInfo*& paramsInfo);
  virtual void SetUpdateComponentOptions(TStatementType, TCustomDADataSet&) {}
  virtual void ExecuteUpdateStatement(TStatementTypes statementTypes);
  // The value the server generated for the identity column by the last INSERT.
  virtual bool GetIdentityFieldValue(Variant&) { return false; }
  // The dataset's own statement text for the type: a refresh text "WHERE ..." is a condition
  // added to the dataset's statement, a lock text "FOR ..." a clause after the refresh.
  virtual String GetUserSQL(TStatementType statementType);
  // The field a parameter name of a user-written statement refers to: "OLD_" and a field name
  // for the value before the edit, a field number, or a field name. name becomes the name looked
  // up; fieldNo is the number a numeric name gave (0 for none).
  virtual TField* FindParamField(String& name, bool& old, int& fieldNo);

  // The statement being prepared is the kept one, already on its component with its parameters
  // (and whatever a descendant told the component's command about it).
  bool StatementReused() const { return FStatementReused; }

  // Fills the current component's parameters from the record (paramsInfo: none for a statement
  // that was not generated).
  void SetParameterValues(TDAParamsInfo* paramsInfo, TStatementTypes statementTypes);
  // Writes the first row of the current component's result into the record; under a lock the
  // row is compared with the values in hand instead, and a difference raises "Record was
  // changed by another user".
  void CopyRowToRecord(TStatementTypes statementTypes);

 private:
  // PerformSQL's work; PerformSQL drops the kept statement when it raises.
  bool RunStatement(const String& text, TStatementTypes statementTypes);
  void SetUpComponent(TStatementType statementType, TCustomDADataSet& component);
  void AssignGeneratedSQL(TCustomDADataSet& component, const String& sql, bool keepParams,
                          bool dataModifying);
  void AssignUserSQL(TCustomDADataSet& component, const String& sql);
  void FillParameter(TDAParam* param, TDAParamInfo* info, TStatementType statementType);
  void ReadResult(TStatementType statementType, TStatementTypes statementTypes);
  void ReadRefreshCheckDeleted();
  void ReadRefreshQuick(TStatementTypes statementTypes);
  // Copies the component's current row into a record buffer, column by column.
  void WriteRow(uint8_t* target, bool refresh, bool editing);
  // The record store's descriptor a result column is written to, or none.
  TFieldDesc* RowColumnTarget(TFieldDesc* column);
  // Compares the component's current row with the record's values.
  void CompareLockedRow();
  // Whether the statement about to be prepared joins the batch.
  bool Batching(TStatementType statementType);
  // Adds a statement to the batch; the text's parameters are renamed for its place in it.
  // The text as it joins the batch (a user text's parameters renamed for its place in it).
  String AddToBatch(const String& text, bool generated);
  // Copies the just filled parameters of the current component into the batch parameters.
  void AddBatchParams();
  // Gives the batch component's parameters the values collected for them.
  void AssignBatchParams();
  // The optimistic lock just before an UPDATE or DELETE.
  void LockBeforeChange();
  // Undoes a lock that failed, ignoring errors of its own.
  void UndoLock(bool cached);
  // Locks the current record (under cached updates with the cached lock first); a failing lock
  // is undone before its error goes on.
  void LockUndoingOnFailure();
  // The cached-update lock applies: cached updates under lmPessimistic.
  bool CachedLockMode() const;
  void WriteIdentityValue();
  // A posted change needs a statement; without an updating table it would stay in memory only.
  void CheckUpdatingTable(TStatementType statementType);
  // The update object's component for the type, or none.
  TComponent* UpdateObjectComponent(TStatementType statementType) const;
  // The update object's text for the type, or the empty text.
  String UpdateObjectSQL(TStatementType statementType) const;
  // Whether the update object or the dataset has a statement of its own for the type.
  bool HasUserStatement(TStatementType statementType);

  // ---- Kept statements (see DBAccess_Updater_Kept.cpp).
  struct TKeptStatement {
    TStatementShape Shape;
    std::unique_ptr<TDAParamsInfo> ParamsInfo;
    String Text;  // as given to the component
    TCustomDADataSet* Component = nullptr;
    TLxCommand* Command = nullptr;
    TCustomDAConnection* Connection = nullptr;
    String CommandText;  // what the component's command held right after
    int ParamCount = 0;
    uint64_t RefreshOptions = 0;
    bool ReturnsValues = false;
  };
  static int KeptIndex(TStatementType statementType);
  // Makes the kept statement serve nothing until a new one is kept.
  static void Forget(TKeptStatement& kept);
  // Whether a generated statement of the type may be kept and used again at all now.
  bool KeepingAllowed(TStatementType statementType);
  // Puts the kept statement back to work when the record gives the same text; paramsInfo is
  // then its parameter information.
  bool UseKeptStatement(TStatementType statementType, bool modifiedOnly,
                        TCustomDADataSet& component, TDAParamsInfo*& paramsInfo);
  // Keeps the statement just generated and given to the component.
  void KeepStatement(TStatementType statementType, TCustomDADataSet& component,
                     TDAParamsInfo*& paramsInfo);
  // Forgets the statements kept on the component (all of them for none).
  void DropKeptStatements(const TCustomDADataSet* component);
  // Forgets the type's kept statement.
  void DropKeptStatement(TStatementType statementType);

  TCustomDADataSet* FDataSet;
  TDADataSetService* FService;
  TKeptStatement FKept[3];  // INSERT, UPDATE, DELETE
  bool FStatementReused = false;
  std::unique_ptr<TCustomDADataSet> FUpdateComponents[10];
  // The record set each component's options were last handed to, so that unchanged options are
  // not handed again on every statement.
  const TLxRecordSet* FOptionsPassedTo[10] = {};
  TComponent* FUpdateComponent = nullptr;
  bool FInRefreshInUpdate = false;
  // The lock's transaction is the connection's own; set while a lock holds it.
  // The transaction component the lock runs in: the dataset's update transaction.
  TDATransaction* FLockTransaction = nullptr;
  // 0 none; 1 the transaction was started for a lock; 2 started for a lock under cached
  // updates; 3 a savepoint was set before a lock under cached updates.
  uint8_t FLockState = 0;
  bool FCheckOnLock = true;
  bool FLockAutoCommit = true;  // the dataset's AutoCommit when the lock started its transaction
  String FBatchSQL;
  std::unique_ptr<TDAParams> FBatchParams;
  int FBatchCount = 0;
  bool FInBatch = false;  // parameters are being filled for a batched statement
  String FStatementText;  // the text given to the current component
  String FLastSQL;
};
