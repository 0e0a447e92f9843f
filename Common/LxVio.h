// The byte-stream transport that the MySQL protocol engine talks through, with a read-ahead buffer,
// and the transport over a user-supplied IO handler.
//
// Transports never raise on a failed receive or send: ReadChunk and WriteChunk return 0 and leave a
// description in LastError(), so Read and Write return short counts and the packet layer turns that
// into its "lost connection" error.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/rtl/Component.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Types.h"

class TLxVio {
 public:
  static constexpr int32_t ReadAheadSize = 16384;
  // Requests of this many bytes or more bypass the read-ahead buffer.
  static constexpr int32_t DirectReadSize = 2048;

  TLxVio() = default;
  virtual ~TLxVio() = default;
  TLxVio(const TLxVio&) = delete;
  TLxVio& operator=(const TLxVio&) = delete;

  // Text of the last transport failure; empty when the last operation succeeded.
  const String& LastError() const { return FLastError; }

  virtual int32_t GetTimeout() = 0;
  virtual void SetTimeout(int32_t seconds) = 0;
  // Resets the read-ahead state and allocates its buffer; every override calls it first.
  virtual void Connect();
  virtual void Close() = 0;
  // One receive of at most count bytes into buffer + offset; 0 on failure.
  virtual int32_t ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) = 0;
  // One send of at most count bytes; 0 on failure.
  virtual int32_t WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) = 0;
  // Delivers count bytes, through the read-ahead buffer for small requests; fewer when a receive
  // fails or the peer closes.
  virtual int32_t Read(uint8_t* buffer, int32_t offset, int32_t count);
  // Writes count bytes, retrying a send that moves nothing; gives up at the third such send.
  virtual int32_t Write(const uint8_t* buffer, int32_t offset, int32_t count);
  // Whether data can be read within the time (seconds; negative waits without limit).
  virtual bool WaitForData(int32_t seconds);

  // A point in time by which every read must have ended, however the data trickles in (the
  // connect's time-out bounds the whole connect, not each read). Cleared, reads wait as the
  // time-out says.
  void SetDeadline(std::chrono::steady_clock::time_point deadline) { FDeadline = deadline; }
  void ClearDeadline() { FDeadline.reset(); }
  // Milliseconds left until the deadline (at least 1 while some is left, 0 once it has passed);
  // -1 without a deadline.
  int64_t DeadlineLeftMs() const;

 protected:
  // Waits at most ms milliseconds for data to read; false when none came. A transport that
  // cannot wait says true and lets its read and its own time-out decide; one that keeps bytes of
  // its own beyond the socket (decrypted ones) says true while it holds some.
  virtual bool WaitReadable(int64_t ms);
  // Notes in LastError that a read ended at the deadline.
  virtual void ReadTimedOut();

  // The pause after a receive or send that moved nothing (10 ms), before giving up or retrying.
  virtual void PauseAfterFailure();
  // Bytes received into the read-ahead buffer and not yet delivered.
  int32_t BufferedCount() const { return FBuffered - FReadPosition; }

  String FLastError;

 private:
  int32_t TakeBuffered(uint8_t* buffer, int32_t offset, int32_t count);
  // Whether a receive may start: always without a deadline; with one, when data comes in time.
  bool ReceiveInTime();

  std::optional<std::chrono::steady_clock::time_point> FDeadline;

  TBytes FReadAhead;
  int32_t FBuffered = 0;
  int32_t FReadPosition = 0;
};

// An opaque, non-zero handle of a connection that an IO handler opened.
using TLxConnectionHandle = intptr_t;

// The extension point through which an application supplies a transport of its own. Connect is
// an operation of the handler object; the others receive the handle Connect returned and use no
// per-object state, so one handler serves every connection it opened. Operations that a handler
// does not supply fail the assertion "Not overriden in an inherited class".
class TLxIOHandler : public TComponent {
 public:
  using TComponent::TComponent;

  // Called when the handler is assigned to or removed from a connection component.
  virtual void RegisterClient(TComponent* client) { (void)client; }
  virtual void UnRegisterClient(TComponent* client) { (void)client; }
  // Switches the connection to TLS (mode 1 during the login); nothing by default.
  virtual void StartTLS(TLxConnectionHandle handle, int32_t mode) { (void)handle, (void)mode; }

  virtual TLxConnectionHandle Connect(const AnsiString& host, int32_t port,
                                      const AnsiString& keyFile, const AnsiString& certFile,
                                      const AnsiString& caFile) = 0;
  virtual void Disconnect(TLxConnectionHandle handle);
  virtual int32_t Read(TLxConnectionHandle handle, uint8_t* buffer, int32_t offset, int32_t count);
  virtual int32_t Write(TLxConnectionHandle handle, const uint8_t* buffer, int32_t offset,
                        int32_t count);
  virtual bool WaitForData(TLxConnectionHandle handle, int32_t seconds);
  virtual int32_t GetTimeout(TLxConnectionHandle handle);
  virtual void SetTimeout(TLxConnectionHandle handle, int32_t seconds);
};

// Calls the handler's registration operations for the connection component.
class TLxIOHandlerUtils {
 public:
  static void RegisterClient(TLxIOHandler* handler, TComponent* client);
  static void UnRegisterClient(TLxIOHandler* handler, TComponent* client);
};

// The transport over an IO handler. Exceptions of the handler pass through unchanged.
class TLxVioHandler : public TLxVio {
 public:
  // The handler must not be nil (assertion).
  TLxVioHandler(const AnsiString& host, int32_t port, TLxIOHandler* handler,
                const AnsiString& keyFile, const AnsiString& certFile, const AnsiString& caFile);
  ~TLxVioHandler() override;

  int32_t GetTimeout() override;
  void SetTimeout(int32_t seconds) override;
  void Connect() override;
  void Close() override;
  int32_t ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) override;
  // Not used: Write goes to the handler in one call.
  int32_t WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) override;
  int32_t Read(uint8_t* buffer, int32_t offset, int32_t count) override;
  int32_t Write(const uint8_t* buffer, int32_t offset, int32_t count) override;
  bool WaitForData(int32_t seconds) override;
  // Asks the handler to switch the open connection to TLS.
  void StartTLS(int32_t mode);

  TLxIOHandler* IOHandler() const { return FIOHandler; }
  TLxConnectionHandle Handle() const { return FHandle; }

 private:
  TLxIOHandler* FIOHandler;
  TLxConnectionHandle FHandle = 0;
  AnsiString FHost;
  int32_t FPort;
  int32_t FTimeout = 0;
  AnsiString FKeyFile, FCertFile, FCAFile;
};

// The proxy the HTTP tunnel goes through.
class TProxyOptions : public TPersistent {
 public:
  const String& Hostname() const { return FHostname; }
  void SetHostname(const String& v) { FHostname = v; }
  int32_t Port() const { return FPort; }
  void SetPort(int32_t v) { FPort = v; }
  const String& Username() const { return FUsername; }
  void SetUsername(const String& v) { FUsername = v; }
  const String& Password() const { return FPassword; }
  void SetPassword(const String& v) { FPassword = v; }

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  String FHostname;
  int32_t FPort = 0;
  String FUsername;
  String FPassword;
};

// Settings through which a connection asks for the HTTP tunnel.
class THttpOptions : public TPersistent {
 public:
  THttpOptions();
  ~THttpOptions() override;

  const String& Url() const { return FUrl; }
  void SetUrl(const String& v) { FUrl = v; }
  const String& Username() const { return FUsername; }
  void SetUsername(const String& v) { FUsername = v; }
  const String& Password() const { return FPassword; }
  void SetPassword(const String& v) { FPassword = v; }
  // Owned; setting it copies the given options into the owned object.
  TProxyOptions* ProxyOptions() const { return FProxyOptions.get(); }
  void SetProxyOptions(TProxyOptions* v) { FProxyOptions->Assign(v); }

  // Equal when other exists and every text and the proxy's settings match exactly.
  bool Equals(const THttpOptions* other) const;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  String FUrl;
  String FUsername;
  String FPassword;
  std::unique_ptr<TProxyOptions, TObjectFree> FProxyOptions;
};
