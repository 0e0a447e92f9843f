#include "MySql/MySqlVioPipe.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "MySql/MySqlErrors.h"
#include "platform/net/LocalSockets.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr int32_t kCannotWait = 2016;
constexpr int32_t kCannotOpen = 2017;
constexpr int32_t kCannotSetState = 2018;
constexpr int32_t kServerGone = 2006;
constexpr int32_t kLargestWrite = 65535;

String SystemText(int code) { return UTF8ToString(std::strerror(code)); }

bool IsLoopbackAddress(const AnsiString& host) {
  if (host == "::1") return true;
  uint32_t address = ParseIPv4Address(host);
  // In network byte order the first byte of the address comes first in memory.
  return address != NoIPv4Address && reinterpret_cast<const uint8_t*>(&address)[0] == 127;
}

// Host names are compared with only A-Z folded, as the resolver does.
bool SameHostName(const AnsiString& a, const char* b) {
  return SameText(UTF8ToString(a), UTF8ToString(b));
}

}  // namespace

TMySqlVioPipe::TMySqlVioPipe(const AnsiString& host, const AnsiString& pipeName, int32_t port)
    : FHost(host), FPort(port), FPipeName(pipeName) {}

TMySqlVioPipe::~TMySqlVioPipe() { Close(); }

bool TMySqlVioPipe::IsLocalHost(const AnsiString& host) {
  if (host.empty() || host == "." || SameHostName(host, "localhost") || IsLoopbackAddress(host))
    return true;
  char own[HOST_NAME_MAX + 1] = {};
  return gethostname(own, sizeof own - 1) == 0 && SameHostName(host, own);
}

void TMySqlVioPipe::SetTimeout(int32_t seconds) {
  if (seconds == FTimeout) return;
  FTimeout = seconds;
  if (FSocket != InvalidSocket) ApplyReceiveTimeout();
}

void TMySqlVioPipe::ApplyReceiveTimeout() {
  int64_t ms = FTimeout > 0 ? static_cast<int64_t>(FTimeout) * 1000 : 0;
  if (int rc = SocketSetReceiveTimeout(FSocket, ms); rc != 0)
    RaisePipeError(kCannotSetState, SystemText(rc));
}

void TMySqlVioPipe::RaisePipeError(int32_t number, const String& reason) {
  Close();
  const AnsiString host = FHost.empty() ? AnsiString("localhost") : FHost;
  throw EMySqlException::CreateFmt(number, String(), {host, FPipeName, reason});
}

void TMySqlVioPipe::Connect() {
  RTL_ASSERT(FSocket == InvalidSocket, u"The socket is already open");
  TLxVio::Connect();
  FLastError.clear();
  if (FPipeName.empty()) FPipeName = DefaultPipeName;
  if (!IsLocalHost(FHost))
    RaisePipeError(kCannotOpen, u"a named pipe on another host cannot be reached from here: "
                                u"the local socket serves this machine only");

  int error = 0;
  FSocket = SocketOpenLocal(error);
  if (FSocket == InvalidSocket) RaisePipeError(kCannotOpen, SystemText(error));
  int64_t limit = FTimeout > 0 ? static_cast<int64_t>(FTimeout) * 1000 : 0;
  if (int rc = SocketConnectLocal(FSocket, FPipeName, limit); rc != 0)
    RaisePipeError(rc == ETIMEDOUT ? kCannotWait : kCannotOpen, SystemText(rc));
  ApplyReceiveTimeout();
}

void TMySqlVioPipe::Close() {
  if (FSocket == InvalidSocket) return;
  SocketShutdown(FSocket);
  SocketClose(FSocket);
  FSocket = InvalidSocket;
}

int32_t TMySqlVioPipe::ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) {
  FLastError.clear();
  if (FSocket == InvalidSocket) return 0;
  int error = 0;
  ptrdiff_t n = SocketReceive(FSocket, buffer + offset, static_cast<size_t>(count), error);
  if (n < 0) {
    FLastError = SystemText(error);
    return 0;
  }
  return static_cast<int32_t>(n);
}

int32_t TMySqlVioPipe::WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) {
  FLastError.clear();
  if (FSocket == InvalidSocket) return 0;
  int error = 0;
  size_t piece = static_cast<size_t>(std::min(count, kLargestWrite));
  ptrdiff_t n = SocketSend(FSocket, buffer + offset, piece, error);
  if (n < 0) {
    FLastError = SystemText(error);
    return 0;
  }
  return static_cast<int32_t>(n);
}

bool TMySqlVioPipe::WaitReadable(int64_t ms) {
  if (FSocket == InvalidSocket) return true;
  int error = 0;
  // A failed wait is left to the receive, which reports the socket's error.
  return SocketWaitReadable(FSocket, ms, error) != 0;
}

void TMySqlVioPipe::ReadTimedOut() { FLastError = SystemText(EAGAIN); }

bool TMySqlVioPipe::WaitForData(int32_t seconds) {
  FLastError.clear();
  int error = EBADF;
  int64_t ms = seconds < 0 ? -1 : static_cast<int64_t>(seconds) * 1000;
  int n = FSocket == InvalidSocket ? -1 : SocketWaitReadable(FSocket, ms, error);
  if (n < 0) {
    FLastError = SystemText(error);
    throw SocketException(kServerGone);
  }
  return n == 1;
}
