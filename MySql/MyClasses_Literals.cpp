#include "MySql/MyClasses_Literals.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <typeinfo>

#include "Common/CLRClasses.h"
#include "Common/MemData_Blob.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// Numbers and dates are written with the invariant settings: a point as decimal separator and ":"
// between hours, minutes and seconds, whatever the user's locale says.
const TFormatSettings& SqlSettings() {
  static const TFormatSettings settings = TFormatSettings::Invariant();
  return settings;
}

// Character sets in which the second byte of a character can be 0x5C: there a backslash the
// writer adds could be swallowed by the byte before it and let the value end the literal.
// Asked for every text value of every statement: the answer for the last name is kept.
bool BackslashCanBeTrailByte(const AnsiString& charsetName) {
  thread_local AnsiString lastName;
  thread_local bool lastAnswer = false;
  thread_local bool known = false;
  if (known && lastName == charsetName) return lastAnswer;
  bool answer = false;
  for (const char* name : {"big5", "cp932", "gbk", "sjis", "gb18030"})
    if (AnsiCompareTextA(charsetName, name) == 0) answer = true;
  lastName = charsetName;
  lastAnswer = answer;
  known = true;
  return answer;
}

void AppendEscaped(AnsiString& out, std::string_view bytes, bool backslashEscapes) {
  if (!backslashEscapes) {
    for (char c : bytes) {
      if (c == '\'') out += '\'';
      out += c;
    }
    return;
  }
  for (char c : bytes) {
    switch (c) {
      case '\0': out += "\\0"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\x1a': out += "\\Z"; break;
      case '"':
      case '\'':
      case '\\':
        out += '\\';
        out += c;
        break;
      default: out += c;
    }
  }
}

void AppendHex(AnsiString& out, std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  out += "X'";
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  out += '\'';
}

struct LiteralContext {
  const AnsiString& charsetName;
  bool backslashEscapes;
  bool compressBlobs;
};

void AppendQuoted(AnsiString& out, std::string_view bytes, const LiteralContext& ctx) {
  if (ctx.backslashEscapes && !bytes.empty() && BackslashCanBeTrailByte(ctx.charsetName)) {
    AppendHex(out, bytes);
    return;
  }
  out += '\'';
  AppendEscaped(out, bytes, ctx.backslashEscapes);
  out += '\'';
}

// Appends the UTF-8 form of wide text as UTF8Encode gives it: a lone surrogate becomes U+FFFD.
void AppendUTF8(AnsiString& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The UTF-8 form of wide text, in a buffer that keeps its capacity from literal to literal so that
// a text value costs no allocation of its own.
std::string_view Utf8Of(std::u16string_view text) {
  constexpr size_t kKeptCapacity = 1 << 20;
  thread_local AnsiString buffer;
  if (buffer.capacity() > kKeptCapacity) AnsiString().swap(buffer);
  buffer.clear();
  AppendUTF8(buffer, text);
  return buffer;
}

// Frees a shared object when the literal is written.
struct SharedObjectRelease {
  void operator()(TSharedObject* obj) const { TSharedObject::Release(obj); }
};

// The blob's content as it is stored: after Defrag it lies in its first piece.
std::string_view StoredBytes(TBlob& blob) {
  blob.Defrag();
  TBlobPiece* piece = blob.GetFirstPiece();
  if (!piece) return {};
  return std::string_view(reinterpret_cast<const char*>(piece->Data()), piece->UsedBytes);
}

// Compressed content goes as the bytes it is stored in, never through a text conversion, which
// would corrupt it.
bool AppendCompressedBlob(AnsiString& out, TBlob& blob, const LiteralContext& ctx) {
  if (auto* compressed = dynamic_cast<TCompressedBlob*>(&blob)) {
    compressed->SetCompressed(true);
    if (!compressed->GetCompressed()) return false;
    AppendQuoted(out, StoredBytes(*compressed), ctx);
    return true;
  }
  if (blob.GetSize() <= TCompressedBlobData::MinCompressSize) return false;
  std::unique_ptr<TCompressedBlob, SharedObjectRelease> copy(new TCompressedBlob(blob.IsUnicode()));
  copy->Assign(blob);
  if (!copy->SetCompressed(true)) return false;
  AppendQuoted(out, StoredBytes(*copy), ctx);
  return true;
}

// Whether a blob of another kind keeps its content as the plain bytes a plain blob keeps.
bool HoldsPlainContent(TBlob& blob) {
  return typeid(blob) == typeid(TCompressedBlob) &&
         !static_cast<TCompressedBlob&>(blob).GetCompressed();
}

void AppendBlob(AnsiString& out, TBlob& blob, const LiteralContext& ctx) {
  blob.Defrag();
  if (ctx.compressBlobs && AppendCompressedBlob(out, blob, ctx)) return;
  if (blob.IsEmpty()) {
    out += "''";
    return;
  }
  // Unicode content is text: it goes as UTF-8, the client's 8-bit text, with or without the
  // connection's Unicode mode. Other content goes as its bytes. A plain blob's content, or a
  // compressed blob's that is not compressed, is read where it is kept, in one piece after
  // Defrag; compressed content is read through the blob's own Read, which inflates it.
  if (typeid(blob) != typeid(TBlob) && !HoldsPlainContent(blob)) {
    if (blob.IsUnicode()) {
      AppendQuoted(out, blob.GetAsAnsiString(), ctx);
    } else {
      TBytes bytes = blob.GetAsBytes();
      AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                   ctx);
    }
    return;
  }
  std::string_view stored = StoredBytes(blob);
  if (blob.IsUnicode()) {
    std::u16string_view text(reinterpret_cast<const char16_t*>(stored.data()), stored.size() / 2);
    AppendQuoted(out, Utf8Of(text), ctx);
  } else {
    AppendQuoted(out, stored, ctx);
  }
}

bool IsByteArray(const Variant& value) {
  return value.IsArray() && (value.VarType() & varTypeMask) == varByte;
}

void AppendStringLiteral(AnsiString& out, const Variant& value, const LiteralContext& ctx) {
  if (value.VarType() == varObject) {
    auto* blob = dynamic_cast<TBlob*>(static_cast<TSharedObject*>(value.AsObject()));
    RTL_ASSERT(blob != nullptr, u"The parameter's object is no blob");
    AppendBlob(out, *blob, ctx);
  } else if (IsByteArray(value)) {
    TBytes bytes = value.AsBytes();
    AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                 ctx);
  } else if (value.VarType() == varString) {
    AppendQuoted(out, value.AsAnsiString(), ctx);
  } else {
    // Text is UTF-8 whether or not the connection converts: the ANSI code page is UTF-8.
    String text = value.VarType() == varUString || value.VarType() == varOleStr
                      ? value.AsString()
                      : VarToStr(value);
    AppendQuoted(out, Utf8Of(text), ctx);
  }
}

void AppendDecimal(AnsiString& out, int64_t value) {
  char digits[24];
  auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

// Digits of a whole number below 10^15, where the shortest text of a double is its integer text.
constexpr double kExactWholeLimit = 1e15;

void AppendFloat(AnsiString& out, const Variant& value) {
  if (value.VarType() == varCurrency) {
    out += UTF8Encode(CurrToStr(value.AsCurrency(), SqlSettings()));
    return;
  }
  double number = value.AsDouble();
  if (number != 0 && std::fabs(number) < kExactWholeLimit && std::trunc(number) == number) {
    AppendDecimal(out, static_cast<int64_t>(number));
    return;
  }
  out += UTF8Encode(FloatToStr(number, SqlSettings()));
}

// Writes the decimal digits of a value that is not negative, zero-padded to the width, ending at
// end; returns where they start. A value wider than the width keeps all its digits.
char* DigitsBefore(char* end, int value, int width) {
  char* p = end;
  unsigned rest = static_cast<unsigned>(value);
  do {
    *--p = static_cast<char>('0' + rest % 10);
    rest /= 10;
    --width;
  } while (rest != 0);
  for (; width > 0; --width) *--p = '0';
  return p;
}

void AppendDigits(AnsiString& out, int value, int width) {
  char digits[12];
  char* end = digits + sizeof digits;
  out.append(DigitsBefore(end, value, width), end);
}

// 'yyyy-mm-dd' or 'yyyy-mm-dd hh:nn:ss' of the value, the date decoded as the invariant
// FormatDateTime decodes it. Written back to front into a small buffer and appended once.
void AppendDateTime(AnsiString& out, const Variant& value, bool withTime) {
  uint16_t year, month, day, hour, minute, second, msec;
  DecodeDateTime(VarToDateTime(value), year, month, day, hour, minute, second, msec);
  char text[48];  // room for six fields of up to five digits and their separators
  char* end = text + sizeof text;
  char* p = end;
  *--p = '\'';
  if (withTime) {
    p = DigitsBefore(p, second, 2);
    *--p = ':';
    p = DigitsBefore(p, minute, 2);
    *--p = ':';
    p = DigitsBefore(p, hour, 2);
    *--p = ' ';
  }
  p = DigitsBefore(p, day, 2);
  *--p = '-';
  p = DigitsBefore(p, month, 2);
  *--p = '-';
  p = DigitsBefore(p, year, 4);
  *--p = '\'';
  out.append(p, end);
}

// A time as hours (not limited to 23), minutes and seconds; negative times keep their sign.
void AppendTime(AnsiString& out, const Variant& value) {
  int64_t total = Round(VarToDateTime(value) * 86400.0);
  out += '\'';
  if (total < 0) {
    out += '-';
    total = -total;
  }
  AppendDecimal(out, total / 3600);
  out += ':';
  AppendDigits(out, static_cast<int>(total / 60 % 60), 2);
  out += ':';
  AppendDigits(out, static_cast<int>(total % 60), 2);
  out += '\'';
}

// Values of a type without rules of its own: numbers stay numbers, dates become date-times, and
// everything else is quoted text, so no value is ever copied into the statement unquoted.
void AppendOther(AnsiString& out, const Variant& value, const LiteralContext& ctx) {
  if (VarIsOrdinal(value) && value.VarType() != varBoolean)
    AppendDecimal(out, value.AsInt64());
  else if (VarIsFloat(value))
    AppendFloat(out, value);
  else if (value.VarType() == varDate || VarIsSQLTimeStamp(value))
    AppendDateTime(out, value, true);
  else
    AppendStringLiteral(out, value, ctx);
}

bool IsZeroDate(TDataTypeCode dataType, const Variant& value) {
  if (dataType != dtDate && dataType != dtTime && dataType != dtDateTime) return false;
  return VarToDateTime(value) == MyZeroDate;
}

}  // namespace

AnsiString MySQLQuoteBytes(std::string_view bytes, bool backslashEscapes) {
  AnsiString out;
  out.reserve(bytes.size() * 2 + 2);
  out += '\'';
  AppendEscaped(out, bytes, backslashEscapes);
  out += '\'';
  return out;
}

void AppendMySQLLiteral(AnsiString& out, TDataTypeCode dataType, const Variant& value,
                        const AnsiString& charsetName, bool backslashEscapes, bool compressBlobs,
                        bool isNull) {
  if (isNull || value.IsNull()) {
    out += "NULL";
    return;
  }
  if (IsZeroDate(dataType, value)) {
    out += "'0000-00-00 00:00:00'";
    return;
  }
  LiteralContext ctx{charsetName, backslashEscapes, compressBlobs};
  switch (dataType) {
    case dtUnknown:
    case dtBlob:
    case dtBytes:
    case dtVarBytes:
    case dtExtVarBytes:
    case dtString:
    case dtMemo:
    case dtExtString:
    case dtWideString:
    case dtExtWideString:
    case dtWideMemo:
    case dtGuid:
      AppendStringLiteral(out, value, ctx);
      break;
    case dtFloat:
    case dtCurrency:
      AppendFloat(out, value);
      break;
    case dtBCD:
      out += UTF8Encode(CurrToStr(value.AsCurrency(), SqlSettings()));
      break;
    case dtFMTBCD:
      out += UTF8Encode(BcdToStr(VarToBcd(value), SqlSettings()));
      break;
    case dtDate:
      AppendDateTime(out, value, false);
      break;
    case dtDateTime:
    case dtSQLTimeStamp:
      AppendDateTime(out, value, true);
      break;
    case dtTime:
      AppendTime(out, value);
      break;
    case dtBoolean:
      out += value.AsBoolean() ? '1' : '0';
      break;
    case dtInt8:
    case dtSmallint:
    case dtInteger:
    case dtWord:
    case dtLargeint:
    case dtUInt32:
      AppendDecimal(out, value.AsInt64());
      break;
    default:
      AppendOther(out, value, ctx);
  }
}

void MySQLValueToSQL(AnsiStringBuilder& sb, TDataTypeCode dataType, const Variant& value,
                     const AnsiString& charsetName, int /*serverMajor*/, bool backslashEscapes,
                     bool compressBlobs, bool /*useUnicode*/, bool isNull) {
  AnsiString literal;
  AppendMySQLLiteral(literal, dataType, value, charsetName, backslashEscapes, compressBlobs,
                     isNull);
  sb.Append(literal);
}

AnsiString MySQLValueToText(TDataTypeCode dataType, const Variant& value, bool isNull,
                            int /*serverMajor*/, bool compressBlobs, bool /*useUnicode*/) {
  AnsiString literal;
  AppendMySQLLiteral(literal, dataType, value, AnsiString(), false, compressBlobs, isNull);
  return literal;
}
