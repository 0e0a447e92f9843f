// The MySQL transaction component: the transaction component over the MySQL
// provider transaction.
#pragma once

#include "Common/DBAccess_Transaction.h"
#include "MySql/OrbiqMonitor.h"

class TMyTransaction : public TDATransaction {
 public:
  explicit TMyTransaction(TComponent* owner) : TDATransaction(owner) {}
  ~TMyTransaction() override;
  const TDASQLMonitorClass& MonitorClass() const override { return MySQLMonitorClass(); }

 protected:
  TLxTransactionKind GetITransactionClass() override;
};
