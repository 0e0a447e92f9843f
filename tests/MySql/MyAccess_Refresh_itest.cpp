// Re-reading records against the private server: a server-side default and a trigger's change
// reaching the record after INSERT and UPDATE, RefreshRecord picking up another session's change
// (also of a TEXT column) and staying on its row under a link that reads a window of rows, the
// user's own refresh condition, a refresh of a deleted row with and without StrictUpdate, the
// re-read before edit, BeforeUpdateExecute seeing and changing the parameters, and the
// parameters of user statements found by "OLD_" names and field numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/DBAccess_Updater.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_Updater.h"
#include "MySql/MyClasses.h"
#include "MySql/MyClasses_RecordSet.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSource.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"
#include "tests/support/TestDb.h"

namespace {

// One call of BeforeUpdateExecute: the kinds of statement and the parameters by name.
struct TUpdateCall {
  TStatementTypes Types;
  std::vector<std::pair<String, String>> Params;
};

class MyRefresh : public ::testing::Test {
 protected:
  void SetUp() override {
    other.Exec(u"DROP TABLE IF EXISTS refresh_probe");
    other.Exec(
        u"CREATE TABLE refresh_probe (id INT NOT NULL AUTO_INCREMENT PRIMARY KEY, "
        u"name VARCHAR(50), status VARCHAR(20) DEFAULT 'new', revision INT DEFAULT 1, "
        u"note TEXT) CHARACTER SET utf8mb4");
    // The server's own change on every UPDATE, which only a re-read brings into the record.
    other.Exec(
        u"CREATE TRIGGER refresh_probe_revision BEFORE UPDATE ON refresh_probe FOR EACH ROW "
        u"SET NEW.revision = OLD.revision + 1");
    other.Exec(u"INSERT INTO refresh_probe (name, note) VALUES ('Ана', 'прва белешка')");
    firstId = other.One(u"SELECT MAX(id) FROM refresh_probe");
    ApplyTestSettings(conn);
    query.SetConnection(&conn);
    query.SetSQLText(u"SELECT * FROM refresh_probe ORDER BY id");
  }
  void TearDown() override {
    query.Close();
    other.Exec(u"DROP TABLE IF EXISTS refresh_probe");
  }

  void RecordCalls() {
    query.BeforeUpdateExecute = [this](TDataSet*, TStatementTypes types, TDAParams* params) {
      TUpdateCall call{types, {}};
      for (int i = 0; i < params->Count(); ++i)
        call.Params.emplace_back(params->Items(i)->Name(), params->Items(i)->AsString());
      calls.push_back(call);
    };
  }

  String Field(const char16_t* name) { return query.FieldByName(name)->AsString(); }

  TOtherSession other;
  TMyConnection conn{nullptr};
  TInspectedQuery query{nullptr};
  String firstId;
  std::vector<TUpdateCall> calls;
};

TEST_F(MyRefresh, AfterInsertTheServerDefaultsAreInTheRecordBeforeItIsLinkedIn) {
  query.SetRefreshOptions(TRefreshOptions{roAfterInsert});
  query.Open();
  // The re-read runs while the record is still being inserted.
  String statusSeen;
  TDataSetState stateSeen = dsInactive;
  query.AfterUpdateExecute = [&](TDataSet*, TStatementTypes types, TDAParams*) {
    if (!types.Contains(stRefresh)) return;
    stateSeen = query.State();
    statusSeen = Field(u"status");
  };
  query.Append();
  query.FieldByName(u"name")->SetAsString(u"Бојан");
  query.Post();

  EXPECT_EQ(stateSeen, dsInsert);
  EXPECT_EQ(statusSeen, u"new");
  EXPECT_EQ(Field(u"status"), u"new");
  EXPECT_EQ(Field(u"revision"), u"1");
  EXPECT_EQ(Field(u"id"), other.One(u"SELECT MAX(id) FROM refresh_probe"));
  EXPECT_EQ(query.RecordCount(), 2);
  EXPECT_EQ(query.LastInsertId(), std::stoll(UTF8Encode(Field(u"id"))));

  // Without the option the record keeps what the user typed: the default is not there.
  query.SetRefreshOptions(TRefreshOptions());
  query.Append();
  query.FieldByName(u"name")->SetAsString(u"Весна");
  query.Post();
  EXPECT_TRUE(query.FieldByName(u"status")->IsNull());
  EXPECT_EQ(other.One(u"SELECT status FROM refresh_probe WHERE name = 'Весна'"), u"new");
}

TEST_F(MyRefresh, AfterUpdateTheTriggersChangeIsInTheRecord) {
  query.SetRefreshOptions(TRefreshOptions{roAfterUpdate});
  query.Open();
  query.Edit();
  query.FieldByName(u"name")->SetAsString(u"Ана Петрова");
  query.Post();
  EXPECT_EQ(Field(u"revision"), u"2");
  EXPECT_EQ(Field(u"name"), u"Ана Петрова");
  EXPECT_EQ(query.State(), dsBrowse);

  // An edit that changes nothing sends nothing and re-reads nothing.
  other.Exec(u"UPDATE refresh_probe SET status = 'seen elsewhere'");
  query.Edit();
  query.Post();
  EXPECT_EQ(Field(u"status"), u"new");
  EXPECT_EQ(Field(u"revision"), u"2");
}

TEST_F(MyRefresh, RefreshRecordPicksUpAnotherUsersChangeOfTheCurrentRowOnly) {
  other.Exec(u"INSERT INTO refresh_probe (name) VALUES ('Бојан')");
  query.Open();
  query.Last();
  String secondId = Field(u"id");
  other.Exec(u"UPDATE refresh_probe SET name = CONCAT(name, '!'), note = 'изменета белешка'");

  query.RefreshRecord();
  EXPECT_EQ(Field(u"id"), secondId);
  EXPECT_EQ(Field(u"name"), u"Бојан!");
  EXPECT_EQ(Field(u"note"), u"изменета белешка");
  EXPECT_EQ(Field(u"revision"), u"2");
  EXPECT_EQ(query.State(), dsBrowse);

  // The row is stored: moving away and back still shows it; the other row is as it was read.
  query.First();
  EXPECT_EQ(Field(u"name"), u"Ана");
  EXPECT_EQ(Field(u"note"), u"прва белешка");
  query.Last();
  EXPECT_EQ(Field(u"name"), u"Бојан!");
  EXPECT_EQ(Field(u"note"), u"изменета белешка");

  // A text that another user empties to NULL reads as NULL, not as an empty text.
  other.Exec(u"UPDATE refresh_probe SET note = NULL");
  query.RefreshRecord();
  EXPECT_TRUE(query.FieldByName(u"note")->IsNull());

  TInspectedQuery closed(nullptr);
  closed.SetConnection(&conn);
  closed.SetSQLText(u"SELECT * FROM refresh_probe");
  EXPECT_THROW(closed.RefreshRecord(), EDatabaseError);
}

TEST_F(MyRefresh, RefreshRecordUnderALinkThatReadsAWindowStaysOnTheRowItRereads) {
  other.Exec(u"INSERT INTO refresh_probe (name) VALUES ('Бојан'), ('Вера')");
  // A grid reads the rows around the current one, which moves the store's cursor past it.
  TDataSource source{nullptr};
  source.SetDataSet(&query);
  TDataLink grid;
  grid.SetBufferCount(5);
  grid.SetDataSource(&source);
  query.Open();
  query.First();
  query.Next();
  const String middleId = Field(u"id");
  other.Exec(u"UPDATE refresh_probe SET name = CONCAT(name, '!')");

  query.RefreshRecord();
  EXPECT_EQ(Field(u"id"), middleId);
  EXPECT_EQ(Field(u"name"), u"Бојан!");
  EXPECT_EQ(query.RecNo(), 2);
  query.First();
  EXPECT_EQ(Field(u"name"), u"Ана") << "the other rows are as they were read";
  query.Last();
  EXPECT_EQ(Field(u"name"), u"Вера");
  grid.SetDataSource(nullptr);
}

TEST_F(MyRefresh, UserRefreshConditionRereadsByTheRecordsKey) {
  other.Exec(u"INSERT INTO refresh_probe (name) VALUES ('Бојан')");
  query.SQLRefresh()->SetText(u"WHERE id = :id");
  RecordCalls();
  query.Open();
  query.Last();
  String id = Field(u"id");
  other.Exec(u"UPDATE refresh_probe SET status = 'checked' WHERE id = " + id);

  query.RefreshRecord();
  EXPECT_EQ(Field(u"status"), u"checked");
  // The condition joins the dataset's own statement, before its ORDER BY.
  String sql = query.LastSQL();
  EXPECT_EQ(sql.rfind(u"SELECT * FROM refresh_probe", 0), 0u) << UTF8Encode(sql);
  EXPECT_LT(sql.find(u"WHERE id = :id"), sql.find(u"ORDER BY id")) << UTF8Encode(sql);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].Types.Contains(stRefresh));
  ASSERT_EQ(calls[0].Params.size(), 1u);
  EXPECT_EQ(calls[0].Params[0].second, id);
}

TEST_F(MyRefresh, FullRefreshFillsTheDatasetsOwnParameterAndTheKeyFromTheRecord) {
  other.Exec(u"INSERT INTO refresh_probe (name, status) VALUES ('Бојан', 'old')");
  query.SetSQLText(u"SELECT * FROM refresh_probe WHERE status = :st ORDER BY id");
  query.ParamByName(u"st")->SetAsString(u"new");
  query.Options()->FullRefresh = true;
  RecordCalls();
  query.Open();
  ASSERT_EQ(query.RecordCount(), 1);
  other.Exec(u"UPDATE refresh_probe SET name = 'Ана Втора'");

  query.RefreshRecord();
  EXPECT_EQ(Field(u"name"), u"Ана Втора");
  EXPECT_EQ(Field(u"id"), firstId);
  // The re-read is the dataset's own statement with the key added: its parameter comes first.
  ASSERT_EQ(calls.size(), 1u);
  ASSERT_EQ(calls[0].Params.size(), 2u);
  EXPECT_EQ(calls[0].Params[0], std::make_pair(String(u"st"), String(u"new")));
  EXPECT_EQ(calls[0].Params[1].second, firstId);
}

TEST_F(MyRefresh, RefreshOfARowDeletedElsewhereKeepsTheRecord) {
  query.Open();
  other.Exec(u"DELETE FROM refresh_probe");
  try {
    query.RefreshRecord();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find(u"Refresh failed. Found 0 records"), String::npos);
  }
  EXPECT_EQ(query.RecordCount(), 1);
  EXPECT_EQ(Field(u"id"), firstId);
  EXPECT_EQ(Field(u"name"), u"Ана");
  EXPECT_EQ(Field(u"note"), u"прва белешка");

  // Without StrictUpdate nothing is said and nothing changes.
  query.Options()->StrictUpdate = false;
  query.RefreshRecord();
  EXPECT_EQ(Field(u"name"), u"Ана");
}

TEST_F(MyRefresh, EditRereadsTheRecordFirstWithBeforeEdit) {
  query.SetRefreshOptions(TRefreshOptions{roBeforeEdit});
  query.Open();
  other.Exec(u"UPDATE refresh_probe SET name = 'Ана Нова', note = 'од друг'");
  query.Edit();
  EXPECT_EQ(query.State(), dsEdit);
  EXPECT_EQ(Field(u"name"), u"Ана Нова");
  EXPECT_EQ(Field(u"note"), u"од друг");
  query.FieldByName(u"status")->SetAsString(u"edited");
  query.Post();
  EXPECT_EQ(other.One(u"SELECT CONCAT(name, '/', status, '/', note) FROM refresh_probe"),
            u"Ана Нова/edited/од друг");

  // The re-read of a row that is gone stops the edit before it starts.
  other.Exec(u"DELETE FROM refresh_probe");
  EXPECT_THROW(query.Edit(), EDatabaseError);
  EXPECT_EQ(query.State(), dsBrowse);
}

TEST_F(MyRefresh, BeforeUpdateExecuteSeesTheStatementAndMayChangeAParameter) {
  query.SetRefreshOptions(TRefreshOptions{roAfterInsert});
  query.Open();
  query.BeforeUpdateExecute = [this](TDataSet* sender, TStatementTypes types, TDAParams* params) {
    EXPECT_EQ(sender, &query);
    TUpdateCall call{types, {}};
    for (int i = 0; i < params->Count(); ++i)
      call.Params.emplace_back(params->Items(i)->Name(), params->Items(i)->AsString());
    calls.push_back(call);
    if (types.Contains(stInsert)) params->ParamByName(u"name")->SetAsString(u"од настан");
  };
  query.Append();
  query.FieldByName(u"name")->SetAsString(u"Бојан");
  query.Post();

  ASSERT_EQ(calls.size(), 2u);
  EXPECT_TRUE(calls[0].Types.Contains(stInsert));
  EXPECT_EQ(calls[0].Types.Count(), 1);
  ASSERT_EQ(calls[0].Params.size(), 1u);
  EXPECT_EQ(calls[0].Params[0], std::make_pair(String(u"name"), String(u"Бојан")));
  EXPECT_TRUE(calls[1].Types.Contains(stRefresh));
  // The changed value went to the server, and the re-read brought it into the record.
  EXPECT_EQ(other.One(u"SELECT name FROM refresh_probe WHERE id = " + Field(u"id")), u"од настан");
  EXPECT_EQ(Field(u"name"), u"од настан");
}

TEST_F(MyRefresh, UserParametersAreFoundByOldNamesAndFieldNumbers) {
  // Field 1 is id, field 2 name.
  struct Case {
    const char16_t* update;
    const char16_t* expectedName;
  } cases[] = {
      {u"UPDATE refresh_probe SET name = :name WHERE id = :OLD_ID", u"по имиња"},
      {u"UPDATE refresh_probe SET name = :2 WHERE id = :old_id", u"по број"},
      {u"UPDATE refresh_probe SET id = :id, name = :NAME WHERE id = :Old_Id", u"нов клуч"},
  };
  query.Open();
  int id = std::stoi(UTF8Encode(firstId));
  for (const Case& c : cases) {
    SCOPED_TRACE(UTF8Encode(c.update));
    query.Close();
    query.SQLUpdate()->SetText(c.update);
    query.Open();
    query.Edit();
    query.FieldByName(u"name")->SetAsString(c.expectedName);
    if (String(c.update).find(u":id") != String::npos) {
      ++id;
      query.FieldByName(u"id")->SetAsInteger(id);
    }
    query.Post();
    EXPECT_EQ(
        other.One(u"SELECT name FROM refresh_probe WHERE id = " + UTF8ToString(std::to_string(id))),
        c.expectedName);
  }
}

TEST_F(MyRefresh, AParameterWithoutFieldIsAnErrorUnlessTheHandlerFillsIt) {
  query.SQLUpdate()->SetText(
      u"UPDATE refresh_probe SET name = :name, status = :who WHERE id = :id");
  query.Open();
  query.Edit();
  query.FieldByName(u"name")->SetAsString(u"x");
  try {
    query.Post();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find(u"Not found field corresponding parameter who"), String::npos);
  }
  EXPECT_EQ(query.State(), dsEdit);

  // With a handler the parameter is the handler's to fill; left untyped it stops the statement.
  bool fill = false;
  query.BeforeUpdateExecute = [&](TDataSet*, TStatementTypes, TDAParams* params) {
    if (fill) params->ParamByName(u"who")->SetAsString(u"handler");
  };
  try {
    query.Post();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find(u"Unknown data type of parameter who"), String::npos);
  }
  fill = true;
  query.Post();
  EXPECT_EQ(other.One(u"SELECT CONCAT(name, '/', status) FROM refresh_probe"), u"x/handler");
}

TEST(MyUpdaterValues, DateTimesOfTheSameMinuteLessThanASecondApartAreEqual) {
  TMyQuery query(nullptr);
  TDADataSetUpdater* updater = query.DAUpdater();
  TDateTime base = EncodeDate(2026, 12, 10) + EncodeTime(9, 30, 20, 100);
  const double ms = 1.0 / 86400000.0;
  struct Case {
    const char* name;
    TDateTime other;
    bool equal;
  } cases[] = {
      {"same", base, true},
      {"999 ms later", base + 999 * ms, true},
      {"900 ms earlier", base - 900 * ms, true},
      {"1.1 s later", base + 1100 * ms, false},
      {"same second, next minute", base + 60000 * ms, false},
      {"next day", base + 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(updater->ValuesEqual(Variant::FromDate(base), Variant::FromDate(c.other)), c.equal);
  }
  // Across a minute boundary even close values differ: the minute is not the same.
  TDateTime edge = EncodeDate(2026, 12, 10) + EncodeTime(9, 30, 59, 900);
  EXPECT_FALSE(updater->ValuesEqual(Variant::FromDate(edge), Variant::FromDate(edge + 200 * ms)));
  // Only date-times are widened.
  EXPECT_FALSE(updater->ValuesEqual(Variant(1.0), Variant(1.0 + 500 * ms)));
  EXPECT_TRUE(updater->ValuesEqual(Variant(u"a"), Variant(u"a")));
}

}  // namespace
