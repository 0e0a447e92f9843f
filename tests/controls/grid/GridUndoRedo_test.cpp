// The undo and redo recorder on a base grid.
#include "tests/controls/grid/BaseGridTestSupport.h"

#include "controls/grid/GridUndoRedo.h"
#include "controls/grid/asgcheck.h"

using namespace basegridtest;

namespace {

class UndoRedoTest : public TBaseGridTest {
 public:
  UndoRedoTest() {
    Recorder = new TAdvGridUndoRedo(Form);
    Grid->SetUndoRedo(Recorder);
    Recorder->OnUndo = [this](TObject*, TBaseGrid* grid, int c, int r, const String& orig,
                              const String& now) {
      EXPECT_EQ(grid, Grid);
      Events.push_back("undo " + Cell(c, r) + " " + UTF8Encode(orig) + "<" + UTF8Encode(now));
    };
    Recorder->OnRedo = [this](TObject*, TBaseGrid*, int c, int r, const String& orig,
                              const String& now) {
      Events.push_back("redo " + Cell(c, r) + " " + UTF8Encode(orig) + ">" + UTF8Encode(now));
    };
  }
  static std::string Cell(int c, int r) { return std::to_string(c) + "," + std::to_string(r); }
  // Writes a cell the way the string grid does: the change is reported, then stored.
  void Edit(int c, int r, const String& text) {
    Recorder->RegisterChange({c, r, Grid->GetCellText(c, r), text});
    Grid->SetCellText(c, r, text);
  }
  TAdvGridUndoRedo* Recorder = nullptr;
  std::vector<std::string> Events;
};

TEST_F(UndoRedoTest, EvictionByMaxLevel) {
  struct Case {
    int MaxLevel;
    int Changes;
    int Kept;
  } cases[] = {{3, 5, 3}, {0, 5, 5}, {-1, 4, 4}, {1, 2, 1}};
  for (const Case& c : cases) {
    auto* recorder = new TAdvGridUndoRedo(Form);
    recorder->SetMaxLevel(c.MaxLevel);
    for (int i = 0; i < c.Changes; ++i)
      recorder->RegisterChange({1, i, u"", ::UTF8ToString(std::to_string(i))});
    EXPECT_EQ(recorder->Steps()->Count(), c.Kept) << c.MaxLevel;
    EXPECT_EQ(recorder->Level(), c.Kept) << c.MaxLevel;
    EXPECT_EQ(recorder->Steps()->Items(c.Kept - 1)->Row, c.Changes - 1);
    delete recorder;
  }
}

TEST_F(UndoRedoTest, ASequenceIsOneStepBothWays) {
  Edit(1, 1, u"а");
  Recorder->StartSequence();
  for (int c = 1; c <= 4; ++c) Edit(c, 2, u"");  // a cut of four cells
  Recorder->StopSequence();
  EXPECT_EQ(Recorder->Steps()->Count(), 7);
  TUndoRedoItem* cut = Recorder->Steps()->Items(2);
  EXPECT_EQ(cut->OrigValue, Text(1, 2));
  EXPECT_EQ(cut->Value, u"");
  EXPECT_EQ(Recorder->Steps()->Items(6)->Col, -1);
  EXPECT_TRUE(Recorder->Steps()->Items(6)->SequenceStop);

  ASSERT_TRUE(Recorder->Undo());
  for (int c = 1; c <= 4; ++c) EXPECT_EQ(Grid->GetCellText(c, 2), Text(c, 2));
  EXPECT_EQ(Grid->GetCellText(1, 1), u"а");
  EXPECT_EQ(Events.size(), 4u);
  EXPECT_EQ(Events.front(), "undo 4,2 " + UTF8Encode(Text(4, 2)) + "<") << "last first";
  ASSERT_TRUE(Recorder->Undo());
  EXPECT_EQ(Grid->GetCellText(1, 1), Text(1, 1));
  EXPECT_FALSE(Recorder->Undo());

  Events.clear();
  ASSERT_TRUE(Recorder->Redo());
  EXPECT_EQ(Grid->GetCellText(1, 1), u"а");
  ASSERT_TRUE(Recorder->Redo());
  EXPECT_EQ(Grid->GetCellText(3, 2), u"");
  EXPECT_EQ(Events.size(), 5u);
  EXPECT_EQ(Events.back(), "redo 4,2 " + UTF8Encode(Text(4, 2)) + ">");
  EXPECT_FALSE(Recorder->Redo());
}

TEST_F(UndoRedoTest, RecordingAfterUndoDropsTheLaterSteps) {
  Edit(2, 2, u"1");
  Edit(2, 2, u"2");
  Edit(2, 2, u"3");
  Recorder->Undo();
  Recorder->Undo();
  EXPECT_EQ(Grid->GetCellText(2, 2), u"1");
  Edit(3, 3, u"ново");
  EXPECT_EQ(Recorder->Steps()->Count(), 2);
  EXPECT_EQ(Recorder->Level(), 2);
  EXPECT_FALSE(Recorder->Redo());
  Recorder->Undo();
  Recorder->Undo();
  EXPECT_EQ(Grid->GetCellText(2, 2), Text(2, 2));
  EXPECT_EQ(Grid->GetCellText(3, 3), Text(3, 3));
}

TEST_F(UndoRedoTest, MaxLevelEvictsWholeSequences) {
  Recorder->SetMaxLevel(4);
  Recorder->StartSequence();
  Edit(1, 1, u"x");
  Edit(1, 2, u"y");
  Recorder->StopSequence();  // four items
  Edit(5, 5, u"z");          // evicts the whole sequence, not only its opening marker
  EXPECT_EQ(Recorder->Steps()->Count(), 1);
  EXPECT_FALSE(Recorder->Steps()->Items(0)->IsMarker());
  // A sequence still being recorded is not cut.
  Recorder->StartSequence();
  for (int r = 1; r <= 5; ++r) Edit(6, r, u"w");
  EXPECT_TRUE(Recorder->Steps()->Items(0)->SequenceStart);
  Recorder->StopSequence();
  ASSERT_TRUE(Recorder->Undo());
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(Grid->GetCellText(6, r), Text(6, r));
}

TEST_F(UndoRedoTest, AnEmptySequenceIsPassedOver) {
  Edit(4, 4, u"прво");
  Recorder->StartSequence();
  Recorder->StopSequence();  // a cut of nothing
  Recorder->StartSequence();  // still open, nothing in it
  ASSERT_TRUE(Recorder->Undo());
  EXPECT_EQ(Grid->GetCellText(4, 4), Text(4, 4)) << "the undo reached a real change";
  EXPECT_EQ(Recorder->Position(), 0);
  ASSERT_TRUE(Recorder->Redo());
  EXPECT_EQ(Grid->GetCellText(4, 4), u"прво");
  EXPECT_EQ(Recorder->Position(), 1);
}

TEST_F(UndoRedoTest, GridAndRecorderForgetEachOther) {
  EXPECT_EQ(Recorder->Grid(), Grid);
  delete Grid;
  Grid = nullptr;
  EXPECT_EQ(Recorder->Grid(), nullptr);
  EXPECT_FALSE(Recorder->Undo());

  auto* grid = new TTestBaseGrid(Form);
  auto* recorder = new TAdvGridUndoRedo(Form);
  grid->SetUndoRedo(recorder);
  delete recorder;
  EXPECT_EQ(grid->UndoRedo(), nullptr);
}

TEST_F(UndoRedoTest, ThePlainCheckerKeepsTheText) {
  TZozIvozedOrerCheck checker(nullptr);
  checker.SetAutoCorrect(true);
  checker.SetAutoMarkError(true);
  EXPECT_FALSE(checker.GotoCell());
  EXPECT_FALSE(checker.UseCorrect());
  String typed = u"  Штип, 12 ";
  EXPECT_EQ(checker.MarkError(1, 1, checker.Correct(1, 1, typed)), typed);
}

}  // namespace
