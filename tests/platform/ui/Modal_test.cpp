#include <gtest/gtest.h>

#include "platform/win/NonClient.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;
using ModalTest = TUiTest;

std::string Result(TModalResult result) { return std::to_string(result); }

TEST_F(ModalTest, ModalLoopsNestThreeDeepAndEachOwnerIsActivatedAgainWhenItsChildCloses) {
  TForm *mainForm, *a, *b, *c;
  Application->CreateForm(mainForm);
  Application->CreateForm(a);
  Application->CreateForm(b);
  Application->CreateForm(c);
  for (auto [form, name] : {std::pair{mainForm, "Main"}, {a, "A"}, {b, "B"}, {c, "C"}}) Trace(form, name);
  for (TForm* form : {a, b, c}) form->SetBorderStyle(bsDialog);
  auto* cancel = new TMessageButton(a);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  cancel->SetParent(a);

  // Each form's first activation opens the next one modally, as the main window opens its login.
  auto opens = [this](TForm* form, TForm* next, const std::string& name, const std::string& nextName) {
    auto first = std::make_shared<bool>(true);
    form->OnActivate = [=, this](TObject*) {
      Note(name + " activate");
      if (!next || !*first) return;
      *first = false;
      TModalResult result = next->ShowModal();
      Note(nextName + " returned " + Result(result));
    };
  };
  opens(mainForm, a, "Main", "A");
  opens(a, b, "A", "B");
  opens(b, c, "B", "C");

  Script().Then([&] { c->SetModalResult(mrOk); });                       // C: a modal result
  Script().Then([&] { ClickAt(CenterOf(GetCloseBoxRect(b->Handle()))); });  // B: its close box
  Script().Then([&] { Key(VK_ESCAPE); });                                 // A: its cancel button
  Script().Then([&] { mainForm->Close(); });                              // the program ends
  Application->Run();

  EXPECT_EQ(Events, (std::vector<std::string>{
                        "Main show", "Main activate",
                        "A show", "Main deactivate", "A activate",
                        "B show", "A deactivate", "B activate",
                        "C show", "B deactivate", "C activate",
                        "C close", "C deactivate", "C hide", "B activate", "C returned 1",
                        "B close", "B deactivate", "B hide", "A activate", "B returned 2",
                        "A close", "A deactivate", "A hide", "Main activate", "A returned 2",
                        "Main close"}));
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(Application->ModalLevel(), 0);
}

TEST_F(ModalTest, TheOtherWindowsAreDisabledWhileAModalFormShows) {
  TForm *mainForm, *dialog;
  Application->CreateForm(mainForm);
  Application->CreateForm(dialog);
  dialog->SetBounds(600, 400, 200, 150);
  mainForm->Show();
  bool mainEnabledDuringModal = true;
  Script().Then([&] {
    mainEnabledDuringModal = IsWindowEnabled(mainForm->Handle());
    EXPECT_EQ(Screen->ActiveCustomForm(), dialog);
    EXPECT_EQ(GetActiveWindow(), dialog->Handle());
    // A click on the disabled main form is refused.
    ClickAt(mainForm->ClientToScreen({5, 5}));
  });
  Script().Then([&] { dialog->SetModalResult(mrYes); });
  EXPECT_EQ(dialog->ShowModal(), mrYes);
  EXPECT_FALSE(mainEnabledDuringModal);
  EXPECT_TRUE(IsWindowEnabled(mainForm->Handle()));
  EXPECT_EQ(GetActiveWindow(), mainForm->Handle());
  EXPECT_EQ(BeepCount(), 1);
  EXPECT_THROW(mainForm->ShowModal(), EInvalidOperation);  // visible already
}

TEST_F(ModalTest, CloseQueryAndCloseActionsDecideWhatClosingDoes) {
  TForm *mainForm, *dialog;
  Application->CreateForm(mainForm);
  Application->CreateForm(dialog);
  mainForm->Show();
  bool allow = false;
  dialog->OnCloseQuery = [&](TObject*, bool& canClose) {
    Note("query");
    canClose = allow;
  };
  TCloseAction action = caHide;
  dialog->OnClose = [&](TObject*, TCloseAction& a) { a = action; };
  Script().Then([&] { dialog->Close(); });  // refused by OnCloseQuery
  Script().Then([&] {
    EXPECT_TRUE(dialog->Visible());
    allow = true;
    action = caNone;
    dialog->SetModalResult(mrOk);  // refused by OnClose's caNone
  });
  Script().Then([&] {
    EXPECT_TRUE(dialog->Visible());
    action = caHide;
    dialog->SetModalResult(mrOk);
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(Events, (std::vector<std::string>{"query", "query", "query"}));
  EXPECT_FALSE(dialog->Visible());

  // A form that is not modal hides on Close, and the main form's Close ends the program.
  dialog->Show();
  dialog->Close();
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(Application->Terminated());
  mainForm->Close();
  Application->ProcessMessages();
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(ModalTest, TheEndOfTheProgramEndsAModalLoopWithCancel) {
  TForm *mainForm, *dialog;
  Application->CreateForm(mainForm);
  Application->CreateForm(dialog);
  mainForm->Show();
  Script().Then([&] { Application->Terminate(); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_FALSE(dialog->Visible());
}

}  // namespace
