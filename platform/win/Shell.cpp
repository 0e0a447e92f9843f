#include "platform/win/Shell.h"

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TextCompare.h"
#include "platform/win/WindowSystem.h"

namespace {

HINSTANCE Code(intptr_t value) { return reinterpret_cast<HINSTANCE>(value); }

bool HasControlCharacters(const String& text) {
  for (char16_t ch : text)
    if (ch < 0x20 || ch == 0x7F) return true;
  return false;
}

}  // namespace

bool IsAllowedUrl(const String& url) {
  if (HasControlCharacters(url)) return false;
  for (const char16_t* scheme : {u"http://", u"https://", u"mailto:"}) {
    String prefix(scheme);
    if (url.size() > prefix.size() && SameText(url.substr(0, prefix.size()), prefix)) return true;
  }
  return false;
}

HINSTANCE ShellExecute(HWND, const String& operation, const String& file, const String&,
                       const String&, int) {
  String url = Trim(file);
  if (url.empty()) return Code(ERROR_FILE_NOT_FOUND);
  if (!operation.empty() && !SameText(operation, u"open")) return Code(SE_ERR_ACCESSDENIED);
  if (!IsAllowedUrl(url)) return Code(SE_ERR_ACCESSDENIED);
  if (!WindowSystem().BackEnd().OpenUrl(url)) return Code(SE_ERR_NOASSOC);
  return Code(42);
}
