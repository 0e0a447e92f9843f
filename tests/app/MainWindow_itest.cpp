// The main window against the program's own schema: the menu items each type of user may choose,
// the reports and exit items, a database that cannot be reached, and the keep-alive query on the
// virtual clock, with a session killed from outside.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include "tests/app/AppTestSupport.h"

namespace {

using apptest::TAppTest;

class MainWindowTest : public TAppTest {};

struct RightsCase {
  const char16_t* UserName;
  const char16_t* Password;
  const char* Menu;  // a digit per item, 0 to 10
};

class MenuRights : public TAppTest, public ::testing::WithParamInterface<RightsCase> {};

TEST_P(MenuRights, EachTypeOfUserFindsExactlyItsItemsEnabled) {
  const RightsCase& c = GetParam();
  Attempt(c.UserName, c.Password);
  std::string menu;
  Script().Then([&] {
    menu = MenuState();
    EXPECT_TRUE(frmMain->AdvGlowButton1->Enabled());
    EXPECT_TRUE(frmMain->AdvGlowButton2->Enabled());
    EXPECT_TRUE(frmMain->AdvGlowButton3->Enabled());
    frmMain->Close();
  });
  Application->Run();
  EXPECT_EQ(menu, c.Menu);
}

INSTANTIATE_TEST_SUITE_P(
    Types, MenuRights,
    ::testing::Values(RightsCase{u"admin", u"Тајна-1", "11111111111"},  // administrator
                      RightsCase{u"bojan", u"redoven", "11111111101"},  // regular user
                      RightsCase{u"vera", u"clen", "11000000001"},      // member
                      RightsCase{u"goce", u"sedum", "00000000001"},     // an unknown type
                      RightsCase{u"darko", u"nisto", "00000000001"}));  // no type at all

TEST_F(MainWindowTest, ReportsShowTheirMessageAndTheExitAsksFirst) {
  Attempt(u"admin", u"Тајна-1");
  Script().Then([&] { Click(apptest::MenuItem(9)); });
  AnswerDialog(mrOk);
  Script().Then([&] { Click(apptest::MenuItem(10)); });
  AnswerDialog(mrNo);
  Script().Then([&] {
    EXPECT_TRUE(frmMain->Visible());
    EXPECT_FALSE(Application->Terminated());
    Click(apptest::MenuItem(10));
  });
  AnswerDialog(mrYes);
  Application->Run();
  ASSERT_EQ(Dialogs.size(), 3u);
  EXPECT_EQ(Dialogs[0].Message, u"Наскоро и извештаи.. !");
  EXPECT_EQ(Dialogs[0].Type, mtWarning);
  EXPECT_EQ(Dialogs[1].Message, u"Дали сте сигурни?!");
  EXPECT_EQ(Dialogs[2].Message, u"Дали сте сигурни?!");
  EXPECT_TRUE(Application->Terminated());
}

// A member's disabled items open nothing, by mouse or by keys: the arrows step over them and
// Space chooses only what the arrows could reach.
TEST_F(MainWindowTest, AMembersDisabledItemsCanBeChosenNeitherWithTheMouseNorWithTheKeys) {
  Attempt(u"vera", u"clen");
  std::vector<int> selected;
  auto nothingOpened = [&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmMain);
    EXPECT_TRUE(Dialogs.empty());
  };
  for (int item : {2, 5, 9}) {
    Script().Then([&, item] { Click(apptest::MenuItem(item)); });
    Script().Then(nothingOpened);
  }
  Script().Then([&] { selected.push_back(frmMain->AdvSmoothMenu1->SelectedItemIndex()); });
  for (uint16_t key : {VK_RIGHT, VK_RIGHT, VK_LEFT, VK_LEFT, VK_LEFT}) {
    Script().Then([key] { Key(key); });
    Script().Then([&] { selected.push_back(frmMain->AdvSmoothMenu1->SelectedItemIndex()); });
  }
  Script().Then(nothingOpened);
  // Space on the exit item; the key is let go only after the question is answered, so that its
  // release does not press the box's focused button.
  Script().Then([] { InjectKey(VK_SPACE, true); });
  AnswerDialog(mrNo);
  Script().Then([] { InjectKey(VK_SPACE, false); });
  Script().Then([&] { frmMain->Close(); });
  Application->Run();
  EXPECT_EQ(selected, (std::vector<int>{0, 1, 10, 1, 0, 10}));
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Message, u"Дали сте сигурни?!");
}

TEST_F(MainWindowTest, TheAboutBoxOpensFromItsButtonForEveryUser) {
  Attempt(u"darko", u"nisto");
  Script().Then([&] { Click(frmMain->AdvGlowButton3); });
  Script().Then([&] {
    EXPECT_EQ(Screen->ActiveCustomForm(), frmAbout);
    frmAbout->Close();
  });
  Script().Then([&] { frmMain->Close(); });
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
}

// A loopback port that nobody listens on.
int ClosedPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);
  return ntohs(address.sin_port);
}

TEST_F(MainWindowTest, AnUnreachableServerShowsItsErrorOffersNoLoginAndEndsTheProgram) {
  frmMain->myConnection->SetPort(ClosedPort());
  AnswerDialog(mrOk);
  Application->Run();
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Type, mtError);
  EXPECT_NE(Dialogs[0].Message.find(u"connect"), String::npos) << UTF8Encode(Dialogs[0].Message);
  EXPECT_EQ(LoginShown, 0);
  EXPECT_TRUE(Application->Terminated());
}

class KeepAlive : public TAppTest, public ::testing::WithParamInterface<bool> {};

TEST_P(KeepAlive, ThePingRunsEveryNinetySecondsFromTheMainWindowsCreation) {
  const bool loggedIn = GetParam();
  std::vector<int> opensAt;
  int opens = 0;
  frmMain->Ping->AfterOpen = [&](TDataSet*) { ++opens; };
  if (loggedIn) Attempt(u"bojan", u"redoven");
  Script().AdvanceBy(89000);
  Script().Then([&] { opensAt.push_back(opens); });
  Script().AdvanceBy(1000);
  Script().Then([&] { opensAt.push_back(opens); });
  Script().AdvanceBy(90000);
  Script().Then([&] {
    opensAt.push_back(opens);
    EXPECT_FALSE(frmMain->Ping->Active());
    EXPECT_EQ(frmLogin->Visible(), !loggedIn);
    if (!loggedIn) frmLogin->Close();
    else frmMain->Close();
  });
  Application->Run();
  EXPECT_EQ(opensAt, (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(Dialogs.empty());
}

INSTANTIATE_TEST_SUITE_P(LoggedInOrNot, KeepAlive, ::testing::Bool());

TEST_F(MainWindowTest, AKilledSessionGivesOneErrorBoxAndTheNextTickWorksAgain) {
  int opens = 0;
  frmMain->Ping->AfterOpen = [&](TDataSet*) { ++opens; };
  Attempt(u"admin", u"Тајна-1");
  Script().Then([&] { KillProgramSession(); });
  Script().AdvanceBy(90000);  // this tick fails; its box stays open for the next two
  Script().AdvanceBy(180000);
  Script().Then([&] { EXPECT_EQ(Dialogs.size(), 0u) << "the box is still open"; });
  AnswerDialog(mrOk);
  Script().AdvanceBy(90000);
  Script().Then([&] { frmMain->Close(); });
  Application->Run();
  ASSERT_EQ(Dialogs.size(), 1u);
  EXPECT_EQ(Dialogs[0].Type, mtError);
  EXPECT_EQ(opens, 1) << "the tick after the box reads again";
}

}  // namespace
