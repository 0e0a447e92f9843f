#include "MySql/OrbiqMonitor.h"

#include <atomic>

#include "Common/DBAccess_AccessUtils.h"
#include "MySql/MyAccess_Command.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_Utils.h"
#include "MySql/MyClasses_Command.h"

namespace {

std::atomic<TCustomMySQLMonitor*> GActiveMonitor{nullptr};

class TMySQLMonitorClass : public TDASQLMonitorClass {
 public:
  TCustomDASQLMonitor* GetActiveMonitor() const override {
    return TCustomMySQLMonitor::GetActiveMonitor();
  }
  String GetCaption() const override { return u"Orbiq"; }
};

}  // namespace

const TDASQLMonitorClass& MySQLMonitorClass() {
  static const TMySQLMonitorClass monitorClass;
  return monitorClass;
}

TCustomMySQLMonitor::TCustomMySQLMonitor(TComponent* owner) : TCustomDASQLMonitor(owner) {
  SetActiveMonitor();
  if (CanActivateOnCreate()) SetActive(true);
}

TCustomMySQLMonitor::~TCustomMySQLMonitor() {
  SetActive(false);
  TCustomMySQLMonitor* self = this;
  GActiveMonitor.compare_exchange_strong(self, nullptr);
}

TCustomMySQLMonitor* TCustomMySQLMonitor::GetActiveMonitor() {
  return GActiveMonitor.load(std::memory_order_acquire);
}

void TCustomMySQLMonitor::SetActiveMonitor() {
  TCustomMySQLMonitor* none = nullptr;
  GActiveMonitor.compare_exchange_strong(none, this);
}

void TCustomMySQLMonitor::ReportExecute(TComponent* component, const String& sql,
                                       bool beforeEvent, int32_t& eventId,
                                       const String& description, TDAParams* params) {
  if (beforeEvent) {
    // A failed execution ends without its after call: its handlers may still be installed,
    // and must not report for it from now on.
    FStatementComponent = nullptr;
    if (Traced(tfMisc)) {
      FStatementComponent = component;
      SetStatementHandlers(component, true);
    }
  } else if (!beforeEvent && FStatementComponent == component) {
    SetStatementHandlers(component, false);
    FStatementComponent = nullptr;
  }
  TCustomDASQLMonitor::ReportExecute(component, sql, beforeEvent, eventId, description, params);
}

namespace {

bool IsMySQLComponent(TComponent* component) {
  return dynamic_cast<TCustomMyDataSet*>(component) || dynamic_cast<TMyCommand*>(component);
}

}  // namespace

void TCustomMySQLMonitor::SetStatementHandlers(TComponent* component, bool install) {
  if (!IsMySQLComponent(component)) return;
  TMySQLCommand* commands[2] = {TMyAccessUtils::GetMySQLCommand(component), nullptr};
  // A dataset whose updater runs a statement: that statement's command sends the text.
  if (auto* dataSet = dynamic_cast<TCustomMyDataSet*>(component)) {
    TComponent* update = TDBAccessUtils::GetUpdateComponent(dataSet);
    if (update && IsMySQLComponent(update)) commands[1] = TMyAccessUtils::GetMySQLCommand(update);
  }
  for (TMySQLCommand* command : commands) {
    if (!command) continue;
    if (!install) {
      command->SetOnExecute(nullptr);
      continue;
    }
    // The handler asks for the monitor when the text is sent: a monitor destroyed meanwhile is
    // never reached.
    command->SetOnExecute([component](const String& text) {
      if (TCustomMySQLMonitor* monitor = GetActiveMonitor())
        monitor->StatementSent(component, text);
    });
  }
}

void TCustomMySQLMonitor::StatementSent(TComponent* component, const String& text) {
  if (component == FStatementComponent && OnSQL) OnSQL(component, text, tfMisc);
}
