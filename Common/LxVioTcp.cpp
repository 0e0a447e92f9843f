#include "Common/LxVioTcp.h"

#include <algorithm>
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

int64_t TLxVioTcp::ConnectLimitMs() const {
  int64_t limit = FTimeout > 0 ? static_cast<int64_t>(FTimeout) * 1000 : 0;
  const int64_t left = DeadlineLeftMs();
  if (left < 0) return limit;
  // A deadline already passed still gets the shortest try, which then fails as timed out.
  const int64_t bounded = left > 0 ? left : 1;
  return limit == 0 ? bounded : std::min(limit, bounded);
}

uint32_t TLxVioTcp::ResolveAddress(const AnsiString& host) {
  uint32_t address = ParseIPv4Address(host);
  if (address != NoIPv4Address) return address;
  int error;
  const int64_t limit = ConnectLimitMs();
  if (limit == 0) {
    error = FLookup(host, address);
  } else {
    auto result = THostNameResolver::Resolve(host, limit, FLookup);
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

    if (int rc = SocketConnect(FSocket, address, static_cast<uint16_t>(FPort), ConnectLimitMs());
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

bool TLxVioTcp::WaitReadable(int64_t ms) {
  if (FSocket == InvalidSocket) return true;
  int error = 0;
  // A failed wait is left to the receive, which reports the socket's error.
  return SocketWaitReadable(FSocket, ms, error) != 0;
}

void TLxVioTcp::ReadTimedOut() { SetSocketError("read", EAGAIN); }

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
