#include <gtest/gtest.h>

#include "platform/ui/Clipbrd.h"
#include "tests/platform/ui/GridTestSupport.h"

namespace {

using gridtest::TGridTest;

class GridEditorTest : public TGridTest {
 public:
  GridEditorTest() {
    Grid->SetOptions(Grid->Options() << goEditing);
    Grid->OnSetEditText = [this](TObject*, int col, int row, const String& value) {
      Written.push_back({col, row, value});
    };
    Grid->FocusCell(2, 3, true);
  }
  struct TWrite {
    int Col;
    int Row;
    String Value;
    bool operator==(const TWrite&) const = default;
  };
  bool EditorShows() {
    TInplaceEdit* edit = Grid->InplaceEditor();
    return edit && edit->Visible();
  }
  std::vector<TWrite> Written;
};

TEST_F(GridEditorTest, F2ShowsTheCellTextAndEnterWritesTheEditBack) {
  Run([] { Key(VK_F2); });
  ASSERT_TRUE(EditorShows());
  TInplaceEdit* edit = Grid->InplaceEditor();
  EXPECT_TRUE(Grid->EditorMode());
  EXPECT_EQ(edit->Text(), u"к2:3");
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(edit->BoundsRect(), Grid->CellRect(2, 3));
  EXPECT_EQ(edit->Grid(), Grid);

  Run([] {
    Key(VK_END);
    Type(u" љубов");
    Key(VK_RETURN);
  });
  EXPECT_FALSE(EditorShows());
  EXPECT_FALSE(Grid->EditorMode());
  EXPECT_TRUE(Grid->Focused());
  EXPECT_EQ(Grid->Cells(2, 3), u"к2:3 љубов");
  EXPECT_EQ(Written, (std::vector<TWrite>{{2, 3, u"к2:3 љубов"}}));

  // Enter again opens the editor on the same cell.
  Run([] { Key(VK_RETURN); });
  EXPECT_TRUE(EditorShows());
  EXPECT_EQ(Grid->InplaceEditor()->Text(), u"к2:3 љубов");
}

TEST_F(GridEditorTest, EscapePutsBackTheTextTheEditBeganWith) {
  Run([] {
    Key(VK_F2);
    Type(u"ново");
    Key(VK_ESCAPE);
  });
  EXPECT_FALSE(EditorShows());
  EXPECT_EQ(Grid->Cells(2, 3), u"к2:3");
  EXPECT_TRUE(Written.empty());

  // With an editor that always shows, Escape restores the text and the editor stays.
  Grid->SetOptions(Grid->Options() << goAlwaysShowEditor);
  Run([] {
    Type(u"ж");
    Key(VK_ESCAPE);
  });
  EXPECT_TRUE(EditorShows());
  EXPECT_EQ(Grid->InplaceEditor()->Text(), u"к2:3");
  EXPECT_EQ(Grid->Cells(2, 3), u"к2:3");
}

TEST_F(GridEditorTest, ATypedCharacterOpensTheEditorWithItselfAndArrowsLeaveTheCell) {
  Run([] { Type(u"Ш"); });
  ASSERT_TRUE(EditorShows());
  EXPECT_EQ(Grid->InplaceEditor()->Text(), u"Ш");
  Run([] {
    Type(u"ума");
    Key(VK_DOWN);  // the grid's key: the edit is kept and the current cell moves
  });
  EXPECT_FALSE(EditorShows());
  EXPECT_EQ(Grid->Cells(2, 3), u"Шума");
  EXPECT_EQ(Current(), (TGridCoord{2, 4}));

  // Left and Right stay in the editor: they move the caret.
  Run([] {
    Key(VK_F2);
    Key(VK_HOME);
    Key(VK_RIGHT);
    Type(u"!");
    Key(VK_RETURN);
  });
  EXPECT_EQ(Grid->Cells(2, 4), u"к!2:4");
}

TEST_F(GridEditorTest, TabAndPageKeysMoveTheEditWithGoTabsAndAlwaysShowEditor) {
  Grid->SetOptions(Grid->Options() << goTabs << goAlwaysShowEditor);
  ASSERT_TRUE(EditorShows());
  Run([] {
    Type(u"а");
    Key(VK_TAB);
    Type(u"б");
    Key(VK_NEXT);
  });
  EXPECT_EQ(Grid->Cells(2, 3), u"а");
  EXPECT_EQ(Grid->Cells(3, 3), u"б");
  EXPECT_EQ(Current(), (TGridCoord{3, 11}));
  ASSERT_TRUE(EditorShows());
  EXPECT_EQ(Grid->InplaceEditor()->Text(), u"к3:11");
  EXPECT_EQ(Grid->InplaceEditor()->BoundsRect(), Grid->CellRect(3, 11));
}

TEST_F(GridEditorTest, NoEditorWithRowSelectOrWithoutGoEditingAndAReadOnlyCellTakesNoKeys) {
  Grid->SetOptions(Grid->Options() << goRowSelect);
  Run([] {
    Key(VK_F2);
    Type(u"x");
  });
  EXPECT_FALSE(EditorShows());

  Grid->SetOptions(Grid->Options() >> goRowSelect >> goEditing);
  Run([] {
    Key(VK_F2);
    Type(u"x");
  });
  EXPECT_FALSE(EditorShows());
  EXPECT_EQ(Grid->Cells(2, 3), u"к2:3");

  Grid->SetOptions(Grid->Options() << goEditing);
  Grid->ReadOnly = true;
  Run([] {
    Key(VK_F2);
    Type(u"xyz");
    Key(VK_BACK);
    Key(VK_DELETE);
    Key(VK_RETURN);
  });
  EXPECT_EQ(Grid->Cells(2, 3), u"к2:3");
  EXPECT_TRUE(Written.empty());
}

TEST_F(GridEditorTest, ASecondClickOnTheCurrentCellOpensTheEditor) {
  Run([&] { ClickAt(AtCell(4, 4)); });
  EXPECT_EQ(Current(), (TGridCoord{4, 4}));
  EXPECT_FALSE(EditorShows());
  Run([&] { ClickAt(AtCell(4, 4)); });
  ASSERT_TRUE(EditorShows());
  EXPECT_EQ(Grid->InplaceEditor()->Text(), u"к4:4");

  // A click elsewhere ends the edit, keeping its text, and moves the current cell.
  Run([&] {
    Key(VK_END);
    Type(u"+");
  });
  Run([&] { ClickAt(AtCell(1, 2)); });
  EXPECT_FALSE(EditorShows());
  EXPECT_EQ(Grid->Cells(4, 4), u"к4:4+");
  EXPECT_EQ(Current(), (TGridCoord{1, 2}));
}

}  // namespace

namespace {

TEST_F(GridEditorTest, TheTypedTextIsKeptWhenTheFocusLeavesForAnotherControl) {
  auto* other = new uitest::TTestEdit(Form);
  other->SetParent(Form);
  other->SetBounds(350, 10, 120, 21);
  Run([] {
    Key(VK_F2);
    Type(u"Скопје");
  });
  ASSERT_TRUE(EditorShows());
  Run([&] { Click(other); });
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(Grid->Cells(2, 3), u"Скопје");
  EXPECT_EQ(Written, (std::vector<TWrite>{{2, 3, u"Скопје"}}));
}

}  // namespace

namespace {

TEST_F(GridEditorTest, PasteAndUndoWorkInTheEditorAndARefusedCellTakesNoPaste) {
  Clipboard()->SetAsText(u"Охрид");
  Run([] {
    Key(VK_F2);
    WithKey(VK_CONTROL, 'V');
  });
  ASSERT_TRUE(EditorShows());
  EXPECT_EQ(Grid->InplaceEditor()->Text(), u"Охрид");
  Run([] { WithKey(VK_CONTROL, 'Z'); });
  EXPECT_EQ(Grid->InplaceEditor()->Text(), u"к2:3");
  Run([] { WithKey(VK_CONTROL, 'C'); });  // copying changes nothing, whatever the cell allows
  EXPECT_EQ(Clipboard()->AsText(), u"к2:3");
  Run([] { Key(VK_RETURN); });
  EXPECT_EQ(Grid->Cells(2, 3), u"к2:3");

  Written.clear();
  Grid->ReadOnly = true;
  Run([] {
    Key(VK_F2);
    WithKey(VK_CONTROL, 'V');
    WithKey(VK_CONTROL, 'X');
    Key(VK_RETURN);
  });
  EXPECT_EQ(Grid->Cells(2, 3), u"к2:3");
  EXPECT_TRUE(Written.empty());
}

}  // namespace
