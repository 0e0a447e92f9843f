// The TLS transport without a TLS server: loading the libraries, plain TCP before the switch, and
// every way the switch fails before or during the handshake. Handshakes that succeed, and
// certificates that do not verify, are tried against the test server (MySqlTransports_itest).
#include "Common/LxVioTcpSSL.h"

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "platform/rtl/UnicodeText.h"
#include "tests/support/FakeServer.h"

namespace {

using namespace std::chrono_literals;

std::string Narrow(const String& s) { return UTF8Encode(s); }

TEST(SSLLibrary, AMissingLibraryIsAnErrorThatNamesIt) {
  struct Case {
    const char* crypto;
    const char* ssl;
    std::vector<std::string> named;
  } cases[] = {
      {"libnosuch-crypto.so.3", "libnosuch-ssl.so.3",
       {"libnosuch-crypto.so.3: cannot open shared object file",
        "libnosuch-ssl.so.3: cannot open shared object file"}},
      {"libcrypto.so.3", "libnosuch-ssl.so.3",
       {"libnosuch-ssl.so.3: cannot open shared object file"}},
  };
  for (const Case& c : cases) {
    TSSLLibrary library;
    try {
      library.Load(c.crypto, c.ssl);
      ADD_FAILURE() << c.ssl << ": no error";
    } catch (const EOSError& e) {
      const std::string message = Narrow(e.Message());
      EXPECT_EQ(message.rfind("OpenSSL client library couldn't be loaded.", 0), 0u) << message;
      for (const std::string& text : c.named)
        EXPECT_NE(message.find(text), std::string::npos) << message;
      EXPECT_EQ(message.find("libcrypto.so.3:"), std::string::npos) << "only what is missing";
    }
    EXPECT_FALSE(library.IsLoaded());
  }
}

TEST(SSLLibrary, TheProcessLibraryLoadsOnceWithItsEntryPoints) {
  TSSLLibrary& library = TSSLLibrary::Loaded();
  EXPECT_EQ(&library, &TSSLLibrary::Loaded());
  EXPECT_TRUE(library.IsLoaded());
  EXPECT_NE(library.Fn().SSL_do_handshake, nullptr);
  EXPECT_NE(library.Fn().X509_verify_cert_error_string, nullptr);
  EXPECT_EQ(library.TakeErrors(), u"") << "nothing queued";
  try {
    NeedSSL(static_cast<int (*)()>(nullptr));
    ADD_FAILURE() << "a missing entry point passed";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"SSL function is not linked. You should update SSL client library.");
  }
}

struct TlsFixture : ::testing::Test {
  std::unique_ptr<TLxVioTcpSSL> Connect(const fake::FakeServer& server,
                                        const AnsiString& cipher = "",
                                        const AnsiString& cert = "", const AnsiString& ca = "") {
    auto vio = std::make_unique<TLxVioTcpSSL>("127.0.0.1", "", cert, ca, "", cipher,
                                              server.Port());
    vio->SetTimeout(5);
    vio->Connect();
    return vio;
  }
  // The message of StartSSL's failure.
  std::string StartError(TLxVioTcpSSL& vio) {
    try {
      vio.StartSSL(1);
    } catch (const Exception& e) {
      return Narrow(e.Message());
    }
    return "no error";
  }
};

TEST_F(TlsFixture, UntilTheSwitchItIsPlainTcp) {
  fake::FakeServer server({fake::SendBytes(fake::B("hello")), fake::ReadBytes(3)});
  auto vio = Connect(server);
  uint8_t got[5] = {};
  EXPECT_EQ(vio->Read(got, 0, 5), 5);
  EXPECT_EQ(std::string(got, got + 5), "hello");
  EXPECT_EQ(vio->Write(reinterpret_cast<const uint8_t*>("abc"), 0, 3), 3);
  server.Wait();
  EXPECT_EQ(server.Received(), fake::B("abc"));
  EXPECT_FALSE(vio->Secure());
  EXPECT_EQ(vio->ProtocolVersion(), "");
}

// Settings that cannot be used stop the switch before a byte of TLS is sent, and the transport
// is closed: nothing may follow a TLS request in plain text.
TEST_F(TlsFixture, UnusableSettingsFailBeforeTheHandshake) {
  struct Case {
    AnsiString cipher, cert, ca;
    std::string message;
  } cases[] = {
      {"NO-SUCH-CIPHER", "", "", "No cipher of the list \"NO-SUCH-CIPHER\" can be used"},
      {"", "/nonexistent/client.pem", "", "The client certificate \"/nonexistent/client.pem\" "
                                          "cannot be loaded"},
      {"", "", "/nonexistent/ca.pem", "The CA certificates \"/nonexistent/ca.pem\" cannot be "
                                      "loaded"},
  };
  for (const Case& c : cases) {
    fake::FakeServer server({fake::ReadUntilClose()});
    auto vio = Connect(server, c.cipher, c.cert, c.ca);
    std::string message = StartError(*vio);
    EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
    EXPECT_FALSE(vio->IsConnected());
    server.Wait();
    EXPECT_TRUE(server.Received().empty()) << c.message;
  }
}

TEST_F(TlsFixture, AServerThatClosesDuringTheHandshakeIsAnError) {
  // The TLS record header of the client's hello, then the server is gone.
  fake::FakeServer server({fake::ReadBytes(5), fake::Close()});
  auto vio = Connect(server);
  std::string message = StartError(*vio);
  EXPECT_EQ(message.rfind("SSL_do_handshake = ", 0), 0u) << message;
  EXPECT_NE(message.find("\r\nSSL_get_error(..., r2) = "), std::string::npos) << message;
  EXPECT_FALSE(vio->IsConnected());
  EXPECT_FALSE(vio->Secure());
  server.Wait();
  fake::Bytes hello = server.Received();
  ASSERT_EQ(hello.size(), 5u);
  EXPECT_EQ(hello[0], 0x16) << "a handshake record";
  EXPECT_EQ(hello[1], 0x03);
}

TEST_F(TlsFixture, ASilentServerEndsTheHandshakeAtTheTimeOut) {
  fake::FakeServer server({fake::ReadBytes(5), fake::Stall(30s)});
  auto vio = Connect(server);
  vio->SetTimeout(1);
  std::string message = StartError(*vio);
  EXPECT_NE(message.find("\r\nthe server did not answer within the time-out"), std::string::npos)
      << message;
  EXPECT_FALSE(vio->IsConnected());
}

TEST_F(TlsFixture, BytesBeforeTheHandshakeAreRefused) {
  // Two bytes where none may be: the first is read, the second waits in the read-ahead buffer.
  fake::FakeServer server({fake::SendBytes(fake::B("xy")), fake::ReadUntilClose()});
  auto vio = Connect(server);
  uint8_t one = 0;
  ASSERT_EQ(vio->Read(&one, 0, 1), 1);
  EXPECT_EQ(StartError(*vio), "The server sent data before the TLS handshake");
  EXPECT_FALSE(vio->IsConnected());
  server.Wait();
  EXPECT_TRUE(server.Received().empty());
}

}  // namespace
