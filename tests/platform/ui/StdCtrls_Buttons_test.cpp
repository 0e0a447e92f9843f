#include <gtest/gtest.h>

#include "platform/gdi/Colors.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/StdCtrls.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class ButtonsTest : public TUiTest {
 public:
  ButtonsTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
  }
  template <class T>
  T* Add(const String& caption, TRect bounds) {
    auto* control = new T(Form);
    control->SetBoundsRect(bounds);
    control->SetCaption(caption);
    control->SetParent(Form);
    return control;
  }
  static void Alt(char16_t letter) {
    InjectKey(VK_MENU, true);
    Key(letter);
    InjectKey(VK_MENU, false);
  }
  TForm* Form = nullptr;
};

TEST_F(ButtonsTest, AButtonClicksByMouseSpaceEnterEscapeAndAccelerator) {
  auto* ok = Add<TButton>(u"&Save", Bounds(10, 10, 80, 25));
  auto* cancel = Add<TButton>(u"Откажи", Bounds(100, 10, 80, 25));
  auto* edit = Add<TEdit>(u"", Bounds(10, 50, 100, 24));
  ok->SetDefault(true);
  cancel->SetCancel(true);
  ok->OnClick = [this](TObject*) { Note("ok"); };
  cancel->OnClick = [this](TObject*) { Note("cancel"); };
  Form->Show();
  Script().Then([&] { Click(ok); });
  Script().Then([&] {
    Key(VK_SPACE);  // ok has the focus from the click
    Click(edit);
  });
  Script().Then([&] {
    Key(VK_RETURN);  // the default button, from the edit
    Key(VK_ESCAPE);  // the cancel button
    Alt(u'S');
  });
  // Pressed on the button, released away from it: no click.
  Script().Then([&] {
    InjectMouseButton(TMouseButtonId::Left, true, CenterOf(cancel));
    InjectMouseMove(Form->ClientToScreen({300, 200}));
    InjectMouseButton(TMouseButtonId::Left, false, Form->ClientToScreen({300, 200}));
  });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"ok", "ok", "ok", "cancel", "ok"}));
  // A Cyrillic accelerator matches in either case.
  ok->SetCaption(u"&Зачувај");
  Events.clear();
  Form->Perform(CM_DIALOGCHAR, u'з');
  EXPECT_EQ(Events, (std::vector<std::string>{"ok"}));

  // A Space released on the button after its press went elsewhere (the focus moved to the
  // button in between) is no click.
  Events.clear();
  Script().Then([&] {
    edit->SetFocus();
    InjectKey(VK_SPACE, true);
  });
  Script().Then([&] {
    ok->SetFocus();
    InjectKey(VK_SPACE, false);
  });
  RunScript();
  EXPECT_TRUE(Events.empty());

  // A button's ModalResult goes to its form.
  cancel->SetModalResult(mrCancel);
  Script().Then([&] { Click(cancel); });
  RunScript();
  EXPECT_EQ(Form->ModalResult(), mrCancel);
}

TEST_F(ButtonsTest, ACheckBoxCyclesItsStatesAndReportsEachChange) {
  auto* box = Add<TCheckBox>(u"&Active", Bounds(10, 10, 120, 20));
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  Form->Show();
  Script().Then([&] { Click(box); });
  RunScript();
  EXPECT_TRUE(box->Checked());
  EXPECT_TRUE(box->Focused());
  Script().Then([&] { Key(VK_SPACE); });
  RunScript();
  EXPECT_EQ(box->State(), cbUnchecked);

  box->SetAllowGrayed(true);
  std::vector<TCheckBoxState> seen;
  box->OnClick = [&](TObject*) {
    ++clicks;
    seen.push_back(box->State());
  };
  Script().Then([&] {
    Click(box);
    Click(box);
    Click(box);
    Alt(u'A');  // the accelerator
  });
  RunScript();
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbGrayed, cbUnchecked, cbChecked}));
  // Setting the state by program also reports, but only when it changes.
  box->SetChecked(true);
  box->SetChecked(false);
  EXPECT_EQ(clicks, 2 + 4 + 1);
  // A disabled box takes no clicks.
  box->SetEnabled(false);
  Script().Then([&] { Click(box); });
  RunScript();
  EXPECT_FALSE(box->Checked());
}

TEST_F(ButtonsTest, RadioButtonsOfOneParentExcludeEachOther) {
  auto* a = Add<TRadioButton>(u"Член", Bounds(10, 10, 120, 20));
  auto* b = Add<TRadioButton>(u"Донатор", Bounds(10, 35, 120, 20));
  auto* c = Add<TRadioButton>(u"Гостин", Bounds(10, 60, 120, 20));
  std::vector<std::string> clicked;
  a->OnClick = [&](TObject*) { clicked.push_back("a"); };
  b->OnClick = [&](TObject*) { clicked.push_back("b"); };
  c->OnClick = [&](TObject*) { clicked.push_back("c"); };
  Form->Show();
  a->SetChecked(true);
  Script().Then([&] { Click(c); });
  Script().Then([&] { Click(c); });  // already checked: no change, no click
  RunScript();
  EXPECT_FALSE(a->Checked());
  EXPECT_FALSE(b->Checked());
  EXPECT_TRUE(c->Checked());
  EXPECT_EQ(clicked, (std::vector<std::string>{"a", "c"}));
}

TEST_F(ButtonsTest, AnAutoSizedLabelTakesTheSizeOfItsText) {
  auto* label = Add<TLabel>(u"Корисничко име ", Bounds(10, 10, 300, 40));
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, label->Font()->Handle());
  TSize text{};
  GetTextExtentPoint32(dc, u"Корисничко име ", &text);
  DeleteDC(dc);
  EXPECT_EQ(label->Width(), text.cx);
  EXPECT_EQ(label->Height(), text.cy);
  int oneLine = label->Height();
  // A larger font, a longer caption: the label follows; an accelerator's "&" takes no room.
  label->Font()->SetSize(20);
  EXPECT_GT(label->Height(), oneLine);
  label->Font()->SetSize(8);
  int before = label->Width();
  label->SetCaption(u"Корисничко &име ");
  EXPECT_EQ(label->Width(), before);
  // Without AutoSize the bounds stay as they are set.
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 300, 40);
  label->SetCaption(u"x");
  EXPECT_EQ(label->Width(), 300);
  EXPECT_EQ(label->Height(), 40);
  // An empty caption keeps a line's height.
  label->SetAutoSize(true);
  label->SetCaption(u"");
  EXPECT_EQ(label->Height(), oneLine);
}

TEST_F(ButtonsTest, ALabelsAcceleratorFocusesItsControlAndItsTextIsPainted) {
  auto* label = Add<TLabel>(u"&Name:", Bounds(10, 10, 60, 20));
  auto* edit = Add<TEdit>(u"", Bounds(80, 10, 100, 24));
  auto* other = Add<TEdit>(u"", Bounds(80, 40, 100, 24));
  label->SetFocusControl(edit);
  label->SetColor(clYellow);
  Form->Show();
  Script().Then([&] { Click(other); });
  Script().Then([&] { Alt(u'N'); });
  RunScript();
  EXPECT_TRUE(edit->Focused());

  // The label paints its background and ink inside its bounds on the form.
  Form->Repaint();
  HDC dc = GetDC(Form->Handle());
  int yellow = 0, ink = 0;
  for (int x = 10; x < 70; ++x)
    for (int y = 10; y < 30; ++y) {
      COLORREF pixel = GetPixel(dc, x, y);
      if (pixel == RGB(255, 255, 0))
        ++yellow;
      else
        ++ink;
    }
  EXPECT_GT(yellow, 0);
  EXPECT_GT(ink, 0);
  EXPECT_EQ(GetPixel(dc, 75, 35), ColorToRGB(Form->Color()));  // and nothing outside them
  ReleaseDC(Form->Handle(), dc);

  // A freed focus control is forgotten.
  edit->Free();
  EXPECT_EQ(label->FocusControl(), nullptr);
  Script().Then([&] { Click(other); });
  Script().Then([&] { Alt(u'N'); });
  RunScript();
  EXPECT_TRUE(other->Focused());
}

}  // namespace
