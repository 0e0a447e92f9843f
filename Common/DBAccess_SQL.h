// The command component: a statement with :name parameters and &name macros that is prepared and
// executed on a connection component without returning rows. It keeps the parameters in step
// with the text, moves their definitions and values to and from the provider command, holds an
// implicit connect request for each execution (and for as long as it is prepared), and runs an
// execution again when the connection was re-established under it. Owned by a dataset component
// it is that dataset's internal command: it keeps the dataset's SQL, parameters and macros and
// writes the parameters to the record set's provider command, which the record set owns.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Common/DBAccess.h"
#include "Common/DBAccess_Macros.h"
#include "Common/DBAccess_Params.h"
#include "Common/LxAccess_Command.h"
#include "Common/MemDS.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/StringList.h"

class TSharedObject;
class TDATransaction;

inline constexpr char16_t SStoredProcNameNotDefined[] = u"StoredProcName must be defined";

class TCustomDASQL : public TComponent, public IDAConnectionClient, public IMacroOwner {
 public:
  explicit TCustomDASQL(TComponent* owner);
  ~TCustomDASQL() override;

  // ---- The connection, the transaction and the provider command.
  TCustomDAConnection* Connection() const { return FConnection; }
  void SetConnection(TCustomDAConnection* value);
  // The connection the command works on: its own, else its dataset's.
  virtual TCustomDAConnection* EffectiveConnection();
  // The dataset whose internal command this is; none for a stand-alone command.
  TCustomDADataSet* DataSet() const { return FDataSet; }
  TDATransaction* Transaction() const { return FTransaction; }
  void SetTransaction(TDATransaction* value);
  // The transaction the command's statements run in: its own (or its dataset's) where the
  // connection runs several at once, else the connection's.
  virtual TDATransaction* EffectiveTransaction();
  TLxCommand* ICommand() const { return FICommand; }
  // Makes the provider command when there is none; a dataset's command asks its dataset for
  // the record set, whose command it uses.
  void CheckICommand();
  // A dataset installs its record set's command (none when the record set goes); the record
  // set owns it.
  void AttachICommand(TLxCommand* command);

  // ---- The statement, its parameters and macros.
  TStrings* SQL() const { return FSQL.get(); }
  // Replaces the lines when their text differs: one change, or none.
  void SetSQL(TStrings* value);
  void SetSQLText(const String& text);
  TDAParams* Params() const { return FParams.get(); }
  // Takes the values of the same-named parameters.
  void SetParams(TDAParams* value) { FParams->AssignValues(value); }
  int ParamCount() const { return FParams->Count(); }
  TDAParam* ParamByName(const String& name) const { return FParams->ParamByName(name); }
  TDAParam* FindParam(const String& name) const { return FParams->FindParam(name); }
  bool ParamCheck() const { return FParamCheck; }
  void SetParamCheck(bool value);
  TMacros* Macros() const { return FMacros.get(); }
  void SetMacros(TMacros* value) { FMacros->Assign(value); }
  TMacro* MacroByName(const String& name) const { return FMacros->MacroByName(name); }
  // The SQL without trailing blanks and control characters, its macros expanded.
  virtual String FinalSQL();
  // Rebuilds the parameters from a text with this command's lexer.
  virtual void ParseSQLParams(const String& sql, TDAParams* params);
  // The last result parameter, or none.
  TDAParam* FindResultParam() const;

  // Marks a caller sets around assigning SQL: a data-modifying text does not rescan the macros;
  // with keep-the-parameters the text is not scanned for parameters and Params stay as they are.
  void SetDataModifying(bool value) { FDataModifying = value; }
  void SetKeepParams(bool value) { FKeepParams = value; }
  // The text the SQL turns into for the provider command again (a dataset's filter condition or
  // master link changed); the parameters follow it.
  void SQLTextChanged();
  // Scans the macros of a text (a dataset's SQL with its update statement texts).
  void ScanMacrosOf(const String& text);
  bool ScanningMacros() const { return FScanningMacros; }

  // ---- Settings.
  bool Debug() const { return FDebug; }
  void SetDebug(bool value) { FDebug = value; }
  // Keeps this command's statements from the SQL monitor.
  bool NoMonitor() const { return FNoMonitor; }
  void SetNoMonitor(bool value) { FNoMonitor = value; }
  bool AutoCommit() const { return FAutoCommit; }
  void SetAutoCommit(bool value);
  const String& StoredProcName() const { return FStoredProcName; }
  void SetStoredProcName(const String& value);
  bool StoredProcIsQuery() const { return FStoredProcIsQuery; }
  void SetStoredProcIsQuery(bool value) { FStoredProcIsQuery = value; }

  // ---- Running.
  bool Prepared() const;
  void SetPrepared(bool value);
  // Holds a connect request until UnPrepare.
  virtual void Prepare();
  virtual void UnPrepare();
  void Execute() { Execute(1); }
  virtual void Execute(int iterations);
  // Writes the call of the stored procedure into SQL; with description the parameters come from
  // the procedure's declaration, else from Params as they stand.
  void CreateProcCall(const String& name, bool needDescription, bool isQuery);
  // The rows the last execution changed; 0 without provider command.
  int RowsAffected() const;
  int64_t LastInsertId() const { return FLastInsertId; }

  // ---- Connect requests: every Acquire(true) has its Release.
  virtual void AcquireConnection(bool implicit);
  virtual void ReleaseConnection();
  void CheckConnection() { AcquireConnection(false); }
  // A dataset's command closes its dataset; a stand-alone one unprepares.
  virtual void Disconnect();

  // ---- Parameters to and from the provider command.
  virtual void WriteParams(bool withValues);
  virtual void ReadParams();
  // Rebuilds the parameters from the text as the provider command sees it, keeping the values
  // of same-named parameters (with the parameter check on).
  virtual void ProcessSQL();

  TBeforeExecuteEvent BeforeExecute;
  TAfterExecuteEvent AfterExecute;

  void AssignTo(TPersistent* dest) override;

  // ---- The connection's view of the command during failover.
  bool IsCommandClient() const override { return true; }
  bool ClientPrepared() const override { return Prepared(); }
  bool ClientIsQuery() const override { return false; }
  bool ClientExecuting() const override;

  // ---- The macros' view of the command.
  bool MacroOwnerIsCommand() const override { return FDataSet == nullptr; }
  bool MacroOwnerActive() const override;
  String MacroOwnerSQLText() const override { return FSQL->Text(); }
  void MacrosChanged() override;

 protected:
  // A provider's descendant makes its provider command here and installs it with SetICommand;
  // the base has none to make.
  virtual void CreateICommand() {}
  virtual void SetICommand(std::unique_ptr<TLxCommand> command);
  virtual const TDataTypesMap& GetDataTypesMapClass();
  virtual TParserClass GetParserClass();
  virtual void ConnectChange(TObject* sender, bool connecting);

  virtual void InternalPrepare();
  virtual void InternalUnPrepare();
  virtual void InternalExecute(int iterations);
  virtual void InternalCreateProcCall(const String& name, bool needDescription, bool isQuery);
  virtual void DoBeforeExecute();
  virtual void DoAfterExecute(bool result);
  virtual void ScanMacros();
  virtual bool UnknownParamIsOutput() { return true; }
  virtual bool ConvertEOLForBlob() { return false; }
  virtual void AssignParamDesc(TParamDesc* desc, TDAParam* param);
  virtual void AssignParamValue(TParamDesc* desc, TDAParam* param);
  virtual void AssignParam(TDAParam* param, TParamDesc* desc);
  virtual void AssignParamDescValue(TDAParam* param, TParamDesc* desc);
  virtual void CreateParams();
  virtual void CreateParamsFromDescs(TDAParams* params, TParamDescs& descs);
  // After a prepare that described the parameters: their definitions, keeping the values.
  void CreateParamsFromICommand();
  void WriteSQL();

  void Notification(TComponent* component, TOperation operation) override;
  bool ParamCheckEffective() const;

 private:
  // The monitor class to report to: none when this command is kept from the monitor, or when
  // neither a monitor is active nor Debug is set.
  const TDASQLMonitorClass* ReportingMonitor();
  void SQLChanged();
  // The text the provider command gets: a dataset's final SQL, else this command's.
  String SQLForICommand();
  // Whether two descriptors of the provider command share a name: the text uses a parameter at
  // more than one place, so descriptors and parameters pair by name, not by position.
  bool DescsRepeatNames() const;
  TParamDesc* DescForParam(int index, TDAParam* param, bool byName);
  void ReleaseConvertedBlobs();
  bool ConvertEOL();

  TCustomDAConnection* FConnection = nullptr;
  std::unique_ptr<TStringList> FSQL;
  std::unique_ptr<TDAParams> FParams;
  std::unique_ptr<TMacros> FMacros;
  TCustomDADataSet* FDataSet = nullptr;
  TDATransaction* FTransaction = nullptr;
  TLxCommand* FICommand = nullptr;
  // A stand-alone command owns its provider command; a dataset's belongs to the record set.
  std::unique_ptr<TLxCommand> FOwnedICommand;
  String FStoredProcName;
  int64_t FLastInsertId = 0;
  // Copies of memo parameters with their line ends converted; the provider command reads them
  // during the execution, and the caller's parameters keep their text.
  std::vector<TSharedObject*> FConvertedBlobs;
  // How many times the provider command reported the end of an execution.
  int FAfterExecuteCount = 0;
  bool FParamCheck = true;
  bool FDebug = false;
  bool FNoMonitor = false;
  bool FAutoCommit = false;
  bool FStoredProcIsQuery = false;
  bool FProcCallMark = false;
  bool FDataModifying = false;
  bool FKeepParams = false;
  bool FScanningMacros = false;
};
