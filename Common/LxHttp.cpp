#include "Common/LxHttp.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/rtl/UnicodeText.h"

namespace {

constexpr const char* kNoData = "There is no enough data to read";

AnsiString UpperAscii(AnsiString s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The line without its line break.
AnsiString Chomp(const AnsiString& line) {
  size_t e = line.size();
  while (e > 0 && (line[e - 1] == '\n' || line[e - 1] == '\r')) --e;
  return line.substr(0, e);
}

// The n-th (0-based) blank-separated word.
AnsiString Word(const AnsiString& line, int n) {
  size_t at = 0;
  for (int i = 0;; ++i) {
    at = line.find_first_not_of(" \t\r\n", at);
    if (at == AnsiString::npos) return AnsiString();
    size_t end = line.find_first_of(" \t\r\n", at);
    if (i == n) return line.substr(at, end == AnsiString::npos ? AnsiString::npos : end - at);
    if (end == AnsiString::npos) return AnsiString();
    at = end;
  }
}

// A decimal number in [0, limit], or -1.
int64_t ParseCount(const AnsiString& text, int64_t limit) {
  int64_t value = -1;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > limit)
    return -1;
  return value;
}

[[noreturn]] void Fail(const AnsiString& message) { throw HttpException(AnsiToString(message)); }

}  // namespace

AnsiString TrimHttpText(const AnsiString& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

TLxHttp::TLxHttp(const AnsiString& url) : FUrl(url), FScratch(ChunkSize) {}

TLxHttp::~TLxHttp() { Disconnect(); }

void TLxHttp::SetTimeout(int32_t seconds) {
  if (seconds == FTimeout) return;
  FTimeout = seconds;
  if (FConnection) {
    FConnection->SetTimeout(seconds);
    FConnection->SetSendTimeout(seconds);
  }
}

std::unique_ptr<TLxVioTcp> TLxHttp::CreateConnection(const AnsiString& host, int32_t port) {
  return std::make_unique<TLxVioTcp>(host, port);
}

void TLxHttp::SetProxy(const AnsiString& host, int32_t port) {
  FProxyHost = host;
  FProxyPort = port;
}

void TLxHttp::Get() {
  RTL_ASSERT(!FUrl.empty(), u"The request has no URL");
  FMethod = hmGET;
  DoRequest();
}

void TLxHttp::Post() {
  RTL_ASSERT(!FUrl.empty(), u"The request has no URL");
  FMethod = hmPOST;
  FBody.clear();
  DoRequest();
}

void TLxHttp::Abort() {
  TLockGuard guard(FLock);
  FAborted = true;
  // A connect under way ends within its time-out and is refused then: its socket may be closed
  // by the connect itself at any moment, so it is not touched here.
  if (FConnection && !FConnecting) SocketShutdown(FConnection->GetSocket());
}

void TLxHttp::FreeConnection() {
  // Closed and freed under the lock, so that Abort never shuts down a socket number that has been
  // closed and handed out again.
  TLockGuard guard(FLock);
  if (!FConnection) return;
  FConnection->Close();
  FConnection.reset();
}

void TLxHttp::Disconnect() {
  FreeConnection();
  FReceiveBuffer.Clear();
  FSendBuffer.Clear();
}

void TLxHttp::DoRequest() {
  for (int redirects = 0;; ++redirects) {
    const TLxUrlParts parts = SplitUrl(FUrl);
    if (!parts.User.empty() || !parts.Password.empty()) {
      FHeaderInfo.UserName = parts.User;
      FHeaderInfo.Password = parts.Password;
    }
    int32_t port = DefaultPort(parts.Scheme);
    if (!parts.PortPart.empty()) {
      int64_t given = ParseCount(parts.PortPart.substr(1), 65535);
      if (given < 1) Fail("Invalid port number in the URL");
      port = static_cast<int32_t>(given);
    }
    FPort = port;
    BuildRequestLines(parts, port);
    RunPass(parts, port);

    const bool again = FStatus >= 299 && FStatus <= 399;
    if (!FKeepConnection || again) FreeConnection();
    if (!again) return;
    if (redirects == MaxRedirects)
      Fail("Too many HTTP redirects (more than " + std::to_string(MaxRedirects) + ")");
    if (FStatus >= 300 && FStatus <= 302) {
      if (FLocation.empty()) Fail("HTTP redirect without a location");
      FUrl = FLocation;
    }
    if (FStatus >= 300 && FStatus <= 398) {
      if (!FCookie.empty()) FHeaderInfo.Cookie = FCookie;
      FMethod = hmGET;
      FUrl = MakeAbsolute(FUrl, parts);
    }
  }
}

void TLxHttp::RunPass(const TLxUrlParts& parts, int32_t port) {
  RTL_ASSERT(!FConnection, u"The request's connection is still open");
  const bool proxy = !FProxyHost.empty();
  {
    TLockGuard guard(FLock);
    if (FAborted) Fail("The HTTP request was aborted");
    FConnection =
        std::make_unique<TLxVioTcp>(proxy ? FProxyHost : parts.Host, proxy ? FProxyPort : port);
    FConnecting = true;
  }
  try {
    FConnection->SetTimeout(FTimeout);
    FConnection->SetSendTimeout(FTimeout);
    FConnection->Connect();
    {
      TLockGuard guard(FLock);
      FConnecting = false;
      if (FAborted) Fail("The HTTP request was aborted");
    }
    FStatus = 0;
    FReceiveBuffer.Clear();
    SendRequest();
    ReadResponseHeader();
    if (FStatus >= 400) {
      if (FStatus == 401 && FOnAuthenticate) FOnAuthenticate(this);
      Fail(TrimHttpText(FStatusLine));
    }
  } catch (...) {
    FreeConnection();
    throw;
  }
}

void TLxHttp::SendRequest() {
  RTL_ASSERT(FConnection != nullptr, u"The request has no connection");
  AnsiString head;
  for (const AnsiString& line : FRequestLines) head += line + "\r\n";
  head += "\r\n";
  auto send = [this](const uint8_t* data, int32_t count) {
    if (FConnection->Write(data, 0, count) != count)
      Fail(FConnection->LastError().empty() ? AnsiString("The HTTP request could not be sent")
                                            : StringToAnsi(FConnection->LastError()));
  };
  send(reinterpret_cast<const uint8_t*>(head.data()), static_cast<int32_t>(head.size()));
  if (FMethod != hmPOST && FMethod != hmPUT && FMethod != hmTRACE) return;
  if (FSendBuffer.DataLength() == 0) {
    send(reinterpret_cast<const uint8_t*>(FBody.data()), static_cast<int32_t>(FBody.size()));
    return;
  }
  while (int32_t n = std::min(FSendBuffer.DataLength(), ChunkSize)) {
    FSendBuffer.Read(FScratch.data(), 0, n);
    send(FScratch.data(), n);
  }
}

void TLxHttp::ReadResponseHeader() {
  FContentLength = 0;
  FBodyLeft = -1;
  FCookie.clear();
  FResponseHeader.clear();
  FStatusLine.clear();
  FLocation.clear();

  int64_t bodyLength = -1;
  FStatusLine = ReadLine();
  FResponseHeader = FStatusLine;
  if (UpperAscii(FStatusLine.substr(0, 4)) != "HTTP") Fail("Unknown protocol");
  FStatus = static_cast<uint16_t>(std::max<int64_t>(0, ParseCount(Word(FStatusLine, 1), 65535)));

  for (int count = 0;; ++count) {
    AnsiString line = ReadLine();
    if (line.empty() || line == "\n" || line == "\r\n") break;
    if (count == MaxHeaderLines)
      Fail("The HTTP response header has more than " + std::to_string(MaxHeaderLines) + " lines");
    FResponseHeader += line;
    const AnsiString name = UpperAscii(Word(line, 0));
    if (name == "SET-COOKIE:") {
      AnsiString value = line.size() > 12 ? line.substr(12) : AnsiString();
      size_t semicolon = value.find(';');
      FCookie = semicolon != AnsiString::npos ? value.substr(0, semicolon) : Chomp(value);
    } else if (name == "LOCATION:") {
      FLocation = Chomp(line.size() > 10 ? line.substr(10) : AnsiString()).substr(0, 256);
    } else if (name == "CONTENT-LENGTH:") {
      const AnsiString text = TrimHttpText(line.substr(15));
      bodyLength = ParseCount(text, INT32_MAX);
      // Text that is no number counts as no length; a number out of range is refused.
      const bool numeric =
          !text.empty() && (text[0] == '-' || std::isdigit(static_cast<unsigned char>(text[0])));
      if (bodyLength < 0 && numeric) Fail("Invalid Content-Length in the HTTP response");
      FContentLength = static_cast<int32_t>(std::max<int64_t>(0, bodyLength));
    }
  }
  FBodyLeft = bodyLength;
}

bool TLxHttp::ReceiveMore() {
  int32_t n = FConnection->ReadChunk(FScratch.data(), 0, ChunkSize);
  if (n > 0) {
    FReceiveBuffer.Write(FScratch.data(), 0, n);
    return true;
  }
  if (!FConnection->LastError().empty()) throw HttpException(FConnection->LastError());
  return false;
}

AnsiString TLxHttp::ReadLine() {
  if (!FConnection) return AnsiString();
  int32_t end;
  while ((end = FReceiveBuffer.IndexOf('\n', 0)) < 0) {
    // The whole body is here and ends without a line break: its last line.
    if (FBodyLeft >= 0 && FReceiveBuffer.DataLength() >= FBodyLeft && FBodyLeft > 0) {
      end = static_cast<int32_t>(FBodyLeft) - 1;
      break;
    }
    if (FReceiveBuffer.DataLength() >= MaxLineLength)
      Fail("An HTTP line is longer than " + std::to_string(MaxLineLength / 1024) + " kB");
    if (!ReceiveMore()) Fail(kNoData);
  }
  if (end + 1 > MaxLineLength)
    Fail("An HTTP line is longer than " + std::to_string(MaxLineLength / 1024) + " kB");
  AnsiString line(static_cast<size_t>(end + 1), '\0');
  FReceiveBuffer.Read(reinterpret_cast<uint8_t*>(line.data()), 0, end + 1);
  if (FBodyLeft >= 0) FBodyLeft = std::max<int64_t>(0, FBodyLeft - (end + 1));
  return line;
}

int32_t TLxHttp::Read(uint8_t* buffer, int32_t offset, int32_t count) {
  if (!FConnection || count <= 0) return 0;
  const int32_t wanted =
      FBodyLeft >= 0 ? static_cast<int32_t>(std::min<int64_t>(count, FBodyLeft)) : count;
  int32_t delivered = std::min(wanted, FReceiveBuffer.DataLength());
  FReceiveBuffer.Read(buffer, offset, delivered);
  while (delivered < wanted) {
    int32_t n = FConnection->ReadChunk(buffer, offset + delivered, wanted - delivered);
    if (n <= 0) break;
    delivered += n;
  }
  if (FBodyLeft >= 0) FBodyLeft -= delivered;
  if (delivered < wanted) {
    if (!FConnection->LastError().empty()) throw HttpException(FConnection->LastError());
    if (FBodyLeft > 0) Fail("The HTTP response ended before the length it announced");
  }
  return delivered;
}

bool TLxHttp::WaitForData(int32_t seconds) {
  if (FReceiveBuffer.DataLength() > 0) return true;
  return FConnection ? FConnection->WaitForData(seconds) : false;
}
