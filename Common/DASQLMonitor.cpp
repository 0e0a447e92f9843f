#include "Common/DASQLMonitor.h"

#include <atomic>

#include "Common/DBAccess.h"
#include "platform/rtl/StrUtils.h"

namespace {

std::atomic<TDebugDialogProc> GDebugDialog{nullptr};
std::atomic<TCallStackProc> GCallStack{nullptr};

}  // namespace

void SetDebugDialogHook(TDebugDialogProc hook) { GDebugDialog = hook; }
TDebugDialogProc DebugDialogHook() { return GDebugDialog; }
void SetCallStackHook(TCallStackProc hook) { GCallStack = hook; }
TCallStackProc CallStackHook() { return GCallStack; }

void TQuelscopeOptions::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TQuelscopeOptions*>(source);
  if (!other) return;
  Host = other->Host;
  Port = other->Port;
  ReconnectTimeout = other->ReconnectTimeout;
  SendTimeout = other->SendTimeout;
}

// ---- The class-level hooks.

const TDASQLMonitorClass& DASQLMonitorClass() {
  static const TDASQLMonitorClass monitorClass;
  return monitorClass;
}

void TDASQLMonitorClass::DialogHook(TComponent* component, const String& sql, const String& word,
                                    TDAParams* params) const {
  if (TDebugDialogProc dialog = DebugDialogHook()) dialog(*this, component, sql, word, params);
}

void TDASQLMonitorClass::PrepareHook(TComponent* component, const String& sql, bool beforeEvent,
                                     int32_t& eventId, TDAParams* params) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportPrepare(component, TrimRight(sql), beforeEvent, eventId, params);
  else if (beforeEvent)
    DialogHook(component, TrimRight(sql), u"Prepare", params);
}

void TDASQLMonitorClass::UnprepareHook(TComponent* dataSet, const String& sql, bool beforeEvent,
                                       int32_t& eventId, TDAParams* params) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportUnprepare(dataSet, TrimRight(sql), beforeEvent, eventId, params);
  else if (beforeEvent)
    DialogHook(dataSet, TrimRight(sql), u"Unprepare", params);
}

void TDASQLMonitorClass::ExecuteHook(TComponent* component, const String& sql, bool beforeEvent,
                                     int32_t& eventId, const String& description,
                                     TDAParams* params) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportExecute(component, sql, beforeEvent, eventId, description, params);
  else if (beforeEvent)
    DialogHook(component, sql, description.empty() ? String(u"Execute") : description, params);
}

void TDASQLMonitorClass::ConnectHook(TCustomDAConnection* connection, bool beforeEvent,
                                     int32_t& eventId) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportConnect(connection, true, beforeEvent, eventId);
}

void TDASQLMonitorClass::DisconnectHook(TCustomDAConnection* connection, bool beforeEvent,
                                        int32_t& eventId) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportConnect(connection, false, beforeEvent, eventId);
}

void TDASQLMonitorClass::StartHook(TObject* object, bool beforeEvent, int32_t& eventId) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportStart(object, beforeEvent, eventId);
}

void TDASQLMonitorClass::CommitHook(TObject* object, bool beforeEvent, int32_t& eventId) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportCommit(object, beforeEvent, eventId);
}

void TDASQLMonitorClass::RollbackHook(TObject* object, bool beforeEvent, int32_t& eventId) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportRollback(object, beforeEvent, eventId);
}

void TDASQLMonitorClass::CommitRetainingHook(TDATransaction* transaction, bool beforeEvent,
                                             int32_t& eventId) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportRetaining(transaction, true, beforeEvent, eventId);
}

void TDASQLMonitorClass::RollbackRetainingHook(TDATransaction* transaction, bool beforeEvent,
                                               int32_t& eventId) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportRetaining(transaction, false, beforeEvent, eventId);
}

void TDASQLMonitorClass::SavepointHook(TDATransaction* transaction, const String& name,
                                       bool beforeEvent, int32_t& eventId) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportSavepoint(transaction, u"Savepoint", name, beforeEvent, eventId);
}

void TDASQLMonitorClass::RollbackToSavepointHook(TDATransaction* transaction, const String& name,
                                                 bool beforeEvent, int32_t& eventId) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportSavepoint(transaction, u"Rollback to savepoint", name, beforeEvent, eventId);
}

void TDASQLMonitorClass::ReleaseSavepointHook(TDATransaction* transaction, const String& name,
                                              bool beforeEvent, int32_t& eventId) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportSavepoint(transaction, u"Release savepoint", name, beforeEvent, eventId);
}

void TDASQLMonitorClass::ErrorHook(const Exception& e) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor()) monitor->ReportError(e);
}

void TDASQLMonitorClass::ObjectDestroyedHook(TObject* object) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor()) monitor->ReportObjectDestroyed(object);
}

void TDASQLMonitorClass::PoolMessage(TObject* pool, const String& message, bool withCount,
                                     bool withParameters) const {
  if (TCustomDASQLMonitor* monitor = GetActiveMonitor())
    monitor->ReportPool(pool, message, withCount, withParameters);
}

// ---- The component.

TCustomDASQLMonitor::TCustomDASQLMonitor(TComponent* owner)
    : TComponent(owner),
      FOptions{moDialog, moSQLMonitor, moQuelscope, moCustom},
      FQuelscopeOptions(std::make_unique<TQuelscopeOptions>()) {
  for (int bit = 0; bit <= tfPool; ++bit)
    if (DefaultTraceFlags & (1u << bit)) FTraceFlags.Include(static_cast<TDATraceFlag>(bit));
  // A descendant that answers a process-wide monitor records itself and activates in its own
  // constructor, where its class is known.
}

TCustomDASQLMonitor::~TCustomDASQLMonitor() { SetActive(false); }

bool TCustomDASQLMonitor::CanActivateOnCreate() const {
  return ComponentState().Contains(csDesigning) || !Owner() ||
         !Owner()->ComponentState().Contains(csReading);
}

void TCustomDASQLMonitor::Loaded() {
  TComponent::Loaded();
  SetActive(FStreamedActive);
}

void TCustomDASQLMonitor::ApplyStreamedActive() {
  if (FActive != FStreamedActive) SetActive(FStreamedActive);
}

void TCustomDASQLMonitor::SetActive(bool value) {
  FStreamedActive = value;
  if (ComponentState().Contains(csReading) || value == FActive) return;
  FActive = value;
  if (FOptions.Contains(moSQLMonitor)) {
    if (value)
      RegisterSQLMonitor();
    else
      UnregisterSQLMonitor();
  }
  if (FOptions.Contains(moQuelscope)) {
    if (value)
      StartQuelscope();
    else
      FinishQuelscope();
  }
}

void TCustomDASQLMonitor::SetOptions(TMonitorOptions value) {
  if (value == FOptions) return;
  if (FActive) {
    if (value.Contains(moSQLMonitor) != FOptions.Contains(moSQLMonitor)) {
      if (value.Contains(moSQLMonitor))
        RegisterSQLMonitor();
      else
        UnregisterSQLMonitor();
    }
    if (value.Contains(moQuelscope) != FOptions.Contains(moQuelscope)) {
      if (value.Contains(moQuelscope))
        StartQuelscope();
      else
        FinishQuelscope();
    }
  }
  FOptions = value;
}

void TCustomDASQLMonitor::StartQuelscope() {
  FQuelscope = &TQuelscope::GetClient();
  FQuelscope->Configure(MonitorClass().GetCaption(), FQuelscopeOptions->Host,
                        FQuelscopeOptions->Port, FQuelscopeOptions->ReconnectTimeout,
                        FQuelscopeOptions->SendTimeout);
  FQuelscope->Start();
}

void TCustomDASQLMonitor::FinishQuelscope() {
  if (!FQuelscope) return;
  FQuelscope->Finish();
  FQuelscope = nullptr;
}
