// Cell-text kinds, locale numbers, wide cell texts and line codings, under English and
// Macedonian separators.
#include <gtest/gtest.h>

#include "controls/grid/AdvUtil.h"
#include "tests/platform/rtl/FormatSettingsFixture.h"

using namespace AdvUtil;

namespace {

class AdvUtilLocale : public ::testing::Test {
 protected:
  void English() { FormatSettings() = TFormatSettings::Invariant(); }
  void Macedonian() { FormatSettings() = MacedonianSettings(); }
  TFormatSettingsGuard FGuard;
};

struct NumberCase {
  bool macedonian;
  const char16_t* text;
  const char16_t* normalized;
  int kind;
};

TEST_F(AdvUtilLocale, NumbersNormaliseAndClassifyUnderBothLocales) {
  const NumberCase cases[] = {
      {false, u"1234", u"1234", nkInteger},
      {false, u"1,234.5", u"1234.5", nkDecimal},
      {false, u"1.5E-3", u"1.5E-3", nkScientific},
      {false, u"-1.5E-3", u"-1.5E-3", nkScientific},
      {false, u"1-2", u"1-2", nkNotANumber},
      {false, u"1..2", u"1..2", nkNotANumber},
      {false, u"-", u"-", nkInteger},
      {false, u"--1", u"-1", nkNotANumber},
      {false, u"1,23,456", u"123456", nkNotANumber},  // thousands too close together
      {false, u"E5", u"E5", nkNotANumber},
      {false, u"1E", u"1E", nkNotANumber},
      {false, u"", u"", nkNotANumber},
      {false, u"abc", u"", nkNotANumber},
      {false, u"$ 12.5 kg", u"12.5", nkNotANumber},
      {true, u"(1.234,50)", u"-1234.50", nkNotANumber},
      {true, u"  (1.234,50)  ", u"-1234.50", nkNotANumber},
      {true, u"1.234,50", u"1234.50", nkDecimal},
      {true, u"12,5", u"12.5", nkDecimal},
      {true, u"1,2,3", u"1.2.3", nkNotANumber},
      {true, u"-7", u"-7", nkInteger},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(std::string(c.macedonian ? "mk " : "en ") +
                 std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)).c_str());
    c.macedonian ? Macedonian() : English();
    EXPECT_EQ(NormalizeNumericText(c.text), String(c.normalized));
    EXPECT_EQ(ClassifyNumericText(c.text), c.kind);
  }
  Macedonian();
  EXPECT_EQ(NormalizeDecimalText(u"1.234,5"), u"1234.5");
  EXPECT_EQ(NormalizeDecimalText(String(u"7,5\0" u"99", 6)), u"7.5");  // ends at NUL
  English();
  EXPECT_EQ(NormalizeDecimalText(u"1,234.5"), u"1234.5");
}

TEST(AdvUtilText, DetectTextFormatRecognisesEachKind) {
  const struct {
    String text;
    bool markup;
    int kind;
  } cases[] = {
      {u"", true, tfPlain},
      {u"=A1", false, tfFormula},
      {u"{\\rtf1 x}", false, tfRichText},
      {u"<B>x</B>", true, tfMarkup},
      {u"<B>x</B>", false, tfPlain},
      {u"a</i>", true, tfMarkup},
      {u"<b>x", true, tfPlain},  // tags are case-sensitive
      {WideToCellText(u"Ж"), false, tfWide},
      {WideToCellText(u"=A1"), false, tfFormula},
      {u"plain 1 < 2", true, tfPlain},
  };
  for (const auto& c : cases) EXPECT_EQ(DetectTextFormat(c.text, c.markup), c.kind);
}

TEST(AdvUtilText, WideCellTextRoundTripsExactly) {
  const String texts[] = {u"Петар Јовановски", u"emoji \U0001F600 pair", String(u"a\0b", 3),
                          u"", u"\xFFFF\x0100"};
  for (const String& wide : texts) {
    const String cell = WideToCellText(wide);
    ASSERT_EQ(cell.size(), 2 + 2 * wide.size());
    for (size_t i = 2; i < cell.size(); ++i) EXPECT_LT(cell[i], 0x100);
    EXPECT_EQ(CellTextToWide(cell), wide);
  }
  EXPECT_EQ(WideToCellText(u"Ж"), String(u"|\\\x04\x16"));
  // Not marked, or marked but holding units above a byte: unchanged.
  EXPECT_EQ(CellTextToWide(u"Петар"), u"Петар");
  EXPECT_EQ(CellTextToWide(u"|\\Ж"), u"|\\Ж");
  // An odd last byte is ignored.
  EXPECT_EQ(CellTextToWide(String(u"|\\\x00\x41\x00", 5)), u"A");
  EXPECT_EQ(WidePos(u"тар", u"Петар"), 3);
  EXPECT_EQ(WidePos(u"", u"Петар"), 0);
  EXPECT_EQ(WidePos(u"x", u"Петар"), 0);
}

TEST(AdvUtilText, LineCodingsRoundTripAndLeaveOtherTextsAlone) {
  const String multi(u"ред 1\r\nред 2\0!", 13);
  const String encoded = EncodeCellLineBreaks(multi);
  EXPECT_EQ(encoded, String(u"ред 1\x09\x08ред 2\x01!", 13));
  EXPECT_EQ(DecodeCellLineBreaks(encoded, true), multi);
  EXPECT_EQ(DecodeCellLineBreaks(encoded, false), u"ред 1");
  EXPECT_EQ(EncodeCellLineBreaks(u"a\nb"), u"a\nb");  // no carriage return: unchanged
  EXPECT_EQ(DecodeCellLineBreaks(u"a\tb", true), u"a\tb");  // no byte 8: unchanged

  EXPECT_EQ(QuoteMultiLineField(u"a\r\nb"), u"\"a\x0B" u"b\"");
  EXPECT_EQ(RestoreLineBreaks(u"a\x0B" u"b\x0B"), u"a\r\nb\r\n");
  EXPECT_EQ(DecodeTildeLineBreaks(u"a~b"), u"a\r\nb");
  EXPECT_EQ(DecodeTildeLineBreaks(u"^"), u"");
  EXPECT_EQ(ConvertNewlineEscapes(u"a\\nb\\n"), u"a\rb\r");
  EXPECT_EQ(CarriageReturnToLineFeed(u"a\rb"), u"a\nb");
  EXPECT_EQ(CountLines(u"a\r\nb\r\nc", true), 3);
  EXPECT_EQ(CountLines(u"a\r\nb\r\n", true), 2);  // nothing after the last break
  EXPECT_EQ(CountLines(u"a\r\nb", false), 1);
}

TEST(AdvUtilText, SplitFirstLineKeepsOrDropsTheRest) {
  String s = u"one\r\ntwo\rthree";
  EXPECT_EQ(SplitFirstLine(s, true), u"one");
  EXPECT_EQ(s, u"two\rthree");
  EXPECT_EQ(SplitFirstLine(s, false), u"two");
  EXPECT_EQ(s, u"");
  s = u"single";
  EXPECT_EQ(SplitFirstLine(s, true), u"single");
  EXPECT_EQ(s, u"");
}

TEST(AdvUtilText, QuotesTokensAndSearches) {
  EXPECT_EQ(CollapseDoubledChar(u'"', u"a\"\"b\"\"\"\""), u"a\"b\"\"");
  int pos = -5;
  EXPECT_TRUE(FindUnpairedChar(u'"', u"\"\"x\"y", pos));
  EXPECT_EQ(pos, 4);
  EXPECT_TRUE(FindUnpairedChar(u'"', u"ab\"\"", pos));  // last character ends the scan
  EXPECT_EQ(pos, 4);
  EXPECT_FALSE(FindUnpairedChar(u'"', u"a\"\"b", pos));
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(CountUnpairedChar(u'"', u"\"a\"b\"\"c"), 2);
  EXPECT_EQ(CountChar(u'а', u"банана"), 3);

  char16_t found;
  EXPECT_TRUE(FindCharOutsideQuotes(u",;", u"\"a,b\";c,d", found, pos));
  EXPECT_EQ(found, u';');
  EXPECT_EQ(pos, 6);
  EXPECT_FALSE(FindCharOutsideQuotes(u",", u"\"a,b\"", found, pos));
  EXPECT_EQ(pos, -1);

  EXPECT_TRUE(FindPos(u"ар", u"Петар", pos));
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(UpperPos(u"ТАР", u"Петар"), 3);
  EXPECT_EQ(CharIndex(u'x', u"abc"), 0);

  String s = u"a::b::c";
  EXPECT_EQ(TakeToken(s, u"::"), u"a");
  EXPECT_EQ(s, u"b::c");  // the whole delimiter goes
  EXPECT_EQ(TakeToken(s, u";"), u"");
  EXPECT_EQ(s, u"b::c");
  TStringList list;
  SplitToStrings(u"x::::y::z", u"::", list);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Strings(1), u"");
  EXPECT_EQ(list.Strings(3), u"z");

  s = u"тајна";
  FillString(s, u'*');
  EXPECT_EQ(s, u"*****");
  EXPECT_EQ(OemToAnsiText(u"\x8F\xA5\xE2\xA0\xE0 1"), u"Петар 1");
}

TEST(AdvUtilText, NamesLinksAndReferences) {
  const std::pair<String, String> names[] = {
      {u"mcdonald", u"McDonald"},       {u"henry iii", u"Henry III"},
      {u"o'neil-smith", u"O'Neil-Smith"}, {u"ПЕТАР ЈОВАНОВ", u"Петар Јованов"},
      {u"john mcdonald", u"John McDonald"}, {u"mary i", u"Mary I"},
      {u"", u""}};
  for (const auto& [in, out] : names) EXPECT_EQ(ToMixedCase(in), out);

  EXPECT_TRUE(IsUrlText(u"see http://x"));
  EXPECT_TRUE(IsUrlText(u"mailto:a@b"));
  EXPECT_FALSE(IsUrlText(u"http:x"));
  String url = u"https://host/p";
  StripUrlScheme(url);
  EXPECT_EQ(url, u"host/p");
  url = u"mailto:a@b";
  StripUrlScheme(url);
  EXPECT_EQ(url, u"a@b");

  String linked;
  EXPECT_TRUE(LinkifyUrl(u"<b> go HTTP://x.org/a_b c>", u"HTTP://", linked));
  EXPECT_EQ(linked, u"&lt;b&gt; go <a href=\"HTTP://x.org/a_b\">HTTP://x.org/a_b</a> c&gt;");
  EXPECT_FALSE(LinkifyUrl(u"no link", u"HTTP://", linked));

  TPoint pt;
  EXPECT_TRUE(ParseRowColRef(u"r12c3", pt));
  EXPECT_EQ(pt, (TPoint{3, 12}));
  for (const char16_t* bad : {u"R1C", u"RC12", u"R1X2", u"A1", u"R12C3x"})
    EXPECT_FALSE(ParseRowColRef(bad, pt)) << std::string(bad, bad + 1);
}

TEST(AdvUtilText, LimitsAndColours) {
  const int limits[][4] = {{5, 0, 0, 5},   {5, 10, 0, 10}, {50, 0, 20, 20},
                           {5, 7, 7, 5},   {-3, 0, 20, -3}, {15, 10, 20, 15}};
  for (const auto& l : limits) EXPECT_EQ(LimitValue(l[0], l[1], l[2]), l[3]);
  EXPECT_TRUE(PointInGridRect(TGridRect{1, 1, 3, 3}, 3, 1));
  EXPECT_FALSE(PointInGridRect(TGridRect{1, 1, 3, 3}, 4, 1));

  EXPECT_EQ(DarkenColorHalf(RGB(200, 101, 0)), static_cast<TColor>(RGB(100, 50, 0)));
  EXPECT_EQ(AdjustColorPercent(RGB(200, 100, 10), -50), static_cast<TColor>(RGB(100, 50, 5)));
  EXPECT_EQ(AdjustColorPercent(RGB(200, 100, 0), 50), static_cast<TColor>(RGB(255, 150, 0)));
  EXPECT_EQ(AdjustColorPercent(RGB(200, 100, 0), -150), static_cast<TColor>(RGB(0, 0, 0)));
  EXPECT_EQ(InterpolateColor(RGB(0, 0, 0), RGB(200, 100, 50), 0, 4, 2),
            static_cast<TColor>(RGB(100, 50, 25)));
  EXPECT_EQ(InterpolateColor(RGB(1, 2, 3), clNone, 0, 4, 2), static_cast<TColor>(RGB(1, 2, 3)));
  EXPECT_EQ(InterpolateColor(RGB(1, 2, 3), RGB(9, 9, 9), 4, 4, 2),
            static_cast<TColor>(RGB(1, 2, 3)));
}

}  // namespace
