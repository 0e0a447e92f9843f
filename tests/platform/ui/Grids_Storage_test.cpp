#include <gtest/gtest.h>

#include <memory>

#include "platform/rtl/StringList.h"
#include "platform/ui/Grids.h"
#include "platform/ui/UiSession.h"

namespace {

class StringGridStorage : public ::testing::Test {
 public:
  StringGridStorage() {
    Grid->SetColCount(4);
    Grid->SetRowCount(3);
  }
  THeadlessUiSession Session;  // controls need a window session, even without windows
  std::unique_ptr<TStringGrid> Grid = std::make_unique<TStringGrid>(nullptr);
};

TEST_F(StringGridStorage, CellsPastTheCountsAreKeptThroughShrinkingAndGrowing) {
  Grid->SetCells(1, 1, u"Марија");
  Grid->SetCells(6, 2, u"скриена");  // a column past ColCount, as a hidden column is kept
  TObject marker;
  Grid->SetObjects(6, 2, &marker);
  EXPECT_EQ(Grid->Cells(6, 2), u"скриена");
  EXPECT_EQ(Grid->Cells(5, 2), u"");
  EXPECT_EQ(Grid->Cells(100, 100), u"");
  EXPECT_EQ(Grid->Objects(100, 100), nullptr);

  Grid->SetColCount(2);
  Grid->SetRowCount(1);
  EXPECT_EQ(Grid->Cells(1, 1), u"Марија");
  Grid->SetColCount(8);
  Grid->SetRowCount(3);
  EXPECT_EQ(Grid->Cells(1, 1), u"Марија");
  EXPECT_EQ(Grid->Cells(6, 2), u"скриена");
  EXPECT_EQ(Grid->Objects(6, 2), &marker);

  EXPECT_THROW(Grid->SetCells(-1, 0, u"x"), EInvalidGridOperation);
  EXPECT_THROW(Grid->SetCells(0, -1, u""), EInvalidGridOperation);
}

TEST_F(StringGridStorage, ColsAndRowsAreViewsOfTheCells) {
  TStrings* row1 = Grid->Rows(1);
  EXPECT_EQ(row1->Count(), 4);
  row1->SetStrings(2, u"б");
  EXPECT_EQ(Grid->Cells(2, 1), u"б");
  Grid->SetCells(3, 1, u"в");
  EXPECT_EQ(row1->Strings(3), u"в");
  EXPECT_EQ(Grid->Rows(1), row1);  // one view per line
  EXPECT_THROW(row1->Strings(4), EInvalidGridOperation);

  TStrings* col0 = Grid->Cols(0);
  EXPECT_EQ(col0->Count(), 3);
  TStringList names;
  names.Add(u"Име");
  names.Add(u"Ана");
  Grid->SetCols(0, &names);
  EXPECT_EQ(Grid->Cells(0, 0), u"Име");
  EXPECT_EQ(Grid->Cells(0, 1), u"Ана");
  EXPECT_EQ(Grid->Cells(0, 2), u"");
  // Adding fills the first empty cell of the line; a full line refuses more.
  EXPECT_EQ(col0->Add(u"Петар"), 2);
  EXPECT_EQ(Grid->Cells(0, 2), u"Петар");
  EXPECT_THROW(col0->Add(u"x"), EInvalidGridOperation);
  col0->Clear();
  EXPECT_EQ(Grid->Cells(0, 1), u"");

  // A row written through the list is as long as the grid is wide.
  names.Add(u"вишок");
  names.Add(u"премногу");
  Grid->SetRows(2, &names);
  EXPECT_EQ(Grid->Cells(3, 2), u"премногу");
  EXPECT_EQ(Grid->Cells(4, 2), u"");
}

TEST_F(StringGridStorage, MovingAndDeletingCarryTheCellsAndDropTheDeletedOnes) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 3; ++r)
      Grid->SetCells(c, r, String(1, static_cast<char16_t>(u'а' + c)) + String(1, static_cast<char16_t>(u'0' + r)));
  Grid->SetCells(6, 1, u"скриена");
  Grid->MoveColumn(1, 3);
  EXPECT_EQ(Grid->Cells(1, 0), u"в0");
  EXPECT_EQ(Grid->Cells(3, 2), u"б2");
  EXPECT_EQ(Grid->Cells(6, 1), u"скриена");  // columns past the count stay where they are
  Grid->MoveRow(2, 0);
  EXPECT_EQ(Grid->Cells(0, 0), u"а2");
  EXPECT_EQ(Grid->Cells(0, 1), u"а0");

  Grid->DeleteColumn(1);
  EXPECT_EQ(Grid->ColCount(), 3);
  EXPECT_EQ(Grid->Cells(1, 1), u"г0");
  Grid->DeleteRow(0);
  EXPECT_EQ(Grid->RowCount(), 2);
  EXPECT_EQ(Grid->Cells(0, 0), u"а0");
  // Growing again shows empty cells where the deleted ones were, not their old text.
  Grid->SetColCount(4);
  Grid->SetRowCount(3);
  EXPECT_EQ(Grid->Cells(3, 0), u"");
  EXPECT_EQ(Grid->Cells(0, 2), u"");
  EXPECT_EQ(Grid->Cells(6, 1), u"скриена");

  EXPECT_THROW(Grid->MoveColumn(0, 9), EInvalidGridOperation);
  EXPECT_THROW(Grid->DeleteRow(3), EInvalidGridOperation);
}

TEST_F(StringGridStorage, FixedCountsMustStayBelowTheCounts) {
  struct TCase {
    bool Cols;
    int Value;
    const char16_t* Error;  // nullptr: accepted
  } cases[] = {
      {true, 3, nullptr},
      {true, 4, u"Fixed column count must be less than column count"},
      {false, 3, u"Fixed row count must be less than row count"},
      {false, -1, u"Grid index out of range"},
      {false, 0, nullptr},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Value);
    try {
      if (c.Cols)
        Grid->SetFixedCols(c.Value);
      else
        Grid->SetFixedRows(c.Value);
      EXPECT_EQ(c.Error, nullptr) << "accepted";
      EXPECT_EQ(c.Cols ? Grid->FixedCols() : Grid->FixedRows(), c.Value);
    } catch (const EInvalidGridOperation& e) {
      ASSERT_NE(c.Error, nullptr) << "refused";
      EXPECT_EQ(e.Message(), c.Error);
    }
  }
  // Shrinking the count below the fixed count takes the fixed count down with it.
  Grid->SetColCount(2);
  EXPECT_EQ(Grid->FixedCols(), 1);
  EXPECT_EQ(Grid->Col(), 1);
}

}  // namespace
