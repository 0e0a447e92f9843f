#include "MySql/MyAccess_Transaction.h"

#include "MySql/MyClasses_Transaction.h"

TMyTransaction::~TMyTransaction() {
  // Ended here, while the monitor class is still this class's: the base destructor's close
  // would report to no monitor.
  Destroying();
  try {
    CloseTransaction(true);
  } catch (const std::exception&) {
  }
  if (!Shared() && MonitorClass().HasMonitor()) MonitorClass().ObjectDestroyedHook(this);
}

TLxTransactionKind TMyTransaction::GetITransactionClass() {
  return TLxTransactionKind::Of<TMySQLTransaction>();
}
