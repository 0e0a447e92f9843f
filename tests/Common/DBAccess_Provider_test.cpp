// The dataset component without a server: the link condition a detail adds to its statement,
// parameters set by a provider (by name, by position, whole), the table name of a closed dataset,
// the OnUpdateRecord branch of a provider's update, and assigning one component to another.
#include <gtest/gtest.h>

#include <memory>

#include "Common/DBAccess.h"
#include "Common/DBAccess_SQLText.h"
#include "platform/db/DataSource.h"
#include "platform/db/Params.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// A component of the neutral SQL dialect, with no connection.
class TNeutralDataSet : public TCustomDADataSet {
 public:
  TNeutralDataSet() : TCustomDADataSet(nullptr) {}
  String SQLAddWhere(const String& sql, const String& condition) override {
    return ::AddWhere(sql, condition);
  }
  String SQLGetFrom(const String& sql) override { return GetFromClause(sql); }
  String SQLGetOrderBy(const String& sql) override { return ::GetOrderBy(sql); }
};

class DetailCondition : public ::testing::Test {
 protected:
  void SetUp() override {
    detail.SetSQLText(u"SELECT * FROM payment WHERE type = 1 ORDER BY id");
    detail.SetMasterSource(&masterSource);
  }
  TDataSource masterSource{nullptr};
  TNeutralDataSet detail;
};

TEST_F(DetailCondition, LinkFieldsAddTheirConditionsAndParameters) {
  detail.SetMasterFields(u"id;kind;extra");
  detail.SetDetailFields(u"client_id;payment kind");
  // The third master field has no partner; a name that needs quotes gets them.
  EXPECT_EQ(detail.FinalSQL(),
            u"SELECT * FROM payment WHERE (type = 1) AND client_id = :id and "
            u"\"payment kind\" = :kind  ORDER BY id");
  ASSERT_EQ(detail.Params()->Count(), 2);
  EXPECT_EQ(detail.Params()->Items(0)->Name(), u"id");
  EXPECT_EQ(detail.Params()->Items(1)->Name(), u"kind");
  // The SQL property itself is left as the user wrote it.
  EXPECT_EQ(detail.SQL()->Text(), u"SELECT * FROM payment WHERE type = 1 ORDER BY id\n");
}

TEST_F(DetailCondition, QuoteNamesQuotesTheColumnAndTheFilterComesFirst) {
  detail.Options()->SetQuoteNames(true);
  detail.SetFilterSQL(u"amount > 0");
  detail.SetMasterFields(u"id");
  detail.SetDetailFields(u"client_id");
  EXPECT_EQ(detail.FinalSQL(),
            u"SELECT * FROM payment WHERE ((type = 1) AND amount > 0) AND \"client_id\" = "
            u":id   ORDER BY id");
}

TEST_F(DetailCondition, LocalMasterDetailOrAnIncompleteLinkAddsNothing) {
  const String plain = u"SELECT * FROM payment WHERE type = 1 ORDER BY id";
  detail.SetMasterFields(u"id");
  EXPECT_EQ(detail.FinalSQL(), plain);  // no detail fields yet
  detail.SetDetailFields(u"client_id");
  detail.Options()->SetLocalMasterDetail(true);
  EXPECT_TRUE(detail.IsLocalMasterDetail());
  EXPECT_EQ(detail.FinalSQL(), plain);
  detail.Options()->SetLocalMasterDetail(false);
  detail.SetMasterSource(nullptr);
  EXPECT_EQ(detail.FinalSQL(), plain);  // no master
  EXPECT_EQ(detail.Params()->Count(), 0);
}

// ---- Parameters a provider sets.

class ProviderParams : public ::testing::Test {
 protected:
  void SetUp() override {
    dataSet.SetSQLText(u"SELECT * FROM payment WHERE client_id = :client AND type = :kind");
    dataSet.ParamByName(u"client")->SetAsInteger(1);
    dataSet.ParamByName(u"kind")->SetAsInteger(2);
  }
  TParam* Given(const String& name, const Variant& value) {
    TParam* param = given.CreateParam(ftInteger, name, ptInput);
    param->SetValue(value);
    return param;
  }
  TNeutralDataSet dataSet;
  TParams given{nullptr};
};

TEST_F(ProviderParams, AShorterListSetsByNameElseByPositionKeepingTheOwnNames) {
  Given(u"KIND", 7);
  dataSet.PSSetParams(&given);
  EXPECT_EQ(dataSet.ParamByName(u"client")->AsInteger(), 1);
  EXPECT_EQ(dataSet.ParamByName(u"kind")->AsInteger(), 7);
  EXPECT_EQ(dataSet.ParamByName(u"kind")->ParamType(), ptInput);

  given.Clear();
  Given(u"unknown", 9);
  dataSet.PSSetParams(&given);
  // Position 0: the statement still names the parameter "client".
  ASSERT_NE(dataSet.FindParam(u"client"), nullptr);
  EXPECT_EQ(dataSet.ParamByName(u"client")->AsInteger(), 9);
  EXPECT_EQ(dataSet.FindParam(u"unknown"), nullptr);
  EXPECT_EQ(dataSet.ParamByName(u"kind")->AsInteger(), 7);
}

TEST_F(ProviderParams, AnEmptyListChangesNothingAndAFullOneReplacesTheList) {
  dataSet.PSSetParams(&given);
  EXPECT_EQ(dataSet.ParamByName(u"client")->AsInteger(), 1);

  Given(u"kind", 5);
  Given(u"client", 6);
  dataSet.PSSetParams(&given);
  ASSERT_EQ(dataSet.Params()->Count(), 2);
  EXPECT_EQ(dataSet.Params()->Items(0)->Name(), u"kind");
  EXPECT_EQ(dataSet.ParamByName(u"client")->AsInteger(), 6);
  EXPECT_EQ(dataSet.PSGetParams(), dataSet.Params());
}

TEST_F(ProviderParams, CommandTextReplacesTheSQLOnlyWhenGiven) {
  dataSet.PSSetCommandText(u"");
  EXPECT_EQ(dataSet.Params()->Count(), 2);
  dataSet.PSSetCommandText(u"SELECT * FROM clients WHERE id = :id");
  EXPECT_EQ(dataSet.SQL()->Text(), u"SELECT * FROM clients WHERE id = :id\n");
  ASSERT_EQ(dataSet.Params()->Count(), 1);
  EXPECT_EQ(dataSet.Params()->Items(0)->Name(), u"id");
}

// ---- The table of a closed dataset.

TEST(ProviderTableName, ClosedDataSetNamesItsUpdatingTableElseTheOneTableOfTheStatement) {
  struct Case {
    const char16_t* sql;
    const char16_t* updatingTable;
    const char16_t* expected;
  };
  const Case cases[] = {
      {u"SELECT * FROM payment WHERE id = 1", u"", u"payment"},
      {u"SELECT * FROM payment p ORDER BY p.id", u"", u"payment"},
      {u"SELECT * FROM app.payment AS p", u"", u"app.payment"},
      {u"SELECT * FROM payment p, clients c WHERE p.client_id = c.id", u"", u""},
      {u"SELECT * FROM payment p JOIN clients c ON p.client_id = c.id", u"", u""},
      {u"SELECT * FROM (SELECT * FROM payment) t", u"", u""},
      {u"SELECT * FROM payment p, clients c", u"clients", u"clients"},
      {u"SELECT * FROM payment", u"\"the payments\"", u"\"the payments\""},
  };
  for (const Case& c : cases) {
    TNeutralDataSet dataSet;
    dataSet.SetSQLText(c.sql);
    dataSet.SetUpdatingTable(c.updatingTable);
    EXPECT_EQ(dataSet.PSGetTableName(), c.expected) << UTF8Encode(c.sql);
  }
}

TEST(ProviderOrder, NoOrderByGivesNoIndex) {
  TNeutralDataSet dataSet;
  dataSet.SetSQLText(u"SELECT * FROM payment");
  EXPECT_EQ(dataSet.PSGetDefaultOrder(), nullptr);
}

// ---- A provider's update of one record.

TEST(ProviderUpdateRecord, TheHandlerDecidesAndWithoutOneTheCallerApplies) {
  TNeutralDataSet dataSet;
  TNeutralDataSet delta;
  EXPECT_FALSE(dataSet.PSUpdateRecord(ukModify, &delta));

  TDataSet* seen = nullptr;
  TUpdateKind seenKind = ukInsert;
  TUpdateAction answer = uaApplied;
  dataSet.OnUpdateRecord = [&](TDataSet* target, TUpdateKind kind, TUpdateAction& action) {
    EXPECT_EQ(action, uaFail);
    seen = target;
    seenKind = kind;
    action = answer;
  };
  EXPECT_TRUE(dataSet.PSUpdateRecord(ukDelete, &delta));
  EXPECT_EQ(seen, &delta);
  EXPECT_EQ(seenKind, ukDelete);
  for (TUpdateAction other : {uaFail, uaSkip, uaAbort}) {
    answer = other;
    EXPECT_FALSE(dataSet.PSUpdateRecord(ukModify, &delta));
  }
}

// ---- Assignment.

TEST(DataSetAssign, CopiesTheStatementItsSettingsAndTexts) {
  TNeutralDataSet source;
  source.SetSQLText(u"SELECT * FROM payment WHERE client_id = :client &cond");
  source.MacroByName(u"cond")->SetValue(u"AND type = 1");
  source.ParamByName(u"client")->SetAsInteger(42);
  source.SetFilterSQL(u"amount > 10");
  source.UpdateSQL(stInsert)->SetText(u"INSERT INTO payment (client_id) VALUES (:client_id)");
  source.UpdateSQL(stDelete)->SetText(u"DELETE FROM payment WHERE id = :old_id");
  source.SetFetchRows(77);
  source.SetUniDirectional(true);
  source.SetAutoCommit(false);
  source.SetDebug(true);
  source.SetRefreshOptions({roAfterInsert, roBeforeEdit});
  source.SetUpdatingTable(u"payment");
  source.SetKeyFields(u"id");
  source.SetLockMode(lmOptimistic);
  source.Options()->SetQuoteNames(true);
  source.Options()->SetLocalMasterDetail(true);
  source.SetParamCheck(true);

  TNeutralDataSet target;
  target.UpdateSQL(stUpdate)->SetText(u"UPDATE payment SET amount = 0");
  target.Assign(&source);

  EXPECT_EQ(target.SQL()->Text(), source.SQL()->Text());
  EXPECT_EQ(target.MacroByName(u"cond")->Value(), u"AND type = 1");
  EXPECT_EQ(target.ParamByName(u"client")->AsInteger(), 42);
  EXPECT_EQ(target.FilterSQL(), u"amount > 10");
  EXPECT_EQ(target.FinalSQL(), source.FinalSQL());
  EXPECT_EQ(target.UpdateSQL(stInsert)->Text(), source.UpdateSQL(stInsert)->Text());
  EXPECT_EQ(target.UpdateSQL(stDelete)->Text(), source.UpdateSQL(stDelete)->Text());
  EXPECT_EQ(target.UpdateSQL(stUpdate)->Text(), u"");  // the source's empty text too
  EXPECT_EQ(target.FetchRows(), 77);
  EXPECT_TRUE(target.UniDirectional());
  EXPECT_FALSE(target.AutoCommit());
  EXPECT_TRUE(target.Debug());
  EXPECT_EQ(target.RefreshOptions(), (TRefreshOptions{roAfterInsert, roBeforeEdit}));
  EXPECT_EQ(target.UpdatingTable(), u"payment");
  EXPECT_EQ(target.KeyFields(), u"id");
  EXPECT_EQ(target.LockMode(), lmOptimistic);
  EXPECT_TRUE(target.Options()->QuoteNames());
  EXPECT_TRUE(target.Options()->LocalMasterDetail());
  EXPECT_EQ(target.Connection(), nullptr);
}

}  // namespace
