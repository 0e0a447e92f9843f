// The SQL monitor: the class-level hooks that the data-access components call around what they
// do, and the monitor component that, while it is its class's active one, formats those events
// and sends them to its outputs: its own OnSQL event, the external monitor program over a socket
// (TQuelscope), and the process-wide debug-dialog hook. The external SQL monitor program that
// other systems reach through COM does not exist here: that output registers nothing and reports
// nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Common/DBAccess_StatementType.h"
#include "Common/QuelscopeClient.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Sets.h"

class Exception;
class TCustomDAConnection;
class TCustomDADataSet;
class TCustomDASQLMonitor;
class TDAParam;
class TDAParams;
class TDATransaction;

enum TMonitorOption : uint8_t { moDialog, moSQLMonitor, moQuelscope, moCustom, moHandled };
using TMonitorOptions = TSet<TMonitorOption>;

enum TDATraceFlag : uint8_t {
  tfQPrepare, tfQExecute, tfQFetch, tfError, tfStmt, tfConnect, tfTransact, tfBlob, tfService,
  tfMisc, tfParams, tfObjDestroy, tfPool
};
using TDATraceFlags = TSet<TDATraceFlag>;

// The sender is the reporting object; none for an error report.
using TOnSQLEvent = std::function<void(TObject* sender, const String& text, TDATraceFlag flag)>;

// The event type codes of monitor events.
enum TMonitorEventType : int32_t {
  metConnect = 2, metDisconnect = 3, metStart = 4, metCommit = 5, metRollback = 6,
  metSavepoint = 7, metPrepare = 8, metUnprepare = 9, metExecute = 10, metObjectDestroyed = 14,
  metPool = 15, metError = 16
};

class TDASQLMonitorClass;

// The process-wide debug dialog: called for prepare, unprepare and execute (with the word
// "Prepare", "Unprepare", the execute description or "Execute"). Nothing installs it here.
using TDebugDialogProc = void (*)(const TDASQLMonitorClass& monitorClass, TComponent* component,
                                  const String& sql, const String& word, TDAParams* params);
void SetDebugDialogHook(TDebugDialogProc hook);
TDebugDialogProc DebugDialogHook();
// The process-wide call-stack hook: fills an event's call stack. Nothing installs it here.
using TCallStackProc = void (*)(std::vector<String>& callStack);
void SetCallStackHook(TCallStackProc hook);
TCallStackProc CallStackHook();

class TQuelscopeOptions : public TPersistent {
 public:
  void Assign(TPersistent* source) override;

  String Host;
  int32_t Port = 1000;
  int32_t ReconnectTimeout = 5000;  // milliseconds
  int32_t SendTimeout = 1000;       // milliseconds
};

// A monitor class: the class-level hooks the components call. Each asks the class for its active
// monitor and hands the event to it; without one they do nothing beyond what the table of each
// says (prepare, unprepare and execute reach the debug-dialog hook before the operation).
class TDASQLMonitorClass {
 public:
  virtual ~TDASQLMonitorClass() = default;

  virtual TCustomDASQLMonitor* GetActiveMonitor() const { return nullptr; }
  // The product word of the start-up and finish messages.
  virtual String GetCaption() const { return u"DataAccess"; }
  bool HasMonitor() const { return GetActiveMonitor() != nullptr; }

  void PrepareHook(TComponent* component, const String& sql, bool beforeEvent, int32_t& eventId,
                   TDAParams* params) const;
  void UnprepareHook(TComponent* dataSet, const String& sql, bool beforeEvent, int32_t& eventId,
                     TDAParams* params) const;
  void ExecuteHook(TComponent* component, const String& sql, bool beforeEvent, int32_t& eventId,
                   const String& description, TDAParams* params) const;
  void ConnectHook(TCustomDAConnection* connection, bool beforeEvent, int32_t& eventId) const;
  void DisconnectHook(TCustomDAConnection* connection, bool beforeEvent, int32_t& eventId) const;
  virtual void StartHook(TObject* object, bool beforeEvent, int32_t& eventId) const;
  virtual void CommitHook(TObject* object, bool beforeEvent, int32_t& eventId) const;
  virtual void RollbackHook(TObject* object, bool beforeEvent, int32_t& eventId) const;
  void CommitRetainingHook(TDATransaction* transaction, bool beforeEvent, int32_t& eventId) const;
  void RollbackRetainingHook(TDATransaction* transaction, bool beforeEvent,
                             int32_t& eventId) const;
  void SavepointHook(TDATransaction* transaction, const String& name, bool beforeEvent,
                     int32_t& eventId) const;
  void RollbackToSavepointHook(TDATransaction* transaction, const String& name, bool beforeEvent,
                               int32_t& eventId) const;
  void ReleaseSavepointHook(TDATransaction* transaction, const String& name, bool beforeEvent,
                            int32_t& eventId) const;
  void ErrorHook(const Exception& e) const;
  void ObjectDestroyedHook(TObject* object) const;
  void PoolMessage(TObject* pool, const String& message, bool withCount,
                   bool withParameters) const;

 private:
  void DialogHook(TComponent* component, const String& sql, const String& word,
                  TDAParams* params) const;
};

// The class of the provider-neutral monitor: it never has an active monitor.
const TDASQLMonitorClass& DASQLMonitorClass();

// One execution reported for a dataset that runs it through another component (its updater's
// internal one, which reports nothing itself) or with a description of its own ("Refresh"): the
// start when made, the end by Done. It reports only for a dataset that is not kept from the
// monitor and whose connection's monitor is active or whose Debug is on; otherwise making it
// costs that one check and nothing is formatted.
class TMonitoredExecution {
 public:
  // runner: the component whose final statement text and parameters are reported.
  TMonitoredExecution(TCustomDADataSet* reported, TComponent* runner,
                      const char16_t* description);
  // The description is the statement kinds without their "st", joined by "," ("Insert").
  TMonitoredExecution(TCustomDADataSet* reported, TComponent* runner,
                      TStatementTypes statementTypes);
  TMonitoredExecution(const TMonitoredExecution&) = delete;
  TMonitoredExecution& operator=(const TMonitoredExecution&) = delete;

  // The end notice, after the execution succeeded.
  void Done();
  bool Reporting() const { return FMonitor != nullptr; }

  // The monitor class to report the dataset's work to, or none.
  static const TDASQLMonitorClass* MonitorFor(TCustomDADataSet* dataSet);
  static String StatementTypesText(TStatementTypes statementTypes);

 private:
  void Begin(const String& description);

  const TDASQLMonitorClass* FMonitor;
  TCustomDADataSet* FReported;
  TComponent* FRunner;
  String FDescription;
  int32_t FEventId = 0;
};

class TCustomDASQLMonitor : public TComponent {
 public:
  static constexpr uint16_t DefaultTraceFlags = 1643;

  explicit TCustomDASQLMonitor(TComponent* owner);
  ~TCustomDASQLMonitor() override;

  // The class whose hooks report to this component.
  virtual const TDASQLMonitorClass& MonitorClass() const { return DASQLMonitorClass(); }

  bool Active() const { return FActive; }
  void SetActive(bool value);
  TMonitorOptions Options() const { return FOptions; }
  void SetOptions(TMonitorOptions value);
  TDATraceFlags TraceFlags() const { return FTraceFlags; }
  void SetTraceFlags(TDATraceFlags value) { FTraceFlags = value; }
  TQuelscopeOptions* QuelscopeOptions() const { return FQuelscopeOptions.get(); }
  void SetQuelscopeOptions(TQuelscopeOptions* value) { FQuelscopeOptions->Assign(value); }

  TOnSQLEvent OnSQL;

  // ---- Reports, called through the class hooks.
  virtual void ReportExecute(TComponent* component, const String& sql, bool beforeEvent,
                             int32_t& eventId, const String& description, TDAParams* params);
  void ReportPrepare(TComponent* component, const String& sql, bool beforeEvent,
                     int32_t& eventId, TDAParams* params);
  void ReportUnprepare(TComponent* dataSet, const String& sql, bool beforeEvent,
                       int32_t& eventId, TDAParams* params);
  void ReportConnect(TCustomDAConnection* connection, bool connect, bool beforeEvent,
                     int32_t& eventId);
  virtual void ReportStart(TObject* object, bool beforeEvent, int32_t& eventId);
  virtual void ReportCommit(TObject* object, bool beforeEvent, int32_t& eventId);
  virtual void ReportRollback(TObject* object, bool beforeEvent, int32_t& eventId);
  void ReportRetaining(TDATransaction* transaction, bool commit, bool beforeEvent,
                       int32_t& eventId);
  // kind: "Savepoint", "Rollback to savepoint" or "Release savepoint".
  void ReportSavepoint(TDATransaction* transaction, const String& kind, const String& name,
                       bool beforeEvent, int32_t& eventId);
  void ReportError(const Exception& e);
  void ReportObjectDestroyed(TObject* object);
  void ReportPool(TObject* pool, const String& message, bool withCount, bool withParameters);

  // ---- Formatting.
  static String GetObjectName(TObject* object);
  virtual TObject* GetParent(TObject* object);
  virtual int32_t GetObjectType(TObject* object);
  virtual String GetParamDataType(TDAParam* param);
  virtual String GetParamParamType(TDAParam* param);
  virtual String GetParamValue(TDAParam* param);
  // ":name(type,direction)=value \r\n" for each parameter, trailing blanks removed; fills one
  // message parameter each.
  String ParamsText(TDAParams* params, TMsgSQLParams* out);

 protected:
  void Loaded() override;
  virtual void RegisterSQLMonitor() {}
  virtual void UnregisterSQLMonitor() {}
  virtual bool CanActivateOnCreate() const;
  // The process-wide client's start-up and finish.
  void StartQuelscope();
  void FinishQuelscope();
  // Makes a value given while being read take effect.
  void ApplyStreamedActive();
  String ObjectInfo(TObject* object);
  // The outputs of one report; the Quelscope event only when type is not 0.
  void Output(TObject* sender, const String& text, TDATraceFlag flag);
  void Send(TObject* object, int32_t eventType, bool beforeEvent, int32_t& eventId,
            const String& description, const String& sql, const TMsgSQLParams& params,
            bool failed = false, const String& errorText = String());
  bool Traced(TDATraceFlag flag);
  // Start, commit and rollback: the word, the connection's user and server, the object info.
  void ReportTransactionStep(const String& word, int32_t eventType, TObject* object,
                             bool beforeEvent, int32_t& eventId);
  // The debug dialog, before prepare, unprepare and execute.
  void Dialog(TComponent* component, const String& sql, const String& word, TDAParams* params);
  void SendPair(TObject* object, int32_t eventType, const String& description,
                const String& sql);

 private:
  String SQLParams(TDAParams* params, TMsgSQLParams& out);

  bool FActive = false;
  TDATraceFlags FTraceFlags;
  TMonitorOptions FOptions;
  bool FStreamedActive = true;
  TQuelscope* FQuelscope = nullptr;
  std::unique_ptr<TQuelscopeOptions> FQuelscopeOptions;
};
