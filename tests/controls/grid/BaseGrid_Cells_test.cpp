// The base grid's cell text and cell properties.
#include "tests/controls/grid/BaseGridTestSupport.h"

#include "controls/grid/AdvUtil.h"

using namespace basegridtest;

namespace {

// The string grid's special content object is freed with its cell when it has this class name.
class TCellGraphic : public TObject {
 public:
  explicit TCellGraphic(int* freed) : FFreed(freed) {}
  ~TCellGraphic() override { ++*FFreed; }

 private:
  int* FFreed;
};

class TOtherGraphic : public TObject {};

TEST_F(TBaseGridTest, ReadsNeverCreateProperties) {
  int col = 0, row = 0;
  for (TPoint cell : {TPoint{2, 3}, TPoint{-1, 0}, TPoint{8, 0}, TPoint{0, 12}, TPoint{99, 99}}) {
    SCOPED_TRACE(std::to_string(cell.X) + "," + std::to_string(cell.Y));
    EXPECT_FALSE(Grid->HasCellProperties(cell.X, cell.Y));
    Grid->GetCellText(cell.X, cell.Y);
    EXPECT_TRUE(Grid->IsBaseCell(cell.X, cell.Y));
    EXPECT_EQ(Grid->BaseCell(cell.X, cell.Y), cell);
    EXPECT_TRUE(Grid->FindBaseCell(cell.X, cell.Y, col, row));
    EXPECT_FALSE(Grid->IsMergedCell(cell.X, cell.Y));
    EXPECT_FALSE(Grid->IsColMerged(cell.X, cell.Y));
    EXPECT_EQ(Grid->GetCellSpan(cell.X, cell.Y), (TPoint{0, 0}));
    EXPECT_EQ(Grid->GetCellObject(cell.X, cell.Y), 0);
    EXPECT_EQ(Grid->GetAttachedGraphic(cell.X, cell.Y), nullptr);
  }
  Grid->GetMergedCellRect(3, 3);
  Grid->MoveToBaseCell();
  EXPECT_FALSE(Grid->CellPropsCreated());
  EXPECT_EQ(Grid->GetCellText(2, 3), Text(2, 3));
}

TEST_F(TBaseGridTest, OperationsOutsideTheGridRaise) {
  Grid->HiddenCols = 2;  // real columns 0..9
  struct Case {
    const char* Name;
    std::function<void()> Run;
  } cases[] = {
      {"properties left of the grid", [&] { Grid->GetCellProperties(-1, 0); }},
      {"properties past the hidden columns", [&] { Grid->GetCellProperties(10, 0); }},
      {"properties below the rows", [&] { Grid->GetCellProperties(0, 12); }},
      {"merge reaching out", [&] { Grid->MergeCells(9, 10, 2, 2); }},
      {"merge of no columns", [&] { Grid->MergeCells(1, 1, 0, 2); }},
      {"split outside", [&] { Grid->SplitCells(3, -1); }},
      {"clear a column outside", [&] { Grid->ClearColCells(10); }},
      {"clear a row outside", [&] { Grid->ClearRowCells(12); }},
      {"cell object outside", [&] { Grid->SetCellObject(0, 40, 1); }},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(c.Run(), EInvalidGridOperation) << c.Name;
    EXPECT_FALSE(Grid->CellPropsCreated()) << c.Name;
  }
  EXPECT_EQ(Grid->GetCellText(0, 11), Text(0, 11)) << "nothing was written";
  EXPECT_NO_THROW(Grid->GetCellProperties(9, 11)) << "a hidden column is inside";
  EXPECT_NO_THROW(Grid->FreeCellProperties({-5, -5, 100, 100})) << "the free is clipped";
  EXPECT_FALSE(Grid->HasCellProperties(9, 11));
}

TEST_F(TBaseGridTest, NewPropertiesStartFromTheCellDefaults) {
  Grid->Font()->SetName(u"DejaVu Sans");
  Grid->Font()->SetStyle(TFontStyles{fsBold});
  Grid->Font()->SetColor(clMaroon);
  Grid->SetColor(clCream);
  Grid->SetWordWrap(false);
  TCellProperties* p = Grid->GetCellProperties(2, 4);
  EXPECT_TRUE(Grid->CellPropsCreated());
  EXPECT_EQ(p->OwnerCol(), 2);
  EXPECT_EQ(p->OwnerRow(), 4);
  EXPECT_TRUE(p->IsBaseCell());
  EXPECT_EQ(p->CellSpanX(), -1);
  EXPECT_EQ(p->FontName(), u"DejaVu Sans");
  EXPECT_EQ(p->FontStyle(), TFontStyles{fsBold});
  EXPECT_EQ(p->FontColor(), clMaroon);
  EXPECT_EQ(p->FontSize(), Grid->Font()->Size());
  EXPECT_EQ(p->BrushColor(), clCream);
  EXPECT_EQ(p->BrushColorTo(), clNone);
  EXPECT_FALSE(p->WordWrap());
  EXPECT_EQ(p->Editor(), TEditorType::edNormal);
  EXPECT_EQ(p->CalcKind(), 0);
  EXPECT_EQ(Grid->GetCellProperties(2, 4), p) << "created once";
}

TEST_F(TBaseGridTest, PropertiesAssignCopiesItsSubset) {
  TCellProperties* a = Grid->GetCellProperties(1, 1);
  a->SetBrushColorTo(clRed);
  a->SetGradientDirection(TCellGradientDirection::GradientHorizontal);
  a->SetCalcKind(3);
  a->SetPaintPass(9);
  a->SetEditor(TEditorType::edNone);
  a->SetAlignment(taRightJustify);
  a->SetNodeLevel(2);
  a->SetCellSpanX(4);
  TCellProperties* b = Grid->GetCellProperties(5, 5);
  b->Assign(a);
  EXPECT_EQ(b->Editor(), TEditorType::edNone);
  EXPECT_EQ(b->Alignment(), taRightJustify);
  EXPECT_EQ(b->NodeLevel(), 2);
  EXPECT_EQ(b->CellSpanX(), 4);
  EXPECT_EQ(b->OwnerCol(), 1);
  EXPECT_EQ(b->BrushColorTo(), clNone);
  EXPECT_EQ(b->GradientDirection(), TCellGradientDirection::GradientVertical);
  EXPECT_EQ(b->CalcKind(), 0);
  EXPECT_EQ(b->PaintPass(), 0);
}

TEST_F(TBaseGridTest, DisplayHooksAndTheWideHook) {
  std::vector<std::string> asked;
  Grid->OnGetDisplText = [&](TObject*, int c, int r, String& v) {
    asked.push_back(std::to_string(c) + "," + std::to_string(r));
    v += u"!";
  };
  EXPECT_EQ(Grid->GetCellText(1, 1), Text(1, 1)) << "DisplayRowLimit 0 reads plainly";
  EXPECT_TRUE(asked.empty());

  Grid->SetDisplayRowLimit(5);
  EXPECT_EQ(Grid->GetCellText(1, 4), Text(1, 4) + u"!");
  EXPECT_EQ(Grid->GetCellText(1, 5), Text(1, 5));

  // The wide hook sees the decoded text and its answer comes back as it is.
  Grid->OnGetDisplText = nullptr;
  String wide = u"Ѕвезда";
  Grid->SetGridCell(2, 2, AdvUtil::WideToCellText(wide));
  String seen;
  Grid->OnGetDisplWideText = [&](TObject*, int, int, String& v) {
    seen = v;
    v += u"ж";
  };
  EXPECT_EQ(Grid->GetCellText(2, 2), wide + u"ж");
  EXPECT_EQ(seen, wide);
}

TEST_F(TBaseGridTest, FooterWritesAndCellObjectsOnEmptyCells) {
  Grid->SetCellText(3, 11, u"1");
  EXPECT_EQ(Grid->FooterWrites, 0);
  Grid->SetHideLastRow(true);
  Grid->SetCellText(3, 11, u"2");
  Grid->SetCellText(3, 10, u"3");
  Grid->SetCellText(4, 11, u"4");
  EXPECT_EQ(Grid->FooterWrites, 2);

  Grid->SetGridCell(6, 6, String());
  Grid->SetCellObject(6, 6, 77);
  EXPECT_EQ(Grid->GetCellObject(6, 6), 77);
  EXPECT_EQ(Grid->GetCellText(6, 6), u"") << "the empty text is kept";
  Grid->SetCellObject(6, 7, 5);
  EXPECT_EQ(Grid->GetCellText(6, 7), Text(6, 7));
}

TEST_F(TBaseGridTest, ClearingHandsObjectsOverAndFreeingTakesGraphics) {
  int freed = 0;
  TCellProperties* kept = Grid->GetCellProperties(2, 3);
  Grid->ClearColCells(2);
  EXPECT_FALSE(Grid->HasCellProperties(2, 3));
  EXPECT_EQ(Grid->GetCellText(2, 3), u"");
  EXPECT_EQ(Grid->GetCellText(3, 3), Text(3, 3));
  // The properties were handed over; whoever holds them puts them back.
  Grid->SetGridObject(4, 3, kept);
  EXPECT_EQ(Grid->GetCellProperties(4, 3), kept);

  auto* other = new TOtherGraphic;
  Grid->SetCellGraphic(1, 1, new TCellGraphic(&freed));
  Grid->SetCellGraphic(1, 2, other);
  Grid->FreeCellProperties({0, 0, 7, 11});
  EXPECT_EQ(freed, 1);
  EXPECT_FALSE(Grid->HasCellProperties(4, 3));
  delete other;  // not the grid's

  Grid->SetCellPropsCreated(false);
  Grid->GetCellProperties(1, 1);
  Grid->SetCellPropsCreated(false);
  Grid->FreeCellProperties({0, 0, 7, 11});
  EXPECT_TRUE(Grid->HasCellProperties(1, 1)) << "nothing is freed while the flag is clear";
}

TEST_F(TBaseGridTest, DeletedRowsAndColumnsTakeTheirPropertiesAlong) {
  int freed = 0;
  Grid->SetCellGraphic(2, 5, new TCellGraphic(&freed));
  Grid->GetCellProperties(3, 5);
  Grid->GetCellProperties(4, 1);
  Grid->DeleteRow(5);
  EXPECT_EQ(freed, 1);
  EXPECT_FALSE(Grid->HasCellProperties(3, 5));
  Grid->DeleteColumn(4);
  EXPECT_FALSE(Grid->HasCellProperties(4, 1));
  // LeakSanitizer reports the properties of the deleted lines if they stay behind.
}

TEST_F(TBaseGridTest, DestroyingFreesEveryPropertiesObjectHiddenColumnsIncluded) {
  int freed = 0;
  Grid->HiddenCols = 3;
  Grid->GetCellProperties(9, 2);  // hidden
  Grid->GetCellProperties(0, 0);
  Grid->SetCellGraphic(10, 11, new TCellGraphic(&freed));
  Grid->MergeCells(6, 8, 4, 2);  // across into the hidden columns
  CheckMerges(Grid);
  Grid->SetRowCount(5);  // rows past the count keep their cells
  delete Grid;
  Grid = nullptr;
  EXPECT_EQ(freed, 1);
  // LeakSanitizer reports any properties object left behind.
}

TEST_F(TBaseGridTest, ScalingScalesTheDefaultRowHeight) {
  Grid->ChangeScale(3, 2);
  EXPECT_EQ(Grid->DefaultRowHeight(), 30);
  Grid->ChangeScale(2, 2);
  EXPECT_EQ(Grid->DefaultRowHeight(), 30);
  EXPECT_EQ(Grid->TObjStringGrid::GridLineWidth(), 0);
  EXPECT_FALSE(Grid->TObjStringGrid::DefaultDrawing());
  Grid->SetDefaultDrawing(true);
  EXPECT_TRUE(Grid->DefaultDrawing());
  EXPECT_FALSE(Grid->TObjStringGrid::DefaultDrawing()) << "the class library's stays off";
}

}  // namespace
