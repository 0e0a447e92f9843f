#include "platform/win/DragFormats.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/rtl/UnicodeText.h"
#include "platform/win/Clipboard.h"
#include "platform/win/DropFiles.h"

namespace {

bool IsTextTarget(std::string_view target) {
  const auto& text = ForeignTextTargets();
  return std::find(text.begin(), text.end(), target) != text.end();
}

bool IsTableTarget(std::string_view target) {
  return IsTextTarget(target) || target == TargetRtf || target == TargetUriList;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    int high = -1, low = -1;
    if (text[i] == '%' && i + 2 < text.size()) {
      high = HexValue(text[i + 1]);
      low = HexValue(text[i + 2]);
    }
    if (high >= 0 && low >= 0) {
      bytes += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

std::string PercentEncodePath(std::string_view utf8) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (char c : utf8) {
    auto b = static_cast<unsigned char>(c);
    bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                 std::strchr("-._~/", b) != nullptr;
    if (plain && b != 0) {
      out += c;
    } else {
      out += '%';
      out += hex[b >> 4];
      out += hex[b & 15];
    }
  }
  return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

// Whether a URI names a file of this machine (a file:// URI with an empty host or "localhost").
bool IsLocalFileUri(std::string_view uri) {
  if (!StartsWithNoCase(uri, "file://")) return false;
  std::string_view rest = uri.substr(7);
  size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return false;
  std::string_view host = rest.substr(0, slash);
  return host.empty() || (host.size() == 9 && StartsWithNoCase(host, "localhost"));
}

bool BlockOf(IDataObject* data, UINT format, std::string& bytes) {
  FORMATETC wanted;
  wanted.cfFormat = format;
  return ReadDataBlock(data, wanted, bytes);
}

std::string UpToTerminator(std::string bytes) {
  size_t end = bytes.find('\0');
  if (end != std::string::npos) bytes.resize(end);
  return bytes;
}

// The text of a data object as UTF-8: UTF-16 when it is offered, else CF_TEXT.
bool TextOf(IDataObject* data, std::string& utf8) {
  std::string bytes;
  if (BlockOf(data, CF_UNICODETEXT, bytes)) {
    std::u16string text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    text.resize(std::find(text.begin(), text.end(), u'\0') - text.begin());
    utf8 = UTF8Encode(text);
    return true;
  }
  if (!BlockOf(data, CF_TEXT, bytes)) return false;
  utf8 = UpToTerminator(std::move(bytes));
  return true;
}

}  // namespace

bool ReadDataBlock(IDataObject* data, const FORMATETC& format, std::string& bytes) {
  FORMATETC asked = format;
  asked.tymed = TYMED_HGLOBAL;
  STGMEDIUM medium;
  if (!data || data->GetData(&asked, &medium) != S_OK) return false;
  bool ok = medium.tymed == TYMED_HGLOBAL && medium.hGlobal;
  if (ok) {
    const auto* start = static_cast<const char*>(GlobalLock(medium.hGlobal));
    bytes.assign(start, GlobalSize(medium.hGlobal));
    GlobalUnlock(medium.hGlobal);
  }
  ReleaseStgMedium(&medium);
  return ok;
}

const std::vector<std::string>& ForeignTextTargets() {
  static const std::vector<std::string> targets{TargetUtf8String, TargetTextUtf8, TargetText};
  return targets;
}

std::vector<std::string> ForeignTargetsOf(UINT format) {
  if (format == CF_UNICODETEXT || format == CF_TEXT) return ForeignTextTargets();
  if (format == CF_HDROP) return {TargetUriList};
  String name = GetClipboardFormatName(format);
  if (name.empty()) return {};
  if (name == CFSTR_RTF) return {TargetRtf};
  if (name == CFSTR_URL) return {TargetUriList};
  return {UTF8Encode(name)};
}

UINT FormatOfNamedTarget(std::string_view target) {
  if (target.empty() || IsTableTarget(target)) return 0;
  String name = UTF8ToString(target);
  if (name == CFSTR_RTF || name == CFSTR_URL) return 0;
  // Only formats the program knows already: a target of another program registers nothing.
  return FindClipboardFormat(name);
}

TUriList ParseUriList(std::string_view text) {
  TUriList list;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\0' || line.back() == ' '))
      line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (!IsLocalFileUri(line)) {
      list.Urls.push_back(UTF8ToString(line));
      continue;
    }
    std::string path = PercentDecode(line.substr(line.find('/', 7)));
    // A NUL cannot be in a file name: the URI is dropped rather than cut to another name.
    if (path.find('\0') == std::string::npos) list.Files.push_back(UTF8ToString(path));
  }
  return list;
}

std::string MakeUriList(const std::vector<String>& files, const std::vector<String>& urls) {
  std::string list;
  for (const String& file : files) list += "file://" + PercentEncodePath(UTF8Encode(file)) + "\r\n";
  for (const String& url : urls) list += UTF8Encode(url) + "\r\n";
  return list;
}

std::vector<std::string> ExportTargets(IDataObject* data) {
  std::vector<std::string> targets;
  TDragRef<IEnumFORMATETC> formats;
  if (!data || data->EnumFormatEtc(DATADIR_GET, formats.Out()) != S_OK || !formats) return targets;
  FORMATETC entry;
  uint32_t fetched = 0;
  // A misbehaving enumerator that never ends must not hang a drag.
  for (int guard = 0; guard < 256 && formats->Next(1, &entry, &fetched) == S_OK && fetched == 1;
       ++guard) {
    FORMATETC asked;
    asked.cfFormat = entry.cfFormat;
    if (data->QueryGetData(&asked) != S_OK) continue;
    for (std::string& target : ForeignTargetsOf(entry.cfFormat))
      if (std::find(targets.begin(), targets.end(), target) == targets.end())
        targets.push_back(std::move(target));
  }
  return targets;
}

bool ExportData(IDataObject* data, std::string_view target, std::string& bytes) {
  bytes.clear();
  if (!data) return false;
  if (IsTextTarget(target)) return TextOf(data, bytes);
  if (target == TargetRtf) {
    if (!BlockOf(data, RegisterClipboardFormat(CFSTR_RTF), bytes)) return false;
    bytes = UpToTerminator(std::move(bytes));
    return true;
  }
  if (target == TargetUriList) {
    std::vector<String> files;
    std::vector<String> urls;
    std::string block;
    if (BlockOf(data, CF_HDROP, block)) files = ReadDropFiles(block.data(), block.size());
    if (BlockOf(data, RegisterClipboardFormat(CFSTR_URL), block)) {
      std::string url = UpToTerminator(std::move(block));
      if (!url.empty()) urls.push_back(UTF8ToString(url));
    }
    if (files.empty() && urls.empty()) return false;
    bytes = MakeUriList(files, urls);
    return true;
  }
  UINT format = FormatOfNamedTarget(target);
  return format && BlockOf(data, format, bytes);
}
