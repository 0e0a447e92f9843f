// The buffer window as links of 1, 5 and 11 rows see it, step by step through a script of
// navigation, editing, bookmarks, window resizing and disabled controls.
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/ScriptedDataSet.h"

namespace {

using TRow = TScriptedDataSet::TRow;

TRow MakeRow(int32_t id, const String& name) {
  return {TScriptedDataSet::Cell(id), TScriptedDataSet::WideText(name)};
}

std::vector<TColumn> Columns() { return {{u"ID", ftInteger}, {u"NAME", ftWideString, 20}}; }

struct TLinkView {
  int ActiveRecord;
  int RecordCount;
};

struct TStep {
  const char* Name;
  std::function<void()> Operation;
  int DataSetActive;
  TLinkView Link1, Link5, Link11;
  bool Bof, Eof;
  int RecNo;
  TDataSetState State;
  int Reads;
  std::vector<std::string> Log;
};

std::vector<std::string> All(const std::string& text) {
  return {"1: " + text, "5: " + text, "11: " + text};
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> result;
  for (const auto& part : parts) result.insert(result.end(), part.begin(), part.end());
  return result;
}

std::vector<std::string> Scrolled(int d1, int d5, int d11) {
  return {"1: scrolled " + std::to_string(d1), "5: scrolled " + std::to_string(d5),
          "11: scrolled " + std::to_string(d11)};
}

class WindowScript : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 20; ++i) ds.AddRow(MakeRow(i, u"r" + IntToStr(i)));
    source.SetDataSet(&ds);
    for (TLogLink* link : {&link1, &link5, &link11}) link->SetDataSource(&source);
    link1.SetBufferCount(1);
    link5.SetBufferCount(5);
    link11.SetBufferCount(11);
  }

  void Run(const std::vector<TStep>& steps) {
    for (const TStep& step : steps) {
      SCOPED_TRACE(step.Name);
      log.clear();
      ds.ClearLog();
      step.Operation();
      EXPECT_EQ(ds.ActiveSlot(), step.DataSetActive);
      EXPECT_EQ(link1.ActiveRecord(), step.Link1.ActiveRecord);
      EXPECT_EQ(link1.RecordCount(), step.Link1.RecordCount);
      EXPECT_EQ(link5.ActiveRecord(), step.Link5.ActiveRecord);
      EXPECT_EQ(link5.RecordCount(), step.Link5.RecordCount);
      EXPECT_EQ(link11.ActiveRecord(), step.Link11.ActiveRecord);
      EXPECT_EQ(link11.RecordCount(), step.Link11.RecordCount);
      EXPECT_EQ(ds.Bof(), step.Bof);
      EXPECT_EQ(ds.Eof(), step.Eof);
      EXPECT_EQ(ds.RecNo(), step.RecNo);
      EXPECT_EQ(ds.State(), step.State);
      EXPECT_EQ(static_cast<int>(ds.Log().size()), step.Reads) << Lines(ds.Log());
      EXPECT_EQ(Lines(log), Lines(step.Log));
    }
  }

  std::vector<std::string> log;
  TScriptedDataSet ds{nullptr, Columns()};
  TDataSource source{nullptr};
  TLogLink link1{"1", log}, link5{"5", log}, link11{"11", log};
};

TEST_F(WindowScript, NavigationEditingBookmarksAndResizing) {
  TBookmark third;
  // Slots are counted from 0, records from 1. "Reads" counts GetRecord calls.
  Run({
      {"open", [&] { ds.Open(); }, 0, {0, 1}, {0, 5}, {0, 11}, true, false, 1, dsBrowse, 11,
       All("active on")},
      {"next", [&] { ds.Next(); }, 1, {0, 1}, {1, 5}, {1, 11}, false, false, 2, dsBrowse, 0,
       Scrolled(1, 0, 0)},
      {"move by 5", [&] { ds.MoveBy(5); }, 6, {0, 1}, {4, 5}, {6, 11}, false, false, 7,
       dsBrowse, 0, Scrolled(5, 2, 0)},
      // Two records past the window: the buffers rotate twice under every link.
      {"move by 6", [&] { EXPECT_EQ(ds.MoveBy(6), 6); }, 10, {0, 1}, {4, 5}, {10, 11}, false,
       false, 13, dsBrowse, 2, Scrolled(6, 6, 2)},
      {"move by -3", [&] { EXPECT_EQ(ds.MoveBy(-3), -3); }, 7, {0, 1}, {1, 5}, {7, 11}, false,
       false, 10, dsBrowse, 0, Scrolled(-3, 0, 0)},
      {"last", [&] { ds.Last(); }, 10, {0, 1}, {4, 5}, {10, 11}, false, true, 20, dsBrowse, 11,
       All("changed")},
      {"next at eof", [&] { EXPECT_EQ(ds.MoveBy(1), 0); }, 10, {0, 1}, {4, 5}, {10, 11}, false,
       true, 20, dsBrowse, 0, {}},
      {"prior", [&] { ds.Prior(); }, 9, {0, 1}, {3, 5}, {9, 11}, false, false, 19, dsBrowse, 0,
       Scrolled(-1, 0, 0)},
      {"first", [&] { ds.First(); }, 0, {0, 1}, {0, 5}, {0, 11}, true, false, 1, dsBrowse, 11,
       All("changed")},
      {"prior at bof", [&] { EXPECT_EQ(ds.MoveBy(-1), 0); }, 0, {0, 1}, {0, 5}, {0, 11}, true,
       false, 1, dsBrowse, 0, {}},
      {"move by -5 at bof", [&] { EXPECT_EQ(ds.MoveBy(-5), 0); }, 0, {0, 1}, {0, 5}, {0, 11},
       true, false, 1, dsBrowse, 0, {}},
      {"move by 3", [&] { ds.MoveBy(3); }, 3, {0, 1}, {3, 5}, {3, 11}, false, false, 4,
       dsBrowse, 0, Scrolled(3, 0, 0)},
      {"edit", [&] { ds.Edit(); }, 3, {0, 1}, {3, 5}, {3, 11}, false, false, 4, dsEdit, 0,
       Join({All("editing on"), All("record nil")})},
      {"set a field", [&] { ds.FieldByName(u"NAME")->SetAsString(u"x"); }, 3, {0, 1}, {3, 5},
       {3, 11}, false, false, 4, dsEdit, 0, All("record NAME")},
      // Post re-reads the record and the three before it, then fills the window.
      {"post", [&] { ds.Post(); }, 3, {0, 1}, {3, 5}, {3, 11}, false, false, 4, dsBrowse, 11,
       Join({All("update"), All("editing off"), All("changed")})},
      {"insert", [&] { ds.Insert(); }, 3, {0, 1}, {3, 5}, {3, 11}, false, false, -1, dsInsert,
       0, Join({All("editing on"), All("changed")})},
      {"cancel", [&] { ds.Cancel(); }, 3, {0, 1}, {3, 5}, {3, 11}, false, false, 4, dsBrowse,
       11, Join({All("editing off"), All("changed")})},
      // The new record is the last slot; the ten records before the end fill the window above.
      {"append", [&] { ds.Append(); }, 10, {0, 1}, {4, 5}, {10, 11}, false, true, -1, dsInsert,
       10, Join({All("editing on"), All("changed")})},
      {"set the key", [&] { ds.FieldByName(u"ID")->SetAsInteger(21); }, 10, {0, 1}, {4, 5},
       {10, 11}, false, true, -1, dsInsert, 0, All("record ID")},
      {"post the new record", [&] { ds.Post(); }, 10, {0, 1}, {4, 5}, {10, 11}, false, false,
       21, dsBrowse, 11, Join({All("update"), All("editing off"), All("changed")})},
      // Deleting the last record: the cursor finds no current or next record, only a prior.
      {"delete", [&] { ds.Delete(); }, 10, {0, 1}, {4, 5}, {10, 11}, false, false, 20,
       dsBrowse, 13, All("changed")},
      {"refresh to 15 rows",
       [&] {
         std::vector<TRow> rows;
         for (int i = 1; i <= 15; ++i) rows.push_back(MakeRow(i, u"n" + IntToStr(i)));
         ds.SetRefreshRows(rows);
         ds.Refresh();
         EXPECT_EQ(ds.RecordCount(), 15);
       },
       10, {0, 1}, {4, 5}, {10, 11}, false, false, 15, dsBrowse, 11, All("changed")},
      {"first again", [&] { ds.First(); }, 0, {0, 1}, {0, 5}, {0, 11}, true, false, 1, dsBrowse,
       11, All("changed")},
      {"to the third",
       [&] {
         ds.MoveBy(2);
         third = ds.GetBookmark();
       },
       2, {0, 1}, {2, 5}, {2, 11}, false, false, 3, dsBrowse, 0, Scrolled(2, 0, 0)},
      {"last again", [&] { ds.Last(); }, 10, {0, 1}, {4, 5}, {10, 11}, false, true, 15,
       dsBrowse, 11, All("changed")},
      // Centred on the record: two records before it exist, then the window fills after it.
      {"goto bookmark", [&] { ds.GotoBookmark(third); }, 2, {0, 1}, {0, 5}, {2, 11}, false,
       false, 3, dsBrowse, 12, All("changed")},
      {"shrink to 7 slots", [&] { link11.SetBufferCount(7); }, 2, {0, 1}, {0, 5}, {2, 7},
       false, false, 3, dsBrowse, 0, {}},
      {"grow to 15 slots", [&] { link11.SetBufferCount(15); }, 2, {0, 1}, {0, 5}, {2, 15},
       false, false, 3, dsBrowse, 8, {}},
      {"last with 15 slots", [&] { ds.Last(); }, 14, {0, 1}, {4, 5}, {14, 15}, false, true, 15,
       dsBrowse, 15, All("changed")},
      // Shrinking keeps the current record: the ten records before the window's end leave.
      {"shrink to 5 at the end", [&] { link11.SetBufferCount(5); }, 4, {0, 1}, {4, 5}, {4, 5},
       false, true, 15, dsBrowse, 0, {}},
      // Growing at the end finds no next record and fills the window before the current one.
      {"grow to 9 at the end", [&] { link11.SetBufferCount(9); }, 8, {0, 1}, {4, 5}, {8, 9},
       false, true, 15, dsBrowse, 5, {}},
      {"moves with controls disabled",
       [&] {
         ds.DisableControls();
         ds.Prior();
         ds.First();
         ds.MoveBy(2);
         EXPECT_TRUE(ds.ControlsDisabled());
         ds.EnableControls();
       },
       2, {0, 1}, {0, 5}, {2, 9}, false, false, 3, dsBrowse, 9, All("changed")},
      {"edit with controls disabled",
       [&] {
         ds.DisableControls();
         ds.Edit();
         ds.EnableControls();
       },
       2, {0, 1}, {0, 5}, {2, 9}, false, false, 3, dsEdit, 0,
       Join({All("editing on"), All("changed")})},
      {"cancel that edit", [&] { ds.Cancel(); }, 2, {0, 1}, {0, 5}, {2, 9}, false, false, 3,
       dsBrowse, 9, Join({All("editing off"), All("changed")})},
  });
}

TEST_F(WindowScript, EmptyDataSetIsBofAndEof) {
  ds.ClearRows();
  ds.Open();
  EXPECT_TRUE(ds.Bof());
  EXPECT_TRUE(ds.Eof());
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_EQ(link11.RecordCount(), 0);
  EXPECT_EQ(ds.MoveBy(1), 0);
  ds.Last();
  EXPECT_TRUE(ds.Bof() && ds.Eof());
  // Editing an empty dataset inserts.
  ds.Edit();
  EXPECT_EQ(ds.State(), dsInsert);
  EXPECT_EQ(link11.RecordCount(), 1);
}

TEST_F(WindowScript, OpenFillsTheWindowBeforeLinksHearOfIt) {
  int countSeen = -1, recNoSeen = -1;
  TLogLink probe("probe", log);
  probe.SetDataSource(&source);
  source.OnStateChange = [&](TObject*) {
    countSeen = link11.RecordCount();
    recNoSeen = ds.RecNo();
  };
  ds.Open();
  EXPECT_EQ(countSeen, 11);
  EXPECT_EQ(recNoSeen, 1);
  log.clear();
  ds.Close();
  EXPECT_EQ(Lines(log), Lines({"1: active off", "5: active off", "11: active off",
                               "probe: active off"}));
  EXPECT_EQ(link11.RecordCount(), 0);
}

TEST_F(WindowScript, CheckBrowseModeReachesEveryLinkBeforeAMove) {
  ds.Open();
  link1.LogChecks = true;
  log.clear();
  ds.Next();
  EXPECT_EQ(Lines(log), Lines({"1: check", "1: scrolled 1", "5: scrolled 0", "11: scrolled 0"}));
}

TEST_F(WindowScript, MovingOffAModifiedEditPostsIt) {
  ds.Open();
  ds.Edit();
  ds.FieldByName(u"NAME")->SetAsString(u"changed");
  ds.Next();
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(ds.RecNo(), 2);
  ds.Prior();
  EXPECT_EQ(ds.FieldByName(u"NAME")->AsString(), u"changed");
  // An edit without changes is cancelled.
  ds.Edit();
  ds.Next();
  EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(WindowScript, LinksMayMoveAndResizeInsideTheirNotifications) {
  ds.Open();
  // The small link pulls the dataset along while it hears of a scroll; the grid resizes itself.
  int nested = 0;
  link5.OnScrolled = [&](TLogLink*) {
    if (nested++ == 0) {
      ds.MoveBy(3);
      link11.SetBufferCount(6);
    }
  };
  log.clear();
  ds.Next();
  EXPECT_EQ(ds.RecNo(), 5);
  EXPECT_EQ(link11.BufferCount(), 6);
  // Every link ends with the current record inside its window.
  for (TDataLink* link : {static_cast<TDataLink*>(&link1), static_cast<TDataLink*>(&link5),
                          static_cast<TDataLink*>(&link11)}) {
    EXPECT_GE(link->ActiveRecord(), 0);
    EXPECT_LT(link->ActiveRecord(), link->BufferCount());
    EXPECT_LE(link->ActiveRecord(), link->RecordCount() - 1);
  }
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 5);
  // A link removed by another while the change goes round hears only that it is inactive.
  TLogLink doomed("doomed", log);
  doomed.SetDataSource(&source);
  link1.OnChanged = [&](TLogLink*) { doomed.SetDataSource(nullptr); };
  log.clear();
  ds.First();
  EXPECT_EQ(Lines(log),
            Lines({"1: changed", "doomed: active off", "5: changed", "11: changed"}));
}

TEST_F(WindowScript, DisableControlsNests) {
  ds.Open();
  log.clear();
  ds.DisableControls();
  ds.DisableControls();
  ds.Next();
  ds.EnableControls();
  ds.Next();
  EXPECT_TRUE(log.empty());
  ds.EnableControls();
  EXPECT_EQ(Lines(log), Lines(All("changed")));
  EXPECT_FALSE(ds.ControlsDisabled());
}

TEST_F(WindowScript, ClosingWhileControlsAreDisabledIsTold) {
  ds.Open();
  ds.DisableControls();
  ds.Close();
  log.clear();
  ds.EnableControls();
  EXPECT_EQ(Lines(log), Lines(All("active off")));
}

TEST_F(WindowScript, BookmarksCompareAndValidate) {
  ds.Open();
  TBookmark first = ds.GetBookmark();
  ds.MoveBy(4);
  TBookmark fifth = ds.GetBookmark();
  EXPECT_TRUE(ds.BookmarkValid(fifth));
  EXPECT_LT(ds.CompareBookmarks(first, fifth), 0);
  EXPECT_GT(ds.CompareBookmarks(fifth, first), 0);
  EXPECT_EQ(ds.CompareBookmarks(TBookmark(), TBookmark()), 0);
  ds.Delete();
  EXPECT_FALSE(ds.BookmarkValid(fifth));
  EXPECT_THROW(ds.GotoBookmark(fifth), EDatabaseError);
  // A wrong-sized bookmark is refused before the dataset moves.
  EXPECT_THROW(ds.GotoBookmark(TBookmark{1, 2}), EDatabaseError);
  ds.GotoBookmark(first);
  EXPECT_EQ(ds.RecNo(), 1);
  // A new record has no bookmark.
  ds.Append();
  EXPECT_TRUE(ds.GetBookmark().empty());
  ds.Cancel();
}

}  // namespace
