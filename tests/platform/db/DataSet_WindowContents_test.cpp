// Which record sits in which slot of the buffer window after each kind of move,
// read the way a grid reads its rows: through a link's ActiveRecord. The window
// has 5 slots (the larger link); a link of 3 shows where a smaller link's
// window stands inside it.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/ScriptedDataSet.h"

namespace {

std::vector<TColumn> Columns() { return {{u"ID", ftInteger}}; }

struct TMove {
  const char* Name;
  std::function<void(TScriptedDataSet&, TDataLink&)> Operation;
  std::string Window;
};

class WindowContents : public ::testing::Test {
 protected:
  void Fill(int rows) {
    for (int i = 1; i <= rows; ++i) ds.AddRow({TScriptedDataSet::Cell(int32_t{i})});
    source.SetDataSet(&ds);
    grid.SetDataSource(&source);
    small.SetDataSource(&source);
    grid.SetBufferCount(5);
    small.SetBufferCount(3);
  }

  // The IDs of the grid link's rows, the current one in brackets, then "|" and
  // the small link's current row; reading the rows leaves the current record
  // where it was.
  std::string Window() {
    std::string text;
    const int current = grid.ActiveRecord();
    for (int row = 0; row < grid.RecordCount(); ++row) {
      grid.SetActiveRecord(row);
      const std::string id = std::to_string(ds.FieldByName(u"ID")->AsInteger());
      if (!text.empty()) text += ' ';
      text += row == current ? "[" + id + "]" : id;
    }
    grid.SetActiveRecord(current);
    return text + " | " + std::to_string(small.ActiveRecord());
  }

  // Each step starts where the one before it left the window.
  void Run(const std::vector<TMove>& moves) {
    for (const TMove& move : moves) {
      SCOPED_TRACE(move.Name);
      move.Operation(ds, grid);
      EXPECT_EQ(Window(), move.Window);
    }
  }

  TScriptedDataSet ds{nullptr, Columns()};
  TDataSource source{nullptr};
  TDataLink grid, small;
};

TEST_F(WindowContents, FullWindowAfterEachKindOfMove) {
  Fill(20);
  ds.Open();
  TBookmark tenth;
  Run({
      {"open", [](auto&, auto&) {}, "[1] 2 3 4 5 | 0"},
      {"to the bottom row", [](auto& d, auto&) { d.MoveBy(4); }, "1 2 3 4 [5] | 2"},
      {"next at the bottom", [](auto& d, auto&) { d.Next(); }, "2 3 4 5 [6] | 2"},
      {"next again", [](auto& d, auto&) { d.Next(); }, "3 4 5 6 [7] | 2"},
      {"to the top row", [](auto& d, auto&) { d.MoveBy(-4); }, "[3] 4 5 6 7 | 0"},
      {"prior at the top", [](auto& d, auto&) { d.Prior(); }, "[2] 3 4 5 6 | 0"},
      {"prior to the first", [](auto& d, auto&) { d.Prior(); }, "[1] 2 3 4 5 | 0"},
      {"prior at bof", [](auto& d, auto&) { d.Prior(); }, "[1] 2 3 4 5 | 0"},
      {"move by more than the window", [](auto& d, auto&) { d.MoveBy(12); }, "9 10 11 12 [13] | 2"},
      {"back by more than the window", [](auto& d, auto&) { d.MoveBy(-9); }, "[4] 5 6 7 8 | 0"},
      {"into the middle", [](auto& d, auto&) { d.MoveBy(2); }, "4 5 [6] 7 8 | 2"},
      {"last", [](auto& d, auto&) { d.Last(); }, "16 17 18 19 [20] | 2"},
      {"next at eof", [](auto& d, auto&) { d.Next(); }, "16 17 18 19 [20] | 2"},
      {"prior below the top", [](auto& d, auto&) { d.MoveBy(-5); }, "[15] 16 17 18 19 | 0"},
      {"back to the tenth",
       [&](auto& d, auto&) {
         d.MoveBy(-5);
         tenth = d.GetBookmark();
         d.First();
       },
       "[1] 2 3 4 5 | 0"},
      {"goto bookmark centres it", [&](auto& d, auto&) { d.GotoBookmark(tenth); },
       "8 9 [10] 11 12 | 2"},
      {"resync keeps the slot",
       [](auto& d, auto&) {
         d.UpdateCursorPos();
         d.Resync(TResyncMode());
       },
       "8 9 [10] 11 12 | 2"},
      {"grow the window", [](auto&, auto& g) { g.SetBufferCount(8); },
       "8 9 [10] 11 12 13 14 15 | 2"},
      {"next in the grown window", [](auto& d, auto&) { d.MoveBy(6); },
       "9 10 11 12 13 14 15 [16] | 2"},
      {"shrink the window", [](auto&, auto& g) { g.SetBufferCount(4); }, "13 14 15 [16] | 2"},
      {"prior at the top of the shrunk window", [](auto& d, auto&) { d.MoveBy(-4); },
       "[12] 13 14 15 | 0"},
      {"back to 5 slots", [](auto&, auto& g) { g.SetBufferCount(5); }, "[12] 13 14 15 16 | 0"},
  });
}

TEST_F(WindowContents, InsertAndDeleteInsideAMovedWindow) {
  Fill(20);
  ds.Open();
  Run({
      {"slide the window", [](auto& d, auto&) { d.MoveBy(7); }, "4 5 6 7 [8] | 2"},
      {"up two", [](auto& d, auto&) { d.MoveBy(-2); }, "4 5 [6] 7 8 | 0"},
      {"insert takes the slot",
       [](auto& d, auto&) {
         d.Insert();
         d.FieldByName(u"ID")->SetAsInteger(99);
       },
       "4 5 [99] 6 7 | 0"},
      {"cancel", [](auto& d, auto&) { d.Cancel(); }, "4 5 [6] 7 8 | 0"},
      {"delete", [](auto& d, auto&) { d.Delete(); }, "4 5 [7] 8 9 | 0"},
      // The deleted record is gone from the window as it slides on.
      {"next after the delete", [](auto& d, auto&) { d.MoveBy(3); }, "5 7 8 9 [10] | 2"},
  });
}

// A window that is not full: fewer records than slots.
TEST_F(WindowContents, PartlyFilledWindow) {
  Fill(3);
  ds.Open();
  Run({
      {"open", [](auto&, auto&) {}, "[1] 2 3 | 0"},
      {"next", [](auto& d, auto&) { d.Next(); }, "1 [2] 3 | 1"},
      {"next at the bottom", [](auto& d, auto&) { d.Next(); }, "1 2 [3] | 2"},
      {"next at eof", [](auto& d, auto&) { d.Next(); }, "1 2 [3] | 2"},
      {"last", [](auto& d, auto&) { d.Last(); }, "1 2 [3] | 2"},
      {"prior", [](auto& d, auto&) { d.MoveBy(-2); }, "[1] 2 3 | 0"},
      {"prior at bof", [](auto& d, auto&) { d.Prior(); }, "[1] 2 3 | 0"},
      {"append at the end",
       [](auto& d, auto&) {
         d.Append();
         d.FieldByName(u"ID")->SetAsInteger(4);
         d.Post();
       },
       "1 2 3 [4] | 2"},
      {"delete the first",
       [](auto& d, auto&) {
         d.First();
         d.Delete();
       },
       "[2] 3 4 | 0"},
      {"shrink below the records", [](auto&, auto& g) { g.SetBufferCount(2); }, "[2] 3 | 0"},
      {"grow past them", [](auto&, auto& g) { g.SetBufferCount(6); }, "[2] 3 4 | 0"},
  });
}

}  // namespace
