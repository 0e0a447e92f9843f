// The MySQL transaction component: the transaction component over the MySQL
// provider transaction.
#pragma once

#include "Common/DBAccess_Transaction.h"

class TMyTransaction : public TDATransaction {
 public:
  explicit TMyTransaction(TComponent* owner) : TDATransaction(owner) {}

 protected:
  TLxTransactionKind GetITransactionClass() override;
};
