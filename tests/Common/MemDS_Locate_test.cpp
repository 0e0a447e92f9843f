// Locate, lookup, find and the local filter of the in-memory dataset, and a differential test of
// the sorted (binary search) and the linear search paths on 10,000 rows.
#include <gtest/gtest.h>

#include <random>

#include "platform/rtl/NumberText.h"
#include "tests/Common/MemDS_TestData.h"
#include "tests/support/HeadlessWindows.h"

namespace {

using namespace memds_test;

const std::vector<Column> PeopleColumns = {
    {u"ID", dtInteger}, {u"NAME", dtString, 30}, {u"CITY", dtWideString, 20}, {u"GRP", dtInteger}};

std::vector<std::vector<Variant>> PeopleRows() {
  return {{1, Variant("Ана"), Variant(u"Скопје"), 2},    {2, Variant("Борис"), Variant(u"Битола"), 1},
          {3, Variant("ана"), Variant(u"Охрид"), 2},     {4, Variant("Весна"), Variant::Null(), 3},
          {5, Variant("Борис"), Variant(u"Скопје"), 1},  {6, Variant::Null(), Variant(u"Струга"), 2}};
}

class LocateFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    UseStore(ds, PeopleColumns, PeopleRows());
    source.SetDataSet(&ds);
    link.SetDataSource(&source);
    ds.BeforeScroll = [this](TDataSet*) { events.push_back("before scroll"); };
    ds.AfterScroll = [this](TDataSet*) { events.push_back("after scroll"); };
    ds.Open();
    events.clear();
  }
  int Id() { return ds.FieldByName(u"ID")->AsInteger(); }

  TMemDataSet ds{nullptr};
  TDataSource source{nullptr};
  TLogLink link;
  std::vector<std::string> events;
};

TEST_F(LocateFixture, LocateFindsByOneOrSeveralKeysWithTheLocateOptions) {
  EXPECT_TRUE(ds.Locate(u"NAME", Variant("Борис"), {}));
  EXPECT_EQ(Id(), 2);
  EXPECT_EQ(events, (std::vector<std::string>{"before scroll", "after scroll"}));
  EXPECT_TRUE(ds.Locate(u"NAME;CITY", VarArrayOf({Variant("Борис"), Variant(u"Скопје")}), {}));
  EXPECT_EQ(Id(), 5);
  EXPECT_FALSE(ds.Locate(u"NAME", Variant("АНА"), {}));
  EXPECT_EQ(Id(), 5) << "a failed locate keeps the cursor";
  EXPECT_TRUE(ds.Locate(u"NAME", Variant("АНА"), {loCaseInsensitive}));
  EXPECT_EQ(Id(), 1);
  EXPECT_TRUE(ds.Locate(u"NAME", Variant("Вес"), {loPartialKey}));
  EXPECT_EQ(Id(), 4);
  EXPECT_TRUE(ds.Locate(u"CITY", Variant(u"Охрид"), {}));
  EXPECT_EQ(Id(), 3);
  // A text key for a number compares with the number's text.
  EXPECT_TRUE(ds.Locate(u"ID", Variant(u"6"), {}));
  EXPECT_EQ(Id(), 6);
}

TEST_F(LocateFixture, NullKeysFindNullFieldsAndEmptyKeyListsFindNothing) {
  EXPECT_TRUE(ds.Locate(u"CITY", Variant::Null(), {}));
  EXPECT_EQ(Id(), 4);
  EXPECT_TRUE(ds.Locate(u"NAME;GRP", VarArrayOf({Variant::Null(), 2}), {}));
  EXPECT_EQ(Id(), 6);
  events.clear();
  EXPECT_FALSE(ds.Locate(u"", Variant(1), {}));
  EXPECT_FALSE(ds.Locate(u"NO_SUCH_FIELD", Variant(1), {}));
  EXPECT_EQ(Id(), 6);
}

TEST_F(LocateFixture, LookupNeverMovesTheCursorAndTellsNobody) {
  ds.Next();
  link.Log.clear();
  events.clear();
  const Variant city = ds.Lookup(u"ID", Variant(5), u"CITY");
  EXPECT_EQ(city.AsString(), u"Скопје");
  const Variant both = ds.Lookup(u"NAME;GRP", VarArrayOf({Variant("Весна"), 3}), u"ID;CITY");
  ASSERT_TRUE(both.IsArray());
  EXPECT_EQ(both[0].AsInteger(), 4);
  EXPECT_TRUE(both[1].IsNull());
  EXPECT_TRUE(ds.Lookup(u"ID", Variant(99), u"NAME").IsNull());
  EXPECT_EQ(Id(), 2);
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"Борис");
  EXPECT_TRUE(link.Log.empty());
  EXPECT_TRUE(events.empty());
}

TEST_F(LocateFixture, SearchOptionsOfTheExtendedLocate) {
  std::vector<TField*> name{ds.FieldByName(u"NAME")};
  std::vector<TField*> city{ds.FieldByName(u"CITY")};
  EXPECT_TRUE(ds.DoLocate(name, {soPartialCompare}, Variant("сн")));
  EXPECT_EQ(Id(), 4);
  EXPECT_TRUE(ds.DoLocate(city, {soNext}, Variant::Null()) == false);
  ds.First();
  EXPECT_TRUE(ds.DoLocate(name, {soNext}, Variant("Борис")));
  EXPECT_EQ(Id(), 2);
  EXPECT_TRUE(ds.DoLocate(name, {soNext}, Variant("Борис")));
  EXPECT_EQ(Id(), 5);
  EXPECT_FALSE(ds.DoLocate(name, {soNext}, Variant("Борис")));
  EXPECT_TRUE(ds.DoLocate(name, {soBackward}, Variant("Борис")));
  EXPECT_EQ(Id(), 2);
  // LocateEx takes only the case and partial-key options.
  ds.First();
  EXPECT_TRUE(ds.LocateEx(name, {soNext, soCaseInsensitive}, Variant("АНА")));
  EXPECT_EQ(Id(), 1);
}

TEST_F(LocateFixture, SortedColumnsAreLocatedOnTheFirstOfEqualRecords) {
  ds.SetIndexFieldNames(u"GRP;NAME");
  // Lower case sorts before upper case in the locale's order.
  EXPECT_EQ(ColumnTexts(ds, u"ID"), (std::vector<String>{u"2", u"5", u"6", u"3", u"1", u"4"}));
  EXPECT_TRUE(ds.Locate(u"GRP", Variant(2), {}));
  EXPECT_EQ(Id(), 6) << "the null name sorts first in group 2";
  EXPECT_TRUE(ds.Locate(u"GRP;NAME", VarArrayOf({1, Variant("Борис")}), {}));
  EXPECT_EQ(Id(), 2);
  // Nearest: the first record not below the key; a key above every value ends at the end.
  std::vector<TField*> grp{ds.FieldByName(u"GRP")};
  EXPECT_TRUE(ds.DoLocate(grp, {soNearest}, Variant(3)));
  EXPECT_EQ(Id(), 4);
  EXPECT_TRUE(ds.DoLocate(grp, {soNearest}, Variant(9)));
  EXPECT_EQ(Id(), 4) << "off the end the dataset shows its last record";
  // An order that does not parse leaves the previous one.
  EXPECT_THROW(ds.SetIndexFieldNames(u"GRP ASC DESC"), Exception);
  EXPECT_EQ(ds.IndexFieldNames(), u"GRP;NAME");
  EXPECT_EQ(ColumnTexts(ds, u"ID")[0], u"2");
}

// ---- Filters and find.

TEST_F(LocateFixture, FilterTextAndFilterEventHideRecords) {
  ds.SetFilter(u"GRP = 2");
  EXPECT_EQ(ds.RecordCount(), 6) << "not filtered yet";
  ds.SetFiltered(true);
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_EQ(ColumnTexts(ds, u"ID"), (std::vector<String>{u"1", u"3", u"6"}));
  ds.SetFilter(u"NAME = 'а%'");
  EXPECT_EQ(ColumnTexts(ds, u"ID"), (std::vector<String>{u"3"}));
  ds.SetFilterOptions({foCaseInsensitive});
  EXPECT_EQ(ColumnTexts(ds, u"ID"), (std::vector<String>{u"1", u"3"}));
  EXPECT_THROW(ds.SetFilter(u"NAME = ("), Exception);
  EXPECT_EQ(ColumnTexts(ds, u"ID"), (std::vector<String>{u"1", u"3"})) << "the old filter holds";

  ds.SetFilter(u"");
  ds.SetOnFilterRecord([](TDataSet* dataSet, bool& accept) {
    accept = dataSet->FieldByName(u"ID")->AsInteger() % 2 == 0;
  });
  EXPECT_EQ(ColumnTexts(ds, u"ID"), (std::vector<String>{u"2", u"4", u"6"}));
  ds.SetFiltered(false);
  EXPECT_EQ(ds.RecordCount(), 6);
}

TEST_F(LocateFixture, AFailingFilterEventDoesNotEndFiltering) {
  int calls = 0;
  ds.SetOnFilterRecord([&calls](TDataSet* dataSet, bool& accept) {
    ++calls;
    accept = dataSet->FieldByName(u"GRP")->AsInteger() == 1;
    if (dataSet->FieldByName(u"ID")->AsInteger() == 5) throw Exception(u"handler failed");
  });
  ds.SetFiltered(true);
  EXPECT_EQ(ColumnTexts(ds, u"ID"), (std::vector<String>{u"2", u"5"}));
  EXPECT_GE(calls, 6);
}

TEST_F(LocateFixture, AFilterEventErrorIsReportedThroughTheExceptionHandler) {
  THeadlessWindows session;
  ds.SetOnFilterRecord([](TDataSet* dataSet, bool& accept) {
    accept = dataSet->FieldByName(u"ID")->AsInteger() != 3;
    if (!accept) throw Exception(u"cannot decide");
  });
  ds.SetFiltered(true);
  EXPECT_EQ(ColumnTexts(ds, u"ID"), (std::vector<String>{u"1", u"2", u"4", u"5", u"6"}));
  EXPECT_EQ(session.Reported, (std::vector<String>{u"cannot decide"}));
  EXPECT_EQ(session.ReportedBy, (std::vector<TObject*>{&ds}));
}

TEST_F(LocateFixture, FindHonoursTheFilterWhileFilteredIsOff) {
  ds.SetFilter(u"GRP = 1");
  EXPECT_TRUE(ds.FindFirst());
  EXPECT_EQ(Id(), 2);
  EXPECT_TRUE(ds.FindNext());
  EXPECT_EQ(Id(), 5);
  EXPECT_FALSE(ds.FindNext());
  EXPECT_FALSE(ds.Found());
  EXPECT_EQ(Id(), 5);
  EXPECT_TRUE(ds.FindPrior());
  EXPECT_EQ(Id(), 2);
  EXPECT_TRUE(ds.FindLast());
  EXPECT_EQ(Id(), 5);
  EXPECT_EQ(ds.RecordCount(), 6) << "the filter was only lent to the search";
  ds.First();
  EXPECT_EQ(Id(), 1);
}

// ---- The sorted and the linear paths give the same answers.

struct DiffRow {
  int id;
  Variant grp;
  Variant name;
};

std::vector<DiffRow> MakeDiffRows(int count) {
  std::mt19937 random(20240229);
  const char* const names[] = {"ана", "Ана", "АНА", "борис", "Борис", "весна", "Ѓорѓи", "зоран",
                               "Zoran", "zoran", "Маја", "маја", "Јана", "Oliver", "oliver"};
  std::vector<DiffRow> rows;
  for (int i = 1; i <= count; ++i) {
    DiffRow row{i, Variant::Null(), Variant::Null()};
    if (random() % 23 != 0) row.grp = Variant(static_cast<int32_t>(random() % 40));
    if (random() % 29 != 0) {
      std::string name = names[random() % std::size(names)];
      name += std::to_string(random() % 7);
      row.name = Variant(name.c_str());
    }
    rows.push_back(row);
  }
  return rows;
}

class DifferentialTest : public ::testing::TestWithParam<const char16_t*> {};

TEST_P(DifferentialTest, SortedAndLinearLocateAgreeForEveryOption) {
  const std::vector<DiffRow> rows = MakeDiffRows(10000);
  std::vector<std::vector<Variant>> data;
  for (const DiffRow& r : rows) data.push_back({r.id, r.grp, r.name});
  const std::vector<Column> columns = {{u"ID", dtInteger}, {u"GRP", dtInteger},
                                       {u"NAME", dtString, 20}};

  TMemDataSet sorted(nullptr), linear(nullptr);
  TRowStore* sortedStore = UseStore(sorted, columns, data);
  sorted.SetIndexFieldNames(GetParam());
  sorted.Open();
  // The linear dataset holds the same records in the sorted order, without sort columns.
  std::vector<std::vector<Variant>> ordered;
  for (sorted.First(); !sorted.Eof(); sorted.Next())
    ordered.push_back({sorted.FieldByName(u"ID")->Value(), sorted.FieldByName(u"GRP")->Value(),
                       sorted.FieldByName(u"NAME")->Value()});
  TRowStore* linearStore = UseStore(linear, columns, ordered);
  linear.Open();
  ASSERT_EQ(linear.RecordCount(), 10000);

  // The sorted dataset finds a leading key by a binary search and a walk back over the equal
  // run (some 250 records per group here); the other visits the records before it.
  sorted.First();
  linear.First();
  sortedStore->Reads = linearStore->Reads = 0;
  ASSERT_TRUE(sorted.Locate(u"GRP", Variant(int32_t{20}), {}));
  ASSERT_TRUE(linear.Locate(u"GRP", Variant(int32_t{20}), {}));
  EXPECT_EQ(sorted.RecNo(), linear.RecNo());
  EXPECT_LT(sortedStore->Reads, 600);
  EXPECT_GT(linearStore->Reads, 2000);

  struct KeySet {
    std::vector<String> fields;
    std::vector<Variant> values;
  };
  std::vector<KeySet> keys;
  for (int k = 0; k < 14; ++k) {
    const DiffRow& r = rows[static_cast<size_t>(k * 701 % 10000)];
    keys.push_back({{u"GRP"}, {r.grp}});
    keys.push_back({{u"GRP", u"NAME"}, {r.grp, r.name}});
    keys.push_back({{u"GRP", u"ID"}, {r.grp, r.id}});
  }
  keys.push_back({{u"GRP"}, {Variant::Null()}});
  keys.push_back({{u"GRP"}, {Variant(int32_t{40})}});
  keys.push_back({{u"GRP"}, {Variant(int32_t{-1})}});
  keys.push_back({{u"GRP", u"NAME"}, {Variant(int32_t{5}), Variant("нема")}});
  keys.push_back({{u"GRP", u"NAME"}, {Variant(int32_t{7}), Variant("zoran3")}});
  keys.push_back({{u"GRP", u"NAME"}, {Variant(int32_t{7}), Variant("Ана")}});
  keys.push_back({{u"GRP", u"NAME"}, {Variant::Null(), Variant::Null()}});

  int checked = 0, foundCount = 0;
  for (uint64_t bits = 0; bits < 64; ++bits) {
    const TSearchOptions options = TSearchOptions::FromBits(bits);
    // Partial, nearest and contains searches are linear on both datasets: a few keys suffice.
    const bool bothLinear = options.Contains(soPartialKey) || options.Contains(soNearest) ||
                            options.Contains(soPartialCompare);
    for (size_t k = bits % 5; k < keys.size(); k += bothLinear ? 11 : 1) {
      const KeySet& key = keys[k];
      const int start = 1 + static_cast<int>((k * 1237 + bits * 31) % 10000);
      auto locate = [&](TMemDataSet& ds) {
        ds.SetRecNo(start);
        std::vector<TField*> fields;
        for (const String& f : key.fields) fields.push_back(ds.FieldByName(f));
        Variant values = key.values[0];
        if (key.values.size() == 2) values = VarArrayOf({key.values[0], key.values[1]});
        const bool found = ds.DoLocate(fields, options, values);
        return std::make_tuple(found, ds.Eof(), found ? ds.FieldByName(u"ID")->AsInteger() : 0,
                               ds.RecNo());
      };
      const auto a = locate(sorted);
      const auto b = locate(linear);
      ASSERT_EQ(a, b) << "options " << bits << ", key " << k << ", start " << start;
      ++checked;
      if (std::get<0>(a)) ++foundCount;
    }
  }
  EXPECT_GT(foundCount, checked / 4) << "the keys are mostly ones that exist";
}

INSTANTIATE_TEST_SUITE_P(Orders, DifferentialTest,
                         ::testing::Values(u"GRP;NAME", u"GRP DESC;NAME CIS", u"GRP;NAME BIN"));

}  // namespace
