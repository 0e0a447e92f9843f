// A small HTTP/1.0 client for the HTTP tunnel: one request at a time over a TCP connection of its
// own, directly or through a proxy, with basic authentication; it follows redirects, reads the
// response header and lets the caller read the body as raw bytes or lines.
//
// Everything read from the server is bounded: a line (the status line, a header line, a line of
// the body) longer than 64 kB, a header of more than MaxHeaderLines lines, a Content-Length that is
// negative or above 2 GB, more than MaxRedirects redirects, and a body that ends before its
// Content-Length all raise HttpException instead of reading on. Error texts never carry the
// credentials.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Common/LxDataBuffer.h"
#include "Common/LxVioTcp.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/SyncObjs.h"
#include "platform/rtl/Types.h"

DECLARE_EXCEPTION(HttpException, Exception)

// Who asks, and with which credentials (the server's and the proxy's).
class THeaderInfo : public TPersistent {
 public:
  AnsiString UserAgent;
  AnsiString From;
  AnsiString Cookie;
  AnsiString Referer;
  AnsiString UserName;
  AnsiString Password;
  AnsiString ProxyUserName;
  AnsiString ProxyPassword;
};

// Blanks and line breaks off both ends of a header or reply text.
AnsiString TrimHttpText(const AnsiString& text);

enum TLxHttpMethod : uint8_t { hmGET, hmOPTIONS, hmHEAD, hmPOST, hmPUT, hmTRACE };

// The parts of a URL, each with its delimiter: "http:", "host", ":8080", "/a/b/", "doc.php",
// ";params", "?query", "#anchor".
struct TLxUrlParts {
  AnsiString Scheme, User, Password, Host, PortPart, Query, Document, Params, Path, Anchor;
};

class TLxHttp : public TPersistent {
 public:
  static constexpr int32_t ChunkSize = 32768;
  static constexpr int32_t MaxLineLength = 65536;
  static constexpr int32_t MaxHeaderLines = 256;
  static constexpr int MaxRedirects = 10;

  explicit TLxHttp(const AnsiString& url);
  ~TLxHttp() override;

  static TLxUrlParts SplitUrl(const AnsiString& url);
  // The port a scheme ("http:", compared ignoring case) uses by default; 80 for unknown ones.
  static int32_t DefaultPort(const AnsiString& scheme);

  const AnsiString& Url() const { return FUrl; }
  void SetUrl(const AnsiString& url) { FUrl = url; }
  int32_t Timeout() const { return FTimeout; }
  // Passed on to an open connection; it bounds the connect, every receive and every send.
  void SetTimeout(int32_t seconds);
  void SetProxy(const AnsiString& host, int32_t port);
  THeaderInfo& HeaderInfo() { return FHeaderInfo; }
  // Whether the connection stays open after a request for its body to be read (default true).
  void SetKeepConnection(bool value) { FKeepConnection = value; }
  // Called after a 401 response, before the request fails.
  void SetOnAuthenticate(std::function<void(TLxHttp*)> handler) {
    FOnAuthenticate = std::move(handler);
  }
  // The body of a POST; the body text is sent when it is empty.
  TDataBuffer& SendBuffer() { return FSendBuffer; }
  void SetBody(const AnsiString& body) { FBody = body; }

  // Send the request and read the response header; HttpException for a status of 400 or above.
  void Get();
  void Post();
  // From another thread: ends a request that waits on the network (its socket is shut down) and
  // refuses every later one of this client.
  void Abort();
  // Closes the connection and empties both buffers.
  void Disconnect();

  bool WaitForData(int32_t seconds);
  // The body up to and including the next line feed; empty without a connection.
  AnsiString ReadLine();
  // Up to count bytes of the body: fewer only at its end.
  int32_t Read(uint8_t* buffer, int32_t offset, int32_t count);

  // --- the last request and its response ---
  const std::vector<AnsiString>& RequestLines() const { return FRequestLines; }
  uint16_t Status() const { return FStatus; }
  const AnsiString& StatusLine() const { return FStatusLine; }
  const AnsiString& ResponseHeader() const { return FResponseHeader; }
  const AnsiString& Location() const { return FLocation; }
  const AnsiString& Cookie() const { return FCookie; }
  int32_t ContentLength() const { return FContentLength; }

 protected:
  // The connection of one pass, not yet connected (to the proxy when one is set).
  virtual std::unique_ptr<TLxVioTcp> CreateConnection(const AnsiString& host, int32_t port);

 private:
  void DoRequest();
  // One pass: connect, send, read the header. Returns the status.
  void RunPass(const TLxUrlParts& parts, int32_t port);
  void BuildRequestLines(const TLxUrlParts& parts, int32_t port);
  void SetRequestValue(const AnsiString& name, const AnsiString& value);
  void SendRequest();
  void ReadResponseHeader();
  void FreeConnection();
  // Receives once into the receive buffer; false at the end of the stream.
  bool ReceiveMore();
  AnsiString MakeAbsolute(const AnsiString& url, const TLxUrlParts& base) const;

  AnsiString FResponseHeader, FLocation, FCookie, FBody, FUrl;
  TLxHttpMethod FMethod = hmGET;
  std::vector<AnsiString> FRequestLines;
  THeaderInfo FHeaderInfo;
  uint16_t FStatus = 0;
  AnsiString FStatusLine;
  int32_t FContentLength = 0;
  // Body bytes still to come; -1 when the response has no Content-Length (it ends with the
  // connection).
  int64_t FBodyLeft = -1;
  std::unique_ptr<TLxVioTcp> FConnection;
  int32_t FTimeout = 15;
  int32_t FPort = 80;
  AnsiString FProxyHost;
  int32_t FProxyPort = 8080;
  TCriticalSection FLock;
  bool FConnecting = false;
  std::atomic<bool> FAborted{false};
  TDataBuffer FReceiveBuffer{ChunkSize};
  TDataBuffer FSendBuffer{ChunkSize};
  TBytes FScratch;
  bool FKeepConnection = true;
  std::function<void(TLxHttp*)> FOnAuthenticate;
};
