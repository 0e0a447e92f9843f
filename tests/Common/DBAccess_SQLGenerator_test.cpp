#include "Common/DBAccess_SQLGenerator.h"

#include <gtest/gtest.h>

#include "Common/DBAccess_SQLText.h"
#include "tests/Common/DBAccess_SQLGenerator_TestHost.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// The application's payment table: an AUTO_INCREMENT key the server fills, so the key is no
// data field and an INSERT leaves it out.
struct PaymentHost : TRecordHost {
  PaymentHost() : TRecordHost(u"payment", u"") {
    Id = AddField(u"id", true);
    Fields.DataFieldDescs.clear();
    Identity = Id;
    for (const char16_t* name :
         {u"client_id", u"amount", u"payment_date", u"note", u"type", u"added_by", u"added_on"})
      AddField(name);
  }
  TLxFieldDesc* Id;
};

// A table keyed by two columns, both written by an INSERT.
struct ItemHost : TRecordHost {
  ItemHost() : TRecordHost(u"payment_item", u"") {
    AddField(u"payment_id", true);
    AddField(u"line_no", true);
    AddField(u"amount");
    AddField(u"note", false, 14);  // a memo: never a condition
  }
};

String Names(const TDAParams& params) {
  String names;
  for (int i = 0; i < params.Count(); ++i) names += (i ? u"," : u"") + params.Items(i)->Name();
  return names;
}

String Build(TDASQLGenerator& gen, TStatementType type, TDAParams* params, bool modifiedOnly = true,
             int batchIndex = -1) {
  String text;
  gen.BuildUpdatingTableStatement(type, modifiedOnly, text, batchIndex, params);
  return text;
}

TEST(SQLGenerator, AutoIncrementTableStatements) {
  PaymentHost host;
  host.Values[host.Descs[4]].NewNull = true;  // note left empty
  host.Values[host.Descs[2]].Changed = true;  // amount edited
  TDASQLGenerator gen(&host);
  TDAParams params;

  EXPECT_EQ(Build(gen, stInsert, &params),
            u"INSERT INTO payment\r\n"
            u"  (client_id, amount, payment_date, type, added_by, added_on)\r\n"
            u"VALUES\r\n"
            u"  (?, ?, ?, ?, ?, ?)");
  EXPECT_EQ(Names(params), u"client_id,amount,payment_date,type,added_by,added_on");
  ASSERT_EQ(gen.ParamsInfo()->Count(), 6);
  EXPECT_FALSE(gen.ParamsInfo()->Items(0)->Old());

  EXPECT_EQ(Build(gen, stInsert, &params, false),
            u"INSERT INTO payment\r\n"
            u"  (client_id, amount, payment_date, note, type, added_by, added_on)\r\n"
            u"VALUES\r\n"
            u"  (?, ?, ?, ?, ?, ?, ?)");

  EXPECT_EQ(Build(gen, stUpdate, &params),
            u"UPDATE payment\r\nSET\r\n  amount = ?\r\nWHERE\r\n  id = ?");
  EXPECT_EQ(Names(params), u"amount,Old_id");
  EXPECT_TRUE(gen.ParamsInfo()->Items(1)->Old());

  EXPECT_EQ(Build(gen, stDelete, &params), u"DELETE FROM payment\r\nWHERE\r\n  id = ?");
  EXPECT_EQ(Names(params), u"Old_id");

  // A refresh reads the record by the key it holds now, each column under its store index.
  EXPECT_EQ(Build(gen, stRefresh, &params),
            u"SELECT client_id AS _1, amount AS _2, payment_date AS _3, note AS _4, type AS _5, "
            u"added_by AS _6, added_on AS _7 FROM payment\r\nWHERE\r\n  id = ?");
  EXPECT_EQ(Names(params), u"id");
  EXPECT_FALSE(gen.ParamsInfo()->Items(0)->Old());

  // Without any key field the identity column identifies the row.
  host.Fields.KeyFieldDescs.clear();
  EXPECT_EQ(Build(gen, stDelete, &params), u"DELETE FROM payment\r\nWHERE\r\n  id = ?");
}

TEST(SQLGenerator, CompositeKeyTableStatements) {
  ItemHost host;
  host.Values[host.Descs[2]].Changed = true;
  host.Values[host.Descs[3]].Changed = true;
  TDASQLGenerator gen(&host);
  TDAParams params;

  EXPECT_EQ(Build(gen, stInsert, &params),
            u"INSERT INTO payment_item\r\n  (payment_id, line_no, amount, note)\r\nVALUES\r\n"
            u"  (?, ?, ?, ?)");
  EXPECT_EQ(Build(gen, stUpdate, &params),
            u"UPDATE payment_item\r\nSET\r\n  amount = ?, note = ?\r\nWHERE\r\n"
            u"  payment_id = ? AND line_no = ?");
  EXPECT_EQ(Names(params), u"amount,note,Old_payment_id,Old_line_no");
  EXPECT_EQ(Build(gen, stDelete, &params),
            u"DELETE FROM payment_item\r\nWHERE\r\n  payment_id = ? AND line_no = ?");

  // A key whose old value is null is compared with IS NULL and needs no parameter.
  host.Values[host.Descs[1]].OldNull = true;
  EXPECT_EQ(Build(gen, stDelete, &params),
            u"DELETE FROM payment_item\r\nWHERE\r\n  payment_id = ? AND line_no IS NULL");
  EXPECT_EQ(Names(params), u"Old_payment_id");
  EXPECT_EQ(gen.ParamsInfo()->Count(), 1);

  // Without keys every non-blob data field identifies the row.
  host.Fields.KeyFieldDescs.clear();
  host.Values[host.Descs[1]].OldNull = false;
  EXPECT_EQ(Build(gen, stDelete, &params),
            u"DELETE FROM payment_item\r\nWHERE\r\n  payment_id = ? AND line_no = ? AND amount = ?");
}

TEST(SQLGenerator, ParameterNames) {
  PaymentHost host;
  host.Values[host.Descs[2]].Changed = true;
  TDASQLGenerator gen(&host);
  TDAParams params;

  Build(gen, stUpdate, &params, true, 2);
  EXPECT_EQ(Names(params), u"P_2_amount,P_2_Old_id");
  EXPECT_EQ(gen.ParamsInfo()->Items(1)->ParamIndex(), 2);

  // Without a target list the placeholders name their parameters.
  EXPECT_EQ(Build(gen, stUpdate, nullptr),
            u"UPDATE payment\r\nSET\r\n  amount = :amount\r\nWHERE\r\n  id = :Old_id");

  host.QuoteNamesOption = true;
  EXPECT_EQ(Build(gen, stDelete, &params), u"DELETE FROM \"payment\"\r\nWHERE\r\n  \"id\" = ?");
  EXPECT_EQ(Names(params), u"\"Old_id\"");

  struct ShortNames : TDASQLGenerator {
    using TDASQLGenerator::TDASQLGenerator;
    int MaxParamNameLength() override { return 8; }
  };
  host.QuoteNamesOption = false;
  ShortNames shortGen(&host);
  Build(shortGen, stUpdate, &params);
  EXPECT_EQ(Names(params), u"amount,Old_id");
  host.Values[host.Descs[2]].Changed = false;
  host.Values[host.Descs[3]].Changed = true;  // payment_date: too long with its prefix
  host.Fields.KeyFieldDescs = {host.Descs[3]};
  Build(shortGen, stUpdate, &params);
  EXPECT_EQ(Names(params), u"4,Old_4");
}

TEST(SQLGenerator, RefreshInsideTheDatasetsOwnSQL) {
  PaymentHost host;
  host.Table->SetTableAlias(u"p");
  host.ReadOnlyOption = true;
  host.SQL = u"SELECT p.*, c.full_name FROM payment p, clients c WHERE p.client_id = c.id "
             u"ORDER BY payment_date DESC";
  TDASQLGenerator gen(&host);
  TDAParams params;
  EXPECT_EQ(Build(gen, stRefresh, &params),
            u"SELECT p.*, c.full_name FROM payment p, clients c WHERE (p.client_id = c.id) AND "
            u"\r\n  p.id = ?  ORDER BY payment_date DESC");

  // With parameters of its own the refresh names all of its parameters, and a key named like
  // one of them gets a prefix of its own.
  host.SQL = u"SELECT * FROM payment p WHERE p.type = :type AND p.id > :id";
  host.Own.CreateParam(ftInteger, u"type", ptInput);
  host.Own.CreateParam(ftInteger, u"id", ptInput);
  EXPECT_EQ(Build(gen, stRefresh, &params),
            u"SELECT * FROM payment p WHERE (p.type = :type AND p.id > :id) AND \r\n"
            u"  p.id = :P_1_id ");
  EXPECT_EQ(Names(params), u"P_1_id");
}

TEST(SQLGenerator, DeletedRowCheckListsTheKeys) {
  ItemHost host;
  host.SQL = u"SELECT * FROM payment_item WHERE amount > 0 ORDER BY line_no";
  TDASQLGenerator gen(&host);
  EXPECT_EQ(Build(gen, stRefreshCheckDeleted, nullptr),
            u"SELECT payment_id, line_no FROM payment_item WHERE amount > 0 ORDER BY "
            u"payment_id, line_no");
}

TEST(SQLGenerator, Failures) {
  ItemHost host;
  TDASQLGenerator gen(&host);
  TDAParams params;

  // Nothing changed: no statement and no parameters.
  EXPECT_EQ(Build(gen, stUpdate, &params), u"");
  EXPECT_EQ(params.Count(), 0);

  struct {
    TStatementType type;
    const char16_t* message;
  } bad[] = {{stQuery, u"Bad statement type"},
             {stCustom, u"Bad statement type"},
             {stBatchUpdate, u"Bad statement type"}};
  for (const auto& c : bad) {
    try {
      Build(gen, c.type, &params);
      ADD_FAILURE() << "no error for " << int(c.type);
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(params.UpdateCount(), 0);  // the list is usable again
  }

  host.Fields.KeyFieldDescs.clear();
  host.Fields.DataFieldDescs = {host.Descs[3]};  // only a memo left
  EXPECT_THROW(Build(gen, stDelete, &params), EDatabaseError);
  host.Fields.DataFieldDescs.clear();
  EXPECT_THROW(Build(gen, stDelete, &params), EDatabaseError);

  // A table without name fails before anything is built; no updating table builds nothing.
  host.Table->SetTableName(u"");
  EXPECT_THROW(Build(gen, stInsert, &params), EDatabaseError);
  host.NoTable = true;
  EXPECT_EQ(Build(gen, stInsert, &params), u"");

  EXPECT_EQ(gen.GetFieldAlias(12), u"_12");
  EXPECT_EQ(gen.DecodeFieldAlias(u"_12"), 12);
  for (const char16_t* text : {u"_", u"12", u"_1a", u"x_1"}) EXPECT_EQ(gen.DecodeFieldAlias(text), -1);
}

}  // namespace
