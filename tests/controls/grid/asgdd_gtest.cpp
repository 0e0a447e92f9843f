// The grid's drag and drop between programs on a real X server: an Xvfb server started for these
// tests, another client played by the XDND peer, and the pointer and keys synthesized on the
// server (XTest) as a person's would come.
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/UiSession.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/WinApi.h"
#include "platform/win/X11BackEnd.h"
#include "tests/controls/grid/AsgddTestSupport.h"
#include "tests/support/XdndPeer.h"
#include "tests/support/XvfbServer.h"

// Xlib last: its macros (None, Bool, Status) clash with ordinary words.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace asgddtest {
namespace {

using testsupport::TXdndPeer;

constexpr uint64_t StepTimeout = 15000;

class AsgddX11 : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    // The peer's threads have connections of their own; Xlib is told so before any opens.
    XInitThreads();
    std::string xvfb = testsupport::FindProgram("Xvfb");
    if (xvfb.empty()) {
      SkipReason = "Xvfb is not installed (Debian package xvfb)";
      return;
    }
    Server = new testsupport::TXvfb;
    if (!Server->Start(xvfb, StartError)) return;
    setenv("DISPLAY", Server->DisplayName().c_str(), 1);
  }
  static void TearDownTestSuite() {
    delete Server;
    Server = nullptr;
  }

  void SetUp() override {
    if (!SkipReason.empty()) GTEST_SKIP() << SkipReason;
    ASSERT_TRUE(StartError.empty()) << StartError;
    auto backEnd = CreateDesktopBackEnd();
    X11 = dynamic_cast<TX11BackEnd*>(backEnd.get());
    ASSERT_NE(X11, nullptr);
    Session = std::make_unique<TUiSession>(std::move(backEnd));
    Test = XOpenDisplay(nullptr);
    ASSERT_NE(Test, nullptr);
    SetDragDropRTF(false);
    Application->CreateForm(Form);
    Form->SetCaption(u"Превлекување");
    Form->SetBounds(40, 40, 320, 220);
    Form->Show();
    ASSERT_TRUE(PumpUntil([&] {
      XWindowAttributes attributes;
      Window window = X11->XWindowOf(Form->Handle());
      return window && XGetWindowAttributes(Test, window, &attributes) &&
             attributes.map_state == IsViewable;
    }));
    ASSERT_EQ(RegisterDragDrop(Form->Handle(), Target.Get()), S_OK);
    for (int i = 0; i < 300; ++i) CellBytes += static_cast<char>(i * 13);
    Cells.WriteBuffer(CellBytes.data(), static_cast<int32_t>(CellBytes.size()));
  }
  void TearDown() override {
    if (Form) RevokeDragDrop(Form->Handle());
    Session.reset();
    if (Test) XCloseDisplay(Test);
  }

  template <class TCondition>
  bool PumpUntil(TCondition done) {
    uint64_t end = GetTickCount64() + StepTimeout;
    for (;;) {
      Application->ProcessMessages();
      if (done()) return true;
      if (GetTickCount64() > end) return false;
      X11->WaitForInput(X11->Now() + 20);
    }
  }
  // A point of the form's client area as the server counts it.
  std::pair<int, int> RootOf(int x, int y) {
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(Test, X11->XWindowOf(Form->Handle()), DefaultRootWindow(Test), x, y,
                          &rootX, &rootY, &child);
    return {rootX, rootY};
  }
  // The left button goes down over the form, and the program has seen it.
  void PressOverForm() {
    auto [x, y] = RootOf(30, 30);
    XTestFakeMotionEvent(Test, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(Test, 1, True, CurrentTime);
    XSync(Test, False);
    ASSERT_TRUE(PumpUntil([] { return GetKeyState(VK_LBUTTON) < 0; }));
  }
  void MoveTo(int rootX, int rootY) {
    XTestFakeMotionEvent(Test, -1, rootX, rootY, CurrentTime);
    XSync(Test, False);
  }
  void Key(KeySym sym, bool down) {
    XTestFakeKeyEvent(Test, XKeysymToKeycode(Test, sym), down ? True : False, CurrentTime);
    XSync(Test, False);
  }

  static inline std::string SkipReason;
  static inline std::string StartError;
  static inline testsupport::TXvfb* Server = nullptr;

  std::unique_ptr<TUiSession> Session;
  TX11BackEnd* X11 = nullptr;
  Display* Test = nullptr;
  TForm* Form = nullptr;
  TDragRef<TLoggingTarget> Target{new TLoggingTarget};
  TDragRef<TLoggingSource> DropSource{new TLoggingSource};
  std::string CellBytes;
  TMemoryStream Cells;
};

TEST_F(AsgddX11, FilesAndTextDraggedByAnotherClientReachTheHooks) {
  TXdndPeer peer(Server->DisplayName());
  auto [x, y] = RootOf(100, 80);
  peer.Drag({{"text/uri-list",
              "file:///home/%D0%B0%D0%BD%D0%B0/%D1%84%D0%B0%D1%98%D0%BB.txt\r\n"
              "file://localhost/tmp/b.csv\r\n"},
             {"UTF8_STRING", "Здраво"}},
            {{x, y}, {x + 10, y + 5}});
  ASSERT_TRUE(PumpUntil([&] { return peer.Done(); }));
  EXPECT_EQ(peer.Outcome, "finished XdndActionCopy");
  EXPECT_EQ(peer.Events,
            (std::vector<std::string>{"status XdndActionCopy", "status XdndActionCopy"}));
  TPoint at = Form->ClientToScreen({110, 85});
  std::string pt = " @" + std::to_string(at.X) + "," + std::to_string(at.Y);
  EXPECT_EQ(Target->Log, (std::vector<std::string>{"enter", "move allow 3", "text Здраво" + pt,
                                                   "files /home/ана/фајл.txt|/tmp/b.csv" + pt}));
}

TEST_F(AsgddX11, OurDragGivesAnotherClientTextAndCellsWhenAsked) {
  TXdndPeer peer(Server->DisplayName());
  ASSERT_TRUE(peer.ShowTarget(450, 320, 200, 150, {"UTF8_STRING", "TZozIvozedOrer Cells"}));
  PressOverForm();
  MoveTo(500, 350);
  MoveTo(520, 370);
  XTestFakeButtonEvent(Test, 1, False, CurrentTime);
  XSync(Test, False);
  DWORD effect = 0;
  HRESULT answer = StartTextDrag(DropSource.Get(), u"Ана\tМарко", u"", &Cells,
                                 DROPEFFECT_COPY | DROPEFFECT_MOVE, effect);
  EXPECT_EQ(answer, DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  ASSERT_TRUE(PumpUntil([&] { return peer.Done(); }));
  EXPECT_EQ(peer.Events, (std::vector<std::string>{"enter", "position", "drop"}));
  EXPECT_EQ(peer.Offered, (std::vector<std::string>{"UTF8_STRING", "text/plain;charset=utf-8",
                                                    "text/plain", "TZozIvozedOrer Cells"}));
  EXPECT_EQ(peer.Received["UTF8_STRING"], "Ана\tМарко");
  EXPECT_EQ(peer.Received["TZozIvozedOrer Cells"], Counted(300, CellBytes));
}

TEST_F(AsgddX11, EscapeInTheMiddleCancelsOnBothSides) {
  TXdndPeer peer(Server->DisplayName());
  ASSERT_TRUE(peer.ShowTarget(450, 320, 200, 150, {"UTF8_STRING"}));
  PressOverForm();
  MoveTo(500, 350);
  Key(XK_Escape, true);
  DWORD effect = 0;
  EXPECT_EQ(StartTextDrag(DropSource.Get(), u"a", u"", nullptr, DROPEFFECT_COPY, effect),
            DRAGDROP_S_CANCEL);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  ASSERT_TRUE(PumpUntil([&] { return peer.Done(); }));
  EXPECT_EQ(peer.Events, (std::vector<std::string>{"enter", "position", "leave"}));
  EXPECT_TRUE(peer.Received.empty());
  Key(XK_Escape, false);
  XTestFakeButtonEvent(Test, 1, False, CurrentTime);
  XSync(Test, False);
  PumpUntil([] { return GetKeyState(VK_LBUTTON) >= 0; });
}

}  // namespace
}  // namespace asgddtest
