// Editing the in-memory dataset: insert, edit, post, cancel and delete reach the store and, before
// the store changes, the updater; a failing updater leaves the store unchanged and the dataset in
// its edit or insert state.
#include <gtest/gtest.h>

#include "tests/Common/MemDS_TestData.h"

namespace {

using namespace memds_test;

class EditFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    store = UseStore(ds,
                     {{u"ID", dtInteger}, {u"NAME", dtExtWideString, 40}, {u"NOTE", dtMemo},
                      {u"V", dtVariant}},
                     {{1, Variant(u"Ана"), Variant("first note"), Variant(int32_t{10})},
                      {2, Variant(u"Борис"), Variant::Null(), Variant(u"два")},
                      {3, Variant(u"Весна"), Variant("third"), Variant::Null()}});
    source.SetDataSet(&ds);
    link.SetDataSource(&source);
    ds.Open();
  }

  // The stored values of one column, read from the store itself (its cursor is put back).
  std::vector<String> Stored(int fieldNo) {
    std::vector<String> values;
    std::vector<uint8_t> buffer(static_cast<size_t>(store->RecordSize()));
    TRecBookmark place{};
    store->GetBookmark(&place);
    store->SetToBegin();
    for (;;) {
      store->GetNextRecord(buffer.data());
      if (store->GetEOF()) break;
      values.push_back(store->GetFieldAsVariant(fieldNo, buffer.data()).AsString());
    }
    store->SetToBookmark(&place);
    return values;
  }

  TUpdaterLog log;
  TLogDataSet ds{log};
  TRowStore* store = nullptr;
  TDataSource source{nullptr};
  TLogLink link;
};

TEST_F(EditFixture, InsertEditAndDeleteReachTheUpdaterAndTheStore) {
  ds.Insert();
  EXPECT_EQ(ds.State(), dsInsert);
  ds.FieldByName(u"ID")->SetAsInteger(10);
  ds.FieldByName(u"NAME")->SetAsString(u"Гоце");
  ds.FieldByName(u"NOTE")->SetAsString(u"нова белешка");
  ds.FieldByName(u"V")->SetValue(Variant(3.5));
  ds.Post();
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(Stored(1), (std::vector<String>{u"10", u"1", u"2", u"3"}));
  EXPECT_EQ(ds.FieldByName(u"NOTE")->AsString(), u"нова белешка");

  ds.Last();
  ds.Edit();
  ds.FieldByName(u"NAME")->SetAsString(u"Весна Петрова");
  ds.FieldByName(u"V")->SetValue(Variant(u"три"));
  ds.Post();
  EXPECT_EQ(Stored(2)[3], u"Весна Петрова");
  EXPECT_EQ(ds.FieldByName(u"V")->AsString(), u"три");

  ds.First();
  ds.Delete();
  EXPECT_EQ(Stored(1), (std::vector<String>{u"1", u"2", u"3"}));
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 1);
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"append", "update", "delete"}));
}

TEST_F(EditFixture, AFailingInsertKeepsTheNewRecordAndTheStoreUnchanged) {
  ds.Append();
  ds.FieldByName(u"ID")->SetAsInteger(4);
  ds.FieldByName(u"NAME")->SetAsString(u"Донација");
  ds.FieldByName(u"NOTE")->SetAsString(u"blob of the new record");
  log.FailOn = "append";
  EXPECT_EQ(MessageOf([&] { ds.Post(); }), u"statement failed");
  EXPECT_EQ(ds.State(), dsInsert);
  EXPECT_TRUE(ds.Modified()) << "the updater call keeps the user's modified flag";
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"Донација");
  EXPECT_EQ(ds.FieldByName(u"NOTE")->AsString(), u"blob of the new record");
  EXPECT_EQ(store->RecordCount(), 3);
  EXPECT_EQ(Stored(1), (std::vector<String>{u"1", u"2", u"3"}));
  // The second attempt succeeds.
  ds.Post();
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(Stored(1), (std::vector<String>{u"1", u"2", u"3", u"4"}));
  EXPECT_EQ(ds.FieldByName(u"NOTE")->AsString(), u"blob of the new record");
}

TEST_F(EditFixture, AFailingUpdateKeepsTheEditedValuesAndTheStoredRecord) {
  ds.Next();
  ds.Edit();
  ds.FieldByName(u"NAME")->SetAsString(u"Бобан");
  ds.FieldByName(u"NOTE")->SetAsString(u"edited note");
  log.FailOn = "update";
  EXPECT_EQ(MessageOf([&] { ds.Post(); }), u"statement failed");
  EXPECT_EQ(ds.State(), dsEdit);
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"Бобан");
  EXPECT_EQ(Stored(2)[1], u"Борис");
  // Cancelling returns to the stored values, blob included.
  ds.Cancel();
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"Борис");
  EXPECT_TRUE(ds.FieldByName(u"NOTE")->IsNull());
  ds.First();
  ds.Edit();
  ds.FieldByName(u"NOTE")->SetAsString(u"changed");
  ds.Cancel();
  EXPECT_EQ(ds.FieldByName(u"NOTE")->AsString(), u"first note");
}

TEST_F(EditFixture, AFailingDeleteKeepsTheRecord) {
  log.FailOn = "delete";
  EXPECT_THROW(ds.Delete(), EDatabaseError);
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 1);
}

TEST_F(EditFixture, CancelledInsertsAndEditsLeaveNoTrace) {
  ds.Insert();
  ds.FieldByName(u"NOTE")->SetAsString(u"dropped");
  ds.FieldByName(u"V")->SetValue(Variant(u"dropped"));
  ds.Cancel();
  ds.Edit();
  ds.FieldByName(u"V")->SetValue(Variant(int32_t{99}));
  ds.FieldByName(u"NAME")->SetAsString(u"dropped");
  ds.Cancel();
  EXPECT_EQ(ds.FieldByName(u"V")->AsInteger(), 10);
  EXPECT_EQ(Stored(2)[0], u"Ана");
  EXPECT_TRUE(log.Calls.empty());
  // Closing in the middle of an insert or an edit frees what the buffer holds (the sanitizer's
  // leak check watches this).
  ds.Append();
  ds.FieldByName(u"NOTE")->SetAsString(u"open at close");
  ds.Close();
  ds.Open();
  ds.Edit();
  ds.FieldByName(u"NOTE")->SetAsString(u"edited at close");
  ds.FieldByName(u"V")->SetValue(Variant(u"edited"));
  ds.Close();
}

TEST_F(EditFixture, PerformPostCallsTheUpdaterWithoutStoring) {
  ds.Edit();
  ds.FieldByName(u"ID")->SetAsInteger(50);
  ds.PerformPost();
  ds.Cancel();
  ds.Append();
  ds.PerformPost();
  ds.Cancel();
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"update", "append"}));
  EXPECT_EQ(Stored(1), (std::vector<String>{u"1", u"2", u"3"}));
}

TEST_F(EditFixture, AppendRecordAndInsertRecordStoreWholeRecords) {
  ds.AppendRecord({int32_t{7}, u"Седум"});
  ds.First();
  ds.InsertRecord({int32_t{0}, u"Нула"});
  EXPECT_EQ(Stored(1), (std::vector<String>{u"0", u"1", u"2", u"3", u"7"}));
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"append", "append"}));
}

TEST(MemDataSetEdit, ABareDatasetKeepsItsChangesInMemory) {
  TMemDataSet ds(nullptr);
  UseStore(ds, {{u"ID", dtInteger}}, {{1}, {2}});
  ds.Open();
  ds.Append();
  ds.FieldByName(u"ID")->SetAsInteger(3);
  ds.Post();
  ds.First();
  ds.Edit();
  ds.FieldByName(u"ID")->SetAsInteger(10);
  ds.Post();
  ds.Last();
  ds.Delete();
  EXPECT_EQ(ColumnTexts(ds, u"ID"), (std::vector<String>{u"10", u"2"}));
  ASSERT_NE(ds.DataSetService(), nullptr);
  TDataSetUpdater* updater = ds.DataSetService()->Updater();
  ASSERT_NE(updater, nullptr);
  EXPECT_TRUE(updater->PerformAppend());
  EXPECT_TRUE(updater->PerformUpdate());
  EXPECT_TRUE(updater->PerformDelete());
  EXPECT_TRUE(updater->RecordReverted());
  EXPECT_TRUE(updater->UpdatesApplied());
  EXPECT_TRUE(updater->UpdatesCanceled());
  EXPECT_FALSE(updater->BatchAllowed());
  EXPECT_EQ(updater->DataSet(), &ds);
}

TEST(MemDataSetEdit, CachedUpdatesSwitchOnlyWhileClosed) {
  TMemDataSet ds(nullptr);
  UseStore(ds, {{u"ID", dtInteger}}, {{1}});
  ds.Open();
  EXPECT_EQ(MessageOf([&] { ds.SetCachedUpdates(true); }),
            u"Cannot perform this operation on an open dataset");
  EXPECT_FALSE(ds.CachedUpdates());
  EXPECT_EQ(MessageOf([&] { ds.ApplyUpdates(); }), u"Not in cached update mode");
  ds.Close();
  ds.SetCachedUpdates(true);
  EXPECT_TRUE(ds.Data()->CachedUpdates());
}

}  // namespace
