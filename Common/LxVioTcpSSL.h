// The TCP transport with a TLS layer over OpenSSL 3 (loaded at run time, LxVioTcpSSL_Library.h).
// It behaves exactly as TLxVioTcp until StartSSL, which the session calls in the middle of the
// login, after its TLS request; from then on reads and writes go through TLS.
//
// Only TLS 1.2 and later are offered. The server's certificate is verified: its chain against the
// CA file or CA path (the system's trust store when neither is given) and its name against the
// host connected to.
#pragma once

#include <cstdint>

#include "Common/LxVioTcp.h"
#include "Common/LxVioTcpSSL_Library.h"

class TLxVioTcpSSL : public TLxVioTcp {
 public:
  // Loads OpenSSL when the process has not yet (EOSError naming the missing library). A CA file
  // that names a folder is taken as a CA path.
  TLxVioTcpSSL(const AnsiString& host, const AnsiString& keyFile, const AnsiString& certFile,
               const AnsiString& caFile, const AnsiString& caPath, const AnsiString& cipherList,
               int32_t port);
  ~TLxVioTcpSSL() override;

  // The client handshake (mode must be 1, the socket open). Any failure raises the general
  // exception with the handshake's text and the reason (a certificate that does not verify names
  // why), and closes the transport: nothing more is sent on a connection whose TLS failed.
  void StartSSL(int32_t mode);
  bool Secure() const { return FSecure; }
  // The protocol agreed ("TLSv1.3"), or empty before the handshake.
  AnsiString ProtocolVersion() const;

  // Sends the TLS close notice when secure, then closes the socket.
  void Close() override;
  int32_t ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) override;
  int32_t WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) override;
  // Decrypted bytes held by TLS count as data ready.
  bool WaitForData(int32_t seconds) override;

 protected:
  // Decrypted bytes held by TLS count as data ready here too.
  bool WaitReadable(int64_t ms) override;

 private:
  void SetUpContext(const TSSLEntryPoints& f);
  void Handshake(const TSSLEntryPoints& f);
  [[noreturn]] void Fail(const String& message);
  void FreeTls();
  // LastError for a TLS read or write that moved nothing; systemError is errno after the call.
  void SetTlsError(const char* what, int result, int systemError);

  const TSSLLibrary& FLibrary;
  bool FSecure = false;
  // A read or write failed fatally: no close notice may follow.
  bool FBroken = false;
  AnsiString FKeyFile, FCertFile, FCAFile, FCAPath, FCipherList;
  TSslContext* FContext = nullptr;
  TSslConnection* FSsl = nullptr;
};
