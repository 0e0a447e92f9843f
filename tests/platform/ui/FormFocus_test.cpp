#include <gtest/gtest.h>

#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TTestEdit;
using uitest::TUiTest;

// A plain container control.
class TTestPanel : public TCustomControl {
 public:
  explicit TTestPanel(TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() << csAcceptsControls);
  }
};

template <class T>
T* Place(TWinControl* parent, const char16_t* name, TRect bounds) {
  auto* control = new T(parent->Owner() ? parent->Owner() : parent);
  control->SetName(name);
  control->SetBoundsRect(bounds);
  control->SetParent(parent);
  return control;
}

class FormFocusTest : public TUiTest {
 public:
  FormFocusTest() {
    Application->CreateForm(Form);
    Form->SetBounds(100, 100, 400, 300);
    Edit1 = Place<TTestEdit>(Form, u"Edit1", Bounds(10, 10, 120, 21));
    Edit2 = Place<TTestEdit>(Form, u"Edit2", Bounds(10, 40, 120, 21));
    Panel = Place<TTestPanel>(Form, u"Panel", Bounds(10, 70, 200, 100));
    Edit3 = Place<TTestEdit>(Panel, u"Edit3", Bounds(10, 10, 120, 21));
    Trace(Form, "F");
    for (auto [control, name] : {std::pair<TWinControl*, const char*>{Edit1, "E1"}, {Edit2, "E2"}, {Panel, "P"}, {Edit3, "E3"}})
      TraceFocus(control, name);
  }
  TForm* Form = nullptr;
  TTestEdit *Edit1, *Edit2, *Edit3;
  TTestPanel* Panel;
};

struct TFocusStep {
  const char* Name;
  std::function<void(FormFocusTest&)> Action;  // injects input or acts directly
  std::vector<std::string> Expected;
  std::function<TWinControl*(FormFocusTest&)> Focused;
};

TEST_F(FormFocusTest, EnterExitAndActivationFollowTheFocus) {
  TForm* other = nullptr;
  Application->CreateForm(other);
  other->SetBounds(600, 100, 200, 150);
  Trace(other, "G");
  auto* otherEdit = Place<TTestEdit>(other, u"G1", Bounds(10, 10, 100, 21));
  TraceFocus(otherEdit, "G1");

  const std::vector<TFocusStep> steps = {
      {"showing activates the form and enters its first control",
       [](FormFocusTest& t) { t.Form->Show(); },
       {"F show", "F activate", "E1 enter"},
       [](FormFocusTest& t) -> TWinControl* { return t.Edit1; }},
      {"Tab moves on", [](FormFocusTest&) { Key(VK_TAB); }, {"E1 exit", "E2 enter"}, [](FormFocusTest& t) -> TWinControl* { return t.Edit2; }},
      {"Tab into a container enters it and its first control",
       [](FormFocusTest&) { Key(VK_TAB); },
       {"E2 exit", "P enter", "E3 enter"},
       [](FormFocusTest& t) -> TWinControl* { return t.Edit3; }},
      {"Shift+Tab goes back out of it",
       [](FormFocusTest&) { Key(VK_TAB, true); },
       {"E3 exit", "P exit", "E2 enter"},
       [](FormFocusTest& t) -> TWinControl* { return t.Edit2; }},
      {"Tab from the last control wraps to the first",
       [](FormFocusTest& t) {
         t.Edit3->SetTabStop(false);
         Key(VK_TAB);
       },
       {"E2 exit", "E1 enter"},
       [](FormFocusTest& t) -> TWinControl* { return t.Edit1; }},
      {"a click focuses the control clicked",
       [](FormFocusTest& t) { Click(t.Edit3); },
       {"E1 exit", "P enter", "E3 enter"},
       [](FormFocusTest& t) -> TWinControl* { return t.Edit3; }},
      {"another form: activation moves, the controls keep their focus state",
       [](FormFocusTest&) {},
       {"G show", "F deactivate", "G activate", "G1 enter"},
       [](FormFocusTest& t) -> TWinControl* { return t.Edit3; }},
      {"back to the form: the control focused before has the focus again, without OnEnter",
       [](FormFocusTest& t) { Click(t.Edit3); },
       {"G deactivate", "F activate"},
       [](FormFocusTest& t) -> TWinControl* { return t.Edit3; }},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    Events.clear();
    if (i == 6) {
      other->Show();
    } else {
      Script().Then([&, i] { steps[i].Action(*this); });
      RunScript();
    }
    EXPECT_EQ(Events, steps[i].Expected) << steps[i].Name;
    TWinControl* expected = steps[i].Focused(*this);
    EXPECT_EQ(Form->ActiveControl(), expected) << steps[i].Name;
    if (i != 6) {
      EXPECT_TRUE(expected->Focused()) << steps[i].Name;
      EXPECT_EQ(Screen->ActiveControl(), expected) << steps[i].Name;
    }
  }
  EXPECT_EQ(Screen->ActiveForm(), Form);
}

TEST_F(FormFocusTest, HidingOrDisablingTheFocusedControlMovesTheFocusToTheForm) {
  Form->Show();
  Edit2->SetFocus();
  Events.clear();
  Edit2->SetVisible(false);
  EXPECT_EQ(Form->ActiveControl(), nullptr);
  EXPECT_EQ(GetFocus(), Form->Handle());
  EXPECT_FALSE(Edit2->CanFocus());
  EXPECT_THROW(Form->SetActiveControl(Edit2), EInvalidOperation);
  Edit1->SetFocus();
  Edit1->SetEnabled(false);
  EXPECT_EQ(GetFocus(), Form->Handle());
  EXPECT_FALSE(Edit1->Focused());
}

TEST_F(FormFocusTest, NextDialogControlMovesTheFocusByTabOrderOrToANamedControl) {
  Form->Show();
  Edit1->SetFocus();
  Form->Perform(WM_NEXTDLGCTL, 0, 0);
  EXPECT_TRUE(Edit2->Focused());
  Form->Perform(WM_NEXTDLGCTL, 0, 0);
  EXPECT_TRUE(Edit3->Focused()) << "the panel is no tab stop: its child comes next";
  Form->Perform(WM_NEXTDLGCTL, 1, 0);
  EXPECT_TRUE(Edit2->Focused());
  Form->Perform(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Edit1->Handle()), 1);
  EXPECT_TRUE(Edit1->Focused());
  // A window that is not a control of this form changes nothing.
  TForm* other = nullptr;
  Application->CreateForm(other);
  auto* stranger = Place<TTestEdit>(other, u"S", Bounds(10, 10, 100, 21));
  Form->Perform(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(stranger->Handle()), 1);
  EXPECT_TRUE(Edit1->Focused());
}

TEST_F(FormFocusTest, KeyPreviewLetsTheFormSeeAndSwallowKeysFirst) {
  Form->Show();
  Edit1->SetFocus();
  Events.clear();
  Form->OnKeyDown = [this](TObject*, WORD& key, TShiftState) {
    Note("form down " + std::string(1, static_cast<char>(key)));
    if (key == 'X') key = 0;
  };
  Form->OnKeyPress = [this](TObject*, char16_t& key) {
    Note("form press " + std::string(1, static_cast<char>(key)));
    if (key == u'b') key = u'c';
    if (key == u'x') key = 0;
  };
  Edit1->OnKeyDown = [this](TObject*, WORD& key, TShiftState) {
    Note("edit down " + std::string(1, static_cast<char>(key)));
  };
  Script().Then([] { Type(u"abx"); });
  RunScript();
  // Without KeyPreview the form hears nothing.
  EXPECT_EQ(Events, (std::vector<std::string>{"edit down A", "edit down B", "edit down X"}));
  EXPECT_EQ(Edit1->Typed, u"abx");

  Form->SetKeyPreview(true);
  Events.clear();
  Edit1->Typed.clear();
  Script().Then([] { Type(u"abx"); });
  RunScript();
  EXPECT_EQ(Events, (std::vector<std::string>{"form down A", "edit down A", "form press a",
                                              "form down B", "edit down B", "form press b",
                                              "form down X", "form press x"}));
  // The form changed b into c, kept the X key from the edit and swallowed its character.
  EXPECT_EQ(Edit1->Typed, u"ac");
}

TEST_F(FormFocusTest, ADemonstrationFormIsDrivenBySyntheticKeysAndClicks) {
  // A small login dialog: two fields, a default and a cancel button.
  Form->SetCaption(u"Најава");
  Form->SetBorderStyle(bsSingle);
  Form->SetPosition(poDesktopCenter);
  Panel->SetVisible(false);
  auto* ok = Place<TMessageButton>(Form, u"OK", Bounds(10, 200, 75, 25));
  ok->SetCaption(u"ПОТВРДИ");
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = Place<TMessageButton>(Form, u"Cancel", Bounds(100, 200, 75, 25));
  cancel->SetCaption(u"ИЗЛЕЗ");
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  int clicks = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  Edit2->OnKeyDown = [](TObject*, WORD&, TShiftState) {};

  Script().Then([&] {
    EXPECT_EQ(Form->Left(), (Screen->DesktopWidth() - Form->Width()) / 2);
    Type(u"admin");
    Key(VK_TAB);
    Type(u"Тајна1!");
    Key(VK_RETURN);  // the default button
  });
  EXPECT_EQ(Form->ShowModal(), mrOk);
  EXPECT_EQ(Edit1->Typed, u"admin");
  EXPECT_EQ(Edit2->Typed, u"Тајна1!");
  EXPECT_EQ(clicks, 1);

  // Again: a click in the second field, then the cancel button clicked.
  Script().Then([&] {
    Click(Edit2);
    Type(u"x");
    Click(cancel);
  });
  EXPECT_EQ(Form->ShowModal(), mrCancel);
  EXPECT_EQ(Edit2->Typed, u"Тајна1!x");
  EXPECT_EQ(clicks, 1);
}

}  // namespace
