// The in-memory dataset over a record store: opening and closing, field definitions from the
// descriptors, values in every buffer form, the record buffer's info and bookmark, record numbers,
// refresh, calculated fields, and the errors of reading and writing fields.
#include <gtest/gtest.h>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumberText.h"
#include "tests/Common/MemDS_TestData.h"

namespace {

using namespace memds_test;

// ---- Field definitions and values of every mapped type.

struct TypeCase {
  const char* name;
  Column column;
  Variant stored;
  TFieldType fieldType;
  int defSize;
  String text;  // the field's AsString
};

class TypeTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(TypeTest, ColumnBecomesAFieldThatReadsAndWritesItsValue) {
  const TypeCase& c = GetParam();
  TMemDataSet ds(nullptr);
  UseStore(ds, {c.column}, {{c.stored}, {Variant::Null()}});
  ds.Open();
  ASSERT_EQ(ds.FieldDefs()->Count(), 1);
  TFieldDef* def = ds.FieldDefs()->Items(0);
  EXPECT_EQ(def->Name(), c.column.name);
  EXPECT_EQ(def->DataType(), c.fieldType);
  EXPECT_EQ(def->Size(), c.defSize);
  EXPECT_EQ(def->FieldNo(), 1);
  TField* field = ds.Fields()->Fields(0);
  EXPECT_EQ(field->DataType(), c.fieldType);

  EXPECT_FALSE(field->IsNull());
  EXPECT_EQ(field->AsString(), c.text);
  const Variant value = field->Value();
  ds.Next();
  EXPECT_TRUE(field->IsNull()) << "second record holds null";
  EXPECT_EQ(field->AsString(), u"");

  // Writing the value read from the first record gives the same text back.
  ds.Edit();
  field->SetValue(value);
  ds.Post();
  EXPECT_EQ(field->AsString(), c.text);
}

const TDateTime Leap = EncodeDate(2024, 2, 29);
const TDateTime Noon = EncodeTime(12, 30, 15, 0);

INSTANTIATE_TEST_SUITE_P(
    Types, TypeTest,
    ::testing::Values(
        TypeCase{"String", {u"NAME", dtString, 20}, Variant("Анна"), ftString, 20, u"Анна"},
        TypeCase{"ExtString", {u"NAME", dtExtString, 30}, Variant("Skopje"), ftString, 30,
                 u"Skopje"},
        TypeCase{"WideString", {u"NAME", dtWideString, 10}, Variant(u"Мария"), ftWideString, 10,
                 u"Мария"},
        TypeCase{"ExtWideString", {u"NAME", dtExtWideString, 40}, Variant(u"Охрид"),
                 ftWideString, 40, u"Охрид"},
        TypeCase{"Integer", {u"N", dtInteger}, Variant(int32_t{-42}), ftInteger, 0, u"-42"},
        TypeCase{"Smallint", {u"N", dtSmallint}, Variant(int16_t{-7}), ftSmallint, 0, u"-7"},
        TypeCase{"OneByteInteger", {u"N", dtInt8}, Variant(int32_t{-5}), ftSmallint, 0, u"-5"},
        TypeCase{"Word", {u"N", dtWord}, Variant(int32_t{65000}), ftWord, 0, u"65000"},
        TypeCase{"Largeint", {u"N", dtLargeint}, Variant(int64_t{1234567890123}), ftLargeint, 0,
                 u"1234567890123"},
        TypeCase{"UInt32", {u"N", dtUInt32}, Variant(uint32_t{4000000000}), ftLargeint, 0,
                 u"4000000000"},
        TypeCase{"Float", {u"X", dtFloat}, Variant(12.5), ftFloat, 0, u"12.5"},
        TypeCase{"Currency", {u"X", dtCurrency}, Variant(3.25), ftCurrency, 0, u"3.25"},
        TypeCase{"BCD", {u"X", dtBCD, 10, 0, false, 2}, Variant(Currency::FromDouble(1234.5)), ftBCD, 2,
                 u"1234.5"},
        TypeCase{"Boolean", {u"B", dtBoolean}, Variant(true), ftBoolean, 0, u"True"},
        TypeCase{"Date", {u"D", dtDate}, Variant::FromDate(Leap), ftDate, 0,
                 DateToStr(Leap)},
        TypeCase{"Time", {u"T", dtTime}, Variant::FromDate(Noon), ftTime, 0, TimeToStr(Noon)},
        TypeCase{"DateTime", {u"S", dtDateTime}, Variant::FromDate(Leap + Noon), ftDateTime, 0,
                 DateTimeToStr(Leap + Noon)},
        TypeCase{"Bytes", {u"R", dtBytes, 3}, Variant(TBytes{0x41, 0x42, 0x43}), ftBytes, 3,
                 u"ABC"},
        TypeCase{"VarBytes", {u"R", dtVarBytes, 8}, Variant(TBytes{0x61, 0x62}), ftVarBytes, 8,
                 u"ab"},
        // Longer than the values converted on the stack.
        TypeCase{"LongBytes", {u"R", dtBytes, 80}, Variant(TBytes(80, 0x5A)), ftBytes, 80,
                 String(80, u'Z')}),
    [](const ::testing::TestParamInfo<TypeCase>& info) { return std::string(info.param.name); });

TEST(MemDataSetOpen, DescriptorAttributesBecomeDefinitionAttributes) {
  TMemDataSet ds(nullptr);
  TRowStore* store = UseStore(ds, {{u"ID", dtInteger, 11}, {u"CODE", dtString, 5, 0, true},
                                   {u"PRICE", dtFMTBCD, 12, 0, false, 3}});
  (void)store;
  ds.FieldDefs()->Update();  // field definitions without opening
  ASSERT_EQ(ds.FieldDefs()->Count(), 3);
  EXPECT_FALSE(ds.Active());
  EXPECT_EQ(ds.FieldDefs()->Items(0)->Precision(), 11);
  EXPECT_TRUE(ds.FieldDefs()->Items(1)->Attributes().Contains(faFixed));
  EXPECT_EQ(ds.FieldDefs()->Items(2)->DataType(), ftFMTBcd);
  EXPECT_EQ(ds.FieldDefs()->Items(2)->Precision(), 12);
  EXPECT_EQ(ds.FieldDefs()->Items(2)->Size(), 3);

  // Required and read-only descriptors, with and without required-field marking.
  for (bool marking : {true, false}) {
    TMemDataSet other(nullptr);
    TRowStore* s = UseStore(other, {{u"ID", dtInteger}});
    s->OnInternalOpen = [s] {
      s->Fields()[0]->SetRequired(true);
      s->Fields()[0]->SetReadOnly(true);
    };
    other.SetRequiredFields(marking);
    other.Open();
    TFieldDef* def = other.FieldDefs()->Items(0);
    EXPECT_EQ(def->Required(), marking);
    EXPECT_TRUE(def->Attributes().Contains(faReadonly));
  }
}

TEST(MemDataSetOpen, AnUnmappedTypeCodeFailsTheOpening) {
  TMemDataSet ds(nullptr);
  UseStore(ds, {{u"ID", dtInteger}, {u"STAMP", dtSQLTimeStamp}}, {{1, Variant::Null()}});
  EXPECT_EQ(MessageOf([&] { ds.Open(); }), u"Data type is not supported");
  EXPECT_FALSE(ds.Active());
  EXPECT_FALSE(ds.Data()->Active());
}

TEST(MemDataSetOpen, ClosedAndEmptyDatasetsHaveNoValues) {
  TMemDataSet ds(nullptr);
  UseStore(ds, {{u"ID", dtInteger}, {u"NOTE", dtMemo}});
  EXPECT_EQ(ds.RecordCount(), 0);
  ds.Open();
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_EQ(ds.RecNo(), 0);
  TField* id = ds.FieldByName(u"ID");
  EXPECT_TRUE(id->IsNull());
  EXPECT_EQ(id->AsInteger(), 0);
  EXPECT_EQ(ds.GetBlob(ds.FieldByName(u"NOTE")), nullptr);
  TField* note = ds.FieldByName(u"NOTE");
  ds.Close();
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_EQ(ds.GetBlob(note), nullptr);
}

// ---- Browsing through a data source.

class BrowseFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::vector<Variant>> rows;
    for (int i = 1; i <= 12; ++i) rows.push_back({i, Variant(u"row " + IntToStr(i))});
    store = UseStore(ds, {{u"ID", dtInteger}, {u"NAME", dtWideString, 20}}, rows);
    source.SetDataSet(&ds);
    link.SetDataSource(&source);
    link.SetBufferCount(5);
  }

  TMemDataSet ds{nullptr};
  TRowStore* store = nullptr;
  TDataSource source{nullptr};
  TLogLink link;
};

TEST_F(BrowseFixture, ALinkReadsEveryBufferedRowWithItsRecordNumber) {
  ds.Open();
  EXPECT_TRUE(link.Active());
  EXPECT_EQ(ds.RecordCount(), 12);
  ds.MoveBy(6);
  const int current = link.ActiveRecord();
  std::vector<int> ids, numbers;
  for (int row = 0; row < link.RecordCount(); ++row) {
    link.SetActiveRecord(row);
    ids.push_back(ds.FieldByName(u"ID")->AsInteger());
    numbers.push_back(ds.RecNo());
  }
  link.SetActiveRecord(current);
  EXPECT_EQ(ids, (std::vector<int>{3, 4, 5, 6, 7}));
  EXPECT_EQ(numbers, ids) << "each buffer carries its record's number";
  EXPECT_EQ(ds.RecNo(), 7);
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"row 7");
}

TEST_F(BrowseFixture, OpenCloseAndNavigationReachTheLink) {
  ds.Open();
  EXPECT_EQ(link.Log.front(), "active");
  link.Log.clear();
  ds.Next();
  ds.Last();
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 12);
  ds.Prior();
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 11);
  EXPECT_EQ(link.Log, (std::vector<std::string>{"scrolled 0", "changed", "scrolled 0"}));
  ds.Close();
  EXPECT_EQ(link.Log.back(), "inactive");
  EXPECT_FALSE(store->Active());
}

TEST_F(BrowseFixture, RecNoMovesToARecordAndIgnoresOneItDoesNotHave) {
  ds.Open();
  ds.SetRecNo(9);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 9);
  EXPECT_EQ(ds.RecNo(), 9);
  ds.SetRecNo(40);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 9);
  ds.SetRecNo(1);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 1);
}

TEST_F(BrowseFixture, BookmarksReturnToTheirRecordAcrossDeletes) {
  ds.Open();
  ds.MoveBy(3);
  const TBookmark fourth = ds.GetBookmark();
  EXPECT_EQ(static_cast<size_t>(ds.BookmarkSize()), sizeof(TRecBookmark));
  ds.MoveBy(5);
  const TBookmark ninth = ds.GetBookmark();
  EXPECT_EQ(ds.CompareBookmarks(fourth, ninth), -1);
  EXPECT_EQ(ds.CompareBookmarks(ninth, fourth), 1);
  EXPECT_EQ(ds.CompareBookmarks(ninth, ninth), 0);
  ds.GotoBookmark(fourth);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 4);
  EXPECT_TRUE(ds.BookmarkValid(fourth));
  ds.Delete();
  EXPECT_TRUE(ds.BookmarkValid(ninth));
  ds.GotoBookmark(ninth);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 9);
  EXPECT_EQ(ds.RecNo(), 8);
  EXPECT_FALSE(ds.BookmarkValid(TBookmark{1, 2, 3}));
}

TEST_F(BrowseFixture, RefreshShowsTheRowsOfANewOpening) {
  ds.Open();
  ds.MoveBy(2);
  store->Rows[0][1] = Variant(u"changed elsewhere");
  store->Rows.pop_back();
  link.Log.clear();
  ds.Refresh();
  EXPECT_EQ(store->Opens, 2);
  EXPECT_EQ(ds.RecordCount(), 11);
  EXPECT_EQ(link.Log, (std::vector<std::string>{"changed"}));
  // The new result starts afresh: the cursor stands on its first row.
  EXPECT_EQ(ds.RecNo(), 1);
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"changed elsewhere");
  EXPECT_EQ(ColumnTexts(ds, u"ID").size(), 11u);
}

TEST_F(BrowseFixture, FieldsAreWrittenOnlyInAnEditState) {
  ds.Open();
  TField* name = ds.FieldByName(u"NAME");
  EXPECT_EQ(MessageOf([&] { name->SetAsString(u"x"); }), u"Dataset not in edit or insert mode");
  ds.Edit();
  name->SetAsString(u"Ѓорѓи");
  ds.Post();
  EXPECT_EQ(name->AsString(), u"Ѓорѓи");
}

// ---- Read-only fields, default values and old values.

TEST(MemDataSetFields, AReadOnlyFieldIsWrittenOnlyByItsDefaultValue) {
  TMemDataSet ds(nullptr);
  UseStore(ds, {{u"ID", dtInteger}, {u"STATUS", dtString, 20}}, {{1, Variant("Active")}});
  ds.Open();
  TField* status = ds.FieldByName(u"STATUS");
  status->SetReadOnly(true);
  status->SetDefaultExpression(u"'It''s new'");
  ds.Edit();
  EXPECT_EQ(MessageOf([&] { status->SetAsString(u"Closed"); }),
            u"Field 'STATUS' cannot be modified");
  ds.Cancel();
  ds.Append();
  EXPECT_EQ(status->AsString(), u"It's new");
  EXPECT_TRUE(status->OldValue().IsNull()) << "a new record has no old values";
  ds.FieldByName(u"ID")->SetAsInteger(2);
  ds.Post();
  EXPECT_EQ(ds.RecordCount(), 2);
  EXPECT_EQ(status->AsString(), u"It's new");
}

TEST(MemDataSetFields, PersistentTextFieldsTakeTheColumnSizeOfEachOpening) {
  TMemDataSet ds(nullptr);
  TRowStore* store = UseStore(ds, {{u"NAME", dtString, 10}}, {{Variant("abc")}});
  auto* name = new TStringField(&ds);
  name->SetFieldName(u"NAME");
  name->SetSize(10);
  name->SetDataSet(&ds);
  ds.Open();
  EXPECT_EQ(name->Size(), 10);
  ds.Close();
  // The next result has a wider column.
  ds.SetData(nullptr);
  store = UseStore(ds, {{u"NAME", dtString, 60}}, {{Variant(std::string(55, 'w').c_str())}});
  ds.Open();
  EXPECT_EQ(name->Size(), 60);
  EXPECT_EQ(name->AsString().size(), 55u);
  (void)store;
}

// ---- Calculated fields live in the store's calculated area.

TEST(MemDataSetFields, CalculatedFieldsAreComputedIntoEachRecordBuffer) {
  for (bool cached : {false, true}) {
    SCOPED_TRACE(cached ? "cached" : "computed per buffer");
    TMemDataSet ds(nullptr);
    TRowStore* store = UseStore(ds, {{u"QTY", dtInteger}, {u"PRICE", dtFloat}},
                                {{2, 1.5}, {4, 2.0}, {1, 10.0}});
    ds.SetCacheCalcFields(cached);
    auto* qty = new TIntegerField(&ds);
    qty->SetFieldName(u"QTY");
    qty->SetDataSet(&ds);
    auto* price = new TFloatField(&ds);
    price->SetFieldName(u"PRICE");
    price->SetDataSet(&ds);
    auto* total = new TFloatField(&ds);
    total->SetFieldName(u"TOTAL");
    total->SetFieldKind(fkCalculated);
    total->SetDataSet(&ds);
    int calculations = 0;
    ds.OnCalcFields = [&](TDataSet*) {
      ++calculations;
      total->SetAsFloat(qty->AsInteger() * price->AsFloat());
    };
    ds.Open();
    TFieldDesc* desc = store->FindField(u"TOTAL");
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(desc->CalcKind(), cached ? 1 : 2);
    EXPECT_EQ(ColumnTexts(ds, u"TOTAL"), (std::vector<String>{u"3", u"8", u"10"}));
    ds.First();
    ds.Edit();
    qty->SetAsInteger(5);
    EXPECT_EQ(total->AsFloat(), 7.5) << "a changed field recalculates the record";
    ds.Post();
    EXPECT_EQ(total->AsFloat(), 7.5);
    EXPECT_GT(calculations, 0);
  }
}

TEST(MemDataSetFields, FieldDescriptorsAreFoundForTheirOwnDatasetOnly) {
  TMemDataSet ds(nullptr), other(nullptr);
  UseStore(ds, {{u"ID", dtInteger}, {u"Name", dtString, 10}});
  UseStore(other, {{u"ID", dtInteger}});
  ds.Open();
  other.Open();
  EXPECT_EQ(ds.GetFieldDesc(ds.FieldByName(u"NAME")), ds.Data()->Fields()[1]);
  EXPECT_THROW(ds.GetFieldDesc(other.FieldByName(u"ID")), EAssertionFailed);
  EXPECT_THROW(ds.GetFieldDesc(nullptr), EAssertionFailed);
}

}  // namespace
