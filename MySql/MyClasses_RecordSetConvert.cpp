// Column value conversions of the MySQL record set.
#include "MySql/MyClasses_RecordSetConvert.h"

#include <charconv>
#include <cstring>
#include <string>

#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"

namespace {

template <class T>
void Put(void* dest, T value) {
  std::memcpy(dest, &value, sizeof(T));
}

bool IsUnsignedType(TDataTypeCode dataType) { return dataType == dtWord || dataType == dtUInt32; }

// The decimal number of count digits at pos; positions past the text count as 0.
uint32_t DigitsAt(const char* text, size_t length, size_t pos, size_t count) {
  uint32_t value = 0;
  for (size_t i = pos; i < pos + count && i < length; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  return value;
}

uint16_t Year2(uint32_t yy) { return static_cast<uint16_t>(yy < 70 ? 2000 + yy : 1900 + yy); }

// Milliseconds of a fraction that starts with "." at pos (none when there is no point).
uint16_t FractionMs(const char* text, size_t length, size_t pos) {
  if (pos >= length || text[pos] != '.') return 0;
  uint32_t ms = 0;
  for (size_t i = 1; i <= 3; ++i) {
    const size_t at = pos + i;
    const char c = at < length ? text[at] : '0';
    ms = ms * 10 + static_cast<uint32_t>(c >= '0' && c <= '9' ? c - '0' : 0);
  }
  return static_cast<uint16_t>(ms);
}

// A date and a time of day as one value; the time counts away from day 0 for dates before it.
bool CombineDateTime(uint32_t y, uint32_t m, uint32_t d, uint32_t h, uint32_t n, uint32_t s,
                     uint32_t ms, TDateTime& value) {
  TDateTime date = 0;
  TDateTime time = 0;
  if (y > 9999 || m > 12 || d > 31 || h > 23 || n > 59 || s > 59 || ms > 999) return false;
  if (!TryEncodeDate(static_cast<uint16_t>(y), static_cast<uint16_t>(m), static_cast<uint16_t>(d),
                     date))
    return false;
  if (!TryEncodeTime(static_cast<uint16_t>(h), static_cast<uint16_t>(n), static_cast<uint16_t>(s),
                     static_cast<uint16_t>(ms), time))
    return false;
  value = date < 0 ? date - time : date + time;
  return true;
}

TDateTime TimeOfDays(int64_t days, uint32_t h, uint32_t n, uint32_t s, uint32_t ms) {
  return static_cast<double>(days) + h / 24.0 + (n * 60.0 + s) / 86400.0 + ms / 86400000.0;
}

[[noreturn]] void FloatError(const char* text, size_t length, const char* kind) {
  throw EConvertError(u"'" + S(std::string_view(text, length)) + u"' is not a valid " +
                      S(kind) + u" value");
}

uint64_t LittleEndian(const uint8_t* data, size_t length) {
  uint64_t value = 0;
  for (size_t i = length; i > 0; --i) value = (value << 8) | data[i - 1];
  return value;
}

}  // namespace

void StoreIntValue(TDataTypeCode dataType, int64_t value, void* dest) {
  switch (dataType) {
    case dtInt8:
    case dtSmallint:
      Put(dest, static_cast<int16_t>(value));
      break;
    case dtWord:
      Put(dest, static_cast<uint16_t>(value));
      break;
    case dtBoolean:
      Put(dest, static_cast<int16_t>(value != 0 ? -1 : 0));
      break;
    case dtInteger:
      Put(dest, static_cast<int32_t>(value));
      break;
    case dtUInt32:
      Put(dest, static_cast<uint32_t>(value));
      break;
    case dtLargeint:
      Put(dest, value);
      break;
    default:
      RTL_ASSERT(false, u"Invalid integer data type " + IntToStr(dataType));
  }
}

void ReadTextInt(const char* text, size_t length, TDataTypeCode dataType, void* dest) {
  size_t i = 0;
  const bool negative = length > 0 && text[0] == '-';
  if (negative) i = 1;
  uint64_t magnitude = 0;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i)
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
  // Negated as unsigned: the smallest BIGINT has no positive counterpart.
  const int64_t value = static_cast<int64_t>(negative ? uint64_t{0} - magnitude : magnitude);
  StoreIntValue(dataType, value, dest);
}

void ReadBinaryInt(const uint8_t* data, size_t length, TDataTypeCode dataType, void* dest) {
  RTL_ASSERT(length == 1 || length == 2 || length == 4 || length == 8,
             u"Integer Len = " + IntToStr(static_cast<int64_t>(length)));
  uint64_t raw = LittleEndian(data, length);
  if (length < 8 && !IsUnsignedType(dataType)) {
    const unsigned shift = static_cast<unsigned>(64 - 8 * length);
    raw = static_cast<uint64_t>(static_cast<int64_t>(raw << shift) >> shift);
  }
  StoreIntValue(dataType, static_cast<int64_t>(raw), dest);
}

void ReadBit(const uint8_t* data, size_t length, TDataTypeCode dataType, void* dest) {
  if (length > 8) length = 8;
  if (dataType == dtBoolean) {
    StoreIntValue(dtBoolean, length > 0 && data[length - 1] != 0, dest);
    return;
  }
  uint64_t value = 0;
  for (size_t i = 0; i < length; ++i) value = (value << 8) | data[i];
  StoreIntValue(dataType, static_cast<int64_t>(value), dest);
}

double ReadBinaryFloat(const uint8_t* data, size_t length) {
  if (length == 4) {
    float f;
    std::memcpy(&f, data, 4);
    return f;
  }
  RTL_ASSERT(length == 8, u"Float Len = " + IntToStr(static_cast<int64_t>(length)));
  double d;
  std::memcpy(&d, data, 8);
  return d;
}

double ParseFloatText(const char* text, size_t length) {
  if (length > 36) length = 36;
  // Check the form first; the conversion itself is then exact to the nearest double.
  size_t i = 0;
  if (i < length && (text[i] == '-' || text[i] == '+')) ++i;
  const size_t mantissaStart = i;
  bool point = false;
  size_t digits = 0;
  size_t fractionDigits = 0;
  uint64_t mantissa = 0;
  for (; i < length; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      ++digits;
      if (digits <= 19) mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
      if (point) ++fractionDigits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) FloatError(text, length, "floating point");
  if (i < length) {
    if (text[i] != 'e' && text[i] != 'E') FloatError(text, length, "floating point");
    size_t j = i + 1;
    if (j < length && (text[j] == '-' || text[j] == '+')) ++j;
    if (j == length) FloatError(text, length, "integer");
    for (; j < length; ++j)
      if (text[j] < '0' || text[j] > '9') FloatError(text, length, "integer");
  }
  const bool negative = mantissaStart > 0 && text[0] == '-';
  // A mantissa and a power of ten that are both exact doubles give the correctly rounded
  // quotient in one division, which covers the texts the server sends for most columns.
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (i == length && digits <= 19 && mantissa <= (uint64_t{1} << 53) && fractionDigits <= 22) {
    const double exact = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
    return negative ? -exact : exact;
  }
  double value = 0;
  const auto result = std::from_chars(text + mantissaStart, text + length, value);
  if (result.ec == std::errc::result_out_of_range) FloatError(text, length, "floating point");
  return negative ? -value : value;
}

bool ParseDateTimeText(uint32_t mysqlType, uint32_t fieldLength, const char* text, size_t length,
                       const String& fieldName, TDateTime& value) {
  auto at = [&](size_t pos, size_t count) { return DigitsAt(text, length, pos, count); };
  switch (mysqlType) {
    case 10:  // DATE
    case 14:  // NEWDATE
      return CombineDateTime(at(0, 4), at(5, 2), at(8, 2), 0, 0, 0, 0, value);
    case 12:  // DATETIME, with fractional seconds when the column has them
      return CombineDateTime(at(0, 4), at(5, 2), at(8, 2), at(11, 2), at(14, 2), at(17, 2),
                             FractionMs(text, length, 19), value);
    case 11: {  // TIME: [-]H...H:MM:SS[.ffffff]
      size_t colon = 0;
      while (colon < length && colon < 5 && text[colon] != ':') ++colon;
      if (colon >= length || colon >= 5)
        throw EDatabaseError(u"Wrong time format. Field " + fieldName + u", value " +
                             S(std::string_view(text, length)));
      const bool negative = text[0] == '-';
      const uint32_t hours = DigitsAt(text, colon, negative ? 1 : 0, colon);
      const uint32_t minutes = at(colon + 1, 2);
      const uint32_t seconds = at(colon + 4, 2);
      const TDateTime t = TimeOfDays(0, hours, minutes, seconds, FractionMs(text, length, colon + 6));
      value = negative ? -t : t;
      return true;
    }
    case 7:  // TIMESTAMP: the display length tells the layout
      switch (fieldLength) {
        case 2:
          return CombineDateTime(Year2(at(0, 2)), 1, 1, 0, 0, 0, 0, value);
        case 4:
          return CombineDateTime(Year2(at(0, 2)), at(2, 2), 1, 0, 0, 0, 0, value);
        case 6:
          return CombineDateTime(Year2(at(0, 2)), at(2, 2), at(4, 2), 0, 0, 0, 0, value);
        case 8:
          return CombineDateTime(at(0, 4), at(4, 2), at(6, 2), 0, 0, 0, 0, value);
        case 10:
          return CombineDateTime(Year2(at(0, 2)), at(2, 2), at(4, 2), at(6, 2), at(8, 2), 0, 0,
                                 value);
        case 12:
          return CombineDateTime(Year2(at(0, 2)), at(2, 2), at(4, 2), at(6, 2), at(8, 2),
                                 at(10, 2), 0, value);
        case 14:
          return CombineDateTime(at(0, 4), at(4, 2), at(6, 2), at(8, 2), at(10, 2), at(12, 2), 0,
                                 value);
        default:
          // 19, or 21 to 26 with 1 to 6 fraction digits.
          RTL_ASSERT(fieldLength == 19 || (fieldLength >= 21 && fieldLength <= 26),
                     u"Invalid FIELD_TYPE_TIMESTAMP Field.Length (" + IntToStr(fieldLength) +
                         u")");
          return CombineDateTime(at(0, 4), at(5, 2), at(8, 2), at(11, 2), at(14, 2), at(17, 2),
                                 FractionMs(text, length, 19), value);
      }
    default:
      RTL_ASSERT(false, u"Invalid date type " + IntToStr(mysqlType));
      return false;
  }
}

bool ReadBinaryDateTime(uint32_t mysqlType, const uint8_t* data, size_t length, TDateTime& value) {
  if (mysqlType == 11) {  // TIME
    if (length == 0) {
      value = 0;  // the server sends 00:00:00 with no bytes
      return true;
    }
    RTL_ASSERT(length == 8 || length == 12,
               u"Error DateTimeFromStrPrep function Len = " + IntToStr(static_cast<int64_t>(length)));
    const uint32_t days = static_cast<uint32_t>(LittleEndian(data + 1, 4));
    const uint32_t micro = length == 12 ? static_cast<uint32_t>(LittleEndian(data + 8, 4)) : 0;
    const TDateTime t = TimeOfDays(days, data[5], data[6], data[7], micro / 1000);
    value = data[0] == 1 ? -t : t;
    return true;
  }
  if (length == 0) return false;
  RTL_ASSERT(length == 4 || length == 7 || length == 11,
             u"FIELD_TYPE_DATETIME Len = " + IntToStr(static_cast<int64_t>(length)));
  const uint32_t year = static_cast<uint32_t>(LittleEndian(data, 2));
  const uint32_t h = length >= 7 ? data[4] : 0;
  const uint32_t n = length >= 7 ? data[5] : 0;
  const uint32_t s = length >= 7 ? data[6] : 0;
  const uint32_t micro = length == 11 ? static_cast<uint32_t>(LittleEndian(data + 7, 4)) : 0;
  return CombineDateTime(year, data[2], data[3], h, n, s, micro / 1000, value);
}

size_t DecodeUtf8(char16_t* dest, size_t capacityBytes, bool terminate, const uint8_t* source,
                  size_t count) {
  const size_t capacity = capacityBytes / 2;
  size_t written = 0;
  size_t i = 0;
  auto continuation = [](uint8_t b) { return (b & 0xC0) == 0x80; };
  if (count > 0 && count < capacity) {
    // No sequence yields more units than it has bytes, so with room for every byte (and the
    // terminator) the destination cannot fill up: the loop needs no room checks.
    char16_t* out = dest;
    const uint8_t* p = source;
    const uint8_t* const end = source + count;
    // The last byte is left to the general loop, so a pair never needs a bounds check here.
    const uint8_t* const pairEnd = end - 1;
    while (p < pairEnd) {
      const uint8_t lead = *p;
      if (lead < 0x80) {
        *out++ = lead;
        ++p;
      } else if ((lead & 0x20) == 0) {
        const uint8_t last = p[1];
        // A trail byte of 0xC0 or above is neither a continuation byte nor plain ASCII.
        if (last >= 0xC0) throw Exception(u"malformed trail byte");
        *out++ = static_cast<char16_t>(((lead & 0x1Fu) << 6) | (last & 0x3Fu));
        p += 2;
      } else {
        break;  // longer sequences take the general loop below
      }
    }
    written = static_cast<size_t>(out - dest);
    i = static_cast<size_t>(p - source);
  }
  while (i < count) {
    const uint8_t lead = source[i];
    uint32_t cp;
    size_t width;
    if (lead < 0x80) {
      cp = lead;
      width = 1;
    } else if ((lead & 0xF8) == 0xF0) {
      if (i + 3 >= count) throw Exception(u"incomplete multibyte char");
      if (!continuation(source[i + 1]) || !continuation(source[i + 2]) ||
          !continuation(source[i + 3]))
        throw Exception(u"malformed trail byte or out of range char");
      cp = ((lead & 0x07u) << 18) | ((source[i + 1] & 0x3Fu) << 12) |
           ((source[i + 2] & 0x3Fu) << 6) | (source[i + 3] & 0x3Fu);
      if (cp < 0x10000 || cp > 0x10FFFF) throw Exception(u"malformed trail byte or out of range char");
      width = 4;
    } else if (lead & 0x20) {
      if (i + 1 >= count) throw Exception(u"incomplete multibyte char");
      if (!continuation(source[i + 1])) throw Exception(u"malformed trail byte or out of range char");
      if (i + 2 >= count) throw Exception(u"incomplete multibyte char");
      const uint8_t last = source[i + 2];
      if (!continuation(last) && last > 0x80) throw Exception(u"malformed trail byte");
      cp = ((lead & 0x0Fu) << 12) | ((source[i + 1] & 0x3Fu) << 6) | (last & 0x3Fu);
      width = 3;
    } else {
      if (i + 1 >= count) throw Exception(u"incomplete multibyte char");
      const uint8_t last = source[i + 1];
      if (!continuation(last) && last > 0x80) throw Exception(u"malformed trail byte");
      cp = ((lead & 0x1Fu) << 6) | (last & 0x3Fu);
      width = 2;
    }
    const size_t units = cp > 0xFFFF ? 2 : 1;
    if (written + units > capacity) break;
    if (units == 2) {
      cp -= 0x10000;
      dest[written++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      dest[written++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      dest[written++] = static_cast<char16_t>(cp);
    }
    i += width;
  }
  if (terminate && capacity > 0) {
    if (written < capacity)
      dest[written++] = 0;
    else
      dest[capacity - 1] = 0;
  }
  return written * 2;
}

namespace {

// The server sends decimals with a point: the conversions read them with that separator rather
// than the user's locale.
const TFormatSettings& ServerNumberFormat() {
  static const TFormatSettings settings = [] {
    TFormatSettings s = FormatSettings();
    s.DecimalSeparator = u'.';
    s.ThousandSeparator = u',';
    return s;
  }();
  return settings;
}

String AsciiText(const char* text, size_t length) { return String(text, text + length); }

}  // namespace

int64_t ReadCurrencyText(const char* text, size_t length) {
  return StrToCurr(AsciiText(text, length), ServerNumberFormat()).Raw();
}

TBcd ReadFmtBcdText(const char* text, size_t length, int precision, int scale) {
  const TBcd parsed = StrToBcd(AsciiText(text, length), ServerNumberFormat());
  TBcd normalized;
  // A value that does not fit the column's declared digits is kept as read rather than lost.
  if (precision > 0 && NormalizeBcd(parsed, normalized, precision, scale)) return normalized;
  return parsed;
}
