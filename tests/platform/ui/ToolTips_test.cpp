#include <gtest/gtest.h>

#include "platform/rtl/NumberText.h"
#include "platform/ui/HintWindow.h"
#include "platform/ui/ToolTips.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

// A control that answers the tooltip's questions as a grid does: the text of the place under the
// pointer, with its title and colours set while it answers.
class TTipped : public TCustomControl {
 public:
  explicit TTipped(TComponent* owner) : TCustomControl(owner) {}
  String Answer = u"Членарина\tза 2026";
  std::vector<std::string>* Log = nullptr;
  HWND ToolTip = nullptr;

 protected:
  void Dispatch(TMessage& message) override {
    if (message.Msg == WM_NOTIFY) {
      auto* header = reinterpret_cast<NMHDR*>(message.LParam);
      if (header->code == TTN_GETDISPINFO) {
        auto* info = reinterpret_cast<NMTTDISPINFO*>(message.LParam);
        info->lpszText = Answer.data();
        SendMessage(ToolTip, TTM_SETMAXTIPWIDTH, 0, 300);
        SendMessage(ToolTip, TTM_SETTIPTEXTCOLOR, RGB(0, 0, 128), 0);
        SendMessage(ToolTip, TTM_SETTITLE, 1, reinterpret_cast<LPARAM>(u"Ќелија"));
        Log->push_back("text");
      } else if (header->code == TTN_SHOW) {
        Log->push_back("show");
      } else if (header->code == TTN_POP) {
        Log->push_back("pop");
      }
      return;
    }
    TCustomControl::Dispatch(message);
  }
};

class ToolTipsTest : public TUiTest {
 public:
  ToolTipsTest() {
    InitCommonControls();
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Tipped = new TTipped(Form);
    Tipped->SetParent(Form);
    Tipped->SetBounds(10, 10, 200, 100);
    Tipped->Log = &Events;
    Form->Show();
    Tip = CreateWindowEx(0, TOOLTIPS_CLASS, String(), TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Tipped->Handle(), nullptr, HInstance, nullptr);
    Tipped->ToolTip = Tip;
    SetWindowPos(Tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TOOLINFO tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Tipped->Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(Tipped->Handle());
    tool.rect = Tipped->ClientRect();
    tool.hinst = HInstance;
    tool.lpszText = LPSTR_TEXTCALLBACK;
    Added = SendMessage(Tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessage(Tip, TTM_SETDELAYTIME, TTDT_INITIAL, 300);
    SendMessage(Tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 1000);
  }
  bool Shown() const { return ToolTipView(Tip)->Shown && IsWindowVisible(Tip); }

  TForm* Form = nullptr;
  TTipped* Tipped = nullptr;
  HWND Tip = nullptr;
  LRESULT Added = 0;
};

TEST_F(ToolTipsTest, ShowsAfterTheInitialDelayAndHidesAfterAutoPopOrLeaving) {
  ASSERT_NE(Tip, nullptr);
  EXPECT_EQ(Added, 1);
  EXPECT_EQ(SendMessage(Tip, TTM_GETTOOLCOUNT), 1);
  TPoint inside = Tipped->ClientToScreen({50, 40});
  Script().Then([&] { InjectMouseMove(inside); });
  Script().AdvanceBy(299);
  Script().Then([&] { EXPECT_FALSE(Shown()); });
  Script().AdvanceBy(1);
  Script().Then([&] {
    ASSERT_TRUE(Shown());
    const TToolTipView* view = ToolTipView(Tip);
    EXPECT_EQ(view->Text, u"Членарина\tза 2026");
    EXPECT_EQ(view->Title, u"Ќелија");
    EXPECT_EQ(view->Icon, TTI_INFO);
    EXPECT_EQ(view->TextColor, RGB(0, 0, 128));
    EXPECT_EQ(view->MaxWidth, 300);
    EXPECT_TRUE(view->Balloon);
    // Below the pointer, inside the work area.
    TRect r;
    GetWindowRect(Tip, &r);
    EXPECT_GT(r.Top, inside.Y);
    // Moving within the tool keeps it.
    InjectMouseMove({inside.X + 3, inside.Y});
  });
  Script().AdvanceBy(999);
  Script().Then([&] { EXPECT_TRUE(Shown()); });
  Script().AdvanceBy(1);
  Script().Then([&] {
    EXPECT_FALSE(Shown());
    // Moving again shows it after the shorter reshow delay.
    InjectMouseMove({inside.X + 10, inside.Y});
  });
  Script().AdvanceBy(SendMessage(Tip, TTM_GETDELAYTIME, TTDT_RESHOW));
  Script().Then([&] {
    EXPECT_TRUE(Shown());
    // Leaving the tool's window takes the tip down at once.
    InjectMouseMove(Form->ClientToScreen({300, 250}));
  });
  Script().Then([&] { EXPECT_FALSE(Shown()); });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"text", "show", "pop", "text", "show", "pop"}));
}

TEST_F(ToolTipsTest, TakenDownOnRequestAndSafeWhicheverWindowGoesFirst) {
  TPoint inside = Tipped->ClientToScreen({50, 40});
  Script().Then([&] { InjectMouseMove(inside); });
  Script().AdvanceBy(300);
  Script().Then([&] {
    ASSERT_TRUE(Shown());
    SendMessage(Tip, TTM_TRACKACTIVATE, 0, 0);
    EXPECT_FALSE(Shown());
  });
  // Without text there is no tip.
  Script().Then([&] {
    Tipped->Answer.clear();
    InjectMouseMove({inside.X + 5, inside.Y + 5});
  });
  Script().AdvanceBy(1000);
  Script().Then([&] { EXPECT_FALSE(Shown()); });
  RunScript();
  // The tooltip destroyed first gives the control its own window procedure back.
  WNDPROC subclassed = reinterpret_cast<WNDPROC>(GetWindowLongPtr(Tipped->Handle(), GWLP_WNDPROC));
  DestroyWindow(Tip);
  EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtr(Tipped->Handle(), GWLP_WNDPROC)), subclassed);
  Script().Then([&] { InjectMouseMove({inside.X + 1, inside.Y + 1}); });
  RunScript();

  // A tool window destroyed first leaves the tooltip without the tool.
  Tip = CreateWindowEx(0, TOOLTIPS_CLASS, String(), TTS_ALWAYSTIP, 0, 0, 0, 0, Form->Handle(), nullptr, HInstance,
                       nullptr);
  TOOLINFO tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Form->Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(Tipped->Handle());
  char16_t text[] = u"текст";
  tool.lpszText = text;
  ASSERT_EQ(SendMessage(Tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&tool)), 1);
  Tipped->Free();
  EXPECT_EQ(SendMessage(Tip, TTM_GETTOOLCOUNT), 0);
  DestroyWindow(Tip);
}

// The application's hints: shown after the pause, with what CM_HINTSHOW leaves in the hint
// information, hidden after the hide pause or by CancelHint.
class THinted : public TCustomControl {
 public:
  explicit THinted(TComponent* owner) : TCustomControl(owner) {}
  bool Refuse = false;

 protected:
  void Dispatch(TMessage& message) override {
    if (message.Msg == CM_HINTSHOW) {
      auto* info = reinterpret_cast<THintInfo*>(message.LParam);
      info->HintStr += u" (" + IntToStr(info->CursorPos.X) + u")";
      info->HideTimeout = 700;
      message.Result = Refuse ? 1 : 0;
      return;
    }
    TCustomControl::Dispatch(message);
  }
};

TEST_F(ToolTipsTest, HintsFollowTheirInformationAndCancelHint) {
  auto* hinted = new THinted(Form);
  hinted->SetParent(Form);
  hinted->SetBounds(10, 150, 100, 40);
  hinted->SetHint(u"Краток|Долг опис");
  hinted->SetShowHint(true);
  auto hint = [] { return Application->HintWindow(); };
  auto showing = [&] { return hint() && hint()->Active() && IsWindowVisible(hint()->Handle()); };
  Script().Then([&] { InjectMouseMove(hinted->ClientToScreen({20, 10})); });
  Script().AdvanceBy(Application->HintPause);
  Script().Then([&] {
    ASSERT_TRUE(showing());
    EXPECT_EQ(hint()->Caption(), u"Краток (20)");
  });
  Script().AdvanceBy(700);
  Script().Then([&] {
    EXPECT_FALSE(showing());
    // CancelHint forgets the control: the next move over it waits the pause again.
    Application->CancelHint();
    InjectMouseMove(hinted->ClientToScreen({30, 10}));
  });
  Script().AdvanceBy(Application->HintPause);
  Script().Then([&] {
    ASSERT_TRUE(showing());
    Application->CancelHint();
    EXPECT_FALSE(showing());
    EXPECT_EQ(Application->HintControl(), nullptr);
    hinted->Refuse = true;
    InjectMouseMove(hinted->ClientToScreen({40, 10}));
  });
  Script().AdvanceBy(Application->HintPause);
  Script().Then([&] { EXPECT_FALSE(showing()); });
  RunScript();
  EXPECT_EQ(GetShortHint(u"а|б"), u"а");
  EXPECT_EQ(GetLongHint(u"а|б"), u"б");
  EXPECT_EQ(GetLongHint(u"само"), u"само");
}

}  // namespace
