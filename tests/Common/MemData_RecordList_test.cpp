#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "MemData_TestStore.h"
#include "platform/rtl/Exceptions.h"

using namespace memdata_test;

namespace {

// A store of integer ids with a text held by reference; each test fills it as it needs.
class RecordList : public ::testing::Test {
 protected:
  RecordList() : store({{u"ID", dtInteger}, {u"NAME", dtExtString, 40}}) {
    store.InitFields();
    store.Open();
  }

  void Append(int32_t id) { Store(id, true); }
  void Insert(int32_t id) { Store(id, false); }
  void Store(int32_t id, bool append) { StoreIdAndName(store, id, append); }
  void Fill(int n) {
    for (int i = 1; i <= n; ++i) Append(i);
  }
  int32_t CurrentId() {
    RecBuf buf(store, false);
    store.GetRecord(buf);
    return ReadValue<int32_t>(store, 1, buf);
  }
  // Walks the whole list and checks that visible records are numbered 1..RecordCount.
  void ExpectConsecutiveNumbers() {
    int32_t expected = 0;
    for (TRecordItem* it = store.FirstItem(); it; it = it->Next)
      ASSERT_EQ(store.RecNoOf(it), ++expected);
    EXPECT_EQ(expected, store.RecordCount());
  }
  std::vector<int32_t> IdsForward() { return WalkedIds(store); }
  std::vector<int32_t> IdsBackward() {
    std::vector<int32_t> ids;
    RecBuf buf(store, false);
    store.SetToEnd();
    for (store.GetPriorRecord(buf); !store.GetBOF(); store.GetPriorRecord(buf))
      ids.push_back(ReadValue<int32_t>(store, 1, buf));
    return ids;
  }

  TestStore store;
};

TEST_F(RecordList, EmptyStoreNavigation) {
  EXPECT_TRUE(store.GetBOF());
  EXPECT_TRUE(store.GetEOF());
  EXPECT_EQ(store.GetRecNo(), 0);
  EXPECT_EQ(store.GetRecordCount(), 0);
  RecBuf buf(store, false);
  store.GetNextRecord(buf);
  EXPECT_TRUE(store.GetEOF());
  store.GetPriorRecord(buf);
  store.SetToBegin();
  EXPECT_TRUE(store.GetEOF());  // nothing to move to
  store.SetRecNo(1);
  EXPECT_EQ(store.CurrentItem(), nullptr);
  EXPECT_EQ(IdsForward(), std::vector<int32_t>{});
}

TEST_F(RecordList, FirstRecordIsFirstLastAndCurrent) {
  Insert(7);
  EXPECT_EQ(store.FirstItem(), store.LastItem());
  EXPECT_EQ(store.CurrentItem(), store.FirstItem());
  EXPECT_EQ(store.GetRecNo(), 1);
  EXPECT_EQ(store.GetRecordCount(), 1);
  EXPECT_FALSE(store.GetBOF());
  EXPECT_FALSE(store.GetEOF());
  EXPECT_EQ(CurrentId(), 7);
}

TEST_F(RecordList, DeletingTheOnlyRecordLeavesBothEnds) {
  Append(1);
  store.DeleteRecord();
  EXPECT_EQ(store.CurrentItem(), nullptr);
  EXPECT_TRUE(store.GetBOF());
  EXPECT_TRUE(store.GetEOF());
  EXPECT_EQ(store.GetRecordCount(), 0);
  EXPECT_EQ(store.FirstItem(), nullptr);
  EXPECT_EQ(store.BlockManager().FirstBlock(), nullptr);  // its block went with it
}

TEST_F(RecordList, WalksBothWays) {
  Fill(25);
  std::vector<int32_t> forward, backward;
  for (int i = 1; i <= 25; ++i) forward.push_back(i);
  backward.assign(forward.rbegin(), forward.rend());
  EXPECT_EQ(IdsForward(), forward);
  EXPECT_EQ(IdsBackward(), backward);
  // Past the last record: end state; one step back: the last record again.
  RecBuf buf(store, false);
  store.GetPriorRecord(buf);
  EXPECT_TRUE(store.GetBOF());
  store.GetNextRecord(buf);
  EXPECT_EQ(ReadValue<int32_t>(store, 1, buf), 1);
  ExpectConsecutiveNumbers();
}

TEST_F(RecordList, InsertBeforeTheCurrentRecord) {
  Fill(3);
  store.SetRecNo(2);
  Insert(100);
  EXPECT_EQ(store.GetRecNo(), 2);
  EXPECT_EQ(IdsForward(), (std::vector<int32_t>{1, 100, 2, 3}));
  store.SetToBegin();
  Insert(0);  // at the beginning state: before the first record
  store.SetToEnd();
  Insert(4);  // at the end state: appended
  EXPECT_EQ(IdsForward(), (std::vector<int32_t>{0, 1, 100, 2, 3, 4}));
  ExpectConsecutiveNumbers();
}

TEST_F(RecordList, InsertInTheFirstHalfRenumbersOnlyTheRecordsBefore) {
  Fill(1000);
  store.SetRecNo(10);
  std::vector<int32_t> ordersAfter;
  for (TRecordItem* it = store.CurrentItem(); it; it = it->Next) ordersAfter.push_back(it->Order);
  Insert(5000);
  EXPECT_EQ(store.RecNoOffset(), 1);
  std::vector<int32_t> ordersNow;
  for (TRecordItem* it = store.CurrentItem()->Next; it; it = it->Next)
    ordersNow.push_back(it->Order);
  EXPECT_EQ(ordersNow, ordersAfter);  // untouched
  EXPECT_EQ(store.GetRecNo(), 10);
  ExpectConsecutiveNumbers();
  // And in the second half only the records after it.
  store.SetRecNo(900);
  const int32_t firstOrder = store.FirstItem()->Order;
  Insert(6000);
  EXPECT_EQ(store.FirstItem()->Order, firstOrder);
  EXPECT_EQ(store.RecNoOffset(), 1);
  ExpectConsecutiveNumbers();
}

TEST_F(RecordList, DeletesKeepNumbersConsecutive) {
  Fill(200);
  std::mt19937 gen(7);
  std::vector<int32_t> expected;
  for (int i = 1; i <= 200; ++i) expected.push_back(i);
  for (int round = 0; round < 150; ++round) {
    const int32_t recNo = 1 + static_cast<int32_t>(gen() % expected.size());
    store.SetRecNo(recNo);
    ASSERT_EQ(CurrentId(), expected[recNo - 1]);
    store.DeleteRecord();
    expected.erase(expected.begin() + (recNo - 1));
    ASSERT_EQ(store.GetRecordCount(), static_cast<int32_t>(expected.size()));
    ExpectConsecutiveNumbers();
  }
  EXPECT_EQ(IdsForward(), expected);
}

TEST_F(RecordList, DeleteMakesTheNextRecordCurrent) {
  Fill(3);
  store.SetRecNo(2);
  store.DeleteRecord();
  EXPECT_EQ(CurrentId(), 3);
  store.DeleteRecord();  // the last one: the previous becomes current
  EXPECT_EQ(CurrentId(), 1);
}

TEST_F(RecordList, SetRecNoOutOfRangeChangesNothing) {
  Fill(20);
  store.SetRecNo(5);
  for (int32_t bad : {0, -1, -1000, 21, 1000000}) {
    store.SetRecNo(bad);
    EXPECT_EQ(store.GetRecNo(), 5) << bad;
  }
}

TEST_F(RecordList, RandomJumpsFindTheirRecords) {
  Fill(3000);
  std::mt19937 gen(11);
  for (int i = 0; i < 500; ++i) {
    const int32_t recNo = 1 + static_cast<int32_t>(gen() % 3000);
    store.SetRecNo(recNo);
    ASSERT_EQ(store.GetRecNo(), recNo);
    ASSERT_EQ(CurrentId(), recNo);
    if (i % 50 == 0) {
      // A change drops the record-number index; numbers stay right.
      Insert(-i);
      store.DeleteRecord();
    }
  }
}

TEST_F(RecordList, UpdateOverwritesTheCurrentRecord) {
  Fill(3);
  store.SetRecNo(2);
  RecBuf buf(store, false);
  store.GetRecord(buf);
  store.EditRecord(buf);
  store.PutField(2, buf, false, "changed");
  const int32_t id = 22;
  store.PutField(1, buf, false, &id);
  store.PostRecord(buf);
  RecBuf check(store, false);
  store.GetRecord(check);
  EXPECT_EQ(ReadValue<int32_t>(store, 1, check), 22);
  EXPECT_EQ(ReadText(store, 2, check), "changed");
  EXPECT_EQ(store.GetRecordCount(), 3);
}

TEST_F(RecordList, CancelledEditKeepsTheStoredValues) {
  Fill(2);
  store.SetRecNo(1);
  RecBuf buf(store, false);
  store.GetRecord(buf);
  store.EditRecord(buf);
  store.PutField(2, buf, false, "draft");
  store.RevertBlobs(buf);  // the dataset cancels the edit
  RecBuf check(store, false);
  store.GetRecord(check);
  EXPECT_EQ(ReadText(store, 2, check), "name 1");
}

TEST_F(RecordList, FailingHooksLeaveTheListUnchanged) {
  Fill(3);
  store.OnAppend = [](uint8_t*) { throw Exception(u"insert refused"); };
  store.OnUpdate = [](uint8_t*) { throw Exception(u"update refused"); };
  store.OnDelete = [] { throw Exception(u"delete refused"); };
  store.SetRecNo(2);
  {
    RecBuf buf(store);
    const int32_t id = 9;
    store.PutField(1, buf, false, &id);
    EXPECT_THROW(store.InsertRecord(buf), Exception);
    EXPECT_THROW(store.AppendRecord(buf), Exception);
  }
  store.SetRecNo(2);
  {
    RecBuf buf(store, false);
    store.GetRecord(buf);
    const int32_t id = 99;
    store.PutField(1, buf, false, &id);
    EXPECT_THROW(store.UpdateRecord(buf), Exception);
  }
  EXPECT_THROW(store.DeleteRecord(), Exception);
  EXPECT_EQ(IdsForward(), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(store.GetRecordCount(), 3);
}

TEST_F(RecordList, HooksSeeTheBufferBeforeTheStoreChanges) {
  Fill(1);
  int32_t seen = 0;
  int32_t countThen = -1;
  store.OnAppend = [&](uint8_t* buf) {
    seen = ReadValue<int32_t>(store, 1, buf);
    countThen = store.GetRecordCount();
  };
  Append(42);
  EXPECT_EQ(seen, 42);
  EXPECT_EQ(countThen, 1);
}

TEST_F(RecordList, EditingWithoutACurrentRecordIsAnAssertion) {
  RecBuf buf(store);
  EXPECT_THROW(store.UpdateRecord(buf), EAssertionFailed);
  EXPECT_THROW(store.PutRecord(buf), EAssertionFailed);
  EXPECT_THROW(store.DeleteRecord(), EAssertionFailed);
}

TEST_F(RecordList, LocalUpdatesUnderCachedUpdatesBypassTheCacheAndTheHooks) {
  Fill(1);
  store.SetCachedUpdates(true);
  EXPECT_EQ(store.FilterItemTypes(), 7);
  store.SetLocalUpdate(true);
  int appends = 0;
  store.OnAppend = [&](uint8_t*) { ++appends; };
  RecBuf buf(store);
  store.AppendRecord(buf);
  buf.Handed();
  EXPECT_EQ(appends, 0);
  EXPECT_EQ(store.GetRecordCount(), 2);
  EXPECT_TRUE(store.CacheItems().empty());
  EXPECT_EQ(store.GetUpdateStatus(), isUnmodified);
}

TEST_F(RecordList, FilterFunctionHidesRecords) {
  Fill(10);
  store.SetFilterFunc([&](uint8_t* rec) { return ReadValue<int32_t>(store, 1, rec) % 2 == 0; });
  store.ResetFilterResults();
  store.ReorderItems(nullptr, 2);
  EXPECT_EQ(store.GetRecordCount(), 5);
  EXPECT_EQ(IdsForward(), (std::vector<int32_t>{2, 4, 6, 8, 10}));
  EXPECT_EQ(IdsBackward(), (std::vector<int32_t>{10, 8, 6, 4, 2}));
  store.SetRecNo(3);
  EXPECT_EQ(CurrentId(), 6);
  Insert(12);  // visible, before 6
  EXPECT_EQ(store.GetRecNo(), 3);
  EXPECT_EQ(IdsForward(), (std::vector<int32_t>{2, 4, 12, 6, 8, 10}));
  store.SetRecNo(5);
  EXPECT_EQ(CurrentId(), 8);
}

TEST_F(RecordList, UpdatedRecordThatNoLongerPassesTheFilterLeavesTheNumbering) {
  Fill(6);
  store.SetFilterFunc([&](uint8_t* rec) { return ReadValue<int32_t>(store, 1, rec) > 0; });
  store.ResetFilterResults();
  store.ReorderItems(nullptr, 2);
  store.SetRecNo(2);
  RecBuf buf(store, false);
  store.GetRecord(buf);
  const int32_t hidden = -2;
  store.PutField(1, buf, false, &hidden);
  store.UpdateRecord(buf);
  EXPECT_EQ(store.GetRecordCount(), 5);
  EXPECT_EQ(IdsForward(), (std::vector<int32_t>{1, 3, 4, 5, 6}));
  int32_t expected = 0;
  for (TRecordItem* it = store.FirstItem(); it; it = it->Next) {
    if (!store.IsItemHidden(it)) {
      EXPECT_EQ(store.RecNoOf(it), ++expected);
    }
  }
  store.SetRecNo(2);
  EXPECT_EQ(CurrentId(), 3);
}

TEST_F(RecordList, StoredCalculatedFieldsAndProviderNumbering) {
  Fill(4);
  std::vector<int32_t> seen;
  store.OnGetCalcFields = [&](uint8_t* target, uint8_t* source) {
    EXPECT_EQ(source, nullptr);  // the record is calculated in place
    seen.push_back(ReadValue<int32_t>(store, 1, target));
  };
  store.CalcStoredFields(store.FirstItem()->Next, store.LastItem()->Prev);
  EXPECT_EQ(seen, (std::vector<int32_t>{2, 3}));
  store.CalcStoredFields(nullptr, nullptr);
  EXPECT_EQ(seen.size(), 6u);
  // A provider numbers the items it linked in itself.
  for (TRecordItem* it = store.FirstItem(); it; it = it->Next) it->Order = 0;
  const int32_t before = store.GetRecordCount();
  store.RenumberFrom(store.FirstItem()->Next->Next, false, false);
  EXPECT_EQ(store.GetRecordCount(), before + 2);  // counted as new
  EXPECT_EQ(store.LastItem()->Order, 2);
  store.RenumberFrom(store.FirstItem()->Next, true, false);
  EXPECT_EQ(store.LastItem()->Order, 3);
  EXPECT_EQ(store.GetRecordCount(), before + 2);
}

// ---- Bookmarks ----

TEST_F(RecordList, BookmarksReturnToTheirRecord) {
  Fill(30);
  store.SetRecNo(17);
  TRecBookmark mark{};
  store.GetBookmark(&mark);
  EXPECT_EQ(mark.RecNo, 17);
  store.SetRecNo(3);
  Insert(1000);  // numbers shift; the bookmark follows its item
  store.SetToBookmark(&mark);
  EXPECT_EQ(CurrentId(), 17);
  EXPECT_EQ(store.GetRecNo(), 18);
  EXPECT_TRUE(store.BookmarkValid(&mark));
}

TEST_F(RecordList, StaleBookmarkFallsBackToItsRecordNumber) {
  Fill(30);
  store.SetRecNo(25);  // in the third block of ten
  TRecBookmark mark{};
  store.GetBookmark(&mark);
  // Free records 21 to 30: their block is released.
  store.SetRecNo(21);
  for (int i = 0; i < 10; ++i) store.DeleteRecord();
  EXPECT_FALSE(store.BlockManager().IsLiveBlock(mark.Block));
  store.SetRecNo(2);
  store.SetToBookmark(&mark);  // no read of the freed item (AddressSanitizer watches)
  EXPECT_EQ(store.GetRecNo(), 2);  // number 25 no longer exists: unchanged
  Fill(10);
  store.SetToBookmark(&mark);
  EXPECT_EQ(store.GetRecNo(), 25);
}

TEST_F(RecordList, ReusedItemIsNotTakenForTheBookmarkedRecord) {
  Fill(5);
  store.SetRecNo(3);
  TRecBookmark mark{};
  store.GetBookmark(&mark);
  store.DeleteRecord();
  Append(77);  // takes the freed item of the same block
  store.SetRecNo(1);
  store.SetToBookmark(&mark);
  EXPECT_EQ(store.GetRecNo(), 3);
  EXPECT_EQ(CurrentId(), 4);  // by record number, not the reused item
}

TEST_F(RecordList, CompareBookmarks) {
  Fill(5);
  TRecBookmark a{}, b{};
  store.SetRecNo(2);
  store.GetBookmark(&a);
  store.SetRecNo(4);
  store.GetBookmark(&b);
  EXPECT_LT(store.CompareBookmarks(&a, &b), 0);
  EXPECT_GT(store.CompareBookmarks(&b, &a), 0);
  EXPECT_EQ(store.CompareBookmarks(&a, &a), 0);
  EXPECT_EQ(store.CompareBookmarks(nullptr, nullptr), 0);
  EXPECT_EQ(store.CompareBookmarks(&a, nullptr), -1);
  EXPECT_EQ(store.CompareBookmarks(nullptr, &a), 1);
  EXPECT_FALSE(store.BookmarkValid(nullptr));
  TRecBookmark none{};
  store.SetToEnd();
  store.GetBookmark(&none);
  EXPECT_EQ(none.RecNo, -1);
  EXPECT_FALSE(store.BookmarkValid(&none));
}

TEST(RecordListReopen, BookmarksSurviveCloseAndOpenByRecordNumber) {
  TestStore store({{u"ID", dtInteger}});
  store.InitFields();
  store.Prepare();
  // Each open loads other values, so the record read back shows which load it came from.
  int32_t base = 0;
  store.OnInternalOpen = [&] {
    for (int32_t id = base + 1; id <= base + 20; ++id) {
      RecBuf buf(store);
      store.PutField(1, buf, false, &id);
      store.AppendRecord(buf);
    }
  };
  store.Open();
  store.SetRecNo(12);
  TRecBookmark mark{};
  store.GetBookmark(&mark);
  store.Close();
  base = 100;
  store.Open();
  // The bookmark's item belonged to the closed store: only its number is of use now, whatever
  // address the new items got.
  EXPECT_NE(mark.Generation, store.StoreGeneration());
  store.SetRecNo(3);
  store.SetToBookmark(&mark);
  EXPECT_EQ(store.GetRecNo(), 12);
  RecBuf buf(store, false);
  store.GetRecord(buf);
  EXPECT_EQ(ReadValue<int32_t>(store, 1, buf), 112);
}

}  // namespace
