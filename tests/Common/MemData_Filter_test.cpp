#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "MemData_TestStore.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

using namespace memdata_test;

namespace {

TDateTime Day(int y, int m, int d) { return EncodeDate(y, m, d); }
Variant DateV(int y, int m, int d) { return Variant::FromDate(Day(y, m, d)); }
const Variant Null = Variant::Null();

// Seven people with every operand type the filter compares: integers, a float, a date, a
// Boolean, a date-time whose name has a blank, Cyrillic text held by reference, a 64-bit integer
// and a wide text; nulls and an empty text among them.
class Filters : public ::testing::Test {
 protected:
  Filters()
      : store({{u"ID", dtInteger},
               {u"NAME", dtString, 40},
               {u"AMOUNT", dtFloat},
               {u"BORN", dtDate},
               {u"ACTIVE", dtBoolean},
               {u"Order Date", dtDateTime},
               {u"CITY", dtExtString},
               {u"BIG", dtLargeint},
               {u"NOTE", dtWideString, 20}}) {
    store.InitFields();
    store.Open();
    AppendRow(store, {1, "John", 150.5, DateV(1990, 5, 1), true, DateV(2024, 1, 15),
                      "Москва", int64_t{5}, u"alpha"});
    AppendRow(store, {2, "Joan", 80.0, DateV(1985, 12, 31), false, DateV(2023, 12, 31),
                      "Санкт-Петербург", int64_t{-3}, u"Beta"});
    AppendRow(store, {3, "J_hn", 100.0, Null, true, DateV(2024, 1, 1), "москва", Null,
                      u"gamma"});
    AppendRow(store, {4, "anna", Null, DateV(2000, 2, 29), false, Null, "Казань", int64_t{0},
                      u"delta"});
    AppendRow(store, {5, "Anna", 100.0, DateV(1990, 5, 1), Null, DateV(2024, 6, 30), Null,
                      int64_t{9000000000}, Null});
    AppendRow(store, {6, "", 20.0, Null, false, Null, "O'Brien", int64_t{7}, u""});
    AppendRow(store, {7, Null, 20.0, Null, Null, Null, "", int64_t{7}, u"Ωmega"});
  }

  // Text order and case folding follow a Cyrillic locale.
  void SetUp() override { SetCollationLocale("ru_RU"); }

  std::vector<int> Filtered(const String& text) {
    store.SetFilterText(text);
    store.FilterUpdated();
    return VisibleInts(store, 1);
  }

  TestStore store;
};

struct FilterCase {
  String filter;
  std::vector<int> ids;
};

TEST_F(Filters, ExpressionsKeepTheRightRecords) {
  const String born1990 = DateToStr(Day(1990, 5, 1));
  const String newYear = DateToStr(Day(2024, 1, 1));
  const std::vector<FilterCase> cases = {
      // integers, floats, 64-bit integers and signed constants
      {u"ID = 1", {1}},
      {u"ID > 5", {6, 7}},
      {u"ID >= 5 AND ID <= 6", {5, 6}},
      {u"ID <> 1", {2, 3, 4, 5, 6, 7}},
      {u"AMOUNT > 99.5", {1, 3, 5}},
      {u"AMOUNT = 100", {3, 5}},
      {u"AMOUNT = 150.5", {1}},
      {u"BIG > -5", {1, 2, 4, 5, 6, 7}},
      {u"BIG < +1", {2, 4}},
      {u"BIG = 9000000000", {5}},
      {u"BIG >= ID", {1, 6, 7, 5}},
      // nulls
      {u"AMOUNT IS NULL", {4}},
      {u"AMOUNT IS NOT NULL", {1, 2, 3, 5, 6, 7}},
      {u"AMOUNT > NULL", {}},
      {u"AMOUNT <= NULL", {}},
      {u"NAME IS NULL", {7}},
      {u"NAME IS NOT NULL", {1, 2, 3, 4, 5, 6}},  // the empty text is a value
      {u"NAME = ''", {6}},
      // texts: = compares as a pattern while partial compare is allowed
      {u"NAME = 'Jo%'", {1, 2}},
      {u"NAME = 'J_hn'", {1, 3}},
      {u"NAME LIKE 'A%'", {5}},
      {u"NAME LIKE '%n'", {1, 2, 3}},
      {u"NAME LIKE '_ohn'", {1}},
      {u"NAME LIKE 'J*'", {1, 2, 3}},
      {u"NAME LIKE '%'", {1, 2, 3, 4, 5, 6}},
      {u"NAME LIKE '_%'", {1, 2, 3, 4, 5}},
      {u"NAME NOT LIKE 'A%'", {1, 2, 3, 4, 6, 7}},
      {u"NOT NAME LIKE 'A%'", {1, 2, 3, 4, 6, 7}},
      {u"NAME > 'John'", {}},
      {u"NAME < 'Joan'", {3, 4, 5, 6}},
      {u"CITY = 'O''Brien'", {6}},
      {u"NOTE = 'alpha'", {1}},
      {u"NOTE LIKE '_mega'", {7}},
      // Cyrillic
      {u"CITY = 'Москва'", {1}},
      {u"CITY LIKE 'М%'", {1}},
      {u"CITY LIKE '%_Петер%'", {2}},
      {u"CITY LIKE '______'", {1, 3, 4}},
      // dates, from the locale's short date format or ISO text
      {u"BORN = '" + born1990 + u"'", {1, 5}},
      {u"[Order Date] >= '" + newYear + u"'", {1, 3, 5}},
      {u"[Order Date] >= '2024-01-01'", {1, 3, 5}},
      {u"[Order Date] < '2024-01-01' OR [Order Date] IS NULL", {2, 4, 6, 7}},
      // Booleans
      {u"ACTIVE = TRUE", {1, 3}},
      {u"ACTIVE = FALSE", {2, 4, 6}},
      {u"TRUE = ACTIVE", {1, 3}},
      {u"TRUE", {1, 2, 3, 4, 5, 6, 7}},
      {u"FALSE", {}},
      {u"NOT ACTIVE = TRUE", {2, 4, 5, 6, 7}},
      // precedence: NOT before AND before OR, left to right, parentheses first
      {u"ID = 2 OR ID = 1 AND AMOUNT > 1000", {2}},
      {u"(ID = 2 OR ID = 1) AND AMOUNT > 1000", {}},
      {u"NOT ID = 1 AND ID < 4", {2, 3}},
      {u"NOT (ID = 1 AND ID < 4)", {2, 3, 4, 5, 6, 7}},
      {u"ID = 1 OR ID = 2 OR ID = 3 AND NAME = 'x' OR ID = 7", {1, 2, 7}},
      {u"((ID > 1)) AND NOT NOT (ID < 3)", {2}},
      // keywords in any case
      {u"name like 'A%' or id = 1", {1, 5}},
      {u"amount is not null and Id<3", {1, 2}},
  };
  for (const FilterCase& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.filter));
    std::vector<int> got = Filtered(c.filter);
    std::vector<int> want = c.ids;
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
    EXPECT_TRUE(NumbersAreConsecutive(store));
  }
}

TEST_F(Filters, CaseInsensitiveOption) {
  store.SetFilterCaseInsensitive(true);
  EXPECT_EQ(Filtered(u"NAME LIKE 'a%'"), (std::vector<int>{4, 5}));
  EXPECT_EQ(Filtered(u"NAME = 'ANNA'"), (std::vector<int>{4, 5}));
  EXPECT_EQ(Filtered(u"CITY = 'МОСКВА'"), (std::vector<int>{1, 3}));
  EXPECT_EQ(Filtered(u"NOTE = 'ΩMEGA'"), (std::vector<int>{7}));
  store.SetFilterCaseInsensitive(false);
  EXPECT_EQ(Filtered(u"CITY = 'МОСКВА'"), (std::vector<int>{}));
}

TEST_F(Filters, NoPartialCompareOption) {
  store.SetFilterNoPartialCompare(true);
  EXPECT_EQ(Filtered(u"NAME = 'J_hn'"), (std::vector<int>{3}));  // the exact text only
  EXPECT_EQ(Filtered(u"NAME = 'Jo%'"), (std::vector<int>{}));
  EXPECT_EQ(Filtered(u"NAME <> 'J_hn'"), (std::vector<int>{1, 2, 4, 5, 6, 7}));
  // LIKE stays a pattern match.
  EXPECT_EQ(Filtered(u"NAME LIKE 'Jo%'"), (std::vector<int>{1, 2}));
  // The empty text is not null either way.
  EXPECT_EQ(Filtered(u"NAME IS NOT NULL AND NAME = ''"), (std::vector<int>{6}));
  EXPECT_EQ(Filtered(u"NAME IS NULL"), (std::vector<int>{7}));
  EXPECT_EQ(Filtered(u"ID = '3'"), (std::vector<int>{3}));  // the Variant equality converts
}

TEST_F(Filters, BadExpressionsFailWithTheirMessages) {
  struct Bad {
    const char16_t* text;
    const char16_t* message;
  };
  const Bad cases[] = {
      {u"ID >", u"Illegal filter expression"},
      {u"(ID = 1", u"Illegal filter expression"},
      {u"ID = 1)", u"Illegal filter expression"},
      {u"ID = 1 AND", u"Illegal filter expression"},
      {u"ID 1", u"Illegal filter expression"},
      {u"ID = 1 ; ID = 2", u"Illegal filter expression"},
      {u"ID IS 5", u"Illegal filter expression"},
      {u"ID NOT 5", u"Illegal filter expression"},
      {u"ID = - 'x'", u"Illegal filter expression"},
      {u"NAME = 'open", u"Illegal filter expression"},
      {u"ID = 1 // comment", u"Illegal filter expression"},
      {u"ID = 1 \x01", u"Illegal filter expression"},
      {u"[ID = 1", u"Illegal filter expression"},
      {u"NOT", u"Illegal filter expression"},
      {u"NOPE = 1", u"Field NOPE not found"},
      {u"ID = 1 OR [No Such] = 2", u"Field No Such not found"},
      {u"Город = 'Москва'", u"Field Город not found"},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.text));
    try {
      store.SetFilterText(c.text);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_FALSE(store.HasFilterExpression());  // the partly built tree is gone
  }
  // Nesting beyond what the parser takes is refused, not a stack overflow.
  String deep(5000, u'(');
  deep += u"ID = 1";
  deep += String(5000, u')');
  EXPECT_THROW(store.SetFilterText(deep), Exception);
}

TEST_F(Filters, TreeShapesAndConstantTypes) {
  store.SetFilterText(u"NAME = 'Active' AND AMOUNT > 100");
  const TExpressionNode* root = store.FilterRoot();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->NodeKind, nkAnd);
  EXPECT_EQ(root->Left->NodeKind, nkEqual);
  EXPECT_EQ(root->Left->Left->Field, store.FieldByName(u"NAME"));
  EXPECT_EQ(root->Left->Right->Value.AsString(), u"Active");
  EXPECT_EQ(root->Right->NodeKind, nkGreater);

  store.SetFilterText(u"NOT NAME LIKE 'A%'");
  EXPECT_EQ(store.FilterRoot()->NodeKind, nkNot);
  EXPECT_EQ(store.FilterRoot()->Left->NodeKind, nkLike);
  store.SetFilterText(u"NAME NOT LIKE 'A%'");
  EXPECT_EQ(store.FilterRoot()->NodeKind, nkNotLike);
  store.SetFilterText(u"AMOUNT IS NOT NULL");
  EXPECT_EQ(store.FilterRoot()->NodeKind, nkNotEqual);
  EXPECT_TRUE(store.FilterRoot()->Right->Value.IsNull());

  const struct {
    const char16_t* text;
    uint16_t type;
  } constants[] = {{u"ID = -5", varDouble}, {u"ID = 5", varInt64}, {u"ID = 5.5", varDouble},
                   {u"ID = 99999999999999999999", varDouble}, {u"ID = 'x'", varUString},
                   {u"ID = TRUE", varBoolean}, {u"ID = NULL", varNull}};
  for (const auto& c : constants) {
    store.SetFilterText(c.text);
    EXPECT_EQ(store.FilterRoot()->Right->Value.VarType(), c.type) << UTF8Encode(c.text);
  }
  store.SetFilterText(u"   ");
  EXPECT_FALSE(store.HasFilterExpression());
}

TEST_F(Filters, ThousandsOfAlternativesNeedNoDeepRecursion) {
  String text = u"ID = 0";
  for (int i = 0; i < 20000; ++i)
    text += u" OR ID = " + S(std::to_string(i % 3 == 0 ? 2 : 100 + i));
  EXPECT_EQ(Filtered(text), (std::vector<int>{2}));
}

// ---- Hidden items and numbering ----

TEST_F(Filters, EachItemIsJudgedOnceUntilItChanges) {
  std::map<int, int> judged;  // evaluations by ID
  store.SetFilterFunc([&](uint8_t* rec) {
    const int32_t id = ReadValue<int32_t>(store, 1, rec);
    ++judged[id];
    return id % 2 == 1;
  });
  store.FilterUpdated();
  const std::map<int, int> once = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}};
  EXPECT_EQ(judged, once);
  VisibleInts(store, 1);
  VisibleInts(store, 1);
  store.SetRecNo(3);
  EXPECT_EQ(judged, once);  // navigation reads the cached results
  // Writing a record forgets its result only.
  RecBuf buf(store, false);
  store.SetRecNo(2);
  store.GetRecord(buf);
  store.EditRecord(buf);
  const int32_t id = 40;
  store.PutField(1, buf, false, &id);
  store.PostRecord(buf);
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{1, 5, 7}));
  EXPECT_EQ(judged[40], 1);
  judged.erase(40);
  judged.erase(3);
  EXPECT_EQ(judged, (std::map<int, int>{{1, 1}, {2, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}}));
  EXPECT_TRUE(NumbersAreConsecutive(store));
  // A changed filter judges everything again.
  store.FilterUpdated();
  EXPECT_EQ(judged[1], 2);
  EXPECT_EQ(judged[40], 1);
}

TEST_F(Filters, FilteredStoreNumbersOnlyVisibleRecords) {
  store.SetFilterText(u"ID > 2 AND ID < 7");
  EXPECT_FALSE(store.FilterUpdated());
  EXPECT_EQ(store.GetRecordCount(), 4);
  store.SetRecNo(2);
  RecBuf buf(store, false);
  store.GetRecord(buf);
  EXPECT_EQ(ReadValue<int32_t>(store, 1, buf), 4);
  EXPECT_EQ(store.GetRecNo(), 2);
  // A new record the filter rejects takes no number; one it accepts does.
  AppendRow(store, {100, "x", 1.0, Null, true, Null, "", int64_t{0}, u""});
  EXPECT_EQ(store.GetRecordCount(), 4);
  AppendRow(store, {5, "x", 1.0, Null, true, Null, "", int64_t{0}, u""});
  EXPECT_EQ(store.GetRecordCount(), 5);
  EXPECT_TRUE(NumbersAreConsecutive(store));
  // An update that hides a record takes it out of the numbering.
  store.SetToBegin();
  store.GetNextRecord(buf);  // ID 3: the first visible
  store.EditRecord(buf);
  const int32_t hidden = 50;
  store.PutField(1, buf, false, &hidden);
  store.PostRecord(buf);
  EXPECT_EQ(store.GetRecordCount(), 4);
  EXPECT_TRUE(NumbersAreConsecutive(store));
  store.SetFilterText(u"ID > 1000");
  EXPECT_TRUE(store.FilterUpdated());  // nothing visible
  EXPECT_EQ(store.GetRecordCount(), 0);
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{}));
  store.SetFilterText(u"");
  EXPECT_FALSE(store.FilterUpdated());
  EXPECT_EQ(store.GetRecordCount(), 9);
}

TEST(FilterOpen, RecordsStoredWhileOpeningAreFilteredAndCalculatedFieldsTakePart) {
  TestStore store({{u"ID", dtInteger}, {u"TWICE", dtInteger, 0, 2}});
  store.InitFields();
  store.Prepare();
  store.OnInternalOpen = [&] {
    for (int32_t id = 1; id <= 6; ++id) AppendRow(store, {id});
  };
  int calculations = 0;
  store.OnGetCalcFields = [&](uint8_t* target, uint8_t* source) {
    EXPECT_EQ(source, nullptr);
    ++calculations;
    const int32_t twice = 2 * ReadValue<int32_t>(store, 1, target);
    store.PutField(2, target, false, &twice);
  };
  store.SetFilterText(u"TWICE >= 8");
  store.Open();
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{4, 5, 6}));
  EXPECT_EQ(store.GetRecordCount(), 3);
  EXPECT_EQ(calculations, 6);  // once per record, on a copy with the calculated area
}

// ---- LIKE ----

TEST(MatchLike, Patterns) {
  const struct {
    const char16_t* text;
    const char16_t* pattern;
    bool match;
  } cases[] = {
      {u"", u"%", true},
      {u"", u"_", false},
      {u"", u"", true},
      {u"a", u"", false},
      {u"abc", u"a%c", true},
      {u"abc", u"a*c", true},
      {u"ac", u"a_c", false},
      {u"abc", u"a_c", true},
      {u"abbbc", u"a%b%c", true},
      {u"abc", u"%", true},
      {u"abc", u"%%%", true},
      {u"abc", u"ab", false},
      {u"abc", u"%b", false},
      {u"abc", u"ABC", false},
      {u"Привет", u"П_ивет", true},
      {u"Привет", u"%вет", true},
      {u"a😀b", u"a_b", true},     // a character outside the BMP is one character
      {u"a😀b", u"a__b", false},
      {u"😀", u"%_", true},
      {u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", u"%a%a%a%a%a%a%a%a%a%a%a%a%b", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchLike(c.text, c.pattern), c.match)
        << UTF8Encode(c.text) << " LIKE " << UTF8Encode(c.pattern);
}

}  // namespace
