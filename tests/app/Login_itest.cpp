// The login dialog against the program's own schema: what it refuses before querying, what the
// lookup finds, the messages, where the focus goes, and the three ways out that end the program.
#include <gtest/gtest.h>

#include "platform/win/NonClient.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::TAppTest;

class LoginTest : public TAppTest {};

constexpr char16_t Required[] = u"Сите полиња се задолжителни!";
constexpr char16_t Failed[] = u"Неуспешен обид. Обидете се повторно!";

TEST_F(LoginTest, RefusalsAndFailuresKeepTheDialogOpenUntilTheRightPairIsGiven) {
  struct Case {
    const char16_t* UserName;
    const char16_t* Password;
    const char16_t* Message;
    bool Queried;
  };
  const Case cases[] = {
      {u"", u"Тајна-1", Required, false},
      {u"admin", u"", Required, false},
      {u" ", u"Тајна-1", Required, false},
      {u"admin", u" ", Required, false},
      {u"  ", u"  ", Failed, true},          // two blanks are a name like any other
      {u"admin", u"погрешна", Failed, true},
      {u"admin", u"ТАЈНА-1", Failed, true},  // the password's case counts
      {u"o'brien", u"x", Failed, true},      // quotes and backslashes are values, not SQL
      {u"admin\\", u"Тајна-1\\", Failed, true},
      {u"' or '1'='1", u"' or '1'='1", Failed, true},
  };
  int opens = 0;
  frmMain->Login->AfterOpen = [&](TDataSet*) { ++opens; };
  std::string menuDuringLogin;
  int opensBefore = 0;
  for (const Case& c : cases) {
    Script().Then([&, c] {
      opensBefore = opens;
      // Every attempt starts from the user name, as after the last failure.
      frmLogin->AdvEdit2->SetFocus();
      frmLogin->AdvEdit1->SetText(c.UserName);
      frmLogin->AdvEdit2->SetText(c.Password);
      Click(frmLogin->AdvGlowButton1);
    });
    AnswerDialog(mrOk);
    Script().Then([&, c] {
      const std::string what = UTF8Encode(String(u"[") + c.UserName + u"|" + c.Password + u"]");
      EXPECT_EQ(Dialogs.back().Message, String(c.Message)) << what;
      EXPECT_EQ(opens - opensBefore, c.Queried ? 1 : 0) << what;
      EXPECT_TRUE(frmLogin->Visible()) << what;
      EXPECT_FALSE(frmMain->Login->Active()) << what;
      EXPECT_EQ(frmMain->UserId, 0) << what;
      EXPECT_EQ(frmLogin->AdvEdit1->Text(), String(c.UserName)) << what;
      EXPECT_EQ(frmLogin->AdvEdit2->Text(), String(c.Password)) << what;
      if (c.Queried) {
        EXPECT_EQ(Screen->ActiveCustomForm(), frmLogin) << what;
        EXPECT_TRUE(frmLogin->AdvEdit1->Focused()) << what;
      }
      menuDuringLogin = MenuState();
    });
  }
  // The user name is compared without regard to case.
  Attempt(u"ADMIN", u"Тајна-1");
  Script().Then([&] {
    EXPECT_FALSE(frmLogin->Visible());
    frmMain->Close();
  });
  Application->Run();

  EXPECT_EQ(Dialogs.size(), std::size(cases));
  EXPECT_EQ(menuDuringLogin, "00000000001") << "nothing but the exit before a login";
  EXPECT_EQ(frmMain->UserId, 1);
  EXPECT_EQ(frmMain->UserType, 1);
  EXPECT_EQ(frmMain->UserName, u"admin");
  EXPECT_EQ(LoginShown, 1);
}

TEST_F(LoginTest, EnterMovesFromTheNameToThePasswordAndOnToTheConfirmButton) {
  Script().Then([&] {
    EXPECT_TRUE(frmLogin->AdvEdit1->Focused());
    Type(u"admin");
    Key(VK_RETURN);
  });
  Script().Then([&] {
    EXPECT_TRUE(frmLogin->AdvEdit2->Focused());
    Type(u"x");
    Key(VK_RETURN);
  });
  Script().Then([&] {
    EXPECT_TRUE(frmLogin->AdvGlowButton1->Focused());
    EXPECT_EQ(frmLogin->AdvEdit1->Text(), u"admin");
    EXPECT_EQ(frmLogin->AdvEdit2->Text(), u"x");
    frmLogin->AdvGlowButton2->Click();
  });
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(LoginTest, TheLoggedInUserIsShownWithNameSurnameUserNameAndTheTimeOfTheLogin) {
  TDateTime before = 0, after = 0;
  Script().Then([&] { before = Now(); });
  Attempt(u"admin", u"Тајна-1");
  Script().Then([&] {
    after = Now();
    EXPECT_EQ(frmMain->lblLogged->Caption(), u"Ана Админовска ( admin )");
    EXPECT_EQ(frmMain->lblLogged_at->Caption(), DateTimeToStr(frmMain->LoggedAt));
    frmMain->Close();
  });
  Application->Run();
  // The time of the login is the local time of the match, to the second of the clock.
  EXPECT_GE(frmMain->LoggedAt, before - 1.0 / 86400);
  EXPECT_LE(frmMain->LoggedAt, after + 1.0 / 86400);
  EXPECT_EQ(frmMain->UserFullName, u"Ана Админовска");
}

enum class WayOut { ExitButton, EscKey, CloseBox };

class LoginWayOut : public TAppTest, public ::testing::WithParamInterface<WayOut> {};

TEST_P(LoginWayOut, LeavingTheLoginWithoutAUserEndsTheProgram) {
  bool mainClosed = false;
  frmMain->OnClose = [&](TObject*, TCloseAction&) { mainClosed = true; };
  Script().Then([&] {
    frmLogin->AdvEdit1->SetText(u"admin");
    switch (GetParam()) {
      case WayOut::ExitButton:
        Click(frmLogin->AdvGlowButton2);
        break;
      case WayOut::EscKey:
        Key(VK_ESCAPE);
        break;
      case WayOut::CloseBox:
        ClickAt(CenterOf(GetCloseBoxRect(frmLogin->Handle())));
        break;
    }
  });
  Application->Run();
  EXPECT_TRUE(mainClosed);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(frmMain->UserId, 0);
  EXPECT_EQ(frmMain->lblLogged->Caption(), u"/");
}

INSTANTIATE_TEST_SUITE_P(Ways, LoginWayOut,
                         ::testing::Values(WayOut::ExitButton, WayOut::EscKey, WayOut::CloseBox));

}  // namespace
