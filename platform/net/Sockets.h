// TCP sockets over the POSIX socket calls, with time-outs. The calls report failure through their
// result and an errno code and never raise: the transports above decide what a failure means and
// raise SocketException where they must.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

// The error of the socket layer and of every transport built on it. ErrorCode() is a client error
// number (2003, 2005, 2006) or a system code; the message may be empty.
class SocketException : public Exception {
 public:
  SocketException(String message, int32_t errorCode)
      : Exception(std::move(message)), FErrorCode(errorCode) {}
  // An error with a code and no message.
  explicit SocketException(int32_t errorCode) : Exception(String()), FErrorCode(errorCode) {}

  int32_t ErrorCode() const { return FErrorCode; }

 private:
  int32_t FErrorCode;
};

using TSocketHandle = int;
constexpr TSocketHandle InvalidSocket = -1;
// An IPv4 address in network byte order; this value means "none".
constexpr uint32_t NoIPv4Address = 0xFFFFFFFFu;

// The address of a dotted IPv4 text ("127.0.0.1"), or NoIPv4Address when the text is not one.
uint32_t ParseIPv4Address(const AnsiString& host);

// Resolves a host name to its first IPv4 address, blocking. Returns 0 and the address, or a
// non-zero error code (an errno value, or EHOSTUNREACH when the name has no IPv4 address).
int LookupHostIPv4(const AnsiString& host, uint32_t& address);

// A new blocking TCP socket, or InvalidSocket with the errno code in error.
TSocketHandle SocketOpenTcp(int& error);

// Connects to address:port. With timeoutMs > 0 the attempt gives up after that many milliseconds
// with ETIMEDOUT; otherwise it waits as long as the system does. Returns 0 or an errno code. The
// socket stays blocking either way.
int SocketConnect(TSocketHandle socket, uint32_t address, uint16_t port, int64_t timeoutMs);

// TCP_NODELAY and SO_KEEPALIVE. Return 0 or an errno code.
int SocketSetNoDelay(TSocketHandle socket, bool on);
int SocketSetKeepAlive(TSocketHandle socket, bool on);

// SO_RCVTIMEO and SO_SNDTIMEO in milliseconds; 0 means none. Return 0 or an errno code.
int SocketSetReceiveTimeout(TSocketHandle socket, int64_t milliseconds);
int SocketSetSendTimeout(TSocketHandle socket, int64_t milliseconds);

// One receive of at most count bytes: the count received, 0 after an orderly shutdown by the peer,
// or -1 with the errno code in error (EAGAIN when the receive time-out passed).
ptrdiff_t SocketReceive(TSocketHandle socket, void* buffer, size_t count, int& error);

// One send of at most count bytes: the count sent, or -1 with the errno code in error. A peer that
// has gone gives EPIPE, never a signal.
ptrdiff_t SocketSend(TSocketHandle socket, const void* buffer, size_t count, int& error);

// Waits until the socket can be read (data or the peer's close). timeoutMs < 0 waits without
// limit. Returns 1 when readable, 0 when the time passed, -1 with the errno code in error.
int SocketWaitReadable(TSocketHandle socket, int64_t timeoutMs, int& error);

// shutdown(SHUT_RDWR) and close; errors are of no use at this point and are ignored.
void SocketShutdown(TSocketHandle socket);
void SocketClose(TSocketHandle socket);
