#include "Common/MemUtils.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/rtl/UnicodeText.h"

namespace {

TEST(MemUtilsMemory, CopiesFillsAndPointerArithmetic) {
  char buffer[8] = "abcdefg";
  CopyMemory(buffer, buffer + 2, 4);  // overlapping
  EXPECT_STREQ(buffer, "ababcdg");
  CopyMemory(nullptr, nullptr, 0);
  FillMemory(buffer + 5, 2, 'z');
  EXPECT_STREQ(buffer, "ababczz");

  char out[8] = {};
  CopyFromString("xyz", out, 4);  // the terminator may come along
  EXPECT_STREQ(out, "xyz");
  EXPECT_THROW(CopyFromString("xyz", out, 5), EAssertionFailed);
  char16_t wide[4] = {};
  CopyFromWideString(u"Жи", wide, 4);
  EXPECT_EQ(String(wide), u"Жи");

  EXPECT_EQ(PtrOffset(buffer, 3), static_cast<void*>(buffer + 3));
  EXPECT_EQ(PtrOffset64(buffer, 5), static_cast<void*>(buffer + 5));
  EXPECT_EQ(PtrDiff(buffer + 6, buffer + 1), 5);
  EXPECT_EQ(PtrDiff(buffer, buffer + 2), -2);
  EXPECT_EQ(PtrCompare(buffer, buffer + 1), -1);
  EXPECT_EQ(PtrCompare(buffer + 1, buffer), 1);
  EXPECT_EQ(PtrCompare(buffer, buffer), 0);
  EXPECT_EQ(NoOpHook(buffer), static_cast<void*>(buffer));
}

struct Base {
  virtual ~Base() = default;
};
struct Derived : Base {};
struct Other : Base {};

TEST(MemUtilsMemory, ObjectsAsAddressesAndTheClassTest) {
  Derived object;
  void* address = PtrFromObject(&object);
  EXPECT_EQ(ObjectFromPtr<Derived>(address), &object);
  static_assert(sizeof(address) == sizeof(std::uintptr_t), "the machine's pointer size");

  const Base* asBase = &object;
  EXPECT_TRUE(IsClassCompat<Derived>(asBase));
  EXPECT_TRUE(IsClassCompat<Base>(asBase));
  EXPECT_FALSE(IsClassCompat<Other>(asBase));
  EXPECT_FALSE(IsClassCompat<Derived>(static_cast<const Base*>(nullptr)));
}

TEST(MemUtilsWideText, LengthsAndCopies) {
  EXPECT_EQ(WideStrLen(u"Жаба"), 4);
  EXPECT_EQ(WideStrLen(u""), 0);
  EXPECT_EQ(WideStrLen(nullptr), 0);

  char16_t out[8];
  std::fill(std::begin(out), std::end(out), u'#');
  CopyWideStr(u"свет", out);
  EXPECT_EQ(String(out), u"свет");
  EXPECT_EQ(out[5], u'#');

  std::fill(std::begin(out), std::end(out), u'#');
  CopyWideChars(u"abcdef", out, 3);
  EXPECT_EQ(String(out), u"abc");
  EXPECT_EQ(out[4], u'#');
  CopyWideChars(u"ab\0cd", out, 5);  // stops at the zero
  EXPECT_EQ(String(out), u"ab");
}

TEST(MemUtilsWideText, TrimTrailingBlanks) {
  struct Case {
    const char* name;
    std::string text;  // bytes, zeros included
    int length;
    std::string expected;
    int result;
  } cases[] = {
      {"two blanks", std::string("ab  ", 4), 4, std::string("ab\0\0", 4), 1},
      {"blanks and zeros mixed", std::string("a \0 ", 4), 4, std::string("a\0\0\0", 4), 0},
      {"inner blanks stay", std::string("a b ", 4), 4, std::string("a b\0", 4), 2},
      {"all blanks", std::string("   ", 3), 3, std::string("\0\0\0", 3), -1},
      {"nothing to trim", std::string("abc", 3), 3, std::string("abc", 3), 2},
      {"only the given length", std::string("ab  x", 5), 4, std::string("ab\0\0x", 5), 1},
      {"whole text for -1", std::string("ab  \0x", 6), -1, std::string("ab\0\0\0x", 6), 1},
      {"empty", std::string(), 0, std::string(), -1},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(TrimTrailingBlanks(text.data(), c.length), c.result) << c.name;
    EXPECT_EQ(text, c.expected) << c.name;

    String wide(c.text.begin(), c.text.end());
    EXPECT_EQ(TrimTrailingBlanksW(wide.data(), c.length), c.result) << c.name;
    EXPECT_EQ(wide, String(c.expected.begin(), c.expected.end())) << c.name;
  }
}

class MemUtilsCompare : public ::testing::Test {
 protected:
  void SetUp() override { SetCollationLocale("mk_MK"); }
  void TearDown() override { IsWin9x = false; }
};

TEST_F(MemUtilsCompare, LocaleOrderWithAndWithoutCase) {
  struct Case {
    const char* a;
    const char* b;
    int exact, caseless;
  } cases[] = {
      {"жаба", "ЖАБА", -1, 0},     {"абв", "абг", -1, -1}, {"Буква", "азбука", 1, 1},
      {"a-b", "ab", -1, -1},       {"", "", 0, 0},         {"", "а", -1, -1},
      {"résumé", "RÉSUMÉ", -1, 0}, {"ab", "a", 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    String wa = UTF8ToString(c.a), wb = UTF8ToString(c.b);
    EXPECT_EQ(StrCompLocale(c.a, c.b), c.exact);
    EXPECT_EQ(StrICompLocale(c.a, c.b), c.caseless);
    EXPECT_EQ(AnsiCompareStrA(c.a, static_cast<int>(std::strlen(c.a)), c.b,
                              static_cast<int>(std::strlen(c.b))),
              c.exact);
    EXPECT_EQ(AnsiCompareTextA(c.a, static_cast<int>(std::strlen(c.a)), c.b,
                               static_cast<int>(std::strlen(c.b))),
              c.caseless);
    EXPECT_EQ(AnsiCompareStrW(wa, wb), c.exact);
    EXPECT_EQ(AnsiCompareTextW(wa, wb), c.caseless);
    EXPECT_EQ(-AnsiCompareStrW(wb, wa), c.exact);
  }
  EXPECT_EQ(StrCompLocale(nullptr, ""), 0);
  // Counted texts take only their count, zeros included.
  EXPECT_EQ(AnsiCompareStrA("abcX", 3, "abcY", 3), 0);
  EXPECT_EQ(AnsiCompareTextA("ЖАБАz", 8, "жабаy", 8), 0);
}

TEST_F(MemUtilsCompare, FirstCharactersOnly) {
  EXPECT_EQ(WideStrLComp(u"abcX", u"abcY", 3), 0);
  EXPECT_EQ(WideStrLComp(u"abcX", u"abcY", 4), -1);
  EXPECT_EQ(WideStrLComp(u"ab", u"abc", 5), -1);  // a text that ends first
  EXPECT_EQ(WideStrLIComp(u"ЖАБАx", u"жабаy", 4), 0);
  EXPECT_EQ(WideStrLIComp(u"ЖАБАx", u"жабаy", 5), -1);
  EXPECT_EQ(WideStrLComp(u"ЖАБА", u"жаба", 4), 1);
}

TEST_F(MemUtilsCompare, UnicodeFormsAssertOnWin9x) {
  IsWin9x = true;
  try {
    AnsiCompareStrW(u"a", u"b");
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message().rfind(u"Unicode support on Win9x (MemUtils.cpp, line ", 0), 0u)
        << e.what();
  }
  EXPECT_THROW(AnsiCompareTextW(u"a", u"b"), EAssertionFailed);
  EXPECT_THROW(WideStrLComp(u"a", u"b", 1), EAssertionFailed);
  EXPECT_THROW(WideStrLIComp(u"a", u"b", 1), EAssertionFailed);
  EXPECT_EQ(StrCompLocale("a", "b"), -1);  // the ANSI forms do not depend on it
}

TEST_F(MemUtilsCompare, TextWrappersFollowTheLocale) {
  EXPECT_EQ(UpperCaseStr(u"ѓорѓи and co"), u"ЃОРЃИ AND CO");
  EXPECT_EQ(LowerCaseStr(u"ЉУБОВ"), u"љубов");
  EXPECT_EQ(CompareTextStr(u"ЖАБА", u"жаба"), 0);
  EXPECT_LT(CompareTextStr(u"азбука", u"Буква"), 0);
  EXPECT_TRUE(MemUtils::SameText(u"Школа", u"ШКОЛА"));
  EXPECT_FALSE(MemUtils::SameText(u"Школа", u"Школо"));
}

TEST(MemUtilsText, QuoteAndDequote) {
  struct Case {
    String text, quoted;
    char16_t quote;
  } cases[] = {
      {u"abc", u"\"abc\"", u'"'},   {u"say \"hi\"", u"\"say \"\"hi\"\"\"", u'"'},
      {u"it's", u"'it''s'", u'\''}, {u"", u"''", u'\''},
      {u"Жаба", u"`Жаба`", u'`'},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QuoteStr(c.text, c.quote), c.quoted);
    if (c.quote != u'`') {
      EXPECT_EQ(DequoteStr(c.quoted), c.text);
    }
  }
  EXPECT_EQ(QuoteStr(u"x"), u"\"x\"");
  EXPECT_EQ(DequoteStr(u"plain"), u"plain");
  EXPECT_EQ(DequoteStr(u"'unclosed"), u"'unclosed");
  EXPECT_EQ(DequoteStr(u"'mixed\""), u"'mixed\"");
  EXPECT_EQ(DequoteStr(u"\""), u"\"");
}

}  // namespace
