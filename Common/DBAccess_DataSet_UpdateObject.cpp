// The dataset's update object: one dataset at a time uses it, and each learns of the other's
// destruction through a free notification.
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_UpdateSQL.h"
#include "platform/rtl/Exceptions.h"

void TCustomDADataSet::SetUpdateObject(TCustomDAUpdateSQL* value) {
  if (value != nullptr) {
    for (int type = 0; type < StatementTypeCount; ++type)
      if (value->Object(static_cast<TStatementType>(type)) == this)
        throw Exception(SCircularUpdateObject);
  }
  if (value == FUpdateObject) return;
  if (FUpdateObject != nullptr) {
    if (FUpdateObject->DataSet() == this) FUpdateObject->SetDataSet(nullptr);
    FUpdateObject->RemoveFreeNotification(this);
  }
  FUpdateObject = nullptr;
  if (value != nullptr) {
    TCustomDADataSet* previous = value->DataSet();
    if (previous != nullptr && previous != this) previous->SetUpdateObject(nullptr);
    value->SetDataSet(this);
    value->FreeNotification(this);
  }
  FUpdateObject = value;
}
