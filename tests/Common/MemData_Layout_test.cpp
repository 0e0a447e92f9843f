#include <gtest/gtest.h>

#include "MemData_TestStore.h"
#include "platform/rtl/Exceptions.h"

using namespace memdata_test;

namespace {

TEST(RecordLayout, OffsetsNullBytesAndOddRecordSize) {
  TestStore store({{u"ID", dtInteger}, {u"CODE", dtString, 2}, {u"NAME", dtWideString, 5}});
  store.InitFields();
  EXPECT_EQ(store.Fields()[0]->Offset(), 0);
  EXPECT_EQ(store.Fields()[1]->Offset(), 4);
  EXPECT_EQ(store.Fields()[2]->Offset(), 8);  // a wide string moves from 7 to an even offset
  EXPECT_EQ(store.DataSize(), 20);
  EXPECT_EQ(store.RecordSize(), 23);
  RecBuf buf(store);
  EXPECT_EQ(buf[21], 1);  // the null byte of field 2, set by InitRecord
  store.PutField(2, buf, false, "ab");
  EXPECT_EQ(buf[21], 0);
  EXPECT_TRUE(store.GetNull(1, buf));
  EXPECT_FALSE(store.GetNull(2, buf));
}

TEST(RecordLayout, PaddingCalculatedAreaAndPointerSlots) {
  TestStore store({{u"A", dtInteger},
                   {u"B", dtInteger},
                   {u"C", dtWideString, 1, 2},  // in the calculated area
                   {u"NOTE", dtMemo},
                   {u"D", dtSmallint, 0, 2},
                   {u"TITLE", dtExtWideString, 100}});
  store.InitFields();
  // Data area: 4 + 4 + pointer + pointer; six null bytes; 30 is even, so one padding byte.
  EXPECT_EQ(store.Fields()[3]->Size(), static_cast<int32_t>(sizeof(void*)));
  EXPECT_EQ(store.DataSize(), 8 + 2 * static_cast<int32_t>(sizeof(void*)));
  EXPECT_EQ(store.RecordSize() % 2, 1);
  EXPECT_EQ(store.RecordSize(), store.DataSize() + 6 + 1);
  // The calculated area starts at RecordSize; the wide string there starts even.
  EXPECT_EQ(store.Fields()[2]->Offset(), store.RecordSize() + 1);
  EXPECT_EQ(store.Fields()[4]->Offset(), store.RecordSize() + 1 + 4);
  EXPECT_EQ(store.CalcDataSize(), 1 + 4 + 2);
  EXPECT_EQ(store.CalcRecordSize(), 7);  // odd already
  EXPECT_TRUE(store.HasComplexFields());
  EXPECT_TRUE(store.HasBlobFields());
}

TEST(RecordLayout, DuplicateNamesAreRenamed) {
  struct Case {
    std::vector<String> in, out;
  } cases[] = {
      {{u"ID", u"id", u"ID"}, {u"ID", u"id_1", u"ID_2"}},
      {{u""}, {u"_0"}},
      {{u"", u""}, {u"_0", u"_1"}},
      {{u"ID", u"id", u"ID", u"ID_1"}, {u"ID", u"id_1", u"ID_2", u"ID_1_1"}},
      {{u"Име", u"ИМЕ", u"Презиме"}, {u"Име", u"ИМЕ_1", u"Презиме"}},
      {{u"A", u"B", u"a", u"b"}, {u"A", u"B", u"a_1", u"b_1"}},
  };
  for (const Case& c : cases) {
    std::vector<Column> columns;
    for (const String& name : c.in) columns.push_back({name, dtInteger});
    TestStore store(columns);
    store.InitFields();
    std::vector<String> names;
    for (TFieldDesc* f : store.Fields()) names.push_back(f->Name());
    EXPECT_EQ(names, c.out);
  }
}

TEST(RecordLayout, HandMadeDescriptorsSurviveCloseAndInitFields) {
  TestStore store({});
  store.SetRebuildFieldsOnInit(false);
  TFieldDesc* field = TFieldDesc::Create();
  field->SetName(u"X");
  field->SetDataType(dtInteger);
  field->SetSize(4);
  store.Fields().Add(field);
  store.InitFields();
  store.Open();
  store.Close();
  store.UnPrepare();
  store.InitFields();
  ASSERT_EQ(store.FieldCount(), 1);
  EXPECT_EQ(store.Fields()[0], field);
  EXPECT_EQ(store.RecordSize(), 5);
}

TEST(RecordLayout, FieldsChangedHookAndCalcDescriptors) {
  TestStore store({{u"A", dtInteger}});
  int changed = 0;
  store.OnFieldsChanged = [&] { ++changed; };
  store.OnAddCalcFieldDescs = [&] {
    TFieldDesc* calc = TFieldDesc::Create();
    calc->SetName(u"A");  // clashes with the column
    calc->SetDataType(dtInteger);
    calc->SetSize(4);
    calc->SetCalcKind(1);
    store.Fields().Add(calc);
  };
  store.InitFields();
  EXPECT_EQ(changed, 1);  // once, not for the clearing step
  ASSERT_EQ(store.FieldCount(), 2);
  EXPECT_EQ(store.Fields()[1]->Name(), u"A_1");
  EXPECT_EQ(store.Fields()[1]->Offset(), 4);  // kind 1 lives in the data area
  EXPECT_EQ(store.Fields()[1]->FieldNo(), 2);
  store.ClearFields();
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(store.FieldCount(), 0);
}

TEST(RecordLayout, FieldNumbersOutOfRangeAreAssertions) {
  TestStore store({{u"A", dtInteger}});
  store.InitFields();
  RecBuf buf(store);
  int32_t v = 1;
  bool blank;
  for (int bad : {0, -1, 2, 1000}) {
    EXPECT_THROW(store.GetNull(bad, buf), EAssertionFailed) << bad;
    EXPECT_THROW(store.SetNull(bad, buf, true), EAssertionFailed) << bad;
    EXPECT_THROW(store.PutField(bad, buf, false, &v), EAssertionFailed) << bad;
    EXPECT_THROW(store.GetField(bad, buf, &v, blank), EAssertionFailed) << bad;
  }
  try {
    store.GetNull(7, buf);
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(e.Message().find(u"MemData_Layout.cpp, line "), String::npos);
  }
}

}  // namespace
