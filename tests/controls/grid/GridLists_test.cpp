// The integer lists, the control list and the line reader of the grid.
#include <gtest/gtest.h>

#include "controls/grid/GridLists.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/Exceptions.h"

#include <cstdio>

using namespace AdvUtil;

namespace {

TEST(IntList, WhichOperationsReportTheirCell) {
  TIntList list(3, 7);
  std::vector<std::pair<int, int>> reports;
  list.OnChange = [&](TObject*, int col, int row) { reports.push_back({col, row}); };
  struct Step {
    const char* Name;
    std::function<void()> Run;
    bool Reports;
  } steps[] = {
      {"add", [&] { list.Add(5); }, true},
      {"insert", [&] { list.Insert(0, 9); }, false},
      {"write", [&] { list.SetInteger(1, 6); }, true},
      {"delete", [&] { list.Delete(0); }, true},
      {"delete a missing value", [&] { list.DeleteValue(42); }, false},
      {"delete a value", [&] { list.DeleteValue(6); }, true},
  };
  for (const Step& step : steps) {
    reports.clear();
    step.Run();
    EXPECT_EQ(reports.size(), step.Reports ? 1u : 0u) << step.Name;
    if (!reports.empty()) {
      EXPECT_EQ(reports[0], std::make_pair(3, 7)) << step.Name;
    }
  }
  EXPECT_EQ(list.Count(), 0);
}

TEST(IntList, CommaTextRoundTrip) {
  TIntList list(0, 0);
  for (int v : {1, -2, 30}) list.Add(v);
  EXPECT_EQ(list.GetCommaText(), u"1,-2,30");
  TIntList copy(0, 0);
  copy.Add(99);
  int changes = 0;
  copy.OnChange = [&](TObject*, int, int) { ++changes; };
  copy.SetCommaText(list.GetCommaText());
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(copy.GetCommaText(), u"1,-2,30");
  EXPECT_TRUE(copy.HasValue(-2));
  EXPECT_FALSE(copy.HasValue(99));
  copy.SetCommaText(u"");
  EXPECT_EQ(copy.Count(), 0);
  EXPECT_EQ(copy.GetCommaText(), u"");
}

TEST(IntList, BadCommaTextChangesNothing) {
  TIntList list(0, 0);
  list.Add(4);
  int changes = 0;
  list.OnChange = [&](TObject*, int, int) { ++changes; };
  EXPECT_THROW(list.SetCommaText(u"1,два,3"), EConvertError);
  EXPECT_EQ(list.GetCommaText(), u"4");
  EXPECT_EQ(changes, 0);
}

TEST(SortIndexList, DescendingBitAndToggle) {
  TSortIndexList list;
  list.AddIndex(5, true);
  list.AddIndex(3, false);
  EXPECT_EQ(static_cast<uint32_t>(list.Items(1)), 0x80000003u);
  EXPECT_EQ(list.FindIndex(3), 1);
  EXPECT_EQ(list.FindIndex(4), -1);
  EXPECT_EQ(list.GetSortColumn(1), 3);
  EXPECT_FALSE(list.IsAscending(1));
  int changes = 0;
  list.OnChange = [&](TObject*, int, int) { ++changes; };
  list.ToggleDirection(3);
  EXPECT_EQ(list.Items(1), 3);
  list.ToggleDirection(5);
  EXPECT_EQ(static_cast<uint32_t>(list.Items(0)), 0x80000005u);
  list.ToggleDirection(8);
  EXPECT_EQ(changes, 2);
}

TEST(ControlListAndLineReader, ItemsAndReading) {
  {
    TControlList controls;
    auto* control = reinterpret_cast<TControl*>(0x10);
    controls.AddControl(2, 4, control);
    controls.AddControl(1, 1, nullptr);
    ASSERT_EQ(controls.Count(), 2);
    EXPECT_EQ(controls.GetItem(0)->X, 2);
    EXPECT_EQ(controls.GetItem(0)->Y, 4);
    EXPECT_EQ(controls.GetItem(0)->Control, control);
  }  // items freed (LeakSanitizer), controls left alone

  TFileStringList lines;
  lines.Add(u"прв");
  lines.Add(u"втор");
  std::vector<String> read;
  while (!lines.Eof()) read.push_back(lines.ReadLine());
  EXPECT_EQ(read, (std::vector<String>{u"прв", u"втор"}));
  lines.Reset();
  EXPECT_EQ(lines.ReadLine(), u"прв");
}

TEST(FilePicture, SizeFromTheFileAndDrawnFromItAgain) {
  std::string path = testing::TempDir() + "cell-picture.bmp";
  String file(path.begin(), path.end());
  {
    TBitmap bmp(7, 5);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(Rect(0, 0, 7, 5));
    bmp.SaveToFile(file);
  }
  TFilePicture picture;
  picture.SetFilename(file);
  EXPECT_EQ(picture.Width(), 7);
  EXPECT_EQ(picture.Height(), 5);
  TBitmap target(20, 20);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(Rect(0, 0, 20, 20));
  picture.Draw(target.Canvas(), Rect(2, 2, 16, 12));
  EXPECT_EQ(target.Canvas()->Pixels(10, 8), clRed) << "stretched into the rectangle";
  EXPECT_EQ(target.Canvas()->Pixels(17, 17), clWhite);
  std::remove(path.c_str());
  EXPECT_ANY_THROW(picture.Draw(target.Canvas(), Rect(0, 0, 5, 5))) << "read again on every draw";
}

TEST(FilePicture, MissingFileFailsAndAssignCopiesWithoutLoading) {
  TFilePicture picture;
  EXPECT_ANY_THROW(picture.SetFilename(u"/nonexistent/picture.bmp"));
  TFilePicture copy;
  copy.Assign(&picture);
  EXPECT_EQ(copy.Filename(), u"/nonexistent/picture.bmp");
  EXPECT_EQ(copy.Width(), 0);
}

}  // namespace
