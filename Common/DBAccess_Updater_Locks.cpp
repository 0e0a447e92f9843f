// The updater's record locks: a pessimistic lock is taken as the dataset enters edit state or
// before a delete, an optimistic one just before the UPDATE or DELETE. The lock statement
// re-reads the row and compares it with the values in hand, so a row another user changed is
// refused. The lock lives in the connection's transaction: one started for it, which the posted
// change commits or a cancel rolls back, or a savepoint in the transaction already running.
#include "Common/DBAccess.h"
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_Updater.h"
#include "Common/DBAccess_Transaction.h"
#include "Common/LxAccess_Transaction.h"
#include "platform/rtl/StrUtils.h"

namespace {

// A record whose cached change is still waiting to be applied is not on the server as it is
// shown, so there is nothing there to lock.
bool HasPendingChange(TCustomDADataSet* dataSet) {
  return dataSet->CachedUpdates() && dataSet->UpdateStatus() != usUnmodified;
}

}  // namespace

String TDADataSetUpdater::LockSavepointName(bool cached) const {
  String name = (cached ? u"LOCK_CU_" : u"LOCK_") + FDataSet->Name();
  return name.substr(0, 30);
}

bool TDADataSetUpdater::CachedLockMode() const {
  return FDataSet->CachedUpdates() && FDataSet->LockMode() == lmPessimistic;
}

bool TDADataSetUpdater::LockCanRefresh() {
  auto hasOwnText = [this](TStatementType type) {
    TStrings* list = FDataSet->UpdateSQL(type);
    return list != nullptr && !Trim(list->Text()).empty();
  };
  if (hasOwnText(stLock)) return false;
  if (FDataSet->RefreshOptions().Contains(roBeforeEdit))
    return !hasOwnText(stRefresh) && !FDataSet->Options()->FullRefresh;
  return true;
}

// ---- The lock's transaction and savepoints.

void TDADataSetUpdater::BeginLock(const String& savepoint, bool cached) {
  TCustomDAConnection* connection = FDataSet->Connection();
  if (connection == nullptr) DatabaseError(SConnectionNotDefined, FDataSet);
  TDATransaction* transaction = FDataSet->EffectiveUpdateTransaction();
  if (transaction == nullptr) DatabaseError(STransactionNotAssigned, FDataSet);
  if (transaction->GetActive()) {
    // Undoing the lock must not undo what the running transaction did before it.
    transaction->Savepoint(savepoint);
    if (!FDataSet->CachedUpdates())
      FLockState = 0;
    else if (cached)
      FLockState = 3;
  } else {
    transaction->StartTransaction();
    FLockState = cached ? 2 : 1;
    // Applying cached updates switches AutoCommit off while it runs: the setting that decides
    // the end of this transaction is the one in force now.
    FLockAutoCommit = FDataSet->AutoCommit();
  }
  FLockTransaction = transaction;
}

void TDADataSetUpdater::EndLock(const String& savepoint, bool cached) {
  TDATransaction* transaction = FLockTransaction;
  if (transaction == nullptr) return;
  try {
    if ((!cached && FLockState == 1) || (cached && FLockState == 2)) {
      // The transaction was started for the lock: ending it releases the row.
      transaction->Rollback();
      FLockState = 0;
    } else {
      transaction->RollbackToSavepoint(savepoint);
      if (cached && FLockState == 3) FLockState = 0;
    }
  } catch (...) {
    // The lock ends with the transaction in any case; the error that led here is the one to
    // report. The state stays as it was.
  }
  if (!FDataSet->CachedUpdates() || FLockState == 0) FLockTransaction = nullptr;
}

void TDADataSetUpdater::TransactionEnded(TDATransaction* transaction) {
  if (transaction != FLockTransaction) return;
  FLockTransaction = nullptr;
  FLockState = 0;
}

void TDADataSetUpdater::UndoLock(bool cached) {
  try {
    UnlockRecord();
  } catch (...) {
    // The lock's own error is the one to report.
  }
  if (!cached) return;
  try {
    EndCachedLock();
  } catch (...) {
  }
}

// ---- Cached-update locks: held from the edit until the changes are applied or undone.

void TDADataSetUpdater::BeginCachedLock() {
  if (CachedLockMode() && !FDataSet->UpdatesPending()) BeginLock(LockSavepointName(true), true);
}

void TDADataSetUpdater::ReleaseCachedLock() {
  if (!CachedLockMode() || FDataSet->UpdatesPending()) return;
  TDATransaction* transaction = FLockTransaction;
  // The changes were applied inside the transaction the lock started: with AutoCommit on they
  // are committed here, as a posted change would be, rather than left open and lost later.
  if (transaction != nullptr && (FLockState == 1 || FLockState == 2) && FLockAutoCommit &&
      transaction->GetActive())
    transaction->Commit();
  FLockTransaction = nullptr;
  FLockState = 0;
}

void TDADataSetUpdater::EndCachedLock() {
  if (CachedLockMode() && !FDataSet->UpdatesPending()) EndLock(LockSavepointName(true), true);
}

void TDADataSetUpdater::EndCachedLockIfPending() {
  if (CachedLockMode() && FDataSet->UpdatesPending()) EndLock(LockSavepointName(true), true);
}

bool TDADataSetUpdater::RecordReverted() {
  EndCachedLock();
  return true;
}

bool TDADataSetUpdater::UpdatesApplied() {
  ReleaseCachedLock();
  return true;
}

bool TDADataSetUpdater::UpdatesCanceled() {
  EndCachedLockIfPending();
  return true;
}

// ---- Locking the record.

void TDADataSetUpdater::LockRecord() {
  // Without a record there is nothing to lock. (The last record is still a record, also when
  // the dataset stands at its end after Last.)
  if (FDataSet->IsEmpty()) return;
  FDataSet->UpdateCursorPos();
  BeginLock(LockSavepointName(false), false);
  try {
    PerformSQL(String(), TStatementTypes{stLock});
  } catch (...) {
    // A refused lock leaves nothing held behind it.
    EndLock(LockSavepointName(false), false);
    throw;
  }
}

void TDADataSetUpdater::UnlockRecord() { EndLock(LockSavepointName(false), false); }

void TDADataSetUpdater::EndLockAfterChange(bool result) {
  TLockMode mode = FDataSet->LockMode();
  if (!result) {
    if (mode == lmPessimistic || mode == lmOptimistic) UnlockRecord();
    return;
  }
  if (FLockTransaction == nullptr || (FLockState != 1 && FLockState != 2)) return;
  if (!FDataSet->AutoCommit()) return;
  // The change and the lock end together: the row is saved and released at once.
  FLockTransaction->Commit();
  FLockTransaction = nullptr;
  FLockState = 0;
}

void TDADataSetUpdater::PrepareEdit() {
  bool cached = FDataSet->CachedUpdates();
  bool refresh = FDataSet->RefreshOptions().Contains(roBeforeEdit) &&
                 !(cached && FDataSet->UpdateStatus() == usInserted);
  if (refresh && !LockCanRefresh()) {
    RefreshRecord();
    refresh = false;
  }
  bool lock = FDataSet->LockMode() == lmPessimistic && !HasPendingChange(FDataSet);
  if (!refresh && !lock) return;
  if (!lock) {
    RefreshRecord();
    return;
  }
  if (cached) BeginCachedLock();
  BeginLock(LockSavepointName(false), false);
  TStatementTypes types{stLock};
  if (refresh) types << stRefresh;
  try {
    PerformSQL(String(), types);
  } catch (...) {
    UndoLock(cached);
    throw;
  }
}

void TDADataSetUpdater::PrepareDelete() {
  if (FDataSet->LockMode() != lmPessimistic || HasPendingChange(FDataSet)) return;
  LockUndoingOnFailure();
}

void TDADataSetUpdater::LockUndoingOnFailure() {
  bool cached = FDataSet->CachedUpdates();
  if (cached) BeginCachedLock();
  try {
    LockRecord();
  } catch (...) {
    UndoLock(cached);
    throw;
  }
}

void TDADataSetUpdater::CancelEdit() {
  if (FDataSet->LockMode() != lmPessimistic || FDataSet->State() == dsInsert ||
      HasPendingChange(FDataSet))
    return;
  UnlockRecord();
  if (FDataSet->CachedUpdates()) EndCachedLock();
}
