// Cached updates of the in-memory dataset: changes kept on the store's records, then applied
// through the updater or the OnUpdateRecord and OnUpdateError events, committed, reverted and
// cancelled.
#include <gtest/gtest.h>

#include "tests/Common/MemDS_TestData.h"

namespace {

using namespace memds_test;

class CachedFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    UseStore(ds, {{u"ID", dtInteger}, {u"NAME", dtExtString, 30}},
             {{1, Variant("one")}, {2, Variant("two")}, {3, Variant("three")}});
    ds.SetCachedUpdates(true);
    ds.Open();
  }

  // Modifies record 2, inserts record 4 at the end and deletes record 1.
  void MakeThreeChanges() {
    ds.SetRecNo(2);
    ds.Edit();
    ds.FieldByName(u"NAME")->SetAsString(u"TWO");
    ds.Post();
    ds.AppendRecord({int32_t{4}, u"four"});
    ds.First();
    ds.Delete();
  }

  TUpdaterLog log;
  TLogDataSet ds{log};
};

TEST_F(CachedFixture, ChangesWaitInTheStoreUntilApplied) {
  MakeThreeChanges();
  EXPECT_TRUE(log.Calls.empty()) << "nothing reaches the updater before applying";
  EXPECT_TRUE(ds.UpdatesPending());
  EXPECT_EQ(ColumnTexts(ds, u"NAME"), (std::vector<String>{u"TWO", u"three", u"four"}));
  ds.First();
  EXPECT_EQ(ds.UpdateStatus(), usModified);
  ds.Last();
  EXPECT_EQ(ds.UpdateStatus(), usInserted);
  EXPECT_EQ(ds.GetUpdateResult(), urNone);

  ds.ApplyUpdates();
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"update", "append", "delete", "applied"}));
  EXPECT_EQ(ds.GetUpdateResult(), urApplied);
  EXPECT_FALSE(ds.UpdatesPending());
  ds.CommitUpdates();
  EXPECT_EQ(ds.UpdateStatus(), usUnmodified);
  EXPECT_EQ(ds.GetUpdateResult(), urNone);
  EXPECT_EQ(ColumnTexts(ds, u"ID"), (std::vector<String>{u"2", u"3", u"4"}));
}

TEST_F(CachedFixture, OnlyTheKindsAskedForAreApplied) {
  MakeThreeChanges();
  ds.ApplyUpdatesKinds({usInserted});
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"append", "applied"}));
  EXPECT_TRUE(ds.UpdatesPending());
  log.Calls.clear();
  ds.ApplyUpdates();
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"update", "delete", "applied"}));
}

TEST_F(CachedFixture, TheRecordBeingAppliedIsReadThroughTheFields) {
  MakeThreeChanges();
  std::vector<std::string> seen;
  ds.OnUpdateRecord = [&](TDataSet* dataSet, TUpdateKind kind, TUpdateAction& action) {
    TField* name = dataSet->FieldByName(u"NAME");
    seen.push_back(std::to_string(kind) + " " + UTF8Encode(name->AsString()) + " new " +
                   UTF8Encode(name->NewValue().AsString()) + " old " +
                   UTF8Encode(name->OldValue().AsString()));
    action = uaApplied;
  };
  ds.ApplyUpdates();
  EXPECT_EQ(seen, (std::vector<std::string>{"0 TWO new TWO old two", "1 four new four old four",
                                            "2 one new one old one"}));
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"applied"}))
      << "a handled record never reaches the updater";
  EXPECT_FALSE(ds.UpdatesPending());
}

TEST_F(CachedFixture, AnUpdateRecordHandlerThatLeavesFailStopsApplying) {
  MakeThreeChanges();
  ds.OnUpdateRecord = [](TDataSet*, TUpdateKind, TUpdateAction&) {};
  EXPECT_EQ(MessageOf([&] { ds.ApplyUpdates(); }), u"Update failed");
  EXPECT_TRUE(ds.UpdatesPending());
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"TWO") << "the failing record is current";
  // Skipping leaves the records pending without an error.
  ds.OnUpdateRecord = [](TDataSet*, TUpdateKind, TUpdateAction& action) { action = uaSkip; };
  ds.ApplyUpdates();
  EXPECT_EQ(ds.GetUpdateResult(), urSkip);
  // Abort is the silent exception.
  ds.OnUpdateRecord = [](TDataSet*, TUpdateKind, TUpdateAction& action) { action = uaAbort; };
  EXPECT_THROW(ds.ApplyUpdates(), EAbort);
}

TEST_F(CachedFixture, UpdateErrorHandlersSkipRetryOrFail) {
  MakeThreeChanges();
  std::vector<TUpdateKind> failures;
  TUpdateAction answer = uaSkip;
  ds.OnUpdateError = [&](TDataSet*, EDatabaseError& e, TUpdateKind kind, TUpdateAction& action) {
    EXPECT_EQ(e.Message(), u"statement failed");
    failures.push_back(kind);
    action = answer;
  };
  log.FailOn = "update";
  ds.ApplyUpdates();
  EXPECT_EQ(failures, (std::vector<TUpdateKind>{ukModify}));
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"update", "append", "delete", "applied"}));
  EXPECT_TRUE(ds.UpdatesPending()) << "the skipped update waits";

  // Retry runs the same record again.
  log.Calls.clear();
  answer = uaRetry;
  log.FailOn = "update";
  ds.ApplyUpdates();
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"update", "update", "applied"}));
  EXPECT_FALSE(ds.UpdatesPending());

  // Fail passes the error on.
  ds.Edit();
  ds.FieldByName(u"NAME")->SetAsString(u"again");
  ds.Post();
  answer = uaFail;
  log.FailOn = "update";
  EXPECT_EQ(MessageOf([&] { ds.ApplyUpdates(); }), u"statement failed");
}

TEST_F(CachedFixture, BatchedChangesAreDeferredUntilTheLastOne) {
  MakeThreeChanges();
  log.Batch = true;
  ds.ApplyUpdates();
  EXPECT_EQ(log.Calls,
            (std::vector<std::string>{"update", "append", "delete", "flush", "applied"}));
  EXPECT_FALSE(ds.UpdatesPending());
  ds.First();
  EXPECT_EQ(ds.GetUpdateResult(), urApplied) << "deferred records count as applied with the batch";
}

TEST_F(CachedFixture, RevertingAndCancellingBringTheOldRecordsBack) {
  MakeThreeChanges();
  ds.First();  // the modified record 2
  ds.Edit();
  ds.FieldByName(u"NAME")->SetAsString(u"being edited");
  ds.RevertRecord();
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"two");
  EXPECT_EQ(ds.UpdateStatus(), usUnmodified);
  EXPECT_EQ(log.Calls, (std::vector<std::string>{"reverted"}));
  ds.Last();
  ds.RevertRecord();  // the inserted record goes
  EXPECT_EQ(ColumnTexts(ds, u"ID"), (std::vector<String>{u"2", u"3"}));
  ds.CancelUpdates();  // the deleted record returns
  EXPECT_EQ(ColumnTexts(ds, u"NAME"), (std::vector<String>{u"one", u"two", u"three"}));
  EXPECT_EQ(log.Calls.back(), "canceled");
  EXPECT_FALSE(ds.UpdatesPending());
}

}  // namespace
