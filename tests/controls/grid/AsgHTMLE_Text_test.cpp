// The operations on markup texts that do not draw.
#include <gtest/gtest.h>

#include "controls/html/AsgHTMLE.h"
#include "platform/rtl/UnicodeText.h"

namespace {

TEST(HtmlText, PlainTextAndStrippedTags) {
  struct {
    const char16_t* Html;
    const char16_t* Plain;
    const char16_t* Stripped;
  } cases[] = {
      {u"a<BR>b", u"a\r\nb", u"ab"},
      {u"a<hr>b", u"a\r\nb", u"ab"},
      {u"a&amp;b<BR>c", u"a&amp;b\r\nc", u"a&amp;bc"},  // entities stay as written
      {u"a<b>c", u"ac", u"ac"},
      // A ">" before any "<" is text; nothing is repeated.
      {u"x>y<b>z", u"x>yz", u"x>y<b>z"},
      {u"ab<c", u"ab<c", u"ab<c"},  // an unterminated tag is kept
      {u"<B>bold</B> and <I>it</I>", u"bold and it", u"bold and it"},
      {u"", u"", u""},
  };
  for (const auto& t : cases) {
    EXPECT_EQ(HtmlToPlainText(t.Html), String(t.Plain)) << UTF8Encode(t.Html);
    EXPECT_EQ(StripHtmlTags(t.Html), String(t.Stripped)) << UTF8Encode(t.Html);
  }
}

TEST(HtmlText, EscapeAndUnescapeRoundTrip) {
  const char16_t* texts[] = {
      u"plain",  u"a & b",  u"&amp;",         u"&quot;", u"<b>\"x\"</b>", u"*amp;",
      u"\u00E9t\u00E9 \u00C9 \u20AC \u00AB\u00BB", u"&lt;&gt;", u"&", u"",
  };
  for (const char16_t* t : texts) {
    EXPECT_EQ(UnescapeHtmlEntities(EscapeHtmlChars(t, true), true), String(t)) << UTF8Encode(t);
    EXPECT_EQ(UnescapeHtmlEntities(EscapeHtmlChars(t, false), false), String(t));
  }
  EXPECT_EQ(EscapeHtmlChars(u"a<b>&\"\u00E9", true), u"a&lt;b&gt;&amp;&quot;&eacute;");
  EXPECT_EQ(EscapeHtmlChars(u"\u00E9", false), u"\u00E9");
  // Each name keeps its case: two table rows.
  EXPECT_EQ(UnescapeHtmlEntities(u"&Eacute;&eacute;", true), u"\u00C9\u00E9");
  EXPECT_EQ(UnescapeHtmlEntities(u"&Eacute;", false), u"&Eacute;");
  EXPECT_EQ(UnescapeHtmlEntities(u"&EACUTE; &LT;", true), u"&EACUTE; &LT;");
  // The last four rows are carried but take no part.
  EXPECT_EQ(UnescapeHtmlEntities(u"&atilde;", true), u"&atilde;");
}

const String kControls =
    u"Name <CONTROL TYPE=\"EDIT\" ID=\"name\" VALUE=\"Ann &amp; Bob\" WIDTH=\"80\" "
    u"HEIGHT=\"30\" PROP=\"p&lt;1&gt;\" MAXLEN=\"12x\"> "
    u"<control type=\"check\" id=\"ok\" value=\"TRUE\" width=\"16\"> "
    u"<CONTROL TYPE=\"RADIO\" ID=\"r1\" VALUE=\"TRUE\" WIDTH=\"16\"> "
    u"<CONTROL TYPE=\"BUTTON\" ID=\"go\" VALUE=\"Go\" WIDTH=\"40\"> "
    u"<CONTROL TYPE=\"COMBO\" ID=\"town\" VALUE=\"\" WIDTH=\"60\">";

TEST(HtmlText, ControlTags) {
  THtmlControlTag t = ParseControlTag(
      u"<CONTROL type=\"edit\" ID=\"a\" VALUE=\"x &eacute; &quot;\" WIDTH=\"5\">");
  EXPECT_EQ(t.Type, u"EDIT");
  EXPECT_EQ(t.Id, u"a");
  EXPECT_EQ(t.Value, u"x \u00E9 \"");
  EXPECT_EQ(t.Width, u"5");
  EXPECT_EQ(t.Height, u"");

  EXPECT_TRUE(HasHtmlControl(kControls));
  EXPECT_FALSE(HasHtmlControl(u"<B>x</B>"));
  EXPECT_EQ(GetHtmlControlInfo(kControls, u"name"), u"p<1>");
  EXPECT_EQ(GetHtmlControlInfo(kControls, u"none"), u"");
  EXPECT_EQ(GetHtmlControlMaxLen(kControls, u"name"), 12);
  EXPECT_EQ(GetHtmlControlMaxLen(kControls, u"ok"), 0);
  EXPECT_EQ(GetHtmlControlMaxLen(kControls, u"none"), 0);

  // Focus moves between the editable controls only.
  EXPECT_EQ(NextHtmlControl(kControls, u""), u"name");
  EXPECT_EQ(NextHtmlControl(kControls, u"name"), u"town");
  EXPECT_EQ(NextHtmlControl(kControls, u"town"), u"");
  EXPECT_EQ(NextHtmlControl(kControls, u"missing"), u"");
}

TEST(HtmlText, SetControlValueRewritesOneTag) {
  String html = kControls;
  EXPECT_FALSE(SetHtmlControlValue(html, u"missing", u"x"));
  EXPECT_EQ(html, kControls);

  ASSERT_TRUE(SetHtmlControlValue(html, u"name", u"<Zo\u00E9>"));
  EXPECT_EQ(html.substr(0, html.find(u'>') + 1),
            u"Name <CONTROL ID=\"name\" VALUE=\"&lt;Zo&eacute;&gt;\" WIDTH=\"80\" TYPE=\"EDIT\" "
            u"PROP=\"p&lt;1&gt;\" MAXLEN=\"12x\">");
  EXPECT_EQ(html.find(u"HEIGHT"), String::npos) << "HEIGHT is not carried over";
  THtmlControlTag t = ParseControlTag(html.substr(5));
  EXPECT_EQ(t.Value, u"<Zo\u00E9>");
  EXPECT_EQ(html.substr(html.find(u'>') + 1), kControls.substr(kControls.find(u'>') + 1));

  String reset = ResetHtmlRadioButtons(kControls);
  EXPECT_NE(reset.find(u"ID=\"r1\" VALUE=\"FALSE\""), String::npos);
  EXPECT_NE(reset.find(u"id=\"ok\" value=\"TRUE\""), String::npos) << "check boxes stay";
}

TEST(HtmlText, HighlightMarksEveryOccurrence) {
  struct {
    const char16_t* Html;
    const char16_t* Search;
    bool CaseSensitive;
    const char16_t* Result;
  } cases[] = {
      {u"abab", u"ab", true, u"<hi>ab</hi><hi>ab</hi>"},  // adjacent ones too
      {u"aaa", u"a", true, u"<hi>a</hi><hi>a</hi><hi>a</hi>"},
      {u"a<b>bc</b>d", u"bc", true, u"a<b><hi>bc</hi></b>d"},
      {u"x<b>y</b>z", u"xyz", true, u"<hi>x<b>y</b>z</hi>"},
      {u"Ab ab", u"AB", false, u"<hi>Ab</hi> <hi>ab</hi>"},
      {u"Ab ab", u"AB", true, u"Ab ab"},
      {u"\u041F\u0440\u0438\u0432\u0435\u0442 \u043C\u0438\u0440", u"\u041C\u0418\u0420", false,
       u"\u041F\u0440\u0438\u0432\u0435\u0442 <hi>\u043C\u0438\u0440</hi>"},
      {u"no match", u"zz", false, u"no match"},
  };
  for (const auto& t : cases) {
    String marked = HighlightHtmlText(t.Html, t.Search, u"hi", t.CaseSensitive);
    EXPECT_EQ(marked, String(t.Result)) << UTF8Encode(t.Html);
    EXPECT_EQ(UnHighlightHtmlText(marked, u"HI"), String(t.Html)) << UTF8Encode(t.Html);
  }
  // Visible "<" and ">" are escaped, and the tags dropped, when the text would else be torn.
  String torn = HighlightHtmlText(u"x>y<b>z</b>", u"y", u"hi", true);
  EXPECT_EQ(torn, u"x&gt;<hi>y</hi>&lt;b&gt;z&lt;/b&gt;");
  EXPECT_EQ(UnHighlightHtmlText(torn, u"hi"), u"x>y<b>z</b>");
}

TEST(HtmlText, PositionsAndSmallOperations) {
  struct {
    const char16_t* Html;
    int N;
    int Pos;
  } positions[] = {
      {u"abc", 1, 1}, {u"abc", 3, 3}, {u"abc", 4, 4}, {u"abc", 5, 0},
      {u"a<b>c", 2, 2},  // the tag before the second visible character
      {u"<b>a</b>", 1, 1}, {u"<b>a</b>", 2, 5},
  };
  for (const auto& p : positions) {
    EXPECT_EQ(HtmlCharPos(p.Html, p.N), p.Pos) << UTF8Encode(p.Html) << " " << p.N;
  }
  int at = -1;
  EXPECT_EQ(FindTextFrom(u"b", u"abab", 2, true, at), 4);
  EXPECT_EQ(at, 4);
  EXPECT_EQ(FindTextFrom(u"B", u"abab", 0, false, at), 2);
  EXPECT_EQ(FindTextFrom(u"B", u"abab", 0, true, at), 0);

  struct {
    const char16_t* Text;
    int Value;
  } ints[] = {{u"42", 42}, {u"  42px", 42}, {u"-7", -7}, {u"+3", 3}, {u"$1F", 31},
              {u"0x10", 16}, {u"", 0}, {u"abc", 0}, {u"99999999999", 2147483647}};
  for (const auto& i : ints) EXPECT_EQ(StrToIntLoose(i.Text), i.Value) << UTF8Encode(i.Text);

  EXPECT_EQ(PosNoCase(u"cOn", u"<Control>"), 2);
  EXPECT_EQ(PosNoCase(u"x", u"abc"), 0);
  int pos = 0;
  EXPECT_EQ(UpperTextPos(u"SRC", u"<img src=\"a\">", pos), 6);
  EXPECT_EQ(pos, 6);
  String text = u"one Two two";
  EXPECT_TRUE(ReplaceFirstNoCase(u"two", u"2", text));
  EXPECT_EQ(text, u"one 2 two");
  EXPECT_FALSE(ReplaceFirstNoCase(u"six", u"6", text));
  EXPECT_EQ(UnwrapHashMarkers(u"<#ID> and <#X"), u"#ID and #X");
  EXPECT_EQ(LineBreaksToBr(u"a\r\nb\nc", true), u"a<BR>bc");
  EXPECT_EQ(LineBreaksToBr(u"a\r\nb", false), u"ab");
  EXPECT_EQ(MaskPassword(u"s\u00E9cret"), u"******");
}

TEST(HtmlText, HighlightColoursAreSharedByTheHiTag) {
  EXPECT_EQ(HtmlHighlightColor(), clHighlight);
  EXPECT_EQ(HtmlHighlightTextColor(), clHighlightText);
  SetHtmlHighlightColors(clYellow, clRed);
  EXPECT_EQ(HtmlHighlightColor(), clYellow);
  EXPECT_EQ(HtmlHighlightTextColor(), clRed);
  SetHtmlHighlightColors(clHighlight, clHighlightText);
}

TEST(HtmlText, BiDiFlagsMirrorOnlyOnAMiddleEastLocale) {
  EXPECT_EQ(ApplyBiDiFlagsFor(DT_LEFT, bdRightToLeft, true), DT_RIGHT | DT_RTLREADING);
  EXPECT_EQ(ApplyBiDiFlagsFor(DT_RIGHT, bdRightToLeft, true), DT_LEFT | DT_RTLREADING);
  EXPECT_EQ(ApplyBiDiFlagsFor(DT_CENTER, bdRightToLeft, true), DT_CENTER | DT_RTLREADING);
  EXPECT_EQ(ApplyBiDiFlagsFor(DT_LEFT, bdRightToLeftReadingOnly, true), DT_RTLREADING);
  EXPECT_EQ(ApplyBiDiFlagsFor(DT_LEFT, bdLeftToRight, true), DT_LEFT);
  EXPECT_EQ(ApplyBiDiFlagsFor(DT_LEFT, bdRightToLeft, false), DT_LEFT);
  EXPECT_EQ(ApplyBiDiFlags(DT_BOTTOM, bdRightToLeft), DT_BOTTOM) << "not a Middle-East system";
}

}  // namespace
