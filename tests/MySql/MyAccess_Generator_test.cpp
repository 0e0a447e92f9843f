#include "MySql/MyAccess_Generator.h"

#include <gtest/gtest.h>

#include <functional>

#include "MySql/MyClasses_RecordSetFields.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyParser.h"
#include "platform/rtl/Exceptions.h"
#include "tests/Common/DBAccess_SQLGenerator_TestHost.h"

namespace {

// The application's payment table as the MySQL record set describes it, with a TIMESTAMP column
// the server updates by itself.
struct MyPaymentHost : TRecordHost {
  MyPaymentHost()
      : TRecordHost(u"payment", u"", std::make_unique<TMySQLInfo>(&NewParser<TMyParser>),
                    []() -> TLxFieldDesc* { return new TMySQLFieldDesc(); }) {
    Parser = &NewParser<TMyParser>;
    AddField(u"id", true);
    AddField(u"amount");
    AddField(u"note", false, 14);
    Stamp = static_cast<TMySQLFieldDesc*>(AddField(u"changed_on"));
    Stamp->SetMySQLType(7);
    Stamp->SetIsAutoUpdateTimestamp(true);
    Values[Descs[1]].Changed = true;
  }
  TMySQLFieldDesc* Stamp;
};

String Build(TDASQLGenerator& gen, TStatementType type, TDAParams* params) {
  String text;
  gen.BuildUpdatingTableStatement(type, true, text, -1, params);
  return text;
}

TEST(MySQLGenerator, LockStatement) {
  MyPaymentHost host;
  TCustomMySQLGenerator gen(&host);
  TDAParams params;
  EXPECT_EQ(Build(gen, stLock, &params),
            u"SELECT * FROM payment\r\nWHERE\r\n  id = ?\r\nFOR UPDATE");
  gen.LockType = 1;
  EXPECT_EQ(Build(gen, stLock, &params),
            u"SELECT * FROM payment\r\nWHERE\r\n  id = ?\r\nLOCK IN SHARE MODE");
  gen.LockType = 2;
  EXPECT_EQ(Build(gen, stLock, &params), u"SELECT * FROM payment\r\nWHERE\r\n  id = ?");
}

TEST(MySQLGenerator, RowVersionConditions) {
  MyPaymentHost host;
  TCustomMySQLGenerator gen(&host);
  TDAParams params;
  EXPECT_EQ(Build(gen, stUpdate, &params),
            u"UPDATE payment\r\nSET\r\n  amount = ?\r\nWHERE\r\n  id = ?");
  gen.CheckRowVersion = true;
  EXPECT_EQ(Build(gen, stUpdate, &params),
            u"UPDATE payment\r\nSET\r\n  amount = ?\r\nWHERE\r\n  id = ? AND changed_on = ?");
  // Without a TIMESTAMP value every other non-blob value must still be as it was read.
  host.Values[host.Stamp].OldNull = true;
  EXPECT_EQ(Build(gen, stDelete, &params),
            u"DELETE FROM payment\r\nWHERE\r\n  id = ? AND amount = ? AND changed_on IS NULL");
  EXPECT_EQ(params.Count(), 2);

  // A computed column has no table and gives no condition.
  static_cast<TLxFieldDesc*>(host.Descs[0])->SetTableInfo(nullptr);
  gen.CheckRowVersion = false;
  host.Fields.KeyFieldDescs = {host.Descs[0], host.Descs[1]};
  EXPECT_EQ(Build(gen, stDelete, &params), u"DELETE FROM payment\r\nWHERE\r\n  amount = ?");
}

TEST(MySQLGenerator, QuickRefreshComparesTheNewestTimestamp) {
  MyPaymentHost host;
  host.SQL = u"SELECT * FROM payment ORDER BY id LIMIT 100";
  TCustomMySQLGenerator gen(&host);
  EXPECT_THROW(Build(gen, stRefreshQuick, nullptr), EDatabaseError);
  gen.TimestampField = host.Stamp;
  EXPECT_EQ(Build(gen, stRefreshQuick, nullptr),
            u"SELECT * FROM payment\rWHERE changed_on >= '1899-12-30 00:00:00'  ORDER BY id "
            u"LIMIT 100");
}

// A kept UPDATE with the row-version check serves the next record only while the column the check
// compares stays the same: each case keeps a statement, changes one fact of a descriptor and
// compares the generator's verdict with a fresh build.
struct RowVersionShapeCase {
  const char* Name;
  std::function<void(MyPaymentHost&)> Setup;
  std::function<void(MyPaymentHost&)> Change;
  bool SameStatement;
};

const RowVersionShapeCase kRowVersionShapeCases[] = {
    {"NothingChanged", [](MyPaymentHost&) {}, [](MyPaymentHost&) {}, true},
    {"StampNoLongerATimestamp", [](MyPaymentHost&) {},
     [](MyPaymentHost& h) { h.Stamp->SetMySQLType(12); }, false},
    // With two TIMESTAMP columns the one the server updates wins; without it, the first.
    {"StampNoLongerUpdatedByTheServer",
     [](MyPaymentHost& h) { static_cast<TMySQLFieldDesc*>(h.Descs[1])->SetMySQLType(7); },
     [](MyPaymentHost& h) { h.Stamp->SetIsAutoUpdateTimestamp(false); }, false},
};

class MySQLGeneratorRowVersionShape : public ::testing::TestWithParam<RowVersionShapeCase> {};

TEST_P(MySQLGeneratorRowVersionShape, AKeptStatementFollowsTheRowVersionColumn) {
  const RowVersionShapeCase& c = GetParam();
  MyPaymentHost host;
  c.Setup(host);
  TCustomMySQLGenerator gen(&host);
  gen.CheckRowVersion = true;
  TDAParams params;
  String kept = Build(gen, stUpdate, &params);
  TStatementShape shape;
  ASSERT_TRUE(gen.KeepLastShape(shape));
  c.Change(host);
  bool matches = gen.MatchesShape(shape, stUpdate, true);
  EXPECT_EQ(Build(gen, stUpdate, &params) == kept, c.SameStatement) << "the case's own premise";
  EXPECT_EQ(matches, c.SameStatement);
}

INSTANTIATE_TEST_SUITE_P(Cases, MySQLGeneratorRowVersionShape,
                         ::testing::ValuesIn(kRowVersionShapeCases),
                         [](const ::testing::TestParamInfo<RowVersionShapeCase>& info) {
                           return std::string(info.param.Name);
                         });

TEST(MySQLGenerator, TableSelect) {
  MyPaymentHost host;
  TCustomMySQLGenerator gen(&host);
  EXPECT_EQ(gen.BuildTableSelect(u"payment", u""), u"SELECT * FROM payment");
  gen.Offset = 20;
  EXPECT_EQ(gen.BuildTableSelect(u"payment", u"id DESC"),
            u"SELECT * FROM payment ORDER BY id DESC LIMIT 20, 2147483647");
  gen.Offset = 0;
  gen.Limit = 5;
  EXPECT_EQ(gen.BuildTableSelect(u"my table", u""), u"SELECT * FROM `my table` LIMIT 0, 5");

  gen.UseHandler = true;
  EXPECT_EQ(gen.BuildTableSelect(u"t", u""),
            u"HANDLER t OPEN; HANDLER t READ FIRST LIMIT 0, 5; HANDLER t CLOSE");
  gen.HandlerIndex = u" `PRIMARY` ";
  gen.FilterSQL = u"a > 1";
  EXPECT_EQ(gen.BuildTableSelect(u"t", u""),
            u"HANDLER t OPEN; HANDLER t READ `PRIMARY` FIRST WHERE a > 1 LIMIT 0, 5; HANDLER t CLOSE");
  gen.HandlerIndex = u"`PRIMARY` = (5)";
  gen.FilterSQL = u"";
  EXPECT_EQ(gen.BuildTableSelect(u"t", u""),
            u"HANDLER t OPEN; HANDLER t READ `PRIMARY` = (5) LIMIT 0, 5; HANDLER t CLOSE");
}

TEST(MySQLGenerator, PlaceholderPositionsSkipStringsAndComments) {
  EXPECT_EQ(PlaceholderPositions(u"UPDATE t SET a = ? WHERE id = ?"), (std::vector<int>{18, 31}));
  // "?" in a string, a quoted name or a comment is text; positions count UTF-8 bytes.
  EXPECT_EQ(PlaceholderPositions(u"SELECT '?', \"?\", `?` /* ? */ -- ?\n, 'я', ? # ?"),
            (std::vector<int>{43}));
  EXPECT_TRUE(PlaceholderPositions(u"SELECT 1").empty());
}

}  // namespace
