// The wide string list: lines cut from a text, the text made of lines, the locale's caseless
// search against the exact comparison, objects kept by exchanges and moves, assignment to and
// from the platform's lists, the wide buffers, and the combo box's items.
#include <cstring>
#include <vector>

#include "controls/grid/AsgUni.h"
#include "platform/rtl/TextCompare.h"
#include "tests/controls/grid/GridEditorTestSupport.h"

namespace {

using namespace AsgUni;

// The smallest list that keeps its strings and objects, counting its update states.
class TWideList : public TWideStrings {
 public:
  String Get(int index) const override { return FItems.at(static_cast<size_t>(index)).first; }
  int GetCount() const override { return static_cast<int>(FItems.size()); }
  TObject* GetObject(int index) const override {
    return FItems.at(static_cast<size_t>(index)).second;
  }
  void PutObject(int index, TObject* object) override {
    FItems.at(static_cast<size_t>(index)).second = object;
  }
  void Clear() override { FItems.clear(); }
  void Delete(int index) override { FItems.erase(FItems.begin() + index); }
  void Insert(int index, const String& s) override {
    FItems.insert(FItems.begin() + index, {s, nullptr});
  }
  void SetUpdateState(bool updating) override { States.push_back(updating); }
  std::vector<String> All() const {
    std::vector<String> all;
    for (const auto& item : FItems) all.push_back(item.first);
    return all;
  }
  std::vector<bool> States;

 private:
  std::vector<std::pair<String, TObject*>> FItems;
};

using TLines = std::vector<String>;

TEST(WideStringsTest, ATextIsCutIntoLinesAtEveryKindOfBreak) {
  struct TCase {
    const char* Name;
    String Text;
    TLines Lines;
  } cases[] = {
      {"EmptyLineBetween", u"a\r\n\r\nb", {u"a", u"", u"b"}},
      {"FinalBreakAddsNoLine", u"a\r\n", {u"a"}},
      {"Nothing", u"", {}},
      {"LineSeparator", u"Ана\u2028Марко", {u"Ана", u"Марко"}},
      {"ParagraphSeparator", u"x\u2029y", {u"x", u"y"}},
      {"LoneCarriageReturn", u"a\rb", {u"a", u"b"}},
      {"LineFeedThenCarriageReturnIsTwoBreaks", u"a\n\rb", {u"a", u"", u"b"}},
      {"TabsAndFormFeeds", u"a\fb\vc", {u"a", u"b", u"c"}},
      {"OnlyABreak", u"\r\n", {u""}},
  };
  for (const auto& c : cases) {
    TWideList list;
    list.Add(u"old");
    list.SetTextStr(c.Text);
    EXPECT_EQ(list.All(), c.Lines) << c.Name;
  }
  TWideList list;
  list.SetText(u"first\nsecond");
  EXPECT_EQ(list.All(), (TLines{u"first", u"second"}));
  EXPECT_EQ(list.GetTextStr(), u"first\r\nsecond\r\n");
  list.SetText(nullptr);
  EXPECT_EQ(list.Count(), 0);
}

TEST(WideStringsTest, TheTextOfAnEmptyListIsAnEmptyBufferNotNull) {
  TWideList list;
  TWideBuffer text = list.GetText();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text[0], u'\0');
  list.Add(u"Ж😀");
  text = list.GetText();
  EXPECT_EQ(String(text.get()), u"Ж😀\r\n");
  EXPECT_EQ(WideCharCount(text.get()), 5);
}

TEST(WideStringsTest, TheSearchIgnoresCaseInTheLanguageButEqualsDoesNot) {
  TWideList list;
  list.Add(u"Ана");
  list.Add(u"петар");
  list.Add(u"abc");
  EXPECT_EQ(list.IndexOf(u"ПЕТАР"), 1);
  EXPECT_EQ(list.IndexOf(u"ABC"), 2);
  EXPECT_EQ(list.IndexOf(u"петар "), -1);
  list.SetLanguage("mk_MK");
  EXPECT_EQ(list.IndexOf(u"ПЕТАР"), 1);
  EXPECT_EQ(TWideList().IndexOf(u"x"), -1);

  TWideList other;
  other.Assign(&list);
  EXPECT_TRUE(list.Equals(&other));
  other.Put(1, u"Петар");
  EXPECT_FALSE(list.Equals(&other)) << "a difference of case is a difference";
  other.Put(1, u"петар");
  other.Add(u"more");
  EXPECT_FALSE(list.Equals(&other));
}

TEST(WideStringsTest, ExchangesMovesAndReplacementsKeepEachStringsObject) {
  TObject a, b, c;
  TWideList list;
  list.AddObject(u"а", &a);
  list.AddObject(u"б", &b);
  list.AddObject(u"в", &c);
  list.Exchange(0, 2);
  EXPECT_EQ(list.All(), (TLines{u"в", u"б", u"а"}));
  EXPECT_EQ(list.Objects(0), &c);
  EXPECT_EQ(list.Objects(2), &a);
  list.Move(0, 2);
  EXPECT_EQ(list.All(), (TLines{u"б", u"а", u"в"}));
  EXPECT_EQ(list.Objects(2), &c);
  list.Move(1, 1);
  EXPECT_EQ(list.Objects(1), &a);
  list.Put(1, u"А");
  EXPECT_EQ(list.Objects(1), &a);
  list.InsertObject(0, u"г", &b);
  EXPECT_EQ(list.Objects(0), &b);
}

TEST(WideStringsTest, BulkChangesAnnounceOneUpdateEvenWhenNested) {
  TWideList list;
  list.BeginUpdate();
  list.SetTextStr(u"a\nb");
  list.Exchange(0, 1);
  list.EndUpdate();
  EXPECT_EQ(list.States, (std::vector<bool>{true, false}));
}

TEST(WideStringsTest, ItAssignsToAndFromThePlatformsListsWithTheirObjects) {
  TObject a, b;
  TStringList platform;
  platform.AddObject(u"Скопје", &a);
  platform.AddObject(u"Ωμέγα", &b);
  TWideList list;
  list.Add(u"old");
  list.Assign(&platform);
  EXPECT_EQ(list.All(), (TLines{u"Скопје", u"Ωμέγα"}));
  EXPECT_EQ(list.Objects(1), &b);

  TStringList back;
  back.Add(u"old");
  back.Assign(&list);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Strings(0), u"Скопје");
  EXPECT_EQ(back.Objects(0), &a);

  // The view reads the same strings and fills the list.
  TStrings* view = list.AnsiStrings();
  EXPECT_EQ(view->Count(), 2);
  EXPECT_EQ(view->Strings(1), u"Ωμέγα");
  view->Add(u"€");
  EXPECT_EQ(list.All(), (TLines{u"Скопје", u"Ωμέγα", u"€"}));
  TStringList replacement;
  replacement.Add(u"x");
  list.SetAnsiStrings(&replacement);
  EXPECT_EQ(list.All(), (TLines{u"x"}));

  TWideList wide;
  wide.Assign(&list);
  EXPECT_EQ(wide.All(), (TLines{u"x"}));
  TPersistent other;
  EXPECT_THROW(list.Assign(&other), EConvertError);
}

TEST(WideBuffersTest, BuffersRecordTheirSizeAndCopiesMayOverlap) {
  TWideBuffer buffer = AllocWideBuffer(5);
  uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<const char*>(buffer.get()) - 4, 4);
  EXPECT_EQ(bytes, 5u * 2 + 4);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(buffer[i], 0);
  EXPECT_EQ(DupWideBuffer(nullptr), nullptr);

  char16_t text[] = u"abcdef";
  MoveWideChars(text + 2, text, 3);
  EXPECT_EQ(String(text), u"ababcf");
  MoveWideChars(text, text + 1, 4);
  EXPECT_EQ(String(text), u"babccf");
  EXPECT_EQ(LocaleAnsiCodePage("mk_MK"), 65001);
}

// --- The combo box's items -----------------------------------------------------------------------

class ComboItemsTest : public grideditor_test::TEditorTest {
 public:
  ComboItemsTest() { Combo = Add<TASGUniComboBox>(Bounds(20, 20, 200, 24)); }
  TASGUniComboBox* Combo;
};

TEST_F(ComboItemsTest, TheItemsLiveInTheCombosListAndClearingKeepsTheText) {
  TComboBoxStrings* items = Combo->Items();
  items->SetTextStr(u"Ана\nПетар\n😀");
  EXPECT_EQ(Combo->TCustomComboBox::Items()->Count(), 3);
  EXPECT_EQ(items->Get(2), u"😀");
  EXPECT_EQ(items->Get(3), u"") << "an index the combo does not hold";
  EXPECT_EQ(items->Get(-1), u"");
  EXPECT_EQ(items->IndexOf(u"петар"), 1);
  EXPECT_EQ(items->IndexOf(u"Пет"), -1);
  TObject o;
  items->PutObject(1, &o);
  items->Exchange(0, 1);
  EXPECT_EQ(items->Objects(0), &o);
  EXPECT_EQ(items->Get(0), u"Петар");

  Combo->SetText(u"Ωμέγα");
  items->Clear();
  EXPECT_EQ(items->Count(), 0);
  EXPECT_EQ(Combo->Text(), u"Ωμέγα");
}

}  // namespace
