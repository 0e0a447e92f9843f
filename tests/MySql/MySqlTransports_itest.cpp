// The local socket and TLS transports against the private server: logins over the server's Unix
// socket and over verified TLS (with and without a client certificate, with compression and
// 17 MB values), the refusals of a server that cannot be trusted, and the connection component's
// way to ask for both.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "Common/LxVioTcpSSL.h"
#include "MySql/MyAccess.h"
#include "MySql/MyClasses.h"
#include "MySql/MyClasses_Error.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlSession_Handshake.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/MySql/SessionQueries.h"
#include "tests/support/TestDb.h"

namespace {

using sessiontest::One;

struct TlsFiles {
  std::string key, cert, ca;
};

// A session over TLS to host:port (the test server's port unless given).
std::unique_ptr<TMySqlSession> OpenTls(const std::string& host, const TlsFiles& files,
                                       uint32_t flags = 0, int port = 0,
                                       const std::string& user = "",
                                       const std::string& cipher = "") {
  const testdb::Settings& db = testdb::Get();
  auto session = std::make_unique<TMySqlSession>();
  session->SetConnectTimeout(30);
  session->SetProtocol(mpSSL);
  session->SetTls(files.key, files.cert, files.ca, "", cipher);
  session->Connect(host, user.empty() ? db.user : user, db.password, db.database,
                   port ? port : static_cast<int32_t>(db.port), "", flags);
  return session;
}

// The error a TLS login gives, as "<number> <message>".
std::string TlsLoginError(const std::string& host, const TlsFiles& files, int port = 0,
                          const std::string& user = "") {
  try {
    OpenTls(host, files, 0, port, user);
  } catch (const EMySqlException& e) {
    return std::to_string(e.ErrorCode()) + " " + UTF8Encode(e.Message());
  }
  return "no error";
}

std::string PeerHost(TMySqlSession& s) {
  return One(s, "SELECT HOST FROM information_schema.PROCESSLIST WHERE ID = CONNECTION_ID()");
}

std::string StatusValue(TMySqlSession& s, const std::string& name) {
  sessiontest::Result r = sessiontest::RunQuery(s, "SHOW SESSION STATUS LIKE '" + name + "'");
  return r.rows.size() == 1 && r.rows[0][1] ? *r.rows[0][1] : std::string("<none>");
}

bool IsTls12OrLater(const std::string& version) {
  return version == "TLSv1.2" || version == "TLSv1.3";
}

// Passes one TCP connection from 127.0.0.2 on to the test server: the same server, reached by an
// address its certificate does not name.
class TRelay {
 public:
  TRelay() {
    FListener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = inet_addr("127.0.0.2");
    socklen_t len = sizeof a;
    EXPECT_EQ(::bind(FListener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    EXPECT_EQ(::listen(FListener, 1), 0);
    ::getsockname(FListener, reinterpret_cast<sockaddr*>(&a), &len);
    Port = ntohs(a.sin_port);
    FThread = std::thread([this] { Run(); });
  }
  ~TRelay() {
    FStop = true;
    FThread.join();
    ::close(FListener);
  }
  uint16_t Port = 0;

 private:
  void Run() {
    pollfd wait{FListener, POLLIN, 0};
    while (!FStop && ::poll(&wait, 1, 50) == 0) {
    }
    if (FStop) return;
    int client = ::accept(FListener, nullptr, nullptr);
    int server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = inet_addr(testdb::Get().host.c_str());
    to.sin_port = htons(static_cast<uint16_t>(testdb::Get().port));
    if (::connect(server, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) Pump(client, server);
    ::close(client);
    ::close(server);
  }
  void Pump(int a, int b) {
    char buffer[16384];
    while (!FStop) {
      pollfd fds[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
      if (::poll(fds, 2, 50) <= 0) continue;
      for (int i = 0; i < 2; ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
        if (n <= 0 || ::send(fds[1 - i].fd, buffer, static_cast<size_t>(n), MSG_NOSIGNAL) != n)
          return;
      }
    }
  }
  int FListener = -1;
  std::atomic<bool> FStop{false};
  std::thread FThread;
};

// --- the local socket -------------------------------------------------------------------------

TEST(LocalSocket, LogsInOverTheServersUnixSocket) {
  const testdb::Settings& db = testdb::Get();
  TMySqlSession session;
  session.SetProtocol(mpPipe);
  session.SetConnectTimeout(30);
  session.Connect("localhost", db.user, db.password, db.database, 0, db.socket, 0);
  EXPECT_EQ(session.HostInfo(), "localhost via pipes");
  // The server sees a local client, not a TCP peer.
  EXPECT_EQ(PeerHost(session), "localhost");
  EXPECT_EQ(One(session, "SELECT DATABASE()"), db.database);
  session.Close();
}

TEST(LocalSocket, TheConnectionComponentNamesTheSocketAfterTheServer) {
  const testdb::Settings& db = testdb::Get();
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.Options()->SetProtocol(mpPipe);
  conn.SetServer(UTF8ToString("localhost," + db.socket));
  conn.SetConnected(true);
  EXPECT_TRUE(conn.Connected());
  TMySQLConnection* my = conn.MySQLConnection();
  EXPECT_EQ(my->API()->mysql_get_host_info(my->Handle()), "localhost via pipes");
  conn.SetConnected(false);

  // A socket file where nothing listens: the pipe's error, through the component.
  char folder[] = "/tmp/nolisten.XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string path = std::string(folder) + "/mysqld.sock";
  TMyConnection lonely(nullptr);
  ApplyTestSettings(lonely);
  lonely.Options()->SetProtocol(mpPipe);
  lonely.SetConnectionTimeout(2);
  lonely.SetServer(UTF8ToString("localhost," + path));
  try {
    lonely.SetConnected(true);
    ADD_FAILURE() << "no error";
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 2017);
    EXPECT_EQ(UTF8Encode(e.Message()), "Can't open named pipe to host: localhost  pipe: " + path +
                                           " (No such file or directory)");
  }
  ::rmdir(folder);
}

// --- TLS --------------------------------------------------------------------------------------

TEST(Tls, VerifiedByTheTestCaUnderItsAddressAndItsName) {
  const testdb::Settings& db = testdb::Get();
  // The certificate names both: the address is checked as an address, "localhost" as a name. A
  // cipher list of blanks leaves the library's own.
  for (const std::string host : {"127.0.0.1", "localhost"}) {
    for (const std::string cipher : {"", "   "}) {
      auto s = OpenTls(host, {"", "", db.ssl_ca}, 0, 0, "", cipher);
      EXPECT_EQ(s->HostInfo(), host + " via SSL");
      EXPECT_TRUE(IsTls12OrLater(StatusValue(*s, "Ssl_version"))) << StatusValue(*s, "Ssl_version");
      EXPECT_NE(StatusValue(*s, "Ssl_cipher"), "");
      auto* vio = dynamic_cast<TLxVioTcpSSL*>(s->Net().Vio());
      ASSERT_NE(vio, nullptr);
      EXPECT_TRUE(vio->Secure());
      EXPECT_EQ(vio->ProtocolVersion(), StatusValue(*s, "Ssl_version"));
      s->Close();
    }
  }
}

TEST(Tls, AClientCertificateIsOfferedWhereTheUserRequiresOne) {
  const testdb::Settings& db = testdb::Get();
  {
    auto admin = sessiontest::Open();
    for (const char* sql :
         {"DROP USER IF EXISTS 'x509_tester'@'127.0.0.1'",
          "CREATE USER 'x509_tester'@'127.0.0.1' IDENTIFIED BY 't3st-Pa55' REQUIRE X509",
          "GRANT SELECT ON *.* TO 'x509_tester'@'127.0.0.1'"})
      admin->Query(sql);
  }
  EXPECT_EQ(TlsLoginError("127.0.0.1", {"", "", db.ssl_ca}, 0, "x509_tester").substr(0, 5),
            "1045 ")
      << "without a certificate the user is refused";

  auto s = OpenTls("127.0.0.1", {db.ssl_key, db.ssl_cert, db.ssl_ca}, 0, 0, "x509_tester");
  EXPECT_EQ(One(*s, "SELECT CURRENT_USER()"), "x509_tester@127.0.0.1");
  s->Close();

  // A certificate file that holds the key too serves as both.
  char folder[] = "/tmp/tlsboth.XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string both = std::string(folder) + "/client.pem";
  {
    std::ofstream out(both);
    out << std::ifstream(db.ssl_cert).rdbuf() << std::ifstream(db.ssl_key).rdbuf();
  }
  auto combined = OpenTls("127.0.0.1", {"", both, db.ssl_ca}, 0, 0, "x509_tester");
  EXPECT_EQ(One(*combined, "SELECT CURRENT_USER()"), "x509_tester@127.0.0.1");
  combined->Close();
  std::remove(both.c_str());
  ::rmdir(folder);

  // A key that does not belong to the certificate is refused before the handshake, saying so.
  const std::string mismatch =
      TlsLoginError("127.0.0.1", {db.ssl_key, db.ssl_ca, db.ssl_ca}, 0, "x509_tester");
  EXPECT_EQ(mismatch.rfind("2026 SSL connection error\r\nThe client key \"" + db.ssl_key +
                               "\" cannot be loaded: ", 0),
            0u)
      << mismatch;
  EXPECT_NE(mismatch.find("key values mismatch"), std::string::npos) << mismatch;
  sessiontest::Open()->Query("DROP USER 'x509_tester'@'127.0.0.1'");
}

TEST(Tls, CompressionAbove17MegabytesGoesThereAndBack) {
  const testdb::Settings& db = testdb::Get();
  auto s = OpenTls("127.0.0.1", {"", "", db.ssl_ca}, mysqlhandshake::kClientCompress);
  EXPECT_TRUE(s->Net().Compress());
  EXPECT_EQ(StatusValue(*s, "Compression"), "ON");
  const std::string value = sessiontest::Letters(17u << 20);
  std::string echoed = One(*s, "SELECT '" + value + "'");
  EXPECT_EQ(echoed.size(), value.size());
  EXPECT_TRUE(echoed == value);
  EXPECT_EQ(One(*s, "SELECT 1"), "1") << "the session is in step after the large packets";
  EXPECT_TRUE(IsTls12OrLater(StatusValue(*s, "Ssl_version")));
  s->Close();
}

TEST(Tls, AServerThatCannotBeTrustedIsRefusedWithTheReason) {
  const testdb::Settings& db = testdb::Get();
  TRelay relay;
  struct Case {
    const char* name;
    std::string host;
    std::string ca;
    int port;
    std::string reason;
  } cases[] = {
      {"a CA that signed nothing of the server's", "127.0.0.1", db.ssl_other_ca, 0,
       // The server sends its CA with its certificate: the chain ends in a root not trusted here.
       "certificate verify failed: self-signed certificate in certificate chain"},
      {"an address the certificate does not name", "127.0.0.2", db.ssl_ca, relay.Port,
       "certificate verify failed: IP address mismatch"},
  };
  for (const Case& c : cases) {
    std::string error = TlsLoginError(c.host, {"", "", c.ca}, c.port);
    EXPECT_EQ(error.rfind("2026 SSL connection error\r\nSSL_do_handshake = ", 0), 0u)
        << c.name << ": " << error;
    EXPECT_NE(error.find("\r\n" + c.reason), std::string::npos) << c.name << ": " << error;
  }
}

// --- the connection component ----------------------------------------------------------------

TEST(Tls, TheConnectionComponentAsksForTlsWithItsOptions) {
  const testdb::Settings& db = testdb::Get();
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  conn.Options()->SetProtocol(mpSSL);
  conn.SSLOptions()->SetCACert(UTF8ToString(db.ssl_ca));
  conn.SSLOptions()->SetCert(UTF8ToString(db.ssl_cert));
  conn.SSLOptions()->SetKey(UTF8ToString(db.ssl_key));
  conn.SetConnected(true);
  TMySQLConnection* my = conn.MySQLConnection();
  EXPECT_EQ(my->API()->mysql_get_host_info(my->Handle()), db.host + " via SSL");

  // The session was opened with these files: they cannot change under it.
  try {
    conn.SSLOptions()->SetCACert(u"/elsewhere/ca.pem");
    ADD_FAILURE() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find(u"Cannot perform this operation on an open connection"),
              String::npos);
  }
  EXPECT_EQ(conn.SSLOptions()->CACert(), UTF8ToString(db.ssl_ca));
  EXPECT_EQ(my->SSLCACert(), UTF8ToString(db.ssl_ca));

  // A copy of the connection asks for the same.
  TMyConnection copy(nullptr);
  copy.AssignConnect(&conn);
  EXPECT_EQ(copy.SSLOptions()->CACert(), conn.SSLOptions()->CACert());
  EXPECT_EQ(copy.SSLOptions()->Cert(), conn.SSLOptions()->Cert());
  EXPECT_EQ(copy.SSLOptions()->Key(), conn.SSLOptions()->Key());
  copy.SetConnected(true);
  EXPECT_TRUE(copy.Connected());
  copy.SetConnected(false);
  conn.SetConnected(false);

  // Untrusted by its CA, the component's connect fails with the reason.
  conn.SSLOptions()->SetCACert(UTF8ToString(db.ssl_other_ca));
  try {
    conn.SetConnected(true);
    ADD_FAILURE() << "no error";
  } catch (const EMyError& e) {
    EXPECT_EQ(e.ErrorCode(), 2026);
    EXPECT_NE(e.Message().find(u"\r\ncertificate verify failed: self-signed certificate in "
                               u"certificate chain"),
              String::npos)
        << UTF8Encode(e.Message());
  }
}

}  // namespace
