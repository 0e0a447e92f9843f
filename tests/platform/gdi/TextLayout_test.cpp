#include "platform/gdi/TextLayout.h"

#include <gtest/gtest.h>

#include "platform/gdi/GdiConst.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// Every character 10 pixels wide but the full stop (4), lines 16 high, average character 5 wide
// (so a tab stop every 40 pixels).
class TFixedMeasure : public TTextMeasure {
 public:
  int Width(std::u16string_view text) override {
    int w = 0;
    for (char16_t c : text) w += c == u'.' ? 4 : (c == u'\t' ? 0 : 10);
    return w;
  }
  int LineHeight() override { return 16; }
  int AveCharWidth() override { return 5; }
};

std::vector<String> LineTexts(const TTextBlock& block) {
  std::vector<String> out;
  for (const auto& line : block.Lines) {
    String text;
    for (const auto& run : line.Runs) text += run.Text;
    out.push_back(text);
  }
  return out;
}

TTextBlock Layout(const char* text, TRect rect, uint32_t flags) {
  TFixedMeasure measure;
  return LayoutText(UTF8ToString(text), rect, {flags, 8}, measure);
}

TEST(TextLayout, LinesBreakAtLineEndsAndWordsAsTheFlagsSay) {
  struct Case {
    const char* name;
    const char* text;
    int width;
    uint32_t flags;
    std::vector<const char*> lines;
  } cases[] = {
      {"single line keeps breaks as text", "ab\r\ncd", 100, DT_SINGLELINE, {"ab\r\ncd"}},
      {"CR LF, CR and LF end lines", "ab\r\ncd\ref\ngh", 100, 0, {"ab", "cd", "ef", "gh"}},
      {"an empty line between breaks", "ab\n\ncd", 100, 0, {"ab", "", "cd"}},
      {"a trailing break adds no line", "ab\n", 100, 0, {"ab"}},
      {"no word break overflows", "aaa bbb ccc", 50, 0, {"aaa bbb ccc"}},
      {"words wrap, spaces at the break dropped", "aaa bbb  ccc", 75, DT_WORDBREAK, {"aaa bbb", "ccc"}},
      {"Cyrillic words wrap", "мое име е Ана", 70, DT_WORDBREAK, {"мое име", "е Ана"}},
      {"a long word stays whole", "aaaaaaaa bb", 50, DT_WORDBREAK, {"aaaaaaaa", "bb"}},
      {"edit control breaks a long word", "aaaaaaaa bb", 50, DT_WORDBREAK | DT_EDITCONTROL, {"aaaaa", "aaa", "bb"}},
      {"leading spaces of a paragraph stay", "  ab cd", 50, DT_WORDBREAK, {"  ab", "cd"}},
      {"breaks and wrapping together", "aa bb\ncc dd", 50, DT_WORDBREAK, {"aa bb", "cc dd"}},
      {"empty text is one empty line", "", 50, DT_WORDBREAK, {""}},
  };
  for (const Case& c : cases) {
    TTextBlock block = Layout(c.text, {0, 0, c.width, 200}, c.flags);
    std::vector<String> expected;
    for (const char* line : c.lines) expected.push_back(UTF8ToString(line));
    EXPECT_EQ(LineTexts(block), expected) << c.name;
    EXPECT_EQ(block.Height, 16 * static_cast<int>(expected.size())) << c.name;
  }
}

TEST(TextLayout, PrefixesUnderlineTheAccessKey) {
  TTextBlock block = Layout("&Save && &exit", {0, 0, 300, 20}, DT_SINGLELINE);
  ASSERT_EQ(block.Lines.size(), 1u);
  EXPECT_EQ(block.Lines[0].Runs[0].Text, u"Save & exit");
  EXPECT_EQ(block.Lines[0].UnderlinePos, 7);  // the last marked key wins
  EXPECT_EQ(block.Lines[0].Width, 110);
  block = Layout("&Save", {0, 0, 300, 20}, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_EQ(block.Lines[0].Runs[0].Text, u"Save");
  EXPECT_EQ(block.Lines[0].UnderlineRun, -1);
  block = Layout("a&&b&", {0, 0, 300, 20}, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(block.Lines[0].Runs[0].Text, u"a&&b&");
  block = Layout("a&&b&", {0, 0, 300, 20}, DT_SINGLELINE);
  EXPECT_EQ(block.Lines[0].Runs[0].Text, u"a&b");
}

TEST(TextLayout, TabsExpandToStops) {
  TTextBlock block = Layout("ab\tc\td", {0, 0, 300, 20}, DT_SINGLELINE | DT_EXPANDTABS);
  ASSERT_EQ(block.Lines[0].Runs.size(), 3u);
  EXPECT_EQ(block.Lines[0].Runs[1].X, 40);
  EXPECT_EQ(block.Lines[0].Runs[2].X, 80);
  EXPECT_EQ(block.Lines[0].Width, 90);
  block = Layout("ab\tc", {0, 0, 300, 20}, DT_SINGLELINE);
  EXPECT_EQ(block.Lines[0].Runs.size(), 1u);
  EXPECT_EQ(block.Lines[0].Width, 30);
}

TEST(TextLayout, EllipsesShortenLinesToTheWidth) {
  struct Case {
    const char* name;
    const char* text;
    int width;
    uint32_t flags;
    const char* expected;
  } cases[] = {
      {"fits: untouched", "abcd", 40, DT_END_ELLIPSIS, "abcd"},
      {"end", "abcdefgh", 52, DT_END_ELLIPSIS, "abcd..."},
      {"end, Cyrillic", "Македонија", 62, DT_END_ELLIPSIS, "Макед..."},
      {"word", "ab cdef gh", 90, DT_WORD_ELLIPSIS, "ab cdef..."},
      {"word cuts back to a word end", "ab cdefgh", 80, DT_WORD_ELLIPSIS, "ab..."},
      {"path keeps the last part", "c:\\dir\\sub\\file", 100, DT_PATH_ELLIPSIS, "c:\\...\\file"},
      {"path with no room for the head", "c:\\dir\\longfile", 92, DT_PATH_ELLIPSIS, "...longfile"},
      {"nothing fits but the dots", "abcdef", 5, DT_END_ELLIPSIS, "..."},
  };
  for (const Case& c : cases) {
    TTextBlock block = Layout(c.text, {0, 0, c.width, 20}, c.flags | DT_SINGLELINE);
    ASSERT_EQ(block.Lines.size(), 1u) << c.name;
    EXPECT_EQ(block.Lines[0].Runs[0].Text, UTF8ToString(c.expected)) << c.name;
    if (String(u"...") != block.Lines[0].Runs[0].Text) {
      EXPECT_LE(block.Lines[0].Width, c.width) << c.name;
    }
  }
}

TEST(TextLayout, WrappedTextWithEndEllipsisStopsAtTheLastLineThatFits) {
  // Three lines would be needed; two fit, the second takes the rest with an ellipsis.
  TTextBlock block = Layout("aa bb cc dd ee", {0, 0, 50, 35}, DT_WORDBREAK | DT_END_ELLIPSIS);
  std::vector<String> expected{u"aa bb", u"cc..."};
  EXPECT_EQ(LineTexts(block), expected);
  // Measuring ignores the height.
  block = Layout("aa bb cc dd ee", {0, 0, 50, 35}, DT_WORDBREAK | DT_END_ELLIPSIS | DT_CALCRECT);
  EXPECT_EQ(block.Lines.size(), 3u);
  EXPECT_EQ(block.Bounds, (TRect{0, 0, 50, 48}));
  // The edit control look drops a partly visible last line.
  block = Layout("aa bb cc dd ee", {0, 0, 50, 40}, DT_WORDBREAK | DT_EDITCONTROL);
  EXPECT_EQ(block.Lines.size(), 2u);
}

TEST(TextLayout, AlignmentAndTheRectangleReturned) {
  TTextBlock block = Layout("abc", {10, 20, 110, 60}, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  EXPECT_EQ(block.Lines[0].X, 45);
  EXPECT_EQ(block.Lines[0].Y, 32);
  EXPECT_EQ(block.Result, 28);  // from the top of the rectangle to the bottom of the text
  block = Layout("abc", {10, 20, 110, 60}, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
  EXPECT_EQ(block.Lines[0].X, 80);
  EXPECT_EQ(block.Lines[0].Y, 44);
  EXPECT_EQ(block.Result, 40);
  // Vertical placement applies to single lines only.
  block = Layout("abc\ndef", {10, 20, 110, 60}, DT_VCENTER);
  EXPECT_EQ(block.Lines[0].Y, 20);
  EXPECT_EQ(block.Result, 32);
  // The measured rectangle keeps its left and top and fits the widest line.
  block = Layout("ab\nabcde", {10, 20, 110, 60}, DT_CALCRECT | DT_CENTER);
  EXPECT_EQ(block.Bounds, (TRect{10, 20, 60, 52}));
  block = Layout("aaa bbb ccc", {0, 0, 75, 10}, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(block.Bounds, (TRect{0, 0, 70, 32}));
  block = Layout("", {5, 5, 50, 50}, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(block.Bounds, (TRect{5, 5, 5, 21}));
}

}  // namespace
