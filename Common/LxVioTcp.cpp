#include "Common/LxVioTcp.h"

#include <cerrno>

#include "platform/rtl/Format.h"

namespace {

// Messages of socket failures name the error code in decimal and hexadecimal.
String SocketErrorText(const char* what, int code) {
  return Format(u"Socket error on " + String(what, what + std::char_traits<char>::length(what)) +
                    u". WSAGetLastError return %d($%X)",
                {code, code});
}

[[noreturn]] void RaiseSocketError(int code, int32_t errorCode) {
  throw SocketException(Format(u"Socket error %d", {code}), errorCode);
}

}  // namespace

TLxVioTcp::TLxVioTcp(const AnsiString& host, int32_t port) : FHost(host), FPort(port) {}

TLxVioTcp::~TLxVioTcp() { Close(); }

void TLxVioTcp::SetSocketError(const char* what, int code) {
  FSocketError = code;
  FLastError = SocketErrorText(what, code);
}

void TLxVioTcp::SetTimeout(int32_t seconds) {
  if (seconds == FTimeout) return;
  FTimeout = seconds;
  if (FSocket == InvalidSocket) return;
  int64_t ms = seconds > 0 ? static_cast<int64_t>(seconds) * 1000 : 0;
  if (int rc = SocketSetReceiveTimeout(FSocket, ms); rc != 0)
    throw EOSError(u"Cannot set the receive time-out of the socket", rc);
}

void TLxVioTcp::SetSendTimeout(int32_t seconds) {
  if (seconds == FSendTimeout) return;
  FSendTimeout = seconds;
  if (FSocket == InvalidSocket || seconds < 1) return;
  if (int rc = SocketSetSendTimeout(FSocket, static_cast<int64_t>(seconds) * 1000); rc != 0)
    throw EOSError(u"Cannot set the send time-out of the socket", rc);
}

uint32_t TLxVioTcp::ResolveAddress(const AnsiString& host) {
  uint32_t address = ParseIPv4Address(host);
  if (address != NoIPv4Address) return address;
  int error;
  if (FTimeout < 1) {
    error = FLookup(host, address);
  } else {
    auto result = THostNameResolver::Resolve(host, static_cast<int64_t>(FTimeout) * 1000, FLookup);
    if (result.TimedOut) {
      FLastError = u"Connection timed out";
      FSocketError = ETIMEDOUT;
      return NoIPv4Address;
    }
    error = result.Error;
    address = result.Address;
  }
  if (error != 0) {
    SetSocketError("connect", error);
    return NoIPv4Address;
  }
  return address;
}

void TLxVioTcp::Connect() {
  RTL_ASSERT(FSocket == InvalidSocket, u"The socket is already open");
  TLxVio::Connect();
  FLastError.clear();
  AnsiString host = FHost.empty() ? AnsiString("localhost") : FHost;

  int error = 0;
  FSocket = SocketOpenTcp(error);
  if (FSocket == InvalidSocket) {
    FSocketError = error;
    RaiseSocketError(error, UnknownHostError);
  }
  try {
    uint32_t address = ResolveAddress(host);
    if (address == NoIPv4Address) RaiseSocketError(FSocketError, UnknownHostError);

    int64_t connectLimit = FTimeout > 0 ? static_cast<int64_t>(FTimeout) * 1000 : 0;
    if (int rc = SocketConnect(FSocket, address, static_cast<uint16_t>(FPort), connectLimit);
        rc != 0) {
      SetSocketError("connect", rc);
      RaiseSocketError(rc, ConnectError);
    }
    // Small packets go out at once; a dead peer is noticed by keep-alive probes. Failures here
    // only cost speed, so they are not errors.
    SocketSetNoDelay(FSocket, true);
    SocketSetKeepAlive(FSocket, true);

    int32_t timeout = FTimeout;
    FTimeout = -1;
    SetTimeout(timeout);
    int32_t sendTimeout = FSendTimeout;
    FSendTimeout = -1;
    SetSendTimeout(sendTimeout);
  } catch (...) {
    SocketClose(FSocket);
    FSocket = InvalidSocket;
    throw;
  }
}

void TLxVioTcp::Close() {
  if (FSocket == InvalidSocket) return;
  SocketShutdown(FSocket);
  SocketClose(FSocket);
  FSocket = InvalidSocket;
}

int32_t TLxVioTcp::ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) {
  FLastError.clear();
  if (FSocket == InvalidSocket) return 0;
  int error = 0;
  ptrdiff_t n = SocketReceive(FSocket, buffer + offset, static_cast<size_t>(count), error);
  if (n < 0) {
    SetSocketError("read", error);
    return 0;
  }
  return static_cast<int32_t>(n);
}

int32_t TLxVioTcp::WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) {
  FLastError.clear();
  if (FSocket == InvalidSocket) return 0;
  int error = 0;
  ptrdiff_t n = SocketSend(FSocket, buffer + offset, static_cast<size_t>(count), error);
  if (n < 0) {
    SetSocketError("write", error);
    return 0;
  }
  return static_cast<int32_t>(n);
}

int32_t TLxVioTcp::Write(const uint8_t* buffer, int32_t offset, int32_t count) {
  if (FSocket == InvalidSocket) return 0;
  return TLxVio::Write(buffer, offset, count);
}

bool TLxVioTcp::WaitForData(int32_t seconds) {
  FLastError.clear();
  int error = 0;
  int64_t ms = seconds < 0 ? -1 : static_cast<int64_t>(seconds) * 1000;
  int n = FSocket == InvalidSocket ? (error = EBADF, -1) : SocketWaitReadable(FSocket, ms, error);
  if (n < 0) {
    SetSocketError("select", error);
    throw SocketException(ServerGoneError);
  }
  return n == 1;
}
