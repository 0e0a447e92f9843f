#include <gtest/gtest.h>

#include "platform/ui/StdCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class ScrollBarTest : public TUiTest {
 public:
  ScrollBarTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Bar = new TScrollBar(Form);
    Bar->SetKind(sbVertical);
    Bar->SetBounds(10, 10, 16, 200);
    Bar->SetParent(Form);
    Bar->SetParams(0, 0, 99);
    Bar->SetPageSize(10);
    Bar->SetLargeChange(10);
    Bar->OnScroll = [this](TObject*, TScrollCode code, int& pos) {
      Note("scroll " + std::to_string(code) + " " + std::to_string(pos));
    };
    Bar->OnChange = [this](TObject*) { Note("change " + std::to_string(Bar->Position())); };
    Form->Show();
  }
  TPoint At(int y) { return Bar->ClientToScreen({8, y}); }
  TForm* Form = nullptr;
  TScrollBar* Bar = nullptr;
};

TEST_F(ScrollBarTest, ArrowsAndTheTrackMoveByTheirStepsUpToTheLastPage) {
  Script().Then([&] { ClickAt(At(5)); });    // the up arrow at the top: nothing to move
  Script().Then([&] { ClickAt(At(195)); });  // the down arrow
  Script().Then([&] { ClickAt(At(150)); });  // the track below the thumb: a page
  Script().Then([&] { Bar->SetFocus(); });
  Script().Then([&] { Key(VK_END); });
  RunScript();
  // The last position leaves a whole page in view: 99 - 10 + 1.
  EXPECT_EQ(Bar->Position(), 90);
  EXPECT_EQ(Events, (std::vector<std::string>{"scroll 0 0", "scroll 8 0", "scroll 1 1", "change 1",
                                              "scroll 8 1", "scroll 3 11", "change 11", "scroll 8 11",
                                              "scroll 7 90", "change 90"}));
}

TEST_F(ScrollBarTest, OnScrollMayChangeWhereTheThumbGoesAndRequestsComeFromTheParent) {
  // A handler that holds the bar to even positions.
  Bar->OnScroll = [](TObject*, TScrollCode, int& pos) { pos -= pos % 2; };
  Bar->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 37));
  EXPECT_EQ(Bar->Position(), 36);
  Bar->Perform(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(Bar->Position(), 36);
  Bar->Perform(WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(Bar->Position(), 46);
  EXPECT_THROW(Bar->SetParams(0, 10, 5), EInvalidOperation);
  EXPECT_EQ(Bar->Max(), 99);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksAndEndsWithThePosition) {
  std::vector<TScrollCode> codes;
  Bar->OnScroll = [&](TObject*, TScrollCode code, int&) { codes.push_back(code); };
  Script().Then([&] {
    TRect thumb = Bar->ThumbRect();
    TPoint from = Bar->ClientToScreen(CenterOf(thumb));
    InjectMouseMove(from);
    InjectMouseButton(TMouseButtonId::Left, true, from);
    InjectMouseMove({from.X, from.Y + 1000});  // far past the end
    InjectMouseButton(TMouseButtonId::Left, false, {from.X, from.Y + 1000});
  });
  RunScript();
  EXPECT_EQ(Bar->Position(), 90);
  EXPECT_EQ(codes, (std::vector<TScrollCode>{scTrack, scPosition, scEndScroll}));
  EXPECT_EQ(Bar->ThumbRect().Bottom, Bar->ArrowRect(false).Top);
}

}  // namespace
