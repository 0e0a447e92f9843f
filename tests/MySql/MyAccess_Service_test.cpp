// The dataset service's decisions for the application's list query, a join of payment and
// clients with aliases, as the MySQL record set describes its columns.
#include "MySql/MyAccess_Service.h"

#include <gtest/gtest.h>

#include "MySql/MyClasses_RecordSetFields.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyParser.h"
#include "platform/rtl/Exceptions.h"

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

}  // namespace
