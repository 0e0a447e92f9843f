// A provider connection whose session is a flag, for the components' tests without a server: it
// connects unless told the server is down, counts its connects and notes the settings it receives.
// Transaction is the provider transaction it makes.
#pragma once

#include <memory>
#include <vector>

#include "Common/LxAccess_Connection.h"
#include "Common/LxAccess_Transaction.h"
#include "platform/rtl/Exceptions.h"

// A provider transaction that only keeps its active flag.
class TFakeProviderTransaction : public TLxTransaction {
 public:
  void BeginTransaction() override { FActive = true; }
  void Commit() override { FActive = false; }
  void Rollback() override { FActive = false; }
};

template <class Transaction = TFakeProviderTransaction>
class TFakeProviderConnection : public TLxConnection {
 public:
  ~TFakeProviderConnection() override { FConnected = false; }
  TLxCommandClass GetCommandClass() const override {
    return {&NewSQLInfo<TSQLInfo>, &NewParser<TSQLParser>};
  }
  TLxTransactionClass GetTransactionClass() const override {
    return [] { return std::unique_ptr<TLxTransaction>(new Transaction()); };
  }
  void Connect(const String& connectString) override {
    ++ConnectCalls;
    if (ServerDown) throw Exception(u"connect refused");
    FConnected = true;
    TLxConnection::Connect(connectString);
  }
  void Disconnect() override { FConnected = false; }
  void AttachTo(TLxConnection*) override {}
  bool CheckAlive() override { return FConnected; }
  String GetServerVersion() override { return u"1"; }
  String GetServerVersionFull() override { return u"1"; }
  String GetClientVersion() override { return u"fake"; }
  bool SetProp(TLxPropCode prop, const Variant& value) override {
    Props.push_back(prop);
    return TLxConnection::SetProp(prop, value);
  }

  int ConnectCalls = 0;
  bool ServerDown = false;
  std::vector<TLxPropCode> Props;
};
