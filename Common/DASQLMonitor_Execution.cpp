// Executions that a dataset reports for a component it runs on its own behalf.
#include "Common/DASQLMonitor.h"

#include "Common/DBAccess.h"
#include "Common/DBAccess_AccessUtils.h"

namespace {

const char16_t* const StatementTypeNames[] = {u"Query",  u"Insert",         u"Update",
                                              u"Delete", u"Lock",           u"Refresh",
                                              u"Custom", u"RefreshQuick",   u"RefreshCheckDeleted",
                                              u"BatchUpdate"};

}  // namespace

const TDASQLMonitorClass* TMonitoredExecution::MonitorFor(TCustomDADataSet* dataSet) {
  if (dataSet->NoMonitor()) return nullptr;
  TCustomDAConnection* connection = dataSet->EffectiveConnection();
  if (!connection) return nullptr;
  const TDASQLMonitorClass& monitor = connection->MonitorClass();
  return dataSet->Debug() || monitor.HasMonitor() ? &monitor : nullptr;
}

String TMonitoredExecution::StatementTypesText(TStatementTypes statementTypes) {
  String text;
  for (int type = stQuery; type <= stBatchUpdate; ++type) {
    if (!statementTypes.Contains(static_cast<TStatementType>(type))) continue;
    if (!text.empty()) text += u",";
    text += StatementTypeNames[type];
  }
  return text;
}

TMonitoredExecution::TMonitoredExecution(TCustomDADataSet* reported, TComponent* runner,
                                         const char16_t* description)
    : FMonitor(MonitorFor(reported)), FReported(reported), FRunner(runner) {
  if (FMonitor) Begin(description);
}

TMonitoredExecution::TMonitoredExecution(TCustomDADataSet* reported, TComponent* runner,
                                         TStatementTypes statementTypes)
    : FMonitor(MonitorFor(reported)), FReported(reported), FRunner(runner) {
  if (FMonitor) Begin(StatementTypesText(statementTypes));
}

void TMonitoredExecution::Begin(const String& description) {
  FDescription = description;
  FMonitor->ExecuteHook(FReported, TDBAccessUtils::GetFinalSQL(FRunner), true, FEventId,
                        FDescription, TDBAccessUtils::GetParams(FRunner));
}

void TMonitoredExecution::Done() {
  if (!FMonitor) return;
  FMonitor->ExecuteHook(FReported, TDBAccessUtils::GetFinalSQL(FRunner), false, FEventId,
                        FDescription, TDBAccessUtils::GetParams(FRunner));
}
