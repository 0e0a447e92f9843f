// The MySQL connection's options: numbered properties, copying, the call-table choice and the
// embedded server's parameter lines.
#include "MySql/MyClasses_Connection.h"

#include "MySql/MySqlApiClient.h"
#include "MySql/MySqlApiDirect.h"
#include "MySql/MySqlApiEmbedded.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"

bool TMySQLConnection::SetProp(TLxPropCode prop, const Variant& value) {
  switch (prop) {
    case pcDatabase:
      SetDatabase(value.AsString());
      return true;
    case pcPort:
      FPort = value.AsInteger();
      return true;
    case pcConnectionTimeout:
      FConnectionTimeout = value.AsInteger();
      return true;
    case pcCompress:
      FCompress = value.AsBoolean();
      return true;
    case pcCharset: {
      String charset = value.AsString();
      if (charset != FCharset) {
        FCharset = charset;
        if (FConnected && !FUseUnicode) ApplyCharset();
      }
      return true;
    }
    case pcProtocol:
      FProtocol = static_cast<TMyProtocol>(value.AsInteger());
      return true;
    case pcUseUnicode: {
      bool useUnicode = value.AsBoolean();
      if (useUnicode != FUseUnicode) {
        FUseUnicode = useUnicode;
        if (FConnected) ApplyCharset();
      }
      return true;
    }
    case pcEmbParams:
      SetEmbParams(value.AsString());
      return true;
    case pcSSLCipherList:
      FSSLCipherList = value.AsString();
      return true;
    case pcSSLCACert:
      FSSLCACert = value.AsString();
      return true;
    case pcSSLKey:
      FSSLKey = value.AsString();
      return true;
    case pcSSLCert:
      FSSLCert = value.AsString();
      return true;
    case pcEmbedded:
      ChooseAPI(FEmbedded, value.AsBoolean());
      return true;
    case pcDirect:
      ChooseAPI(FDirect, value.AsBoolean());
      return true;
    case pcOptimizedBigInt:
      FOptimizedBigInt = value.AsBoolean();
      return true;
    case pcCheckBackslashes: {
      bool check = value.AsBoolean();
      if (check != FCheckBackslashes) {
        FCheckBackslashes = check;
        if (FConnected) CheckNoBackslashEscapes();
      }
      return true;
    }
    case pcNullForDayZero:
      FNullForDayZero = value.AsBoolean();
      return true;
    default:
      return TLxConnection::SetProp(prop, value);
  }
}

bool TMySQLConnection::GetProp(TLxPropCode prop, Variant& value) {
  switch (prop) {
    case pcDatabase:
      value = FDatabase;
      return true;
    case pcPort:
      value = FPort;
      return true;
    case pcLastInsertId:
      value = FHandle ? FAPI->mysql_insert_id(FHandle) : int64_t(0);
      return true;
    case pcConnectionTimeout:
      value = FConnectionTimeout;
      return true;
    case pcCompress:
      value = FCompress;
      return true;
    case pcCharset:
      value = FCharset;
      return true;
    case pcUseUnicode:
      value = FUseUnicode;
      return true;
    case pcCheckBackslashes:
      value = FCheckBackslashes;
      return true;
    default:
      return TLxConnection::GetProp(prop, value);
  }
}

void TMySQLConnection::Assign(TLxConnection& source) {
  TLxConnection::Assign(source);
  auto* other = dynamic_cast<TMySQLConnection*>(&source);
  if (!other) return;
  FConnectionTimeout = other->FConnectionTimeout;
  FDatabase = other->FDatabase;
  FPort = other->FPort;
  FCompress = other->FCompress;
  FUseUnicode = other->FUseUnicode;
  FCharset = other->FCharset;
  FProtocol = other->FProtocol;
  FAPI = other->FAPI;
  FDirect = other->FDirect;
  FEmbedded = other->FEmbedded;
  FOptimizedBigInt = other->FOptimizedBigInt;
  FNullForDayZero = other->FNullForDayZero;
}

// A choice that cannot be served leaves the connection as it was.
void TMySQLConnection::ChooseAPI(bool& option, bool value) {
  bool old = option;
  option = value;
  try {
    SelectAPI();
  } catch (...) {
    option = old;
    throw;
  }
}

void TMySQLConnection::SelectAPI() {
  if (FEmbedded)
    FAPI = &MySQLAPIEmbedded();
  else
    FAPI = FDirect ? static_cast<TMySQLAPI*>(&MySQLAPIDirect()) : &MySQLAPIClient();
}

void TMySQLConnection::HandEmbParams() {
  if (auto* embedded = dynamic_cast<TMySQLAPIEmbedded*>(FAPI))
    embedded->SetServerParams(FEmbParams.get());
}

// Paths keep a leading "/", which makes them absolute here; a leading "\" is dropped and
// backslashes become slashes.
void TMySQLConnection::SetEmbParams(const String& text) {
  FEmbParams->SetText(Trim(text));
  for (const char16_t* name : {u"--basedir", u"--datadir", u"--character-sets-dir", u"--tmpdir",
                               u"--log-bin", u"--log-bin-index"}) {
    int index = FEmbParams->IndexOfName(name);
    if (index < 0) continue;
    String path = FEmbParams->ValueFromIndex(index);
    if (path.empty()) continue;
    if (path[0] == u'\\') path.erase(0, 1);
    for (char16_t& c : path)
      if (c == u'\\') c = u'/';
    FEmbParams->SetValueFromIndex(index, path);
  }
}
