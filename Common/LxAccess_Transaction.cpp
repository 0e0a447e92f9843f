#include "Common/LxAccess_Transaction.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"

TLxConnection* TLxConnections::GetItem(int index) const {
  if (index < 0 || index >= Count())
    throw Exception(u"List index out of bounds (" + IntToStr(index) + u")");
  return FItems[static_cast<size_t>(index)];
}

int TLxConnections::IndexOf(const TLxConnection* connection) const {
  auto it = std::find(FItems.begin(), FItems.end(), connection);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TLxConnections::Remove(const TLxConnection* connection) {
  auto it = std::find(FItems.begin(), FItems.end(), connection);
  if (it != FItems.end()) FItems.erase(it);
}

bool TLxTransaction::AttachConnection(TLxConnection* connection) {
  if (FConnections.IndexOf(connection) >= 0) return false;
  FConnections.Add(connection);
  return true;
}

bool TLxTransaction::DetachConnection(TLxConnection* connection) {
  if (FConnections.IndexOf(connection) < 0) return false;
  FConnections.Remove(connection);
  return true;
}

bool TLxTransaction::SetProp(TLxPropCode prop, const Variant& value) {
  switch (prop) {
    case pcIsolationLevel:
      FIsolationLevel = static_cast<uint8_t>(value.AsInteger());
      return true;
    case pcTransactionReadOnly:
      FReadOnly = value.AsBoolean();
      return true;
    default:
      RTL_ASSERT(false, IntToStr(prop));
      return false;
  }
}

bool TLxTransaction::GetProp(TLxPropCode prop, Variant& value) {
  switch (prop) {
    case pcIsolationLevel:
      value = static_cast<int16_t>(FIsolationLevel);
      return true;
    case pcTransactionReadOnly:
      value = FReadOnly;
      return true;
    default:
      RTL_ASSERT(false, IntToStr(prop));
      return false;
  }
}

void TLxTransaction::AttachTo(TLxTransaction* other) {
  RTL_ASSERT(other != nullptr, u"No transaction to attach to");
  FActive = other->GetActive();
  if (FActive) FNativeTransaction = false;
}

void TLxTransaction::BeginTransaction() { RTL_ASSERT(false, u"Must be overrided"); }
void TLxTransaction::Commit() { RTL_ASSERT(false, u"Must be overrided"); }
void TLxTransaction::Rollback() { RTL_ASSERT(false, u"Must be overrided"); }

namespace {
[[noreturn]] void NotSupported() { throw Exception(u"Operation is not supported by the database"); }
}  // namespace

void TLxTransaction::CommitRetaining() { NotSupported(); }
void TLxTransaction::RollbackRetaining() { NotSupported(); }
void TLxTransaction::Savepoint(const String&) { NotSupported(); }
void TLxTransaction::ReleaseSavepoint(const String&) { NotSupported(); }
void TLxTransaction::RollbackToSavepoint(const String&) { NotSupported(); }

void TLxTransaction::CheckActive() const {
  if (!GetActive()) throw Exception(u"Can't perform operation on inactive transaction");
}

void TLxTransaction::CheckInactive() const {
  if (GetActive()) throw Exception(u"Can't perform operation on active transaction");
}
