// The transport over a TCP socket.
#pragma once

#include <cstdint>
#include <functional>

#include "Common/LxVio.h"
#include "platform/net/HostNameResolver.h"
#include "platform/net/Sockets.h"

class TLxVioTcp : public TLxVio {
 public:
  // The numbers of the socket failures: the engine's client errors of the same meaning (the
  // engine's error table checks that they agree).
  static constexpr int32_t UnknownHostError = 2005;
  static constexpr int32_t ConnectError = 2003;
  static constexpr int32_t ServerGoneError = 2006;

  // An empty host means "localhost" at connect time; only the low 16 bits of the port are used.
  TLxVioTcp(const AnsiString& host, int32_t port);
  ~TLxVioTcp() override;

  // The receive time-out (seconds) and the limit of name resolution and of the connect; default 30.
  int32_t GetTimeout() override { return FTimeout; }
  void SetTimeout(int32_t seconds) override;
  // The send time-out (seconds); 0, the default, means none.
  int32_t SendTimeout() const { return FSendTimeout; }
  void SetSendTimeout(int32_t seconds);

  // Raises SocketException: UnknownHostError when the host cannot be resolved in time,
  // ConnectError when the connect fails. The transport is closed again after a failure and can be
  // connected anew.
  void Connect() override;
  void Close() override;
  int32_t ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) override;
  int32_t WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) override;
  int32_t Write(const uint8_t* buffer, int32_t offset, int32_t count) override;
  // Raises SocketException ServerGoneError when the wait itself fails.
  bool WaitForData(int32_t seconds) override;

  bool IsConnected() const { return FSocket != InvalidSocket; }
  virtual TSocketHandle GetSocket() { return FSocket; }
  // The error code of the last failed socket call of this transport.
  int SocketLastError() const { return FSocketError; }

  const AnsiString& Host() const { return FHost; }
  int32_t Port() const { return FPort; }

  // The blocking lookup that name resolution runs (the system's resolver unless replaced, as tests
  // do to stand in for a slow name service).
  void SetHostLookup(THostNameResolver::TLookup lookup) { FLookup = std::move(lookup); }

 protected:
  bool WaitReadable(int64_t ms) override;
  // Reported as a receive whose time-out passed.
  void ReadTimedOut() override;
  // Keeps the code and sets LastError to the socket failure's text ("Socket error on <what>...").
  void SetSocketError(const char* what, int code);

 private:
  // The limit of name resolution and of the connect: the time-out, cut to what is left until the
  // deadline; 0 for none.
  int64_t ConnectLimitMs() const;
  uint32_t ResolveAddress(const AnsiString& host);

  AnsiString FHost;
  int32_t FPort;
  int32_t FTimeout = 30;
  int32_t FSendTimeout = 0;
  TSocketHandle FSocket = InvalidSocket;
  int FSocketError = 0;
  THostNameResolver::TLookup FLookup = LookupHostIPv4;
};
