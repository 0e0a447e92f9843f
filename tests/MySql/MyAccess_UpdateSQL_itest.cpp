// The update object against the private server: its modify text taking the place of the
// generated UPDATE, a command or a query as the modify component, an empty component text, the
// MySQL classes its slots accept, a freed refresh component giving way to the refresh text,
// ExecSQL with the current record's values, a query without updating table saving its
// changes, delta records, and cached changes that are not batched.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_Command.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_UpdateSQL.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

const char16_t ModifyText[] =
    u"UPDATE clients SET full_name = :full_name, city = :city WHERE id = :OLD_id";

void SetText(TStrings* list, const String& text) { list->SetText(text); }

class MyUpdateSQL : public ::testing::Test {
 protected:
  void SetUp() override {
    check.Exec(u"DELETE FROM payment");
    check.Exec(u"DELETE FROM clients");
    check.Exec(u"INSERT INTO clients (full_name, city) VALUES ('Ана Петрова', 'Скопје')");
    check.Exec(u"INSERT INTO clients (full_name, city) VALUES ('Иван Иванов', 'Битола')");
    firstId = check.One(u"SELECT MIN(id) FROM clients");
    ApplyTestSettings(conn);
    query.SetConnection(&conn);
    query.SetSQLText(u"SELECT id, full_name, city FROM clients ORDER BY id");
    query.SetUpdateObject(&updateSQL);
  }

  String CityOnServer() { return check.One(u"SELECT city FROM clients WHERE id = " + firstId); }

  TOtherSession check;
  TMyConnection conn{nullptr};
  TMyUpdateSQL updateSQL{nullptr};
  TInspectedQuery query{nullptr};
  String firstId;
};

TEST_F(MyUpdateSQL, ModifyTextReplacesTheGeneratedUpdateWithOldValues) {
  SetText(updateSQL.ModifySQL(), ModifyText);
  query.Open();
  query.Edit();
  query.FieldByName(u"city")->SetAsString(u"Охрид");
  query.Post();

  EXPECT_EQ(Trim(query.LastSQL()), ModifyText);
  EXPECT_EQ(CityOnServer(), u"Охрид");
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM clients WHERE city = 'Битола'"), u"1");
}

TEST_F(MyUpdateSQL, ModifyComponentRunsItsOwnTextCommandOrQuery) {
  TMyCommand command(nullptr);
  TMyQuery modifier(nullptr);
  struct Case {
    const char* name;
    TComponent* component;
    std::function<void()> prepare;
  } cases[] = {
      {"command", &command,
       [&] {
         command.SetConnection(&conn);
         command.SetSQLText(u"UPDATE clients SET city = CONCAT(:city, '/c') WHERE id = :OLD_id");
       }},
      {"query", &modifier,
       [&] {
         modifier.SetConnection(&conn);
         modifier.SetSQLText(u"UPDATE clients SET city = CONCAT(:city, '/q') WHERE id = :OLD_id");
       }},
  };
  // The dataset's own text for the kind would run if the component were passed over.
  SetText(updateSQL.ModifySQL(), u"UPDATE clients SET city = 'wrong' WHERE id = :OLD_id");
  query.Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.prepare();
    updateSQL.SetModifyObject(c.component);
    query.First();
    query.Edit();
    query.FieldByName(u"city")->SetAsString(u"Прилеп");
    query.Post();
    EXPECT_EQ(CityOnServer(), String(u"Прилеп/") + (c.component == &command ? u"c" : u"q"));
    EXPECT_EQ(query.DAUpdater()->CurrentUpdateComponent(), c.component);
  }
}

TEST_F(MyUpdateSQL, ModifyComponentWithoutTextFailsAndKeepsTheEdit) {
  TMyCommand command(nullptr);
  command.SetConnection(&conn);
  updateSQL.SetModifyObject(&command);
  query.Open();
  query.Edit();
  query.FieldByName(u"city")->SetAsString(u"Струга");
  try {
    query.Post();
    FAIL() << "the post went through";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(),
              u"SQL property of InsertObject, ModifyObject, DeleteObject or RefreshObject cannot "
              u"be empty");
  }
  EXPECT_EQ(query.State(), dsEdit);
  EXPECT_EQ(CityOnServer(), u"Скопје");
}

TEST_F(MyUpdateSQL, SlotsTakeMySQLDatasetsAndCommandsOnly) {
  TCustomDASQL neutralCommand(nullptr);
  try {
    updateSQL.SetInsertObject(&neutralCommand);
    FAIL() << "a command of no provider was taken";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"Only TCustomMyDataSet and TMyCommand objects are allowed in update properties");
  }
  EXPECT_EQ(updateSQL.InsertObject(), nullptr);
  try {
    updateSQL.SetInsertObject(&query);
    FAIL() << "the dataset itself was taken";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              u"Circular references are not allowed between TCustomDADataset and "
              u"TCustomDAUpdateSQL objects");
  }
  EXPECT_EQ(updateSQL.InsertObject(), nullptr);
}

TEST_F(MyUpdateSQL, FreedRefreshComponentGivesWayToTheRefreshText) {
  auto refresher = std::make_unique<TMyQuery>(nullptr);
  refresher->SetConnection(&conn);
  refresher->SetSQLText(
      u"SELECT id, full_name, UPPER(city) AS city FROM clients WHERE id = :OLD_id");
  updateSQL.SetRefreshObject(refresher.get());
  SetText(updateSQL.RefreshSQL(),
          u"SELECT id, full_name, CONCAT(city, '!') AS city FROM clients WHERE id = :OLD_id");
  query.Open();
  check.Exec(u"UPDATE clients SET city = 'Kumanovo' WHERE id = " + firstId);

  query.RefreshRecord();
  EXPECT_EQ(query.FieldByName(u"city")->AsString(), u"KUMANOVO");

  refresher.reset();
  EXPECT_EQ(updateSQL.RefreshObject(), nullptr);
  query.RefreshRecord();
  EXPECT_EQ(query.FieldByName(u"city")->AsString(), u"Kumanovo!");
  EXPECT_EQ(Trim(query.LastSQL()), Trim(updateSQL.RefreshSQL()->Text()));
}

TEST_F(MyUpdateSQL, ExecSQLRunsTheModifyTextWithTheCurrentRecord) {
  SetText(updateSQL.ModifySQL(), ModifyText);
  query.Open();
  // The server's row moves on; the record in hand still says Скопје.
  check.Exec(u"UPDATE clients SET city = 'Велес' WHERE id = " + firstId);
  updateSQL.ExecSQL(ukModify);
  EXPECT_EQ(CityOnServer(), u"Скопје");
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM clients WHERE city = 'Битола'"), u"1");
}

TEST_F(MyUpdateSQL, UpdateObjectLetsAQueryWithoutUpdatingTableSaveItsChanges) {
  query.SetUpdateObject(nullptr);
  query.SetSQLText(u"SELECT id + 0 AS cid, CONCAT(city, '') AS town FROM clients ORDER BY id");
  query.Open();
  query.Edit();
  query.FieldByName(u"town")->SetAsString(u"Тетово");
  EXPECT_THROW(query.Post(), EDatabaseError);  // no table to send the change to
  query.Cancel();
  query.Close();

  SetText(updateSQL.ModifySQL(), u"UPDATE clients SET city = :town WHERE id = :OLD_cid");
  query.SetUpdateObject(&updateSQL);
  query.Open();
  EXPECT_TRUE(query.CanModify());
  query.Edit();
  query.FieldByName(u"town")->SetAsString(u"Тетово");
  query.Post();
  EXPECT_EQ(CityOnServer(), u"Тетово");
}

TEST_F(MyUpdateSQL, DeltaRecordRunsTheUpdateObjectsComponentOrText) {
  TMyQuery delta(nullptr);
  delta.SetConnection(&conn);
  delta.SetSQLText(u"SELECT id, full_name, city FROM clients ORDER BY id");
  delta.Open();
  delta.Edit();
  delta.FieldByName(u"city")->SetAsString(u"Гевгелија");
  query.Open();

  EXPECT_FALSE(query.PSUpdateRecord(ukDelete, &delta));  // nothing written for deletes
  SetText(updateSQL.ModifySQL(), ModifyText);
  EXPECT_TRUE(query.PSUpdateRecord(ukModify, &delta));
  EXPECT_EQ(CityOnServer(), u"Гевгелија");

  TMyCommand command(nullptr);
  command.SetConnection(&conn);
  command.SetSQLText(u"UPDATE clients SET city = CONCAT(:city, '*') WHERE id = :OLD_id");
  updateSQL.SetModifyObject(&command);
  EXPECT_TRUE(query.PSUpdateRecord(ukModify, &delta));
  EXPECT_EQ(CityOnServer(), u"Гевгелија*");
  delta.Cancel();
}

TEST_F(MyUpdateSQL, CachedChangesThroughAnUpdateObjectAreNotBatched) {
  SetText(updateSQL.ModifySQL(), ModifyText);
  query.SetCachedUpdates(true);
  query.Options()->UpdateBatchSize = 2;
  query.Open();
  for (const char16_t* city : {u"Штип", u"Кочани"}) {
    query.Edit();
    query.FieldByName(u"city")->SetAsString(city);
    query.Post();
    query.Next();
  }
  query.ApplyUpdates();
  EXPECT_EQ(Trim(query.LastSQL()), ModifyText);  // one statement, not a batch of two
  EXPECT_EQ(query.DAUpdater()->BatchCount(), 0);
  EXPECT_EQ(CityOnServer(), u"Штип");
  EXPECT_EQ(check.One(u"SELECT COUNT(*) FROM clients WHERE city = 'Кочани'"), u"1");
}

}  // namespace
