// Splitting a URL and building the request lines.
#include <cctype>

#include "Common/LxBase64.h"
#include "Common/LxHttp.h"

namespace {

bool IsSchemeChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

// Removes and returns what follows the first occurrence of the delimiter, the delimiter kept.
AnsiString CutFrom(AnsiString& text, char delimiter) {
  size_t at = text.find(delimiter);
  if (at == AnsiString::npos) return AnsiString();
  AnsiString tail = text.substr(at);
  text.erase(at);
  return tail;
}

bool SameTextAscii(const AnsiString& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && !b[i];
}

}  // namespace

TLxUrlParts TLxHttp::SplitUrl(const AnsiString& url) {
  TLxUrlParts parts;
  AnsiString rest = url;
  parts.Anchor = CutFrom(rest, '#');

  size_t run = 0;
  while (run < rest.size() && IsSchemeChar(rest[run])) ++run;
  if (rest.size() >= 3 && run > 0 && rest.compare(run, 2, ":/") == 0) {
    parts.Scheme = rest.substr(0, run + 1);
    rest.erase(0, run + 1);
  } else {
    parts.Scheme = "http:";
  }

  AnsiString hostPart;
  if (rest.compare(0, 2, "//") == 0) {
    size_t slash = rest.find('/', 2);
    hostPart = rest.substr(2, slash == AnsiString::npos ? AnsiString::npos : slash - 2);
    rest.erase(0, slash == AnsiString::npos ? rest.size() : slash);
  } else {
    size_t slash = rest.find('/');
    hostPart = rest.substr(0, slash);
    rest.erase(0, slash == AnsiString::npos ? rest.size() : slash);
  }

  parts.Query = CutFrom(rest, '?');
  parts.Params = CutFrom(rest, ';');
  if (rest.find('.') != AnsiString::npos) {
    size_t slash = rest.rfind('/');
    size_t start = slash == AnsiString::npos ? 0 : slash + 1;
    parts.Document = rest.substr(start);
    rest.erase(start);
  }
  parts.Path = rest.empty() ? AnsiString("/") : rest;

  if (!hostPart.empty()) {
    size_t at = hostPart.find('@');
    if (at != AnsiString::npos) {
      AnsiString userInfo = hostPart.substr(0, at);
      hostPart.erase(0, at + 1);
      size_t colon = userInfo.find(':');
      parts.User = userInfo.substr(0, colon);
      if (colon != AnsiString::npos) parts.Password = userInfo.substr(colon + 1);
    }
    parts.PortPart = CutFrom(hostPart, ':');
    parts.Host = hostPart;
  }
  return parts;
}

int32_t TLxHttp::DefaultPort(const AnsiString& scheme) {
  static const struct {
    const char* Scheme;
    int32_t Port;
  } ports[] = {{"ftp:", 21},     {"telnet:", 23}, {"smtp:", 25},   {"whois:", 43},
               {"whois++:", 63}, {"gopher:", 70}, {"http:", 80},   {"pop3:", 110},
               {"nntp:", 119},   {"news:", 119},  {"imap2:", 143}, {"irc:", 194},
               {"wais:", 210},   {"imap3:", 220}, {"ldap:", 389},  {"https:", 443}};
  for (const auto& entry : ports)
    if (SameTextAscii(scheme, entry.Scheme)) return entry.Port;
  return 80;
}

void TLxHttp::SetRequestValue(const AnsiString& name, const AnsiString& value) {
  for (AnsiString& line : FRequestLines) {
    size_t colon = line.find(':');
    if (colon != AnsiString::npos && SameTextAscii(line.substr(0, colon), name.c_str())) {
      line = name + ":" + value;
      return;
    }
  }
  FRequestLines.push_back(name + ":" + value);
}

void TLxHttp::BuildRequestLines(const TLxUrlParts& parts, int32_t port) {
  static const char* const methods[] = {"GET ", "OPTIONS ", "HEAD ", "POST ", "PUT ", "TRACE "};
  FRequestLines.clear();
  const bool proxy = !FProxyHost.empty();
  const AnsiString local = parts.Path + parts.Document + parts.Params + parts.Query + parts.Anchor;
  // The proxy gets the whole address, but not the credentials a URL may carry: they travel in
  // the authorization line only.
  AnsiString target = proxy ? parts.Scheme + "//" + parts.Host + parts.PortPart + local : local;
  for (char& c : target)
    if (c == ' ') c = '+';
  FRequestLines.push_back(methods[FMethod] + target + " HTTP/1.0");
  if (proxy) {
    FRequestLines.push_back("Proxy-Connection: Keep-Alive");
    FRequestLines.push_back("Host: " + parts.Host);
    FRequestLines.push_back("Port: " + std::to_string(port));
  }
  SetRequestValue("Host", parts.Host);
  FRequestLines.push_back("Cache-Control: no-store,no-cache");
  FRequestLines.push_back("Pragma: no-cache");
  const std::pair<const char*, const AnsiString*> values[] = {
      {"User-Agent", &FHeaderInfo.UserAgent},
      {"From", &FHeaderInfo.From},
      {"Cookie", &FHeaderInfo.Cookie},
      {"Referer", &FHeaderInfo.Referer}};
  for (const auto& [name, value] : values)
    if (!value->empty()) SetRequestValue(name, *value);
  if (!FHeaderInfo.UserName.empty() && !FHeaderInfo.Password.empty())
    SetRequestValue("Authorization", "Basic " + TBase64::EncodeText(FHeaderInfo.UserName + ":" +
                                                                    FHeaderInfo.Password));
  if (!FHeaderInfo.ProxyUserName.empty() && !FHeaderInfo.ProxyPassword.empty())
    SetRequestValue("Proxy-Authorization",
                    "Basic " + TBase64::EncodeText(FHeaderInfo.ProxyUserName + ":" +
                                                   FHeaderInfo.ProxyPassword));
  if (FMethod == hmPOST || FMethod == hmPUT || FMethod == hmTRACE) {
    FRequestLines.push_back("Content-Type: application/octet-stream");
    const int32_t length = FSendBuffer.DataLength() > 0 ? FSendBuffer.DataLength()
                                                        : static_cast<int32_t>(FBody.size());
    FRequestLines.push_back("Content-Length: " + std::to_string(length));
  }
}

AnsiString TLxHttp::MakeAbsolute(const AnsiString& url, const TLxUrlParts& base) const {
  if (url.find("//") != AnsiString::npos) return url;
  const AnsiString origin = base.Scheme + "//" + base.Host + base.PortPart;
  // A location from the root stays on the host it came from.
  if (!url.empty() && url[0] == '/') return origin + url;
  return origin + base.Path + url;
}
