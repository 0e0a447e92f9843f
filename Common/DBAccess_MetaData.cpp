// The metadata component: its connection and transaction, and opening through the provider's
// metadata object with the replay after a lost connection.
#include "Common/DBAccess_MetaData.h"

#include "Common/DBAccess.h"
#include "Common/DBAccess_Transaction.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"

namespace {

// Leaves the connection's failover operation when the scope ends.
class TOpenOperation {
 public:
  explicit TOpenOperation(TCustomDAConnection* connection) : FConnection(connection) {
    if (FConnection) FConnection->EnterOperation(clOpen, FConnection->IsFailOverAllowed());
  }
  ~TOpenOperation() {
    if (FConnection) FConnection->LeaveOperation();
  }
  TOpenOperation(const TOpenOperation&) = delete;
  TOpenOperation& operator=(const TOpenOperation&) = delete;

 private:
  TCustomDAConnection* FConnection;
};

}  // namespace

TDAMetaData::TDAMetaData(TComponent* owner)
    : TMemDataSet(owner), FRestrictions(std::make_unique<TStringList>()) {
  // The store the base made is not used: the provider's store is shown once the dataset opens.
  TMemDataSet::SetData(nullptr);
  FRestrictions->OnChange = [this](TObject*) {
    if (!Reading()) Close();
  };
}

TDAMetaData::~TDAMetaData() {
  try {
    Close();
  } catch (...) {
  }
  DropData();
  FRestrictions->OnChange = nullptr;
  if (FConnection) {
    FConnection->UnRegisterClient(this);
    FConnection->RemoveFreeNotification(this);
    FConnection = nullptr;
  }
  SetTransaction(nullptr);
  FIMetaData.reset();
}

bool TDAMetaData::Reading() const {
  return ComponentState().Contains(csReading) || ComponentState().Contains(csLoading);
}

// ---- Connection and transaction ----

void TDAMetaData::SetConnection(TCustomDAConnection* value) {
  if (value == FConnection) return;
  if (FConnection) {
    if (!Reading()) Close();
    FConnection->UnRegisterClient(this);
    FConnection->RemoveFreeNotification(this);
  }
  FConnection = value;
  if (FConnection) {
    FConnection->RegisterClient(this, [this](TObject* sender, bool connecting) {
      ConnectChange(sender, connecting);
    });
    FConnection->FreeNotification(this);
  }
}

void TDAMetaData::ConnectChange(TObject*, bool connecting) {
  if (connecting) return;
  auto* recordSet = dynamic_cast<TLxRecordSet*>(Data());
  if (FConnection && FConnection->Options()->DisconnectedMode() && recordSet) {
    // The fetched rows stay; only the statement of the old session goes.
    recordSet->UnprepareCommand();
    return;
  }
  Close();
}

void TDAMetaData::Notification(TComponent* component, TOperation operation) {
  TMemDataSet::Notification(component, operation);
  if (operation != opRemove) return;
  // A connection is half destroyed by now: only the pointer goes.
  if (component == FConnection) FConnection = nullptr;
  if (component == FTransaction) FTransaction = nullptr;
}

void TDAMetaData::SetTransaction(TDATransaction* value) {
  if (value == FTransaction) return;
  if (FTransaction) FTransaction->RemoveFreeNotification(this);
  FTransaction = value;
  if (FTransaction) FTransaction->FreeNotification(this);
}

TDATransaction* TDAMetaData::EffectiveTransaction() {
  if (!FConnection) return nullptr;
  if (FConnection->IsMultipleTransactionsSupported() && FTransaction) return FTransaction;
  return FConnection->EffectiveTransaction();
}

void TDAMetaData::AcquireConnection() {
  if (!FConnection) DatabaseError(SConnectionNotDefined, this);
  FConnection->TakeConnectRequest();
  try {
    FConnection->TakeTransactionUse(EffectiveTransaction(), true, this);
  } catch (...) {
    FConnection->DropConnectRequest();
    throw;
  }
}

void TDAMetaData::ReleaseConnection() {
  if (!FConnection) return;
  FConnection->DropTransactionUse(EffectiveTransaction());
  FConnection->DropConnectRequest();
}

// ---- Kind and restrictions ----

void TDAMetaData::SetMetaDataKind(const String& value) {
  if (value == FMetaDataKind) return;
  if (!Reading()) Close();
  FMetaDataKind = value;
}

TStrings* TDAMetaData::Restrictions() const { return FRestrictions.get(); }

void TDAMetaData::SetRestrictions(TStrings* value) { FRestrictions->Assign(value); }

// ---- Open and close ----

void TDAMetaData::CheckIMetaData() {
  RTL_ASSERT(FConnection != nullptr, SConnectionNotDefined);
  const TLxMetaDataClass metaDataClass = FConnection->GetIMetaDataClass();
  if (!FIMetaData || typeid(*FIMetaData) != *metaDataClass.Type) {
    FIMetaData.reset();
    FIMetaData = metaDataClass.Create();
  }
}

void TDAMetaData::OpenCursor(bool infoQuery) {
  TOpenOperation operation(FConnection);
  AcquireConnection();
  try {
    for (;;) {
      try {
        TMemDataSet::OpenCursor(infoQuery);
      } catch (const EFailOver&) {
        // The connection was re-established under the question: ask it again.
        DropData();
        FConnection->RestoreAfterReconnect();
        continue;
      }
      break;
    }
  } catch (...) {
    ReleaseConnection();
    throw;
  }
  ReleaseConnection();
}

void TDAMetaData::InternalOpen() {
  // A store still shown from an earlier look at the fields is the provider's, not to be freed.
  DropData();
  CheckIMetaData();
  TDATransaction* transaction = EffectiveTransaction();
  TData* data = FIMetaData->GetMetaDataFor(FConnection->IConnection(),
                                           transaction ? transaction->ITransaction() : nullptr,
                                           FMetaDataKind, FRestrictions.get());
  FShownData = data;
  TMemDataSet::SetData(std::unique_ptr<TData>(data));
  try {
    TMemDataSet::InternalOpen();
  } catch (...) {
    DropData();
    throw;
  }
}

void TDAMetaData::CloseCursor() {
  try {
    TMemDataSet::CloseCursor();
  } catch (...) {
    FieldDefs()->SetUpdated(false);
    DropData();
    throw;
  }
  FieldDefs()->SetUpdated(false);
  DropData();
}

void TDAMetaData::DropData() {
  if (FShownData && Data() == FShownData) ReleaseData();
  FShownData = nullptr;
}
