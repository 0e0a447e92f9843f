#include <gtest/gtest.h>

#include <cstring>

#include "Common/CLRClasses.h"
#include "platform/rtl/UnicodeText.h"

namespace {

TBytes B(std::initializer_list<int> values) {
  TBytes bytes;
  for (int v : values) bytes.push_back(static_cast<uint8_t>(v));
  return bytes;
}

TBytes B(std::string_view text) { return TBytes(text.begin(), text.end()); }

// "Привет" in code page 1251.
const TBytes kPrivet1251 = B({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2});

template <class F>
String AssertionText(F&& f) {
  try {
    f();
  } catch (const EAssertionFailed& e) {
    return e.Message();
  }
  return u"<no assertion>";
}

TEST(Encoding, DefaultTakesTheBytesAsTheyAreAndUnicodeTwoPerCharacter) {
  EXPECT_EQ(Encoding::GetDefault()->GetBytes("abc"), B({0x61, 0x62, 0x63}));
  EXPECT_EQ(Encoding::GetUnicode()->GetBytes("abc"), B({0x61, 0, 0x62, 0, 0x63, 0}));
  EXPECT_EQ(Encoding::GetUnicode()->GetBytesWide(u"Ж€"), B({0x16, 0x04, 0xAC, 0x20}));
  EXPECT_EQ(Encoding::GetUnicode()->GetWideString(B({0x16, 0x04, 0xAC, 0x20})), u"Ж€");
  EXPECT_EQ(Encoding::GetUnicode()->GetString(B({0x16, 0x04, 0xAC, 0x20})), "Ж€");
  // The default encoding's ANSI is UTF-8: a wide text becomes its UTF-8 bytes and back.
  EXPECT_EQ(Encoding::GetDefault()->GetBytesWide(u"Ж"), B({0xD0, 0x96}));
  EXPECT_EQ(Encoding::GetDefault()->GetWideString(B({0xD0, 0x96})), u"Ж");
  EXPECT_EQ(Encoding::GetDefault(), Encoding::GetDefault());
}

TEST(Encoding, EmptyInputGivesEmptyOutputEverywhere) {
  Encoding* encodings[] = {Encoding::GetDefault(), Encoding::GetUnicode(), Encoding::GetUTF8(),
                           Encoding::GetEncoding(1251), Encoding::GetEncoding(12345)};
  for (Encoding* e : encodings) {
    EXPECT_TRUE(e->GetBytes("").empty());
    EXPECT_TRUE(e->GetBytesWide(u"").empty());
    EXPECT_EQ(e->GetString(TBytes()), "");
    EXPECT_EQ(e->GetWideString(TBytes()), u"");
    EXPECT_EQ(e->GetStringPart(B("abcd"), 2, 0), "");
    EXPECT_EQ(e->GetWideStringPart(B("abcd"), 4, 0), u"");
  }
}

TEST(Encoding, CyrillicThroughUtf8AndCodePage1251) {
  const String wide = u"Привет";
  const AnsiString ansi = "Привет";
  const TBytes utf8 = B(ansi);

  Encoding* u8 = Encoding::GetUTF8();
  EXPECT_EQ(u8->GetBytesWide(wide), utf8);
  EXPECT_EQ(u8->GetBytes(ansi), utf8);
  EXPECT_EQ(u8->GetWideString(utf8), wide);
  EXPECT_EQ(u8->GetString(utf8), ansi);
  EXPECT_EQ(u8->GetWideStringPart(utf8, 2, 4), u"ри");

  Encoding* cp = Encoding::GetEncoding(1251);
  EXPECT_EQ(cp->GetBytesWide(wide), kPrivet1251);
  EXPECT_EQ(cp->GetBytes(ansi), kPrivet1251);
  EXPECT_EQ(cp->GetWideString(kPrivet1251), wide);
  EXPECT_EQ(cp->GetString(kPrivet1251), ansi);
  EXPECT_EQ(cp->GetWideStringPart(kPrivet1251, 1, 2), u"ри");
  EXPECT_EQ(cp->GetStringPart(kPrivet1251, 4, 2), "ет");
  // A character the code page lacks becomes "?", as the system's conversion writes it.
  EXPECT_EQ(cp->GetBytesWide(u"Ж日"), B({0xC6, '?'}));
}

TEST(Encoding, UnicodeCodePagesAndTheListOfInstances) {
  EXPECT_EQ(Encoding::GetEncoding(65001)->GetBytesWide(u"Ж"), B({0xD0, 0x96}));
  EXPECT_EQ(Encoding::GetEncoding(0)->GetBytesWide(u"Ж"), B({0xD0, 0x96}));  // the ANSI code page
  EXPECT_EQ(Encoding::GetEncoding(1200)->GetBytesWide(u"Ж"), B({0x16, 0x04}));
  EXPECT_EQ(Encoding::GetEncoding(1201)->GetBytesWide(u"Ж"), B({0x04, 0x16}));
  EXPECT_EQ(Encoding::GetEncoding(1201)->GetWideString(B({0x04, 0x16})), u"Ж");
  EXPECT_EQ(Encoding::GetEncoding(1252)->GetBytesWide(u"é€"), B({0xE9, 0x80}));
  EXPECT_EQ(Encoding::GetEncoding(1251), Encoding::GetEncoding(1251));
  EXPECT_NE(Encoding::GetEncoding(1251), Encoding::GetEncoding(1252));
  auto* cp = dynamic_cast<CodePageEncoding*>(Encoding::GetEncoding(1250));
  ASSERT_NE(cp, nullptr);
  EXPECT_EQ(cp->CodePage(), 1250u);
}

TEST(Encoding, UnknownCodePageFailsWhenItConverts) {
  Encoding* unknown = Encoding::GetEncoding(12345);
  EXPECT_THROW(unknown->GetBytesWide(u"a"), EOSError);
  EXPECT_THROW(unknown->GetWideString(B("a")), EOSError);
  try {
    unknown->GetString(B("a"));
    FAIL() << "no error";
  } catch (const EOSError& e) {
    EXPECT_NE(e.ErrorCode(), 0);
    EXPECT_EQ(e.Message().rfind(u"System Error.  Code: ", 0), 0u) << e.what();
  }
}

TEST(Encoding, WritingIntoAnExistingArray) {
  TBytes bytes(8, 0xEE);
  EXPECT_EQ(Encoding::GetDefault()->GetBytesTo("abcdef", 2, 1, bytes, 3), 3);
  EXPECT_EQ(bytes, B({0xEE, 'c', 'd', 'e', 0xEE, 0xEE, 0xEE, 0xEE}));

  bytes.assign(8, 0xEE);
  EXPECT_EQ(Encoding::GetUnicode()->GetBytesWideTo(u"xЖy", 1, 2, bytes, 2), 4);
  EXPECT_EQ(bytes, B({0xEE, 0xEE, 0x16, 0x04, 'y', 0, 0xEE, 0xEE}));

  bytes.assign(8, 0xEE);
  EXPECT_EQ(Encoding::GetDefault()->GetBytesWideTo(u"Жa", 0, 0, bytes, 2), 3);
  EXPECT_EQ(bytes, B({0xD0, 0x96, 'a', 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));

  bytes.assign(8, 0xEE);
  EXPECT_EQ(Encoding::GetEncoding(1251)->GetBytesWideTo(u"Привет", 1, 5, bytes, 3), 3);
  EXPECT_EQ(bytes, B({0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xF0, 0xE8, 0xE2}));
  // One byte short: the system's conversion reports it and writes nothing.
  EXPECT_THROW(Encoding::GetEncoding(1251)->GetBytesWideTo(u"Привет", 0, 5, bytes, 4), EOSError);
  EXPECT_EQ(bytes[4], 0xEE);

  // Indexes outside the text or the array are refused before anything is written.
  bytes.assign(4, 0xEE);
  EXPECT_THROW(Encoding::GetDefault()->GetBytesTo("abcdef", 0, 2, bytes, 3), ArgumentException);
  EXPECT_THROW(Encoding::GetDefault()->GetBytesTo("abc", 2, 0, bytes, 2), ArgumentException);
  EXPECT_THROW(Encoding::GetUnicode()->GetBytesWideTo(u"abc", 0, 0, bytes, 3), ArgumentException);
  EXPECT_THROW(Encoding::GetDefault()->GetBytesTo("abc", -1, 0, bytes, 1), ArgumentException);
  EXPECT_EQ(bytes, TBytes(4, 0xEE));
}

TEST(Encoding, Utf8WritesIntoAnArrayOnlyThroughAnAssertion) {
  TBytes bytes(10);
  String text = AssertionText([&] { Encoding::GetUTF8()->GetBytesTo("abc", 0, 0, bytes, 3); });
  EXPECT_EQ(text.rfind(u"not implemented (CLRClasses_Encoding.cpp, line ", 0), 0u)
      << UTF8Encode(text);
  text = AssertionText([&] { Encoding::GetUTF8()->GetBytesWideTo(u"abc", 0, 0, bytes, 3); });
  EXPECT_EQ(text.rfind(u"not implemented (", 0), 0u) << UTF8Encode(text);
}

TEST(Encoding, PartsAndTheirBounds) {
  const TBytes bytes = B({'a', 0, 'b', 0, 'c'});
  EXPECT_EQ(Encoding::GetDefault()->GetStringPart(B("abcdef"), 1, 3), "bcd");
  EXPECT_EQ(Encoding::GetUnicode()->GetWideStringPart(bytes, 0, 4), u"ab");
  EXPECT_EQ(Encoding::GetUnicode()->GetWideStringPart(bytes, 0, 5), u"ab");  // odd byte dropped
  EXPECT_EQ(Encoding::GetUnicode()->GetWideString(bytes), u"ab");
  EXPECT_THROW(Encoding::GetDefault()->GetStringPart(bytes, 3, 3), ArgumentException);
  EXPECT_THROW(Encoding::GetUnicode()->GetWideStringPart(bytes, -1, 2), ArgumentException);
  EXPECT_THROW(Encoding::GetUTF8()->GetStringPart(bytes, 0, 6), ArgumentException);
  EXPECT_THROW(Encoding::GetEncoding(1251)->GetWideStringPart(bytes, 5, 1), ArgumentException);
}

TEST(Encoding, Utf8DecodingNeverYieldsMalformedText) {
  const TBytes bad = B({'a', 0xFF, 0xD0});
  EXPECT_EQ(Encoding::GetUTF8()->GetWideString(bad), u"a\xFFFD\xFFFD");
  AnsiString text = Encoding::GetUTF8()->GetString(bad);
  EXPECT_TRUE(IsValidUTF8(text));
  EXPECT_EQ(text, "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Encoding, MaxByteCountBoundsEveryConversion) {
  struct Case {
    Encoding* encoding;
    int expected;
  } cases[] = {
      {Encoding::GetDefault(), 30},      {Encoding::GetUnicode(), 20},
      {Encoding::GetUTF8(), 30},         {Encoding::GetEncoding(1251), 10},
      {Encoding::GetEncoding(1201), 20}, {Encoding::GetEncoding(65001), 30},
  };
  for (const auto& c : cases) EXPECT_EQ(c.encoding->GetMaxByteCount(10), c.expected);
  // The bound holds for the widest characters: three UTF-8 bytes per UTF-16 code unit.
  const String widest = u"€€€€€€€€€€";
  EXPECT_LE(Encoding::GetDefault()->GetBytesWide(widest).size(), 30u);
  EXPECT_LE(Encoding::GetUTF8()->GetBytesWide(widest).size(), 30u);
  EXPECT_THROW(Encoding::GetDefault()->GetMaxByteCount(-1), ArgumentException);
}

// --- Utf8FromWide --------------------------------------------------------------------------------

TEST(Utf8FromWide, FillsTheBufferAndTerminatesIt) {
  struct Case {
    const char* name;
    String text;
    int size;
    const char* written;  // the bytes up to and including the terminator
    int result;
  } cases[] = {
      {"room left", u"abcde", 8, "abcde", 6},
      {"exact fill gives up the last character", u"abcde", 5, "abcd", 5},
      {"exact fill by a two-byte character", u"abЖ", 4, "ab", 3},
      {"two-byte characters exactly", u"ЖЖ", 4, "Ж", 3},
      {"too small keeps whole characters", u"abcdef", 4, "abc", 4},
      {"too small stops before a split sequence", u"aЖЖ", 4, "aЖ", 4},
      {"too small for a whole sequence", u"€", 3, "", 1},
      {"one byte holds only the terminator", u"abc", 1, "", 1},
      {"no text", u"", 4, "", 1},
  };
  for (const auto& c : cases) {
    char buffer[16];
    std::memset(buffer, 0x7F, sizeof buffer);
    int result = Utf8FromWide(buffer, c.size, c.text.data(), static_cast<int>(c.text.size()));
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_STREQ(buffer, c.written) << c.name;
    for (size_t i = static_cast<size_t>(c.size); i < sizeof buffer; ++i)
      ASSERT_EQ(buffer[i], 0x7F) << c.name << ": wrote past the buffer at " << i;
  }
}

TEST(Utf8FromWide, SizeNeededAndZeroTerminatedTexts) {
  EXPECT_EQ(Utf8FromWide(nullptr, 0, u"abЖ", 3), 4);
  EXPECT_EQ(Utf8FromWide(nullptr, 0, nullptr, 5), 0);
  EXPECT_EQ(Utf8FromWide(nullptr, 0, u"abЖ", 4), 5);  // the terminator counted as a character
  // A text that ends with its zero fills the buffer exactly and keeps every character.
  char buffer[5] = {1, 1, 1, 1, 1};
  EXPECT_EQ(Utf8FromWide(buffer, 5, u"abЖ", 4), 5);
  EXPECT_STREQ(buffer, "abЖ");
  EXPECT_EQ(Utf8FromWide(buffer, 5, u"xy", -1), 3);  // a negative count: up to the zero
  EXPECT_STREQ(buffer, "xy");
  EXPECT_EQ(Utf8FromWide(buffer, 0, u"xy", 2), 0);
}

}  // namespace
