#include <gtest/gtest.h>

#include "platform/rtl/NumberText.h"
#include "platform/ui/StdCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class ScrollBarMemoTest : public TUiTest {
 public:
  ScrollBarMemoTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 500, 400);
    Memo = new TMemo(Form);
    Memo->SetBounds(10, 10, 240, 120);
    Memo->SetScrollBars(ssVertical);
    Memo->SetParent(Form);
    String text;
    for (int i = 0; i < 30; ++i) text += u"Ред " + IntToStr(i) + u"\r\n";
    Memo->SetText(text);
    Form->Show();
  }
  // A point on the memo's vertical bar, which lies right of its client area, `fromBottom`
  // pixels above the bar's end.
  TPoint OnBar(int fromBottom) {
    int x = Memo->ClientWidth() + GetSystemMetrics(SM_CXVSCROLL) / 2;
    return Memo->ClientToScreen({x, Memo->ClientHeight() - fromBottom});
  }
  int FirstLine() { return static_cast<int>(Memo->Perform(EM_GETFIRSTVISIBLELINE)); }

  TForm* Form = nullptr;
  TMemo* Memo = nullptr;
};

TEST_F(ScrollBarMemoTest, ClickingTheArrowAndTheTrackScrollsTheText) {
  ASSERT_EQ(FirstLine(), 0);
  SCROLLINFO info;
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(Memo->Handle(), SB_VERT, &info));
  int page = static_cast<int>(info.nPage);
  ASSERT_GT(page, 1);
  ASSERT_LT(page, 20);
  int arrow = GetSystemMetrics(SM_CXVSCROLL);

  Script().Then([&] { ClickAt(OnBar(arrow / 2)); });  // the down arrow
  RunScript();
  EXPECT_EQ(FirstLine(), 1);
  EXPECT_EQ(GetScrollPos(Memo->Handle(), SB_VERT), 1);

  Script().Then([&] { ClickAt(OnBar(arrow + 3)); });  // the track just above that arrow
  RunScript();
  EXPECT_EQ(FirstLine(), 1 + page);
  EXPECT_EQ(GetScrollPos(Memo->Handle(), SB_VERT), 1 + page);

  Script().Then([&] { ClickAt(OnBar(Memo->ClientHeight() - arrow / 2)); });  // the up arrow
  RunScript();
  EXPECT_EQ(FirstLine(), page);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
