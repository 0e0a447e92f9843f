// The local transport to a server on this machine. What the protocol calls a named pipe is, on
// this system, the server's Unix socket: the pipe name is the socket file's path.
#pragma once

#include <cstdint>

#include "Common/LxVio.h"
#include "platform/net/Sockets.h"

class TMySqlVioPipe : public TLxVio {
 public:
  // The socket file of a server installed from the system's packages.
  static constexpr const char* DefaultPipeName = "/run/mysqld/mysqld.sock";

  // An empty pipe name means DefaultPipeName. The port is kept but not used.
  TMySqlVioPipe(const AnsiString& host, const AnsiString& pipeName, int32_t port);
  ~TMySqlVioPipe() override;

  // The limit (seconds) of the wait for a server whose queue is full, and the receive time-out
  // once connected, as on TCP; below 1 means none.
  int32_t GetTimeout() override { return FTimeout; }
  void SetTimeout(int32_t seconds) override;

  // Raises EMySqlException: 2017 when the host is not this machine or the socket cannot be
  // reached, 2016 when the server stays busy past the time-out, 2018 when the connected socket
  // cannot take its time-out. The transport is closed after a failure and can be connected anew.
  void Connect() override;
  void Close() override;
  int32_t ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) override;
  // Sends at most 65535 bytes at a time; the base Write sends the rest.
  int32_t WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) override;
  // Raises SocketException 2006 when the wait itself fails.
  bool WaitForData(int32_t seconds) override;

  bool IsConnected() const { return FSocket != InvalidSocket; }
  const AnsiString& Host() const { return FHost; }
  const AnsiString& PipeName() const { return FPipeName; }

  // Whether a host names this machine: empty, ".", "localhost" in any case, a loopback address or
  // this machine's own name.
  static bool IsLocalHost(const AnsiString& host);

 protected:
  bool WaitReadable(int64_t ms) override;
  void ReadTimedOut() override;

 private:
  [[noreturn]] void RaisePipeError(int32_t number, const String& reason);
  void ApplyReceiveTimeout();

  TSocketHandle FSocket = InvalidSocket;
  AnsiString FHost;
  int32_t FPort;
  AnsiString FPipeName;
  int32_t FTimeout = 30;
};
