// The MySQL SQL monitor: its class's hooks report to the first monitor component of the class
// that was made, for as long as it lives; later ones are never asked.
#pragma once

#include "Common/DASQLMonitor.h"

// The class the MySQL connection, transaction and pool report to.
const TDASQLMonitorClass& MySQLMonitorClass();

class TCustomMySQLMonitor : public TCustomDASQLMonitor {
 public:
  explicit TCustomMySQLMonitor(TComponent* owner);
  ~TCustomMySQLMonitor() override;

  const TDASQLMonitorClass& MonitorClass() const override { return MySQLMonitorClass(); }
  // The process-wide MySQL monitor; none when no component of the class lives.
  static TCustomMySQLMonitor* GetActiveMonitor();

  // With tfMisc, also the text each MySQL command of the component sends while it executes,
  // parameter values written in, reaches OnSQL.
  void ReportExecute(TComponent* component, const String& sql, bool beforeEvent,
                     int32_t& eventId, const String& description, TDAParams* params) override;

 protected:
  // Records this component as the process-wide one unless one is recorded.
  void SetActiveMonitor();

 private:
  // Installs (or removes) the statement-text handler on the component's MySQL commands.
  static void SetStatementHandlers(TComponent* component, bool install);
  void StatementSent(TComponent* component, const String& text);

  // The component whose statement text is being reported; none outside an execution.
  TComponent* FStatementComponent = nullptr;
};
