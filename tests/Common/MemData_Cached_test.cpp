#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MemData_TestStore.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

using namespace memdata_test;

namespace {

// Five records (ID, a text held by reference, a memo) under cached updates. The server hooks
// count their calls: none may run while changes are only cached.
class Cached : public ::testing::Test {
 protected:
  Cached() : store({{u"ID", dtInteger}, {u"NAME", dtExtString, 40}, {u"MEMO", dtMemo}}) {
    store.InitFields();
    store.Open();
    for (int id = 1; id <= 5; ++id) Insert(id);
    store.OnAppend = [&](uint8_t*) { ++serverCalls; };
    store.OnUpdate = [&](uint8_t*) { ++serverCalls; };
    store.OnDelete = [&] { ++serverCalls; };
    store.SetCachedUpdates(true);
    newBuf = std::make_unique<RecBuf>(store, false);
    oldBuf = std::make_unique<RecBuf>(store, false);
    newValues = newBuf->get();
    oldValues = oldBuf->get();
    store.SetCacheBuffers(newValues, oldValues);
  }
  ~Cached() override { EXPECT_EQ(serverCalls, 0); }

  void Insert(int id) {
    RecBuf buf(store);
    store.PutField(1, buf, false, &id);
    const std::string name = "n" + std::to_string(id);
    store.PutField(2, buf, false, name.c_str());
    store.PutFieldAsVariant(3, buf, Variant(("memo " + std::to_string(id)).c_str()));
    store.AppendRecord(buf);
    buf.Handed();
  }
  // Edits the record at recNo as the dataset does: edit, change, post. Nil leaves a field.
  void Edit(int recNo, const char* name, const char* memo = nullptr) {
    store.SetRecNo(recNo);
    RecBuf buf(store, false);
    store.GetRecord(buf);
    store.EditRecord(buf);
    if (name) store.PutField(2, buf, false, name);
    if (memo) store.PutFieldAsVariant(3, buf, Variant(memo));
    store.PostRecord(buf);
  }
  void Delete(int recNo) {
    store.SetRecNo(recNo);
    store.DeleteRecord();
  }
  // ID, name and memo of the visible records, "ID name memo" each.
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    RecBuf buf(store, false);
    store.SetToBegin();
    for (store.GetNextRecord(buf); !store.GetEOF(); store.GetNextRecord(buf))
      rows.push_back(Text(buf));
    return rows;
  }
  std::string Text(uint8_t* buf) {
    return std::to_string(ReadValue<int32_t>(store, 1, buf)) + " " + ReadText(store, 2, buf) + " " +
           UTF8Encode(store.GetFieldAsVariant(3, buf).AsString());
  }
  std::string Current() {
    RecBuf buf(store, false);
    store.GetRecord(buf);
    return Text(buf);
  }
  std::string Old() {
    RecBuf buf(store, false);
    store.GetOldRecord(buf);
    return Text(buf);
  }
  // The item of the record with that ID, hidden ones included; nil when there is none.
  TRecordItem* Item(int id) {
    for (TRecordItem* it = store.FirstItem(); it; it = it->Next)
      if (ReadValue<int32_t>(store, 1, it->Data()) == id) return it;
    return nullptr;
  }
  std::vector<int> CachedIds() {
    std::vector<int> ids;
    for (TRecordItem* item : store.CacheItems())
      ids.push_back(ReadValue<int32_t>(store, 1, item->Data()));
    return ids;
  }
  static std::vector<std::string> Original() {
    std::vector<std::string> rows;
    for (int id = 1; id <= 5; ++id)
      rows.push_back(std::to_string(id) + " n" + std::to_string(id) + " memo " +
                     std::to_string(id));
    return rows;
  }

  TestStore store;
  int serverCalls = 0;
  // The dataset's buffers that the store fills while applying.
  std::unique_ptr<RecBuf> newBuf, oldBuf;
  uint8_t* newValues = nullptr;
  uint8_t* oldValues = nullptr;
};

TEST_F(Cached, EditsAreRecordedWithTheirStatus) {
  Edit(2, "changed");
  EXPECT_EQ(store.GetUpdateStatus(), isUpdated);
  EXPECT_EQ(store.GetUpdateResult(), urNone);
  Insert(6);
  EXPECT_EQ(store.GetUpdateStatus(), isAppended);
  Delete(4);
  EXPECT_EQ(Item(4)->Status, isDeleted);
  EXPECT_EQ(Item(4)->UpdateResult, urNone);
  EXPECT_EQ(CachedIds(), (std::vector<int>{2, 6, 4}));
  // The deleted record is hidden and out of the numbering; the others are as edited.
  EXPECT_EQ(Rows(), (std::vector<std::string>{"1 n1 memo 1", "2 changed memo 2", "3 n3 memo 3",
                                              "5 n5 memo 5", "6 n6 memo 6"}));
  EXPECT_EQ(store.GetRecordCount(), 5);
  EXPECT_TRUE(NumbersAreConsecutive(store));
  EXPECT_TRUE(store.GetUpdatesPending());
  EXPECT_TRUE(store.HasUnappliedUpdates());
  EXPECT_EQ(Item(1)->Status, isUnmodified);
  // Editing an already modified record adds no second cache entry.
  Edit(2, "again");
  EXPECT_EQ(CachedIds(), (std::vector<int>{2, 6, 4}));
}

TEST_F(Cached, InsertThenUpdateStaysAnInsertWithoutRollback) {
  Insert(6);
  Edit(6, "later");
  TRecordItem* item = Item(6);
  EXPECT_EQ(item->Status, isAppended);
  EXPECT_EQ(item->Rollback, nullptr);
  EXPECT_EQ(CachedIds(), (std::vector<int>{6}));
  EXPECT_FALSE(store.GetUpdatesPending());  // inserts do not count
  EXPECT_TRUE(store.HasUnappliedUpdates());
}

TEST_F(Cached, TheFirstRollbackCopyIsKept) {
  Edit(3, "first", "memo first");
  Edit(3, "second", "memo second");
  store.SetRecNo(3);
  EXPECT_EQ(Current(), "3 second memo second");
  EXPECT_EQ(Old(), "3 n3 memo 3");
  // Reverting brings back the values from before the first update, the memo included.
  store.RevertRecord();
  EXPECT_EQ(Rows(), Original());
  EXPECT_TRUE(store.CacheItems().empty());
  EXPECT_EQ(Item(3)->Status, isUnmodified);
}

TEST_F(Cached, AMemoChangedOnlyByALaterUpdateIsStillReverted) {
  Edit(2, "name only");
  Edit(2, nullptr, "memo changed later");
  store.SetRecNo(2);
  EXPECT_EQ(Old(), "2 n2 memo 2");
  store.CancelUpdates();
  EXPECT_EQ(Rows(), Original());
}

TEST_F(Cached, DeletingAModifiedRecordThenRevertingIt) {
  Edit(4, "modified", "new memo");
  Delete(4);
  EXPECT_EQ(Item(4)->Status, isDeleted);
  // The deleted record already holds its original values again.
  EXPECT_EQ(Text(Item(4)->Data()), "4 n4 memo 4");
  EXPECT_EQ(store.GetRecordCount(), 4);
  store.SetFilterItemTypes(1 << isDeleted);  // show only deleted records
  EXPECT_EQ(Rows(), (std::vector<std::string>{"4 n4 memo 4"}));
  store.SetRecNo(1);
  store.RevertRecord();
  EXPECT_EQ(store.GetRecordCount(), 0);
  store.SetFilterItemTypes(7);
  EXPECT_EQ(Rows(), Original());
  EXPECT_TRUE(NumbersAreConsecutive(store));
  EXPECT_EQ(Item(4)->Status, isUnmodified);
}

TEST_F(Cached, DeletingAnInsertedRecordRemovesIt) {
  Insert(6);
  store.DeleteRecord();
  EXPECT_EQ(Item(6), nullptr);
  EXPECT_TRUE(store.CacheItems().empty());
  EXPECT_EQ(Rows(), Original());
  EXPECT_EQ(store.GetRecordCount(), 5);
}

TEST_F(Cached, UpdateStatusFilters) {
  Edit(1, "changed");
  Insert(6);
  Delete(3);
  const struct {
    uint8_t types;
    std::vector<int> ids;
  } cases[] = {
      {1 << isUnmodified, {2, 4, 5}},
      {1 << isUpdated, {1}},
      {1 << isAppended, {6}},
      {1 << isDeleted, {3}},
      {(1 << isUpdated) | (1 << isDeleted), {1, 3}},
      {0x0F, {1, 2, 3, 4, 5, 6}},
      {7, {1, 2, 4, 5, 6}},
  };
  for (const auto& c : cases) {
    store.SetFilterItemTypes(c.types);
    EXPECT_EQ(VisibleInts(store, 1), c.ids) << int(c.types);
    EXPECT_EQ(store.GetRecordCount(), static_cast<int32_t>(c.ids.size()));
    EXPECT_TRUE(NumbersAreConsecutive(store));
  }
  store.SetFilterItemTypes(0);
  EXPECT_TRUE(store.GetEOF());
}

// ---- Applying ----

TEST_F(Cached, ApplyHandsEachChangeToTheHookWithItsValues) {
  Edit(2, "changed");
  Insert(6);
  Delete(4);
  std::vector<std::string> calls;
  store.OnApplyRecord = [&](uint8_t kind, uint8_t& action, bool last) {
    calls.push_back(std::to_string(kind) + (last ? " last: " : ": ") + Text(newValues) + " / " +
                    Text(oldValues) + " / current " + std::to_string(store.GetUpdateStatus()));
    action = urApplied;
  };
  int afterApply = 0;
  store.OnAfterApplyUpdates = [&] { ++afterApply; };
  store.SetRecNo(1);
  store.ApplyUpdates(7);
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "0: 2 changed memo 2 / 2 n2 memo 2 / current 1",
                       "1: 6 n6 memo 6 / 6 n6 memo 6 / current 2",
                       "2 last: 4 n4 memo 4 / 4 n4 memo 4 / current 3"}));
  EXPECT_EQ(afterApply, 1);
  EXPECT_EQ(store.GetRecNo(), 1);  // the record current before applying
  for (int id : {2, 6, 4}) EXPECT_EQ(Item(id)->UpdateResult, urApplied) << id;
  EXPECT_FALSE(store.HasUnappliedUpdates());
  EXPECT_FALSE(store.GetUpdatesPending());
  // A second apply has nothing left to do.
  calls.clear();
  store.ApplyUpdates(7);
  EXPECT_TRUE(calls.empty());
  // Restoring makes applied changes pending again.
  store.RestoreUpdates();
  EXPECT_TRUE(store.GetUpdatesPending());
  store.ApplyUpdates(7);
  EXPECT_EQ(calls.size(), 3u);
}

TEST_F(Cached, ApplyingOnlySomeKinds) {
  Edit(1, "changed");
  Insert(6);
  std::vector<int> kinds;
  store.OnApplyRecord = [&](uint8_t kind, uint8_t& action, bool last) {
    kinds.push_back(kind);
    EXPECT_TRUE(last);  // the only change this pass hands over
    action = urApplied;
  };
  store.ApplyUpdates(2);  // inserts only
  EXPECT_EQ(kinds, (std::vector<int>{ukInsert}));
  EXPECT_EQ(Item(1)->UpdateResult, urFail);  // not applied, still on the list
  EXPECT_EQ(Item(6)->UpdateResult, urApplied);
  EXPECT_EQ(CachedIds(), (std::vector<int>{1, 6}));
  store.ApplyUpdates(7);
  EXPECT_EQ(kinds, (std::vector<int>{ukInsert, ukModify}));
  EXPECT_EQ(Item(1)->UpdateResult, urApplied);
}

TEST_F(Cached, DeferredRunsAndRetries) {
  for (int recNo = 1; recNo <= 4; ++recNo) Edit(recNo, "changed");
  std::vector<int> seen;
  std::vector<uint8_t> actions = {urDeferred, urDeferred, urDeferred, urApplied};
  store.OnApplyRecord = [&](uint8_t, uint8_t& action, bool) {
    seen.push_back(ReadValue<int32_t>(store, 1, newValues));
    action = actions[seen.size() - 1];
  };
  store.ApplyUpdates(7);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
  for (int id = 1; id <= 4; ++id) EXPECT_EQ(Item(id)->UpdateResult, urApplied) << id;

  // Retry after two deferred records goes back to the first of them.
  store.RestoreUpdates();
  seen.clear();
  actions = {urDeferred, urDeferred, urRetry, urApplied, urApplied, urApplied, urApplied};
  store.ApplyUpdates(7);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 1, 2, 3, 4}));
  for (int id = 1; id <= 4; ++id) EXPECT_EQ(Item(id)->UpdateResult, urApplied) << id;

  // A run ended by a failure fails as a whole; a retry without a run repeats the record.
  store.RestoreUpdates();
  seen.clear();
  actions = {urDeferred, urFail, urRetry, urSkip, urApplied};
  store.ApplyUpdates(7);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 3, 4}));
  EXPECT_EQ(Item(1)->UpdateResult, urFail);
  EXPECT_EQ(Item(2)->UpdateResult, urFail);
  EXPECT_EQ(Item(3)->UpdateResult, urSkip);
  EXPECT_EQ(Item(4)->UpdateResult, urApplied);
}

TEST_F(Cached, AFailingHookStopsApplyingAndLeavesTheStoreAsItWas) {
  Edit(1, "one");
  Edit(2, "two");
  Edit(3, "three");
  const std::vector<std::string> before = Rows();
  int call = 0;
  store.OnApplyRecord = [&](uint8_t, uint8_t& action, bool) {
    if (++call == 2) {
      action = urAbort;
      throw Exception(u"server refused");
    }
    action = urApplied;
  };
  store.SetRecNo(5);
  EXPECT_THROW(store.ApplyUpdates(7), Exception);
  EXPECT_EQ(Current(), "2 two memo 2");  // the failing record is current
  EXPECT_EQ(Item(1)->UpdateResult, urApplied);
  EXPECT_EQ(Item(2)->UpdateResult, urAbort);
  EXPECT_EQ(Item(3)->UpdateResult, urNone);
  EXPECT_EQ(Rows(), before);
  EXPECT_EQ(CachedIds(), (std::vector<int>{1, 2, 3}));
  // A later apply takes up what is left.
  store.OnApplyRecord = [&](uint8_t, uint8_t& action, bool) { action = urApplied; };
  store.ApplyUpdates(7);
  EXPECT_FALSE(store.HasUnappliedUpdates());
}

TEST_F(Cached, HookChangesToTheNewValuesAreKeptAndMoveTheRecordIntoPlace) {
  store.SetIndexFieldNames(u"ID");
  Insert(6);
  store.OnApplyRecord = [&](uint8_t kind, uint8_t& action, bool) {
    ASSERT_EQ(kind, ukInsert);
    const int32_t generated = 0;  // a key the server gave
    store.PutField(1, newValues, false, &generated);
    store.PutField(2, newValues, false, "from the server");
    action = urApplied;
  };
  store.ApplyUpdates(7);
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  store.SetRecNo(1);
  EXPECT_EQ(Current(), "0 from the server memo 6");
  EXPECT_TRUE(NumbersAreConsecutive(store));
}

TEST_F(Cached, AHookThatRevertsOrClosesEndsItsEntryCleanly) {
  Edit(1, "one");
  Insert(6);
  Edit(2, "two");
  std::vector<int> seen;
  store.OnApplyRecord = [&](uint8_t, uint8_t& action, bool) {
    const int id = ReadValue<int32_t>(store, 1, newValues);
    seen.push_back(id);
    if (id == 6) store.RevertRecord();  // removes the inserted record
    action = urApplied;
  };
  store.ApplyUpdates(7);
  EXPECT_EQ(seen, (std::vector<int>{1, 6, 2}));
  EXPECT_EQ(Item(6), nullptr);
  EXPECT_EQ(CachedIds(), (std::vector<int>{1, 2}));
  EXPECT_FALSE(store.HasUnappliedUpdates());

  store.RestoreUpdates();
  seen.clear();
  store.OnApplyRecord = [&](uint8_t, uint8_t& action, bool) {
    seen.push_back(1);
    store.Close();
    action = urApplied;
  };
  store.ApplyUpdates(7);  // stops at once: the store is closed
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_FALSE(store.Active());
  EXPECT_TRUE(store.CacheItems().empty());
}

// ---- Commit, cancel, revert ----

TEST_F(Cached, CommitKeepsOnlyWhatFailed) {
  Edit(1, "one");
  Edit(2, "two");
  Insert(6);
  Delete(3);
  store.OnApplyRecord = [&](uint8_t, uint8_t& action, bool) {
    action = ReadValue<int32_t>(store, 1, newValues) == 2 ? urFail : urApplied;
  };
  store.CommitUpdates();  // applies first: all were pending
  EXPECT_EQ(CachedIds(), (std::vector<int>{2}));
  EXPECT_EQ(Item(1)->Status, isUnmodified);
  EXPECT_EQ(Item(1)->Rollback, nullptr);
  EXPECT_EQ(Item(6)->Status, isUnmodified);
  EXPECT_EQ(Item(3), nullptr);  // the deleted record is gone for good
  EXPECT_EQ(Item(2)->Status, isUpdated);
  store.SetFilterItemTypes(0x0F);
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{1, 2, 4, 5, 6}));
  EXPECT_TRUE(NumbersAreConsecutive(store));
  // Cancelling now reverts only the failed one.
  store.CancelUpdates();
  EXPECT_EQ(Rows(), (std::vector<std::string>{"1 one memo 1", "2 n2 memo 2", "4 n4 memo 4",
                                              "5 n5 memo 5", "6 n6 memo 6"}));
}

TEST_F(Cached, CancelRevertsEverythingAndAFailingCancelHookChangesNothing) {
  Edit(1, "one", "memo one");
  Edit(5, nullptr, "memo five");
  Insert(6);
  Delete(2);
  Edit(2, "three");  // ID 3, now the second visible record
  store.OnCancelUpdates = [] { throw Exception(u"not now"); };
  EXPECT_THROW(store.CancelUpdates(), Exception);
  EXPECT_EQ(CachedIds(), (std::vector<int>{1, 5, 6, 2, 3}));
  int cancels = 0;
  store.OnCancelUpdates = [&] { ++cancels; };
  store.CancelUpdates();
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(Rows(), Original());
  EXPECT_TRUE(store.CacheItems().empty());
  EXPECT_TRUE(NumbersAreConsecutive(store));
  store.CancelUpdates();  // nothing cached: the hook is not called
  EXPECT_EQ(cancels, 1);
}

TEST_F(Cached, RevertOneRecordCallsTheRevertHook) {
  Edit(2, "two", "memo two");
  int reverts = 0;
  store.OnRevertRecord = [&] { ++reverts; };
  store.SetRecNo(1);
  store.RevertRecord();  // unchanged record: nothing to revert
  EXPECT_EQ(reverts, 0);
  store.SetRecNo(2);
  store.RevertRecord();
  EXPECT_EQ(reverts, 1);
  EXPECT_EQ(Current(), "2 n2 memo 2");
  Insert(6);
  store.RevertRecord();
  EXPECT_EQ(Item(6), nullptr);
  EXPECT_EQ(Rows(), Original());
}

TEST_F(Cached, RevertingASortedRecordMovesItBack) {
  store.SetIndexFieldNames(u"NAME DESC");
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{5, 4, 3, 2, 1}));
  Edit(5, "zz");  // ID 1 moves to the top
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{1, 5, 4, 3, 2}));
  store.SetRecNo(1);
  store.RevertRecord();
  EXPECT_EQ(VisibleInts(store, 1), (std::vector<int>{5, 4, 3, 2, 1}));
  EXPECT_TRUE(NumbersAreConsecutive(store));
}

TEST_F(Cached, SwitchingOffRevertsAndLocalDeletesDropPendingChanges) {
  store.SetLocalUpdate(true);
  Edit(1, "local");  // a local edit records nothing
  EXPECT_TRUE(store.CacheItems().empty());
  store.SetLocalUpdate(false);
  Edit(2, "cached");
  Insert(6);
  store.SetLocalUpdate(true);
  store.DeleteRecord();  // the inserted record: its insert is dropped with it
  EXPECT_EQ(Item(6), nullptr);
  store.SetRecNo(2);
  store.DeleteRecord();  // the modified one: reverted, then removed without a trace
  EXPECT_EQ(Item(2), nullptr);
  EXPECT_TRUE(store.CacheItems().empty());
  store.SetLocalUpdate(false);
  Edit(2, "pending", "memo pending");  // ID 3
  store.SetCachedUpdates(false);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"1 local memo 1", "3 n3 memo 3", "4 n4 memo 4",
                                              "5 n5 memo 5"}));
  EXPECT_TRUE(NumbersAreConsecutive(store));
}

TEST_F(Cached, OldRecordOfTheCurrentRecord) {
  Edit(1, "new");
  store.SetRecNo(1);
  EXPECT_EQ(Old(), "1 n1 memo 1");
  store.SetRecNo(2);
  EXPECT_EQ(Old(), "2 n2 memo 2");  // no change: the record itself
  store.SetToEnd();
  RecBuf buf(store);
  const int32_t marker = -7;
  store.PutField(1, buf, false, &marker);
  store.GetOldRecord(buf);  // at an end: nothing is copied
  EXPECT_EQ(ReadValue<int32_t>(store, 1, buf), -7);
}

}  // namespace
