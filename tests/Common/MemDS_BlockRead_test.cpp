// A walk of the in-memory dataset reads the records ahead of a full window in blocks. Each case
// walks two datasets over the same rows, one reading in blocks and one a record per step, and
// after every move compares what a grid would see: the window's records with their numbers and
// update statuses, the current record, the ends, the distance moved and the links'
// notifications. Then every record left in the window must be found again by its bookmark.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "tests/Common/MemDS_TestData.h"

namespace {

using memds_test::Column;
using memds_test::TLogLink;
using memds_test::TRowStore;

// The dataset reading in blocks, or taking one record per step as the reference a block read
// must match; it can pass a failing filter handler's exception on to the caller.
class TWalkDataSet : public TMemDataSet {
 public:
  explicit TWalkDataSet(bool inBlocks) : TMemDataSet(nullptr) { SetReadsInBlocks(inBlocks); }
  bool PassHandlerErrors = false;

 protected:
  void InternalHandleException() override {
    if (PassHandlerErrors) throw;
    TMemDataSet::InternalHandleException();
  }
};

// Holds its rows a chunk at a time and takes the next chunk when a forward step finds no record
// after the cursor, as a record set that fetches on demand does: a block read ends where the held
// records end, and the single step after it must still reach the rest.
class TChunkedStore : public TRowStore {
 public:
  TChunkedStore(std::vector<Column> columns, int chunk)
      : TRowStore(std::move(columns)), FChunk(chunk) {}

  void InternalOpen() override {
    if (FChunk > 0) {
      FAll = Rows;
      Rows.assign(FAll.begin(), FAll.begin() + std::min<size_t>(FChunk, FAll.size()));
      FHeld = Rows.size();
    }
    TRowStore::InternalOpen();
    if (FChunk > 0) Rows = FAll;
  }

  void GetNextRecord(uint8_t* recBuf) override {
    if (FChunk > 0 && !GetEOF() && NothingHeldAhead()) HoldNextChunk();
    TRowStore::GetNextRecord(recBuf);
  }

 private:
  bool NothingHeldAhead() {
    TRecordItem* item = GetBOF() || !FCurrentItem ? FFirstItem : FCurrentItem->Next;
    return NextVisible(item) == nullptr;
  }

  void HoldNextChunk() {
    TRecordItem* current = FCurrentItem;
    const bool bof = FBof, eof = FEof;
    const size_t end = std::min(FAll.size(), FHeld + static_cast<size_t>(FChunk));
    std::unique_ptr<uint8_t[]> owner(AllocRecBuf());
    uint8_t* buffer = owner.get();
    for (; FHeld < end; ++FHeld) {
      InitRecord(buffer);
      PutFieldAsVariant(1, buffer, FAll[FHeld][0]);
      if (FAll[FHeld].size() > 1) PutFieldAsVariant(2, buffer, FAll[FHeld][1]);
      SetToEnd();
      AddRecord(buffer);
    }
    FCurrentItem = current;
    FBof = bof;
    FEof = eof;
  }

  int FChunk;
  size_t FHeld = 0;
  std::vector<std::vector<Variant>> FAll;
};

struct TCase {
  const char* Name;
  std::function<void(TMemDataSet&)> BeforeOpen;
  std::function<void(TMemDataSet&)> AfterOpen;
  int Chunk = 0;
};

bool GoTo(TMemDataSet& ds, int id) {
  return ds.Locate(u"ID", Variant(int32_t{id}), {});
}

// Records 1..100 of ID and, when wide, a 20-character NAME: a record narrower than 16 bytes and
// one of several 16-byte pieces with a tail.
std::vector<Column> Columns(bool wide) {
  if (!wide) return {{u"ID", dtInteger}};
  return {{u"ID", dtInteger}, {u"NAME", dtString, 20}};
}

std::vector<std::vector<Variant>> Rows(bool wide) {
  std::vector<std::vector<Variant>> rows;
  for (int32_t id = 1; id <= 100; ++id) {
    std::vector<Variant> row{Variant(id)};
    if (wide) row.push_back(Variant(String(u"name ") + IntToStr(id * 7)));
    rows.push_back(row);
  }
  return rows;
}

const TCase Cases[] = {
    {"plain", nullptr, nullptr},
    {"filter event", nullptr,
     [](TMemDataSet& ds) {
       ds.SetOnFilterRecord([](TDataSet* d, bool& accept) {
         accept = d->FieldByName(u"ID")->AsInteger() % 3 != 0;
       });
       ds.SetFiltered(true);
     }},
    {"filter text",
     [](TMemDataSet& ds) {
       ds.SetFilter(u"ID > 11");
       ds.SetFiltered(true);
     },
     nullptr},
    {"deleted records", nullptr,
     [](TMemDataSet& ds) {
       for (int id : {1, 2, 8, 9, 10, 11, 12, 13, 40, 41, 99, 100}) {
         ASSERT_TRUE(GoTo(ds, id));
         ds.Delete();
       }
     }},
    {"cached updates",
     [](TMemDataSet& ds) { ds.SetCachedUpdates(true); },
     [](TMemDataSet& ds) {
       // Deleted records leave the view; edited and inserted ones show their status.
       for (int id : {3, 4, 5, 6, 7, 30, 31, 97}) {
         ASSERT_TRUE(GoTo(ds, id));
         ds.Delete();
       }
       for (int id : {20, 21, 50}) {
         ASSERT_TRUE(GoTo(ds, id));
         ds.Edit();
         ds.FieldByName(u"ID")->SetAsInteger(id + 1000);
         ds.Post();
       }
       ASSERT_TRUE(GoTo(ds, 60));
       ds.Insert();
       ds.FieldByName(u"ID")->SetAsInteger(2000);
       ds.Post();
       ds.Append();
       ds.FieldByName(u"ID")->SetAsInteger(3000);
       ds.Post();
     }},
    {"fetched in chunks", nullptr, nullptr, 7},
    {"filtered and fetched in chunks",
     [](TMemDataSet& ds) {
       ds.SetFilter(u"ID > 50");
       ds.SetFiltered(true);
     },
     nullptr, 9},
};

struct TMove {
  const char* Name;
  std::function<int(TDataSet&)> Operation;
};

const TMove Moves[] = {
    {"first", [](TDataSet& ds) { ds.First(); return 0; }},
    {"into the window", [](TDataSet& ds) { return ds.MoveBy(3); }},
    {"past the window", [](TDataSet& ds) { return ds.MoveBy(7); }},
    {"next", [](TDataSet& ds) { ds.Next(); return 0; }},
    {"round the ring a few times", [](TDataSet& ds) { return ds.MoveBy(45); }},
    {"back", [](TDataSet& ds) { return ds.MoveBy(-6); }},
    {"forward again", [](TDataSet& ds) { return ds.MoveBy(25); }},
    {"to the end", [](TDataSet& ds) { return ds.MoveBy(1000); }},
    {"at the end", [](TDataSet& ds) { return ds.MoveBy(5); }},
    {"last", [](TDataSet& ds) { ds.Last(); return 0; }},
    {"first again", [](TDataSet& ds) { ds.First(); return 0; }},
    {"count the rest", [](TDataSet& ds) { return ds.MoveBy(INT_MAX); }},
};

// What a grid sees: each row's ID/RecNo/status (the current one in brackets), the ends and the
// distance moved.
std::string Snapshot(TMemDataSet& ds, TDataLink& grid, int moved) {
  std::string text;
  const int current = grid.ActiveRecord();
  for (int row = 0; row < grid.RecordCount(); ++row) {
    grid.SetActiveRecord(row);
    std::string cell = std::to_string(ds.FieldByName(u"ID")->AsInteger()) + "/" +
                       std::to_string(ds.RecNo()) + "/" +
                       std::to_string(static_cast<int>(ds.UpdateStatus()));
    if (ds.FieldCount() > 1) cell += "/" + UTF8Encode(ds.FieldByName(u"NAME")->AsString());
    text += row == current ? "[" + cell + "] " : cell + " ";
  }
  grid.SetActiveRecord(current);
  return text + (ds.Bof() ? "bof " : "") + (ds.Eof() ? "eof " : "") + "moved " +
         std::to_string(moved);
}

// Every record in the window is found again by its bookmark.
void ExpectBookmarksFindTheWindow(TMemDataSet& ds, TDataLink& grid) {
  std::vector<std::pair<TBookmark, int>> marks;
  const int current = grid.ActiveRecord();
  for (int row = 0; row < grid.RecordCount(); ++row) {
    grid.SetActiveRecord(row);
    marks.emplace_back(ds.GetBookmark(), ds.FieldByName(u"ID")->AsInteger());
  }
  grid.SetActiveRecord(current);
  for (const auto& [mark, id] : marks) {
    ASSERT_TRUE(ds.BookmarkValid(mark)) << id;
    ds.GotoBookmark(mark);
    EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), id);
  }
}

struct TSide {
  TSide(TMemDataSet& dataSet, const TCase& c, bool wide, int window) : ds(dataSet) {
    auto store = std::make_unique<TChunkedStore>(Columns(wide), c.Chunk);
    store->Rows = Rows(wide);
    ds.SetData(std::move(store));
    if (c.BeforeOpen) c.BeforeOpen(ds);
    source.SetDataSet(&ds);
    grid.SetDataSource(&source);
    grid.SetBufferCount(window);
    ds.Open();
    if (c.AfterOpen) c.AfterOpen(ds);
    grid.Log.clear();
  }
  TMemDataSet& ds;
  TDataSource source{nullptr};
  TLogLink grid;
};

class BlockRead : public ::testing::TestWithParam<std::tuple<int, int, bool>> {};

TEST_P(BlockRead, WindowMatchesTheWalkOfSingleSteps) {
  const auto [caseIndex, window, wide] = GetParam();
  const TCase& c = Cases[caseIndex];
  SCOPED_TRACE(c.Name);
  TWalkDataSet blocks(true), steps(false);
  TSide fast(blocks, c, wide, window);
  TSide slow(steps, c, wide, window);
  if (::testing::Test::HasFatalFailure()) return;
  for (const TMove& move : Moves) {
    SCOPED_TRACE(move.Name);
    const int movedFast = move.Operation(blocks);
    const int movedSlow = move.Operation(steps);
    EXPECT_EQ(Snapshot(blocks, fast.grid, movedFast), Snapshot(steps, slow.grid, movedSlow));
    EXPECT_EQ(fast.grid.Log, slow.grid.Log);
    fast.grid.Log.clear();
    slow.grid.Log.clear();
  }
  ExpectBookmarksFindTheWindow(blocks, fast.grid);
}

INSTANTIATE_TEST_SUITE_P(
    CasesWindowsAndWidths, BlockRead,
    ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(Cases))),
                       ::testing::Values(1, 5, 40), ::testing::Bool()),
    [](const auto& info) {
      std::string name = Cases[std::get<0>(info.param)].Name;
      for (char& ch : name)
        if (ch == ' ') ch = '_';
      return name + "_window" + std::to_string(std::get<1>(info.param)) +
             (std::get<2>(info.param) ? "_wide" : "_narrow");
    });

// A filter that raises in the middle of a block (its results forgotten, so that the walk decides
// them again): the records read before it stay in the window as a walk of single steps leaves
// them, and the walk goes on from there.
TEST(BlockReadRaise, FilterRaisingMidBlockLeavesTheWindowAsSingleStepsDo) {
  const TCase plain{"plain", nullptr, nullptr};
  TWalkDataSet blocks(true), steps(false);
  TSide fast(blocks, plain, true, 8);
  TSide slow(steps, plain, true, 8);
  std::vector<std::shared_ptr<bool>> armed;
  for (TWalkDataSet* ds : {&blocks, &steps}) {
    ds->PassHandlerErrors = true;
    auto raise = std::make_shared<bool>(false);
    armed.push_back(raise);
    ds->SetOnFilterRecord([raise](TDataSet* d, bool& accept) {
      if (d->FieldByName(u"ID")->AsInteger() == 40 && *raise) {
        *raise = false;
        throw Exception(u"filter failed");
      }
      accept = true;
    });
    ds->SetFiltered(true);
    ds->First();
    static_cast<TMemData*>(ds->Data())->ResetFilterResults();
  }
  for (auto& raise : armed) *raise = true;
  fast.grid.Log.clear();
  slow.grid.Log.clear();
  EXPECT_THROW(blocks.MoveBy(60), Exception);
  EXPECT_THROW(steps.MoveBy(60), Exception);
  EXPECT_EQ(Snapshot(blocks, fast.grid, 0), Snapshot(steps, slow.grid, 0));
  EXPECT_EQ(fast.grid.Log, slow.grid.Log);
  const std::string window = Snapshot(blocks, fast.grid, 0);
  EXPECT_NE(window.find("[39/39/"), std::string::npos) << window;
  const int movedFast = blocks.MoveBy(20);
  const int movedSlow = steps.MoveBy(20);
  EXPECT_EQ(Snapshot(blocks, fast.grid, movedFast), Snapshot(steps, slow.grid, movedSlow));
  ExpectBookmarksFindTheWindow(blocks, fast.grid);
}

}  // namespace
