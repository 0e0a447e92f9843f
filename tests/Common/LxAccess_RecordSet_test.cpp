#include "Common/LxAccess_RecordSet.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/rtl/Exceptions.h"

namespace {

// A command that "returns" rows 1..RowCount of one INTEGER column; the record set below reads
// them. Execute can be made to fail.
class TRowsCommand : public TLxCommand {
 public:
  TParserClass GetParserClass() const override { return &NewParser<TSQLParser>; }
  bool GetPrepared() const override { return FState >= csPrepared; }
  void Execute(int) override {
    ++Executions;
    if (FailExecute) {
      FState = csExecuted;
      throw std::runtime_error("execute failed");
    }
    FState = csFetching;
    NextRow = 0;
  }
  TCursorState GetCursorState() const override { return FState; }
  void SetCursorState(TCursorState value) override { FState = value; }
  String CreateProcCall(const String& name, bool) override { return u"CALL " + name; }

  int RowCount = 0;
  int NextRow = 0;
  int Executions = 0;
  bool FailExecute = false;

 private:
  TCursorState FState = csInactive;
};

class TRowsRecordSet : public TLxRecordSet {
 public:
  TRowsRecordSet() : TLxRecordSet(std::make_unique<TRowsCommand>()) {}

  TRowsCommand& Cmd() { return *static_cast<TRowsCommand*>(GetCommand()); }

  void DetectCommandType() override {
    TFieldDesc* field = GetFieldDescClass()();
    field->SetName(u"ID");
    field->SetSourceName(u"ID");
    field->SetDataType(dtInteger);
    field->SetSize(4);
    Fields().Add(field);
  }
  void InternalPrepare() override {
    TLxRecordSet::InternalPrepare();
    FCommandType = ctResultSet;
  }

  bool Fetch(bool fetchBack) override {
    if (fetchBack) return false;
    bool cancel = false;
    DoBeforeFetch(cancel);
    if (cancel || Cmd().GetCursorState() == csFetched) return false;
    ++Fetches;
    TItemBlock* block = NewFetchBlock();
    int count = 0;
    while (count < block->ItemCount && Cmd().NextRow < Cmd().RowCount) {
      uint8_t* data = BlockManager().BlockItem(block, count)->Data();
      InitRecord(data);
      int32_t value = ++Cmd().NextRow;
      PutField(1, data, false, &value);
      ++count;
    }
    if (count < block->ItemCount) Cmd().SetCursorState(csFetched);
    InitFetchedItems(block, count, false);
    DoAfterFetch();
    return count > 0;
  }

  int Fetches = 0;
};

int32_t IdOf(TData& store, uint8_t* buf) {
  int32_t value = 0;
  bool isBlank = true;
  store.GetField(1, buf, &value, isBlank);
  EXPECT_FALSE(isBlank);
  return value;
}

// The IDs reached by moving forward from the current position to the end.
std::vector<int32_t> WalkForward(TRowsRecordSet& rs) {
  std::vector<int32_t> ids;
  uint8_t* buf = rs.AllocRecBuf();
  for (rs.GetNextRecord(buf); !rs.GetEOF(); rs.GetNextRecord(buf)) ids.push_back(IdOf(rs, buf));
  rs.FreeRecBuf(buf);
  return ids;
}

std::vector<int32_t> Range(int from, int to) {
  std::vector<int32_t> ids;
  for (int i = from; i <= to; ++i) ids.push_back(i);
  return ids;
}

int FreeItemsOf(TBlockManager& manager) {
  int n = 0;
  for (TRecordItem* item = manager.FirstFreeItem(); item; item = item->Next) {
    EXPECT_EQ(item->Marker, ItemMarkerFree);
    ++n;
  }
  return n;
}

TEST(LxRecordSetProps, NumberedPropertiesFollowTheirRules) {
  TRowsRecordSet rs;
  EXPECT_TRUE(rs.LongStrings());
  EXPECT_TRUE(rs.FlatBuffers());

  EXPECT_TRUE(rs.SetProp(pcFetchAll, true));
  EXPECT_TRUE(rs.FetchAllFlag());
  EXPECT_TRUE(rs.SetProp(pcUniDirectional, true));
  EXPECT_FALSE(rs.FetchAllFlag()) << "UniDirectional turns FetchAll off";
  EXPECT_TRUE(rs.SetProp(pcFetchAll, true));
  EXPECT_FALSE(rs.FetchAllFlag()) << "no FetchAll while UniDirectional";

  rs.SetProp(pcUniDirectional, false);
  rs.SetProp(pcFetchAllFixed, true);
  EXPECT_TRUE(rs.SetProp(pcFetchAll, true));
  EXPECT_FALSE(rs.FetchAllFlag()) << "FetchAllFixed ignores the property";
  rs.SetProp(pcFetchAllFixed, false);
  rs.SetProp(pcFetchAll, true);
  Variant v;
  EXPECT_TRUE(rs.GetProp(pcFetchAll, v));
  EXPECT_TRUE(v.AsBoolean());

  for (TLxPropCode code : {pcFieldsInfoExtra, pcDefaultValues, pcFieldsOrigin}) {
    EXPECT_TRUE(rs.GetProp(code, v));
    EXPECT_FALSE(v.AsBoolean()) << code;
    EXPECT_TRUE(rs.SetProp(code, true));
    EXPECT_TRUE(rs.GetProp(code, v));
    EXPECT_TRUE(v.AsBoolean()) << code;
  }

  rs.SetProp(pcFetchRows, 7);
  EXPECT_EQ(rs.FetchRows(), 7);
  rs.SetProp(pcLongStrings, false);
  rs.SetProp(pcFlatBuffers, false);
  EXPECT_FALSE(rs.LongStrings());
  EXPECT_FALSE(rs.FlatBuffers());
  EXPECT_TRUE(rs.SetProp(pcReadOnly, true));
  EXPECT_TRUE(rs.SetProp(pcRefreshAfterUpdate, true));
  EXPECT_TRUE(rs.SetProp(pcCompressBlobMode, static_cast<int32_t>(cbClient)));
  EXPECT_EQ(rs.GetCommand()->CompressBlob(), cbClient);
}

TEST(LxRecordSetProps, UnknownCodeFailsAnAssertionNamingIt) {
  TRowsRecordSet rs;
  try {
    rs.SetProp(pcCharset, u"utf8");
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(e.Message().find(u"1009"), String::npos);
  }
  Variant v;
  EXPECT_THROW(rs.GetProp(pcFetchRows, v), EAssertionFailed) << "FetchRows is write-only";
}

TEST(LxRecordSetFetch, BlocksComeOnDemandAndTheLastOneEndsTheFetch) {
  TRowsRecordSet rs;
  rs.Cmd().RowCount = 60;
  rs.SetProp(pcFetchRows, 25);
  rs.Open();
  EXPECT_EQ(rs.GetRecordCount(), 25);
  EXPECT_FALSE(rs.FetchEnded());
  EXPECT_FALSE(rs.IsCursorIdle());

  std::vector<int32_t> ids;
  uint8_t* buf = rs.AllocRecBuf();
  rs.SetToBegin();
  for (int i = 0; i < 26; ++i) {
    rs.GetNextRecord(buf);
    ids.push_back(IdOf(rs, buf));
  }
  EXPECT_EQ(ids, Range(1, 26));
  EXPECT_EQ(rs.GetRecordCount(), 50) << "moving past row 25 fetched rows 26-50";
  EXPECT_EQ(rs.GetRecNo(), 26);
  rs.FreeRecBuf(buf);

  std::vector<int32_t> rest = WalkForward(rs);
  EXPECT_EQ(rest, Range(27, 60));
  EXPECT_TRUE(rs.FetchEnded());
  EXPECT_EQ(rs.GetRecordCount(), 60);
  EXPECT_EQ(FreeItemsOf(rs.BlockManager()), 15) << "third block: 10 rows, 15 free items";
  EXPECT_EQ(rs.BlockManager().FirstBlock()->UsedItems, 10);
  EXPECT_TRUE(rs.IsCursorIdle());
  EXPECT_EQ(rs.Fetches, 3);

  // Backwards over the whole list, then forwards again without fetching.
  int back = 0;
  for (rs.GetPriorRecord(nullptr); !rs.GetBOF(); rs.GetPriorRecord(nullptr)) ++back;
  EXPECT_EQ(back, 60);
  EXPECT_EQ(WalkForward(rs), Range(1, 60));
  EXPECT_EQ(rs.Fetches, 3);
  rs.Close();
}

TEST(LxRecordSetFetch, ExactMultipleOfFetchRowsEndsCleanly) {
  for (int rows : {0, 1, 24, 25, 50}) {
    TRowsRecordSet rs;
    rs.Cmd().RowCount = rows;
    rs.SetProp(pcFetchRows, 25);
    rs.Open();
    rs.SetToBegin();
    EXPECT_EQ(WalkForward(rs), Range(1, rows)) << rows;
    EXPECT_EQ(rs.GetRecordCount(), rows) << rows;
    EXPECT_TRUE(rs.GetEOF());
    // Moving on at the end fetches nothing more.
    const int fetches = rs.Fetches;
    rs.GetNextRecord(nullptr);
    EXPECT_EQ(rs.Fetches, fetches);
  }
}

TEST(LxRecordSetFetch, FetchAllReadsEveryRowOnOpen) {
  TRowsRecordSet rs;
  rs.Cmd().RowCount = 1000;
  rs.SetProp(pcFetchRows, 64);
  rs.SetProp(pcFetchAll, true);
  rs.Open();
  EXPECT_EQ(rs.GetRecordCount(), 1000);
  EXPECT_TRUE(rs.FetchEnded());
  EXPECT_TRUE(rs.IsCursorIdle());
  rs.SetToBegin();
  EXPECT_EQ(WalkForward(rs), Range(1, 1000));
}

TEST(LxRecordSetFetch, UniDirectionalKeepsOnlyTheNewestBlock) {
  TRowsRecordSet rs;
  rs.Cmd().RowCount = 60;
  rs.SetProp(pcFetchRows, 25);
  rs.SetProp(pcUniDirectional, true);
  rs.Open();
  rs.SetToBegin();
  uint8_t* buf = rs.AllocRecBuf();
  for (int i = 1; i <= 25; ++i) rs.GetNextRecord(buf);
  EXPECT_EQ(IdOf(rs, buf), 25);
  rs.GetNextRecord(buf);
  EXPECT_EQ(IdOf(rs, buf), 26);
  // Only rows 26-50 are kept now.
  int kept = 0;
  for (TRecordItem* item = rs.FirstItem(); item; item = item->Next) ++kept;
  EXPECT_EQ(kept, 25);
  EXPECT_EQ(rs.FirstItem()->Prev, nullptr);

  rs.GetPriorRecord(buf);
  EXPECT_TRUE(rs.GetBOF()) << "nothing before the kept block";
  rs.FreeRecBuf(buf);
  std::vector<int32_t> rest = WalkForward(rs);
  ASSERT_FALSE(rest.empty());
  EXPECT_EQ(rest.back(), 60);
}

TEST(LxRecordSetFetch, BeforeFetchCancelKeepsTheFetchedRows) {
  TRowsRecordSet rs;
  rs.Cmd().RowCount = 60;
  rs.SetProp(pcFetchRows, 25);
  int afterFetches = 0;
  bool cancel = false;
  rs.OnBeforeFetch = [&](bool& c) { c = c || cancel; };
  rs.OnAfterFetch = [&] { ++afterFetches; };
  rs.Open();
  EXPECT_EQ(afterFetches, 1);
  cancel = true;
  EXPECT_FALSE(rs.Fetch(false));
  EXPECT_EQ(rs.GetRecordCount(), 25);
  rs.SetToBegin();
  EXPECT_EQ(WalkForward(rs), Range(1, 25));
  EXPECT_EQ(afterFetches, 1);
}

TEST(LxRecordSetFetch, BreakFetchStopsFetchAllUntilTheNextExecute) {
  TRowsRecordSet rs;
  rs.Cmd().RowCount = 100;
  rs.SetProp(pcFetchRows, 10);
  rs.SetProp(pcFetchAll, true);
  // The dataset component asks to stop after the third block.
  rs.OnAfterFetch = [&] {
    if (rs.Fetches == 3) {
      rs.GetCommand()->SetCursorState(csFetchingAll);
      rs.BreakFetch();
    }
  };
  rs.Open();
  EXPECT_EQ(rs.GetRecordCount(), 30);
  EXPECT_TRUE(rs.FetchBreak());
  EXPECT_EQ(rs.GetCommand()->GetCursorState(), csFetching) << "a stop turns fetch-all into fetching";
  EXPECT_FALSE(rs.IsCursorIdle());

  rs.OnAfterFetch = nullptr;
  rs.Close();
  rs.Open();
  EXPECT_FALSE(rs.FetchBreak()) << "executing again clears the stop";
  EXPECT_EQ(rs.GetRecordCount(), 100);
}

TEST(LxRecordSetOpen, FailedOpenLeavesNoPendingResultAndStoreClosed) {
  TRowsRecordSet rs;
  rs.Cmd().RowCount = 5;
  rs.Cmd().FailExecute = true;
  EXPECT_THROW(rs.Open(), std::runtime_error);
  EXPECT_FALSE(rs.Active());
  EXPECT_FALSE(rs.Prepared());
  EXPECT_EQ(rs.GetCommand()->GetCursorState(), csInactive);

  rs.Cmd().FailExecute = false;
  rs.Open();
  EXPECT_EQ(rs.GetRecordCount(), 5);
}

TEST(LxRecordSetOpen, PrepareDescribesFieldsOnceAndReopenRefetches) {
  TRowsRecordSet rs;
  rs.Cmd().RowCount = 3;
  rs.Prepare();
  EXPECT_TRUE(rs.Prepared());
  ASSERT_EQ(rs.FieldCount(), 1);
  EXPECT_NE(dynamic_cast<TLxFieldDesc*>(rs.Fields()[0]), nullptr);
  rs.Open();
  rs.SetToBegin();
  EXPECT_EQ(WalkForward(rs), Range(1, 3));
  rs.Close();
  rs.Cmd().RowCount = 4;
  rs.Open();
  rs.SetToBegin();
  EXPECT_EQ(WalkForward(rs), Range(1, 4));
  EXPECT_EQ(rs.Cmd().Executions, 2);
  rs.Close();
  rs.TablesInfo().Add();
  rs.UnPrepare();
  EXPECT_FALSE(rs.Prepared());
  EXPECT_EQ(rs.TablesInfo().GetCount(), 0);
  EXPECT_EQ(rs.GetCommand()->GetCursorState(), csInactive);
}

TEST(LxRecordSetFetch, FilteredFetchCountsOnlyVisibleRows) {
  TRowsRecordSet rs;
  rs.Cmd().RowCount = 60;
  rs.SetProp(pcFetchRows, 25);
  rs.SetFilterFunc([&rs](uint8_t* rec) { return IdOf(rs, rec) % 2 == 0; });
  rs.Open();
  EXPECT_EQ(rs.GetRecordCount(), 12);
  rs.SetToBegin();
  std::vector<int32_t> ids = WalkForward(rs);
  std::vector<int32_t> even;
  for (int i = 2; i <= 60; i += 2) even.push_back(i);
  EXPECT_EQ(ids, even);
  EXPECT_EQ(rs.GetRecordCount(), 30);
}

TEST(LxFieldDesc, SourceNameQuotedByModeAndCached) {
  TSQLInfo info(&NewParser<TSQLParser>);
  TLxFieldDesc plain;
  plain.SetSourceName(u"NAME");
  EXPECT_EQ(plain.GetSourceNameQuoted(&info, 0), u"NAME");
  EXPECT_EQ(plain.GetSourceNameQuoted(&info, 1), u"\"NAME\"");
  TLxFieldDesc spaced;
  spaced.SetSourceName(u"first name");
  EXPECT_EQ(spaced.GetSourceNameQuoted(&info, 0), u"\"first name\"");
  spaced.SetSourceName(u"other");
  EXPECT_EQ(spaced.GetSourceNameQuoted(&info, 0), u"\"first name\"") << "cached";
  EXPECT_EQ(plain.GetCapabilityFlag(), 0);
}

}  // namespace
