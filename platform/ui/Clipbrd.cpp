#include "platform/ui/Clipbrd.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

HWND ClipboardWindow() {
  return Application && Application->MainForm() && Application->MainForm()->HandleAllocated()
             ? Application->MainForm()->Handle()
             : nullptr;
}

}  // namespace

void TClipboard::Open() {
  if (FOpenRefCount == 0) {
    if (!OpenClipboard(ClipboardWindow())) throw EClipboardException(u"Cannot open clipboard");
    FEmptied = false;
  }
  ++FOpenRefCount;
}

void TClipboard::Close() {
  if (FOpenRefCount == 0) return;
  if (--FOpenRefCount == 0) CloseClipboard();
}

void TClipboard::Clear() {
  Open();
  EmptyClipboard();
  FEmptied = true;
  Close();
}

void TClipboard::SetAsHandle(UINT format, HGLOBAL block) {
  Open();
  // Setting data while the clipboard is open for the first time replaces what was there.
  if (!FEmptied) {
    EmptyClipboard();
    FEmptied = true;
  }
  if (!SetClipboardData(format, block)) {
    GlobalFree(block);
    Close();
    throw EClipboardException(u"Cannot set clipboard data");
  }
  Close();
}

HGLOBAL TClipboard::GetAsHandle(UINT format) {
  Open();
  HGLOBAL block = GetClipboardData(format);
  Close();
  return block;
}

void TClipboard::SetAsBytes(UINT format, const TBytes& bytes) {
  SetAsHandle(format, GlobalFromBytes(bytes.data(), bytes.size()));
}

TBytes TClipboard::AsBytes(UINT format) {
  Open();
  TBytes bytes;
  if (HGLOBAL block = GetClipboardData(format)) {
    const auto* data = static_cast<const uint8_t*>(GlobalLock(block));
    bytes.assign(data, data + GlobalSize(block));
    GlobalUnlock(block);
  }
  Close();
  return bytes;
}

String TClipboard::AsText() {
  TBytes bytes = AsBytes(CF_UNICODETEXT);
  String text(bytes.size() / 2, u'\0');
  if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * 2);
  text.resize(std::find(text.begin(), text.end(), u'\0') - text.begin());
  return text;
}

void TClipboard::SetAsText(const String& value) {
  Open();
  EmptyClipboard();
  FEmptied = true;
  SetAsHandle(CF_UNICODETEXT, GlobalFromBytes(value.c_str(), (value.size() + 1) * 2));
  Close();
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}
