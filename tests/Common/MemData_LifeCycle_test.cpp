#include <gtest/gtest.h>

#include "MemData_TestStore.h"
#include "platform/rtl/Exceptions.h"

using namespace memdata_test;

namespace {

TestStore* NewStore() { return new TestStore({{u"ID", dtInteger}, {u"NOTE", dtMemo}}); }

void AppendRows(TestStore& store, int n) {
  for (int32_t id = 1; id <= n; ++id) {
    RecBuf buf(store);
    store.PutField(1, buf, false, &id);
    store.GetBlob(2, buf)->SetAsAnsiString("note " + std::to_string(id));
    store.AppendRecord(buf);
    buf.Handed();
  }
}

TEST(StoreLifeCycle, NewStoreState) {
  TestStore store({});
  EXPECT_TRUE(store.Bof());
  EXPECT_TRUE(store.Eof());
  EXPECT_TRUE(store.RebuildFieldsOnInit());
  EXPECT_FALSE(store.Active());
  EXPECT_FALSE(store.Prepared());
  EXPECT_FALSE(store.TrimVarChar());
  EXPECT_EQ(store.FieldCount(), 0);
  EXPECT_TRUE(store.StringHeap().Empty());
  EXPECT_EQ(store.GetArrayFieldName(3), u"[3]");
}

TEST(StoreLifeCycle, CloseKeepsDescriptorsOfAPreparedStoreOnly) {
  std::unique_ptr<TestStore> store(NewStore());
  store->InitFields();
  store->Prepare();
  store->Open();
  AppendRows(*store, 3);
  store->Close();
  EXPECT_FALSE(store->Active());
  EXPECT_EQ(store->GetRecordCount(), 0);
  EXPECT_EQ(store->FieldCount(), 2);
  store->UnPrepare();
  EXPECT_EQ(store->FieldCount(), 0);

  store->InitFields();
  store->Open();  // opening works without preparing
  store->Close();
  EXPECT_EQ(store->FieldCount(), 0);
}

TEST(StoreLifeCycle, FailingOpenLeavesTheStoreClosedAndEmpty) {
  std::unique_ptr<TestStore> store(NewStore());
  store->InitFields();
  store->OnInternalOpen = [&] {
    AppendRows(*store, 25);  // rows fetched before the failure
    throw Exception(u"connection lost");
  };
  EXPECT_THROW(store->Open(), Exception);
  EXPECT_FALSE(store->Active());
  EXPECT_EQ(store->GetRecordCount(), 0);
  EXPECT_EQ(store->FirstItem(), nullptr);  // LeakSanitizer checks the blobs were freed
}

TEST(StoreLifeCycle, FailingCloseStillClosesAndFrees) {
  std::unique_ptr<TestStore> store(NewStore());
  store->InitFields();
  store->Prepare();
  store->Open();
  AppendRows(*store, 5);
  store->OnInternalClose = [] { throw Exception(u"server gone"); };
  EXPECT_THROW(store->Close(), Exception);
  EXPECT_FALSE(store->Active());
  EXPECT_EQ(store->GetRecordCount(), 0);
  store->OnInternalClose = nullptr;
}

TEST(StoreLifeCycle, FilterTextIsParsedWhenTheStoreOpens) {
  std::unique_ptr<TestStore> store(NewStore());
  store->InitFields();
  store->SetFilterText(u"ID >");  // stored only while inactive
  EXPECT_EQ(store->FilterText(), u"ID >");
  EXPECT_THROW(store->Open(), Exception);
  EXPECT_FALSE(store->Active());
  EXPECT_FALSE(store->HasFilterExpression());
  store->SetFilterText(u"  ");
  store->Open();
  EXPECT_FALSE(store->HasFilterExpression());
  EXPECT_THROW(store->SetFilterText(u"ID >"), Exception);
  EXPECT_EQ(store->FilterText(), u"  ");  // a text that fails to parse is not taken
  store->SetFilterText(u"ID > 1");
  EXPECT_TRUE(store->HasFilterExpression());
}

TEST(StoreLifeCycle, CachedUpdatesSwitch) {
  struct CountingStore : TestStore {
    CountingStore() : TestStore({}) {}
    void CancelUpdates() override { ++cancels; }
    int cancels = 0;
  } store;
  store.SetCachedUpdates(false);
  EXPECT_EQ(store.cancels, 0);
  store.SetCachedUpdates(true);
  EXPECT_EQ(store.FilterItemTypes(), 7);
  store.SetCachedUpdates(true);
  store.SetCachedUpdates(false);  // switching off reverts what is pending
  EXPECT_EQ(store.cancels, 1);
}

TEST(StoreLifeCycle, BaseHooksAreSkippedUntilAssigned) {
  TestStore store({});
  uint8_t action = 0;
  store.DoRevertRecord();
  store.DoApplyRecord(ukInsert, action, true);
  EXPECT_EQ(action, 0);
  store.OnApplyRecord = [](uint8_t kind, uint8_t& a, bool last) { a = last ? kind + 3 : 0; };
  store.DoApplyRecord(ukInsert, action, true);
  EXPECT_EQ(action, 4);
}

TEST(StoreLifeCycle, GenerationChangesOnEveryInitData) {
  TestStore a({}), b({});
  EXPECT_NE(a.StoreGeneration(), b.StoreGeneration());
  const uint32_t before = a.StoreGeneration();
  a.Open();
  EXPECT_NE(a.StoreGeneration(), before);
}

TEST(StoreLifeCycle, OpeningReleasesRecordsStoredBeforehand) {
  std::unique_ptr<TestStore> store(NewStore());
  store->InitFields();
  AppendRows(*store, 12);  // stored without an Open
  store->Open();
  EXPECT_EQ(store->GetRecordCount(), 0);
  EXPECT_EQ(store->BlockManager().FirstBlock(), nullptr);  // LeakSanitizer checks the blobs
}

TEST(StoreLifeCycle, DestructionCallsNoHooks) {
  bool called = false;
  {
    TestStore store({{u"ID", dtInteger}});
    store.InitFields();
    store.Open();
    store.OnFieldsChanged = [&] { called = true; };
    store.OnGetCalcFields = [&](uint8_t*, uint8_t*) { called = true; };
  }
  EXPECT_FALSE(called);
}

TEST(StoreLifeCycle, DestroyingAnOpenStoreFreesEverything) {
  // LeakSanitizer reports anything left behind.
  auto* store = new TestStore({{u"ID", dtInteger},
                               {u"T", dtExtWideString, 40},
                               {u"B", dtExtVarBytes, 10},
                               {u"W", dtWideMemo}});
  store->InitFields();
  store->Open();
  for (int32_t id = 0; id < 50; ++id) {
    RecBuf buf(*store);
    store->PutField(1, buf, false, &id);
    PutWide(*store, 2, buf, u"наслов");
    const uint8_t bytes[4] = {2, 0, 1, 2};
    store->PutField(3, buf, false, bytes);
    store->GetBlob(4, buf)->SetAsWideString(std::u16string(3000, u'ж'));
    store->AppendRecord(buf);
    buf.Handed();
  }
  {
    // A heap value larger than any size class.
    RecBuf buf(*store);
    PutWide(*store, 2, buf, std::u16string(1500, u'x').c_str());
    store->AppendRecord(buf);
    buf.Handed();
  }
  EXPECT_TRUE(store->StringHeap().LargeAllocated());
  delete store;
}

}  // namespace
