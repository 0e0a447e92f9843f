// A MySQL dataset leaves the required columns to the server: a NOT NULL column that the row leaves
// empty posts, and the server fills in its default.
#include <gtest/gtest.h>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

TEST(MyRequiredFields, AnEmptyNotNullColumnWithADefaultPostsAndTheServerDefaultApplies) {
  TOtherSession check;
  check.Exec(u"DROP TABLE IF EXISTS required_default");
  check.Exec(
      u"CREATE TABLE required_default (id INT NOT NULL AUTO_INCREMENT PRIMARY KEY, "
      u"status VARCHAR(10) NOT NULL DEFAULT 'Active', title VARCHAR(50))");
  TMyConnection conn(nullptr);
  ApplyTestSettings(conn);
  TMyQuery query(nullptr);
  query.SetConnection(&conn);
  query.SetSQLText(u"select * from required_default");
  query.Open();
  EXPECT_FALSE(query.FieldByName(u"status")->Required());
  query.Append();
  query.FieldByName(u"title")->SetAsString(u"Нов запис");
  query.Post();  // a required field would refuse the row here
  const String id = query.FieldByName(u"id")->AsString();
  EXPECT_EQ(check.One(u"SELECT status FROM required_default WHERE id = " + id), u"Active");
  EXPECT_EQ(check.One(u"SELECT title FROM required_default WHERE id = " + id), u"Нов запис");
  check.Exec(u"DROP TABLE required_default");
}

}  // namespace
