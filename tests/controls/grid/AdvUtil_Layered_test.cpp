#include <gtest/gtest.h>

#include "controls/grid/AdvUtil.h"
#include "platform/win/HeadlessBackEnd.h"
#include "platform/win/WinApi.h"
#include "tests/support/UiTestSupport.h"

namespace {

using namespace AdvUtil;

class LayeredCallsTest : public uitest::TUiTest {};

// The wrappers answer what the window layer answers, failures included.
TEST_F(LayeredCallsTest, TheCallsAnswerTheWindowLayersResult) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetBounds(10, 10, 60, 40);
  form->Show();
  HWND window = form->Handle();
  EXPECT_FALSE(CallSetLayeredWindowAttributes(window, 0, 100, LWA_ALPHA)) << "not layered yet";

  SetWindowLongPtr(window, GWL_EXSTYLE, GetWindowLongPtr(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  EXPECT_TRUE(CallSetLayeredWindowAttributes(window, 0, 100, LWA_ALPHA));
  EXPECT_EQ(Script().ShownPixel(window, 5, 5) >> 24, 100u);
  // With attributes set, an update is refused, and the wrapper says so.
  BLENDFUNCTION blend;
  EXPECT_FALSE(CallUpdateLayeredWindow(window, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                                       &blend, ULW_ALPHA));

  SetWindowLongPtr(window, GWL_EXSTYLE, GetWindowLongPtr(window, GWL_EXSTYLE) & ~WS_EX_LAYERED);
  SetWindowLongPtr(window, GWL_EXSTYLE, GetWindowLongPtr(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  TPoint at{30, 40};
  EXPECT_TRUE(CallUpdateLayeredWindow(window, nullptr, &at, nullptr, nullptr, nullptr, 0, &blend,
                                      ULW_ALPHA));
  EXPECT_EQ(form->Left(), 30);
  EXPECT_EQ(form->Top(), 40);
}

}  // namespace
