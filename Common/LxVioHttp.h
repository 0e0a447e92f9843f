// The HTTP tunnel: the MySQL byte stream carried through a tunnel script on the server's side,
// reached over HTTP, for networks where only HTTP gets out. Every transport operation becomes
// requests to the script: a connect request held open by a worker thread while the tunnel is
// set up, a test request that gives the tunnel's number and keep-alive period, read and write
// requests, keep-alive requests from a window timer, and a close request. Every reply body begins
// with "OK:" or "ER:".
//
// The keep-alive runs on the thread that connected, through a window timer, so it needs a window
// session; a process without one (a test or tool that shows no window) runs no keep-alive. It
// never sends while a read or write of the tunnel is under way: that request counts as activity.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

#include "Common/LxHttp.h"
#include "Common/LxVio.h"
#include "Common/Win32Timer.h"
#include "platform/rtl/SyncObjs.h"
#include "platform/rtl/Threads.h"

// A worker thread that runs one handler at once. Its destruction calls the abort handler
// (ignoring its exceptions) and waits for the thread; a thread that still runs after the wait is
// abandoned, never killed, and joined later (by a later abandonment, JoinAbandoned, or at process
// exit). The handlers must therefore own, shared, whatever they touch.
class THttpConnectThread {
 public:
  static constexpr uint32_t AbandonAfterMs = 2000;

  THttpConnectThread(std::function<void()> abortHandler, std::function<void()> runHandler);
  ~THttpConnectThread();
  THttpConnectThread(const THttpConnectThread&) = delete;
  THttpConnectThread& operator=(const THttpConnectThread&) = delete;

  // Abandoned threads not yet joined (finished ones are joined first).
  static size_t AbandonedCount();
  static void JoinAbandoned();

 private:
  struct TState;
  std::function<void()> FAbort;
  std::shared_ptr<TState> FState;
  std::thread FThread;
};

class TLxVioHttp : public TLxVio {
 public:
  static constexpr int32_t MaxWritePiece = 0x200000;

  TLxVioHttp(const THttpOptions& options, int32_t mysqlPort, const AnsiString& mysqlHost);
  ~TLxVioHttp() override;

  int32_t GetTimeout() override { return FTimeout; }
  void SetTimeout(int32_t seconds) override { FTimeout = seconds; }
  // HttpException "Cannot establish HTTP connection" when the tunnel is not confirmed within
  // three attempts.
  void Connect() override;
  // Sends the close request once; its failures are ignored.
  void Close() override;
  int32_t ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) override;
  // Posts the bytes in pieces of at most MaxWritePiece; the count of the pieces that went through.
  int32_t WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) override;
  int32_t Write(const uint8_t* buffer, int32_t offset, int32_t count) override {
    return WriteChunk(buffer, offset, count);
  }
  bool WaitForData(int32_t seconds) override;

  // --- what the tunnel knows ---
  const AnsiString& BaseUrl() const { return FBaseUrl; }
  // The address of a request of the action ('r', 'w', 'l', 'x') on this tunnel.
  AnsiString ActionUrl(char action) const;
  uint32_t TunnelNumber() const { return FTunnelNumber; }
  bool Closed() const { return FClosed; }
  // Milliseconds; 0 until the test reply gave the period.
  uint32_t KeepAliveInterval() const { return FKeepAliveInterval; }
  // The keep-alive timer, or nil when none runs.
  TWin32Timer* KeepAliveTimer() const { return FKeepAlive.get(); }

  // The interval (milliseconds) for the period the script announced and the tunnel's time-out.
  static uint32_t KeepAliveFor(int32_t periodSeconds, int32_t timeoutSeconds);

 private:
  std::unique_ptr<TLxHttp> NewRequest(const AnsiString& url) const;
  // Raises and forgets the failure of the last keep-alive.
  void RaisePendingError();
  // LastError of a read or write on the closed tunnel.
  void NoteClosed();
  // Sends a GET under the lock and checks the reply; the response is left for its body.
  std::unique_ptr<TLxHttp> RequestWithCheck(const AnsiString& url, bool raisePending);
  // Reads the reply's "OK:"; anything else closes the tunnel and raises the script's error.
  void CheckReply(TLxHttp& response);
  bool TryTest();
  void ParseTestReply(TLxHttp& response);
  void StartKeepAlive();
  void RestartKeepAlive();
  void KeepAliveTick();

  THttpOptions FOptions;
  AnsiString FBaseUrl;
  AnsiString FTestUrl;
  AnsiString FConnectUrl;
  std::atomic<uint32_t> FTunnelNumber{0};
  std::atomic<bool> FClosed{true};
  std::unique_ptr<TLxHttp> FPendingResponse;
  uint8_t FLookAhead = 0;
  std::atomic<int32_t> FTimeout{15};
  uint32_t FKeepAliveInterval = 0;
  TCriticalSection FLock;
  std::exception_ptr FPendingError;
  // Reads and writes under way: the keep-alive waits for none of them and skips its turn.
  std::atomic<int> FBusy{0};
  std::unique_ptr<TWin32Timer> FKeepAlive;
  std::thread::id FKeepAliveThread;
  bool FInKeepAlive = false;
};
