#include "Common/LxVioTcpSSL.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/net/SigPipeGuard.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// The libraries' published constants.
constexpr int kCtrlSetMinProtocol = 123;
constexpr long kTls12 = 0x0303;
constexpr int kCtrlSetHostName = 55;
constexpr long kHostNameType = 0;
constexpr int kVerifyPeer = 1;
constexpr int kFileTypePem = 1;
constexpr long kVerifyOk = 0;
constexpr int kErrorSsl = 1;
constexpr int kErrorWantRead = 2;
constexpr int kErrorWantWrite = 3;
constexpr int kErrorSyscall = 5;
constexpr int kErrorZeroReturn = 6;

bool IsFolder(const AnsiString& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsAddress(const AnsiString& host) {
  return ParseIPv4Address(host) != NoIPv4Address || host.find(':') != AnsiString::npos;
}

bool IsBlank(const AnsiString& s) { return s.find_first_not_of(" \t\r\n") == AnsiString::npos; }

const char* OrNull(const AnsiString& s) { return s.empty() ? nullptr : s.c_str(); }

String Quoted(const AnsiString& s) { return u"\"" + UTF8ToString(s) + u"\""; }

}  // namespace

TLxVioTcpSSL::TLxVioTcpSSL(const AnsiString& host, const AnsiString& keyFile,
                           const AnsiString& certFile, const AnsiString& caFile,
                           const AnsiString& caPath, const AnsiString& cipherList, int32_t port)
    : TLxVioTcp(host, port),
      FLibrary(TSSLLibrary::Loaded()),
      FKeyFile(keyFile),
      FCertFile(certFile),
      FCAFile(caFile),
      FCAPath(caPath),
      FCipherList(cipherList) {}

TLxVioTcpSSL::~TLxVioTcpSSL() { Close(); }

void TLxVioTcpSSL::Fail(const String& message) {
  String detail = FLibrary.TakeErrors();
  throw Exception(detail.empty() ? message : message + u": " + detail);
}

void TLxVioTcpSSL::StartSSL(int32_t mode) {
  RTL_ASSERT(mode == 1, u"Only the client side of TLS is supported");
  RTL_ASSERT(IsConnected(), u"The socket is not open");
  const TSSLEntryPoints& f = FLibrary.Fn();
  try {
    // Bytes that came before the handshake were never protected: taking them as the server's
    // would let anyone on the way speak for it.
    if (BufferedCount() > 0) Fail(u"The server sent data before the TLS handshake");
    if (NeedSSL(f.OPENSSL_init_ssl)(0, nullptr) == 0) Fail(u"SSL library initialization failed");
    NeedSSL(f.ERR_clear_error)();
    SetUpContext(f);
    Handshake(f);
  } catch (...) {
    FreeTls();
    TLxVioTcp::Close();
    throw;
  }
  FSecure = true;
}

void TLxVioTcpSSL::SetUpContext(const TSSLEntryPoints& f) {
  FContext = NeedSSL(f.SSL_CTX_new)(NeedSSL(f.TLS_client_method)());
  if (FContext == nullptr) Fail(u"The TLS context cannot be made");
  // TLS 1.0 and 1.1 are broken and refused by servers today.
  if (NeedSSL(f.SSL_CTX_ctrl)(FContext, kCtrlSetMinProtocol, kTls12, nullptr) != 1)
    Fail(u"TLS 1.2 cannot be required");
  if (!IsBlank(FCipherList) &&
      NeedSSL(f.SSL_CTX_set_cipher_list)(FContext, FCipherList.c_str()) != 1)
    Fail(u"No cipher of the list " + Quoted(FCipherList) + u" can be used");
  NeedSSL(f.SSL_CTX_set_verify)(FContext, kVerifyPeer, nullptr);

  if (!FCertFile.empty()) {
    const AnsiString& key = FKeyFile.empty() ? FCertFile : FKeyFile;
    if (NeedSSL(f.SSL_CTX_use_certificate_chain_file)(FContext, FCertFile.c_str()) != 1)
      Fail(u"The client certificate " + Quoted(FCertFile) + u" cannot be loaded");
    if (NeedSSL(f.SSL_CTX_use_PrivateKey_file)(FContext, key.c_str(), kFileTypePem) != 1)
      Fail(u"The client key " + Quoted(key) + u" cannot be loaded");
    if (NeedSSL(f.SSL_CTX_check_private_key)(FContext) != 1)
      Fail(u"The client key " + Quoted(key) + u" does not match the certificate " +
           Quoted(FCertFile));
  }

  AnsiString caFile = FCAFile, caPath = FCAPath;
  if (caPath.empty() && IsFolder(caFile)) std::swap(caFile, caPath);
  if (!caFile.empty() || !caPath.empty()) {
    if (NeedSSL(f.SSL_CTX_load_verify_locations)(FContext, OrNull(caFile), OrNull(caPath)) != 1)
      Fail(u"The CA certificates " + Quoted(caFile.empty() ? caPath : caFile) +
           u" cannot be loaded");
  } else if (NeedSSL(f.SSL_CTX_set_default_verify_paths)(FContext) != 1) {
    Fail(u"The system's trusted certificates cannot be loaded");
  }
}

void TLxVioTcpSSL::Handshake(const TSSLEntryPoints& f) {
  FSsl = NeedSSL(f.SSL_new)(FContext);
  if (FSsl == nullptr) Fail(u"SSL_new failure");
  if (NeedSSL(f.SSL_set_fd)(FSsl, GetSocket()) != 1) Fail(u"The socket cannot carry TLS");

  const AnsiString host = Host().empty() ? AnsiString("localhost") : Host();
  if (IsAddress(host)) {
    TSslVerifyParam* param = NeedSSL(f.SSL_get0_param)(FSsl);
    if (NeedSSL(f.X509_VERIFY_PARAM_set1_ip_asc)(param, host.c_str()) != 1)
      Fail(u"The address " + Quoted(host) + u" cannot be checked");
  } else {
    // The name goes in the greeting too, so a server with several names shows the right one.
    NeedSSL(f.SSL_ctrl)(FSsl, kCtrlSetHostName, kHostNameType, const_cast<char*>(host.c_str()));
    if (NeedSSL(f.SSL_set1_host)(FSsl, host.c_str()) != 1)
      Fail(u"The host name " + Quoted(host) + u" cannot be checked");
  }
  NeedSSL(f.SSL_set_connect_state)(FSsl);

  int r;
  int systemError;
  {
    TSigPipeGuard guard;
    errno = 0;
    r = NeedSSL(f.SSL_do_handshake)(FSsl);
    systemError = errno;
  }
  if (r == 1) return;
  const int e = NeedSSL(f.SSL_get_error)(FSsl, r);
  const long verify = NeedSSL(f.SSL_get_verify_result)(FSsl);

  String reason;
  if (verify != kVerifyOk) {
    reason = u"certificate verify failed: " +
             UTF8ToString(NeedSSL(f.X509_verify_cert_error_string)(verify));
  } else if (String queued = FLibrary.TakeErrors(); !queued.empty()) {
    reason = queued;
  } else if (systemError == EAGAIN || systemError == EWOULDBLOCK) {
    reason = u"the server did not answer within the time-out";
  } else if (systemError != 0 && e != kErrorZeroReturn) {
    reason = UTF8ToString(std::strerror(systemError));
  } else {
    reason = u"the server closed the connection during the handshake";
  }
  throw Exception(Format(u"SSL_do_handshake = %d\r\nSSL_get_error(..., r2) = %d\r\nr2 = %d",
                         {r, e, r}) +
                  u"\r\n" + reason);
}

AnsiString TLxVioTcpSSL::ProtocolVersion() const {
  if (!FSecure || FSsl == nullptr) return AnsiString();
  const char* version = NeedSSL(FLibrary.Fn().SSL_get_version)(FSsl);
  return version ? AnsiString(version) : AnsiString();
}

void TLxVioTcpSSL::FreeTls() {
  const TSSLEntryPoints& f = FLibrary.Fn();
  if (FSsl != nullptr && f.SSL_free != nullptr) f.SSL_free(FSsl);
  if (FContext != nullptr && f.SSL_CTX_free != nullptr) f.SSL_CTX_free(FContext);
  FSsl = nullptr;
  FContext = nullptr;
  FSecure = false;
}

void TLxVioTcpSSL::Close() {
  const TSSLEntryPoints& f = FLibrary.Fn();
  if (FSecure && !FBroken && IsConnected() && f.SSL_shutdown != nullptr) {
    TSigPipeGuard guard;
    f.SSL_shutdown(FSsl);
  }
  FreeTls();
  FBroken = false;
  TLxVioTcp::Close();
}

void TLxVioTcpSSL::SetTlsError(const char* what, int result, int systemError) {
  const TSSLEntryPoints& f = FLibrary.Fn();
  const int e = NeedSSL(f.SSL_get_error)(FSsl, result);
  // After these the connection may not even be closed politely.
  if (e == kErrorSsl || e == kErrorSyscall) FBroken = true;
  if (e == kErrorZeroReturn) {
    FLastError = u"The server closed the TLS connection";
  } else if ((e == kErrorWantRead || e == kErrorWantWrite || e == kErrorSyscall) &&
             systemError != 0) {
    SetSocketError(what, systemError);
  } else {
    String queued = FLibrary.TakeErrors();
    FLastError = Format(u"SSL error %d on ", {e}) + UTF8ToString(what) +
                 (queued.empty() ? String() : u": " + queued);
  }
}

int32_t TLxVioTcpSSL::ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) {
  if (!FSecure) return TLxVioTcp::ReadChunk(buffer, offset, count);
  FLastError.clear();
  if (!IsConnected()) return 0;
  NeedSSL(FLibrary.Fn().ERR_clear_error)();
  int n;
  int systemError;
  {
    // A read may answer the server (a key update, an alert), and so write.
    TSigPipeGuard guard;
    errno = 0;
    n = NeedSSL(FLibrary.Fn().SSL_read)(FSsl, buffer + offset, count);
    systemError = errno;
  }
  if (n > 0) return n;
  SetTlsError("read", n, systemError);
  return 0;
}

int32_t TLxVioTcpSSL::WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) {
  if (!FSecure) return TLxVioTcp::WriteChunk(buffer, offset, count);
  FLastError.clear();
  if (!IsConnected()) return 0;
  NeedSSL(FLibrary.Fn().ERR_clear_error)();
  int n;
  int systemError;
  {
    TSigPipeGuard guard;
    errno = 0;
    n = NeedSSL(FLibrary.Fn().SSL_write)(FSsl, buffer + offset, count);
    systemError = errno;
  }
  if (n > 0) return n;
  SetTlsError("write", n, systemError);
  return 0;
}

bool TLxVioTcpSSL::WaitReadable(int64_t ms) {
  if (FSecure && NeedSSL(FLibrary.Fn().SSL_pending)(FSsl) > 0) return true;
  return TLxVioTcp::WaitReadable(ms);
}

bool TLxVioTcpSSL::WaitForData(int32_t seconds) {
  if (FSecure && NeedSSL(FLibrary.Fn().SSL_pending)(FSsl) > 0) {
    FLastError.clear();
    return true;
  }
  return TLxVioTcp::WaitForData(seconds);
}
