// Master/detail against the private server, clients as master and payment as detail: a detail
// whose statement names the master's field as a parameter follows the master's current row, a
// link by field pairs adds its condition and queries again, local master/detail filters in
// memory, and a posted detail record moved to another client leaves the detail.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

String Str(int value) { return UTF8ToString(std::to_string(value)); }

class MyMasterDetail : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTestSettings(conn);
    conn.ExecSQL(u"DELETE FROM payment");
    conn.ExecSQL(u"DELETE FROM clients");
    // Three clients with two, one and no payments.
    for (const char16_t* name : {u"Ана", u"Бојан", u"Вера"}) {
      conn.ExecSQL(String(u"INSERT INTO clients (full_name) VALUES ('") + name + u"')");
      ids.push_back(Count(u"SELECT MAX(id) FROM clients"));
    }
    AddPayment(ids[0], 10, u"first");
    AddPayment(ids[0], 20, u"second");
    AddPayment(ids[1], 30, u"third");
    master.SetConnection(&conn);
    master.SetSQLText(u"SELECT id, full_name FROM clients ORDER BY id");
    source.SetDataSet(&master);
    detail.SetConnection(&conn);
  }

  void AddPayment(int client, int amount, const String& note) {
    conn.ExecSQL(u"INSERT INTO payment (client_id, amount, note, type) VALUES (" + Str(client) +
                 u", " + Str(amount) + u", '" + note + u"', 1)");
  }
  int Count(const String& sql) {
    TMyQuery query(nullptr);
    query.SetConnection(&conn);
    query.SetSQLText(sql);
    query.Open();
    return query.Fields()->Fields(0)->AsInteger();
  }
  // The amounts the detail shows, in order.
  String Amounts() {
    String text;
    detail.First();
    while (!detail.Eof()) {
      if (!text.empty()) text += u",";
      text += detail.FieldByName(u"amount")->AsString();
      detail.Next();
    }
    return text;
  }

  TMyConnection conn{nullptr};
  TMyQuery master{nullptr};
  TMyDataSource source{nullptr};
  TMyQuery detail{nullptr};
  std::vector<int> ids;
};

TEST_F(MyMasterDetail, ParameterNamedLikeAMasterFieldFollowsTheMastersRow) {
  detail.SetSQLText(u"SELECT * FROM payment WHERE client_id = :id ORDER BY amount");
  detail.SetMasterSource(&source);
  int before = 0;
  int after = 0;
  detail.BeforeRefresh = [&](TDataSet*) { ++before; };
  detail.AfterRefresh = [&](TDataSet*) { ++after; };
  master.Open();
  detail.Open();
  EXPECT_EQ(Amounts(), u"10,20");
  EXPECT_EQ(before, 0);
  EXPECT_EQ(detail.ParamByName(u"id")->AsInteger(), ids[0]);
  EXPECT_EQ(detail.ParamByName(u"id")->ParamType(), ptInput);
  // The same master values change nothing, so the detail is not queried again for them.
  EXPECT_FALSE(detail.BindToMaster());

  master.Next();
  EXPECT_EQ(detail.ParamByName(u"id")->AsInteger(), ids[1]);
  EXPECT_EQ(Amounts(), u"30");
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  master.Next();
  EXPECT_EQ(detail.RecordCount(), 0);
  master.First();
  EXPECT_EQ(Amounts(), u"10,20");

  // The detail's link fields are the parameters that name master fields.
  std::vector<TField*> masterFields;
  std::vector<TField*> detailFields;
  detail.GetDetailLinkFields(masterFields, detailFields);
  ASSERT_EQ(masterFields.size(), 1u);
  ASSERT_EQ(detailFields.size(), 1u);
  EXPECT_EQ(masterFields[0], master.FieldByName(u"id"));
  EXPECT_EQ(detailFields[0], detail.FieldByName(u"id"));
}

TEST_F(MyMasterDetail, TextMasterFieldBindsItsValue) {
  // The master's note is a text column: the parameter takes its text, shared or copied.
  master.SetSQLText(u"SELECT note FROM payment ORDER BY amount");
  detail.SetSQLText(u"SELECT amount FROM payment WHERE note = :note");
  detail.SetMasterSource(&source);
  master.Open();
  detail.Open();
  EXPECT_EQ(Amounts(), u"10");
  master.Last();
  EXPECT_EQ(detail.ParamByName(u"note")->AsString(), u"third");
  EXPECT_EQ(Amounts(), u"30");
}

TEST_F(MyMasterDetail, FieldPairsAddTheConditionAndQueryAgainOnEveryMove) {
  detail.SetSQLText(u"SELECT * FROM payment ORDER BY amount");
  master.Open();
  detail.Open();
  EXPECT_EQ(detail.RecordCount(), 3);
  // Linking an open detail builds the statement again and reopens it.
  detail.SetMasterSource(&source);
  detail.SetMasterFields(u"id");
  detail.SetDetailFields(u"client_id");
  ASSERT_TRUE(detail.Active());
  EXPECT_EQ(detail.FinalSQL(), u"SELECT * FROM payment\rWHERE client_id = :id  ORDER BY amount");
  EXPECT_EQ(Amounts(), u"10,20");
  master.Next();
  EXPECT_EQ(Amounts(), u"30");

  // A quoted column name reaches the server as the same column.
  detail.Options()->SetQuoteNames(true);
  detail.SetMasterFields(u"id");
  detail.Close();
  detail.SetDetailFields(u"");
  detail.SetDetailFields(u"client_id");
  EXPECT_EQ(detail.FinalSQL(),
            u"SELECT * FROM payment\rWHERE `client_id` = :id  ORDER BY amount");
  detail.Open();
  EXPECT_EQ(Amounts(), u"30");
  master.First();
  EXPECT_EQ(Amounts(), u"10,20");

  // Unlinked, the plain statement runs again.
  detail.SetMasterSource(nullptr);
  EXPECT_EQ(detail.FinalSQL(), u"SELECT * FROM payment ORDER BY amount");
  EXPECT_EQ(detail.RecordCount(), 3);
}

TEST_F(MyMasterDetail, LocalMasterDetailFiltersTheRowsItHas) {
  detail.SetSQLText(u"SELECT * FROM payment ORDER BY amount");
  detail.Options()->SetLocalMasterDetail(true);
  detail.SetMasterSource(&source);
  detail.SetMasterFields(u"id");
  detail.SetDetailFields(u"client_id");
  EXPECT_EQ(detail.FinalSQL(), u"SELECT * FROM payment ORDER BY amount");
  master.Open();
  detail.Open();
  EXPECT_EQ(Amounts(), u"10,20");
  // A row added on the server meanwhile stays unseen: the detail is not queried again.
  AddPayment(ids[1], 40, u"late");
  master.Next();
  EXPECT_EQ(Amounts(), u"30");
}

TEST_F(MyMasterDetail, PostedRecordOfAnotherMasterLeavesTheDetail) {
  detail.SetSQLText(u"SELECT * FROM payment ORDER BY amount");
  detail.SetMasterSource(&source);
  detail.SetMasterFields(u"id");
  detail.SetDetailFields(u"client_id");
  master.Open();
  detail.Open();
  ASSERT_EQ(Amounts(), u"10,20");

  detail.First();
  detail.Edit();
  detail.FieldByName(u"client_id")->SetAsInteger(ids[1]);
  detail.Post();
  EXPECT_EQ(Amounts(), u"20");
  EXPECT_EQ(detail.FieldByName(u"amount")->AsInteger(), 20);
  EXPECT_EQ(Count(u"SELECT COUNT(*) FROM payment WHERE client_id = " + Str(ids[1])), 2);

  // A record that stays with its master stays in the detail.
  detail.Edit();
  detail.FieldByName(u"amount")->SetAsInteger(25);
  detail.Post();
  EXPECT_EQ(Amounts(), u"25");

  master.Next();
  EXPECT_EQ(Amounts(), u"10,30");
}

TEST_F(MyMasterDetail, CachedUpdatesCannotMoveARecordToAnotherMaster) {
  detail.SetSQLText(u"SELECT * FROM payment ORDER BY amount");
  detail.SetMasterSource(&source);
  detail.SetMasterFields(u"id");
  detail.SetDetailFields(u"client_id");
  detail.SetCachedUpdates(true);
  master.Open();
  detail.Open();
  detail.Edit();
  detail.FieldByName(u"client_id")->SetAsInteger(ids[2]);
  try {
    detail.Post();
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message().rfind(u"Can not use Master/Detail with CachedUpdates", 0), 0u);
  }
  detail.Cancel();
  detail.CancelUpdates();
  EXPECT_EQ(Count(u"SELECT COUNT(*) FROM payment WHERE client_id = " + Str(ids[2])), 0);
}

}  // namespace
