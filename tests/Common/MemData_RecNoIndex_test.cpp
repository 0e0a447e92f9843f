// The compact record-number index: a group of 64 records is kept as one address only while its
// items lie one after another at the item stride; every other group must answer from its own
// pointers, or a jump lands on a neighbour, a freed item or a hidden one.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Common/MemData_RecNoIndex.h"
#include "MemData_TestStore.h"

using namespace memdata_test;

namespace {

// Two stand-ins for item blocks; the index only compares and computes addresses, it never reads
// an item.
constexpr size_t Stride = 104;
constexpr size_t BlockItems = 300;
alignas(TRecordItem) uint8_t BlockA[Stride * BlockItems];
alignas(TRecordItem) uint8_t BlockB[Stride * BlockItems];

TRecordItem* A(size_t i) { return reinterpret_cast<TRecordItem*>(BlockA + i * Stride); }
TRecordItem* B(size_t i) { return reinterpret_cast<TRecordItem*>(BlockB + i * Stride); }

std::vector<TRecordItem*> RunOfA(size_t from, size_t count) {
  std::vector<TRecordItem*> items;
  for (size_t i = 0; i < count; ++i) items.push_back(A(from + i));
  return items;
}

struct IndexListCase {
  const char* name;
  std::function<std::vector<TRecordItem*>()> items;  // in record-number order
  size_t sideGroups;                                 // groups that must not use the stride
};

class RecNoIndexList : public ::testing::TestWithParam<IndexListCase> {};

TEST_P(RecNoIndexList, EveryNumberGivesItsItem) {
  const IndexListCase& c = GetParam();
  const std::vector<TRecordItem*> items = c.items();
  TRecNoIndex index;
  // Built twice: the second build over the memory of the first must not keep any of it.
  for (int pass = 0; pass < 2; ++pass) {
    index.Start(Stride);
    for (TRecordItem* item : items) index.Add(item);
    index.Finish();
    ASSERT_EQ(index.size(), items.size());
    ASSERT_FALSE(index.empty());
    for (size_t i = 0; i < items.size(); ++i) ASSERT_EQ(index[i], items[i]) << "record " << i + 1;
    EXPECT_EQ(index.SideGroupCount(), c.sideGroups);
  }
  index.clear();
  EXPECT_TRUE(index.empty());
  EXPECT_EQ(index.size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, RecNoIndexList,
    ::testing::Values(
        // 200 records: three full groups and a partial one, all on the stride.
        IndexListCase{"OneBlockInOrder", [] { return RunOfA(5, 200); }, 0},
        IndexListCase{"ARunOfOneItem", [] { return RunOfA(7, 1); }, 0},
        IndexListCase{"RunCrossesIntoAnotherBlock",
                      [] {
                        std::vector<TRecordItem*> items = RunOfA(260, 40);
                        for (size_t i = 0; i < 88; ++i) items.push_back(B(i));
                        return items;  // the first group is 40 of A and 24 of B, the second all B
                      },
                      1},
        IndexListCase{"GapOfADeletedOrHiddenItem",
                      [] {
                        std::vector<TRecordItem*> items = RunOfA(0, 129);
                        items.erase(items.begin() + 70);  // the second group skips a stride
                        return items;
                      },
                      1},
        IndexListCase{"NeighboursSwappedInsideAGroup",
                      [] {
                        std::vector<TRecordItem*> items = RunOfA(0, 128);
                        std::swap(items[10], items[11]);  // first and last stay in place
                        return items;
                      },
                      1},
        IndexListCase{"ItemInsertedOutOfPlace",
                      [] {
                        std::vector<TRecordItem*> items = RunOfA(0, 128);
                        items.insert(items.begin() + 100, A(250));
                        return items;  // the last item, alone in its group, is a run again
                      },
                      1},
        IndexListCase{"PartialLastGroupFromAnotherBlock",
                      [] {
                        std::vector<TRecordItem*> items = RunOfA(0, 64);
                        items.push_back(A(64));
                        items.push_back(B(0));
                        return items;
                      },
                      1},
        IndexListCase{"DescendingOrder",
                      [] {
                        std::vector<TRecordItem*> items;
                        for (size_t i = 128; i-- > 0;) items.push_back(A(i));
                        return items;
                      },
                      2}),
    [](const ::testing::TestParamInfo<IndexListCase>& info) { return info.param.name; });

// A store large enough that its later blocks hold hundreds of items, so that the index keeps
// most of those records as strides and the changes below break runs inside such blocks.
constexpr int32_t Records = 6000;

class WideStore : public TestStore {
 public:
  WideStore()
      : TestStore({{u"ID", dtInteger}, {u"NAME", dtExtString, 40}, {u"PAD", dtString, 200}}) {}
  const TRecNoIndex& RecNoIndex() const { return FRecordNoCache; }
};

class RecNoIndexStore : public ::testing::Test {
 public:  // the change cases of the table below drive the fixture
  RecNoIndexStore() {
    store.InitFields();
    store.Open();
    for (int32_t n = 1; n <= Records; ++n) StoreIdAndName(store, 2 * n, true);
  }
  void GoTo(int32_t recNo) {
    store.SetRecNo(recNo);
    ASSERT_EQ(store.GetRecNo(), recNo);
  }
  int32_t CurrentId() {
    RecBuf buf(store, false);
    store.GetRecord(buf);
    return ReadValue<int32_t>(store, 1, buf);
  }
  void SetCurrentId(int32_t id) {
    RecBuf buf(store, false);
    store.GetRecord(buf);
    store.PutField(1, buf, false, &id);
    store.UpdateRecord(buf);
  }
  // A long jump from the first record builds the index.
  void BuildIndex() {
    store.SetToBegin();
    store.SetRecNo(store.GetRecordCount() / 2);
    ASSERT_TRUE(store.RecordNoCacheBuilt());
  }
  // Every record number must find the record a walk counts to.
  void ExpectEveryJumpLandsOnTheWalkedRecord() {
    const std::vector<int32_t> ids = WalkedIds(store);
    ASSERT_EQ(static_cast<int32_t>(ids.size()), store.GetRecordCount());
    BuildIndex();
    for (int32_t recNo = static_cast<int32_t>(ids.size()); recNo >= 1; --recNo) {
      store.SetRecNo(recNo);
      ASSERT_EQ(store.GetRecNo(), recNo);
      ASSERT_EQ(CurrentId(), ids[static_cast<size_t>(recNo) - 1]) << "record " << recNo;
    }
  }

  WideStore store;
};

TEST_F(RecNoIndexStore, RecordsOfLargeBlocksAreKeptAsStrides) {
  BuildIndex();
  const size_t groups = (Records + TRecNoIndex::GroupSize - 1) / TRecNoIndex::GroupSize;
  // The small first blocks cost side lists; the large later ones must not.
  EXPECT_LT(store.RecNoIndex().SideGroupCount(), groups);
  ExpectEveryJumpLandsOnTheWalkedRecord();
}

struct StoreChangeCase {
  const char* name;
  std::function<void(RecNoIndexStore&)> change;
};

class RecNoIndexStoreChange : public RecNoIndexStore,
                              public ::testing::WithParamInterface<StoreChangeCase> {};

TEST_P(RecNoIndexStoreChange, EveryJumpLandsOnTheWalkedRecord) {
  BuildIndex();
  const size_t sideGroupsBefore = store.RecNoIndex().SideGroupCount();
  GetParam().change(*this);
  ExpectEveryJumpLandsOnTheWalkedRecord();
  // Each change breaks at least one run that was a stride before.
  EXPECT_GT(store.RecNoIndex().SideGroupCount(), sideGroupsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, RecNoIndexStoreChange,
    ::testing::Values(
        StoreChangeCase{"DeleteInsideARun",
                        [](RecNoIndexStore& t) {
                          t.GoTo(5000);
                          t.store.DeleteRecord();
                        }},
        StoreChangeCase{"HideEveryTenthRecord",
                        [](RecNoIndexStore& t) {
                          t.store.SetFilterFunc([&t](uint8_t* rec) {
                            return ReadValue<int32_t>(t.store, 1, rec) % 20 != 0;
                          });
                          t.store.FilterUpdated();
                        }},
        StoreChangeCase{"InsertInTheMiddleOfARun",
                        [](RecNoIndexStore& t) {
                          t.GoTo(5000);
                          StoreIdAndName(t.store, 1, false);
                        }},
        StoreChangeCase{"NeighboursSwappedUnderASort",
                        [](RecNoIndexStore& t) {
                          t.store.SetIndexFieldNames(u"ID");
                          t.GoTo(5010);
                          t.SetCurrentId(2 * 5010 + 3);  // moves one place on
                        }},
        StoreChangeCase{"SortDescending",
                        [](RecNoIndexStore& t) { t.store.SetIndexFieldNames(u"ID DESC"); }}),
    [](const ::testing::TestParamInfo<StoreChangeCase>& info) { return info.param.name; });

}  // namespace
