#include "platform/rtl/StrUtils.h"

#include <gtest/gtest.h>

#include "platform/rtl/UnicodeText.h"

namespace {

TEST(StrUtils, TrimRemovesControlsAndSpaces) {
  struct Case {
    String text, both, left, right;
  } cases[] = {
      {u" \t abc \r\n", u"abc", u"abc \r\n", u" \t abc"},
      {u"", u"", u"", u""},
      {u"   ", u"", u"", u""},
      {u"\x01"
       u"a b\x1F",
       u"a b", u"a b\x1F",
       u"\x01"
       u"a b"},
      {u"\u00A0x\u00A0", u"\u00A0x\u00A0", u"\u00A0x\u00A0", u"\u00A0x\u00A0"},  // not a control
      {String(u"\xD800 "), String(u"\xD800"), String(u"\xD800 "), String(u"\xD800")},
      {String(u" \0 ", 3), u"", u"", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Trim(c.text), c.both) << UTF8Encode(c.text);
    EXPECT_EQ(TrimLeft(c.text), c.left) << UTF8Encode(c.text);
    EXPECT_EQ(TrimRight(c.text), c.right) << UTF8Encode(c.text);
  }
}

TEST(StrUtils, QuotingAndDequoting) {
  EXPECT_EQ(QuotedStr(u"O'Brien"), u"'O''Brien'");
  EXPECT_EQ(QuotedStr(u""), u"''");
  EXPECT_EQ(AnsiQuotedStr(u"say \"hi\"", u'"'), u"\"say \"\"hi\"\"\"");
  struct Case {
    String text, expected;
  } cases[] = {
      {u"'abc'", u"abc"},
      {u"'O''Brien'", u"O'Brien"},
      {u"abc", u"abc"},
      {u"'abc", u"'abc"},     // never closed
      {u"'abc'def", u"abc"},  // the quoted part only
      {u"''", u""},
      {u"", u""},
      {u"''x", u"''x"},
      {u"'a''b", u"'a''b"},
      {String(u"'\xD800'"), String(u"\xD800")},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AnsiDequotedStr(c.text, u'\''), c.expected) << UTF8Encode(c.text);
  for (const String& s : {String(u"Ѓорѓи's"), String(u"''"), String(u"a'b'c"), String()}) {
    EXPECT_EQ(AnsiDequotedStr(QuotedStr(s), u'\''), s) << UTF8Encode(s);
    EXPECT_EQ(AnsiDequotedStr(AnsiQuotedStr(s, u'"'), u'"'), s) << UTF8Encode(s);
  }
}

TEST(StrUtils, StringReplace) {
  struct Case {
    String text, from, to;
    int flags;
    String expected;
  } cases[] = {
      {u"a-b-c", u"-", u"+", 0, u"a+b-c"},
      {u"a-b-c", u"-", u"+", rfReplaceAll, u"a+b+c"},
      {u"Hello hello", u"HELLO", u"x", rfReplaceAll | rfIgnoreCase, u"x x"},
      {u"Hello hello", u"HELLO", u"x", rfReplaceAll, u"Hello hello"},
      {u"Hello hello", u"HELLO", u"x", rfIgnoreCase, u"x hello"},
      {u"Школа школа", u"ШКОЛА", u"дом", rfReplaceAll | rfIgnoreCase, u"дом дом"},
      {u"abc", u"", u"x", rfReplaceAll, u"abc"},
      {u"aaa", u"aa", u"b", rfReplaceAll, u"ba"},
      {u"ab", u"a", u"aa", rfReplaceAll, u"aab"},  // the replacement is not searched again
      {u"", u"x", u"y", rfReplaceAll, u""},
      {u"abc", u"abc", u"", 0, u""},
      {String(u"\xD800x\xD800"), String(u"\xD800"), u"-", rfReplaceAll | rfIgnoreCase, u"-x-"},
      {u"𝐀a𝐀", u"A", u"b", rfReplaceAll | rfIgnoreCase, u"𝐀b𝐀"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StringReplace(c.text, c.from, c.to, c.flags), c.expected)
        << UTF8Encode(c.text) << " / " << UTF8Encode(c.from);
}

TEST(StrUtils, StringOfChar) {
  EXPECT_EQ(StringOfChar(u'x', 3), u"xxx");
  EXPECT_EQ(StringOfChar(u'ж', 1), u"ж");
  EXPECT_EQ(StringOfChar(u'x', 0), u"");
  EXPECT_EQ(StringOfChar(u'x', -5), u"");
}

}  // namespace
