// Local master/detail of the in-memory dataset: the detail shows the records of the master's
// current values, null keys, an empty master, new detail records, converted key types, and the
// delayed refresh on the virtual clock of the headless back end.
#include <gtest/gtest.h>

#include "Common/Win32Timer.h"
#include "platform/win/WinApi.h"
#include "tests/Common/MemDS_TestData.h"
#include "tests/support/ScriptedDataSet.h"
#include "tests/support/HeadlessWindows.h"

namespace {

using namespace memds_test;

// A detail that notes when it refreshes (on the session's clock when one runs).
class TCountingDetail : public TMemDataSet {
 public:
  using TMemDataSet::TMemDataSet;
  std::vector<uint64_t> RefreshedAt;
  void RefreshDetail() override {
    RefreshedAt.push_back(WindowSessionRunning() ? WindowClockNow() : 0);
    TMemDataSet::RefreshDetail();
  }
};

class MasterDetailFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    masterStore = UseStore(master, {{u"ID", dtInteger}, {u"NAME", dtString, 20}},
                           {{1, Variant("first")}, {2, Variant("second")}, {Variant::Null(),
                                                                            Variant("none")},
                            {4, Variant("fourth")}});
    UseStore(detail, {{u"ID", dtInteger}, {u"MASTER_ID", dtLargeint}, {u"NOTE", dtString, 20}},
             {{10, int64_t{1}, Variant("a")},
              {11, int64_t{2}, Variant("b")},
              {12, int64_t{1}, Variant("c")},
              {13, Variant::Null(), Variant("d")},
              {14, int64_t{4}, Variant("e")}});
    masterSource.SetDataSet(&master);
    detail.SetMasterSource(&masterSource);
    detail.SetMasterFields(u"ID");
    detail.SetDetailFields(u"MASTER_ID");
  }
  std::vector<String> DetailIds() {
    std::vector<String> ids = ColumnTexts(detail, u"ID");
    detail.First();
    return ids;
  }

  TMemDataSet master{nullptr};
  TRowStore* masterStore = nullptr;
  TDataSource masterSource{nullptr};
  TCountingDetail detail{nullptr};
};

TEST_F(MasterDetailFixture, TheDetailShowsTheRecordsOfTheCurrentMaster) {
  master.Open();
  detail.Open();
  EXPECT_TRUE(detail.IsLocalMasterDetail());
  // An integer master key against a 64-bit detail key compares by value.
  EXPECT_EQ(DetailIds(), (std::vector<String>{u"10", u"12"}));
  EXPECT_EQ(detail.RecordCount(), 2);
  master.Next();
  EXPECT_EQ(DetailIds(), (std::vector<String>{u"11"}));
  master.Next();  // a null master key shows the details whose key is null
  EXPECT_EQ(DetailIds(), (std::vector<String>{u"13"}));
  master.Last();
  EXPECT_EQ(DetailIds(), (std::vector<String>{u"14"}));
  std::vector<TField*> masterFields, detailFields;
  detail.GetDetailLinkFields(masterFields, detailFields);
  ASSERT_EQ(masterFields.size(), 1u);
  EXPECT_EQ(masterFields[0], master.FieldByName(u"ID"));
  EXPECT_EQ(detailFields[0], detail.FieldByName(u"MASTER_ID"));
  // Without master fields the detail shows everything.
  detail.SetMasterFields(u"");
  EXPECT_FALSE(detail.IsLocalMasterDetail());
  EXPECT_EQ(detail.RecordCount(), 5);
}

TEST_F(MasterDetailFixture, AnEmptyMasterHidesEveryDetail) {
  masterStore->Rows.clear();
  master.Open();
  detail.Open();
  EXPECT_TRUE(detail.IsEmpty());
  EXPECT_EQ(detail.RecordCount(), 0);
}

TEST_F(MasterDetailFixture, ANewDetailRecordTakesTheMasterKey) {
  master.Open();
  detail.Open();
  master.Next();
  detail.Append();
  EXPECT_EQ(detail.FieldByName(u"MASTER_ID")->AsLargeInt(), 2);
  detail.FieldByName(u"ID")->SetAsInteger(20);
  detail.Post();
  EXPECT_EQ(DetailIds(), (std::vector<String>{u"11", u"20"}));
  // A read-only detail field is left alone.
  detail.FieldByName(u"MASTER_ID")->SetReadOnly(true);
  detail.Append();
  EXPECT_TRUE(detail.FieldByName(u"MASTER_ID")->IsNull());
  detail.Cancel();
}

TEST_F(MasterDetailFixture, MasterSourcesMustNotCloseACircleAndMustBeMemDatasets) {
  TDataSource detailSource(nullptr);
  detailSource.SetDataSet(&detail);
  EXPECT_EQ(MessageOf([&] { detail.SetMasterSource(&detailSource); }),
            u"Circular datalinks are not allowed");
  EXPECT_EQ(MessageOf([&] { master.SetMasterSource(&detailSource); }),
            u"Circular datalinks are not allowed");
  EXPECT_EQ(detail.MasterSource(), &masterSource);

  TScriptedDataSet scripted(nullptr, {{u"ID", ftInteger}});
  scripted.AddRow({TScriptedDataSet::Cell(int32_t{1})});
  TDataSource scriptedSource(nullptr);
  scriptedSource.SetDataSet(&scripted);
  detail.SetMasterSource(&scriptedSource);
  scripted.Open();
  EXPECT_EQ(MessageOf([&] { detail.Open(); }),
            u"Master dataset must be inherited from TMemDataSet");
  detail.SetMasterSource(nullptr);
}

TEST_F(MasterDetailFixture, WithoutDelayEveryMasterScrollRefreshesTheDetail) {
  master.Open();
  detail.Open();
  detail.RefreshedAt.clear();
  for (int i = 0; i < 3; ++i) master.Next();
  master.First();
  EXPECT_EQ(detail.RefreshedAt.size(), 4u);
}

// ---- The delayed refresh.

class DelayFixture : public MasterDetailFixture {
 protected:
  THeadlessBackEnd& Script() { return Session.Script(); }
  void RunScript() { Session.RunScript(); }
  static uint64_t Elapsed(uint64_t at) { return at - THeadlessBackEnd::StartTime; }

  THeadlessWindows Session;
};

TEST_F(DelayFixture, TenMasterScrollsWithinTheDelayRefreshTheDetailOnce) {
  std::vector<std::vector<Variant>> rows;
  for (int i = 1; i <= 12; ++i) rows.push_back({i, Variant("master")});
  masterStore->Rows = rows;
  detail.SetDetailDelay(500);
  ASSERT_NE(detail.DetailRefreshTimer(), nullptr);
  EXPECT_FALSE(detail.DetailRefreshTimer()->Enabled());
  master.Open();
  detail.Open();
  detail.RefreshedAt.clear();
  for (int i = 0; i < 10; ++i) {
    Script().AdvanceBy(100);
    Script().Then([this] { master.Next(); });
  }
  Script().AdvanceBy(2000);
  RunScript();
  ASSERT_EQ(detail.RefreshedAt.size(), 1u);
  // The last scroll came at 1000 ms; the refresh half a second after it.
  EXPECT_EQ(Elapsed(detail.RefreshedAt[0]), 1500u);
  EXPECT_FALSE(detail.DetailRefreshTimer()->Enabled());
  EXPECT_EQ(master.FieldByName(u"ID")->AsInteger(), 11);
  EXPECT_TRUE(detail.IsEmpty()) << "no detail belongs to master 11";
  // Back to master 1: its details once the delay has passed.
  Script().Then([this] { master.First(); });
  Script().AdvanceBy(499);
  Script().Then([this] { EXPECT_EQ(detail.RefreshedAt.size(), 1u); });
  Script().AdvanceBy(1);
  RunScript();
  EXPECT_EQ(detail.RefreshedAt.size(), 2u);
  EXPECT_EQ(DetailIds(), (std::vector<String>{u"10", u"12"}));
}

TEST_F(DelayFixture, ClosingTheDetailStopsAPendingRefresh) {
  detail.SetDetailDelay(300);
  master.Open();
  detail.Open();
  detail.RefreshedAt.clear();
  master.Next();
  EXPECT_TRUE(detail.DetailRefreshTimer()->Enabled());
  detail.Close();
  EXPECT_FALSE(detail.DetailRefreshTimer()->Enabled());
  Script().AdvanceBy(1000);
  RunScript();
  EXPECT_TRUE(detail.RefreshedAt.empty());
}

}  // namespace
