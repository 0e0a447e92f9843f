// CodePageEncoding: Windows code pages converted with the system's character converters (ICU).
#include <unicode/ucnv.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "Common/CLRClasses.h"
#include "Common/CLRClasses_Check.h"
#include "platform/rtl/UnicodeText.h"

using clr_detail::CheckNotNegative;
using clr_detail::CheckRange;

namespace {

// The converter name of a Windows code page. The converters know most code pages as
// "windows-<number>" (1250..1258, 874, 932..950, 1200/1201 UTF-16, 65001 UTF-8, 20866 KOI8-R...);
// the ISO 8859 pages and a few others go by their standard names. Code page 0 is the ANSI code
// page, which is UTF-8 here.
std::string ConverterName(uint32_t codePage) {
  if (codePage >= 28591 && codePage <= 28605) return "ISO-8859-" + std::to_string(codePage - 28590);
  switch (codePage) {
    case 0:
      return "UTF-8";
    case 51932:
      return "EUC-JP";
    case 50220:
      return "ISO-2022-JP";
    default:
      return "windows-" + std::to_string(codePage);
  }
}

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

[[noreturn]] void RaiseOSError(int code) {
  String message = u"System Error.  Code: " + AnsiToString(std::to_string(code)) + u".\n" +
                   AnsiToString(std::strerror(code));
  throw EOSError(message, code);
}

bool IsUnicodeForm(UConverter* converter) {
  switch (ucnv_getType(converter)) {
    case UCNV_UTF8:
    case UCNV_UTF16_BigEndian:
    case UCNV_UTF16_LittleEndian:
    case UCNV_UTF16:
      return true;
    default:
      return false;
  }
}

// Opens a converter for the code page; null when the system has none for it.
Converter TryOpen(uint32_t codePage) {
  UErrorCode status = U_ZERO_ERROR;
  Converter converter(ucnv_open(ConverterName(codePage).c_str(), &status));
  if (U_FAILURE(status)) return nullptr;
  if (!IsUnicodeForm(converter.get())) {
    // A character the code page lacks becomes "?", as the system's own conversion writes it.
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
  }
  return converter;
}

// ICU converters are not safe to share between threads, so every conversion opens its own; the
// conversion tables themselves are loaded once and cached by ICU.
Converter Open(uint32_t codePage) {
  Converter converter = TryOpen(codePage);
  if (!converter) RaiseOSError(EINVAL);  // the system does not know the code page
  return converter;
}

TBytes FromWide(uint32_t codePage, std::u16string_view text, int maxCharSize) {
  if (text.empty()) return TBytes();
  Converter converter = Open(codePage);
  const UChar* source = reinterpret_cast<const UChar*>(text.data());
  int32_t sourceLength = static_cast<int32_t>(text.size());
  TBytes out(text.size() * static_cast<size_t>(maxCharSize > 0 ? maxCharSize : 1));
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t written =
        ucnv_fromUChars(converter.get(), reinterpret_cast<char*>(out.data()),
                        static_cast<int32_t>(out.size()), source, sourceLength, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {  // stateful code pages may need escape bytes
      ucnv_resetFromUnicode(converter.get());
      out.resize(static_cast<size_t>(written));
      continue;
    }
    if (U_FAILURE(status)) RaiseOSError(EILSEQ);
    out.resize(static_cast<size_t>(written));
    return out;
  }
}

String ToWide(uint32_t codePage, const uint8_t* bytes, size_t size) {
  if (size == 0) return String();
  Converter converter = Open(codePage);
  const char* source = reinterpret_cast<const char*>(bytes);
  int32_t sourceLength = static_cast<int32_t>(size);
  String out(size, u'\0');
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t written =
        ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(out.data()),
                      static_cast<int32_t>(out.size()), source, sourceLength, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      ucnv_resetToUnicode(converter.get());
      out.resize(static_cast<size_t>(written));
      continue;
    }
    if (U_FAILURE(status)) RaiseOSError(EILSEQ);
    out.resize(static_cast<size_t>(written));
    return out;
  }
}

}  // namespace

CodePageEncoding::CodePageEncoding(uint32_t codePage) : FCodePage(codePage), FMaxCharSize(0) {
  if (Converter converter = TryOpen(codePage)) FMaxCharSize = ucnv_getMaxCharSize(converter.get());
}

TBytes CodePageEncoding::GetBytes(std::string_view text) const {
  return GetBytesWide(AnsiToString(text));
}

int CodePageEncoding::GetBytesTo(std::string_view text, int charIndex, int byteIndex, TBytes& bytes,
                                 int count) const {
  return GetBytesWideTo(AnsiToString(text), charIndex, byteIndex, bytes, count);
}

TBytes CodePageEncoding::GetBytesWide(std::u16string_view text) const {
  return FromWide(FCodePage, text, FMaxCharSize);
}

int CodePageEncoding::GetBytesWideTo(std::u16string_view text, int charIndex, int byteIndex,
                                     TBytes& bytes, int count) const {
  CheckRange(charIndex, count, text.size());
  CheckRange(byteIndex, 0, bytes.size());
  TBytes converted =
      FromWide(FCodePage, text.substr(static_cast<size_t>(charIndex), count), FMaxCharSize);
  if (converted.size() > bytes.size() - static_cast<size_t>(byteIndex))
    RaiseOSError(ERANGE);  // the array has no room for them, as the system reports it
  if (!converted.empty()) std::memcpy(bytes.data() + byteIndex, converted.data(), converted.size());
  return static_cast<int>(converted.size());
}

AnsiString CodePageEncoding::GetString(const TBytes& bytes) const {
  return StringToAnsi(GetWideString(bytes));
}

AnsiString CodePageEncoding::GetStringPart(const TBytes& bytes, int index, int count) const {
  return StringToAnsi(GetWideStringPart(bytes, index, count));
}

String CodePageEncoding::GetWideString(const TBytes& bytes) const {
  return GetWideStringPart(bytes, 0, static_cast<int>(bytes.size()));
}

String CodePageEncoding::GetWideStringPart(const TBytes& bytes, int index, int count) const {
  CheckRange(index, count, bytes.size());
  return ToWide(FCodePage, bytes.data() + index, static_cast<size_t>(count));
}

// The converter's own bound (2 for UTF-16, 3 for UTF-8, 4 for GB18030, 1 for the single-byte
// pages); an unknown code page converts nothing, so one byte per character is as good as any.
int CodePageEncoding::GetMaxByteCount(int charCount) const {
  CheckNotNegative(charCount);
  int64_t bytes = static_cast<int64_t>(charCount) * (FMaxCharSize > 0 ? FMaxCharSize : 1);
  if (bytes > INT32_MAX) throw ArgumentException(u"Argument out of range");
  return static_cast<int>(bytes);
}
