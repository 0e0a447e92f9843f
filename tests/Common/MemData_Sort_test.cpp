#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "MemData_TestStore.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

using namespace memdata_test;

namespace {

const Variant Null = Variant::Null();

// IDs, a text, a wide text, an amount with nulls and a text field whose name has a blank.
class Sorting : public ::testing::Test {
 protected:
  Sorting()
      : store({{u"ID", dtInteger},
               {u"NAME", dtString, 40},
               {u"WNAME", dtWideString, 40},
               {u"AMOUNT", dtFloat},
               {u"Last Name", dtExtString, 40}}) {
    store.InitFields();
    store.Open();
  }
  void SetUp() override { SetCollationLocale("ru_RU"); }

  void Row(int id, const char* name, const Variant& amount = Null) {
    AppendRow(store, {id, name, UTF8ToString(name), amount, name});
  }
  std::vector<int> Ids() { return VisibleInts(store, 1); }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const Variant& v : VisibleValues(store, 2)) names.push_back(UTF8Encode(v.AsString()));
    return names;
  }
  void Edit(int recNo, int id, const char* name) {
    store.SetRecNo(recNo);
    RecBuf buf(store, false);
    store.GetRecord(buf);
    store.EditRecord(buf);
    store.PutField(1, buf, false, &id);
    store.PutField(2, buf, false, name);
    store.PostRecord(buf);
  }

  TestStore store;
};

TEST_F(Sorting, IndexFieldNamesGrammar) {
  TFieldDesc* id = store.FieldByName(u"ID");
  TFieldDesc* name = store.FieldByName(u"NAME");
  TFieldDesc* last = store.FieldByName(u"Last Name");
  struct Column {
    TFieldDesc* field;
    int descending;
    TSortType kind;
  };
  const struct {
    const char16_t* text;
    std::vector<Column> columns;
  } cases[] = {
      {u"NAME; ID DESC", {{name, 0, stCaseSensitive}, {id, 1, stCaseSensitive}}},
      {u"[Last Name] CIS", {{last, 0, stCaseInsensitive}}},
      {u"NAME,,ID", {{name, 0, stCaseSensitive}, {id, 0, stCaseSensitive}}},
      {u"id desc cis", {{id, 1, stCaseInsensitive}}},
      {u"ID BIN DESC", {{id, 1, stBinary}}},
      {u"ID ASC CS", {{id, 0, stCaseSensitive}}},
      {u"'Last Name' desc, name", {{last, 1, stCaseSensitive}, {name, 0, stCaseSensitive}}},
      {u";NAME;", {{name, 0, stCaseSensitive}}},
      {u"   ", {}},
      {u"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.text));
    store.SetIndexFieldNames(c.text);
    ASSERT_EQ(store.SortColumns().size(), c.columns.size());
    for (size_t i = 0; i < c.columns.size(); ++i) {
      EXPECT_EQ(store.SortColumns()[i].Field, c.columns[i].field);
      EXPECT_EQ(store.SortColumns()[i].Descending, c.columns[i].descending);
      EXPECT_EQ(store.SortColumns()[i].SortKind, c.columns[i].kind);
    }
  }
  const struct {
    const char16_t* text;
    const char16_t* message;
  } bad[] = {
      {u"ID ASC DESC", u"Invalid IndexFieldNames format!"},
      {u"ID CS BIN", u"Invalid IndexFieldNames format!"},
      {u"ID . NAME", u"Invalid IndexFieldNames format!"},
      {u"ID NAME", u"Invalid IndexFieldNames format!"},
      {u"ID 5", u"Invalid IndexFieldNames format!"},
      {u"[Last Name", u"Invalid IndexFieldNames format!"},
      {u"'Last Name", u"Invalid IndexFieldNames format!"},
      {u"ID = 1", u"Invalid IndexFieldNames format!"},
      {u"NOPE", u"Field NOPE not found"},
      {u"ID; [No Such] DESC", u"Field No Such not found"},
  };
  store.SetIndexFieldNames(u"ID DESC");
  for (const auto& c : bad) {
    SCOPED_TRACE(UTF8Encode(c.text));
    try {
      store.SetIndexFieldNames(c.text);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    // Refused: the field list and the sort columns stay as they were.
    EXPECT_EQ(store.IndexFieldNames(), u"ID DESC");
    ASSERT_EQ(store.SortColumns().size(), 1u);
    EXPECT_EQ(store.SortColumns()[0].Descending, 1);
  }
}

TEST_F(Sorting, OneFieldBothWaysWithNulls) {
  Row(1, "a", 30.0);
  Row(2, "b", Null);
  Row(3, "c", -1.5);
  Row(4, "d", 30.0);
  Row(5, "e", Null);
  Row(6, "f", 7.0);
  store.SetIndexFieldNames(u"AMOUNT");
  EXPECT_EQ(Ids(), (std::vector<int>{2, 5, 3, 6, 1, 4}));  // nulls first
  EXPECT_TRUE(NumbersAreConsecutive(store));
  store.SetIndexFieldNames(u"AMOUNT DESC");
  EXPECT_EQ(Ids(), (std::vector<int>{1, 4, 6, 3, 2, 5}));  // nulls last
  store.SetIndexFieldNames(u"AMOUNT DESC; ID DESC");
  EXPECT_EQ(Ids(), (std::vector<int>{4, 1, 6, 3, 5, 2}));
  store.SetIndexFieldNames(u"ID");
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST_F(Sorting, SeveralFields) {
  Row(1, "Bob", 1.0);
  Row(2, "Ann", 2.0);
  Row(3, "Bob", 3.0);
  Row(4, "Ann", 4.0);
  Row(5, "Cid", 5.0);
  store.SetIndexFieldNames(u"NAME; ID DESC");
  EXPECT_EQ(Ids(), (std::vector<int>{4, 2, 3, 1, 5}));
  store.SetIndexFieldNames(u"NAME DESC, AMOUNT");
  EXPECT_EQ(Ids(), (std::vector<int>{5, 1, 3, 2, 4}));
}

TEST_F(Sorting, CyrillicTextUnderEachSortKind) {
  const char* words[] = {"яблоко", "Арбуз", "Ель", "арбуз", "ёж", "Банан"};
  for (int i = 0; i < 6; ++i) Row(i + 1, words[i]);
  const struct {
    const char16_t* spec;
    std::vector<std::string> order;
  } cases[] = {
      // by code unit: capitals, then small letters, ё (U+0451) last
      {u"NAME BIN", {"Арбуз", "Банан", "Ель", "арбуз", "яблоко", "ёж"}},
      {u"WNAME BIN", {"Арбуз", "Банан", "Ель", "арбуз", "яблоко", "ёж"}},
      // the locale: small before capital as the last resort, ё next to е
      {u"NAME", {"арбуз", "Арбуз", "Банан", "ёж", "Ель", "яблоко"}},
      {u"WNAME CS", {"арбуз", "Арбуз", "Банан", "ёж", "Ель", "яблоко"}},
      {u"[Last Name]", {"арбуз", "Арбуз", "Банан", "ёж", "Ель", "яблоко"}},
      // without case the two spellings of арбуз tie and keep their order (Арбуз came first)
      {u"NAME CIS", {"Арбуз", "арбуз", "Банан", "ёж", "Ель", "яблоко"}},
      {u"WNAME CIS", {"Арбуз", "арбуз", "Банан", "ёж", "Ель", "яблоко"}},
      {u"NAME DESC BIN", {"ёж", "яблоко", "арбуз", "Ель", "Банан", "Арбуз"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.spec));
    store.SetIndexFieldNames(u"ID");  // the same starting order for every case
    store.SetIndexFieldNames(c.spec);
    EXPECT_EQ(Names(), c.order);
  }
}

TEST_F(Sorting, LatinCaseUnderBinaryAndCaseInsensitive) {
  Row(1, "a");
  Row(2, "B");
  store.SetIndexFieldNames(u"NAME BIN");
  EXPECT_EQ(Names(), (std::vector<std::string>{"B", "a"}));
  store.SetIndexFieldNames(u"NAME CIS");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "B"}));
}

TEST_F(Sorting, NothingToSortAndEqualKeysKeepTheirOrderAndValues) {
  store.SetIndexFieldNames(u"NAME");  // empty store
  EXPECT_EQ(Ids(), (std::vector<int>{}));
  Row(1, "x");
  store.SetIndexFieldNames(u"NAME DESC");
  EXPECT_EQ(Ids(), (std::vector<int>{1}));
  for (int i = 2; i <= 40; ++i) Row(i, i % 2 ? "same" : "other");
  store.SetIndexFieldNames(u"NAME");
  // The merge sort is stable: equal names stay in the order they had.
  std::vector<int> expected;
  for (int i = 2; i <= 40; i += 2) expected.push_back(i);  // "other"
  for (int i = 3; i <= 40; i += 2) expected.push_back(i);  // "same"
  expected.push_back(1);                                    // "x"
  EXPECT_EQ(Ids(), expected);
  const std::vector<Variant> last = VisibleValues(store, 5);
  const std::vector<std::string> names = Names();
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(UTF8Encode(last[i].AsString()), names[i]);
}

TEST_F(Sorting, InsertedAndUpdatedRecordsMoveIntoPlace) {
  for (int id : {50, 10, 40, 20, 30}) Row(id, "n");
  store.SetIndexFieldNames(u"ID");
  EXPECT_EQ(Ids(), (std::vector<int>{10, 20, 30, 40, 50}));
  // Appended at the end, inserted in the middle, inserted before the first record.
  Row(25, "n");
  EXPECT_EQ(Ids(), (std::vector<int>{10, 20, 25, 30, 40, 50}));
  store.SetRecNo(2);
  {
    RecBuf buf(store);
    const int32_t id = 45;
    store.PutField(1, buf, false, &id);
    store.InsertRecord(buf);
    buf.Handed();
  }
  EXPECT_EQ(store.GetRecNo(), 6);  // the new record is current where it landed
  store.SetToBegin();
  {
    RecBuf buf(store);
    const int32_t id = 60;
    store.PutField(1, buf, false, &id);
    store.InsertRecord(buf);
    buf.Handed();
  }
  EXPECT_EQ(Ids(), (std::vector<int>{10, 20, 25, 30, 40, 45, 50, 60}));
  EXPECT_TRUE(NumbersAreConsecutive(store));
  // Updates move forward and backward.
  Edit(1, 55, "moved");
  EXPECT_EQ(store.GetRecNo(), 7);  // the edited record stays current
  EXPECT_EQ(Ids(), (std::vector<int>{20, 25, 30, 40, 45, 50, 55, 60}));
  Edit(8, 1, "moved");
  EXPECT_EQ(store.GetRecNo(), 1);
  EXPECT_EQ(Ids(), (std::vector<int>{1, 20, 25, 30, 40, 45, 50, 55}));
  EXPECT_TRUE(NumbersAreConsecutive(store));
  // Descending order takes new records the other way.
  store.SetIndexFieldNames(u"ID DESC");
  Row(33, "n");
  EXPECT_EQ(Ids(), (std::vector<int>{55, 50, 45, 40, 33, 30, 25, 20, 1}));
  EXPECT_TRUE(NumbersAreConsecutive(store));
}

TEST(SortLifeCycle, SpecificationFollowsTheLayoutAndTheStoreSortsWhileOpening) {
  TestStore store({{u"ID", dtInteger}, {u"NAME", dtString, 10}});
  store.SetIndexFieldNames(u"ID DESC");  // neither prepared nor active: only kept
  EXPECT_TRUE(store.SortColumns().empty());
  store.InitFields();  // the layout is known: parsed
  ASSERT_EQ(store.SortColumns().size(), 1u);
  store.Prepare();
  store.OnInternalOpen = [&] {
    for (int32_t id : {3, 1, 4, 1, 5, 9, 2, 6}) AppendRow(store, {id, "n"});
  };
  store.Open();
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{9, 6, 5, 4, 3, 2, 1, 1}));
  store.Reopen();
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{9, 6, 5, 4, 3, 2, 1, 1}));
  store.ClearFields();
  EXPECT_TRUE(store.SortColumns().empty());
  EXPECT_EQ(store.IndexFieldNames(), u"ID DESC");
}

TEST(SortTypes, EveryComparableTypeOrdersByValue) {
  TestStore store({{u"ID", dtInteger},
                   {u"I8", dtInt8},
                   {u"I16", dtSmallint},
                   {u"W16", dtWord},
                   {u"U32", dtUInt32},
                   {u"I64", dtLargeint},
                   {u"F", dtFloat},
                   {u"D", dtDate},
                   {u"BCD", dtBCD},
                   {u"FMT", dtFMTBCD},
                   {u"TS", dtSQLTimeStamp},
                   {u"VB", dtVarBytes, 4},
                   {u"XB", dtExtVarBytes},
                   {u"G", dtGuid, 38},
                   {u"M", dtMemo},
                   {u"WM", dtWideMemo},
                   {u"V", dtVariant},
                   {u"WS", dtWideString, 10},
                   {u"XW", dtExtWideString},
                   {u"XS", dtExtString},
                   {u"CUR", dtCurrency},
                   {u"B", dtBytes, 2}});
  store.InitFields();
  store.Open();
  // Rank 0 is the smallest value; the records are stored in the order ranks 1, 3, 0, 2.
  auto row = [&](int id, int rank) {
    const int8_t i8[] = {-100, -1, 0, 100};
    const int16_t i16[] = {-30000, -2, 3, 30000};
    const uint16_t w16[] = {0, 1, 40000, 65535};
    const uint32_t u32[] = {0, 5, 3000000000u, 4000000000u};
    const int64_t i64[] = {-9000000000000000000, -1, 1, 9000000000000000000};
    const double f[] = {-1.5, 0, 2.25, 1e10};
    const TDateTime d[] = {EncodeDate(1850, 1, 1), EncodeDate(1990, 5, 1),
                           EncodeDate(1990, 5, 2), EncodeDate(2024, 1, 1)};
    const double money[] = {-12.34, 0, 0.0001, 999.99};
    const TBytes bytes[] = {{0x01}, {0x01, 0x00}, {0x02}, {0xFF}};
    const TBytes fixed[] = {{0x00, 0xFF}, {0x01, 0x00}, {0x7F, 0x00}, {0xFF, 0x00}};
    const char* texts[] = {"apple", "banana", "cherry", "date"};
    const char* guids[] = {"{0000}", "{00AA}", "{0aB0}", "{FFFF}"};
    AppendRow(store, {id, i8[rank], i16[rank], w16[rank], u32[rank], i64[rank], f[rank],
                      Variant::FromDate(d[rank]), money[rank], money[rank],
                      VarSQLTimeStampCreate(d[rank]), bytes[rank], bytes[rank], guids[rank],
                      texts[rank], UTF8ToString(texts[rank]), rank * 10,
                      UTF8ToString(texts[rank]), UTF8ToString(texts[rank]), texts[rank],
                      money[rank], fixed[rank]});
  };
  row(1, 1);
  row(2, 3);
  row(3, 0);
  row(4, 2);
  for (int field = 2; field <= store.FieldCount(); ++field) {
    const String name = store.Fields()[field - 1]->Name();
    SCOPED_TRACE(UTF8Encode(name));
    store.SetIndexFieldNames(name);
    EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{3, 1, 4, 2}));
    store.SetIndexFieldNames(name + u" DESC");
    EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{2, 4, 1, 3}));
  }
}

TEST(SortCalculated, CalculatedFieldsSortOnCopiesAndAFailingComparisonLeavesTheList) {
  TestStore store({{u"ID", dtInteger}, {u"NEG", dtInteger, 0, 2}});
  store.InitFields();
  store.Open();
  bool fail = false;
  store.OnGetCalcFields = [&](uint8_t* target, uint8_t*) {
    const int32_t id = ReadValue<int32_t>(store, 1, target);
    if (fail && id == 3) throw Exception(u"calculation failed");
    const int32_t neg = -id;
    store.PutField(2, target, false, &neg);
  };
  for (int32_t id = 1; id <= 5; ++id) AppendRow(store, {id});
  store.SetIndexFieldNames(u"NEG");
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{5, 4, 3, 2, 1}));
  fail = true;
  EXPECT_THROW(store.SetIndexFieldNames(u"NEG DESC"), Exception);
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{5, 4, 3, 2, 1}));
  EXPECT_EQ(store.IndexFieldNames(), u"NEG");
  EXPECT_EQ(store.SortColumns()[0].Descending, 0);
  EXPECT_TRUE(NumbersAreConsecutive(store));
}

TEST(SortCompare, BytesAndTextsWithOptions) {
  const uint8_t field[] = {1, 2, 3};
  const uint8_t part[] = {2, 3};
  const uint8_t other[] = {3, 4};
  EXPECT_EQ(TMemData::CompareBytes(part, 2, field, 3, cfContains), 0);
  EXPECT_EQ(TMemData::CompareBytes(field, 3, field, 3, cfContains), 0);
  EXPECT_EQ(TMemData::CompareBytes(other, 2, field, 3, cfContains), 1);
  EXPECT_EQ(TMemData::CompareBytes(field, 3, part, 2, cfContains), 1);
  EXPECT_EQ(TMemData::CompareBytes(field, 2, field, 3, cfPartial), 0);
  EXPECT_EQ(TMemData::CompareBytes(field, 3, field, 2, cfPartial), 1);
  EXPECT_LT(TMemData::CompareBytes(field, 2, field, 3, 0), 0);  // the shorter is smaller
  EXPECT_GT(TMemData::CompareBytes(part, 2, field, 3, 0), 0);
  SetCollationLocale("ru_RU");
  TestStore store({});
  EXPECT_EQ(store.CompareStrByOptions("ёж", "Ёжик", cfPartial | cfCaseInsensitive), 0);
  EXPECT_NE(store.CompareStrByOptions("ёж", "Ёжик", cfPartial), 0);
  EXPECT_EQ(store.CompareStrByOptions("ЖИ", "ёжик", cfContains | cfCaseInsensitive), 0);
  EXPECT_EQ(store.CompareStrByOptions("жик", "ёж", cfPartial), 1);  // the field is shorter
  EXPECT_EQ(store.CompareWideStrByOptions(u"ЁЖ", u"ёжик", cfPartial | cfCaseInsensitive), 0);
  EXPECT_EQ(store.CompareWideStrByOptions(u"жи", u"ёжик", cfContains), 0);
  EXPECT_EQ(store.CompareWideStrByOptions(u"ёжики!", u"ёжик", cfPartial), 1);
}

TEST(SortCompare, TextValuesAgainstFieldsOfOtherTypes) {
  // As the dataset's locate compares: a text against the field's value as text.
  SetCollationLocale("ru_RU");
  TestStore store({{u"U32", dtUInt32}, {u"NAME", dtString, 10}, {u"W", dtWideString, 10},
                   {u"AMOUNT", dtBCD}});
  store.InitFields();
  store.Open();
  AppendRow(store, {uint32_t{3000000000u}, "Ёлка   ", u"Ёлка", 12.5});
  uint8_t* rec = store.FirstItem()->Data();
  auto compare = [&](const char* value, int fieldNo, int flags) {
    return store.CompareFieldValue(value, dtString, flags, rec, store.Fields()[fieldNo - 1]);
  };
  EXPECT_EQ(compare("3000000000", 1, 0), 0);  // the full unsigned value, not a negative one
  EXPECT_EQ(compare("300", 1, cfPartial), 0);
  EXPECT_NE(compare("-1294967296", 1, 0), 0);
  EXPECT_NE(compare("Ёлка", 2, 0), 0);  // trailing blanks count unless trimming is on
  store.SetTrimVarChar(true);
  EXPECT_EQ(compare("Ёлка", 2, 0), 0);
  EXPECT_EQ(compare("ёл", 2, cfPartial | cfCaseInsensitive), 0);
  EXPECT_EQ(compare("ёлка", 3, cfCaseInsensitive), 0);  // a wide field as text
  EXPECT_LT(compare("ёлка", 3, 0), 0);
  EXPECT_EQ(compare("12.5", 4, 0), 0);
  const char16_t wide[] = u"ЁЛКА";
  EXPECT_EQ(store.CompareFieldValue(wide, dtWideString, cfCaseInsensitive, rec,
                                    store.Fields()[1]), 0);
}

TEST(SortLarge, HundredThousandRecordsWithDuplicatesKeepEveryRecord) {
  TestStore store({{u"ID", dtInteger}, {u"KEY", dtInteger}, {u"NAME", dtExtString, 40}});
  store.InitFields();
  store.Open();
  std::mt19937 gen(2024);
  std::map<int, int> keyOf;
  const int n = 100000;
  for (int32_t id = 1; id <= n; ++id) {
    const int key = static_cast<int>(gen() % 5000);  // about twenty records per key
    keyOf[id] = key;
    const std::string name = "Запись " + std::to_string(id);
    AppendRow(store, {id, key, name.c_str()});
  }
  store.SetIndexFieldNames(u"KEY DESC; ID");
  ASSERT_EQ(store.GetRecordCount(), n);
  RecBuf buf(store, false);
  store.SetToBegin();
  int count = 0, prevKey = INT32_MAX, prevId = 0;
  std::vector<bool> seen(n + 1, false);
  for (store.GetNextRecord(buf); !store.GetEOF(); store.GetNextRecord(buf)) {
    const int id = ReadValue<int32_t>(store, 1, buf);
    const int key = ReadValue<int32_t>(store, 2, buf);
    ASSERT_EQ(key, keyOf[id]);
    ASSERT_EQ(ReadText(store, 3, buf), "Запись " + std::to_string(id));
    ASSERT_TRUE(key < prevKey || (key == prevKey && id > prevId)) << id;
    ASSERT_FALSE(seen[id]);
    seen[id] = true;
    prevKey = key;
    prevId = id;
    ++count;
    ASSERT_EQ(store.GetRecNo(), count);
  }
  EXPECT_EQ(count, n);
  // The other way round, by text.
  store.SetIndexFieldNames(u"NAME DESC");
  store.SetToBegin();
  store.GetNextRecord(buf);
  EXPECT_EQ(ReadText(store, 3, buf), "Запись 99999");
}

}  // namespace
