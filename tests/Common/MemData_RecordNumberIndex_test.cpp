// The record-number index (the array of items a long jump builds) against every kind of change to
// the list: after each one a jump must land on the record a walk counts to, the index built again
// must agree, and a bookmark taken before the change must find its record.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "MemData_TestStore.h"

using namespace memdata_test;

namespace {

constexpr int32_t Records = 400;

class RecordNumberIndex : public ::testing::Test {
 public:  // the change cases of the table below drive the fixture
  RecordNumberIndex() : store({{u"ID", dtInteger}, {u"NAME", dtExtString, 40}}) {
    store.InitFields();
    store.Open();
    for (int32_t id = 1; id <= Records; ++id) Add(id, true);
  }

  void Add(int32_t id, bool append) { StoreIdAndName(store, id, append); }
  int32_t CurrentId() {
    RecBuf buf(store, false);
    store.GetRecord(buf);
    return ReadValue<int32_t>(store, 1, buf);
  }
  void GoTo(int32_t recNo) {
    store.SetRecNo(recNo);
    ASSERT_EQ(store.GetRecNo(), recNo);
  }
  // The ids in list order, counted by walking, never through the index.
  std::vector<int32_t> WalkedIds() { return memdata_test::WalkedIds(store); }
  // Jumps to the ends, the middle and random numbers; each must find the walked record.
  void ExpectJumpsAgreeWithTheWalk(const std::vector<int32_t>& ids) {
    ASSERT_EQ(static_cast<int32_t>(ids.size()), store.GetRecordCount());
    const int32_t count = store.GetRecordCount();
    std::vector<int32_t> targets{1, count, count / 2, 2, count - 1};
    std::mt19937 gen(7);
    for (int i = 0; i < 40; ++i) targets.push_back(1 + static_cast<int32_t>(gen() % count));
    for (int32_t recNo : targets) {
      store.SetRecNo(recNo);
      ASSERT_EQ(store.GetRecNo(), recNo);
      ASSERT_EQ(CurrentId(), ids[static_cast<size_t>(recNo) - 1]) << "record " << recNo;
    }
  }

  TestStore store;
};

struct IndexCase {
  const char* name;
  std::function<void(RecordNumberIndex&)> change;
  bool bookmarkedRecordStays;  // whether id 250 is still visible afterwards
};

class RecordNumberIndexChange : public RecordNumberIndex,
                                public ::testing::WithParamInterface<IndexCase> {};

TEST_P(RecordNumberIndexChange, JumpsAndBookmarksSurviveTheChange) {
  const IndexCase& c = GetParam();
  GoTo(250);
  TRecBookmark mark{};
  store.GetBookmark(&mark);
  // A long jump builds the index, which the change must not leave stale.
  store.SetToBegin();
  GoTo(Records - 10);
  ASSERT_TRUE(store.RecordNoCacheBuilt());

  c.change(*this);

  const std::vector<int32_t> ids = WalkedIds();
  ExpectJumpsAgreeWithTheWalk(ids);
  // Once more with the index built from the changed list.
  store.SetToBegin();
  store.SetRecNo(store.GetRecordCount() / 2);
  ASSERT_TRUE(store.RecordNoCacheBuilt());
  ExpectJumpsAgreeWithTheWalk(ids);

  if (c.bookmarkedRecordStays) {
    store.SetRecNo(1);
    store.SetToBookmark(&mark);
    EXPECT_EQ(CurrentId(), 250);
    EXPECT_TRUE(store.BookmarkValid(&mark));
  }
}

// A long jump that builds the index again, right before the change that must drop it.
void JumpFar(RecordNumberIndex& t) {
  t.store.SetToBegin();
  t.store.SetRecNo(t.store.GetRecordCount() / 2);  // as far from the first record as the last
  ASSERT_TRUE(t.store.RecordNoCacheBuilt());
}

void SetCached(RecordNumberIndex& t) {
  t.store.SetCachedUpdates(true);
  t.store.SetFilterItemTypes(1 << isUnmodified | 1 << isUpdated | 1 << isAppended);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, RecordNumberIndexChange,
    ::testing::Values(
        IndexCase{"InsertNearTheStart",
                  [](RecordNumberIndex& t) {
                    t.GoTo(5);
                    t.Add(1000, false);
                  },
                  true},
        IndexCase{"InsertNearTheEnd",
                  [](RecordNumberIndex& t) {
                    t.GoTo(390);
                    t.Add(1001, false);
                  },
                  true},
        IndexCase{"Append", [](RecordNumberIndex& t) { t.Add(1002, true); }, true},
        IndexCase{"DeleteBeforeTheBookmark",
                  [](RecordNumberIndex& t) {
                    t.GoTo(100);
                    t.store.DeleteRecord();
                  },
                  true},
        IndexCase{"DeleteTheBookmarkedRecord",
                  [](RecordNumberIndex& t) {
                    t.GoTo(250);
                    t.store.DeleteRecord();
                  },
                  false},
        IndexCase{"SortDescending",
                  [](RecordNumberIndex& t) { t.store.SetIndexFieldNames(u"ID DESC"); }, true},
        IndexCase{"UpdateUnderASort",
                  [](RecordNumberIndex& t) {
                    t.store.SetIndexFieldNames(u"ID");
                    t.GoTo(10);
                    RecBuf buf(t.store, false);
                    t.store.GetRecord(buf);
                    const int32_t id = 5000;  // moves the record to the end
                    t.store.PutField(1, buf, false, &id);
                    t.store.UpdateRecord(buf);
                  },
                  true},
        IndexCase{"FilterToEvenIds",
                  [](RecordNumberIndex& t) {
                    t.store.SetFilterFunc([&t](uint8_t* rec) {
                      return ReadValue<int32_t>(t.store, 1, rec) % 2 == 0;
                    });
                    t.store.FilterUpdated();
                  },
                  true},
        IndexCase{"FilterRemoved",
                  [](RecordNumberIndex& t) {
                    t.store.SetFilterFunc([&t](uint8_t* rec) {
                      return ReadValue<int32_t>(t.store, 1, rec) % 3 != 0;
                    });
                    t.store.FilterUpdated();
                    JumpFar(t);
                    t.store.SetFilterFunc(nullptr);
                    t.store.FilterUpdated();
                  },
                  true},
        IndexCase{"CachedDeleteHidesTheRecord",
                  [](RecordNumberIndex& t) {
                    SetCached(t);
                    t.GoTo(30);
                    t.store.DeleteRecord();
                  },
                  true},
        IndexCase{"CachedInsertThenCancel",
                  [](RecordNumberIndex& t) {
                    SetCached(t);
                    t.GoTo(40);
                    t.Add(2000, false);
                    t.GoTo(300);
                    t.store.DeleteRecord();
                    JumpFar(t);
                    t.store.CancelUpdates();
                  },
                  true},
        IndexCase{"CachedUpdateThenRevert",
                  [](RecordNumberIndex& t) {
                    SetCached(t);
                    t.GoTo(60);
                    RecBuf buf(t.store, false);
                    t.store.GetRecord(buf);
                    const int32_t id = 6000;
                    t.store.PutField(1, buf, false, &id);
                    t.store.UpdateRecord(buf);
                    JumpFar(t);
                    t.GoTo(60);
                    t.store.RevertRecord();
                  },
                  true}),
    [](const ::testing::TestParamInfo<IndexCase>& info) { return info.param.name; });

}  // namespace
