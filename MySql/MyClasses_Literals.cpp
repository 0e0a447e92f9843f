#include "MySql/MyClasses_Literals.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <typeinfo>

#include "Common/CLRClasses.h"
#include "Common/DBAccess_HotCast.h"
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

// Bytes that need an escape of their own: bit 1 in every mode (the quote), bit 2 with backslash
// escapes only.
constexpr std::array<uint8_t, 256> kEscapeKinds = [] {
  std::array<uint8_t, 256> kinds{};
  kinds['\''] = 1;
  for (unsigned char c : {'\0', '\n', '\r', '\x1a', '"', '\\'}) kinds[c] = 2;
  return kinds;
}();

bool NeedsEscape(char c, uint8_t modeBits) {
  return (kEscapeKinds[static_cast<unsigned char>(c)] & modeBits) != 0;
}

// Runs of bytes that need no escape are appended whole: most text has none.
void AppendEscaped(AnsiString& out, std::string_view bytes, bool backslashEscapes) {
  const uint8_t modeBits = backslashEscapes ? 3 : 1;
  size_t from = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (!NeedsEscape(c, modeBits)) continue;
    out.append(bytes.data() + from, i - from);
    from = i + 1;
    if (!backslashEscapes) {
      out += "''";
      continue;
    }
    switch (c) {
      case '\0': out += "\\0"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\x1a': out += "\\Z"; break;
      default:
        out += '\\';
        out += c;
    }
  }
  out.append(bytes.data() + from, bytes.size() - from);
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
// The room for the longest form (three bytes a unit) is made once and the bytes written into it.
void AppendUTF8(AnsiString& out, std::u16string_view text) {
  const size_t start = out.size();
  out.resize(start + text.size() * 3);
  char* const first = out.data() + start;
  char* p = first;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c < 0x80) {
      *p++ = static_cast<char>(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;  // two units, four bytes: within the room of the two
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x800) {
      *p++ = static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
      *p++ = static_cast<char>(0xE0 | (c >> 12));
      *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
      *p++ = static_cast<char>(0xF0 | (c >> 18));
      *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    *p++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  out.resize(start + static_cast<size_t>(p - first));
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
  if (auto* compressed = HotCast<TCompressedBlob>(&blob)) {
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
    auto* blob = HotCast<TBlob>(static_cast<TSharedObject*>(value.AsObject()));
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

// The fields of a date-time, as DecodeDateTime gives them.
struct DateTimeParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The calendar date of day number `day` (0001-01-01 is day 1) in the proleptic Gregorian
// calendar, counted in whole 400-year eras from a year that starts on 1 March, so that the leap
// day is the last day of its year and no loop over the months is needed.
void CivilDateOf(int64_t day, DateTimeParts& parts) {
  const int64_t z = day + 305;  // days since 0000-03-01; day >= 1, so never negative
  const int64_t era = z / 146097;
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 is March
  parts.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  parts.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  // The year is kept in 16 bits, as the decoder keeps it.
  parts.year = static_cast<uint16_t>(yearOfEra + era * 400 + (parts.month <= 2 ? 1 : 0));
}

// The parts of a date-time with one rounding to the millisecond, half to even, as
// DateTimeToTimeStamp rounds. False where the value is too large for the shortcut to be exact (or
// is not a number): the caller then decodes the long way, which also raises where it must.
bool QuickDecode(TDateTime value, DateTimeParts& parts) {
  const double msecs = value * MSecsPerDay;
  if (!(std::fabs(msecs) < 0x1p52)) return false;
  const double whole = std::floor(msecs);
  const double rest = msecs - whole;
  auto total = static_cast<int64_t>(whole);  // exact below 2^52
  if (rest > 0.5 || (rest == 0.5 && (total & 1) != 0)) ++total;
  const int64_t day = total / MSecsPerDay + DateDelta;
  const int64_t time = std::llabs(total % MSecsPerDay);
  parts = DateTimeParts{};
  if (day > 0) CivilDateOf(day, parts);
  parts.hour = static_cast<int>(time / 3600000);
  parts.minute = static_cast<int>(time / 60000 % 60);
  parts.second = static_cast<int>(time / 1000 % 60);
  return true;
}

DateTimeParts DecodeParts(TDateTime value) {
  DateTimeParts parts;
  if (QuickDecode(value, parts)) return parts;
  uint16_t year, month, day, hour, minute, second, msec;
  DecodeDateTime(value, year, month, day, hour, minute, second, msec);
  return {year, month, day, hour, minute, second};
}

// A year of more than four digits keeps them all: written back to front into a small buffer.
void AppendWideDateTime(AnsiString& out, const DateTimeParts& t, bool withTime) {
  char text[48];  // room for six fields of up to five digits and their separators
  char* end = text + sizeof text;
  char* p = end;
  *--p = '\'';
  if (withTime) {
    p = DigitsBefore(p, t.second, 2);
    *--p = ':';
    p = DigitsBefore(p, t.minute, 2);
    *--p = ':';
    p = DigitsBefore(p, t.hour, 2);
    *--p = ' ';
  }
  p = DigitsBefore(p, t.day, 2);
  *--p = '-';
  p = DigitsBefore(p, t.month, 2);
  *--p = '-';
  p = DigitsBefore(p, t.year, 4);
  *--p = '\'';
  out.append(p, end);
}

// Two decimal digits of a value below 100.
void PutTwoDigits(char* p, int value) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  std::memcpy(p, kPairs + 2 * value, 2);
}

// 'yyyy-mm-dd' or 'yyyy-mm-dd hh:nn:ss' of the value, the date decoded as the invariant
// FormatDateTime decodes it.
void AppendDateTime(AnsiString& out, TDateTime value, bool withTime) {
  const DateTimeParts t = DecodeParts(value);
  if (t.year > 9999) {
    AppendWideDateTime(out, t, withTime);
    return;
  }
  char text[] = "'yyyy-mm-dd hh:nn:ss'";
  PutTwoDigits(text + 1, t.year / 100);
  PutTwoDigits(text + 3, t.year % 100);
  PutTwoDigits(text + 6, t.month);
  PutTwoDigits(text + 9, t.day);
  if (!withTime) {
    text[11] = '\'';
    out.append(text, 12);
    return;
  }
  PutTwoDigits(text + 12, t.hour);
  PutTwoDigits(text + 15, t.minute);
  PutTwoDigits(text + 18, t.second);
  out.append(text, sizeof text - 1);
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
    AppendDateTime(out, VarToDateTime(value), true);
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
      AppendDateTime(out, VarToDateTime(value), false);
      break;
    case dtDateTime:
    case dtSQLTimeStamp:
      AppendDateTime(out, VarToDateTime(value), true);
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
