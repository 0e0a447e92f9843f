#include "platform/rtl/UnicodeText.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at text[i], advancing i; a malformed sequence yields U+FFFD and consumes
// one byte so decoding resynchronises on the next lead byte.
char32_t DecodeOne(std::string_view text, size_t& i, bool& valid) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  valid = true;
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra;
  char32_t cp, min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, cp = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, cp = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, cp = lead & 0x07, min = 0x10000;
  } else {
    ++i;
    valid = false;
    return kReplacement;
  }
  if (text.size() - i <= static_cast<size_t>(extra)) {
    ++i;
    valid = false;
    return kReplacement;
  }
  for (int k = 1; k <= extra; ++k) {
    unsigned char c = byte(i + k);
    if ((c & 0xC0) != 0x80) {
      ++i;
      valid = false;
      return kReplacement;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    valid = false;
    return kReplacement;
  }
  i += extra + 1;
  return cp;
}

void AppendUtf8(AnsiString& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

String UTF8ToString(std::string_view utf8) {
  String out;
  out.reserve(utf8.size());
  size_t i = 0;
  bool valid;
  while (i < utf8.size()) {
    char32_t cp = DecodeOne(utf8, i, valid);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

AnsiString UTF8Encode(std::u16string_view text) {
  AnsiString out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;  // a lone surrogate has no UTF-8 form
    }
    AppendUtf8(out, c);
  }
  return out;
}

bool IsValidUTF8(std::string_view utf8) {
  size_t i = 0;
  bool valid;
  while (i < utf8.size()) {
    DecodeOne(utf8, i, valid);
    if (!valid) return false;
  }
  return true;
}
