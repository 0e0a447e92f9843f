// The dataset updater: sends a dataset component's posted changes to the server. Before the
// record store links in a new record, stores an edited one or drops a deleted one, it runs an
// INSERT, UPDATE or DELETE: the dataset's own statement text for that kind when it has one,
// else one the SQL generator builds; it fills the parameters from the record, runs the
// statement on the dataset's connection and writes a generated key back into the record. A
// failing statement raises before the store changes, so nothing is lost.
#pragma once

#include <memory>

#include "Common/DBAccess_Service.h"
#include "Common/LxAccess_Command.h"
#include "platform/db/DBTypes.h"

class TCustomDADataSet;

// ukModify -> stUpdate, ukInsert -> stInsert, ukDelete -> stDelete.
TStatementType UpdateKindToStatementType(TUpdateKind updateKind);

class TDADataSetUpdater : public TDataSetUpdater {
 public:
  explicit TDADataSetUpdater(TDADataSetService* service);
  ~TDADataSetUpdater() override;

  bool PerformAppend() override;
  bool PerformUpdate() override;
  bool PerformDelete() override;

  // Runs one statement of the type for the current record: text when given, else the dataset's
  // own text for the type, else a generated one. False when there is nothing to run.
  virtual bool PerformSQL(const String& text, TStatementType statementType);

  // The text that ran last and its parameter values, for tests and the monitor.
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

  // ---- Called by the dataset as it enters and leaves insert, edit and delete.
  virtual void PrepareInsert() {}
  // Re-reads the record first when roBeforeEdit is among the refresh options.
  virtual void PrepareEdit();
  virtual void PrepareDelete() {}
  virtual void CancelEdit() {}
  // Re-reads the current record from the server.
  virtual void RefreshRecord();

  // The internal dataset component that runs statements of the type, made on first use on the
  // dataset's connection.
  TCustomDADataSet* UpdateComponent(TStatementType statementType);

 protected:
  TCustomDADataSet* DADataSet() const { return FDataSet; }
  TDADataSetService* DAService() const { return FService; }

  // The provider command that runs update statements on the dataset's connection.
  virtual std::unique_ptr<TLxCommand> CreateUpdateCommand();
  // Tells the command where the placeholders of a generated text stand.
  virtual void SetParamPositions(TLxCommand&, const String&) {}
  virtual int RowsAffected(TLxCommand& command);
  // The value the server generated for the identity column by the last INSERT.
  virtual bool GetIdentityFieldValue(Variant&) { return false; }
  // The dataset's own statement text for the type, macros expanded.
  virtual String GetUserSQL(TStatementType statementType);
  // The field a parameter name of a user-written statement refers to: "OLD_" and a field name
  // for the value before the edit, a field number, or a field name.
  virtual TField* FindParamField(const String& name, bool& old);

 private:
  void FillGeneratedParams(TLxCommand& command, TDAParams& params);
  void FillUserParams(TLxCommand& command);
  static void CopyFieldToParam(TField* field, bool old, TParamDesc* param, TFieldDesc* desc);
  // A posted change needs a statement; without an updating table it would stay in memory only.
  void CheckUpdatingTable(TStatementType statementType);

  TCustomDADataSet* FDataSet;
  TDADataSetService* FService;
  std::unique_ptr<TLxCommand> FCommand;
  std::unique_ptr<TCustomDADataSet> FUpdateComponents[10];
  TDAParams FParams;
  String FLastSQL;
};
