#include "platform/rtl/UnicodeText.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"

namespace {

TEST(UnicodeText, RoundTripsEveryPlane) {
  const char* samples[] = {"", "abc", "Здраво, свет", "€ 100", "𝄞 clef", "日本語"};
  for (const char* s : samples) {
    EXPECT_EQ(UTF8Encode(UTF8ToString(s)), s) << s;
    EXPECT_TRUE(IsValidUTF8(s)) << s;
  }
  EXPECT_EQ(UTF8ToString("𝄞"), String(u"\xD834\xDD1E"));
  EXPECT_EQ(UTF8ToString("Ж"), String(u"\x0416"));
}

TEST(UnicodeText, MalformedInputBecomesReplacementCharacters) {
  struct Case {
    const char* name;
    std::string bytes;
    String expected;
  } cases[] = {
      {"lone continuation", "a\x80z", u"a\xFFFDz"},
      {"truncated at end", "ab\xD0", u"ab\xFFFD"},
      {"overlong slash", "\xC0\xAF", u"\xFFFD\xFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"lead then ASCII", "\xE2(x", u"\xFFFD(x"},
      {"invalid byte", "\xFF", u"\xFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UTF8ToString(c.bytes), c.expected) << c.name;
    EXPECT_FALSE(IsValidUTF8(c.bytes)) << c.name;
  }
}

TEST(UnicodeText, LoneSurrogatesEncodeAsReplacement) {
  EXPECT_EQ(UTF8Encode(String(u"a\xD800") + u"b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(UTF8Encode(String(1, u'\xDC00')), "\xEF\xBF\xBD");
}

TEST(Exceptions, MessageAndWhat) {
  EConvertError e(u"'x' is not a valid integer value");
  EXPECT_EQ(e.Message(), u"'x' is not a valid integer value");
  EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
  Exception cyr(std::string("Грешка"));
  EXPECT_EQ(cyr.Message(), u"Грешка");
}

TEST(Exceptions, AssertionNamesFileAndLine) {
  try {
    RTL_ASSERT(false, u"Must be overrided");
    FAIL() << "no exception";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message().rfind(u"Must be overrided (UnicodeText_test.cpp, line ", 0), 0u)
        << e.what();
    EXPECT_EQ(e.Message().back(), u')');
  }
}

}  // namespace
