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

 protected:
  // Records this component as the process-wide one unless one is recorded.
  void SetActiveMonitor();
};
