#include "MySql/MySqlSession.h"

#include <cstring>

#include "Common/CLRClasses.h"
#include "Common/LxVioHttp.h"
#include "Common/LxVioTcpSSL.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlStmt.h"
#include "MySql/MySqlSession_Handshake.h"
#include "MySql/MySqlVioPipe.h"
#include "platform/rtl/UnicodeText.h"

using namespace mysqlhandshake;

namespace {

constexpr int32_t kDefaultPort = 3306;
// The code the connect error names, whatever the transport's own failure was.
constexpr int32_t kConnectionRefused = 10061;

}  // namespace

TMySqlSession::TMySqlSession() : FNet(std::make_unique<TMySqlNet>()) {}

TMySqlSession::~TMySqlSession() {
  if (FCurrentResult != nullptr) FCurrentResult->ForgetSession();
  // Each statement leaves the list as it forgets the session.
  while (!FStatements.empty()) FStatements.back()->ForgetSession();
}

void TMySqlSession::SetTls(const AnsiString& key, const AnsiString& certificate,
                           const AnsiString& ca, const AnsiString& caPath,
                           const AnsiString& cipher) {
  FTlsKey = key;
  FTlsCertificate = certificate;
  FTlsCA = ca;
  FTlsCAPath = caPath;
  FTlsCipher = cipher;
}

bool TMySqlSession::SpeaksProtocol41() const {
  return (FServerCapabilities & kClientProtocol41) && (FClientFlags & kClientProtocol41);
}

void TMySqlSession::Connect(const AnsiString& host, const AnsiString& user,
                            const AnsiString& password, const AnsiString& database, int32_t port,
                            const AnsiString& pipeName, uint32_t clientFlags) {
  if (!host.empty()) FHost = host;
  if (!user.empty()) FUser = user;
  if (!password.empty()) FPassword = password;
  if (!database.empty()) FDatabase = database;
  if (port != 0) FPort = port;
  if (FPort == 0) FPort = kDefaultPort;
  if (FHost.empty()) FHost = "localhost";
  FServerStatus = kServerStatusAutocommit;

  // The connect time-out bounds the whole connect: name, TCP, greeting and authentication
  // together, however slowly the server answers each read. 0 sets no bound.
  if (FConnectTimeout > 0)
    FConnectDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(FConnectTimeout);
  else
    FConnectDeadline.reset();
  struct EndDeadline {
    TMySqlSession& session;
    ~EndDeadline() {
      session.FConnectDeadline.reset();
      if (TLxVio* vio = session.FNet->Vio()) vio->ClearDeadline();
    }
  } endDeadline{*this};
  OpenTransport(pipeName);
  ReadGreeting();
  FNet->NewPacket();
  WriteLogin(FPassword, clientFlags);
  Authenticate(FPassword);
  if (FClientFlags & kClientCompress) FNet->SetCompress(true);
}

void TMySqlSession::StartConnectDeadline(TLxVio& vio) {
  if (FConnectDeadline)
    vio.SetDeadline(*FConnectDeadline);
  else
    vio.ClearDeadline();
}

void TMySqlSession::OpenTransport(const AnsiString& pipeName) {
  if (FIOHandler != nullptr) {
    FNet->SetVio(std::make_unique<TLxVioHandler>(FHost, FPort, FIOHandler, FTlsKey,
                                                 FTlsCertificate, FTlsCA));
    FHostInfo = FHost + " via " + StringToAnsi(FIOHandler->ClassName());
    FNet->Vio()->SetTimeout(FConnectTimeout);
    StartConnectDeadline(*FNet->Vio());
    // The handler's own errors are the application's: they pass through as they are.
    FNet->Vio()->Connect();
    return;
  }
  // Given tunnel settings, the session takes the tunnel whatever the protocol says.
  if (FHttpOptions != nullptr) {
    FNet->SetVio(std::make_unique<TLxVioHttp>(*FHttpOptions, FPort, FHost));
    FHostInfo = FHost + " via HTTP";
  } else switch (FProtocol) {
    case mpDefault:
    case mpTCP:
      FNet->SetVio(std::make_unique<TLxVioTcp>(FHost, FPort));
      FHostInfo = FHost + " via TCP/IP";
      break;
    case mpPipe:
      FNet->SetVio(std::make_unique<TMySqlVioPipe>(FHost, pipeName, FPort));
      FHostInfo = FHost + " via pipes";
      break;
    case mpSSL:
      FNet->SetVio(std::make_unique<TLxVioTcpSSL>(FHost, FTlsKey, FTlsCertificate, FTlsCA,
                                                  FTlsCAPath, FTlsCipher, FPort));
      FHostInfo = FHost + " via SSL";
      break;
    default:
      // A protocol without a transport of its own reuses the one the session has.
      if (FNet->Vio() == nullptr) throw EMySqlException(CR_UNKNOWN_PROTOCOL);
      break;
  }
  TLxVio* vio = FNet->Vio();
  try {
    vio->SetTimeout(FConnectTimeout);
    StartConnectDeadline(*vio);
    vio->Connect();
  } catch (const EMySqlException&) {
    // The local socket's own errors (2016-2018) say more than "can't connect" would.
    throw;
  } catch (const Exception&) {
    throw EMySqlException::CreateFmt(CR_CANNOT_CONNECT, vio->LastError(),
                                     {FHost, kConnectionRefused});
  }
}

void TMySqlSession::ReadGreeting() {
  FNet->Receive();
  TMySqlGreeting g = ParseGreeting(FNet->Buffer(), static_cast<size_t>(FNet->Length()));
  FServerVersion = g.ServerVersion;
  FThreadId = g.ThreadId;
  std::memcpy(FScramble, g.Scramble, sizeof FScramble);
  FLongScramble = g.LongScramble;
  FServerCapabilities = g.Capabilities;
  FServerLanguage = g.Language;
  FServerStatus = g.Status;
}

void TMySqlSession::WriteLogin(const AnsiString& password, uint32_t clientFlags) {
  // Asked for TLS and not offered it, the login stops: it never goes on in plain text.
  if ((FProtocol == mpSSL || (clientFlags & kClientSsl)) && !(FServerCapabilities & kClientSsl))
    throw EMySqlException::CreateMsg(CR_SSL_ERROR, u"The server does not offer TLS");
  FClientFlags = ComputeClientFlags(FClientFlags, clientFlags, FProtocol == mpSSL,
                                    FServerCapabilities);
  TBytes prefix = LoginPrefix(FClientFlags, FCharacterSet);
  FNet->WriteBytes(prefix);
  if (FClientFlags & kClientSsl) {
    // The prefix alone is the TLS request; the login follows over the encrypted channel.
    FNet->Send();
    StartTls();
    FNet->NewPacket();
    FNet->WriteBytes(prefix);
  }
  FNet->WriteString(FUser);

  TMySqlGreeting greeting;
  std::memcpy(greeting.Scramble, FScramble, sizeof FScramble);
  greeting.LongScramble = FLongScramble;
  FNet->WriteBytes(PasswordField(FServerCapabilities, Encoding::GetDefault()->GetBytes(password),
                                 greeting));
  if (FServerCapabilities & kClientConnectWithDb) FNet->WriteString(FDatabase);
  FNet->Send();
}

void TMySqlSession::StartTls() {
  if (auto* handler = dynamic_cast<TLxVioHandler*>(FNet->Vio())) {
    handler->StartTLS(1);
  } else if (auto* tls = dynamic_cast<TLxVioTcpSSL*>(FNet->Vio())) {
    try {
      tls->StartSSL(1);
    } catch (const EAssertionFailed&) {
      throw;
    } catch (const Exception& e) {
      throw EMySqlException::CreateMsg(CR_SSL_ERROR, e.Message());
    }
  }
  // Other transports have no TLS of their own: the switch changes nothing on them.
}

void TMySqlSession::Authenticate(const AnsiString& password) {
  FNet->Receive();
  TBytes pw = Encoding::GetDefault()->GetBytes(password);
  switch (ClassifyAuthReply(FServerCapabilities, FNet->Buffer(),
                            static_cast<size_t>(FNet->Length()))) {
    case TAuthReply::Done:
      return;
    case TAuthReply::OldScrambleRequest: {
      FNet->NewPacket();
      FNet->WriteBytes(mysqlscramble::ScrambleOld(FScramble, pw));
      FNet->WriteByte(0);
      break;
    }
    case TAuthReply::Exchange410: {
      auto exchange = mysqlscramble::Answer410(FNet->Buffer(), pw);
      std::memcpy(FScramble, exchange.Scramble, sizeof FScramble);
      FNet->NewPacket();
      FNet->WriteBytes(exchange.Answer);
      break;
    }
  }
  FNet->Send();
  FNet->Receive();
}
