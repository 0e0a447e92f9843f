#include <gtest/gtest.h>

#include "controls/grid/AdvUtil.h"
#include "platform/ui/StdCtrls.h"
#include "tests/controls/grid/DrawTestSupport.h"
#include "tests/support/UiTestSupport.h"

namespace {

using namespace AdvUtil;
using drawtest::Points;
using drawtest::TRecordingCanvas;

constexpr TColor kBrush = 0x00336699;
constexpr TColor kPen = 0x00112233;

// The box (10, 20) 21 x 15: centre (20, 27).
TEST(DrawCellShape, EveryShapeInItsBox) {
  struct Case {
    int shape;
    const char* call;
    std::vector<int32_t> args;
  } cases[] = {
      {0, "Rectangle", {11, 21, 30, 34}},
      {1, "Ellipse", {10, 20, 25, 35}},  // a circle: the width cut to the height
      {2, "Polygon", Points({{31, 20}, {31, 35}, {10, 27}})},
      {3, "Polygon", Points({{10, 20}, {10, 35}, {31, 27}})},
      {4, "Polygon", Points({{10, 35}, {31, 35}, {20, 20}})},
      {5, "Polygon", Points({{10, 20}, {31, 20}, {20, 35}})},
      {6, "Polygon", Points({{10, 27}, {20, 20}, {30, 27}, {20, 34}})},
      {7, "LineTo", {20, 20, 20, 35}},
      {8, "LineTo", {10, 27, 31, 27}},
      {9, "RoundRect", {10, 20, 31, 35, 10, 10}},
      {10, "Ellipse", {10, 20, 31, 35}},
      {11, "Rectangle", {11, 21, 24, 34}},
      {12, "RoundRect", {10, 20, 25, 35, 10, 10}},
      {14, "Polygon",
       Points({{10, 27}, {20, 20}, {30, 27}, {25, 27}, {25, 35}, {15, 35}, {15, 27}})},
      {15, "Polygon",
       Points({{10, 27}, {20, 35}, {30, 27}, {25, 27}, {25, 20}, {15, 20}, {15, 27}})},
      {16, "Polygon",
       Points({{10, 27}, {20, 20}, {20, 23}, {31, 23}, {31, 30}, {20, 30}, {20, 34}})},
      {17, "Polygon",
       Points({{31, 27}, {20, 20}, {20, 23}, {10, 23}, {10, 30}, {20, 30}, {20, 34}})},
  };
  for (const Case& c : cases) {
    TRecordingCanvas rc;
    DrawCellShape(&rc.Canvas, 10, 20, 21, 15, c.shape, kBrush, kPen);
    auto calls = rc.Named(c.call);
    ASSERT_EQ(calls.size(), 1u) << "shape " << c.shape << "\n" << rc.Log.Dump();
    EXPECT_EQ(calls[0].Args, c.args) << "shape " << c.shape;
    EXPECT_EQ(calls[0].PenColor, static_cast<COLORREF>(kPen)) << "shape " << c.shape;
    if (c.shape != 7 && c.shape != 8) {
      EXPECT_EQ(calls[0].BrushColor, static_cast<COLORREF>(kBrush)) << "shape " << c.shape;
    }
  }
}

TEST(DrawCellShape, TheStarAndItsLeftHalf) {
  TRecordingCanvas star;
  DrawCellShape(&star.Canvas, 0, 0, 30, 30, 13, kBrush, kPen);
  auto calls = star.Named("Polygon");
  ASSERT_EQ(calls.size(), 1u);
  const std::vector<int32_t>& p = calls[0].Args;
  ASSERT_EQ(p.size(), 20u);
  // The first corner is the top point; corners k and 10 - k mirror each other about x = 15.
  EXPECT_EQ(p[0], 15);
  EXPECT_EQ(p[1], 0);
  for (int k = 1; k < 5; ++k) {
    EXPECT_EQ(p[2 * k] + p[2 * (10 - k)], 30) << k;
    EXPECT_EQ(p[2 * k + 1], p[2 * (10 - k) + 1]) << k;
  }
  // Outer corners lie on the radius 15, inner ones on a third of it.
  for (int k = 0; k < 10; ++k) {
    const double dx = p[2 * k] - 15, dy = p[2 * k + 1] - 15;
    EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), k % 2 == 0 ? 15 : 5, 0.75) << k;
  }

  TRecordingCanvas half;
  DrawCellShape(&half.Canvas, 0, 0, 30, 30, 18, kBrush, kPen);
  auto halfCalls = half.Named("Polygon");
  ASSERT_EQ(halfCalls.size(), 1u);
  std::vector<int32_t> expected{p[0], p[1]};
  for (int k = 5; k < 10; ++k) {
    expected.push_back(p[2 * k]);
    expected.push_back(p[2 * k + 1]);
  }
  EXPECT_EQ(halfCalls[0].Args, expected);
}

TEST(DrawCellShape, NumbersBeyondTheShapesDrawNothing) {
  for (int shape : {19, 20, -1}) {
    TRecordingCanvas rc;
    DrawCellShape(&rc.Canvas, 0, 0, 20, 20, shape, kBrush, kPen);
    EXPECT_TRUE(rc.Log.Calls().empty()) << shape << "\n" << rc.Log.Dump();
  }
}

// --- The error underline --------------------------------------------------------------------

class ErrorUnderlineTest : public uitest::TUiTest {
 public:
  ErrorUnderlineTest() {
    Application->CreateForm(Form);
    Form->SetBounds(50, 50, 400, 200);
    Form->Show();
  }
  // Where a real edit of the cell's size and font puts a character.
  TPoint EditPos(const String& text, const TRect& cell, TFont* font, int index) {
    auto* edit = new TEdit(Form);
    edit->SetBounds(0, 0, cell.Width(), cell.Height());
    edit->Font()->Assign(font);
    edit->SetParent(Form);
    edit->SetText(text);
    TPoint p = edit->PosFromChar(index);
    delete edit;
    return p;
  }
  TForm* Form = nullptr;
};

TEST_F(ErrorUnderlineTest, TheZigZagRunsUnderTheRangeWhereAnEditPutsIt) {
  const String text = u"Ова е грешкка во текстот";
  const TRect cell{30, 40, 330, 62};
  struct Case {
    const char* name;
    int start, length, endIndex;
  } cases[] = {
      {"a word inside", 6, 7, 13},
      {"from the start", 0, 3, 3},
      {"up to the end", 17, 7, 24},
      {"past the end", 17, 50, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TRecordingCanvas rc(400, 120);
    rc.Canvas.Font()->SetName(u"DejaVu Sans");
    rc.Canvas.Font()->SetSize(11);
    DrawErrorUnderline(Form, &rc.Canvas, text, cell, 2, c.start, c.length);
    auto lines = rc.Named("Polyline");
    ASSERT_EQ(lines.size(), 1u) << rc.Log.Dump();
    const std::vector<int32_t>& a = lines[0].Args;
    const TPoint from = EditPos(text, cell, rc.Canvas.Font(), c.start);
    const TPoint to = EditPos(text, cell, rc.Canvas.Font(), c.endIndex);
    ASSERT_GT(to.X, from.X);
    const int y = cell.Top + from.Y + 2 + 3;
    EXPECT_EQ(a[0], cell.Left + from.X);
    EXPECT_EQ(a[1], y);
    EXPECT_EQ(a[a.size() - 2], cell.Left + to.X);
    EXPECT_EQ(lines[0].PenColor, static_cast<COLORREF>(clRed));
    // Steps of 3 pixels, alternately 3 lower and level.
    for (size_t i = 2; i + 1 < a.size(); i += 2) {
      EXPECT_LE(a[i] - a[i - 2], 3);
      EXPECT_GT(a[i] - a[i - 2], 0);
      EXPECT_EQ(a[i + 1], (i / 2) % 2 == 1 ? y + 3 : y);
    }
  }
}

TEST_F(ErrorUnderlineTest, AnEmptyOrMisplacedRangeDrawsNothing) {
  for (auto [start, length] : {std::pair{3, 0}, {-1, 2}, {40, 2}}) {
    TRecordingCanvas rc;
    DrawErrorUnderline(Form, &rc.Canvas, u"кратко", {0, 0, 100, 20}, 0, start, length);
    EXPECT_TRUE(rc.Named("Polyline").empty()) << start << "," << length;
  }
}

}  // namespace
