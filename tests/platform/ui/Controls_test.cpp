#include <gtest/gtest.h>

#include "platform/gdi/DrawingLog.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/HintWindow.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TTestEdit;
using uitest::TUiTest;

class TTestPanel : public TCustomControl {
 public:
  explicit TTestPanel(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() << csAcceptsControls);
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

// A graphic control that fills itself with its colour.
class TTestShape : public TGraphicControl {
 public:
  explicit TTestShape(TComponent* owner) : TGraphicControl(owner) {}
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

template <class T>
T* Make(TWinControl* parent, TRect bounds, TAlign align = alNone) {
  auto* control = new T(parent);
  control->SetBoundsRect(bounds);
  control->SetAlign(align);
  control->SetParent(parent);
  return control;
}

class ControlsTest : public TUiTest {
 public:
  ControlsTest() {
    Application->CreateForm(Form);
    Form->SetBorderStyle(bsSizeable);
    Form->SetBounds(100, 100, 400, 300);
  }
  TForm* Form = nullptr;
};

TEST_F(ControlsTest, AlignedControlsFillTheClientAreaInTheirOrder) {
  auto* top = Make<TTestPanel>(Form, Bounds(0, 0, 10, 30), alTop);
  auto* bottom = Make<TTestPanel>(Form, Bounds(0, 0, 10, 20), alBottom);
  auto* left = Make<TTestPanel>(Form, Bounds(0, 0, 50, 10), alLeft);
  auto* client = Make<TTestPanel>(Form, Bounds(0, 0, 10, 10), alClient);
  auto* right = Make<TTestShape>(Form, Bounds(0, 0, 40, 10), alRight);
  Form->Show();
  int w = Form->ClientWidth(), h = Form->ClientHeight();
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, w, 30));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, h - 20, w, h));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 50, h - 20));
  EXPECT_EQ(right->BoundsRect(), Rect(w - 40, 30, w, h - 20));
  EXPECT_EQ(client->BoundsRect(), Rect(50, 30, w - 40, h - 20));
  // Resizing the form lays them out again; hiding one gives its room to the others.
  Form->SetBounds(100, 100, 500, 350);
  top->SetVisible(false);
  w = Form->ClientWidth(), h = Form->ClientHeight();
  EXPECT_EQ(client->BoundsRect(), Rect(50, 0, w - 40, h - 20));
  EXPECT_EQ(client->ClientWidth(), w - 90);
}

TEST_F(ControlsTest, AnchoredControlsKeepTheirDistancesToTheirEdges) {
  struct TCase {
    const char* Name;
    TAnchors Anchors;
    TRect After;  // for a control at (300, 200, 60 x 20) when the client grows by (100, 50)
  } cases[] = {
      {"left and top stay put", {akLeft, akTop}, Bounds(300, 200, 60, 20)},
      {"right and bottom move", {akRight, akBottom}, Bounds(400, 250, 60, 20)},
      {"left and right stretch", {akLeft, akRight, akTop}, Bounds(300, 200, 160, 20)},
      {"all four stretch both ways", {akLeft, akRight, akTop, akBottom}, Bounds(300, 200, 160, 70)},
      {"none keeps the centre", {}, Bounds(350, 225, 60, 20)},
  };
  Form->Show();
  for (const TCase& c : cases) {
    Form->SetBounds(100, 100, 400, 300);
    auto* control = Make<TTestPanel>(Form, Bounds(300, 200, 60, 20));
    control->SetAnchors(c.Anchors);
    Form->SetBounds(100, 100, 500, 350);
    EXPECT_EQ(control->BoundsRect(), c.After) << c.Name;
    // Back to the first size: back to the first place, with no drift.
    Form->SetBounds(100, 100, 400, 300);
    EXPECT_EQ(control->BoundsRect(), Bounds(300, 200, 60, 20)) << c.Name;
    control->Free();
  }
}

TEST_F(ControlsTest, FontAndColourFollowTheParentUntilSetOnTheControl) {
  auto* panel = Make<TTestPanel>(Form, Bounds(0, 0, 100, 100));
  auto* shape = Make<TTestShape>(panel, Bounds(0, 0, 10, 10));
  EXPECT_TRUE(shape->ParentFont());
  Form->Font()->SetName(u"DejaVu Sans");
  Form->Font()->SetSize(12);
  EXPECT_EQ(shape->Font()->Name(), u"DejaVu Sans");
  EXPECT_EQ(shape->Font()->Size(), 12);
  EXPECT_TRUE(shape->ParentFont());
  shape->Font()->SetSize(9);
  EXPECT_FALSE(shape->ParentFont());
  Form->Font()->SetSize(14);
  EXPECT_EQ(shape->Font()->Size(), 9);
  shape->SetParentFont(true);
  EXPECT_EQ(shape->Font()->Size(), 14);

  panel->SetParentColor(true);
  Form->SetColor(clYellow);
  EXPECT_EQ(panel->Color(), clYellow);
  EXPECT_EQ(shape->Color(), clYellow);
  shape->SetColor(clRed);
  Form->SetColor(clGreen);
  EXPECT_EQ(shape->Color(), clRed);
  EXPECT_EQ(panel->Color(), clGreen);
}

TEST_F(ControlsTest, AGraphicControlPaintsOnItsParentAndClicksOnRelease) {
  auto* shape = Make<TTestShape>(Form, Bounds(20, 30, 40, 25));
  shape->SetColor(clRed);
  TDrawingLog log;
  Form->Show();
  SetWindowPaintLog(Form->Handle(), &log);
  shape->Invalidate();
  Form->Update();
  ASSERT_EQ(shape->Paints, 1);  // painted now; the first showing's paint was still owed
  std::vector<TDrawingCall> fills = log.Named("FillRect");
  ASSERT_FALSE(fills.empty()) << log.Dump();
  EXPECT_EQ(fills.back().ArgRect(), Rect(0, 0, 40, 25));  // its own coordinates
  EXPECT_EQ(fills.back().ClipBox, Rect(0, 0, 40, 25));    // and no further than its bounds
  SetWindowPaintLog(Form->Handle(), nullptr);

  std::vector<std::string> seen;
  shape->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    seen.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    EXPECT_EQ(GetCaptureControl(), shape);
  };
  shape->OnClick = [&](TObject*) { seen.push_back("click"); };
  shape->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { seen.push_back("up"); };
  TPoint inside = shape->ClientToScreen({5, 6});
  Script().Then([&] { ClickAt(inside); });
  Script().Then([&] {
    // Pressed inside, released outside: the capture brings the release, but no click.
    InjectMouseButton(TMouseButtonId::Left, true, inside);
    InjectMouseMove(Form->ClientToScreen({300, 200}));
    InjectMouseButton(TMouseButtonId::Left, false, Form->ClientToScreen({300, 200}));
  });
  RunScript();
  EXPECT_EQ(seen, (std::vector<std::string>{"down 5,6", "click", "up", "down 5,6", "up"}));
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(ControlsTest, ThePointerEntersAndLeavesControls) {
  auto* a = Make<TTestShape>(Form, Bounds(10, 10, 50, 50));
  auto* b = Make<TTestPanel>(Form, Bounds(100, 10, 50, 50));
  Form->Show();
  for (auto [control, name] : {std::pair<TControl*, std::string>{a, "A"}, {b, "B"}}) {
    control->OnMouseEnter = [this, name](TObject*) { Note(name + " enter"); };
    control->OnMouseLeave = [this, name](TObject*) { Note(name + " leave"); };
  }
  Script().Then([&] { InjectMouseMove(a->ClientToScreen({5, 5})); });
  Script().Then([&] { InjectMouseMove(a->ClientToScreen({6, 5})); });
  Script().Then([&] { InjectMouseMove(b->ClientToScreen({5, 5})); });
  Script().Then([&] { InjectMouseMove({1500, 900}); });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"A enter", "A leave", "B enter", "B leave"}));
}

TEST_F(ControlsTest, AHintShowsAfterThePauseAndHidesLater) {
  auto* panel = Make<TTestPanel>(Form, Bounds(10, 10, 100, 50));
  panel->SetHint(u"Лични податоци|Отвора ги личните податоци");
  panel->SetShowHint(true);
  Form->Show();
  THintInfo seen;
  panel->SetWindowProc([panel, &seen](TMessage& m) {
    if (m.Msg == CM_HINTSHOW) seen = *reinterpret_cast<THintInfo*>(m.LParam);
    panel->WndProc(m);
  });
  Script().Then([&] { InjectMouseMove(panel->ClientToScreen({5, 5})); });
  Script().AdvanceBy(499);
  Script().Then([&] { EXPECT_TRUE(!Application->HintWindow() || !Application->HintWindow()->Active()); });
  Script().AdvanceBy(1);
  Script().Then([&] {
    ASSERT_NE(Application->HintWindow(), nullptr);
    EXPECT_TRUE(Application->HintWindow()->Active());
    EXPECT_EQ(Application->HintWindow()->Caption(), u"Лични податоци");
    EXPECT_TRUE(IsWindowVisible(Application->HintWindow()->Handle()));
  });
  Script().AdvanceBy(2500);
  RunScript();
  EXPECT_EQ(seen.HintControl, panel);
  EXPECT_EQ(seen.HintStr, u"Лични податоци");
  EXPECT_FALSE(Application->HintWindow()->Active());
  panel->SetWindowProc([panel](TMessage& m) { panel->WndProc(m); });
}

class TTestPopupMenu : public TComponent, public IPopupMenu {
 public:
  using TComponent::TComponent;
  bool AutoPopup() const override { return true; }
  void PopupFor(TControl* control, int x, int y) override {
    Shown.push_back({control, {x, y}});
  }
  std::vector<std::pair<TControl*, TPoint>> Shown;
};

TEST_F(ControlsTest, ARightClickOpensThePopupMenuUnlessTheControlHandlesIt) {
  auto* shape = Make<TTestShape>(Form, Bounds(10, 10, 50, 50));
  auto* panel = Make<TTestPanel>(Form, Bounds(100, 10, 50, 50));
  auto* menu = new TTestPopupMenu(Form);
  shape->SetPopupMenu(menu);
  panel->SetPopupMenu(menu);
  Form->Show();
  bool handled = false;
  panel->OnContextPopup = [&](TObject*, TPoint, bool& h) { h = handled; };
  auto rightClick = [](TControl* control) {
    TPoint p = control->ClientToScreen({3, 4});
    InjectMouseButton(TMouseButtonId::Right, true, p);
    InjectMouseButton(TMouseButtonId::Right, false, p);
  };
  Script().Then([&] { rightClick(shape); });
  Script().Then([&] { rightClick(panel); });
  Script().Then([&] { handled = true; rightClick(panel); });
  RunScript();
  ASSERT_EQ(menu->Shown.size(), 2u);
  EXPECT_EQ(menu->Shown[0].first, shape);
  EXPECT_EQ(menu->Shown[0].second, shape->ClientToScreen({3, 4}));
  EXPECT_EQ(menu->Shown[1].first, panel);
  // A menu that goes is forgotten by the controls that showed it.
  menu->Free();
  EXPECT_EQ(shape->PopupMenu(), nullptr);
}

TEST_F(ControlsTest, TheWheelGoesToTheFocusedControlAndUpToItsParents) {
  auto* panel = Make<TTestPanel>(Form, Bounds(10, 10, 200, 200));
  auto* edit = Make<TTestEdit>(panel, Bounds(10, 10, 100, 21));
  Form->Show();
  edit->SetFocus();
  int downs = 0;
  panel->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& handled) {
    ++downs;
    handled = true;
  };
  Script().Then([&] {
    InjectMouseWheel(-WHEEL_DELTA, CenterOf(edit));
    InjectMouseWheel(-WHEEL_DELTA / 2, CenterOf(edit));
    InjectMouseWheel(-WHEEL_DELTA / 2, CenterOf(edit));
  });
  RunScript();
  // The edit leaves the wheel to its panel; half notches add up to a whole one.
  EXPECT_EQ(downs, 2);
}

TEST_F(ControlsTest, AWindowIsMadeWhenNeededAndMadeAgainOnRecreate) {
  auto* orphan = new TTestPanel(Form);
  orphan->SetName(u"Orphan");
  try {
    orphan->Handle();
    FAIL() << "a control without a parent has no window to live in";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), u"Control 'Orphan' has no parent window");
  }
  auto* panel = Make<TTestPanel>(Form, Bounds(10, 10, 100, 100));
  auto* edit = Make<TTestEdit>(panel, Bounds(5, 5, 50, 20));
  EXPECT_FALSE(panel->HandleAllocated());  // the form has not shown yet
  panel->SetCaption(u"before");
  Form->Show();
  ASSERT_TRUE(panel->HandleAllocated());
  EXPECT_EQ(GetWindowText(panel->Handle()), u"before");
  HWND old = panel->Handle();
  HWND oldChild = edit->Handle();
  panel->RecreateWnd();
  EXPECT_NE(panel->Handle(), old);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_FALSE(IsWindow(oldChild));
  EXPECT_TRUE(edit->HandleAllocated());
  EXPECT_EQ(GetParent(edit->Handle()), panel->Handle());
  EXPECT_EQ(panel->Caption(), u"before");
  // Removing a windowed control from its parent destroys its window.
  edit->SetParent(nullptr);
  EXPECT_FALSE(edit->HandleAllocated());
}

TEST_F(ControlsTest, AControlsWindowProcedureCanBeReplacedAndChained) {
  auto* panel = Make<TTestPanel>(Form, Bounds(10, 10, 100, 100));
  Form->Show();
  TWndMethod original = panel->WindowProc();
  int seen = 0;
  panel->SetWindowProc([&](TMessage& m) {
    if (m.Msg == WM_USER + 7) {
      ++seen;
      m.Result = 99;
      return;
    }
    original(m);
  });
  EXPECT_EQ(SendMessage(panel->Handle(), WM_USER + 7), 99);
  EXPECT_EQ(panel->Perform(WM_USER + 7), 99);
  PostMessage(panel->Handle(), WM_USER + 7);
  RunScript();
  EXPECT_EQ(seen, 3);
  panel->SetWindowProc(original);
  EXPECT_EQ(panel->Perform(WM_USER + 7), 0);
}

TEST_F(ControlsTest, AnErrorInAnEventHandlerIsShownAndTheLoopGoesOn) {
  auto* panel = Make<TTestPanel>(Form, Bounds(10, 10, 100, 100));
  Application->SetTitle(u"App");
  Form->Show();
  int clicks = 0;
  panel->OnClick = [&](TObject*) {
    if (++clicks == 1) throw EConvertError(u"'abc' is not a valid integer value");
  };
  Script().Then([&] { Click(panel); });
  AnswerDialog(mrOk);
  Script().Then([&] { Click(panel); });
  RunScript();
  EXPECT_EQ(clicks, 2);
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Message, u"'abc' is not a valid integer value.");
  // A handler of OnException sees the error instead of a box.
  std::vector<String> seen;
  Application->OnException = [&](TObject* sender, const Exception& e) {
    EXPECT_EQ(sender, panel);
    seen.push_back(e.Message());
  };
  clicks = 0;
  Script().AdvanceBy(1000);  // not a double click
  Script().Then([&] { Click(panel); });
  RunScript();
  EXPECT_EQ(seen, (std::vector<String>{u"'abc' is not a valid integer value"}));
}

}  // namespace

namespace {

TEST_F(ControlsTest, TheClipboardObjectCarriesTextAndBlocks) {
  Form->Show();
  Clipboard()->SetAsText(u"Листа на настани");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(Clipboard()->AsText(), u"Листа на настани");
  UINT rtf = RegisterClipboardFormat(u"Rich Text Format");
  Clipboard()->Open();
  Clipboard()->SetAsBytes(rtf, {'{', '\\', 'r', 't', 'f', '1', '}'});
  Clipboard()->SetAsBytes(CF_UNICODETEXT, {'o', 0, 'k', 0, 0, 0});
  Clipboard()->Close();
  // Both formats were set while the clipboard stayed open, so both are there.
  EXPECT_EQ(Clipboard()->AsBytes(rtf).size(), 7u);
  EXPECT_EQ(Clipboard()->AsText(), u"ok");
  Clipboard()->Clear();
  EXPECT_EQ(Clipboard()->FormatCount(), 0);
  EXPECT_EQ(Clipboard()->AsText(), u"");
}

}  // namespace

namespace {

TEST_F(ControlsTest, CommandsAndNotificationsComeBackToTheControlThatSentThem) {
  auto* panel = Make<TTestPanel>(Form, Bounds(10, 10, 100, 100));
  auto* button = Make<TTestPanel>(panel, Bounds(5, 5, 20, 20));
  Form->Show();
  std::vector<UINT> reflected;
  TWndMethod original = button->WindowProc();
  button->SetWindowProc([&](TMessage& m) {
    if (m.Msg == CN_COMMAND || m.Msg == CN_NOTIFY) {
      reflected.push_back(m.Msg);
      m.Result = 5;
      return;
    }
    original(m);
  });
  EXPECT_EQ(SendMessage(panel->Handle(), WM_COMMAND, 0, reinterpret_cast<LPARAM>(button->Handle())), 5);
  NMHDR header;
  header.hwndFrom = button->Handle();
  header.code = 12;
  EXPECT_EQ(SendMessage(panel->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), 5);
  EXPECT_EQ(reflected, (std::vector<UINT>{CN_COMMAND, CN_NOTIFY}));
  // A button-pressed broadcast reaches every child until one answers.
  TMessage pressed{CM_BUTTONPRESSED, 1, reinterpret_cast<LPARAM>(button), 0};
  panel->Broadcast(pressed);
  EXPECT_EQ(pressed.Result, 0);
  button->SetWindowProc(original);  // the replacement refers to this test's locals
}

}  // namespace
