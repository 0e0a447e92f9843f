// Every statement of the program's forms against the program's own schema: the login and the
// keep-alive, the list, lookup and check queries, the member search, and what the updater writes
// for each table the forms change; the persistent fields of the donation, cost and stock lists
// bind to the columns; fixed-width texts come back trimmed, an empty stock reads 0, and Cyrillic,
// quotes and backslashes survive the trip.
#include <gtest/gtest.h>

#include <functional>

#include "platform/db/Fields.h"
#include "platform/db/FieldsBinary.h"
#include "platform/db/FieldsDateTime.h"
#include "platform/db/FieldsNumeric.h"
#include "platform/db/FieldsText.h"
#include "platform/rtl/DateTime.h"
#include "app/MembersForm.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::TAppDatabase;

// Rows the list statements find: persons, a donation each way, a cost, an article with its
// movements, and an event, a news item, a task and a team with a member each.
const char16_t* const Seed[] = {
    u"INSERT INTO clients (id, full_name, address) VALUES (1, 'Фондација Прва', 'Скопје'), "
    u"(2, 'Second Ltd', 'Bitola')",
    u"INSERT INTO payment (client_id, payment_date, amount, added_by, type) VALUES "
    u"(1, '2024-01-05 10:00:00', 100, 1, 1), (2, '2024-03-01 09:30:00', 250.5, 1, 1), "
    u"(1, '2024-02-01 00:00:00', 70, 1, 2)",
    u"INSERT INTO cost (client_id, invoice_no, invoice_date, amount, added_by) VALUES "
    u"(2, 'Ф-17/24', '2024-04-02 00:00:00', 1234.5, 1)",
    u"INSERT INTO article (id, title, code, quantity, status) VALUES "
    u"(1, 'Ќебиња', 'KEB', 10, 'Active'), (2, 'Нов артикал', 'NEW', NULL, 'Closed')",
    u"INSERT INTO article_in_out (article_id, quantity, price, added_by, added_on, type) VALUES "
    u"(1, 12, 3.5, 1, '2024-05-01 08:00:00', 'IN'), (1, -2, 3.5, 2, '2024-05-02 08:00:00', 'OUT')",
    u"INSERT INTO event (title, status, event_date, created_by) VALUES "
    u"('Собир', 'Active', '2024-06-01 18:00:00', 1)",
    u"INSERT INTO news (title, status, created_by) VALUES ('Вест', 'Active', 2)",
    u"INSERT INTO task (id, title, status, created_by, created_on) VALUES "
    u"(1, 'Задача', 'Active', 1, '2024-01-01 00:00:00')",
    u"INSERT INTO team (id, title, status, created_by) VALUES (1, 'Тим', 'Active', 1)",
    u"INSERT INTO task_member (task_id, user_id) VALUES (1, 2)",
    u"INSERT INTO team_member (team_id, user_id) VALUES (1, 1)",
};

class Statements : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char16_t* sql : Seed) Db.Exec(sql);
    Db.Apply(&Conn);
  }

  // A query of the program's connection with this text.
  std::unique_ptr<TMyQuery> Query(const String& sql) {
    auto query = std::make_unique<TMyQuery>(nullptr);
    query->SetConnection(&Conn);
    query->SetSQLText(sql);
    return query;
  }
  // The values of one column over the rows, joined by "|".
  static String Column(TDataSet& data, const String& field) {
    String out;
    for (data.First(); !data.Eof(); data.Next())
      out += (out.empty() ? u"" : u"|") + data.FieldByName(field)->AsString();
    return out;
  }

  TAppDatabase Db;
  TMyConnection Conn{nullptr};
};

TEST_F(Statements, TheLoginFindsTheUserByNameInAnyCaseAndByThePasswordAsIs) {
  auto login =
      Query(u"select * from users where username = :p_username and password = :p_password");
  login->ParamByName(u"p_username")->SetDataType(ftWideString);
  login->ParamByName(u"p_password")->SetDataType(ftWideString);
  struct Case {
    const char16_t* UserName;
    const char16_t* Password;
    int Rows;
  };
  for (const Case& c : {Case{u"admin", u"Тајна-1", 1}, Case{u"Admin", u"Тајна-1", 1},
                        Case{u"admin", u"тајна-1", 0}, Case{u"admin'--", u"x", 0},
                        Case{u"admin\\", u"Тајна-1", 0}}) {
    login->Close();
    login->ParamByName(u"p_username")->SetAsString(c.UserName);
    login->ParamByName(u"p_password")->SetAsString(c.Password);
    login->Open();
    EXPECT_EQ(login->RecordCount(), c.Rows) << UTF8Encode(c.UserName);
  }
  auto ping = Query(u"select * from users where id = 1");
  ping->Open();
  EXPECT_EQ(ping->FieldByName(u"surname")->AsString(), u"Админовска");
}

TEST_F(Statements, TheListAndLookupQueriesReturnTheirRowsInTheirOrder) {
  struct Case {
    const char16_t* Sql;
    const char16_t* Field;
    const char16_t* Values;
  };
  const Case cases[] = {
      {u"select e.*, concat(u.name, ' ', u.surname) as full_name from event e,users u "
       u"where e.created_by = u.id order by event_date desc",
       u"full_name", u"Ана Админовска"},
      {u"select n.*, concat(u.name, ' ', u.surname) as full_name from news n,users u "
       u"where n.created_by = u.id order by id desc",
       u"full_name", u"Бојан Редовски"},
      {u"select t.*, concat(u.name, ' ', u.surname) as full_name from task t,users u "
       u"where t.created_by = u.id order by created_on desc",
       u"title", u"Задача"},
      {u"select * from team order by title", u"title", u"Тим"},
      {u"select * from users order by id,name,surname", u"username",
       u"admin|bojan|vera|goce|darko"},
      {u"select * from clients order by id,full_name", u"full_name",
       u"Фондација Прва|Second Ltd"},
      {u"select * from clients order by full_name", u"full_name", u"Second Ltd|Фондација Прва"},
      {u"select p.*, c.full_name from payment p,clients c where p.client_id = c.id "
       u"and p.type = 1 order by payment_date desc",
       u"amount", u"250.5|100"},
      {u"select p.*, c.full_name from payment p,clients c where p.client_id = c.id "
       u"and p.type = 2 order by payment_date desc",
       u"full_name", u"Фондација Прва"},
      {u"select c.*, u.full_name from cost c, clients u where c.client_id = u.id "
       u"order by invoice_date desc",
       u"invoice_no", u"Ф-17/24"},
      {u"select * from article order by title", u"code", u"KEB|NEW"},
  };
  for (const Case& c : cases) {
    auto query = Query(c.Sql);
    query->Open();
    EXPECT_EQ(Column(*query, c.Field), String(c.Values)) << UTF8Encode(c.Sql);
  }
}

TEST_F(Statements, TheParameterisedQueriesFindTheirRows) {
  struct Case {
    const char16_t* Sql;
    std::vector<std::pair<const char16_t*, int>> IntParams;
    const char16_t* TextParam;  // p_username, when the statement has it
    const char16_t* Field;
    const char16_t* Values;
  };
  const Case cases[] = {
      {u"select * from article_in_out where article_id = :p_article_id order by added_on desc",
       {{u"p_article_id", 1}}, nullptr, u"type", u"OUT|IN"},
      {u"select a.*, concat(u.name, ' ', u.surname) as full_name from article_in_out a, users u "
       u"where article_id = :p_article_id and a.added_by = u.id order by added_on desc",
       {{u"p_article_id", 1}}, nullptr, u"full_name", u"Бојан Редовски|Ана Админовска"},
      {u"select * from users where id = :p_id", {{u"p_id", 3}}, nullptr, u"name", u"Вера"},
      {u"select id from users where username = :p_username and id <> :p_id", {{u"p_id", 2}},
       u"ADMIN", u"id", u"1"},
      {u"select id from users where username = :p_username and id <> :p_id", {{u"p_id", 1}},
       u"admin", u"id", u""},
      {u"select id from task_member where task_id = :p_task_id and user_id = :p_user_id",
       {{u"p_task_id", 1}, {u"p_user_id", 2}}, nullptr, u"id", u"1"},
      {u"select id from team_member where team_id = :p_team_id and user_id = :p_user_id",
       {{u"p_team_id", 1}, {u"p_user_id", 2}}, nullptr, u"id", u""},
      {u"select tm.*,u.name, u.surname, u.username from task_member tm, users u\n"
       u"where tm.user_id = u.id and tm.task_id = :p_task_id order by u.name,u.surname",
       {{u"p_task_id", 1}}, nullptr, u"username", u"bojan"},
      {u"select tm.*,u.name, u.surname, u.username from team_member tm, users u\n"
       u"where tm.user_id = u.id and tm.team_id = :p_team_id order by u.name,u.surname",
       {{u"p_team_id", 1}}, nullptr, u"username", u"admin"},
  };
  for (const Case& c : cases) {
    auto query = Query(c.Sql);
    for (const auto& [name, value] : c.IntParams) query->ParamByName(name)->SetAsInteger(value);
    if (c.TextParam) {
      query->ParamByName(u"p_username")->SetDataType(ftString);
      query->ParamByName(u"p_username")->SetAsString(c.TextParam);
    }
    query->Open();
    EXPECT_EQ(Column(*query, c.Field), String(c.Values)) << UTF8Encode(c.Sql);
  }
}

TEST_F(Statements, TheMemberSearchFiltersTheUsersTableByNameSurnameOrUserName) {
  TMyTable users(nullptr);
  users.SetConnection(&Conn);
  users.SetTableName(u"users");
  users.SetOrderFields(u"name, surname");
  users.SetFilterSQL(u"((user_type = 1) or (user_type = 2))");
  users.Open();
  EXPECT_EQ(Column(users, u"username"), u"admin|bojan");
  // The search text travels as the parameter of the member forms' condition.
  SearchMembers(&users, u"РЕДОВ");
  EXPECT_EQ(Column(users, u"username"), u"bojan");
  SearchMembers(&users, u"adm");
  EXPECT_EQ(Column(users, u"username"), u"admin");
  SearchMembers(&users, u"");
  EXPECT_EQ(Column(users, u"username"), u"admin|bojan");
}

// What the forms write: a row appended through the form's list query and posted, then changed,
// then (for the tables whose rows the program removes) deleted.
struct WriteCase {
  const char16_t* ListSql;
  const char16_t* Table;
  std::function<void(TDataSet&)> Fill;
  const char16_t* CheckColumn;
  const char16_t* Inserted;
  const char16_t* Changed;  // nullptr: the program never changes these rows
  bool Deletes;
};

void Stamp(TDataSet& data, const char16_t* who, const char16_t* when) {
  data.FieldByName(who)->SetAsInteger(1);
  data.FieldByName(when)->SetAsDateTime(EncodeDate(2024, 9, 1) + EncodeTime(12, 30, 0, 0));
}

TEST_F(Statements, TheUpdaterInsertsChangesAndDeletesThroughEachFormsQuery) {
  const String odd = u"Име со ' и \\ во него";
  const WriteCase cases[] = {
      {u"select * from users order by id,name,surname", u"users",
       [&](TDataSet& d) {
         d.FieldByName(u"name")->SetAsString(odd);
         d.FieldByName(u"surname")->SetAsString(u"Нов");
         d.FieldByName(u"username")->SetAsString(u"nov");
         d.FieldByName(u"password")->SetAsString(u"x'\\y");
         d.FieldByName(u"user_type")->SetAsInteger(2);
         Stamp(d, u"created_by", u"created_on");
       },
       u"name", u"Име со ' и \\ во него", u"Изменето", false},
      {u"select * from clients order by id,full_name", u"clients",
       [&](TDataSet& d) {
         d.FieldByName(u"full_name")->SetAsString(odd);
         d.FieldByName(u"user_type")->SetAsInteger(2);
         Stamp(d, u"created_by", u"created_on");
       },
       u"full_name", u"Име со ' и \\ во него", u"Изменето", false},
      {u"select e.*, concat(u.name, ' ', u.surname) as full_name from event e,users u "
       u"where e.created_by = u.id order by event_date desc",
       u"event",
       [&](TDataSet& d) {
         d.FieldByName(u"title")->SetAsString(odd);
         d.FieldByName(u"description")->SetAsString(u"Ред 1\r\nРед 2");
         d.FieldByName(u"event_date")->SetAsDateTime(EncodeDate(2024, 10, 1));
         Stamp(d, u"created_by", u"created_on");
       },
       u"title", u"Име со ' и \\ во него", u"Изменето", false},
      {u"select n.*, concat(u.name, ' ', u.surname) as full_name from news n,users u "
       u"where n.created_by = u.id order by id desc",
       u"news",
       [&](TDataSet& d) {
         d.FieldByName(u"title")->SetAsString(odd);
         Stamp(d, u"created_by", u"created_on");
       },
       u"title", u"Име со ' и \\ во него", u"Изменето", false},
      {u"select t.*, concat(u.name, ' ', u.surname) as full_name from task t,users u "
       u"where t.created_by = u.id order by created_on desc",
       u"task",
       [&](TDataSet& d) {
         d.FieldByName(u"title")->SetAsString(odd);
         Stamp(d, u"created_by", u"created_on");
       },
       u"title", u"Име со ' и \\ во него", u"Изменето", false},
      {u"select * from team order by title", u"team",
       [&](TDataSet& d) {
         d.FieldByName(u"title")->SetAsString(odd);
         Stamp(d, u"created_by", u"created_on");
       },
       u"title", u"Име со ' и \\ во него", u"Изменето", false},
      {u"select tm.*,u.name, u.surname, u.username from task_member tm, users u\n"
       u"where tm.user_id = u.id and tm.task_id = 1 order by u.name,u.surname",
       u"task_member",
       [](TDataSet& d) {
         d.FieldByName(u"task_id")->SetAsInteger(1);
         d.FieldByName(u"user_id")->SetAsInteger(3);
       },
       u"user_id", u"3", nullptr, true},
      {u"select tm.*,u.name, u.surname, u.username from team_member tm, users u\n"
       u"where tm.user_id = u.id and tm.team_id = 1 order by u.name,u.surname",
       u"team_member",
       [](TDataSet& d) {
         d.FieldByName(u"team_id")->SetAsInteger(1);
         d.FieldByName(u"user_id")->SetAsInteger(3);
       },
       u"user_id", u"3", nullptr, true},
      {u"select * from article order by title", u"article",
       [&](TDataSet& d) {
         d.FieldByName(u"title")->SetAsString(odd);
         d.FieldByName(u"status")->SetAsString(u"Active");
         Stamp(d, u"added_by", u"added_on");
       },
       u"title", u"Име со ' и \\ во него", u"Изменето", false},
      {u"select * from article_in_out where article_id = 1 order by added_on desc",
       u"article_in_out",
       [](TDataSet& d) {
         d.FieldByName(u"article_id")->SetAsInteger(1);
         d.FieldByName(u"quantity")->SetAsFloat(2.5);
         d.FieldByName(u"note")->SetAsString(u"Белешка со ' и \\");
         d.FieldByName(u"type")->SetAsString(u"IN");
         Stamp(d, u"added_by", u"added_on");
       },
       u"note", u"Белешка со ' и \\", nullptr, true},
      {u"select p.*, c.full_name from payment p,clients c where p.client_id = c.id "
       u"and p.type = 1 order by payment_date desc",
       u"payment",
       [](TDataSet& d) {
         d.FieldByName(u"client_id")->SetAsInteger(2);
         d.FieldByName(u"amount")->SetAsFloat(1500.25);
         d.FieldByName(u"note")->SetAsString(u"Донација ' \\");
         d.FieldByName(u"type")->SetAsInteger(1);
         d.FieldByName(u"payment_date")->SetAsDateTime(EncodeDate(2024, 9, 1));
         Stamp(d, u"added_by", u"added_on");
       },
       u"note", u"Донација ' \\", u"Изменето", false},
      {u"select c.*, u.full_name from cost c, clients u where c.client_id = u.id "
       u"order by invoice_date desc",
       u"cost",
       [](TDataSet& d) {
         d.FieldByName(u"client_id")->SetAsInteger(1);
         d.FieldByName(u"invoice_no")->SetAsString(u"Ф-1'\\");
         d.FieldByName(u"amount")->SetAsFloat(99.5);
         Stamp(d, u"added_by", u"added_on");
       },
       u"invoice_no", u"Ф-1'\\", u"Ф-2", false},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.Table));
    auto query = Query(c.ListSql);
    query->Open();
    const int before = query->RecordCount();
    query->Append();
    c.Fill(*query);
    query->Post();
    const String id = query->FieldByName(u"id")->AsString();
    ASSERT_NE(id, u"0");
    const String where = String(u" FROM ") + c.Table + u" WHERE id = " + id;
    EXPECT_EQ(Db.One(String(u"SELECT ") + c.CheckColumn + where), String(c.Inserted));
    if (c.Changed) {
      query->Edit();
      query->FieldByName(c.CheckColumn)->SetAsString(c.Changed);
      query->Post();
      EXPECT_EQ(Db.One(String(u"SELECT ") + c.CheckColumn + where), String(c.Changed));
    }
    if (c.Deletes) {
      query->Delete();
      EXPECT_EQ(Db.One(u"SELECT COUNT(*)" + where), u"0");
    }
    query->Refresh();
    EXPECT_EQ(query->RecordCount(), before + (c.Deletes ? 0 : 1));
  }
  // The seeded users keep their rows: only the new one was written.
  EXPECT_EQ(Db.One(u"SELECT COUNT(*) FROM users"), u"6");
}

TEST_F(Statements, AUniqueIndexRefusesASecondUserOfTheSameNameInAnyCase) {
  auto users = Query(u"select * from users order by id,name,surname");
  users->Open();
  users->Append();
  users->FieldByName(u"username")->SetAsString(u"ADMIN");
  EXPECT_THROW(users->Post(), EMyError);
  EXPECT_EQ(users->State(), dsInsert);
  users->Cancel();
}

// The persistent fields the lists declare, in order.
struct FieldDecl {
  enum Kind { Largeint, Integer, Smallint, Float, WideString, Memo, DateTime } Type;
  const char16_t* Name;
  int Size = 0;
  bool FixedChar = false;
};

void Declare(TDataSet& data, const std::vector<FieldDecl>& decls) {
  for (const FieldDecl& s : decls) {
    TField* field = nullptr;
    switch (s.Type) {
      case FieldDecl::Largeint: field = new TLargeintField(&data); break;
      case FieldDecl::Integer: field = new TIntegerField(&data); break;
      case FieldDecl::Smallint: field = new TSmallintField(&data); break;
      case FieldDecl::Float:
        field = new TFloatField(&data);
        static_cast<TFloatField*>(field)->SetDisplayFormat(u"###,###,##0.00");
        break;
      case FieldDecl::WideString: {
        auto* text = new TWideStringField(&data);
        if (s.Size) text->SetSize(s.Size);
        text->SetFixedChar(s.FixedChar);
        field = text;
        break;
      }
      case FieldDecl::Memo: {
        auto* memo = new TMemoField(&data);
        memo->SetBlobType(ftMemo);
        field = memo;
        break;
      }
      case FieldDecl::DateTime: field = new TDateTimeField(&data); break;
    }
    field->SetFieldName(s.Name);
    field->SetDataSet(&data);
  }
}

TEST_F(Statements, ThePersistentFieldsOfTheDonationCostAndStockListsBindWithoutMismatch) {
  using F = FieldDecl;
  struct Case {
    const char16_t* Sql;
    std::vector<FieldDecl> Fields;
  };
  const Case cases[] = {
      {u"select p.*, c.full_name from payment p,clients c where p.client_id = c.id "
       u"and p.type = 1 order by payment_date desc",
       {{F::Largeint, u"id"}, {F::Integer, u"client_id"}, {F::DateTime, u"payment_date"},
        {F::Float, u"amount"}, {F::Integer, u"added_by"}, {F::Memo, u"note"},
        {F::WideString, u"full_name", 201}, {F::DateTime, u"added_on"}, {F::Smallint, u"type"}}},
      {u"select c.*, u.full_name from cost c, clients u where c.client_id = u.id "
       u"order by invoice_date desc",
       {{F::Largeint, u"id"}, {F::Integer, u"client_id"}, {F::WideString, u"invoice_no", 25},
        {F::DateTime, u"invoice_date"}, {F::Float, u"amount"}, {F::Integer, u"added_by"},
        {F::DateTime, u"added_on"}, {F::Memo, u"note"}, {F::WideString, u"full_name", 201}}},
      {u"select * from article order by title",
       {{F::Largeint, u"id"}, {F::WideString, u"title", 255}, {F::Memo, u"description"},
        {F::WideString, u"code", 20}, {F::Float, u"quantity"}, {F::Integer, u"added_by"},
        {F::DateTime, u"added_on"}, {F::WideString, u"status", 6, true}}},
      {u"select a.*, concat(u.name, ' ', u.surname) as full_name from article_in_out a, users u "
       u"where article_id = 1 and a.added_by = u.id order by added_on desc",
       {{F::Largeint, u"id"}, {F::Largeint, u"article_id"}, {F::Float, u"quantity"},
        {F::Float, u"price"}, {F::Integer, u"added_by"}, {F::DateTime, u"added_on"},
        {F::Memo, u"note"}, {F::WideString, u"type", 3, true},
        {F::WideString, u"full_name", 201}}},
  };
  for (const Case& c : cases) {
    auto query = Query(c.Sql);
    Declare(*query, c.Fields);
    EXPECT_NO_THROW(query->Open()) << UTF8Encode(c.Sql);
    EXPECT_GT(query->RecordCount(), 0) << UTF8Encode(c.Sql);
  }
}

TEST_F(Statements, FixedWidthTextsComeBackTrimmedAndAnEmptyStockReadsZero) {
  auto articles = Query(u"select * from article order by title");
  articles->Open();
  ASSERT_TRUE(articles->Locate(u"code", u"NEW", {}));
  EXPECT_TRUE(articles->FieldByName(u"quantity")->IsNull());
  EXPECT_EQ(articles->FieldByName(u"quantity")->AsFloat(), 0.0);
  EXPECT_EQ(articles->FieldByName(u"status")->AsString(), u"Closed");
  auto movements =
      Query(u"select * from article_in_out where article_id = :p_article_id order by added_on");
  movements->ParamByName(u"p_article_id")->SetAsInteger(1);
  movements->Open();
  EXPECT_EQ(Column(*movements, u"type"), u"IN|OUT");  // "OUT" fills CHAR(3); "IN" is trimmed
}

}  // namespace
