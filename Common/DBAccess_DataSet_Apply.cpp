// The dataset component's cached updates: the changes kept in the record store go to the server
// through the updater inside the connection's transaction, and whether the dataset takes edits
// at all.
#include "Common/DBAccess.h"
#include "Common/DBAccess_HotCast.h"
#include "Common/DBAccess_Transaction.h"
#include "Common/DBAccess_Service.h"
#include "platform/rtl/Exceptions.h"

namespace {

// Leaves the connection's failover operation when the scope ends.
struct TApplyOperation {
  TCustomDAConnection* Connection;
  ~TApplyOperation() { Connection->LeaveOperation(); }
};

// Puts the dataset's AutoCommit back when the scope ends.
struct TAutoCommitRestore {
  TCustomDADataSet* DataSet;
  bool Saved;
  ~TAutoCommitRestore() { DataSet->SetAutoCommit(Saved); }
};

}  // namespace

bool TCustomDADataSet::GetCanModify() {
  if (!Active()) return false;
  auto* service = HotCast<TDADataSetService>(DataSetService());
  return service != nullptr && service->CanModify();
}

void TCustomDADataSet::RestoreUpdates() {
  CheckActive();
  CheckCachedUpdates();
  Data()->RestoreUpdates();
  Resync(TResyncMode());
}

void TCustomDADataSet::RestoreUpdatesExcept(const std::vector<const void*>& applied) {
  Data()->RestoreUpdatesExcept(applied);
  Resync(TResyncMode());
}

void TCustomDADataSet::ApplyUpdatesKinds(TUpdateRecordTypes kinds) {
  CheckActive();
  // Checked before a transaction starts: outside cached updates the apply would post an open
  // edit straight to the server, and a rollback would then undo a change the store kept.
  CheckCachedUpdates();
  TCustomDAConnection* connection = EffectiveConnection();
  if (!connection) DatabaseError(SConnectionNotDefined, this);
  TDATransaction* transaction = EffectiveUpdateTransaction();
  if (!transaction) DatabaseError(STransactionNotAssigned, this);
  // With AutoCommit on, a lost session may already have committed part of the changes: a
  // replay is only safe when the caller ends the transaction.
  connection->EnterOperation(clApply, connection->IsFailOverAllowed() && !FAutoCommit);
  TApplyOperation operation{connection};
  for (;;) {
    const bool savedAutoCommit = FAutoCommit;
    // A pass that fails half way must leave nothing behind on the server: the changes run in
    // one transaction, the caller's when one is open.
    const bool started = !transaction->GetActive();
    // Changes an earlier apply sent and its transaction kept stay applied when this one fails.
    const std::vector<const void*> appliedBefore = Data()->AppliedUpdates();
    try {
      if (started) transaction->StartTransaction();
      {
        TAutoCommitRestore restore{this, savedAutoCommit};
        SetAutoCommit(false);
        TMemDataSet::ApplyUpdatesKinds(kinds);
      }
      if (started && savedAutoCommit) transaction->Commit();
      return;
    } catch (const EFailOver& e) {
      // The transaction went with the session: what the store marked applied was undone.
      if (started) RestoreUpdatesExcept(appliedBefore);
      if (e.ConnLostCause() == clApply && ReplayAfterFailOver()) continue;
      throw;
    } catch (...) {
      if (started) {
        if (transaction->GetActive()) {
          try {
            transaction->Rollback();
          } catch (...) {
            // The apply's error is the one to report; a failed rollback ends the transaction
            // on the server all the same.
          }
        }
        RestoreUpdatesExcept(appliedBefore);
      }
      throw;
    }
  }
}
