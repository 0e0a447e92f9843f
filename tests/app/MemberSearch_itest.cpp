// The users table of the member forms on its own, as they set it up: the search text travels as a
// parameter, so a quote, a backslash, "%" and "_" neither break nor widen the search; a new search
// on an open table shows its rows at once; a table that never opened searches from its first open;
// the filter holds through a refresh and the auto-refresh and keeps the order; and a condition the
// server rejects leaves the table closed with the condition that worked.
#include <gtest/gtest.h>

#include "MySql/MyClasses_Error.h"
#include "tests/app/MemberTestSupport.h"

namespace {

using namespace apptest;

class MemberSearch : public uitest::TUiTest {
 protected:
  MemberSearch() {
    Db.Exec(SearchUsers);
    Db.Apply(&Conn);
    Users.SetConnection(&Conn);
    Users.SetTableName(u"users");
    Users.SetOrderFields(u"name, surname");
    Users.SetFilterSQL(AssignableUsersFilter);
    Users.Options()->SetAutoRefresh(true);
  }
  std::string UserNames() {
    std::string out;
    for (Users.First(); !Users.Eof(); Users.Next())
      out += (Users.RecNo() > 1 ? "|" : "") +
             UTF8Encode(Users.FieldByName(u"username")->AsString());
    return out;
  }

  TAppDatabase Db;
  TMyConnection Conn{nullptr};
  TMyTable Users{nullptr};
};

TEST_F(MemberSearch, EachSearchOnTheOpenTableListsItsUsersAtOnceAndTheTextNeverBecomesSql) {
  Users.Open();
  // The stored condition lists every administrator and regular user, the unnamed one too.
  EXPECT_EQ(UserNames(), "|back|admin|bojan|petar|under_score|100%real|oneil");
  for (const TSearchCase& c : SearchCases) {
    SCOPED_TRACE(UTF8Encode(c.Text));
    SearchMembers(&Users, c.Text);
    EXPECT_TRUE(Users.Active());
    EXPECT_EQ(UserNames(), c.UserNames);
    EXPECT_EQ(Users.FilterSQL(), MemberSearchFilter);
  }
}

TEST_F(MemberSearch, ATableThatNeverOpenedSearchesFromItsFirstOpen) {
  SearchMembers(&Users, u"регул");
  EXPECT_FALSE(Users.Active());
  Users.Open();
  EXPECT_EQ(UserNames(), "petar");
}

TEST_F(MemberSearch, TheSearchHoldsThroughARefreshAndTheAutoRefreshInItsOrder) {
  Users.Open();
  SearchMembers(&Users, u"ск");
  EXPECT_EQ(UserNames(), "admin|bojan|petar");
  // Rows of other sessions: one found by the search, one of a member, one that does not match.
  Db.Exec(u"INSERT INTO users (name, surname, username, user_type) VALUES "
          u"('Бранко', 'Нововски', 'branko', 2), ('Ѓорѓи', 'Членски', 'gjorgji', 3), "
          u"('Зоран', 'Без', 'zoran', 1)");
  Users.Refresh();
  EXPECT_EQ(UserNames(), "admin|bojan|branko|petar");
  Db.Exec(u"INSERT INTO users (name, surname, username, user_type) VALUES "
          u"('Аце', 'Прваски', 'ace', 1)");
  Script().AdvanceBy(60000);
  RunScript();
  EXPECT_EQ(UserNames(), "admin|ace|bojan|branko|petar");
  EXPECT_TRUE(Users.Options()->AutoRefresh());
}

TEST_F(MemberSearch, AConditionTheServerRejectsLeavesTheTableClosedWithTheOneThatWorked) {
  Users.Open();
  SearchMembers(&Users, u"_");
  EXPECT_THROW(Users.SetFilterSQL(u"no_such_column like :p_search"), EMyError);
  EXPECT_FALSE(Users.Active());
  EXPECT_EQ(Users.FilterSQL(), MemberSearchFilter);
  Users.Open();
  EXPECT_EQ(UserNames(), "under_score");
  // The next search works as before.
  SearchMembers(&Users, u"'");
  EXPECT_EQ(UserNames(), "oneil");
}

}  // namespace
