// The dataset updater: sends a dataset component's posted changes to the server. Before the
// record store links in a new record, stores an edited one or drops a deleted one, it runs an
// INSERT, UPDATE or DELETE: the dataset's own statement text for that kind when it has one,
// else one the SQL generator builds; it fills the parameters from the record, runs the
// statement through an internal dataset component of its own (one per kind of statement) and
// writes the server's answer back into the record: a generated key, the rows a re-read returns.
// A failing statement raises before the store changes, so nothing is lost.
#pragma once

#include <memory>

#include "Common/DBAccess_Service.h"
#include "platform/db/DBTypes.h"

class TCustomDADataSet;

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
  // Re-reads the record first when roBeforeEdit is among the refresh options.
  virtual void PrepareEdit();
  virtual void PrepareDelete() {}
  virtual void CancelEdit() {}
  // Re-reads the current record from the server and stores it.
  virtual void RefreshRecord();
  // The same as part of an insert or update: the store takes the record afterwards.
  virtual void RefreshRecordInUpdate();

  // The internal dataset component that runs statements of the type, made on first use on the
  // dataset's connection and set up again for every statement.
  TCustomDADataSet* UpdateComponent(TStatementType statementType);
  // The component chosen for the statement being run.
  TCustomDADataSet* CurrentUpdateComponent() const { return FUpdateComponent; }

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

  // Fills the current component's parameters from the record (paramsInfo: none for a statement
  // that was not generated).
  void SetParameterValues(TDAParamsInfo* paramsInfo, TStatementTypes statementTypes);
  // Writes the first row of the current component's result into the record.
  void CopyRowToRecord(TStatementTypes statementTypes);

 private:
  void SetUpComponent(TStatementType statementType, TCustomDADataSet& component);
  void AssignGeneratedSQL(TCustomDADataSet& component, const String& sql, bool keepParams);
  void AssignUserSQL(TCustomDADataSet& component, const String& sql);
  void FillParameter(TDAParam* param, TDAParamInfo* info, TStatementType statementType);
  void ReadResult(TStatementType statementType, TStatementTypes statementTypes);
  void WriteIdentityValue();
  // A posted change needs a statement; without an updating table it would stay in memory only.
  void CheckUpdatingTable(TStatementType statementType);

  TCustomDADataSet* FDataSet;
  TDADataSetService* FService;
  std::unique_ptr<TCustomDADataSet> FUpdateComponents[10];
  TCustomDADataSet* FUpdateComponent = nullptr;
  bool FInRefreshInUpdate = false;
  String FStatementText;  // the text given to the current component
  String FLastSQL;
};
