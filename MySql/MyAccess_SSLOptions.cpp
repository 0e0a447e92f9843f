#include "MySql/MyAccess_SSLOptions.h"

#include "Common/DBAccess.h"
#include "MySql/MyAccess.h"
#include "platform/db/DBTypes.h"

void TMyConnectionSSLOptions::Change(String& field, const String& value, TLxPropCode prop) {
  if (value == field) return;
  // The session was opened with the old files: a change now would not reach it.
  if (FOwner && FOwner->Connected() && !FOwner->ComponentState().Contains(csDesigning))
    DatabaseError(SConnectionOpen, FOwner);
  field = value;
  if (FOwner && FOwner->IConnection())
    FOwner->IConnection()->SetProp(prop, value);
}

void TMyConnectionSSLOptions::SetChipherList(const String& value) {
  Change(FChipherList, value, pcSSLCipherList);
}

void TMyConnectionSSLOptions::SetCACert(const String& value) {
  Change(FCACert, value, pcSSLCACert);
}

void TMyConnectionSSLOptions::SetKey(const String& value) { Change(FKey, value, pcSSLKey); }

void TMyConnectionSSLOptions::SetCert(const String& value) { Change(FCert, value, pcSSLCert); }

void TMyConnectionSSLOptions::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TMyConnectionSSLOptions*>(source);
  if (src == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  SetChipherList(src->FChipherList);
  SetCACert(src->FCACert);
  SetKey(src->FKey);
  SetCert(src->FCert);
}
