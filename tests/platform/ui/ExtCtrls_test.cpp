#include <gtest/gtest.h>

#include "platform/gdi/Gdi.h"
#include "platform/ui/ExtCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class PanelTest : public TUiTest {
 public:
  PanelTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Panel = new TPanel(Form);
    Panel->SetBounds(10, 10, 200, 100);
    Panel->SetParent(Form);
  }
  TForm* Form = nullptr;
  TPanel* Panel = nullptr;
};

TEST_F(PanelTest, AlignedChildrenStayInsideTheBevelsAndTheBorder) {
  auto* child = new TPanel(Panel);
  child->SetParent(Panel);
  child->SetAlign(alClient);
  Form->Show();
  struct TCase {
    TBevelCut Outer, Inner;
    int BevelWidth, BorderWidth, Frame;
  } cases[] = {
      {bvRaised, bvNone, 1, 0, 1},
      {bvNone, bvNone, 1, 0, 0},
      {bvRaised, bvLowered, 2, 3, 7},
      {bvLowered, bvSpace, 1, 4, 6},
  };
  for (const TCase& c : cases) {
    Panel->SetBevelOuter(c.Outer);
    Panel->SetBevelInner(c.Inner);
    Panel->SetBevelWidth(c.BevelWidth);
    Panel->SetBorderWidth(c.BorderWidth);
    EXPECT_EQ(child->BoundsRect(), Rect(c.Frame, c.Frame, 200 - c.Frame, 100 - c.Frame)) << c.Frame;
  }
}

TEST_F(PanelTest, ItPaintsItsFaceItsBevelAndItsCaption) {
  Panel->SetColor(clYellow);
  Panel->SetBevelOuter(bvLowered);
  Form->Show();
  RunScript();
  Panel->Repaint();
  HDC dc = GetDC(Panel->Handle());
  EXPECT_EQ(GetPixel(dc, 100, 20), RGB(255, 255, 0));  // the face
  EXPECT_EQ(GetPixel(dc, 100, 0), ColorToRGB(clBtnShadow));  // a lowered bevel: dark on top
  auto inkInMiddle = [&] {
    int ink = 0;
    for (int x = 60; x < 140; ++x)
      for (int y = 40; y < 60; ++y)
        if (GetPixel(dc, x, y) != RGB(255, 255, 0)) ++ink;
    return ink;
  };
  EXPECT_EQ(inkInMiddle(), 0);
  ReleaseDC(Panel->Handle(), dc);
  Panel->SetCaption(u"Членови");
  Panel->Repaint();
  dc = GetDC(Panel->Handle());
  EXPECT_GT(inkInMiddle(), 0);
  ReleaseDC(Panel->Handle(), dc);
}

}  // namespace
