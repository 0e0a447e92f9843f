// The TLS settings of the MySQL connection component: the files and ciphers that the provider
// connection hands to the TLS transport when its protocol is mpSSL.
#pragma once

#include "Common/LxAccess_Props.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Types.h"

class TCustomDAConnection;

class TMyConnectionSSLOptions : public TPersistent {
 public:
  explicit TMyConnectionSSLOptions(TCustomDAConnection* owner) : FOwner(owner) {}

  // Each setter refuses a change on an open connection at run time (EDatabaseError "Cannot
  // perform this operation on an open connection"), then stores the text and passes it to the
  // owner's provider connection when there is one. The property keeps its historic spelling.
  const String& ChipherList() const { return FChipherList; }
  void SetChipherList(const String& value);
  // A CA certificate file, or a folder of them.
  const String& CACert() const { return FCACert; }
  void SetCACert(const String& value);
  // The client's private key; empty means the key is in the certificate file.
  const String& Key() const { return FKey; }
  void SetKey(const String& value);
  // The client's certificate; empty means none is offered.
  const String& Cert() const { return FCert; }
  void SetCert(const String& value);

  // Copies the four texts through their setters; anything else than TLS options is the
  // assignment error.
  void Assign(TPersistent* source) override;

 private:
  void Change(String& field, const String& value, TLxPropCode prop);

  TCustomDAConnection* FOwner;
  String FChipherList;
  String FCACert;
  String FKey;
  String FCert;
};
