#include "Common/LxVioHttp.h"

#include <charconv>
#include <random>

#include "platform/net/Sockets.h"
#include "platform/rtl/UnicodeText.h"

namespace {

constexpr uint32_t kFirstWaitMs = 200;
constexpr int kConnectAttempts = 3;
constexpr int32_t kReplyTextLimit = 32768;
// The time-out that bounds the connect when none is set, and the one the keep-alive assumes.
constexpr int32_t kDefaultTimeout = 15;
constexpr int32_t kKeepAliveDefaultTimeout = 7;

bool ParseInteger(const AnsiString& text, int64_t& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Two random numbers below a million, as the script knows the session by.
AnsiString MakeSessionId() {
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<int> below(0, 999999);
  return std::to_string(below(random)) + "_" + std::to_string(below(random));
}

// Counts a read or write as under way for its whole length.
class TBusyScope {
 public:
  explicit TBusyScope(std::atomic<int>& busy) : FBusy(busy) { ++FBusy; }
  ~TBusyScope() { --FBusy; }

 private:
  std::atomic<int>& FBusy;
};

}  // namespace

TLxVioHttp::TLxVioHttp(const THttpOptions& options, int32_t mysqlPort,
                       const AnsiString& mysqlHost) {
  FOptions.Assign(const_cast<THttpOptions*>(&options));
  FBaseUrl = TrimHttpText(StringToAnsi(FOptions.Url()));
  if (FBaseUrl.empty() || FBaseUrl.back() != '/') FBaseUrl += '/';
  const AnsiString query = "s=" + mysqlHost + "&p=" + std::to_string(mysqlPort) +
                           "&id=" + MakeSessionId() + "&port=" + std::to_string(FTunnelNumber);
  FConnectUrl = FBaseUrl + "?a=c&" + query;
  FTestUrl = FBaseUrl + "?a=t&" + query;
}

TLxVioHttp::~TLxVioHttp() {
  Close();
  FKeepAlive.reset();
}

AnsiString TLxVioHttp::ActionUrl(char action) const {
  return FBaseUrl + "?a=" + action + "&port=" + std::to_string(FTunnelNumber);
}

uint32_t TLxVioHttp::KeepAliveFor(int32_t periodSeconds, int32_t timeoutSeconds) {
  const int64_t t = timeoutSeconds > 0 ? timeoutSeconds : kKeepAliveDefaultTimeout;
  const int64_t seconds = 2 * t < periodSeconds ? periodSeconds - t : periodSeconds / 2;
  return seconds > 0 ? static_cast<uint32_t>(seconds * 1000) : 0;
}

std::unique_ptr<TLxHttp> TLxVioHttp::NewRequest(const AnsiString& url) const {
  auto request = std::make_unique<TLxHttp>(url);
  request->SetTimeout(FTimeout);
  request->HeaderInfo().UserName = StringToAnsi(FOptions.Username());
  request->HeaderInfo().Password = StringToAnsi(FOptions.Password());
  const TProxyOptions& proxy = *FOptions.ProxyOptions();
  if (!proxy.Hostname().empty()) {
    request->SetProxy(StringToAnsi(proxy.Hostname()), proxy.Port() > 0 ? proxy.Port() : 8080);
    request->HeaderInfo().ProxyUserName = StringToAnsi(proxy.Username());
    request->HeaderInfo().ProxyPassword = StringToAnsi(proxy.Password());
  }
  return request;
}

void TLxVioHttp::RaisePendingError() {
  if (!FPendingError) return;
  std::exception_ptr error = FPendingError;
  FPendingError = nullptr;
  std::rethrow_exception(error);
}

std::unique_ptr<TLxHttp> TLxVioHttp::RequestWithCheck(const AnsiString& url, bool raisePending) {
  auto request = NewRequest(url);
  {
    TLockGuard guard(FLock);
    if (raisePending) RaisePendingError();
    request->Get();
  }
  CheckReply(*request);
  return request;
}

void TLxVioHttp::CheckReply(TLxHttp& response) {
  try {
    uint8_t flag[3];
    if (response.Read(flag, 0, 3) < 3)
      throw HttpException(u"Invalid script response. Failed to read success flag");
    const AnsiString prefix(reinterpret_cast<const char*>(flag), 3);
    if ((prefix[0] == 'O' || prefix[0] == 'o') && (prefix[1] == 'K' || prefix[1] == 'k') &&
        prefix[2] == ':')
      return;
    AnsiString message = prefix == "ER:" ? AnsiString() : "HTTP Script unknown error: " + prefix;
    TBytes text(kReplyTextLimit);
    int32_t n = response.Read(text.data(), 0, kReplyTextLimit);
    message.append(reinterpret_cast<const char*>(text.data()), static_cast<size_t>(n));
    throw HttpException(message.empty() ? String(u"HTTP Script reported error")
                                        : AnsiToString(message));
  } catch (const Exception&) {
    try {
      Close();
    } catch (...) {
    }
    throw;
  }
}

void TLxVioHttp::ParseTestReply(TLxHttp& response) {
  int64_t number = 0, period = 0;
  if (!ParseInteger(TrimHttpText(response.ReadLine()), number) || number < 0 ||
      number > UINT32_MAX || !ParseInteger(TrimHttpText(response.ReadLine()), period) ||
      period < INT32_MIN || period > INT32_MAX)
    throw HttpException(u"HTTP Script invalid connect response");
  FTunnelNumber = static_cast<uint32_t>(number);
  FKeepAliveInterval = KeepAliveFor(static_cast<int32_t>(period), FTimeout);
}

bool TLxVioHttp::TryTest() {
  try {
    auto response = RequestWithCheck(FTestUrl, true);
    ParseTestReply(*response);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

void TLxVioHttp::Connect() {
  TLxVio::Connect();
  FLastError.clear();
  try {
    const int64_t limitMs =
        static_cast<int64_t>(FTimeout > 0 ? FTimeout.load() : kDefaultTimeout) * 1000;
    uint32_t wait = kFirstWaitMs;
    bool confirmed = false;
    for (int attempt = 0; attempt < kConnectAttempts && !confirmed; ++attempt) {
      // A fresh request each time: one whose thread had to be abandoned may still be in use.
      std::shared_ptr<TLxHttp> request = NewRequest(FConnectUrl);
      auto ended = std::make_shared<TEvent>(true, false);
      const int32_t timeout = FTimeout;
      THttpConnectThread thread([request] { request->Abort(); },
                                [request, ended, timeout] {
                                  bool ok = false;
                                  try {
                                    request->SetTimeout(timeout);
                                    request->Get();
                                    ok = true;
                                  } catch (...) {
                                  }
                                  request->Disconnect();
                                  if (ok) ended->SetEvent();
                                });
      bool seen = false;
      while (!seen && !confirmed && wait < limitMs) {
        seen = ended->WaitFor(wait) == wrSignaled;
        confirmed = TryTest();
        wait *= 2;
      }
    }
    if (!confirmed) throw HttpException(u"Cannot establish HTTP connection");
  } catch (const Exception& e) {
    FLastError = e.Message();
    throw;
  }
  FClosed = false;
  StartKeepAlive();
}

void TLxVioHttp::Close() {
  if (FClosed.exchange(true)) return;
  try {
    RequestWithCheck(ActionUrl('x'), false);
  } catch (...) {
  }
  {
    TLockGuard guard(FLock);
    FPendingError = nullptr;
  }
  // Closed from inside its own tick, the timer only stops: it is freed with the tunnel.
  if (FKeepAlive && FInKeepAlive)
    FKeepAlive->SetEnabled(false);
  else
    FKeepAlive.reset();
  FPendingResponse.reset();
}

void TLxVioHttp::NoteClosed() {
  // A tunnel that a failed keep-alive closed says why.
  TLockGuard guard(FLock);
  FLastError = u"The HTTP tunnel is closed";
  if (!FPendingError) return;
  try {
    std::rethrow_exception(FPendingError);
  } catch (const Exception& e) {
    FLastError = e.Message();
  } catch (...) {
  }
}

int32_t TLxVioHttp::ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) {
  if (count <= 0) return 0;
  if (FClosed) {
    NoteClosed();
    return 0;
  }
  TBusyScope busy(FBusy);
  FLastError.clear();
  int32_t delivered = 0;
  try {
    std::unique_ptr<TLxHttp> response;
    if (FPendingResponse) {
      buffer[offset++] = FLookAhead;
      --count;
      delivered = 1;
      response = std::move(FPendingResponse);
    } else {
      response = RequestWithCheck(ActionUrl('r'), true);
      RestartKeepAlive();
    }
    const int32_t n = count > 0 ? response->Read(buffer, offset, count) : 0;
    delivered += n;
    // More of the reply than was asked for stays for the next read.
    if (n == count && response->Read(&FLookAhead, 0, 1) == 1)
      FPendingResponse = std::move(response);
  } catch (const Exception& e) {
    FLastError = e.Message();
  }
  return delivered;
}

int32_t TLxVioHttp::WriteChunk(const uint8_t* buffer, int32_t offset, int32_t count) {
  if (FClosed) {
    NoteClosed();
    return 0;
  }
  TBusyScope busy(FBusy);
  int32_t sent = 0;
  while (sent < count) {
    const int32_t piece = std::min(count - sent, MaxWritePiece);
    FLastError.clear();
    try {
      TLockGuard guard(FLock);
      RaisePendingError();
      auto request = NewRequest(ActionUrl('w'));
      request->SendBuffer().Write(buffer, offset + sent, piece);
      request->Post();
      CheckReply(*request);
      RestartKeepAlive();
    } catch (const Exception& e) {
      FLastError = e.Message();
      break;
    }
    sent += piece;
  }
  return sent;
}

bool TLxVioHttp::WaitForData(int32_t seconds) {
  return FPendingResponse ? FPendingResponse->WaitForData(seconds) : false;
}

void TLxVioHttp::StartKeepAlive() {
  if (FKeepAliveInterval == 0) return;
  if (!FKeepAlive) {
    auto timer = std::make_unique<TWin32Timer>(nullptr);
    // Without a window session no timer can run.
    if (!timer->WindowHandle()) return;
    timer->SetEnabled(false);
    timer->SetOnTimer([this](TObject*) { KeepAliveTick(); });
    FKeepAlive = std::move(timer);
    FKeepAliveThread = std::this_thread::get_id();
  }
  FKeepAlive->SetInterval(FKeepAliveInterval);
  FKeepAlive->SetEnabled(false);
  FKeepAlive->SetEnabled(true);
}

void TLxVioHttp::RestartKeepAlive() {
  // The window timer belongs to the thread that connected; a read or write on another thread
  // leaves it to count on.
  if (!FKeepAlive || std::this_thread::get_id() != FKeepAliveThread || FClosed) return;
  FKeepAlive->SetEnabled(false);
  FKeepAlive->SetEnabled(true);
}

void TLxVioHttp::KeepAliveTick() {
  FKeepAlive->SetEnabled(false);
  if (FClosed) return;
  if (FBusy > 0) {
    FKeepAlive->SetEnabled(true);
    return;
  }
  bool sent = false;
  FInKeepAlive = true;
  {
    TLockGuard guard(FLock);
    try {
      auto request = NewRequest(ActionUrl('l'));
      request->Get();
      CheckReply(*request);
      sent = true;
    } catch (const SocketException& e) {
      FPendingError = std::make_exception_ptr(SocketException(e.Message(), e.ErrorCode()));
    } catch (const HttpException& e) {
      FPendingError = std::make_exception_ptr(HttpException(e.Message()));
    } catch (const Exception& e) {
      FPendingError = std::make_exception_ptr(Exception(e.Message()));
    }
  }
  FInKeepAlive = false;
  if (sent && !FClosed) FKeepAlive->SetEnabled(true);
}
