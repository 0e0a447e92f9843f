#include <gtest/gtest.h>

#include "platform/ui/ComCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class TrackBarTest : public TUiTest {
 public:
  TrackBarTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Bar = new TTrackBar(Form);
    Bar->SetBounds(10, 10, 224, 45);
    Bar->SetParent(Form);
    Bar->SetRange(0, 20);
    Bar->SetPageSize(5);
    Bar->OnChange = [this](TObject*) { Note(std::to_string(Bar->Position())); };
    Form->Show();
  }
  TForm* Form = nullptr;
  TTrackBar* Bar = nullptr;
};

TEST_F(TrackBarTest, KeysAndClicksBesideTheThumbMoveItWithinTheRange) {
  Script().Then([&] { Click(Bar); });  // right of the thumb at 0: a page on
  Script().Then([&] {
    Key(VK_RIGHT);
    Key(VK_NEXT);
    Key(VK_END);
    Key(VK_RIGHT);  // at Max: no change, no event
    Key(VK_HOME);
    Key(VK_LEFT);
  });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"5", "6", "11", "20", "0"}));
  Bar->SetPosition(50);
  EXPECT_EQ(Bar->Position(), 20);
  Bar->SetMax(10);  // the position follows a smaller range
  EXPECT_EQ(Bar->Position(), 10);
}

TEST_F(TrackBarTest, DraggingTheThumbFollowsTheMouse) {
  Bar->SetPosition(0);
  Events.clear();
  Script().Then([&] {
    TPoint thumb = Bar->ClientToScreen(CenterOf(Bar->ThumbRect()));
    InjectMouseMove(thumb);
    InjectMouseButton(TMouseButtonId::Left, true, thumb);
    // The channel is 200 pixels for 20 steps: 100 pixels is 10 steps.
    InjectMouseMove({thumb.X + 100, thumb.Y + 30});
    InjectMouseMove({thumb.X + 500, thumb.Y});
    InjectMouseButton(TMouseButtonId::Left, false, {thumb.X + 500, thumb.Y});
  });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"10", "20"}));
  EXPECT_EQ(Bar->ThumbRect().Left, Bar->Width() - 12 - 5);
}

}  // namespace
