// TClipboard: the clipboard as the class library offers it: text, formats, and blocks of data.
#pragma once

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"
#include "platform/win/Clipboard.h"

DECLARE_EXCEPTION(EClipboardException, Exception)

class TClipboard : public TObject {
 public:
  // Opening nests; the clipboard stays open until the last Close. Raises EClipboardException
  // "Cannot open clipboard" when another window has it open.
  void Open();
  void Close();
  void Clear();
  bool HasFormat(UINT format) const { return IsClipboardFormatAvailable(format); }
  int FormatCount() const { return CountClipboardFormats(); }
  String AsText();
  void SetAsText(const String& value);
  // A copy of the block of a format (empty when the clipboard has none).
  TBytes AsBytes(UINT format);
  // Puts a copy of the bytes on the clipboard in a format, next to what is there.
  void SetAsBytes(UINT format, const TBytes& bytes);
  // Hands a block to the clipboard, which frees it later.
  void SetAsHandle(UINT format, HGLOBAL block);
  HGLOBAL GetAsHandle(UINT format);

 private:
  int FOpenRefCount = 0;
  bool FEmptied = false;
};

// The clipboard object of the program.
TClipboard* Clipboard();
