#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <vector>

#include "platform/rtl/Streams.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

std::vector<String> Lines(const TStrings& list) {
  std::vector<String> result;
  for (int i = 0; i < list.Count(); ++i) result.push_back(list.Strings(i));
  return result;
}

void Fill(TStrings& list, std::initializer_list<const char*> lines) {
  for (const char* line : lines) list.Add(S(line));
}

template <class E>
void ExpectError(const std::function<void()>& call, const String& message) {
  try {
    call();
    ADD_FAILURE() << "no error";
  } catch (const E& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

class StringListTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCollationLocale("ru_RU"); }
};

TEST_F(StringListTest, SortedListKeepsLocaleOrderAndFindsIgnoringCase) {
  TStringList list;
  list.SetSorted(true);
  Fill(list, {"жаба", "Вода", "ана", "Бор", "apple"});
  // The Russian collation puts Cyrillic before Latin.
  EXPECT_EQ(Lines(list), (std::vector<String>{u"ана", u"Бор", u"Вода", u"жаба", u"apple"}));
  int index = -1;
  EXPECT_TRUE(list.Find(u"ЖАБА", index));
  EXPECT_EQ(index, 3);
  EXPECT_EQ(list.IndexOf(u"ВОДА"), 2);
  EXPECT_FALSE(list.Find(u"гора", index));
  EXPECT_EQ(index, 3);  // where it would go: after Вода, before жаба
  EXPECT_EQ(list.IndexOf(u"гора"), -1);
}

TEST_F(StringListTest, DuplicatesOfASortedList) {
  TStringList list;
  list.SetSorted(true);
  Fill(list, {"б", "жаба", "я"});

  EXPECT_EQ(list.Add(u"ЖАБА"), 1);  // dupIgnore: the existing index, nothing added
  EXPECT_EQ(list.Count(), 3);

  list.SetDuplicates(dupError);
  ExpectError<EStringListError>([&] { list.Add(u"Жаба"); },
                                u"String list does not allow duplicates");
  EXPECT_EQ(list.Count(), 3);

  list.SetDuplicates(dupAccept);
  list.Add(u"ЖАБА");
  list.Add(u"Жаба");
  EXPECT_EQ(list.Count(), 5);
  int index = -1;
  EXPECT_TRUE(list.Find(u"жАбА", index));
  EXPECT_EQ(index, 1);  // the first of the equal strings
  EXPECT_EQ(list.IndexOf(u"жаба"), 1);

  // Case-sensitive: the three spellings are different strings.
  TStringList strict;
  strict.SetCaseSensitive(true);
  strict.SetSorted(true);
  strict.SetDuplicates(dupError);
  Fill(strict, {"жаба", "ЖАБА", "Жаба"});
  EXPECT_EQ(strict.Count(), 3);
  EXPECT_GE(strict.IndexOf(u"жаба"), 0);
  EXPECT_EQ(strict.IndexOf(u"жАбА"), -1);
  EXPECT_NE(strict.IndexOf(u"ЖАБА"), strict.IndexOf(u"жаба"));
}

TEST_F(StringListTest, CaseSensitivityOfAnUnsortedList) {
  TStringList list;
  Fill(list, {"Жаба", "жаба"});
  EXPECT_EQ(list.IndexOf(u"ЖАБА"), 0);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf(u"ЖАБА"), -1);
  EXPECT_EQ(list.IndexOf(u"жаба"), 1);
}

TEST_F(StringListTest, ChangingCaseSensitivityResortsASortedList) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  Fill(list, {"b", "B", "a", "A"});
  list.SetCaseSensitive(true);
  int index = -1;
  for (const char16_t* s : {u"a", u"A", u"b", u"B"}) {
    EXPECT_TRUE(list.Find(s, index)) << UTF8Encode(s);
    EXPECT_EQ(list.Strings(index), s);
  }
}

TEST_F(StringListTest, ASortedListRefusesPositionalChanges) {
  TStringList list;
  Fill(list, {"c", "a", "b"});
  list.SetSorted(true);  // sorts what is there
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"b", u"c"}));
  const String message = u"Operation not allowed on sorted list";
  ExpectError<EStringListError>([&] { list.Insert(0, u"z"); }, message);
  ExpectError<EStringListError>([&] { list.SetStrings(0, u"z"); }, message);
  ExpectError<EStringListError>([&] { list.Move(0, 2); }, message);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"b", u"c"}));  // nothing lost
  list.SetSorted(false);
  list.Insert(0, u"z");
  list.Move(0, 3);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"b", u"c", u"z"}));
}

TEST_F(StringListTest, IndexErrors) {
  TStringList list;
  Fill(list, {"a", "b"});
  ExpectError<EStringListError>([&] { list.Strings(2); }, u"List index out of bounds (2)");
  ExpectError<EStringListError>([&] { list.Objects(-1); }, u"List index out of bounds (-1)");
  ExpectError<EStringListError>([&] { list.Delete(5); }, u"List index out of bounds (5)");
  ExpectError<EStringListError>([&] { list.Insert(3, u"x"); }, u"List index out of bounds (3)");
  ExpectError<EStringListError>([&] { list.Exchange(0, 2); }, u"List index out of bounds (2)");
  ExpectError<EListError>([&] { list.Move(1, 9); }, u"List index out of bounds (9)");
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"b"}));
}

TEST_F(StringListTest, NamesAndValues) {
  TStringList list;
  Fill(list, {"Name=Жаба", "Age=3", "plain", "=nameless", "Key=a=b"});
  EXPECT_EQ(list.Names(0), u"Name");
  EXPECT_EQ(list.Names(2), u"");
  EXPECT_EQ(list.Names(3), u"");
  EXPECT_EQ(list.Values(u"NAME"), S("Жаба"));  // names match ignoring case
  EXPECT_EQ(list.Values(u"Key"), u"a=b");      // the first separator splits
  EXPECT_EQ(list.Values(u"plain"), u"");       // a string without separator has no value
  EXPECT_EQ(list.Values(u"missing"), u"");
  EXPECT_EQ(list.ValueFromIndex(3), u"nameless");
  EXPECT_EQ(list.ValueFromIndex(2), u"");
  EXPECT_EQ(list.IndexOfName(u"key"), 4);
  EXPECT_EQ(list.IndexOfName(u"plain"), -1);

  list.SetValues(u"age", u"4");  // replaces, written with the caller's spelling of the name
  EXPECT_EQ(list.Strings(1), u"age=4");
  list.SetValues(u"New", u"x");
  EXPECT_EQ(list.Strings(5), u"New=x");
  list.SetValues(u"Name", u"");  // an empty value deletes the pair
  EXPECT_EQ(list.IndexOfName(u"Name"), -1);
  EXPECT_EQ(list.Count(), 5);
  list.SetValueFromIndex(0, u"5");
  EXPECT_EQ(list.Strings(0), u"age=5");

  list.SetNameValueSeparator(u':');
  list.Add(u"host:localhost");
  EXPECT_EQ(list.Values(u"HOST"), u"localhost");
}

TEST_F(StringListTest, TextSplitsAtEveryKindOfLineBreak) {
  struct Case {
    const char* text;
    std::vector<String> lines;
  };
  const Case cases[] = {
      {"a\r\nb\nc\rd", {u"a", u"b", u"c", u"d"}},
      {"a\n\nb", {u"a", u"", u"b"}},
      {"a\n", {u"a"}},
      {"a\r\n", {u"a"}},
      {"\n", {u""}},
      {"\r\n\r\n", {u"", u""}},
      {"\n\r", {u"", u""}},
      {"", {}},
      {"жаба", {S("жаба")}},
  };
  TStringList list;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    list.SetText(S(c.text));
    EXPECT_EQ(Lines(list), c.lines);
  }
  list.SetText(u"a\r\nb");
  EXPECT_EQ(list.Text(), u"a\nb\n");
  list.Clear();
  EXPECT_EQ(list.Text(), u"");

  list.SetLineBreak(u"||");
  list.SetText(u"a||b\nc||");
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"b\nc"}));
  EXPECT_EQ(list.Text(), u"a||b\nc||");
}

TEST_F(StringListTest, CommaTextQuotesWhatWouldBreakItAndRoundTrips) {
  struct Case {
    std::vector<String> lines;
    const char16_t* text;
  };
  const Case cases[] = {
      {{u"a", u"b"}, u"a,b"},
      {{u"two words"}, u"\"two words\""},
      {{u"say \"hi\""}, u"\"say \"\"hi\"\"\""},
      {{u"x,y", u"z"}, u"\"x,y\",z"},
      {{u""}, u"\"\""},
      {{u"a", u"", u"b"}, u"a,,b"},
      {{u"a", u""}, u"a,"},
      {{u"tab\there"}, u"\"tab\there\""},
      {{u"жаба", u"две жабы"}, u"жаба,\"две жабы\""},
      {{}, u""},
  };
  TStringList list;
  for (const Case& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.text));
    list.Clear();
    for (const String& line : c.lines) list.Add(line);
    EXPECT_EQ(list.CommaText(), c.text);
    TStringList back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(Lines(back), c.lines);
  }
}

TEST_F(StringListTest, CommaTextReading) {
  struct Case {
    const char16_t* text;
    std::vector<String> lines;
  };
  const Case cases[] = {
      {u"  a , b  ", {u"a", u"b"}},           // blanks around items are skipped
      {u"a b", {u"a", u"b"}},                 // and a blank separates, as a comma does
      {u"\"a b\"c,d", {u"a b", u"c", u"d"}},  // text after a closing quote is the next item
      {u"\"open", {u"open"}},                 // a missing closing quote ends at the end
      {u",", {u"", u""}},
  };
  TStringList list;
  for (const Case& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.text));
    list.SetCommaText(c.text);
    EXPECT_EQ(Lines(list), c.lines);
  }
}

TEST_F(StringListTest, DelimitedTextWithOwnDelimiterQuoteAndStrictness) {
  TStringList list;
  list.SetDelimiter(u';');
  list.SetQuoteChar(u'\'');
  list.SetStrictDelimiter(true);
  Fill(list, {"a b", "c;d", "it's", " padded "});
  EXPECT_EQ(list.DelimitedText(), u"a b;'c;d';'it''s'; padded ");
  TStringList back;
  back.SetDelimiter(u';');
  back.SetQuoteChar(u'\'');
  back.SetStrictDelimiter(true);
  back.SetDelimitedText(list.DelimitedText());
  EXPECT_EQ(Lines(back), Lines(list));

  back.SetStrictDelimiter(false);  // not strict: blanks split and are trimmed
  back.SetDelimitedText(u"a b; c");
  EXPECT_EQ(Lines(back), (std::vector<String>{u"a", u"b", u"c"}));
}

class TCounted : public TObject {
 public:
  explicit TCounted(int* alive) : FAlive(alive) { ++*FAlive; }
  ~TCounted() override { --*FAlive; }

 private:
  int* FAlive;
};

TEST_F(StringListTest, ObjectsTravelWithTheirStringsAndAreFreedByAnOwningList) {
  int alive = 0;
  {
    TStringList list(true);
    auto* one = new TCounted(&alive);
    auto* two = new TCounted(&alive);
    list.AddObject(u"one", one);
    list.AddObject(u"two", two);
    list.AddObject(u"three", new TCounted(&alive));
    list.Move(0, 2);  // moving keeps the object alive and beside its string
    EXPECT_EQ(alive, 3);
    EXPECT_EQ(list.Objects(2), one);
    list.Exchange(0, 2);
    EXPECT_EQ(list.Objects(0), one);
    EXPECT_EQ(list.IndexOfObject(two), 2);
    list.SetSorted(true);
    EXPECT_EQ(list.Objects(list.IndexOf(u"two")), two);
    list.Delete(list.IndexOf(u"one"));
    EXPECT_EQ(alive, 2);
  }
  EXPECT_EQ(alive, 0);

  TStringList borrowing;
  TCounted object(&alive);
  borrowing.AddObject(u"x", &object);
  borrowing.Clear();
  EXPECT_EQ(alive, 1);
}

TEST_F(StringListTest, ChangeEventsAndUpdates) {
  TStringList list;
  std::vector<char> events;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    events.push_back('<');
  };
  list.OnChange = [&](TObject*) { events.push_back('>'); };
  list.Add(u"a");
  list.SetStrings(0, u"b");
  list.SetObjects(0, nullptr);
  list.Delete(0);
  EXPECT_EQ(std::string(events.begin(), events.end()), "<><><><>");

  events.clear();
  list.Clear();  // an empty list does not change
  list.BeginUpdate();
  list.BeginUpdate();
  Fill(list, {"x", "y", "z"});
  list.EndUpdate();
  EXPECT_EQ(std::string(events.begin(), events.end()), "<");
  list.EndUpdate();
  EXPECT_EQ(std::string(events.begin(), events.end()), "<>");

  events.clear();
  list.SetText(u"1\n2\n3");  // a whole text is one change
  list.SetCommaText(u"4,5");
  EXPECT_EQ(std::string(events.begin(), events.end()), "<><>");
}

TEST_F(StringListTest, CustomSortAndSort) {
  TStringList list;
  Fill(list, {"ccc", "a", "bb", "dd", "e"});
  list.CustomSort([](TStringList* l, int i, int j) {
    return static_cast<int>(l->Strings(i).size()) - static_cast<int>(l->Strings(j).size());
  });
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"e", u"bb", u"dd", u"ccc"}));  // stable
  list.Sort();
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"bb", u"ccc", u"dd", u"e"}));
  EXPECT_FALSE(list.Sorted());  // sorting once does not make the list keep itself sorted
}

TEST_F(StringListTest, AssignAndAddStrings) {
  TStringList source;
  source.SetSorted(true);
  source.SetDuplicates(dupAccept);
  source.SetCaseSensitive(true);
  source.SetNameValueSeparator(u':');
  TObject marker;
  source.AddObject(u"b", &marker);
  source.Add(u"a");
  TStringList copy;
  copy.Add(u"old");
  copy.Assign(&source);
  EXPECT_EQ(Lines(copy), (std::vector<String>{u"a", u"b"}));
  EXPECT_EQ(copy.Objects(1), &marker);
  EXPECT_TRUE(copy.Sorted());
  EXPECT_EQ(copy.Duplicates(), dupAccept);
  EXPECT_TRUE(copy.CaseSensitive());
  EXPECT_EQ(copy.NameValueSeparator(), u':');
  EXPECT_TRUE(copy.Equals(&source));

  copy.Assign(&copy);  // assigning a list to itself keeps it
  EXPECT_EQ(copy.Count(), 2);

  TStringList unsorted;
  Fill(unsorted, {"x", "y"});
  unsorted.AddStrings(&unsorted);  // adding a list to itself doubles it once
  EXPECT_EQ(Lines(unsorted), (std::vector<String>{u"x", u"y", u"x", u"y"}));

  TPersistent other;
  ExpectError<EConvertError>([&] { copy.Assign(&other); },
                             u"Cannot assign a TPersistent to a TStringList");
}

TEST_F(StringListTest, StreamsAndFilesInUtf8) {
  TStringList list;
  Fill(list, {"жаба", "line two"});
  TMemoryStream stream;
  list.SaveToStream(&stream);
  EXPECT_EQ(stream.Size(), 18);  // "жаба\nline two\n": 8 + 1 + 8 + 1 bytes, no byte order mark
  EXPECT_EQ(static_cast<const uint8_t*>(stream.Memory())[0], 0xD0);

  // A byte order mark is skipped, CR LF accepted, and loading starts at the position.
  TStringStream withMark(AnsiString("skip\xEF\xBB\xBF\xD0\xB0\r\nb\r\n"));
  withMark.SetPosition(4);
  TStringList loaded;
  loaded.Add(u"replaced");
  loaded.LoadFromStream(&withMark);
  EXPECT_EQ(Lines(loaded), (std::vector<String>{u"а", u"b"}));

  TBytesStream utf16(TBytes{0xFF, 0xFE, 0x36, 0x04, 0x0A, 0x00, 'x', 0x00});
  loaded.LoadFromStream(&utf16);
  EXPECT_EQ(Lines(loaded), (std::vector<String>{u"ж", u"x"}));

  char folder[] = "/tmp/stringlist-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  String path = UTF8ToString(std::string(folder) + "/жабы.txt");
  list.SaveToFile(path);
  loaded.LoadFromFile(path);
  EXPECT_TRUE(loaded.Equals(&list));
  unlink(UTF8Encode(path).c_str());
  rmdir(folder);
  EXPECT_THROW(loaded.LoadFromFile(path), EFOpenError);
  EXPECT_TRUE(loaded.Equals(&list));  // a failed load leaves the list alone
}

}  // namespace
