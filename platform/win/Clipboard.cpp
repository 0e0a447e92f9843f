#include "platform/win/Clipboard.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

TClipboardState& State() { return WindowSystem().Clipboard; }

HGLOBAL Find(UINT format) {
  for (auto& [f, block] : State().Data)
    if (f == format) return block;
  return nullptr;
}

// CF_TEXT from CF_UNICODETEXT and the other way round, made when first asked for.
HGLOBAL Synthesize(UINT format) {
  if (format == CF_TEXT || format == CF_OEMTEXT) {
    HGLOBAL wide = Find(CF_UNICODETEXT);
    if (!wide) return nullptr;
    const auto* chars = static_cast<const char16_t*>(GlobalLock(wide));
    size_t count = GlobalSize(wide) / 2;
    String text(chars, std::find(chars, chars + count, u'\0'));
    GlobalUnlock(wide);
    AnsiString utf8 = UTF8Encode(text);
    return GlobalFromBytes(utf8.c_str(), utf8.size() + 1);
  }
  if (format == CF_UNICODETEXT) {
    HGLOBAL narrow = Find(CF_TEXT);
    if (!narrow) return nullptr;
    const auto* bytes = static_cast<const char*>(GlobalLock(narrow));
    size_t count = GlobalSize(narrow);
    String text = UTF8ToString(std::string_view(bytes, strnlen(bytes, count)));
    GlobalUnlock(narrow);
    return GlobalFromBytes(text.c_str(), (text.size() + 1) * 2);
  }
  return nullptr;
}

bool Synthesizable(UINT format) {
  return ((format == CF_TEXT || format == CF_OEMTEXT) && Find(CF_UNICODETEXT)) ||
         (format == CF_UNICODETEXT && Find(CF_TEXT));
}

}  // namespace

TClipboardState::~TClipboardState() {
  for (auto& [format, block] : Data) GlobalFree(block);
}

void TClipboardState::Clear() {
  for (auto& [format, block] : Data) GlobalFree(block);
  Data.clear();
  ++Sequence;
}

UINT RegisterClipboardFormat(const String& name) { return RegisterWindowMessage(name); }

String GetClipboardFormatName(UINT format) {
  const auto& names = WindowSystem().RegisteredMessages;
  if (format < WM_REGISTERED_FIRST || format - WM_REGISTERED_FIRST >= names.size()) return {};
  return names[format - WM_REGISTERED_FIRST];
}

UINT FindClipboardFormat(const String& name) {
  const auto& names = WindowSystem().RegisteredMessages;
  for (size_t i = 0; i < names.size(); ++i)
    if (SameText(names[i], name)) return WM_REGISTERED_FIRST + static_cast<UINT>(i);
  return 0;
}

bool OpenClipboard(HWND owner) {
  TClipboardState& clipboard = State();
  if (clipboard.Open && clipboard.Opener != owner) return false;
  clipboard.Open = true;
  clipboard.Opener = owner;
  return true;
}

bool CloseClipboard() {
  TClipboardState& clipboard = State();
  if (!clipboard.Open) return false;
  clipboard.Open = false;
  clipboard.Opener = nullptr;
  return true;
}

bool EmptyClipboard() {
  TClipboardState& clipboard = State();
  if (!clipboard.Open) return false;
  clipboard.Clear();
  clipboard.Owner = clipboard.Opener;
  return true;
}

HGLOBAL SetClipboardData(UINT format, HGLOBAL data) {
  TClipboardState& clipboard = State();
  if (!clipboard.Open || format == 0 || !data) return nullptr;
  for (auto& [f, block] : clipboard.Data)
    if (f == format) {
      if (block != data) GlobalFree(block);
      block = data;
      ++clipboard.Sequence;
      return data;
    }
  clipboard.Data.emplace_back(format, data);
  ++clipboard.Sequence;
  return data;
}

HGLOBAL GetClipboardData(UINT format) {
  TClipboardState& clipboard = State();
  if (!clipboard.Open) return nullptr;
  if (HGLOBAL block = Find(format)) return block;
  HGLOBAL made = Synthesize(format);
  if (made) clipboard.Data.emplace_back(format, made);
  return made;
}

bool IsClipboardFormatAvailable(UINT format) { return Find(format) || Synthesizable(format); }

int CountClipboardFormats() { return static_cast<int>(State().Data.size()); }

UINT EnumClipboardFormats(UINT format) {
  const auto& data = State().Data;
  if (format == 0) return data.empty() ? 0 : data.front().first;
  for (size_t i = 0; i + 1 < data.size(); ++i)
    if (data[i].first == format) return data[i + 1].first;
  return 0;
}

HWND GetClipboardOwner() { return State().Owner; }

HWND GetOpenClipboardWindow() { return State().Open ? State().Opener : nullptr; }

DWORD GetClipboardSequenceNumber() { return State().Sequence; }
