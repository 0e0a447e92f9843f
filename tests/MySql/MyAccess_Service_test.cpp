// The dataset service's decisions for the application's list query, a join of payment and
// clients with aliases, as the MySQL record set describes its columns.
#include "MySql/MyAccess_Service.h"

#include <gtest/gtest.h>

#include <memory>

#include "MySql/MyClasses_RecordSetFields.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyParser.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

class PaymentListQuery : public ::testing::Test {
 protected:
  PaymentListQuery() : Info(&NewParser<TMyParser>) {
    Info.ParseTablesInfo(
        u"select p.*, c.full_name, p.amount * 2 as twice from payment p, clients c "
        u"where p.client_id = c.id and p.type = :p_type order by payment_date desc",
        Tables);
    Payment = Tables.GetItem(0);
    Clients = Tables.GetItem(1);
    Id = Add(u"id", Payment);
    Id->SetIsAutoIncrement(true);
    Id->SetIsKey(true);
    Id->SetIsPrimaryKey(true);
    ClientId = Add(u"client_id", Payment);
    ClientId->SetIsKey(true);  // part of an index, not of the primary key
    Amount = Add(u"amount", Payment);
    FullName = Add(u"full_name", Clients, u"full_name");
    Twice = Add(u"twice", nullptr, u"");
  }

  TMySQLFieldDesc* Add(const char16_t* name, TLxTableInfo* table, const char16_t* source = nullptr) {
    auto* desc = new TMySQLFieldDesc();
    desc->SetName(name);
    desc->SetSourceName(source ? source : name);
    desc->SetTableInfo(table);
    Descs.Add(desc);
    List.push_back(desc);
    return desc;
  }

  TMySQLInfo Info;
  TLxTablesInfo Tables;
  TLxTableInfo* Payment;
  TLxTableInfo* Clients;
  TFieldDescs Descs;
  std::vector<TFieldDesc*> List;
  TMySQLFieldDesc *Id, *ClientId, *Amount, *FullName, *Twice;
};

TEST_F(PaymentListQuery, UpdatingTableByNameAliasOrFirst) {
  bool added = true;
  struct {
    const char16_t* updating;
    int index;
  } cases[] = {{u"", 0}, {u"payment", 0}, {u"p", 0}, {u"clients", 1}, {u"C", 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(FindUpdatingTable(Tables, c.updating, Info, added), c.index);
    EXPECT_FALSE(added);
  }
  try {
    FindUpdatingTable(Tables, u"orders", Info, added);
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Wrong UpdatingTable value - table orders is unknown");
  }

  TLxTablesInfo none;
  EXPECT_EQ(FindUpdatingTable(none, u"", Info, added), -1);
  EXPECT_EQ(FindUpdatingTable(none, u"payment", Info, added), 0);
  EXPECT_TRUE(added);
  EXPECT_EQ(none.GetItem(0)->TableName(), u"payment");
}

TEST_F(PaymentListQuery, KeyIdentityAndDataFieldsOfTheUpdatingTable) {
  EXPECT_EQ(MyIdentityField(List, Payment), Id);
  EXPECT_EQ(MyIdentityField(List, Clients), nullptr);
  EXPECT_EQ(MyIdentityField(List, nullptr), nullptr);

  // Of the key columns only the primary key identifies the row.
  EXPECT_EQ(CollectMyFields(List, true, false, Payment, true), (TFieldDescArray{Id}));
  Id->SetIsPrimaryKey(false);
  EXPECT_EQ(CollectMyFields(List, true, false, Payment, true), (TFieldDescArray{Id, ClientId}));

  // The joined name and the computed column are not written to payment.
  Id->SetReadOnly(true);
  EXPECT_EQ(CollectMyFields(List, false, false, Payment, true),
            (TFieldDescArray{ClientId, Amount}));
  EXPECT_EQ(CollectMyFields(List, false, false, Payment, false),
            (TFieldDescArray{ClientId, Amount, Twice}));
  EXPECT_EQ(CollectMyFields(List, false, true, Payment, true),
            (TFieldDescArray{ClientId, Amount, FullName, Twice}));

  // The neutral rule: a writable column of the updating table, not the identity.
  Id->SetReadOnly(false);
  EXPECT_FALSE(IsDataFieldDesc(Id, Id, Payment, false, false));
  EXPECT_TRUE(IsDataFieldDesc(Id, Id, Payment, false, true));
  EXPECT_TRUE(IsDataFieldDesc(Amount, Id, Payment, false, false));
  EXPECT_FALSE(IsDataFieldDesc(FullName, Id, Payment, false, false));
  EXPECT_TRUE(IsDataFieldDesc(FullName, Id, Payment, true, false));
}

TEST_F(PaymentListQuery, KeyFieldsByNameAndUniqueIndexColumns) {
  EXPECT_EQ(KeyFieldsByName(u"ID; client_id", Descs, u"PaymentQuery"),
            (TFieldDescArray{Id, ClientId}));
  try {
    KeyFieldsByName(u"id;code", Descs, u"PaymentQuery");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"PaymentQuery: Key field 'code' not found");
  }
  EXPECT_EQ(UniqueIndexKeyFields(u"id;code;amount", Descs), (TFieldDescArray{Amount}));
  EXPECT_EQ(UniqueIndexKeyFields(u"client_id;id", Descs), (TFieldDescArray{ClientId, Id}));
}

TEST_F(PaymentListQuery, FieldOrigins) {
  // The MySQL service names the alias, the neutral one the table.
  EXPECT_EQ(FieldOriginText(Amount, Info, true), u"p.amount");
  EXPECT_EQ(FieldOriginText(FullName, Info, true), u"c.full_name");
  EXPECT_EQ(FieldOriginText(FullName, Info, false), u"clients.full_name");
  EXPECT_EQ(FieldOriginText(Twice, Info, true), u"twice");
  Clients->SetTableName(u"`client list`");
  EXPECT_EQ(FieldOriginText(FullName, Info, false), u"client list.full_name");
}

TEST(MyRecordCount, CountingStatements) {
  struct {
    const char16_t* sql;
    const char16_t* count;
  } cases[] = {
      {u"SELECT a, b FROM payment WHERE x = 1", u"SELECT COUNT(*) FROM payment WHERE x = 1"},
      {u"SELECT DISTINCT a FROM t", u"SELECT COUNT( DISTINCT a ) FROM t"},
      {u"select distinctrow a, b from t", u"select COUNT( distinctrow a, b ) from t"},
      {u"SELECT DISTINCT a FROM t LIMIT 5",
       u"SELECT COUNT(*) FROM (SELECT  DISTINCT a FROM t LIMIT 5) q"},
      // The subquery ends at the first ";" after LIMIT; what follows stays.
      {u"SELECT a FROM t LIMIT 5; SELECT 1",
       u"SELECT COUNT(*) FROM (SELECT  a FROM t LIMIT 5) q; SELECT 1"},
      // Names given with AS in a DISTINCT list are counted through a subquery.
      {u"SELECT DISTINCT a AS x FROM t WHERE s = ';'",
       u"SELECT COUNT(*) FROM (SELECT  DISTINCT a AS x FROM t WHERE s = ';') q"},
      // A subquery's FROM, and a comment's, is not the statement's.
      {u"SELECT (SELECT max(id) FROM c) m, a /* FROM x */ FROM t",
       u"SELECT COUNT(*) FROM t"},
      // One row per group would give the size of the first group.
      {u"SELECT a, count(*) FROM t GROUP BY a",
       u"SELECT COUNT(*) FROM (SELECT  a, count(*) FROM t GROUP BY a) q"},
      {u"SHOW TABLES", u""},
      {u"SELECT 1 + 1", u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MyRecordCountSQL(c.sql), String(c.count)) << StringToAnsi(c.sql);
}

namespace {

std::unique_ptr<TMySQLFieldDesc> MyColumn(uint32_t mysqlType, uint16_t length) {
  auto desc = std::make_unique<TMySQLFieldDesc>();
  desc->SetName(u"col");
  desc->SetMySQLType(mysqlType);
  desc->SetLength(length);
  return desc;
}

}  // namespace

TEST(MyColumnDefaults, DateAndTimeTextsByColumnType) {
  struct {
    uint32_t type;
    uint16_t length;
    const char16_t* text;
    bool parsed;
    TDateTime value;
  } cases[] = {
      {7, 19, u"2008-03-05 07:04:09", true, EncodeDate(2008, 3, 5) + EncodeTime(7, 4, 9, 0)},
      {7, 14, u"20080305070409", true, EncodeDate(2008, 3, 5) + EncodeTime(7, 4, 9, 0)},
      {7, 12, u"080305070409", true, EncodeDate(2008, 3, 5) + EncodeTime(7, 4, 9, 0)},
      {7, 6, u"690305", true, EncodeDate(2069, 3, 5)},
      {7, 2, u"70", true, EncodeDate(1970, 1, 1)},
      {7, 4, u"9912", true, EncodeDate(1999, 12, 1)},
      {10, 10, u"2024-02-29", true, EncodeDate(2024, 2, 29)},
      {10, 10, u"2023-02-29", false, 0},
      {12, 19, u"0000-00-00 00:00:00", false, 0},
      {12, 19, u"1899-12-29 06:00:00", true, -1.25},  // the time goes with the date's sign
      {11, 10, u"12:30:00", true, 0.5 + 30 * 60 / 86400.0},
      {11, 10, u"-838:59:59", true, -(838 / 24.0 + (59 * 60 + 59) / 86400.0)},
  };
  for (const auto& c : cases) {
    auto desc = MyColumn(c.type, c.length);
    TDateTime value = 0;
    EXPECT_EQ(ParseMyDateTime(c.text, *desc, value), c.parsed) << StringToAnsi(c.text);
    if (c.parsed) {
      EXPECT_NEAR(value, c.value, 1e-9) << StringToAnsi(c.text);
    }
  }
  auto time = MyColumn(11, 10);
  TDateTime value = 0;
  try {
    ParseMyDateTime(u"123456:00", *time, value);
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Wrong time format. FieldDesc col, value 123456:00");
  }
  auto odd = MyColumn(7, 5);
  EXPECT_ANY_THROW(ParseMyDateTime(u"08030", *odd, value));
}

TEST(MyColumnDefaults, ExpressionsFromTheCatalogue) {
  auto text = MyColumn(253, 20);
  auto stamp = MyColumn(7, 19);
  auto when = MyColumn(12, 19);
  struct {
    const char16_t* columnDefault;
    bool quotedByServer;
    const TMySQLFieldDesc* desc;
    bool dateTime;
    const char16_t* expression;
  } cases[] = {
      {u"abc", false, text.get(), false, u"'abc'"},
      {u"it's", false, text.get(), false, u"'it''s'"},
      {u"'it''s'", true, text.get(), false, u"'it''s'"},
      {u"'NULL'", true, text.get(), false, u"'NULL'"},
      {u"NULL", true, text.get(), false, u""},
      {u"5", true, text.get(), false, u"'5'"},
      {u"CURRENT_TIMESTAMP", false, stamp.get(), true, u"CURRENT_TIMESTAMP"},
      {u"current_timestamp()", true, stamp.get(), true, u"CURRENT_TIMESTAMP"},
      {u"2001-02-03 04:05:06", false, when.get(), true, u"'2001-02-03 04:05:06'"},
      {u"'2001-02-03 04:05:06'", true, when.get(), true, u"'2001-02-03 04:05:06'"},
      {u"0000-00-00 00:00:00", false, when.get(), true, u""},
      {u"'0000-00-00 00:00:00'", true, when.get(), true, u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MyDefaultExpression(c.columnDefault, c.quotedByServer, *c.desc, c.dateTime),
              String(c.expression))
        << StringToAnsi(c.columnDefault);
}

}  // namespace
