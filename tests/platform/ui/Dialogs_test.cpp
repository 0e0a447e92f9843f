#include "platform/ui/Dialogs.h"

#include <gtest/gtest.h>

#include "platform/win/NonClient.h"
#include "tests/support/UiTestSupport.h"

namespace {

using uitest::TUiTest;

class DialogsTest : public TUiTest {
 public:
  DialogsTest() {
    Application->SetTitle(u"V.O. Zavel Tremavolt");
    Application->CreateForm(MainForm);
    MainForm->OnActivate = [this](TObject*) { ++MainActivations; };
    MainForm->Show();
  }
  // The box on screen, inside a script step.
  static TMessageForm* Box() { return dynamic_cast<TMessageForm*>(Screen->ActiveCustomForm()); }

  TForm* MainForm = nullptr;
  int MainActivations = 0;
};

TEST_F(DialogsTest, AScriptAnswersMessageDlgAndTheOwnerIsActivatedAgain) {
  int before = MainActivations;
  AnswerDialog(mrNo);
  EXPECT_EQ(MessageDlg(u"Дали сте сигурни?!", mtWarning, {mbYes, mbNo}), mrNo);
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Caption, u"Warning");
  EXPECT_EQ(Dialogs[0].Message, u"Дали сте сигурни?!");
  EXPECT_EQ(MainActivations, before + 1);
  EXPECT_EQ(Screen->ActiveCustomForm(), MainForm);
  EXPECT_EQ(Screen->CustomFormCount(), 1);  // the box is gone
}

struct TKeyCase {
  const char* Name;
  TMsgDlgButtons Buttons;
  std::function<void()> Answer;  // runs inside the box's modal loop
  TModalResult Expected;
};

TEST_F(DialogsTest, KeysAndTheCloseBoxAnswerAsTheDefaultAndCancelButtons) {
  const std::vector<TKeyCase> cases = {
      {"Enter presses OK", {mbOK}, [] { Key(VK_RETURN); }, mrOk},
      {"Enter presses Yes when there is no OK", {mbYes, mbNo}, [] { Key(VK_RETURN); }, mrYes},
      {"Esc presses Cancel", {mbYes, mbNo, mbCancel}, [] { Key(VK_ESCAPE); }, mrCancel},
      {"Esc presses No when there is no Cancel", {mbYes, mbNo}, [] { Key(VK_ESCAPE); }, mrNo},
      {"the close box answers as Cancel",
       {mbOK, mbCancel},
       [] { ClickAt(CenterOf(GetCloseBoxRect(Box()->Handle()))); },
       mrCancel},
      {"an accelerator presses its button", {mbYes, mbNo}, [] { Key('N'); }, mrNo},
      {"Tab then Enter presses the next button",
       {mbYes, mbNo},
       [] {
         Key(VK_TAB);
         Key(VK_RETURN);
       },
       mrNo},
      {"Space presses the focused button", {mbOK, mbCancel}, [] { Key(VK_SPACE); }, mrOk},
  };
  for (const TKeyCase& c : cases) {
    Script().Then(c.Answer);
    EXPECT_EQ(MessageDlg(u"Question", mtConfirmation, c.Buttons), c.Expected) << c.Name;
    EXPECT_EQ(Script().StepsLeft(), 0u) << c.Name;
  }
}

TEST_F(DialogsTest, ShowMessageAndMessageBoxUseTheTitleAndTheirButtons) {
  std::vector<String> captions;
  Script().Then([&] {
    captions.push_back(Box()->Caption());
    EXPECT_EQ(Box()->Buttons().size(), 1u);
    Key(VK_RETURN);
  });
  ShowMessage(u"Сите полиња се задолжителни!");
  Script().Then([&] {
    captions.push_back(Box()->Caption());
    EXPECT_EQ(Box()->DialogType(), mtConfirmation);
    EXPECT_EQ(Box()->Buttons().size(), 3u);
    Click(Box()->ButtonFor(mrCancel));
  });
  EXPECT_EQ(Application->MessageBox(u"Save?", u"", MB_YESNOCANCEL | MB_ICONQUESTION), IDCANCEL);
  EXPECT_EQ(captions, (std::vector<String>{u"V.O. Zavel Tremavolt", u"V.O. Zavel Tremavolt"}));
}

TEST_F(DialogsTest, TheBoxIsSizedForItsTextAndCentredOnTheScreen) {
  String text;
  for (int i = 0; i < 200; ++i) text += u"words ";
  std::unique_ptr<TMessageForm, TObjectFree> box(
      CreateMessageDialog(text, mtInformation, {mbOK, mbCancel}));
  EXPECT_LE(box->Width(), Screen->Width() / 2 + 100);  // long text wraps
  EXPECT_GT(box->Height(), 100);
  Script().Then([&] {
    EXPECT_EQ(box->Left(), (Screen->Width() - box->Width()) / 2);
    EXPECT_EQ(box->Top(), (Screen->Height() - box->Height()) / 2);
    TMessageButton* ok = box->ButtonFor(mrOk);
    TMessageButton* cancel = box->ButtonFor(mrCancel);
    EXPECT_EQ(ok->Top(), cancel->Top());
    EXPECT_LT(ok->Left(), cancel->Left());
    EXPECT_TRUE(ok->Focused());  // the default button has the focus
    box->SetModalResult(mrOk);
  });
  EXPECT_EQ(box->ShowModal(), mrOk);
}

}  // namespace
