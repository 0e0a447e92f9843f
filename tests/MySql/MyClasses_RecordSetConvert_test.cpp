#include "MySql/MyClasses_RecordSetConvert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace {

template <class T>
T Stored(const uint8_t* buf) {
  T v;
  std::memcpy(&v, buf, sizeof(T));
  return v;
}

TEST(MyConvertInt, TextIntegersKeepTheirRangeInTheRecordSize) {
  uint8_t buf[8] = {};
  ReadTextInt("-128", 4, dtInt8, buf);
  EXPECT_EQ(Stored<int16_t>(buf), -128);
  ReadTextInt("65535", 5, dtWord, buf);
  EXPECT_EQ(Stored<uint16_t>(buf), 65535);
  ReadTextInt("4294967295", 10, dtUInt32, buf);
  EXPECT_EQ(Stored<uint32_t>(buf), 4294967295u);
  ReadTextInt("-2147483648", 11, dtInteger, buf);
  EXPECT_EQ(Stored<int32_t>(buf), INT32_MIN);
  ReadTextInt("-9223372036854775807", 20, dtLargeint, buf);
  EXPECT_EQ(Stored<int64_t>(buf), -9223372036854775807LL);
  ReadTextInt("-9223372036854775808", 20, dtLargeint, buf);
  EXPECT_EQ(Stored<int64_t>(buf), INT64_MIN);
  ReadTextInt("2", 1, dtBoolean, buf);
  EXPECT_EQ(Stored<int16_t>(buf), -1);
  ReadTextInt("0", 1, dtBoolean, buf);
  EXPECT_EQ(Stored<int16_t>(buf), 0);
  // Only the given length is read: the text of a row is not terminated.
  ReadTextInt("12345", 2, dtInteger, buf);
  EXPECT_EQ(Stored<int32_t>(buf), 12);
}

TEST(MyConvertInt, BinaryIntegersAreSignOrZeroExtended) {
  uint8_t buf[8] = {};
  const uint8_t minus1[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  ReadBinaryInt(minus1, 1, dtInt8, buf);
  EXPECT_EQ(Stored<int16_t>(buf), -1);
  ReadBinaryInt(minus1, 2, dtWord, buf);
  EXPECT_EQ(Stored<uint16_t>(buf), 65535);
  ReadBinaryInt(minus1, 4, dtUInt32, buf);
  EXPECT_EQ(Stored<uint32_t>(buf), 4294967295u);
  ReadBinaryInt(minus1, 4, dtLargeint, buf);
  EXPECT_EQ(Stored<int64_t>(buf), -1);
  const uint8_t v[] = {0x01, 0x02, 0x03, 0x04};
  ReadBinaryInt(v, 4, dtInteger, buf);
  EXPECT_EQ(Stored<int32_t>(buf), 0x04030201);
  EXPECT_THROW(ReadBinaryInt(v, 3, dtInteger, buf), EAssertionFailed);
}

TEST(MyConvertInt, BitValuesAreBigEndian) {
  uint8_t buf[8] = {};
  const uint8_t five[] = {0x05};
  ReadBit(five, 1, dtInteger, buf);
  EXPECT_EQ(Stored<int32_t>(buf), 5);
  const uint8_t high[] = {0x01, 0, 0, 0, 0, 0, 0, 0};
  ReadBit(high, 8, dtLargeint, buf);
  EXPECT_EQ(Stored<int64_t>(buf), int64_t{1} << 56);
  const uint8_t one[] = {0x00, 0x01};
  ReadBit(one, 2, dtBoolean, buf);
  EXPECT_EQ(Stored<int16_t>(buf), -1);
}

// Every text a server may send for a DOUBLE, FLOAT or DECIMAL column reads as the nearest
// double, exactly as the C library reads it: the digits, the point and the sign in many shapes.
TEST(MyConvertFloat, TextsReadAsTheNearestDouble) {
  uint64_t state = 88172645463325252ull;
  auto next = [&] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  char text[64];
  for (int n = 0; n < 200000; ++n) {
    const uint64_t r = next();
    switch (n % 4) {
      case 0:  // a quotient printed with up to 17 significant digits
        std::snprintf(text, sizeof text, "%.*g", static_cast<int>(1 + r % 17),
                      static_cast<double>(r >> 11) / static_cast<double>((r & 0x3FF) + 1));
        break;
      case 1:  // a decimal with a fixed number of places
        std::snprintf(text, sizeof text, "%s%llu.%0*llu", (r & 1) ? "-" : "",
                      static_cast<unsigned long long>((r >> 8) % 100000000000ull),
                      static_cast<int>(1 + (r >> 4) % 10),
                      static_cast<unsigned long long>((r >> 20) % 10000000000ull));
        break;
      case 2:  // the shortest round-trip form of an arbitrary double
        std::snprintf(text, sizeof text, "%.17g", static_cast<double>(r) / 3.0e7);
        break;
      default:  // 16 to 19 digit mantissas, near and past the exact range
        std::snprintf(text, sizeof text, "%llu.%llu",
                      static_cast<unsigned long long>(r % 10000000000ull),
                      static_cast<unsigned long long>((r >> 30) % 1000000000ull));
        break;
    }
    if (std::strchr(text, 'n') || std::strchr(text, 'i')) continue;  // nan, inf
    const double expected = std::strtod(text, nullptr);
    const double got = ParseFloatText(text, std::strlen(text));
    ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << text;
  }
}

TEST(MyConvertFloat, TextFormsAndErrors) {
  struct Case {
    const char* text;
    double value;
  };
  for (const Case& c : std::vector<Case>{{"1.5E3", 1500},
                                         {"-0.25", -0.25},
                                         {"+7", 7},
                                         {"3.", 3},
                                         {".5", 0.5},
                                         {"1e-2", 0.01},
                                         {"123456789012345678901234", 1.2345678901234568e23},
                                         {"2.2250738585072014E-308", 2.2250738585072014e-308}}) {
    EXPECT_DOUBLE_EQ(ParseFloatText(c.text, std::strlen(c.text)), c.value) << c.text;
  }
  try {
    ParseFloatText("12,50", 5);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'12,50' is not a valid floating point value");
  }
  EXPECT_THROW(ParseFloatText("1.2.3", 5), EConvertError);
  EXPECT_THROW(ParseFloatText("", 0), EConvertError);
  try {
    ParseFloatText("1e+x", 4);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'1e+x' is not a valid integer value");
  }
  const float f = 1.25f;
  const double d = -3.5;
  EXPECT_EQ(ReadBinaryFloat(reinterpret_cast<const uint8_t*>(&f), 4), 1.25);
  EXPECT_EQ(ReadBinaryFloat(reinterpret_cast<const uint8_t*>(&d), 8), -3.5);
  EXPECT_THROW(ReadBinaryFloat(reinterpret_cast<const uint8_t*>(&d), 2), EAssertionFailed);
}

double Text(uint32_t type, uint32_t length, const std::string& text, bool* ok = nullptr) {
  TDateTime v = -1;
  const bool r = ParseDateTimeText(type, length, text.data(), text.size(), u"F", v);
  if (ok) *ok = r;
  return r ? v : NAN;
}

TEST(MyConvertDate, TextDatesAndTimestampsByLayout) {
  const TDateTime jan2 = EncodeDate(2007, 1, 2) + EncodeTime(3, 4, 5, 0);
  EXPECT_DOUBLE_EQ(Text(7, 14, "20070102030405"), jan2);
  EXPECT_DOUBLE_EQ(Text(7, 19, "2007-01-02 03:04:05"), jan2);
  EXPECT_DOUBLE_EQ(Text(7, 6, "690102"), EncodeDate(2069, 1, 2));
  EXPECT_DOUBLE_EQ(Text(7, 6, "700102"), EncodeDate(1970, 1, 2));
  EXPECT_DOUBLE_EQ(Text(7, 2, "99"), EncodeDate(1999, 1, 1));
  // TIMESTAMP(n) and DATETIME(n) with fractions: every length 1-6 reads, to the millisecond.
  for (uint32_t n = 1; n <= 6; ++n) {
    std::string text = "2007-01-02 03:04:05." + std::string("123456").substr(0, n);
    const uint16_t ms = static_cast<uint16_t>(std::stoi(std::string("123456").substr(0, n < 3 ? n : 3) +
                                                        std::string(n < 3 ? 3 - n : 0, '0')));
    const TDateTime expected = EncodeDate(2007, 1, 2) + EncodeTime(3, 4, 5, ms);
    EXPECT_DOUBLE_EQ(Text(7, 20 + n, text), expected) << n;
    EXPECT_DOUBLE_EQ(Text(12, 20 + n, text), expected) << n;
  }
  EXPECT_THROW(Text(7, 5, "2007-"), EAssertionFailed);

  EXPECT_DOUBLE_EQ(Text(10, 10, "2024-02-29"), EncodeDate(2024, 2, 29));
  bool ok = true;
  Text(10, 10, "0000-00-00", &ok);
  EXPECT_FALSE(ok) << "a zero date is a failed conversion";
  Text(12, 19, "2023-02-29 00:00:00", &ok);
  EXPECT_FALSE(ok);
  Text(10, 10, "20", &ok);
  EXPECT_FALSE(ok) << "a short text reads no further than its end";
  // Before day 0 the time counts away from it.
  EXPECT_DOUBLE_EQ(Text(12, 19, "1899-12-29 06:00:00"), -1.25);
  EXPECT_DOUBLE_EQ(Text(12, 19, "1899-12-30 00:00:00"), 0.0);
}

TEST(MyConvertDate, TextTimes) {
  EXPECT_NEAR(Text(11, 10, "-12:30:00"), -(12 / 24.0 + 30 * 60 / 86400.0), 1e-12);
  EXPECT_NEAR(Text(11, 10, "100:00:00"), 100 / 24.0, 1e-12);
  EXPECT_NEAR(Text(11, 10, "838:59:59"), 838 / 24.0 + (59 * 60 + 59) / 86400.0, 1e-12);
  EXPECT_EQ(Text(11, 10, "00:00:00"), 0.0) << "midnight is the time 00:00:00";
  EXPECT_NEAR(Text(11, 15, "01:00:00.500"), 1 / 24.0 + 0.5 / 86400.0, 1e-12);
  try {
    Text(11, 10, "123456:00");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Wrong time format. Field F, value 123456:00");
  }
  EXPECT_THROW(Text(11, 10, ""), EDatabaseError);
}

TEST(MyConvertDate, BinaryDatesAndTimes) {
  TDateTime v = -1;
  const uint8_t date[] = {0xD7, 0x07, 1, 2};
  EXPECT_TRUE(ReadBinaryDateTime(10, date, 4, v));
  EXPECT_DOUBLE_EQ(v, EncodeDate(2007, 1, 2));
  const uint8_t full[] = {0xD7, 0x07, 1, 2, 3, 4, 5, 0x40, 0xE2, 0x01, 0x00};  // 123456 us
  EXPECT_TRUE(ReadBinaryDateTime(12, full, 11, v));
  EXPECT_DOUBLE_EQ(v, EncodeDate(2007, 1, 2) + EncodeTime(3, 4, 5, 123));
  EXPECT_FALSE(ReadBinaryDateTime(12, full, 0, v)) << "no bytes is a zero date";
  const uint8_t zero[] = {0, 0, 0, 0};
  EXPECT_FALSE(ReadBinaryDateTime(10, zero, 4, v));
  EXPECT_THROW(ReadBinaryDateTime(12, full, 5, v), EAssertionFailed);

  EXPECT_TRUE(ReadBinaryDateTime(11, nullptr, 0, v));
  EXPECT_EQ(v, 0.0) << "a TIME of no bytes is 00:00:00";
  const uint8_t minus[] = {1, 0, 0, 0, 0, 12, 30, 0};
  EXPECT_TRUE(ReadBinaryDateTime(11, minus, 8, v));
  EXPECT_NEAR(v, -(12 / 24.0 + 30 * 60 / 86400.0), 1e-12);
  const uint8_t days[] = {0, 4, 0, 0, 0, 4, 0, 0, 0xA0, 0x86, 0x01, 0x00};  // 4 days 4 h, 0.1 s
  EXPECT_TRUE(ReadBinaryDateTime(11, days, 12, v));
  EXPECT_NEAR(v, 4 + 4 / 24.0 + 100 / 86400000.0, 1e-12);
  EXPECT_THROW(ReadBinaryDateTime(11, days, 9, v), EAssertionFailed);
}

std::u16string Decode(const std::vector<uint8_t>& bytes, size_t capacityUnits = 64,
                      bool terminate = false) {
  std::u16string out(capacityUnits, u'?');
  const size_t n = DecodeUtf8(out.data(), capacityUnits * 2, terminate, bytes.data(), bytes.size());
  out.resize(n / 2);
  return out;
}

std::string ErrorOf(const std::vector<uint8_t>& bytes) {
  try {
    Decode(bytes);
  } catch (const Exception& e) {
    return std::string(e.Message().begin(), e.Message().end());
  }
  return "";
}

TEST(MyConvertUtf8, DecodesCyrillicAndSupplementaryCharacters) {
  EXPECT_EQ(Decode({0xD0, 0x96}), u"\u0416");
  EXPECT_EQ(Decode({0xD0, 0x41}), u"\u0401") << "a trail byte below 0x80 passes";
  EXPECT_EQ(Decode({'a', 0xE2, 0x82, 0xAC, 'b'}), u"a\u20ACb");
  EXPECT_EQ(Decode({0xF0, 0x9F, 0x98, 0x80}), u"\U0001F600") << "a surrogate pair";
  EXPECT_EQ(ErrorOf({0xE2, 0x41}), "malformed trail byte or out of range char");
  EXPECT_EQ(ErrorOf({'a', 0xD0}), "incomplete multibyte char");
  EXPECT_EQ(ErrorOf({0xE2, 0x82}), "incomplete multibyte char");
  EXPECT_EQ(ErrorOf({0xE2, 0x82, 0xC1}), "malformed trail byte");
  EXPECT_EQ(ErrorOf({0xD0, 0xC1}), "malformed trail byte");
  EXPECT_EQ(ErrorOf({0xF0, 0x9F, 0x98}), "incomplete multibyte char");
  EXPECT_EQ(ErrorOf({0xF4, 0x90, 0x80, 0x80}), "malformed trail byte or out of range char");
}

TEST(MyConvertUtf8, CapacityAndTerminator) {
  EXPECT_EQ(Decode({'a', 'b', 'c'}, 2), u"ab") << "writing stops at the capacity";
  EXPECT_EQ(Decode({'a', 'b'}, 4, true), std::u16string(u"ab\0", 3));
  EXPECT_EQ(Decode({'a', 'b', 'c'}, 3, true), std::u16string(u"ab\0", 3))
      << "full: the last unit gives way to the terminator";
  EXPECT_EQ(Decode({'a', 0xF0, 0x9F, 0x98, 0x80}, 2), u"a") << "no half surrogate pair";
  EXPECT_EQ(Decode({}, 4, true), std::u16string(u"\0", 1));
}

}  // namespace
