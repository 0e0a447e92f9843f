// The grid's vocabulary and its option objects: stored ordinals, defaults, what Assign copies and
// how often each object tells its owner.
#include <gtest/gtest.h>

#include "controls/grid/GridSettings.h"
#include "platform/ui/Grids.h"

namespace {

TEST(GridVocabulary, StoredOrdinalsAndSetBits) {
  EXPECT_EQ(static_cast<int>(TEditorType::edNormal), 0);
  EXPECT_EQ(static_cast<int>(TEditorType::edNone), 27);
  EXPECT_EQ(static_cast<int>(TEditorType::edUniMemo), 32);
  EXPECT_EQ(static_cast<int>(TEditorType::edMaskEditBtn), 47);
  EXPECT_EQ(static_cast<int>(TSortStyle::ssAlphaNumericNoCase), 20);
  EXPECT_EQ(sizeof(TEditorType), 1u);
  THoverRowCells cells{THoverRowCell::hcNormal, THoverRowCell::hcSelected};
  EXPECT_EQ(cells.ToBits(), 5u);
}

TEST(GridVocabulary, KindsEditedInTheGridsOwnEditor) {
  struct Case {
    TEditorType Editor;
    bool Inplace;
  } cases[] = {{TEditorType::edNormal, true},       {TEditorType::edPassword, true},
               {TEditorType::edValidChars, true},   {TEditorType::edPositiveFloat, true},
               {TEditorType::edNone, false},        {TEditorType::edComboList, false},
               {TEditorType::edSpinEdit, false},    {TEditorType::edMaskEditBtn, false}};
  for (const Case& c : cases)
    EXPECT_EQ(IsInplaceEditorType(c.Editor), c.Inplace) << static_cast<int>(c.Editor);
}

TEST(Navigation, DefaultsAutoAdvanceAndAssign) {
  TNavigation nav;
  EXPECT_TRUE(nav.AdvanceOnEnterLoop());
  EXPECT_TRUE(nav.AllowClipboardColGrow());
  EXPECT_TRUE(nav.SkipDisabledRows());
  EXPECT_FALSE(nav.AdvanceOnEnter());
  EXPECT_EQ(nav.HomeEndKey(), THomeEndAction::heFirstLastColumn);

  nav.SetAdvanceAuto(true);
  EXPECT_TRUE(nav.AdvanceOnEnter());
  nav.SetAdvanceAuto(false);
  EXPECT_TRUE(nav.AdvanceOnEnter()) << "switching it off leaves AdvanceOnEnter";

  TNavigation source;
  source.SetTabAdvanceDirection(TAdvanceDirection::adTopBottomInCol);
  source.SetAdvanceDirection(TAdvanceDirection::adTopBottom);
  source.SetKeepScrollOnSort(true);
  source.SetAllowInsertRow(true);
  TNavigation target;
  int changes = 0;
  target.OnChange = [&](TObject*) { ++changes; };
  target.Assign(&source);
  EXPECT_EQ(target.TabAdvanceDirection(), TAdvanceDirection::adTopBottomInCol);
  EXPECT_EQ(target.AdvanceDirection(), TAdvanceDirection::adTopBottom);
  EXPECT_TRUE(target.AllowInsertRow());
  EXPECT_FALSE(target.KeepScrollOnSort());
  EXPECT_EQ(changes, 1) << "the direction changed once";
}

TEST(Navigation, NotifiesOnlyForItsTwoWatchedOptionsWhenTheyChange) {
  TNavigation nav;
  int changes = 0;
  nav.OnChange = [&](TObject*) { ++changes; };
  nav.SetAdvanceInsert(true);
  nav.SetAdvanceInsert(true);
  nav.SetAdvanceDirection(TAdvanceDirection::adLeftRight);  // unchanged
  nav.SetAdvanceDirection(TAdvanceDirection::adLeftRightInRow);
  nav.SetAllowDeleteRow(true);
  EXPECT_EQ(changes, 2);
}

TEST(MouseActions, DisjunctModesAtRunAndDesignTime) {
  TMouseActions mouse;
  mouse.SetDisjunctRowSelect(true);
  mouse.SetDisjunctColSelect(true);
  EXPECT_TRUE(mouse.DisjunctRowSelect());
  EXPECT_TRUE(mouse.DisjunctColSelect()) << "no query handler: both may be on";

  bool designing = true;
  mouse.OnQuery = [&](TObject*, bool& result) { result = designing; };
  mouse.SetDisjunctCellSelect(true);
  EXPECT_TRUE(mouse.DisjunctCellSelect());
  EXPECT_FALSE(mouse.DisjunctRowSelect());
  EXPECT_FALSE(mouse.DisjunctColSelect());
  designing = false;
  mouse.SetDisjunctRowSelect(true);
  EXPECT_TRUE(mouse.DisjunctCellSelect());
}

TEST(MouseActions, NotificationsAndAssignSubset) {
  TMouseActions mouse;
  int changes = 0, repaints = 0, editModes = 0;
  mouse.OnChange = [&](TObject*) { ++changes; };
  mouse.OnRepaint = [&](TObject*) { ++repaints; };
  mouse.OnEditModeChange = [&](TObject*) { ++editModes; };
  mouse.SetWheelAction(TWheelAction::waScroll);
  mouse.SetWheelAction(TWheelAction::waScroll);
  mouse.SetHotmailRowSelect(false);
  mouse.SetHotmailRowSelect(true);
  mouse.SetEditOnDblClickOnly(true);
  mouse.SetEditOnDblClickOnly(false);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(repaints, 2) << "every set repaints";
  EXPECT_EQ(editModes, 1);
  EXPECT_TRUE(mouse.DisjunctRowSelect());
  EXPECT_TRUE(mouse.CheckAllCheck());

  TStringList values;
  values.Add(u"Скопје");
  mouse.SetFixedComboValues(&values);
  mouse.SetSizeFixedRow(true);
  mouse.SetWheelIncrement(3);
  mouse.SetPreciseNodeClick(false);
  TMouseActions copy;
  int copyChanges = 0;
  copy.OnChange = [&](TObject*) { ++copyChanges; };
  copy.Assign(&mouse);
  EXPECT_EQ(copy.WheelAction(), TWheelAction::waScroll);
  EXPECT_EQ(copy.WheelIncrement(), 3);
  EXPECT_FALSE(copy.PreciseNodeClick());
  EXPECT_TRUE(copy.DisjunctRowSelect());
  EXPECT_FALSE(copy.HotmailRowSelect());
  EXPECT_FALSE(copy.EditOnDblClickOnly());
  EXPECT_FALSE(copy.SizeFixedRow());
  EXPECT_EQ(copy.FixedComboValues()->Count(), 0);
  EXPECT_EQ(copyChanges, 0) << "fields are copied without setters";
}

TEST(SearchFooter, DefaultTextsOnlyWhenAsked) {
  TSearchFooter fresh(nullptr, true);
  EXPECT_EQ(fresh.FindNextCaption(), u"Find &next");
  EXPECT_EQ(fresh.FindPrevCaption(), u"Find &previous");
  EXPECT_EQ(fresh.HighLightCaption(), u"Highlight");
  EXPECT_EQ(fresh.MatchCaseCaption(), u"Match case");
  EXPECT_EQ(fresh.HintClose(), u"Close");
  EXPECT_EQ(fresh.HintFindNext(), u"Find next occurrence");
  EXPECT_EQ(fresh.HintFindPrev(), u"Find previous occurrence");
  EXPECT_EQ(fresh.HintHighlight(), u"Highlight occurrences");
  EXPECT_EQ(fresh.SearchColumn(), -1);
  EXPECT_EQ(fresh.Color(), static_cast<TColor>(0x00FFFFFF));
  EXPECT_EQ(fresh.ColorTo(), clBtnFace);
  EXPECT_TRUE(fresh.AutoSearch());
  EXPECT_FALSE(fresh.Visible());
  TSearchFooter loaded(nullptr, false);
  EXPECT_TRUE(loaded.FindNextCaption().empty());
  EXPECT_TRUE(loaded.HintHighlight().empty());
}

TEST(SearchFooter, WhichSettersTellTheGrid) {
  TSearchFooter footer(nullptr, true);
  int changes = 0;
  footer.OnChange = [&](TObject*) { ++changes; };
  struct Step {
    const char* Name;
    std::function<void()> Set;
    int Expected;
  } steps[] = {
      {"colour, same value", [&] { footer.SetColor(footer.Color()); }, 1},
      {"caption, same value", [&] { footer.SetFindNextCaption(footer.FindNextCaption()); }, 1},
      {"hint", [&] { footer.SetHintClose(u"Затвори"); }, 1},
      {"show close, same value", [&] { footer.SetShowClose(true); }, 1},
      {"show find next, same value", [&] { footer.SetShowFindNext(true); }, 0},
      {"show find next, changed", [&] { footer.SetShowFindNext(false); }, 1},
      {"visible, changed", [&] { footer.SetVisible(true); }, 1},
      {"visible, same value", [&] { footer.SetVisible(true); }, 0},
      {"font", [&] { TFont font; footer.SetFont(&font); }, 1},
      {"search column", [&] { footer.SetSearchColumn(2); }, 0},
      {"auto search", [&] { footer.SetAutoSearch(false); }, 0},
  };
  for (const Step& step : steps) {
    changes = 0;
    step.Set();
    EXPECT_EQ(changes, step.Expected) << step.Name;
  }
}

TEST(SearchFooter, AssignLeavesAutoSearchAndFixedCells) {
  TSearchFooter source(nullptr, false);
  source.SetAutoSearch(false);
  source.SetSearchFixedCells(true);
  source.SetMatchCaseCaption(u"Големи букви");
  source.SetSearchDirection(TSearchDirection::sdLeftRight);
  source.SetVisible(true);
  source.Font()->SetName(u"DejaVu Sans");
  TSearchFooter target(nullptr, true);
  int changes = 0;
  target.OnChange = [&](TObject*) { ++changes; };
  target.Assign(&source);
  EXPECT_TRUE(target.AutoSearch());
  EXPECT_FALSE(target.SearchFixedCells());
  EXPECT_EQ(target.MatchCaseCaption(), u"Големи букви");
  EXPECT_TRUE(target.FindNextCaption().empty());
  EXPECT_EQ(target.SearchDirection(), TSearchDirection::sdLeftRight);
  EXPECT_TRUE(target.Visible());
  EXPECT_EQ(target.Font()->Name(), u"DejaVu Sans");
  EXPECT_EQ(changes, 0);
}

TEST(Bands, RowColoursByLengths) {
  struct Case {
    const char* Name;
    int Primary, Secondary;
    std::vector<int> Colours;  // from the first row below the fixed one: 1 primary, 2 secondary
  } cases[] = {
      {"defaults", 1, 1, {1, 2, 1, 2}},
      {"2 and 3", 2, 3, {1, 1, 2, 2, 2, 1, 1, 2}},
      {"negative primary counts as 0", -4, 1, {2, 2, 2}},
      {"0 and 0 band no row", 0, 0, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    TBands bands;
    bands.SetPrimaryColor(clYellow);
    bands.SetSecondaryColor(clAqua);
    bands.SetPrimaryLength(c.Primary);
    bands.SetSecondaryLength(c.Secondary);
    TColor colour = clNone;
    EXPECT_FALSE(bands.RowColor(0, 1, colour)) << c.Name << ": fixed row";
    for (size_t i = 0; i < c.Colours.size(); ++i) {
      colour = clNone;
      bool banded = bands.RowColor(static_cast<int>(i) + 1, 1, colour);
      int got = !banded ? 0 : colour == clYellow ? 1 : 2;
      EXPECT_EQ(got, c.Colours[i]) << c.Name << ", row " << i + 1;
    }
  }
}

TEST(Bands, NotifiesWhileActiveAndAssignsSilently) {
  TBands bands;
  int changes = 0;
  bands.OnChange = [&](TObject*) { ++changes; };
  bands.SetPrimaryColor(clRed);
  bands.SetSecondaryLength(4);
  EXPECT_EQ(changes, 0) << "inactive";
  EXPECT_EQ(bands.TotalLength(), 5);
  bands.SetActive(true);
  bands.SetActive(true);
  bands.SetPrimaryColor(clRed);
  bands.SetPrimaryColor(clGreen);
  bands.SetPrimaryLength(3);
  EXPECT_EQ(changes, 3);

  TBands copy;
  int copyChanges = 0;
  copy.OnChange = [&](TObject*) { ++copyChanges; };
  copy.Assign(&bands);
  EXPECT_TRUE(copy.Active());
  EXPECT_EQ(copy.TotalLength(), 7);
  EXPECT_EQ(copy.PrimaryColor(), clGreen);
  EXPECT_EQ(copyChanges, 0);
}

TEST(SyncAndFocus, OwnerGridIsRefusedAndAssignCopies) {
  auto* owner = reinterpret_cast<TStringGrid*>(0x1000);
  auto* other = reinterpret_cast<TStringGrid*>(0x2000);
  TSyncGrid sync(owner);
  sync.SetGrid(other);
  sync.SetGrid(owner);
  EXPECT_EQ(sync.Grid(), other);
  sync.SetMoveRow(true);
  TSyncGrid copy(other);
  copy.Assign(&sync);
  EXPECT_EQ(copy.Grid(), nullptr) << "its own grid is refused through the setter";
  EXPECT_TRUE(copy.MoveRow());

  TFocusHelper focus, focusCopy;
  focus.SetEnabled(true);
  focusCopy.Assign(&focus);
  EXPECT_TRUE(focusCopy.Enabled());
  focusCopy.Assign(&sync);  // another class: ignored
  EXPECT_TRUE(focusCopy.Enabled());
}

}  // namespace
