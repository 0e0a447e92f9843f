#include "Common/LxAccess_Connection.h"

#include <gtest/gtest.h>

#include <vector>

#include "Common/LxAccess_Transaction.h"
#include "Common/LxVio.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// A connection whose session is a flag, and whose Connect fails as often as the test asks.
class TFakeConnection : public TLxConnection {
 public:
  ~TFakeConnection() override {
    DisconnectRaises = false;
    Disconnect();
  }

  TLxCommandClass GetCommandClass() const override {
    return {&NewSQLInfo<TSQLInfo>, &NewParser<TSQLParser>};
  }
  TLxTransactionClass GetTransactionClass() const override {
    return [] { return std::make_unique<TLxTransaction>(); };
  }
  void Connect(const String& connectString) override {
    ++ConnectCalls;
    if (ConnectFailures > 0) {
      --ConnectFailures;
      throw Exception(u"connect refused");
    }
    FConnected = true;
    TLxConnection::Connect(connectString);
  }
  void Disconnect() override {
    ++DisconnectCalls;
    FConnected = false;
    if (DisconnectRaises) throw Exception(u"socket already gone");
  }
  void AttachTo(TLxConnection*) override {}
  bool CheckAlive() override { return FConnected; }
  String GetServerVersion() override { return u"1.2.3"; }
  String GetServerVersionFull() override { return u"1.2.3-fake"; }
  String GetClientVersion() override { return u"fake"; }

  int ConnectCalls = 0;
  int DisconnectCalls = 0;
  int ConnectFailures = 0;
  bool DisconnectRaises = false;
};

// What the error callback saw on each call, and what it answers.
struct CallbackScript {
  struct Answer {
    bool reconnect;
    bool reexecute;
    bool fail;
  };
  CallbackScript(std::vector<Answer> a, TConnLostCause c = clUnknown)
      : answers(std::move(a)), cause(c) {}

  std::vector<Answer> answers;  // one per pass; the last repeats
  TConnLostCause cause;
  std::vector<int> retryCounts;
  std::vector<bool> reconnectOnEntry;

  TErrorProc Proc() {
    return [this](Exception&, bool& fail, bool& reconnect, bool& reexecute, int retryCount,
                  TConnLostCause& connLostCause) {
      retryCounts.push_back(retryCount);
      reconnectOnEntry.push_back(reconnect);
      const Answer& a = answers[std::min(retryCounts.size(), answers.size()) - 1];
      reconnect = a.reconnect;
      reexecute = a.reexecute;
      fail = a.fail;
      connLostCause = cause;
    };
  }
};

class ConnectionFailover : public ::testing::Test {
 protected:
  void SetUp() override {
    conn.Connect(u"");
    conn.ConnectCalls = 0;
  }
  TFakeConnection conn;
  Exception error{u"Lost connection to MySQL server during query"};
  bool fail = true;
};

TEST_F(ConnectionFailover, WithoutCallbackNothingHappens) {
  conn.HandleError(error, fail);
  EXPECT_TRUE(fail);
  EXPECT_EQ(conn.ConnectCalls, 0);
  EXPECT_EQ(conn.DisconnectCalls, 0);
  EXPECT_TRUE(conn.GetConnected());
}

TEST_F(ConnectionFailover, CallbackThatDeclinesLeavesTheConnectionAlone) {
  CallbackScript script{{{false, false, false}}};
  conn.SetOnError(script.Proc());
  conn.HandleError(error, fail);
  EXPECT_FALSE(fail);
  EXPECT_EQ(script.retryCounts, std::vector<int>{0});
  EXPECT_EQ(script.reconnectOnEntry, std::vector<bool>{false});
  EXPECT_EQ(conn.DisconnectCalls, 0);
}

TEST_F(ConnectionFailover, ReconnectWithoutReexecuteRaisesNothing) {
  CallbackScript script{{{true, false, true}}};
  int successCalls = 0;
  conn.SetOnError(script.Proc());
  conn.SetOnReconnectSuccess([&] { ++successCalls; });
  conn.HandleError(error, fail);
  EXPECT_TRUE(fail);  // the provider raises the original error
  EXPECT_EQ(conn.DisconnectCalls, 1);
  EXPECT_EQ(conn.ConnectCalls, 1);
  EXPECT_EQ(successCalls, 1);
  EXPECT_TRUE(conn.Reconnected());
  EXPECT_TRUE(conn.GetConnected());
}

TEST_F(ConnectionFailover, ReconnectAndReexecuteRaisesFailOverWithTheCause) {
  CallbackScript script{{{true, true, false}}, clOpen};
  conn.SetOnError(script.Proc());
  try {
    conn.HandleError(error, fail);
    FAIL() << "EFailOver expected";
  } catch (const EFailOver& e) {
    EXPECT_EQ(e.ConnLostCause(), clOpen);
    EXPECT_TRUE(e.Message().empty());
  }
  EXPECT_EQ(conn.ConnectCalls, 1);
}

TEST_F(ConnectionFailover, FailedReconnectThenGivingUpCallsTheReconnectErrorHookOnce) {
  // First pass: reconnect (fails). Second pass: the callback gives up.
  CallbackScript script{{{true, true, true}, {false, false, true}}};
  conn.ConnectFailures = 1;
  std::vector<bool> connectedDuringHook;
  conn.SetOnError(script.Proc());
  conn.SetOnReconnectError([&] { connectedDuringHook.push_back(conn.GetConnected()); });
  conn.HandleError(error, fail);
  EXPECT_EQ(connectedDuringHook, std::vector<bool>{true});
  EXPECT_FALSE(conn.GetConnected());
  EXPECT_FALSE(conn.Reconnected());
  EXPECT_EQ(script.retryCounts, (std::vector<int>{0, 1}));
  EXPECT_EQ(script.reconnectOnEntry, (std::vector<bool>{false, true}));
  EXPECT_TRUE(fail);
}

TEST_F(ConnectionFailover, RetriesUntilReconnectSucceedsAndDisconnectsOnlyBeforeTheFirst) {
  CallbackScript script{{{true, true, true}}, clExecute};
  conn.ConnectFailures = 2;
  conn.SetOnError(script.Proc());
  EXPECT_THROW(conn.HandleError(error, fail), EFailOver);
  EXPECT_EQ(conn.DisconnectCalls, 1);
  EXPECT_EQ(conn.ConnectCalls, 3);
  EXPECT_EQ(script.retryCounts, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(script.reconnectOnEntry, (std::vector<bool>{false, true, true}));
}

TEST_F(ConnectionFailover, ExceptionsOfDisconnectAndTheSuccessHookAreSwallowed) {
  CallbackScript script{{{true, true, true}, {false, false, true}}};
  conn.DisconnectRaises = true;
  conn.SetOnError(script.Proc());
  conn.SetOnReconnectSuccess([] { throw Exception(u"AfterConnect failed"); });
  int errorHookCalls = 0;
  conn.SetOnReconnectError([&] {
    ++errorHookCalls;
    throw Exception(u"disconnect failed");
  });
  EXPECT_NO_THROW(conn.HandleError(error, fail));
  // The success hook raised, so the reconnect counts as failed and no replay is asked for.
  EXPECT_FALSE(conn.Reconnected());
  EXPECT_EQ(errorHookCalls, 1);
}

TEST_F(ConnectionFailover, CallbackExceptionPropagatesAndTheGuardIsCleared) {
  int calls = 0;
  conn.SetOnError([&](Exception&, bool&, bool&, bool&, int, TConnLostCause&) {
    ++calls;
    throw Exception(u"from the OnError event");
  });
  EXPECT_THROW(conn.HandleError(error, fail), Exception);
  EXPECT_THROW(conn.HandleError(error, fail), Exception);
  EXPECT_EQ(calls, 2);  // the second error was handled again: the guard did not stick
}

TEST_F(ConnectionFailover, ErrorsRaisedInsideTheCallbackAreNotHandledAgain) {
  int calls = 0;
  conn.SetOnError([&](Exception& e, bool& f, bool&, bool&, int, TConnLostCause&) {
    ++calls;
    bool innerFail = true;
    conn.HandleError(e, innerFail);  // an operation inside the event failed too
    f = innerFail;
  });
  conn.HandleError(error, fail);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(fail);
}

TEST(Connection, TickIntervalAcrossTheWrap) {
  EXPECT_EQ(GetTickInterval(4294967040u, 256u), 512u);
  EXPECT_EQ(GetTickInterval(100u, 350u), 250u);
}

TEST(Connection, StateAfterConnectAndDisconnect) {
  TFakeConnection conn;
  EXPECT_FALSE(conn.GetConnected());
  EXPECT_TRUE(conn.IsValid());
  conn.SetIsValid(false);
  conn.Connect(u"");
  EXPECT_TRUE(conn.GetConnected());
  EXPECT_TRUE(conn.IsValid());
  conn.Disconnect();
  EXPECT_FALSE(conn.GetConnected());
}

TEST(Connection, NumberedProperties) {
  TFakeConnection conn;
  conn.SetUsername(u"ана");
  Variant v;
  EXPECT_TRUE(conn.GetProp(pcUsername, v));
  EXPECT_EQ(v.AsString(), u"ана");
  EXPECT_TRUE(conn.GetProp(pcLastInsertId, v));
  EXPECT_EQ(v.AsInt64(), 0);
  EXPECT_TRUE(conn.GetProp(pcDefaultParamSize, v));
  EXPECT_EQ(v.AsInteger(), 0);

  EXPECT_TRUE(conn.SetProp(pcAutoCommit, true));
  EXPECT_TRUE(conn.SetProp(pcConvertEOL, true));
  EXPECT_TRUE(conn.SetProp(pcDisconnectedMode, true));
  EXPECT_TRUE(conn.SetProp(pcEnableBCD, true));
  EXPECT_TRUE(conn.SetProp(pcEnableFMTBCD, true));
  EXPECT_TRUE(conn.SetProp(pcDefaultSortType, int32_t(2)));
  EXPECT_TRUE(conn.SetProp(pcDatabase, u"ignored"));
  EXPECT_TRUE(conn.SetProp(pcPort, int32_t(3307)));
  EXPECT_TRUE(conn.AutoCommit());
  EXPECT_TRUE(conn.ConvertEOL());
  EXPECT_TRUE(conn.DisconnectedMode());
  EXPECT_TRUE(conn.EnableBCD());
  EXPECT_TRUE(conn.EnableFMTBCD());
  EXPECT_EQ(conn.DefaultSortType(), 2);

  try {
    conn.SetProp(9999, true);
    FAIL() << "assertion expected";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(UTF8Encode(e.Message()).rfind("9999 (", 0), 0u) << e.what();
  }
  EXPECT_THROW(conn.GetProp(pcAutoCommit, v), EAssertionFailed);  // set-only
}

TEST(Connection, AssignCopiesCredentialsBcdFlagsCallbackAndHandlerOnly) {
  TFakeConnection source, dest;
  source.SetServer(u"db.example");
  source.SetUsername(u"u");
  source.SetPassword(u"p");
  source.SetProp(pcEnableBCD, true);
  source.SetProp(pcEnableFMTBCD, true);
  source.SetProp(pcAutoCommit, true);
  source.SetIOHandler(reinterpret_cast<TLxIOHandler*>(&source));
  int calls = 0;
  source.SetOnError([&](Exception&, bool&, bool&, bool&, int, TConnLostCause&) { ++calls; });
  dest.Assign(source);
  EXPECT_EQ(dest.Server(), u"db.example");
  EXPECT_EQ(dest.Username(), u"u");
  EXPECT_EQ(dest.Password(), u"p");
  EXPECT_TRUE(dest.EnableBCD());
  EXPECT_TRUE(dest.EnableFMTBCD());
  EXPECT_FALSE(dest.AutoCommit());
  EXPECT_EQ(dest.IOHandler(), source.IOHandler());
  Exception e(u"x");
  bool fail = true;
  dest.HandleError(e, fail);
  EXPECT_EQ(calls, 1);
}

TEST(Connection, HttpOptionsAreOwnedAndCopiedIn) {
  TFakeConnection conn;
  ASSERT_NE(conn.HttpOptions(), nullptr);
  THttpOptions given;
  given.SetUrl(u"https://example.org/tunnel.php");
  given.ProxyOptions()->SetPort(3128);
  conn.SetHttpOptions(&given);
  EXPECT_NE(conn.HttpOptions(), &given);
  EXPECT_TRUE(conn.HttpOptions()->Equals(&given));
  given.SetUrl(u"changed");
  EXPECT_EQ(conn.HttpOptions()->Url(), u"https://example.org/tunnel.php");
}

TEST(Connection, EnlistIsNotSupported) {
  TFakeConnection conn;
  try {
    conn.Enlist(nullptr);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"MS DTC transactions not supported");
  }
  EXPECT_THROW(conn.Unenlist(nullptr), Exception);
}

TEST(Connection, ReturnToPoolHandsOverAndForgetsCallbackAndOwner) {
  TFakeConnection conn;
  EXPECT_THROW(conn.ReturnToPool(), EAssertionFailed);

  auto* pool = reinterpret_cast<TLxLocalConnectionPool*>(0x1000);
  TLxConnection* returned = nullptr;
  conn.SetPool(pool, [&](TLxConnection* c) {
    returned = c;
    return true;
  });
  conn.SetOnError([](Exception&, bool&, bool&, bool&, int, TConnLostCause&) {});
  conn.SetOwnerComponent(reinterpret_cast<TComponent*>(0x2000));
  EXPECT_TRUE(conn.ReturnToPool());
  EXPECT_EQ(returned, &conn);
  EXPECT_FALSE(conn.OnError());
  EXPECT_EQ(conn.OwnerComponent(), nullptr);
  EXPECT_EQ(conn.Pool(), pool);
}

TEST(Connection, SqlInformationAndInternalTransactionAreMadeOnceAndOwned) {
  TFakeConnection conn;
  TSQLInfo* info = conn.GetSQLInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(conn.GetSQLInfo(), info);
  EXPECT_EQ(info->LeftQuote(), u'"');
  TLxTransaction* tr = conn.GetInternalTransaction();
  ASSERT_NE(tr, nullptr);
  EXPECT_EQ(conn.GetInternalTransaction(), tr);
  ASSERT_EQ(tr->Connections().Count(), 1);
  EXPECT_EQ(tr->Connections().GetItem(0), &conn);
}

TEST(Connection, DatabaseErrorsCarryNumberAndComponent) {
  EDAError e(1045, u"Access denied");
  EXPECT_EQ(e.ErrorCode(), 1045);
  EXPECT_EQ(e.Message(), u"Access denied");
  EXPECT_EQ(e.Component(), nullptr);
  EXPECT_FALSE(e.IsConnectionLost());
  EXPECT_FALSE(e.IsDuplicateKey());
  const EDatabaseError& base = e;  // the class library's database error catches it
  EXPECT_EQ(base.Message(), u"Access denied");
}

}  // namespace
