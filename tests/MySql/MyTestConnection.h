// What the server tests of the components share: the connection component set up for the
// private test server as the application sets up its own (Unicode on, the utf8 character set,
// no login dialog), a second session that looks at the tables from outside, and a query that
// shows the statement its updater sent last.
#pragma once

#include <cstdint>
#include <memory>

#include "Common/DBAccess_Updater.h"
#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "MySql/MyClasses_RecordSet.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/support/TestDb.h"

inline void ApplyTestSettings(TMyConnection& conn) {
  const testdb::Settings& db = testdb::Get();
  conn.SetServer(UTF8ToString(db.host));
  conn.SetPort(static_cast<int>(db.port));
  conn.SetUsername(UTF8ToString(db.user));
  conn.SetPassword(UTF8ToString(db.password));
  conn.SetDatabase(UTF8ToString(db.database));
  conn.SetLoginPrompt(false);
  conn.Options()->SetUseUnicode(true);
  conn.Options()->SetCharset(u"utf8");
}

// The provider connection set up for the private test server, not yet connected.
inline void ApplyProviderSettings(TMySQLConnection& conn, bool useUnicode = true) {
  const testdb::Settings& db = testdb::Get();
  conn.SetServer(UTF8ToString(db.host));
  conn.SetProp(pcPort, static_cast<int32_t>(db.port));
  conn.SetUsername(UTF8ToString(db.user));
  conn.SetPassword(UTF8ToString(db.password));
  conn.SetProp(pcDatabase, UTF8ToString(db.database));
  conn.SetProp(pcUseUnicode, useUnicode);
}

// A provider connection to the private test server.
inline std::unique_ptr<TMySQLConnection> ConnectProvider(bool useUnicode = true) {
  auto conn = std::make_unique<TMySQLConnection>();
  ApplyProviderSettings(*conn, useUnicode);
  conn->Connect(u"");
  return conn;
}

// Another user's session, on the provider connection directly.
class TOtherSession {
 public:
  TOtherSession() {
    ApplyProviderSettings(FConn);
    FConn.Connect(u"");
  }
  void Exec(const String& sql) { FConn.ExecSQL(sql); }
  // The first column of the first row: "<none>" without a row, "<null>" for NULL.
  String One(const String& sql) {
    TMySQLRecordset rs;
    rs.SetConnection(&FConn);
    rs.SetProp(pcFetchAll, true);
    rs.SetSQL(sql);
    rs.Open();
    uint8_t* buf = rs.AllocRecBuf();
    rs.SetToBegin();
    rs.GetNextRecord(buf);
    String value = u"<none>";
    if (!rs.GetEOF()) {
      Variant v = rs.GetFieldAsVariant(1, buf);
      value = v.IsNull() ? String(u"<null>") : v.AsString();
    }
    rs.FreeRecBuf(buf);
    return value;
  }

 private:
  TMySQLConnection FConn;
};

// The query component, with a look at the statement its updater sent last.
class TInspectedQuery : public TMyQuery {
 public:
  using TMyQuery::TMyQuery;
  const String& LastSQL() {
    return static_cast<TDADataSetUpdater*>(DataSetService()->Updater())->LastSQL();
  }
  // The internal component that ran the last generated statement.
  TCustomDADataSet* UpdateDataSet() {
    return static_cast<TDADataSetUpdater*>(DataSetService()->Updater())->CurrentUpdateDataSet();
  }
};
