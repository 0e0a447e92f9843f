// The connection component over a provider connection whose session is a flag: events and their
// order, connect requests and disconnected mode, settings that disconnect, and the failover
// decision (causes, retry modes, clients that block a reconnect, the bound on attempts).
#include "Common/DBAccess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/LxAccess_Transaction.h"
#include "tests/Common/FakeProviderConnection.h"

namespace {

using TFakeConnection = TFakeProviderConnection<>;

class ELostError : public EDAError {
 public:
  ELostError() : EDAError(2013, u"Lost connection to MySQL server during query") {}
  bool IsConnectionLost() const override { return true; }
};

class TTestConnection : public TCustomDAConnection {
 public:
  explicit TTestConnection(TComponent* owner = nullptr) : TCustomDAConnection(owner) {}
  TFakeConnection* Fake() const { return static_cast<TFakeConnection*>(IConnection()); }

 protected:
  void CreateIConnection() override { SetIConnection(std::make_unique<TFakeConnection>()); }
};

// A dataset or command as the connection sees it during failover.
class TFakeClient : public TComponent, public IDAConnectionClient {
 public:
  explicit TFakeClient(bool command) : TComponent(nullptr), Command(command) {}
  bool IsCommandClient() const override { return Command; }
  bool ClientPrepared() const override { return Prepared; }
  bool ClientActive() const override { return Active; }
  bool ClientFetchAll() const override { return FetchAll; }
  bool ClientFetched() const override { return Fetched; }
  bool ClientIsQuery() const override { return IsQuery; }
  bool ClientExecuting() const override { return Executing; }
  bool Command;
  bool Prepared = false, Active = false, FetchAll = false, Fetched = true, IsQuery = true,
       Executing = false;
};

TEST(DAConnection, EventsRunInOrderAndOnlyOnChange) {
  TTestConnection conn;
  std::vector<std::string> log;
  conn.BeforeConnect = [&](TObject*) { log.push_back("BeforeConnect"); };
  conn.AfterConnect = [&](TObject*) { log.push_back("AfterConnect"); };
  conn.BeforeDisconnect = [&](TObject*) { log.push_back("BeforeDisconnect"); };
  conn.AfterDisconnect = [&](TObject*) { log.push_back("AfterDisconnect"); };
  TFakeClient client(false);
  conn.RegisterClient(&client, [&](TObject*, bool connecting) {
    log.push_back(connecting ? "client connect" : "client disconnect");
  });

  conn.SetConnected(true);
  conn.SetConnected(true);
  EXPECT_TRUE(conn.Connected());
  EXPECT_EQ(conn.ConnectCount(), 1);
  conn.SetConnected(false);
  conn.SetConnected(false);
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(conn.ConnectCount(), 0);
  // The disconnect notice goes out before BeforeDisconnect's platform pass and again with it.
  const std::vector<std::string> expected = {
      "BeforeConnect",     "client connect",    "AfterConnect",     "BeforeDisconnect",
      "client disconnect", "client disconnect", "AfterDisconnect"};
  EXPECT_EQ(log, expected);
  conn.UnRegisterClient(&client);
}

TEST(DAConnection, ProviderGetsCredentialsAndSettings) {
  TTestConnection conn;
  conn.SetUsername(u"clerk");
  conn.SetPassword(u"secret");
  conn.SetServer(u"db.local");
  conn.SetConnected(true);
  EXPECT_EQ(conn.IConnection()->Username(), u"clerk");
  EXPECT_EQ(conn.IConnection()->Password(), u"secret");
  EXPECT_EQ(conn.IConnection()->Server(), u"db.local");
  // Settings made while the provider exists reach it at once.
  conn.Fake()->Props.clear();
  conn.SetAutoCommit(false);
  conn.SetConvertEOL(true);
  conn.Options()->SetDefaultSortType(stBinary);
  conn.Options()->SetEnableBCD(true);
  conn.Options()->SetEnableFMTBCD(true);
  EXPECT_EQ(conn.Fake()->Props,
            (std::vector<TLxPropCode>{pcAutoCommit, pcConvertEOL, pcDefaultSortType, pcEnableBCD,
                                      pcEnableFMTBCD}));
  EXPECT_FALSE(conn.IConnection()->AutoCommit());
  EXPECT_TRUE(conn.IConnection()->EnableBCD());
}

TEST(DAConnection, ChangingCredentialsDisconnects) {
  struct Case {
    const char* name;
    void (*change)(TTestConnection&);
    bool disconnects;
  };
  const Case cases[] = {
      {"same user", [](TTestConnection& c) { c.SetUsername(u"u"); }, false},
      {"other user", [](TTestConnection& c) { c.SetUsername(u"v"); }, true},
      {"other password", [](TTestConnection& c) { c.SetPassword(u"q"); }, true},
      {"other server", [](TTestConnection& c) { c.SetServer(u"s2"); }, true},
      {"disconnected mode", [](TTestConnection& c) { c.Options()->SetDisconnectedMode(true); },
       true},
      {"pooling", [](TTestConnection& c) { c.SetPooling(true); }, true},
  };
  for (const Case& tc : cases) {
    TTestConnection conn;
    conn.SetUsername(u"u");
    conn.SetPassword(u"p");
    conn.SetServer(u"s");
    conn.SetConnected(true);
    tc.change(conn);
    EXPECT_EQ(conn.Connected(), !tc.disconnects) << tc.name;
  }
}

TEST(DAConnection, ConnectRequestsInDisconnectedMode) {
  TTestConnection conn;
  conn.Options()->SetDisconnectedMode(true);
  int disconnects = 0;
  conn.AfterDisconnect = [&](TObject*) { ++disconnects; };

  conn.TakeConnectRequest();
  conn.TakeConnectRequest();
  EXPECT_TRUE(conn.Connected());
  EXPECT_EQ(conn.ConnectCount(), 2);
  conn.DropConnectRequest();
  EXPECT_TRUE(conn.Connected());
  conn.DropConnectRequest();
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(disconnects, 1);

  // An open transaction keeps the connection while the last request goes.
  conn.TakeConnectRequest();
  conn.IConnection()->GetInternalTransaction()->BeginTransaction();
  conn.DropConnectRequest();
  EXPECT_TRUE(conn.Connected());
  conn.IConnection()->GetInternalTransaction()->Commit();
  conn.TakeConnectRequest();
  conn.DropConnectRequest();
  EXPECT_FALSE(conn.Connected());
}

TEST(DAConnection, ConnectRequestsWithoutDisconnectedModeKeepTheConnection) {
  TTestConnection conn;
  conn.TakeConnectRequest();
  conn.DropConnectRequest();
  EXPECT_TRUE(conn.Connected());
  EXPECT_EQ(conn.ConnectCount(), 0);
  conn.DropConnectRequest();  // never below zero
  EXPECT_EQ(conn.ConnectCount(), 0);
}

TEST(DAConnection, FailedConnectRestoresTheCount) {
  TTestConnection conn;
  conn.TakeConnectRequest();
  conn.SetConnected(false);
  conn.Fake()->ServerDown = true;
  EXPECT_THROW(conn.TakeConnectRequest(), Exception);
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(conn.ConnectCount(), 0);
  EXPECT_TRUE(conn.ShouldShowPrompt());
}

// --- failover decisions -------------------------------------------------------------------

struct Decision {
  bool fail = true;
  bool reconnect = false;
  bool reexecute = false;
  TConnLostCause cause = clUnknown;
};

Decision Decide(TTestConnection& conn, Exception& e, int attempt = 0) {
  Decision d;
  d.reconnect = attempt > 0;
  conn.DoError(e, d.fail, d.reconnect, d.reexecute, attempt, d.cause);
  return d;
}

TEST(DAConnectionFailover, WithoutLocalFailoverTheErrorIsRaised) {
  TTestConnection conn;
  conn.SetConnected(true);
  int errors = 0;
  conn.OnError = [&](TObject*, EDAError& e, bool& fail) {
    ++errors;
    EXPECT_EQ(e.ErrorCode(), 2013);
    EXPECT_TRUE(fail);
  };
  bool lostCalled = false;
  conn.OnConnectionLost = [&](TObject*, TComponent*, TConnLostCause, TRetryMode&) {
    lostCalled = true;
  };
  conn.EnterOperation(clOpen, true);  // not recorded without LocalFailover
  ELostError e;
  Decision d = Decide(conn, e);
  conn.LeaveOperation();
  EXPECT_EQ(d.cause, clUnknown);
  EXPECT_TRUE(d.reconnect);
  EXPECT_FALSE(d.reexecute);
  EXPECT_TRUE(d.fail);
  EXPECT_EQ(errors, 1);
  EXPECT_FALSE(lostCalled);
  EXPECT_FALSE(conn.IConnection()->IsValid());
}

TEST(DAConnectionFailover, CausesAndRetryModes) {
  struct Case {
    const char* name;
    std::vector<TConnLostCause> stack;  // bottom first
    bool handlerRaises;
    TConnLostCause cause;
    bool reconnect;
    bool reexecute;
    bool connectedAfter;
  };
  const Case cases[] = {
      {"open replays", {clOpen}, false, clOpen, true, true, true},
      {"execute raises and disconnects", {clExecute}, false, clExecute, false, false, false},
      {"nested: the higher cause wins", {clApply, clRefresh}, false, clApply, true, true, true},
      {"handler chooses rmRaise", {clOpen}, true, clOpen, false, false, false},
      {"nothing in progress", {}, false, clUnknown, false, false, false},
  };
  for (const Case& tc : cases) {
    TTestConnection conn;
    conn.Options()->SetLocalFailover(true);
    conn.SetConnected(true);
    std::vector<TConnLostCause> seen;
    int errors = 0;
    conn.OnError = [&](TObject*, EDAError&, bool&) { ++errors; };
    conn.OnConnectionLost = [&](TObject*, TComponent*, TConnLostCause cause, TRetryMode& mode) {
      seen.push_back(cause);
      if (tc.handlerRaises) mode = rmRaise;
    };
    for (TConnLostCause c : tc.stack) conn.EnterOperation(c, true);
    ELostError e;
    Decision d = Decide(conn, e);
    for (size_t i = 0; i < tc.stack.size(); ++i) conn.LeaveOperation();
    EXPECT_EQ(d.cause, tc.cause) << tc.name;
    EXPECT_EQ(d.reconnect, tc.reconnect) << tc.name;
    EXPECT_EQ(d.reexecute, tc.reexecute) << tc.name;
    EXPECT_EQ(d.fail, !tc.reexecute) << tc.name;
    EXPECT_EQ(seen, std::vector<TConnLostCause>{tc.cause}) << tc.name;
    // OnError hears only of errors that are not replayed.
    EXPECT_EQ(errors, tc.reexecute ? 0 : 1) << tc.name;
    EXPECT_EQ(conn.Connected(), tc.connectedAfter) << tc.name;
  }
}

TEST(DAConnectionFailover, OperationWithoutFailoverOrOpenTransactionGivesUnknown) {
  TTestConnection conn;
  conn.Options()->SetLocalFailover(true);
  conn.SetConnected(true);
  conn.EnterOperation(clRefresh, false);
  EXPECT_EQ(conn.FindConnLostCause(nullptr), clUnknown);
  conn.LeaveOperation();

  // An open transaction cannot survive a new session: no replay of an open.
  conn.IConnection()->GetInternalTransaction()->BeginTransaction();
  EXPECT_FALSE(conn.IsFailOverAllowed());
  conn.EnterOperation(clOpen, true);
  ELostError e;
  Decision d = Decide(conn, e);
  conn.LeaveOperation();
  EXPECT_EQ(d.cause, clUnknown);
  EXPECT_FALSE(d.reconnect);
  // The fatal error reset the transaction state and disconnected the component.
  EXPECT_FALSE(conn.IConnection()->GetInternalTransaction()->GetInTransaction());
  EXPECT_FALSE(conn.Connected());
}

TEST(DAConnectionFailover, ClientsThatHoldServerStateBlockTheReconnect) {
  struct Case {
    const char* name;
    bool command;
    bool prepared, active, fetchAll, fetched, executing;
    bool blocks;
  };
  const Case cases[] = {
      {"prepared dataset", false, true, false, false, true, false, true},
      {"open dataset with rows to fetch", false, false, true, false, false, false, true},
      {"open dataset, all fetched", false, false, true, false, true, false, false},
      {"open dataset with FetchAll", false, false, true, true, false, false, false},
      {"prepared idle command", true, true, false, false, true, false, true},
      {"prepared running command", true, true, false, false, true, true, false},
      {"unprepared command", true, false, false, false, true, false, false},
  };
  for (const Case& tc : cases) {
    TTestConnection conn;
    conn.SetConnected(true);
    TFakeClient client(tc.command);
    client.Prepared = tc.prepared;
    client.Active = tc.active;
    client.FetchAll = tc.fetchAll;
    client.Fetched = tc.fetched;
    client.Executing = tc.executing;
    conn.RegisterClient(&client);
    ELostError e;
    Decision d = Decide(conn, e);
    EXPECT_EQ(d.reconnect, !tc.blocks) << tc.name;
    conn.UnRegisterClient(&client);
  }
}

TEST(DAConnectionFailover, RefreshingDatasetDoesNotBlockItsOwnReconnect) {
  TTestConnection conn;
  conn.Options()->SetLocalFailover(true);
  conn.SetConnected(true);
  TFakeClient dataset(false);
  dataset.Active = true;
  dataset.Fetched = false;
  conn.RegisterClient(&dataset);
  conn.EnterOperation(clRefresh, true);
  ELostError e;
  e.SetComponent(&dataset);
  Decision d = Decide(conn, e);
  conn.LeaveOperation();
  EXPECT_TRUE(d.reconnect);
  EXPECT_TRUE(d.reexecute);
  EXPECT_EQ(d.cause, clRefresh);
  conn.UnRegisterClient(&dataset);
}

// End to end through the provider's failover loop: a link that breaks while the server is up is
// re-established and the operation is replayed; a server that stays down ends in the error after
// a bounded number of attempts, with the component disconnected.
TEST(DAConnectionFailover, ProviderLoopReconnectsOrGivesUpAfterTheBound) {
  TTestConnection conn;
  conn.Options()->SetLocalFailover(true);
  conn.SetConnected(true);
  int afterConnect = 0;
  conn.AfterConnect = [&](TObject*) { ++afterConnect; };

  conn.EnterOperation(clOpen, true);
  {
    ELostError e;
    bool fail = true;
    EXPECT_THROW(conn.IConnection()->HandleError(e, fail), EFailOver);
  }
  EXPECT_TRUE(conn.Connected());
  EXPECT_EQ(afterConnect, 1);

  conn.Fake()->ServerDown = true;
  const int connectsBefore = conn.Fake()->ConnectCalls;
  int errors = 0;
  conn.OnError = [&](TObject*, EDAError&, bool&) { ++errors; };
  {
    ELostError e;
    bool fail = true;
    conn.IConnection()->HandleError(e, fail);
    EXPECT_TRUE(fail);
  }
  conn.LeaveOperation();
  EXPECT_EQ(conn.Fake()->ConnectCalls - connectsBefore, TCustomDAConnection::MaxReconnectAttempts);
  EXPECT_FALSE(conn.Connected());
  EXPECT_EQ(errors, 1);
}

}  // namespace
